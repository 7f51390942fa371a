# Sourced by the bench scripts: the Release build they share and the server they start.
# Sets repo and build; the caller has set -eu.
repo=$(cd "$(dirname "$0")/.." && pwd)
build="$repo/build-bench"

# Builds the targets in build-bench/, -O2 as scripts/run.sh builds the programs (GCC 12 warns
# falsely about some string copies at -O3).
bench_build() {
  cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" -DARKVALE_TESTS=OFF >/dev/null
  if ! cmake --build "$build" --target "$@" -j2 >"$build/bench-build.log" 2>&1; then
    cat "$build/bench-build.log" >&2
    exit 1
  fi
}

# Ends the process PID (nothing when empty): TERM, up to five seconds, then KILL.
bench_stop() {
  [ -n "$1" ] || return 0
  kill "$1" 2>/dev/null || true
  for _ in $(seq 50); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
  kill -9 "$1" 2>/dev/null || true
}

# Starts SERVER on a free port with the data directory DATA, its output in DIR: sets server_pid
# and port, or exits with the server's log.
bench_start_server() {
  "$1" --data "$2" --port 0 serve >"$3/port" 2>"$3/server.log" &
  server_pid=$!
  port=
  for _ in $(seq 100); do
    port=$(sed -n 's/^listening on port \([0-9]*\)$/\1/p' "$3/port" 2>/dev/null || true)
    [ -n "$port" ] && break
    sleep 0.1
  done
  [ -n "$port" ] || { echo "arkvale-server did not start" >&2; cat "$3/server.log" >&2; exit 1; }
}
