#!/bin/sh
# Runs one bench program against the reference server on this machine (by hand, not a test):
#   bench/with-server.sh PROGRAM [ARGS...]
# Builds Release in build-bench/, starts arkvale-server on a free port with a fresh data
# directory, runs PROGRAM PORT CLIENT_DIR USER PASSWORD ARGS... and stops the server. Needs gzip
# and ccrypt on the PATH.
set -eu
program=$1
shift
. "$(dirname "$0")/common.sh"
bench_build arkvale-server "$program"

work=$(mktemp -d "${TMPDIR:-/tmp}/arkvale-bench-XXXXXX")
server_pid=
cleanup() {
  bench_stop "$server_pid"
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

server="$build/bin/arkvale-server"
"$server" --data "$work/server" add-user bench secret 100000000 >/dev/null
bench_start_server "$server" "$work/server" "$work"
mkdir -p "$work/client"
"$build/bin/$program" "$port" "$work/client" bench secret "$@"
