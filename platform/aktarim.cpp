// HTTP transfers through curl: command lines and the streaming GET.
// No state of its own.
#include "platform/aktarim.h"

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <vector>

#include "platform/surec.h"

namespace aktarim {
namespace {

const int CURL_YAZMA_HATASI = 23;                        // curl could not write its output
const auto BEKLEME = std::chrono::microseconds(500);     // pause when the file has no new bytes
const int YETISME_PARCA = 64;                            // reads between two looks at the stop flag

sonuc cikis_sonucu(int durum) {
    if (WIFEXITED(durum) && WEXITSTATUS(durum) == 0) return sonuc::TAMAM;
    if (WIFEXITED(durum) && WEXITSTATUS(durum) == CURL_YAZMA_HATASI) return sonuc::REDDEDILDI;
    return sonuc::SUNUCU_HATASI;
}

// Hands the bytes that have landed in the file to `parca`, at most YETISME_PARCA reads at a
// time so that the stop flag is looked at often; returns false on a read error.
bool yetis(int okuma_fd, std::vector<char>& tampon, const std::function<void(const char*, size_t)>& parca,
           bool& yeni, bool& sonda) {
    yeni = false;
    sonda = false;
    for (int i = 0; i < YETISME_PARCA; ++i) {
        ssize_t n = ::read(okuma_fd, tampon.data(), tampon.size());
        if (n < 0) return false;
        if (n == 0) {
            sonda = true;
            return true;
        }
        parca(tampon.data(), size_t(n));
        yeni = true;
    }
    return true;
}

}  // namespace

bool adres_guvenli(const std::string& adres) { return adres.find('\'') == std::string::npos; }

std::string getir_komutu(const std::string& adres) {
    return "curl -fsSL --connect-timeout 15 '" + adres + "'";
}

sonuc getir(const std::string& adres, size_t parca_boyutu,
            const std::function<bool(const char*, size_t)>& parca, const std::atomic<bool>& durdur) {
    if (!adres_guvenli(adres)) return sonuc::ADRES_GECERSIZ;
    surec::boru b;
    if (!surec::boru_ac(getir_komutu(adres), b)) return sonuc::CALISTIRILAMADI;
    std::vector<char> tampon(parca_boyutu);
    while (true) {
        long n = surec::oku(b, tampon.data(), tampon.size(), durdur);
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

sonuc dosyaya_getir(const std::string& adres, int yazma_fd, int okuma_fd, size_t parca_boyutu,
                    const std::function<void(const char*, size_t)>& parca, const std::atomic<bool>& durdur) {
    if (!adres_guvenli(adres)) return sonuc::ADRES_GECERSIZ;
    surec::boru b;
    if (!surec::dosyaya_ac(getir_komutu(adres), yazma_fd, b)) return sonuc::CALISTIRILAMADI;
    std::vector<char> tampon(parca_boyutu);
    int durum = 0;
    bool bitti = false, yeni = false, sonda = false;
    while (true) {
        if (durdur.load()) {
            surec::sonlandir(b);
            return sonuc::DURDURULDU;
        }
        // Once the child has ended, every byte it wrote is in the file: read to the end.
        if (!bitti) bitti = surec::bitti_mi(b, durum);
        if (!yetis(okuma_fd, tampon, parca, yeni, sonda)) {
            surec::sonlandir(b);
            return sonuc::REDDEDILDI;
        }
        if (bitti && sonda) break;
        if (!yeni) std::this_thread::sleep_for(BEKLEME);
    }
    return durdur.load() ? sonuc::DURDURULDU : cikis_sonucu(durum);
}

}  // namespace aktarim
