#!/bin/sh
# `make` on a machine that lacks the cross compiler, then has it: the failed configuration leaves
# no tree behind, and the same command then configures (also over a tree left broken by an older
# build). Runs the project's Makefile against a build folder of its own.
#   configure_test.sh PROJECT_DIR WORK_DIR
set -u
root=$1 work=$2
rm -rf "$work"
mkdir -p "$work/bin" "$work/tree/i686"
fail() { echo "FAIL: $*"; rm -rf "$work"; exit 1; }

# This machine's PATH without MinGW's programs.
for d in $(echo "$PATH" | tr ':' ' '); do
  for f in "$d"/*; do
    case "${f##*/}" in *mingw32*) continue ;; esac
    [ -e "$work/bin/${f##*/}" ] || ln -s "$f" "$work/bin/${f##*/}"
  done
done
# What an interrupted or failed configuration of an older build left: a cache, no Makefile.
echo "CMAKE_C_COMPILER:FILEPATH=CMAKE_C_COMPILER-NOTFOUND" > "$work/tree/i686/CMakeCache.txt"

PATH="$work/bin" make -s -C "$root" B="$work/tree" configure-i686 > "$work/first.log" 2>&1 &&
  fail "configured without a compiler"
grep -q "mingw32" "$work/first.log" || fail "the failure does not name the missing compiler: $(cat "$work/first.log")"
[ -e "$work/tree/i686" ] && fail "the failed configuration left $work/tree/i686"

make -s -C "$root" B="$work/tree" configure-i686 > "$work/second.log" 2>&1 ||
  fail "did not configure once the compiler is there: $(tail -5 "$work/second.log")"
[ -f "$work/tree/i686/Makefile" ] || fail "no Makefile after the configuration"
rm -rf "$work"
echo "ok: a failed configuration leaves nothing, the next one succeeds"
