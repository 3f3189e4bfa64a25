#!/bin/sh
# Installs what is missing, builds padbox and starts it on its demo content: on the
# machine's SDL 1.2, or with --sdl12-compat on sdl12-compat (SDL 1.2 over SDL 2), which
# Debian 12 installs beside classic SDL.
set -eu
cd "$(dirname "$0")/.."
case "${1:-}" in
"") compat=false ;;
--sdl12-compat) compat=true ;;
*)
    echo "usage: $0 [--sdl12-compat]" >&2
    exit 2
    ;;
esac
scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target stage
cd build/stage
if $compat; then
    LD_LIBRARY_PATH=/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/sdl12-compat
    export LD_LIBRARY_PATH
fi
exec ./padbox
