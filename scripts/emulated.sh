#!/bin/sh
# Runs a command whose 32-bit x86 programs run under qemu-i386 (scripts/wineenv.sh decides how):
#   OROSCAPE_EMULATION=namespace  in a user and mount namespace of its own, with a binfmt_misc
#                                 instance of its own (Linux 6.7 and later) that hands i386 ELF
#                                 files to qemu: nothing changes for the rest of the machine, and
#                                 nothing is left behind however the command ends
#   anything else                 as it is (the machine's binfmt_misc already hands them over)
# The entry's F flag opens qemu at registration, so it serves whatever mounts the command sees.
if [ "${OROSCAPE_EMULATION:-}" != namespace ]; then
  exec "$@"
fi
qemu=${OROSCAPE_QEMU_I386:-/usr/bin/qemu-i386-static}
exec unshare --user --map-root-user --mount sh -c '
  mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc || exit 125
  printf "%s" ":oroscape-i386:M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:$0:F" \
    > /proc/sys/fs/binfmt_misc/register || exit 125
  exec "$@"' "$qemu" "$@"
