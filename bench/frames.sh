#!/usr/bin/env bash
# Frame-time benchmark of the default show under the offscreen driver (software GL when there is
# no GPU). Builds kgl_bench_frames (Release) and the show if needed, then plays the show or a range.
# Usage: bench/frames.sh [--size WxH] [--from S] [--to S]
# KGL_BENCH_BINARY runs another build of the benchmark (a baseline) on the same show.
# KGL_STRAIGHT_COMPOSE=1 selects the straightforward composition for a comparison run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${KGL_BENCH_BUILD:-$root/build-bench}"
case "$build" in /*) ;; *) build="$PWD/$build" ;; esac  # the benchmark runs from a scratch folder
[ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKGL_TESTS=OFF \
  -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null
cmake --build "$build" -j2 --target kgl_bench_frames showgen >/dev/null
bash "$root/scripts/make-show.sh" "$build/showgen" "$build/show"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp -r "$build/show/escena" "$work/"
cd "$work"
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
KGL_BENCH_T0=$(date +%s%N) "${KGL_BENCH_BINARY:-$build/bench/kgl_bench_frames}" "$@"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
