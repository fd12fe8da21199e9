#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build/fuzz and runs each for RUNS executions
# (default 20000) from its seeds in tests/fuzz/tohum/, on a scratch copy of the corpus.
# Prints one line per target; exits 1 at the first finding (libFuzzer keeps the input as
# build/fuzz/crash-*), 0 when every target ran clean. Without clang it says so and exits 0.
set -euo pipefail
cd "$(dirname "$0")/.."
kosu=${1:-20000}
if ! command -v clang++ >/dev/null; then
  echo "fuzz: clang yok, fuzz hedefleri atlandi" >&2
  exit 0
fi
hedefler=(ayar liste onbellek haber imza utf8 json paket)
cmake -S . -B build/fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DMORVATAN_FUZZ=ON -DMORVATAN_TESTLER=OFF -DMORVATAN_OLCUMLER=OFF >/dev/null
cmake --build build/fuzz -j"$(nproc)" --target "${hedefler[@]/%/_fuzz}" >/dev/null
gecici=$(mktemp -d)
trap 'rm -rf "$gecici"' EXIT
for ad in "${hedefler[@]}"; do
  mkdir -p "$gecici/$ad"
  cp tests/fuzz/tohum/"$ad"/* "$gecici/$ad/"
  bas=$(date +%s%N)
  if ! (cd build/fuzz && ./tests/fuzz/"${ad}"_fuzz -runs="$kosu" -max_len=4096 -print_final_stats=1 \
        "$gecici/$ad" > "$gecici/$ad.log" 2>&1); then
    tail -30 "$gecici/$ad.log" >&2
    echo "fuzz: $ad bulgu verdi" >&2
    exit 1
  fi
  ms=$(( ($(date +%s%N) - bas) / 1000000 ))
  yapilan=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$gecici/$ad.log" | grep -o '[0-9]*$')
  kapsam=$(grep -o 'cov: [0-9]*' "$gecici/$ad.log" | tail -1 | grep -o '[0-9]*')
  printf 'fuzz %-9s %10s calisma, %4d.%03d s, kapsam %s, bulgu yok\n' "$ad" "$yapilan" $((ms / 1000)) $((ms % 1000)) "$kapsam"
done
