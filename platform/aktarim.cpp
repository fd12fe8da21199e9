// HTTP transfers through curl: command lines, the streaming GET, and the file download that
// is held to its size and to the silent-transfer limit. Its state: that limit, and per thread
// the last Retry-After and whether caches are asked to revalidate.
#include "platform/aktarim.h"

#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/dosya.h"
#include "platform/surec.h"

namespace aktarim {
namespace {

std::atomic<double> durgunluk{DURGUNLUK_SINIRI};  // written by tests only, before a transfer starts

const int CURL_YAZMA_HATASI = 23;                        // curl could not write its output
const int CURL_ARALIK_YOK = 33;                          // the server ignored the range of -C
const int KOMUT_YOK = 127;                               // the shell found no curl to run
const double TOPLU_YOKLAMA = 0.25;                       // seconds between two looks at a quiet batch
// curl writes its per-transfer lines to an unbuffered stream, a byte per write: the batch
// reader lets them gather this long instead of waking for every byte.
const auto TOPLU_TOPLAMA = std::chrono::milliseconds(2);
const auto BEKLEME = std::chrono::microseconds(500);     // pause when the file has no new bytes
const int YETISME_PARCA = 64;                            // reads between two looks at the stop flag

using saat = std::chrono::steady_clock;

thread_local double bekleme = 0;  // the Retry-After of this thread's last answer, in seconds
thread_local bool taze = false;   // this thread's GETs ask every cache on the way to revalidate

// Seconds of a "R<Retry-After>" line, 0 for none or a date; curl before 7.84 writes the
// variable's name instead of its value, which is no number either.
double bekleme_coz(const std::string& satir) {
    if (satir.size() < 2 || satir.size() > 8 || satir.find_first_not_of("0123456789", 1) != std::string::npos) return 0;
    return std::stod(satir.substr(1));
}

// The HTTP status curl printed last on its kept standard error, and the Retry-After line
// before it; what it printed before those (its own error text) goes on to the launcher's
// standard error, where it always went.
long http_durumu(const surec::boru& b) {
    std::string metin = surec::hata_al(b);
    while (!metin.empty() && metin.back() == '\n') metin.pop_back();
    size_t satir = metin.rfind('\n');
    const std::string son = metin.substr(satir == std::string::npos ? 0 : satir + 1);
    metin.resize(satir == std::string::npos ? 0 : satir);
    satir = metin.rfind('\n');
    const std::string onceki = metin.substr(satir == std::string::npos ? 0 : satir + 1);
    bekleme = 0;
    if (onceki.rfind("R", 0) == 0) {
        bekleme = bekleme_coz(onceki);
        metin.resize(satir == std::string::npos ? 0 : satir);
    }
    if (!metin.empty()) std::fprintf(stderr, "%s\n", metin.c_str());
    if (son.empty() || son.size() > 3 || son.find_first_not_of("0123456789") != std::string::npos) {
        if (!son.empty()) std::fprintf(stderr, "%s\n", son.c_str());
        return 0;
    }
    return std::stol(son);
}

bool komut_yok_mu(int durum) { return WIFEXITED(durum) && WEXITSTATUS(durum) == KOMUT_YOK; }

sonuc cikis_sonucu(int durum, long http) {
    if (!WIFEXITED(durum)) return sonuc::SUNUCU_HATASI;
    const int cikis = WEXITSTATUS(durum);
    if (cikis == 0) return sonuc::TAMAM;
    if (cikis == KOMUT_YOK) return sonuc::CALISTIRILAMADI;
    if (cikis == CURL_YAZMA_HATASI) return sonuc::REDDEDILDI;
    if (cikis == CURL_ARALIK_YOK) return sonuc::ARALIK_YOK;
    return gecici_mi(cikis, http) ? sonuc::GECICI : sonuc::SUNUCU_HATASI;
}

// The outcome of a curl that has ended with `durum` (already reaped, or reaped here), from
// its exit status and the HTTP status it printed; the pipes are closed.
sonuc kapanis(surec::boru& b, int durum, const std::atomic<bool>& durdur) {
    if (b.pid > 0) durum = surec::bekle(b);
    const long http = http_durumu(b);
    surec::kapat(b);
    return durdur.load() ? sonuc::DURDURULDU : cikis_sonucu(durum, http);
}

// Reads what has landed in the file behind curl and hands it on, never past `en_cok`.
struct okuyucu {
    int fd;
    std::vector<char> tampon;
    int64_t en_cok;
    const std::function<void(const char*, size_t)>& parca;
    int64_t alinan = 0;

    enum class adim { TAMAM, HATA, FAZLA };

