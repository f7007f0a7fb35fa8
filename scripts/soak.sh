#!/bin/bash
# The long soak: every export of Oroscape.dll used again and again in one process under Wine, for
# both architectures (tests/wine/reliability/soak_test.cpp): each dialog opened and closed
# OROSCAPE_SOAK_CYCLES times (default 300; OK and Cancel alternating, the model sheet shown with an
# Apply each time, the chooser previewing a bitmap each time), with the process's GDI objects,
# windows, menus, kernel handles and private bytes counted after every cycle. Prints, per export and
# counter, the level after the first cycles, the final level and the largest growth; fails when a
# level ended above its margin. Logs: <log dir>/<arch>.log.
#   SOAK_BUILD_DIRS   the cross build trees to soak (default: build/i686 build/x86_64)
#   SOAK_LOG_DIR      where the logs go (default: build/soak)
#   SOAK_OWN_DISPLAY  1 (default): a virtual display of its own, and Wine's server stopped at the end;
#                     0: the caller's $DISPLAY and Wine server, as in the short soak that CTest runs
#                     inside `make check` (tests/wine/reliability/CMakeLists.txt)
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. scripts/display.sh
oroscape_root=$root
. scripts/wineenv.sh
ia32_detect
export OROSCAPE_SOAK_CYCLES="${OROSCAPE_SOAK_CYCLES:-300}"
export OROSCAPE_TEST_TIMEOUT="${OROSCAPE_TEST_TIMEOUT:-7200}"
builds=${SOAK_BUILD_DIRS:-build/i686 build/x86_64}
log=${SOAK_LOG_DIR:-build/soak}
mkdir -p "$log"

own_display=${SOAK_OWN_DISPLAY:-1}
if [ "$own_display" = 1 ]; then
  # A virtual display of its own, always stopped.
  start_xvfb
elif [ -z "${DISPLAY:-}" ]; then
  echo "soak: SOAK_OWN_DISPLAY=0 needs a display (DISPLAY)" >&2
  exit 1
fi

status=0
summary=()
for dir in $builds; do
  arch=$(basename "$dir")
  exe="$dir/bin/reliability_soak_test.exe"
  if [ "$arch" = i686 ] && [ "$OROSCAPE_IA32" != native ]; then
    summary+=("$arch: not soaked, 32-bit x86 code does not run natively here ($OROSCAPE_IA32_HOW)")
    continue
  fi
  if [ ! -f "$exe" ]; then
    echo "soak: $exe is missing (build it first: make $arch)" >&2
    status=1
    continue
  fi
  echo "== soak $arch: $OROSCAPE_SOAK_CYCLES cycles of each export"
  start=$(date +%s)
  tests/wine/run-wine.sh "$exe" 2>&1 | stdbuf -oL tr -d '\r' | tee "$log/$arch.log" |
    grep --line-buffered -E '^(soak |platform|  [a-z]|    GDI|\[  FAILED|\[  PASSED)'
  rc=${PIPESTATUS[0]}
  took=$(( $(date +%s) - start ))
  if [ "$rc" -ne 0 ]; then
    status=1
    summary+=("$arch: FAILED after ${took} s (see $log/$arch.log)")
  else
    summary+=("$arch: every level held, ${took} s")
  fi
done
if [ "$own_display" = 1 ]; then
  for arch in i686 x86_64; do
    wine_runs "$arch" && wine_use "$arch" && wineserver -k 2>/dev/null || true
  done
  stop_xvfb
fi

echo
printf 'soak %s\n' "${summary[@]}"
exit $status
