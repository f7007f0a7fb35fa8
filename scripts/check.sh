#!/bin/bash
# The whole test run: native unit tests, then the tests under Wine for both
# architectures inside one Xvfb display. Ends with one summary line.
#
# It first decides what this machine executes of 32-bit x86 code (scripts/wineenv.sh) and says
# so: natively, everything runs; where it runs no 32-bit code, i686 is proven under user-mode
# emulation (qemu-i386 for this run only: scripts/wineenv.sh, scripts/emulated.sh), by the programs
# that prove its ABI at run time (label abi) and the checks that need no Wine; where not even
# that can run, by the checks that need no Wine alone. What could not run is counted as skipped.
#   OROSCAPE_IA32=native|emulated|none   take that answer instead of asking the machine
#   OROSCAPE_IA32_EMULATE=0              where 32-bit code does not run, do not try emulation
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. scripts/display.sh
oroscape_root=$root
. scripts/wineenv.sh
jobs=${OROSCAPE_TEST_JOBS:-2}
log=build/check
mkdir -p "$log"

ia32_detect || exit 2
if [ "$OROSCAPE_IA32" = none ] && [ "${OROSCAPE_IA32_EMULATE:-1}" = 1 ]; then
  # Whatever the run registers is undone however it ends.
  trap 'ia32_restore' EXIT
  trap 'exit 130' INT TERM HUP
  ia32_emulate || true
fi
case "$OROSCAPE_IA32" in
  native)   i686_how="natively" ;;
  emulated) i686_how="under emulation" ;;
  *)        i686_how="not at all" ;;
esac
echo "check: 32-bit x86 code runs $i686_how here: $OROSCAPE_IA32_HOW"
echo "check: x86_64 programs run natively$([ "$OROSCAPE_IA32" = native ] || echo ", in a 64-bit-only Wine prefix")"

# The prefixes: the DPI tests run in prefixes of their own at 144 and 192 dots per inch
# (LogPixels), made from the test prefix. i686 under emulation runs no DPI test.
scripts/wineprefix.sh x86_64 || exit 1
for dpi in 144 192; do
  scripts/wineprefix.sh x86_64 "$dpi" || exit 1
done
if [ "$OROSCAPE_IA32" = emulated ]; then
  start=$(date +%s)
  scripts/emulated.sh scripts/wineprefix.sh i686 || exit 1
  echo "check: the i686 prefix is ready after $(( $(date +%s) - start )) s"
fi

passed=0; failed=0; skipped=0; status=0
# run_ctest NAME DIR [ARGS]: runs one tree's tests, adds up what CTest reports. A test that
# did not run (skipped: exit 77 where a tool or an architecture is missing) is counted apart.
run_ctest() {
  local name=$1 dir=$2 out="$log/$1.log"
  shift 2
  echo "== $name tests"
  ${ctest_wrap:-} ctest --test-dir "$dir" -j "$jobs" --output-on-failure --timeout 600 "$@" 2>&1 | tee "$out"
  local rc=${PIPESTATUS[0]}
  local line total bad skip
  line=$(grep -E "tests passed, [0-9]+ tests? failed out of [0-9]+" "$out" | tail -1)
  if [ -n "$line" ]; then
    total=$(echo "$line" | sed -E 's/.*out of ([0-9]+).*/\1/')
    bad=$(echo "$line" | sed -E 's/.* ([0-9]+) tests? failed.*/\1/')
    skip=$(grep -cE '^[[:space:]]*[0-9]+ - .* \((Skipped|Disabled)\)$' "$out")
    passed=$((passed + total - bad - skip)); failed=$((failed + bad)); skipped=$((skipped + skip))
  elif grep -q "No tests were found" "$out"; then
    :
  else
    failed=$((failed + 1))
  fi
  [ "$rc" -eq 0 ] || status=1
}

# not_run NAME DIR REASON [ARGS]: the tests ARGS select, counted as skipped and named.
not_run() {
  local name=$1 dir=$2 reason=$3 n
  shift 3
  n=$(ctest --test-dir "$dir" -N "$@" | sed -nE 's/^Total Tests: ([0-9]+)/\1/p')
  n=${n:-0}
  echo "== $name: $n tests skipped: $reason"
  skipped=$((skipped + n))
}

# Under Wine every test runs once: the UI driver waits for what a step needs (a
# window, a text, the code behind a closed dialog), so a loaded machine is slower,
# not flaky. One exception, inside Wine: real mouse input (SendInput) goes through
# the X server's one pointer, which the virtual desktops of the test programs that
# run side by side share, and now and then a click lands before Wine has the
# pointer where it was sent (seen once in about ten full runs: a mouse click of
# uidriver_test on x86_64 did not reach its button). The tests labelled realinput
# get one retry for that; every other test fails at its first failure.
# The tests labelled abisubset repeat part of a program that runs whole here: they exist for
# the emulated run.
run_wine_tests() {
  local arch=$1
  run_ctest "$arch" "build/$arch" -LE '^(realinput|abisubset)$'
  run_ctest "$arch-input" "build/$arch" -L '^realinput$' --repeat until-pass:2
}

# i686 where it does not run natively. Under emulation Wine's 32-bit side takes most of a
# minute to start each program, and dialogs are not shown reliably (qemu ends the program at
# the first one), so the ABI programs run, each on its own.
run_i686_elsewhere() {
  run_ctest "i686-without-wine" build/i686 -LE '^wine$'
  if [ "$OROSCAPE_IA32" = emulated ]; then
    local start
    start=$(date +%s)
    ctest_wrap=scripts/emulated.sh run_ctest "i686-emulated" build/i686 -L '^abi$' -j 1
    echo "check: the i686 programs under emulation took $(( $(date +%s) - start )) s"
    not_run i686 build/i686 "they show windows, which do not run under emulation here" -L '^wine$' -LE '^abi$'
  else
    not_run i686 build/i686 "this machine runs no 32-bit x86 code" -L '^wine$'
  fi
}

run_all() {
  run_ctest native build/native
  if [ "$OROSCAPE_IA32" = native ]; then
    run_wine_tests i686
  else
    run_i686_elsewhere
  fi
  run_wine_tests x86_64
}

# The native tree runs lutconv.exe under Wine too: inside the display as well, so that no Wine
# session without a display is still alive when the first window of the next tests is made.
if [ -n "${DISPLAY:-}" ] && [ "${OROSCAPE_USE_DISPLAY:-0}" = 1 ]; then
  run_all
else
  # One virtual display for both architectures; its own server, always stopped. Large
  # enough for the dialogs at 200 % (the chooser is about 1300 x 900 pixels there).
  start_xvfb 2048x1536
  run_all
  for a in x86_64 i686; do
    wine_runs "$a" || continue
    wine_use "$a"
    for p in "$WINEPREFIX" "$WINEPREFIX-144" "$WINEPREFIX-192"; do
      [ -d "$p" ] && WINEPREFIX="$p" wineserver -k 2>/dev/null || true
    done
  done
  stop_xvfb
fi

echo
echo "i686: ran $i686_how ($OROSCAPE_IA32_HOW); x86_64: ran natively"
if [ "$skipped" -gt 0 ]; then
  echo "$passed passed, $failed failed, $skipped skipped"
else
  echo "$passed passed, $failed failed"
fi
exit $status
