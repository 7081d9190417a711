#!/usr/bin/env bash
# Seek probe (slow, never run as a test): compares the first frame after `kgl --start @BYTES` with
# the frame a straight --fixed-fps 30 run draws at the same loop turn, at every STEP-th turn of the
# show. Under --fixed-fps 30 turn n plays music byte n x 5880 and is swap n + 3 of a capture (the
# loading screen and two warm-up swaps come first), so the probed turns are those with n + 3 a
# multiple of STEP. Prints one line per differing turn (differing pixels and mean error when
# ImageMagick's compare is at hand) and a summary; exit status 1 when any turn differs.
# Usage: bench/seek_probe.sh KGL_BINARY SHOW_DIR [STEP [FIRST [LAST]]]
#   SHOW_DIR made by `build-test/showgen SHOW_DIR`; STEP defaults to 20, LAST to the music's end.
#   KGL_PROBE_JOBS=N runs N seek runs at once (default 1); KGL_PROBE_KEEP=DIR keeps the pictures.
set -uo pipefail
KGL="$(realpath "${1:?kgl binary}")"
SHOW="$(realpath "${2:?show folder made by showgen}")"
STEP="${3:-20}"
FIRST="${4:-0}"
LAST="${5:-}"
JOBS="${KGL_PROBE_JOBS:-1}"
export SDL_VIDEODRIVER="${SDL_VIDEODRIVER:-offscreen}" SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
work="${KGL_PROBE_KEEP:-$(mktemp -d)}"
mkdir -p "$work"
[ -n "${KGL_PROBE_KEEP:-}" ] || trap 'rm -rf "$work"' EXIT
cp -r "$SHOW/escena" "$work/"
cd "$work" || exit 1
run() { "$KGL" --batch --no-dialog --windowed --resolution 2 --fixed-fps 30 "$@"; }

# The straight run: every STEP-th swap, up to LAST or the end of the music.
limit=()
[ -n "$LAST" ] && limit=(--frames $((LAST + 1)))
begin=$(date +%s)
run "${limit[@]}" --capture straight --capture-every "$STEP" 2>straight.err || {
    echo "seek_probe: the straight run exited $?"
    exit 2
}
echo "seek_probe: straight run in $(($(date +%s) - begin)) s"

probe() {  # turn -> one line when the seek's frame differs
    local n=$1 want got
    want=$(printf 'straight/frame-%06d.png' $((n + 3)))
    got="seek$n/frame-000003.png"
    run --start "@$((n * 5880))" --frames 1 --capture "seek$n" 2>"seek$n.err" || {
        echo "turn $n: the seek run exited $?"
        return
    }
    if ! cmp -s "$want" "$got"; then
        local detail=""
        if command -v compare >/dev/null; then
            detail="$(compare -metric AE "$want" "$got" null: 2>&1) pixels differ, mean error"
            detail+=" $(compare -metric MAE "$want" "$got" null: 2>&1)"
        fi
        printf 'turn %d (%d:%06.3f): differs %s\n' "$n" $((n / 1800)) "$(awk -v n="$n" 'BEGIN { printf "%.3f", (n % 1800) / 30 }')" "$detail"
    elif [ -z "${KGL_PROBE_KEEP:-}" ]; then
        rm -rf "seek$n" "seek$n.err"
    fi
}

turns=()
for f in straight/frame-*.png; do
    swap=$((10#$(basename "$f" .png | sed 's/frame-//')))
    n=$((swap - 3))
    [ "$n" -ge "$FIRST" ] && turns+=("$n")
done
begin=$(date +%s)
export -f probe run
export KGL
printf '%s\n' "${turns[@]}" | xargs -P "$JOBS" -I{} bash -c 'probe {}' | sort -t' ' -k2 -n >diffs.txt
cat diffs.txt
echo "seek_probe: ${#turns[@]} turns probed in $(($(date +%s) - begin)) s, $(grep -c . diffs.txt) differ"
[ ! -s diffs.txt ]
