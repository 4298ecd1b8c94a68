#!/usr/bin/env bash
# Word-table benchmark: bench/run.sh tables
#
# Converts python3-jieba's whole dictionary (about 349,000 words) into a GBK
# table source (tools/zel/make_jieba_table.py), then in a release build
# indexes it, loads the table pair and prints the load time, the memory of
# the loaded table, lookups per second (each with its full-width
# conversion), the time of a text match over 50 characters and of a
# key-value condition. Work files go to TABLE_DIR (default /tmp/zel_tables).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=${TABLE_DIR:-/tmp/zel_tables}
mkdir -p "$work"
echo "== converting the jieba dictionary"
python3 "$root/tools/zel/make_jieba_table.py" "$work/jieba.txt"
echo "== release build of the driver"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$work/release" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null
cmake --build "$work/release" -j3 --target zel_table_bench >/dev/null
echo "== word tables of $(wc -l < "$work/jieba.txt") source lines"
"$work/release/tests/zel_table_bench" "$work/jieba.txt" "$work"
