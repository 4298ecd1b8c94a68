#!/usr/bin/env bash
# Installs what is missing, builds everything with the address and
# undefined-behaviour sanitizers, and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

build=build/asan
# Compiler cache keys relative to the checkout, so a fresh clone in another
# folder (as CI makes) reuses what an earlier build of the same sources left.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQZ_SANITIZE=ON \
      -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
cmake --build "$build" -j "$(nproc)"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd "$build"
ctest --output-on-failure -j "$(nproc)" --timeout 600

# The batch workers of "zel -files" share one engine: a thread-sanitizer build
# of the zel program alone runs a list of files on two threads.
cd "$OLDPWD"  # back to the checkout
tsan=build/tsan
cmake -S . -B "$tsan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQZ_TSAN=ON -DQZ_BUILD_TESTS=OFF \
      -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
cmake --build "$tsan" -j "$(nproc)" --target zel
ctest --test-dir "$tsan" --output-on-failure --timeout 600
