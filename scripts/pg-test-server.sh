#!/usr/bin/env bash
# A throwaway PostgreSQL server for the tests and benchmarks of the shared journal: a cluster
# made by initdb in FOLDER, reached only through a Unix socket in FOLDER (no TCP), trusting
# local connections. The server refuses to run as root, so under root it runs as "nobody".
#   pg-test-server.sh start FOLDER   starts it and prints its URI (database "postgres")
#   pg-test-server.sh stop FOLDER    stops it at once
# RFID_PG_FSYNC=on keeps the server's flushes to disk (the benchmarks); the tests go without.
set -euo pipefail
cmd=${1:?start or stop}
dir=${2:?the folder of the cluster}
bin=${RFID_PG_BIN:-$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)}
[ -x "$bin/initdb" ] || { echo "no PostgreSQL server programs (Debian package postgresql)" >&2; exit 1; }
as=()
if [ "$(id -u)" -eq 0 ]; then
  as=(runuser -u nobody --)
  chown nobody "$dir"
fi
case $cmd in
start)
  "${as[@]}" "$bin/initdb" -D "$dir/data" -U rfid --auth=trust -E UTF8 --no-sync >"$dir/initdb.log" 2>&1 ||
    { cat "$dir/initdb.log" >&2; exit 1; }
  fsync=${RFID_PG_FSYNC:-off}
  "${as[@]}" "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
    -o "-c listen_addresses= -k $dir -c fsync=$fsync -c synchronous_commit=$fsync -c max_connections=40" \
    start >/dev/null || { cat "$dir/server.log" >&2; exit 1; }
  echo "postgresql://rfid@/postgres?host=$dir"
  ;;
stop)
  [ -f "$dir/data/postmaster.pid" ] && "${as[@]}" "$bin/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1
  true
  ;;
*)
  echo "pg-test-server.sh start|stop FOLDER" >&2
  exit 2
  ;;
esac
