#!/usr/bin/env bash
# Minimal Debian roots for building the player's package on the oldest base and for trying it
# on other players' systems: debootstrap's minbase from the Debian archive that apt on this
# machine already uses, plus only the packages named. A root that is already there with the
# same suite and packages is kept, so a second run costs nothing.
#
# Usage: tools/kok.sh SUITE DIR [PACKAGE...]      (as root; needs debootstrap)
#   tools/kok.sh --calistir DIR COMMAND...         runs COMMAND inside DIR with /proc, /dev/shm
#                                                  and the name server, in a mount namespace of
#                                                  its own: nothing stays mounted afterwards
set -euo pipefail
# Roots are made and entered as root (debootstrap, chroot, mount namespaces).
if [ "$(id -u)" -ne 0 ]; then exec sudo bash "$0" "$@"; fi

# The root's own mounts live in a private namespace, so no failure can leave the host's /proc
# or /dev reachable below the build folder (where an rm -rf would walk into them).
if [ "${1:-}" = --calistir ]; then
  kok=$(cd "$2" && pwd)
  shift 2
  exec unshare --mount --propagation private -- /bin/sh -c '
    kok=$1; shift
    mount -t proc proc "$kok/proc"
    mount -t tmpfs -o mode=1777 tmpfs "$kok/dev/shm"
    cp /etc/resolv.conf "$kok/etc/resolv.conf" 2>/dev/null || true
    exec chroot "$kok" "$@"' kok "$kok" "$@"
fi

[ $# -ge 2 ] || { echo "kullanim: tools/kok.sh SURUM DIZIN [PAKET...]" >&2; exit 2; }
surum=$1
hedef=$2
shift 2
paketler=("$@")
damga="$surum ${paketler[*]}"
if [ "$(cat "$hedef/.morvatan-kok" 2>/dev/null)" = "$damga" ]; then exit 0; fi

# The first Debian archive in apt's sources (deb822 or one-line form), security excluded.
ayna() {
  {
    cat /etc/apt/sources.list.d/*.sources 2>/dev/null | awk '
      /^URIs:/ { u = $2 } /^Suites:/ { s = $0 }
      /^$/ { if (u != "" && s !~ /security/) print u; u = ""; s = "" }
      END { if (u != "" && s !~ /security/) print u }'
    cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
      awk '$1 == "deb" && $0 !~ /security/ { for (i = 2; i <= NF; i++) if ($i ~ /^[a-z]+:\/\//) { print $i; break } }'
  } | grep -m1 '/debian/\?$' || true
}
adres=$(ayna)
[ -n "$adres" ] || { echo "kok: apt'in kaynaklarinda bir Debian arsivi bulunamadi" >&2; exit 1; }

command -v debootstrap >/dev/null || {
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends debootstrap
}

mkdir -p "$(dirname "$hedef")"
# One cache of packages per suite: roots of different suites may be made at the same time.
on_bellek=$(cd "$(dirname "$hedef")" && pwd)/arsiv-$surum
mkdir -p "$on_bellek"
gecici="$hedef.yeni"
rm -rf "$gecici"
# debootstrap mounts /proc and /sys in the root while it works: in a namespace of its own.
unshare --mount --propagation private -- \
  debootstrap --variant=minbase --cache-dir="$on_bellek" "$surum" "$gecici" "$adres" >"$gecici.log" 2>&1 ||
  { tail -20 "$gecici.log" >&2; echo "kok: debootstrap $surum basarisiz" >&2; exit 1; }
rm -f "$gecici.log"
if [ ${#paketler[@]} -gt 0 ]; then
  bash "$0" --calistir "$gecici" /bin/sh -c '
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq && apt-get install -y -qq --no-install-recommends "$@" && apt-get clean' \
    kur "${paketler[@]}" >"$gecici.log" 2>&1 || { tail -20 "$gecici.log" >&2; echo "kok: paketler kurulamadi" >&2; exit 1; }
  rm -f "$gecici.log"
fi
# An unprivileged player of the root's own, as a desktop session would have one.
echo 'oyuncu:x:1000:1000::/home/oyuncu:/bin/sh' >>"$gecici/etc/passwd"
echo 'oyuncu:x:1000:' >>"$gecici/etc/group"
mkdir -p "$gecici/home/oyuncu"
chown 1000:1000 "$gecici/home/oyuncu"
echo "$damga" >"$gecici/.morvatan-kok"
rm -rf "$hedef"
mv "$gecici" "$hedef"
