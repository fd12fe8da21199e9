#!/usr/bin/env bash
# Long fuzzing runs: every libFuzzer target for RUNS executions (default ten million) from its
# seeds. Prints executions, time, coverage and findings per target (see tools/fuzz.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
exec bash tools/fuzz.sh "${1:-10000000}"
