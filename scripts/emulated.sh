#!/bin/sh
# Runs a command whose 32-bit x86 programs run under qemu-i386 (scripts/wineenv.sh decides how):
#   OROSCAPE_EMULATION=namespace  in a user and mount namespace of its own, with a binfmt_misc
#                                 instance of its own (Linux 6.7 and later) that hands i386 ELF
#                                 files to qemu: nothing changes for the rest of the machine, and
#                                 nothing is left behind however the command ends
#   anything else                 as it is (the machine's binfmt_misc already hands them over)
if [ "${OROSCAPE_EMULATION:-}" != namespace ]; then
  exec "$@"
fi
oroscape_root=$(cd "$(dirname "$0")/.." && pwd)
. "$oroscape_root/scripts/wineenv.sh"
exec unshare --user --map-root-user --mount sh -c '
  mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc || exit 125
  printf "%s" "$0" > /proc/sys/fs/binfmt_misc/register || exit 125
  exec "$@"' "$(binfmt_register_line "$binfmt_entry" "$OROSCAPE_QEMU_I386")" "$@"
