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
#   jre_test.sh runtime <wine root> <windows launchers> <quillpod-pack> <boot class>
#     the application carrying the Java runtime of the prefix, run where no
#     Java is installed: unpacked once into %LOCALAPPDATA%\quillpod\runtimes
#     and found there later, untouched; two first runs at once; a damaged
#     cached runtime unpacked again; a link planted at its place never used;
#     a cache that cannot be made sends the runtime into the workspace.
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
runtime_cache=
cleanup() {
  set +e
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null && wait "$game_pid" 2>/dev/null
  # The runtimes unpacked into the shared prefix (or what stood in the cache's place).
  [ -n "$runtime_cache" ] && rm -rf "$runtime_cache"
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
  console | console-launcher | runtime)
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

  runtime)
    unset JAVA_HOME
    jre_dir=$WINEPREFIX/drive_c/jre
    [ -f "$jre_dir/bin/java.exe" ] || fail "no bin/java.exe in $jre_dir"
    standin=$launchers/tests/standin_vm.exe
    [ -f "$standin" ] || fail "no stand-in VM at $standin (built with the launchers)"
    # %LOCALAPPDATA% of the prefix's user, beside its %TEMP%.
    runtime_cache=$(dirname "$temp")/AppData/Local/quillpod
    runtimes=$runtime_cache/runtimes
    rm -rf "$runtime_cache"
    # A machine view without Java: nothing on the search path, no JAVA_HOME.
    mkdir "$work/nojava"
    vm_path=$(windows_path "$work/nojava")
    # Stand-in VMs record each start here.
    mkdir "$work/watch"
    export QUILLPOD_STANDIN_DIR
    QUILLPOD_STANDIN_DIR=$(windows_path "$work/watch")

    # A runtime the launcher cannot start on Windows, and jlink's runtime
    # for this system, are refused before anything is written.
    mkdir -p "$work/posix-runtime/bin"
    printf '#!/bin/sh\n' >"$work/posix-runtime/bin/java"
    chmod +x "$work/posix-runtime/bin/java"
    for runtime in "$work/posix-runtime" jlink; do
      set +e
      "$quillpod_pack" --platform windows64 --console --boot "$boot" --runtime "$runtime" -o "$work/refused.exe" \
        --main WineProbe "$work/classes" >"$work/pack.log" 2>&1
      status=$?
      set -e
      [ "$status" -eq 2 ] || fail "--runtime $runtime for windows64: exit status $status, not 2: $(cat "$work/pack.log")"
      [ ! -e "$work/refused.exe" ] || fail "--runtime $runtime for windows64: an executable was written"
    done

    # pack_carrying <output> [--console]: the probe carrying the runtime; sets hash.
    pack_carrying() {
      local out=$1
      shift
      "$quillpod_pack" --platform windows64 "$@" --boot "$boot" --runtime "$jre_dir" -o "$out" --main WineProbe \
        -c target=C "$work/classes" >"$work/pack.log" 2>&1 || fail "packing with the runtime failed: $(cat "$work/pack.log")"
      hash=$(sed -n 's/^quillpod-pack: the Java runtime adds [0-9]* bytes .*cached as \([0-9a-f]\{64\}\))$/\1/p' \
        "$work/pack.log")
      [ -n "$hash" ] || fail "the packer did not tell the runtime's hash: $(cat "$work/pack.log")"
      "$quillpod_pack" --list "$out" >"$work/list.log" 2>&1 || fail "--list $out failed: $(cat "$work/list.log")"
      grep -q "^  Java runtime ${hash}[: ]" "$work/list.log" || fail "--list does not show the runtime $hash: $(cat "$work/list.log")"
    }
    pack_carrying "$work/probe-window.exe"
    window_hash=$hash
    pack_carrying "$work/probe.exe" --console
    [ "$hash" = "$window_hash" ] || fail "one runtime, two hashes: $window_hash and $hash"
    rt=$runtimes/$hash

    # What the runtimes folder holds besides its lock file (and, with
    # old-ok, besides damaged runtimes moved aside for a later launch).
    cached() {
      local entries
      entries=$(ls -A "$runtimes" 2>/dev/null | grep -vx '\.lock' || true)
      [ "${1:-}" != old-ok ] || entries=$(echo "$entries" | grep -v '^\.old-' || true)
      echo "$entries"
    }
    # runtime_whole <when> [old-ok]: one runtime in the cache, named by the
    # hash, holding exactly the files that were packed and its manifest.
    runtime_whole() {
      [ "$(cached "${2:-}")" = "$hash" ] ||
        fail "$1: the runtimes folder holds [$(ls -A "$runtimes" 2>/dev/null | tr '\n' ' ')], not the runtime $hash"
      [ -f "$rt/bin/java.exe" ] && [ -f "$rt/.quillpod-runtime" ] || fail "$1: no bin/java.exe or manifest in $rt"
      local d
      d=$(diff -rq --exclude=.quillpod-runtime "$jre_dir" "$rt" 2>&1) ||
        fail "$1: the cached runtime is not the one packed: $(echo "$d" | head -n 5)"
    }
    no_notes() {
      ! grep -aq 'quillpod:' "$work/err" || fail "$1: the launcher said: $(grep -a 'quillpod:' "$work/err")"
    }
    # Every entry below a folder with its kind, size and modification time.
    tree_of() {
      if [ -d "$1" ]; then (cd "$1" && find . "${@:2}" -printf '%p %y %s %T@\n' | sort); else echo "($1 is gone)"; fi
    }

    # 1. The first run unpacks the runtime into the cache, behind either launcher.
    probe "$work/probe-window.exe" 5 "two words"
    runtime_whole "window launcher, first run"
    rm -rf "$runtime_cache"
    probe "$work/probe.exe" 3 "two words" plain
    no_notes "first run"
    runtime_whole "first run"

    # 2. A later run starts from the cache and writes nothing into the
    # runtime; an installed VM on the search path is only a fall-back.
    before=$(tree_of "$rt" -mindepth 1 ! -name .quillpod-runtime)
    mkdir "$work/vm"
    cp "$standin" "$work/vm/java.exe"
    vm_path=$(windows_path "$work/vm") probe "$work/probe.exe" 0 "second run"
    [ ! -e "$work/watch/order.txt" ] || fail "second run: the java on the search path was started before the carried runtime"
    no_notes "second run"
    [ "$(tree_of "$rt" -mindepth 1 ! -name .quillpod-runtime)" = "$before" ] ||
      fail "second run: the cached runtime was written: $(diff <(echo "$before") \
        <(tree_of "$rt" -mindepth 1 ! -name .quillpod-runtime) | head -n 5)"
    runtime_whole "second run"

    # 3. Two first runs at once: both run, one runtime is cached.
    rm -rf "$runtime_cache"
    racer() {
      local s=0
      (cd "$work" && WINEPATH="$vm_path" timeout -k 10 300 "$wine64" "$work/probe.exe" \
        "$(windows_path "$work/args$1")" 0 "racer $1" >"$work/out$1" 2>"$work/err$1") || s=$?
      echo "$s" >"$work/status$1"
    }
    racer 1 &
    racer1=$!
    racer 2 &
    wait "$racer1" $!
    for n in 1 2; do
      [ "$(cat "$work/status$n")" = 0 ] || fail "two first runs at once: run $n ended with $(cat "$work/status$n"): $(cat "$work/err$n")"
      [ "$(tail -n +2 "$work/args$n" 2>/dev/null)" = "racer $n" ] ||
        fail "two first runs at once: run $n wrote [$(tr '\n' '|' <"$work/args$n" 2>/dev/null)]"
      ! grep -aq 'quillpod:' "$work/err$n" ||
        fail "two first runs at once: run $n said: $(grep -a 'quillpod:' "$work/err$n")"
    done
    temp_clean
    runtime_whole "two first runs at once"

    # 4. A damaged cached runtime is noticed, never used, and unpacked again.
    for c in "delete|bin/java.dll" "truncate|lib/modules" "overwrite|lib/modules" "delete|.quillpod-runtime"; do
      how=${c%%|*} file=${c#*|}
      case $how in
        delete) rm "$rt/$file" ;;
        truncate) truncate -s 1000 "$rt/$file" ;;
        # The same size, other bytes.
        overwrite) printf 'damaged!' | dd of="$rt/$file" bs=1 seek=65536 conv=notrunc status=none ;;
      esac
      probe "$work/probe.exe" 0 "$how $file"
      grep -aq 'quillpod: the cached Java runtime .* is damaged (.*); unpacking it again' "$work/err" ||
        fail "$how $file: the damage was not told"
      runtime_whole "$how $file" old-ok
    done
    # A later launch removes the damaged runtimes moved aside, and what a
    # launch killed while unpacking left.
    mkdir -p "$runtimes/.tmp-${hash:0:16}-0badf00d/bin"
    cp "$jre_dir/bin/java.dll" "$runtimes/.tmp-${hash:0:16}-0badf00d/bin/"
    probe "$work/probe.exe" 0 "after the damage"
    no_notes "after the damage"
    runtime_whole "after the damage"

    # 5. A link planted at the runtime's place, to a runtime whose java
    # tells on itself: never started, nothing written or removed through it.
    cp -a "$rt" "$work/planted"
    cp "$standin" "$work/planted/bin/java.exe"
    planted=$(tree_of "$work/planted")
    rm -rf "$rt"
    ln -s "$work/planted" "$rt"
    for when in "planted link" "after the planted link"; do
      probe "$work/probe.exe" 0 "$when"
      [ ! -e "$work/watch/order.txt" ] || fail "$when: the java of the linked runtime was started"
      [ "$(tree_of "$work/planted")" = "$planted" ] ||
        fail "$when: written through the link: $(diff <(echo "$planted") <(tree_of "$work/planted") | head -n 5)"
    done

    # 6. The cache cannot be made (a file where its folder goes): the runtime
    # is unpacked into the workspace for this run, and goes with it.
    rm -rf "$runtime_cache"
    echo 'not a folder' >"$runtime_cache"
    probe "$work/probe.exe" 0 "no cache"
    grep -aq 'quillpod: cannot use the runtime cache .*; unpacking the Java runtime into the workspace for this run' \
      "$work/err" || fail "no cache: no word of the workspace"
    [ "$(cat "$runtime_cache")" = 'not a folder' ] || fail "no cache: the file in the cache's place was changed"
    echo "ok (runtime): first and later runs, races, damage, a planted link and no cache, without Java installed"
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
    visible_windows() {
      local w
      for w in $(xdotool search --onlyvisible --name '' 2>/dev/null | head -n 20); do
        printf '  %s "%s" %s\n' "$w" "$(xdotool getwindowname "$w" 2>&1)" \
          "$(xwininfo -id "$w" 2>&1 | awk '/-geometry/ { print $2 }')"
      done
    }
    # What a failed front-screen check saw: the drawing area's size, or where
    # its pixels differ, and every window shown on the display with its place
    # (one of wine's own windows over the game's would show there). With
    # QUILLPOD_KEEP_SHOTS set to a folder, the pictures are kept there.
    front_difference() {
      local size want what
      size=$(identify -format '%wx%h' "$work/front.png" 2>&1)
      want=$(identify -format '%wx%h' "$work/front-expected.png" 2>&1)
      if [ "$size" = "$want" ]; then
        # One comparison: the count of differing pixels, and a mask of them whose bounds are their place.
        what="$(compare -metric AE -compose src -highlight-color white -lowlight-color black \
          "$work/front-expected.png" "$work/front.png" "$work/diff.png" 2>&1) pixels differ within $(
          convert "$work/diff.png" -format '%@' info: 2>&1)"
      else
        what="the drawing area is $size, not $want"
      fi
      printf '%s, mean brightness %s; windows shown:\n%s' "$what" \
        "$(convert "$work/front.png" -colorspace gray -format '%[fx:mean]' info: 2>&1)" "$(visible_windows)"
      [ -z "${QUILLPOD_KEEP_SHOTS:-}" ] || cp "$work"/front*.png "$work"/diff.png "$QUILLPOD_KEEP_SHOTS" 2>/dev/null
    }
    front() {
      shot front && [ "$(compare -metric AE "$work/front-expected.png" "$work/front.png" null: 2>&1)" = "0" ]
    }
    if ! wait_for 90 front; then
      fail "the window does not show the front screen pixel for pixel: $(front_difference)"
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
