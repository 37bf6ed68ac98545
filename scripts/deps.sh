#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, and any
# further ones named as arguments. Does nothing when they are all present.
set -euo pipefail
packages=(build-essential cmake ninja-build qtbase5-dev libqt5serialport5-dev
          iproute2 util-linux "$@")
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
