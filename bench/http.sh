#!/usr/bin/env bash
# HTTP service benchmark: bench/run.sh http [SIZE_MB] [SECONDS]
#
# Builds a release qav program, an index of a generated corpus of about
# SIZE_MB megabytes (default 2), starts "qav serve" on a free port of
# 127.0.0.1 and runs a load client of our own with 1, 8 and 64 concurrent
# clients for SECONDS each (default 5), first with a cheap query (a program
# that returns at once) and then with a costly one (a frequency list over
# every hit of a common word). It prints answers per second and the p50 and
# p99 latency. Beside them it prints the median latency of the same query run
# in process through the exported query entry on the same index, which the
# p50 of one client over HTTP should stay close to. Work files go to
# BENCH_DIR (default /tmp/qav_bench).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/bench/common.bash"
size=${1:-2}
seconds=${2:-5}
work=${BENCH_DIR:-/tmp/qav_bench}
release=$work/release
mkdir -p "$work"

echo "== release build of the library and the qav program"
release_build "$release" qav
g++ -O2 -std=c++17 -pthread "$root/bench/http_load.cpp" -o "$release/http_load"
bench_program "$root/bench/query_latency.cpp" "$release/query_latency" "$release"

corpus=$work/corpus_${size}mb
generated_corpus "$size" "$corpus"
index=$work/http_index_${size}mb
if [ ! -f "$index/config.txt" ]; then
  echo "== building its index"
  cat > "$work/http_config.json" <<JSON
{"FileInfo":{"Data":"Data","Offset":"Offset","WordList":"WordList.dat","Unit":"Unit.dat","OrgDat":"Org.dat",
 "SentInfo":"SentInfo.dat","DocInfo":"DocInfo.txt","CatTable":"CatTable.txt"},
 "SizeInfo":{"HashSize_IdxUnit":1048576,"HashSize_WordList":262144,"HashSize_SentInfo":"262144"}}
JSON
  "$release/tools/qav/qav" index "$work/http_config.json" "$corpus/corpus.lst" "$index" >/dev/null
fi

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
(cd "$root" && exec "$release/tools/qav/qav" serve "$index" "$port") >"$work/http_serve.log" 2>&1 &
server=$!
trap 'kill -TERM $server 2>/dev/null; wait $server 2>/dev/null || true' EXIT
for _ in $(seq 600); do
  if python3 - "$port" 2>/dev/null <<'PY'
import socket, sys
socket.create_connection(("127.0.0.1", int(sys.argv[1])), timeout=1).close()
PY
  then break; fi
  sleep 0.1
done
echo "service on 127.0.0.1:$port, index $(du -sh "$index" | cut -f1)"

# in_process BODY: median ms of BODY run 200 times in this process's own
# engine through the exported query entry (its output: the row after the header).
in_process() {
  "$release/query_latency" "$root/utils/Parser.lua" "$index" 200 "$1" 2>/dev/null |
    awk '/median ms/ { getline; print substr($0, 27, 10) + 0 }'
}

run() {
  local title=$1 path=$2 body=$3
  echo "== $title"
  echo "in process: median $(in_process "$body") ms"
  for clients in 1 8 64; do
    "$release/http_load" "$port" "$path" "$body" "$clients" "$seconds"
  done
}
run "cheap query: a program that returns at once" /struct $'return 1\n'
run "costly query: (~)的/uj(~) => freq \$1的\$2 20" /struct '(~)的/uj(~) => freq $1的$2 20'
