#!/usr/bin/env python3
"""site_yap.py SITE COUNT SIZE: writes COUNT files of SIZE random bytes below SITE (500 to a
folder) and the manifest listing them, for the benchmarks of bench/olc.sh."""
import hashlib
import os
import sys


def main():
    site, adet, boyut = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    satirlar = ["morvatan-liste 1"]
    for i in range(adet):
        yol = f"veri/{i // 500:03d}/parca_{i:05d}.dat"
        veri = os.urandom(boyut)
        os.makedirs(os.path.dirname(f"{site}/{yol}"), exist_ok=True)
        with open(f"{site}/{yol}", "wb") as f:
            f.write(veri)
        satirlar.append(f"{hashlib.sha256(veri).hexdigest()} {boyut} {yol}")
    with open(f"{site}/dosyalar-linux.txt", "w") as f:
        f.write("\n".join(satirlar) + "\n")


if __name__ == "__main__":
    main()
