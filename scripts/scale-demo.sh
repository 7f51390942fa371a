#!/usr/bin/env bash
# The service on several servers, on this machine: Ceph's RADOS Gateway as the S3 store, PostgreSQL
# as the shared catalog (when this build's arkvale-server has --catalog; else the servers share
# one SQLite catalog), three arkvale-server processes behind HAProxy in TCP mode, and several real
# clients (the automatic backup run) of a few accounts. Prints files/s with 1, 2 and 3 servers,
# then kills one server in the middle of a run and checks every file with the real restore run.
# All traffic stays on 127.0.0.1. Needs the packages of scripts/setup-services.sh.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
clients=${SCALE_CLIENTS:-6}
files=${SCALE_FILES:-40}
size=${SCALE_SIZE:-65536}
accounts=(ann bob cid)
quota_kb=100000
tight_quota_kb=$((files * size / 1024 / 2))
base=$((23000 + RANDOM % 2000 * 10))
proxy_port=$base
server_ports=($((base + 1)) $((base + 2)) $((base + 3)))
mon_port=$((base + 4))
rgw_port=$((base + 5))
pg_port=$((base + 6))

bash "$repo/scripts/setup.sh"
bash "$repo/scripts/setup-services.sh"
# SCALE_BUILD names a build tree to take the programs from instead of a release build here.
build="${SCALE_BUILD:-$repo/build-bench}"
[ -n "${SCALE_BUILD:-}" ] || cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" -DARKVALE_TESTS=OFF >/dev/null
if ! cmake --build "$build" --target arkvale-server arkvale-scale-client -j2 \
  >"$build/scale-build.log" 2>&1; then
  cat "$build/scale-build.log" >&2
  exit 1
fi
server="$build/bin/arkvale-server"
client="$build/bin/arkvale-scale-client"

work=$(mktemp -d "${TMPDIR:-/tmp}/arkvale-scale-XXXXXX")
chmod 755 "$work"
pids=()
server_pids=("" "" "")
cleanup() {
  for pid in "${server_pids[@]}" "${pids[@]}"; do
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  done
  wait 2>/dev/null || true
  if [ -n "${pg_dir:-}" ]; then $as_pg pg_ctl -D "$pg_dir" -m immediate stop >/dev/null 2>&1 || true; fi
  rm -rf "$work"
}
trap cleanup EXIT INT TERM
say() { printf 'scale-demo: %s\n' "$*"; }