    // At most YETISME_PARCA reads, so that the stop flag is looked at often. `yeni`: bytes
    // arrived; `sonda`: the file has no more bytes for now.
    adim yetis(bool& yeni, bool& sonda) {
        yeni = sonda = false;
        for (int i = 0; i < YETISME_PARCA; ++i) {
            ssize_t n = ::read(fd, tampon.data(), tampon.size());
            if (n < 0) return adim::HATA;
            if (n == 0) {
                sonda = true;
                return adim::TAMAM;
            }
            yeni = true;
            const int64_t kalan = en_cok - alinan;
            if (n > kalan) {
                if (kalan > 0) parca(tampon.data(), size_t(kalan));
                alinan = en_cok;
                return adim::FAZLA;
            }
            parca(tampon.data(), size_t(n));
            alinan += n;
        }
        return adim::TAMAM;
    }
};

// Waits until `vakit`; false, at once, when the stop flag is set meanwhile.
bool vakti_bekle(saat::time_point vakit, const std::atomic<bool>& durdur) {
    while (saat::now() < vakit) {
        if (durdur.load()) return false;
        std::this_thread::sleep_for(std::min<saat::duration>(vakit - saat::now(), std::chrono::milliseconds(20)));
    }
    return !durdur.load();
}

// A capped transfer's pipe: about a quarter second's worth, so that what curl has written
// ahead of the pace stays small.
int kisa_boru(int64_t hiz_siniri) { return int(std::clamp<int64_t>(hiz_siniri / 4, 4096, 1 << 20)); }

// Seconds as the clock's duration.
saat::duration sure(double saniye) { return std::chrono::duration_cast<saat::duration>(std::chrono::duration<double>(saniye)); }

// One range of a capped file: the curl for [bas, son] (or [bas, end of file] for the last),
// a resumed transfer with its own Range header past the first byte, so that a server that
// sends whole files ends it at once (ARALIK_YOK).
std::string dilim_komutu(const std::string& adres, int64_t bas, int64_t son) {
    const std::string aralik = std::to_string(bas) + "-" + (son >= 0 ? std::to_string(son) : "");
    std::string komut = "curl -fsSL --connect-timeout 15 -w '" + std::string(DURUM_SATIRI) + "'" + taze_secenegi();
    komut += bas > 0 ? " -C " + std::to_string(bas) + " -H 'Range: bytes=" + aralik + "'" : " -r " + aralik;
    return komut + " '" + adres + "'";
}

// The capped form of dosyaya_getir. No reader can hold back what the sockets between it and
// the server take (on loopback they grew to a megabyte ahead of the pace), so the file
// travels as ranges of half a second's worth, each asked for only when the pace has reached
// it: the server never sends more than one range ahead. Within a range the bytes are taken
// from curl's pipe no sooner than the cap allows, counted from the transfer's start. A server
// that answers the first range with the whole file is read to its end the same way.
sonuc hizla_getir(const std::string& adres, int yazma_fd, int okuma_fd, size_t parca_boyutu, int64_t en_cok,
                  const std::function<void(const char*, size_t)>& parca, const std::atomic<bool>& durdur,
                  int64_t baslangic, int64_t hiz_siniri) {
    // A tenth of a second's worth at a time keeps the pace even within a second.
    std::vector<char> tampon(size_t(std::clamp<int64_t>(hiz_siniri / 10, 1, int64_t(parca_boyutu))));
    const int64_t dilim = std::max<int64_t>(hiz_siniri / 2, 512);
    const auto bas = saat::now();
    int64_t alinan = 0;
    sonuc s = sonuc::TAMAM;
    while (s == sonuc::TAMAM) {
        if (!vakti_bekle(bas + sure(double(alinan) / double(hiz_siniri)), durdur)) return sonuc::DURDURULDU;
        const int64_t ilk = baslangic + alinan;
        const bool son_dilim = alinan + dilim >= en_cok;  // the last asks for the rest, so a longer body shows
        surec::boru b;
        if (!surec::boru_ac(dilim_komutu(adres, ilk, son_dilim ? -1 : ilk + dilim - 1), b, true, kisa_boru(hiz_siniri)))
            return sonuc::CALISTIRILAMADI;
        const int64_t once = alinan;
        while (s == sonuc::TAMAM) {
            if (!vakti_bekle(bas + sure(double(alinan) / double(hiz_siniri)), durdur)) {
                s = sonuc::DURDURULDU;
                break;
            }
            const long n = surec::oku(b, tampon.data(), tampon.size(), durdur, durgunluk_siniri());
            if (n == 0) break;
            const int64_t kalan = en_cok - alinan;
            if (n < 0) s = durdur.load() ? sonuc::DURDURULDU : n == surec::ZAMAN_ASIMI ? sonuc::GECICI : sonuc::SUNUCU_HATASI;
            else if (!tamamen_yaz(yazma_fd, tampon.data(), size_t(std::min<int64_t>(n, kalan)))) s = sonuc::REDDEDILDI;
            if (s != sonuc::TAMAM) break;
            parca(tampon.data(), size_t(std::min<int64_t>(n, kalan)));
            alinan += std::min<int64_t>(n, kalan);
            if (n > kalan) s = sonuc::FAZLA;
        }
        if (s != sonuc::TAMAM) {
            surec::sonlandir(b);
            break;
        }
        s = kapanis(b, 0, durdur);
        // The last range, a whole file sent for the first, or a file that ended early: done.
        if (son_dilim || alinan >= en_cok || alinan - once < dilim) break;
    }
    ::lseek(okuma_fd, baslangic + alinan, SEEK_SET);  // the reader stands where dosyaya_getir leaves it
    return s;
}

}  // namespace

double durgunluk_siniri() { return durgunluk.load(); }
void durgunluk_siniri_koy(double saniye) { durgunluk.store(saniye); }

bool adres_guvenli(const std::string& adres) { return adres.find('\'') == std::string::npos; }

bool gecici_mi(int cikis, long http) {
    switch (cikis) {
        case 6:   // the name did not resolve
        case 7:   // no connection
        case 16:  // HTTP/2 framing
        case 18:  // the body was cut short
        case 28:  // a time limit
        case 35:  // the TLS handshake failed
        case 52:  // an empty answer
        case 55:  // sending failed
        case 56:  // receiving failed: a reset
        case 92:  // an HTTP/2 stream was reset
            return true;
        case 22: return http == 408 || http == 429 || (http >= 500 && http <= 599);
        default: return false;
    }
}

void taze_iste(bool iste) { taze = iste; }

std::string taze_secenegi() { return taze ? " -H 'Cache-Control: no-cache'" : ""; }

std::string kullanici_ayarlari() {
    auto var_mi = [](const std::string& yol) {
        struct stat st;
        return ::stat(yol.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    };
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::vector<std::string> adaylar;
    for (const char* ad : {"CURL_HOME", "XDG_CONFIG_HOME", "HOME"})
        if (const char* d = std::getenv(ad); d && *d) adaylar.push_back(std::string(d) + "/.curlrc");
    // Only without XDG_CONFIG_HOME does curl look below the homes' .config.
    for (const char* ad : {"CURL_HOME", "HOME"})
        if (const char* d = std::getenv(ad); d && *d && !(xdg && *xdg)) adaylar.push_back(std::string(d) + "/.config/curlrc");
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) adaylar.push_back(std::string(pw->pw_dir) + "/.curlrc");
    for (const std::string& yol : adaylar)
        if (var_mi(yol)) return yol;
    return "";
}

std::string getir_komutu(const std::string& adres) {
    return "curl -fsSL --connect-timeout 15 -w '" + std::string(DURUM_SATIRI) + "'" + taze_secenegi() + " '" + adres + "'";
}

std::string dosya_komutu(const std::string& adres, int64_t baslangic) {
    std::string komut = "curl -fsSL --connect-timeout 15 -w '" + std::string(DURUM_SATIRI) + "'" + taze_secenegi();
    if (baslangic > 0) komut += " -C " + std::to_string(baslangic);
    return komut + " '" + adres + "'";
}

std::string hiz_secenegi(int64_t hiz_siniri) {
    return hiz_siniri > 0 ? " --limit-rate " + std::to_string(std::max<int64_t>(hiz_siniri, 1)) : "";
}

std::string toplu_komutu(int paralel, int64_t hiz_siniri) {
    return "curl -sfgL --no-progress-meter --connect-timeout 15 --parallel --parallel-max " + std::to_string(paralel) +
           hiz_secenegi(hiz_siniri > 0 ? std::max<int64_t>(hiz_siniri / paralel, 1) : 0) + taze_secenegi() + " -w '" + TOPLU_SATIRI +
           "\\n' -K - 2>&1 >/dev/null";
}

double bekleme_istegi() { return bekleme; }

bool toplu_destekli() {
    surec::boru b;
    if (!surec::boru_ac("curl --version", b)) return false;
    char tampon[256];
    const std::atomic<bool> durma{false};
    const long n = surec::oku(b, tampon, sizeof tampon - 1, durma, 5.0);
    surec::kapat(b);
    if (n <= 0) return false;
    tampon[n] = 0;
    int ana = 0, ara = 0;
    if (std::sscanf(tampon, "curl %d.%d", &ana, &ara) != 2) return false;
    return ana > 7 || (ana == 7 && ara >= 75);
}

std::string json_gonder_komutu(const std::string& adres) {
    return "curl -sS -m 15 -X POST -H 'Content-Type: application/json' --data-binary @- -w '\\n%{http_code}' '" +
           adres + "'";
}

sonuc gonder(const std::string& adres, const char* govde, size_t n, size_t en_cok, std::string& cikti,
             const std::atomic<bool>& durdur) {
    if (!adres_guvenli(adres)) return sonuc::ADRES_GECERSIZ;
    surec::boru b;
    if (!surec::girdili_ac(json_gonder_komutu(adres), govde, n, b)) return sonuc::CALISTIRILAMADI;
    char tampon[4096];
    while (true) {
        long k = surec::oku(b, tampon, sizeof tampon, durdur, durgunluk_siniri());
        if (k == 0) break;
        if (k < 0) {
            surec::sonlandir(b);
            return durdur.load() ? sonuc::DURDURULDU : sonuc::SUNUCU_HATASI;
        }
        if (cikti.size() + size_t(k) > en_cok) {
            surec::sonlandir(b);
            return sonuc::FAZLA;
        }
        cikti.append(tampon, size_t(k));
    }
    // -w still prints the status after a body cut short (18) or a timeout (28): only a
    // transfer curl finished is an answer.
    const int durum = surec::kapat(b);
    if (durdur.load()) return sonuc::DURDURULDU;
    if (komut_yok_mu(durum)) return sonuc::CALISTIRILAMADI;
    return durum != 0 ? sonuc::SUNUCU_HATASI : sonuc::TAMAM;
}

sonuc getir(const std::string& adres, size_t parca_boyutu,
            const std::function<bool(const char*, size_t)>& parca, const std::atomic<bool>& durdur,
            double sessizlik, int64_t hiz_siniri) {
    if (!adres_guvenli(adres)) return sonuc::ADRES_GECERSIZ;
    surec::boru b;
    if (!surec::boru_ac(getir_komutu(adres) + hiz_secenegi(hiz_siniri), b, true,
                        hiz_siniri > 0 ? kisa_boru(hiz_siniri) : 0))
        return sonuc::CALISTIRILAMADI;
    std::vector<char> tampon(hiz_siniri > 0 ? size_t(std::clamp<int64_t>(hiz_siniri / 10, 1, int64_t(parca_boyutu)))
                                            : parca_boyutu);
    const double sinir = sessizlik > 0 ? std::min(sessizlik, durgunluk_siniri()) : durgunluk_siniri();
    const auto bas = saat::now();
    int64_t alinan = 0;
    while (true) {
        if (hiz_siniri > 0 && !vakti_bekle(bas + sure(double(alinan) / double(hiz_siniri)), durdur)) break;
        long n = surec::oku(b, tampon.data(), tampon.size(), durdur, sinir);
        if (n == 0) break;
        if (n < 0) {
            surec::sonlandir(b);
            if (durdur.load()) return sonuc::DURDURULDU;
            return n == surec::ZAMAN_ASIMI ? sonuc::GECICI : sonuc::SUNUCU_HATASI;
        }
        if (!parca(tampon.data(), size_t(n))) {
            surec::sonlandir(b);
            return sonuc::REDDEDILDI;
        }
        alinan += n;
    }
    if (durdur.load()) {
        surec::sonlandir(b);
        return sonuc::DURDURULDU;
    }
    // The body was taken whole, so a write error of curl's cannot have happened here.
    const sonuc s = kapanis(b, 0, durdur);
    return s == sonuc::REDDEDILDI || s == sonuc::ARALIK_YOK ? sonuc::SUNUCU_HATASI : s;
}

sonuc dosyaya_getir(const std::string& adres, int yazma_fd, int okuma_fd, size_t parca_boyutu, int64_t en_cok,
                    const std::function<void(const char*, size_t)>& parca, const std::atomic<bool>& durdur,
                    int64_t baslangic, int64_t hiz_siniri) {
    if (!adres_guvenli(adres)) return sonuc::ADRES_GECERSIZ;
    surec::boru b;
    // One byte past the limit may land, so that "too long" can be told from "just right".
    // (curl's --max-filesize is no help: it is checked before -f, so it turns an HTTP error
    // page into "too long", and curl 7.88 ignores it when no length is announced.)
    if (hiz_siniri > 0) return hizla_getir(adres, yazma_fd, okuma_fd, parca_boyutu, en_cok, parca, durdur, baslangic,
                                           hiz_siniri);
    const std::string komut = dosya_komutu(adres, baslangic);
    if (!surec::dosyaya_ac(komut, yazma_fd, b, baslangic + en_cok + 1, true)) return sonuc::CALISTIRILAMADI;
    okuyucu o{okuma_fd, std::vector<char>(parca_boyutu), en_cok, parca};
    const auto sinir = std::chrono::duration<double>(durgunluk_siniri());
    auto son_hareket = saat::now();
    int durum = 0;
    bool bitti = false, yeni = false, sonda = false;
    while (true) {
        if (durdur.load()) {
            surec::sonlandir(b);
            return sonuc::DURDURULDU;
        }
        // Once the child has ended, every byte it wrote is in the file: read to the end.
        if (!bitti) bitti = surec::bitti_mi(b, durum);
        const okuyucu::adim a = o.yetis(yeni, sonda);
        if (a != okuyucu::adim::TAMAM) {
            surec::sonlandir(b);
            return a == okuyucu::adim::FAZLA ? sonuc::FAZLA : sonuc::REDDEDILDI;
        }
        if (bitti && sonda) break;
        if (yeni) {
            son_hareket = saat::now();
            continue;
        }
        if (saat::now() - son_hareket > sinir) {
            surec::sonlandir(b);
            return sonuc::GECICI;  // a connection that died without a word
        }
        std::this_thread::sleep_for(BEKLEME);
    }
    return kapanis(b, durum, durdur);
}

sonuc toplu_getir(const std::string& yapilandirma, int paralel, int64_t dosya_siniri,
                  const std::function<bool(const std::string&)>& satir, const std::function<bool()>& ilerliyor,
                  const std::atomic<bool>& durdur, int64_t hiz_siniri) {
    surec::boru b;
    if (!surec::girdili_ac(toplu_komutu(paralel, hiz_siniri), yapilandirma.data(), yapilandirma.size(), b, dosya_siniri))
        return sonuc::CALISTIRILAMADI;
    const auto sinir = std::chrono::duration<double>(durgunluk_siniri());
    auto son_hareket = saat::now();
    std::string birikmis;
    char tampon[4096];
    while (true) {
        const long n = surec::oku(b, tampon, sizeof tampon, durdur, TOPLU_YOKLAMA);
        if (n == 0) break;
        if (n == surec::ZAMAN_ASIMI) {
            if (ilerliyor()) son_hareket = saat::now();
            if (saat::now() - son_hareket <= sinir) continue;
            surec::sonlandir(b);
            return sonuc::GECICI;
        }
        if (n < 0) {
            surec::sonlandir(b);
            return durdur.load() ? sonuc::DURDURULDU : sonuc::SUNUCU_HATASI;
        }
        son_hareket = saat::now();
        birikmis.append(tampon, size_t(n));
        if (size_t(n) < sizeof tampon) std::this_thread::sleep_for(TOPLU_TOPLAMA);
        for (size_t son; (son = birikmis.find('\n')) != std::string::npos; birikmis.erase(0, son + 1)) {
            if (satir(birikmis.substr(0, son))) continue;
            surec::sonlandir(b);
            return sonuc::REDDEDILDI;
        }
    }
    const int durum = surec::kapat(b);
    if (durdur.load()) return sonuc::DURDURULDU;
    return komut_yok_mu(durum) ? sonuc::CALISTIRILAMADI : sonuc::TAMAM;
}

metinler::aktarim_hatasi hatasi(sonuc s) {
    switch (s) {
        case sonuc::TAMAM: return metinler::aktarim_hatasi::YOK;
        case sonuc::ADRES_GECERSIZ: return metinler::aktarim_hatasi::ADRES_GECERSIZ;
        case sonuc::CALISTIRILAMADI: return metinler::aktarim_hatasi::CALISTIRILAMADI;
        case sonuc::REDDEDILDI: return metinler::aktarim_hatasi::DISKE_YAZILAMADI;
        case sonuc::SUNUCU_HATASI: return metinler::aktarim_hatasi::ULASILAMADI;
        case sonuc::GECICI: return metinler::aktarim_hatasi::GECICI;
        case sonuc::ARALIK_YOK: return metinler::aktarim_hatasi::ARALIK_YOK;
        case sonuc::FAZLA: return metinler::aktarim_hatasi::BOZUK;
        case sonuc::DURDURULDU: return metinler::aktarim_hatasi::DURDURULDU;
    }
    return metinler::aktarim_hatasi::ULASILAMADI;
}

}  // namespace aktarim
