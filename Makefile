# Set-up, build, run and test in one step each on Debian 12.
#   make run    install what is missing, build, start the program
#   make test   install what is missing, build, run the whole test suite headless
#   make install [PREFIX=...]   install the program and its desktop files (default /usr/local)
#   make package   build the Debian package, in the build directory
#   make screenshots   photograph the running program into docs/, under Xvfb

BUILD_DIR ?= build
BUILD_TYPE ?= Release
JOBS ?= $(shell nproc)

PACKAGES := cmake g++ make qt6-base-dev libbenchmark-dev fonts-ipafont-gothic \
	desktop-file-utils appstream dpkg-dev file
SCREENSHOT_PACKAGES := xvfb openbox xdotool imagemagick
PREFIX ?= /usr/local

SUDO := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)

.PHONY: all deps configure build run test clean

all: build

# apt-get runs only when a package is missing.
deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update && \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$missing; \
	fi

configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	./$(BUILD_DIR)/app/electron-wave

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

.PHONY: install package screenshots

install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

package: build
	cd $(BUILD_DIR) && cpack -G DEB

screenshots: build
	$(MAKE) deps PACKAGES="$(PACKAGES) $(SCREENSHOT_PACKAGES)"
	tools/screenshots.sh $(BUILD_DIR)/app/electron-wave docs

clean:
	rm -rf $(BUILD_DIR)
