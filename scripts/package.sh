#!/usr/bin/env bash
# Builds the Debian packages arkvale and arkvale-server into build-deb/ and checks them with
# lintian. Install them with: sudo apt install ./build-deb/arkvale_*.deb ./build-deb/arkvale-server_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
missing=()
for p in dpkg-dev lintian; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

build=build-deb
# -O2: at -O3 GCC 12 reports false -Wrestrict overlaps inside std::string, and warnings are errors.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" \
  -DCMAKE_INSTALL_PREFIX=/usr -DARKVALE_SANITIZE=OFF -DARKVALE_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB >/dev/null)
status=0
for deb in "$build"/*.deb; do
  echo "package: $deb"
  # Errors fail the build; warnings are shown for a person to judge.
  lintian --tag-display-limit 0 --fail-on error "$deb" || status=1
done
exit $status
