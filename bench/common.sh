# Set-up shared by the benchmarks, sourced after "set -euo pipefail": the
# repository root, the work directory (BENCH_DIR, default /tmp/qav_bench),
# the release build directory in it and the generated corpora.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work=${BENCH_DIR:-/tmp/qav_bench}
release=$work/release
mkdir -p "$work"

# Configures the release build (without tests) and builds the given targets.
build_release() {
  cmake -S "$root" -B "$release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQZ_BUILD_TESTS=OFF >/dev/null
  cmake --build "$release" --target "$@" >/dev/null
}

# Sets corpus to the generated corpus of about $1 MB, generating it once.
use_corpus() {
  corpus=$work/corpus_${1}mb
  if [ ! -f "$corpus/corpus.lst" ]; then
    echo "== generating a corpus of about $1 MB"
    python3 "$root/tools/make_bench_corpus.py" "$1" "$corpus" >/dev/null
  fi
}
