#!/bin/sh
# make demo: from a fresh machine to the terrain viewer running under Wine.
#  - installs what is missing (scripts/install-deps.sh),
#  - builds what the viewer needs for both architectures and lays out dist/,
#  - makes the Wine prefix,
#  - with DISPLAY set: runs dist/i686/terrainview.exe on that display;
#    without: runs its scripted tour in Xvfb on a Wine virtual desktop (so captions are
#    drawn), writing docs/screens/tour_*.png and tour_log.txt; fails when the tour does.
# OROSCAPE_DEMO_ARCH=x86_64 runs the 64-bit build instead; so does a machine that runs no 32-bit
# x86 code natively (scripts/wineenv.sh).
# DEM=path (make demo DEM=path) opens that elevation model instead of the sample: an ESRI ASCII
# grid or an SRTM .hgt tile as it is, anything else GDAL reads (GeoTIFF, ...) converted first
# with gdal_translate -of AAIGrid -co FORCE_CELLSIZE=YES into build/dem/ (Debian's gdal-bin is
# installed when missing). Without a display the viewer opens it in Xvfb and prints its
# --bench figures.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=${JOBS:-2}
oroscape_root=$root
. scripts/wineenv.sh
ia32_detect
arch=${OROSCAPE_DEMO_ARCH:-i686}
if [ "$arch" = i686 ] && [ "$OROSCAPE_IA32" != native ]; then
  echo "demo: 32-bit x86 code does not run natively here ($OROSCAPE_IA32_HOW): the x86_64 build runs"
  arch=x86_64
fi

scripts/install-deps.sh

# Only the targets the viewer needs (the test programs are left to make check).
for a in i686 x86_64; do
  make --no-print-directory "configure-$a"
  cmake --build "build/$a" -j "$jobs" --target terrainview Oroscape hubcore60 RimBase colortables demo_samples
done
scripts/layout-dist.sh
scripts/wineprefix.sh "$arch"

wine_use "$arch"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

grid=
if [ -n "${DEM:-}" ]; then
  dem=$(cd "$(dirname "$DEM")" && pwd)/$(basename "$DEM")
  [ -f "$dem" ] || { echo "demo: $DEM: no such file" >&2; exit 1; }
  case "$(echo "$dem" | tr 'A-Z' 'a-z')" in
    *.asc|*.hgt) grid=$dem ;;
    *)
      if ! command -v gdal_translate >/dev/null 2>&1; then
        if [ "$(id -u)" != 0 ]; then
          echo "demo: gdal_translate is missing: apt-get install gdal-bin (as root)" >&2
          exit 1
        fi
        apt-get update -qq && apt-get install -y -qq --no-install-recommends gdal-bin >/dev/null
      fi
      mkdir -p "$root/build/dem"
      name=$(basename "$dem"); name=${name%.*}
      grid="$root/build/dem/$name.asc"
      # Square cells: without FORCE_CELLSIZE GDAL writes dx/dy, which an ESRI grid has not.
      gdal_translate -q -of AAIGrid -co FORCE_CELLSIZE=YES "$dem" "$grid"
      echo "demo: $DEM converted to $grid"
      ;;
  esac
  grid=$("$WINE" winepath -w "$grid" | tr -d '\r')
  # winepath started Wine without a display; the viewer must not join that session.
  wineserver -w 2>/dev/null || true
fi
cd "dist/$arch"

if [ -n "$grid" ]; then
  if [ -n "${DISPLAY:-}" ]; then
    echo "demo: terrainview on $DISPLAY with $DEM"
    exec env LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 "$WINE" terrainview.exe "$grid"
  fi
  echo "demo: no display - terrainview opens $DEM in Xvfb and measures it"
  exec timeout -k 10 900 xvfb-run -a -s "-screen 0 1024x768x24" \
    env LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 "$WINE" terrainview.exe "$grid" --bench
fi

if [ -n "${DISPLAY:-}" ]; then
  echo "demo: terrainview on $DISPLAY"
  exec env LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 "$WINE" terrainview.exe
fi

out="$root/docs/screens"
mkdir -p "$out"
rm -f "$out"/tour_*.png "$out/tour_log.txt"
winout=$("$WINE" winepath -w "$out" | tr -d '\r')
echo "demo: no display - scripted tour in Xvfb, pictures in docs/screens/"
# The desktop ends with the program; the bound only guards against a hang.
timeout -k 10 900 xvfb-run -a -s "-screen 0 1024x768x24" \
  env LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 "$WINE" explorer /desktop=tour,1024x768 terrainview.exe --tour "$winout" \
  || true
wineserver -w 2>/dev/null || true
# The tour's PNG writer stores pixels uncompressed: pack them for the documentation.
if command -v mogrify >/dev/null 2>&1; then
  mogrify "$out"/tour_*.png 2>/dev/null || true
fi
# The desktop's exit code is not the program's: the log's last line tells.
if tail -n 1 "$out/tour_log.txt" 2>/dev/null | grep -q "演示成功"; then
  echo "demo: tour done, $(ls "$out"/tour_*.png | wc -l) pictures in docs/screens/"
  exit 0
fi
echo "demo: the tour failed (see docs/screens/tour_log.txt)" >&2
exit 1
