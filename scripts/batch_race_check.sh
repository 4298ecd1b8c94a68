#!/usr/bin/env bash
# Runs a list of five files through "zel -files" on two worker threads and
# checks the five outputs. Built with the thread sanitizer (CMake option
# QZ_TSAN), the program stops at the first data race (halt_on_error) and the
# check fails.
#   batch_race_check.sh ZEL_PROGRAM FIXTURE_FOLDER   (tests/data/batch)
set -euo pipefail
zel=$(realpath "$1")
fixtures=$(realpath "$2")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# The fixtures are UTF-8; the engine reads GBK.
iconv -f UTF-8 -t GBK "$fixtures/rules.txt" > batch.txt
iconv -f UTF-8 -t GBK "$fixtures/colors.tab" > colors.tab
"$zel" -fsa batch.txt data > /dev/null
"$zel" -table colors.tab data > /dev/null || true  # the table mode always answers -1
printf '{"Type":"FSA","Path":"./data"}\n{"Type":"Table","Path":"./data"}\n' > config.txt
for i in 1 2 3 4 5; do
  iconv -f UTF-8 -t GBK "$fixtures/text.txt" > "in$i.txt"
  echo "in$i.txt"
done > list.txt

export TSAN_OPTIONS="halt_on_error=1 ${TSAN_OPTIONS:-}"
if ! "$zel" -files config.txt MAIN list.txt 2 > run.log 2>&1; then
  cat run.log
  echo "zel -files failed"
  exit 1
fi
failed=0
for i in 1 2 3 4 5; do
  if ! iconv -f GBK -t UTF-8 "in$i.txt_out" | cmp -s - "$fixtures/text_out.txt"; then
    echo "in$i.txt_out differs from text_out.txt"
    failed=1
  fi
done
[ "$failed" -eq 0 ] && echo "five outputs, no data race"
exit "$failed"
