#!/usr/bin/env bash
# The shot's sound, measured through a real sound server (a private
# PulseAudio server with a null sink, as in the tests) with the real program
# under Xvfb:
#   1. press -> sound: 20 shots fired with real input, each press marked in
#      a reference stream of 10 ms latency; the recording tells how long
#      after its mark each shot began (median, worst) and how many were lost;
#   2. idle CPU: clock ticks spent over 10 s by the program and by the sound
#      server, before the first shot and after a series, against a bare Qt
#      window over the same 10 s.
#   bench/sound.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")/../tests/e2e" && pwd)
work=$(mktemp -d)
source "$here/lib.sh"
source "$here/../sound/pulse.sh"
trap 'e2e_cleanup; [ -n "${bare_pid:-}" ] && kill "$bare_pid" 2>/dev/null; pulse_stop; rm -rf "$work"' EXIT

cp -r "$build/app" "$work/Vimbra folder"
prog="$work/Vimbra folder"
start_x
pulse_start "$work"

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# Ticks spent by the process $1 and the server over 10 s.
idle_ticks() {
  local a s
  a=$(ticks "$1"); s=$(ticks "$pulse_pid")
  sleep 10
  echo "$(($(ticks "$1") - a)) $(($(ticks "$pulse_pid") - s))"
}
# Waits for the program to close its stream; then a second more, so the
# server has done with the queries made meanwhile.
wait_no_stream() {
  for _ in $(seq 100); do [ "$(pulse_streams)" = 0 ] && { sleep 1; return 0; }; sleep 0.1; done
  echo "the program kept its stream"; exit 1
}

start_program
main=$(main_window)
wait_no_stream
read -r before_prog before_server < <(idle_ticks "$app_pid")

eval "$(xdotool getwindowgeometry --shell "$main")"
pulse_record "$work/shots.wav"
"$build/tests/shotclock" $((X + 500)) $((Y + 380)) 20 700 5 >/dev/null
pulse_record_stop
wait_no_stream
read -r after_prog after_server < <(idle_ticks "$app_pid")
close_program "$main"
expect_clean_exit >/dev/null

"$build/bench/startup_baseline" --stay &
bare_pid=$!
sleep 2
read -r bare_prog bare_server < <(idle_ticks "$bare_pid")

echo "press -> sound onset, 20 shots, against a reference stream of 10 ms latency written at the press:"
"$build/tests/soundcheck" "$work/shots.wav" --expect 20 | tail -n 1
"$build/tests/soundcheck" "$work/shots.wav" | head -n 1
echo "idle clock ticks over 10 s (program + sound server):"
echo "  before the first shot: $before_prog + $before_server"
echo "  after a series:        $after_prog + $after_server"
echo "  bare Qt window:        $bare_prog + $bare_server (goal: the same, 0)"
