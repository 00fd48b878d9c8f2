#!/usr/bin/env bash
# How this machine runs 32-bit Windows programs with Debian's Wine, whose
# 32-bit half (wine32:i386) is made of i386 Linux programs.
#
#   setup.sh check     print the way, change nothing
#   setup.sh prepare   the same, after making the qemu way possible where the
#                      kernel refuses i386 programs (needs root)
#
# The way is one line: "native" (the kernel runs i386 programs), "qemu" (they
# run through qemu-i386, registered in binfmt_misc; Wine then needs the
# preload library of this folder), or "none REASON".
#
# prepare registers one machine-wide binfmt_misc entry, qemu-i386. To see it:
#   cat /proc/sys/fs/binfmt_misc/qemu-i386
# To remove it:
#   echo -1 > /proc/sys/fs/binfmt_misc/qemu-i386
set -euo pipefail
# ensure_packages, as ./run installs every package.
. "$(dirname "$0")/../packages.sh"

binfmt=/proc/sys/fs/binfmt_misc
entry_name=qemu-i386
# The i386 dynamic loader is itself a program: a cheap i386 ELF to try.
i386_program=/lib/ld-linux.so.2
# Debian's qemu keeps argv[0] (Wine re-executes itself by it) when started
# through an interpreter name ending in -binfmt-P.
interpreter=/usr/libexec/qemu-binfmt/i386-binfmt-P
# ELF, 32-bit, little-endian, executable or shared object, machine i386.
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
# F: the kernel opens the interpreter at registration; P: keep argv[0].
flags=FP

# The enabled binfmt_misc entry that takes i386 ELF programs, if any.
i386_entry() {
    [ -r "$binfmt/status" ] || return 1
    local file bytes
    for file in "$binfmt"/*; do
        case ${file##*/} in register | status) continue ;; esac
        grep -qx enabled "$file" 2>/dev/null || continue
        bytes=$(sed -n 's/^magic //p' "$file")
        # ELF class 32, little-endian; e_machine (bytes 18-19) 3 is i386.
        if [[ $bytes == 7f454c460101* && ${bytes:36:4} == 0300 ]]; then
            echo "$file"
            return 0
        fi
    done
    return 1
}

way() {
    local entry interp
    if entry=$(i386_entry); then
        interp=$(sed -n 's/^interpreter //p' "$entry")
        if [[ $interp != *qemu* ]]; then
            echo "none i386 programs go through $interp ($entry), not through qemu"
        elif ! grep -q '^flags:.*P' "$entry"; then
            echo "none the binfmt_misc entry $entry lacks the P flag that Wine needs"
        else
            echo qemu
        fi
    elif [ ! -e "$i386_program" ]; then
        echo "none the i386 libraries are missing (install wine32:i386)"
    elif "$i386_program" --version >/dev/null 2>&1; then
        echo native
    else
        echo "none the kernel refuses i386 programs and no interpreter is registered for them" \
            "(run ./run test as root to register qemu-i386)"
    fi
}

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo -n "$@"; fi; }

# Registers qemu-i386 for i386 programs; on failure, says why on stdout.
register_qemu() {
    # Without its recommends: binfmt-support would register entries of its own.
    if ! command -v qemu-i386-static >/dev/null &&
        ! ensure_packages --no-install-recommends qemu-user-static; then
        echo "qemu-user-static cannot be installed"
        return 1
    fi
    if [ ! -e "$binfmt/register" ] && ! as_root mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null; then
        echo "binfmt_misc cannot be mounted on $binfmt"
        return 1
    fi
    if [ ! -e "$interpreter" ]; then
        as_root mkdir -p "${interpreter%/*}" && as_root ln -sf "$(command -v qemu-i386-static)" "$interpreter"
    fi
    [ -e "$binfmt/$entry_name" ] && return 0
    if ! printf '%s' ":$entry_name:M::$magic:$mask:$interpreter:$flags" |
        as_root tee "$binfmt/register" >/dev/null 2>&1; then
        echo "qemu-i386 cannot be registered in binfmt_misc"
        return 1
    fi
}

case "${1:-}" in
    check) way ;;
    prepare)
        found=$(way)
        if [[ $found == "none the kernel refuses"* ]]; then
            if why=$(register_qemu); then
                found=$(way)
            else
                found="none the kernel refuses i386 programs, and $why"
            fi
        fi
        echo "$found"
        ;;
    *)
        echo "Usage: $0 check | prepare" >&2
        exit 2
        ;;
esac
