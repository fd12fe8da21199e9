// HTTP transfers through curl: command lines, the streaming GET, and the file download that
// is held to its size and to the silent-transfer limit. Its only state is that limit.
#include "platform/aktarim.h"

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <vector>

#include "platform/surec.h"

namespace aktarim {
namespace {

std::atomic<double> durgunluk{DURGUNLUK_SINIRI};  // written by tests only, before a transfer starts

const int CURL_YAZMA_HATASI = 23;                        // curl could not write its output
const int CURL_ARALIK_YOK = 33;                          // the server ignored the range of -C
const double TOPLU_YOKLAMA = 0.25;                       // seconds between two looks at a quiet batch
const auto BEKLEME = std::chrono::microseconds(500);     // pause when the file has no new bytes
const int YETISME_PARCA = 64;                            // reads between two looks at the stop flag

using saat = std::chrono::steady_clock;

sonuc cikis_sonucu(int durum) {
    if (WIFEXITED(durum) && WEXITSTATUS(durum) == 0) return sonuc::TAMAM;
    if (WIFEXITED(durum) && WEXITSTATUS(durum) == CURL_YAZMA_HATASI) return sonuc::REDDEDILDI;
    if (WIFEXITED(durum) && WEXITSTATUS(durum) == CURL_ARALIK_YOK) return sonuc::ARALIK_YOK;
    return sonuc::SUNUCU_HATASI;
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

}  // namespace

double durgunluk_siniri() { return durgunluk.load(); }
void durgunluk_siniri_koy(double saniye) { durgunluk.store(saniye); }

bool adres_guvenli(const std::string& adres) { return adres.find('\'') == std::string::npos; }

std::string getir_komutu(const std::string& adres) {
    return "curl -fsSL --connect-timeout 15 '" + adres + "'";
}

std::string devam_komutu(const std::string& adres, int64_t baslangic) {
    return "curl -fsSL --connect-timeout 15 -C " + std::to_string(baslangic) + " '" + adres + "'";
}

std::string toplu_komutu(int paralel) {
    return "curl -sfgL --no-progress-meter --connect-timeout 15 --parallel --parallel-max " + std::to_string(paralel) +
           " -w '%{stderr}%{urlnum} %{exitcode} %{http_code} %{size_download}\n' -K - 2>&1 >/dev/null";
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
    if (surec::kapat(b) != 0) return durdur.load() ? sonuc::DURDURULDU : sonuc::SUNUCU_HATASI;
    return durdur.load() ? sonuc::DURDURULDU : sonuc::TAMAM;
}

sonuc getir(const std::string& adres, size_t parca_boyutu,
            const std::function<bool(const char*, size_t)>& parca, const std::atomic<bool>& durdur) {
    if (!adres_guvenli(adres)) return sonuc::ADRES_GECERSIZ;
    surec::boru b;
    if (!surec::boru_ac(getir_komutu(adres), b)) return sonuc::CALISTIRILAMADI;
    std::vector<char> tampon(parca_boyutu);
    while (true) {
        long n = surec::oku(b, tampon.data(), tampon.size(), durdur, durgunluk_siniri());
        if (n == 0) break;
        if (n < 0) {
            surec::sonlandir(b);
            return durdur.load() ? sonuc::DURDURULDU : sonuc::SUNUCU_HATASI;
        }
        if (!parca(tampon.data(), size_t(n))) {
            surec::sonlandir(b);
            return sonuc::REDDEDILDI;
        }
    }
    if (surec::kapat(b) != 0) return sonuc::SUNUCU_HATASI;
    return durdur.load() ? sonuc::DURDURULDU : sonuc::TAMAM;
}

sonuc dosyaya_getir(const std::string& adres, int yazma_fd, int okuma_fd, size_t parca_boyutu, int64_t en_cok,
                    const std::function<void(const char*, size_t)>& parca, const std::atomic<bool>& durdur,
                    int64_t baslangic) {
    if (!adres_guvenli(adres)) return sonuc::ADRES_GECERSIZ;
    surec::boru b;
    // One byte past the limit may land, so that "too long" can be told from "just right".
    // (curl's --max-filesize is no help: it is checked before -f, so it turns an HTTP error
    // page into "too long", and curl 7.88 ignores it when no length is announced.)
    const std::string komut = baslangic > 0 ? devam_komutu(adres, baslangic) : getir_komutu(adres);
    if (!surec::dosyaya_ac(komut, yazma_fd, b, baslangic + en_cok + 1)) return sonuc::CALISTIRILAMADI;
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
            return sonuc::SUNUCU_HATASI;
        }
        std::this_thread::sleep_for(BEKLEME);
    }
    return durdur.load() ? sonuc::DURDURULDU : cikis_sonucu(durum);
}

sonuc toplu_getir(const std::string& yapilandirma, int paralel, int64_t dosya_siniri,
                  const std::function<bool(const std::string&)>& satir, const std::function<bool()>& ilerliyor,
                  const std::atomic<bool>& durdur) {
    surec::boru b;
    if (!surec::girdili_ac(toplu_komutu(paralel), yapilandirma.data(), yapilandirma.size(), b, dosya_siniri))
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
            return sonuc::SUNUCU_HATASI;
        }
        if (n < 0) {
            surec::sonlandir(b);
            return durdur.load() ? sonuc::DURDURULDU : sonuc::SUNUCU_HATASI;
        }
        son_hareket = saat::now();
        birikmis.append(tampon, size_t(n));
        for (size_t son; (son = birikmis.find('\n')) != std::string::npos; birikmis.erase(0, son + 1)) {
            if (satir(birikmis.substr(0, son))) continue;
            surec::sonlandir(b);
            return sonuc::REDDEDILDI;
        }
    }
    surec::kapat(b);
    return durdur.load() ? sonuc::DURDURULDU : sonuc::TAMAM;
}

}  // namespace aktarim
