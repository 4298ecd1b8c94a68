#!/usr/bin/env bash
# Runs one benchmark: bench/run.sh NAME [ARGS...] runs bench/NAME.sh.
# Benchmarks print their own figures and are never part of the test run.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
name=${1:-}
# run.sh and common.sh (the shared set-up) are no benchmarks.
if [ -z "$name" ] || [ "$name" = run ] || [ "$name" = common ] || [ ! -f "$here/$name.sh" ]; then
  echo "usage: bench/run.sh NAME [ARGS...]; benchmarks:" >&2
  for script in "$here"/*.sh; do
    case "$(basename "$script" .sh)" in run | common) ;; *) echo "  $(basename "$script" .sh)" >&2 ;; esac
  done
  exit 2
fi
shift
exec bash "$here/$name.sh" "$@"
