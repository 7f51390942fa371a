#!/usr/bin/env bash
# Installs what is needed, builds everything with the sanitizers and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# The server's tests against a real S3 store start their own Ceph daemons.
bash scripts/setup-services.sh
build=build-test
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DARKVALE_SANITIZE=ON -DARKVALE_TESTS=ON >/dev/null
cmake --build "$build" -j "$(nproc)"
cd "$build"
ctest --output-on-failure -j "$(nproc)" --timeout 600
