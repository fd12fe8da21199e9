// HTTP transfers through curl: command lines and the streaming GET.
// No state of its own.
#include "platform/aktarim.h"

#include <vector>

#include "platform/surec.h"

namespace aktarim {

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

}  // namespace aktarim

