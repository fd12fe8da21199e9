// The digest cache file and the one-call file status the check phase relies on.
// No state of its own: the table belongs to the running worker.
#include "updater/onbellek.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>

#include "platform/atomik.h"
#include <cerrno>
#include <cstdlib>

namespace guncelleme {

namespace {

const char* const ONBELLEK_DOSYASI = "guncelleme.cache";

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
    const char* bas = p;
    if (p < son && (*p == '-' || *p == '+')) ++p;
    if (p == son || *p < '0' || *p > '9') return false;
    while (p < son && *p >= '0' && *p <= '9') ++p;
    std::string metin(bas, p);
    errno = 0;
    deger = std::strtoll(metin.c_str(), nullptr, 10);
    return errno != ERANGE;
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
    std::ifstream dosya(ONBELLEK_DOSYASI, std::ios::binary);
    if (!dosya) return;
    std::string satir, yol;
    while (std::getline(dosya, satir)) {
        onbellek_kaydi k;
        if (onbellek_satiri_coz(satir, yol, k)) tablo[yol] = std::move(k);
    }
}

void onbellek_yaz(const onbellek& tablo) {
    std::string metin;
    metin.reserve(tablo.size() * 128);
    for (const auto& [yol, k] : tablo) {
        metin += std::to_string(k.boyut);
        metin += ' ';
        metin += std::to_string(k.zaman);
        metin += ' ';
        metin += k.ozet;
        metin += ' ';
        metin += yol;
        metin += '\n';
    }
    atomik_yaz(ONBELLEK_DOSYASI, metin);
}

bool dosya_bilgisi(const std::string& yol, int64_t& boyut, int64_t& zaman) {
    return dosya_bilgisi_at(AT_FDCWD, yol.c_str(), boyut, zaman);
}

bool dosya_bilgisi_at(int klasor_fd, const char* ad, int64_t& boyut, int64_t& zaman) {
    struct stat st;
    if (::fstatat(klasor_fd, ad, &st, 0) != 0 || !S_ISREG(st.st_mode)) return false;
    boyut = int64_t(st.st_size);
    zaman = dosya_saati(st.st_mtim);
    return true;
}

}  // namespace guncelleme
