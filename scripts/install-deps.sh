#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running Stirpex need.
# Idempotent and quiet when everything is present already.
set -euo pipefail

packages=(
  cmake g++ ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev libicu-dev libcli11-dev libzip-dev
  libxml2-dev libfreetype-dev
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev
  clang libclang-rt-14-dev
  xvfb xauth fonts-dejavu-core
  desktop-file-utils poppler-utils
  chromium nodejs
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then
    sudo_cmd=(sudo)
  else
    echo "install-deps: these packages are missing and this is not root: ${missing[*]}" >&2
    exit 1
  fi
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
