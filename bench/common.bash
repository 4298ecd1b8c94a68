# Helpers of the benchmark scripts; sourced by them, not a benchmark itself.

# release_build DIR TARGET...: a release build of the project (no tests) in DIR.
release_build() {
  local dir=$1 launcher=()
  shift
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQZ_BUILD_TESTS=OFF "${launcher[@]}" >/dev/null
  cmake --build "$dir" --target "$@" >/dev/null
}

# bench_program SOURCE OUTPUT LIBRARY_DIR: a benchmark driver linked only
# against the shared retrieval library of LIBRARY_DIR.
bench_program() {
  g++ -O2 -std=c++17 -Wall -Wextra -I"$root" "$1" -L"$3" -lqavlib -Wl,-rpath,"$3" -o "$2"
}

# index_config COUNT_THREADS THREADS: an index configuration with tables sized
# for millions of units; THREADS offset and sorting threads.
index_config() {
  cat <<JSON
{"FileInfo":{"Data":"Data","Offset":"Offset","WordList":"WordList.dat","Unit":"Unit.dat","OrgDat":"Org.dat",
 "SentInfo":"SentInfo.dat","DocInfo":"DocInfo.txt","CatTable":"CatTable.txt"},
 "SizeInfo":{"ThreadNum_Count":$1,"ThreadNum_Offset":$2,"ThreadNum_Sort":$2,
 "HashSize_IdxUnit":4194304,"HashSize_WordList":1048576,"HashSize_SentInfo":"1048576"}}
JSON
}

# stage_times INDEX_DIR: the time of every build stage and the total, from the
# stage lines of the build log ("  [NAME] done, SECONDS s").
stage_times() {
  sed -n 's/^  \[\(.*\)\] \(done,\|failed after\) \([0-9.]*\) s$/\3 \1/p; s/^  \[Total\] \([0-9.]*\) s$/\1 Total/p' \
      "$1"/qav_idx_*.log | awk '{ t = $1; $1 = ""; printf "  %-48s %9.3f s\n", substr($0, 2), t }'
}

# generated_corpus SIZE_MB DIR: a corpus of about SIZE_MB megabytes made from
# the sample text in DIR, unless DIR already holds one.
generated_corpus() {
  if [ ! -f "$2/corpus.lst" ]; then
    echo "== generating a corpus of about $1 MB in $2"
    python3 "$root/tools/make_bench_corpus.py" "$1" "$2" >/dev/null
  fi
}
