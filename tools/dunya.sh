#!/usr/bin/env bash
# A whole local world on this machine, for trying the launcher end to end: a signed demo
# update (the demo game and some content) and a news feed served over HTTP on 127.0.0.1, the
# reference account service and the reference game server on loopback, a fresh run-time
# directory whose settings point at them, and the launcher itself. Closing the launcher (and
# any launcher it restarted into) stops every helper this script started.
#
# Usage: tools/dunya.sh [BUILD_DIR]      (default: build, as tools/kur.sh builds it)
# Environment:
#   DUNYA_DIZINI  where the world is laid out (default BUILD_DIR/dunya; emptied first)
#   DUNYA_EV      HOME of the launcher; it then writes its desktop entry there. By default
#                 the player's own HOME is kept and no desktop entry is written.
#   DUNYA_YOL=sunucu           sign in through the game server instead of the web service
#   DUNYA_KENDI_GUNCELLEMESI=1 publish a changed launcher too: it updates itself and restarts
#   DUNYA_BOZUK_LISTE=1        change one byte of the signed manifest: the update is refused
#   DUNYA_GUNCELLEME_KAPALI=1  the update directory is not served yet (held as
#                              sunucu/guncelleme.kapali): every update request fails
#   DUNYA_PAKET=DIR            the player's package that tools/paket.sh wrote to DIR: the
#                              launcher is unpacked from it, and the whole package is published
#                              as the operator would (with DUNYA_KENDI_GUNCELLEMESI, a changed
#                              launcher and a changed bundled library)
#   DUNYA_KOK=ROOT             run the launcher inside the system root ROOT (tools/kok.sh) as
#                              its unprivileged player; DUNYA_DIZINI must then lie inside ROOT
set -euo pipefail
kok=$(cd "$(dirname "$0")/.." && pwd)
yapi=$(cd "${1:-$kok/build}" && pwd)
dunya=${DUNYA_DIZINI:-$yapi/dunya}

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "Ekran yok (DISPLAY bos); launcher'i gormek icin bir masaustunde calistir ya da sanal ekranla: xvfb-run -a -s '-screen 0 1920x1080x24' bash tools/kur.sh calistir" >&2
  exit 1
fi

yardimcilar=()
# Ends a process and everything below it. It is held still first, so that it cannot start a
# new child meanwhile (the code printer runs Python in a command substitution, a grandchild
# that killing only the children would leave running).
durdurulanlar=()
agaci_durdur() {
  kill -STOP "$1" 2>/dev/null || return 0
  durdurulanlar+=("$1")
  local c
  for c in $(pgrep -P "$1"); do agaci_durdur "$c"; done
  kill -TERM "$1" 2>/dev/null || true
  kill -CONT "$1" 2>/dev/null || true
}
durdur() {
  for p in "${yardimcilar[@]}"; do agaci_durdur "$p"; done
  for p in "${yardimcilar[@]}"; do wait "$p" 2>/dev/null || true; done
  # The grandchildren are not ours to wait for: give them a moment to be gone.
  local p _
  for _ in $(seq 40); do
    for p in "${durdurulanlar[@]}"; do kill -0 "$p" 2>/dev/null && break; p=""; done
    [ -z "${p:-}" ] && break
    sleep 0.05
  done
}
trap durdur EXIT
trap 'exit 130' INT TERM

# The port a helper printed on its first line ("... port N ..." or just "N").
port_bekle() {
  local port=""
  for _ in $(seq 200); do
    port=$(head -1 "$1" 2>/dev/null | sed -n 's/^\([0-9][0-9]*\)$/\1/p;s/.* port \([0-9][0-9]*\).*/\1/p')
    [ -n "$port" ] && { echo "$port"; return 0; }
    sleep 0.05
  done
  echo "$2 baslamadi: $(cat "$1" 2>/dev/null)" >&2
  return 1
}

# Sets key=value in an ini file: the first line of the key is replaced, or one is appended.
ayar_koy() {
  python3 - "$1" "$2" "$3" <<'PY'
import sys
yol, anahtar, deger = sys.argv[1:]
satirlar = open(yol, encoding="utf-8").read().splitlines()
for i, s in enumerate(satirlar):
    if s.startswith(anahtar + "="):
        satirlar[i] = f"{anahtar}={deger}"
        break
else:
    satirlar.append(f"{anahtar}={deger}")
open(yol, "w", encoding="utf-8").write("\n".join(satirlar) + "\n")
PY
}

rm -rf "$dunya"
site="$dunya/sunucu/guncelleme"
mkdir -p "$site/oyun/diller" "$dunya/launcher" "$dunya/anahtar" "$dunya/kayit"

