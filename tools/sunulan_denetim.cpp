// The served-files checks of morvatan-liste --dogrula URL: digests through the launcher's own
// addresses and transfers, or sizes through HEAD requests. No state.
#include "tools/sunulan_denetim.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <vector>

#include "platform/aktarim.h"
#include "platform/surec.h"
#include "updater/durum.h"
#include "updater/indirme.h"
#include "updater/sha256.h"
#include "updater/toplu.h"

namespace fs = std::filesystem;

namespace {

const std::atomic<bool> DURMA{false};

// What came for one listed file.
struct gelen {
    bool cevap = false;  // the transfer ended with a result line (small files) or at all
    int cikis = -1;      // curl's exit code
    long http = 0;
    int64_t boyut = 0;
    std::string ozet;
};

// Names the file when what came differs from the listing; true when it does not.
bool karsilastir(const guncelleme::kayit& k, const gelen& g) {
    if (!g.cevap) std::fprintf(stderr, "morvatan-liste: %s: sunucudan cevap yok\n", k.yol.c_str());
    else if (g.cikis != 0 && g.http < 0) std::fprintf(stderr, "morvatan-liste: %s: sunucu vermiyor\n", k.yol.c_str());
    else if (g.cikis != 0)
        std::fprintf(stderr, "morvatan-liste: %s: sunucu vermiyor (curl %d, HTTP %ld)\n", k.yol.c_str(), g.cikis, g.http);
    if (!g.cevap || g.cikis != 0) return false;
    if (g.boyut == k.boyut && g.ozet == k.ozet) return true;
    std::fprintf(stderr, "morvatan-liste: %s: gelen dosya listedekiyle ayni degil (%lld bayt, ozet %.16s; listede %lld bayt, %.16s)\n",
                 k.yol.c_str(), static_cast<long long>(g.boyut), g.ozet.c_str(), static_cast<long long>(k.boyut),
                 k.ozet.c_str());
    return false;
}

// A folder of this run's own for the small files' bytes (no one else can plant a link in it).
std::string gecici_klasor() {
    const char* tmp = std::getenv("TMPDIR");
    std::string sablon = std::string(tmp && *tmp ? tmp : "/tmp") + "/morvatan-dogrula-XXXXXX";
    return ::mkdtemp(sablon.data()) ? sablon : "";
}

std::string ozet_ve_boyut(const std::string& yol, int64_t& boyut) {
    std::string ozet;
    if (!sha256::dosya_ozeti_al(yol, ozet, boyut)) boyut = -1;
    return ozet;
}

// One curl for a run of small files, each written to `klasor`/N and hashed once it is in.
void kucukleri_getir(const std::string& taban, const std::vector<const guncelleme::kayit*>& grup,
                     const std::string& klasor, std::vector<gelen>& sonuclar) {
    std::string yapilandirma;
    int64_t en_buyuk = 0;
    for (size_t i = 0; i < grup.size(); ++i) {
        yapilandirma += "url = " + guncelleme::yapilandirma_degeri(guncelleme::dosya_adresi(taban, *grup[i])) + "\n";
        yapilandirma += "output = " + guncelleme::yapilandirma_degeri(klasor + "/" + std::to_string(i)) + "\n";
        en_buyuk = std::max(en_buyuk, grup[i]->boyut);
    }
    sonuclar.assign(grup.size(), gelen{});
    int64_t gorulen = -1;
    auto ilerliyor = [&] {  // the folder still grows
        int64_t toplam = 0;
        for (size_t i = 0; i < grup.size(); ++i) {
            struct stat st;
            if (::stat((klasor + "/" + std::to_string(i)).c_str(), &st) == 0) toplam += st.st_size;
        }
        const bool buyudu = toplam > gorulen;
        gorulen = toplam;
        return buyudu;
    };
    auto satir = [&](const std::string& metin) {
        guncelleme::aktarim_sonucu s;
        if (guncelleme::sonuc_satiri_coz(metin, s) && s.sira < grup.size())
            sonuclar[s.sira] = gelen{true, s.cikis, s.http, 0, ""};
        return true;
    };
    aktarim::toplu_getir(yapilandirma, guncelleme::PARALEL, en_buyuk + 1, satir, ilerliyor, DURMA);
    for (size_t i = 0; i < grup.size(); ++i) {
        const std::string yol = klasor + "/" + std::to_string(i);
        if (sonuclar[i].cevap && sonuclar[i].cikis == 0) sonuclar[i].ozet = ozet_ve_boyut(yol, sonuclar[i].boyut);
        ::unlink(yol.c_str());
    }
}

// A large file streamed and hashed as it comes; never more than one byte past its size is
// taken, so a host that sends without end cannot fill the memory or the disk.
gelen buyugu_getir(const std::string& taban, const guncelleme::kayit& k) {
    sha256::baglam b;
    sha256::baslangic(b);
    gelen g;
    auto parca = [&](const char* veri, size_t n) {
        sha256::ekle(b, reinterpret_cast<const uint8_t*>(veri), n);
        g.boyut += int64_t(n);
        return g.boyut <= k.boyut;
    };
    const aktarim::sonuc s = aktarim::getir(guncelleme::dosya_adresi(taban, k), 65536, parca, DURMA);
    g.cevap = true;
    // A body longer than listed was refused: it came, and its size tells.
    const bool geldi = s == aktarim::sonuc::TAMAM || s == aktarim::sonuc::REDDEDILDI;
    g.cikis = geldi ? 0 : 1;
    g.http = geldi ? 200 : -1;
    g.ozet = sha256::onaltilik(sha256::bitir(b));
    return g;
}

void ilerleme_yaz(size_t biten, size_t toplam, int64_t bayt, int64_t toplam_bayt) {
    std::fprintf(stderr, "morvatan-liste: %zu/%zu dosya, %s / %s\n", biten, toplam, boyut_yazisi(bayt).c_str(),
                 boyut_yazisi(toplam_bayt).c_str());
}

// One line of the HEAD pass: "URLNUM EXITCODE HTTPCODE CONTENT-LENGTH" (the length may be
// missing).
bool bas_satiri_coz(const std::string& satir, size_t& sira, int& cikis, long& http, int64_t& uzunluk) {
    long long s = -1, u = -1;
    int c = -1;
    long h = 0;
    const int n = std::sscanf(satir.c_str(), "%lld %d %ld %lld", &s, &c, &h, &u);
    if (n < 3 || s < 0) return false;
    sira = size_t(s);
    cikis = c;
    http = h;
    uzunluk = n == 4 ? int64_t(u) : -1;
    return true;
}

bool ozetle_bitir(size_t farkli, size_t toplam) {
    if (farkli == 0) return true;
    std::fprintf(stderr, "morvatan-liste: %zu dosyanin %zu tanesi oyunculara listedeki gibi gitmiyor\n", toplam, farkli);
    return false;
}

}  // namespace

