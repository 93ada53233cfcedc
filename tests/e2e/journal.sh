#!/usr/bin/env bash
# The real program and a journal of many series, under Xvfb with real input:
#   1. a series is in the journal before the fifth shot's pause is over, so
#      a computer switched off right after that shot keeps it;
#   2. a journal another program holds does not hold up the end (about a
#      second), and the series it could not take is written by the next run
#      as it starts, without a shot fired.
#   tests/e2e/journal.sh PROGRAM_FOLDER JOURNAL_WRITER
set -euo pipefail
program_folder=$1
journal_writer=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
source "$here/lib.sh"
holder_pid=
trap '[ -n "$holder_pid" ] && kill "$holder_pid" 2>/dev/null; e2e_cleanup; rm -rf "$work"' EXIT

cp -r "$program_folder" "$work/Vimbra folder"
prog="$work/Vimbra folder"
rm -f "$prog/Vimbra.INI"
journal="$work/data/vimbra/journal.sqlite"
mkdir -p "$(dirname "$journal")"
series=10000
"$journal_writer" "$journal" "$series" --shooter-in-use >/dev/null
start_x

count() {
  /usr/bin/python3 - "$journal" <<'PY'
import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
assert db.execute("PRAGMA integrity_check").fetchone()[0] == "ok"
print(db.execute("SELECT count(*) FROM series").fetchone()[0])
PY
}

# Five shots at the gun (it stands at 500, 300); the last one's pause is cut
# short by a kill 0.25 s after its double-click (inside the 300 ms pause).
fire_series() {
  for shot in 1 2 3 4 5; do
    xdotool mousemove --window "$1" 500 380 click --repeat 2 --delay 60 1
    [ "$shot" = 5 ] || sleep 0.6
  done
}

# 1. Switched off at the wall during the fifth shot's pause.
start_program
main=$(main_window)
sleep 1 # the journal is opened and checked as the program starts
fire_series "$main"
sleep 0.25
kill -9 "$app_pid"
wait "$app_pid" 2>/dev/null || true
app_pid=
[ "$(count)" = $((series + 1)) ] || { echo "the series fired before the kill is not in the journal"; exit 1; }
echo "a series killed 0.25 s after its fifth shot: in the journal"

# 2. Another program holds the journal from before the start to after the end.
"$journal_writer" "$journal" 0 --hold-lock 60000 >"$work/holder.log" &
holder_pid=$!
for _ in $(seq 100); do grep -q locked "$work/holder.log" && break; sleep 0.1; done
grep -q locked "$work/holder.log" || { echo "the journal could not be locked"; exit 1; }
start_program
main=$(main_window)
sleep 1
fire_series "$main"
sleep 1
close_program "$main"
closed=$(date +%s%N)
expect_clean_exit
took=$((($(date +%s%N) - closed) / 1000000))
echo "the end with the journal held: ${took} ms"
[ "$took" -lt 3000 ] || { echo "the end waited ${took} ms for the journal"; exit 1; }
ls "$journal".pending-* >/dev/null 2>&1 || { echo "the series was not kept beside the journal"; exit 1; }
kill "$holder_pid"
wait "$holder_pid" 2>/dev/null || true
holder_pid=

start_program
main=$(main_window)
for _ in $(seq 50); do ls "$journal".pending-* >/dev/null 2>&1 || break; sleep 0.1; done
close_program "$main"
expect_clean_exit
[ "$(count)" = $((series + 2)) ] || { echo "the kept series was not written by the next run"; exit 1; }
! ls "$journal".pending-* >/dev/null 2>&1 || { echo "the kept series' file is still there"; exit 1; }
echo "e2e journal passed"
