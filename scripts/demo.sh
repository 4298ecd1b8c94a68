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
cat > "$work/config.json" <<'JSON'
{"FileInfo": {"Data": "Data", "Offset": "Offset", "WordList": "WordList.dat", "Unit": "Unit.dat",
              "OrgDat": "Org.dat", "SentInfo": "SentInfo.dat", "DocInfo": "DocInfo.txt",
              "CatTable": "CatTable.txt"},
 "SizeInfo": {"HashSize_IdxUnit": 4099, "HashSize_WordList": 4099, "HashSize_SentInfo": "4099"}}
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
queries=('围城' '一座<n>' '<nr>' '$NP' '婚姻 * 围城' '(~)的/uj(~) => freq $1的$2 20')

echo
echo "== qav query --lua: the programs the parser script makes"
for q in "${queries[@]}"; do
  echo "-- query: $q"
  "$qav" query --lua "$work/index" "$q" | grep -vE '^(QAV engine|Cache:)'
done

echo "== qav query: a Lua program"
"$qav" query "$work/index" $'return "1 + 1 = " .. (1 + 1)\n' | grep -vE '^(QAV engine|Cache:)'

# Query sentences are answered once the engine's query functions are bound.
bound=$("$qav" query "$work/index" $'return type(GetAS) .. type(Output)\n' | tail -n 1)
echo
if [ "$bound" = "functionfunction" ]; then
  echo "== qav query: answers"
  for q in "${queries[@]}"; do
    echo "-- query: $q"
    "$qav" query "$work/index" "$q" | grep -vE '^(QAV engine|Cache:)'
  done
else
  echo "(The query functions GetAS and Output are not in this build yet: queries are shown as programs only.)"
fi