# ---- the demo update, signed with a key made on the spot ----
paket=${DUNYA_PAKET:-}
if [ -n "$paket" ]; then
  # The package as published: everything but the operator's settings, which differ per world.
  tar -xzf "$paket/MorvatanOnline-linux-x86_64.tar.gz" -C "$dunya"
  cp -r "$dunya/MorvatanOnline-linux-x86_64/." "$site/"
  rm "$site/varsayilan.ini"
  cp "$paket/demo_oyun" "$site/demo_oyun"
else
  cp "$yapi/launcher/demo_oyun" "$site/demo_oyun"
fi
head -c 3145728 /dev/urandom > "$site/oyun/harita_baslangic.dat"
head -c 25165824 /dev/urandom > "$site/oyun/sesler.pak"
printf 'dil=tr\ngrafik=orta\n' > "$site/oyun/ayarlar.cfg"
printf 'baslat=Başlat\nayarlar=Ayarlar\n' > "$site/oyun/diller/tr.txt"
surum=1.0.0
if [ "${DUNYA_KENDI_GUNCELLEMESI:-}" = 1 ]; then
  # The same program with other bytes: the launcher must take it, restart into it and finish.
  ilk_launcher=$yapi/launcher/MorvatanLauncher
  [ -z "$paket" ] || ilk_launcher=$dunya/MorvatanOnline-linux-x86_64/MorvatanLauncher
  { cat "$ilk_launcher"; echo "yeni surum"; } > "$site/MorvatanLauncher.yeni"
  mv "$site/MorvatanLauncher.yeni" "$site/MorvatanLauncher"
  chmod +x "$site/MorvatanLauncher"
  # Bytes after the last section are never loaded: the same library, with another digest.
  [ -z "$paket" ] || echo "yeni surum" >> "$site/lib/libglfw.so.3"
  surum=1.1.0
fi
acik_anahtar=$("$yapi/tools/morvatan-liste" --anahtar-uret "$dunya/anahtar/gizli")
"$yapi/tools/morvatan-liste" --imzala "$dunya/anahtar/gizli" "$site" "$surum" >/dev/null
[ "${DUNYA_BOZUK_LISTE:-}" = 1 ] && sed -i "s/^surum $surum\$/surum ${surum%?}9/" "$site/dosyalar-linux.txt"
[ "${DUNYA_GUNCELLEME_KAPALI:-}" = 1 ] && mv "$site" "$site.kapali"

haberler='Yeni|Demo dünyasına hoş geldin|Bu haberler yerel haber akışından geliyor. Launcher oyunu indirdi, imzayı doğruladı ve sunucunun açık olduğunu gösteriyor.
12 Ara|Kış etkinliği başladı|Kuzey geçidinde kar fırtınası: bir hafta boyunca iki kat deneyim.
10 Ara|Bakım tamamlandı|Sunucular yeniden açık. Anlayışın için teşekkürler.'
printf '%s\n' "$haberler" > "$dunya/sunucu/haberler.txt"
printf '%s\n' "$haberler" > "$dunya/kayit/sunucu_haberleri.txt"

# ---- helpers on loopback, each on a free port ----
python3 -u -m http.server 0 --bind 127.0.0.1 --directory "$dunya/sunucu" > "$dunya/kayit/http.txt" 2>&1 &
yardimcilar+=($!)
http_port=$(port_bekle "$dunya/kayit/http.txt" "HTTP sunucusu")

cat > "$dunya/hesaplar.json" <<'JSON'
[
  {"ad": "ayse", "sifre": "morvatan1", "totp": "JBSWY3DPEHPK3PXPJBSWY3DP"},
  {"ad": "mert", "sifre": "morvatan2"},
  {"ad": "cokus", "sifre": "morvatan3", "bilet_eki": ";cikis=3;sure=2"}
]
JSON
python3 -u "$kok/tools/hesap_sunucusu.py" "$dunya/hesaplar.json" --kayit "$dunya/kayit/hesap_istekleri.txt" \
  > "$dunya/kayit/hesap.txt" 2>&1 &
yardimcilar+=($!)
hesap_port=$(port_bekle "$dunya/kayit/hesap.txt" "Hesap servisi")

printf 'ayse morvatan1\nmert morvatan2\ncokus morvatan3 bilet=SV-cokus;cikis=3;sure=2\n' > "$dunya/kayit/sunucu_hesaplari.txt"
"$yapi/tools/oyun_sunucusu" --port 0 --haberler "$dunya/kayit/sunucu_haberleri.txt" \
  --hesaplar "$dunya/kayit/sunucu_hesaplari.txt" > "$dunya/kayit/oyun_sunucusu.txt" 2>&1 &
yardimcilar+=($!)
oyun_port=$(port_bekle "$dunya/kayit/oyun_sunucusu.txt" "Oyun sunucusu")

