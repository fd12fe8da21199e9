// The news: feed parsing, the detached fetch thread and the hand-over to the main loop.
// The fetch result lives in a shared, heap-held record that the thread co-owns, so a thread
// still running at exit never touches freed memory. `haberler` is main-thread data.
#include "web/haber.h"

#include <atomic>
#include <memory>
#include <string_view>
#include <system_error>
#include <thread>

#include "app/ayarlar.h"
#include "platform/aktarim.h"
#include "updater/durum.h"

std::vector<haber> haberler;

namespace webhaber {

bool var = false;  // main thread

namespace {

struct getirme {
    std::string metin;               // the raw feed; empty after a failed fetch
    std::atomic<bool> bitti{false};  // the thread has finished; publishes `metin`
};

std::shared_ptr<getirme> sonuc;  // the running or finished fetch; null when none was started
bool alindi = false;             // the main loop has taken the result (main thread)

void getir(std::string adres, std::shared_ptr<getirme> g) {
    std::string metin;
    auto parca = [&](const char* veri, size_t n) {
        metin.append(veri, n);
        return metin.size() < SINIR;
    };
    if (aktarim::getir(adres, 65536, parca, kapaniyor) != aktarim::sonuc::TAMAM) metin.clear();
    g->metin = std::move(metin);
    g->bitti.exchange(true);
}

}  // namespace

void baslat() {
    const std::string adres = ayar_degeri("haber_adresi");
    if (adres.empty()) return;
    sonuc = std::make_shared<getirme>();
    try {
        std::thread(getir, adres, sonuc).detach();
    } catch (const std::system_error&) {
        sonuc.reset();  // no thread to be had: no news, as from a server that cannot be reached
    }
}

std::vector<haber> coz(const std::string& metin) {
    std::vector<haber> cikti;
    std::string_view kalan = metin;
    while (!kalan.empty()) {
        size_t son = kalan.find('\n');
        std::string_view satir = kalan.substr(0, son);
        kalan.remove_prefix(son == std::string_view::npos ? kalan.size() : son + 1);
        if (!satir.empty() && satir.back() == '\r') satir.remove_suffix(1);
        size_t a = satir.find('|');
        if (a == std::string_view::npos) continue;
        size_t b = satir.find('|', a + 1);
        if (b == std::string_view::npos) continue;
        cikti.push_back({std::string(satir.substr(0, a)), std::string(satir.substr(a + 1, b - a - 1)),
                         std::string(satir.substr(b + 1))});
    }
    return cikti;
}

void uygula(const std::string& metin) {
    std::vector<haber> yeni = coz(metin);
    if (yeni.empty()) return;
    haberler = std::move(yeni);
    var = true;
}

void devral() {
    if (alindi || !sonuc || !sonuc->bitti.load()) return;
    alindi = true;
    uygula(sonuc->metin);
}

}  // namespace webhaber
