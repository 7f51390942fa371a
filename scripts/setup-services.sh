#!/usr/bin/env bash
# Installs the services the tests and the scale demo start for themselves from Debian's packages:
# PostgreSQL (the shared catalog), Ceph (one monitor, one OSD, the RADOS Gateway as S3 store) and
# HAProxy. The tests start and stop their own copies in temporary directories; nothing here is
# enabled as a system service. Quick when all is there; scripts/run.sh never needs it.
set -euo pipefail
packages=(postgresql-15 ceph-mon ceph-osd radosgw ceph-common haproxy)
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
