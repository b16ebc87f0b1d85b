# Shared by the window tests' scripts (sourced, not run). The caller defines
# fail, and the variables work (its temp folder), xvfb_pid and wm_pid, which
# its clean-up stops.

# stop_processes <pid...>: stops each process named, skipping empty ones, and
# waits for it; a process ended by the signal is not a failure of the clean-up.
stop_processes() {
  local pid
  for pid in "$@"; do
    [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  done
  return 0
}

# wait_for <seconds> <command...>: runs the command every 0.2 s until it succeeds.
wait_for() {
  local tries=$(( $1 * 5 ))
  shift
  while ! "$@" >/dev/null 2>&1; do
    tries=$(( tries - 1 ))
    [ "$tries" -gt 0 ] || return 1
    sleep 0.2
  done
}

# start_xvfb [DISPLAY]: an X server of the test's own, on the display given or
# on one it picks itself; exports DISPLAY once the server answers.
start_xvfb() {
  if [ -n "${1:-}" ]; then
    Xvfb "$1" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    export DISPLAY=$1
  else
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    wait_for 10 test -s "$work/display" || fail "Xvfb did not start"
    export DISPLAY=":$(tr -dc 0-9 <"$work/display")"
  fi
  wait_for 10 xdpyinfo || fail "X server $DISPLAY does not answer"
}

# start_openbox: a window manager on $DISPLAY, waited for until it has taken
# the screen. A busy X server sometimes refuses a new client, which ends
# openbox at once: start it again, a few times.
start_openbox() {
  local attempt
  for attempt in 1 2 3; do
    openbox --sm-disable >"$work/openbox.log" 2>&1 &
    wm_pid=$!
    wait_for 30 sh -c "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' || ! kill -0 $wm_pid" ||
      fail "openbox did not start: $(cat "$work/openbox.log")"
    kill -0 "$wm_pid" 2>/dev/null && return 0
    wait "$wm_pid" 2>/dev/null || true
    sleep 0.5
  done
  fail "openbox did not start: $(cat "$work/openbox.log")"
}
