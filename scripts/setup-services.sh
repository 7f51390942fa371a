#!/usr/bin/env bash
# Installs the services the tests start for themselves (in temporary directories, never as
# system services): PostgreSQL for the shared catalog. Only the tests and the demos need them;
# scripts/run.sh does not. Quick when all is there.
set -euo pipefail
packages=(postgresql-15)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup-services: installing ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
