#!/usr/bin/env bash
# Windows executables on a real Java runtime under wine, in the prefix that
# jre_setup.sh prepared.
#   jre_test.sh console <wine root> <windows launchers> <quillpod-pack> <boot class>
#     a command-line application packed behind the window launcher: its
#     arguments, exit codes and the file it writes; none of its output
#     reaches the terminal; no workspace is left in %TEMP%.
#   jre_test.sh console-launcher <wine root> <windows launchers> <quillpod-pack> <boot class>
#     the same application behind the console launcher (and behind the
#     window launcher with console=yes): its output reaches the terminal;
#     failures are told on standard error, never in a box.
#   jre_test.sh game <wine root> <game executable> <XmasGifs folder>
#     the packed game on $DISPLAY: its front screen pixel for pixel, S starts
#     a game that shows the world, Alt+F4 ends it with status 0.
set -euo pipefail
mode=$1
wine_root=$2
here=$(cd "$(dirname "$0")" && pwd)
title='Tallowfen: Tinsel Barrage!'

work=$(mktemp -d)
xvfb_pid=
wm_pid=
game_pid=
cleanup() {
  set +e
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null && wait "$game_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL ($mode): $*" >&2
  for f in out err game.log; do
    [ -s "$work/$f" ] && sed "s/^/  $f: /" "$work/$f" >&2
  done
  exit 1
}
. "$here/wine_env.sh"

# wait_for <seconds> <command...>: runs the command every 0.2 s until it
# succeeds or the seconds have passed, however long each try takes.
wait_for() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@" >/dev/null 2>&1; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}
require_jre
temp=$(wine_temp) || fail "no temporary folder in $WINEPREFIX"
temp_before=$(ls -A "$temp")

# run <executable> <argument...>: runs it under wine with the runtime on the
# search path (or $vm_path), from the work folder; sets status, output in
# $work/out and $work/err.
run() {
  local exe=$1
  shift
  set +e
  (cd "$work" && WINEPATH="${vm_path:-$jre_path}" timeout -k 10 300 "$wine64" "$exe" "$@" >"$work/out" 2>"$work/err")
  status=$?
  set -e
  [ "$status" -ne 124 ] || fail "$(basename "$exe") did not end within 5 minutes (waiting for a box?)"
}

# Fails when %TEMP% holds an entry it did not hold when the test began
# (wine's own files there may come and go).
temp_clean() {
  local left
  left=$(comm -13 <(echo "$temp_before") <(ls -A "$temp"))
  [ -z "$left" ] || fail "left in %TEMP%: $(echo "$left" | tr '\n' ' ')"
}

# pack <launcher> <output> <configuration pair...>: the probe application.
pack() {
  local launcher=$1 out=$2
  shift 2
  local pairs=() p
  for p in "$@"; do pairs+=(-c "$p"); done
  "$quillpod_pack" --launcher "$launcher" --boot "$boot" -o "$out" --main WineProbe -c target=C \
    "${pairs[@]}" "$work/classes" >"$work/pack.log" 2>&1 || fail "packing failed: $(cat "$work/pack.log")"
}

# probe <executable> <exit code> <argument...>: runs the probe, checks its
# exit code and the system and arguments it wrote.
probe() {
  local exe=$1 code=$2
  shift 2
  rm -f "$work/args"
  run "$exe" "$(windows_path "$work/args")" "$code" "$@"
  [ "$status" -eq "$code" ] || fail "$(basename "$exe") $*: exit status $status, not $code"
  [ -f "$work/args" ] || fail "$(basename "$exe") $*: the application wrote nothing"
  local expected
  expected=$(printf '%s\n' "${@}")
  [ $# -gt 0 ] || expected=
  local system
  system=$(head -n 1 "$work/args" | tr -d '\r')
  case $system in os.name=Windows*) ;; *) fail "not run on the Windows runtime: $system" ;; esac
  [ "$(tail -n +2 "$work/args")" = "$expected" ] ||
    fail "$(basename "$exe"): arguments arrived as [$(tail -n +2 "$work/args" | tr '\n' '|')], not [$(printf '%s|' "$@")]"
  temp_clean
}

case $mode in
  console | console-launcher)
    launchers=$3 quillpod_pack=$4 boot=$5
    mkdir "$work/classes"
    javac --release 8 -nowarn -d "$work/classes" "$here/WineProbe.java" 2>"$work/err" || fail "javac failed"
    ;;
esac

