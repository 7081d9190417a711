#!/usr/bin/env bash
# Builds kgl and runs every test: unit, GL (offscreen driver), end to end and the Xvfb smoke test.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKGL_TESTS=ON >/dev/null
cmake --build build-test -j"$(nproc)"
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
cd build-test
ctest --output-on-failure -j"$(nproc)" "$@"
