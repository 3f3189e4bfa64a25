#!/bin/sh
# Installs the Debian packages padbox needs to build, run and test, when missing.
set -eu

packages="cmake g++ make pkg-config
libsdl1.2-dev libsdl-mixer1.2-dev libsdl-ttf2.0-dev fonts-dejavu-core libsdl1.2-compat
libsndfile1-dev libsoxr-dev libasound2-dev
googletest libgtest-dev libx11-dev
xvfb xdotool x11-apps imagemagick
clang libclang-rt-14-dev clang-format
dpkg-dev file
qemu-system-x86 busybox-static alsa-utils
pulseaudio"

missing=""
for package in $packages; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
$sudo apt-get update -q
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends $missing
