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
sleep 0.5
# Two shots at the gun (it stands at 500, 300; its rectangle reaches 109
# pixels below that), each a left double-click on the rear sight. The
# results must change.
before=$(results "$main")
for _ in 1 2; do
  xdotool mousemove --window "$main" 500 380 click --repeat 2 --delay 60 1
  sleep 0.6
done
after=$(results "$main")
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
