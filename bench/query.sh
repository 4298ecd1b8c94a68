#!/usr/bin/env bash
# Query latency benchmark: bench/run.sh query [--keep] [SIZE_MB [REPEAT [WORK_DIR]]]
#
# Generates a corpus of about SIZE_MB megabytes (default 100) from the sample
# corpus (tools/make_bench_corpus.py), builds its structured index with a
# release build of the library (time of every build stage, total, peak
# memory), then runs a fixed set of queries of increasing cost, REPEAT times
# each (default 20), through the exported query entry and prints for each the
# latency of the first run, the median and 95th-percentile latency and the
# peak memory of the query process.
#
# The corpus and the index go to WORK_DIR (default: a new temporary folder)
# and are removed at the end unless --keep is given; a kept corpus of the same
# size in WORK_DIR is used again. THREADS (default 8) is the number of
# counting, offset and sorting threads of the build; BENCH_BUILD (default
# build-release in the repository) holds the release build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/bench/common.bash"

keep=0
if [ "${1:-}" = --keep ]; then
  keep=1
  shift
fi
size=${1:-100}
repeat=${2:-20}
threads=${THREADS:-8}
release=${BENCH_BUILD:-$root/build-release}

# Costs rise down the list (measured on generated corpora): a rare word, a
# frequent word, a join with a gap, a frequency list, a part-of-speech
# pattern, and a count over a gapped join of two tags.
queries=(
  '围城'
  '的'
  '人 * 的'
  '(~)的/uj(~) => freq $1的$2 20'
  '<a> <n>'
  '<v> * <n> => count'
)

if [ -n "${3:-}" ]; then
  work=$3
  mkdir -p "$work"
  made_work=0
else
  work=$(mktemp -d "${TMPDIR:-/tmp}/qav_query_bench.XXXXXX")
  made_work=1
fi
corpus=$work/corpus_${size}mb
index=$work/index_${size}mb
cleanup() {
  if [ "$keep" = 1 ]; then
    echo "kept: corpus $corpus, index $index"
  elif [ "$made_work" = 1 ]; then
    rm -rf "$work"
  else
    rm -rf "$corpus" "$index" "$work/config.json"
  fi
}
trap cleanup EXIT

echo "== release build of the library in $release"
release_build "$release" qavlib
bench_program "$root/bench/build_index.cpp" "$release/build_index" "$release"
bench_program "$root/bench/query_latency.cpp" "$release/query_latency" "$release"

generated_corpus "$size" "$corpus"
echo "corpus: $(du -sh --exclude=corpus.lst "$corpus" | cut -f1) in $(grep -vc '^#' "$corpus/corpus.lst") files"

echo "== index build with $threads counting, offset and sorting threads"
rm -rf "$index"
index_config "$threads" "$threads" > "$work/config.json"
built=0
"$release/build_index" "$work/config.json" "$corpus/corpus.lst" "$index" && built=1
stage_times "$index"
[ "$built" = 1 ] || exit 1
echo "index: $(du -sh "$index" | cut -f1)"

echo "== queries, $repeat runs each"
"$release/query_latency" "$root/utils/Parser.lua" "$index" "$repeat" "${queries[@]}"
