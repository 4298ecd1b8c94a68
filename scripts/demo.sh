#!/usr/bin/env bash
# Installs what is missing, builds the libraries and shows what they do on the
# bundled sample.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQZ_BUILD_TESTS=OFF \
      -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null
cmake --build "$build" -j "$(nproc)"

echo
echo "Built: $build/libqavlib.so and $build/libzellib.so"
echo "Exported by libqavlib.so:"
nm -D --defined-only "$build/libqavlib.so" | awk '{print "  " $3}' | grep -vE ' _(init|fini|edata|end)$| __bss_start$'
