# Set-up, build, run and test in one step each on Debian 12.
#   make run    install what is missing, build, start the program
#   make test   install what is missing, build, run the whole test suite headless
#   make install [PREFIX=...]   install the program and its desktop files (default /usr/local)
#   make package   build the Debian package, in the build directory
#   make screenshots   photograph the running program into docs/, under Xvfb
#   make check  the whole test suite again, built with clang under ASan, UBSan and LSan
#   make fuzz   fuzz the Wave Num parser for FUZZ_SECONDS (60 by default)
#   make lint   clang-tidy and cppcheck over the project's own sources
#   make bench [ROUNDS=...] [PERF_DATA=...] [BASELINE=commit]   benchmarks of the drawing, then
#               the real program measured under Xvfb, side by side with a floor of Qt's own,
#               with matplotlib and, given BASELINE, with the program as built at that commit
#   make windows       the Windows program, its zip, its installer and its Windows Installer
#                      package, in build-windows/
#   make windows-test  the whole test suite of the Windows build, under Wine
#   make web    the browser build: the page and what it loads, in build-web/, its zip, and
#               the page as one file that opens from disk
#   make web-test   the browser build driven in Chromium, WebKitGTK and Firefox, against the
#               Linux program
#   make web-bench [ROUNDS=...] [BASELINE_SITE=folder]   the browser build's cost in Chromium,
#               beside a canvas page and, given BASELINE_SITE, another build of the page

BUILD_DIR ?= build
BUILD_TYPE ?= Release
JOBS ?= $(shell nproc)

# qt6-base-private-dev: Qt's platform interface, through which a test moves the window between
# screens as the X11 backend reports a move by the desktop.
PACKAGES := cmake g++ make qt6-base-dev qt6-base-private-dev qt6-wayland qt6-tools-dev \
	qt6-l10n-tools qt6-translations-l10n libbenchmark-dev fonts-ipafont-gothic \
	desktop-file-utils appstream dpkg-dev file libsleef-dev
# The window's tests run a second time on Wayland, under a headless Weston of their own.
TEST_PACKAGES := $(PACKAGES) weston
SCREENSHOT_PACKAGES := xvfb openbox xdotool imagemagick
# The end-to-end measurement compares the program with matplotlib, and can profile it with perf.
BENCH_PACKAGES := xvfb openbox xdotool python3-matplotlib linux-perf
PREFIX ?= /usr/local
# The sanitizer and fuzz builds need clang and its runtimes (libFuzzer among them).
CHECK_PACKAGES := $(TEST_PACKAGES) clang-14 libclang-rt-14-dev
LINT_PACKAGES := $(PACKAGES) clang-tidy-14 cppcheck

# The Windows build: Debian's mingw-w64, and Qt and SLEEF for Windows built once from Debian's
# own qt6-base and sleef sources into a cache outside the clone, Qt with the machine's Qt as its
# host tools. curl fetches the sleef source, which apt-get source cannot. wixl and msitools'
# msibuild make the Windows Installer package, whose test reads it with msiinfo.
WINDOWS_PACKAGES := cmake ninja-build g++-mingw-w64-x86-64-posix qt6-base-dev qt6-tools-dev \
	qt6-l10n-tools qt6-translations-l10n dpkg-dev nsis curl wixl msitools
WINDOWS_TEST_PACKAGES := $(WINDOWS_PACKAGES) $(SCREENSHOT_PACKAGES) wine wine64 locales
WINDOWS_DIR ?= build-windows
WINDOWS_CACHE ?= $(or $(XDG_CACHE_HOME),$(HOME)/.cache)/electron-wave-windows

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

.PHONY: bench bench-deps all deps test-deps check-deps lint-deps configure build run test check fuzz \
	lint clean

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

bench-deps:
	$(call install-missing,$(BENCH_PACKAGES))

# The tables go to the terminal, the figures as JSON into the build directory. The end-to-end
# measurement runs where Xvfb and xdotool can be installed.
BASELINE ?=
BASELINE_DIR ?= build-baseline
bench: bench-deps build $(if $(BASELINE),baseline)
	$(BUILD_DIR)/bench/bench_frame --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
	  --benchmark_out=$(BUILD_DIR)/bench.json --benchmark_out_format=json
	BASELINE_PROGRAM=$(if $(BASELINE),$(BASELINE_DIR)/build/app/electron-wave) \
	  bench/measure-e2e.sh $(BUILD_DIR)/app/electron-wave $(BUILD_DIR)/bench/bench_floor \
	  $(BUILD_DIR)/bench-e2e.json

