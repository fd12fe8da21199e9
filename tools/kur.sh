#!/usr/bin/env bash
# Sets up a Debian machine for the launcher and builds it, then either starts the launcher in
# its run-time directory ("calistir") or runs every test under a virtual X server ("test").
set -euo pipefail
cd "$(dirname "$0")/.."

eylem=${1:-}
case "$eylem" in calistir|test) ;; *) echo "kullanim: tools/kur.sh calistir|test" >&2; exit 2 ;; esac

paketler=(build-essential cmake pkg-config libglfw3-dev libenet-dev libstb-dev libgl-dev libsodium-dev
          libgl1-mesa-dri libgtest-dev libx11-dev curl openssl python3 procps
          xvfb xauth x11-utils xdotool imagemagick tesseract-ocr tesseract-ocr-eng
          clang libclang-rt-14-dev)

eksikler=()
for p in "${paketler[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || eksikler+=("$p")
done
if [ ${#eksikler[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${eksikler[@]}"
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"

if [ "$eylem" = calistir ]; then
  if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "Ekran yok: launcher sanal bir X sunucusunda aciliyor (xvfb-run)." >&2
    exec xvfb-run -a -s "-screen 0 1920x1080x24" build/launcher/MorvatanLauncher
  fi
  exec build/launcher/MorvatanLauncher
fi
# Every parser of outside input meets a short fuzzing run first (bench/fuzz.sh runs them long).
bash tools/fuzz.sh 20000
exec xvfb-run -a -s "-screen 0 1920x1080x24" ctest --test-dir build --output-on-failure
