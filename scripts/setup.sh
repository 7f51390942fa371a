#!/usr/bin/env bash
# Installs what Arkvale needs to build, run and test, from Debian's packages. Quick when all is there.
set -euo pipefail
packages=(g++ cmake ninja-build qt6-base-dev libgl-dev libgtest-dev libsqlite3-dev libpq-dev
  libcurl4-openssl-dev libssl-dev gzip ccrypt xvfb xauth desktop-file-utils appstream)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
