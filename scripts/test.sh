#!/bin/sh
# Installs what is missing, checks the house rules, then builds and runs every test:
# the normal build on classic SDL 1.2, on a real kernel with MIDI under qemu, and again
# on sdl12-compat, an AddressSanitizer+UndefinedBehaviorSanitizer build, and a
# ThreadSanitizer build of the tests that run the mixer's audio thread, then a short
# fuzzing run.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
jobs=$(nproc)
compat=/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/sdl12-compat

# The house rules a script can check: formatting, and includes pointing one way.
find app sound browser preset tools bench tests \( -name '*.cpp' -o -name '*.h' -o -name '*.c' \) \
    -exec clang-format --dry-run --Werror {} +
scripts/check-includes.sh

build() { # folder, extra cmake options...
    dir=$1
    shift
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" -j"$jobs"
}

build build
(cd build && ctest -j"$jobs" --output-on-failure)

# MIDI on a real kernel: Debian 12's own, booted in qemu's emulator, runs this build
# with an ALSA sequencer, virtual MIDI ports and a loopback sound card.
tests/kernel/run.sh build

# The same tests, program and tests alike, on sdl12-compat: SDL 1.2's interface over
# SDL 2, the SDL 1.2 of Debian 13, Ubuntu, Fedora and Arch. Debian 12 installs it
# beside classic SDL; the loader takes it from there first.
echo "The tests again, on sdl12-compat ($compat)"
if ! LD_LIBRARY_PATH=$compat ldd build/stage/padbox | grep -q "$compat/libSDL-1.2"; then
    echo "The program does not load SDL from $compat" >&2
    exit 1
fi
(cd build && LD_LIBRARY_PATH=$compat ctest -j"$jobs" --output-on-failure)

build build-asan -DPADBOX_SANITIZE=address -DPADBOX_BENCH=OFF
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 ctest -j"$jobs" --output-on-failure)

build build-tsan -DPADBOX_SANITIZE=thread -DPADBOX_BENCH=OFF
(cd build-tsan && TSAN_OPTIONS=halt_on_error=1 ctest -j"$jobs" -L tsan --output-on-failure)

# libFuzzer needs clang: a clang ASan build of just the fuzz targets, each run briefly.
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ -DPADBOX_SANITIZE=address -DPADBOX_FUZZ=ON \
    -DBUILD_TESTING=OFF -DPADBOX_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$jobs" --target preset_reader_fuzz
(cd build-fuzz && ctest -L fuzz --output-on-failure)
