# Sourced by every script that runs a program under Wine (POSIX sh): what this machine can execute
# of 32-bit x86 code, and the Wine loader and prefix each architecture runs with.
#
#   ia32_detect         sets OROSCAPE_IA32 to native | emulated | none and OROSCAPE_IA32_HOW (one
#                       line saying why); an OROSCAPE_IA32 already set is kept, so the answer can be
#                       forced (OROSCAPE_IA32=none runs the 64-bit-only way on any machine)
#   ia32_emulate        on a machine that runs no 32-bit code: qemu-i386 runs them for this run
#                       (below); commands that run 32-bit programs then go through
#                       scripts/emulated.sh. ia32_restore puts back what the machine had before:
#                       callers trap EXIT INT TERM HUP to it.
#   wine_use ARCH       exports WINEPREFIX (and WINELOADER, WINEARCH where needed) for programs of
#                       ARCH and sets WINE to the loader to call
#   pe_arch FILE        prints i686 or x86_64, from the machine field of a PE file
#
# The prefixes (base: $OROSCAPE_WINEPREFIX, default build/wineprefix):
#   - where 32-bit code runs natively, both architectures share base, a WoW64 prefix started by
#     Debian's `wine` (which prefers the 32-bit loader);
#   - elsewhere x86_64 programs run in base-64, a 64-bit-only prefix started by the 64-bit loader
#     (Debian's `wine` would pick the 32-bit loader, which cannot start there, for every program),
#     and i686 programs, under emulation, in base, a WoW64 prefix of their own: while qemu serves
#     32-bit code, a WoW64 prefix runs parts of every start under emulation, 64-bit programs too.
# The prefixes at another resolution are <prefix>-DPI (scripts/wineprefix.sh DPI).

# Expects oroscape_root, the project's folder.
: "${oroscape_root:?wineenv.sh needs oroscape_root}"
OROSCAPE_WINE64_LOADER=${OROSCAPE_WINE64_LOADER:-/usr/lib/wine/wine64}
OROSCAPE_QEMU_I386=${OROSCAPE_QEMU_I386:-/usr/bin/qemu-i386-static}
binfmt_dir=/proc/sys/fs/binfmt_misc
# The entry this project registers, and what to put back afterwards.
binfmt_entry=oroscape-i386
binfmt_restore=

# The line that registers NAME as the interpreter INTERPRETER of i386 ELF executables (ELF, 32-bit,
# little-endian, type executable or shared object, e_machine 3). F: the interpreter is opened at
# registration, so it serves inside any mount namespace or chroot.
binfmt_register_line() {
  printf '%s' ":$1:M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:$2:F"
}

# The binfmt_misc entry, enabled or not, that hands i386 ELF files to an interpreter: prints its
# name; nothing when there is none. Read, not guessed by running a program: with such an entry
# enabled a 32-bit program runs, but under emulation.
ia32_binfmt_entry() {
  [ -r "$binfmt_dir/status" ] || return 0
  for e in "$binfmt_dir"/*; do
    case "${e##*/}" in register|status) continue ;; esac
    [ -f "$e" ] || continue
    # ELF, 32-bit, little-endian, e_machine 3 (i386) at byte 18: characters 37 to 40 of the magic.
    magic=$(sed -n 's/^magic //p' "$e")
    case "$magic" in
      7f454c460101*) [ "$(printf '%s' "$magic" | cut -c37-40)" = 0300 ] && { echo "${e##*/}"; return 0; } ;;
    esac
  done
}

ia32_detect() {
  if [ -n "${OROSCAPE_IA32:-}" ]; then
    case "$OROSCAPE_IA32" in
      native|emulated|none) OROSCAPE_IA32_HOW=${OROSCAPE_IA32_HOW:-"set by OROSCAPE_IA32"} ;;
      *) echo "wineenv: OROSCAPE_IA32 must be native, emulated or none, not '$OROSCAPE_IA32'" >&2; return 2 ;;
    esac
    export OROSCAPE_IA32 OROSCAPE_IA32_HOW
    return 0
  fi
  entry=$(ia32_binfmt_entry)
  if [ -n "$entry" ] && [ "$(head -n1 "$binfmt_dir/$entry")" = enabled ]; then
    OROSCAPE_IA32=emulated OROSCAPE_EMULATION=global
    OROSCAPE_IA32_HOW="binfmt_misc entry '$entry' hands 32-bit programs to $(sed -n 's/^interpreter //p' "$binfmt_dir/$entry")"
  elif [ ! -e /lib/ld-linux.so.2 ]; then
    OROSCAPE_IA32=none
    OROSCAPE_IA32_HOW="no 32-bit loader is installed (/lib/ld-linux.so.2: libc6:i386, which wine32 brings)"
  elif /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    OROSCAPE_IA32=native
    OROSCAPE_IA32_HOW="the processor runs them (/lib/ld-linux.so.2 starts)"
  else
    OROSCAPE_IA32=none
    OROSCAPE_IA32_HOW="the kernel runs 64-bit code only (/lib/ld-linux.so.2: $(/lib/ld-linux.so.2 --version 2>&1 | head -n1 | sed 's/.*: //'))"
  fi
  export OROSCAPE_IA32 OROSCAPE_IA32_HOW OROSCAPE_EMULATION
}

