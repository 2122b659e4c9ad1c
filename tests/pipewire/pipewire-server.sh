#!/usr/bin/env bash
# Starts or stops a private PipeWire (pipewire, wireplumber, pipewire-pulse) on its own
# runtime directory and session bus, with the graph running at <rate> and a mono null sink
# "tocolo" as the default output. Its PulseAudio socket is <dir>/runtime/pulse/native.
# Usage: pipewire-server.sh start <dir> <rate> | stop <dir>
set -euo pipefail
action=$1
dir=$2
export XDG_RUNTIME_DIR=$dir/runtime XDG_CONFIG_HOME=$dir/config XDG_STATE_HOME=$dir/state HOME=$dir
export DBUS_SESSION_BUS_ADDRESS=unix:path=$dir/bus PULSE_SERVER=unix:$dir/runtime/pulse/native
unset PIPEWIRE_REMOTE

stop() {
  for name in pipewire-pulse wireplumber pipewire dbus; do
    [ -f "$dir/$name.pid" ] && kill "$(cat "$dir/$name.pid")" 2>/dev/null || true
    rm -f "$dir/$name.pid"
  done
}

wait_for() {  # what, command...
  local what=$1
  shift
  for _ in $(seq 100); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "PipeWire: $what did not come up; see $dir/*.log" >&2
  stop
  exit 1
}

case $action in
  start)
    rate=$3
    stop
    rm -rf "$dir"
    mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME/pipewire/pipewire.conf.d" "$XDG_STATE_HOME"
    chmod 700 "$XDG_RUNTIME_DIR"
    cat >"$XDG_CONFIG_HOME/pipewire/pipewire.conf.d/rate.conf" <<CONF
context.properties = { default.clock.rate = $rate default.clock.allowed-rates = [ $rate ] }
CONF
    dbus-daemon --session --fork --address="$DBUS_SESSION_BUS_ADDRESS" --print-pid=3 3>"$dir/dbus.pid"
    pipewire >"$dir/pipewire.log" 2>&1 &
    echo $! >"$dir/pipewire.pid"
    wait_for pipewire test -S "$XDG_RUNTIME_DIR/pipewire-0"
    wireplumber >"$dir/wireplumber.log" 2>&1 &
    echo $! >"$dir/wireplumber.pid"
    pipewire-pulse >"$dir/pipewire-pulse.log" 2>&1 &
    echo $! >"$dir/pipewire-pulse.pid"
    wait_for pipewire-pulse pactl info
    pactl load-module module-null-sink sink_name=tocolo rate="$rate" channels=1 format=s16le >/dev/null
    wait_for "the null sink" pactl set-default-sink tocolo
    wait_for "the default sink" sh -c 'pactl get-default-sink | grep -qx tocolo'
    ;;
  stop)
    stop
    ;;
esac
