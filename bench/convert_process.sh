#!/usr/bin/env bash
# Whole-process cost of kgl convert against a whole process of the reference reader (assimp) on
# every file of the shared ASE corpus: each file runs ROUNDS times (default 20) through both, and
# the table lists the mean wall time and the mean CPU time (user + system) per run and the ratio
# kgl / reference of each (goal: at most 1.0). On a shared machine the wall time carries the other
# processes' load; the CPU time is the steadier figure.
# A file the converter stops on (status 255) still counts: the process ran to its end.
# Usage: bench/convert_process.sh BUILD_DIR [CORPUS_DIR] [ROUNDS] [KGL_BINARY]
set -uo pipefail
build="$(cd "$1" && pwd)"
corpus="$(cd "${2:-$(dirname "$0")/../../shared/testdata/ase}" && pwd)" || { echo "no corpus"; exit 1; }
rounds="${3:-20}"
kgl="${4:-$build/kgl}"
ref="$build/bench/kgl_bench_assimp_read"
[ -x "$ref" ] || { echo "no $ref (libassimp-dev missing)"; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

# "WALL_US CPU_US": mean microseconds of one run of the command, wall and user + system.
mean_us() {
    local TIMEFORMAT='%3R %3U %3S' t
    t=$({ time for _ in $(seq "$rounds"); do "$@" >/dev/null 2>&1; done; } 2>&1)
    awk -v t="$t" -v n="$rounds" 'BEGIN { split(t, a, " "); printf "%d %d", a[1] * 1e6 / n, (a[2] + a[3]) * 1e6 / n }'
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }

printf '%-44s %9s %9s %5s %9s %9s %5s\n' "file" "kgl wall" "ref wall" "ratio" "kgl cpu" "ref cpu" "ratio"
tkw=0 trw=0 tkc=0 trc=0
for f in "$corpus"/*.[aA][sS][eE]; do
    read -r kw kc < <(mean_us "$kgl" convert "$f" out.k3d)
    read -r rw rc < <(mean_us "$ref" "$f")
    tkw=$((tkw + kw)) trw=$((trw + rw)) tkc=$((tkc + kc)) trc=$((trc + rc))
    printf '%-44.44s %9d %9d %5s %9d %9d %5s\n' "$(basename "$f")" "$kw" "$rw" "$(ratio "$kw" "$rw")" \
        "$kc" "$rc" "$(ratio "$kc" "$rc")"
done
printf '%-44s %9d %9d %5s %9d %9d %5s\n' "all (us)" "$tkw" "$trw" "$(ratio "$tkw" "$trw")" "$tkc" "$trc" \
    "$(ratio "$tkc" "$trc")"
