#!/usr/bin/env bash
# Runs one benchmark: bench/run.sh NAME [ARGS...] runs bench/NAME.sh.
# Benchmarks print their own figures and are never part of the test run.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
name=${1:-}
if [ -z "$name" ] || [ ! -f "$here/$name.sh" ]; then
  echo "usage: bench/run.sh NAME [ARGS...]; benchmarks:" >&2
  for script in "$here"/*.sh; do
    [ "$(basename "$script")" = run.sh ] || echo "  $(basename "$script" .sh)" >&2
  done
  exit 2
fi
shift
exec bash "$here/$name.sh" "$@"
