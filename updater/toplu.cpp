// Batched downloads: curl's config text, its per-transfer lines, and the batch step that
// makes the batch's own folder, runs one curl into it and finishes the files in manifest order.
#include "updater/toplu.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string_view>

#include "platform/aktarim.h"
#include "platform/tanimlayici.h"
#include "updater/durum.h"
#include "updater/sha256.h"
#include "updater/tekrar.h"

namespace fs = std::filesystem;

namespace guncelleme {
namespace {

const int CURL_YAZMA_HATASI = 23;   // curl could not write a file (a full disk, say)
const size_t IZLENEN = 2 * PARALEL;  // unfinished files looked at for progress in a quiet moment

// Where one file of a batch stands.
enum class kalem_hali {
    BEKLIYOR,   // in the curl that runs next (or now), no line of it read yet
    TEKRAR,     // its transfer failed in a way that may pass: fetched again by the next curl
    GELDI,      // curl says it arrived: to be checked and put in place
    BASARISIZ,  // no transfer of it will come; `neden` says why
};

// One file of a batch: the ".indir" this step created (known by device and inode, so that
// only it is ever read, renamed or removed) and what curl said about its transfer.
struct kalem : toplu_gecici {
    kalem_hali hal = kalem_hali::BEKLIYOR;
    hata_turu neden = hata_turu::YOK;
    int64_t gorulen = 0;     // size seen at the last look for progress
};

void sil(const toplu_gecici& k) { ::unlink(k.gecici.c_str()); }

// The folder the file goes to, made once per batch and folder.
bool hedef_klasoru_hazirla(const toplu_gecici& k, std::set<std::string>& dizinler) {
    const fs::path hedef = k.e->yol;
    if (!hedef.has_parent_path() || !dizinler.insert(hedef.parent_path().string()).second) return true;
    return dizin_hazirla(hedef.parent_path());
}

std::string ozet_al(int fd) {
    sha256::baglam b;
    sha256::baslangic(b);
    uint8_t tampon[65536];
    for (off_t konum = 0;;) {
        const ssize_t n = ::pread(fd, tampon, sizeof tampon, konum);
        if (n <= 0) break;
        sha256::ekle(b, tampon, size_t(n));
        konum += n;
    }
    return sha256::onaltilik(sha256::bitir(b));
}

template <typename T>
std::from_chars_result sayi_coz(const char* p, const char* son, T& deger) {
    return std::from_chars(p, son, deger);
}

// curl writes its times as plain decimals ("0.000123"). Read by hand: the C++ library of the
// oldest base the package is built on has no floating-point from_chars, and strtod follows
// the locale.
std::from_chars_result sayi_coz(const char* p, const char* son, double& deger) {
    uint64_t tam = 0;
    std::from_chars_result r = std::from_chars(p, son, tam);
    if (r.ec != std::errc()) return r;
    deger = double(tam);
    if (r.ptr == son || *r.ptr != '.') return r;
    double basamak = 0.1;
    for (++r.ptr; r.ptr != son && *r.ptr >= '0' && *r.ptr <= '9'; ++r.ptr, basamak /= 10)
        deger += (*r.ptr - '0') * basamak;
    return r;
}

// One number of a result line, after the spaces that part it from the one before.
template <typename T>
bool alan_oku(const char*& p, const char* son, bool ilk, T& deger) {
    if (!ilk && (p == son || *p != ' ')) return false;
    while (p != son && *p == ' ') ++p;
    if (p == son || *p < '0' || *p > '9') return false;
    const std::from_chars_result r = sayi_coz(p, son, deger);
    p = r.ptr;
    return r.ec == std::errc();
}

// Why a transferred file cannot go in place (YOK when it can), in the streamed step's
// precedence: a body past the listed size first (the streamed step cuts it off), then the
// transfer's own failure, then the size and the digest.
hata_turu sorun(const kalem& k, int fd, int64_t boyut) {
    if (boyut > k.e->boyut) return hata_turu::BOZUK;
    if (k.hal == kalem_hali::BASARISIZ) return k.neden;
    if (boyut != k.e->boyut || ozet_al(fd) != k.e->ozet) return hata_turu::BOZUK;
    return hata_turu::YOK;
}

bool son_hal_mi(const kalem& k) { return k.hal == kalem_hali::GELDI || k.hal == kalem_hali::BASARISIZ; }

void basarisiz_say(kalem& k, hata_turu neden) {
    k.hal = kalem_hali::BASARISIZ;
    k.neden = neden;
}

// Checks one transferred file and puts it in place; on failure fills `hata`, and `tur` with
// the kind when the file itself was wrong or missing.
// The file curl wrote, open for reading. curl makes it at the body's first byte, so a failed
// transfer may have made none, and an empty body none either: an empty file stands in.
tanimlayici gelen_ac(const kalem& k) {
    tanimlayici fd(::open(k.gecici.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (fd.acik() || errno != ENOENT) return fd;
    const tanimlayici bos(::open(k.gecici.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    return tanimlayici(bos.acik() ? ::open(k.gecici.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC) : -1);
}

bool bitir(const kalem& k, const std::string& kendi_yolu, onbellek& tablo, bool& yeniden, metinler::ileti& hata,
           hata_turu& tur) {
    const tanimlayici fd = gelen_ac(k);
    struct stat st;
    if (!fd.acik() || ::fstat(fd.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        hata = indirme_hatasi(k.e->yol, tur = hata_turu::DISKE_YAZILAMADI);
        return false;
    }
    const hata_turu n = sorun(k, fd.fd, int64_t(st.st_size));
    bool tamam = n == hata_turu::YOK;
    if (tamam) tamam = yerine_koy(*k.e, k.gecici, fd.fd, kendi_yolu, tablo, yeniden, hata);
    else hata = indirme_hatasi(k.e->yol, tur = n);
    if (!tamam) sil(k);
    return tamam;
}

// The state of one batch while curl runs: results arrive in any order, files are finished
// strictly in manifest order.
struct toplu_is {
    std::vector<kalem> kalemler;
    size_t siradaki = 0;   // first file not finished yet
    metinler::ileti hata;  // the first failure, once there is one
    hata_turu hata_nedeni = hata_turu::YOK;  // its kind, when the file was wrong or missing
    const std::string& kendi_yolu;
    onbellek& tablo;
    bool& yeniden;
    double& en_kisa_baglanti;       // the quickest connection the run has seen, seconds
    int deneme = 0;                 // retries done so far
    double istenen = 0;             // the longest Retry-After of this round's failures that may pass
    std::vector<size_t> bu_tur;     // the files of the curl now running, by its transfer number

    // Finishes every file whose result is in, up to the first failure.
    bool ilerlet() {
        while (siradaki < kalemler.size() && son_hal_mi(kalemler[siradaki])) {
            if (!bitir(kalemler[siradaki], kendi_yolu, tablo, yeniden, hata, hata_nedeni)) return false;
            ++siradaki;
        }
        return true;
    }

    bool satir_al(const std::string& satir) {
        aktarim_sonucu s;
        if (!sonuc_satiri_coz(satir, s) || s.sira >= bu_tur.size()) return true;
        if (s.baglanti >= 0 && (en_kisa_baglanti < 0 || s.baglanti < en_kisa_baglanti)) en_kisa_baglanti = s.baglanti;
        kalem& k = kalemler[bu_tur[s.sira]];
        if (k.hal != kalem_hali::BEKLIYOR) return true;
        const int64_t inen = std::min(s.inen, k.e->boyut);
        alindi(inen);
        if (deneme < TEKRAR_SAYISI && aktarim::gecici_mi(s.cikis, s.http)) {
            k.hal = kalem_hali::TEKRAR;
            istenen = std::max(istenen, s.bekleme);
            yeniden_gelecek(inen);
            return true;
        }
        if (s.cikis == 0) k.hal = kalem_hali::GELDI;
        else basarisiz_say(k, s.cikis == CURL_YAZMA_HATASI ? hata_turu::DISKE_YAZILAMADI : hata_turu::ULASILAMADI);
        return ilerlet();
    }

    // The files the next curl fetches: every one with no final outcome, in manifest order.
    void turu_hazirla() {
        bu_tur.clear();
        for (size_t i = siradaki; i < kalemler.size(); ++i)
            if (kalemler[i].hal == kalem_hali::BEKLIYOR) bu_tur.push_back(i);
    }

    // True when one of the files in flight has grown since the last look.
    bool ilerliyor() {
        bool buyudu = false;
        size_t bakilan = 0;
        for (size_t i = siradaki; i < kalemler.size() && bakilan < IZLENEN; ++i) {
            kalem& k = kalemler[i];
            if (son_hal_mi(k)) continue;
            ++bakilan;
            struct stat st;
            if (::stat(k.gecici.c_str(), &st) == 0 && int64_t(st.st_size) > k.gorulen) {
                k.gorulen = int64_t(st.st_size);
                buyudu = true;
            }
        }
        return buyudu;
    }

    void kalanlari_sil(size_t bas) {
        for (size_t i = bas; i < kalemler.size(); ++i) sil(kalemler[i]);
    }
};

// After a curl has ended: a file with no line never arrived. When curl was ended because no
// transfer moved, that may pass too; so may each failure marked for a retry, while retries
// are left. False when no file is to be fetched again.
bool tekrar_edilecek_var_mi(toplu_is& is, aktarim::sonuc s) {
    const bool kalan = is.deneme < TEKRAR_SAYISI;
    bool var = false;
    for (size_t i : is.bu_tur) {
        kalem& k = is.kalemler[i];
        if (k.hal == kalem_hali::BEKLIYOR) {
            if (s == aktarim::sonuc::GECICI && kalan) k.hal = kalem_hali::TEKRAR;
            else basarisiz_say(k, s == aktarim::sonuc::CALISTIRILAMADI ? hata_turu::CALISTIRILAMADI : hata_turu::ULASILAMADI);
        }
        var = var || k.hal == kalem_hali::TEKRAR;
    }
    return var;
}

// Each file fetched again starts over (what the failed transfer left is not kept: small
// files start over), in a file curl makes anew.
void tekrara_hazirla(toplu_is& is) {
    for (size_t i : is.bu_tur) {
        kalem& k = is.kalemler[i];
        if (k.hal != kalem_hali::TEKRAR) continue;
        k.hal = kalem_hali::BEKLIYOR;
        k.gorulen = 0;
        sil(k);
    }
}

// Runs one curl for the files without a final outcome.
aktarim::sonuc turu_calistir(toplu_is& is, const std::string& adres) {
    is.turu_hazirla();
    std::vector<const kayit*> kayitlar;
    std::vector<std::string> ciktilar;
    int64_t en_buyuk = 0;
    for (size_t i : is.bu_tur) {
        kayitlar.push_back(is.kalemler[i].e);
        ciktilar.push_back(is.kalemler[i].gecici);
        en_buyuk = std::max(en_buyuk, is.kalemler[i].e->boyut);
    }
    if (kayitlar.empty()) return aktarim::sonuc::TAMAM;
    return aktarim::toplu_getir(
        toplu_yapilandirma(kayitlar, ciktilar, adres), paralel_sayisi(is.en_kisa_baglanti, vekil_var_mi()), en_buyuk + 1,
        [&](const std::string& satir) { return is.satir_al(satir); }, [&] { return is.ilerliyor(); }, kapaniyor);
}

}  // namespace

std::string yapilandirma_degeri(const std::string& deger) {
    std::string d = "\"";
    for (char c : deger) {
        switch (c) {
            case '\\': d += "\\\\"; break;
            case '"': d += "\\\""; break;
            case '\t': d += "\\t"; break;
            case '\n': d += "\\n"; break;
            case '\r': d += "\\r"; break;
            case '\v': d += "\\v"; break;
            default: d += c;
        }
    }
    return d + "\"";
}

std::string toplu_yapilandirma(const std::vector<const kayit*>& grup, const std::vector<std::string>& ciktilar,
                               const std::string& adres) {
    std::string metin;
    for (size_t i = 0; i < grup.size(); ++i) {
        metin += "url = " + yapilandirma_degeri(dosya_adresi(adres, *grup[i])) + "\n";
        metin += "output = " + yapilandirma_degeri(ciktilar[i]) + "\n";
    }
    return metin;
}

bool sonuc_satiri_coz(const std::string& satir, aktarim_sonucu& s) {
    const char* p = satir.data();
    const char* const son = p + satir.size();
    uint64_t sira, baglanti_sayisi;
    int cikis;
    long http;
    int64_t inen;
    double baglanti;
    if (!alan_oku(p, son, true, sira) || !alan_oku(p, son, false, cikis) || !alan_oku(p, son, false, http) ||
        !alan_oku(p, son, false, inen) || !alan_oku(p, son, false, baglanti_sayisi) ||
        !alan_oku(p, son, false, baglanti))
        return false;
    double bekleme = 0;
    if (p != son) {
        const std::string_view kalan(p, size_t(son - p));
        if (kalan.size() < 2 || kalan.substr(0, 2) != " R" || kalan.find(' ', 1) != std::string_view::npos) return false;
        const std::string_view deger = kalan.substr(2);
        if (!deger.empty() && deger.size() <= 6 && deger.find_first_not_of("0123456789") == std::string_view::npos)
            bekleme = double(std::stol(std::string(deger)));
    }
    s = aktarim_sonucu{size_t(sira), cikis, http, inen, baglanti_sayisi > 0 ? baglanti : -1, bekleme};
    return true;
}

int paralel_sayisi(double en_kisa_baglanti, bool vekil_var) {
    const bool yakin = !vekil_var && en_kisa_baglanti >= 0 && en_kisa_baglanti < YAKIN_BAGLANTI;
    return yakin ? YAKIN_PARALEL : PARALEL;
}

bool vekil_var_mi() {
    for (const char* ad : {"http_proxy", "HTTPS_PROXY", "https_proxy", "ALL_PROXY", "all_proxy"}) {
        const char* deger = std::getenv(ad);
        if (deger && *deger) return true;
    }
    return false;
}

size_t toplu_uzunluk(const std::vector<const kayit*>& liste, size_t bas, int64_t bayt_siniri) {
    size_t n = 0;
    int64_t bayt = 0;
    std::set<std::string_view> yollar;  // a path listed twice starts the next batch
    for (size_t i = bas; i < liste.size() && n < TOPLU_ADET; ++i, ++n) {
        const int64_t boyut = liste[i]->boyut;
        if (boyut >= TOPLU_SINIRI || bayt + boyut > bayt_siniri) break;
        if (!yollar.insert(liste[i]->yol).second) break;
        bayt += boyut;
    }
    return n;
}

toplu_hazirlik toplu_hazirla(const std::vector<const kayit*>& grup) {
    toplu_hazirlik h;
    h.klasor = ozel_klasor_ac("toplu");
    h.yazilamayan = h.klasor.empty() ? 0 : grup.size();
    std::set<std::string> dizinler;
    h.geciciler.reserve(grup.size());
    for (size_t i = 0; i < h.yazilamayan && !kapaniyor.load(); ++i) {
        toplu_gecici g{grup[i], h.klasor + "/" + std::to_string(i)};
        if (!hedef_klasoru_hazirla(g, dizinler)) {
            h.yazilamayan = i;
            break;
        }
        h.geciciler.push_back(std::move(g));
    }
    return h;
}

void toplu_hazirligi_sil(const toplu_hazirlik& h) {
    if (h.klasor.empty()) return;
    std::error_code ec;
    fs::remove_all(h.klasor, ec);
}

bool birlikte_hazirlanir_mi(const std::vector<const kayit*>& simdiki, const std::vector<const kayit*>& sonraki) {
    std::set<std::string_view> yollar, klasorler;  // of the batch that travels
    for (const kayit* e : simdiki) {
        yollar.insert(e->yol);
        for (size_t b = e->yol.find('/'); b != std::string::npos; b = e->yol.find('/', b + 1))
            klasorler.insert(std::string_view(e->yol).substr(0, b));
    }
    for (const kayit* e : sonraki) {
        if (yollar.count(e->yol) || klasorler.count(e->yol)) return false;
        for (size_t b = e->yol.find('/'); b != std::string::npos; b = e->yol.find('/', b + 1))
            if (yollar.count(std::string_view(e->yol).substr(0, b))) return false;
    }
    return true;
}

namespace {

adim_sonucu toplu_yurut(const std::vector<const kayit*>& grup, toplu_hazirlik& hazirlik, const std::string& adres,
                        const std::string& kendi_yolu, onbellek& tablo, bool& yeniden, double& en_kisa_baglanti) {
    toplu_is is{{}, 0, {}, hata_turu::YOK, kendi_yolu, tablo, yeniden, en_kisa_baglanti, 0, 0, {}};
    for (toplu_gecici& g : hazirlik.geciciler) {
        kalem k;
        static_cast<toplu_gecici&>(k) = std::move(g);
        is.kalemler.push_back(std::move(k));
    }
    const size_t yazilamayan = hazirlik.yazilamayan;
    while (true) {
        const aktarim::sonuc s = turu_calistir(is, adres);
        if (s == aktarim::sonuc::DURDURULDU || kapaniyor.load()) break;
        if (is.hata.t != metinler::tur::YOK || !tekrar_edilecek_var_mi(is, s)) break;
        if (!tekrar_bekle(++is.deneme, is.istenen)) break;
        is.istenen = 0;
        tekrara_hazirla(is);
    }
    deneme_notu_koy({});
    if (kapaniyor.load()) {
        is.kalanlari_sil(is.siradaki);
        return adim_sonucu::DURDURULDU;
    }
    if (is.hata.t == metinler::tur::YOK) is.ilerlet();
    if (is.hata.t != metinler::tur::YOK) {
        is.kalanlari_sil(is.siradaki + 1);
        return basarisiz("", tablo, is.hata, is.hata_nedeni);
    }
    if (yazilamayan < grup.size()) return basarisiz("", tablo, {metinler::tur::DOSYA_YAZILAMADI, grup[yazilamayan]->yol});
    return adim_sonucu::TAMAM;
}

}  // namespace

adim_sonucu toplu_guncelle(const std::vector<const kayit*>& grup, toplu_hazirlik hazirlik, const std::string& adres,
                           const std::string& kendi_yolu, onbellek& tablo, bool& yeniden, double& en_kisa_baglanti) {
    const adim_sonucu s = toplu_yurut(grup, hazirlik, adres, kendi_yolu, tablo, yeniden, en_kisa_baglanti);
    toplu_hazirligi_sil(hazirlik);  // the folder, and whatever did not go in place
    return s;
}

}  // namespace guncelleme
