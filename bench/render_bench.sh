#!/usr/bin/env bash
# Render benchmark (never run as a test): frames per second of `kgl render` for a 10-s stretch of
# the default show at 640x480 and 1280x720 (30 fps), next to the same stretch played headless
# under --fixed-fps 30 without capture or encoding, in the same run. The render's figure is the
# one it prints (encoded frames over the time from its first frame to its last, set-up and seek
# left out); the played figure is (N - 1) frames over the time a run of N frames takes beyond a
# run of one frame from the same start. The show plays only its dialog's sizes, so the 1280x720
# row is played at 1024x768 (the render draws a 960x720 picture with black bars there).
# Usage: bench/render_bench.sh KGL_BINARY SHOW_DIR [START_SECONDS]   (SHOW_DIR made by showgen)
set -uo pipefail
KGL="$(realpath "${1:?kgl binary}")"
SHOW="$(realpath "${2:?show folder made by showgen}")"
START="${3:-60}"
SECONDS_LONG=10
FPS=30
FRAMES=$((SECONDS_LONG * FPS))
export SDL_VIDEODRIVER="${SDL_VIDEODRIVER:-offscreen}" SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp -r "$SHOW/escena" "$work/"
cd "$work" || exit 1

now() { date +%s.%N; }
play_seconds() {  # resolution frames -> wall seconds of the run
    local t0
    t0=$(now)
    "$KGL" --batch --no-dialog --windowed --resolution "$1" --fixed-fps $FPS --start "$START" \
        --frames "$2" >/dev/null 2>&1
    awk -v a="$t0" -v b="$(now)" 'BEGIN { printf "%.2f", b - a }'
}

printf '%-10s %12s %12s   %-10s %12s\n' "size" "render fps" "render wall" "played at" "played fps"
while read -r size played; do
    t0=$(now)
    fps=$("$KGL" render out.mp4 --size "$size" --fps $FPS --start "$START" --end $((START + SECONDS_LONG)) \
        2>/dev/null | sed -n 's/.* at \([0-9.]*\) frames per second$/\1/p')
    wall=$(awk -v a="$t0" -v b="$(now)" 'BEGIN { printf "%.1f s", b - a }')
    one=$(play_seconds "$played" 1)
    all=$(play_seconds "$played" $FRAMES)
    pfps=$(awk -v a="$one" -v b="$all" -v n=$FRAMES 'BEGIN { printf "%.1f", (b > a) ? (n - 1) / (b - a) : 0 }')
    printf '%-10s %12s %12s   %-10s %12s\n' "$size" "${fps:-failed}" "$wall" "$played" "$pfps"
    rm -f out.mp4
done <<'EOF'
640x480 640x480
1280x720 1024x768
EOF
