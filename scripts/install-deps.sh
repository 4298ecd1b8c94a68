#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need.
# Does nothing when every package is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config binutils curl python3
  libgtest-dev
  liblua5.4-dev lua-cjson-dev libcjson-dev libtinyxml2-dev nlohmann-json3-dev
  libmicrohttpd-dev libcurl4-openssl-dev
  python3-numpy python3-jieba  # segmentation model trainer and its comparison peer
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
fi
