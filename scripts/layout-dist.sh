#!/bin/sh
# Lays out dist/: per architecture the library, the host stand-ins, the shipped
# colour tables and the import material; the public header once.
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
  cp "$b/bin/Oroscape.dll" "$b/bin/hubcore60.dll" "$d/"
  [ -f "$b/bin/RimBase.dll" ] && cp "$b/bin/RimBase.dll" "$d/"
  [ -f "$b/bin/terrainview.exe" ] && cp "$b/bin/terrainview.exe" "$d/"
  for f in sample.asc sample_texture.bmp sample_scene.img sample_scene.hdr; do
    if [ -f "$b/bin/$f" ]; then cp "$b/bin/$f" "$d/"; fi
  done
  cp "$b"/HeightLut/*.lut "$d/HeightLut/"
  cp "$b/lib/liboroscape.a" "$d/"
  cp frame/Oroscape.def "$d/"
done
echo "dist/ laid out for i686 and x86_64"
