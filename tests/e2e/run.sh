#!/usr/bin/env bash
# Runs the real program from a copy of its folder, started from another
# working directory under Xvfb: fires at the gun, closes the window as a
# window manager would, confirms the about box and checks the exit code and
# the settings file.
set -euo pipefail
program_folder=$1
here=$(cd "$(dirname "$0")" && pwd)

for tool in Xvfb xdotool /usr/bin/python3; do
  command -v "$tool" >/dev/null || { echo "missing $tool"; exit 1; }
done

work=$(mktemp -d)
cleanup() {
  [ -n "${app_pid:-}" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

cp -r "$program_folder" "$work/Vimbra folder"
prog="$work/Vimbra folder"
rm -f "$prog/Vimbra.INI"

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"

# Waits (up to 30 s: a sanitized build starts slowly) for a visible window
# whose name matches; prints its id.
wait_window() {
  for _ in $(seq 300); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  echo "no window named '$1'" >&2
  return 1
}

# Starts the program from another working directory, as app_pid.
start_program() {
  mkdir -p "$work/elsewhere"
  (cd "$work/elsewhere" && exec "$prog/Vimbra") >>"$work/out.log" 2>&1 &
  app_pid=$!
}

# Closes the main window as a window manager would and confirms the about box.
close_program() {
  /usr/bin/python3 "$here/xclose.py" "$1"
  about=$(wait_window '^About$')
  [ -n "$(xdotool search --onlyvisible --name '^Vimbra 1\.1' || true)" ] ||
    { echo "main window gone before the about box closed"; exit 1; }
  # OK sits at 111, 220 (75 x 25) in the about box.
  xdotool mousemove --window "$about" 148 232 click 1
}

# Waits for the program to end; fails unless it ends with exit code 0.
expect_clean_exit() {
  for _ in $(seq 300); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$app_pid" 2>/dev/null; then echo "program did not end"; exit 1; fi
  local status=0
  wait "$app_pid" || status=$?
  app_pid=
  echo "exit code: $status"
  [ "$status" = 0 ] || { cat "$work/out.log"; exit 1; }
}

# 1. Fire, close, and find the settings written in order.
start_program
main=$(wait_window '^Vimbra 1\.1 \(Тирвана\) +-- Belvesk --$')
echo "main window: $main"
sleep 0.5
# Two shots at the gun (it stands at 500, 300; its rectangle reaches 109
# pixels below that), each a left double-click on the rear sight. The
# results (count, score, total at x 418, y 160 to 252) must change.
results() { /usr/bin/python3 "$here/xregion.py" "$main" 418 160 60 92; }
before=$(results)
for _ in 1 2; do
  xdotool mousemove --window "$main" 500 380 click --repeat 2 --delay 60 1
  sleep 0.6
done
after=$(results)
[ "$before" != "$after" ] || { echo "the shots left no results"; exit 1; }
close_program "$main"
expect_clean_exit

expected=$'[Options]\nPlankaCorrection=6\nBlackCircleValue=3\nTargetSize=0'
actual=$(cat "$prog/Vimbra.INI")
if [ "$actual" != "$expected" ]; then
  echo "settings file:"; echo "$actual"; exit 1
fi

# 2. A settings file that cannot be written: the error box at the end, and
#    still a clean exit once it is confirmed.
rm "$prog/Vimbra.INI"
mkdir "$prog/Vimbra.INI"
start_program
main=$(wait_window '^Vimbra 1\.1 \(Тирвана\)')
sleep 0.5
close_program "$main"
error_box=$(wait_window '^Vimbra$')
echo "error box: $error_box"
xdotool windowfocus --sync "$error_box" key Return
expect_clean_exit
echo "e2e passed"
