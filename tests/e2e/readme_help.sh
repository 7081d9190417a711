#!/usr/bin/env bash
# The README lists, for every command, the options its --help prints: no more, no fewer.
# Args: KGL_BINARY BUILD_DIR.
set -uo pipefail
KGL="$1"
readme="$(dirname "$0")/../../README.md"
fail() { echo "FAIL: $*"; exit 1; }
[ -f "$readme" ] || fail "no README at $readme"

# Option names at the start of help lines ("  -h,--help  ...", "  --data DIR  ..."), sorted.
options() { grep -oE '^  (-[a-z],)?--[a-z-]+' | tr -d ' ' | sort; }

for cmd in "" convert info view "actions export" "actions import"; do
    title="kgl${cmd:+ $cmd} --help"
    help=$("$KGL" $cmd --help | options) || fail "$title failed"
    listed=$(awk -v m="<!-- $title -->" '$0 == m {on = 1; next} on && /^```/ {n++; if (n == 2) exit; next} on' \
        "$readme" | options)
    [ -n "$listed" ] || fail "README has no block for '$title'"
    [ "$help" = "$listed" ] || fail "README and '$title' differ: $(diff <(echo "$listed") <(echo "$help") | grep '^[<>]' | tr '\n' ' ')"
done
echo "readme help: ok"
