#!/usr/bin/env bash
# Runs a Java main class on $DISPLAY, or on a private X server when there is none.
# usage: run_java.sh <java> <classpath> <main class> [arguments...]
set -euo pipefail
java=$1
cp=$2
main=$3
shift 3
if [ -n "${DISPLAY:-}" ]; then
  exec "$java" -cp "$cp" "$main" "$@"
fi
exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$java" -cp "$cp" "$main" "$@"
