#!/usr/bin/env bash
# Independent check of the n-gram models on the real corpus, run by hand:
#   tools/zel/ngram_check_real.sh [BUILD_DIR]
#
# Makes the real corpus with the peers' make_corpus.py (PEERS_DIR, default
# ../shared/peers beside the checkout; its Debian packages must be installed)
# unless WORK (default /tmp/zel_ngram_check) holds it already, counts its
# character n-grams with ngram_check.py (CHARS most frequent characters,
# default 500; 1,000 held-out sentences), computes the expected scores and
# runs the library's reference test (test_zel_models of BUILD_DIR, default
# build/asan) on them.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build/asan}
work=${WORK:-/tmp/zel_ngram_check}
peers=${PEERS_DIR:-$root/../shared/peers}
chars=${CHARS:-500}

if [ ! -d "$work/corpus/real/neutral" ]; then
  echo "== making the real corpus in $work/corpus"
  /usr/bin/python3 "$peers/make_corpus.py" --out "$work/corpus" --sizes 1M --no-vrt >/dev/null
fi
echo "== counting n-grams"
python3 "$root/tools/zel/ngram_check.py" count --out "$work/model" --encoding utf-8 --chars "$chars" \
        --max-held-out 1000 "$work"/corpus/real/neutral/*/*.txt
python3 "$root/tools/zel/ngram_check.py" expect "$work/model"
echo "== library scores"
cmake --build "$build" --target test_zel_models >/dev/null
(cd "$root/tests" && QZ_TEST_DATA="$root/tests/data" QZ_NGRAM_CHECK_DIR="$work/model" \
   "$build/tests/test_zel_models" --gtest_filter='NgramReference.*')
