#!/bin/bash
# Fuzzes the library's parsers and name rules natively with libFuzzer (clang, AddressSanitizer,
# UndefinedBehaviorSanitizer): builds fuzz/ into build/fuzz and runs each target for a bounded
# time (FUZZ_SECONDS, default 60) from its committed seed corpus. The corpus grown by a run stays
# in build/fuzz/corpus/<target>; an input that breaks a target lands in build/fuzz/crashes/<target>/.
# Prints the executions of each target and fails when any target found a crash.
#   scripts/fuzz.sh [target...]     targets: colortable envi_header ext_token table_name ramp
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${FUZZ_SECONDS:-60}
jobs=${JOBS:-2}
out=${FUZZ_BUILD_DIR:-build/fuzz}
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(colortable envi_header ext_token table_name ramp)

# clang and its runtime libraries (libFuzzer lives in libclang-rt-14-dev): needed here only,
# so installed here, not by scripts/install-deps.sh.
need=""
command -v clang++ >/dev/null 2>&1 || need="$need clang"
dpkg-query -W -f='${Status}' libclang-rt-14-dev 2>/dev/null | grep -q "install ok installed" ||
  need="$need libclang-rt-14-dev"
if [ -n "$need" ]; then
  if [ "$(id -u)" != 0 ]; then
    echo "fuzz: missing:$need (as root: apt-get install$need)" >&2
    exit 1
  fi
  echo "fuzz: installing$need"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $need >/dev/null || {
    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $need >/dev/null; } ||
    { echo "fuzz: could not install$need" >&2; exit 1; }
fi

if [ ! -f "$out/CMakeCache.txt" ]; then
  cmake -S fuzz -B "$out" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
fi
cmake --build "$out" -j "$jobs" || exit 1

status=0
summary=()
for t in "${targets[@]}"; do
  exe="$out/fuzz_$t"
  [ -x "$exe" ] || { echo "fuzz: no target $t" >&2; status=1; continue; }
  work="$out/corpus/$t"
  crashes="$out/crashes/$t"
  mkdir -p "$work" "$crashes"
  dict=()
  [ -f "fuzz/dict/$t.dict" ] && dict=(-dict="fuzz/dict/$t.dict")
  log="$out/$t.log"
  echo "== fuzz_$t: ${seconds}s from fuzz/corpus/$t"
  # New inputs go into the work corpus (the first directory); the committed seeds are only read.
  "$exe" "$work" "fuzz/corpus/$t" "${dict[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$crashes/" >"$log" 2>&1
  rc=$?
  runs=$(grep -E '^stat::number_of_executed_units:' "$log" | tail -1 | awk '{print $2}')
  speed=$(grep -E '^stat::average_exec_per_sec:' "$log" | tail -1 | awk '{print $2}')
  cov=$(grep -E '#[0-9]+[[:space:]]+DONE' "$log" | tail -1 | sed -E 's/.*cov: ([0-9]+).*/\1/')
  found=$(find "$crashes" -type f | wc -l)
  if [ "$rc" -ne 0 ] || [ "$found" -gt 0 ]; then
    status=1
    echo "fuzz_$t: FAILED (exit $rc); inputs kept in $crashes:"
    find "$crashes" -type f | sed 's/^/  /'
    grep -E 'ERROR: |property broken|runtime error' "$log" | head -5 | sed 's/^/  /'
  fi
  line="fuzz_$t: ${runs:-?} executions (${speed:-?}/s), coverage ${cov:-?}, corpus $(find "$work" -type f | wc -l) inputs, crashes $found"
  echo "$line"
  summary+=("$line")
done
echo
printf '%s\n' "${summary[@]}"
exit $status
