#!/bin/sh
# The packaged game for Windows: a 32-bit GUI program that needs no DLL but
# the system's own, carrying the same records as the packaged game for Linux.
# Usage: check_executable.sh <quillpod-pack> <linux executable> <windows executable>
set -eu
pack=$1 linux=$2 windows=$3
fail() { echo "FAIL: $*" >&2; exit 1; }

type=$(file -b "$windows")
case $type in
  "PE32 executable (GUI) Intel 80386"*) ;;
  *) fail "file type: $type" ;;
esac

dlls=$(i686-w64-mingw32-objdump -p "$windows" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'a-z' 'A-Z' | sort)
for dll in $dlls; do
  case $dll in
    KERNEL32.DLL | USER32.DLL | SHELL32.DLL | ADVAPI32.DLL | MSVCRT.DLL) ;;
    *) fail "needs $dll beside it" ;;
  esac
done

# The records sit at other offsets behind a launcher of another size.
listing() { "$pack" --list "$1" | sed 's/ at offset [0-9]*,//'; }
listing "$linux" >"${TMPDIR:-/tmp}/quillpod-list-linux.$$"
listing "$windows" >"${TMPDIR:-/tmp}/quillpod-list-windows.$$"
trap 'rm -f "${TMPDIR:-/tmp}/quillpod-list-linux.$$" "${TMPDIR:-/tmp}/quillpod-list-windows.$$"' EXIT
diff "${TMPDIR:-/tmp}/quillpod-list-linux.$$" "${TMPDIR:-/tmp}/quillpod-list-windows.$$" >&2 \
  || fail "the Windows executable carries other records"
grep -q '^record Z:' "${TMPDIR:-/tmp}/quillpod-list-windows.$$" || fail "no archive listed"
echo "ok: $type"
