#!/usr/bin/env bash
# Checks that every tracked C++ file matches the project's .clang-format (Debian 12's
# clang-format 14). With --fix it formats them in place instead. Hand-aligned tables are kept
# between "// clang-format off" and "// clang-format on".
set -euo pipefail
cd "$(dirname "$0")/.."
cf=$(command -v clang-format-14 || command -v clang-format || true)
[ -n "$cf" ] || { echo "check-format: clang-format is not installed (scripts/install-deps.sh --test)"; exit 1; }
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  "$cf" -i "${files[@]}"
  exit 0
fi
bad=()
for f in "${files[@]}"; do
  "$cf" --dry-run -Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
if [ ${#bad[@]} -gt 0 ]; then
  echo "check-format: these files differ from .clang-format (scripts/check-format.sh --fix):"
  printf '  %s\n' "${bad[@]}"
  exit 1
fi
echo "check-format: ${#files[@]} files formatted"
