#!/usr/bin/env bash
# Renews the README's pictures in docs/screenshots from the program's own windows, on an Xvfb
# display. Needs a build with tests (scripts/test.sh makes one in build-test/).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build=${1:-build-test}
cmake --build "$build" --target arkvale-screenshots
ASAN_OPTIONS=detect_leaks=0 xvfb-run -a -s "-screen 0 1280x800x24" \
  "$build/bin/arkvale-screenshots" docs/screenshots
ls -l docs/screenshots
