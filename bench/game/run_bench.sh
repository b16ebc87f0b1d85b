#!/usr/bin/env bash
# Runs the game benchmark on $DISPLAY, or on a private X server when there is none.
# usage: run_bench.sh <java> <classpath> <workspace holding XmasGifs>
set -euo pipefail
java=$1
cp=$2
workspace=$3
if [ -n "${DISPLAY:-}" ]; then
  exec "$java" -cp "$cp" com.tallowfen.hollyblitz.GameBench "$workspace"
fi
exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
  "$java" -cp "$cp" com.tallowfen.hollyblitz.GameBench "$workspace"
