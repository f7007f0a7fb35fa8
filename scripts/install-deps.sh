#!/bin/sh
# Installs the Debian packages the build and the tests need, when any is
# missing. Needs root (apt-get); as another user it only reports what is missing.
set -e
PKGS="cmake make python3 g++ googletest
g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools
wine wine64 wine32:i386
xvfb xauth fonts-wqy-microhei imagemagick
libgl1:i386 libgl1-mesa-dri:i386 libglx-mesa0:i386 libgl1-mesa-dri libglx-mesa0"

missing=""
for p in $PKGS; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done
[ -z "$missing" ] && exit 0

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
echo "install-deps: done"
