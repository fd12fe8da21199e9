#!/usr/bin/env bash
# Packaging: `cmake --install` and `cpack` lay out exactly a player's run-time directory (no
# operator tool, no demo game), the launcher executable, and the unpacked launcher starts
# from anywhere and finds its files (it refuses to run without veri/font, so a window proves it).
# Usage: paket_test.sh BUILD_DIR
set -euo pipefail
yapi=$(cd "$1" && pwd)
is=$(mktemp -d /tmp/morvatan-paket-XXXXXX)
pid=""
trap 'if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi; rm -rf "$is"' EXIT
hata() { echo "paket: $*" >&2; exit 1; }

cmake --install "$yapi" --prefix "$is/kurulum" >/dev/null
beklenen=$(cd "$yapi/launcher" && { echo MorvatanLauncher; echo varsayilan.ini; find veri -type f; } | sort)
gelen=$(cd "$is/kurulum" && find . -type f | sed 's|^\./||' | sort)
[ "$gelen" = "$beklenen" ] || hata "cmake --install laid out something else: $(diff <(echo "$beklenen") <(echo "$gelen"))"
[ -x "$is/kurulum/MorvatanLauncher" ] || hata "the launcher is not executable"

(cd "$is" && cpack --config "$yapi/CPackConfig.cmake" -B "$is/cikti" >/dev/null)
arsiv="$is/cikti/MorvatanOnline-linux-x86_64.tar.gz"
[ -f "$arsiv" ] || hata "no archive: $(ls "$is/cikti")"
mkdir "$is/acilmis"
tar -xzf "$arsiv" -C "$is/acilmis"
gelen=$(cd "$is/acilmis/MorvatanOnline-linux-x86_64" && find . -type f | sed 's|^\./||' | sort)
[ "$gelen" = "$beklenen" ] || hata "the archive holds something else: $(diff <(echo "$beklenen") <(echo "$gelen"))"

# Started from another directory, the unpacked launcher opens its window; the player owns
# every file, so it can update itself in place.
exe="$is/acilmis/MorvatanOnline-linux-x86_64/MorvatanLauncher"
[ -w "$exe" ] || hata "the unpacked launcher is not writable by its owner"
printf 'kisayol=1\n' > "$is/acilmis/MorvatanOnline-linux-x86_64/launcher.ini"
(cd / && HOME="$is" exec "$exe" 2>"$is/stderr.txt") &
pid=$!
for _ in $(seq 100); do
  xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1 && break
  kill -0 "$pid" 2>/dev/null || hata "the unpacked launcher ended: $(cat "$is/stderr.txt")"
  sleep 0.1
done
xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1 || hata "the unpacked launcher showed no window"
kill "$pid"
wait "$pid" 2>/dev/null || true
echo "paket: tamam"
