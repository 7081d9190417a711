#!/usr/bin/env bash
# kgl runs headless: no dialog, no modal box, a bounded number of frames. Without --data it plays
# the working directory's show, else the one beside the executable or in its show/, else says so
# in one line with status 2. No display without --batch: one line, status 1. Also: the
# command-line errors end with status 2, and --capture writes the loading screen first. Without
# the module kgl_show.so beside it, the show is one line on stderr and status 1.
set -uo pipefail
KGL="$1"
source "$(dirname "${BASH_SOURCE[0]}")/kgl_e2e.bash"

mkdir bin
cp "$KGL" bin/kgl
bin/kgl --batch --frames 2 2>err.txt; rc=$?
[ $rc -eq 1 ] && [ "$(wc -l <err.txt)" -eq 1 ] && grep -q '^KGL: \[kgl_show.so\] cannot load' err.txt ||
    fail "no module: status $rc, $(cat err.txt)"
cp "$(dirname "$KGL")/kgl_show.so" bin/
bin/kgl --batch --frames 2 2>err.txt; rc=$?
[ $rc -eq 2 ] && [ "$(wc -l <err.txt)" -eq 1 ] && grep -q -- "--data" err.txt ||
    fail "no show anywhere: status $rc, $(cat err.txt)"
mkdir -p bin/show/escena bin/escena escena
for dir in bin/show bin .; do  # each found before the ones above it
    : >"$dir/escena/Config.ini"
    bin/kgl --batch --no-dialog --frames 2 2>/dev/null || fail "show in $dir: status $?"
    [ -n "$(ls "$dir" | grep '^lissa')" ] || fail "the show did not play in $dir"
done
# No display: one line and status 1 (no line of libwayland's when no compositor can be reached).
env -u SDL_VIDEODRIVER -u XDG_RUNTIME_DIR -u WAYLAND_DISPLAY DISPLAY=:55 bin/kgl --no-dialog --frames 2 2>err.txt; rc=$?
[ $rc -eq 1 ] && [ "$(wc -l <err.txt)" -eq 1 ] && grep -q '^kgl: no display' err.txt ||
    fail "no display: status $rc, $(cat err.txt)"
"$KGL" --batch --no-dialog --frames 10 || fail "batch run exited $?"

"$KGL" --bogus 2>err.txt; rc=$?
[ $rc -eq 2 ] || fail "unknown option exited $rc"
[ "$(wc -l <err.txt)" -eq 1 ] || fail "unknown option: expected one line, got: $(cat err.txt)"
"$KGL" --resolution 999x1 2>/dev/null; [ $? -eq 2 ] || fail "bad resolution not status 2"
"$KGL" --data "$work/missing" 2>/dev/null; [ $? -eq 2 ] || fail "missing data folder not status 2"
"$KGL" --help | grep -q -- "--fixed-fps" || fail "--help lacks the options"
"$KGL" --version | grep -q "^kgl " || fail "--version"

mkdir data
"$KGL" --data data --batch --fixed-fps 30 --frames 3 --resolution 5 --windowed --capture cap --trace t.txt \
    || fail "capture run failed"
# Loading screen, the two swaps after warm-up, then three loop frames.
n=$(ls cap | grep -c '^frame-[0-9]\{6\}\.png$')
[ "$n" -eq 6 ] || fail "expected 6 captured frames, got $n"
[ -s cap/frame-000000.png ] || fail "loading screen not captured"

# Full screen refused by the offscreen display: falls back to a window, saying so on stderr.
"$KGL" --batch --fullscreen --frames 2 2>err.txt || fail "full-screen fallback run failed"
grep -q "^Rulo GL: The Requested Fullscreen Mode Is Not Supported By" err.txt || fail "no fallback line"
echo "batch run: ok"
