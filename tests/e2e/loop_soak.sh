#!/usr/bin/env bash
# The default show in loop mode through three restarts (four passes of its 178-second music at a
# fixed 30 frames per second). Each pass must perform the same actions at the same music
# positions and the same frame distances, and resident memory in the fourth pass must equal that
# in the second (sampled at the same point of each pass) within kRssMarginKb.
# Args: KGL_BINARY BUILD_DIR; env KGL_SHOW_DIR is the generated default show.
set -uo pipefail
KGL="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
SHOW="${KGL_SHOW_DIR:-}"
if [ -z "$SHOW" ] || [ ! -d "$SHOW/escena" ]; then
    echo "loop_soak: no default show in KGL_SHOW_DIR, skipped"
    exit 0
fi
kPassFrames=5340     # 178 s of music at 30 frames per second
kFrames=$((4 * kPassFrames + 30))
kRssMarginKb=3072  # seen: +1544 kB (1028 then 516 kB a pass, settling) and +2060 kB
work="$(mktemp -d)"
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
cp -r "$SHOW/escena" "$work/"
cd "$work"

# Prints "passNumber linesInPass" of a trace: a pass starts where the music position goes back.
pass_of() {
    [ -s "$1" ] || { echo 0 0; return; }
    awk 'BEGIN { p = 1; n = 0; last = -1 }
         { if (last >= 0 && $2 < last) { p++; n = 0 } n++; last = $2 }
         END { print p, n }' "$1" 2>/dev/null
}

start=$(date +%s)
"$KGL" --batch --no-dialog --windowed --resolution 2 --fixed-fps 30 --loop --frames "$kFrames" \
    --trace trace.txt >out.txt 2>err.txt &
pid=$!
page_kb=$(( $(getconf PAGESIZE) / 1024 ))
: >rss.txt
while kill -0 "$pid" 2>/dev/null; do
    if read -r _ resident _ <"/proc/$pid/statm" 2>/dev/null; then
        echo "$(pass_of trace.txt) $((resident * page_kb))" >>rss.txt
    fi
    sleep 1
done
wait "$pid"
status=$?
pid=""
seconds=$(( $(date +%s) - start ))
[ "$status" -eq 0 ] || fail "the show exited $status ($(tail -3 err.txt | tr '\n' '|'))"
[ -s trace.txt ] || fail "no trace was written"

# One file per pass: "frames since the pass's first action, music position, action".
awk 'BEGIN { p = 1; last = -1 }
     { if (last >= 0 && $2 < last) p++
       if (!(p in first)) first[p] = $1
       last = $2
       print $1 - first[p], $2, $3 > ("pass" p ".txt") }' trace.txt
passes=$(ls pass*.txt | wc -l)
[ "$passes" -ge 4 ] || fail "only $passes passes in $kFrames frames (three restarts expected)"
lines=$(wc -l <pass1.txt)
[ "$lines" -gt 10 ] || fail "the first pass performed only $lines actions"
for p in 2 3; do
    cmp -s pass1.txt "pass$p.txt" || fail "pass $p differs from pass 1: $(diff pass1.txt "pass$p.txt" | head -6 | tr '\n' '|')"
done
head -n "$(wc -l <pass4.txt)" pass1.txt | cmp -s - pass4.txt \
    || fail "pass 4 is not the beginning of pass 1: $(diff pass1.txt pass4.txt | head -6 | tr '\n' '|')"

# Memory at the same point of passes 2 and 4: the first sample with half a pass's actions done.
half=$((lines / 2))
rss_at() { awk -v p="$1" -v h="$half" '$1 == p && $2 >= h { print $3; exit }' rss.txt; }
rss2=$(rss_at 2)
rss4=$(rss_at 4)
[ -n "$rss2" ] && [ -n "$rss4" ] || fail "no memory sample in pass 2 or 4 ($(wc -l <rss.txt) samples)"
diff_kb=$((rss4 - rss2))
echo "loop_soak: $passes passes, $lines actions each, ${seconds}s; resident ${rss2} kB in pass 2, ${rss4} kB in pass 4"
[ "${diff_kb#-}" -le "$kRssMarginKb" ] || fail "resident memory grew by ${diff_kb} kB from pass 2 to pass 4"
echo "loop_soak: ok"
