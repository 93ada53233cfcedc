#!/usr/bin/env bash
# Runs the real program from a copy of its folder, started from another
# working directory under Xvfb: fires at the gun, closes the window as a
# window manager would, confirms the about box and checks the exit code and
# the settings file.
set -euo pipefail
program_folder=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
source "$here/lib.sh"
trap 'e2e_cleanup; rm -rf "$work"' EXIT

cp -r "$program_folder" "$work/Vimbra folder"
prog="$work/Vimbra folder"
rm -f "$prog/Vimbra.INI"
start_x

# 1. Fire, close, and find the settings written in order.
start_program
main=$(main_window)
echo "main window: $main"
settled "$main"
# Two shots at the gun; each must change the results.
fire "$main"
fire "$main"

# The debrief: «Разбор серии» (8, 8, 97 x 25) shows it as a panel of the
# main window, which grows to the right of the lesson (the screen is 1280
# wide) and keeps the keyboard; the rest of the series updates it.
width() { xdotool getwindowgeometry --shell "$1" | sed -n 's/^WIDTH=//p'; }
windows=$(visible_windows)
xdotool mousemove --window "$main" 56 20 click 1
for _ in $(seq 300); do [ "$(width "$main")" -gt 829 ] && break; sleep 0.1; done
[ "$(width "$main")" -gt 829 ] || { echo "the debrief did not show"; exit 1; }
[ "$(visible_windows)" = "$windows" ] || { echo "the debrief is a window of its own"; exit 1; }
settled "$main"
[ "$(xdotool getwindowfocus)" = "$main" ] || { echo "the main window lost the focus"; exit 1; }
shown() { /usr/bin/python3 "$here/xregion.py" "$main" 829 0 400 400; }
# Each shot updates the debrief.
for _ in 1 2 3; do fire "$main" shown; done
[ "$(xdotool getwindowfocus)" = "$main" ] || { echo "the main window lost the focus"; exit 1; }

# The journal: «Журнал» (113, 8, 81 x 25) opens it; the finished series is
# in the database, whole and sound, once the program has ended.
xdotool mousemove --window "$main" 153 20 click 1
wait_window '^Журнал$' >/dev/null
close_program "$main"
expect_clean_exit
/usr/bin/python3 - "$work/data/vimbra/journal.sqlite" <<'PY' || { echo "the journal does not hold the series"; exit 1; }
import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
assert db.execute("PRAGMA integrity_check").fetchone()[0] == "ok"
assert db.execute("SELECT count(*) FROM series").fetchone()[0] == 1
assert db.execute("SELECT count(*) FROM shot").fetchone()[0] == 5
PY

expected=$'[Options]\nPlankaCorrection=6\nBlackCircleValue=3\nTargetSize=0'
actual=$(head -n 4 "$prog/Vimbra.INI")
grep -q '^Visible=1' "$prog/Vimbra.INI" || { echo "the debrief's being shown was not kept"; exit 1; }
if [ "$actual" != "$expected" ]; then
  echo "settings file:"; echo "$actual"; exit 1
fi

# 2. The exercises: each fires a whole series (a called series calls each
#    shot with a click) and the program ends cleanly; the choice is kept, and
#    one made with the keyboard in the drop-down is kept for the next start.
for exercise in grouping zeroing calling; do
  printf '[Options]\nPlankaCorrection=6\n[Exercise]\nCurrent=%s\n' "$exercise" >"$prog/Vimbra.INI"
  start_program
  main=$(main_window)
  settled "$main"
  for _ in 1 2 3 4 5; do
    fire "$main"
    if [ "$exercise" = calling ]; then call_at "$main" 300 300; fi
  done
  if [ "$exercise" = calling ]; then
    # «Упражнение» (202, 8, 210 x 25): up by one, to zeroing, in its list,
    # once the list is up; closed before the window is.
    windows=$(visible_windows)
    xdotool mousemove --window "$main" 300 20 click 1
    for _ in $(seq 300); do [ "$(visible_windows)" -gt "$windows" ] && break; sleep 0.1; done
    [ "$(visible_windows)" -gt "$windows" ] || { echo "the exercise list did not open"; exit 1; }
    xdotool key Up Return
    for _ in $(seq 300); do [ "$(visible_windows)" = "$windows" ] && break; sleep 0.1; done
  fi
  close_program "$main"
  expect_clean_exit
  kept=$(sed -n 's/^Current=//p' "$prog/Vimbra.INI")
  expected=$exercise
  [ "$exercise" = calling ] && expected=zeroing
  [ "$kept" = "$expected" ] || { echo "$exercise: the file keeps '$kept', not '$expected'"; exit 1; }
done
[ "$(head -n 2 "$prog/Vimbra.INI")" = $'[Options]\nPlankaCorrection=6' ] || { echo "the settings were not kept"; exit 1; }

# 3. A settings file that cannot be written: the error box at the end, and
#    still a clean exit once it is confirmed.
rm "$prog/Vimbra.INI"
mkdir "$prog/Vimbra.INI"
start_program
main=$(wait_window '^Vimbra 1\.1 \(Тирвана\)')
settled "$main"
close_program "$main"
error_box=$(wait_window '^Vimbra$')
echo "error box: $error_box"
xdotool windowfocus --sync "$error_box" key Return
expect_clean_exit
# 4. Under a window manager (openbox, which frames windows), the about box
#    opens centred by its outer size, frame included.
rm -rf "$prog/Vimbra.INI"
openbox --sm-disable >/dev/null 2>&1 &
wm_pid=$!
trap 'kill "$wm_pid" 2>/dev/null; e2e_cleanup; rm -rf "$work"' EXIT
# The window manager is ready once it announces itself on the root window.
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done
start_program
main=$(main_window)
settled "$main"
# «О программе...» stands at 24, 40 (89 x 25) in the panel at the right edge.
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove --window "$main" $((WIDTH - 139 + 68)) 52 click 1
about=$(wait_window '^About$')
settled "$about"
read -r left right top bottom < <(xprop -id "$about" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
eval "$(xdotool getwindowgeometry --shell "$about")"
frame_x=$((X - left)) frame_y=$((Y - top)) frame_w=$((WIDTH + left + right)) frame_h=$((HEIGHT + top + bottom))
echo "about box frame: ${frame_w}x${frame_h} at $frame_x,$frame_y (frame extents $left $right $top $bottom)"
[ "$top" -gt 0 ] || { echo "the window manager drew no frame"; exit 1; }
for pair in "$frame_x $(((1280 - frame_w) / 2))" "$frame_y $(((1024 - frame_h) / 2))"; do
  set -- $pair
  [ $(($1 - $2)) -ge -1 ] && [ $(($1 - $2)) -le 1 ] || { echo "the about box is not centred by its frame"; exit 1; }
done
# It is the main window's dialog (its transient), stacked over it.
transient=$(xprop -id "$about" WM_TRANSIENT_FOR | sed -n 's/.*# //p')
[ "$((transient))" = "$main" ] || { echo "the about box is transient for '$transient', not the main window"; exit 1; }
xdotool mousemove --window "$about" 148 232 click 1
# Gone before the window is closed, or the next wait would find it still up.
for _ in $(seq 300); do [ -z "$(xdotool search --onlyvisible --name '^About$' || true)" ] && break; sleep 0.1; done
[ -z "$(xdotool search --onlyvisible --name '^About$' || true)" ] || { echo "the about box stayed after OK"; exit 1; }
close_program "$main"
expect_clean_exit
kill "$wm_pid" 2>/dev/null || true
echo "e2e passed"
