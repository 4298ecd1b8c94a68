#!/usr/bin/env bash
# Installs what is missing, builds the libraries and shows what they do on the
# bundled sample: an index built by the host program "qav", its summary, and
# queries on it.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/install-deps.sh

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQZ_BUILD_TESTS=OFF \
      -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null
cmake --build "$build" -j "$(nproc)"

echo
echo "Built: $build/libqavlib.so, $build/libzellib.so and $build/tools/qav/qav"
echo "Exported by libqavlib.so:"
nm -D --defined-only "$build/libqavlib.so" | awk '{print "  " $3}' | grep -vE ' _(init|fini|edata|end)$| __bss_start$'

qav=$root/$build/tools/qav/qav
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The corpus list names the sample files with absolute paths.
sample=$root/tests/data/sample
grep -vE '^[[:space:]]*(#|$)' "$sample/corpus.lst" | sed "s|^|$sample/|" > "$work/corpus.lst"
# The configuration is GBK like the corpus; the clause separators let "*" and
# "^" tell clauses apart.
iconv -f UTF-8 -t GBK > "$work/config.json" <<'JSON'
{"FileInfo": {"Data": "Data", "Offset": "Offset", "WordList": "WordList.dat", "Unit": "Unit.dat",
              "OrgDat": "Org.dat", "SentInfo": "SentInfo.dat", "DocInfo": "DocInfo.txt",
              "CatTable": "CatTable.txt"},
 "SizeInfo": {"HashSize_IdxUnit": 4099, "HashSize_WordList": 4099, "HashSize_SentInfo": "4099"},
 "Clause Seperator": ["，", "。", "？", "！", "；"]}
JSON

echo
echo "== qav index: the sample corpus ($(wc -l < "$work/corpus.lst") files) into $work/index"
"$qav" index "$work/config.json" "$work/corpus.lst" "$work/index" > "$work/index.out"
tail -n 1 "$work/index.out"

echo
echo "== The index directory"
(cd "$work/index" && find . -type f ! -name 'qav_idx_*.log' -printf '  %-22P %10s bytes\n' | sort)
echo "== Engine.txt"
sed 's/^/  /' "$work/index/Engine.txt"

# The host program finds utils/Parser.lua under the working directory.
cd "$root"

# Prints an answer without the engine's banner lines, one context line a line,
# and at most 20 lines of it; the queries ask for narrow context lines.
show() {
  grep -vE '^(QAV engine|Cache:)' | sed 's/", "/",\n\t\t"/g' |
    awk 'NR <= 20 { print } NR == 21 { print "\t\t..." }'
}

echo
echo "== qav query --lua: the program of a query"
"$qav" query --lua "$work/index" '(~)的/uj(~) => freq $1的$2 20' | show

echo "== qav query: a Lua program"
"$qav" query "$work/index" $'return "1 + 1 = " .. (1 + 1)\n' | show

queries=(
  '围城 => ctx 8'
  '<r> <v> => ctx 4 0 4 src'
  '$NP=北京 => ctx 6'
  '婚姻 * 围城'
  '(~)的/uj(~) => freq $1的$2 8'
  '$NP=(~) => freq $1 8'
  '人 => count'
  '人 [(0,20000);(20001,4294967295)] => count'
)
echo
echo "== qav query: answers on the sample"
for q in "${queries[@]}"; do
  echo "-- query: $q"
  "$qav" query "$work/index" "$q" | show
done

# The HTTP service on the same index: one request to each route.
echo
echo "== qav serve: one request to each route"
port=""
for _ in 1 2 3 4 5; do
  candidate=$((20000 + RANDOM % 20000))
  "$qav" serve "$work/index" "$candidate" > "$work/serve.out" 2>&1 &
  server=$!
  for _ in $(seq 50); do
    if curl -s "http://127.0.0.1:$candidate/isactive" > /dev/null 2>&1; then port=$candidate; break; fi
    kill -0 "$server" 2>/dev/null || break
    sleep 0.1
  done
  [ -n "$port" ] && break
  kill "$server" 2>/dev/null || true
  wait "$server" 2>/dev/null || true
done
if [ -z "$port" ]; then
  echo "(the service did not start)"
  exit 1
fi
trap 'kill "$server" 2>/dev/null || true; rm -rf "$work"' EXIT

request() {
  echo "-- $1"
  shift
  curl -s "$@" | show
  echo
}
url=http://127.0.0.1:$port
request "GET /isactive" "$url/isactive"
request "GET /version" "$url/version"
request "POST /struct (a query)" --data-binary '围城 => ctx 6' "$url/struct"
request "POST /qav (query, conditions, limits)" \
  --data-binary '{"query":"的/uj => freq $Q 5","condition":[],"limit":[[0,4294967295]]}' "$url/qav"
# A source id from a context row, as the answer's JSON escapes it.
id=$(curl -s --data-binary '<r> <v> => ctx 4 0 30 src' "$url/struct" |
     sed -n 's/.*SourceID\\":\\t\\"\([0-9A-Za-z]*\)\\".*/\1/p')
request "GET /showsource?id=$id&w=12" "$url/showsource?id=$id&w=12"

kill -TERM "$server"
wait "$server" || true
echo "== the service stopped on SIGTERM"