case $mode in
  console)
    pack "$launchers/quillpod.exe" "$work/probe.exe"
    probe "$work/probe.exe" 7 "two words" plain
    probe "$work/probe.exe" 42
    probe "$work/probe.exe" 0 'say "hi"' '' 'C:\back\slash'
    # A window program's VM runs detached: no stream of the application reaches the terminal.
    if grep -q 'probe:' "$work/out" "$work/err"; then fail "the detached VM's output reached the terminal"; fi
    echo "ok (console): arguments, exit codes 7, 42 and 0, the file written, %TEMP% clean"
    ;;

  console-launcher)
    pack "$launchers/quillpod-console.exe" "$work/probe.exe" console=yes
    pack "$launchers/quillpod.exe" "$work/probe-window.exe" console=yes
    for exe in probe.exe probe-window.exe; do
      probe "$work/$exe" 3 "two words"
      grep -q '^probe: on standard output' "$work/out" || fail "$exe: the application's output did not reach the terminal"
      cat "$work/out" "$work/err" | grep -q '^probe: on standard error' ||
        fail "$exe: the application's error stream did not reach the terminal"
    done
    # Standard input reaches the application too.
    rm -f "$work/args"
    printf 'typed line\r\nnot read\r\n' >"$work/input"
    run "$work/probe.exe" "$(windows_path "$work/args")" 0 before - <"$work/input"
    [ "$status" -eq 0 ] || fail "with standard input: exit status $status"
    [ "$(tail -n +2 "$work/args" 2>/dev/null)" = "$(printf 'before\ntyped line')" ] ||
      fail "standard input did not reach the application: $(tail -n +2 "$work/args" 2>/dev/null | tr '\n' '|')"
    temp_clean
    # On a terminal, not only into a pipe.
    script -qec "WINEPATH='$jre_path' timeout -k 10 300 '$wine64' '$work/probe.exe' '$(windows_path "$work/args")' 0" \
      /dev/null >"$work/out" 2>&1 </dev/null || fail "on a terminal: exit status $?"
    grep -q 'probe: on standard output' "$work/out" || fail "on a terminal: the application's output did not show"
    temp_clean

    # Failures: one message on standard error, and the launcher ends (a box would hold it).
    mkdir "$work/none" "$work/arm" "$work/text"
    # A program for another machine, and a file that is no program at all, named java.exe.
    python3 - "$launchers/quillpod-console.exe" "$work/arm/java.exe" <<'PY'
import struct, sys
b = bytearray(open(sys.argv[1], 'rb').read())
pe = struct.unpack_from('<I', b, 0x3C)[0]
struct.pack_into('<H', b, pe + 4, 0xAA64)  # ARM64
open(sys.argv[2], 'wb').write(b)
PY
    echo 'not a program' >"$work/text/java.exe"
    install='A Java VM needs to be installed before this program can be run.'
    for c in "none|File not found" \
             "arm|java.exe exists but is not a Windows program this system can run: an ARM64 program" \
             "text|java.exe exists but is not a Windows program this system can run (error"; do
      dir=${c%%|*} reason=${c#*|}
      vm_path=$(windows_path "$work/$dir") run "$work/probe.exe" "$(windows_path "$work/args")" 0
      [ "$status" -eq 1 ] || fail "no VM ($dir): exit status $status, not 1"
      grep -qF "$install" "$work/err" || fail "no VM ($dir): no message on standard error"
      grep -F 'cannot start the Java VM java' "$work/err" | grep -qF "$reason" ||
        fail "no VM ($dir): the reason line does not say \"$reason\""
      temp_clean
    done
    echo "ok (console-launcher): output on the terminal, exit codes, failures on standard error"
    ;;

  game)
    exe=$3 gifs=$4
    [ -n "${DISPLAY:-}" ] || fail "no DISPLAY"
    intro=$(find "$gifs" -maxdepth 1 -iname 'intro0.gif' | head -n 1)
    background=$(find "$gifs" -maxdepth 1 -iname 'background0.gif' | head -n 1)
    [ -n "$intro" ] && [ -n "$background" ] || fail "no front screen or background picture in $gifs"
    # Transparent pixels of the panel show the back buffer's black.
    convert "$intro" -background black -flatten -alpha off PNG24:"$work/front-expected.png"
    # The sky above the landscape, where only flying things cover the picture.
    convert "$background" -crop 600x298+0+0 +repage -alpha off PNG24:"$work/sky.png"

    (cd "$work" && WINEPATH="$jre_path" exec "$wine64" "$exe") >"$work/game.log" 2>&1 &
    game_pid=$!
    shown() { xdotool search --onlyvisible --name "^$title\$" || ! kill -0 "$game_pid"; }
    wait_for 120 shown && kill -0 "$game_pid" 2>/dev/null || fail "no window titled \"$title\""
    win=$(xdotool search --onlyvisible --name "^$title\$" | head -n 1)
    shot() { import -window "$win" PNG24:"$work/$1.png"; }
    front() {
      shot front && [ "$(compare -metric AE "$work/front-expected.png" "$work/front.png" null: 2>&1)" = "0" ]
    }
    if ! wait_for 90 front; then
      fail "the window does not show the front screen pixel for pixel ($(convert "$work/front.png" \
        -colorspace gray -format 'mean brightness %[fx:mean]' info: 2>&1))"
    fi

    xdotool windowfocus --sync "$win" key s
    # The world: the night sky shows through, with whatever flies in it.
    playing() {
      shot play || return 1
      [ "$(compare -metric AE "$work/front.png" "$work/play.png" null: 2>&1 || true)" != "0" ] || return 1
      convert "$work/play.png" -crop 600x298+0+0 +repage PNG24:"$work/play-sky.png"
      local d
      d=$(compare -metric AE -fuzz 3% "$work/sky.png" "$work/play-sky.png" null: 2>&1 || true)
      d=${d%.*}
      [ "$d" -lt 60000 ]
    }
    wait_for 60 playing || fail "S did not start a game that shows the world"

    xdotool windowfocus --sync "$win" key alt+F4
    wait_for 60 sh -c "! kill -0 $game_pid" || fail "Alt+F4 did not end the game"
    set +e
    wait "$game_pid"
    status=$?
    set -e
    game_pid=
    [ "$status" -eq 0 ] || fail "the game ended with status $status after Alt+F4"
    temp_clean
    echo "ok (game): front screen pixel for pixel, a game showing the world, Alt+F4 ends with 0, %TEMP% clean"
    ;;
  *) fail "unknown mode $mode" ;;
esac
