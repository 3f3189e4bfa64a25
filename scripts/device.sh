#!/bin/sh
# Cross build for ARM handhelds, `device.sh armhf` (32-bit ARM) or `device.sh arm64`
# (64-bit ARM), in build-<arch>/: installs what is missing, builds, runs the
# in-process tests under qemu's user mode with SDL's dummy and disk drivers, makes the
# device folder build-<arch>/device/padbox/ and its zip, and starts the program from
# the unpacked zip under Xvfb.
set -eu
cd "$(dirname "$0")/.."
case "${1:-}" in
armhf) triplet=arm-linux-gnueabihf qemu=qemu-arm ;;
arm64) triplet=aarch64-linux-gnu qemu=qemu-aarch64 ;;
*)
    echo "usage: $0 armhf|arm64" >&2
    exit 2
    ;;
esac
arch=$1
scripts/setup.sh # cmake, pkg-config, and Xvfb with xdotool for the last check
build=build-$arch
jobs=$(nproc)
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi

# The cross compiler, qemu, and the target's libraries through multiarch. The SDL
# development packages cannot be installed beside the machine's own (libsdl1.2-dev
# is not multi-arch), so only their run-time libraries are installed here.
packages="crossbuild-essential-$arch qemu-user
libsdl1.2debian:$arch libsdl-mixer1.2:$arch libsdl-ttf2.0-0:$arch
libsndfile1-dev:$arch libsoxr-dev:$arch libasound2-dev:$arch libgtest-dev:$arch"
missing=""
for package in $packages; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done
if [ -n "$missing" ]; then
    echo "Installing:$missing"
    if ! dpkg --print-foreign-architectures | grep -qx "$arch"; then
        $sudo dpkg --add-architecture "$arch"
    fi
    $sudo apt-get update -q
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends $missing
fi

# The SDL development files, unpacked into the build folder where the toolchain file
# points pkg-config and the compiler, each of the version of its installed library.
# Their .pc files are made to name that folder, and their link-time library names to
# lead to the run-time libraries installed above.
dev="$(pwd)/$build/$arch-dev"
rm -rf "$dev"
for pair in libsdl1.2-dev=libsdl1.2debian libsdl-mixer1.2-dev=libsdl-mixer1.2 \
    libsdl-ttf2.0-dev=libsdl-ttf2.0-0; do
    package=${pair%%=*}
    version=$(dpkg-query -W -f='${Version}' "${pair#*=}:$arch")
    debs="$build/$arch-debs/$package-$version"
    if ! ls "$debs"/*.deb >/dev/null 2>&1; then
        mkdir -p "$debs"
        (cd "$debs" && apt-get download -q -o APT::Sandbox::User=root "$package:$arch=$version")
    fi
    dpkg-deb -x "$debs"/*.deb "$dev"
done
libs="$dev/usr/lib/$triplet"
sed -i "s|^prefix=/usr\$|prefix=$dev/usr|" "$libs"/pkgconfig/*.pc
for link in "$libs"/*.so; do
    soname=$(readlink "$link" | sed 's/\(\.so\.[0-9]*\).*/\1/')
    ln -sfn "/usr/lib/$triplet/$soname" "$link"
done

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="cmake/$arch.cmake" -DPADBOX_DEVICE_DEV="$dev" \
    -DPADBOX_HANDHELD=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPADBOX_BENCH=OFF -DPADBOX_E2E=OFF \
    >/dev/null
cmake --build "$build" -j"$jobs"
(cd "$build" && ctest -j"$jobs" -L 'unit|audio' --output-on-failure)
cmake --build "$build" --target device
zip=$(ls "$build"/device/padbox-*.zip)

# The zip itself, unpacked elsewhere: its stripped program starts from its folder under
# Xvfb (through qemu), shows its window and quits on Escape with status 0. The server
# must not reset when its last client leaves: SDL opens the display twice at start,
# and xdotool comes and goes while it does, so a reset would refuse the program.
smoke=$(mktemp -d)
xvfb=""
trap 'if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; fi; rm -rf "$smoke"' EXIT
(cd "$smoke" && cmake -E tar xf "$OLDPWD/$zip")
Xvfb -displayfd 3 -screen 0 320x240x24 -nolisten tcp -noreset 3>"$smoke/display" 2>"$smoke/xvfb.log" &
xvfb=$!
while [ ! -s "$smoke/display" ]; do sleep 0.1; done
DISPLAY=":$(cat "$smoke/display")"
export DISPLAY
# X11 only, and a time limit, so that a program that cannot reach the server ends
# with an error rather than drawing on another driver until it is killed.
(cd "$smoke/padbox" && SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy exec timeout 120 "$qemu" ./padbox) &
program=$!
tries=0
until xdotool search --onlyvisible --name '^padbox$' >/dev/null 2>&1; do
    tries=$((tries + 1))
    if ! kill -0 "$program" 2>/dev/null || [ "$tries" -gt 200 ]; then
        break
    fi
    sleep 0.1
done
sleep 1
xdotool mousemove 160 120 key Escape
status=0
wait "$program" || status=$?
if [ "$tries" -gt 200 ] || [ "$status" -ne 0 ]; then
    echo "The device folder's program showed no window or ended with status $status" >&2
    cat "$smoke/xvfb.log" >&2
    exit 1
fi
echo "Device folder: $build/device/padbox ($zip)"
