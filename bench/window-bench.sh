#!/bin/sh
# Speed of a manual backup through the window (by hand, not a test): the main window and the
# Backup dialog on a virtual display with the accessibility bus on, as a screen-reader user
# runs them, against the reference server; beside it the same run with no window. Builds Release
# in build-bench/. Needs Xvfb, dbus, at-spi2-core, gzip and ccrypt.
#   bench/window-bench.sh [FILES]    (100 files unless given)
set -eu
. "$(dirname "$0")/common.sh"
bench_build arkvale-server arkvale-window-bench arkvale-screen-reader

work=$(mktemp -d "${TMPDIR:-/tmp}/arkvale-window-bench-XXXXXX")
server_pid=
xvfb_pid=
cleanup() {
  bench_stop "$server_pid"
  bench_stop "$xvfb_pid"
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

server="$build/bin/arkvale-server"
"$server" --data "$work/server" add-user bench secret 100000000 >/dev/null
bench_start_server "$server" "$work/server" "$work"

# A display of its own: Xvfb picks a free number and writes it to fd 3.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
display=
for _ in $(seq 100); do
  display=$(cat "$work/display" 2>/dev/null || true)
  [ -n "$display" ] && break
  sleep 0.1
done
[ -n "$display" ] || { echo "Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }

mkdir -p "$work/client"
# A session bus with the accessibility bus on it and a stand-in screen reader listening there:
# Qt then exports the widgets and sends their events over the bus, as for a screen-reader user.
DISPLAY=":$display" QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
  dbus-run-session -- sh -c '
    reader=$1; shift
    /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
    launcher=$!
    sleep 1
    "$reader" >"$0.reader" 2>&1 &
    reader_pid=$!
    for _ in $(seq 50); do grep -q listening "$0.reader" 2>/dev/null && break; sleep 0.1; done
    "$@"
    status=$?
    kill $reader_pid 2>/dev/null; wait $reader_pid 2>/dev/null
    grep -v listening "$0.reader"
    kill $launcher 2>/dev/null
    exit $status' "$work/screen-reader" "$build/bin/arkvale-screen-reader" \
    "$build/bin/arkvale-window-bench" "$port" "$work/client" bench secret "$@"
