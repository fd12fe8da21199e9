// Delta updates against the real test server (one range per request) and the real curl: the
// operator's tool writes the block indexes, the launcher rebuilds a changed large file from
// its old copy and fetches only what is missing, counted by the server; every doubt ends in
// one plain download and the right file.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <random>
#include <thread>

#include "platform/aktarim.h"
#include "tests/guncelleme_ortami.h"
#include "updater/blok.h"
#include "updater/fark.h"

namespace fs = std::filesystem;

namespace {

const int64_t MIB = 1 << 20;

std::string rastgele(size_t n, uint64_t tohum) {
    std::mt19937_64 r(tohum);
    std::string s(n, '\0');
    for (size_t i = 0; i + 8 <= n; i += 8) {
        const uint64_t v = r();
        std::memcpy(&s[i], &v, 8);
    }
    return s;
}

class FarkTest : public GuncellemeOrtami {
protected:
    // Publishes with the operator's tool, which writes the indexes.
    void yayinla_aracla(const std::string& icerik) {
        sunucu->dosya("oyun.pak", icerik);
        yardimci::komut(std::string(MORVATAN_LISTE) + " " + sunucu->kok + " 2.0 2>/dev/null");
        sunucu->istekleri_temizle();
    }
    std::string dizin_yolu(const std::string& icerik) { return sunucu->kok + "/" + blok::dizin_yolu(yardimci::ozet(icerik)); }
    // Runs the update with `eski` as the old copy; the file must end as `yeni`. Returns the
    // bytes the server sent for the file itself.
    int64_t guncelle(const std::string& eski, const std::string& yeni) {
        dosya_yaz("oyun.pak", eski);
        EXPECT_EQ(calistir(), guncelleme::GUNCEL) << guncelleme::mesaj_al();
        EXPECT_TRUE(dosya_oku("oyun.pak") == yeni);
        EXPECT_EQ(guncelleme::inen_bayt.load(), guncelleme::toplam_bayt.load());  // the bar ends full
        EXPECT_FALSE(indir_kaldi_mi());
        return sunucu->gonderilen("oyun.pak");
    }
};

// Scattered rewrites, an insertion and a deletion, growth at the end: what travels is about
// what changed. The index stays under 0.5 % of its file.
TEST_F(FarkTest, OnlyTheChangedBlocksTravel) {
    const std::string eski = rastgele(24 * MIB, 1);
    std::string yeni = eski;
    for (int i = 0; i < 10; ++i) {  // 1 %: ten rewrites of 24 KiB, scattered
        const std::string parca = rastgele(24 << 10, 100 + i);
        yeni.replace(size_t(i) * 2 * MIB + 777 * size_t(i + 1), parca.size(), parca);
    }
    yayinla_aracla(yeni);
    EXPECT_LE(int64_t(fs::file_size(dizin_yolu(yeni))), int64_t(yeni.size()) / 200);
    EXPECT_LE(guncelle(eski, yeni), int64_t(yeni.size()) * 3 / 100);
    EXPECT_GT(sunucu->gonderilen(blok::dizin_yolu(yardimci::ozet(yeni))), 0);

    std::string kaymis = yeni;
    kaymis.insert(3 * MIB + 12345, rastgele(100 << 10, 7));  // everything after it moves
    kaymis.erase(15 * MIB + 999, 50 << 10);
    yayinla_aracla(kaymis);
    EXPECT_LE(guncelle(yeni, kaymis), (100 << 10) + 4 * blok::BLOK_BOYUTU);

    const std::string uzamis = kaymis + rastgele(2 * MIB + 5, 8);
    yayinla_aracla(uzamis);
    EXPECT_LE(guncelle(kaymis, uzamis), 2 * MIB + 2 * blok::BLOK_BOYUTU);
    // The tool keeps only the current index, and never lists the indexes as game files.
    EXPECT_EQ(std::distance(fs::directory_iterator(sunucu->kok + "/" + blok::KLASOR), fs::directory_iterator()), 1);
    EXPECT_EQ(dosya_oku(sunucu->kok + "/dosyalar-linux.txt").find(blok::KLASOR), std::string::npos);
}

// A delta's range pieces keep out of every listed file's way: "oyun.pak.1" is listed too, and
// its kept half download ("oyun.pak.1.indir", the name a piece of "oyun.pak" once had) is
// continued after the delta, not fetched again from its first byte.
TEST_F(FarkTest, RangePiecesNeverTakeAnotherFilesKeptDownload) {
    const std::string eski = rastgele(12 * MIB, 11), komsu = rastgele(8 * MIB, 12);
    std::string yeni = eski;
    for (int i = 0; i < 3; ++i) yeni.replace(size_t(i) * 4 * MIB + 999, 20000, rastgele(20000, 20 + i));
    sunucu->dosya("oyun.pak.1", komsu);
    yayinla_aracla(yeni);
    dosya_yaz("oyun.pak.1.indir", komsu.substr(0, 6 * MIB));
    guncelle(eski, yeni);
    EXPECT_TRUE(dosya_oku("oyun.pak.1") == komsu);
    EXPECT_LE(sunucu->gonderilen("oyun.pak.1"), int64_t(2 * MIB) + 65536);
}

// No index, a broken one, a hostile one that points at the wrong blocks, a server that
// ignores ranges, an old copy that shares nothing: each ends with the right file for about
// one plain download, never more.
TEST_F(FarkTest, EveryDoubtEndsInOnePlainDownload) {
    const std::string eski = rastgele(12 * MIB, 2);
    std::string yeni = eski;
    yeni.replace(5 * MIB, 64 << 10, rastgele(64 << 10, 3));
    yayinla_aracla(yeni);
    const std::string dizin = dizin_yolu(yeni);
    const std::string dogru_dizin = dosya_oku(dizin);
    const int64_t bir_indirme = int64_t(yeni.size()) + MIB;

    EXPECT_LE(guncelle(rastgele(12 * MIB, 4), yeni), bir_indirme);  // nothing in common
    sunucu->istekleri_temizle();

    blok::dizin d;  // hostile: says it is the new file, describes the old one
    ASSERT_TRUE(blok::dizin_coz(dogru_dizin, d));
    blok::dizin sahte;
    dosya_yaz("sahte", eski);
    ASSERT_TRUE(blok::dizin_olustur("sahte", sahte));
    sahte.ozet = d.ozet;
    sunucu->dosya(blok::dizin_yolu(d.ozet), blok::dizin_metni(sahte));
    EXPECT_LE(guncelle(eski, yeni), bir_indirme);
    sunucu->istekleri_temizle();

    sunucu->dosya(blok::dizin_yolu(d.ozet), dogru_dizin.substr(0, dogru_dizin.size() - 3));  // cut short
    EXPECT_LE(guncelle(eski, yeni), bir_indirme);
    sunucu->istekleri_temizle();
    fs::remove(dizin);
    EXPECT_LE(guncelle(eski, yeni), bir_indirme);
    sunucu->istekleri_temizle();

    // curl stops at the headers of a whole-file answer to a range, but the server has pushed
    // what the sockets would take by then (on loopback a few MiB, at most the file): one range
    // request finds it out, one plain download follows.
    sunucu->dosya(blok::dizin_yolu(d.ozet), dogru_dizin);
    sunucu->hata("araliksiz", "oyun.pak");
    EXPECT_LE(guncelle(eski, yeni), bir_indirme + int64_t(yeni.size()));
    EXPECT_EQ(istek_sayisi("oyun.pak"), 2);
}

// A stop while the ranges travel leaves the old file whole and no temporaries; the next run
// finishes the delta.
TEST_F(FarkTest, AStopHalfWayLeavesTheOldFileAndTheNextRunFinishes) {
    const std::string eski = rastgele(12 * MIB, 5);
    std::string yeni = eski;
    for (int i = 0; i < 4; ++i) yeni.replace(size_t(i) * 3 * MIB, 256 << 10, rastgele(256 << 10, 50 + i));
    yayinla_aracla(yeni);
    dosya_yaz("oyun.pak", eski);
    sunucu->hata("hiz:262144", "oyun.pak");  // 1 MiB of ranges at 256 KiB/s each
    guncelleme::baslat(sunucu->adres(), "MorvatanLauncher");
    ASSERT_TRUE(yardimci::bekle_ki([&] { return sunucu->istekler().find("oyun.pak") != std::string::npos; }, 10));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    kapaniyor = true;
    guncelleme::iplik.join();
    kapaniyor = false;
    EXPECT_TRUE(dosya_oku("oyun.pak") == eski);
    EXPECT_FALSE(indir_kaldi_mi());
    sunucu->hatalari_temizle();
    sunucu->istekleri_temizle();
    EXPECT_LE(guncelle(eski, yeni), 4 * (256 << 10) + 8 * blok::BLOK_BOYUTU);
}

// A host that goes silent halfway through a range is ended like any silent transfer, and a
// named pipe standing where the old copy should be is no copy (opening it would wait for a
// writer for ever): both end in one plain download and the right file.
TEST_F(FarkTest, ASilentRangeOrAPipeForTheOldCopyEndsInAPlainDownload) {
    const std::string eski = rastgele(12 * MIB, 9);
    std::string yeni = eski;
    yeni.replace(7 * MIB, 64 << 10, rastgele(64 << 10, 10));
    yayinla_aracla(yeni);
    aktarim::durgunluk_siniri_koy(3.0);
    sunucu->hata("aralikta_takil:100", "oyun.pak");
    EXPECT_LE(guncelle(eski, yeni), int64_t(yeni.size()) + MIB);
    EXPECT_GE(istek_sayisi("oyun.pak"), 2);  // the stalled ranges, then the whole file
    sunucu->hatalari_temizle();
    fs::remove("oyun.pak");
    ASSERT_EQ(::mkfifo("oyun.pak", 0644), 0);
    EXPECT_EQ(calistir(), guncelleme::GUNCEL) << guncelleme::mesaj_al();
    EXPECT_TRUE(dosya_oku("oyun.pak") == yeni);
}

// Hostile indexes cost a bounded amount of work and a stop is heard at once: one whose
// checksums all match every window of an old copy full of zeros (with wrong digests) is given
// up after about two passes over it; one whose 2^17 blocks share one checksum builds and
// searches in linear time. A stop during either ends the matching within moments.
TEST(Blok, AHostileIndexIsGivenUpAndAStopIsHeardAtOnce) {
    yardimci::gecici_dizin g;
    const std::string sifirlar(8 << 20, '\0');
    yardimci::dosya_yaz(g.yol + "/eski", sifirlar);
    const int fd = ::open((g.yol + "/eski").c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    blok::dizin sifir;
    sifir.blok_boyutu = blok::BLOK_BOYUTU;
    sifir.dosya_boyutu = int64_t(sifirlar.size());
    sifir.zayif.assign(size_t(sifir.dosya_boyutu / sifir.blok_boyutu),
                       blok::zayif_ozet(reinterpret_cast<const uint8_t*>(sifirlar.data()), size_t(sifir.blok_boyutu)));
    sifir.guclu.assign(sifir.zayif.size(), 12345);
    blok::dizin ayni = sifir;
    ayni.dosya_boyutu = int64_t(blok::EN_COK_BLOK / 2) * blok::BLOK_BOYUTU;
    ayni.zayif.assign(blok::EN_COK_BLOK / 2, 777);
    ayni.guclu.resize(ayni.zayif.size());
    for (size_t i = 0; i < ayni.guclu.size(); ++i) ayni.guclu[i] = i;
    std::vector<int64_t> kaynak;
    std::atomic<bool> durdur{false};
    EXPECT_FALSE(guncelleme::eslestir(fd, int64_t(sifirlar.size()), sifir, kaynak, durdur));
    EXPECT_TRUE(guncelleme::eslestir(fd, int64_t(sifirlar.size()), ayni, kaynak, durdur));
    EXPECT_EQ(std::count(kaynak.begin(), kaynak.end(), -1), int64_t(kaynak.size()));
    for (const blok::dizin* d : {&sifir, &ayni}) {
        durdur = false;
        std::atomic<bool> bitti{false};
        std::thread t([&] {
            guncelleme::eslestir(fd, int64_t(sifirlar.size()), *d, kaynak, durdur);
            bitti = true;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        durdur = true;
        EXPECT_TRUE(yardimci::bekle_ki([&] { return bitti.load(); }, 2));
        t.join();
    }
    ::close(fd);
}

// The header of an index: block size, file size and digest.
std::string basla(int64_t blok, int64_t boyut, const std::string& ozet = std::string(64, 'a')) {
    return "morvatan-blok 1\n" + std::to_string(blok) + " " + std::to_string(boyut) + " " + ozet + "\n";
}

// The index is read strictly: anything but the exact form is no index (a plain download).
TEST(Blok, TheIndexIsReadStrictlyAndRangesAreCut) {
    blok::dizin d;
    const int64_t L = blok::BLOK_BOYUTU;
    d.blok_boyutu = L;
    d.dosya_boyutu = 2 * L + 452;
    d.ozet = std::string(64, 'a');
    d.zayif = {1, 2, 3};
    d.guclu = {4, 5, 6};
    const std::string metin = blok::dizin_metni(d);
    blok::dizin okunan;
    ASSERT_TRUE(blok::dizin_coz(metin, okunan));
    EXPECT_EQ(okunan.zayif, d.zayif);
    EXPECT_EQ(okunan.guclu, d.guclu);
    const std::string govde = metin.substr(metin.find('\n', 16) + 1);
    for (const std::string& kotu :
         {metin.substr(0, metin.size() - 1), metin + "x", "morvatan-blok 2\n" + metin.substr(16),
          basla(L / 2, d.dosya_boyutu) + govde, basla(L, d.dosya_boyutu, std::string(64, 'A')) + govde,
          "morvatan-blok 1\n0" + basla(L, d.dosya_boyutu).substr(16) + govde, basla(L, d.dosya_boyutu + L) + govde,
          // Blocks the tool never writes for this size: 64 MiB ones would make matching hold
          // hundreds of megabytes for a 131-byte index.
          basla(2 * L, d.dosya_boyutu) + govde.substr(0, 32), basla(64 << 20, 64 << 20) + govde.substr(0, 16)})
        EXPECT_FALSE(blok::dizin_coz(kotu, okunan)) << kotu.substr(0, 40);

    // Missing blocks 1, 2 and 4 of 5: two runs, the first cut at 1500 bytes.
    d.blok_boyutu = 1024;
    d.dosya_boyutu = 4600;
    const std::vector<int64_t> kaynak{0, -1, -1, 3072, -1};
    const std::vector<guncelleme::aralik> v = guncelleme::eksik_araliklar(kaynak, d, 1500);
    ASSERT_EQ(v.size(), 3u);
    EXPECT_EQ(v[0].bas, 1024);
    EXPECT_EQ(v[0].son, 2524);
    EXPECT_EQ(v[1].son, 3072);
    EXPECT_EQ(v[2].bas, 4096);
    EXPECT_EQ(v[2].son, 4600);
}

}  // namespace
