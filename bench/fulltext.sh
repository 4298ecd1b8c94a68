#!/usr/bin/env bash
# Full-text build and query benchmark beside Xapian: bench/run.sh fulltext [FILES [REPEAT]]
#
# Makes the real corpus (../shared/peers/make_corpus.py; installs its Debian
# packages and python3-xapian when missing), turns it into the full-text
# input in FILES files (default 8, tools/make_fulltext_input.py), builds the
# index with a release build of the library, then indexes the same words with
# Xapian and checks that N, every term's df and the per-field counts agree
# (tools/compare_fulltext_xapian.py). Then 20 ranked queries run through the
# library's C++ interface (the tests' fulltext_ranking program: the exported
# functions do not reach the full-text search) and through Xapian, REPEAT
# times each (default 50): their ten best documents are checked against BM25
# from Xapian's statistics, and both query latencies are printed
# (tools/rank_fulltext_xapian.py). Work files go to BENCH_DIR (default
# /tmp/qav_bench).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/bench/common.bash"
files=${1:-8}
repeat=${2:-50}
work=${BENCH_DIR:-/tmp/qav_bench}
# The peers folder lies beside the checkout (or beside the worktrees' folder).
peers=${PEERS_DIR:-$root/../shared/peers}
[ -d "$peers" ] || peers=$root/../../shared/peers
release=$work/release
launcher=$(command -v ccache || true)
mkdir -p "$work"

if ! /usr/bin/python3 -c 'import jieba, xapian' 2>/dev/null || [ ! -e /usr/share/games/fortunes/chinese ]; then
  echo "== installing the corpus sources, jieba and python3-xapian"
  apt-get install -y python3-jieba python3-xapian fortunes-zh manpages-zh debian-reference-zh-cn >/dev/null
  apt-get install -y --no-install-recommends debian-faq-zh-cn maint-guide-zh-cn debian-edu-doc-zh-cn \
          gimp-help-zh-cn libreoffice-help-zh-cn >/dev/null
fi
if [ ! -d "$work/peer-data/real/neutral" ]; then
  echo "== making the real corpus"
  /usr/bin/python3 "$peers/make_corpus.py" --out "$work/peer-data" --sizes '' --no-vrt >/dev/null
fi
input=$work/fulltext_input_$files
rm -rf "$input" "$work/fulltext_index"
/usr/bin/python3 "$root/tools/make_fulltext_input.py" "$work/peer-data/real/neutral" "$input" --files "$files"

echo "== release build of the library"
release_build "$release" qavlib
bench_program "$root/bench/build_fulltext.cpp" "$release/build_fulltext" "$release"

echo "== IdxBM over $(du -sh --exclude=files.list "$input" | cut -f1) in $files files"
ours=$(cd "$input" && "$release/build_fulltext" config.txt files.list "$work/fulltext_index" 2>&1)
echo "$ours"
echo "== Xapian on the same words"
status=0
peer=$(/usr/bin/python3 "$root/tools/compare_fulltext_xapian.py" "$input" "$work/fulltext_index") || status=$?
echo "$peer"
# Ours reads and splits the text files; Xapian is handed the words already split.
ours_s=$(sed -n 's/.* \([0-9.]*\) s,.*/\1/p' <<<"$ours")
peer_s=$(sed -n 's/^Xapian indexing.*: \([0-9.]*\) s$/\1/p' <<<"$peer")
awk -v o="$ours_s" -v p="$peer_s" 'BEGIN { printf "ratio Xapian / IdxBM: %.2f\n", p / o }'

echo "== ranked queries, ours (release, C++ interface) and Xapian"
ranking=$work/release_ranking
cmake -S "$root" -B "$ranking" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      ${launcher:+-DCMAKE_CXX_COMPILER_LAUNCHER=ccache} >/dev/null
cmake --build "$ranking" --target fulltext_ranking >/dev/null
/usr/bin/python3 "$root/tools/rank_fulltext_xapian.py" "$input" "$work/fulltext_index" \
    "$ranking/tests/fulltext_ranking" "$repeat" || status=$?
exit $status
