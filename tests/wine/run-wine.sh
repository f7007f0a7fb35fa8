#!/bin/sh
# Runs a Windows test program under Wine in the project's prefix: the test
# emulator of the cross builds. Expects DISPLAY (the test run's Xvfb).
# OROSCAPE_TEST_LANG overrides the locale (default zh_CN.UTF-8, code page 936).
# OROSCAPE_TEST_DPI other than 96 runs the program in the prefix of that resolution,
# <prefix>-DPI (made by scripts/wineprefix.sh ARCH DPI).
# The loader and prefix follow the program's architecture and what this machine executes
# (scripts/wineenv.sh); a 32-bit program on a machine that runs no 32-bit code is skipped (77).
here=$(cd "$(dirname "$0")" && pwd)
oroscape_root=$(cd "$here/../.." && pwd)
. "$oroscape_root/scripts/wineenv.sh"
arch=$(pe_arch "$1") || { echo "run-wine.sh: $1 is no Windows program of i686 or x86_64" >&2; exit 1; }
if ! wine_runs "$arch"; then
  echo "skipped: $arch programs cannot run on this machine ($OROSCAPE_IA32_HOW)"
  exit 77
fi
wine_use "$arch"
if [ -n "${OROSCAPE_TEST_DPI:-}" ] && [ "$OROSCAPE_TEST_DPI" != 96 ]; then
  WINEPREFIX="$WINEPREFIX-$OROSCAPE_TEST_DPI"
  if [ ! -f "$WINEPREFIX/.oroscape-ready" ]; then
    echo "run-wine.sh: no prefix at $OROSCAPE_TEST_DPI dpi ($WINEPREFIX): scripts/wineprefix.sh $arch $OROSCAPE_TEST_DPI" >&2
    exit 1
  fi
fi
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export LANG="${OROSCAPE_TEST_LANG:-zh_CN.UTF-8}"
export LC_ALL="$LANG"
# Each test program on a Wine desktop of its own: programs that run side by side
# share no foreground window or stacking order.
export OROSCAPE_UI_OWN_DESKTOP="${OROSCAPE_UI_OWN_DESKTOP:-1}"
# The program runs in its own folder (beside the DLLs it loads); a relative name is taken from the
# caller's folder, before the change of folder.
exe="$1"; shift
dir=$(cd "$(dirname "$exe")" && pwd) || exit 1
exe="$dir/$(basename "$exe")"
cd "$dir" || exit 1
# Bounded: a test that hangs is killed and fails rather than stalling the run.
exec timeout -k 10 "${OROSCAPE_TEST_TIMEOUT:-300}" "$WINE" "$exe" "$@"
