#!/usr/bin/env bash
# Reports a score from the packaged game in a real window to the real score
# server, and finds it on the high-score page.
#
# The game runs in a network namespace of its own, so its built-in addresses
# (localhost, ports 42673 and 8080) reach this test's server and no other:
# a window manager, tinsel-scores on an SQLite file, and the game, on an X
# server of the test's own started outside the namespace. A short game by keyboard earns some points; the report-score
# button opens the form, the name and e-mail address are typed in, submit
# shows the success dialog; its OK returns to the end-game panel, whose
# high-score button runs the desktop's opener, here a stand-in that fetches
# the page. The page must list the name with the score the server stored.
#
# usage: report_score_test.sh <game executable> <tinsel-scores> <XmasGifs folder>
# Screenshots are left in $SCORES_E2E_SHOTS when it names a folder.
set -euo pipefail

if [ -z "${SCORES_E2E_IN_NETNS:-}" ]; then
  # The X server stays outside the namespace: one started inside it sees none
  # of the other servers' abstract sockets, and could take the display number
  # of a server that other tests are using. Clients inside reach it through
  # its socket file.
  outer=$(mktemp -d)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$outer/display" >"$outer/xvfb.log" 2>&1 &
  outer_xvfb=$!
  trap 'kill "$outer_xvfb" 2>/dev/null; wait "$outer_xvfb" 2>/dev/null; rm -rf "$outer"' EXIT
  for _ in $(seq 1 50); do [ -s "$outer/display" ] && break; sleep 0.2; done
  [ -s "$outer/display" ] || { echo "FAIL: Xvfb did not start: $(cat "$outer/xvfb.log")" >&2; exit 1; }
  export SCORES_E2E_DISPLAY=":$(tr -dc 0-9 <"$outer/display")"
  # As root a plain network namespace; otherwise one inside a user namespace.
  for how in "unshare -n" "unshare -rn"; do
    if $how true 2>/dev/null; then
      status=0
      SCORES_E2E_IN_NETNS=1 $how "$0" "$@" || status=$?
      exit "$status"
    fi
  done
  echo "FAIL: cannot make a network namespace (unshare -n)" >&2
  exit 1
fi
ip link set lo up

exe=$1
scores=$2
gifs=$3
title='Tallowfen: Tinsel Barrage!'
name='Quinn Tester'
email='quinn@example.org'

work=$(mktemp -d)
wm_pid=
game_pid=
scores_pid=

