// HTTP transfers through the external curl program: the command lines and a streaming GET
// whose body is handed to the caller chunk by chunk.
//
// URLs go between single quotes without escaping, so an address holding a quote is refused
// before anything runs. A transfer can be abandoned through a stop flag: curl is killed at
// once and the call returns DURDURULDU. A transfer that receives nothing for 25 seconds (a
// connection that died without a reset) is ended like an unreachable server, while a slow
// one that still moves is never cut. A file download never writes more than it may.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "app/metinler.h"

namespace aktarim {

// True when the address can stand between single quotes of a shell command.
bool adres_guvenli(const std::string& adres);

// What curl writes after a GET, on its standard error: a line with the answer's Retry-After
// ("R" and the value), then the HTTP status.
inline const char* const DURUM_SATIRI = "%{stderr}R%header{retry-after}\\n%{http_code}\\n";

// While on, every GET, file download and batch this thread starts sends "Cache-Control:
// no-cache", so that a cache between the host and the player asks the host again before it
// answers (squid, nginx and varnish configured as the operators' guide shows). For what changes
// from one release to the next under one address (the manifest and its signature) and for a
// second look at a file that came wrong. Off for a new thread.
void taze_iste(bool iste);

// " -H 'Cache-Control: no-cache'" while taze_iste is on, else "".
std::string taze_secenegi();

// The config file curl reads by itself before its command line (the player's ~/.curlrc, where
// a café sets its proxy or a company its CA file), found as curl finds it; "" when there is
// none. curl forgets it at a "next" of a config, so a config with several transfers names it
// again after each one.
std::string kullanici_ayarlari();

// "curl -fsSL --connect-timeout 15 -w 'DURUM_SATIRI' 'URL'": the GET used for the manifest,
// files and news. The status line after curl's own error text tells an answer
// that may pass (503) from one that will not (404); curl's exit status is the same for both.
std::string getir_komutu(const std::string& adres);

// The GET of a file, continued from byte `baslangic` ("-C N") when above 0. A server that
// ignores the range makes curl fail (exit status 33) rather than append the whole body.
std::string dosya_komutu(const std::string& adres, int64_t baslangic);

// Many files in one curl: "curl -sfgL --no-progress-meter --connect-timeout 15 --parallel
// --parallel-max N -w 'TOPLU_SATIRI\n' -K - 2>&1 >/dev/null", each transfer held to its share
// of `hiz_siniri` when one is given. The transfers (url and output
// pairs) come in curl's config format on standard input; a line per finished transfer comes
// out at once (curl's standard error is unbuffered, its standard output would hold the lines
// back). -g keeps brackets and braces of an address literal.
std::string toplu_komutu(int paralel, int64_t hiz_siniri = 0);

// " --limit-rate N" for a transfer held to `hiz_siniri` bytes a second ("" for none): a
// ceiling on curl's own reading (the sockets' buffers still take what they can hold).
std::string hiz_secenegi(int64_t hiz_siniri);

// Whether the curl on the path can run such batches: the write-out names every transfer by
// number and exit code only from curl 7.75 on, and older systems (Debian 11 has 7.74) must
// fetch one file per process instead. Asks `curl --version`; false when it cannot be run.
bool toplu_destekli();

// The write-out of one transfer of such a batch, without its closing line feed. The last
// field is "R" and the answer's Retry-After (curl before 7.84 writes the variable's name).
inline const char* const TOPLU_SATIRI =
    "%{stderr}%{urlnum} %{exitcode} %{http_code} %{size_download} %{num_connects} %{time_connect} "
    "R%header{retry-after}";

// "curl -sS -m 15 -X POST -H 'Content-Type: application/json' --data-binary @- -w
// '\n%{http_code}' 'URL'": the JSON POST of the account login. The body goes in on standard
// input, so it never reaches a command line or a file.
std::string json_gonder_komutu(const std::string& adres);

// Seconds without a byte before a transfer is given up: four tries of a transfer that goes
// silent, with the waits between them, then end in the failure text within two minutes.
const double DURGUNLUK_SINIRI = 25.0;

// The silent-transfer limit in force (DURGUNLUK_SINIRI unless a test shortened it).
double durgunluk_siniri();
void durgunluk_siniri_koy(double saniye);  // for tests that cannot wait that long

enum class sonuc {
    TAMAM,            // curl exited with 0 and every chunk was taken
    ADRES_GECERSIZ,   // the address holds a single quote; nothing was run
    CALISTIRILAMADI,  // the pipe or the child process could not be created
    REDDEDILDI,       // the chunk handler refused a chunk
    SUNUCU_HATASI,    // a failure that will not pass by itself: 404 and other HTTP errors, no curl
    GECICI,           // one that may: no connection, a reset, a body cut short, a silent
                      // transfer, an answer 408, 429 or 5xx
    DURDURULDU,       // the stop flag was set; curl was ended
    FAZLA,            // the body was longer than allowed; curl was ended
    ARALIK_YOK,       // a continued download met a server that sends only whole files
};

// The seconds the server's last answer on this thread asked to wait before the next try
// (Retry-After, in seconds), 0 when it asked none.
double bekleme_istegi();

// The kind of failure an outcome is (YOK for TAMAM), as the player's texts name it.
metinler::aktarim_hatasi hatasi(sonuc s);

// Whether curl's exit status and the HTTP status of one transfer make a failure that may pass.
bool gecici_mi(int cikis, long http);

// Reads the body of `adres` in chunks of at most `parca_boyutu` bytes into `parca`, which
// returns false to refuse one.
// `sessizlik` above 0 replaces the silent-transfer limit for this transfer.
sonuc getir(const std::string& adres, size_t parca_boyutu,
            const std::function<bool(const char*, size_t)>& parca, const std::atomic<bool>& durdur,
            double sessizlik = 0, int64_t hiz_siniri = 0);

// Posts `govde` with json_gonder_komutu and collects curl's whole output (the answer, a line
// feed and the status) into `cikti`. An output longer than `en_cok` gives FAZLA. A transfer
// curl did not finish (a body cut short, a timeout: any non-zero exit) gives SUNUCU_HATASI,
// whatever it printed. A login is never tried twice, so no failure of it is called GECICI.
sonuc gonder(const std::string& adres, const char* govde, size_t n, size_t en_cok, std::string& cikti,
             const std::atomic<bool>& durdur);

// Like getir, but curl's standard output is the open file `yazma_fd` itself, so the body goes
// to disk without passing through a pipe; the caller sees every byte once it has landed,
// read back through `okuma_fd` (the same file, opened for reading at offset 0). A write
// error of curl (exit status 23, such as a full disk) gives REDDEDILDI. A body longer than
// `en_cok` bytes gives FAZLA: curl cannot write more than one byte past it, and `parca` is
// never handed a byte beyond it.
// `baslangic` above 0 continues a partial file: the writer sits at that offset, the reader
// too, and only the rest (at most `en_cok` bytes) is asked for; a server that cannot send a
// range gives ARALIK_YOK. `hiz_siniri` above 0 holds the transfer to that many bytes a second
// over any tenth of a second on: curl then writes into a pipe that the launcher empties at
// that pace into the file (a full pipe holds the connection back).
sonuc dosyaya_getir(const std::string& adres, int yazma_fd, int okuma_fd, size_t parca_boyutu, int64_t en_cok,
                    const std::function<void(const char*, size_t)>& parca, const std::atomic<bool>& durdur,
                    int64_t baslangic = 0, int64_t hiz_siniri = 0);

// Runs toplu_komutu with `yapilandirma` on its standard input, no file it writes growing past
// `dosya_siniri` bytes. Every line curl prints is handed to `satir` (false ends the run:
// REDDEDILDI). Whenever a moment passes without a line, `ilerliyor` says whether a transfer
// still moves (its file grew); when neither happened for the silent-transfer limit, curl is
// ended and the result is GECICI. TAMAM once curl has ended by itself: its exit
// status is not examined, the lines tell each transfer's outcome.
sonuc toplu_getir(const std::string& yapilandirma, int paralel, int64_t dosya_siniri,
                  const std::function<bool(const std::string&)>& satir, const std::function<bool()>& ilerliyor,
                  const std::atomic<bool>& durdur, int64_t hiz_siniri = 0);

}  // namespace aktarim
