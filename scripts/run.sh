#!/usr/bin/env bash
# Sets up, builds and starts the program. Extra arguments go to the program
# (for example /hidden). Without a display the offscreen platform is used.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"

echo "run: configuring and building (build/release)"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DSOLVEK_BUILD_TESTS=OFF
cmake --build "$root/build/release" --target solvek-antibot

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "run: no display found, using the offscreen platform"
    export QT_QPA_PLATFORM=offscreen
fi
echo "run: starting build/release/solvek-antibot $*"
exec "$root/build/release/solvek-antibot" "$@"
