#!/usr/bin/env bash
# Rule compiler benchmark: bench/run.sh compile [NETWORKS] [WORDS]
#
# Compiles, with a release build of the grammar library, a rule-base list of
# NETWORKS (default 1,000) pattern networks and one operator library, and a
# list of one network whose first part is an alternative of WORDS (default
# 20,000) words; prints the wall time and the peak memory of each compile.
# Work files go to BENCH_DIR (default /tmp/zel_compile_bench).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/bench/common.bash"
work=${BENCH_DIR:-/tmp/zel_compile_bench}
release=$work/release
mkdir -p "$work/lists"

echo "== release build of the library"
release_build "$release" zellib
g++ -O2 -std=c++17 -Wall -Wextra -I"$root" "$root/bench/compile_rules.cpp" -L"$release" -lzellib \
    -Wl,-rpath,"$release" -o "$release/compile_rules"

python3 "$root/bench/make_rule_lists.py" "$work/lists" "${1:-1000}" "${2:-20000}"
# The compiler writes its intermediate files into the working folder.
cd "$work/lists"
for list in many big; do
  rm -rf "$work/out_$list"
  echo "== $list.txt ($(du -h "$list.txt" | cut -f1))"
  "$release/compile_rules" "$list.txt" "$work/out_$list"
  ls -l "$work/out_$list" | awk 'NR > 1 { printf "  %-16s %12d bytes\n", $9, $5 }'
done
