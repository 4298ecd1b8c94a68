#!/usr/bin/env bash
# The layering check refuses an include that points up, one across the two
# libraries and one from a host program past include/, and passes the same
# tree once they are gone:  layering_test.sh PYTHON SCRIPTS_DIR
set -euo pipefail
python=$1 scripts=$2
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree"/{include,common/text,qav/index/engine,qav/search,zel/lattice,tools}
touch "$tree/include/qavlib.h" "$tree/common/text/encoding.h"
printf '#include "common/text/encoding.h"\n#include "qavlib.h"\n' > "$tree/qav/search/qav_search.h"
printf '#include "qav/search/qav_search.h"\n' > "$tree/qav/index/engine/qav_engine.h"
printf '#include "qav/index/engine/qav_engine.h"\n#include <vector>\n' > "$tree/zel/lattice/lattice.h"
printf '#include "qav/search/qav_search.h"\n#include "include/qavlib.h"\n' > "$tree/tools/main.cpp"

check() { "$python" "$scripts/check_layers.py" "$tree" "$scripts/layers.txt"; }
if out=$(check); then
  echo "upward includes passed:"; echo "$out"; exit 1
fi
echo "$out"
for expected in "qav/index/engine/qav_engine.h:1:" "zel/lattice/lattice.h:1:" "tools/main.cpp:1:"; do
  grep -qF "$expected" <<<"$out" || { echo "not refused: $expected"; exit 1; }
done
[[ $(grep -c ': includes ' <<<"$out") == 3 ]] || { echo "refused more than the three"; exit 1; }

sed -i 1d "$tree/qav/index/engine/qav_engine.h" "$tree/zel/lattice/lattice.h" "$tree/tools/main.cpp"
check
