#!/usr/bin/env bash
# The built program as a user meets it: on an X server of its own, playing into the test
# suite's PulseAudio null sink, driven by keys and clicks. Saves screenshots of both windows,
# of the window menu and of the tap-along window after a short take and while listening.
# Usage: smoke-test.sh <tocolo> <screenshot-dir>     (PULSE_SERVER set by the suite)
set -euo pipefail
tocolo=$1
shots=$2
mkdir -p "$shots"
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Without a display it says so in one line and fails.
set +e
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$tocolo" 2>"$work/err"
status=$?
set -e
[ "$status" -ne 0 ] || fail "started without a display"
[ "$(wc -l <"$work/err")" -eq 1 ] || fail "expected one line without a display, got: $(cat "$work/err")"

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")
unset QT_QPA_PLATFORM WAYLAND_DISPLAY

# Qt's own options are not the program's: with them it still opens its window here, on X,
# laid out left to right in the default style.
"$tocolo" -platform offscreen -reverse -style windows 2>"$work/tocolo.err" &
app=$!
window=$(timeout 10 xdotool search --sync --onlyvisible --name '^Tocolo$' | head -1)
[ -n "$window" ] || fail "no window titled Tocolo"
# A task bar finds the menu entry, and with it the icon, by the window's class. Qt's X11
# platform makes the class of the application name and the instance of the command, and
# lets neither be the reverse-DNS id, so the entry names the class in StartupWMClass.
entry=$(cd "$(dirname "$0")/../../res/desktop" && pwd)/io.github.tocolo.Tocolo.desktop
startup_class=$(sed -n 's/^StartupWMClass=//p' "$entry")
wm_class=$(xprop -id "$window" WM_CLASS)
[[ $wm_class == *", \"$startup_class\"" ]] ||
  fail "$wm_class does not match the menu entry's StartupWMClass=$startup_class"
xdotool windowfocus --sync "$window"
sleep 0.3
import -window "$window" "$shots/main-window.png"

# Pixel position of a point given in the dialog's own units (151 x 183 of them).
eval "$(xdotool getwindowgeometry --shell "$window")"
click() { xdotool mousemove --window "$window" $(($1 * WIDTH / 151)) $(($2 * HEIGHT / 183)) click 1; }

record() {  # seconds file
  timeout "$1" parec --device=tocolo.monitor --format=s16le --rate=44100 --channels=1 --raw >"$2" || true
}
sounding() { [ "$(tr -d '\000' <"$1" | wc -c)" -gt 1000 ]; }

# The window menu, with the practice aids, over the window it belongs to.
xdotool key alt+space
sleep 0.5
import -window root -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage "$shots/window-menu.png"
xdotool key Escape
sleep 0.2

xdotool key space
record 1.5 "$work/playing.raw"
sounding "$work/playing.raw" || fail "Space did not start the sound"
xdotool key space
sleep 0.2
record 1 "$work/stopped.raw"
sounding "$work/stopped.raw" && fail "Space did not stop the sound"

# The tap-along window from the window menu; Space starts the loop from it, and two loops
# of "2-3" at 200 are tapped along, a key on each stroke, for its screenshot.
xdotool key alt+space
sleep 0.4
xdotool key t
tap=$(timeout 10 xdotool search --sync --onlyvisible --name '^Tap along$' | head -1)
[ -n "$tap" ] || fail "the window menu's Tap along opened no window"
sleep 0.5
strokes="sleep 0.3 key --delay 0 j sleep 0.3 key --delay 0 j sleep 0.6 key --delay 0 j sleep 0.45 key --delay 0 j sleep 0.45 key --delay 0 j sleep 0.3"
xdotool key space $strokes $strokes sleep 0.5
import -window "$tap" "$shots/tap-along.png"

# Listening, with a microphone that hears the loop through a room: a loopback from the sink
# into a second null sink whose monitor is the default input. Tocolo hears itself come back
# and says the round trip; the player's strokes are the keys' here.
room=$(pactl load-module module-null-sink sink_name=smoke_room rate=44100 channels=1 format=s16le)
echo_path=$(pactl load-module module-loopback source=tocolo.monitor sink=smoke_room latency_msec=30)
pactl set-default-source smoke_room.monitor
xdotool key alt+l
sleep 3
xdotool $strokes
sleep 0.5
import -window "$tap" "$shots/tap-along-listening.png"
xdotool key alt+l
pactl unload-module "$echo_path"
pactl unload-module "$room"
xdotool key space Escape
sleep 0.3
xdotool search --onlyvisible --name '^Tap along$' >/dev/null && fail "Esc did not close the tap-along window"
xdotool windowfocus --sync "$window"
sleep 0.2

click 23 139  # About..
about=$(timeout 10 xdotool search --sync --onlyvisible --name '^About Tocolo$' | head -1)
[ -n "$about" ] || fail "About.. opened no About box"
sleep 0.3
import -window "$about" "$shots/about-box.png"
xdotool key Return  # OK is the About box's default button
sleep 0.3

click 23 161  # Bye
for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
set +e
wait "$app"
status=$?
set -e
[ "$status" -eq 0 ] || fail "Bye ended the process with status $status: $(cat "$work/tocolo.err")"

# Ctrl+C or SIGTERM from a terminal or a session manager ends it too. This one runs at twice
# the scale, as on a high-density screen, for its screenshot.
QT_SCALE_FACTOR=2 "$tocolo" 2>/dev/null &
app=$!
window=$(timeout 10 xdotool search --sync --onlyvisible --pid "$app" --name '^Tocolo$' | head -1)
sleep 0.5
import -window "$window" "$shots/main-window@2x.png"
kill -TERM "$app"
for _ in $(seq 30); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && fail "SIGTERM did not end the program"
echo "smoke test passed; screenshots in $shots"
