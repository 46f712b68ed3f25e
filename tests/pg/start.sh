#!/bin/sh
# Starts a private PostgreSQL server for the ODBC writer tests and prints the
# variables the tests read, as shell export lines:
#
#   eval "$(tests/pg/start.sh)"   # ... run the tests ...   tests/pg/stop.sh
#
# Needs root on Debian 12 with the packages postgresql and odbc-postgresql.
# The server listens on a Unix socket in a fresh temporary folder only (no
# TCP port), trusts local connections, and holds one database "ardentix_test".
# The data source "ardentix_pg" is written to a private odbc.ini in that
# folder; nothing outside the folder is touched.
set -eu

bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [ -z "$bindir" ] || [ ! -x "$bindir/initdb" ]; then
  echo "tests/pg/start.sh: PostgreSQL is not installed (Debian package postgresql)" >&2
  exit 1
fi
if ! id postgres >/dev/null 2>&1; then
  echo "tests/pg/start.sh: there is no postgres user" >&2
  exit 1
fi
driver="PostgreSQL Unicode"
if ! odbcinst -q -d -n "$driver" >/dev/null 2>&1; then
  echo "tests/pg/start.sh: the ODBC driver \"$driver\" is not registered (Debian package odbc-postgresql)" >&2
  exit 1
fi

dir=$(mktemp -d /tmp/ardentix-pg-XXXXXX)
chmod 0755 "$dir"
chown postgres "$dir"
as_postgres() { runuser -u postgres -- "$@"; }

as_postgres "$bindir/initdb" -D "$dir/data" --auth=trust --encoding=UTF8 --locale=C.UTF-8 \
  >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; exit 1; }
as_postgres "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
  -o "-c listen_addresses='' -c unix_socket_directories='$dir' -c port=5432 -c fsync=off" \
  start >/dev/null || { cat "$dir/server.log" >&2; exit 1; }
as_postgres "$bindir/createdb" -h "$dir" -p 5432 ardentix_test

cat >"$dir/odbc.ini" <<INI
[ardentix_pg]
Description = Ardentix test database
Driver      = $driver
Servername  = $dir
Port        = 5432
Database    = ardentix_test
Username    = postgres
INI
chmod 0644 "$dir/odbc.ini"

echo "export ARDENTIX_PG_DIR='$dir'"
echo "export ODBCINI='$dir/odbc.ini'"
echo "export ARDENTIX_PG_DSN='ardentix_pg'"
