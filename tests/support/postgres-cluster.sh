#!/usr/bin/env bash
# Starts or stops the throwaway PostgreSQL cluster of the tests that need a server.
#
#   postgres-cluster.sh start STATE   makes a cluster in a new temporary folder, starts it
#                                     on a unix socket in that folder (no TCP port), makes
#                                     the data base "shop" and writes its connection text
#                                     to STATE/conninfo
#   postgres-cluster.sh start STATE durable
#                                     the same with the server's own durability (fsync,
#                                     synchronous commits), as the benchmarks want it
#   postgres-cluster.sh restart STATE stops that cluster's server and starts it again
#   postgres-cluster.sh stop STATE    stops that cluster and removes its folder
#
# The server never runs as root: under root the cluster belongs to the "postgres" user
# of the packages (or "nobody"). Without the server's programs, start writes no
# connection text and the tests that need a server skip, saying why.
set -uo pipefail
action=${1:?start or stop}
state=${2:?state folder}
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)

as_owner() {
  if [ "$(id -u)" = 0 ]; then
    runuser -u "$owner" -- "$@"
  else
    "$@"
  fi
}

case "$action" in
start)
  mkdir -p "$state"
  rm -f "$state/conninfo"
  if [ -f "$state/folder" ]; then
    "$0" stop "$state" >/dev/null
    mkdir -p "$state"
  fi
  if [ -z "$bin" ] || [ ! -x "$bin/initdb" ]; then
    echo "PostgreSQL is not installed: the tests against a server will skip"
    exit 0
  fi
  owner=$(id -un)
  if [ "$(id -u)" = 0 ]; then
    owner=postgres
    id postgres >/dev/null 2>&1 || owner=nobody
  fi
  folder=$(mktemp -d /tmp/eip-pg.XXXXXX)
  chmod 700 "$folder"
  [ "$(id -u)" = 0 ] && chown "$owner" "$folder"
  echo "$folder" >"$state/folder"
  echo "$owner" >"$state/owner"
  echo "$bin" >"$state/bin"
  as_owner "$bin/initdb" -D "$folder/data" -E SQL_ASCII --locale=C -A trust -U shopadmin \
    >"$folder/initdb.log" 2>&1 || { cat "$folder/initdb.log"; exit 1; }
  # One role signs in with a password, for the tests of a wrong one.
  as_owner sed -i '1i local all pwcheck scram-sha-256' "$folder/data/pg_hba.conf"
  options="-c listen_addresses='' -k $folder -c max_connections=60"
  if [ "${3:-}" != durable ]; then
    options="$options -c fsync=off -c synchronous_commit=off -c full_page_writes=off"
  fi
  echo "$options" >"$state/options"
  as_owner "$bin/pg_ctl" -D "$folder/data" -l "$folder/server.log" -w -t 30 -o "$options" \
    start >/dev/null || { cat "$folder/server.log"; exit 1; }
  as_owner "$bin/createdb" -h "$folder" -U shopadmin shop || exit 1
  echo "host=$folder user=shopadmin dbname=shop" >"$state/conninfo"
  echo "PostgreSQL cluster started in $folder"
  ;;
restart)
  folder=$(cat "$state/folder")
  owner=$(cat "$state/owner")
  as_owner "$bin/pg_ctl" -D "$folder/data" -l "$folder/server.log" -w -t 30 -m fast \
    -o "$(cat "$state/options")" restart >/dev/null || { cat "$folder/server.log"; exit 1; }
  ;;
stop)
  [ -f "$state/folder" ] || exit 0
  folder=$(cat "$state/folder")
  owner=$(cat "$state/owner" 2>/dev/null || id -un)
  if [ -d "$folder/data" ] && [ -n "$bin" ]; then
    as_owner "$bin/pg_ctl" -D "$folder/data" -m immediate -w stop >/dev/null 2>&1
  fi
  rm -rf "$folder"
  rm -f "$state/folder" "$state/owner" "$state/conninfo" "$state/bin" "$state/options"
  echo "PostgreSQL cluster stopped"
  ;;
*)
  echo "usage: $0 start|stop STATE" >&2
  exit 2
  ;;
esac
