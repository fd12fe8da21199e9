// The operator tool morvatan-liste: the manifest it writes, what it refuses, the links it
// follows, the guards of a publish and the checks of a host or a folder.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <vector>

#include "tests/yardimci.h"

namespace fs = std::filesystem;

namespace {

using yardimci::dosya_oku;
using yardimci::dosya_yaz;
using yardimci::ozet;

TEST(MorvatanListe, WritesSortedEntriesWithVersionAndSkipsItself) {
    yardimci::gecici_dizin d;
    fs::create_directories(d.yol + "/veri/font");
    dosya_yaz(d.yol + "/b.bin", "bbb");
    dosya_yaz(d.yol + "/a b.txt", "");
    dosya_yaz(d.yol + "/veri/font/\xC3\xA7.ttf", "font");
    const std::string launcher = dosya_oku("/bin/true");
    dosya_yaz(d.yol + "/MorvatanLauncher", launcher);
    int durum = -1;
    yardimci::komut(std::string(MORVATAN_LISTE) + " " + d.yol + " 1.2.0", &durum);
    ASSERT_EQ(durum, 0);
    const std::string beklenen = "morvatan-liste 1\nsurum 1.2.0\n" +
                                 ozet(launcher) + " " + std::to_string(launcher.size()) + " MorvatanLauncher\n" +
                                 ozet("") + " 0 a b.txt\n" +
                                 ozet("bbb") + " 3 b.bin\n" +
                                 ozet("font") + " 4 veri/font/\xC3\xA7.ttf\n";
    EXPECT_EQ(dosya_oku(d.yol + "/dosyalar-linux.txt"), beklenen);
    yardimci::komut(std::string(MORVATAN_LISTE) + " " + d.yol + " 1.2.0", &durum);
    EXPECT_EQ(dosya_oku(d.yol + "/dosyalar-linux.txt"), beklenen);  // not listed on the next run
    yardimci::komut(std::string(MORVATAN_LISTE) + " " + d.yol, &durum);
    EXPECT_EQ(dosya_oku(d.yol + "/dosyalar-linux.txt").rfind("morvatan-liste 1\n" + ozet(launcher), 0), 0u);
    // A launcher players' systems cannot run is never published, not even --zorla.
    dosya_yaz(d.yol + "/MorvatanLauncher", "#!/bin/sh\n");
    const std::string cikti = yardimci::komut(std::string(MORVATAN_LISTE) + " " + d.yol + " 1.3.0 --zorla 2>&1", &durum);
    EXPECT_NE(durum, 0);
    EXPECT_NE(cikti.find("MorvatanLauncher: x86-64 Linux programi degil"), std::string::npos) << cikti;
    EXPECT_EQ(dosya_oku(d.yol + "/dosyalar-linux.txt").find("1.3.0"), std::string::npos);
}

// The launcher's own run-time files, left in the folder by an operator who copied a
// player's installation, are never published; varsayilan.ini is the operator's and is.
TEST(MorvatanListe, LeavesTheLaunchersOwnFilesOutAndSaysSo) {
    yardimci::gecici_dizin d;
    const std::vector<std::string> ayrilmis = {"launcher.ini", "launcher.kilit", "guncelleme.cache",
                                               "guncelleme.sira", "oyun.pak.indir", "oyun.pak.eski",
                                               "launcher.ini.yeni", "veri/x.png.indir"};
    fs::create_directories(d.yol + "/veri");
    for (const std::string& ad : ayrilmis) dosya_yaz(d.yol + "/" + ad, "x");
    dosya_yaz(d.yol + "/varsayilan.ini", "guncelleme=http://x/\n");
    int durum = -1;
    const std::string cikti = yardimci::komut(std::string(MORVATAN_LISTE) + " " + d.yol + " 2>&1 >/dev/null", &durum);
    ASSERT_EQ(durum, 0);
    EXPECT_EQ(dosya_oku(d.yol + "/dosyalar-linux.txt"),
              "morvatan-liste 1\n" + ozet("guncelleme=http://x/\n") + " 21 varsayilan.ini\n");
    for (const std::string& ad : ayrilmis) EXPECT_NE(cikti.find(ad + ": launcher'in kendi dosyasi"), std::string::npos) << cikti;
}

// Each of these would publish a manifest that every player fails on, or a file that must not
// be served: the tool names the path and writes nothing.
TEST(MorvatanListe, RefusesWhatNoPlayerCouldInstall) {
    yardimci::gecici_dizin d, dis;
    fs::permissions(d.yol, fs::perms::all);  // an unprivileged run must be able to write here
    fs::permissions(dis.yol, fs::perms::all);
    dosya_yaz(d.yol + "/iyi.txt", "1");
    dosya_yaz(dis.yol + "/gizli.anahtar", "s");
    const std::string uzun = std::string(250, 'u');
    // A file nobody but its owner can read, the tool run as another user when we are root
    // (from a copy that user can reach: the build folder may sit below a private home).
    yardimci::gecici_dizin kopya;
    fs::permissions(kopya.yol, fs::perms::all);
    fs::copy_file(MORVATAN_LISTE, kopya.yol + "/morvatan-liste");
    const std::string arac = (geteuid() == 0 ? "runuser -u nobody -- " : "") + kopya.yol + "/morvatan-liste " +
                             d.yol + " 2>&1";
    struct ornek {
        std::string ad, neden;
        std::function<void()> kur;
    };
    const std::vector<ornek> ornekler = {
        {"c:kotu.txt", "launcher bu yolu kabul etmez", [&] { dosya_yaz(d.yol + "/c:kotu.txt", "2"); }},
        {uzun, "bayttan uzun", [&] { dosya_yaz(d.yol + "/" + uzun, "3"); }},
        {"anahtar", "dosya baglantisi agacin disina gidiyor",
         [&] { fs::create_symlink(dis.yol + "/gizli.anahtar", d.yol + "/anahtar"); }},
        {"kilitli.pak", "okunamadi",
         [&] {
             dosya_yaz(d.yol + "/kilitli.pak", "4");
             fs::permissions(d.yol + "/kilitli.pak", fs::perms::owner_write);
         }},
    };
    for (const ornek& o : ornekler) {
        o.kur();
        int durum = -1;
        const std::string hata = yardimci::komut(arac, &durum);
        EXPECT_EQ(durum, 1) << o.ad;
        EXPECT_NE(hata.find(o.ad), std::string::npos) << hata;
        EXPECT_NE(hata.find(o.neden), std::string::npos) << hata;
        EXPECT_FALSE(fs::exists(d.yol + "/dosyalar-linux.txt")) << o.ad;
        fs::remove(d.yol + "/" + o.ad);
    }
}

// A link that a player's copy could not reproduce must stop the tool, never vanish silently.
TEST(MorvatanListe, PublishesLinkedDirectoriesAndRefusesBrokenLinks) {
    yardimci::gecici_dizin d, dis;
    fs::create_directories(d.yol + "/sub");
    dosya_yaz(d.yol + "/a.txt", "aaa");
    dosya_yaz(d.yol + "/sub/f.txt", "fff");
    fs::create_symlink("a.txt", d.yol + "/link-file");
    fs::create_symlink("sub", d.yol + "/link-dir");
    const std::string arac = std::string(MORVATAN_LISTE) + " " + d.yol + " 2>&1";
    int durum = -1;
    yardimci::komut(arac, &durum);
    ASSERT_EQ(durum, 0);
    EXPECT_EQ(dosya_oku(d.yol + "/dosyalar-linux.txt"),
              "morvatan-liste 1\n" + ozet("aaa") + " 3 a.txt\n" + ozet("fff") + " 3 link-dir/f.txt\n" +
                  ozet("aaa") + " 3 link-file\n" + ozet("fff") + " 3 sub/f.txt\n");

    struct durum_ornegi {
        const char* ad;
        std::string hedef;
    };
    fs::create_directories(dis.yol + "/d");
    for (const durum_ornegi& o : {durum_ornegi{"dangling", "nowhere"}, durum_ornegi{"sub/loop", ".."},
                                  durum_ornegi{"disari", dis.yol + "/d"}}) {
        fs::remove(d.yol + "/dosyalar-linux.txt");
        fs::create_symlink(o.hedef, d.yol + "/" + o.ad);
        std::string cikti = yardimci::komut(arac, &durum);
        EXPECT_EQ(durum, 1) << o.ad;
        EXPECT_NE(cikti.find(d.yol + "/" + o.ad), std::string::npos) << cikti;
        EXPECT_FALSE(fs::exists(d.yol + "/dosyalar-linux.txt")) << o.ad;
        fs::remove(d.yol + "/" + o.ad);
    }
}

}  // namespace

