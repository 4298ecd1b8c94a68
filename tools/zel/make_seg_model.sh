#!/usr/bin/env bash
# Builds the segmentation model and the part-of-speech dictionary from the real
# corpus and checks them against jieba on the held-out documents.
#   tools/zel/make_seg_model.sh [OUT_DIR]   (default /tmp/zel_seg)
# Needs a release build of the grammar library (made here in OUT_DIR/release)
# and the corpus of make_corpus.py (made in PEER_DATA, default /tmp/peer-data,
# when it is not there yet; see /work/shared/peers/README.md for its packages).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
here=$root/tools/zel
out=${1:-/tmp/zel_seg}
peer_data=${PEER_DATA:-/tmp/peer-data}
peers=${PEERS_DIR:-$root/../../shared/peers}
mkdir -p "$out"

if [ ! -f "$peer_data/real/files.list" ]; then
  /usr/bin/python3 "$peers/make_corpus.py" --out "$peer_data" --sizes ""
fi
corpus=$peer_data/real

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$out/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQZ_BUILD_TESTS=OFF "${launcher[@]}" >/dev/null
cmake --build "$out/release" --target zellib >/dev/null
lib=$out/release/libzellib.so

/usr/bin/python3 "$here/crf_train.py" "$corpus" "$here/crf_heldout.txt" "$out/seg_model.txt" \
    --epochs "${EPOCHS:-6}" --max-chars "${MAX_CHARS:-3000000}"
/usr/bin/python3 -c "
import sys; sys.path.insert(0, '$here')
from seg_lib import SegLib
sys.exit(0 if SegLib('$lib').compile_model('$out/seg_model.txt', '$out/seg_model.bin') else 1)" >/dev/null
/usr/bin/python3 "$here/make_pos_dict.py" "$corpus" "$here/crf_heldout.txt" "$out/pos_dict.bin"
/usr/bin/python3 "$here/crf_eval.py" "$lib" "$out/seg_model.bin" "$out/pos_dict.bin" "$corpus" "$here/crf_heldout.txt"
