#!/usr/bin/env bash
# Sets up a Debian machine for the launcher and builds it, then either starts a whole local
# world with the launcher in it ("calistir", tools/dunya.sh) or runs every test, side by side
# ("test").
set -euo pipefail
cd "$(dirname "$0")/.."

eylem=${1:-}
case "$eylem" in calistir|test) ;; *) echo "kullanim: tools/kur.sh calistir|test" >&2; exit 2 ;; esac
if [ "$eylem" = calistir ] && [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "Ekran yok (DISPLAY bos); launcher'i gormek icin bir masaustunde calistir ya da sanal ekranla: xvfb-run -a -s '-screen 0 1920x1080x24' bash tools/kur.sh calistir" >&2
  exit 1
fi

# What the launcher and the world need; the tests add a virtual display, OCR and the fuzzers.
paketler=(build-essential cmake pkg-config libglfw3-dev libenet-dev libstb-dev libgl-dev libsodium-dev
          libgl1-mesa-dri libgtest-dev libx11-dev curl openssl python3 procps)
[ "$eylem" = test ] && paketler+=(xvfb x11-utils xdotool imagemagick tesseract-ocr tesseract-ocr-eng
                                  clang libclang-rt-14-dev debootstrap binutils nginx squid varnish
                                  x11-xserver-utils x11-xkb-utils)

eksikler=()
for p in "${paketler[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || eksikler+=("$p")
done
if [ ${#eksikler[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update
  # nginx, squid and Varnish are started by the tests on loopback ports of their own; their
  # packages must not start system-wide daemons (on port 80, 3128, 6081) while installing.
  yasak=/usr/sbin/policy-rc.d
  koydum=0
  if [ ! -e "$yasak" ]; then
    printf '#!/bin/sh\nexit 101\n' | $sudo tee "$yasak" >/dev/null
    $sudo chmod 755 "$yasak"
    koydum=1
  fi
  kuruldu=1
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${eksikler[@]}" || kuruldu=0
  if [ "$koydum" = 1 ]; then $sudo rm -f "$yasak"; fi
  if [ "$kuruldu" = 0 ]; then exit 1; fi
fi

zorunlu=OFF
# The test command fails, not skips, a package journey it cannot run, and fails on a warning.
[ "$eylem" = test ] && zorunlu=ON
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVATAN_KOK_ZORUNLU=$zorunlu -DMORVATAN_UYARI_HATA=$zorunlu
# The whole local world needs the launcher, the demo game, the reference game server and the
# operator's tool; nothing of the tests, fuzzers or benchmarks.
if [ "$eylem" = calistir ]; then
  cmake --build build -j"$(nproc)" --target MorvatanLauncher demo_oyun oyun_sunucusu morvatan-liste
  exec bash tools/dunya.sh build
fi
# The player's package is built on the oldest base it supports, and tried on minimal roots of
# that base and of the newest Debian with only what a desktop has (and a bare base for the
# operator's tool). Making the roots waits mostly on the network, so it runs beside the build.
mkdir -p build
masaustu=(libgl1-mesa-dri libx11-6 xvfb curl ca-certificates)
{
  bash tools/paket.sh build/paket &&
    bash tools/kok.sh bullseye build/kokler/bullseye "${masaustu[@]}" &&
    bash tools/kok.sh bullseye build/kokler/bullseye-temel
} >build/paket.log 2>&1 &
paket_isi=$!
bash tools/kok.sh trixie build/kokler/trixie "${masaustu[@]}" >build/kok-trixie.log 2>&1 &
trixie_isi=$!
cmake --build build -j"$(nproc)"
wait "$paket_isi" || { cat build/paket.log >&2; echo "kur: paket ya da kokler yapilamadi" >&2; exit 1; }
wait "$trixie_isi" || { cat build/kok-trixie.log >&2; echo "kur: Debian 13 koku yapilamadi" >&2; exit 1; }
# Every parser of outside input meets a short fuzzing run first (bench/fuzz.sh runs them long).
bash tools/fuzz.sh 20000
# Every window test starts a virtual display of its own (tests/kendi_ekrani.sh), so tests run
# side by side; most of them wait on windows, servers and transfers, so twice as many as
# there are cores keeps the cores busy.
exec ctest --test-dir build -j"$(( $(nproc) * 2 ))" --output-on-failure
