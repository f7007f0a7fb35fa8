#!/bin/bash
# The release archives, as a host developer takes them:
#   - one version: the header's macros as a compiler sees them, lutconv --version (this machine's
#     and both lutconv.exe) and the archive names agree;
#   - packing the same dist/ twice gives the same bytes; SHA256SUMS verifies;
#   - each archive holds exactly the listed files, the modules byte for byte those of dist/;
#   - hosts of the unpacked archive: CMake projects (MinGW-w64, and clang for the Microsoft ABI)
#     with find_package(Oroscape 1.0 REQUIRED) linking Oroscape::Oroscape, the package refusing a
#     wrong architecture or version; a MinGW-w64 host built with the flags pkg-config gives;
#   - the archives hold what README's list says; the MinGW-w64 hosts run under Wine and read a table.
# usage: release_test.sh SOURCE_DIR LUTCONV WORK_DIR   (exit 77: dist/ is not laid out)
set -u
src=$1 lutconv=$2 work=$3
dist=$src/dist
for arch in i686 x86_64; do
  if [ ! -f "$dist/$arch/Oroscape.dll" ]; then
    echo "SKIP: $dist/$arch is not laid out (make dist)"
    exit 77
  fi
done
rm -rf "$work" && mkdir -p "$work" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
counted=0
pass() {  # "ok" only when nothing failed since the last pass
  [ $failures -eq $counted ] && echo "ok: $*"
  counted=$failures
}

# --- one version ------------------------------------------------------------------------------
version=$(python3 "$src/scripts/release.py" --print-version) || { echo "FAIL: no version"; exit 1; }
printf '#include "oroscape.h"\nconst char v[] = "<<" OROSCAPE_VERSION_STRING ">>";\n' > "$work/version.c"
printf 'numbers: OROSCAPE_VERSION_MAJOR OROSCAPE_VERSION_MINOR OROSCAPE_VERSION_PATCH\n' >> "$work/version.c"
x86_64-w64-mingw32-gcc -E -P -I"$src/include" "$work/version.c" | grep -qx "numbers: ${version//./ }" ||
  fail "OROSCAPE_VERSION_MAJOR, _MINOR, _PATCH are not $version"
sed -i '$d' "$work/version.c"
x86_64-w64-mingw32-gcc -std=c89 -I"$src/include" -c "$work/version.c" -o "$work/version.o" || fail "the header does not compile"
grep -aqF "<<$version>>" "$work/version.o" || fail "OROSCAPE_VERSION_STRING is not \"$version\""
seen=$("$lutconv" --version) || fail "lutconv --version failed"
[ "$seen" = "lutconv (Oroscape) $version" ] || fail "lutconv --version says '$seen', the header $version"
for arch in i686 x86_64; do
  grep -aqF "lutconv (Oroscape) $version" "$dist/$arch/lutconv.exe" ||
    fail "dist/$arch/lutconv.exe does not carry version $version"
done
pass "version $version: header, lutconv, lutconv.exe"

# --- packed twice, byte for byte --------------------------------------------------------------
python3 "$src/scripts/release.py" --dist "$dist" --out "$work/a" >/dev/null || fail "packing failed"
sleep 1  # a second later: no packing time may reach the archives
python3 "$src/scripts/release.py" --dist "$dist" --out "$work/b" >/dev/null || fail "packing again failed"
names=$(cd "$work/a" && ls)
expected_names=$(printf '%s\n' "Oroscape-$version-i686.zip" "Oroscape-$version-x86_64.zip" SHA256SUMS)
[ "$names" = "$expected_names" ] || fail "release folder holds: $(echo $names)"
for f in $expected_names; do
  cmp -s "$work/a/$f" "$work/b/$f" || fail "$f differs between two packings"
