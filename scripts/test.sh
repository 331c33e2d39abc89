#!/usr/bin/env bash
# Sets up, builds and runs every test twice: a normal build, then a build
# with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

run_pass() {
    local name=$1; shift
    local dir="$root/build/$name"
    echo "test: configuring and building ($name)"
    cmake -S "$root" -B "$dir" -G Ninja -DSOLVEK_BUILD_TESTS=ON "$@"
    cmake --build "$dir" -j "$jobs"
    echo "test: running the tests ($name)"
    ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 300
}

run_pass tests -DCMAKE_BUILD_TYPE=Debug
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    run_pass sanitize -DCMAKE_BUILD_TYPE=Debug -DSOLVEK_SANITIZE=ON
echo "test: all passes green"
