#!/bin/bash
# Runs every benchmark program of both architectures under Wine (inside a
# virtual display) and writes BENCHMARKS.md: machine, date, and each figure as
# the program printed it ("name: median <value> <unit> [ratio <r> ...]"). A figure that states
# its goal ("goal <= G") and whose ratio is above it is flagged in the table.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. scripts/display.sh
oroscape_root=$root
. scripts/wineenv.sh
ia32_detect
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
out=BENCHMARKS.md
tmp=$(mktemp)

start_xvfb

{
  echo "# Benchmarks"
  echo
  echo "Written by \`make bench\` ($(date -u '+%Y-%m-%d %H:%M UTC')). Medians of repeated runs under Wine"
  echo "$("$OROSCAPE_WINE64_LOADER" --version 2>/dev/null) in Xvfb; ratios compare the library with a raw Win32 baseline measured"
  echo "in the same run. These are shared, noisy machines: read the ratios, not the absolute times."
  echo
  echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'),"
  echo "$(awk '/MemTotal/ {printf "%d", $2 / 1048576 + 0.5}' /proc/meminfo) GiB, $(. /etc/os-release; echo "$PRETTY_NAME")."
  echo
} > "$tmp"

# " **above its goal**" when the line's first ratio is above the goal it states ("goal <= G"), or
# its median above a time it states ("under T ms"); nothing otherwise.
above_goal() {
  printf '%s\n' "$1" | awk '{
    over = 0
    if (match($0, /ratio [0-9.]+/)) {
      r = substr($0, RSTART + 6, RLENGTH - 6) + 0
      if (match($0, /goal <= [0-9.]+/) && r > substr($0, RSTART + 8, RLENGTH - 8) + 0) over = 1
    }
    if (match($0, /median [0-9.]+ ms/)) {
      m = substr($0, RSTART + 7, RLENGTH - 10) + 0
      if (match($0, /under [0-9.]+ ms/) && m > substr($0, RSTART + 6, RLENGTH - 9) + 0) over = 1
    }
    if (over) printf " **above its goal**"
  }'
}

status=0
for arch in i686 x86_64; do
  bin=build/$arch/bin
  [ -d "$bin" ] || continue
  # Figures are taken where the processor runs the code: none under emulation.
  if [ "$arch" = i686 ] && [ "$OROSCAPE_IA32" != native ]; then
    echo "== i686 not measured: 32-bit x86 code does not run natively here ($OROSCAPE_IA32_HOW)"
    continue
  fi
  wine_use "$arch"
  echo "## $arch" >> "$tmp"
  echo >> "$tmp"
  echo '| benchmark | figure |' >> "$tmp"
  echo '|---|---|' >> "$tmp"
  for exe in "$bin"/bench_*.exe "$bin"/terrainview.exe; do
    [ -f "$exe" ] || continue
    name=$(basename "$exe" .exe)
    args=()
    [ "$name" = terrainview ] && args=(--bench)
    echo "== $arch $name"
    all=$(cd "$bin" && timeout 600 "$WINE" "./$name.exe" "${args[@]}" 2>/dev/null | tr -d '\r')
    lines=$(echo "$all" | grep -E '^ *[A-Za-z0-9_]+: ' | sed 's/^ *//')
    # A program that reports in sentences rather than "name: figure" lines: its lines as they are.
    [ -z "$lines" ] && lines=$(echo "$all" | grep -v '^ *$' | sed 's/^ */'"$name"': /')
    if [ -z "$lines" ]; then
      echo "| $name | (no figures: failed) |" >> "$tmp"
      status=1
      continue
    fi
    echo "$lines"
    while IFS= read -r line; do
      echo "| ${line%%:*} | ${line#*: }$(above_goal "$line") |" >> "$tmp"
    done <<< "$lines"
  done
  echo >> "$tmp"
done
for arch in i686 x86_64; do
  wine_runs "$arch" && wine_use "$arch" && wineserver -k 2>/dev/null || true
done
stop_xvfb
mv "$tmp" "$out"
echo "wrote $out"
exit $status
