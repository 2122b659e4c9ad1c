#!/usr/bin/env bash
# Starts or stops a private PulseAudio server whose only sink is the null sink "tocolo"
# (44.1 kHz 16-bit mono, so what is played is recorded unchanged from its monitor). Like a
# desktop's server it suspends a sink that nothing plays to or records from, here after 1 s.
# Usage: pulse-server.sh start|stop <runtime-dir>
set -euo pipefail
action=$1
dir=$2
export XDG_RUNTIME_DIR=$dir HOME=$dir PULSE_RUNTIME_PATH=$dir
case $action in
  start)
    mkdir -p "$dir"
    pulseaudio --kill 2>/dev/null || true
    pulseaudio -n --daemonize=yes --exit-idle-time=-1 --use-pid-file=yes \
      --log-target=file:"$dir/pulse.log" \
      --load="module-native-protocol-unix auth-anonymous=1 socket=$dir/native" \
      --load="module-null-sink sink_name=tocolo rate=44100 channels=1 format=s16le" \
      --load="module-suspend-on-idle timeout=1"
    for _ in $(seq 50); do
      PULSE_SERVER=unix:$dir/native pactl info >/dev/null 2>&1 && exit 0
      sleep 0.1
    done
    echo "PulseAudio did not come up; see $dir/pulse.log" >&2
    exit 1
    ;;
  stop)
    pulseaudio --kill 2>/dev/null || true
    for _ in $(seq 50); do
      PULSE_SERVER=unix:$dir/native pactl info >/dev/null 2>&1 || exit 0
      sleep 0.1
    done
    echo "PulseAudio did not stop" >&2
    exit 1
    ;;
esac
