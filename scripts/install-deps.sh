#!/bin/sh
# Installs the Debian packages the build and the tests need, when any is
# missing. Needs root (apt-get); as another user it only reports what is missing.
# qemu-user-static runs the i686 tests where the machine executes no 32-bit code (scripts/wineenv.sh).
set -e
PKGS="cmake make python3 g++ googletest locales
g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools clang lld llvm
wine wine64 wine32:i386
xvfb xauth fonts-wqy-microhei fonts-wine imagemagick gdal-bin qemu-user-static pkgconf unzip
libgl1:i386 libgl1-mesa-dri:i386 libglx-mesa0:i386 libgl1-mesa-dri libglx-mesa0"

# Locales the tests run under: Chinese (code page 936) and a Western one (1252).
# Without the Chinese locale Wine cannot make files with Chinese names.
ensure_locales() {
  for loc in zh_CN en_US; do
    if ! locale -a 2>/dev/null | grep -qi "^$loc\.utf-\?8$"; then
      if [ "$(id -u)" = 0 ]; then
        localedef -i "$loc" -f UTF-8 "$loc.UTF-8" || echo "install-deps: could not make $loc.UTF-8" >&2
      else
        echo "install-deps: locale $loc.UTF-8 is missing (as root: localedef -i $loc -f UTF-8 $loc.UTF-8)" >&2
      fi
    fi
  done
}

missing=""
for p in $PKGS; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done
if [ -z "$missing" ]; then
  ensure_locales
  exit 0
fi

echo "install-deps: missing:$missing"
if [ "$(id -u)" != 0 ]; then
  echo "install-deps: run as root (or install them yourself): apt-get install$missing" >&2
  exit 1
fi
if ! dpkg --print-foreign-architectures | grep -q i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends $missing >/dev/null
ensure_locales
echo "install-deps: done"
