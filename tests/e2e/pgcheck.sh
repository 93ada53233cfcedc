#!/usr/bin/env bash
# The end-to-end tests' database server (pg.sh) on its own: reached through
# PGHOST/PGPORT and through a service file, Russian text both ways, a commit
# kept across a crash of the server, a role made to give a password, and
# nothing left running or on disk after a test killed outright.
#   pgcheck.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
source "$here/pg.sh"
trap 'pg_cleanup; rm -rf "$work"' EXIT

fail() { echo "$*"; exit 1; }
expect() { [ "$2" = "$3" ] || fail "$1: '$2', not '$3'"; }
ms() { echo $(( $(date +%s%N) / 1000000 )); }

t=$(ms)
pg_start
echo "pg_start: $(( $(ms) - t )) ms"
expect "the database" "$(pg_psql "SELECT current_database(), lower('ИВАНОВ Ёж')")" "vimbra|иванов ёж"
# The first statement ran, the error stops the rest and fails the call.
if out=$(pg_psql 'SELECT 1;' 'SELECT no_such_column;' 'SELECT 2;' 2>"$work/err"); then fail "an error passed"; fi
expect "before the error" "$out" 1
grep -q no_such_column "$work/err" || fail "psql's message: $(cat "$work/err")"
expect "PGHOST and PGPORT" "$(psql -X -At -U postgres -d vimbra -c 'SELECT 1')" 1

pg_service_file "$work/services" classroom postgres
pg_service_file "$work/services" other postgres postgres
pg_service_file "$work/services" classroom postgres vimbra
expect "sections" "$(grep -c '^\[' "$work/services")" 2
for pair in classroom:vimbra other:postgres; do
  expect "service ${pair%%:*}" \
    "$(env -u PGHOST -u PGPORT PGSERVICEFILE="$work/services" psql -X -At "service=${pair%%:*}" -c 'SELECT current_database()')" \
    "${pair#*:}"
done

pg_psql 'CREATE TABLE kept (n int);' 'INSERT INTO kept VALUES (1);' >/dev/null
t=$(ms)
pg_stop immediate
echo "pg_stop immediate: $(( $(ms) - t )) ms"
if pg_running; then fail "still running after pg_stop"; fi
if pg_psql 'SELECT 1' 2>/dev/null; then fail "reached a stopped server"; fi
pg_start_again
expect "the commit after the crash" "$(pg_psql 'SELECT count(*) FROM kept')" 1

pg_psql "CREATE ROLE teacher LOGIN PASSWORD 'верно 1';" >/dev/null
pg_require_password teacher
if (PGPASSFILE=/nonexistent pg_user=teacher pg_psql 'SELECT 1' 2>/dev/null); then fail "in without a password"; fi
if (PGPASSWORD=wrong pg_user=teacher pg_psql 'SELECT 1' 2>/dev/null); then fail "in with a wrong password"; fi
expect "with the password" "$(PGPASSWORD='верно 1' pg_user=teacher pg_psql 'SELECT current_user')" teacher
expect "other roles" "$(pg_psql 'SELECT current_user')" postgres

# A test killed outright: no exit trap runs.
bash -c 'source "$1/pg.sh"; pg_start >/dev/null; echo "$pg_dir"; exec sleep 600' - "$here" >"$work/child" &
child=$!
for _ in $(seq 300); do [ -s "$work/child" ] && break; sleep 0.1; done
dir=$(cat "$work/child")
[ -d "$dir" ] && pgrep -f "$(basename "$dir")" >/dev/null || fail "the killed test's server did not start"
kill -9 "$child"
wait "$child" 2>/dev/null || true
for _ in $(seq 150); do
  pgrep -f "$(basename "$dir")" >/dev/null || [ -d "$dir" ] || { echo "killed test: nothing left"; exit 0; }
  sleep 0.1
done
pgrep -af "$(basename "$dir")" || true
fail "the killed test's server or folder is left"
