# Oroscape.dll: build, test and run.
#   make          build both architectures and lay out dist/
#   make check    install what is missing, build, run every test (native and under Wine)
#   make screens  run the tests that take screenshots, writing docs/screens/
#   make bench    run every benchmark, writing BENCHMARKS.md
#   make demo     install what is missing, build, and run the terrain viewer under Wine (on
#                 $DISPLAY; without one, its scripted tour writes docs/screens/tour_*.png);
#                 make demo DEM=path opens that elevation model (GDAL converts what is not .asc/.hgt)
#   make soak     every export opened and closed 300 times under Wine, resource levels counted
#   make fuzz     fuzz the parsers and name rules natively (clang, libFuzzer), a minute each
.PHONY: all deps build native i686 x86_64 dist check screens bench demo clean wineprefix soak fuzz

JOBS ?= 2
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=Release

all: dist

deps:
	@scripts/install-deps.sh

build/native/CMakeCache.txt:
	cmake -S . -B build/native $(CMAKE_FLAGS)
# A cross tree configured with other toolchain files (an older compiler) is made anew.
build/i686/CMakeCache.txt: cmake/toolchain-i686.cmake cmake/toolchain-mingw.cmake
	rm -rf build/i686
	cmake -S . -B build/i686 $(CMAKE_FLAGS) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686.cmake
build/x86_64/CMakeCache.txt: cmake/toolchain-x86_64.cmake cmake/toolchain-mingw.cmake
	rm -rf build/x86_64
	cmake -S . -B build/x86_64 $(CMAKE_FLAGS) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x86_64.cmake

native: build/native/CMakeCache.txt
	cmake --build build/native -j $(JOBS)
i686: build/i686/CMakeCache.txt
	cmake --build build/i686 -j $(JOBS)
x86_64: build/x86_64/CMakeCache.txt
	cmake --build build/x86_64 -j $(JOBS)

build: native i686 x86_64

dist: i686 x86_64
	@scripts/layout-dist.sh

wineprefix:
	@scripts/wineprefix.sh

check: deps
	$(MAKE) build dist
	@scripts/wineprefix.sh
	@scripts/check.sh

screens: deps
	$(MAKE) build dist
	@scripts/wineprefix.sh
	OROSCAPE_SCREENS_DIR=$(CURDIR)/docs/screens OROSCAPE_TEST_JOBS=1 scripts/check.sh
	@# The capture writes pixels uncompressed: pack them (lossless) for the documentation.
	@if command -v mogrify >/dev/null 2>&1; then mogrify docs/screens/*.png; fi

bench: deps
	$(MAKE) i686 x86_64
	@scripts/wineprefix.sh
	@scripts/bench.sh

demo:
	@JOBS=$(JOBS) DEM="$(DEM)" scripts/demo.sh

soak: deps
	$(MAKE) i686 x86_64
	@scripts/wineprefix.sh
	@scripts/soak.sh

fuzz:
	@JOBS=$(JOBS) scripts/fuzz.sh

clean:
	rm -rf build dist