# Makes qemu-i386 run 32-bit programs for this run, and sets OROSCAPE_EMULATION to how:
#   namespace  a binfmt_misc instance of the run's own, in a user namespace (scripts/emulated.sh
#              runs each command there): nothing on the machine changes, not even for a moment;
#   global     where the kernel has no such instances (before Linux 6.7), the machine's binfmt_misc,
#              as root: an entry of the project's own (or someone's disabled one, enabled), undone
#              by ia32_restore.
# Returns 1 with the reason added to OROSCAPE_IA32_HOW when neither can be had.
ia32_emulate() {
  if [ ! -x "$OROSCAPE_QEMU_I386" ]; then
    OROSCAPE_IA32_HOW="$OROSCAPE_IA32_HOW; $OROSCAPE_QEMU_I386 is missing (apt-get install qemu-user-static)"
    return 1
  fi
  if OROSCAPE_EMULATION=namespace "$oroscape_root/scripts/emulated.sh" /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    OROSCAPE_IA32=emulated OROSCAPE_EMULATION=namespace
    OROSCAPE_IA32_HOW="$OROSCAPE_IA32_HOW; for this run qemu-i386 runs them (user-mode emulation, a binfmt_misc of the run's own in a user namespace)"
    export OROSCAPE_IA32 OROSCAPE_IA32_HOW OROSCAPE_EMULATION
    return 0
  fi
  if [ "$(id -u)" != 0 ]; then
    OROSCAPE_IA32_HOW="$OROSCAPE_IA32_HOW; no binfmt_misc of a user namespace here, and not root, so no emulator can be registered"
    return 1
  fi
  if [ ! -e "$binfmt_dir/register" ]; then
    mount -t binfmt_misc binfmt_misc "$binfmt_dir" 2>/dev/null || {
      OROSCAPE_IA32_HOW="$OROSCAPE_IA32_HOW; binfmt_misc cannot be mounted here"
      return 1
    }
    binfmt_restore=unmount
  fi
  entry=$(ia32_binfmt_entry)
  if [ -n "$entry" ]; then
    # Someone's entry, disabled: enabled for the run, disabled again afterwards.
    echo 1 > "$binfmt_dir/$entry" || return 1
    [ "$binfmt_restore" = unmount ] || binfmt_restore="disable $entry"
  else
    binfmt_register_line "$binfmt_entry" "$OROSCAPE_QEMU_I386" \
      > "$binfmt_dir/register" 2>/dev/null || {
      OROSCAPE_IA32_HOW="$OROSCAPE_IA32_HOW; binfmt_misc refused the qemu-i386 entry"
      ia32_restore
      return 1
    }
    [ "$binfmt_restore" = unmount ] || binfmt_restore="remove $binfmt_entry"
  fi
  if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    OROSCAPE_IA32_HOW="$OROSCAPE_IA32_HOW; registered, qemu-i386 still cannot start the 32-bit loader"
    ia32_restore
    return 1
  fi
  OROSCAPE_IA32=emulated OROSCAPE_EMULATION=global
  OROSCAPE_IA32_HOW="$OROSCAPE_IA32_HOW; for this run qemu-i386 runs them (user-mode emulation, an entry in the machine's binfmt_misc, removed when the run ends)"
  export OROSCAPE_IA32 OROSCAPE_IA32_HOW OROSCAPE_EMULATION
}

ia32_restore() {
  case "$binfmt_restore" in
    unmount)
      [ -e "$binfmt_dir/$binfmt_entry" ] && echo -1 > "$binfmt_dir/$binfmt_entry" 2>/dev/null
      umount "$binfmt_dir" 2>/dev/null ;;
    "disable "*) echo 0 > "$binfmt_dir/${binfmt_restore#disable }" 2>/dev/null ;;
    "remove "*) echo -1 > "$binfmt_dir/${binfmt_restore#remove }" 2>/dev/null ;;
  esac
  binfmt_restore=
}

wine_use() {
  [ -n "${OROSCAPE_IA32:-}" ] || ia32_detect
  base="${OROSCAPE_WINEPREFIX:-$oroscape_root/build/wineprefix}"
  unset WINEARCH
  if [ "$OROSCAPE_IA32" = native ] || [ "$1" = i686 ]; then
    export WINEPREFIX="$base"
    unset WINELOADER
    WINE=wine
  else
    export WINEPREFIX="$base-64" WINEARCH=win64 WINELOADER="$OROSCAPE_WINE64_LOADER"
    WINE=$OROSCAPE_WINE64_LOADER
  fi
}

# Whether programs of ARCH can run here at all.
wine_runs() {
  [ -n "${OROSCAPE_IA32:-}" ] || ia32_detect
  [ "$1" = x86_64 ] || [ "$OROSCAPE_IA32" != none ]
}

pe_arch() {
  # e_lfanew at 0x3c; the machine field follows the "PE\0\0" signature.
  off=$(od -An -tu4 -j 60 -N 4 "$1" 2>/dev/null | tr -d ' ')
  [ -n "$off" ] || return 1
  case $(od -An -tx2 -j $((off + 4)) -N 2 "$1" 2>/dev/null | tr -d ' ') in
    014c) echo i686 ;;
    8664) echo x86_64 ;;
    *) return 1 ;;
  esac
}
