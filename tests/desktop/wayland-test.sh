#!/usr/bin/env bash
# tocolo on a Wayland session, used through a real seat: a real compositor (weston) on a
# virtual X server, which gives it a keyboard and a pointer that xdotool drives; Qt's
# Wayland platform; the sound server of the suite. Weston leaves title bars to the program,
# so the window draws its own: its icon, its caption and a close box, and nothing else
# around it. Space plays and stops, a right click opens the window menu, its About item
# opens the About box, Return closes it; Bye, and on a second start the close box, end it
# with status 0. Where the window is comes from a screenshot; what it shows, from AT-SPI.
# The screenshot is kept.
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

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=:$(cat "$work/display")

cat >"$work/weston.ini" <<'EOF'
[core]
idle-time=0
[shell]
background-color=0xff204060
background-image=none
panel-position=none
EOF
export XDG_RUNTIME_DIR=$work WAYLAND_DISPLAY=tocolo-wayland
weston --config="$work/weston.ini" --backend=x11-backend.so --use-pixman \
  --socket="$WAYLAND_DISPLAY" --width=480 --height=420 >"$work/weston.log" 2>&1 &
for _ in $(seq 50); do [ -S "$work/$WAYLAND_DISPLAY" ] && break; sleep 0.1; done
[ -S "$work/$WAYLAND_DISPLAY" ] || fail "weston did not start: $(tail -3 "$work/weston.log")"
output=$(xdotool search --sync --class 'Weston Compositor' | head -1)

export QT_QPA_PLATFORM=wayland QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1
# Under ASan: the driver Mesa's EGL loads has no frame pointers, so only the slow unwinder
# reaches the frames that the leak suppressions name.
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}fast_unwind_on_malloc=0
export TOCOLO=$tocolo WORK=$work HERE=$here SHOTS=$shots OUTPUT=$output
export ENTRY=$here/../../res/desktop/io.github.tocolo.Tocolo.desktop
dbus-run-session -- bash -euo pipefail -c '
  fail() { echo "FAIL: $*" >&2; exit 1; }
  atspi() { /usr/bin/python3 "$HERE/atspi-walk.py" "$@"; }
  # Where the window is, and that nothing but its own title bar is drawn around it: the
  # pointer goes to the far corner, out of the picture, and the window is whatever is not
  # the background. Weston sets its pointer where the X pointer enters its window and
  # follows it by relative motion from there, so the pointer enters from outside first.
  locate() {
    read -r _ _ ww wh < <(atspi --extents Tocolo)
    xdotool mousemove 700 550 sleep 0.2 mousemove --window "$OUTPUT" 479 419
    for _ in $(seq 20); do
      sleep 0.2
      import -window "$OUTPUT" "$WORK/shot.png"
      read -r wx wy fw fh < <(convert "$WORK/shot.png" -crop 470x410+0+0 +repage -trim \
        -format "%X %Y %w %h\n" info: | tr -d +)
      [ "$fw" -eq "$ww" ] && [ "$fh" -eq "$wh" ] && return 0
    done
    fail "${fw}x$fh on the screen for a window of ${ww}x$wh: a title bar drawn around it"
  }
  # Clicks the push button of that name with the pointer.
  click() {
    read -r bx by bw bh < <(atspi --extents "$1")
    xdotool mousemove --window "$OUTPUT" $((wx + bx + bw / 2)) $((wy + by + bh / 2)) click 1
  }
  ended_by() {
    for _ in $(seq 50); do kill -0 $app 2>/dev/null || break; sleep 0.1; done
    kill -0 $app 2>/dev/null && fail "$1 did not end tocolo"
    status=0
    wait $app || status=$?
    [ $status -eq 0 ] || fail "$1 ended tocolo with status $status: $(tail -5 "$WORK/tocolo.err")"
  }

  "$TOCOLO" 2>"$WORK/tocolo.err" &
  app=$!
  atspi || fail "the accessible tree on Wayland"
  locate
  cp "$WORK/shot.png" "$SHOTS/main-window-wayland.png"
  # The title bar: the window icon at its left, and of buttons only the close box.
  colours=$(convert "$WORK/shot.png" -crop 16x16+$((wx + 7))+$((wy + 7)) -format %k info:)
  [ "$colours" -gt 8 ] || fail "no window icon in the title bar ($colours colours where it goes)"
  buttons=$(atspi --buttons)
  [ "$buttons" = "About.. Bye Close START STOP" ] || fail "the window has the buttons $buttons"

  # Keys go to the window under the pointer.
  xdotool mousemove --window "$OUTPUT" $((wx + 4)) $((wy + 40))
  xdotool key space
  atspi --expect playing || fail "Space did not start the sound"
  timeout 2 parec --device=tocolo.monitor --raw --format=s16le --channels=1 >"$WORK/rec.raw" || true
  [ "$(tr -d "\000" <"$WORK/rec.raw" | wc -c)" -gt 0 ] || fail "playing, yet the sink hears silence"
  xdotool key space
  atspi --expect stopped || fail "Space did not stop the sound"

  # The window menu is a popup, which AT-SPI does not list: its About item is chosen by
  # its mnemonic, A, which nothing else in the window answers to.
  xdotool click 3
  for _ in $(seq 25); do
    xdotool key a
    atspi --is about && break
    sleep 0.2
  done
  atspi --is about || fail "a right click and A did not open the About box from the window menu"
  xdotool key Return
  atspi --expect no-about || fail "Return did not close the About box"
  click Bye
  ended_by Bye

  # Started again, the close box ends it as well. This time the protocol is logged, for the
  # app id the window gives the compositor: the name of the menu entry, by which a task bar
  # finds the entry and its icon.
  WAYLAND_DEBUG=client "$TOCOLO" 2>"$WORK/tocolo.err" &
  app=$!
  atspi --expect stopped
  locate
  click Close
  ended_by "the close box"
  entry_id=$(basename "$ENTRY" .desktop)
  grep -Eq "xdg_toplevel@[0-9]+\.set_app_id\(\"$entry_id\"\)" "$WORK/tocolo.err" ||
    fail "the window gives the app id $(grep -Eo "set_app_id\([^)]*\)" "$WORK/tocolo.err" |
      head -1), not the menu entry $entry_id"
'
echo "tocolo on weston: its own title bar alone, Space played and stopped, the window menu opened"\
  "About, Bye and the close box quit, the app id is the menu entry's"
