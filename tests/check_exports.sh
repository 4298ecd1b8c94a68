#!/usr/bin/env bash
# Compares the dynamic symbols a shared library defines with the expected list
# (one symbol a line, '#' starts a comment). Exits non-zero on any difference.
set -euo pipefail
lib=$1 expected=$2
actual=$(nm -D --defined-only "$lib" | awk '{print $3}' \
         | { grep -vE '^(_init|_fini|_edata|_end|__bss_start)$' || true; } | sort -u)
wanted=$(sed -e 's/#.*//' -e 's/[[:space:]]*$//' "$expected" | { grep -v '^$' || true; } | sort -u)
if [ "$actual" != "$wanted" ]; then
  echo "exports of $(basename "$lib") differ from $(basename "$expected"):"
  diff <(echo "$wanted") <(echo "$actual") | sed -e 's/^</missing:/' -e 's/^>/unexpected:/' | grep -E '^(missing|unexpected)'
  exit 1
fi
echo "exports of $(basename "$lib"): $(echo "$actual" | wc -l) symbols as listed"
