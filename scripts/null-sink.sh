# Sourced by the benchmarks that listen to the instrument: Debian's
# PulseAudio in a private runtime folder, with one null sink, "vario"
# (44100 Hz mono), as the only and so the default sink. ALSA's "default"
# device reaches it through libasound2-plugins while it runs. Needs the
# packages pulseaudio, pulseaudio-utils and libasound2-plugins.
#   start_null_sink FOLDER    starts it; exports PULSE_SERVER for what follows
#   stop_null_sink            ends it
#   record_null_sink PROGRAM FILE
#                             in the background: what the sink plays (parec,
#                             16-bit mono at 44100 Hz) piped into PROGRAM
#                             (bench/tone-times, bench/alarm-times), its output
#                             into FILE
#   stop_recording            ends the recording and waits for PROGRAM

start_null_sink() {
  local dir=$1
  mkdir -p "$dir"
  # PulseAudio looks for its cookie and state in HOME and the runtime
  # folder: both private, so a desktop's own server is never touched.
  HOME=$dir XDG_RUNTIME_DIR=$dir PULSE_RUNTIME_PATH=$dir/runtime \
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disallow-module-loading \
      -L "module-native-protocol-unix auth-anonymous=1 socket=$dir/native" \
      -L "module-null-sink sink_name=vario rate=44100 channels=1" >"$dir/pulseaudio.log" 2>&1 &
  null_sink_pid=$!
  export PULSE_SERVER=unix:$dir/native
  for _ in $(seq 100); do
    pactl info >/dev/null 2>&1 && return 0
    sleep 0.05
  done
  echo "null sink: PulseAudio did not start:" >&2
  cat "$dir/pulseaudio.log" >&2
  return 1
}

stop_null_sink() {
  [ -n "${null_sink_pid:-}" ] && kill "$null_sink_pid" 2>/dev/null && wait "$null_sink_pid" 2>/dev/null
  null_sink_pid=
  unset PULSE_SERVER
  return 0
}

record_null_sink() {
  parec --raw --format=s16le --rate=44100 --channels=1 --latency-msec=10 -d vario.monitor | "$1" >"$2" &
  recorder=$!
}

stop_recording() {
  pkill -P "$$" -x parec || true
  wait "$recorder" || true
}
