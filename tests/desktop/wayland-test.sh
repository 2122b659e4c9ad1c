#!/usr/bin/env bash
# tocolo on a Wayland session, used through a real seat: a real compositor (weston) on a
# virtual X server, which gives it a keyboard and a pointer that xdotool drives; Qt's
# Wayland platform; the sound server of the suite. The window maps with its title bar
# around exactly the dialog, Space plays and stops, a right click opens the window menu,
# its About item opens the About box, Return closes it and Bye quits with status 0. Where
# the window is comes from a screenshot; what it shows, from AT-SPI. The screenshot is kept.
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
dbus-run-session -- bash -euo pipefail -c '
  fail() { echo "FAIL: $*" >&2; exit 1; }
  atspi() { /usr/bin/python3 "$HERE/atspi-walk.py" "$@"; }
  "$TOCOLO" 2>"$WORK/tocolo.err" &
  app=$!
  atspi || fail "the accessible tree on Wayland"

  # The pointer to the far corner, out of the picture. Weston sets its pointer where the
  # X pointer enters its window and follows it by relative motion from there, so the
  # pointer enters from outside first.
  # the window is whatever is not the background, and its title bar is the decoration
  # above the dialog.
  read -r _ _ dw dh < <(atspi --extents Tocolo)
  xdotool mousemove 700 550 sleep 0.2 mousemove --window "$OUTPUT" 479 419
  for _ in $(seq 20); do
    sleep 0.2
    import -window "$OUTPUT" "$WORK/shot.png"
    read -r fx fy fw fh < <(convert "$WORK/shot.png" -crop 470x410+0+0 +repage -trim \
      -format "%X %Y %w %h\n" info: | tr -d +)
    [ "$fw" -eq $((dw + 6)) ] && break
  done
  [ "$fw" -eq $((dw + 6)) ] && [ "$fh" -gt $((dh + 20)) ] ||
    fail "a frame of ${fw}x$fh around a dialog of ${dw}x$dh has no title bar"
  cp "$WORK/shot.png" "$SHOTS/main-window-wayland.png"
  # The title bar draws the window icon, 22 pixels square, at its left.
  colours=$(convert "$WORK/shot.png" -crop 22x22+$((fx + 8))+$((fy + 4)) -format %k info:)
  [ "$colours" -gt 8 ] || fail "no window icon in the title bar ($colours colours where it goes)"
  cx=$((fx + 3)) cy=$((fy + fh - 3 - dh))

  xdotool mousemove --window "$OUTPUT" $((cx + 4)) $((cy + 4))
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

  read -r bx by bw bh < <(atspi --extents Bye)
  xdotool mousemove --window "$OUTPUT" $((cx + bx + bw / 2)) $((cy + by + bh / 2)) click 1
  for _ in $(seq 50); do kill -0 $app 2>/dev/null || break; sleep 0.1; done
  kill -0 $app 2>/dev/null && fail "Bye did not end tocolo"
  status=0
  wait $app || status=$?
  [ $status -eq 0 ] || fail "Bye ended tocolo with status $status: $(tail -5 "$WORK/tocolo.err")"
'
echo "tocolo on weston: Space played and stopped, the window menu opened About, Bye quit"
