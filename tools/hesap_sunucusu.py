#!/usr/bin/env python3
"""Reference account service for the launcher's web login (a test and demo component).

Usage:
  hesap_sunucusu.py HESAPLAR.json [--port N] [--kayit FILE]   serve on 127.0.0.1
  hesap_sunucusu.py HESAPLAR.json --kod NAME                   print NAME's current code

Serving prints the port on the first line of standard output (port 0, the default, picks a
free one), then answers POST <any base>/ticket until killed. With --kayit every request is
appended to FILE as one JSON line {"yol": path, "govde": body as hex}.

HESAPLAR.json is a list of accounts:
  {"ad": "ayse", "sifre": "gizli", "totp": "BASE32 SECRET" (optional),
   "eposta_dogrulandi": true (default), "maskeli_eposta": "a***@ornek.com" (optional),
   "bilet_eki": ";cikis=3;sure=2" (optional, appended to the ticket),
   "cevap": optional fixed answer instead of the normal checks, one of
      "500bos" (500, empty body), "200biletsiz" (200 without a ticket), "200bosbilet",
      "202" (202 with a ticket), "mesaj:TEXT" (403 with that human-readable message),
      "bekle:SECONDS" (the normal answer after a delay), "uzun:BYTES" (a 200 answer that
      long), "sessiz" (never answers), "yarim" (200 announcing 100 bytes, then
      {"ticket":"PARTIAL and the connection closed), "denetim" (200 with a ticket holding a
      line feed and an escape sequence)}

Answers, as JSON objects: 200 {"ticket": ...} on success; 401 TOTP_REQUIRED (no code given to an
account with a secret), 401 TOTP_INVALID (wrong code; codes of the previous, current and next
30-second step are accepted), 401 INVALID_CREDENTIALS (unknown name or wrong password), 403
EMAIL_NOT_VERIFIED (with maskedEmail when the account has one); 400 for a body that is not a
JSON object with string fields; 404 for any other path. It never crashes on a request.
"""
import base64
import hashlib
import hmac
import http.server
import json
import os
import secrets
import struct
import sys
import threading
import time

ADIM = 30          # seconds per TOTP step (RFC 6238)
EN_COK_GOVDE = 1 << 20


