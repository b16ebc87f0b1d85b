#!/usr/bin/env bash
# The packaged game carrying its own Java runtime, run where no Java is
# installed (no java on PATH, no JAVA_HOME), on an X server of its own: its
# window appears on the first run (the runtime unpacked into the cache) and
# on the next (from the cache); two first runs at once both start and leave
# one cached runtime; a damaged cached runtime is replaced; a read-only cache
# still runs the game. Then another user's link or folder planted at the
# cache's place is never followed or used (as root, with setpriv).
#
# usage: runtime_test.sh <game executable carrying a runtime>
set -uo pipefail

exe=$1
title='Tallowfen: Tinsel Barrage!'
work=$(mktemp -d)
chmod 0755 "$work"
xvfb_pid=
wm_pid=
pids=()
failures=0

cleanup() {
  set +e
  # (wait with no pid would wait for the X server too)
  stop_processes "${pids[@]}" "$xvfb_pid"
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
die() {
  echo "FAIL: $*" >&2
  exit 1
}

. "$(dirname "$0")/../lib/x11_test.sh"
start_xvfb

cp "$exe" "$work/game" && chmod 0755 "$work/game"
mkdir -p "$work/nojava" "$work/home"

# windows: how many of the game's windows are open now.
windows() { xdotool search --name "^$title\$" 2>/dev/null | wc -l; }

# start_game <name> <cache> [user command prefix...]: the game in the
# background, with a machine view that has no Java at all; its pid goes to
# pids, its output to $work/<name>.log, its temporary folder is $work/<name>.tmp.
start_game() {
  local name=$1 cache=$2
  shift 2
  mkdir -p "$work/$name.tmp"
  [ $# -gt 0 ] && chown 65534:65534 "$work/$name.tmp"
  "$@" env -i DISPLAY="$DISPLAY" HOME="$work/home" PATH="$work/nojava" XDG_CACHE_HOME="$cache" \
    TMPDIR="$work/$name.tmp" "$work/game" >"$work/$name.log" 2>&1 &
  pids+=($!)
}

# stop_games: ends every started game (the launcher passes the signal on)
# and checks that each left its temporary folder empty.
stop_games() {
  stop_processes "${pids[@]}"
  pids=()
  wait_for 30 sh -c "[ \$(xdotool search --name '^$title\$' 2>/dev/null | wc -l) -eq 0 ]" ||
    fail "a game window stays after its launcher ended"
}

# run_game <name> <cache> [prefix...]: starts the game, waits for its window, ends it.
run_game() {
  local name=$1
  start_game "$@"
  wait_for 120 sh -c "[ \$(xdotool search --name '^$title\$' 2>/dev/null | wc -l) -ge 1 ]" ||
    fail "$name: no window titled \"$title\"; its output: $(cat "$work/$name.log")"
  stop_games
  # (The sound system may leave a folder of its own there.)
  local left
  left=$(ls -A "$work/$name.tmp" | grep -E '^[0-9]+-?[0-9]+$')
  [ -z "$left" ] || fail "$name: the workspace stayed: $left"
}

runtimes_in() { ls -A "$1/quillpod/runtimes" 2>/dev/null; }

# 1. The first run unpacks the runtime into the cache.
cache=$work/cache
run_game first "$cache"
[ "$(runtimes_in "$cache" | wc -l)" -eq 1 ] || fail "first run: cached runtimes: $(runtimes_in "$cache")"
rt=$cache/quillpod/runtimes/$(runtimes_in "$cache" | head -n 1)
[ -x "$rt/bin/java" ] || fail "first run: no executable bin/java in $rt"
[ "$(stat -c %a "$cache/quillpod" "$cache/quillpod/runtimes" "$rt" | sort -u)" = 700 ] ||
  fail "first run: cache folders are not 0700"
grep -q 'quillpod:' "$work/first.log" && fail "first run said: $(grep 'quillpod:' "$work/first.log")"

# 2. The second run starts from the cache, unpacking nothing.
modules_inode=$(stat -c %i "$rt/lib/modules")
run_game second "$cache"
[ "$(stat -c %i "$rt/lib/modules")" = "$modules_inode" ] || fail "second run: the runtime was unpacked again"
grep -q 'quillpod:' "$work/second.log" && fail "second run said: $(grep 'quillpod:' "$work/second.log")"

# 3. Two first runs at once: both start, one runtime is cached.
start_game racer1 "$work/cache2"
start_game racer2 "$work/cache2"
wait_for 180 sh -c "[ \$(xdotool search --name '^$title\$' 2>/dev/null | wc -l) -ge 2 ]" ||
  fail "two first runs at once: not both windows appeared ($(windows)); $(cat "$work/racer1.log" "$work/racer2.log")"
stop_games
[ "$(runtimes_in "$work/cache2")" = "$(basename "$rt")" ] ||
  fail "two first runs at once left: $(runtimes_in "$work/cache2")"

# 4. A damaged cached runtime is replaced, never used.
modules_size=$(stat -c %s "$rt/lib/modules")
truncate -s 1000 "$rt/lib/modules"
run_game damaged "$cache"
grep -q 'is damaged' "$work/damaged.log" || fail "damaged runtime: not reported; output: $(cat "$work/damaged.log")"
[ "$(stat -c %s "$rt/lib/modules")" = "$modules_size" ] || fail "damaged runtime: not replaced"
[ "$(runtimes_in "$cache" | wc -l)" -eq 1 ] || fail "damaged runtime: left $(runtimes_in "$cache")"

# 5. A read-only cache: the runtime goes into the workspace for this run.
# (root writes anywhere, so the run is then another user's.)
ro=$work/ro-cache
mkdir -p "$ro"
as_other=()
if [ "$(id -u)" -eq 0 ]; then
  if command -v setpriv >/dev/null; then
    as_other=(setpriv --reuid 65534 --regid 65534 --clear-groups)
    chown 65534:65534 "$ro" "$work/home"
  else
    echo "SKIP: read-only cache: root writes anywhere, and setpriv is missing"
    ro=
  fi
fi
if [ -n "$ro" ]; then
  chmod 0555 "$ro"
  run_game readonly "$ro" "${as_other[@]}"
  grep -q 'unpacking the Java runtime into the workspace' "$work/readonly.log" ||
    fail "read-only cache: no word of the workspace; output: $(cat "$work/readonly.log")"
  [ -z "$(ls -A "$ro")" ] || fail "read-only cache: written into: $(ls -A "$ro")"
  chown -R 0:0 "$work/home"
fi

# 6. Another user's link or folder planted at the cache's place.
if [ "$(id -u)" -ne 0 ] || ! command -v setpriv >/dev/null; then
  echo "SKIP: planted caches: needs root and setpriv to act as a second user"
else
  attacker=(setpriv --reuid 65534 --regid 65534 --clear-groups)
  hash=$(basename "$rt")
  for plant in link folder; do
    shared=$work/shared-$plant
    mkdir -p "$shared" "$work/victim-$plant"
    chmod 1777 "$shared"
    case $plant in
      link) "${attacker[@]}" ln -s "$work/victim-$plant" "$shared/quillpod" ;;
      folder)
        # A ready-looking runtime whose java would tell on itself.
        "${attacker[@]}" sh -c "mkdir -p '$shared/quillpod/runtimes/$hash/bin' &&
          printf '#!/bin/sh\ntouch $work/victim-$plant/trojan-ran\n' >'$shared/quillpod/runtimes/$hash/bin/java' &&
          chmod -R 0777 '$shared/quillpod'"
        ;;
    esac
    chmod 0777 "$work/victim-$plant"
    run_game "planted-$plant" "$shared"
    [ -z "$(ls -A "$work/victim-$plant")" ] ||
      fail "planted $plant: used or followed: $(ls -A "$work/victim-$plant")"
    grep -q 'unpacking the Java runtime into the workspace' "$work/planted-$plant.log" ||
      fail "planted $plant: no word of the workspace; output: $(cat "$work/planted-$plant.log")"
  done
fi

[ "$failures" -eq 0 ] || die "$failures check(s) failed"
echo "PASS"
