#!/usr/bin/env bash
# Starts the packed demo under X with a private TMPDIR: its window must
# appear, it must end with status 0, and its workspace must be gone.
#   run_demo.sh <quillpod-demo>
set -u
demo=$1
. "$(dirname "$0")/../lib/x11_test.sh"
x11_test_logs=demo.log
x11_test_begin "" pid
need_display
mkdir "$work/tmp"
TMPDIR=$work/tmp "$demo" --close-after=1500 >"$work/demo.log" 2>&1 &
pid=$!
seen=no
for _ in $(seq 1 100); do
  if xwininfo -root -tree 2>/dev/null | grep -q '"quillpod demo"'; then
    seen=yes
    break
  fi
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
wait "$pid"
status=$?
pid=
failures=0
[ "$seen" = yes ] || { echo "FAIL: the demo window never appeared"; failures=1; }
[ "$status" -eq 0 ] || { echo "FAIL: exit status $status"; cat "$work/demo.log"; failures=1; }
[ -z "$(ls -A "$work/tmp")" ] || { echo "FAIL: left in TMPDIR: $(ls -A "$work/tmp")"; failures=1; }
[ "$failures" -eq 0 ] && echo "all passed"
exit "$failures"