namespace {

// The usual publishing mistakes, each stopped before anything is written (or, for an unsigned
// publish over a signed folder, mended and said): every one would otherwise break every
// player silently.
TEST(MorvatanListe, TheGuardsOfAPublish) {
    yardimci::gecici_dizin d, anahtarlar;
    const std::string arac = MORVATAN_LISTE, gizli = anahtarlar.yol + "/gizli";
    int durum = -1;
    std::string acik = yardimci::komut(arac + " --anahtar-uret " + gizli);
    acik.pop_back();
    EXPECT_EQ(yardimci::komut(arac + " --acik-anahtar " + gizli, &durum), acik + "\n");
    const std::string yardim = yardimci::komut(arac + " -h", &durum);
    EXPECT_EQ(durum, 0);
    EXPECT_NE(yardim.find("kullanim: morvatan-liste"), std::string::npos);
    EXPECT_EQ(yardimci::komut(arac + " --help", &durum), yardim);

    dosya_yaz(d.yol + "/oyun.pak", "oyun");
    const std::string liste = d.yol + "/dosyalar-linux.txt", imza = liste + ".imza";
    struct ornek {
        std::string komut, beklenen;  // what the tool says on standard error
        int durum;
    };
    fs::create_directories(d.yol + "/ikinci");
    dosya_yaz(d.yol + "/gizli.kopya", dosya_oku(gizli));
    for (const ornek& o : std::vector<ornek>{
             {arac + " " + d.yol + " " + d.yol + "/ikinci", "kullanim:", 2},  // a folder for a version
             {arac + " --imzala " + d.yol + "/gizli.kopya " + d.yol, "gizli.kopya: gizli anahtar", 1},
         }) {
        const std::string cikti = yardimci::komut(o.komut + " 2>&1 >/dev/null", &durum);
        EXPECT_EQ(durum, o.durum) << o.komut;
        EXPECT_NE(cikti.find(o.beklenen), std::string::npos) << cikti;
        EXPECT_FALSE(fs::exists(liste)) << o.komut;
    }
    fs::remove(d.yol + "/gizli.kopya");
    fs::remove(d.yol + "/ikinci");

    // A varsayilan.ini that switches updates off, or trusts another key; --zorla goes on.
    const std::string imzala = arac + " --imzala " + gizli + " " + d.yol;
    dosya_yaz(d.yol + "/varsayilan.ini", "guncelleme=\nimza_anahtari=" + acik + "\n");
    std::string cikti = yardimci::komut(imzala + " --sira 100 2>&1", &durum);
    EXPECT_EQ(durum, 1);
    EXPECT_NE(cikti.find("varsayilan.ini: guncelleme bos"), std::string::npos) << cikti;
    dosya_yaz(d.yol + "/varsayilan.ini", "guncelleme=http://x/\nimza_anahtari=" + std::string(64, 'a') + "\n");
    cikti = yardimci::komut(imzala + " --sira 100 2>&1", &durum);
    EXPECT_EQ(durum, 1);
    EXPECT_NE(cikti.find("imza_anahtari bu imzanin acik anahtari degil"), std::string::npos) << cikti;
    EXPECT_FALSE(fs::exists(liste));
    yardimci::komut(imzala + " --sira 100 --zorla >/dev/null 2>&1", &durum);
    EXPECT_EQ(durum, 0);
    dosya_yaz(d.yol + "/varsayilan.ini", "guncelleme=http://x/\nimza_anahtari=" + acik + "\n");

    // The sequence never goes down by mistake.
    const std::string once = dosya_oku(imza);
    cikti = yardimci::komut(imzala + " --sira 5 2>&1", &durum);
    EXPECT_EQ(durum, 1);
    EXPECT_NE(cikti.find("sira 5, burada imzali olan 100"), std::string::npos) << cikti;
    EXPECT_EQ(dosya_oku(imza), once);
    yardimci::komut(imzala + " --sira 5 --zorla >/dev/null 2>&1", &durum);
    EXPECT_EQ(durum, 0);

    // Unsigned over signed: the stale signature goes, and the tool says so.
    cikti = yardimci::komut(arac + " " + d.yol + " 2>&1", &durum);
    EXPECT_EQ(durum, 0);
    EXPECT_NE(cikti.find("eski imza silindi"), std::string::npos) << cikti;
    EXPECT_FALSE(fs::exists(imza));
}

}  // namespace

