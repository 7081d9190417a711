#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the show generator need (the end-to-end
# scripts call xvfb-run, xdotool, xwininfo from x11-utils, python3 to read PNG and scene bytes, and
# ffprobe/ffmpeg to check the files kgl render writes).
# Quiet and quick when everything is already there.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libsdl2-dev libmpg123-dev libjpeg62-turbo-dev libgl-dev libglu1-mesa-dev
  libimgui-dev libcli11-dev libstb-dev libgtest-dev libmp3lame-dev libassimp-dev fonts-dejavu-core
  libavcodec-dev libavformat-dev libavutil-dev libswscale-dev ffmpeg
  xvfb xauth xdotool x11-utils python3 libgl1-mesa-dri libegl-mesa0
  clang libclang-rt-14-dev
)

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
