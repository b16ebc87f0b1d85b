#!/usr/bin/env bash
# The real game in its window on $DISPLAY, played by the bot from a later
# stage of a game: after a while of play, a strip of frames must show the
# world moving over the night-sky picture, and the game must report no fault.
# With PLAY_SHOTS_DIR set, the frames and a montage of them are kept there.
#
# usage: play_screenshots.sh <java> <classpath> <source dir with XmasGifs and XmasSounds>
set -euo pipefail
java=$1
cp=$2
src=$3
title='Tallowfen: Tinsel Barrage!'

. "$(dirname "$0")/../lib/x11_test.sh"
x11_test_begin "" game_pid
need_display
background=$(find "$src/XmasGifs" -maxdepth 1 -iname 'background0.gif' | head -n 1)
[ -n "$background" ] || fail "no background picture in $src/XmasGifs"
# The sky above the landscape: play-area rows 0 to 297, where only flying things cover the picture.
convert "$background" -crop 600x298+0+0 +repage -alpha off PNG24:"$work/sky.png"

play_seconds=36
launch_game "$title" "$java" -Dquillpod.dir="$src" -cp "$cp" com.tallowfen.hollyblitz.BotPlay "$play_seconds" 5 150
sleep 22

frames=()
for i in $(seq 0 9); do
  import -window "$win" PNG24:"$work/frame$i.png" || fail "could not take frame $i"
  frames+=("$work/frame$i.png")
  sleep 0.4
done

# differing <a> <b>: how many pixels of two pictures differ.
differing() { compare -metric AE -fuzz 3% "$1" "$2" null: 2>&1 || true; }

moving=0
for i in $(seq 1 9); do
  d=$(differing "$work/frame$((i - 1)).png" "$work/frame$i.png")
  [ "${d%.*}" -gt 50 ] && moving=$((moving + 1))
done
[ "$moving" -ge 8 ] || fail "the world stood still: only $moving of 9 frames differ from the one before"

for f in "${frames[@]}"; do
  convert "$f" -crop 600x298+0+0 +repage PNG24:"$work/sky-shot.png"
  d=$(differing "$work/sky.png" "$work/sky-shot.png")
  d=${d%.*}
  # 178,800 pixels of sky: something must fly there, but the picture must show through.
  [ "$d" -gt 300 ] || fail "nothing flies in the sky of $(basename "$f") ($d pixels differ)"
  [ "$d" -lt 60000 ] || fail "the sky of $(basename "$f") is not the night-sky picture ($d pixels differ)"
done

if [ -n "${PLAY_SHOTS_DIR:-}" ]; then
  mkdir -p "$PLAY_SHOTS_DIR"
  cp "${frames[@]}" "$PLAY_SHOTS_DIR/"
  montage "${frames[@]}" -tile 5x2 -geometry +2+2 "$PLAY_SHOTS_DIR/strip.png"
fi

wait "$game_pid" || fail "the game reported a fault or did not end cleanly"
game_pid=
grep -q "faults 0" "$work/game.log" || fail "the game reported faults"
echo "ok: $(grep 'steps,' "$work/game.log")"
