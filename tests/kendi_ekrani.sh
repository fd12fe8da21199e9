#!/usr/bin/env bash
# Runs one test on a virtual X display of its own, so that tests which draw, click, type
# and read the screen can run side by side (ctest -j) without seeing each other's windows.
# Usage: kendi_ekrani.sh PROGRAM [ARGS...]   (listing a gtest program's tests needs no display)
# With EKRAN_KOKU=ROOT the X server is the one of that system root (tools/kok.sh), started
# inside it; clients on this side reach it through its abstract socket. EKRAN_BOYUTU gives
# the screen another size than 1920x1080x24.
set -uo pipefail
for arg in "$@"; do
  [ "$arg" = --gtest_list_tests ] && exec "$@"
done

# Xvfb picks a free display number itself and writes it to fd 3: no race with another
# test's server starting at the same moment. -noreset: a server that resets when its last
# client leaves refuses connections for a moment, and a launcher starting just then would
# find no display.
kok_onu=()
if [ -n "${EKRAN_KOKU:-}" ]; then
  [ -f "$EKRAN_KOKU/.morvatan-kok" ] || exec "$@"  # no root: the test itself says so
  kok_onu=(bash "$(dirname "$0")/../tools/kok.sh" --calistir "$EKRAN_KOKU")
fi
no_dosyasi=$(mktemp /tmp/morvatan-ekran-XXXXXX)
"${kok_onu[@]}" Xvfb -displayfd 3 -screen 0 "${EKRAN_BOYUTU:-1920x1080x24}" -noreset -nolisten tcp 3>"$no_dosyasi" 2>/dev/null &
x=$!
trap 'kill "$x" 2>/dev/null; wait "$x" 2>/dev/null; rm -f "$no_dosyasi"' EXIT
for _ in $(seq 600); do
  [ -s "$no_dosyasi" ] && [ -z "$(tail -c 1 "$no_dosyasi")" ] && break  # the whole line is there
  kill -0 "$x" 2>/dev/null || { echo "kendi_ekrani: Xvfb baslamadi" >&2; exit 1; }
  sleep 0.02
done
no=$(head -n 1 "$no_dosyasi")
[ -n "$no" ] || { echo "kendi_ekrani: Xvfb 12 s icinde ekran numarasi vermedi" >&2; exit 1; }

# Not exec: the display must outlive the test and be ended after it.
DISPLAY=":$no" "$@"
