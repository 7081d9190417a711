#!/usr/bin/env bash
# The default show with one of its files taken away, for every file in turn: each run must end
# normally after 300 frames (or at once, with status 1, when the music is missing), name the
# missing file on stderr and not crash. A texture that a scene packs while converting is the one fatal
# case: the converter ends the process with status -1 (255). Cases run two at a time.
# Args: KGL_BINARY BUILD_DIR; env KGL_SHOW_DIR is the generated default show.
set -uo pipefail
KGL="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
SHOW="${KGL_SHOW_DIR:-}"
if [ -z "$SHOW" ] || [ ! -d "$SHOW/escena" ]; then
    echo "missing_files: no default show in KGL_SHOW_DIR, skipped"
    exit 0
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# 255 for a texture JPEG an importing script packs (USETXTPACK: 1); 1 for the music, without
# which the show could never end (it keeps time with it); else 0.
want_status() {
    local rel="$1" ase script
    case "$rel" in *.mp3) echo 1; return ;; *.jpg | *.JPG) ;; *) echo 0; return ;; esac
    for ase in $(grep -l "$(basename "$rel")" "$SHOW"/escena/ase/*.ase); do
        for script in "$SHOW"/escena/scripts/*.txt; do
            grep -q "$(basename "$ase")" "$script" && grep -q 'USETXTPACK: *1' "$script" \
                && { echo 255; return; }
        done
    done
    echo 0
}

# One case: copy the show, remove the file, play 300 frames. Writes "ok" or "FAIL ..." lines.
run_case() {
    local rel="$1" dir
    dir="$(mktemp -d "$work/case.XXXXXX")"
    cp -r "$SHOW/escena" "$dir/"
    rm -f "$dir/$rel"
    local status=0
    timeout 300 "$KGL" --data "$dir" --batch --no-dialog --windowed --resolution 2 --fixed-fps 30 \
        --frames 300 >"$dir/out.txt" 2>"$dir/err.txt" || status=$?
    local name want
    name="$(basename "$rel")"
    want="$(want_status "$rel")"
    if [ "$status" -ne "$want" ]; then
        echo "FAIL $rel: exit $status, wanted $want; stderr: $(tail -3 "$dir/err.txt" | tr '\n' '|')"
    elif ! grep -qiF "$name" "$dir/err.txt" && ! grep -qiF "${name%.*}" "$dir/err.txt"; then
        echo "FAIL $rel: stderr does not mention $name: $(head -3 "$dir/err.txt" | tr '\n' '|')"
    else
        echo "ok $rel ($(grep -ciF "${name%.*}" "$dir/err.txt") lines)"
    fi
    rm -rf "$dir"
}
export -f run_case want_status
export KGL SHOW work

cd "$SHOW"
find escena -type f | sort >"$work/cases.txt"
count=$(wc -l <"$work/cases.txt")
[ "$count" -gt 10 ] || { echo "FAIL: the default show has only $count files"; exit 1; }
xargs -P2 -I{} bash -c 'run_case "$@"' _ {} <"$work/cases.txt" >"$work/results.txt"
cat "$work/results.txt"
fails=$(grep -c '^FAIL' "$work/results.txt")
[ "$fails" -eq 0 ] || { echo "missing_files: $fails of $count cases failed"; exit 1; }
echo "missing_files: all $count cases ok"
