#!/usr/bin/env python3
"""Test HTTP server on 127.0.0.1: serves a directory, with faults switched per path.

Usage: sunucu.py ROOT. Prints the port on the first line of standard output, then serves
until killed. Every GET path is appended to ROOT/../istekler.log. Faults are read on every
request from ROOT/../hatalar.txt, one "KIND PATH" line each (PATH as requested, without the
leading slash, percent-encoding kept):
  404    answer 404
  fazla  send the file with one extra byte
  eksik  send the file without its last byte
  takil  send the headers and half of the body, then stall until the server ends
  yavas  send the body in 64 KiB pieces with a short pause after each
"""
import http.server
import os
import sys
import threading
import time

KOK = os.path.abspath(sys.argv[1])
UST = os.path.dirname(KOK)
KAYIT = os.path.join(UST, "istekler.log")
HATALAR = os.path.join(UST, "hatalar.txt")
kilit = threading.Lock()


def hatalar():
    tablo = {}
    try:
        with open(HATALAR, encoding="utf-8") as f:
            for satir in f:
                parca = satir.rstrip("\n").split(" ", 1)
                if len(parca) == 2:
                    tablo[parca[1]] = parca[0]
    except FileNotFoundError:
        pass
    return tablo


class Isleyici(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def do_GET(self):
        yol = self.path.lstrip("/")
        with kilit:
            with open(KAYIT, "a", encoding="utf-8") as f:
                f.write(yol + "\n")
        kip = hatalar().get(yol)
        dosya = os.path.join(KOK, http.server.urllib.parse.unquote(yol))
        if kip == "404" or not os.path.isfile(dosya):
            self.send_error(404)
            return
        if kip is None:
            self.dosya_gonder(dosya)
            return
        with open(dosya, "rb") as f:
            govde = f.read()
        if kip == "fazla":
            govde += b"!"
        elif kip == "eksik":
            govde = govde[:-1]
        self.baslik_gonder(len(govde))
        if kip == "takil":
            self.wfile.write(govde[: len(govde) // 2])
            self.wfile.flush()
            time.sleep(3600)
            return
        parca = 1 << 20 if kip != "yavas" else 1 << 16
        for i in range(0, len(govde), parca):
            self.wfile.write(govde[i : i + parca])
            if kip == "yavas":
                time.sleep(0.02)

    def baslik_gonder(self, uzunluk):
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(uzunluk))
        self.end_headers()

    def dosya_gonder(self, dosya):
        """A file without a fault goes out with sendfile, so large bodies cost the server little."""
        with open(dosya, "rb") as f:
            self.baslik_gonder(os.fstat(f.fileno()).st_size)
            self.wfile.flush()
            self.connection.sendfile(f)


class Sunucu(http.server.ThreadingHTTPServer):
    daemon_threads = True


def main():
    sunucu = Sunucu(("127.0.0.1", 0), Isleyici)
    print(sunucu.server_address[1], flush=True)
    sunucu.serve_forever()


if __name__ == "__main__":
    main()
