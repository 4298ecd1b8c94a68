#!/usr/bin/env bash
# Matching benchmark: bench/run.sh match [SENTENCES] [RULES]
#
# Runs one network of word-pair rules (default 200, the most frequent
# adjacent word pairs) over the tagged sample prose (default 1,000
# sentences), anchored at every entry word, without and with gap search;
# prints sentences, attempts and matches per second and the peak memory.
# The driver is built in release mode in BUILD_DIR (default /tmp/zel_match).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${BUILD_DIR:-/tmp/zel_match}
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
echo "== release build of the driver"
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null
cmake --build "$dir" -j3 --target zel_match_bench >/dev/null
"$dir/tests/zel_match_bench" "$root/tests/data/sample/prose.txt" "${1:-1000}" "${2:-200}"
