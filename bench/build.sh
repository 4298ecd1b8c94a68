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
# configuration copies, with the checksum list that covers them, aside).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/bench/common.bash"
size=${1:-10}
threads=${2:-8}
work=${BENCH_DIR:-/tmp/qav_bench}
release=$work/release
mkdir -p "$work"

echo "== release build of the library"
release_build "$release" qavlib
bench_program "$root/bench/build_index.cpp" "$release/build_index" "$release"

corpus=$work/corpus_${size}mb
generated_corpus "$size" "$corpus"
echo "corpus: $(du -sh --exclude=corpus.lst "$corpus" | cut -f1) in $(grep -vc '^#' "$corpus/corpus.lst") files"

build() {
  local n=$1 dir=$2
  rm -rf "$dir"
  index_config "$threads" "$n" > "$work/config_$n.json"
  echo "== build with $threads counting and $n offset and sorting thread(s)"
  "$release/build_index" "$work/config_$n.json" "$corpus/corpus.lst" "$dir"
  stage_times "$dir"
}

build "$threads" "$work/index_$threads"
if [ "${CHECK_THREADS:-0}" = 1 ] && [ "$threads" != 1 ]; then
  build 1 "$work/index_1"
  if diff -rq -x 'qav_idx_*.log' -x config.txt -x Checksums.txt "$work/index_1" "$work/index_$threads"; then
    echo "index directories with 1 and $threads threads are identical"
  else
    echo "index directories with 1 and $threads threads differ" >&2
    exit 1
  fi
fi
