#!/usr/bin/env bash
# A throw-away PostgreSQL server for the tests: `start <folder>` makes a cluster in <folder> (run by
# an unprivileged user: the package's postgres user when we are root), starts it on a free port with
# its socket in that folder and prints the connection string; `stop <folder>` stops it and removes the
# folder. Durability is off: the server holds nothing but test data.
set -euo pipefail
bin="$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -1)"
cmd="$1"
folder="$2"
as_owner() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}
case "$cmd" in
start)
  mkdir -p "$folder"
  [ "$(id -u)" -eq 0 ] && chown postgres "$folder"
  port="$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')"
  as_owner "$bin/initdb" -D "$folder/data" -A trust -U postgres -E UTF8 --locale=C.UTF-8 --no-sync >"$folder/initdb.log" 2>&1
  as_owner "$bin/pg_ctl" -D "$folder/data" -l "$folder/server.log" -w -s \
    -o "-p $port -k $folder -c listen_addresses=127.0.0.1 -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=200" start
  echo "host=$folder port=$port user=postgres dbname=postgres"
  ;;
stop)
  if [ -d "$folder/data" ]; then
    as_owner "$bin/pg_ctl" -D "$folder/data" -m immediate -w -s stop || true
  fi
  rm -rf "$folder"
  ;;
*)
  echo "usage: $0 start|stop <folder>" >&2
  exit 2
  ;;
esac