# ---- a fresh run-time directory, as a player unpacks it, with the operator's defaults ----
if [ -n "$paket" ]; then
  cp -r "$dunya/MorvatanOnline-linux-x86_64/." "$dunya/launcher/"
else
  cp "$yapi/launcher/MorvatanLauncher" "$dunya/launcher/"
  cp -r "$yapi/launcher/veri" "$dunya/launcher/"
  cp "$kok/varsayilan.ini" "$dunya/launcher/varsayilan.ini"
fi
v="$dunya/launcher/varsayilan.ini"
ayar_koy "$v" guncelleme "http://127.0.0.1:$http_port/guncelleme/"
ayar_koy "$v" haber_adresi "http://127.0.0.1:$http_port/haberler.txt"
if [ "${DUNYA_YOL:-}" = sunucu ]; then ayar_koy "$v" hesap_api ""; else ayar_koy "$v" hesap_api "http://127.0.0.1:$hesap_port/"; fi
ayar_koy "$v" sunucu "127.0.0.1:$oyun_port"
ayar_koy "$v" oyun "demo_oyun"
ayar_koy "$v" imza_anahtari "$acik_anahtar"
# The package carries the sequence it was made from: a fresh player is never served older.
ayar_koy "$v" imza_sira "$(sed -n 's/^sira //p' "$site/dosyalar-linux.txt.imza")"
[ -n "${DUNYA_EV:-}" ] || printf 'kisayol=1\n' > "$dunya/launcher/launcher.ini"
printf '%s\n' "${yardimcilar[@]}" > "$dunya/yardimcilar.txt"

cat <<EOF
Morvatan demo dunyasi: $dunya
  guncelleme  http://127.0.0.1:$http_port/guncelleme/   (imzali, anahtar $acik_anahtar)
  haberler    http://127.0.0.1:$http_port/haberler.txt
  hesaplar    http://127.0.0.1:$hesap_port/
  oyun sunucusu 127.0.0.1:$oyun_port (UDP)
Demo hesaplar:
  ayse / morvatan1   iki adimli kod ister (asagida her 30 saniyede yenisi yazilir)
  mert / morvatan2   kod istemez
  cokus / morvatan3  oyun 2 saniye sonra 3 koduyla kapanir: launcher bu erken hatayi gosterir
Launcher kapaninca yardimcilar da kapanir.
EOF

# The current two-step code of "ayse", printed at the start of every 30-second step.
(
  exec 2>/dev/null  # its sleep is killed at the end; no "Terminated" line for that
  while true; do
    echo "ayse icin guncel kod: $(python3 "$kok/tools/hesap_sunucusu.py" "$dunya/hesaplar.json" --kod ayse)"
    sleep $((30 - $(date +%s) % 30))
  done
) &
yardimcilar+=($!)
printf '%s\n' "${yardimcilar[@]}" > "$dunya/yardimcilar.txt"

# ---- the launcher; a self-restart hands over to a new process that holds the same lock ----
(
  cd "$dunya/launcher"
  if [ -n "${DUNYA_KOK:-}" ]; then
    # The same folders as the root sees them, owned by its player.
    k=$(cd "$DUNYA_KOK" && pwd -P)
    ic=$(pwd -P)
    ev=${DUNYA_EV:-$k/home/oyuncu}
    case "$ic/" in "$k"/*) ;; *) echo "DUNYA_DIZINI $DUNYA_KOK icinde olmali" >&2; exit 1 ;; esac
    ev=$(cd "$ev" && pwd -P)
    chown -R 1000:1000 . "$ev"
    exec bash "$kok/tools/kok.sh" --calistir "$k" chroot --userspec=1000:1000 / /usr/bin/env HOME="${ev#"$k"}" \
      /bin/sh -c 'cd "$1" && exec ./MorvatanLauncher' sh "${ic#"$k"}"
  fi
  if [ -n "${DUNYA_EV:-}" ]; then exec env HOME="$DUNYA_EV" ./MorvatanLauncher; fi
  exec ./MorvatanLauncher
) &
launcher_pid=$!
echo "$launcher_pid" > "$dunya/launcher.pid"
# A launcher of this world still runs: a process of its executable (a restarted one is
# forked before the old one ends, so there is no gap), or one holding its lock.
launcher_var_mi() {
  local e
  for e in /proc/[0-9]*/exe; do
    case "$(readlink "$e" 2>/dev/null)" in "$dunya/launcher/MorvatanLauncher"*) return 0 ;; esac
  done
  ! flock -n "$dunya/launcher/launcher.kilit" true 2>/dev/null
}
wait "$launcher_pid" || true
while launcher_var_mi; do sleep 0.5; done
