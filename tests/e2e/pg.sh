# A private PostgreSQL server for the end-to-end tests, sourced by their
# scripts after lib.sh (tests/pg/pgserver.h is its C++ twin):
#   pg_start                  initdb into a fresh folder, start the server on
#                             a Unix socket of its own (no network), create
#                             the database vimbra; PGHOST and PGPORT exported
#                             to name it
#   pg_stop [fast|immediate]  stop it, data kept (immediate: as in a crash)
#   pg_start_again            the same data and socket again
#   pg_running                whether it runs now
#   pg_psql SQL...            run the SQL (each argument a line) through psql
#                             as postgres in vimbra (pg_user=... pg_db=...
#                             before the call for others); rows on stdout,
#                             columns split by '|'; fails on any error
#   pg_service_file PATH SERVICE USER [DB]
#                             write the section [SERVICE] of a libpq service
#                             file (the file's other sections kept); point
#                             PGSERVICEFILE at it
#   pg_require_password ROLE  the role must log in with a password from now
#                             on, every other role still trusted
#   pg_cleanup                stop the server and remove its folder; called
#                             by e2e_cleanup, so from the exit trap
# The server lives in its own temporary folder, not under $work: when the
# test runs as root, initdb and postgres run as nobody (they refuse root),
# and nobody must reach the folder. A test killed outright (no exit trap)
# leaves a watchdog behind: a shell in its own session, not a child of the
# test, that waits for the test's shell to go and then stops the server and
# removes the folder; it ends by itself once the folder is gone.

pg_port=55432

pg_bin() {
  local dir
  for dir in $(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -t/ -k5 -n -r); do
    [ -x "$dir/initdb" ] && { echo "$dir"; return 0; }
  done
  dirname "$(command -v initdb)"
}

# Runs a server tool as the server's user, with none of the caller's PG*
# variables.
pg_as_server() {
  local unset=() v
  for v in $(compgen -e | grep '^PG'); do unset+=(-u "$v"); done
  if [ "$(id -u)" = 0 ]; then
    env "${unset[@]}" runuser -u nobody -- "$@"
  else
    env "${unset[@]}" "$@"
  fi
}

pg_start() {
  local bin
  bin=$(pg_bin)
  [ -x "$bin/initdb" ] || { echo "no PostgreSQL server installed"; return 1; }
  pg_bindir=$bin
  pg_dir=$(mktemp -d /tmp/vimbra-pg-XXXXXX)
  chmod 755 "$pg_dir"
  mkdir "$pg_dir/sock"
  [ "$(id -u)" = 0 ] && chown nobody: "$pg_dir" "$pg_dir/sock"
  pg_watchdog
  pg_as_server "$bin/initdb" -D "$pg_dir/data" --no-sync --no-instructions -A trust -U postgres \
    --encoding=UTF8 --locale=C.UTF-8 >"$pg_dir/initdb.log" 2>&1 ||
    { echo "initdb failed:"; cat "$pg_dir/initdb.log"; return 1; }
  # No fsync: nothing here must survive a crash of the machine; commits are
  # still written out before they are reported, so they survive the server's.
  cat >>"$pg_dir/data/postgresql.conf" <<EOF

# The test's own server
listen_addresses = ''
unix_socket_directories = '$pg_dir/sock'
unix_socket_permissions = 0777
port = $pg_port
max_connections = 200
fsync = off
full_page_writes = off
cluster_name = '$(basename "$pg_dir")'
EOF
  pg_password_roles=()
  pg_write_hba
  pg_start_again || return 1
  export PGHOST="$pg_dir/sock" PGPORT=$pg_port
  pg_db=postgres pg_psql 'CREATE DATABASE vimbra' >/dev/null
}

pg_watchdog() {
  local ctl=("$pg_bindir/pg_ctl")
  [ "$(id -u)" = 0 ] && ctl=(runuser -u nobody -- "$pg_bindir/pg_ctl")
  # The subshell ends at once: the watchdog is nobody's child but init's.
  (setsid sh -c '
    pid=$1 base=$2; shift 2
    while kill -0 "$pid" 2>/dev/null; do
      [ -d "$base" ] || exit 0
      sleep 0.2
    done
    [ -d "$base" ] || exit 0
    "$@" stop -w -m immediate -D "$base/data"
    rm -rf "$base"' pg-watchdog "$$" "$pg_dir" "${ctl[@]}" </dev/null >/dev/null 2>&1 &)
}

pg_write_hba() {
  local role
  {
    echo "# The test's own server: a Unix socket only."
    for role in "${pg_password_roles[@]}"; do echo "local all \"$role\" scram-sha-256"; done
    echo "local all all trust"
  } >"$pg_dir/data/pg_hba.conf"
}

pg_running() {
  local pid
  pid=$(head -n1 "${pg_dir:-/nonexistent}/data/postmaster.pid" 2>/dev/null) || return 1
  [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null
}

pg_start_again() {
  pg_as_server "$pg_bindir/pg_ctl" start -w -t 60 -D "$pg_dir/data" -l "$pg_dir/server.log" >/dev/null ||
    { echo "the server did not start:"; cat "$pg_dir/server.log"; return 1; }
}

pg_stop() {
  pg_running || return 0
  pg_as_server "$pg_bindir/pg_ctl" stop -w -t 30 -m "${1:-fast}" -D "$pg_dir/data" >/dev/null ||
    pg_as_server "$pg_bindir/pg_ctl" stop -w -m immediate -D "$pg_dir/data" >/dev/null
}

pg_psql() {
  local unset=() v
  for v in $(compgen -e | grep '^PG' | grep -v -x -e PGPASSWORD -e PGPASSFILE); do unset+=(-u "$v"); done
  printf '%s\n' "$@" | env "${unset[@]}" PGCLIENTENCODING=UTF8 PGCONNECT_TIMEOUT=10 \
    "$pg_bindir/psql" -X -w -v ON_ERROR_STOP=1 -At \
    -d "host='$pg_dir/sock' port=$pg_port user='${pg_user:-postgres}' dbname='${pg_db:-vimbra}'"
}

pg_service_file() {
  local path=$1 service=$2 user=$3 db=${4:-vimbra} kept=""
  [ -f "$path" ] && kept=$(awk -v s="[$service]" '
    /^[[:space:]]*\[/ { skip = ($1 == s) }
    !skip' "$path")
  {
    [ -n "$kept" ] && printf '%s\n\n' "$kept"
    printf '[%s]\nhost=%s\nport=%s\nuser=%s\ndbname=%s\n' "$service" "$pg_dir/sock" "$pg_port" "$user" "$db"
  } >"$path.new" && mv "$path.new" "$path"
}

pg_require_password() {
  pg_password_roles+=("$1")
  pg_write_hba
  pg_as_server "$pg_bindir/pg_ctl" reload -D "$pg_dir/data" >/dev/null
  # Applied once the server has had the signal: until then the role still
  # gets in without a password.
  local said
  for _ in $(seq 500); do
    said=$(unset PGPASSWORD; export PGPASSFILE="$pg_dir/no-password-file"
           pg_user=$1 pg_db=postgres pg_psql 'SELECT 1' 2>&1) || true
    case $said in *'no password supplied'*) return 0 ;; esac
    sleep 0.02
  done
  echo "the server still lets $1 in without a password"
  return 1
}

pg_cleanup() {
  [ -n "${pg_dir:-}" ] || return 0
  pg_stop fast || true
  rm -rf "$pg_dir"
  pg_dir=
}
