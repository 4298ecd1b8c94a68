#!/usr/bin/env bash
# Lattice benchmark: bench/run.sh lattice [SENTENCES]
#
# Builds a lattice for each of the first SENTENCES (default 10,000) sentences
# of the real corpus (PEER_DATA/real, made by ../shared/peers/make_corpus.py;
# default /tmp/peer-data), from plain text and from its jieba-tagged JSON form,
# prints each back, and reports lattices per second and the peak memory.
# Without the real corpus, the sentences of the committed sample text are
# taken, repeated up to the count.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
count=${1:-10000}
work=${LATTICE_BENCH_DIR:-/tmp/zel_lattice_bench}
corpus=${PEER_DATA:-/tmp/peer-data}/real
mkdir -p "$work"

if [ -f "$corpus/files.list" ]; then
  echo "== $count sentences of the real corpus in $corpus"
  /usr/bin/python3 "$root/bench/lattice_input.py" "$corpus" "$count" "$work/input" >/dev/null
else
  echo "== no real corpus in $corpus: the sample text's sentences, repeated to $count"
  mkdir -p "$work/sample/neutral"
  iconv -f GBK -t UTF-8 "$root/tests/data/sample/prose.txt" |
    grep -v -e '^#' -e '=' -e '^Item:' -e '^$' >"$work/sample/neutral/prose.txt"
  for _ in $(seq $(( count / $(wc -l <"$work/sample/neutral/prose.txt") + 1 ))); do
    echo neutral/prose.txt
  done >"$work/sample/files.list"
  /usr/bin/python3 "$root/bench/lattice_input.py" "$work/sample" "$count" "$work/input" >/dev/null
fi

echo "== release build of the lattice driver"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$work/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQZ_BUILD_TESTS=ON "${launcher[@]}" >/dev/null
cmake --build "$work/release" --target zel_lattice_bench -j 3 >/dev/null
"$work/release/tests/zel_lattice_bench" "$work/input/plain.txt" "$work/input/json.txt"
