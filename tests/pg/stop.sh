#!/bin/sh
# Stops the server that tests/pg/start.sh started and removes its folder.
# The folder is taken from the first argument or from ARDENTIX_PG_DIR.
set -eu
dir=${1:-${ARDENTIX_PG_DIR:-}}
case "$dir" in
  /tmp/ardentix-pg-*) ;;
  *) echo "tests/pg/stop.sh: no server folder given (ARDENTIX_PG_DIR)" >&2; exit 1 ;;
esac
bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [ -f "$dir/data/postmaster.pid" ]; then
  runuser -u postgres -- "$bindir/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null
fi
rm -rf "$dir"
