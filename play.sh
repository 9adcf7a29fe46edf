#!/usr/bin/env bash
# Builds the game (release) and starts it.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh play
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DPIGMENT_TESTS=OFF -DPIGMENT_BENCH=OFF -DPIGMENT_WERROR=OFF >/dev/null
cmake --build build --target pigmentburgh -j "$(nproc)"
exec build/pigmentburgh
