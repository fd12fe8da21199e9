// The game-server link against the real reference server (ENet over loopback): status with
// news, the server road of the login with a ticket and every refusal, a rejection, malformed
// and oversize answers, the two time limits, address errors, and a server that survives any
// packet while it keeps serving others.
#include <gtest/gtest.h>
#include <enet/enet.h>
#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <set>
#include <sstream>
#include <random>
#include <thread>

#include "app/ayarlar.h"
#include "app/mesaj.h"
#include "app/pencere.h"
#include "platform/oyun.h"
#include "server/baglanti.h"
#include "tests/surec_durumu.h"
#include "tests/yardimci.h"
#include "ui/metin_alani.h"
#include "updater/durum.h"
#include "web/giris_akisi.h"
#include "web/haber.h"

namespace {

using yardimci::dosya_yaz;

using yardimci::oyun_sunucusu;

struct SunucuBaglantisi : yardimci::SurecTesti {
    yardimci::gecici_dizin dizin;
    yardimci::dizin_degistir burada{dizin.yol};
    void SetUp() override {
        yardimci::SurecTesti::SetUp();
        ayar_koy("oyun", "/bin/true");
        guncelleme::durum = guncelleme::GUNCEL;  // sign-in waits for a running update
    }
    // Services the link as the main loop does until the connection has ended.
    static void bitene_kadar(double saniye = 20) {
        const auto son = std::chrono::steady_clock::now() + std::chrono::duration<double>(saniye);
        while (baglanti_modu != 0 && std::chrono::steady_clock::now() < son) {
            sunucu::servis();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    // The login button on the server road.
    static void giris(const std::string& ad, const std::string& sifre) {
        mesaj_kutusu = mesaj_kutusu_kaydi{};
        kullanici_alani.metin = ad;
        sifre_alani.metin = sifre;
        giris_baslat();
        EXPECT_TRUE(sifre_alani.metin.empty());  // emptied at once
        bitene_kadar();
    }
    static std::string hata() { return mesaj_kutusu.acik ? mesaj_kutusu.metin : ""; }
};

TEST_F(SunucuBaglantisi, StatusQueryBringsTheNewsAndOpensTheServer) {
    oyun_sunucusu s;
    ayar_koy("sunucu", "  " + s.adres() + "\t");
    sunucu::baglan(1);
    EXPECT_EQ(baglanti_modu, 1);
    bitene_kadar();
    EXPECT_EQ(sunucu_durumu, SUNUCU_ACIK);
    ASSERT_EQ(haberler.size(), 2u);
    EXPECT_EQ(haberler[0].baslik, "Kış etkinliği");
    EXPECT_EQ(haberler[1].metin, "Sunucular 02:00'de kapanır.");
    // Web news win over the server's list.
    webhaber::var = true;
    haberler = {{"w", "web", "haberi"}};
    sunucu::baglan(1);
    bitene_kadar();
    ASSERT_EQ(haberler.size(), 1u);
    EXPECT_EQ(haberler[0].kisa, "w");
    EXPECT_EQ(hata(), "");
}

// The UDP port of this process's one ENet host, from its socket's inode in /proc/net/udp.
int kendi_udp_portu() {
    std::set<std::string> dugumler;
    for (const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code ec;
        const std::string hedef = std::filesystem::read_symlink(e.path(), ec).string();
        if (hedef.rfind("socket:[", 0) == 0) dugumler.insert(hedef.substr(8, hedef.size() - 9));
    }
    std::istringstream satirlar(yardimci::dosya_oku("/proc/net/udp"));
    std::string satir;
    std::getline(satirlar, satir);
    while (std::getline(satirlar, satir)) {
        std::istringstream alan(satir);
        std::string sira, yerel, uzak, durum, kuyruk, zaman, tekrar, kullanici, bekleme, dugum;
        alan >> sira >> yerel >> uzak >> durum >> kuyruk >> zaman >> tekrar >> kullanici >> bekleme >> dugum;
        if (dugumler.count(dugum)) return std::stoi(yerel.substr(yerel.find(':') + 1), nullptr, 16);
    }
    return 0;
}

// A stranger who keeps connecting to the launcher's ENet port while it asks the server's
// status never takes the slot the launcher needs: every query still answers.
TEST_F(SunucuBaglantisi, AStrangerHammeringTheLaunchersPortNeverTakesItsSlot) {
    oyun_sunucusu s;
    ayar_koy("sunucu", s.adres());
    ASSERT_GT(s.port, 0);
    // The host's socket gets its port at the first send, and a quick server can finish the
    // whole exchange (and the host with it) within one pass: ask again until one is seen.
    int port = 0;
    yardimci::bekle_ki([&] {
        if (baglanti_modu == 0) sunucu::baglan(1);
        sunucu::servis();
        return (port = kendi_udp_portu()) > 0;
    }, 10);
    ASSERT_GT(port, 0);
    std::atomic<bool> dur{false};
    std::thread yabanci([&] {
        ENetHost* h = enet_host_create(nullptr, 1, 2, 0, 0);
        h->checksum = enet_crc32;
        ENetAddress a{};
        enet_address_set_host(&a, "127.0.0.1");
        a.port = enet_uint16(port);
        ENetPeer* p = nullptr;
        while (!dur.load()) {
            if (!p || p->state == ENET_PEER_STATE_DISCONNECTED) p = enet_host_connect(h, &a, 2, 0);
            ENetEvent o;
            while (enet_host_service(h, &o, 10) > 0) {
                if (o.type == ENET_EVENT_TYPE_RECEIVE) enet_packet_destroy(o.packet);
                if (o.type == ENET_EVENT_TYPE_DISCONNECT) p = nullptr;
            }
        }
        enet_host_destroy(h);
    });
    bitene_kadar();
    EXPECT_EQ(sunucu_durumu, SUNUCU_ACIK);
    for (int i = 0; i < 3; ++i) {
        // The main loop services the link on every pass, between queries too: time for the
        // stranger to knock.
        const auto son = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
        while (std::chrono::steady_clock::now() < son) {
            sunucu::servis();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        sunucu_durumu = SUNUCU_BAGLANIYOR;
        sunucu::baglan(1);
        bitene_kadar();
        EXPECT_EQ(sunucu_durumu, SUNUCU_ACIK) << "query " << i + 2;
    }
    dur = true;
    yabanci.join();
}

TEST_F(SunucuBaglantisi, ServerRoadTicketAndEveryRefusal) {
    oyun_sunucusu s;
    ayar_koy("sunucu", s.adres());
    acik_panel = 1;
    giris("veli", "parola");
    EXPECT_EQ(hata(), "");
    EXPECT_EQ(oyun_durumu, 1);
    EXPECT_EQ(acik_panel, 1);  // the panel waits behind the hidden window
    EXPECT_EQ(sunucu_durumu, SUNUCU_ACIK);
    EXPECT_TRUE(sunucu::sifre.empty());
    waitpid(oyun::oyun_pid, nullptr, 0);
    oyun::oyun_pid = 0;
    oyun_durumu = 0;
    const std::pair<const char*, const char*> retler[] = {
        {"ali", "Kullanıcı adı veya şifre hatalı."},  // wrong password below
        {"kilit", "Çok fazla hatalı deneme yaptın. 1 dakika sonra tekrar dene."},
        {"surumcu", "Launcher sürümün eski. Lütfen güncelle."},
        {"oyunda", "Bu hesap şu anda oyunda."},
        {"ozel", "Hesap askida."},
        {"bakim", "Sunucu reddetti: tam!"},
    };
    for (const auto& [ad, metin] : retler) {
        giris(ad, std::string(ad) == "ali" ? "yanlis" : "parola");
        EXPECT_EQ(hata(), metin) << ad;
        EXPECT_EQ(oyun_durumu, 0) << ad;
    }
    EXPECT_EQ(sunucu_durumu, SUNUCU_KAPALI);  // only the rejection closes it
}

TEST_F(SunucuBaglantisi, MalformedAndOversizeAnswers) {
    {  // a ticket with an escape byte would reach the game's terminal, not its login
        oyun_sunucusu s("normal", "kacis parola bilet=A\x1b[31mB\n");
        ayar_koy("sunucu", s.adres());
        giris("kacis", "parola");
        EXPECT_EQ(hata(), "Sunucudan bozuk cevap geldi.");
        EXPECT_EQ(oyun_durumu, 0);
    }
    for (const char* kip : {"bozuk", "buyuk"}) {
        oyun_sunucusu s(kip);
        ayar_koy("sunucu", s.adres());
        haberler = {{"a", "b", "c"}};
        sunucu_durumu = SUNUCU_BAGLANIYOR;
        sunucu::baglan(1);
        bitene_kadar();
        EXPECT_EQ(sunucu_durumu, SUNUCU_ACIK) << kip;
        EXPECT_EQ(haberler.size(), 1u) << kip;  // the bad list is dropped
        giris("veli", "parola");
        EXPECT_EQ(hata(), "Sunucudan bozuk cevap geldi.") << kip;
        EXPECT_EQ(oyun_durumu, 0) << kip;
    }
    oyun_sunucusu s("ret");
    ayar_koy("sunucu", s.adres());
    mesaj_kutusu = mesaj_kutusu_kaydi{};
    sunucu::baglan(1);
    bitene_kadar();
    EXPECT_EQ(sunucu_durumu, SUNUCU_KAPALI);
    EXPECT_EQ(hata(), "");  // a status query shows nothing
}

TEST_F(SunucuBaglantisi, AddressErrorsFailAtOnce) {
    const std::pair<const char*, const char*> adresler[] = {
        {"10.0.0.5:", "Sunucu adresi hatalı: 10.0.0.5:"},
        {"::1", "Sunucu adresi hatalı: ::1"},
        {"host.invalid", "Sunucu adresi çözülemedi: host.invalid"},
    };
    for (const auto& [adres, metin] : adresler) {
        ayar_koy("sunucu", adres);
        giris("ali", "parola");
        EXPECT_EQ(hata(), metin);
        EXPECT_EQ(sunucu_durumu, SUNUCU_KAPALI);
        EXPECT_EQ(baglanti_modu, 0);
    }
    std::string h;
    uint16_t p = 0;
    EXPECT_TRUE(sunucu::adres_ayir(" 10.0.0.5:7777 ", h, p));
    EXPECT_EQ(h + ":" + std::to_string(p), "10.0.0.5:7777");
    EXPECT_TRUE(sunucu::adres_ayir("\t10.0.0.5 ", h, p));
    EXPECT_EQ(p, 27015);
    for (const char* kotu : {":7777", "a:123456", "a:0", "a:65536", "a:+80", "", "  ", "a:8x"})
        EXPECT_FALSE(sunucu::adres_ayir(kotu, h, p)) << kotu;
    EXPECT_TRUE(sunucu::adres_ayir("a:65535", h, p));
}

// Both limits with the real clock: 12 s to connect, 15 s for the answer.
TEST_F(SunucuBaglantisi, TimeLimits) {
    oyun_sunucusu kapali("kabul_etme"), sessiz("sessiz");
    ayar_koy("sunucu", kapali.adres());
    auto bas = std::chrono::steady_clock::now();
    giris("ali", "parola");
    EXPECT_EQ(hata(), "Sunucuya bağlanılamadı. Sunucu kapalı olabilir.");
    EXPECT_GT(std::chrono::steady_clock::now() - bas, std::chrono::seconds(11));
    ayar_koy("sunucu", sessiz.adres());
    bas = std::chrono::steady_clock::now();
    giris("ali", "parola");
    EXPECT_EQ(hata(), "Sunucu cevap vermedi.");
    EXPECT_GT(std::chrono::steady_clock::now() - bas, std::chrono::seconds(14));
}

// Garbage from one client, and a client that connects and never asks, must not stop the
// server from answering the next status query.
TEST(OyunSunucusu, SurvivesAnyPacketAndKeepsServingOthers) {
    oyun_sunucusu s;
    ENetHost* istemci = enet_host_create(nullptr, 2, 2, 0, 0);
    ASSERT_NE(istemci, nullptr);
    istemci->checksum = enet_crc32;
    ENetAddress adres{};
    enet_address_set_host(&adres, "127.0.0.1");
    adres.port = uint16_t(s.port);
    ENetPeer* cop = enet_host_connect(istemci, &adres, 2, 0);
    ENetPeer* sessiz = enet_host_connect(istemci, &adres, 2, 0);
    (void)sessiz;
    std::mt19937 rastgele(9);
    int bagli = 0;
    for (int i = 0; i < 400 && bagli < 2; ++i) {
        ENetEvent e;
        if (enet_host_service(istemci, &e, 10) > 0 && e.type == ENET_EVENT_TYPE_CONNECT) ++bagli;
    }
    ASSERT_EQ(bagli, 2);
    for (int i = 0; i < 300; ++i) {
        std::string p(size_t(rastgele() % 200), '\0');
        for (char& c : p) c = char(rastgele());
        if (!p.empty() && i % 3 == 0) p[0] = char(10 + i % 5);  // mostly the types it knows
        enet_peer_send(cop, 0, enet_packet_create(p.data(), p.size(), ENET_PACKET_FLAG_RELIABLE));
    }
    for (int i = 0; i < 100; ++i) {
        ENetEvent e;
        if (enet_host_service(istemci, &e, 5) > 0 && e.type == ENET_EVENT_TYPE_RECEIVE) enet_packet_destroy(e.packet);
    }
    enet_host_destroy(istemci);
    EXPECT_EQ(waitpid(s.pid, nullptr, WNOHANG), 0);  // still running
    ayarlar = ayar_tablosu{};
    ayar_koy("sunucu", s.adres());
    sunucu_durumu = SUNUCU_BAGLANIYOR;
    sunucu::baglan(1);
    const auto son = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (baglanti_modu != 0 && std::chrono::steady_clock::now() < son) {
        sunucu::servis();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(sunucu_durumu, SUNUCU_ACIK);
}

}  // namespace