bool sunulanlar_dogru_mu(const std::string& taban, const guncelleme::liste& l) {
    const std::string klasor = gecici_klasor();
    if (klasor.empty()) {
        std::fprintf(stderr, "morvatan-liste: gecici klasor acilamadi\n");
        return false;
    }
    int64_t toplam_bayt = 0, bayt = 0;
    for (const guncelleme::kayit& k : l.kayitlar) toplam_bayt += k.boyut;
    size_t farkli = 0, biten = 0;
    std::vector<const guncelleme::kayit*> sirasi;
    for (const guncelleme::kayit& k : l.kayitlar) sirasi.push_back(&k);
    for (size_t i = 0; i < sirasi.size();) {
        const size_t n = guncelleme::toplu_uzunluk(sirasi, i, guncelleme::TOPLU_BAYT);
        std::vector<gelen> sonuclar;
        if (n == 0) sonuclar.push_back(buyugu_getir(taban, *sirasi[i]));
        else kucukleri_getir(taban, {sirasi.begin() + long(i), sirasi.begin() + long(i + n)}, klasor, sonuclar);
        for (size_t j = 0; j < sonuclar.size(); ++j, ++biten) {
            farkli += !karsilastir(*sirasi[i + j], sonuclar[j]);
            bayt += sirasi[i + j]->boyut;
        }
        i += sonuclar.size();
        ilerleme_yaz(biten, sirasi.size(), bayt, toplam_bayt);
    }
    std::error_code ec;
    fs::remove_all(klasor, ec);
    return ozetle_bitir(farkli, sirasi.size());
}

bool sunulan_boyutlar_dogru_mu(const std::string& taban, const guncelleme::liste& l) {
    std::string yapilandirma;
    for (const guncelleme::kayit& k : l.kayitlar)
        yapilandirma += "url = " + guncelleme::yapilandirma_degeri(guncelleme::dosya_adresi(taban, k)) + "\n";
    const std::string komut =
        "curl -sfgIL --no-progress-meter --connect-timeout 15 --parallel --parallel-max 8 "
        "-w '%{stderr}%{urlnum} %{exitcode} %{http_code} %header{content-length}\\n' -K - 2>&1 >/dev/null";
    surec::boru b;
    if (!surec::girdili_ac(komut, yapilandirma.data(), yapilandirma.size(), b)) return false;
    std::string cikti;
    char tampon[65536];
    for (long n; (n = surec::oku(b, tampon, sizeof tampon, DURMA, 120.0)) > 0;) cikti.append(tampon, size_t(n));
    surec::kapat(b);
    std::vector<char> goruldu(l.kayitlar.size(), 0);
    size_t farkli = 0;
    std::istringstream satirlar(cikti);
    for (std::string satir; std::getline(satirlar, satir);) {
        size_t sira = 0;
        int cikis = -1;
        long http = 0;
        int64_t uzunluk = -1;
        if (!bas_satiri_coz(satir, sira, cikis, http, uzunluk) || sira >= l.kayitlar.size()) continue;
        goruldu[sira] = 1;
        const guncelleme::kayit& k = l.kayitlar[sira];
        if (cikis != 0) {
            std::fprintf(stderr, "morvatan-liste: %s: sunucu vermiyor (curl %d, HTTP %ld)\n", k.yol.c_str(), cikis, http);
            ++farkli;
        } else if (uzunluk != k.boyut) {
            std::fprintf(stderr, "morvatan-liste: %s: sunucuda %lld bayt, listede %lld\n", k.yol.c_str(),
                         static_cast<long long>(uzunluk), static_cast<long long>(k.boyut));
            ++farkli;
        }
    }
    for (size_t i = 0; i < goruldu.size(); ++i) {
        if (goruldu[i]) continue;
        std::fprintf(stderr, "morvatan-liste: %s: sunucudan cevap yok\n", l.kayitlar[i].yol.c_str());
        ++farkli;
    }
    return ozetle_bitir(farkli, l.kayitlar.size());
}
