// The account login request: body building, the worker, curl's output parsing and the wipe
// of held credentials. The globals below are the web login's shared state.
#include "web/webgiris.h"

#include <cstdlib>
#include <system_error>

#include "app/ayarlar.h"
#include "platform/aktarim.h"
#include "ui/metin_alani.h"
#include "updater/durum.h"
#include "web/giris_akisi.h"
#include "web/json.h"

namespace webgiris {

// Never destroyed: an exit() from the window system must not meet a joinable thread.
std::thread& iplik = *new std::thread;  // main thread only
std::atomic<bool> suruyor{false};       // set by iste, cleared by the main loop
std::atomic<bool> hazir{false};         // set by the worker, cleared by the main loop
bool vazgec = false;                    // main thread only
long durum_kodu = 0;                    // worker, then main thread after the join
std::string cevap;                      // worker, then main thread after the join
metinler::aktarim_hatasi hata = metinler::aktarim_hatasi::YOK;  // worker, then main thread after the join
bool bozuk = false;                     // worker, then main thread after the join

namespace {

std::string adres_kur() {
    std::string url = ayar_degeri("hesap_api");
    if (url.empty() || url.back() != '/') url += '/';
    return url + "ticket";
}

// {"username":...,"password":...[,"totpCode":...]} with no white space, in a wiping string.
gizli::dize govde_kur(const std::string& kod) {
    gizli::dize govde;
    govde.reserve(gizli::GOVDE_KAPASITESI);
    govde += "{\"username\":";
    json_kacis_ekle(kullanici_alani.metin.data(), kullanici_alani.metin.size(), govde);
    govde += ",\"password\":";
    json_kacis_ekle(giris_sifresi.data(), giris_sifresi.size(), govde);
    if (!kod.empty()) {
        govde += ",\"totpCode\":";
        json_kacis_ekle(kod.data(), kod.size(), govde);
    }
    govde += '}';
    return govde;
}

void isci(std::string url, gizli::dize govde) {
    yolla(url, govde, &durum_kodu, &cevap, &hata, &bozuk);
    gizli::sil(govde);
    hazir.exchange(true);
}

}  // namespace

void cikti_coz(const std::string& cikti, long* durum, std::string* cevap_, metinler::aktarim_hatasi* hata_) {
    const size_t lf = cikti.rfind('\n');
    if (lf == std::string::npos) {
        *hata_ = metinler::aktarim_hatasi::ULASILAMADI;
        return;
    }
    *durum = std::strtol(cikti.c_str() + lf + 1, nullptr, 10);
    cevap_->assign(cikti, 0, lf);
    if (*durum == 0) *hata_ = metinler::aktarim_hatasi::ULASILAMADI;
}

void yolla(const std::string& url, const gizli::dize& govde, long* durum, std::string* cevap_,
           metinler::aktarim_hatasi* hata_, bool* bozuk_cevap) {
    *durum = 0;
    gizli::sil(*cevap_);
    *hata_ = metinler::aktarim_hatasi::YOK;
    *bozuk_cevap = false;
    std::string cikti;
    cikti.reserve(CEVAP_SINIRI + 16);  // one block: the ticket in it is wiped, not left behind
    const aktarim::sonuc s = aktarim::gonder(url, govde.data(), govde.size(), CEVAP_SINIRI + 16, cikti, kapaniyor);
    if (s == aktarim::sonuc::FAZLA) *bozuk_cevap = true;
    else if (s == aktarim::sonuc::TAMAM) cikti_coz(cikti, durum, cevap_, hata_);
    else *hata_ = aktarim::hatasi(s);
    gizli::sil(cikti);
}

void iste(const std::string& kod) {
    if (iplik.joinable()) iplik.join();
    std::string url = adres_kur();
    gizli::dize govde = govde_kur(kod);
    suruyor.exchange(true);
    hazir.exchange(false);
    vazgec = false;
    try {
        iplik = std::thread(isci, std::move(url), std::move(govde));
    } catch (const std::system_error&) {
        // Nothing could be started: the attempt ends as one whose transfer could not run.
        durum_kodu = 0;
        gizli::sil(cevap);
        hata = metinler::aktarim_hatasi::CALISTIRILAMADI;
        bozuk = false;
        hazir.exchange(true);
    }
}

}  // namespace webgiris

gizli::dize giris_sifresi;  // main thread; room reserved at start-up (giris_hazirla)

void kimlik_sil() {
    gizli::sil(giris_sifresi);
    gizli::sil(kod_alani.metin);
    kod_modu = false;
    if (odak == &kod_alani) odakla(&sifre_alani);  // the panel asks for the password again
}
