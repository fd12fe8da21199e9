// Settings: reading, looking up, changing and rewriting the two key=value files.
// The table is owned here and touched from the main thread only.
#include "app/ayarlar.h"

#include "platform/atomik.h"
#include "platform/dosya.h"

#include <cstdio>

ayar_tablosu ayarlar;  // written by start-up (ini_oku) and ayar_koy; main thread

namespace {
bool kisisel_yazilabilir = true;  // false once "launcher.ini" was found unreadable; main thread
}

namespace {

const ayar* ilk_kayit(const std::vector<ayar>& liste, const std::string& anahtar) {
    for (const ayar& a : liste)
        if (a.anahtar == anahtar) return &a;
    return nullptr;
}

// Applies the line rules to one line (without its '\n'); appends an entry when it is one.
void satir_isle(std::string satir, std::vector<ayar>& liste) {
    if (!satir.empty() && satir.back() == '\r') satir.pop_back();
    if (satir.empty() || satir[0] == '#') return;
    size_t esit = satir.find('=');
    if (esit == std::string::npos) return;
    liste.push_back({satir.substr(0, esit), satir.substr(esit + 1)});
}

}  // namespace

bool ini_oku(const std::string& yol, std::vector<ayar>& liste) {
    liste.clear();
    std::string metin;
    const okuma s = dosya_oku(yol, metin, AYAR_SINIRI);
    if (s == okuma::TAMAM) ini_coz(metin, liste);
    return s == okuma::TAMAM || s == okuma::YOK;
}

void ayarlari_oku() {
    kisisel_yazilabilir = ini_oku("launcher.ini", ayarlar.kisisel);
    if (!kisisel_yazilabilir)
        std::fputs("launcher.ini okunamadi (klasor, izinsiz ya da 1 MiB'den buyuk); bos sayildi ve degistirilmeyecek.\n",
                   stderr);
    if (!ini_oku("varsayilan.ini", ayarlar.varsayilan)) std::fputs("varsayilan.ini okunamadi; bos sayildi.\n", stderr);
}

void ini_coz(const std::string& metin, std::vector<ayar>& liste) {
    liste.clear();
    size_t bas = 0;
    while (bas < metin.size()) {
        const size_t lf = metin.find('\n', bas);
        satir_isle(metin.substr(bas, lf == std::string::npos ? std::string::npos : lf - bas), liste);
        bas = lf == std::string::npos ? metin.size() : lf + 1;
    }
}

std::string ayar_al(const std::string& anahtar, const std::string& yedek) {
    if (const ayar* a = ilk_kayit(ayarlar.kisisel, anahtar)) return a->deger;
    if (const ayar* a = ilk_kayit(ayarlar.varsayilan, anahtar)) return a->deger;
    return yedek;
}

const char* ayar_varsayilani(const std::string& anahtar) {
    static const std::pair<const char*, const char*> tablo[] = {{"sunucu", "127.0.0.1"}, {"hatirla", "1"}};
    for (const auto& [ad, deger] : tablo)
        if (anahtar == ad) return deger;
    return "";
}

std::string ayar_degeri(const std::string& anahtar) { return ayar_al(anahtar, ayar_varsayilani(anahtar)); }

void ayar_koy(const std::string& anahtar, const std::string& deger) {
    for (ayar& a : ayarlar.kisisel) {
        if (a.anahtar == anahtar) {
            a.deger = deger;
            return;
        }
    }
    ayarlar.kisisel.push_back({anahtar, deger});
}

void ini_yaz() {
    if (!kisisel_yazilabilir) return;
    std::string metin;
    for (const ayar& a : ayarlar.kisisel) metin += a.anahtar + '=' + a.deger + '\n';
    atomik_yaz("launcher.ini", metin);
}

bool hesap_api_var() { return !ayar_degeri("hesap_api").empty(); }
