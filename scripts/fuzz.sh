#!/usr/bin/env bash
# Builds the fuzz targets (tests/fuzz/fuzz_<name>.cpp) in build-fuzz/ with clang, libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer, and runs each for a bounded time.
# Usage: scripts/fuzz.sh [seconds-per-target] [target ...]   (default 30 s, every target)
# A crashing input is saved as tests/fuzz/crashes/<target>/crash-*; any finding exits non-zero.
# Reproduce one with: build-fuzz/tests/fuzz/<target> tests/fuzz/crashes/<target>/<file>
#
# Each target names its seeds, dictionary and options in comment lines of its source:
#   // fuzz-seeds: KIND|PATH ...   a kind written by kgl_fuzz_seeds, or a folder relative to the
#                                  source root (skipped when absent, e.g. ../shared/testdata/ase)
#   // fuzz-dict: "TOKEN" ...      libFuzzer dictionary entries
#   // fuzz-options: -flag=value   extra libFuzzer flags
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-30}
shift || true

build=$root/build-fuzz
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DKGL_TESTS=OFF -DKGL_FUZZ=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target kgl_fuzzers
rm -rf "$build/seeds"
"$build/tests/fuzz/kgl_fuzz_seeds" "$build/seeds"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for src in tests/fuzz/fuzz_*.cpp; do targets+=("$(basename "$src" .cpp)"); done
fi

# Values of the "// fuzz-KEY:" comment lines of a target's source, one word per line.
directive() {
  sed -n "s|^// fuzz-$2:[[:space:]]*||p" "tests/fuzz/$1.cpp" | tr ' ' '\n' | sed '/^$/d'
}

export SDL_AUDIODRIVER=dummy SDL_VIDEODRIVER=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

failed=()
for t in "${targets[@]}"; do
  exe=$build/tests/fuzz/$t
  [ -x "$exe" ] || { echo "fuzz: no target $t"; failed+=("$t"); continue; }
  corpus=$build/corpus/$t  # grows across runs; the first folder is where libFuzzer adds inputs
  crashes=$root/tests/fuzz/crashes/$t
  mkdir -p "$corpus" "$crashes"
  dirs=("$corpus")
  for s in $(directive "$t" seeds); do
    if [ -d "$build/seeds/$s" ]; then dirs+=("$build/seeds/$s")
    elif [ -d "$root/$s" ]; then dirs+=("$root/$s")
    else echo "fuzz: $t: no seeds at $s (skipped)"
    fi
  done
  dict=$build/$t.dict
  directive "$t" dict >"$dict"
  opts=()
  [ -s "$dict" ] && opts+=("-dict=$dict")
  while read -r o; do opts+=("$o"); done < <(directive "$t" options)
  log=$build/$t.log
  echo "fuzz: $t for ${seconds} s"
  if "$exe" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$crashes/" "${opts[@]}" "${dirs[@]}" >"$log" 2>&1; then
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec)' "$log" | tr '\n' ' '; echo
  else
    echo "fuzz: $t FAILED; input saved under $crashes; last lines of $log:"
    # The sanitizer's or libFuzzer's own report ("==PID==ERROR: ...", not the readers' message
    # lines such as "K3D Loading ERROR: ..."); head closing the pipe early is no failure.
    report=$(sed -n '/^==[0-9]*== \?ERROR: \|runtime error: \|^ALARM: \|out-of-memory (/,+30p' "$log" | head -40 ||
      true)
    if [ -n "$report" ]; then echo "$report"; else tail -20 "$log"; fi
    grep 'Test unit written' "$log" || true
    failed+=("$t")
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: findings in: ${failed[*]}"
  exit 1
fi
echo "fuzz: ${#targets[@]} targets, no findings"
