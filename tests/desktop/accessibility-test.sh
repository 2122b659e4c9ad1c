#!/usr/bin/env bash
# tocolo as a screen reader meets it: on an X server of its own, with a session bus and the
# accessibility bus it starts, its accessible tree walked through AT-SPI, then its window
# menu heard item by item as the keyboard moves through it, then the tap-along window's
# figures heard after a few taps, and its listening heard on and, its input gone, off.
# Usage: accessibility-test.sh <tocolo>     (PULSE_SERVER set by the suite)
set -euo pipefail
tocolo=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
# Qt speaks AT-SPI once the desktop asks for it; here the test asks.
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1

# The system's python, which has pyatspi.
dbus-run-session -- bash -c '
  "$1" 2>"$2/tocolo.err" &
  app=$!
  /usr/bin/python3 "$3/atspi-walk.py" && /usr/bin/python3 "$3/atspi-walk.py" --menu &&
    /usr/bin/python3 "$3/atspi-walk.py" --tap && /usr/bin/python3 "$3/atspi-walk.py" --listen
  status=$?
  kill $app 2>/dev/null
  exit $status
' accessibility "$tocolo" "$work" "$here"
