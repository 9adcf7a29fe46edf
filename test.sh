#!/usr/bin/env bash
# Builds everything and runs every test layer:
#   1. unit, pixel, scenario and SDL-layer tests (warnings are errors)
#   2. the same suite under AddressSanitizer and UndefinedBehaviorSanitizer
#   3. a short, bounded libFuzzer run on save-file loading
#   4. the real game in a real X window under Xvfb, driven as a player would
# Set PIGMENT_LAYERS to a subset ("unit asan fuzz e2e") to run only some.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh test
jobs=$(nproc)
layers=" ${PIGMENT_LAYERS:-unit asan fuzz e2e} "
want() { [[ "$layers" == *" $1 "* ]]; }

if want unit || want e2e; then
  echo "== build (warnings are errors)"
  # The options are named in full: play.sh may have configured build/ without the tests.
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DPIGMENT_WERROR=ON -DPIGMENT_TESTS=ON -DPIGMENT_BENCH=ON \
        >/dev/null
  cmake --build build -j "$jobs"
fi

if want unit; then
  echo "== unit, pixel, scenario and SDL-layer tests"
  (cd build && ctest --output-on-failure --no-tests=error -j "$jobs" --timeout 300)
fi

if want asan; then
  echo "== the suite under AddressSanitizer and UndefinedBehaviorSanitizer"
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DPIGMENT_WERROR=ON -DPIGMENT_BENCH=OFF \
        -DPIGMENT_SANITIZE=address,undefined >/dev/null
  cmake --build build-asan -j "$jobs"
  (cd build-asan && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure --no-tests=error -j "$jobs" --timeout 600)
fi

if want fuzz && [ -x scripts/fuzz.sh ]; then
  echo "== fuzzing save-file loading (bounded)"
  scripts/fuzz.sh
fi

if want e2e && [ -x tests/e2e/run.sh ]; then
  echo "== the real game under Xvfb"
  tests/e2e/run.sh build/pigmentburgh
fi
echo "== all test layers passed"
