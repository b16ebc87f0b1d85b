#!/bin/sh
# The Windows launchers: each a program of its kind (GUI or console, 32 or
# 64 bits) that needs no DLL but the system's own.
# Usage: check_launchers.sh <win32 folder> <win64 folder>
set -eu
win32=$1 win64=$2
fail() { echo "FAIL: $*" >&2; exit 1; }

while read -r exe objdump expected; do
  type=$(file -b "$exe")
  case $type in
    "$(echo "$expected" | tr _ ' ')"*) ;;
    *) fail "$exe: $type" ;;
  esac
  for dll in $("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'a-z' 'A-Z'); do
    case $dll in
      KERNEL32.DLL | USER32.DLL | SHELL32.DLL | ADVAPI32.DLL | MSVCRT.DLL) ;;
      *) fail "$exe needs $dll beside it" ;;
    esac
  done
  echo "ok: $exe: $type"
done <<TABLE
$win32/quillpod.exe i686-w64-mingw32-objdump PE32_executable_(GUI)_Intel_80386
$win32/quillpod-console.exe i686-w64-mingw32-objdump PE32_executable_(console)_Intel_80386
$win64/quillpod.exe x86_64-w64-mingw32-objdump PE32+_executable_(GUI)_x86-64
$win64/quillpod-console.exe x86_64-w64-mingw32-objdump PE32+_executable_(console)_x86-64
TABLE
