# Set-up, build, run and test in one step each on Debian 12.
#   make run    install what is missing, build, start the program
#   make test   install what is missing, build, run the whole test suite headless
#   make install [PREFIX=...]   install the program and its desktop files (default /usr/local)
#   make package   build the Debian package, in the build directory
#   make screenshots   photograph the running program into docs/, under Xvfb
#   make check  the whole test suite again, built with clang under ASan, UBSan and LSan
#   make fuzz   fuzz the Wave Num parser for FUZZ_SECONDS (60 by default)
#   make lint   clang-tidy and cppcheck over the project's own sources
#   make bench  benchmarks of the drawing, then the real program measured under Xvfb

BUILD_DIR ?= build
BUILD_TYPE ?= Release
JOBS ?= $(shell nproc)

PACKAGES := cmake g++ make qt6-base-dev qt6-wayland qt6-tools-dev qt6-l10n-tools \
	qt6-translations-l10n libbenchmark-dev fonts-ipafont-gothic desktop-file-utils appstream \
	dpkg-dev file libsleef-dev
# The window's tests run a second time on Wayland, under a headless Weston of their own.
TEST_PACKAGES := $(PACKAGES) weston
SCREENSHOT_PACKAGES := xvfb openbox xdotool imagemagick
PREFIX ?= /usr/local
# The sanitizer and fuzz builds need clang and its runtimes (libFuzzer among them).
CHECK_PACKAGES := $(TEST_PACKAGES) clang-14 libclang-rt-14-dev
LINT_PACKAGES := $(PACKAGES) clang-tidy-14 cppcheck

ASAN_DIR ?= build-asan
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
SANITIZE := -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
# Leak checking is on by default under ASan; the suppressions cover what Qt itself leaks.
SANITIZER_ENV := ASAN_OPTIONS=detect_leaks=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	UBSAN_OPTIONS=print_stacktrace=1
LINT_DIRS := field plot app tests fuzz

SUDO := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)

.PHONY: bench all deps test-deps check-deps lint-deps configure build run test check fuzz lint clean

all: build

# apt-get runs only when a package of the list given is missing.
define install-missing
	@missing=""; \
	for p in $(1); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update && \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$missing; \
	fi
endef

deps:
	$(call install-missing,$(PACKAGES))

test-deps:
	$(call install-missing,$(TEST_PACKAGES))

check-deps:
	$(call install-missing,$(CHECK_PACKAGES))

lint-deps:
	$(call install-missing,$(LINT_PACKAGES))

configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	./$(BUILD_DIR)/app/electron-wave

test: test-deps build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

.PHONY: install package screenshot-deps screenshots

install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

package: build
	cd $(BUILD_DIR) && cpack -G DEB

screenshot-deps:
	$(call install-missing,$(SCREENSHOT_PACKAGES))

screenshots: screenshot-deps build
	tools/screenshots.sh $(BUILD_DIR)/app/electron-wave docs

# The table goes to the terminal, the figures as JSON into the build directory. The end-to-end
# measurement runs where Xvfb and xdotool can be installed.
bench: screenshot-deps build
	$(BUILD_DIR)/bench/bench_frame --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
	  --benchmark_out=$(BUILD_DIR)/bench.json --benchmark_out_format=json
	bench/measure-e2e.sh $(BUILD_DIR)/app/electron-wave $(BUILD_DIR)/bench-e2e.json

# One clang build serves the sanitizer tests; the fuzz run has its own, so both can run at once.
define configure-sanitized
	cmake -S . -B $(1) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
	  -DCMAKE_CXX_FLAGS="$(SANITIZE)" -DFUZZING=ON -DBUILD_BENCHMARKS=OFF
endef

check: check-deps
	$(call configure-sanitized,$(ASAN_DIR))
	cmake --build $(ASAN_DIR) -j $(JOBS)
	$(SANITIZER_ENV) ctest --test-dir $(ASAN_DIR) --output-on-failure -j $(JOBS)

# New inputs go to a working corpus in the build; the seeds in fuzz/corpus are only read.
fuzz: check-deps
	$(call configure-sanitized,$(FUZZ_DIR))
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target fuzz_wave_number
	mkdir -p $(FUZZ_DIR)/fuzz/corpus
	cd $(FUZZ_DIR)/fuzz && $(SANITIZER_ENV) ./fuzz_wave_number -max_total_time=$(FUZZ_SECONDS) \
	  -timeout=5 -dict=$(CURDIR)/fuzz/wave_number.dict -artifact_prefix=./ \
	  -print_final_stats=1 corpus $(CURDIR)/fuzz/corpus

# Uses the compile commands of the normal build, which also generates the moc files.
lint: lint-deps build
	find $(LINT_DIRS) -name '*.cpp' | xargs -P $(JOBS) -n 1 clang-tidy-14 -p $(BUILD_DIR) --quiet
	cppcheck --quiet --error-exitcode=1 --enable=warning,style,performance,portability \
	  --std=c++20 --library=qt --inline-suppr \
	  $(addprefix -I ,$(LINT_DIRS)) $(LINT_DIRS)

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(FUZZ_DIR)
