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

# Under the thread sanitizer: the batch workers of "zel -files" (one engine,
# a list of files on two threads) and the retrieval library's threaded search
# and service, each through its own test program.
cd "$OLDPWD"  # back to the checkout
tsan=build/tsan
cmake -S . -B "$tsan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQZ_TSAN=ON -DQZ_BUILD_TESTS=ON \
      -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
cmake --build "$tsan" -j "$(nproc)" --target zel test_qav_search test_qav_service
ctest --test-dir "$tsan" --output-on-failure --timeout 600 -R '_race_free$'
