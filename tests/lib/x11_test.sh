# Shared by the window tests' scripts (sourced, not run). A script starts with
#
#   . "$(dirname "$0")/../lib/x11_test.sh"
#   x11_test_begin <label> <pid variable...>
#
# and gets a temp folder $work, removed on exit, and fail. The pid variables
# (scalars or arrays: game_pid, xvfb_pid, pids, ...) name the processes the
# clean-up stops, in the order given, with whatever they hold at exit; empty
# ones are skipped. A script that keeps something from $work defines
# x11_test_keep, which the clean-up runs first. fail prints its message and
# the last lines of each log named in x11_test_logs (file names in $work).

# x11_test_begin <label> <pid variable...>: the temp folder, the clean-up on exit, fail.
x11_test_begin() {
  x11_test_label=$1
  shift
  x11_test_pid_vars=("$@")
  x11_test_logs=${x11_test_logs:-game.log}
  local v
  for v in "$@"; do
    declare -p "$v" >/dev/null 2>&1 || eval "$v="
  done
  work=$(mktemp -d)
  trap x11_test_cleanup EXIT
}

x11_test_cleanup() {
  set +eu  # a process ended by its signal must not cut the clean-up short
  if declare -F x11_test_keep >/dev/null; then
    x11_test_keep
  fi
  local v
  for v in "${x11_test_pid_vars[@]}"; do
    eval "stop_processes \"\${${v}[@]}\""
  done
  rm -rf "$work"
}

# fail <message>: says what failed, with the tails of the test's logs, and ends the test.
fail() {
  echo "FAIL${x11_test_label:+ ($x11_test_label)}: $*" >&2
  local f
  for f in ${x11_test_logs:-}; do
    [ -f "$work/$f" ] && tail -n 40 "$work/$f" | sed "s/^/  ${f%.log}: /" >&2
  done
  exit 1
}

# need_display: the test runs on the X server in $DISPLAY.
need_display() {
  [ -n "${DISPLAY:-}" ] || fail "no DISPLAY"
}

# x11_test_display nowm|wm [DISPLAY]: nowm runs on $DISPLAY as it is (a bare
# X server, no window manager); wm on an X server of the test's own with
# openbox, on the display given or on a free one.
x11_test_display() {
  case "$1" in
    nowm) need_display ;;
    wm)
      start_xvfb "${2:-}"
      start_openbox
      ;;
    *) fail "unknown mode $1" ;;
  esac
}

# stop_processes <pid...>: stops each process named, skipping empty ones, and
# waits for it; a process ended by the signal is not a failure of the clean-up.
stop_processes() {
  local pid
  for pid in "$@"; do
    [ -n "$pid" ] && kill "$pid" 2>/dev/null && { wait "$pid" 2>/dev/null || true; }
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

# x11_retry <command...>: runs an X client, and runs it again (three tries in
# all) when it could not open the display. This X server now and then drops a
# client it has just accepted, before reading a byte, while other clients
# connect and disconnect around it (seen with strace; the busier the machine,
# the more often). Any other failure is passed on as it is.
x11_retry() {
  local attempt rc err
  for attempt in 1 2 3; do
    rc=0
    { err=$("$@" 2>&1 >&3 3>&-) || rc=$?; } 3>&1
    [ "$rc" -ne 0 ] && [ "$attempt" -lt 3 ] &&
      [[ $err == *"open display"* || $err == *"open X server"* ]] || break
    sleep 0.2
  done
  [ -z "$err" ] || printf '%s\n' "$err" >&2
  return "$rc"
}
# The X clients the window tests use, each through x11_retry.
xdotool() { x11_retry command xdotool "$@"; }
xwininfo() { x11_retry command xwininfo "$@"; }
xprop() { x11_retry command xprop "$@"; }
xdpyinfo() { x11_retry command xdpyinfo "$@"; }
import() { x11_retry command import "$@"; }

# launch_game <title> <command...>: starts the game in the background
# ($game_pid, its output in $work/game.log) and waits up to 90 s for its
# window, which $win then names. A game that ends, or whose VM ends, without a
# window fails the test at once, with its output. A VM that the X server
# turned away (see x11_retry), while the server still answers others, is
# started again.
launch_game() {
  local title=$1 attempt
  shift
  for attempt in 1 2 3; do
    "$@" >"$work/game.log" 2>&1 &
    game_pid=$!
    wait_for 90 x11_window_or_failure "$title" || fail "no window titled \"$title\""
    if kill -0 "$game_pid" 2>/dev/null && ! x11_game_failed; then
      win=$(xdotool search --name "^$title\$" | head -n 1)
      [ -n "$win" ] || fail "no window titled \"$title\""
      return 0
    fi
    # The launcher may be showing its failure box: stop it.
    stop_processes "$game_pid"
    game_pid=
    x11_turned_away "$work/game.log" || fail "the game failed before it showed a window"
    [ "$attempt" -lt 3 ] || fail "the X server turned the game's VM away $attempt times"
    echo "the X server turned the game's VM away (try $attempt); starting it again" >&2
  done
}

# x11_window_or_failure <title>: the game shows its window, or has failed.
x11_window_or_failure() {
  xdotool search --name "^$1\$" >/dev/null 2>&1 || ! kill -0 "$game_pid" 2>/dev/null || x11_game_failed
}

# x11_turned_away <log>: the VM whose output is in the log could not open the
# display, while the server still answers others (see x11_retry).
x11_turned_away() {
  grep -q "Can't connect to X11 window server" "$1" && xdpyinfo >/dev/null 2>&1
}

# x11_game_failed: the launcher has said that the game's VM ended.
x11_game_failed() {
  grep -q "ended with exit code" "$work/game.log"
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
