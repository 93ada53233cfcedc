#!/usr/bin/env bash
# The lesson on the screens schools have, under a real window manager
# (openbox): for each screen size, scale and font size, the real program with
# the debrief shown and the journal open. Every frame of ours lies within the
# screen; the debrief is a panel of the main window beside or below the
# lesson, which keeps its size; a series fired with real input is scored with
# the debrief shown; hiding and showing the debrief five times leaves the
# window where it was; shown while maximised, it has its room once restored.
set -euo pipefail
program_folder=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
source "$here/lib.sh"
trap 'kill "${wm_pid:-}" 2>/dev/null; e2e_cleanup; rm -rf "$work"' EXIT
cp -r "$program_folder" "$work/Vimbra folder"
prog="$work/Vimbra folder"

# size, scale factor, font DPI (0: the default)
configurations=(${VIMBRA_E2E_SCREENS:+"$VIMBRA_E2E_SCREENS"})
[ ${#configurations[@]} -gt 0 ] || configurations=(
  "1024x768 1 0"
  "1280x1024 1 0"
  "1366x768 1 0"
  "1920x1080 1 0"
  "2560x1440 1.5 0"
  "2560x1440 2 0"
  "1920x1080 1 144"
)

# A point of the lesson (designed pixels) in the window's own pixels.
at() { awk -v x="$1" -v y="$2" -v s="$scale" 'BEGIN { printf "%d %d\n", x * s + 0.5, y * s + 0.5 }'; }
click() { read -r x y < <(at "$2" "$3"); xdotool mousemove --window "$1" "$x" "$y" click --repeat "${4:-1}" --delay 60 1; }
size_of() { xdotool getwindowgeometry --shell "$1" | sed -n 's/^WIDTH=//p; s/^HEIGHT=//p' | paste -sd x; }
# Two sizes the same, but for a pixel of rounding at a fractional scale.
near() {
  local aw ah bw bh
  IFS=x read -r aw ah <<<"$1"
  IFS=x read -r bw bh <<<"$2"
  [ $((aw - bw)) -ge -1 ] && [ $((aw - bw)) -le 1 ] && [ $((ah - bh)) -ge -1 ] && [ $((ah - bh)) -le 1 ]
}
frames() { /usr/bin/python3 "$here/xframes.py" "$@"; }
# The results: count, score and total, at 418, 160 (60 x 92).
digest() {
  read -r x y < <(at 418 160)
  read -r w h < <(at 60 92)
  /usr/bin/python3 "$here/xregion.py" "$1" "$x" "$y" "$w" "$h"
}

for configuration in "${configurations[@]}"; do
  read -r screen scale dpi <<<"$configuration"
  echo "== $screen, scale $scale, font dpi $dpi"
  e2e_cleanup
  kill "${wm_pid:-}" 2>/dev/null || true
  rm -f "$work/display" "$prog/Vimbra.INI"
  start_x "$screen"
  openbox --sm-disable >/dev/null 2>&1 &
  wm_pid=$!
  for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
  done
  export QT_SCALE_FACTOR=$scale
  if [ "$dpi" = 0 ]; then unset QT_FONT_DPI; else export QT_FONT_DPI=$dpi; fi
  # A font DPI above 96 scales the windows too.
  scale=$(awk -v s="$scale" -v d="$dpi" 'BEGIN { print (d > 0 ? s * d / 96 : s) }')
  start_program
  main=$(main_window)
  settled "$main"
  lesson=$(size_of "$main")
  frames "$main"

  # The debrief: the window grows by it and stays on the screen.
  windows=$(visible_windows)
  click "$main" 56 20
  for _ in $(seq 300); do [ "$(size_of "$main")" != "$lesson" ] && break; sleep 0.1; done
  settled "$main"
  grown=$(size_of "$main")
  [ "$grown" != "$lesson" ] || { echo "the debrief did not show"; exit 1; }
  [ "$(visible_windows)" = "$windows" ] || { echo "the debrief is a window of its own"; exit 1; }
  IFS=x read -r lw lh <<<"$lesson"
  IFS=x read -r gw gh <<<"$grown"
  { [ "$gw" = "$lw" ] && [ "$gh" -gt "$lh" ]; } || { [ "$gh" = "$lh" ] && [ "$gw" -gt "$lw" ]; } ||
    { echo "the lesson did not keep its size: $lesson, now $grown"; exit 1; }
  frames "$main" || { echo "the main window reaches off the screen"; exit 1; }
  where=$(frames "$main")

  # A series with real input, scored with the debrief shown; the keyboard
  # stays with the main window.
  for _ in 1 2 3 4 5; do
    before=$(digest "$main")
    click "$main" 500 380 2
    for _ in $(seq 300); do [ "$(digest "$main")" != "$before" ] && break; sleep 0.1; done
    [ "$(digest "$main")" != "$before" ] || {
      echo "a shot changed nothing"
      [ -n "${VIMBRA_E2E_SHOTS:-}" ] && /usr/bin/python3 "$here/xshot.py" "$main" "$VIMBRA_E2E_SHOTS/failed.png"
      exit 1
    }
  done
  [ "$(xdotool getwindowfocus)" = "$main" ] || { echo "the main window lost the keyboard"; exit 1; }

  # Hidden and shown five times: back where it was, the same size.
  for _ in 1 2 3 4 5; do
    click "$main" 56 20
    for _ in $(seq 300); do near "$(size_of "$main")" "$lesson" && break; sleep 0.1; done
    near "$(size_of "$main")" "$lesson" || { echo "hidden, the window did not shrink back: $(size_of "$main")"; exit 1; }
    click "$main" 56 20
    for _ in $(seq 300); do near "$(size_of "$main")" "$grown" && break; sleep 0.1; done
    settled "$main"
  done
  now=$(frames "$main")
  near "$(echo "$now" | sed 's/.*frame [0-9-]*,[0-9-]* \([0-9x]*\).*/\1/')" "$(echo "$where" | sed 's/.*frame [0-9-]*,[0-9-]* \([0-9x]*\).*/\1/')" &&
    near "$(echo "$now" | sed 's/.*frame \([0-9-]*\),\([0-9-]*\) .*/\1x\2/')" "$(echo "$where" | sed 's/.*frame \([0-9-]*\),\([0-9-]*\) .*/\1x\2/')" ||
    { echo "the window moved: $where, now $now"; exit 1; }

  # Maximised with the debrief hidden, shown, then restored: the restored
  # window grows for the debrief as before, wholly on the screen.
  click "$main" 56 20
  for _ in $(seq 300); do near "$(size_of "$main")" "$lesson" && break; sleep 0.1; done
  /usr/bin/python3 "$here/xmaximise.py" "$main" on
  for _ in $(seq 300); do [ "$(size_of "$main")" != "$lesson" ] && break; sleep 0.1; done
  settled "$main"
  click "$main" 56 20
  settled "$main"
  /usr/bin/python3 "$here/xmaximise.py" "$main" off
  for _ in $(seq 300); do near "$(size_of "$main")" "$grown" && break; sleep 0.1; done
  near "$(size_of "$main")" "$grown" || { echo "restored, the window has no room for the debrief: $(size_of "$main")"; exit 1; }
  settled "$main"
  frames "$main" || { echo "restored, the main window reaches off the screen"; exit 1; }

  # The journal: a window of its own, wholly on the screen.
  click "$main" 153 20
  journal=$(wait_window '^Журнал$')
  settled "$journal"
  frames "$journal" || { echo "the journal reaches off the screen"; exit 1; }

  /usr/bin/python3 "$here/xclose.py" "$journal"
  for _ in $(seq 300); do [ -z "$(xdotool search --onlyvisible --name '^Журнал$' || true)" ] && break; sleep 0.1; done
  /usr/bin/python3 "$here/xclose.py" "$main"
  about=$(wait_window '^About$')
  frames "$about" || { echo "the about box reaches off the screen"; exit 1; }
  read -r x y < <(at 148 232)
  xdotool mousemove --window "$about" "$x" "$y" click 1
  expect_clean_exit
done
echo "e2e screens passed"