done
(cd "$work/a" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not verify"
pass "two packings identical, SHA256SUMS verifies"

# --- the listing ------------------------------------------------------------------------------
listing() {
  local top=$1
  printf "$top/%s\n" CHANGELOG.md LICENSE README.md THIRD-PARTY-NOTICES.md \
    bin/Oroscape.dll bin/Oroscape.pdb bin/lutconv.exe include/oroscape.h \
    lib/Oroscape.def lib/Oroscape.lib lib/liboroscape.a \
    lib/cmake/Oroscape/OroscapeConfig.cmake lib/cmake/Oroscape/OroscapeConfigVersion.cmake \
    lib/pkgconfig/oroscape.pc licenses/GPL-2.txt licenses/GPL-3.txt licenses/LGPL-3.txt
  for t in arid dem2 dem3 elevation grey ocean terrain; do
    printf "$top/share/Oroscape/HeightLut/%s.lut\n$top/share/Oroscape/stops/%s.stops\n" $t $t
  done
  printf "$top/share/Oroscape/ramps/%s.txt\n" etopo2 geo relief srtm
}
mkdir -p "$work/u"
for arch in i686 x86_64; do
  top=Oroscape-$version-$arch
  zip=$work/a/$top.zip
  got=$(unzip -Z1 "$zip" | grep -v '/$' | LC_ALL=C sort)
  want=$(listing "$top" | LC_ALL=C sort)
  [ "$got" = "$want" ] || fail "$top.zip: listing differs:$(diff <(echo "$want") <(echo "$got") | grep '^[<>]' | tr '\n' ' ')"
  [ -z "$(unzip -Z -T "$zip" | awk '/^[-d]/ && $7 != "19800101.000000"')" ] || fail "$top.zip: an entry is not dated 1980-01-01"
  unzip -q "$zip" -d "$work/u" || fail "$top.zip does not unpack"
  for f in Oroscape.dll Oroscape.pdb lutconv.exe; do
    cmp -s "$dist/$arch/$f" "$work/u/$top/bin/$f" || fail "$top: bin/$f is not dist/$arch/$f"
  done
  for f in Oroscape.lib liboroscape.a; do
    cmp -s "$dist/$arch/$f" "$work/u/$top/lib/$f" || fail "$top: lib/$f is not dist/$arch/$f"
  done
done
pass "listings"

# --- against the README's list ------------------------------------------------------------------
# The first block under "What a host gets": each line's first word a file or pattern of the folder.
patterns=$(awk '/^## What a host gets/ {f = 1} f && /^```/ {n++; next} f && n == 1 {print $1} n >= 2 {exit}' \
  "$src/README.md")
[ -n "$patterns" ] || fail "README: no list under \"What a host gets\""
for arch in i686 x86_64; do
  top=Oroscape-$version-$arch
  entries=$(unzip -Z1 "$work/a/$top.zip" | grep -v '/$' | sed "s|^$top/||")
  for e in $entries; do
    hit=0
    for p in $patterns; do
      # shellcheck disable=SC2254
      case "$e" in $p) hit=$((hit + 1)) ;; esac
    done
    [ $hit -eq 1 ] || fail "$top: $e is matched by $hit lines of README's list, not one"
  done
  for p in $patterns; do
    found=0
    for e in $entries; do
      # shellcheck disable=SC2254
      case "$e" in $p) found=1; break ;; esac
    done
    [ $found -eq 1 ] || fail "$top: README lists $p, the archive holds none"
  done
done
pass "the archives hold what README says, and nothing else"

# --- CMake hosts -------------------------------------------------------------------------------
# toolchain  arch    package  wanted  expect  import library
cases="mingw      i686    i686     1.0     ok      liboroscape.a
mingw      x86_64  x86_64   1.0     ok      liboroscape.a
msvc       i686    i686     1.0     ok      Oroscape.lib
msvc       x86_64  x86_64   1.0     ok      Oroscape.lib
mingw      x86_64  i686     1.0     refused -
mingw      i686    i686     2.0     refused -
mingw      i686    i686     1.1     refused -"
toolchain() {  # KIND ARCH: a toolchain file of a host developer's
  local f=$work/toolchain-$1-$2.cmake
  if [ "$1" = mingw ]; then
    printf 'set(CMAKE_SYSTEM_NAME Windows)\nset(CMAKE_C_COMPILER %s-w64-mingw32-gcc)\n' "$2" > "$f"
  else
    # clang for the Microsoft ABI with lld-link, no Microsoft SDK here: no default libraries.
    local target=x86_64-pc-windows-msvc
    [ "$2" = i686 ] && target=i686-pc-windows-msvc
    cat > "$f" <<EOF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER clang)
