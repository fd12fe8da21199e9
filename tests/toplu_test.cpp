// Batched downloads and continued downloads, against the real test server and the real curl:
// many small files in few processes with the per-file guarantees, names that curl's config
// format must carry exactly, and ".indir" files continued after a stop, a kill or a fault.
#include <gtest/gtest.h>

#include <utility>
#include <vector>
#include <signal.h>
#include <unistd.h>
#include <sys/stat.h>

#include <chrono>
#include <set>
#include <thread>

#include "tests/guncelleme_ortami.h"
#include "updater/indirme.h"
#include "updater/toplu.h"

namespace fs = std::filesystem;

namespace {

class TopluTest : public GuncellemeOrtami {
protected:
    // Every path below the installation except the cache, relative and sorted.
    static std::set<std::string> agac() {
        std::set<std::string> yollar;
        for (auto& e : fs::recursive_directory_iterator("."))
            if (e.is_regular_file() && e.path() != "./guncelleme.cache") yollar.insert(e.path().string().substr(2));
        return yollar;
    }
    static std::string dosya_adi(int i) { return "veri/" + std::to_string(i / 100) + "/k" + std::to_string(i) + ".dat"; }
    static std::string icerik(int i, char c = 'n') { return std::string(size_t(100 + i % 50), c) + std::to_string(i); }
    // Only this test's own transfers: tests beside it run batches of their own.
    int curl_sayisi() {
        return yardimci::komut("pgrep -P " + std::to_string(getpid()) + " -f '[c]url.*-K -' | wc -l")[0] - '0';
    }
};

TEST(Toplu, ConfigValuesAndResultLines) {
    using guncelleme::yapilandirma_degeri;
    EXPECT_EQ(yapilandirma_degeri("a b=c#d"), "\"a b=c#d\"");
    EXPECT_EQ(yapilandirma_degeri("q\"\\t\tx\ny"), "\"q\\\"\\\\t\\tx\\ny\"");
    EXPECT_EQ(yapilandirma_degeri("-x ğ"), "\"-x ğ\"");

    guncelleme::aktarim_sonucu s;
    ASSERT_TRUE(guncelleme::sonuc_satiri_coz("12 0 200 8192 1 0.000213", s));
    EXPECT_EQ(s.sira, 12u);
    EXPECT_EQ(s.cikis, 0);
    EXPECT_EQ(s.http, 200);
    EXPECT_EQ(s.inen, 8192);
    EXPECT_DOUBLE_EQ(s.baglanti, 0.000213);
    ASSERT_TRUE(guncelleme::sonuc_satiri_coz("3 22 404 0 0 0.000000", s));
    EXPECT_EQ(s.cikis, 22);
    EXPECT_LT(s.baglanti, 0);  // a reused connection says nothing of the way to the server
    // The Retry-After field: seconds, none, a date, or the name an older curl writes instead.
    for (const auto& [satir, bekleme] : std::vector<std::pair<const char*, double>>{
             {"3 22 503 0 0 0.000000 R7", 7}, {"3 22 503 0 0 0.000000 R", 0},
             {"3 22 503 0 0 0.000000 R%header{retry-after}", 0}, {"3 22 503 0 0 0.000000 RWed,", 0}}) {
        ASSERT_TRUE(guncelleme::sonuc_satiri_coz(satir, s)) << satir;
        EXPECT_EQ(s.bekleme, bekleme) << satir;
    }
    for (const char* bozuk : {"", "1 2 3", "12 0 200 8192", "1 2 3 4 5", "1 2 3 x 1 0.1", "-1 0 200 5 1 0.1",
                              "1 0 200 99999999999999999999 1 0.1", "1  0", "1 0 200 5 1 -0.1", "1 0 200 5 1 inf",
                              "1 0 200 5 1 0.1 7", "1 0 200 5 1 0.1x", "1 0 200 5 1 0.1 R5 x", "1 0 200 5 1 0.1 "})
        EXPECT_FALSE(guncelleme::sonuc_satiri_coz(bozuk, s)) << bozuk;

    // Eight in flight until a connection shows the server near, two from then on; eight
    // through a proxy, whose connection says nothing of the server.
    for (auto [baglanti, paralel] : {std::pair{-1.0, guncelleme::PARALEL}, {0.0, guncelleme::YAKIN_PARALEL},
                                     {0.0002, guncelleme::YAKIN_PARALEL}, {0.001, guncelleme::PARALEL},
                                     {0.040, guncelleme::PARALEL}}) {
        EXPECT_EQ(guncelleme::paralel_sayisi(baglanti, false), paralel) << baglanti;
        EXPECT_EQ(guncelleme::paralel_sayisi(baglanti, true), guncelleme::PARALEL) << baglanti;
    }
    for (const char* ad : {"http_proxy", "HTTPS_PROXY", "https_proxy", "ALL_PROXY", "all_proxy"}) ::unsetenv(ad);
    EXPECT_FALSE(guncelleme::vekil_var_mi());
    ::setenv("all_proxy", "http://127.0.0.1:9", 1);
    EXPECT_TRUE(guncelleme::vekil_var_mi());
    ::setenv("all_proxy", "", 1);  // set but empty: curl goes direct
    EXPECT_FALSE(guncelleme::vekil_var_mi());
    ::unsetenv("all_proxy");
}

TEST(Toplu, BatchesHoldRunsOfSmallFilesWithinTheirLimits) {
    std::vector<guncelleme::kayit> k(2500);
    std::vector<const guncelleme::kayit*> v;
    for (auto& e : k) {
        e.boyut = 10;
        e.yol = std::to_string(v.size());
        v.push_back(&e);
    }
    EXPECT_EQ(guncelleme::toplu_uzunluk(v, 0), guncelleme::TOPLU_ADET);
    EXPECT_EQ(guncelleme::toplu_uzunluk(v, 2000), 500u);
    k[5].boyut = guncelleme::TOPLU_SINIRI;  // a large file ends the run and goes alone
    EXPECT_EQ(guncelleme::toplu_uzunluk(v, 0), 5u);
    EXPECT_EQ(guncelleme::toplu_uzunluk(v, 5), 0u);
    for (int i = 10; i < 40; ++i) k[size_t(i)].boyut = guncelleme::TOPLU_SINIRI - 1;
    EXPECT_EQ(guncelleme::toplu_uzunluk(v, 10), size_t(guncelleme::TOPLU_BAYT / (guncelleme::TOPLU_SINIRI - 1)));
    k[2003].yol = "2001";  // a path met again starts the next batch
    EXPECT_EQ(guncelleme::toplu_uzunluk(v, 2000), 3u);
}

TEST_F(TopluTest, ManySmallFilesAndTwoLargeOnesEndComplete) {
    std::map<std::string, std::string> dosyalar;
    for (int i = 0; i < 300; ++i) dosyalar[dosya_adi(i)] = icerik(i);
    dosyalar["buyuk1.pak"] = "\x7f" "ELF" + std::string(5 << 20, '1');  // a large program, streamed
    dosyalar["veri/1/zbuyuk2.pak"] = std::string(5 << 20, '2');  // in the middle of the small ones
    dosyalar["bin/oyun"] = "\x7f" "ELF oyun";
    yayinla(dosyalar);
    ASSERT_EQ(calistir(), guncelleme::GUNCEL) << guncelleme::mesaj_al();
    for (const auto& [yol, veri] : dosyalar) ASSERT_TRUE(dosya_oku(yol) == veri) << yol;
    EXPECT_NE(fs::status("bin/oyun").permissions() & fs::perms::owner_exec, fs::perms::none);
    EXPECT_NE(fs::status("buyuk1.pak").permissions() & fs::perms::owner_exec, fs::perms::none);
    EXPECT_EQ(fs::status("veri/1/zbuyuk2.pak").permissions() & fs::perms::owner_exec, fs::perms::none);
    EXPECT_EQ(guncelleme::biten_dosya.load(), 303);
    EXPECT_EQ(guncelleme::inen_bayt.load(), guncelleme::toplam_bayt.load());
    EXPECT_FALSE(indir_kaldi_mi());
    guncelleme::onbellek tablo;
    guncelleme::onbellek_oku(tablo);
    EXPECT_EQ(tablo.size(), 303u);
    for (const auto& [yol, veri] : dosyalar) EXPECT_EQ(tablo[yol].ozet, yardimci::ozet(veri)) << yol;
    for (const auto& [yol, veri] : dosyalar) EXPECT_EQ(istek_sayisi(guncelleme::yol_kodla(yol)), 1) << yol;
    sunucu->istekleri_temizle();
    ASSERT_EQ(calistir(), guncelleme::GUNCEL);
    EXPECT_EQ(sunucu->istekler(), "dosyalar-linux.txt\n");
}

// The connections curl made tell the next batches how near the server is.
TEST_F(TopluTest, ABatchMeasuresHowNearTheServerIs) {
    std::map<std::string, std::string> dosyalar;
    std::vector<guncelleme::kayit> kayitlar;
    for (int i = 0; i < 20; ++i) {
        dosyalar[dosya_adi(i)] = icerik(i);
        kayitlar.push_back({yardimci::ozet(icerik(i)), int64_t(icerik(i).size()), dosya_adi(i)});
    }
    yayinla(dosyalar);
    std::vector<const guncelleme::kayit*> grup;
    for (const guncelleme::kayit& e : kayitlar) grup.push_back(&e);
    guncelleme::onbellek tablo;
    bool yeniden = false;
    double baglanti = -1;
    ASSERT_EQ(guncelleme::toplu_guncelle(grup, guncelleme::toplu_hazirla(grup), sunucu->adres(), "MorvatanLauncher",
                                         tablo, yeniden, baglanti),
              guncelleme::adim_sonucu::TAMAM);
    EXPECT_GT(baglanti, 0);
    EXPECT_LT(baglanti, 1);  // loopback
    for (const auto& [yol, veri] : dosyalar) EXPECT_EQ(dosya_oku(yol), veri) << yol;
}

// The first failing file in manifest order decides, the ones before it stay replaced and the
// ones after it are untouched, whatever the failure and whatever order curl finished in.
TEST_F(TopluTest, AFailureInTheMiddleLeavesWhatThePerFileOrderWould) {
    aktarim::durgunluk_siniri_koy(2.0);
    std::map<std::string, std::string> dosyalar;
    for (int i = 0; i < 300; ++i) dosyalar[dosya_adi(i)] = icerik(i);
    const std::string orta = dosya_adi(150);  // "veri/1/k150.dat", in the middle of the order
    struct durum { const char* kip; const char* neden; };
    for (const durum& d : {durum{"404", "sunucuya ulasilamadi"}, durum{"fazla", "dosya bozuk geldi"},
                           durum{"eksik", "dosya bozuk geldi"}, durum{"takil", "sunucuya ulasilamadi"}}) {
        for (int i = 0; i < 300; ++i) {
            fs::create_directories(fs::path(dosya_adi(i)).parent_path());
            dosya_yaz(dosya_adi(i), icerik(i, 'e'));
        }
        fs::remove("guncelleme.cache");
        yayinla(dosyalar);
        sunucu->hatalari_temizle();
        sunucu->hata(d.kip, orta);
        ASSERT_EQ(calistir(), guncelleme::BASARISIZ) << d.kip;
        EXPECT_EQ(guncelleme::mesaj_al(), "İndirme başarısız: " + orta + " (" + d.neden + ")") << d.kip;
        std::vector<std::string> sirali;
        for (const auto& [yol, veri] : dosyalar) sirali.push_back(yol);
        bool once = true;
        for (size_t i = 0; i < sirali.size(); ++i) {
            const int n = std::stoi(sirali[i].substr(sirali[i].rfind('k') + 1));
            if (sirali[i] == orta) once = false;
            EXPECT_EQ(dosya_oku(sirali[i]), once ? icerik(n) : icerik(n, 'e')) << d.kip << " " << sirali[i];
        }
        EXPECT_FALSE(indir_kaldi_mi()) << d.kip;
        EXPECT_EQ(curl_sayisi(), 0) << d.kip;
        guncelleme::onbellek tablo;
        guncelleme::onbellek_oku(tablo);
        EXPECT_EQ(tablo.count(sirali[0]), 1u);
        EXPECT_EQ(tablo[orta].ozet, yardimci::ozet(icerik(150, 'e'))) << d.kip;  // hashed, still the old one
    }
}

TEST_F(TopluTest, StopDuringABatchLeavesNoCurlAndNoHalfFile) {
    std::map<std::string, std::string> dosyalar;
    for (int i = 0; i < 40; ++i) dosyalar[dosya_adi(i)] = std::string(200000, char('a' + i % 26));
    yayinla(dosyalar);
    for (const auto& [yol, veri] : dosyalar) sunucu->hata("hiz:100000", yol);  // two seconds each
    for (const auto& [yol, veri] : dosyalar) {
        fs::create_directories(fs::path(yol).parent_path());
        dosya_yaz(yol, "eski");
    }
    guncelleme::baslat(sunucu->adres(), "MorvatanLauncher");
    ASSERT_TRUE(yardimci::bekle_ki([&] { return curl_sayisi() == 1; }, 10));
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    const auto bas = std::chrono::steady_clock::now();
    kapaniyor = true;
    guncelleme::iplik.join();
    EXPECT_LT(std::chrono::steady_clock::now() - bas, std::chrono::seconds(2));
    EXPECT_EQ(curl_sayisi(), 0);
    EXPECT_FALSE(indir_kaldi_mi());
    for (const auto& [yol, veri] : dosyalar) EXPECT_EQ(dosya_oku(yol), "eski") << yol;
}

// Names are data: each lands at its own path through curl's config, and nothing else appears;
// a path listed twice ends as its lines processed one after the other would leave it.
TEST_F(TopluTest, EveryNameLandsExactlyAtItself) {
    const std::vector<std::string> adlar = {
        "tirnak\"li.txt", "ters\\egik.txt", "bos luk.txt", "esit=ti.txt", "#diyez.txt", "sekme\tli.txt",
        "-tire.txt", "--output=kacak.txt", "ğüşıöçİ.txt", "k#1.txt", "glob[1-2].txt", "kume{a,b}.txt",
        "yuzde%41.txt", "x\" output = \"kacak2.txt", "y\\\" -o /tmp/kacak3.txt", "alt/ic ice/\"son\".txt"};
    std::map<std::string, std::string> dosyalar;
    for (size_t i = 0; i < adlar.size(); ++i) dosyalar[adlar[i]] = "icerik " + std::to_string(i);
    std::string ikinciler;
    for (size_t i : {2, 4, 4})
        ikinciler += yardimci::ozet(dosyalar[adlar[i]]) + " " + std::to_string(dosyalar[adlar[i]].size()) + " " + adlar[i] + "\n";
    yayinla(dosyalar, ikinciler);
    ASSERT_EQ(calistir(), guncelleme::GUNCEL) << guncelleme::mesaj_al();
    std::set<std::string> beklenen(adlar.begin(), adlar.end());
    EXPECT_EQ(agac(), beklenen);
    for (const auto& [yol, veri] : dosyalar) EXPECT_EQ(dosya_oku(yol), veri) << yol;
    EXPECT_FALSE(fs::exists("/tmp/kacak3.txt"));
}

// A stop half-way keeps the ".indir"; the next run asks only for the rest.
TEST_F(TopluTest, AStoppedDownloadIsContinuedFromWhereItStopped) {
    const std::string buyuk = yardimci::rastgele_veri(16 << 20);
    yayinla({{"oyun.pak", buyuk}});
    sunucu->hata("hiz:8388608", "oyun.pak");
    guncelleme::baslat(sunucu->adres(), "MorvatanLauncher");
    ASSERT_TRUE(yardimci::bekle_ki([] { return guncelleme::inen_bayt.load() > (6 << 20); }, 20));
    kapaniyor = true;
    guncelleme::iplik.join();
    kapaniyor = false;
    const int64_t kalan = int64_t(fs::file_size("oyun.pak.indir"));
    ASSERT_GE(kalan, guncelleme::DEVAM_ESIGI);
    EXPECT_FALSE(fs::exists("oyun.pak"));
    sunucu->hatalari_temizle();
    ASSERT_EQ(calistir(), guncelleme::GUNCEL) << guncelleme::mesaj_al();
    EXPECT_TRUE(dosya_oku("oyun.pak") == buyuk);
    EXPECT_LE(sunucu->gonderilen("oyun.pak"), int64_t(buyuk.size()) * 11 / 10);
    EXPECT_EQ(guncelleme::inen_bayt.load(), guncelleme::toplam_bayt.load());
    EXPECT_EQ(guncelleme::toplam_bayt.load(), int64_t(buyuk.size()) - kalan);
}

// A killed process leaves its ".indir" as it was at the kill; the next run continues it.
TEST_F(TopluTest, ADownloadCutBySigkillIsContinued) {
    const std::string buyuk = yardimci::rastgele_veri(16 << 20);
    yayinla({{"oyun.pak", buyuk}});
    sunucu->hata("hiz:8388608", "oyun.pak");
    const std::string adres = sunucu->adres();
    const pid_t pid = fork();
    if (pid == 0) {
        execl(MORVATAN_GUNCELLE_CALISTIR, "guncelle_calistir", kurulum.yol.c_str(), adres.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_TRUE(yardimci::bekle_ki([] {
        struct stat st;
        return ::stat("oyun.pak.indir", &st) == 0 && st.st_size > (6 << 20);
    }, 20));
    ::kill(pid, SIGKILL);
    yardimci::bekle(pid, 10);
    sunucu->hatalari_temizle();
    ASSERT_EQ(calistir(), guncelleme::GUNCEL) << guncelleme::mesaj_al();
    EXPECT_TRUE(dosya_oku("oyun.pak") == buyuk);
    EXPECT_LE(sunucu->gonderilen("oyun.pak"), int64_t(buyuk.size()) * 11 / 10);
    EXPECT_EQ(istek_sayisi("oyun.pak"), 2);
}

// Kept bytes that cannot be trusted, or a server that cannot continue: one fresh download.
TEST_F(TopluTest, WrongPrefixesAndServersWithoutRangesFallBackToOneFullDownload) {
    const std::string buyuk = yardimci::rastgele_veri(8 << 20);
    yayinla({{"oyun.pak", buyuk}});
    const std::string dogru_yarim = buyuk.substr(0, 5 << 20);
    struct durum { const char* ad; std::string indir; const char* kip; int istek; };
    const std::vector<durum> durumlar = {
        {"bozuk onek", std::string(5 << 20, 'z'), "", 2},
        {"aralik yok", dogru_yarim, "araliksiz", 2},
        {"uzun", buyuk + "fazla", "", 1},
        {"kisa", buyuk.substr(0, 1 << 20), "", 1},
        {"tam", buyuk, "", 0},
    };
    for (const durum& d : durumlar) {
        fs::remove("oyun.pak");
        fs::remove("guncelleme.cache");
        dosya_yaz("oyun.pak.indir", d.indir);
        sunucu->hatalari_temizle();
        if (*d.kip) sunucu->hata(d.kip, "oyun.pak");
        sunucu->istekleri_temizle();
        ASSERT_EQ(calistir(), guncelleme::GUNCEL) << d.ad << ": " << guncelleme::mesaj_al();
        EXPECT_TRUE(dosya_oku("oyun.pak") == buyuk) << d.ad;
        EXPECT_EQ(istek_sayisi("oyun.pak"), d.istek) << d.ad;
        EXPECT_FALSE(indir_kaldi_mi()) << d.ad;
        EXPECT_EQ(guncelleme::inen_bayt.load(), guncelleme::toplam_bayt.load()) << d.ad;
    }
    // A wrong prefix that also comes back wrong from the server is a corrupt file, not a loop:
    // the manifest is read once more (a release may have come meanwhile), the file fetched
    // once more, and the run fails.
    dosya_yaz("oyun.pak.indir", std::string(5 << 20, 'z'));
    fs::remove("oyun.pak");
    sunucu->hatalari_temizle();
    sunucu->hata("eksik", "oyun.pak");
    sunucu->istekleri_temizle();
    EXPECT_EQ(calistir(), guncelleme::BASARISIZ);
    EXPECT_EQ(guncelleme::mesaj_al(), "İndirme başarısız: oyun.pak (dosya bozuk geldi)");
    EXPECT_EQ(istek_sayisi("oyun.pak"), 3);
    EXPECT_EQ(istek_sayisi("dosyalar-linux.txt"), 2);
    EXPECT_FALSE(fs::exists("oyun.pak"));
    EXPECT_FALSE(indir_kaldi_mi());
}

}  // namespace
