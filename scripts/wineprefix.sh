#!/bin/sh
# Makes a Wine prefix of the build tree once (see scripts/wineenv.sh for which prefix runs which
# architecture on this machine). A WoW64 prefix made before wine32 was installed cannot run
# 32-bit programs: it is detected and made anew; so is one made by an older version of this
# script (the checks below look for each of its settings).
#
#   wineprefix.sh [ARCH]        the prefix the programs of ARCH (i686 or x86_64, default x86_64)
#                               run in: build/wineprefix (or $OROSCAPE_WINEPREFIX), or its
#                               64-bit-only sibling <that>-64 where 32-bit code does not run natively
#   wineprefix.sh [ARCH] DPI    the same prefix at another resolution (LogPixels, e.g. 144 or 192):
#                               <prefix>-DPI, made from the first one; the DPI tests run in it
set -e
oroscape_root=$(cd "$(dirname "$0")/.." && pwd)
. "$oroscape_root/scripts/wineenv.sh"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
arch=x86_64
case "${1:-}" in i686|x86_64) arch=$1; shift ;; esac
if [ "$arch" = i686 ] && ! wine_runs i686; then
  echo "wineprefix: this machine runs no 32-bit x86 code ($OROSCAPE_IA32_HOW): no prefix for i686" >&2
  exit 1
fi
wine_use "$arch"
base=$WINEPREFIX
# Where 32-bit code runs only under emulation, the prefix is set up through the 64-bit loader:
# wineboot and reg are 64-bit programs, and the 32-bit loader would first start itself under
# emulation (most of a minute each time). wineboot still runs the prefix's 32-bit parts, through
# the 32-bit loader beside the 64-bit one.
if [ "$OROSCAPE_IA32" != native ] && [ "$WINE" = wine ]; then
  export WINELOADER="$OROSCAPE_WINE64_LOADER"
  WINE=$OROSCAPE_WINE64_LOADER
fi

if [ $# -gt 0 ]; then
  dpi=$1
  case "$dpi" in
    ''|*[!0-9]*) echo "wineprefix: DPI must be a number, not '$dpi'" >&2; exit 2 ;;
  esac
  "$0" "$arch"  # the prefix it is made from
  export WINEPREFIX="$base-$dpi"
  hex=$(printf '%08x' "$dpi")
  if [ -f "$WINEPREFIX/.oroscape-ready" ] && [ ! "$base/.oroscape-ready" -nt "$WINEPREFIX/.oroscape-ready" ] &&
     grep -q "\"LogPixels\"=dword:$hex" "$WINEPREFIX/user.reg" 2>/dev/null; then
    exit 0
  fi
  rm -rf "$WINEPREFIX"
  echo "wineprefix: creating $WINEPREFIX"
  WINEPREFIX="$base" wineserver -w 2>/dev/null || true
  # Wine's own DLLs (1.3 GB) are shared as hard links: nothing writes them after the first boot
  # of a Wine version. The registry, which the server rewrites, is each prefix's own.
  cp -al "$base" "$WINEPREFIX" 2>/dev/null || { rm -rf "$WINEPREFIX"; cp -a "$base" "$WINEPREFIX"; }
  for f in "$WINEPREFIX"/*.reg; do
    cp --remove-destination "$base/$(basename "$f")" "$f"
  done
  rm -f "$WINEPREFIX/.oroscape-ready"
  "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  # The resolution takes effect when the server starts again.
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  if ! grep -q "\"LogPixels\"=dword:$hex" "$WINEPREFIX/user.reg"; then
    echo "wineprefix: LogPixels $dpi did not reach $WINEPREFIX/user.reg" >&2
    exit 1
  fi
  touch "$WINEPREFIX/.oroscape-ready"
  exit 0
fi

export WINEPREFIX="$base"
if [ -f "$WINEPREFIX/.oroscape-ready" ] && grep -q '"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null &&
   grep -q '"SimSun"="WenQuanYi Micro Hei"' "$WINEPREFIX/user.reg" 2>/dev/null &&
   [ -f "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf" ]; then
  exit 0
fi
rm -rf "$WINEPREFIX"
mkdir -p "$(dirname "$WINEPREFIX")"
echo "wineprefix: creating $WINEPREFIX (${WINEARCH:-WoW64}, for $arch programs; 32-bit code: $OROSCAPE_IA32)"
"$WINE" wineboot -i >/dev/null 2>&1 || true
wineserver -w || true
if [ "${WINEARCH:-}" != win64 ] && [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
  echo "wineprefix: the prefix cannot run 32-bit programs (is wine32 installed?)" >&2
  exit 1
fi
# Without a window manager Wine waits for one at every hide of a managed window
# (about 2 s per dialog closed): the test display has none, so windows are unmanaged.
"$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
# The Chinese faces a Windows system carries, which its other faces link to for Chinese text
# (caption bars under a Western code page): here they are the Chinese face Debian installs.
for face in "SimSun" "Microsoft YaHei" "Microsoft YaHei UI"; do
  "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d "WenQuanYi Micro Hei" /f >/dev/null 2>&1
done
# Marlett, the face Wine draws the caption buttons with (without it they show as the letters
# "0 1 r"), from Debian's fonts-wine; Wine 8 does not look in that folder by itself. Only
# Marlett: with the package's Tahoma, captions under a Western code page would lose their
# Chinese glyphs (Tahoma links to Chinese faces by file names this system lacks).
if [ ! -f /usr/share/wine/fonts/marlett.ttf ]; then
  echo "wineprefix: /usr/share/wine/fonts/marlett.ttf is missing (is fonts-wine installed?)" >&2
  exit 1
fi
cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
wineserver -w || true
touch "$WINEPREFIX/.oroscape-ready"