cleanup() {
  set +e  # a process that ends by the signal must not cut the clean-up short
  stop_processes "$game_pid" "$scores_pid" "$wm_pid"
  if [ -n "${SCORES_E2E_SHOTS:-}" ] && [ -d "$SCORES_E2E_SHOTS" ]; then
    cp "$work"/*.png "$work"/page.html "$SCORES_E2E_SHOTS"/ 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  [ -f "$work/game.log" ] && sed 's/^/  game: /' "$work/game.log" >&2
  [ -f "$work/scores.log" ] && sed 's/^/  server: /' "$work/scores.log" >&2
  exit 1
}

. "$(dirname "$0")/../lib/x11_test.sh"

# The window manager, inside the namespace, on the X server made outside it.
export DISPLAY=$SCORES_E2E_DISPLAY
wait_for 10 xdpyinfo || fail "X server $DISPLAY does not answer"
start_openbox

# The score server on its default ports.
"$scores" --database "$work/scores.db" 2>"$work/scores.log" &
scores_pid=$!
wait_for 30 grep -q 'started: ' "$work/scores.log" || fail "the score server did not start"

# The stand-in opener fetches the page it is asked to show.
mkdir "$work/bin" "$work/tmp"
cat >"$work/bin/xdg-open" <<EOF
#!/bin/sh
curl -sf --max-time 30 "\$1" >"$work/page.tmp" && mv "$work/page.tmp" "$work/page.html"
printf '%s\n' "\$1" >>"$work/opened"
EOF
chmod +x "$work/bin/xdg-open"

# A session of its own, so that stopping it reaches no one else.
PATH="$work/bin:$PATH" TMPDIR="$work/tmp" setsid "$exe" >"$work/game.log" 2>&1 &
game_pid=$!
wait_for 90 xdotool search --name "^$title\$" || fail "no window titled \"$title\""
win=$(xdotool search --name "^$title\$" | head -n 1)

front=$(find "$gifs" -maxdepth 1 -iname intro0.gif | head -n 1)
end_panel=$(find "$gifs" -maxdepth 1 -iname endsplash0.gif | head -n 1)
score_panel=$(find "$gifs" -maxdepth 1 -iname scoresplash0.gif | head -n 1)

shot() {
  import -window "$win" PNG24:"$work/$1.png"
}
# screen_is <picture> <x> <y>: a fresh shot shows the picture there (see-through pixels aside).
screen_is() {
  shot now &&
    convert "$work/now.png" "$1" -geometry "+$2+$3" -composite PNG24:"$work/composed.png" &&
    [ "$(compare -metric AE "$work/now.png" "$work/composed.png" null: 2>&1)" = "0" ]
}
# panel_part_is <picture> <x> <y> <W>x<H>+<px>+<py>: a fresh shot shows that part of the picture
# drawn with its top-left corner at (x, y).
panel_part_is() {
  local size=${4%%+*} px py
  px=${4#*+}; py=${px#*+}; px=${px%%+*}
  shot now &&
    convert "$work/now.png" -crop "$size+$(( $2 + px ))+$(( $3 + py ))" +repage PNG24:"$work/part.png" &&
    convert "$work/part.png" \( "$1" -crop "$4" +repage \) -geometry +0+0 -composite PNG24:"$work/composed.png" &&
    [ "$(compare -metric AE "$work/part.png" "$work/composed.png" null: 2>&1)" = "0" ]
}
left_front() {
  ! screen_is "$front" 0 0
}
# Where the score's digits follow "Score: "; more black pixels there than
# at the start mean more digits than the "0" of a new game.
digits=60x18+100+428
black_pixels() {
  convert "$work/$1.png" -crop "$digits" +repage -fill white +opaque black -format '%[fx:round(w*h*(1-mean))]' info:
}
scored() {
  shot "$1" && [ "$(black_pixels "$1")" -gt $(( $(black_pixels start) + 20 )) ]
}
click() {
  xdotool mousemove --window "$win" "$1" "$2" click 1
}

wait_for 60 screen_is "$front" 0 0 || fail "the front screen is not shown"
xdotool key s
wait_for 20 left_front || fail "S did not start a game"
sleep 0.5
shot start

# Sweep the turret a little either side of straight up while firing, until
# the first points show. A game lost before that is played again.
xdotool keydown space
got=
for round in $(seq 1 200); do
  for turn in "Left 0.15" "Right 0.3" "Left 0.15"; do
    set -- $turn
    xdotool keydown "$1"
    sleep "$2"
    xdotool keyup "$1"
  done
  if scored playing; then got=1; break; fi
  # Lost without a point: play again.
  if screen_is "$end_panel" 75 16; then
    click 152 93
    sleep 1
    xdotool keyup space keydown space
  fi
done
xdotool keyup space
[ -n "$got" ] || fail "no points scored in time"
if ! screen_is "$end_panel" 75 16; then
  xdotool key Escape
  sleep 0.5
  xdotool key q
fi
wait_for 20 screen_is "$end_panel" 75 16 || fail "the end-game panel is not shown"
shot ended
[ "$(black_pixels ended)" -gt $(( $(black_pixels start) + 20 )) ] || fail "the game ended without points"

# Report score: the form over the score entry panel.
click 300 93
# The panel's lower part, its buttons, stands free of the controls.
wait_for 20 panel_part_is "$score_panel" 138 23 324x190+0+160 || fail "the score entry panel is not shown"
click 370 96
xdotool type --delay 30 "$name"
click 370 128
xdotool type --delay 30 "$email"
sleep 0.5
shot form

click 375 247
wait_for 30 xdotool search --onlyvisible --name '^Success$' || fail "no success dialog"
dialog=$(xdotool search --onlyvisible --name '^Success$' | head -n 1)
sleep 0.5
import -window root PNG24:"$work/success.png"
# The dialog's OK button sits at (84, 84) in its content, 60 x 24.
for attempt in 1 2 3 4 5; do
  xdotool mousemove --window "$dialog" 114 96 click 1
  wait_for 4 sh -c "! xdotool search --onlyvisible --name '^Success\$'" && break
done
if xdotool search --onlyvisible --name '^Success$' >/dev/null 2>&1; then fail "OK did not close the dialog"; fi
wait_for 20 screen_is "$end_panel" 75 16 || fail "not back on the end-game panel after the report"

grep -q "accepted score [1-9][0-9]* for \"$name\" from 127.0.0.1" "$work/scores.log" ||
  fail "the server did not accept the record"
stored=$(sed -n "s/.*accepted score \([0-9]*\) for \"$name\".*/\1/p" "$work/scores.log")

# View high scores: the stand-in opener fetches the page.
click 300 145
wait_for 30 test -s "$work/page.html" || fail "the high-score button fetched no page"
[ "$(head -n 1 "$work/opened")" = "http://localhost:8080/" ] || fail "opened $(cat "$work/opened")"
grep -q "<td class=\"name\">$name</td><td class=\"score\">$stored</td>" "$work/page.html" ||
  fail "the page does not list $name with $stored"
if grep -q "$email" "$work/page.html"; then fail "the page shows the e-mail address"; fi

# Leave through the back screens; the server then stops cleanly.
xdotool key q
sleep 1
xdotool key a
sleep 1
xdotool key a
wait_for 30 sh -c "! kill -0 $game_pid" || fail "the game did not end"
status=0
wait "$game_pid" || status=$?
game_pid=
[ "$status" -eq 0 ] || fail "the game ended with status $status"
kill -TERM "$scores_pid"
status=0
wait "$scores_pid" || status=$?
scores_pid=
[ "$status" -eq 0 ] || fail "the score server ended with status $status"
grep -q 'stopped' "$work/scores.log" || fail "the score server did not log its stop"
echo "ok: reported $stored for $name and found it on the high-score page"
