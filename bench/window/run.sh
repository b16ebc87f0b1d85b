#!/usr/bin/env bash
# Window benchmark, run on demand (not part of ./test):
#   run.sh <mapwait> <packaged game> <game class path> <media folder> <plain classes>
# On a private X server without a window manager it times, alternating in
# one run, from the start of the process to its first window on the screen:
#   packed     the packaged game (launcher, unpacking, VM, game start-up)
#   unpacked   the same game run with java -cp from its build output (the
#              game's own start-up: images, sounds, panels)
#   plain      a plain AWT window that loads and shows one picture
# and prints the medians and the ratios to plain (goal for packed: at most 1.5).
# The packed game unpacks into TMPDIR, so its file system counts.
set -euo pipefail
mapwait=$1 game=$2 classpath=$3 media=$4 plain=$5
rounds=${ROUNDS:-11}
cd "$(dirname "$0")/../.."
. scripts/setup.sh
unset WAYLAND_DISPLAY
quillpod_start_xvfb
trap quillpod_stop_xvfb EXIT
work=$(mktemp -d)
trap 'rm -rf "$work"; quillpod_stop_xvfb' EXIT
# A loaded machine can take a while before the server answers.
for i in $(seq 1 300); do
  xdpyinfo >/dev/null 2>&1 && break
  sleep 0.1
done

picture=$media/XmasGifs/BackGround0.gif
[ -f "$picture" ] || { echo "no picture at $picture" >&2; exit 1; }
# time_ms <command...>: milliseconds to the first window, the command stopped then.
time_ms() {
  local ms
  ms=$("$mapwait" "$@")
  [[ "$ms" =~ ^[0-9.]+$ ]] || { echo "no window from: $*" >&2; exit 1; }
  echo "$ms"
}
: >"$work/g"; : >"$work/u"; : >"$work/p"
for i in $(seq 1 $((rounds + 1))); do
  g=$(time_ms "$game")
  u=$(time_ms java -Dquillpod.dir="$media" -cp "$classpath" com.tallowfen.hollyblitz.HollyBlitz)
  p=$(time_ms java -cp "$plain" OnePicture "$picture")
  [ "$i" -eq 1 ] && continue  # warm the file cache first
  echo "$g" >>"$work/g"; echo "$u" >>"$work/u"; echo "$p" >>"$work/p"
done
median() { sort -n | awk '{a[NR]=$1} END {m=(NR%2)?a[(NR+1)/2]:(a[NR/2]+a[NR/2+1])/2; printf "%.0f", m}'; }
G=$(median <"$work/g"); U=$(median <"$work/u"); P=$(median <"$work/p")
echo "Start to window, median of $rounds rounds, ms:  packed $G   unpacked $U   plain picture $P"
awk -v g="$G" -v u="$U" -v p="$P" 'BEGIN {
  printf "packed / plain   = %.2f   (goal: at most 1.50)\n", g / p
  printf "unpacked / plain = %.2f   (the game'"'"'s own start-up)\n", u / p
}'
