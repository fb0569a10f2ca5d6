# make test: install what is missing, build, run every test (also under the sanitizers).
# make run:  install what is missing, build, start the desktop program.
# make screenshots: pictures of the desktop program for docs/, taken under Xvfb.
# make package: the Debian package build/pomvelt_<version>_<arch>.deb (make test checks it).
# make test-windows: pomvelt-cli and the core's tests for Windows, cross-built, run under Wine.
# make package-windows: build-windows/pomvelt-cli-<version>-windows-x86_64.zip.
PACKAGES := cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev qt6-base-dev qt6-l10n-tools \
  qt6-translations-l10n ccache xvfb xauth time mkgmap \
  dpkg-dev lintian desktop-file-utils appstream shared-mime-info man-db scdoc nlohmann-json3-dev \
  g++-mingw-w64-x86-64-posix wine64 googletest
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps configure build test test-asan fuzz run screenshots bench clean format package \
  test-windows package-windows
FUZZ_SECONDS ?= 60

all: build

deps:
	@missing=$$(for p in $(PACKAGES); do dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing: $$missing"; \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get update -q && \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $$missing; \
	fi

build/build.ninja: | deps
	cmake --preset default

build-asan/build.ninja: | deps
	cmake --preset asan

build-fuzz/build.ninja: | deps
	cmake --preset fuzz

build-windows/build.ninja: | deps
	cmake --preset windows

configure: build/build.ninja

build: deps build/build.ninja
	cmake --build --preset default

test: build build-asan/build.ninja
	ctest --preset default
	cmake --build --preset asan
	ctest --preset asan
	$(MAKE) --no-print-directory fuzz FUZZ_SECONDS=3

test-asan: deps build-asan/build.ninja
	cmake --build --preset asan
	ctest --preset asan

# Every fuzz target for FUZZ_SECONDS seconds (make test runs a three-second smoke of each).
fuzz: deps build-fuzz/build.ninja
	cmake --build --preset fuzz
	fuzz/run $(FUZZ_SECONDS)

package: build
	cmake --build --preset default --target package

# The Wine prefix is made once before the tests, which start in parallel: two Wine programs
# making a new prefix at once may fail to reach its server.
test-windows: deps build-windows/build.ninja
	cmake --build --preset windows
	cmake/wine-run $(CURDIR)/build-windows/wineprefix wineboot --init >/dev/null 2>&1 || true
	ctest --preset windows

package-windows: deps build-windows/build.ninja
	cmake --build --preset windows --target package

run: build
	@if [ -x build/src/app/pomvelt ]; then build/src/app/pomvelt; else build/src/pomvelt-cli --help; fi

screenshots: build
	xvfb-run -a -s "-screen 0 1280x1024x24" build/tests/gui/pomvelt_screenshots docs
	QT_SCALE_FACTOR=1.5 xvfb-run -a -s "-screen 0 1280x1024x24" build/tests/gui/pomvelt_screenshots docs --scaled

bench: build
	@command -v /usr/bin/time >/dev/null || $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -q time
	bench/run $(BENCH_ARGS)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build build-asan build-fuzz build-windows
