#!/usr/bin/env python3
"""Test HTTP server on 127.0.0.1: serves a directory, with faults switched per path.

Usage: sunucu.py ROOT. Prints the port on the first line of standard output, then serves
until killed. Every GET path (its query left out) is appended to ROOT/../istekler.log. Faults are read on every
request from ROOT/../hatalar.txt, one "KIND PATH" line each (PATH as requested, without the
leading slash, percent-encoding kept):
  404    answer 404
  fazla  send the file with one extra byte
  eksik  send the file without its last byte
  takil  send the headers and half of the body, then stall until the server ends
  yavas  send the body in 64 KiB pieces with a short pause after each
  cok:N  send N bytes (the file's bytes, then zeros) and announce N as the length
  cokuzunluksuz:N  the same without a length: the body ends when the connection closes
  damla:S  send the body one byte at a time, S seconds apart
  hiz:B  send the body at a steady B bytes per second
  araliksiz  send the whole file even when a range was asked for
  503:N  answer 503 to the first N requests of the path (counted since the server started)
  kes:N  the first N times, announce the whole length, send half of it and close the connection
  sirayla  serve PATH and PATH.2 by turns
  sonra503:N  serve the first N requests of the path, then answer 503
  bekle503:S  answer the first request 503 with "Retry-After: S", then serve
  zamanli  send the body (or the range) in 4 KiB writes through an 8 KiB send buffer, logging
         "TIME BYTES" of each to ROOT/../zaman.log
  aralikta_takil:N  the first N range requests: the headers of the range and half its body, then
         silence with the connection open (other requests are served as usual)
HEAD answers with the headers of the whole file (not logged). A request for one range,
"bytes=N-" or "bytes=N-M", is answered 206 with those bytes (also in hiz mode), 416 when N
is past the end; several ranges in one request are answered with the whole file. Body bytes sent for each GET are appended to ROOT/../gonderilen.log
as "PATH COUNT" lines once the response ends.
"""
import http.server
import os
import socket
import sys
import threading
import time

