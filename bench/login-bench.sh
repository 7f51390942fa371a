#!/bin/sh
# Speed of the log-in against the reference server with many stored files (by hand, not a test).
# Builds Release in build-bench/, and for 1,000 and 100,000 stored files of one account: starts
# arkvale-server on a free port with a fresh data directory whose catalog holds that many rows
# (written with the sqlite3 shell, as a server would have recorded them), times the log-in with
# arkvale-bench and stops the server. Needs sqlite3, gzip and ccrypt on the PATH.
# ARKVALE_SERVER=PATH times another build of the server (an older one, for a comparison).
set -eu
. "$(dirname "$0")/common.sh"
bench_build arkvale-server arkvale-bench
server="${ARKVALE_SERVER:-$build/bin/arkvale-server}"

work=$(mktemp -d "${TMPDIR:-/tmp}/arkvale-login-bench-XXXXXX")
server_pid=
stop_server() {
  bench_stop "$server_pid"
  server_pid=
}
cleanup() {
  stop_server
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

for files in 1000 100000; do
  data="$work/server-$files"
  "$server" --data "$data" add-user bench secret 100000000 >/dev/null
  # Rows as the server records them (names and paths as blobs); the usage figure, where the
  # catalog keeps one, changes in the same transaction.
  usage=""
  if [ "$(sqlite3 "$data/catalog.sqlite" \
    "SELECT COUNT(*) FROM pragma_table_info('users') WHERE name = 'used_kb'")" = 1 ]; then
    usage="UPDATE users SET used_kb = used_kb + $files * 2 WHERE name = CAST('bench' AS BLOB);"
  fi
  sqlite3 "$data/catalog.sqlite" "BEGIN;
    WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < $files)
    INSERT INTO files(user, path, size, modified, stored_bytes, object)
      SELECT CAST('bench' AS BLOB), CAST('C:\\bench\\dir' || (i / 100) || '\\file' || i AS BLOB),
             1024, 1700000000, 1100, printf('%032x', i) FROM n;
    $usage
    COMMIT;"
  bench_start_server "$server" "$data" "$work"
  mkdir -p "$work/client-$files"
  echo "$files stored files:"
  "$build/bin/arkvale-bench" "$port" "$work/client-$files" bench secret login
  stop_server
done