def totp(gizli, zaman=None, kayma=0):
    """Six-digit RFC 6238 code (HMAC-SHA-1) of a base32 secret."""
    anahtar = base64.b32decode(gizli.replace(" ", "").upper() + "=" * (-len(gizli.replace(" ", "")) % 8))
    sayac = int((time.time() if zaman is None else zaman) // ADIM) + kayma
    ozet = hmac.new(anahtar, struct.pack(">Q", sayac), hashlib.sha1).digest()
    kaydir = ozet[-1] & 0x0F
    deger = struct.unpack(">I", ozet[kaydir : kaydir + 4])[0] & 0x7FFFFFFF
    return "%06d" % (deger % 1000000)


def hesaplari_oku(yol):
    with open(yol, encoding="utf-8") as f:
        return {h["ad"]: h for h in json.load(f)}


class Isleyici(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    hesaplar = {}
    kayit = None
    kilit = threading.Lock()

    def log_message(self, *args):
        pass

    def cevapla(self, durum, nesne=None, govde=None):
        veri = govde if govde is not None else (json.dumps(nesne).encode() if nesne is not None else b"")
        self.send_response(durum)
        self.send_header("Content-Type", "application/json")
        self.send_header("Content-Length", str(len(veri)))
        self.end_headers()
        self.wfile.write(veri)

    def govde_oku(self):
        try:
            uzunluk = int(self.headers.get("Content-Length", "0"))
        except ValueError:
            uzunluk = 0
        return self.rfile.read(max(0, min(uzunluk, EN_COK_GOVDE)))

    def kaydet(self, govde):
        if not Isleyici.kayit:
            return
        with Isleyici.kilit, open(Isleyici.kayit, "a", encoding="utf-8") as f:
            f.write(json.dumps({"yol": self.path, "govde": govde.hex()}) + "\n")

    def do_POST(self):
        try:
            govde = self.govde_oku()
            self.kaydet(govde)
            if not self.path.endswith("/ticket") or self.path.endswith("//ticket"):
                return self.cevapla(404, {"message": "Bulunamadı."})
            self.istek_isle(govde)
        except (BrokenPipeError, ConnectionResetError):
            pass
        except Exception as hata:  # a reference service answers rather than dies
            try:
                self.cevapla(500, {"message": "Sunucu hatası: %s" % type(hata).__name__})
            except OSError:
                pass

    def do_GET(self):
        self.cevapla(404, {"message": "Bulunamadı."})

    def istek_isle(self, govde):
        try:
            istek = json.loads(govde.decode("utf-8"))
        except (UnicodeDecodeError, ValueError):
            return self.cevapla(400, {"message": "İstek okunamadı."})
        if not isinstance(istek, dict) or not all(isinstance(istek.get(k, ""), str) for k in ("username", "password", "totpCode")):
            return self.cevapla(400, {"message": "İstek okunamadı."})
        hesap = Isleyici.hesaplar.get(istek.get("username", ""))
        ozel = hesap.get("cevap", "") if hesap else ""
        if ozel.startswith("bekle:"):
            time.sleep(float(ozel[6:]))
        if ozel == "sessiz":
            time.sleep(3600)
            return
        if hesap is None or not hmac.compare_digest(hesap.get("sifre", "").encode(), istek.get("password", "").encode()):
            return self.cevapla(401, {"message": "INVALID_CREDENTIALS"})
        if self.ozel_cevap(ozel):
            return
        if hesap.get("totp"):
            kod = istek.get("totpCode", "")
            if not kod:
                return self.cevapla(401, {"message": "TOTP_REQUIRED"})
            if kod not in [totp(hesap["totp"], kayma=k) for k in (-1, 0, 1)]:
                return self.cevapla(401, {"message": "TOTP_INVALID"})
        if not hesap.get("eposta_dogrulandi", True):
            cevap = {"message": "EMAIL_NOT_VERIFIED"}
            if hesap.get("maskeli_eposta"):
                cevap["maskedEmail"] = hesap["maskeli_eposta"]
            return self.cevapla(403, cevap)
        self.cevapla(200, {"ticket": self.bilet(hesap)})

    def bilet(self, hesap):
        return "MV1-" + hesap["ad"] + "-" + secrets.token_hex(12) + hesap.get("bilet_eki", "")

    def ozel_cevap(self, ozel):
        """The fixed answers an account record can ask for; True when one was sent."""
        if ozel == "500bos":
            self.cevapla(500, govde=b"")
        elif ozel == "200biletsiz":
            self.cevapla(200, {"message": "ok"})
        elif ozel == "200bosbilet":
            self.cevapla(200, {"ticket": ""})
        elif ozel == "202":
            self.cevapla(202, {"ticket": "kabul-edilmedi", "message": "İsteğin sıraya alındı."})
        elif ozel.startswith("mesaj:"):
            self.cevapla(403, {"message": ozel[6:]})
        elif ozel == "yarim":
            self.send_response(200)
            self.send_header("Content-Type", "application/json")
            self.send_header("Content-Length", "100")
            self.end_headers()
            self.wfile.write(b'{"ticket":"PARTIAL')
            self.wfile.flush()
            self.close_connection = True
        elif ozel == "denetim":
            self.cevapla(200, govde=b'{"ticket":"A\\nB\\u001b[31mC"}')
        elif ozel.startswith("uzun:"):
            n = int(ozel[5:])
            self.cevapla(200, govde=(b'{"ticket":"' + b"x" * max(0, n - 13) + b'"}'))
        else:
            return False
        return True


class Sunucu(http.server.ThreadingHTTPServer):
    daemon_threads = True


def main():
    argv = sys.argv[1:]
    if not argv:
        print(__doc__, file=sys.stderr)
        return 2
    secenek = {}
    i = 1
    while i < len(argv):
        secenek[argv[i]] = argv[i + 1] if i + 1 < len(argv) else ""
        i += 2
    Isleyici.hesaplar = hesaplari_oku(argv[0])
    if "--kod" in secenek:
        hesap = Isleyici.hesaplar.get(secenek["--kod"])
        if not hesap or not hesap.get("totp"):
            print("hesap yok ya da iki adimli degil: %s" % secenek["--kod"], file=sys.stderr)
            return 1
        print(totp(hesap["totp"]))
        return 0
    Isleyici.kayit = secenek.get("--kayit")
    sunucu = Sunucu(("127.0.0.1", int(secenek.get("--port", "0"))), Isleyici)
    print(sunucu.server_address[1], flush=True)
    sunucu.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
