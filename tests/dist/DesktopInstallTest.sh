#!/usr/bin/env bash
# Installs the build into a temporary prefix, checks what a desktop finds there, and starts the
# installed arkvale for a new user: it must make the user's installation directory from the
# installed programs. Usage: DesktopInstallTest.sh BUILD_DIR
set -euo pipefail
build=$1
tmp=$(mktemp -d)
pid=""
cleanup() {
  if [ -n "$pid" ]; then
    for child in $(pgrep -P "$pid"); do kill "$child" 2>/dev/null || true; done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix=$tmp/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
for file in bin/arkvale bin/arkvale-server share/applications/arkvale.desktop \
  share/metainfo/org.arkvale.Arkvale.metainfo.xml share/icons/hicolor/scalable/apps/arkvale.svg \
  share/icons/hicolor/16x16/apps/arkvale.png share/icons/hicolor/256x256/apps/arkvale.png \
  share/man/man1/arkvale-server.1.gz lib/systemd/system/arkvale-server.service \
  etc/default/arkvale-server share/arkvale/help/index.html; do
  [ -s "$prefix/$file" ] || fail "$file not installed"
done
wizard=""
if [ -x "$build/bin/setwell" ]; then
  wizard=yes
  [ -s "$prefix/share/applications/setwell.desktop" ] || fail "setwell.desktop not installed"
fi

if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix"/share/applications/*.desktop || fail "desktop entries"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$prefix"/share/metainfo/*.xml >/dev/null || fail "metainfo"
fi
# Every icon the entries name is in the theme.
for entry in "$prefix"/share/applications/*.desktop; do
  icon=$(sed -n 's/^Icon=//p' "$entry")
  [ -e "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no icon $icon"
done
gzip -t "$prefix/share/man/man1/arkvale-server.1.gz" || fail "man page"

# First start of a new user from the installed program, away from the build tree.
export HOME=$tmp/home XDG_DATA_HOME=$tmp/data XDG_CONFIG_HOME=$tmp/config
mkdir -p "$HOME"
cd "$tmp"
"$prefix/bin/arkvale" >"$tmp/arkvale.log" 2>&1 &
pid=$!
dir="$XDG_DATA_HOME/arkvale/drive_c/Program Files/Arkvale"
for _ in $(seq 300); do
  [ -L "$dir/arkvale.exe" ] && break
  kill -0 "$pid" 2>/dev/null || { cat "$tmp/arkvale.log" >&2; fail "arkvale ended"; }
  sleep 0.1
done
[ "$(readlink "$dir/arkvale.exe")" = "$prefix/bin/arkvale" ] || fail "arkvale.exe not linked"
[ -L "$XDG_DATA_HOME/arkvale/dosdevices/c:" ] || fail "no drive table"
for tool in gzip ccrypt; do
  [ -x "$dir/$tool.exe" ] || fail "$tool.exe not usable"
done
if [ -n "$wizard" ]; then
  [ "$(readlink "$dir/setwell.exe")" = "$prefix/bin/setwell" ] || fail "setwell.exe not linked"
  # Without settings the first start opens the wizard and waits for it.
  for _ in $(seq 300); do
    pgrep -P "$pid" >/dev/null && break
    sleep 0.1
  done
  pgrep -P "$pid" >/dev/null || fail "the wizard did not open"
fi
echo "installed and started from $prefix"
