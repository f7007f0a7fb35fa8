#!/bin/sh
# lutconv_proof on a Windows build of lutconv (dist/<arch>/lutconv.exe), run under Wine in the
# project's prefix as scripts/check.sh sets it up:
#   lutconv_proof_wine.sh PROOF LUTCONV_EXE HEIGHTLUT_DIR TEST_DATA_DIR WORK_DIR
# Skipped (77) when dist/ holds no such build: `make dist` lays it out.
# Skipped too where the machine cannot run programs of that architecture (scripts/wineenv.sh).
oroscape_root=$(cd "$(dirname "$0")/../.." && pwd)
. "$oroscape_root/scripts/wineenv.sh"
proof=$1 exe=$2
shift 2
[ -f "$exe" ] || { echo "skipped: no $exe (make dist lays it out)"; exit 77; }
command -v wine >/dev/null 2>&1 || { echo "skipped: wine is not installed"; exit 77; }
arch=$(pe_arch "$exe") || { echo "lutconv_proof_wine.sh: $exe is no Windows program of i686 or x86_64" >&2; exit 1; }
wine_runs "$arch" || { echo "skipped: $arch programs cannot run on this machine ($OROSCAPE_IA32_HOW)"; exit 77; }
if [ "$OROSCAPE_IA32" = emulated ] && [ "$arch" = i686 ]; then
  # Each start of Wine's 32-bit side takes about a minute under emulation; the proof starts
  # lutconv dozens of times.
  echo "skipped: i686 programs run only under emulation here, too slow for the proof's many runs"
  exit 77
fi
wine_use "$arch"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Code page 936 and UTF-8 arguments: the Chinese output title reaches the program intact.
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
exec "$proof" "$WINE $exe" "$@"
