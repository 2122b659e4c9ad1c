#!/usr/bin/env bash
# tocolo on a Wayland session: a real compositor (weston) started headless, Qt's Wayland
# platform, the sound server of the suite. The window maps with its title and controls (read
# through AT-SPI, as there is no seat to type on), START and STOP play and stop, Bye quits;
# a screenshot of the compositor's output is kept.
# Usage: wayland-test.sh <tocolo> <screenshot-dir>     (PULSE_SERVER set by the suite)
set -euo pipefail
tocolo=$1
shots=$2
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$shots"
work=$(mktemp -d)
chmod 700 "$work"
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

export XDG_RUNTIME_DIR=$work WAYLAND_DISPLAY=tocolo-wayland QT_QPA_PLATFORM=wayland
unset DISPLAY
# --debug lets weston-screenshooter take the output.
weston --backend=headless-backend.so --use-pixman --socket="$WAYLAND_DISPLAY" --idle-time=0 \
  --width=480 --height=400 --debug >"$work/weston.log" 2>&1 &
for _ in $(seq 50); do [ -S "$work/$WAYLAND_DISPLAY" ] && break; sleep 0.1; done
[ -S "$work/$WAYLAND_DISPLAY" ] || fail "weston did not start: $(tail -3 "$work/weston.log")"

export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1
dbus-run-session -- bash -c '
  "$1" 2>"$2/tocolo.err" &
  app=$!
  /usr/bin/python3 "$3/atspi-walk.py" || exit 1
  (cd "$4" && weston-screenshooter >/dev/null 2>&1) || true
  /usr/bin/python3 "$3/atspi-walk.py" --bye || exit 1
  for _ in $(seq 50); do kill -0 $app 2>/dev/null || break; sleep 0.1; done
  if kill -0 $app 2>/dev/null; then echo "FAIL: Bye did not end tocolo" >&2; exit 1; fi
  wait $app && exit 0
  echo "FAIL: Bye ended tocolo with status $?: $(tail -5 "$2/tocolo.err")" >&2
  exit 1
' wayland "$tocolo" "$work" "$here" "$work"
shot=$(ls "$work"/wayland-screenshot-*.png 2>/dev/null | head -1 || true)
[ -n "$shot" ] && cp "$shot" "$shots/main-window-wayland.png"
echo "tocolo on weston: mapped, played and stopped, ended with Bye"