set(CMAKE_C_COMPILER_TARGET $target)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld")
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
set(CMAKE_C_STANDARD_LIBRARIES "" CACHE STRING "")
EOF
  fi
  echo "$f"
}
n=0
while read -r kind arch package wanted expect implib; do
  n=$((n + 1))
  name="$kind $arch host, $package package, wants $wanted"
  b=$work/cmake$n
  extra=()
  [ "$kind" = msvc ] && extra=(-DMSVC_ABI_INCLUDE="$src/tests/msvc_host")
  cmake -S "$src/tests/native/release/consumer" -B "$b" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$(toolchain "$kind" "$arch")" \
    -DCMAKE_PREFIX_PATH="$work/u/Oroscape-$version-$package" -DWANTED_VERSION="$wanted" "${extra[@]}" \
    > "$b.log" 2>&1
  configured=$?
  if [ "$expect" = refused ]; then
    if [ $configured -eq 0 ]; then fail "$name: accepted"; else pass "$name: refused"; fi
    continue
  fi
  if [ $configured -ne 0 ]; then fail "$name: configuration failed (see $b.log)"; continue; fi
  prefix=$work/u/Oroscape-$version-$package
  want=$(printf '%s\n' "version=$version" "location=$prefix/bin/Oroscape.dll" "implib=$prefix/lib/$implib" \
    "include=$prefix/include")
  [ "$(cat "$b/package.txt")" = "$want" ] || fail "$name: the package gives $(tr '\n' ' ' < "$b/package.txt")"
  if ! cmake --build "$b" > "$b.build.log" 2>&1; then fail "$name: build failed (see $b.build.log)"; continue; fi
  imports=$(llvm-objdump -p "$b/host.exe" | grep "DLL Name")
  echo "$imports" | grep -q "DLL Name: Oroscape.dll" || fail "$name: host.exe imports no Oroscape.dll"
  pass "$name: linked with $implib"
done <<< "$cases"

# --- pkg-config hosts -------------------------------------------------------------------------
for arch in i686 x86_64; do
  prefix=$work/u/Oroscape-$version-$arch
  pc() { PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig PKG_CONFIG_SYSROOT_DIR=$prefix pkg-config "$@" oroscape; }
  [ "$(pc --modversion)" = "$version" ] || fail "pkg-config $arch: version $(pc --modversion)"
  flags=$(pc --cflags --libs) || { fail "pkg-config $arch: no flags"; continue; }
  [ "$(echo $flags)" = "-I$prefix/include -L$prefix/lib -loroscape" ] || fail "pkg-config $arch: $flags"
  # shellcheck disable=SC2086
  if "$arch-w64-mingw32-gcc" -Wall -Werror "$src/tests/native/release/consumer/host.c" $flags \
       -o "$work/pkgconfig-$arch.exe" 2> "$work/pkgconfig-$arch.log"; then
    llvm-objdump -p "$work/pkgconfig-$arch.exe" | grep -q "DLL Name: Oroscape.dll" ||
      fail "pkg-config $arch: host imports no Oroscape.dll"
    pass "pkg-config $arch: $flags"
  else
    fail "pkg-config $arch: link failed ($(head -3 "$work/pkgconfig-$arch.log"))"
  fi
done

# --- the hosts run ------------------------------------------------------------------------------
# Each MinGW-w64 host of an architecture this machine runs natively, beside the archive's DLL and the
# host's own libraries (the stand-ins of dist/), under Wine with the archive's tables as its host
# directory: _ReadColorTable reads terrain.lut (exit 0).
oroscape_root=$src
. "$src/scripts/wineenv.sh"
ia32_detect
run_host() {  # NAME EXE ARCH
  local name=$1 exe=$2 arch=$3 dir
  if [ "$arch" = i686 ] && [ "$OROSCAPE_IA32" != native ]; then
    echo "not run: $name (32-bit x86 code does not run natively here)"
    return
  fi
  dir=$work/run-$(basename "$exe" .exe)-$arch
  mkdir -p "$dir" && cp "$exe" "$work/u/Oroscape-$version-$arch/bin/Oroscape.dll" \
    "$dist/$arch/hubcore60.dll" "$dist/$arch/RimBase.dll" "$dir/" || { fail "$name: no folder to run in"; return; }
  if OROSCAPE_HOST_DIR="Z:$work/u/Oroscape-$version-$arch/share/Oroscape" OROSCAPE_TEST_TIMEOUT=120 \
       "$src/tests/wine/run-wine.sh" "$dir/$(basename "$exe")" > "$dir.log" 2>&1; then
    pass "$name ran and read terrain.lut"
  else
    fail "$name: did not read terrain.lut under Wine ($(tail -2 "$dir.log" | tr '\n' ' '))"
  fi
}
if command -v wine >/dev/null 2>&1; then
  run_host "CMake MinGW-w64 i686 host" "$work/cmake1/host.exe" i686
  run_host "CMake MinGW-w64 x86_64 host" "$work/cmake2/host.exe" x86_64
  run_host "pkg-config i686 host" "$work/pkgconfig-i686.exe" i686
  run_host "pkg-config x86_64 host" "$work/pkgconfig-x86_64.exe" x86_64
else
  echo "not run: the hosts (wine is not installed)"
fi

echo "$failures failed"
[ $failures -eq 0 ]
