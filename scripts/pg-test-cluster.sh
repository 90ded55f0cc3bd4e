#!/usr/bin/env bash
# A throw-away PostgreSQL cluster for the test suite, of its own: data and
# Unix socket inside DIR, no TCP listener, a free port, trust for local
# connections. The machine's own PostgreSQL service is never used or touched.
#
#   bash scripts/pg-test-cluster.sh start DIR
#   bash scripts/pg-test-cluster.sh stop DIR
#
# start leaves in DIR, one line each:
#   uri     libpq URI of the maintenance database "postgres" (superuser quollin)
#   pgdata  absolute path of the data directory
#   user    the account the server runs as
#   pg_ctl  the pg_ctl that started it
# so that a test can restart the server itself. A cluster left in DIR by an
# earlier run that was killed is stopped and wiped first.
#
# initdb and pg_ctl refuse to run as root, so under root the server runs as
# the unprivileged user "nobody"; otherwise as the caller.
set -euo pipefail

usage() {
  echo "usage: $0 start|stop DIR" >&2
  exit 2
}
fail() {
  echo "pg-test-cluster: $*" >&2
  exit 1
}

[[ $# -eq 2 ]] || usage
action=$1
dir=$2
[[ $action == start || $action == stop ]] || usage
[[ -n $dir && $dir != / ]] || fail "refusing DIR '$dir'"
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
# The server's processes must not hold the caller's folder (it may be out
# of the server user's reach).
cd /
marker=.quollin-pg-test

if [[ $(id -u) -eq 0 ]]; then
  user=nobody
  as_user() { runuser -u "$user" -- "$@"; }
else
  user=$(id -un)
  as_user() { "$@"; }
fi

# Stops whatever cluster an earlier start left in DIR, as the account that
# owns it, and empties DIR. A folder that is neither empty nor marked as
# ours is left alone: DIR might have been mistyped.
stop_cluster() {
  if [[ ! -e $dir/$marker ]] && [[ -n $(ls -A "$dir") ]]; then
    fail "$dir is not empty and holds no test cluster; not touching it"
  fi
  local pgdata ctl owner pid
  pgdata=$(cat "$dir/pgdata" 2>/dev/null || true)
  [[ -n $pgdata ]] || pgdata=$(cat "$dir/base" 2>/dev/null || echo "$dir")/data
  if [[ -f $pgdata/postmaster.pid ]]; then
    ctl=$(cat "$dir/pg_ctl" 2>/dev/null || true)
    [[ -x $ctl ]] || ctl=$(find_bin pg_ctl)
    owner=$(stat -c %U "$pgdata")
    local run=()
    if [[ $(id -u) -eq 0 && $owner != root ]]; then run=(runuser -u "$owner" --); fi
    if ! "${run[@]}" "$ctl" stop -D "$pgdata" -m fast -w -t 60 >/dev/null 2>&1; then
      "${run[@]}" "$ctl" stop -D "$pgdata" -m immediate -w -t 30 >/dev/null 2>&1 || true
    fi
    # A postmaster that pg_ctl could not stop would hold the folder we are
    # about to remove: end it outright (only if it really is this cluster's).
    pid=$(head -n1 "$pgdata/postmaster.pid" 2>/dev/null || true)
    if [[ $pid =~ ^[0-9]+$ ]] && [[ $(readlink "/proc/$pid/cwd" 2>/dev/null) == "$pgdata" ]]; then
      kill -KILL "$pid" 2>/dev/null || true
    fi
  fi
  local base
  base=$(cat "$dir/base" 2>/dev/null || true)
  if [[ -n $base && $base != "$dir" && -d $base ]]; then rm -rf -- "$base"; fi
  find "$dir" -mindepth 1 -delete
}

# The highest installed version's program.
find_bin() {
  local candidate
  candidate=$(ls -d /usr/lib/postgresql/*/bin/"$1" 2>/dev/null | sort -V | tail -n1 || true)
  if [[ -z $candidate ]]; then
    candidate=$(command -v "$1" || true)
  fi
  [[ -n $candidate && -x $candidate ]] || fail "$1 not found: install postgresql (scripts/deps.sh)"
  echo "$candidate"
}

# A port whose socket name nothing else uses: no TCP listener on it and no
# PostgreSQL socket of that number in the usual places.
free_port() {
  local port tries
  for ((tries = 0; tries < 200; tries++)); do
    port=$((20000 + RANDOM % 40000))
    if ss -Hltn "sport = :$port" 2>/dev/null | grep -q .; then continue; fi
    [[ -e /tmp/.s.PGSQL.$port || -e /var/run/postgresql/.s.PGSQL.$port ]] && continue
    echo "$port"
    return
  done
  fail "no free port found"
}

# Percent-encodes a path for a URI's query value ('/' stays as it is),
# byte by byte.
uri_encode() {
  local LC_ALL=C
  local s=$1 out='' c i
  for ((i = 0; i < ${#s}; i++)); do
    c=${s:i:1}
    case $c in
      [a-zA-Z0-9/._~-]) out+=$c ;;
      *) out+=$(printf '%%%02X' "'$c") ;;
    esac
  done
  echo "$out"
}

if [[ $action == stop ]]; then
  stop_cluster
  rmdir "$dir" 2>/dev/null || true
  exit 0
fi

# --- start ---------------------------------------------------------------------
stop_cluster
initdb=$(find_bin initdb)
pg_ctl=$(find_bin pg_ctl)

touch "$dir/$marker"

# The data and socket live in DIR unless the server user cannot reach it or
# the socket's path would pass the kernel's limit (107 bytes); then in a
# private folder under the temporary folder, removed again by stop.
port=$(free_port)
sock_name=.s.PGSQL.$port
base=$dir
if ! as_user test -x "$dir" 2>/dev/null || ((${#dir} + ${#sock_name} + 8 > 107)); then
  base=$(mktemp -d "${TMPDIR:-/tmp}/quollin-pg.XXXXXX")
  chmod 755 "$base"
fi
echo "$base" >"$dir/base"
pgdata=$base/data
sockdir=$base/socket
log=$base/server.log
mkdir -m 700 "$pgdata" "$sockdir"
touch "$log"
if [[ $(id -u) -eq 0 ]]; then chown "$user:" "$pgdata" "$sockdir" "$log"; fi
as_user test -w "$pgdata" || fail "$user cannot write $pgdata"

as_user env LC_ALL=C.UTF-8 "$initdb" -D "$pgdata" -U quollin --auth=trust --encoding=UTF8 --locale=C --no-sync \
  >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; fail "initdb failed"; }

# Settings in the configuration file, not on pg_ctl's command line, so a
# test's "pg_ctl restart" brings the server back exactly as it was. fsync
# only guards against a crash of the machine, which a throw-away cluster
# need not survive; with it, dropping a test database took 1.0-2.0 s on
# the build machine (its checkpoint waits for the disk), without 0.01-0.09 s.
as_user tee -a "$pgdata/postgresql.conf" >/dev/null <<EOF

# throw-away test cluster
listen_addresses = ''
port = $port
unix_socket_directories = '$sockdir'
max_connections = 200
shared_buffers = 32MB
fsync = off
EOF

as_user "$pg_ctl" start -D "$pgdata" -l "$log" -w -t 60 >/dev/null \
  || { tail -n 30 "$log" >&2; fail "the server did not start"; }

echo "$pgdata" >"$dir/pgdata"
echo "$user" >"$dir/user"
echo "$pg_ctl" >"$dir/pg_ctl"
echo "postgresql://quollin@/postgres?host=$(uri_encode "$sockdir")&port=$port" >"$dir/uri"
chmod 644 "$dir"/{pgdata,user,pg_ctl,uri}
echo "pg-test-cluster: running as $user, $(cat "$dir/uri")"
