#!/usr/bin/env bash
# The real program on a real Wayland compositor (weston, its X11 back end
# inside Xvfb, so that input sent to the X server with XTest reaches it) and
# Qt's own Wayland platform: started with no saved places, the debrief shown
# with «Разбор серии» fills the screen with the lesson (the compositor alone
# places windows there); a series fired with real input is scored with the
# debrief shown; the lesson keeps the keyboard; closed from its title bar,
# the about box comes as the window's own dialog, and its Return ends the
# program with exit code 0.
set -euo pipefail
program_folder=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
source "$here/lib.sh"
weston_pid=
trap '[ -n "$weston_pid" ] && kill "$weston_pid" 2>/dev/null; e2e_cleanup; rm -rf "$work"' EXIT
command -v weston >/dev/null || { echo "missing weston"; exit 1; }
cp -r "$program_folder" "$work/Vimbra folder"
prog="$work/Vimbra folder"
rm -f "$prog/Vimbra.INI"

screen_w=1366 screen_h=768
start_x "${screen_w}x${screen_h}"
export XDG_RUNTIME_DIR="$work/xdg"
mkdir -m 700 "$XDG_RUNTIME_DIR"
socket=wayland-vimbra
weston --backend=x11-backend.so --width=$screen_w --height=$screen_h --socket=$socket --idle-time=0 \
  >"$work/weston.log" 2>&1 &
weston_pid=$!
for _ in $(seq 300); do [ -S "$XDG_RUNTIME_DIR/$socket" ] && break; sleep 0.1; done
[ -S "$XDG_RUNTIME_DIR/$socket" ] || { cat "$work/weston.log"; echo "weston did not start"; exit 1; }

root=$(($(xwininfo -root | sed -n 's/.*Window id: \(0x[0-9a-f]*\).*/\1/p')))
# The screen's pixels in a rectangle, as a digest.
region() { /usr/bin/python3 "$here/xregion.py" "$root" "$@"; }
# The lesson's top-left corner on the screen, once it is drawn and still.
lesson_at() {
  local last="" now
  for _ in $(seq 300); do
    now=$(/usr/bin/python3 "$here/wlfind.py")
    [ -n "$now" ] && [ "$now" = "$last" ] && { echo "$now"; return 0; }
    last=$now
    sleep 0.2
  done
  echo "the lesson is not on the screen" >&2
  return 1
}
# Clicks (or double-clicks) at a point of the lesson.
click() { xdotool mousemove $((ox + $1)) $((oy + $2)) click --repeat "${3:-1}" --delay 60 1; }
# The results: count, score and total, at 418, 160 (60 x 92).
results() { region $((ox + 418)) $((oy + 160)) 60 92; }
wait_change() {
  local before=$1 probe=$2
  for _ in $(seq 300); do [ "$($probe)" != "$before" ] && return 0; sleep 0.1; done
  return 1
}

seed_shooter
(cd "$work" && QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=$socket WAYLAND_DEBUG=client XDG_DATA_HOME="$work/data" \
  exec "$prog/Vimbra") >"$work/out.log" 2>"$work/wayland.log" &
app_pid=$!
read -r ox oy < <(lesson_at)
echo "lesson at $ox, $oy"

# «Разбор серии» (8, 8, 97 x 25): the window is maximised, the lesson at the
# screen's left, whole, and the debrief beside it.
click 56 20
for _ in $(seq 300); do grep -q 'set_maximized()' "$work/wayland.log" && break; sleep 0.1; done
grep -q 'set_maximized()' "$work/wayland.log" || { echo "the debrief did not fill the screen"; exit 1; }
for _ in $(seq 300); do read -r nx ny < <(/usr/bin/python3 "$here/wlfind.py") && [ "$nx $ny" != "$ox $oy" ] && break; sleep 0.1; done
read -r ox oy < <(lesson_at)
echo "with the debrief, the lesson at $ox, $oy"
[ "$ox" -lt 10 ] && [ $((ox + 829)) -le $screen_w ] && [ $((oy + 517)) -le $screen_h ] ||
  { echo "the lesson is not whole at the screen's left"; exit 1; }

# A series with real input, scored; each shot also updates the debrief.
cleared=$(results)
debrief() { region $((ox + 840)) "$oy" $((screen_w - ox - 840)) 300; }
for _ in 1 2 3 4 5; do
  before_results=$(results) before_debrief=$(debrief)
  click 500 380 2
  wait_change "$before_results" results || { echo "a shot was not scored"; exit 1; }
  wait_change "$before_debrief" debrief || { echo "the debrief did not follow the shot"; exit 1; }
done
echo "a series scored with the debrief shown"

# The keyboard is the lesson's: after the series the focus is on «Очистить»,
# and the space bar clears the results.
scored=$(results)
xdotool key space
wait_change "$scored" results && [ "$(results)" = "$cleared" ] || { echo "the lesson does not have the keyboard"; exit 1; }
echo "the lesson keeps the keyboard"

# Closed with the title bar's button (Qt draws it: 18 pixels in from the
# right edge, 15 above the lesson): the about box is the window's dialog.
# (The compositor places it: weston, near the window's top-left corner.)
whole() { region 0 0 $screen_w $screen_h; }
before=$(whole)
xdotool mousemove $((screen_w - 18)) $((oy - 15)) click 1
for _ in $(seq 300); do grep -q 'set_parent(xdg_toplevel@' "$work/wayland.log" && break; sleep 0.1; done
grep -q 'set_parent(xdg_toplevel@' "$work/wayland.log" || { echo "the about box is no dialog of the window"; exit 1; }
# Its Return once it is drawn and still (the compositor gives it the
# keyboard as it shows).
wait_change "$before" whole || { echo "the about box did not show"; exit 1; }
last=""
for _ in $(seq 300); do now=$(whole); [ "$now" = "$last" ] && break; last=$now; sleep 0.2; done
xdotool key Return
expect_clean_exit
echo "e2e wayland passed"
