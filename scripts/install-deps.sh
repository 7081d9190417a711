#!/usr/bin/env bash
# Installs the Debian packages that building and playing need (./run.sh), FFmpeg's libraries
# for kgl render among them. With --test it also installs the test tools (./test.sh): gtest,
# assimp (the reference ASE reader), the Xvfb smoke test's X server and tools (xvfb-run, xauth,
# xdotool, xwininfo from x11-utils), ffmpeg (ffprobe checks the videos kgl render writes),
# python3 (the end-to-end scripts read PNG and scene bytes with it) clang for the fuzz targets and clang-format for the format check.
# Quiet and quick when everything is already there.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libsdl2-dev libmpg123-dev libjpeg62-turbo-dev libgl-dev libglu1-mesa-dev
  libimgui-dev libcli11-dev libstb-dev libmp3lame-dev fonts-dejavu-core
  libavcodec-dev libavformat-dev libavutil-dev libswscale-dev
  libgl1-mesa-dri libegl-mesa0
)
test_packages=(
  libgtest-dev libassimp-dev
  xvfb xauth xdotool x11-utils python3 ffmpeg
  clang libclang-rt-14-dev clang-format
)

case "${1:-}" in
  "") ;;
  --test) packages+=("${test_packages[@]}") ;;
  *) echo "usage: scripts/install-deps.sh [--test]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "install-deps: installing ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
