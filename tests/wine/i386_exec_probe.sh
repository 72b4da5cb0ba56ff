#!/usr/bin/env bash
# Tells whether this machine runs 32-bit x86 (i386) Linux programs, and how, by running one:
# a 93-byte static i386 ELF that only calls exit(42).
#   i386_exec_probe.sh   prints "native", "emulated (binfmt_misc entry NAME: INTERPRETER)" or
#                        "refused: REASON", and exits 0 when the program ran, 1 when not.
# Wine's 32-bit loader is such a program, so this separates "the kernel runs no 32-bit
# programs" from any other reason 32-bit Wine may fail.
set -uo pipefail

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
# ELF header (52 bytes), one loadable segment (32 bytes), then: mov bl,42; mov eax,1; int 0x80.
printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb3\x2a\xb8\x01\x00\x00\x00\xcd\x80' >"$dir/probe"
chmod +x "$dir/probe"

output=$("$dir/probe" 2>&1)
rc=$?
if [ "$rc" -ne 42 ]; then
  echo "refused: the kernel $(uname -r) does not run an i386 program (exit $rc: ${output##*: }) and no binfmt_misc handler takes it"
  exit 1
fi

# A binfmt_misc entry that takes i386 ELF files means an emulator ran it.
for entry in /proc/sys/fs/binfmt_misc/*; do
  case $(basename "$entry") in register | status) continue ;; esac
  grep -qx enabled "$entry" 2>/dev/null || continue
  grep -q '^magic 7f454c46010101000000000000000000020003' "$entry" 2>/dev/null || continue
  echo "emulated (binfmt_misc entry $(basename "$entry"): $(sed -n 's/^interpreter //p' "$entry"))"
  exit 0
done
echo native
