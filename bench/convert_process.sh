#!/usr/bin/env bash
# Whole-process cost of kgl convert against a whole process of the reference reader (assimp) on
# every file of the shared ASE corpus: each file runs ROUNDS times (default 20) through both, and
# the table lists the mean wall time per run and the ratio kgl / reference (goal: at most 1.0).
# A file the converter stops on (status 255) still counts: the process ran to its end.
# Usage: bench/convert_process.sh BUILD_DIR [CORPUS_DIR] [ROUNDS]
set -uo pipefail
build="$(cd "$1" && pwd)"
corpus="$(cd "${2:-$(dirname "$0")/../../shared/testdata/ase}" && pwd)" || { echo "no corpus"; exit 1; }
rounds="${3:-20}"
kgl="$build/kgl"
ref="$build/bench/kgl_bench_assimp_read"
[ -x "$ref" ] || { echo "no $ref (libassimp-dev missing)"; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

# Mean milliseconds of one run of the command.
mean_ms() {
    local start end
    start=$(date +%s%N)
    for _ in $(seq "$rounds"); do "$@" >/dev/null 2>&1; done
    end=$(date +%s%N)
    echo $(( (end - start) / rounds / 1000 ))
}

printf '%-60s %10s %10s %6s\n' "file" "kgl us" "assimp us" "ratio"
total_k=0 total_r=0
for f in "$corpus"/*.[aA][sS][eE]; do
    k=$(mean_ms "$kgl" convert "$f" out.k3d)
    r=$(mean_ms "$ref" "$f")
    total_k=$((total_k + k)) total_r=$((total_r + r))
    printf '%-60s %10d %10d %6s\n' "$(basename "$f")" "$k" "$r" "$(awk -v a="$k" -v b="$r" 'BEGIN { printf "%.2f", a / b }')"
done
printf '%-60s %10d %10d %6s\n' "all" "$total_k" "$total_r" "$(awk -v a="$total_k" -v b="$total_r" 'BEGIN { printf "%.2f", a / b }')"
