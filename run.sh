#!/usr/bin/env bash
# Builds kgl (Release) and plays the show in build/show. Options are passed to kgl.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DKGL_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)"
mkdir -p build/show
if [ -x build/showgen ]; then
  ./scripts/make-show.sh build/showgen build/show
fi
exec build/kgl --data build/show "$@"