# The program as it was at the commit BASELINE, built from that commit's files alone.
.PHONY: baseline
baseline: deps
	rm -rf $(BASELINE_DIR)/src && mkdir -p $(BASELINE_DIR)/src
	git archive $(BASELINE) | tar -x -C $(BASELINE_DIR)/src
	cmake -S $(BASELINE_DIR)/src -B $(BASELINE_DIR)/build -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) \
	  -DBUILD_TESTING=OFF -DBUILD_BENCHMARKS=OFF
	cmake --build $(BASELINE_DIR)/build -j $(JOBS) --target electron-wave

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

# Uses the compile commands of the normal build, which also generates the moc files; the tests
# built only for Windows are not among them.
lint: lint-deps build
	find $(LINT_DIRS) -name '*.cpp' ! -name 'tst_windows*' | \
	  xargs -P $(JOBS) -n 1 clang-tidy-14 -p $(BUILD_DIR) --quiet
	cppcheck --quiet --error-exitcode=1 --enable=warning,style,performance,portability \
	  --std=c++20 --library=qt --inline-suppr \
	  $(addprefix -I ,$(LINT_DIRS)) $(LINT_DIRS)

.PHONY: windows-deps windows-test-deps windows-configure windows windows-test

windows-deps:
	$(call install-missing,$(WINDOWS_PACKAGES))

# Wine takes its locale from LANG and LC_ALL, but without that locale on the machine it cannot
# name a window or a file in Japanese: the Japanese run needs ja_JP.UTF-8 generated.
windows-test-deps:
	$(call install-missing,$(WINDOWS_TEST_PACKAGES))
	@locale -a | grep -qix 'ja_JP.utf8' || { \
	  $(SUDO) sh -c "grep -qx 'ja_JP.UTF-8 UTF-8' /etc/locale.gen || \
	    echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen" && \
	  $(SUDO) locale-gen --keep-existing; }

# Qt and SLEEF for Windows are found in the cache. WITH_SLEEF is given all the same, or a build
# directory once configured without it would keep it off.
WINDOWS_PREFIXES := $(WINDOWS_CACHE)/qt;$(WINDOWS_CACHE)/sleef
windows-configure: windows-deps
	packaging/windows/build-qt.sh $(WINDOWS_CACHE)
	packaging/windows/build-sleef.sh $(WINDOWS_CACHE)
	cmake -S . -B $(WINDOWS_DIR) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/packaging/windows/mingw-w64-x86_64.cmake \
	  -DCMAKE_PREFIX_PATH="$(WINDOWS_PREFIXES)" -DCMAKE_FIND_ROOT_PATH="$(WINDOWS_PREFIXES)" \
	  -DQT_HOST_PATH=/usr -DBUILD_BENCHMARKS=OFF \
	  -DWITH_SLEEF=ON -DLINUX_BUILD_DIR=$(CURDIR)/$(BUILD_DIR)

windows: windows-configure
	cmake --build $(WINDOWS_DIR) -j $(JOBS) --target electron-wave
	cmake --build $(WINDOWS_DIR) --target windows_package

# The suite as on Linux, less what only a Linux desktop has, in an X display of its own for
# Wine's windows; then the Windows program's first frame against the Linux program's.
windows-test: windows-test-deps windows build
	cmake --build $(WINDOWS_DIR) -j $(JOBS)
	packaging/windows/in-xvfb.sh ctest --test-dir $(WINDOWS_DIR) --output-on-failure -j $(JOBS)

# The browser build: Qt 6.8 for WebAssembly, built once from Debian 13's own qt6-base source with
# Debian 13's emscripten, inside a Debian 13 build root that is made once in a cache outside the
# clone; then the program, in the same root. Making the root needs root (sudo otherwise).
# rsvg-convert draws the installed app's icons from the program's SVG.
WEB_PACKAGES := debootstrap zip python3 librsvg2-bin
WEB_DIR ?= build-web
WEB_CACHE ?= $(or $(XDG_CACHE_HOME),$(HOME)/.cache)/electron-wave-web
WEB_ROOT := $(WEB_CACHE)/root
# Where Qt and emscripten's set-up are, inside the root.
WEB_QT := /var/cache/electron-wave
WEB_SITE := electron-wave-1.0.0-web
# What the page loads, which its service worker keeps for visits without a network.
WEB_APP_FILES := electron-wave.html electron-wave.js electron-wave.wasm qtloader.js \
	electron-wave.png electron-wave-192.png electron-wave-512.png manifest.webmanifest
IN_WEB_ROOT := $(SUDO) packaging/web/in-root.sh $(WEB_ROOT) $(CURDIR)

