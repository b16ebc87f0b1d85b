#!/usr/bin/env bash
# The Windows details of a packed executable, read back with the system's
# tools rather than the packer's own code: icoutils for the icon, the mingw
# resource compiler for the version block and manifest, objdump for the
# image's headers.
#   resources_test.sh details <quillpod-pack> <boot class> <Windows launcher>
#     icon, version, product, company and manifest as written; the records
#     are those of an executable without them; the refusals.
#   resources_test.sh run <quillpod-pack> <boot class> <64-bit launcher folder>
#     the same executable made from the 64-bit launcher runs under the 64-bit
#     wine (a stand-in VM's exit status comes back), and its failure box on
#     $DISPLAY carries the product name as its caption.
set -euo pipefail
mode=$1 pack=$2 boot=$3 launcher=$4
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
cleanup() {
  set +e
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    "${WINESERVER:-wineserver}" -k >/dev/null 2>&1
    "${WINESERVER:-wineserver}" -w >/dev/null 2>&1
  fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL ($mode): $*" >&2; exit 1; }
product='Tinsel Prøbe'
company='Ünïcode & Sons'

cd "$work"
# A two-image icon, a probe application and its executable.
convert -size 16x16 xc:red r16.png
convert -size 32x32 gradient:blue-yellow PNG32:b32.png
icotool -c -o app.ico r16.png b32.png
mkdir classes
printf 'public class Probe { public static void main(String[] a) { System.exit(3); } }\n' >Probe.java
javac --release 8 -nowarn -d classes Probe.java
make_exe() {  # make_exe <launcher> <output> <options...>
  local from=$1 out=$2
  shift 2
  "$pack" --launcher "$from" --boot "$boot" -o "$out" --main Probe "$@" classes >pack.log 2>&1 ||
    fail "packing $out failed: $(cat pack.log)"
}

case $mode in
  details)
    make_exe "$launcher" app.exe --icon app.ico --version 1.2.3.4 --product "$product" --company "$company"
    make_exe "$launcher" plain.exe

    # The icon: the same images come back out of the executable.
    wrestool -l app.exe >listed
    for r in '--type=3 --name=1 ' '--type=3 --name=2 ' '--type=14 --name=1 ' '--type=16 --name=1 ' '--type=24 --name=1 '; do
      grep -qF -- "$r" listed || fail "wrestool lists no resource $r: $(cat listed)"
    done
    mkdir original extracted back
    wrestool -x -t14 app.exe >back/app.ico
    icotool -x -o original app.ico
    icotool -x -o extracted back/app.ico
    [ "$(ls original | wc -l)" = 2 ] || fail "icotool extracted $(ls original) from the icon"
    for f in original/*; do
      cmp -s "$f" "extracted/$(basename "$f")" || fail "image $(basename "$f") differs after the round trip"
    done

    # The version block and manifest, as the resource compiler reads them.
    mingw() { command -v "x86_64-w64-mingw32-$1" || command -v "i686-w64-mingw32-$1" || fail "no mingw $1"; }
    "$(mingw windres)" -i app.exe -O rc -o dump.rc 2>windres.err || fail "windres: $(cat windres.err)"
    # The compiler writes characters above ASCII as octal escapes of UTF-16 units.
    while IFS= read -r line; do
      grep -qF -- "$line" dump.rc || fail "the resources lack '$line':"$'\n'"$(cat dump.rc | grep -v '0x')"
    done <<'LINES'
 FILEVERSION 1, 2, 3, 4
 PRODUCTVERSION 1, 2, 3, 4
 FILETYPE 0x1
    BLOCK "040904B0"
      VALUE "CompanyName", L"\334n\357code & Sons"
      VALUE "FileDescription", L"Tinsel Pr\370be"
      VALUE "FileVersion", "1.2.3.4"
      VALUE "OriginalFilename", "app.exe"
      VALUE "ProductName", L"Tinsel Pr\370be"
    VALUE "Translation", 0x409, 1200
requestedExecutionLevel level=""asInvoker""
PerMonitorV2
>UTF-8</activeCodePage>
LINES
    # Without the options: the manifest only.
    wrestool -l plain.exe >plain.listed
    [ "$(grep -c . plain.listed)" = 1 ] && grep -qF -- '--type=24 --name=1 ' plain.listed ||
      fail "an executable without details carries: $(cat plain.listed)"

    # Still a sound image: the kind of program, SizeOfImage covering every
    # section, and the records unchanged behind it.
    kind() { file -b "$1" | sed 's/, [0-9]* sections$//'; }
    [ "$(kind app.exe)" = "$(kind "$launcher")" ] || fail "file type changed: $(file -b app.exe)"
    objdump_tool=$(mingw objdump)
    $objdump_tool -p app.exe >headers 2>objdump.err && [ ! -s objdump.err ] || fail "objdump: $(cat objdump.err)"
    image_size=$((16#$(sed -n 's/^SizeOfImage[[:space:]]*//p' headers)))
    alignment=$((16#$(sed -n 's/^SectionAlignment[[:space:]]*//p' headers)))
    last_end=0
    while read -r _ _ size vma _; do
      [ $((16#$vma + 16#$size)) -gt "$last_end" ] && last_end=$((16#$vma + 16#$size))
    done < <($objdump_tool -h app.exe | grep -E '^ *[0-9]+ \.')
    base=$((16#$(sed -n 's/^ImageBase[[:space:]]*//p' headers)))
    [ "$image_size" -eq $(( (last_end - base + alignment - 1) / alignment * alignment )) ] ||
      fail "SizeOfImage $image_size does not end with the last section (at $((last_end - base)))"
    grep -q '^Entry 2 [0-9a-f]* [0-9a-f]* Resource Directory \[.rsrc\]' headers || fail "no resource directory entry"
    listing() { "$pack" --list "$1" | sed 's/ at offset [0-9]*,//'; }
    [ "$(listing app.exe | grep -v '^record V')" = "$(listing plain.exe | grep -v '^record V' |
        sed 's/^  main=Probe$/&\n  product='"$product"'/')" ] ||
      fail "the records differ from an executable's without details:"$'\n'"$(listing app.exe)"

    # Refusals name the fix and leave nothing behind.
    cp "$here/resources_test.sh" not-an-icon
    for c in "--icon app.ico|--launcher $(dirname "$pack")/quillpod|add --platform windows" \
             "--version 1.2.3.4.5|--launcher $launcher|such as 1.2.3.4" \
             "--icon not-an-icon|--launcher $launcher|is not a usable .ico file" \
             "--platform windows95||is not one of linux, windows"; do
      IFS='|' read -r option from says <<<"$c"
      # shellcheck disable=SC2086
      if "$pack" $from --boot "$boot" -o bad.exe --main Probe $option classes 2>err; then
        fail "$option with $from: accepted"
      fi
      grep -qF -- "$says" err || fail "$option: the message lacks '$says': $(cat err)"
      ! ls bad.exe* >/dev/null 2>&1 || fail "$option: left $(ls bad.exe*)"
    done
    echo "ok (details): icon, version block, manifest and headers as written"
    ;;

  run)
    dir=$launcher
    [ -n "${DISPLAY:-}" ] || fail "no DISPLAY"
    export WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
    export WINEPREFIX=$work/prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' LANG=C.UTF-8
    unset LC_ALL
    make_exe "$dir/quillpod.exe" app.exe --icon app.ico --version 1.2.3.4 --product "$product" --company "$company"
    timeout 600 "$WINELOADER" wineboot -i >wineboot.log 2>&1 || fail "wineboot: $(tail -n 5 wineboot.log)"

    # A stand-in VM that leaves the marker and ends with 7: the launcher ran it.
    mkdir vm calls
    cp "$dir/tests/standin_vm.exe" vm/java.exe
    echo '7 marker' >calls/java.plan
    status=0
    WINEPATH="Z:$work/vm" QUILLPOD_STANDIN_DIR="Z:$work/calls" timeout 300 "$WINELOADER" app.exe >out 2>&1 || status=$?
    [ "$status" -eq 7 ] || fail "with the resources the launcher ended with $status, not the VM's 7: $(cat out)"
    [ -f calls/java-0.call ] || fail "the stand-in VM was never started"

    # A jar whose name is not ASCII reaches the VM's class path as written:
    # the manifest makes the launcher's narrow-character calls UTF-8. The
    # stand-in records it in its own code page, Windows-1252 in wine's
    # default locale.
    mkdir jarred
    cp classes/Probe.class jarred/
    jar --create --file "my prøbe app.jar" --main-class Probe -C jarred Probe.class
    "$pack" --launcher "$dir/quillpod.exe" --boot "$boot" -o jar.exe "my prøbe app.jar" >pack.log 2>&1 ||
      fail "packing a jar with a UTF-8 name: $(cat pack.log)"
    rm -f calls/*
    echo '0 marker' >calls/java.plan
    WINEPATH="Z:$work/vm" QUILLPOD_STANDIN_DIR="Z:$work/calls" timeout 300 "$WINELOADER" jar.exe >out 2>&1 ||
      fail "the executable of a jar with a UTF-8 name ended with $?: $(cat out)"
    sed -n 2p calls/java-0.call | grep -qF "$(printf '\\my pr\370be app.jar')" ||
      fail "the class path reached the VM as: $(sed -n 2p calls/java-0.call | cat -v)"

    # No VM at all: the failure box, captioned with the product's name.
    (WINEPATH="Z:$work/none" exec timeout 300 "$WINELOADER" app.exe >out 2>&1) &
    app=$!
    box() { xdotool search --onlyvisible --name "^$product\$"; }
    found=0
    for _ in $(seq 300); do
      if box >/dev/null 2>&1; then found=1; break; fi
      kill -0 "$app" 2>/dev/null || break
      sleep 0.2
    done
    [ "$found" = 1 ] || { kill "$app" 2>/dev/null; fail "no box captioned '$product' ($(xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null | tr '\n' '|'))"; }
    xdotool windowfocus --sync "$(box | head -n 1)" key n
    status=0
    wait "$app" || status=$?
    [ "$status" -eq 1 ] || fail "after the box the launcher ended with $status, not 1"
    echo "ok (run): the 64-bit executable with resources runs under wine64; the box reads '$product'"
    ;;
  *) fail "unknown mode" ;;
esac
