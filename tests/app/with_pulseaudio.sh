#!/usr/bin/env bash
# Runs a program beside a PulseAudio server of its own: private runtime
# folders, a null sink as the default output (its monitor can be recorded),
# no other client or server can meet it. The server goes with the program.
#   with_pulseaudio.sh PROGRAM [ARGS...]
set -uo pipefail
dir=$(mktemp -d "${TMPDIR:-/tmp}/korvel-pulse-XXXXXX")
pid=
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; fi
  rm -rf "$dir"
}
trap cleanup EXIT
export XDG_RUNTIME_DIR=$dir PULSE_RUNTIME_PATH=$dir/pulse PULSE_STATE_PATH=$dir/state
export PULSE_SERVER=unix:$dir/native
unset PULSE_SINK PULSE_SOURCE
# -n: no default.pa, only the modules named here.
HOME=$dir pulseaudio -n --daemonize=no --exit-idle-time=-1 --disable-shm=yes \
  --use-pid-file=no --log-target=stderr --log-level=error \
  -L "module-null-sink sink_name=korvel_test" \
  -L "module-native-protocol-unix auth-anonymous=1 socket=$dir/native" 2>"$dir/server.log" &
pid=$!
for _ in $(seq 100); do
  pactl info >/dev/null 2>&1 && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if ! pactl info >/dev/null 2>&1; then
  echo "PulseAudio did not start:" >&2
  cat "$dir/server.log" >&2
  exit 1
fi
pactl set-default-sink korvel_test
"$@"
