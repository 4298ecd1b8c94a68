#!/usr/bin/env bash
# Index build benchmark: bench/run.sh build [SIZE_MB] [THREADS]
#
# Generates a corpus of about SIZE_MB megabytes (default 10) from the sample
# corpus (tools/make_bench_corpus.py), builds its structured index with a
# release build of the library and prints the time of every build stage, the
# total and the peak memory. THREADS (default 8) is used for counting, offset
# and sorting threads. Work files go to BENCH_DIR (default /tmp/qav_bench).
# With CHECK_THREADS=1 the corpus is built once more with 1 offset and 1
# sorting thread (the file groups, which follow the counting threads, stay)
# and the two index directories must be byte-identical (build logs and the
# configuration copies aside).
set -euo pipefail
source "$(dirname "$0")/common.sh"
size=${1:-10}
threads=${2:-8}

echo "== release build of the library"
build_release qavlib
g++ -O2 -std=c++17 -I"$root" "$root/bench/build_index.cpp" -L"$release" -lqavlib -Wl,-rpath,"$release" \
    -o "$release/build_index"

use_corpus "$size"
echo "corpus: $(du -sh --exclude=corpus.lst "$corpus" | cut -f1) in $(grep -vc '^#' "$corpus/corpus.lst") files"

# Configuration with tables sized for millions of units.
config() {
  local groups=$1 n=$2
  cat <<JSON
{"FileInfo":{"Data":"Data","Offset":"Offset","WordList":"WordList.dat","Unit":"Unit.dat","OrgDat":"Org.dat",
 "SentInfo":"SentInfo.dat","DocInfo":"DocInfo.txt","CatTable":"CatTable.txt"},
 "SizeInfo":{"ThreadNum_Count":$groups,"ThreadNum_Offset":$n,"ThreadNum_Sort":$n,
 "HashSize_IdxUnit":4194304,"HashSize_WordList":1048576,"HashSize_SentInfo":"1048576"}}
JSON
}

build() {
  local n=$1 dir=$2
  rm -rf "$dir"
  config "$threads" "$n" > "$work/config_$n.json"
  echo "== build with $threads counting and $n offset and sorting thread(s)"
  "$release/build_index" "$work/config_$n.json" "$corpus/corpus.lst" "$dir"
  # Stage lines of the build log: "  [NAME] done, SECONDS s".
  sed -n 's/^  \[\(.*\)\] \(done,\|failed after\) \([0-9.]*\) s$/\3 \1/p; s/^  \[Total\] \([0-9.]*\) s$/\1 Total/p' \
      "$dir"/qav_idx_*.log | awk '{ t = $1; $1 = ""; printf "  %-48s %9.3f s\n", substr($0, 2), t }'
}

build "$threads" "$work/index_$threads"
if [ "${CHECK_THREADS:-0}" = 1 ] && [ "$threads" != 1 ]; then
  build 1 "$work/index_1"
  if diff -rq -x 'qav_idx_*.log' -x config.txt "$work/index_1" "$work/index_$threads"; then
    echo "index directories with 1 and $threads threads are identical"
  else
    echo "index directories with 1 and $threads threads differ" >&2
    exit 1
  fi
fi