KOK = os.path.abspath(sys.argv[1])
UST = os.path.dirname(KOK)
KAYIT = os.path.join(UST, "istekler.log")
HATALAR = os.path.join(UST, "hatalar.txt")
GONDERILEN = os.path.join(UST, "gonderilen.log")
ZAMANLAR = os.path.join(UST, "zaman.log")
kilit = threading.Lock()
sayac = {}  # (path, fault) -> requests met with that fault so far


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

    def setup(self):
        super().setup()
        # Headers and body leave in separate writes; without this a kept-alive connection
        # waits for the client's delayed acknowledgement (40 ms) before every small body.
        self.connection.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)

    def do_HEAD(self):
        """The headers a GET of the whole file would get (404 under the 404 fault)."""
        yol = self.yol()
        kip = (hatalar().get(yol) or "").partition(":")[0]
        dosya = os.path.join(KOK, http.server.urllib.parse.unquote(yol))
        if kip == "404" or not os.path.isfile(dosya):
            self.send_error(404)
            return
        self.baslik_gonder(os.path.getsize(dosya))

    def yol(self):
        """The requested path without its query, as a static host reads it."""
        return self.path.partition("?")[0].lstrip("/")

    def do_GET(self):
        yol = self.yol()
        with kilit:
            with open(KAYIT, "a", encoding="utf-8") as f:
                f.write(yol + "\n")
        kip, _, deger = (hatalar().get(yol) or "").partition(":")
        kip = kip or None
        dosya = os.path.join(KOK, http.server.urllib.parse.unquote(yol))
        if kip == "sirayla":
            if self.sayilan(yol, kip) % 2 == 0:
                dosya += ".2"
            kip = None
        if kip == "503" and self.sayilan(yol, kip) <= int(deger):
            self.send_error(503)
            return
        if kip == "sonra503" and self.sayilan(yol, kip) > int(deger):
            self.send_error(503)
            return
        if kip == "bekle503" and self.sayilan(yol, kip) == 1:
            self.send_response(503)
            self.send_header("Retry-After", deger)
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        if kip == "404" or not os.path.isfile(dosya):
            self.send_error(404)
            return
        bas, son = (None, None) if kip == "araliksiz" else self.aralik()
        if bas is not None and bas >= os.path.getsize(dosya):
            self.send_error(416)
            return
        if kip == "kes" and self.sayilan(yol, kip) <= int(deger):
            self.say(yol, self.yarim_gonder(dosya, bas))
            return
        if kip == "aralikta_takil" and bas is not None and self.sayilan(yol, kip) <= int(deger):
            self.aralikta_takil(dosya, bas, son)
            return
        if kip in ("503", "sonra503", "bekle503", "kes", "aralikta_takil"):
            kip = None
        if kip in (None, "araliksiz"):
            self.say(yol, self.dosya_gonder(dosya, bas or 0, son, bas is not None))
            return
        if kip == "zamanli":
            self.zamanli_gonder(dosya, bas, son)
            return
        with open(dosya, "rb") as f:
            govde = f.read()
        if kip in ("cok", "cokuzunluksuz"):
            self.cok_gonder(govde, int(deger), kip == "cok")
            return
        if kip == "damla":
            self.baslik_gonder(len(govde))
            for i in range(len(govde)):
                self.wfile.write(govde[i : i + 1])
                self.wfile.flush()
                time.sleep(float(deger))
            return
        if kip == "hiz":
            self.say(yol, self.hizla_gonder(govde, float(deger), bas, son))
            return
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

    def sayilan(self, yol, kip):
        """How many requests of the path have met this fault, this one included."""
        with kilit:
            sayac[(yol, kip)] = sayac.get((yol, kip), 0) + 1
            return sayac[(yol, kip)]

    def yarim_gonder(self, dosya, bas):
        """Headers for the whole answer, half its body, then the connection closes."""
        with open(dosya, "rb") as f:
            govde = f.read()
        yarisi = govde[bas or 0 :][: (len(govde) - (bas or 0)) // 2]
        self.baslik_gonder(len(govde) - (bas or 0), bas, len(govde))
        self.wfile.write(yarisi)
        self.wfile.flush()
        self.close_connection = True
        return len(yarisi)

    def aralikta_takil(self, dosya, bas, son):
        """The headers of the asked range and half its body, then silence, the connection open."""
        with open(dosya, "rb") as f:
            govde = f.read()
        parca = govde[bas : None if son is None else son + 1]
        self.baslik_gonder(len(parca), bas, len(govde))
        self.wfile.write(parca[: len(parca) // 2])
        self.wfile.flush()
        time.sleep(3600)

    def zamanli_gonder(self, dosya, bas, son):
        """The body (or the asked range) in 4 KiB writes through a small send buffer, each
        logged with its time, so that what left the server can be counted by the second."""
        self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_SNDBUF, 8192)
        with open(dosya, "rb") as f:
            tum = f.read()
        govde = tum[bas or 0 : None if son is None else son + 1]
        self.baslik_gonder(len(govde), bas, len(tum))
        self.wfile.flush()
        try:
            for i in range(0, len(govde), 4096):
                self.connection.sendall(govde[i : i + 4096])
                with kilit:
                    with open(ZAMANLAR, "a", encoding="utf-8") as z:
                        z.write(f"{time.monotonic():.4f} {len(govde[i : i + 4096])}\n")
        except OSError:
            pass

    def aralik(self):
        """(N, M) of a "Range: bytes=N-M" header, (N, None) of "bytes=N-", else (None, None)."""
        aralik = self.headers.get("Range", "")
        bas, tire, son = aralik[6:].partition("-")
        if not aralik.startswith("bytes=") or not tire or "," in aralik:
            return None, None
        try:
            return int(bas), (int(son) if son else None)
        except ValueError:
            return None, None

    def say(self, yol, adet):
        with kilit:
            with open(GONDERILEN, "a", encoding="utf-8") as f:
                f.write(f"{yol} {adet}\n")

    def baslik_gonder(self, uzunluk, bas=None, toplam=0):
        if bas is None:
            self.send_response(200)
        else:
            self.send_response(206)
            self.send_header("Content-Range", f"bytes {bas}-{bas + uzunluk - 1}/{toplam}")
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(uzunluk))
        self.end_headers()

    def cok_gonder(self, govde, uzunluk, uzunluk_bildir):
        """A body far longer than the file, sent until the client hangs up."""
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        if uzunluk_bildir:
            self.send_header("Content-Length", str(uzunluk))
        else:
            self.send_header("Connection", "close")
            self.close_connection = True
        self.end_headers()
        parca = (govde + bytes(1 << 20))[: 1 << 20]
        gonderilen = 0
        try:
            while gonderilen < uzunluk:
                n = min(len(parca), uzunluk - gonderilen)
                self.wfile.write(parca[:n])
                gonderilen += n
        except OSError:
            pass

    def hizla_gonder(self, govde, hiz, aralik, son=None):
        """The body (or the asked range) paced against the clock, in twentieths of a second."""
        toplam = len(govde)
        govde = govde[aralik or 0 : None if son is None else son + 1]
        self.baslik_gonder(len(govde), aralik, toplam)
        parca = max(1, int(hiz / 20))
        bas = time.monotonic()
        gonderilen = 0
        try:
            for i in range(0, len(govde), parca):
                bekle = bas + i / hiz - time.monotonic()
                if bekle > 0:
                    time.sleep(bekle)
                self.wfile.write(govde[i : i + parca])
                gonderilen += len(govde[i : i + parca])
        except OSError:
            pass  # the launcher went away mid-body
        return gonderilen

    def dosya_gonder(self, dosya, bas, son, aralikli):
        """A file without a fault goes out with sendfile, so large bodies cost the server little."""
        with open(dosya, "rb") as f:
            toplam = os.fstat(f.fileno()).st_size
            bitis = toplam if son is None else min(son + 1, toplam)
            self.baslik_gonder(bitis - bas, bas if aralikli else None, toplam)
            self.wfile.flush()
            gonderilen = 0
            try:
                while bas + gonderilen < bitis:
                    n = os.sendfile(self.connection.fileno(), f.fileno(), bas + gonderilen, min(1 << 20, bitis - bas - gonderilen))
                    if n == 0:
                        break
                    gonderilen += n
            except OSError:
                pass  # the client went away; what went before it still counts
            return gonderilen


class Sunucu(http.server.ThreadingHTTPServer):
    daemon_threads = True
    # The default backlog of 5 drops the connections of a client that opens several at once,
    # which then wait a second for their retransmitted SYN.
    request_queue_size = 128


def main():
    sunucu = Sunucu(("127.0.0.1", 0), Isleyici)
    print(sunucu.server_address[1], flush=True)
    sunucu.serve_forever()


if __name__ == "__main__":
    main()
