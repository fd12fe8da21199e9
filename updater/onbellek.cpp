// The digest cache file and the one-call file status the check phase relies on.
// No state of its own: the table belongs to the running worker.
#include "updater/onbellek.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <iterator>

#include "platform/atomik.h"
#include "platform/dosya.h"

namespace guncelleme {

namespace {

const char* const ONBELLEK_DOSYASI = "guncelleme.cache";
const size_t ONBELLEK_SINIRI = size_t(256) << 20;  // a larger file is no cache of ours: ignored

// The same tick count std::filesystem::last_write_time reports, from a stat time stamp.
int64_t dosya_saati(const timespec& ts) {
    using namespace std::chrono;
    sys_time<nanoseconds> sistem{seconds(ts.tv_sec) + nanoseconds(ts.tv_nsec)};
    return file_clock::from_sys(sistem).time_since_epoch().count();
}

bool bosluk_mu(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

void bosluk_atla(const char*& p, const char* son) {
    while (p < son && bosluk_mu(*p)) ++p;
}

// Reads a signed decimal the way stream extraction does: white space, a sign, digits; an
// overflow or a missing digit fails the line.
bool sayi_oku(const char*& p, const char* son, int64_t& deger) {
    bosluk_atla(p, son);
    const bool arti = p < son && *p == '+';
    if (arti) ++p;
    const bool eksi = !arti && p < son && *p == '-';
    if (p + eksi == son || p[eksi] < '0' || p[eksi] > '9') return false;
    const std::from_chars_result r = std::from_chars(p, son, deger);
    p = r.ptr;
    return r.ec == std::errc();
}

}  // namespace

bool onbellek_satiri_coz(const std::string& satir, std::string& yol, onbellek_kaydi& k) {
    const char* p = satir.data();
    const char* son = p + satir.size();
    if (!sayi_oku(p, son, k.boyut) || !sayi_oku(p, son, k.zaman)) return false;
    bosluk_atla(p, son);
    const char* ozet_bas = p;
    while (p < son && !bosluk_mu(*p)) ++p;
    if (p == ozet_bas) return false;
    k.ozet.assign(ozet_bas, p);
    bosluk_atla(p, son);
    yol.assign(p, son);
    return !yol.empty();
}

void onbellek_oku(onbellek& tablo) {
    std::string metin;
    if (dosya_oku(ONBELLEK_DOSYASI, metin, ONBELLEK_SINIRI) != okuma::TAMAM) return;
    std::string satir, yol;
    for (size_t bas = 0; bas < metin.size();) {
        const size_t son = std::min(metin.find('\n', bas), metin.size());
        satir.assign(metin, bas, son - bas);
        bas = son + 1;
        onbellek_kaydi k;
        if (!onbellek_satiri_coz(satir, yol, k)) continue;
        // The file is written in path order: each record then goes at the end of the table
        // without a search.
        if (tablo.empty() || std::prev(tablo.end())->first < yol) tablo.emplace_hint(tablo.end(), yol, std::move(k));
        else tablo.insert_or_assign(yol, std::move(k));
    }
}

onbellek onbellegi_oku() {
    onbellek tablo;
    onbellek_oku(tablo);
    return tablo;
}

namespace {

void sayi_ekle(std::string& metin, int64_t deger) {
    char tampon[24];
    const std::to_chars_result r = std::to_chars(tampon, tampon + sizeof tampon, deger);
    metin.append(tampon, r.ptr);
}

std::string onbellek_metni(const onbellek& tablo) {
    std::string metin;
    metin.reserve(tablo.size() * 128);
    for (const auto& [yol, k] : tablo) {
        sayi_ekle(metin, k.boyut);
        metin += ' ';
        sayi_ekle(metin, k.zaman);
        metin += ' ';
        metin += k.ozet;
        metin += ' ';
        metin += yol;
        metin += '\n';
    }
    return metin;
}

}  // namespace

void onbellek_yaz(const onbellek& tablo) {
    const std::string metin = onbellek_metni(tablo);
    // An unchanged installation leaves the file as it was: no write, no flush to the disk.
    std::string eski;
    if (dosya_oku(ONBELLEK_DOSYASI, eski, ONBELLEK_SINIRI) == okuma::TAMAM && eski == metin) return;
    atomik_yaz(ONBELLEK_DOSYASI, metin);
}

bool dosya_bilgisi(const std::string& yol, int64_t& boyut, int64_t& zaman) {
    return dosya_bilgisi_at(AT_FDCWD, yol.c_str(), boyut, zaman);
}

namespace {

// Size and time from a file's status.
bool bilgi_al(const struct stat& st, int64_t& boyut, int64_t& zaman) {
    boyut = int64_t(st.st_size);
    zaman = dosya_saati(st.st_mtim);
    return true;
}

}  // namespace

bool dosya_bilgisi_at(int klasor_fd, const char* ad, int64_t& boyut, int64_t& zaman) {
    struct stat st;
    return ::fstatat(klasor_fd, ad, &st, 0) == 0 && S_ISREG(st.st_mode) && bilgi_al(st, boyut, zaman);
}

bool dosya_bilgisi_fd(int fd, int64_t& boyut, int64_t& zaman) {
    struct stat st;
    return ::fstat(fd, &st) == 0 && bilgi_al(st, boyut, zaman);
}

}  // namespace guncelleme