namespace {

// What a host really serves, fetched through curl as a launcher would: the signed pair, then
// every listed file's bytes (or, when asked, only its size). And locally, a listed file that
// is missing, and one not listed.
TEST(MorvatanListe, ChecksWhatAHostServesAndWhatAFolderHolds) {
    yardimci::gecici_dizin site, anahtarlar;
    yardimci::test_sunucusu sunucu(site.yol);
    sunucu.dosya("oyun.pak", "oyun");
    sunucu.dosya("veri/a b.png", "png");
    const std::string arac = MORVATAN_LISTE, gizli = anahtarlar.yol + "/gizli";
    std::string acik = yardimci::komut(arac + " --anahtar-uret " + gizli);
    acik.pop_back();
    int durum = -1;
    yardimci::komut(arac + " --imzala " + gizli + " " + sunucu.kok + " 1.0 --sira 7", &durum);
    ASSERT_EQ(durum, 0);
    const std::string dogrula = arac + " --dogrula " + acik + " ";
    EXPECT_EQ(yardimci::komut(dogrula + sunucu.adres(), &durum), "dogru: 2 dosya sunuluyor, sira 7\n");
    EXPECT_EQ(durum, 0);

    sunucu.hata("404", "oyun.pak");                // the host lost a file
    sunucu.dosya("veri/a b.png", "PNG");           // another was changed after signing, same size
    std::string cikti = yardimci::komut(dogrula + sunucu.adres() + " 2>&1", &durum);
    EXPECT_EQ(durum, 1);
    EXPECT_NE(cikti.find("oyun.pak: sunucu vermiyor (curl 22, HTTP 404)"), std::string::npos) << cikti;
    EXPECT_NE(cikti.find("veri/a b.png: gelen dosya listedekiyle ayni degil (3 bayt"), std::string::npos) << cikti;
    EXPECT_NE(cikti.find("2 dosyanin 2 tanesi oyunculara listedeki gibi gitmiyor"), std::string::npos) << cikti;
    // The quick check sees sizes only: blind to the first change, not to a longer file.
    cikti = yardimci::komut(dogrula + sunucu.adres() + " --boyut 2>&1", &durum);
    EXPECT_EQ(cikti.find("a b.png"), std::string::npos) << cikti;
    sunucu.dosya("veri/a b.png", "png!");
    cikti = yardimci::komut(dogrula + sunucu.adres() + " --boyut 2>&1", &durum);
    EXPECT_EQ(durum, 1);
    EXPECT_NE(cikti.find("oyun.pak: sunucu vermiyor"), std::string::npos) << cikti;
    EXPECT_NE(cikti.find("veri/a b.png: sunucuda 4 bayt, listede 3"), std::string::npos) << cikti;

    fs::remove(sunucu.kok + "/oyun.pak");
    dosya_yaz(sunucu.kok + "/fazla.txt", "x");
    cikti = yardimci::komut(dogrula + sunucu.kok + " 2>&1", &durum);
    EXPECT_EQ(durum, 1);
    EXPECT_NE(cikti.find("oyun.pak: listede var, klasorde yok"), std::string::npos) << cikti;
    EXPECT_NE(cikti.find("fazla.txt: klasorde var, listede yok"), std::string::npos) << cikti;
}

// A publish is never mixed or unverifiable: a second run on a folder that one is publishing
// stops at once (a retried CI job), two started together leave a pair that verifies, and a
// file written while the tool reads it stops the tool before anything is written.
TEST(MorvatanListe, ConcurrentRunsAndFilesChangingUnderItNeverPublishABrokenPair) {
    yardimci::gecici_dizin d, anahtarlar;
    const std::string arac = MORVATAN_LISTE, gizli = anahtarlar.yol + "/gizli";
    std::string acik = yardimci::komut(arac + " --anahtar-uret " + gizli);
    acik.pop_back();
    for (int i = 0; i < 200; ++i) dosya_yaz(d.yol + "/f" + std::to_string(i), std::string(size_t(i) * 97, 'a' + i % 26));
    const std::string yayin = arac + " --imzala " + gizli + " " + d.yol + " 1.0 2>&1";
    int durum = -1;
    {
        const int fd = ::open(d.yol.c_str(), O_RDONLY | O_DIRECTORY);
        ASSERT_EQ(::flock(fd, LOCK_EX), 0);
        const std::string cikti = yardimci::komut(yayin, &durum);
        ::close(fd);
        EXPECT_EQ(durum, 1);
        EXPECT_NE(cikti.find(": baska bir morvatan-liste bu klasoru yayinliyor; o bitince yeniden calistir"),
                  std::string::npos) << cikti;
        EXPECT_FALSE(fs::exists(d.yol + "/dosyalar-linux.txt"));
    }
    for (int tur = 0; tur < 5; ++tur) {
        dosya_yaz(d.yol + "/f0", "tur " + std::to_string(tur));
        int ikinci = -1;
        yardimci::komut("(" + yayin + " >/dev/null; echo $? >" + d.yol + "/../ikinci.$$) & " + yayin +
                            " >/dev/null; wait; exit $(cat " + d.yol + "/../ikinci.$$; rm -f " + d.yol + "/../ikinci.$$)",
                        &ikinci);
        yardimci::komut(arac + " --dogrula " + acik + " " + d.yol + " 2>&1", &durum);
        EXPECT_EQ(durum, 0) << "tur " << tur;
    }

    // A file written after the tool has read it, while it still reads others: "buyuk.pak" is
    // read first, and the write comes once the tool has the last file (1 GiB of holes, which
    // takes it half a second or more) open, so it cannot miss the window on a busy machine.
    dosya_yaz(d.yol + "/buyuk.pak", std::string(8 << 20, 'x'));
    fs::remove(d.yol + "/dosyalar-linux.txt");
    yardimci::komut("truncate -s 1G " + d.yol + "/z.pak");
    const std::string cikti = yardimci::komut(
        arac + " --imzala " + gizli + " " + d.yol + " 1.0 >" + anahtarlar.yol + "/cikti.txt 2>&1 & t=$!; "
        "until ls -l /proc/$t/fd 2>/dev/null | grep -q z.pak || ! kill -0 $t 2>/dev/null; do sleep 0.01; done; "
        "printf y | dd of=" + d.yol + "/buyuk.pak bs=1 seek=100 conv=notrunc 2>/dev/null; "
        "wait $t; s=$?; cat " + anahtarlar.yol + "/cikti.txt; rm -f " + anahtarlar.yol + "/cikti.txt " + d.yol + "/z.pak; exit $s",
        &durum);
    EXPECT_EQ(durum, 1);
    EXPECT_NE(cikti.find("buyuk.pak: okunurken degisti"), std::string::npos) << cikti;
    EXPECT_FALSE(fs::exists(d.yol + "/dosyalar-linux.txt"));
}

}  // namespace
