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
#   make release  build both architectures, lay out dist/, and pack dist/release/: per architecture
#                 Oroscape-<version>-<arch>.zip (CMake package, pkg-config file), and SHA256SUMS
.PHONY: all deps build native i686 x86_64 configure-native configure-i686 configure-x86_64 dist release check screens bench demo clean wineprefix soak fuzz

JOBS ?= 2
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=Release

# `make` on a fresh machine installs what is missing first (as root; as another user it stops,
# naming the packages and the command that installs them).
all: deps
	$(MAKE) dist

deps:
	@scripts/install-deps.sh

# A tree counts as configured when CMake wrote its Makefile, which it does only at the end of a
# configuration that succeeded; a configuration that fails leaves no tree behind (a cache with no
# compiler in it would make every later build fail). A cross tree configured with other toolchain
# files (an older compiler) is made anew.
B ?= build
configure = rm -rf $(1); cmake -S . -B $(1) $(CMAKE_FLAGS) $(2) || { rm -rf $(1); exit 1; }
$(B)/native/Makefile:
	$(call configure,$(B)/native)
$(B)/i686/Makefile: cmake/toolchain-i686.cmake cmake/toolchain-mingw.cmake
	$(call configure,$(B)/i686,-DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686.cmake)
$(B)/x86_64/Makefile: cmake/toolchain-x86_64.cmake cmake/toolchain-mingw.cmake
	$(call configure,$(B)/x86_64,-DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x86_64.cmake)
configure-native: $(B)/native/Makefile
configure-i686: $(B)/i686/Makefile
configure-x86_64: $(B)/x86_64/Makefile

native: $(B)/native/Makefile
	cmake --build $(B)/native -j $(JOBS)
i686: $(B)/i686/Makefile
	cmake --build $(B)/i686 -j $(JOBS)
x86_64: $(B)/x86_64/Makefile
	cmake --build $(B)/x86_64 -j $(JOBS)

build: native i686 x86_64

dist: i686 x86_64
	@scripts/layout-dist.sh

# The version is the public header's (OROSCAPE_VERSION_*): scripts/release.py --print-version.
release: dist
	@python3 scripts/release.py

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
