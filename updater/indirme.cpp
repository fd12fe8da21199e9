// Downloads and replacement: manifest fetch, streamed and verified file downloads, the
// rename with its ".eski" fallback, and the start-of-run cleanup. No state of its own.
#include "updater/indirme.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/aktarim.h"
#include "platform/elf.h"
#include "platform/tanimlayici.h"
#include "updater/durum.h"
#include "updater/tekrar.h"

namespace fs = std::filesystem;

namespace guncelleme {
namespace {

const size_t PARCA = 65536;  // one read from curl, or from a file being hashed


// Adds the execute bits when the downloaded bytes start like a program; errors ignored.
void calistirma_izni_ver(int fd) {
    uint8_t b[4] = {0, 0, 0, 0};
    if (::pread(fd, b, 4, 0) < 0) return;
    if (!calistirilabilir_mi(b[0], b[1], b[2], b[3])) return;
    struct stat st;
    if (::fstat(fd, &st) == 0) ::fchmod(fd, (st.st_mode & 07777) | 0111);
}

// True while `yol` still names the very file behind `fd`: only that file was hashed, so only
// it may be renamed into place (or removed).
bool ayni_dosya_mi(const std::string& yol, int fd) {
    struct stat yoldaki, bizdeki;
    if (::stat(yol.c_str(), &yoldaki) != 0 || ::fstat(fd, &bizdeki) != 0) return false;
    return yoldaki.st_dev == bizdeki.st_dev && yoldaki.st_ino == bizdeki.st_ino;
}

// A ".indir" being written: curl's end and the reading end, the digest of the bytes read so
// far, and how many of them came from an earlier run.
struct acik_indirme {
    tanimlayici yazma;  // curl's standard output
    tanimlayici okuma;  // the same file, read behind curl
    sha256::baglam ozet;
    int64_t alinan = 0;
    int64_t onceki = 0;  // bytes found in the file when it was opened
};

void kapat(acik_indirme& a) {
    a.okuma.kapat();
    a.yazma.kapat();
}

// A fresh file rather than a truncated one: whatever might still hold the old one open (a
// transfer of a killed launcher) can no longer write into this download.
bool taze_ac(const std::string& gecici, acik_indirme& a) {
    a = acik_indirme{};
    sha256::baslangic(a.ozet);
    a.yazma = gecici_olustur(gecici);
    if (a.yazma.acik()) a.okuma = tanimlayici(::open(gecici.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (a.okuma.acik() && ayni_dosya_mi(gecici, a.okuma.fd) && ayni_dosya_mi(gecici, a.yazma.fd)) return true;
    kapat(a);
    return false;
}

// Opens what an earlier run left in `gecici` for continuing: a regular file of DEVAM_ESIGI
// bytes or more and no longer than `boyut`, hashed to its end (the reader then sits there and
// the writer too). False, with nothing open, for anything else or a stop meanwhile.
bool devam_ac(const std::string& gecici, int64_t boyut, acik_indirme& a) {
    a = acik_indirme{};
    sha256::baslangic(a.ozet);
    a.okuma = tanimlayici(::open(gecici.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st;
    if (!a.okuma.acik() || ::fstat(a.okuma.fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < DEVAM_ESIGI ||
        st.st_size > boyut) {
        kapat(a);
        return false;
    }
    a.yazma = tanimlayici(::open(gecici.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC));
    std::vector<uint8_t> tampon(PARCA);
    while (a.yazma.acik() && ayni_dosya_mi(gecici, a.okuma.fd) && !kapaniyor.load()) {
        const ssize_t n = ::read(a.okuma.fd, tampon.data(), tampon.size());
        if (n < 0) break;
        if (n == 0) {
            a.onceki = a.alinan;
            if (::lseek(a.yazma.fd, a.alinan, SEEK_SET) == a.alinan && a.alinan <= boyut) return true;
            break;
        }
        sha256::ekle(a.ozet, tampon.data(), size_t(n));
        a.alinan += n;
    }
    kapat(a);
    return false;
}

// Streams the rest of the file from the server: every byte that lands is hashed and counted
// (also into inen_bayt), never past the listed size.
hata_turu aktar(const std::string& url, int64_t boyut, acik_indirme& a, int64_t hiz_siniri) {
    auto parca = [&](const char* veri, size_t n) {
        sha256::ekle(a.ozet, reinterpret_cast<const uint8_t*>(veri), n);
        a.alinan += int64_t(n);
        alindi(int64_t(n));
    };
    const aktarim::sonuc s = aktarim::dosyaya_getir(url, a.yazma.fd, a.okuma.fd, PARCA, boyut - a.alinan, parca, kapaniyor,
                                                    a.alinan, hiz_siniri);
    return aktarim::hatasi(s);
}

bool dogru_mu(const kayit& e, acik_indirme& a) {
    if (a.alinan != e.boyut) return false;
    sha256::baglam kopya = a.ozet;
    return sha256::onaltilik(sha256::bitir(kopya)) == e.ozet;
}

// One streamed attempt: the rest of the file (nothing when an earlier run left it whole).
hata_turu dene(const std::string& url, const kayit& e, acik_indirme& a, int64_t hiz_siniri) {
    if (a.alinan == e.boyut) return hata_turu::YOK;
    return aktar(url, e.boyut, a, hiz_siniri);
}

// A ".indir" worth continuing survives a stop or a lost connection; anything else goes. Its
// size on disk counts, not the bytes hashed so far: the next run hashes the file again.
bool saklanir_mi(const acik_indirme& a, hata_turu tur) {
    struct stat st;
    if (::fstat(a.yazma.fd, &st) != 0 || st.st_size < DEVAM_ESIGI) return false;
    return kapaniyor.load() || tur == hata_turu::ULASILAMADI || tur == hata_turu::GECICI ||
           tur == hata_turu::ARALIK_YOK;
}

// Checks the finished attempt and puts the file in place. When the path no longer names the
// file that was written, someone else's file is there: nothing of it is removed or renamed.
adim_sonucu bitir(const kayit& e, const std::string& gecici, acik_indirme& a, hata_turu tur,
                  const std::string& kendi_yolu, onbellek& tablo, bool& yeniden) {
    const bool bizim = ayni_dosya_mi(gecici, a.yazma.fd);
    const bool sakla = saklanir_mi(a, tur);
    const std::string silinecek = bizim && !sakla ? gecici : "";
    if (kapaniyor.load()) {
        if (!silinecek.empty()) ::unlink(gecici.c_str());
        return adim_sonucu::DURDURULDU;
    }
    if (tur != hata_turu::YOK) return basarisiz(silinecek, tablo, indirme_hatasi(e.yol, tur), tur);
    const metinler::ileti bozuk = indirme_hatasi(e.yol, hata_turu::BOZUK);
    // Another program's file under our temporary's name says nothing of the release.
    if (!bizim) return basarisiz("", tablo, bozuk);
    if (!dogru_mu(e, a)) return basarisiz(gecici, tablo, bozuk, hata_turu::BOZUK);
    metinler::ileti hata;
    if (yerine_koy(e, gecici, a.okuma.fd, kendi_yolu, tablo, yeniden, hata)) return adim_sonucu::TAMAM;
    return basarisiz(ayni_dosya_mi(gecici, a.yazma.fd) ? gecici : "", tablo, hata);
}

// Brings the writer back to the last byte hashed, so that a retry continues from there: a
// transfer that was cut may have written a few bytes the reader never took.
bool geri_sar(acik_indirme& a) {
    return ::ftruncate(a.yazma.fd, a.alinan) == 0 && ::lseek(a.yazma.fd, a.alinan, SEEK_SET) == a.alinan;
}

// The transfers of one file: the first; a retry after each failure that may pass (up to
// TEKRAR_SAYISI, each continuing from the bytes already hashed); and one fresh start from the
// first byte when bytes of two transfers were joined and the server cannot send the rest or
// the joined file is wrong (the kept bytes may belong to an older file, or to none). False
// when a fresh temporary cannot be made.
bool aktarimlar(const std::string& url, const kayit& e, const std::string& gecici, bool ekli, int64_t hiz_siniri,
                acik_indirme& a, hata_turu& tur) {
    bool bastan_basladi = false;
    for (int deneme = 0;;) {
        tur = dene(url, e, a, hiz_siniri);
        if (kapaniyor.load()) return true;
        const bool yanlis = tur == hata_turu::ARALIK_YOK || (tur == hata_turu::YOK && !dogru_mu(e, a));
        if (yanlis && ekli && !bastan_basladi) {
            yeniden_gelecek(a.alinan);
            kapat(a);
            if (!taze_ac(gecici, a)) return false;
            bastan_basladi = true;
            ekli = false;
            continue;
        }
        if (tur != hata_turu::GECICI || deneme == TEKRAR_SAYISI || !tekrar_bekle(++deneme, aktarim::bekleme_istegi())) {
            deneme_notu_koy({});
            return true;
        }
        if (!geri_sar(a)) {
            tur = hata_turu::DISKE_YAZILAMADI;
            return true;
        }
        ekli = ekli || a.alinan > 0;
    }
}

}  // namespace

metinler::ileti indirme_hatasi(const std::string& yol, hata_turu tur) {
    return {metinler::tur::INDIRME_BASARISIZ, yol, 0, 0, tur};
}

hata_turu govde_getir(const std::string& url, std::string& govde, double sessizlik, int64_t hiz_siniri) {
    auto parca = [&](const char* veri, size_t n) {
        govde.append(veri, n);
        return int64_t(govde.size()) <= LISTE_SINIRI;
    };
    return aktarim::hatasi(aktarim::getir(url, PARCA, parca, kapaniyor, sessizlik, hiz_siniri));
}

bool liste_al(const std::string& url, std::string& govde, std::string& hata) {
    const hata_turu tur = govde_getir(url, govde);
    if (tur != hata_turu::DURDURULDU) hata = metinler::aktarim_metni(tur);
    return tur == hata_turu::YOK;
}

std::string yol_kodla(const std::string& yol) {
    static const char rakam[] = "0123456789ABCDEF";
    std::string kodlu;
    for (unsigned char c : yol) {
        bool duz = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                   c == '-' || c == '.' || c == '/' || c == '~' || c == '_';
        if (duz) {
            kodlu += char(c);
        } else {
            kodlu += '%';
            kodlu += rakam[c >> 4];
            kodlu += rakam[c & 15];
        }
    }
    return kodlu;
}

std::string dosya_adresi(const std::string& adres, const kayit& e) {
    // Percent-encoded like the path: a digest of an unchecked manifest may hold anything.
    return adres + yol_kodla(e.yol) + "?" + yol_kodla(e.ozet.substr(0, 16));
}

bool calistirilabilir_mi(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3) {
    if (b0 == 0x7F && b1 == 'E' && b2 == 'L' && b3 == 'F') return true;
    if (b0 == '#' && b1 == '!') return true;
    if (b0 == 0xCF && b1 == 0xFA) return true;
    return b0 == 0xCA && b1 == 0xFE;
}

yerlestirme yerlestir(const fs::path& gecici, const fs::path& hedef) {
    yerlestirme s;
    std::error_code ec;
    fs::rename(gecici, hedef, ec);
    if (!ec) {
        s.tamam = true;
        return s;
    }
    const bool klasor = fs::is_directory(fs::symlink_status(hedef, ec));
    fs::path eski = hedef;
    eski += ".eski";
    fs::remove_all(eski, ec);
    fs::rename(hedef, eski, ec);
    if (ec) return s;
    fs::rename(gecici, hedef, ec);
    s.tamam = !ec;
    if (s.tamam && klasor) fs::remove_all(eski, ec);
    s.eski_kullanildi = s.tamam && (!klasor || fs::exists(fs::symlink_status(eski, ec)));
    return s;
}

bool dizin_hazirla(const fs::path& ust) {
    std::error_code ec;
    if (ust.empty() || fs::create_directories(ust, ec) || !ec) return true;
    fs::path yol;
    for (const fs::path& ad : ust) {
        yol /= ad;
        struct stat st;
        if (::stat(yol.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) continue;
        if (::lstat(yol.c_str(), &st) == 0) ::unlink(yol.c_str());
        if (::mkdir(yol.c_str(), 0777) != 0) return false;
    }
    return true;
}

tanimlayici gecici_olustur(const std::string& gecici) {
    const int bayraklar = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    tanimlayici fd(::open(gecici.c_str(), bayraklar, 0666));
    if (fd.acik() || errno != EEXIST) return fd;
    ::unlink(gecici.c_str());  // a leftover of an earlier run (or a link planted there)
    return tanimlayici(::open(gecici.c_str(), bayraklar, 0666));
}

bool yerine_koy(const kayit& e, const std::string& gecici, int fd, const std::string& kendi_yolu, onbellek& tablo,
                bool& yeniden, metinler::ileti& hata) {
    calistirma_izni_ver(fd);
    if (!ayni_dosya_mi(gecici, fd)) {
        hata = indirme_hatasi(e.yol, hata_turu::BOZUK);
        return false;
    }
    // A signed release can still carry a launcher that cannot start here (a script, another
    // machine's build): put in place, it would leave the player nothing that opens.
    if (e.yol == kendi_yolu && !bu_sistemde_calisir_mi(fd)) {
        ::unlink(gecici.c_str());
        hata = {metinler::tur::LAUNCHER_CALISAMAZ};
        return false;
    }
    const yerlestirme y = yerlestir(gecici, e.yol);
    if (!y.tamam) {
        hata = {metinler::tur::DOSYA_DEGISTIRILEMEDI, e.yol};
        return false;
    }
    if (y.eski_kullanildi || e.yol == kendi_yolu) yeniden = true;
    // The time of the file that was hashed, whatever the path names by now.
    int64_t boyut = 0, zaman = 0;
    dosya_bilgisi_fd(fd, boyut, zaman);
    tablo[e.yol] = onbellek_kaydi{e.boyut, zaman, e.ozet};
    biten_dosya.fetch_add(1);
    return true;
}

namespace {
thread_local bool degisim_bekleniyor = false;
thread_local bool degisim = false;  // a failure was held back for the worker
}  // namespace

void degisim_bekle(bool bekle) {
    degisim_bekleniyor = bekle;
    degisim = false;
}

bool degisim_goruldu() { return degisim; }

adim_sonucu basarisiz(const std::string& silinecek, const onbellek& tablo, const metinler::ileti& hata, hata_turu tur) {
    if (!silinecek.empty()) ::unlink(silinecek.c_str());
    onbellek_yaz(tablo);
    if (degisim_bekleniyor && tur == hata_turu::BOZUK) degisim = true;
    else hata_ver(hata);
    return adim_sonucu::BASARISIZ;
}

adim_sonucu dosya_guncelle(const kayit& e, const std::string& adres, const std::string& kendi_yolu,
                           onbellek& tablo, bool& yeniden, int64_t hiz_siniri) {
    const fs::path hedef = e.yol;
    const std::string gecici = e.yol + ".indir";
    dizin_hazirla(hedef.parent_path());

    acik_indirme a;
    const bool devam = devam_ac(gecici, e.boyut, a);
    if (!devam && kapaniyor.load()) return adim_sonucu::DURDURULDU;
    if (!devam && !taze_ac(gecici, a)) return basarisiz("", tablo, {metinler::tur::DOSYA_YAZILAMADI, e.yol});
    gerekmiyor(a.onceki);  // the counters show what is still to come

    hata_turu tur = hata_turu::YOK;
    if (!aktarimlar(dosya_adresi(adres, e), e, gecici, devam, hiz_siniri, a, tur))
        return basarisiz("", tablo, {metinler::tur::DOSYA_YAZILAMADI, e.yol});
    return bitir(e, gecici, a, tur, kendi_yolu, tablo, yeniden);
}

void temizle() {
    std::error_code ec;
    fs::directory_iterator it(".", ec), son;
    for (; !ec && it != son; it.increment(ec)) {
        if (it->path().extension() != ".eski") continue;
        std::error_code silme;
        fs::remove_all(it->path(), silme);
    }
}

namespace {

// Removes the folders above `yol` that are now empty, nearest first; stops at the first that
// is not (or at the installation's root).
void bos_ustleri_sil(fs::path yol) {
    while (yol.has_parent_path()) {
        yol = yol.parent_path();
        if (::rmdir(yol.c_str()) != 0) return;
    }
}

// What the launcher cannot start without stays, whatever a release says.
bool korunur_mu(const std::string& yol, const std::string& kendi_yolu) {
    return yol == kendi_yolu || yol == "varsayilan.ini" || yol.rfind("veri/font/", 0) == 0 || ayrilmis_mi(yol);
}

}  // namespace

void birakilanlari_sil(const liste& l, const std::string& kendi_yolu, onbellek& tablo) {
    std::unordered_set<std::string_view> listede;
    listede.reserve(l.kayitlar.size());
    for (const kayit& e : l.kayitlar) listede.insert(e.yol);
    for (auto it = tablo.begin(); it != tablo.end();) {
        if (listede.count(it->first)) {
            ++it;
            continue;
        }
        struct stat st;
        if (!korunur_mu(it->first, kendi_yolu) && ::lstat(it->first.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            ::unlink(it->first.c_str()) == 0)
            bos_ustleri_sil(it->first);
        it = tablo.erase(it);
    }
}

std::string ozel_klasor_ac(const char* on_ek) {
    std::random_device rastgele;
    for (int deneme = 0; deneme < 8; ++deneme) {
        char ad[64];
        std::snprintf(ad, sizeof ad, "%s-%08x%08x.indir", on_ek, rastgele(), rastgele());
        if (::mkdir(ad, 0700) == 0) return ad;
        if (errno != EEXIST) break;
    }
    return "";
}

void indir_artiklarini_sil() {
    std::error_code ec;
    const auto secenek = fs::directory_options::skip_permission_denied;
    for (fs::recursive_directory_iterator it(".", secenek, ec), son; !ec && it != son && !kapaniyor.load();
         it.increment(ec)) {
        const fs::path& p = it->path();
        if (p.extension() != ".indir" || it->is_symlink(ec)) continue;
        if (it.depth() == 0 && it->is_directory(ec)) {  // a killed delta's range pieces
            it.disable_recursion_pending();
            fs::remove_all(p, ec);
            continue;
        }
        if (it->is_regular_file(ec)) ::unlink(p.c_str());
    }
}

}  // namespace guncelleme
