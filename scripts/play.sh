#!/bin/sh
# Installs what is missing, builds padbox and starts it on its demo content.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target stage
cd build/stage
exec ./padbox