# Ceph: one monitor, one OSD in memory, the gateway; each daemon in the foreground, ours to stop.
ceph_dir="$work/ceph"
mkdir -p "$ceph_dir"/{mon,osd,run,log,rgw,crash}
fsid=$(cat /proc/sys/kernel/random/uuid)
conf="$ceph_dir/ceph.conf"
cat >"$conf" <<CONF
[global]
fsid = $fsid
mon host = v2:127.0.0.1:$mon_port
public addr = 127.0.0.1
auth cluster required = cephx
auth service required = cephx
auth client required = cephx
keyring = $ceph_dir/keyring
run dir = $ceph_dir/run
admin socket = $ceph_dir/run/\$name.asok
pid file = $ceph_dir/run/\$name.pid
log file = $ceph_dir/log/\$name.log
crash dir = $ceph_dir/crash
ms bind port min = $((base + 10))
ms bind port max = $((base + 29))
ms bind ipv6 = false
osd pool default size = 1
osd pool default min size = 1
osd pool default pg num = 8
osd pool default pgp num = 8
mon allow pool size one = true
osd crush chooseleaf type = 0
mon data avail crit = 0
mon data avail warn = 0
paxos propose interval = 0.01
mon data = $ceph_dir/mon
osd data = $ceph_dir/osd
osd objectstore = memstore
memstore device bytes = 2147483648
rgw data = $ceph_dir/rgw
rgw frontends = beast endpoint=127.0.0.1:$rgw_port
CONF
keyring="$ceph_dir/keyring"
{
  ceph-authtool --create-keyring "$keyring" --gen-key -n mon. --cap mon 'allow *'
  ceph-authtool "$keyring" --gen-key -n client.admin --cap mon 'allow *' --cap osd 'allow *' \
    --cap mgr 'allow *'
  ceph-authtool "$keyring" --gen-key -n osd.0 --cap mon 'allow profile osd' --cap osd 'allow *'
  ceph-authtool "$keyring" --gen-key -n client.rgw --cap mon 'allow rw' --cap osd 'allow rwx'
  monmaptool --create --addv a "[v2:127.0.0.1:$mon_port]" --fsid "$fsid" "$ceph_dir/monmap"
  ceph-mon -c "$conf" --mkfs -i a --monmap "$ceph_dir/monmap" --keyring "$keyring"
} >"$ceph_dir/log/setup.log" 2>&1
ceph-mon -f -c "$conf" -i a >>"$ceph_dir/log/setup.log" 2>&1 &
pids+=($!)
osd_uuid=$(cat /proc/sys/kernel/random/uuid)
timeout 120 ceph -c "$conf" --connect-timeout 60 osd new "$osd_uuid" 0 >>"$ceph_dir/log/setup.log" 2>&1
ceph-osd -c "$conf" -i 0 --mkfs --osd-uuid "$osd_uuid" >>"$ceph_dir/log/setup.log" 2>&1
ceph-osd -f -c "$conf" -i 0 >>"$ceph_dir/log/setup.log" 2>&1 &
pids+=($!)
radosgw -f -c "$conf" -n client.rgw >>"$ceph_dir/log/setup.log" 2>&1 &
pids+=($!)
for _ in $(seq 600); do (exec 3<>"/dev/tcp/127.0.0.1/$rgw_port") 2>/dev/null && break; sleep 0.1; done
export AWS_ACCESS_KEY_ID=scaledemo AWS_SECRET_ACCESS_KEY=scaledemosecret0123456789
timeout 120 radosgw-admin -c "$conf" user create --uid scale --display-name scale \
  --access-key "$AWS_ACCESS_KEY_ID" --secret-key "$AWS_SECRET_ACCESS_KEY" >>"$ceph_dir/log/setup.log" 2>&1
export AWS_ENDPOINT_URL="http://127.0.0.1:$rgw_port"
# The bucket, made with a request curl signs itself (SigV4); the gateway wants the payload's hash.
empty_sha256=e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855
curl -sf -X PUT --aws-sigv4 "aws:amz:us-east-1:s3" --user "$AWS_ACCESS_KEY_ID:$AWS_SECRET_ACCESS_KEY" \
  -H "x-amz-content-sha256: $empty_sha256" "$AWS_ENDPOINT_URL/arkvale" >/dev/null
say "Ceph with the RADOS Gateway listens on 127.0.0.1:$rgw_port"

store=(--objects s3://arkvale/data)
if "$server" --help | grep -q -- '--catalog'; then
  # PostgreSQL in the demo's directory; initdb refuses root, so root runs it as nobody.
  pg_bin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -1)
  pg_dir="$work/pg"
  as_pg=""
  if [ "$(id -u)" -eq 0 ]; then
    as_pg="setpriv --reuid=65534 --regid=65534 --clear-groups"
    install -d -o 65534 -g 65534 "$pg_dir"
  fi
  export PATH="$pg_bin:$PATH"
  $as_pg initdb -D "$pg_dir/data" -U arkvale --auth=trust >"$work/pg-init.log" 2>&1
  $as_pg pg_ctl -D "$pg_dir/data" -l "$pg_dir/log" -w \
    -o "-c listen_addresses=127.0.0.1 -c port=$pg_port -c unix_socket_directories=$pg_dir -c fsync=off" \
    start >/dev/null
  pg_dir="$pg_dir/data"
  $as_pg createdb -h 127.0.0.1 -p "$pg_port" -U arkvale arkvale
  catalog=(--catalog "postgresql://arkvale@127.0.0.1:$pg_port/arkvale")
  say "PostgreSQL listens on 127.0.0.1:$pg_port"
else
  catalog=()
  say "this arkvale-server has no --catalog: the three servers share one SQLite catalog"
fi
common=(--data "$work/server" "${catalog[@]}" "${store[@]}")
for user in "${accounts[@]}"; do
  q=$quota_kb
  [ "$user" = cid ] && q=$tight_quota_kb
  "$server" "${common[@]}" add-user "$user" secret "$q" >/dev/null
