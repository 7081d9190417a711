#!/usr/bin/env bash
# The music ends the show: a folder with escena/Config.ini (music, load and render actions on),
# a 5-second MP3 and escena/actions.bin. Under --fixed-fps 50 the show ends by itself after
# about 250 frames; with --loop it restarts (reloading the cue track) every 5 s of music; with
# no sound card it plays on the silent clock and says so once; without the file it stops at once.
# Also: kgl info on both files.
# Args: KGL_BINARY BUILD_DIR (the unit-test binary there writes the MP3).
set -uo pipefail
KGL="$1"
BUILD="$2"
UNIT="$BUILD/tests/kgl_unit_tests"
source "$(dirname "${BASH_SOURCE[0]}")/kgl_e2e.bash"

mkdir escena
KGL_MP3_OUT="$work/escena/music.mp3" KGL_MP3_SECONDS=5 "$UNIT" --gtest_also_run_disabled_tests \
    --gtest_filter=Mp3Fixture.DISABLED_Write >/dev/null || fail "cannot write the test MP3"
printf 'KEYBOARD: 0\r\nRENDERACTIONS: 1\r\nLOADACTIONS: 1\r\nSAVEACTIONS: 0\r\nUSEMP3: 1\r\n' >escena/Config.ini
printf 'MP3STARTOFFSET: 0\r\nMP3STARTSECONDS: 0\r\nMP3:escena/music.mp3\r\n' >>escena/Config.ini
# Two marks without spectrum: 1000 -> action 3, 5000 -> action 4.
printf '\xe8\x03\x00\x00\x03\x00\x00\x00\x00\x88\x13\x00\x00\x04\x00\x00\x00\x00' >escena/actions.bin

"$KGL" info escena/Config.ini >info.txt || fail "kgl info Config.ini"
printf 'keyboard 0\nrenderActions 1\nloadActions 1\nsaveActions 0\nuseMp3 1\nmp3StartOffset 0\nmp3StartSeconds 0\nmp3FileName "escena/music.mp3"\n' >want.txt
cmp -s info.txt want.txt || fail "kgl info Config.ini printed: $(cat info.txt)"
"$KGL" info escena/actions.bin >info.txt || fail "kgl info actions.bin"
[ "$(cat info.txt)" = "$(printf 'marks 2\n1000 3  # scene 3\n5000 4  # scene 4')" ] || fail "kgl info actions.bin printed: $(cat info.txt)"

# Deterministic run. The capture holds the loading screen and the two swaps after the warm-up,
# then one picture per loop frame. The end (5 s = frame 251 at 50 fps) is seen by the next update
# step; at 20 ms a frame, 50 ms update periods run every third frame, so it is frames 251..253.
"$KGL" --batch --no-dialog --windowed --resolution 2 --fixed-fps 50 --frames 400 --capture cap \
    || fail "fixed-fps run exited $?"
frames=$(( $(ls cap | grep -c '^frame-') - 3 ))
{ [ "$frames" -ge 248 ] && [ "$frames" -le 253 ]; } || fail "show ended after $frames frames, not ~250"
printf '\nPosition 1000 \t Action 3 \t FftData -1.000000 \nPosition 5000 \t Action 4 \t FftData -1.000000 ' >want.log
cmp -s EVENTS_load.log want.log || fail "EVENTS_load.log differs"

# Loop: 600 frames are 12 s of music, so the show restarts twice and keeps going; each restart
# reloads the cue track, which rewrites its load log (counted with strace where there is one).
rm -rf cap
"$KGL" --batch --no-dialog --windowed --resolution 2 --fixed-fps 50 --loop --frames 600 --capture cap \
    || fail "loop run exited $?"
frames=$(( $(ls cap | grep -c '^frame-') - 3 ))
[ "$frames" -eq 600 ] || fail "loop run stopped after $frames frames"
if command -v strace >/dev/null && strace -o /dev/null true 2>/dev/null; then
    strace -f -e trace=openat -o trace.txt "$KGL" --batch --no-dialog --windowed --fixed-fps 50 --loop \
        --frames 600 || fail "loop run under strace exited $?"
    loads=$(grep -c '"EVENTS_load.log", O_WRONLY' trace.txt)
    [ "$loads" -eq 3 ] || fail "expected the start load and two restarts, got $loads loads"
else
    echo "music_end: no usable strace, restarts not counted"
fi

# No sound card: with no audio driver named, SDL finds no device; the show still ends by itself
# on the silent clock after about 5 s of real time and says once that it is silent.
start=$(date +%s%N)
if ! env -u SDL_AUDIODRIVER "$KGL" --batch --no-dialog --windowed --resolution 2 2>err.txt; then
    fail "silent run exited $?"
fi
ms=$(( ($(date +%s%N) - start) / 1000000 ))
[ "$ms" -ge 4900 ] || fail "the 5-second show ended after $ms ms of real time"
n=$(grep -c '^AUDIO: .*no audio device' err.txt)
if [ "$n" -eq 0 ]; then
    echo "music_end: this machine has a sound device; silent clock not checked"
elif [ "$n" -ne 1 ]; then
    fail "silent clock announced $n times"
fi

# Without its music nothing would end the show: it stops at once with status 1.
mv escena/music.mp3 escena/gone.mp3
"$KGL" --batch --no-dialog --windowed --fixed-fps 50 2>err.txt; rc=$?
[ $rc -eq 1 ] && grep -q "^AUDIO: \[escena/music.mp3\] cannot play the music" err.txt ||
    fail "missing music: status $rc, $(cat err.txt)"
echo "music end: ok"
