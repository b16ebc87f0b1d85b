#!/usr/bin/env bash
# The game's sound heard for real: a PulseAudio server of our own with a null
# sink, ALSA's default device routed to it, the game played by the bot in its
# window while the sink's monitor is recorded; then SoundCheck listens to the
# recording. Last, with the server gone, the game must say "No sound" once.
# With SOUND_KEEP=DIR the temp folder (recording, logs) is kept as DIR.
#
# usage: sound_test.sh <java> <game classpath> <checker classes> <source dir with XmasGifs and XmasSounds>
set -euo pipefail
java=$1
cp=$2
checker=$3
src=$4
play_seconds=30

pids=()
. "$(dirname "$0")/../lib/x11_test.sh"
x11_test_keep() {
  if [ -n "${SOUND_KEEP:-}" ]; then rm -rf "$SOUND_KEEP"; cp -r "$work" "$SOUND_KEEP"; fi
}
x11_test_logs="pulse.log play.log game.log check.log"
x11_test_begin "" pids
need_display
command -v pulseaudio >/dev/null || fail "pulseaudio is not installed"

# Everything the server and its clients keep lives in the temp folder.
mkdir -p "$work/run" "$work/home"
chmod 700 "$work/run"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/home/.config"
export PULSE_SERVER="unix:$work/run/native"
# No session bus: the sound clients would spend seconds trying to start one.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/run/no-bus"
cat >"$work/server.pa" <<PA
load-module module-null-sink sink_name=card rate=8000 channels=1 format=s16le
set-default-sink card
load-module module-native-protocol-unix auth-anonymous=1 socket=$work/run/native
PA
# The JDK plays through ALSA's default device; send it to the server.
cat >"$HOME/.asoundrc" <<'ALSA'
pcm.!default { type pulse }
ctl.!default { type pulse }
ALSA

# No CPU limiter: on a busy machine it would take the server down in mid-recording.
pulseaudio -n -F "$work/server.pa" --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
  --no-cpu-limit --realtime=no --high-priority=no --log-target=stderr >"$work/pulse.log" 2>&1 &
pulse_pid=$!
pids+=("$pulse_pid")
wait_for 20 pactl info || fail "the sound server did not start"

# Recorded in small blocks, each noted with the time it came, so the recording
# can be set against the game's clock to the millisecond or so.
mkfifo "$work/monitor"
"$java" -cp "$checker" com.tallowfen.hollyblitz.TimedRecorder "$work/recording.raw" "$work/recording.times" \
  <"$work/monitor" &
recorder_pid=$!
pids+=("$recorder_pid")
parec -d card.monitor --rate=8000 --channels=1 --format=s16le --raw --latency-msec=5 >"$work/monitor" 2>"$work/parec.log" &
parec_pid=$!
pids+=("$parec_pid")
# The monitor delivers nothing while nothing plays: a moment of silence played
# into the sink shows when the recorder is listening.
pacat --playback --raw --rate=8000 --channels=1 --format=s16le </dev/zero 2>/dev/null &
silence_pid=$!
pids+=("$silence_pid")
wait_for 30 test -s "$work/recording.raw" || fail "the recorder did not start"
kill "$silence_pid"
wait "$silence_pid" 2>/dev/null || true
# From here on the recording runs while the game plays.

"$java" -Dquillpod.dir="$src" -Dbot.soundlog="$work/sounds.log" -Dbot.bells=true -cp "$cp" \
  com.tallowfen.hollyblitz.BotPlay "$play_seconds" 7 100 >"$work/play.log" 2>&1 \
  || fail "the game failed"
sleep 1
kill -0 "$pulse_pid" 2>/dev/null || fail "the sound server ended while the game played"
kill "$parec_pid" 2>/dev/null || fail "the recorder ended while the game played: $(cat "$work/parec.log")"
wait "$parec_pid" 2>/dev/null || true
wait "$recorder_pid" || fail "the recorder failed"
! grep -q "No sound" "$work/play.log" || fail "the game found no sound device"

"$java" -cp "$checker:$cp" com.tallowfen.hollyblitz.SoundCheck "$work/recording.raw" "$work/recording.times" \
  "$work/sounds.log" "$src" >"$work/check.log" 2>&1 || fail "the recording does not hold what the game played"
sed 's/^/  /' "$work/check.log"

# Without a server the game plays on silently and says so once.
kill "$pulse_pid"
wait "$pulse_pid" 2>/dev/null || true
"$java" -Dquillpod.dir="$src" -cp "$cp" com.tallowfen.hollyblitz.BotPlay 4 7 >"$work/game.log" 2>&1 \
  || fail "the game failed without a sound server"
notices=$(grep -c "^No sound" "$work/game.log" || true)
[ "$notices" = 1 ] || fail "expected one \"No sound\" notice without a server, got $notices"
echo "ok: shots, hits and bells heard; one \"No sound\" notice without a server"
