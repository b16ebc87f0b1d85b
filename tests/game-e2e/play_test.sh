#!/usr/bin/env bash
# Plays the packaged game end to end through the launcher and the boot stage,
# with real key presses and mouse clicks, and checks each screen on the way.
#
# Run 1, the keyboard: S starts a game, holding space fires shells that fly,
# holding Right turns the turret, Escape shows the pause texts over a frozen
# picture, Q ends the game (the end-game panel over the world and the score
# line), Q again shows the first back screen, a key the second, and a key
# ends the program with status 0 and no workspace left.
# Run 2, the mouse and the window: a click on the maker's logo runs the
# desktop's opener (a stand-in put first on PATH records the address), a click
# on the play button starts a game, keys reach the game after a click, and
# closing the window ends the program with status 0 and no workspace left.
#
# usage: play_test.sh <game executable> <XmasGifs folder> <close_window helper> <home page> nowm|wm
#   nowm: on $DISPLAY as it is (a bare X server, no window manager)
#   wm:   on an X server of its own with openbox
# Screenshots are left in $GAME_E2E_SHOTS when it names a folder.
set -euo pipefail

exe=$1
gifs=$2
close_window=$3
home_page=$4
mode=$5
title='Tallowfen: Tinsel Barrage!'

win=
. "$(dirname "$0")/../lib/x11_test.sh"
x11_test_keep() {
  if [ -n "${GAME_E2E_SHOTS:-}" ] && [ -d "$GAME_E2E_SHOTS" ]; then
    cp "$work"/*.png "$GAME_E2E_SHOTS"/ 2>/dev/null || true
  fi
}
x11_test_begin "$mode" game_pid wm_pid xvfb_pid
x11_test_display "$mode"

# The stand-in opener records the address it was asked to show, and talks as browsers do;
# none of that may reach the game's own output.
mkdir "$work/bin" "$work/tmp"
cat >"$work/bin/xdg-open" <<EOF
#!/bin/sh
printf '%s\n' "\$*" >>"$work/opened"
echo "stand-in browser: opening \$*"
echo "stand-in browser: warning" >&2
EOF
chmod +x "$work/bin/xdg-open"

panel() {
  local f
  f=$(find "$gifs" -maxdepth 1 -iname "$1" | head -n 1)
  [ -n "$f" ] || fail "no $1 in $gifs"
  echo "$f"
}
front=$(panel intro0.gif)
end_panel=$(panel endsplash0.gif)
back_a=$(panel visitthroneward0.gif)
back_b=$(panel visitjava0.gif)

start_game() {
  launch_game "$title" env PATH="$work/bin:$PATH" TMPDIR="$work/tmp" "$exe"
}

# shot <name>: the drawing area as $work/<name>.png.
shot() {
  import -window "$win" PNG24:"$work/$1.png"
}

# shows <picture> <x> <y> <shot>: the shot has the picture drawn with its top-left corner at (x, y);
# its see-through pixels may show anything.
shows() {
  convert "$work/$4.png" "$1" -geometry "+$2+$3" -composite PNG24:"$work/composed.png" &&
    [ "$(compare -metric AE "$work/$4.png" "$work/composed.png" null: 2>&1)" = "0" ]
}

# screen_is <picture> <x> <y>: a fresh shot shows the picture there.
screen_is() {
  shot now && shows "$1" "$2" "$3" now
}

left_front() {
  ! screen_is "$front" 0 0
}

# differs <a> <b> <w>x<h>+<x>+<y>: the two shots differ inside the region.
differs() {
  [ "$(compare -metric AE <(convert "$work/$1.png" -crop "$3" +repage png:-) \
        <(convert "$work/$2.png" -crop "$3" +repage png:-) null: 2>&1)" != "0" ]
}

# shot_differs <name> <earlier shot> <region>: a fresh shot, kept under the name, differs there.
shot_differs() {
  shot "$1" && differs "$2" "$1" "$3"
}

# black_pixels <shot> <region>: how many pixels of the region are pure black, the colour of the
# game's texts; the pictures under them have next to none.
black_pixels() {
  convert "$work/$1.png" -crop "$2" +repage -fill white +opaque black -format '%[fx:round(w*h*(1-mean))]' info:
}

# texts_in <name> <region>: a fresh shot, kept under the name, has text in the region.
texts_in() {
  shot "$1" && [ "$(black_pixels "$1" "$2")" -ge 300 ]
}

# ends_cleanly: the program ends with status 0 and the launcher removes its workspace.
ends_cleanly() {
  wait_for 30 sh -c "! kill -0 $game_pid" || fail "the game did not end"
  local status=0
  wait "$game_pid" || status=$?
  game_pid=
  [ "$status" -eq 0 ] || fail "the game ended with status $status"
  local left
  left=$(ls -A "$work/tmp")
  [ -z "$left" ] || fail "the launcher left its workspace behind: $left"
}

gun_area=80x80+260+285         # the gun, centred on (300, 325)
shell_path=12x280+294+0        # above the barrel while it points straight up
pause_text=380x70+115+190      # "Game Paused" and the line under it
score_line=300x18+15+428       # "Score: ..." on the landscape

# ---- Run 1: the keyboard.
start_game
wait_for 60 screen_is "$front" 0 0 || fail "the front screen is not shown"
# The window took the focus when it was shown: S works without a click.
xdotool key s
wait_for 20 left_front || fail "S did not start a game"
sleep 0.5
shot playing

xdotool keydown space
wait_for 20 shot_differs firing1 playing "$shell_path" || fail "no shells above the gun while space is held"
wait_for 10 shot_differs firing2 firing1 "$shell_path" || fail "the shells do not fly"
xdotool keyup space

shot before_turn
xdotool keydown Right
wait_for 20 shot_differs turned before_turn "$gun_area" || fail "holding Right did not turn the turret"
xdotool keyup Right

[ "$(black_pixels turned "$pause_text")" -lt 300 ] || fail "pause texts before Escape"
xdotool key Escape
wait_for 20 texts_in paused1 "$pause_text" || fail "Escape shows no pause texts"
sleep 0.6
shot paused2
[ "$(compare -metric AE "$work/paused1.png" "$work/paused2.png" null: 2>&1)" = "0" ] ||
  fail "the picture is not frozen while paused"

xdotool key q
wait_for 20 screen_is "$end_panel" 75 16 || fail "Q did not show the end-game panel"
shot ended
texts_in ended "$score_line" || fail "no score line under the end-game panel"

xdotool key q
wait_for 20 screen_is "$back_a" 0 0 || fail "Q on the end-game panel did not show the first back screen"
shot back1
xdotool key a
wait_for 20 screen_is "$back_b" 0 0 || fail "a key did not show the second back screen"
shot back2
xdotool key a
ends_cleanly

# ---- Run 2: the mouse and the window.
rm -f "$work/opened"
start_game
wait_for 60 screen_is "$front" 0 0 || fail "the front screen is not shown (second run)"
if [ "$mode" = nowm ]; then
  # Take the keyboard away; without a window manager the click below must win it back.
  xdotool windowfocus "$(xwininfo -root | awk '/Window id:/ {print $4}')"
fi
xdotool mousemove --window "$win" 145 387 click 1
wait_for 20 test -s "$work/opened" || fail "a click on the maker's logo opened nothing"
[ "$(cat "$work/opened")" = "$home_page" ] || fail "the logo opened '$(cat "$work/opened")', not '$home_page'"
screen_is "$front" 0 0 || fail "the front screen did not stay after the logo click"
sleep 0.5
! grep -q 'stand-in browser' "$work/game.log" || fail "the browser's messages went into the game's output"

xdotool mousemove --window "$win" 515 78 click 1
wait_for 20 left_front || fail "the play button did not start a game"
xdotool key Escape
wait_for 20 texts_in clicked_paused "$pause_text" || fail "keys do not reach the game after a click"

"$close_window" "$win" || fail "could not ask the window to close"
ends_cleanly
echo "ok ($mode): played by keyboard and mouse, ended by the back screens and by closing the window"
