#!/bin/sh
# lutconv_proof on a Windows build of lutconv (dist/<arch>/lutconv.exe), run under Wine in the
# project's prefix as scripts/check.sh sets it up:
#   lutconv_proof_wine.sh PROOF LUTCONV_EXE HEIGHTLUT_DIR TEST_DATA_DIR WORK_DIR
# Skipped (77) when dist/ holds no such build: `make dist` lays it out.
root=$(cd "$(dirname "$0")/../.." && pwd)
proof=$1 exe=$2
shift 2
[ -f "$exe" ] || { echo "skipped: no $exe (make dist lays it out)"; exit 77; }
command -v wine >/dev/null 2>&1 || { echo "skipped: wine is not installed"; exit 77; }
export WINEPREFIX="${OROSCAPE_WINEPREFIX:-$root/build/wineprefix}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Code page 936 and UTF-8 arguments: the Chinese output title reaches the program intact.
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
exec "$proof" "wine $exe" "$@"
