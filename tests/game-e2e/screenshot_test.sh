#!/usr/bin/env bash
# Starts the packaged game and checks that its window shows the front screen
# panel pixel for pixel in a 600 x 450 drawing area, then closes the game and
# checks that the launcher removed its workspace.
#
# usage: screenshot_test.sh <game executable> <XmasGifs folder> nowm|wm
#   nowm: on $DISPLAY as it is (a bare X server, no window manager)
#   wm:   on an X server of its own with openbox; GAME_E2E_DISPLAY=:N picks
#         its display number instead of a free one
set -euo pipefail

exe=$1
gifs=$2
mode=$3
title='Tallowfen: Tinsel Barrage!'

. "$(dirname "$0")/../lib/x11_test.sh"
x11_test_begin "$mode" game_pid wm_pid xvfb_pid
x11_test_display "$mode" "${GAME_E2E_DISPLAY:-}"

intro=$(find "$gifs" -maxdepth 1 -iname 'intro0.gif' | head -n 1)
[ -n "$intro" ] || fail "no front screen panel in $gifs"
# Transparent pixels of the panel show the back buffer's black.
convert "$intro" -background black -flatten -alpha off PNG24:"$work/expected.png"

mkdir "$work/tmp"
launch_game "$title" env TMPDIR="$work/tmp" "$exe"

geometry=$(xwininfo -id "$win" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
[ "$geometry" = "600x450" ] || fail "drawing area is $geometry, not 600x450"

matches() {
  import -window "$win" PNG24:"$work/shot.png" &&
    [ "$(compare -metric AE "$work/expected.png" "$work/shot.png" null: 2>&1)" = "0" ]
}
if ! wait_for 60 matches; then
  for p in 0,0 599,449 300,225 515,78; do
    echo "pixel $p: panel $(convert "$work/expected.png" -format "%[pixel:p{$p}]" info:)" \
      "window $(convert "$work/shot.png" -format "%[pixel:p{$p}]" info: 2>/dev/null)" >&2
  done
  fail "the window does not show the front screen panel pixel for pixel"
fi

# Closing the game's connection to the X server ends its VM like a crash would.
xdotool windowkill "$win"
wait_for 30 sh -c "! kill -0 $game_pid" || fail "the game did not end after its window was closed"
wait "$game_pid" || true
game_pid=
left=$(ls -A "$work/tmp")
[ -z "$left" ] || fail "the launcher left its workspace behind: $left"
echo "ok ($mode): front screen shown pixel for pixel, workspace removed"
