// End-to-end journeys through the one-command local world (tools/dunya.sh) under an X server:
// a first start on an empty directory (signed update, news, server status, desktop entry), a
// web login with a two-step code into the demo game and back through the closing picture
// (twice in a row, the world stopping every helper each time); the server road with an early
// crash, a refusal and a login; the launcher updating itself; a tampered manifest; an update
// server that comes back. Every journey leaves screenshots under BUILD/yolculuklar/ and a
// failure names the step that did not happen.
#include <gtest/gtest.h>
#include <signal.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/dunya.h"
#include "tests/launcher_penceresi.h"
#include "tests/yardimci.h"

namespace fs = std::filesystem;

namespace {

using launcher_penceresi::calisan_launcher;
using yardimci::bekle_ki;
using yardimci::dosya_oku;
using yardimci::komut;

using yardimci::yasiyor_mu;
using namespace dunya_yolu;

// Waits for the world's launcher and its window; the update and the server status first.
bool hazir_bekle(dunya& d, calisan_launcher*& l, std::unique_ptr<calisan_launcher>& sahip) {
    if (!bekle_ki([&] { return d.launcher_pid() > 0 || !yasiyor_mu(d.betik); }, 60)) return false;
    sahip = std::make_unique<calisan_launcher>(d.launcher_pid());
    l = sahip.get();
    return !l->id.empty();
}

// Signs in through the panel: START, name, Tab, password, Enter. After a refusal the panel
// stays open with the name kept: the password field is clicked instead.
void giris_yap(const calisan_launcher& l, const std::string& ad, const std::string& sifre, bool panel_acik = false) {
    if (panel_acik) {
        l.tikla(400, 300);
    } else {
        ASSERT_TRUE(l.paneli_ac());
        l.tikla(400, 246);  // the name field, which may hold a remembered name
        for (int i = 0; i < 12; ++i) l.tus("BackSpace");
        l.yaz(ad);
        l.tus("Tab");
    }
    l.yaz(sifre);
    l.tus("Return");
}

// The player's first start: the world comes up, the launcher downloads the signed demo
// update, shows the news and "Açık", writes its desktop entry; then closes, and every
// helper the world started is gone.
void ilk_acilis(dunya& d, yolculuk& y, calisan_launcher& l) {
    const std::string kurulum = d.kok + "/launcher";
    ASSERT_TRUE(bekle_ki([&] { return dosya_oku(kurulum + "/demo_oyun").size() > 0 &&
                                      dosya_oku(kurulum + "/guncelleme.cache").find("demo_oyun") != std::string::npos; }, 30))
        << adim_olmadi("guncelleme", dosya_oku(d.cikti));
    EXPECT_TRUE(dosya_oku(kurulum + "/demo_oyun") == dosya_oku(d.kok + "/sunucu/guncelleme/demo_oyun"));
    EXPECT_EQ(access((kurulum + "/demo_oyun").c_str(), X_OK), 0) << adim_olmadi("oyun calistirilabilir", "");
    // OCR reads "güncel" as "giincel" or "guncel": the letters around the ü decide.
    EXPECT_TRUE(bekle_ki([&] { return l.ekran_yazisi(560, 416, 215, 22).find("ncel") != std::string::npos; }, 10))
        << adim_olmadi("oyun guncel yazisi", l.ekran_yazisi(560, 416, 215, 22));
    EXPECT_TRUE(bekle_ki([&] { return l.ekran_yazisi(392, 242, 346, 36).find("DEMO") != std::string::npos; }, 10))
        << adim_olmadi("haberler", l.ekran_yazisi(392, 242, 346, 36));
    EXPECT_TRUE(bekle_ki([&] { return l.ekran_yazisi(560, 582, 230, 20).find("Sunucu A") != std::string::npos; }, 15))
        << adim_olmadi("sunucu acik", l.ekran_yazisi(560, 582, 230, 20));
    y.resim("ana_ekran");
    bool masaustu = false;
    std::error_code ec;
    for (auto& e : fs::directory_iterator(d.ev + "/.local/share/applications", ec))
        masaustu = masaustu || dosya_oku(e.path()).find(kurulum + "/MorvatanLauncher") != std::string::npos;
    EXPECT_TRUE(masaustu) << adim_olmadi("masaustu girisi", d.ev);
}

TEST(Dunya, FirstStartThenTwoStepLoginIntoTheGameAndBackTwiceInARow) {
    for (int tur = 1; tur <= 2; ++tur) {
        SCOPED_TRACE("world run " + std::to_string(tur));
        dunya d;
        yolculuk y("dunya_" + std::to_string(tur));
        ASSERT_TRUE(bekle_ki([&] { return d.launcher_pid() > 0 || !yasiyor_mu(d.betik); }, 60))
            << adim_olmadi("dunya kuruldu", dosya_oku(d.cikti));
        calisan_launcher l(d.launcher_pid());
        ASSERT_FALSE(l.id.empty()) << adim_olmadi("launcher penceresi", dosya_oku(d.cikti));
        // The accounts come before the launcher starts, the first code line from a helper
        // that runs beside it.
        EXPECT_NE(dosya_oku(d.cikti).find("ayse / morvatan1"), std::string::npos) << dosya_oku(d.cikti);
        EXPECT_TRUE(bekle_ki([&] { return dosya_oku(d.cikti).find("ayse icin guncel kod: ") != std::string::npos; }, 10))
            << adim_olmadi("kod yazildi", dosya_oku(d.cikti));
        ilk_acilis(d, y, l);
        if (tur == 1) {
            giris_ve_oyun(d, y, l);
        } else {
            komut(std::string(MORVATAN_KAPATMA_ISTE) + " " + l.id);  // as a desktop's close button
            EXPECT_TRUE(bekle_ki([&] { return !yasiyor_mu(l.pid); }, 10)) << adim_olmadi("launcher kapandi", "");
        }
        dunya_kapanir(d);
    }
}

// The server road: a game that crashes at once is reported with its code; a wrong password
// is refused; the right one starts the demo game, and the closing picture ends the launcher.
TEST(Dunya, ServerRoadCrashReportedRefusedThenAcceptedIntoTheGame) {
    dunya d({"DUNYA_YOL=sunucu"});
    yolculuk y("sunucu_yolu");
    calisan_launcher* l = nullptr;
    std::unique_ptr<calisan_launcher> sahip;
    ASSERT_TRUE(hazir_bekle(d, l, sahip)) << adim_olmadi("launcher penceresi", dosya_oku(d.cikti));
    ASSERT_TRUE(bekle_ki([&] { return durum_satiri(*l).find("ncel") != std::string::npos; }, 30))
        << adim_olmadi("oyun guncel", durum_satiri(*l));
    ASSERT_TRUE(bekle_ki([&] { return alt_satir(*l).find("Sunucu A") != std::string::npos; }, 20))
        << adim_olmadi("sunucu acik", alt_satir(*l));
    giris_yap(*l, "cokus", "morvatan3");
    ASSERT_TRUE(bekle_ki([&] { return kutu_metni(*l).find("0x00000003") != std::string::npos; }, 20))
        << adim_olmadi("erken cokus kodu", kutu_metni(*l));
    y.resim("erken_cokus");
    l->tus("Return");
    giris_yap(*l, "mert", "yanlis-parola");
    ASSERT_TRUE(bekle_ki([&] { return kutu_metni(*l).find("hatal") != std::string::npos; }, 15))
        << adim_olmadi("yanlis sifre reddedildi", kutu_metni(*l));
    y.resim("ret");
    l->tus("Return");
    giris_yap(*l, "mert", "morvatan2", true);
    ASSERT_TRUE(bekle_ki([&] { return !l->gorunur_mu(); }, 15)) << adim_olmadi("giris kabul edildi", kutu_metni(*l));
    pid_t oyun = 0;
    ASSERT_TRUE(bekle_ki([&] {
        oyun = pid_t(std::atoi(komut("pgrep -P " + std::to_string(l->pid) + " -f demo_oyun").c_str()));
        return oyun > 0;
    }, 10)) << adim_olmadi("demo oyun basladi", "");
    const std::string oyun_penceresi = yardimci::pencere_bul(oyun, 10);
    ASSERT_FALSE(oyun_penceresi.empty()) << adim_olmadi("demo oyun penceresi", "");
    y.resim("demo_oyun");
    komut("xdotool mousemove --window " + oyun_penceresi + " 100 100 sleep 0.2 key space");
    ASSERT_TRUE(bekle_ki([&] { return l->gorunur_mu(); }, 10)) << adim_olmadi("kapanis resmi", "");
    y.resim("kapanis");
    EXPECT_TRUE(bekle_ki([&] { return !yasiyor_mu(l->pid); }, 15)) << adim_olmadi("launcher kendiliginden kapandi", "");
    dunya_kapanir(d);
}

// The update server publishes a new launcher: the running one takes it, restarts into it,
// and the new one finishes the update and shows the new version.
TEST(Dunya, TheLauncherUpdatesItselfRestartsAndFinishes) {
    dunya d({"DUNYA_KENDI_GUNCELLEMESI=1"});
    yolculuk y("kendi_guncellemesi");
    const pid_t ilk = [&] {
        bekle_ki([&] { return d.launcher_pid() > 0 || !yasiyor_mu(d.betik); }, 60);
        return d.launcher_pid();
    }();
    ASSERT_GT(ilk, 0) << adim_olmadi("launcher basladi", dosya_oku(d.cikti));
    const std::string kilit = d.kok + "/launcher/launcher.kilit";
    pid_t yeni = 0;
    ASSERT_TRUE(bekle_ki([&] {
        yeni = pid_t(std::atoi(dosya_oku(kilit).c_str()));
        return yeni > 0 && yeni != ilk && yasiyor_mu(yeni);
    }, 60)) << adim_olmadi("yeni launcher kilidi aldi", dosya_oku(d.cikti));
    // The lock passes when the old launcher's descriptors close, a moment before it has ended.
    EXPECT_TRUE(bekle_ki([&] { return !yasiyor_mu(ilk); }, 5)) << adim_olmadi("eski launcher kapandi", "");
    calisan_launcher l(yeni);
    ASSERT_FALSE(l.id.empty()) << adim_olmadi("yeni launcher penceresi", "");
    EXPECT_TRUE(dosya_oku(d.kok + "/launcher/MorvatanLauncher") == dosya_oku(d.kok + "/sunucu/guncelleme/MorvatanLauncher"))
        << adim_olmadi("yeni launcher yerinde", "");
    EXPECT_TRUE(bekle_ki([&] { return durum_satiri(l).find("ncel") != std::string::npos; }, 30))
        << adim_olmadi("guncelleme bitti", durum_satiri(l));
    EXPECT_TRUE(bekle_ki([&] { return alt_satir(l).find("1.1.0") != std::string::npos; }, 10))
        << adim_olmadi("yeni surum gorundu", alt_satir(l));
    y.resim("yeni_surum");
    komut(std::string(MORVATAN_KAPATMA_ISTE) + " " + l.id);
    EXPECT_TRUE(bekle_ki([&] { return !yasiyor_mu(yeni); }, 10)) << adim_olmadi("launcher kapandi", "");
    dunya_kapanir(d);
}

// A world whose first update run fails: the failure line shows, the cause is mended by
// `duzelt` (as the operator would), and "tekrar dene" shows the reason in the box and then
// finishes the update. `bos_kalir`: nothing may have landed before the retry.
struct yeniden_deneme {
    std::vector<std::string> secenekler;
    std::string yolculuk_adi;
    const char* ilk_resim;  // screenshot of the failure before the fix, or nullptr
    bool bos_kalir;
    std::function<void(dunya&)> duzelt;
    const char* neden;       // a part of the reason the box must show
    const char* neden_resmi;
};

void basarisiz_sonra_duzelir(const yeniden_deneme& t) {
    dunya d(t.secenekler);
    yolculuk y(t.yolculuk_adi);
    calisan_launcher* l = nullptr;
    std::unique_ptr<calisan_launcher> sahip;
    ASSERT_TRUE(hazir_bekle(d, l, sahip)) << adim_olmadi("launcher penceresi", dosya_oku(d.cikti));
    ASSERT_TRUE(bekle_ki([&] { return l->renk_var(700, 418, 70, 16, {0xE0, 0x8A, 0x7A}, 40); }, 30))
        << adim_olmadi("guncelleme basarisiz satiri", durum_satiri(*l));
    if (t.bos_kalir) {
        EXPECT_FALSE(fs::exists(d.kok + "/launcher/demo_oyun")) << adim_olmadi("hicbir dosya inmedi", "");
    }
    if (t.ilk_resim) y.resim(t.ilk_resim);
    t.duzelt(d);
    l->tikla(700, 426);
    ASSERT_TRUE(bekle_ki([&] { return kutu_metni(*l).find(t.neden) != std::string::npos; }, 10))
        << adim_olmadi("neden gosterildi", kutu_metni(*l));
    y.resim(t.neden_resmi);
    l->tus("Return");
    EXPECT_TRUE(bekle_ki([&] { return fs::exists(d.kok + "/launcher/demo_oyun"); }, 30))
        << adim_olmadi("tekrar denemede guncellendi", durum_satiri(*l));
    EXPECT_TRUE(bekle_ki([&] { return durum_satiri(*l).find("ncel") != std::string::npos; }, 20))
        << adim_olmadi("oyun guncel", durum_satiri(*l));
    y.resim("guncel");
    komut(std::string(MORVATAN_KAPATMA_ISTE) + " " + l->id);
    EXPECT_TRUE(bekle_ki([&] { return !yasiyor_mu(l->pid); }, 10)) << adim_olmadi("launcher kapandi", "");
    dunya_kapanir(d);
}

// A manifest changed after signing is refused before any file lands and says why; once the
// operator publishes a properly signed one, "tekrar dene" finishes the update.
TEST(Dunya, ATamperedManifestIsRefusedThenARetryAfterTheFixUpdates) {
    basarisiz_sonra_duzelir({{"DUNYA_BOZUK_LISTE=1"}, "bozuk_liste", nullptr, true, [](dunya& d) {
        komut(std::string(MORVATAN_LISTE) + " --imzala " + d.kok + "/anahtar/gizli " + d.kok + "/sunucu/guncelleme 1.0.0");
    }, "imza", "imza_gecersiz"});
}

// The update server has nothing to serve at first: the run fails and says so; once the
// update is published, "tekrar dene" brings the game.
TEST(Dunya, AFailedUpdateIsRetriedAfterTheServerComesBack) {
    basarisiz_sonra_duzelir({{"DUNYA_GUNCELLEME_KAPALI=1"}, "sunucu_geri_geldi", "sunucu_yok", false, [](dunya& d) {
        fs::rename(d.kok + "/sunucu/guncelleme.kapali", d.kok + "/sunucu/guncelleme");
    }, "ulas", "neden"});
}

}  // namespace