.PHONY: web-deps web-root web web-test-deps web-test web-bench
web-deps:
	$(call install-missing,$(WEB_PACKAGES))

web-root: web-deps
	$(SUDO) packaging/web/build-root.sh $(WEB_ROOT)
	$(IN_WEB_ROOT) packaging/web/build-qt.sh $(WEB_QT)

# Headless Chromium through the DevTools protocol, WebKitGTK's MiniBrowser through WebKitWebDriver,
# headless Firefox through WebDriver BiDi; the Linux program photographed under Xvfb.
WEB_TEST_PACKAGES := chromium firefox-esr webkit2gtk-driver python3-selenium python3-websockets \
	python3-pil xvfb xdotool imagemagick
web-test-deps:
	$(call install-missing,$(WEB_TEST_PACKAGES))

# The page and what it loads, in $(WEB_DIR)/$(WEB_SITE) and zipped beside it, with the manifest,
# icons and service worker that make it an app; the page is the program's own, not the one Qt
# makes. Qt is linked in, so the LGPL asks for what relinks the program with another Qt: its
# source goes with Qt's licences and the changes made to Qt.
# Debian's Qt leaves the platform plugin out of a program's link unless asked.
web: web-root
	$(IN_WEB_ROOT) sh -c '. $(WEB_QT)/emsdk/env.sh && \
	  $(WEB_QT)/qt/bin/qt-cmake -S . -B $(WEB_DIR)/build -DCMAKE_BUILD_TYPE=Release \
	    -DBUILD_TESTING=OFF -DBUILD_BENCHMARKS=OFF -DQT_SKIP_AUTO_PLUGIN_INCLUSION=OFF && \
	  cmake --build $(WEB_DIR)/build -j $(JOBS) --target electron-wave'
	$(if $(SUDO),$(SUDO) chown -R "$$(id -u):$$(id -g)" $(WEB_DIR))
	rm -rf $(WEB_DIR)/$(WEB_SITE) && mkdir -p $(WEB_DIR)/$(WEB_SITE)
	cp $(addprefix $(WEB_DIR)/build/app/,electron-wave.js electron-wave.wasm qtloader.js) \
	  packaging/web/electron-wave.html $(WEB_DIR)/$(WEB_SITE)/
	cp app/icons/32.png $(WEB_DIR)/$(WEB_SITE)/electron-wave.png
	for size in 192 512; do \
	  rsvg-convert -w $$size -h $$size packaging/org.electronwave.ElectronWave.svg \
	    -o $(WEB_DIR)/$(WEB_SITE)/electron-wave-$$size.png; done
	cp packaging/web/manifest.webmanifest $(WEB_DIR)/$(WEB_SITE)/
	/usr/bin/python3 packaging/web/service-worker.py packaging/web/service-worker.js \
	  $(WEB_DIR)/$(WEB_SITE) $(WEB_APP_FILES)
	cp -r $(WEB_ROOT)$(WEB_QT)/qt/licenses $(WEB_DIR)/$(WEB_SITE)/licenses
	git archive --format=tar.gz --prefix=electron-wave-1.0.0/ \
	  -o $(WEB_DIR)/$(WEB_SITE)/licenses/electron-wave-1.0.0-source.tar.gz HEAD
	cd $(WEB_DIR) && rm -f $(WEB_SITE).zip && zip -qr $(WEB_SITE).zip $(WEB_SITE)
	/usr/bin/python3 packaging/web/offline-page.py $(WEB_DIR)/$(WEB_SITE) \
	  $(WEB_DIR)/electron-wave-offline.html

web-test: web-test-deps web build
	$(IN_WEB_ROOT) sh -c '. $(WEB_QT)/emsdk/env.sh && \
	  cmake --build $(WEB_DIR)/build -j $(JOBS) --target frame_endpoints'
	$(if $(SUDO),$(SUDO) chown -R "$$(id -u):$$(id -g)" $(WEB_DIR))
	/usr/bin/python3 tests/web-test.py $(WEB_DIR)/$(WEB_SITE) $(WEB_DIR)/electron-wave-offline.html \
	  $(BUILD_DIR) $(WEB_DIR)/build

web-bench: web-test-deps web
	BASELINE_SITE=$(BASELINE_SITE) /usr/bin/python3 bench/web-bench.py $(WEB_DIR)/$(WEB_SITE) \
	  $(or $(ROUNDS),5) $(WEB_DIR)/web-bench.json

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(FUZZ_DIR) $(WINDOWS_DIR) $(WEB_DIR)
