// Downloads and replacement: manifest fetch, streamed and verified file downloads, the
// rename with its ".eski" fallback, and the start-of-run cleanup. No state of its own.
#include "updater/indirme.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/aktarim.h"
#include "updater/durum.h"

namespace fs = std::filesystem;

namespace guncelleme {
namespace {

const size_t PARCA = 65536;  // one read from curl

// The transfer texts of the updater for an outcome of aktarim::getir.
bool aktarim_hatasi(aktarim::sonuc s, std::string& hata) {
    switch (s) {
        case aktarim::sonuc::TAMAM: return true;
        case aktarim::sonuc::ADRES_GECERSIZ: hata = "adres gecersiz"; break;
        case aktarim::sonuc::CALISTIRILAMADI: hata = "curl calistirilamadi"; break;
        case aktarim::sonuc::REDDEDILDI: hata = "diske yazilamadi"; break;
        case aktarim::sonuc::SUNUCU_HATASI: hata = "sunucuya ulasilamadi"; break;
        case aktarim::sonuc::FAZLA: hata = "dosya bozuk geldi"; break;
        case aktarim::sonuc::DURDURULDU: break;
    }
    return false;
}

// Adds the execute bits when the downloaded bytes start like a program; errors ignored.
void calistirma_izni_ver(int okuma_fd, int yazma_fd) {
    uint8_t b[4] = {0, 0, 0, 0};
    if (::pread(okuma_fd, b, 4, 0) < 0) return;
    if (!calistirilabilir_mi(b[0], b[1], b[2], b[3])) return;
    struct stat st;
    if (::fstat(yazma_fd, &st) == 0) ::fchmod(yazma_fd, (st.st_mode & 07777) | 0111);
}

// True while `yol` still names the very file behind `fd`: only that file was hashed, so only
// it may be renamed into place (or removed).
bool ayni_dosya_mi(const std::string& yol, int fd) {
    struct stat yoldaki, bizdeki;
    if (::stat(yol.c_str(), &yoldaki) != 0 || ::fstat(fd, &bizdeki) != 0) return false;
    return yoldaki.st_dev == bizdeki.st_dev && yoldaki.st_ino == bizdeki.st_ino;
}

// Ends a failed step: the ".indir" file goes, the cache is saved, the text is reported.
adim_sonucu basarisiz(const std::string& gecici, const onbellek& tablo, const std::string& metin) {
    if (!gecici.empty()) ::unlink(gecici.c_str());
    onbellek_yaz(tablo);
    hata_ver(metin);
    return adim_sonucu::BASARISIZ;
}

// Checks what the transfer left in `gecici` (still open as sink.fd) and renames it into
// place. When the path no longer names the file that was written, someone else's file is
// there: nothing of it is removed and nothing is renamed.
adim_sonucu dogrula_ve_yerlestir(const kayit& e, const std::string& gecici, const indirme_hedefi& sink, bool indi,
                                 const std::string& hata, const onbellek& tablo, bool& yeniden) {
    const bool bizim = ayni_dosya_mi(gecici, sink.fd);
    const std::string silinecek = bizim ? gecici : "";
    if (kapaniyor.load()) {
        if (bizim) ::unlink(gecici.c_str());
        return adim_sonucu::DURDURULDU;
    }
    if (!indi) return basarisiz(silinecek, tablo, "İndirme başarısız: " + e.yol + " (" + hata + ")");
    if (!bizim || sink.alinan != e.boyut || sha256::onaltilik(sha256::bitir(sink.ozet)) != e.ozet)
        return basarisiz(silinecek, tablo, "İndirme başarısız: " + e.yol + " (dosya bozuk geldi)");
    calistirma_izni_ver(sink.okuma_fd, sink.fd);
    if (!ayni_dosya_mi(gecici, sink.fd))
        return basarisiz("", tablo, "İndirme başarısız: " + e.yol + " (dosya bozuk geldi)");
    yerlestirme y = yerlestir(gecici, e.yol);
    if (!y.tamam) return basarisiz(gecici, tablo, "Dosya değiştirilemedi: " + e.yol + " (açık olabilir)");
    if (y.eski_kullanildi) yeniden = true;
    return adim_sonucu::TAMAM;
}

}  // namespace

bool liste_al(const std::string& url, std::string& govde, std::string& hata) {
    auto parca = [&](const char* veri, size_t n) {
        govde.append(veri, n);
        return int64_t(govde.size()) <= LISTE_SINIRI;
    };
    return aktarim_hatasi(aktarim::getir(url, PARCA, parca, kapaniyor), hata);
}

bool dosya_indir(const std::string& url, indirme_hedefi& hedef, std::string& hata) {
    auto parca = [&](const char* veri, size_t n) {
        sha256::ekle(hedef.ozet, reinterpret_cast<const uint8_t*>(veri), n);
        hedef.alinan += int64_t(n);
        inen_bayt.fetch_add(int64_t(n));
    };
    return aktarim_hatasi(
        aktarim::dosyaya_getir(url, hedef.fd, hedef.okuma_fd, PARCA, hedef.en_cok, parca, kapaniyor), hata);
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
    fs::path eski = hedef;
    eski += ".eski";
    fs::remove(eski, ec);
    fs::rename(hedef, eski, ec);
    if (ec) return s;
    fs::rename(gecici, hedef, ec);
    s.tamam = !ec;
    s.eski_kullanildi = s.tamam;
    return s;
}

adim_sonucu dosya_guncelle(const kayit& e, const std::string& adres, const std::string& kendi_yolu,
                           onbellek& tablo, bool& yeniden) {
    const fs::path hedef = e.yol;
    const std::string gecici = e.yol + ".indir";
    std::error_code ec;
    if (hedef.has_parent_path()) fs::create_directories(hedef.parent_path(), ec);

    // A fresh file rather than a truncated one: whatever might still hold the old one open
    // (a transfer of a killed launcher) can no longer write into this download.
    ::unlink(gecici.c_str());
    int fd = ::open(gecici.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    int okuma_fd = fd < 0 ? -1 : ::open(gecici.c_str(), O_RDONLY | O_CLOEXEC);
    if (okuma_fd < 0) {
        if (fd >= 0) ::close(fd);
        return basarisiz("", tablo, "Dosya yazılamadı: " + e.yol);
    }
    sha256::baglam ozet;
    sha256::baslangic(ozet);
    indirme_hedefi sink{ozet, e.boyut, 0, fd, okuma_fd};
    std::string hata;
    const bool indi = dosya_indir(adres + yol_kodla(e.yol), sink, hata);
    const adim_sonucu s = dogrula_ve_yerlestir(e, gecici, sink, indi, hata, tablo, yeniden);
    ::close(okuma_fd);
    ::close(fd);
    if (s != adim_sonucu::TAMAM) return s;
    if (e.yol == kendi_yolu) yeniden = true;

    int64_t boyut = 0, zaman = 0;
    dosya_bilgisi(e.yol, boyut, zaman);
    tablo[e.yol] = onbellek_kaydi{e.boyut, zaman, e.ozet};
    biten_dosya.fetch_add(1);
    return adim_sonucu::TAMAM;
}

void temizle() {
    std::error_code ec;
    fs::directory_iterator it(".", ec), son;
    for (; !ec && it != son; it.increment(ec)) {
        if (it->path().extension() != ".eski") continue;
        std::error_code silme;
        fs::remove(it->path(), silme);
    }
}

}  // namespace guncelleme
