#!/bin/sh
# Lays out dist/: per architecture the library, the host stand-ins, the shipped
# colour tables and the import material; the public header once.
# The modules are the build's own, stripped of their symbol table and DWARF (the
# debug directory stays): their debug information ships as <name>.pdb beside them.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
mkdir -p dist/include
cp include/oroscape.h dist/include/
for arch in i686 x86_64; do
  b=build/$arch
  d=dist/$arch
  rm -rf "$d"
  mkdir -p "$d/HeightLut"
  for m in Oroscape.dll hubcore60.dll RimBase.dll terrainview.exe lutconv.exe; do
    [ -f "$b/bin/$m" ] || continue
    "$arch-w64-mingw32-strip" --strip-all -o "$d/$m" "$b/bin/$m"
    pdb="${m%.*}.pdb"
    if [ -f "$b/bin/$pdb" ]; then cp "$b/bin/$pdb" "$d/"; fi
  done
  [ -f "$d/Oroscape.dll" ] && [ -f "$d/hubcore60.dll" ] || { echo "layout-dist: $b is not built" >&2; exit 1; }
  for f in sample.asc sample_texture.bmp sample_scene.img sample_scene.hdr; do
    if [ -f "$b/bin/$f" ]; then cp "$b/bin/$f" "$d/"; fi
  done
  cp "$b"/HeightLut/*.lut "$d/HeightLut/"
  cp "$b/lib/liboroscape.a" "$b/lib/Oroscape.lib" "$d/"
  cp frame/Oroscape.def "$d/"
done
# lutconv for this machine (native build), and the text ramps for import into a host's layers.
make --no-print-directory configure-native >/dev/null
cmake --build build/native --target lutconv -j 2 >/dev/null
mkdir -p dist/tools
strip -o dist/tools/lutconv build/native/bin/lutconv
rm -rf dist/ramps
mkdir -p dist/ramps
cp ramps/shipped/*.txt dist/ramps/
echo "dist/ laid out for i686 and x86_64"
