#!/bin/sh
# Runs one bench program against the reference server on this machine (by hand, not a test):
#   bench/with-server.sh PROGRAM [ARGS...]
# Builds Release in build-bench/, starts arkvale-server on a free port with a fresh data
# directory, runs PROGRAM PORT CLIENT_DIR USER PASSWORD ARGS... and stops the server. Needs gzip
# and ccrypt on the PATH.
set -eu
program=$1
shift
repo=$(cd "$(dirname "$0")/.." && pwd)
build="$repo/build-bench"
# -O2 as scripts/run.sh builds the programs (GCC 12 warns falsely about some string copies at -O3).
cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" \
  -DARKVALE_TESTS=OFF >/dev/null
if ! cmake --build "$build" --target arkvale-server "$program" -j2 >"$build/bench-build.log" 2>&1; then
  cat "$build/bench-build.log" >&2
  exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/arkvale-bench-XXXXXX")
server_pid=
cleanup() {
  if [ -n "$server_pid" ]; then
    kill "$server_pid" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$server_pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$server_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

server="$build/bin/arkvale-server"
"$server" --data "$work/server" add-user bench secret 100000000 >/dev/null
"$server" --data "$work/server" --port 0 serve >"$work/port" 2>"$work/server.log" &
server_pid=$!
port=
for _ in $(seq 100); do
  port=$(sed -n 's/^listening on port \([0-9]*\)$/\1/p' "$work/port" 2>/dev/null || true)
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { echo "arkvale-server did not start" >&2; cat "$work/server.log" >&2; exit 1; }
mkdir -p "$work/client"
"$build/bin/$program" "$port" "$work/client" bench secret "$@"
