#!/usr/bin/env bash
# A small show plays to its end in step with its music: two scenes converted from generated ASE
# exports, a few K2D pictures, a 3-second MP3 and an action track using a dozen actions. Under
# --fixed-fps 50 a frame is 3528 bytes of 44.1 kHz stereo music, so a mark at position P fires
# on frame P / 3528 + 1 (the first frame whose position is strictly greater); --trace must list
# every performed action at exactly that frame and never the unused 22 or an out-of-range 95.
# Args: KGL_BINARY BUILD_DIR (showgen writes the ASE exports, the unit tests the MP3).
set -uo pipefail
KGL="$1"
BUILD="$2"
UNIT="$BUILD/tests/kgl_unit_tests"
SHOWGEN="$BUILD/showgen"
source "$(dirname "${BASH_SOURCE[0]}")/kgl_e2e.bash"
source "$(dirname "${BASH_SOURCE[0]}")/lib/small_show.sh"
[ -x "$SHOWGEN" ] || { echo "engine_show: no showgen in $BUILD, skipped"; exit 0; }

make_small_show

# Marks (position action), each more than a frame after the last so none waits a frame.
marks=(1000 2   20000 12   40000 57   60000 13   80000 27   100000 50   120000 58
       140000 1   160000 44   180000 6   200000 22   220000 59   240000 95   260000 54
       280000 13  300000 56   320000 3   340000 63   360000 87   380000 0)
le32() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))"; \
         printf "\\x$(printf %02x $((($1 >> 16) & 255)))\\x$(printf %02x $((($1 >> 24) & 255)))"; }
: >escena/actions.bin
: >want.txt
for ((i = 0; i < ${#marks[@]}; i += 2)); do
    p=${marks[i]}
    a=${marks[i + 1]}
    { le32 "$p"; le32 "$a"; printf '\x00'; } >>escena/actions.bin
    if [ "$a" -ne 22 ] && [ "$a" -le 90 ]; then
        n=$((p / 3528 + 1))
        echo "$n $((n * 3528)) $a" >>want.txt
    fi
done
[ "$("$KGL" info escena/actions.bin | head -1)" = "marks 20" ] || fail "the action track did not read back"

"$KGL" --batch --no-dialog --windowed --resolution 2 --fixed-fps 50 --frames 1000 --trace trace.txt \
    --capture cap 2>err.txt || fail "the show exited $? ($(tail -3 err.txt))"
cmp -s trace.txt want.txt || fail "trace differs: $(diff want.txt trace.txt | head -20)"
# The music (3 s = 150 frames) ended the show, not the frame limit; the capture also holds the
# loading screen and the two swaps after the warm-up.
frames=$(( $(ls cap | grep -c '^frame-') - 3 ))
{ [ "$frames" -ge 148 ] && [ "$frames" -le 153 ]; } || fail "show ended after $frames frames, not ~150"
[ -s EVENTS_load.log ] || fail "the action track was not loaded"
grep -q 'Not Founde' err.txt && fail "a show file was reported missing: $(grep 'Not Founde' err.txt | head -3)"
echo "engine show: ok ($(wc -l <trace.txt) actions traced)"
