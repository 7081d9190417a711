#!/usr/bin/env bash
# Regenerates the default show into a folder when the generator is newer than the folder's stamp.
set -euo pipefail
gen=$1
out=$2
stamp="$out/.showgen-stamp"
if [ ! -f "$stamp" ] || [ "$gen" -nt "$stamp" ]; then
  "$gen" "$out"
  touch "$stamp"
fi
