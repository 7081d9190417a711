#!/usr/bin/env bash
# Checks the C++ formatting, builds kgl and runs every test: unit, GL (offscreen driver), end to end and the Xvfb smoke test;
# then the unit and GL tests once more under AddressSanitizer + UndefinedBehaviorSanitizer (leak
# checking on), and every fuzz target for KGL_FUZZ_SECONDS (default 30) seconds.
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD
./scripts/install-deps.sh --test
./scripts/check-format.sh
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKGL_TESTS=ON >/dev/null
cmake --build build-test -j"$(nproc)"
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
(cd build-test && ctest --output-on-failure -j"$(nproc)" "$@")

# Sanitizer run: the end-to-end scripts and the whole-show picture test are left out (they run the
# normal build above).
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKGL_TESTS=ON -DKGL_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$(nproc)" --target kgl_unit_tests kgl_gl_tests
(
  cd build-asan
  # Mesa's drivers are dlopened by SDL/EGL and unloaded at exit, which turns the memory their
  # globals still hold into "leaks" with no stack LeakSanitizer can name. Preloading them keeps
  # them mapped to the end, so that memory stays reachable and every remaining report is real.
  mesa=()
  for lib in libEGL_mesa.so.0 libGLX_mesa.so.0 dri/swrast_dri.so; do
    f=/usr/lib/x86_64-linux-gnu/$lib
    [ -e "$f" ] && mesa+=("$f")
  done
  export LD_PRELOAD=$(IFS=:; echo "${mesa[*]}")
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:verify_asan_link_order=0
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0
  ctest --output-on-failure -j"$(nproc)" -E '^(e2e|show|alloc|picture)\.'
)

./scripts/fuzz.sh "${KGL_FUZZ_SECONDS:-30}"
