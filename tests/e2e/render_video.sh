#!/usr/bin/env bash
# kgl render on the engine test's 3-second show: one H.264 stream of 75 frames (±1) at 25 fps and
# one audio stream of 3 s (±1 frame); a frame of a --start/--end range matches the --capture PNG
# of the same show frame (PSNR >= 35 dB); bad input is one line, exit 2 and no file; Ctrl+C
# leaves a playable file of the frames done.
# Args: KGL_BINARY BUILD_DIR.
set -uo pipefail
KGL="$1"
BUILD="$2"
UNIT="$BUILD/tests/kgl_unit_tests"
SHOWGEN="$BUILD/showgen"
source "$(dirname "$0")/lib/small_show.sh"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "FAIL: $*"; exit 1; }
[ -x "$SHOWGEN" ] || { echo "render_video: no showgen in $BUILD, skipped"; exit 0; }
command -v ffprobe >/dev/null || { echo "render_video: no ffprobe, skipped"; exit 0; }
make_small_show
cd ..
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy

# One line per stream: codec_name=...|codec_type=...|pix_fmt=...|duration=...|nb_read_frames=...
streams() { ffprobe -v error -count_frames -show_entries stream=codec_type,codec_name,pix_fmt,nb_read_frames,duration \
    -of compact=p=0 "$1"; }
field() { grep "codec_type=$2" <<<"$1" | tr '|' '\n' | sed -n "s/^$3=//p"; }
near() { awk -v a="$1" -v b="$2" -v d="$3" 'BEGIN { exit !(a - b <= d && b - a <= d) }'; }

"$KGL" render whole.mp4 --data show --size 320x240 --fps 25 >out.txt 2>err.txt || fail "render exited $? ($(tail -2 err.txt))"
[ ! -e whole.mp4.part ] || fail "the temporary file was left behind"
info=$(streams whole.mp4)
[ "$(grep -c 'codec_type=video' <<<"$info")" = 1 ] && [ "$(grep -c 'codec_type=audio' <<<"$info")" = 1 ] \
    || fail "streams: $info"
vframes=$(field "$info" video nb_read_frames)
aduration=$(field "$info" audio duration)
[ "$(field "$info" video codec_name)" = h264 ] && [ "$(field "$info" video pix_fmt)" = yuv420p ] &&
    [ "$(field "$info" audio codec_name)" = aac ] || fail "codecs: $info"
near "$vframes" 75 1 || fail "$vframes video frames, not 75"
near "$aduration" 3.0 0.04 || fail "audio of $aduration s, not 3"

# Show frame 50 (2 s) of the default show (the small show is still black there): a one-frame
# range against the capture, where 3 swaps come before the show's frame 0.
if [ -d "${KGL_SHOW_DIR:-}/escena" ]; then
    mkdir -p default && cp -r "$KGL_SHOW_DIR/escena" default/
    "$KGL" render one.mkv --data default --size 400x300 --fps 25 --start 2 --end 2.04 >/dev/null 2>err.txt \
        || fail "range render exited $? ($(tail -2 err.txt))"
    [ "$(field "$(streams one.mkv)" video nb_read_frames)" = 1 ] || fail "the range is not one frame: $(streams one.mkv)"
    "$KGL" --data default --batch --no-dialog --windowed --resolution 5 --fixed-fps 25 --frames 51 \
        --capture "$PWD/cap" --capture-every 53 2>/dev/null || fail "capture run exited $?"
    psnr=$(ffmpeg -v info -nostats -i one.mkv -i cap/frame-000053.png \
        -lavfi "[0:v]format=rgb24[a];[1:v]format=rgb24[b];[a][b]psnr" -f null - 2>&1 |
        sed -n 's/.*average:\([0-9.inf]*\).*/\1/p')
    [ -n "$psnr" ] || fail "no PSNR measured"
    [ "$psnr" = inf ] || awk -v p="$psnr" 'BEGIN { exit !(p >= 35) }' || fail "frame 50 differs from the capture: PSNR $psnr dB"
fi

# Bad input: one line on stderr, exit 2, neither the file nor its temporary name.
mkdir -p ro && chmod 555 ro
while IFS='|' read -r out args want; do
    rm -f "$out" "$out.part"
    "$KGL" render "$out" --data show $args >/dev/null 2>err.txt
    rc=$?
    [ "$rc" = 2 ] || fail "'$out $args' exited $rc, not 2"
    # One line of ours (the show's own load messages may come before a range checked against its music).
    [ "$(grep -c '^kgl render: ' err.txt)" = 1 ] && grep '^kgl render: ' err.txt | grep -qF -- "$want" \
        || fail "'$out $args' said: $(cat err.txt)"
    [ ! -e "$out" ] && [ ! -e "$out.part" ] || fail "'$out $args' left a file"
done <<'EOF'
bad.avi||unknown extension
bad.mp4|--size 321x240|--size
bad.mp4|--size 8194x4096|--size
nodir/bad.mp4||cannot write
bad.mp4|--start 2 --end 1|not before
bad.mp4|--start 5|past the end of the music
EOF
if [ "$(id -u)" != 0 ]; then  # root writes into read-only folders
    "$KGL" render ro/bad.mp4 --data show 2>/dev/null
    [ $? = 2 ] && [ ! -e ro/bad.mp4.part ] || fail "a read-only folder was not refused"
fi

# Ctrl+C at the first progress line: a finished, playable file of what was done, exit 130.
"$KGL" render stop.mp4 --data show --size 320x240 --fps 1000 >/dev/null 2>err.txt &
pid=$!
for _ in $(seq 1200); do grep -q '^kgl render: 10%' err.txt && break; sleep 0.05; done
kill -INT "$pid"
wait "$pid"
rc=$?
[ "$rc" = 130 ] || fail "stopped render exited $rc ($(tail -2 err.txt))"
frames=$(field "$(streams stop.mp4)" video nb_read_frames)
[ -n "$frames" ] && [ "$frames" -ge 1 ] && [ "$frames" -lt 3000 ] || fail "the stopped file is not playable: $(streams stop.mp4)"
echo "render video: ok ($vframes frames, audio $aduration s, PSNR ${psnr:-not measured} dB, stopped after $frames frames)"
