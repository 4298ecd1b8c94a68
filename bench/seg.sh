#!/usr/bin/env bash
# Segmentation and tagging benchmark: bench/run.sh seg [SENTENCES]
#
# Segments the held-out sentences of the real corpus (tools/zel/crf_heldout.txt;
# all of them, or the first SENTENCES) with the library's CRF segmentation and
# tags jieba's words of the same sentences with its part-of-speech tagger, and
# runs python3-jieba's own segmentation and tagging over the same sentences in
# the same run; prints characters per second and the ratios. The model and the
# dictionary are made by tools/zel/make_seg_model.sh into SEG_DIR (default
# /tmp/zel_seg) when they are not there yet.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seg_dir=${SEG_DIR:-/tmp/zel_seg}
if [ ! -f "$seg_dir/seg_model.bin" ] || [ ! -f "$seg_dir/pos_dict.bin" ]; then
  echo "== building the segmentation model and dictionary in $seg_dir"
  "$root/tools/zel/make_seg_model.sh" "$seg_dir"
fi
echo "== release build of the library"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$seg_dir/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQZ_BUILD_TESTS=OFF "${launcher[@]}" >/dev/null
cmake --build "$seg_dir/release" --target zellib >/dev/null
/usr/bin/python3 "$root/bench/seg_speed.py" "$seg_dir/release/libzellib.so" "$seg_dir" \
    "${PEER_DATA:-/tmp/peer-data}/real" "$root/tools/zel/crf_heldout.txt" "${1:-0}"