done

start_server() {
  local i=$1
  "$server" "${common[@]}" --port "${server_ports[$i]}" serve \
    >"$work/server$i.out" 2>>"$work/server$i.log" &
  server_pids[$i]=$!
  # Its death by SIGKILL is the demo's doing, not news for the terminal.
  disown "$!"
  for _ in $(seq 100); do grep -q "listening" "$work/server$i.out" 2>/dev/null && return; sleep 0.1; done
  echo "server $i did not start" >&2
  cat "$work/server$i.log" >&2
  exit 1
}

cat >"$work/haproxy.cfg" <<CFG
global
  maxconn 256
defaults
  mode tcp
  timeout connect 2s
  timeout client 1h
  timeout server 1h
frontend arkvale
  bind 127.0.0.1:$proxy_port
  default_backend servers
backend servers
  balance leastconn
  server s0 127.0.0.1:${server_ports[0]} check inter 300ms fall 1 rise 1
  server s1 127.0.0.1:${server_ports[1]} check inter 300ms fall 1 rise 1
  server s2 127.0.0.1:${server_ports[2]} check inter 300ms fall 1 rise 1
CFG
haproxy -f "$work/haproxy.cfg" -db >"$work/haproxy.log" 2>&1 &
pids+=($!)

# Usage of each account, sampled while the clients run; the highest figure per account is kept.
sample_quota() {
  while :; do
    "$server" "${common[@]}" list-users 2>/dev/null | awk -F'\t' '{print $1, $2, $3}'
    sleep 0.2
  done >>"$work/usage.log"
}

# Clients (accounts in turn) run at once through HAProxy; prints files per second.
run_clients() {
  local tag=$1 start end c user
  start=$(date +%s.%N)
  local cpids=()
  for c in $(seq 0 $((clients - 1))); do
    user=${accounts[$((c % ${#accounts[@]}))]}
    "$client" backup "$proxy_port" "$work/client$c" "$user" secret "$files" "$size" \
      >"$work/client$c.$tag.log" 2>&1 &
    cpids+=($!)
  done
  wait "${cpids[@]}" || true
  end=$(date +%s.%N)
  echo "$start $end" | awk -v n=$((clients * files)) '{printf "%.1f", n / ($2 - $1)}'
}

sample_quota &
sampler=$!
pids+=($sampler)
# Clients of one account back up the same paths with the same contents, racing each other.
start_server 0
sleep 1
say "1 server:  $(run_clients one) files/s ($clients clients, $files files of $size bytes each)"
start_server 1
sleep 1
say "2 servers: $(run_clients two) files/s"
start_server 2
sleep 1
say "3 servers: $(run_clients three) files/s"

stored_before=$(cat "$work"/server*.log | grep -c ': stored$' || true)
victim=${server_pids[1]}
( sleep 2; kill -9 "$victim" ) &
killer=$!
# Clients of the killed server end their run early, so files/s means little here.
run_clients kill >/dev/null
say "3 servers, one killed with SIGKILL 2 s into a run: the clients it served ended that run early"
wait $killer
server_pids[1]=""
kill "$sampler" 2>/dev/null || true

acknowledged=$(cat "$work"/server*.log | grep -c ': stored$' || true)
say "acknowledged uploads: $acknowledged ($((acknowledged - stored_before)) in the run with the kill)"
verified=0
checked=0
not_stored=0
for c in $(seq 0 $((clients - 1))); do
  user=${accounts[$((c % ${#accounts[@]}))]}
  line=$("$client" verify "$proxy_port" "$work/client$c" "$user" secret "$files" "$size" | tail -1)
  set -- $line
  verified=$((verified + $2))
  checked=$((checked + $4))
  not_stored=$((not_stored + $6))
done
say "verified byte for byte by the real restore run: $verified of $checked files" \
  "($not_stored not held by the server: refused over quota or never acknowledged)"
for user in "${accounts[@]}"; do
  awk -v u="$user" '$1 == u { if ($2 > peak) peak = $2; quota = $3 } END {
    printf "scale-demo: quota peak of %s: %d KB of %d KB\n", u, peak, quota }' "$work/usage.log"
done
