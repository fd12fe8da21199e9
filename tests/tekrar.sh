#!/usr/bin/env bash
# Runs the whole suite N times in a row on an existing build, side by side as the test
# command runs it, stopping at the first failure;
# with --yuklu, two CPU hogs (one per core of the development VM) run beside it all along,
# as another build or a busy CI neighbour would. Prints one line per run and exits non-zero
# when a run failed (its log stays in build/tekrar/).
# Usage: bash tests/tekrar.sh [--yuklu] N
set -euo pipefail
cd "$(dirname "$0")/.."
yuklu=0
if [ "${1:-}" = --yuklu ]; then yuklu=1; shift; fi
adet=${1:?kullanim: tests/tekrar.sh [--yuklu] N}
mkdir -p build/tekrar
if [ "$yuklu" = 1 ]; then
  for _ in 1 2; do (exec yes > /dev/null) & done
  trap 'kill $(jobs -p) 2>/dev/null || true' EXIT
fi
for i in $(seq "$adet"); do
  kayit="build/tekrar/$i.log"
  bas=$(date +%s)
  if ctest --test-dir build -j"$(( $(nproc) * 2 ))" --output-on-failure > "$kayit" 2>&1; then
    echo "tur $i: yesil ($(( $(date +%s) - bas )) s, $(grep -o '[0-9]* tests passed\|out of [0-9]*' "$kayit" | tail -1))"
  else
    echo "tur $i: KIRMIZI, kayit $kayit"
    grep -E '\*\*\*(Failed|Timeout)' "$kayit" || true
    exit 1
  fi
done
