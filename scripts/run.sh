#!/usr/bin/env bash
# Installs what is needed, builds, installs the programs into the installation directory, starts
# the reference server with a demo account on port 5555 (unless a server already listens there)
# and runs arkvale for that account. A person at the screen configures it through the wizard
# setwell; a headless run (under xvfb-run, or with --demo-config) gets the demo configuration
# written for it. The server started here stops when arkvale ends.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

build=build
# -O2: at -O3 GCC 12 reports false -Wrestrict overlaps inside std::string, and warnings are errors.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" \
  -DARKVALE_SANITIZE=OFF -DARKVALE_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"
"$build/bin/arkvale-install" "$build/bin"

data="${XDG_DATA_HOME:-$HOME/.local/share}"
install_dir="$data/arkvale/drive_c/Program Files/Arkvale"
port=5555
demo_user=demo
# Letters and digits only, so that it can be typed into the wizard.
demo_password=demopass1
# "backup" + the domain suffix ".localhost" reaches this machine.
demo_server=backup
demo_key="demo encryption key"

listening() { (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; }

server_pid=""
stop_server() {
  if [ -n "$server_pid" ]; then
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
  fi
}
trap stop_server EXIT

if listening; then
  echo "run: a server already listens on port $port; using it"
else
  "$build/bin/arkvale-server" add-user "$demo_user" "$demo_password" 102400 --exist-ok
  # A configuration about to be made uses this password; an older demo account may have another.
  if [ ! -e "$install_dir/config_file" ]; then
    "$build/bin/arkvale-server" set-password "$demo_user" "$demo_password" >/dev/null
  fi
  server_log="$build/arkvale-server.log"
  "$build/bin/arkvale-server" --port "$port" serve >"$server_log" 2>&1 &
  server_pid=$!
  for _ in $(seq 100); do
    grep -q "listening on port" "$server_log" 2>/dev/null && break
    kill -0 "$server_pid" 2>/dev/null || { cat "$server_log" >&2; exit 1; }
    sleep 0.1
  done
  grep -q "listening on port" "$server_log" || { echo "run: the server did not start" >&2; exit 1; }
  echo "run: arkvale-server listens on port $port (log: $server_log)"
fi

demo_config=0
[ "${1:-}" = "--demo-config" ] && demo_config=1
case "${XAUTHORITY:-}" in */xvfb-run.*) demo_config=1 ;; esac

config="$install_dir/config_file"
if [ ! -e "$config" ] && [ "$demo_config" = 0 ]; then
  echo "run: no configuration yet: the wizard asks for it (user $demo_user, password" \
    "$demo_password, server name $demo_server)"
elif [ ! -e "$config" ]; then
  # User, password, key, server name, log files kept, tray icon, minimized window, run at log-on.
  (umask 077 && printf '%s\n' "$demo_user" "$demo_password" "$demo_key" "$demo_server" 5 1 0 0 \
    >"$config.tmp" && mv "$config.tmp" "$config")
  echo "run: wrote $config for the account $demo_user"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run: no display; on a machine without one use: xvfb-run -a bash scripts/run.sh" >&2
  exit 1
fi
"$install_dir/arkvale.exe"
