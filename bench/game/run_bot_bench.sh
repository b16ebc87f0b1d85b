#!/usr/bin/env bash
# The whole game while the bot plays it: 200,000 logic steps headless with
# paint passes, then the real game in its window for a while, measuring its
# CPU use (whole process, against 30 steps and about 20 repaints a second) and
# its resident memory against an empty AWT window on the same VM.
#
# The game runs with the VM options its executable carries (GAME_VMARGS, set
# by the build); the empty window is measured with the VM's defaults, the
# baseline of any AWT program, and with the game's options too.
#
# usage: run_bot_bench.sh <java> <classpath> <source dir with XmasGifs and XmasSounds> [steps] [seconds]
set -euo pipefail
java=$1
cp=$2
src=$3
steps=${4:-200000}
seconds=${5:-60}
read -r -a vmargs <<<"${GAME_VMARGS:-}"
here=$(cd "$(dirname "$0")" && pwd)

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$0" "$@"
fi

echo "== bot, headless: $steps logic steps with a paint pass every second step"
"$java" -cp "$cp" com.tallowfen.hollyblitz.BotRun "$src" "$steps" 1 2>/dev/null

ticks=$(getconf CLK_TCK)
# cpu_ticks <pid>: user + system time of the process so far, in clock ticks.
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
rss_kb() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status"; }

# measure <label> <warm-up seconds> <measured seconds> <command...>: prints CPU % of one core and RSS.
measure() {
  local label=$1 warm=$2 span=$3
  shift 3
  "$@" >/dev/null 2>&1 &
  local pid=$!
  sleep "$warm"
  local t0 c0 t1 c1
  t0=$(date +%s.%N); c0=$(cpu_ticks "$pid")
  sleep "$span"
  t1=$(date +%s.%N); c1=$(cpu_ticks "$pid")
  local rss
  rss=$(rss_kb "$pid")
  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null || true
  local cpu
  cpu=$(awk -v c0="$c0" -v c1="$c1" -v t0="$t0" -v t1="$t1" -v hz="$ticks" \
    'BEGIN {printf "%.2f", 100 * (c1 - c0) / hz / (t1 - t0)}')
  echo "$label: CPU ${cpu}% of one core, resident ${rss} kB"
  eval "${label}_rss=$rss"
}

echo "== the real game in its window, played by the bot (sound as the machine allows)"
echo "VM options of the game: ${vmargs[*]:-(none)}"
measure game 15 "$seconds" "$java" "${vmargs[@]}" -Dquillpod.dir="$src" -cp "$cp" com.tallowfen.hollyblitz.BotPlay 0 1
measure empty 15 10 "$java" -cp "$cp" com.tallowfen.hollyblitz.EmptyWindow 3600
measure empty_same 15 10 "$java" "${vmargs[@]}" -cp "$cp" com.tallowfen.hollyblitz.EmptyWindow 3600
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }
echo "resident memory, game / empty window: $(ratio "$game_rss" "$empty_rss")  (goal: <= 1.3)"
echo "resident memory, game / empty window with the game's VM options: $(ratio "$game_rss" "$empty_same_rss")"
echo "(goal for CPU: under 5% of one core at 30 steps and 20 repaints a second)"
