#!/bin/sh
# The packaged game for Windows: a GUI program of the given kind that needs
# no DLL but the system's own, carrying the same records as the packaged game
# for Linux, but for the Windows drawing option among its VM options.
# Usage: check_executable.sh <quillpod-pack> <linux executable> <windows executable> 32|64
set -eu
pack=$1 linux=$2 windows=$3 bits=$4
fail() { echo "FAIL: $*" >&2; exit 1; }

case $bits in
  32) expected="PE32 executable (GUI) Intel 80386" objdump=i686-w64-mingw32-objdump ;;
  64) expected="PE32+ executable (GUI) x86-64" objdump=x86_64-w64-mingw32-objdump ;;
  *) fail "32 or 64, not $bits" ;;
esac
type=$(file -b "$windows")
case $type in
  "$expected"*) ;;
  *) fail "file type: $type" ;;
esac

dlls=$("$objdump" -p "$windows" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'a-z' 'A-Z' | sort)
for dll in $dlls; do
  case $dll in
    KERNEL32.DLL | USER32.DLL | SHELL32.DLL | ADVAPI32.DLL | MSVCRT.DLL) ;;
    *) fail "needs $dll beside it" ;;
  esac
done

# The records sit at other offsets behind a launcher of another size.
# The configuration record's size differs by the drawing option.
listing() { "$pack" --list "$1" | sed -e 's/ at offset [0-9]*,//' -e 's/^\(record V:\) [0-9]* bytes/\1/'; }
listing "$linux" >"${TMPDIR:-/tmp}/quillpod-list-linux.$$"
"$pack" --list "$windows" | grep -q '^  vmargs=.* -Dsun\.java2d\.d3d=false$' ||
  fail "the Windows executable does not draw through GDI (-Dsun.java2d.d3d=false)"
listing "$windows" | sed 's/^\(  vmargs=.*\) -Dsun\.java2d\.d3d=false$/\1/' >"${TMPDIR:-/tmp}/quillpod-list-windows.$$"
trap 'rm -f "${TMPDIR:-/tmp}/quillpod-list-linux.$$" "${TMPDIR:-/tmp}/quillpod-list-windows.$$"' EXIT
diff "${TMPDIR:-/tmp}/quillpod-list-linux.$$" "${TMPDIR:-/tmp}/quillpod-list-windows.$$" >&2 \
  || fail "the Windows executable carries other records"
grep -q '^record Z:' "${TMPDIR:-/tmp}/quillpod-list-windows.$$" || fail "no archive listed"
echo "ok: $type"
