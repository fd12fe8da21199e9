#!/usr/bin/env bash
# Builds the player's package on the oldest base it supports: inside a minimal Debian 11 root
# (glibc 2.31, made by tools/kok.sh and kept for the next run), with the C++ runtime and
# libsodium linked in and GLFW and ENet carried in lib/. Writes into OUT_DIR (default
# build/paket):
#   MorvatanOnline-linux-x86_64.tar.gz        the player's first download, stripped
#   MorvatanOnline-linux-x86_64-debug.tar.gz  the debug information stripped from it, for the operator
#   morvatan-liste                            the operator's tool, needing only the C library
#   demo_oyun                                 the demo game, built the same way (for the local world)
#
# Usage: bash tools/paket.sh [OUT_DIR]        (as root, or through sudo; needs the network once)
# Environment: MORVATAN_YAYIN=DIR  the signed folder the package goes with: its sequence becomes
#              the package's imza_sira (see docs/operator.md)
set -euo pipefail
kok=$(cd "$(dirname "$0")/.." && pwd)
cikti=${1:-$kok/build/paket}
mkdir -p "$cikti"
cikti=$(cd "$cikti" && pwd)
if [ "$(id -u)" -ne 0 ]; then exec sudo MORVATAN_YAYIN="${MORVATAN_YAYIN:-}" bash "$0" "$cikti"; fi

yapi_koku=$kok/build/kokler/bullseye-yapi
bash "$kok/tools/kok.sh" bullseye "$yapi_koku" \
  g++ make cmake pkg-config libglfw3-dev libenet-dev libstb-dev libgl-dev libsodium-dev libx11-dev

# The source as it stands (tracked and new files, not what git ignores), with its times kept,
# so the build inside the root stays incremental.
rm -rf "$yapi_koku/kaynak" "$yapi_koku/yayin" "$yapi_koku/cikti"
mkdir -p "$yapi_koku/kaynak" "$yapi_koku/cikti"
if git -C "$kok" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  (cd "$kok" && git ls-files -z -co --exclude-standard | xargs -0 -r sh -c 'for f; do [ -e "$f" ] && printf "%s\0" "$f"; done' sh |
     tar --null -T - -cf -) | tar -C "$yapi_koku/kaynak" -xf -
else
  tar -C "$kok" --exclude=./build --exclude='./build-*' --exclude=./.git -cf - . | tar -C "$yapi_koku/kaynak" -xf -
fi
yayin_secenegi=""
if [ -n "${MORVATAN_YAYIN:-}" ]; then
  mkdir -p "$yapi_koku/yayin"
  cp "$MORVATAN_YAYIN/dosyalar-linux.txt.imza" "$yapi_koku/yayin/"
  yayin_secenegi=-DMORVATAN_YAYIN=/yayin
fi

ad=MorvatanOnline-linux-x86_64
bash "$kok/tools/kok.sh" --calistir "$yapi_koku" /bin/sh -c '
  set -e
  cmake -S /kaynak -B /yapi -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVATAN_PAKET=ON \
        -DMORVATAN_TESTLER=OFF -DMORVATAN_OLCUMLER=OFF '"$yayin_secenegi"' >/dev/null
  cmake --build /yapi -j"$(nproc)" --target MorvatanLauncher morvatan-liste demo_oyun
  cmake --install /yapi --prefix /cikti/'"$ad"' --component oyuncu >/dev/null
  cp /yapi/tools/morvatan-liste /yapi/launcher/demo_oyun /cikti/
  # The debug information goes to files of its own, linked by name from the stripped ones.
  mkdir -p /cikti/debug
  cd /cikti
  for f in '"$ad"'/MorvatanLauncher morvatan-liste demo_oyun; do
    objcopy --only-keep-debug "$f" "debug/$(basename "$f").debug"
    objcopy --strip-all --add-gnu-debuglink="debug/$(basename "$f").debug" "$f"
  done
  strip --strip-unneeded '"$ad"'/lib/*.so*'

cd "$yapi_koku/cikti"
tar --sort=name --owner=0 --group=0 --numeric-owner -czf "$cikti/$ad.tar.gz" "$ad"
tar --sort=name --owner=0 --group=0 --numeric-owner -czf "$cikti/$ad-debug.tar.gz" -C debug .
install -m 755 morvatan-liste demo_oyun "$cikti/"
echo "paket: $cikti/$ad.tar.gz ($(du -k "$cikti/$ad.tar.gz" | cut -f1) KiB)"
