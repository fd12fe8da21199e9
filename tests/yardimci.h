// Test helpers: temporary directories, running commands and real child processes,
// waiting with a time limit, and a copy of the launcher's run-time directory.
#pragma once
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace yardimci {

// A fresh directory under /tmp, removed with everything in it when the object dies.
struct gecici_dizin {
    std::string yol;
    explicit gecici_dizin(const std::string& ust = "/tmp");  // made below `ust`
    ~gecici_dizin();
    gecici_dizin(const gecici_dizin&) = delete;
    gecici_dizin& operator=(const gecici_dizin&) = delete;
};

// Works in another directory for as long as the object lives, then returns.
struct dizin_degistir {
    std::string eski;
    explicit dizin_degistir(const std::string& hedef);
    ~dizin_degistir();
    dizin_degistir(const dizin_degistir&) = delete;
    dizin_degistir& operator=(const dizin_degistir&) = delete;
};

// Polls the condition every 25 ms for up to `saniye`; returns its last value.
bool bekle_ki(const std::function<bool()>& kosul, double saniye);

// Runs a shell command; returns its standard output and sets `durum` to its exit status.
std::string komut(const std::string& satir, int* durum = nullptr);

// Starts `yol` with no arguments in a child process, standard error into `hata_dosyasi`, with
// HOME set to "ev" beside it (so a launcher's desktop entry stays in the test's directory) and
// no open descriptor but the standard streams.
pid_t baslat(const std::string& yol, const std::string& hata_dosyasi);

// Waits up to `saniye` for the child; returns its exit status, or -1 on timeout (the child is
// then killed), or 128 + signal when a signal ended it.
int bekle(pid_t pid, double saniye);

// True while the child has not ended (it is not reaped or killed).
bool calisiyor_mu(pid_t pid);

// True while any process `pid` runs; one that has ended but waits for its parent (who may be
// slow to reap it on a busy machine) has ended.
bool yasiyor_mu(pid_t pid);

// Copies the built launcher, its veri/ and varsayilan.ini into `hedef`.
void calisma_dizini_kur(const std::string& hedef, bool fontlarla);

// Reads a whole file ("" when missing).
std::string dosya_oku(const std::string& yol);
void dosya_yaz(const std::string& yol, const std::string& icerik);

// The first window that belongs to `pid`, as xdotool prints its id; "" after `saniye`.
std::string pencere_bul(pid_t pid, double saniye);

// The test HTTP server (tests/sunucu.py) on 127.0.0.1, serving `ust`/site (`ust` is a directory
// of its own unless one is given). Faults are switched with hata(); every requested path is
// logged (istekler()). Killed when the object dies.
struct test_sunucusu {
    gecici_dizin kendi_dizini;
    std::string ust;      // holds site/, istekler.log and hatalar.txt
    std::string kok;      // the served directory
    pid_t pid = -1;
    int port = 0;
    explicit test_sunucusu(const std::string& ust_dizin = "");
    ~test_sunucusu();
    test_sunucusu(const test_sunucusu&) = delete;
    test_sunucusu& operator=(const test_sunucusu&) = delete;
    std::string adres() const;                                 // "http://127.0.0.1:PORT/"
    void hata(const std::string& kip, const std::string& yol); // adds a fault line
    void hatalari_temizle();
    std::string istekler() const;                              // the request log
    void istekleri_temizle();                                  // also the sent-bytes log
    int64_t gonderilen(const std::string& yol) const;          // body bytes sent for the path so far
    void dosya(const std::string& yol, const std::string& icerik);  // writes site/<yol>
    // Publishes the files and a manifest listing them ("surum 2.0.1"), plus any extra lines.
    void yayinla(const std::map<std::string, std::string>& dosyalar, const std::string& ek = "");
};

// Starts a program that prints its port on its first output line; returns its pid (the port
// is 0 when it printed none). durdur kills and reaps it.
pid_t port_yazanla_baslat(const std::vector<std::string>& komut_satiri, int& port);
void durdur(pid_t pid);

// The reference account service (tools/hesap_sunucusu.py) on 127.0.0.1 with the given
// accounts; every request is logged to `kayit` as JSON lines. Killed when the object dies.
struct hesap_servisi {
    gecici_dizin dizin;
    std::string kayit;
    pid_t pid = -1;
    int port = 0;
    explicit hesap_servisi(const std::string& hesaplar_json);
    ~hesap_servisi();
    hesap_servisi(const hesap_servisi&) = delete;
    hesap_servisi& operator=(const hesap_servisi&) = delete;
    std::string adres() const;                     // "http://127.0.0.1:PORT/api" (no slash)
    std::string kod(const std::string& ad) const;  // the account's current two-step code
};

// The reference game server (tools/oyun_sunucusu) on 127.0.0.1 with a free port, two news
// items and a set of accounts (see the constructor); every request is logged to `kayit`.
struct oyun_sunucusu {
    gecici_dizin dizin;
    std::string kayit;
    pid_t pid = -1;
    int port = 0;
    explicit oyun_sunucusu(const std::string& kip = "normal", const std::string& ek_hesaplar = "");
    ~oyun_sunucusu();
    oyun_sunucusu(const oyun_sunucusu&) = delete;
    oyun_sunucusu& operator=(const oyun_sunucusu&) = delete;
    std::string adres() const;  // "127.0.0.1:PORT"
};

// Occurrences of `aranan` in every readable mapping of a process (the caller may read its
// memory: its parent, or root).
int bellekte_say(pid_t pid, const std::string& aranan);

// Whether bellekte_say sees a launcher's heap. Under AddressSanitizer the heap lives inside
// reservations of terabytes that cannot be read through, so the scans are left out there.
#if defined(__SANITIZE_ADDRESS__)
const bool BELLEK_TARANIR = false;
#else
const bool BELLEK_TARANIR = true;
#endif

// SHA-256 text of a byte string.
std::string ozet(const std::string& icerik);

// `n` bytes that no other file of a test shares by chance (a fixed pseudo-random sequence).
std::string rastgele_veri(size_t n);

}  // namespace yardimci
