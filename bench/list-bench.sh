#!/bin/sh
# Speed of the Restore command's listing against the reference server on this machine (by hand,
# not a test). Builds Release in build-bench/, starts arkvale-server on a free port with a fresh
# data directory holding 1,000, 10,000 and 100,000 stored files (one account each), and runs
# arkvale-list-bench on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
# Needs sqlite3 (to fill the catalog at once).
set -eu
repo=$(cd "$(dirname "$0")/.." && pwd)
build="$repo/build-bench"
cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" \
  -DARKVALE_TESTS=OFF >/dev/null
if ! cmake --build "$build" --target arkvale-server arkvale-list-bench -j2 >"$build/bench-build.log" 2>&1; then
  cat "$build/bench-build.log" >&2
  exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/arkvale-list-bench-XXXXXX")
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
users=
for count in 1000 10000 100000; do
  user="list$count"
  "$server" --data "$work/server" add-user "$user" secret 100000000 >/dev/null
  # Paths under a few hundred folders with random names, sizes and times; the data itself is not
  # needed for a listing.
  sqlite3 "$work/server/catalog.sqlite" <<SQL
WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i + 1 < $count)
INSERT INTO files(user, path, size, modified, stored_bytes, object)
SELECT CAST('$user' AS BLOB),
       CAST(printf('C:\\Users\\bench\\Documents\\Folder %d\\Report %s.txt', i % 331,
                   lower(hex(randomblob(5)))) AS BLOB),
       abs(random() % 50000000), 1000000000 + abs(random() % 700000000), 1024, 'none'
FROM n;
SQL
  users="$users $user"
done
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
# shellcheck disable=SC2086
QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" QT_LOGGING_RULES="qt.qpa.*=false" \
  "$build/bin/arkvale-list-bench" "$port" \
  "$work/client" secret $users
