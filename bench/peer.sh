#!/usr/bin/env bash
# Peer comparison: bench/run.sh peer [SIZE [RUNS]]
#
# Runs the public corpus engine of the peers folder beside ours on the same
# real corpus, in the same run, and prints:
#   1. both index builds: wall time, CPU time and peak memory, and the ratios;
#   2. the peer's 17 benchmark queries and our closest query to each, timed in
#      interleaved rounds (median of RUNS, default 11): peer query, its hits,
#      our query, our hits ("~" when approximate), both medians and the ratio;
#   3. our multi-word queries with the default result capacities and with the
#      raised ones this benchmark builds our index with.
# SIZE is a size of the corpus maker (default 100M). RUNS 0 compares the two
# index builds only. Only ratios within one run count: the machine's speed
# drifts.
#
# What it makes and keeps (reused when present): the Debian packages of the
# corpus maker; the peer's build in CWB_ROOT (default /tmp/peer-cwb); the
# corpus in PEER_DATA (default /tmp/peer-data); our input and index in
# BENCH_DIR/SIZE (default /tmp/qav_peer/SIZE); the release build of our
# library in BENCH_BUILD (default build-release in the repository). PEERS
# (default /work/shared/peers) is the peers folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/bench/common.bash"

size=${1:-100M}
runs=${2:-11}
peers=${PEERS:-/work/shared/peers}
export PEERS=$peers
export CWB_ROOT=${CWB_ROOT:-/tmp/peer-cwb}
data=${PEER_DATA:-/tmp/peer-data}
work=${BENCH_DIR:-/tmp/qav_peer}/$size
release=${BENCH_BUILD:-$root/build-release}
name=zh${size,,}
scaled=$data/scaled-$size

# The corpus maker reads the texts of these packages; the second list is
# optional to it (missing ones are skipped) and installed without their
# recommendations.
corpus_packages=(python3-jieba fortunes-zh manpages-zh debian-reference-zh-cn)
optional_packages=(debian-faq-zh-cn maint-guide-zh-cn debian-edu-doc-zh-cn gimp-help-zh-cn libreoffice-help-zh-cn)
missing_packages() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}
# install_packages [--no-install-recommends] PACKAGE...: those not installed.
install_packages() {
  local flags=() missing
  if [ "$1" = --no-install-recommends ]; then
    flags=("$1")
    shift
  fi
  mapfile -t missing < <(missing_packages "$@")
  [ ${#missing[@]} -eq 0 ] && return
  echo "== installing ${missing[*]}"
  [ -n "${apt_updated:-}" ] || { apt-get update -qq; apt_updated=1; }
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq ${flags[@]+"${flags[@]}"} "${missing[@]}" >/dev/null
}

install_packages "${corpus_packages[@]}"
install_packages --no-install-recommends "${optional_packages[@]}"

echo "== peer engine in $CWB_ROOT"
"$peers/build-cwb.sh" >/dev/null

if [ ! -f "$scaled/corpus.vrt" ]; then
  echo "== making the $size corpus in $data"
  /usr/bin/python3 "$peers/make_corpus.py" --out "$data" --sizes "$size" >&2
fi
mkdir -p "$work"
if [ ! -f "$work/input/corpus.list" ]; then
  echo "== converting the corpus to our input in $work/input"
  python3 "$peers/make_corpus_input.py" "$scaled/neutral" "$work/input" --files 32
fi

echo "== release build of the library in $release"
release_build "$release" qavlib
bench_program "$root/bench/build_index.cpp" "$release/build_index" "$release"
bench_program "$root/bench/query_server.cpp" "$release/query_server" "$release"

compare=("$(command -v python3)" "$root/bench/peer_compare.py")
echo "== index builds of $scaled ($(python3 -c 'import json,sys; s=json.load(open(sys.argv[1])); print("{:,} tokens, {:,} sentences".format(s["tokens"], s["sentences"]))' "$scaled/stats.json" 2>/dev/null || echo "?"))"
"${compare[@]}" build "$work" "$name" "$scaled/corpus.vrt" "$work/input" "$release"
[ "$runs" = 0 ] && exit 0
echo "== queries"
"${compare[@]}" queries "$work" "$name" "$runs" "$release" "$root/utils/Parser.lua"
"${compare[@]}" default "$work" "$name" "$release" "$root/utils/Parser.lua"
