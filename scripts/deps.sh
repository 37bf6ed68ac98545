#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, for the Qt
# major VELMORA_QT names (5, the default, or 6), and any further ones named as
# arguments. Does nothing when they are all present.
set -euo pipefail
case "${VELMORA_QT:-5}" in
5) qt=(qtbase5-dev libqt5serialport5-dev) ;;
# qt6-base-dev brings the OpenGL and Vulkan headers Qt6Gui's CMake looks for.
6) qt=(qt6-base-dev qt6-serialport-dev) ;;
*) echo "VELMORA_QT is 5 or 6, not ${VELMORA_QT}" >&2; exit 1 ;;
esac
# ansible-core: the tests of the Ansible collection in ansible/.
packages=(build-essential cmake ninja-build "${qt[@]}" iproute2 util-linux ansible-core "$@")
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
