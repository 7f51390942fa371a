#!/usr/bin/env bash
# Installs what is needed, builds everything with the sanitizers and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# The server's tests against PostgreSQL and a real S3 store start their own services.
bash scripts/setup-services.sh
# The services are installed: a test that cannot start one fails instead of being skipped.
export ARKVALE_REQUIRE_SERVICES=1
build=build-test
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DARKVALE_SANITIZE=ON -DARKVALE_TESTS=ON >/dev/null
cmake --build "$build" -j "$(nproc)"
cd "$build"
ctest --output-on-failure -j "$(nproc)" --timeout 600
