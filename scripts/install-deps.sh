#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those missing.
#   scripts/install-deps.sh build   compiler, CMake, zlib, libzip, libdeflate,
#                                   TurboJPEG, libspng and stb_image (the cover
#                                   thumbnail: JPEG, PNG, GIF and BMP covers)
#   scripts/install-deps.sh test    the above plus GoogleTest, calibre (the
#                                   independent LRF reader of the end-to-end tests)
#                                   and libxml2 (their independent FB2 reader)
set -euo pipefail

packages=(g++ cmake make pkg-config zlib1g-dev libzip-dev libdeflate-dev libturbojpeg0-dev libspng-dev libstb-dev)
if [ "${1:-build}" = "test" ]; then
  packages+=(googletest libgtest-dev python3 calibre libxml2-dev)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq "${missing[@]}" >/dev/null
