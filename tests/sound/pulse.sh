# A private PulseAudio server for the tests, sourced by their scripts:
#   pulse_start DIR      starts a server whose runtime folder is DIR/runtime,
#                        with a null sink "nul" that mixes in float (nothing
#                        clips), and points this shell's clients at it
#   pulse_record FILE    records the sink's output; returns once it records
#   pulse_record_stop    ends the recording (the WAV is complete)
#   pulse_streams        the number of playback streams the server has now
#   pulse_stop           stops the recording and the server
# Register pulse_stop in the caller's exit trap: the server must not outlive
# the test.

pulse_start() {
  export XDG_RUNTIME_DIR="$1/runtime"
  mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
  export PULSE_SERVER="unix:$XDG_RUNTIME_DIR/pulse/native"
  # No client may start a server of its own, here or in the program.
  printf 'autospawn = no\n' >"$1/client.conf"
  export PULSE_CLIENTCONFIG="$1/client.conf"
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --disable-shm=no --log-target=stderr \
    -L "module-null-sink sink_name=nul format=float32le rate=44100 channels=2" \
    -L module-native-protocol-unix 2>"$1/pulse.log" &
  pulse_pid=$!
  for _ in $(seq 100); do
    pactl info >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "the sound server did not start:"; cat "$1/pulse.log"
  return 1
}

pulse_record() {
  parecord -d nul.monitor --latency-msec=20 --format=float32le --rate=44100 --channels=2 --file-format=wav "$1" &
  record_pid=$!
  # The recorder needs a moment before it really records.
  for _ in $(seq 100); do
    [ "$(stat -c %s "$1" 2>/dev/null || echo 0)" -gt 20000 ] && return 0
    sleep 0.05
  done
  echo "the recorder did not start"
  return 1
}

pulse_record_stop() {
  if [ -n "${record_pid:-}" ]; then
    kill -INT "$record_pid" 2>/dev/null || true
    wait "$record_pid" 2>/dev/null || true
    record_pid=
  fi
}

pulse_streams() { pactl list short sink-inputs 2>/dev/null | wc -l; }

pulse_stop() {
  pulse_record_stop
  if [ -n "${pulse_pid:-}" ]; then
    kill "$pulse_pid" 2>/dev/null || true
    wait "$pulse_pid" 2>/dev/null || true
    pulse_pid=
  fi
}
