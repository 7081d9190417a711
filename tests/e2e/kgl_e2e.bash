# Sourced by the end-to-end scripts: HERE is this folder (for kgl_png.py), the script runs in a
# fresh scratch folder that is removed on exit, and fail() ends it with a message.
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
fail() { echo "FAIL: $*"; exit 1; }
