#!/usr/bin/env bash
# Runs a Java main class on $DISPLAY, or on a private X server when there is none.
# The VM options in GAME_VMARGS, if any, go before the class path.
# usage: run_java.sh <java> <classpath> <main class> [arguments...]
set -euo pipefail
java=$1
cp=$2
main=$3
shift 3
read -r -a vmargs <<<"${GAME_VMARGS:-}"
if [ -n "${DISPLAY:-}" ]; then
  exec "$java" "${vmargs[@]}" -cp "$cp" "$main" "$@"
fi
exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$java" "${vmargs[@]}" -cp "$cp" "$main" "$@"
