#!/usr/bin/env bash
# The real X11 path under Xvfb: the start-up dialog shows its controls (kept as a screenshot by
# --capture), Enter presses "GO !", the show window opens, its title turns into the frame rate,
# and a 10-ms Escape tap ends the run with status 0. Windows are found in the X server's own
# window tree (xwininfo), by name; xdotool only types, clicks and focuses. Skips when a tool is missing
# (scripts/install-deps.sh --test installs them all).
set -uo pipefail
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
KGL="$1"
for tool in xvfb-run xdotool xwininfo; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool not installed"; exit 0; }
done
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# Plays in a copy of the default show, so loading finds every file and asks nothing.
if [ -d "${KGL_SHOW_DIR:-}/escena" ]; then
    cp -r "$KGL_SHOW_DIR/escena" "$work/"
fi
unset SDL_VIDEODRIVER
export KGL SMOKE_DIR="$work"

cat >"$work/inside.sh" <<'INNER'
set -uo pipefail
cd "$SMOKE_DIR"
fail() { echo "FAIL: $*"; cat out.txt; [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null; exit 1; }
# Ids of the windows whose name matches the extended regular expression, from the whole window
# tree: this sees every window the server has, message boxes included, whatever tool or window
# manager a machine has (xdotool's name search missed SDL's message boxes on some machines).
findWindows() {
    xwininfo -root -tree 2>/dev/null | sed -n 's/^ *\(0x[0-9a-fA-F]*\) "\(.*\)": (.*$/\1 \2/p' |
        awk -v re="$1" '{ id = $1; sub(/^[^ ]* /, ""); if ($0 ~ re) print id }'
}
windowName() { xwininfo -id "$1" 2>/dev/null | sed -n 's/^xwininfo: Window id: [^ ]* "\(.*\)"$/\1/p'; }
waitWindow() {  # name pattern -> window id
    for _ in $(seq 150); do
        local id; id=$(findWindows "$1" | head -1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}
ended() { ! kill -0 "$pid" 2>/dev/null; }
hasWindow() { [ -n "$(findWindows "$1")" ]; }
# Presses KEY on WINDOW until the shell condition holds: a window may take a moment to map and
# take the focus, and a key sent before that is lost. TAP=tap presses for 10 ms only.
tap() { xdotool keydown "$1"; sleep 0.01; xdotool keyup "$1"; }
pressUntil() {
    local key="$1" window="$2"; shift 2
    for _ in $(seq 30); do
        timeout 2 xdotool windowfocus --sync "$window" 2>/dev/null; ${TAP:-xdotool key} "$key"
        for _ in $(seq 5); do "$@" && return 0; sleep 0.1; done
    done
    return 1
}

# Escape in the dialog is "Quit": status 0 and no show window.
"$KGL" --windowed >out.txt 2>&1 &
pid=$!
dialog=$(waitWindow "KGL KORVO Start") || fail "no dialog window"
pressUntil Escape "$dialog" ended || fail "Escape did not quit the dialog"
wait "$pid"; rc=$?
[ $rc -eq 0 ] || fail "Quit: exit status $rc"

"$KGL" --windowed --resolution 5 --capture cap >out.txt 2>&1 &
pid=$!
dialog=$(waitWindow "KGL KORVO Start") || fail "no dialog window"
# A mouse click on "About" (189,43 .. 227,56 dialog units, 1.5 x 1.625 pixels a unit) opens the
# info box.
for _ in $(seq 30); do
    xdotool mousemove --window "$dialog" 312 80 && sleep 0.2 && xdotool click 1
    for _ in $(seq 5); do hasWindow "About KGL" && break 2; sleep 0.1; done
done
about=$(waitWindow "About KGL") || fail "About opened no box"
pressUntil Return "$about" eval '! hasWindow "About KGL"' || fail "the About box did not close"
for _ in $(seq 50); do [ -s cap/dialog.png ] && break; sleep 0.1; done
[ -s cap/dialog.png ] || fail "no dialog screenshot"
pressUntil Return "$dialog" hasWindow "KGL KORVO Realtime|korvoGL" || fail "no show window after GO !"
show=$(waitWindow "KGL KORVO Realtime|korvoGL") || fail "no show window"
# Should a file of the show be missing, loading reports it in a box: answer each one.
dismissBoxes() {
    local box
    for box in $(findWindows "Loading ERROR"); do
        timeout 2 xdotool windowfocus --sync "$box" 2>/dev/null; xdotool key Return
    done
}
for _ in $(seq 300); do
    dismissBoxes
    windowName "$show" | grep -q "^korvoGL .* fps$" && break; sleep 0.1
done
windowName "$show" | grep -q "^korvoGL .* fps$" || fail "title never showed the frame rate"
TAP=tap pressUntil Escape "$show" ended || fail "a 10-ms Escape tap did not end the show"
wait "$pid"; rc=$?
[ $rc -eq 0 ] || fail "exit status $rc"
[ -s cap/frame-000000.png ] || fail "no frames captured"

# Xvfb offers one display mode: 800 x 600 full screen is refused and the question comes up.
# "Yes" (Enter) runs in a window; "No" (Escape) says the program will close and exits 1.
"$KGL" --no-dialog --fullscreen --resolution 0 --frames 20 >out.txt 2>&1 &
pid=$!
box=$(waitWindow "Rulo GL") || fail "no fallback question"
pressUntil Return "$box" eval '! hasWindow "Rulo GL"' || fail "the question did not close"
for _ in $(seq 300); do ended && break; dismissBoxes; sleep 0.1; done  # the empty folder's boxes
wait "$pid"; rc=$?
[ $rc -eq 0 ] || fail "windowed fallback: exit status $rc"
"$KGL" --no-dialog --fullscreen --resolution 0 --frames 20 >out.txt 2>&1 &
pid=$!
box=$(waitWindow "Rulo GL") || fail "no fallback question"
pressUntil Escape "$box" eval 'hasWindow "^ERROR$" || ended' || fail "No gave no closing message"
if ! ended; then  # a repeated Escape may already have answered the closing message
    box=$(waitWindow "^ERROR$") || fail "no closing message"
    pressUntil Return "$box" ended || fail "the closing message did not end the program"
fi
wait "$pid"; rc=$?
[ $rc -eq 1 ] || fail "refused full screen: exit status $rc"
grep -q "^ERROR: Program Will Now Close.$" out.txt || fail "no closing line"
touch passed
exit 0
INNER

# Judged by the marker file: xvfb-run itself sometimes fails to clean up its own temporary folder.
# -noreset: by default the server resets whenever its last client leaves, and a kgl started while
# it resets finds no display (seen on loaded machines as "x11 not available").
timeout 300 xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" bash "$work/inside.sh"
[ -f "$work/passed" ] || exit 1

# The screenshot must show drawn controls: dark text on the light button face of "GO !".
if command -v python3 >/dev/null; then
    PYTHONPATH="$HERE" python3 - "$work/cap/dialog.png" <<'PY' || exit 1
import sys
from kgl_png import read_rows
w, h, bpp, rows = read_rows(sys.argv[1])
def region(x0, y0, x1, y1):  # dialog units -> pixels (1.5 x 1.625 per unit)
    return [rows[y][x * bpp:x * bpp + 3] for y in range(y0 * 13 // 8, y1 * 13 // 8) for x in range(x0 * 3 // 2, x1 * 3 // 2)]
go = region(189, 9, 227, 23)
dark = sum(1 for p in go if max(p) < 60)
light = sum(1 for p in go if min(p) > 180)
colours = len({bytes(p) for p in region(0, 0, 234, 79)})
print("dialog screenshot %dx%d: GO! dark=%d light=%d colours=%d" % (w, h, dark, light, colours))
sys.exit(0 if (w, h) == (351, 128) and dark > 10 and light > 200 and colours > 50 else 1)
PY
else
    [ "$(stat -c %s "$work/cap/dialog.png")" -gt 3000 ] || { echo "FAIL: dialog screenshot looks empty"; exit 1; }
fi
echo "xvfb smoke: ok"
