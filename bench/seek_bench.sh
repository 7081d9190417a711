#!/usr/bin/env bash
# Seek benchmark (never run as a test): how long `kgl --start T` takes to replay the default show
# up to T, for several T, in real time (replay at 30 turns a second) and under --fixed-fps 30; then
# backward seeks of the author mode.
# The figure is the replay alone, as the show reports it on stderr ("SEEK: ... in X ms").
# Usage: bench/seek_bench.sh KGL_BINARY SHOW_DIR   (SHOW_DIR made by `build-test/showgen SHOW_DIR`)
set -uo pipefail
KGL="$(realpath "${1:?kgl binary}")"
SHOW="$(realpath "${2:?show folder made by showgen}")"
export SDL_VIDEODRIVER="${SDL_VIDEODRIVER:-offscreen}" SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp -r "$SHOW/escena" "$work/"
cd "$work"

replay_ms() {  # the replay time of one run, in ms
    "$KGL" --batch --no-dialog --windowed --resolution 2 --frames 1 "$@" 2>&1 >/dev/null |
        sed -n 's/^SEEK: .* turns replayed in \([0-9.]*\) ms$/\1/p' | head -1
}
run_ms() {  # the whole run to its first frame (start-up and loading included), in ms
    local t0
    t0=$(date +%s%N)
    "$KGL" --batch --no-dialog --windowed --resolution 2 --frames 1 "$@" >/dev/null 2>&1
    echo $((($(date +%s%N) - t0) / 1000000))
}

# The replay draws its last turn (unpresented), so the first drawing of the target's scene
# (textures, the rasterizer's first use of each state) falls into the replay, not the first frame:
# the last column, a whole run to its first picture, shows what the user waits for.
printf '%-10s %16s %16s %18s\n' "start" "real time (ms)" "fixed 30 (ms)" "whole run (ms)"
for t in 0 0:10 0:48.1 1:20 2:00 2:30 2:55; do
    printf '%-10s %16s %16s %18s\n' "$t" "$(replay_ms --start "$t")" "$(replay_ms --start "$t" --fixed-fps 30)" \
        "$(run_ms --start "$t" --fixed-fps 30)"
done

# Backward seeks of the author mode: from 10 s later, Shift+Left builds the show again (set-up,
# scene conversion and loading, warm-up) and replays it from its start. Real time.
printf '1 Shift+Left\n' >"$work/back.txt"
backward() {  # "rebuild replay total" in ms
    "$KGL" --batch --no-dialog --windowed --resolution 2 --frames 3 --start "$1" --keys "$work/back.txt" 2>&1 \
        >/dev/null | awk '/show built again in/ {b = $(NF - 1)} /^SEEK: / {r = $(NF - 1)} END {printf "%s %s %.0f", b, r, b + r}'
}
printf '\n%-10s %10s %12s %12s %10s\n' "from" "to" "rebuild (ms)" "replay (ms)" "total (ms)"
for t in 0:20 1:30 2:10 2:40 2:57; do
    read -r b r total <<<"$(backward "$t")"
    printf '%-10s %10s %12s %12s %10s\n' "$t" "10 s back" "$b" "$r" "$total"
done
