#!/usr/bin/env bash
# A PostgreSQL cluster of a test's own: made in a new folder under /tmp, served
# on a free port of 127.0.0.1 (and a socket in the folder), owned by an
# unprivileged user when run as root (PostgreSQL refuses to run as root), and
# removed when stopped. Debian's postgresql package gives the programs; its
# own service is neither needed nor touched.
#   pg_cluster.sh start          prints "FOLDER URL" once the cluster takes connections
#   pg_cluster.sh stop FOLDER    stops it and removes the folder
#   pg_cluster.sh restart FOLDER [SECONDS]  stops it, waits, starts it again on its port
set -euo pipefail
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[[ -x $bin/pg_ctl ]] || { echo "pg_cluster.sh: no PostgreSQL in /usr/lib/postgresql (tools/install-deps --test)" >&2; exit 1; }
as_owner=()
[[ $(id -u) -ne 0 ]] || as_owner=(setpriv --reuid=65534 --regid=65534 --clear-groups)

start() {  # start FOLDER: the cluster of FOLDER on the port it keeps
  (cd "$1" && "${as_owner[@]}" "$bin/pg_ctl" -D "$1/data" -l "$1/log" -w -t 60 \
    -o "-k $1 -p $(cat "$1/port") -c listen_addresses=127.0.0.1" start >/dev/null) ||
    { tail -n 20 "$1/log" >&2; exit 1; }
}
stop() {
  (cd "$1" && "${as_owner[@]}" "$bin/pg_ctl" -D "$1/data" -m fast -w -t 60 stop >/dev/null)
}

case ${1:-} in
  start)
    folder=$(mktemp -d /tmp/vq_pg_XXXXXX)
    chmod 755 "$folder"
    [[ ${#as_owner[@]} -eq 0 ]] || chown 65534:65534 "$folder"
    python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])' >"$folder/port"
    # No sync while the cluster is made: its first files only; the cluster
    # itself syncs every commit, as one in service does.
    (cd "$folder" && "${as_owner[@]}" "$bin/initdb" -D "$folder/data" -A trust -U postgres -E UTF8 --locale=C \
      --no-sync >"$folder/initdb.log" 2>&1) || { cat "$folder/initdb.log" >&2; rm -rf "$folder"; exit 1; }
    start "$folder"
    echo "$folder postgresql://postgres@127.0.0.1:$(cat "$folder/port")/postgres"
    ;;
  stop)
    [[ $2 == /tmp/vq_pg_* && -d $2 ]] || { echo "pg_cluster.sh: $2 is no cluster of this script" >&2; exit 1; }
    stop "$2" || true
    rm -rf "$2"
    ;;
  restart)
    stop "$2"
    sleep "${3:-0}"
    start "$2"
    ;;
  *)
    sed -n '2,9p' "$0" >&2
    exit 2
    ;;
esac
