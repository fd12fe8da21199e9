// One reset of the process-wide state for in-process tests: whatever one test left behind
// (a worker still running, a box open, a setting) must not decide the next one.
#include "tests/surec_durumu.h"

#include <sys/wait.h>

#include "app/ayarlar.h"
#include "app/mesaj.h"
#include "app/pencere.h"
#include "platform/aktarim.h"
#include "platform/oyun.h"
#include "server/baglanti.h"
#include "ui/girdi.h"
#include "ui/metin_alani.h"
#include "updater/durum.h"
#include "updater/tekrar.h"
#include "web/giris_akisi.h"
#include "web/haber.h"
#include "web/webgiris.h"

namespace yardimci {

namespace {

void isciler_durdur() {
    kapaniyor = true;
    if (guncelleme::iplik.joinable()) guncelleme::iplik.join();
    if (webgiris::iplik.joinable()) webgiris::iplik.join();
    kapaniyor = false;
}

void alanlari_bosalt() {
    for (metin_alani* a : {&kullanici_alani, &sifre_alani, &kod_alani, &sunucu_alani}) gizli::sil(a->metin);
    odak = nullptr;
    gizli::sil(giris_sifresi);
}

}  // namespace

void surec_durumunu_sifirla() {
    isciler_durdur();
    webgiris::suruyor = false;
    webgiris::hazir = false;
    webgiris::vazgec = false;
    webgiris::durum_kodu = 0;
    webgiris::bozuk = false;
    sunucu_sifirla();
    sunucu_durumu = SUNUCU_BAGLANIYOR;
    if (oyun::oyun_pid > 0) waitpid(oyun::oyun_pid, nullptr, 0);
    oyun::oyun_pid = 0;

    ayarlar = ayar_tablosu{};
    mesaj_kutusu = mesaj_kutusu_kaydi{};
    girdi = girdi_kaydi{};
    alanlari_bosalt();
    kod_modu = false;
    acik_panel = 0;
    oyun_durumu = 0;
    beni_hatirla = false;
    haberler.clear();
    webhaber::var = false;
    guncelleme::hata_ver({});
    guncelleme::yedek_koy("");
    guncelleme::durum = guncelleme::BASLAMADI;
    aktarim::durgunluk_siniri_koy(aktarim::DURGUNLUK_SINIRI);
    guncelleme::tekrar_olcegi_koy(1.0);
}

}  // namespace yardimci
