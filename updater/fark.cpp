// Delta updates: matching an old file against a block index, the missing ranges, fetching
// them many at a time, and rebuilding the new file in its ".indir". No state of its own.
#include "updater/fark.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <system_error>
#include <thread>
#include <cstdio>
#include <cstring>
#include <random>
#include <unordered_map>
#include <unordered_set>

#include "platform/aktarim.h"
#include "platform/dosya.h"
#include "platform/tanimlayici.h"
#include "updater/durum.h"
#include "updater/sha256.h"
#include "updater/toplu.h"

namespace guncelleme {
namespace {

const int SUZGEC_BITI = 24;                   // a 2 MiB bit set in front of the table
const size_t PENCERE = 8 << 20;               // bytes of the old file held at once
const int64_t YOKLAMA = 1 << 20;              // bytes rolled between two looks at the stop flag
const double TAM_ORANI = 0.9;                 // fetching more than this share is a plain download
const size_t PARCA = 1 << 20;                 // one read or write while rebuilding
const int64_t IKIYE_BOL = 16 << 20;           // an old file this large is scanned by two threads

// The new file's full blocks by content: blocks with equal checksum and digest form one
// chain, so a piece of the old file found once serves all of them. Contents are found by the
// pair in one hash look-up, so an index whose blocks all share one checksum (a hostile one)
// costs no more to build or to search than any other.
struct blok_tablosu {
    struct cift_ozeti {
        size_t operator()(const std::pair<uint64_t, uint64_t>& c) const { return size_t(c.first ^ (c.second * 0x9E3779B97F4A7C15ull)); }
    };
    std::vector<int32_t> ayni;                                                         // next block of the same content
    std::unordered_map<std::pair<uint64_t, uint64_t>, uint32_t, cift_ozeti> icerikten;  // (checksum, digest) -> first block
    std::unordered_set<uint64_t> zayiflar;                                             // checksums present
    std::vector<uint64_t> suzgec;                                                      // checksums present, by their top bits

    explicit blok_tablosu(const blok::dizin& d, size_t tam) : ayni(tam, -1), suzgec(size_t(1) << (SUZGEC_BITI - 6)) {
        std::vector<int32_t> son(tam, -1);  // last block of each chain, kept at its first block
        icerikten.reserve(tam);
        for (size_t j = 0; j < tam; ++j) {
            const auto [it, yeni] = icerikten.emplace(std::make_pair(d.zayif[j], d.guclu[j]), uint32_t(j));
            if (yeni) {
                son[j] = int32_t(j);
            } else {
                ayni[size_t(son[it->second])] = int32_t(j);
                son[it->second] = int32_t(j);
            }
            zayiflar.insert(d.zayif[j]);
            const uint64_t b = d.zayif[j] >> (64 - SUZGEC_BITI);
            suzgec[b >> 6] |= uint64_t(1) << (b & 63);
        }
    }
    bool olabilir(uint64_t h) const {
        const uint64_t b = h >> (64 - SUZGEC_BITI);
        return ((suzgec[b >> 6] >> (b & 63)) & 1) && zayiflar.count(h);
    }
};

// The old file through a window: any `n` bytes from an offset, read on demand front to back.
struct pencere {
    int fd;
    std::vector<uint8_t> tampon;
    int64_t taban = 0;  // file offset of tampon[0]
    size_t dolu = 0;

    const uint8_t* al(int64_t p, size_t n) {
        if (p >= taban && p + int64_t(n) <= taban + int64_t(dolu)) return tampon.data() + (p - taban);
        if (p >= taban && p <= taban + int64_t(dolu)) {
            const size_t kay = size_t(p - taban);
            std::memmove(tampon.data(), tampon.data() + kay, dolu - kay);
            dolu -= kay;
        } else {
            dolu = 0;
        }
        taban = p;
        while (dolu < n) {
            const ssize_t k = ::pread(fd, tampon.data() + dolu, tampon.size() - dolu, taban + int64_t(dolu));
            if (k < 0 && errno == EINTR) continue;
            if (k <= 0) return nullptr;
            dolu += size_t(k);
        }
        return tampon.data();
    }
};

// Marks every block of the content that starts at `j` as found at `p` (a first find stays).
void bulundu(const blok_tablosu& t, uint32_t j, int64_t p, std::vector<int64_t>& kaynak) {
    for (int32_t k = int32_t(j); k >= 0; k = t.ayni[size_t(k)])
        if (kaynak[size_t(k)] < 0) kaynak[size_t(k)] = p;
}

// The block whose content the window at `p` holds, or -1. The block after the one found just
// before is taken on its checksum; any other needs its digest too, and `ozetlenen` counts
// the bytes digested for it.
int64_t bul(const blok::dizin& d, const blok_tablosu& t, uint64_t h, const uint8_t* veri, size_t n,
            int64_t beklenen, int64_t& ozetlenen) {
    if (beklenen >= 0 && size_t(beklenen) < t.ayni.size() && d.zayif[size_t(beklenen)] == h) return beklenen;
    if (!t.olabilir(h)) return -1;
    ozetlenen += int64_t(n);
    const auto it = t.icerikten.find({h, blok::guclu_ozet(veri, n)});
    return it == t.icerikten.end() ? -1 : int64_t(it->second);
}

// The last block, when shorter than the others: after the block found before it, or at the
// old file's end.
void son_blok(const blok::dizin& d, pencere& w, int64_t boyut, int64_t ardi, std::vector<int64_t>& kaynak) {
    const size_t j = d.zayif.size() - 1;
    const size_t n = size_t(d.dosya_boyutu - int64_t(j) * d.blok_boyutu);
    for (int64_t p : {ardi, boyut - int64_t(n)}) {
        if (p < 0 || p + int64_t(n) > boyut) continue;
        const uint8_t* v = w.al(p, n);
        if (v && blok::zayif_ozet(v, n) == d.zayif[j] && blok::guclu_ozet(v, n) == d.guclu[j]) {
            kaynak[j] = p;
            return;
        }
    }
}

}  // namespace

namespace {

// Where a scan of part of the old file stopped: the last block it found and where.
struct tarama {
    int64_t onceki_j = -2;
    int64_t onceki_p = -1;
    bool tamam = true;  // read to its end, not stopped nor given up
};

// Digests of windows whose checksum matched cost a block each. Those that find nothing are
// wasted: past this many times the scanned bytes, the index is not paying off (a hostile one
// whose checksums match everywhere) and the delta is given up for a plain download.
const int64_t BOSA_KATI = 2;
const int64_t DIGEST_YOKLAMA = 4 << 20;  // digested bytes between two looks at the stop flag

// Scans the windows of the old file that start in [bas, son): a found block moves the window
// on by a block, anything else by a byte.
tarama tara(int fd, int64_t boyut, int64_t bas, int64_t son, const blok::dizin& d, const blok_tablosu& t,
            std::vector<int64_t>& kaynak, const std::atomic<bool>& durdur) {
    const size_t L = size_t(d.blok_boyutu);
    pencere w{fd, std::vector<uint8_t>(std::max(PENCERE, 2 * L + 1))};
    const uint64_t carpan = blok::cikis_carpani(L);
    tarama r;
    int64_t p = bas, yoklama = 0, ozetlenen = 0, bosa = 0, sonraki_bakis = DIGEST_YOKLAMA;
    const int64_t bosa_siniri = BOSA_KATI * (son - bas) + 64 * int64_t(L);
    uint64_t h = 0;
    bool hazir = false;
    while (p < son && p + int64_t(L) <= boyut) {
        const bool kayabilir = p + 1 < son && p + int64_t(L) < boyut;
        const uint8_t* v = w.al(p, L + (kayabilir ? 1 : 0));
        if (!v) {
            r.tamam = false;
            return r;
        }
        if (!hazir) h = blok::zayif_ozet(v, L);
        hazir = true;
        const int64_t once = ozetlenen;
        const int64_t j = bul(d, t, h, v, L, p == r.onceki_p + int64_t(L) ? r.onceki_j + 1 : -1, ozetlenen);
        if (j < 0) bosa += ozetlenen - once;
        if (ozetlenen >= sonraki_bakis) {
            sonraki_bakis = ozetlenen + DIGEST_YOKLAMA;
            if (durdur.load() || bosa > bosa_siniri) {
                r.tamam = false;
                return r;
            }
        }
        if (j >= 0) {
            bulundu(t, uint32_t(j), p, kaynak);
            r.onceki_j = j;
            r.onceki_p = p;
            p += int64_t(L);
            hazir = false;
            continue;
        }
        if (!kayabilir) break;
        h = blok::kaydir(h, v[0], v[L], carpan);
        ++p;
        if (++yoklama == YOKLAMA) {
            yoklama = 0;
            if (durdur.load()) break;
        }
    }
    r.tamam = !durdur.load();
    return r;
}

}  // namespace

bool eslestir(int fd, int64_t boyut, const blok::dizin& d, std::vector<int64_t>& kaynak,
              const std::atomic<bool>& durdur) {
    const int64_t L = d.blok_boyutu;
    kaynak.assign(d.zayif.size(), -1);
    const size_t tam = size_t(d.dosya_boyutu / L);
    if (tam == 0 && d.zayif.empty()) return true;
    const blok_tablosu t(d, tam);
    // Two halves on two threads, split on a block boundary so that an unchanged file keeps its
    // blocks in step in both.
    const int64_t bolum = boyut >= IKIYE_BOL ? boyut / 2 / L * L : boyut;
    std::vector<int64_t> ikinci(bolum < boyut ? kaynak.size() : 0, -1);
    tarama sag;
    std::thread yardimci;
    auto sag_tara = [&] { sag = tara(fd, boyut, bolum, boyut, d, t, ikinci, durdur); };
    try {
        if (bolum < boyut) yardimci = std::thread(sag_tara);
    } catch (const std::system_error&) {
        // No second thread: the right half is scanned after the left one, here.
    }
    tarama sol = tam > 0 ? tara(fd, boyut, 0, bolum, d, t, kaynak, durdur) : tarama{};
    if (yardimci.joinable()) yardimci.join();
    else if (bolum < boyut) sag_tara();
    for (size_t j = 0; j < ikinci.size(); ++j)
        if (kaynak[j] < 0) kaynak[j] = ikinci[j];
    if (!sol.tamam || !sag.tamam) return false;
    const tarama& son = bolum < boyut && sag.onceki_j >= 0 ? sag : sol;
    pencere w{fd, std::vector<uint8_t>(size_t(L) + 1)};
    if (tam < d.zayif.size())
        son_blok(d, w, boyut, son.onceki_j == int64_t(tam) - 1 ? son.onceki_p + L : -1, kaynak);
    return true;
}

std::vector<aralik> eksik_araliklar(const std::vector<int64_t>& kaynak, const blok::dizin& d, int64_t en_cok) {
    std::vector<aralik> v;
    for (size_t j = 0; j < kaynak.size(); ++j) {
        if (kaynak[j] >= 0) continue;
        const int64_t bas = int64_t(j) * d.blok_boyutu;
        const int64_t son = std::min(d.dosya_boyutu, bas + d.blok_boyutu);
        if (!v.empty() && v.back().son == bas && v.back().son - v.back().bas < en_cok) {
            v.back().son = std::min(son, v.back().bas + en_cok);
            if (v.back().son < son) v.push_back({v.back().son, son});
        } else {
            v.push_back({bas, son});
        }
    }
    return v;
}

namespace {

enum class fark_sonucu {
    TAMAM,       // the file is in place
    BASARISIZ,   // reported
    DURDURULDU,  // the launcher is closing
    TAM,         // no delta: download the whole file
};

// One fetched range: its temporary and what curl said.
struct parca {
    aralik a;
    std::string gecici;
    bool geldi = false;
};

// curl's config for some of the ranges, one transfer each ("next" between them: curl forgets
// per-transfer options there, so each repeats them, the player's own curl config with its
// proxy or CA file and a wish to revalidate included). A range that starts past the first byte
// is asked for as a resumed transfer with its own Range header: curl then ends at once, before
// any body, when the answer is not a range (a server that sends the whole file instead). The
// first byte cannot be resumed from; it travels only once other ranges have shown that the
// host honours them.
std::string aralik_yapilandirmasi(const std::string& url, const std::vector<parca>& parcalar,
                                  const std::vector<size_t>& secilen) {
    const std::string kullanici = aktarim::kullanici_ayarlari();
    std::string tekrar = "next\n";
    if (!kullanici.empty()) tekrar += "config = " + yapilandirma_degeri(kullanici) + "\n";
    tekrar += "fail\nlocation\ngloboff\nconnect-timeout = 15\nwrite-out = " +
              yapilandirma_degeri(std::string(aktarim::TOPLU_SATIRI) + "\n") + "\n";
    if (!aktarim::taze_secenegi().empty()) tekrar += "header = \"Cache-Control: no-cache\"\n";
    std::string metin;
    for (size_t i : secilen) {
        if (!metin.empty()) metin += tekrar;
        const aralik& a = parcalar[i].a;
        const std::string araligi = std::to_string(a.bas) + "-" + std::to_string(a.son - 1);
        if (a.bas > 0) metin += "continue-at = " + std::to_string(a.bas) + "\nheader = \"Range: bytes=" + araligi + "\"\n";
        else metin += "range = \"" + araligi + "\"\n";
        metin += "url = " + yapilandirma_degeri(url) + "\n";
        metin += "output = " + yapilandirma_degeri(parcalar[i].gecici) + "\n";
    }
    return metin;
}

void parcalari_sil(const std::vector<parca>& parcalar) {
    for (const parca& p : parcalar) ::unlink(p.gecici.c_str());
}

// Fetches the chosen ranges with one curl. False unless every one came whole as a range
// (206).
bool grup_getir(const std::string& url, std::vector<parca>& parcalar, const std::vector<size_t>& secilen) {
    int64_t en_uzun = 0;
    for (size_t i : secilen) {
        if (!gecici_olustur(parcalar[i].gecici).acik()) return false;
        en_uzun = std::max(en_uzun, parcalar[i].a.son - parcalar[i].a.bas);
    }
    // A group still moves while one of its ranges grows: a host that goes silent mid-range is
    // ended like any silent transfer, and the whole download follows.
    std::vector<int64_t> gorulen(secilen.size(), 0);
    auto ilerliyor = [&] {
        bool buyudu = false;
        for (size_t k = 0; k < secilen.size(); ++k) {
            struct stat st;
            if (parcalar[secilen[k]].geldi || ::stat(parcalar[secilen[k]].gecici.c_str(), &st) != 0) continue;
            if (int64_t(st.st_size) > gorulen[k]) buyudu = true;
            gorulen[k] = std::max(gorulen[k], int64_t(st.st_size));
        }
        return buyudu;
    };
    auto satir = [&](const std::string& metin) {
        aktarim_sonucu s;
        if (!sonuc_satiri_coz(metin, s) || s.sira >= secilen.size()) return true;
        parca& p = parcalar[secilen[s.sira]];
        const int64_t uzunluk = p.a.son - p.a.bas;
        p.geldi = s.cikis == 0 && s.http == 206 && s.inen == uzunluk;
        alindi(std::min(s.inen, uzunluk));
        return p.geldi;  // the first failure ends the run: a whole download follows anyway
    };
    const aktarim::sonuc s = aktarim::toplu_getir(aralik_yapilandirmasi(url, parcalar, secilen), PARALEL, en_uzun + 1,
                                                  satir, ilerliyor, kapaniyor);
    bool tamam = s == aktarim::sonuc::TAMAM;
    for (size_t i : secilen) tamam = tamam && parcalar[i].geldi;
    return tamam;
}

// Fetches every range, in groups of at most a step's worth of bytes under the cap; a range at
// the first byte last and alone.
bool araliklari_getir(const std::string& url, std::vector<parca>& parcalar, hiz_duzeni& duzen) {
    const int64_t adim = duzen.adim_bayti(TOPLU_BAYT);
    std::vector<std::vector<size_t>> gruplar;
    int64_t bayt = 0;
    for (size_t i = 0; i < parcalar.size(); ++i) {
        if (parcalar[i].a.bas == 0) continue;
        const int64_t u = parcalar[i].a.son - parcalar[i].a.bas;
        if (gruplar.empty() || bayt + u > adim || gruplar.back().size() == TOPLU_ADET) {
            gruplar.emplace_back();
            bayt = 0;
        }
        gruplar.back().push_back(i);
        bayt += u;
    }
    if (!parcalar.empty() && parcalar[0].a.bas == 0) gruplar.push_back({0});
    for (size_t g = 0; g < gruplar.size(); ++g) {
        if (g > 0) {
            duzen.bitti();
            if (!duzen.basla()) return false;
        }
        if (!grup_getir(url, parcalar, gruplar[g])) return false;
    }
    return true;
}

// Appends `n` bytes of `kaynak_fd` from `konum` to the new file. The kernel copies them where
// it can (no trip through this process; a file system that shares blocks need not copy at
// all); otherwise through a buffer. False when a read comes short (the old file changed
// meanwhile) or a write fails.
bool kopyala(int kaynak_fd, int64_t konum, int64_t n, int yazma_fd, std::vector<uint8_t>& tampon) {
    bool cekirdek = true;
    while (n > 0) {
        ssize_t k = -1;
        if (cekirdek) {
            loff_t nereden = konum;
            k = ::copy_file_range(kaynak_fd, &nereden, yazma_fd, nullptr, size_t(std::min<int64_t>(n, 1 << 30)), 0);
            if (k < 0 && errno == EINTR) continue;
            if (k < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
                cekirdek = false;
                continue;
            }
            if (k <= 0) return false;
        } else {
            k = ::pread(kaynak_fd, tampon.data(), size_t(std::min<int64_t>(n, int64_t(tampon.size()))), konum);
            if (k < 0 && errno == EINTR) continue;
            if (k <= 0) return false;
            if (!tamamen_yaz(yazma_fd, tampon.data(), size_t(k))) return false;
        }
        konum += k;
        n -= k;
    }
    return true;
}

// Hashes the new file behind its writer on a thread of its own, so that the copy and the
// digest take one pass of time between them on two cores.
struct arka_ozet {
    int okuma_fd;
    std::atomic<int64_t> yazilan{0};  // bytes the writer has finished
    std::atomic<bool> bitti{false};   // the writer is done (or gave up)
    std::string ozet;
    std::thread iplik;

    explicit arka_ozet(int fd) : okuma_fd(fd) {}
    // With no thread to be had, bekle hashes what was written itself.
    void baslat() {
        try {
            iplik = std::thread([this] { ozetle(); });
        } catch (const std::system_error&) {
        }
    }
    void ozetle() {
        sha256::baglam b;
        sha256::baslangic(b);
        std::vector<uint8_t> tampon(PARCA);
        int64_t okunan = 0;
        while (true) {
            const bool son = bitti.load();
            const int64_t hazir = yazilan.load();
            if (okunan == hazir) {
                if (son) break;
                std::this_thread::sleep_for(std::chrono::microseconds(200));
                continue;
            }
            const ssize_t k = ::pread(okuma_fd, tampon.data(), size_t(std::min<int64_t>(hazir - okunan, PARCA)), okunan);
            if (k <= 0) break;
            sha256::ekle(b, tampon.data(), size_t(k));
            okunan += k;
        }
        ozet = okunan == yazilan.load() ? sha256::onaltilik(sha256::bitir(b)) : "";
    }
    std::string bekle() {
        bitti.store(true);
        if (iplik.joinable()) iplik.join();
        else ozetle();
        return ozet;
    }
};

// Writes the new file front to back: runs of blocks from the old file, the rest from the
// fetched ranges. Fills `ozet` with the digest of what was written.
bool yeniden_kur(const blok::dizin& d, int eski_fd, const std::vector<int64_t>& kaynak, const std::vector<parca>& parcalar,
                 int yazma_fd, int okuma_fd, std::string& ozet) {
    arka_ozet arka(okuma_fd);
    arka.baslat();
    std::vector<uint8_t> tampon(PARCA);
    size_t r = 0;
    int64_t konum = 0;
    bool tamam = true;
    while (tamam && konum < d.dosya_boyutu && !kapaniyor.load()) {
        const size_t j = size_t(konum / d.blok_boyutu);
        int64_t n = 0;
        if (kaynak[j] < 0) {
            tamam = r < parcalar.size() && parcalar[r].a.bas == konum;
            const tanimlayici p(tamam ? ::open(parcalar[r].gecici.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC) : -1);
            if (tamam) n = parcalar[r].a.son - parcalar[r].a.bas;
            tamam = tamam && p.acik() && kopyala(p.fd, 0, n, yazma_fd, tampon);
            ++r;
        } else {
            // A run of blocks that lie one after another in the old file too.
            size_t k = j + 1;
            while (k < kaynak.size() && kaynak[k] == kaynak[j] + int64_t(k - j) * d.blok_boyutu) ++k;
            n = std::min(d.dosya_boyutu, int64_t(k) * d.blok_boyutu) - konum;
            // A long run is copied in pieces, so that the digest follows close behind.
            n = std::min<int64_t>(n, 16 * int64_t(PARCA));
            tamam = kopyala(eski_fd, kaynak[j] + (konum - int64_t(j) * d.blok_boyutu), n, yazma_fd, tampon);
        }
        konum += n;
        if (tamam) arka.yazilan.store(konum);
    }
    ozet = arka.bekle();
    return tamam && konum == d.dosya_boyutu;
}

// The index of the new file, when the server has one that describes exactly this file.
bool dizin_al(const kayit& e, const std::string& adres, blok::dizin& d, int64_t hiz_siniri) {
    std::string metin;
    const hata_turu tur = govde_getir(adres + yol_kodla(blok::dizin_yolu(e.ozet)), metin, 0, hiz_siniri);
    ek_alindi(int64_t(metin.size()));
    return tur == hata_turu::YOK && blok::dizin_coz(metin, d) && d.dosya_boyutu == e.boyut && d.ozet == e.ozet;
}

// Whether a delta is worth trying: a regular old file, and no ".indir" long enough to be
// continued (an earlier run's bytes are cheaper than a rebuild).
bool fark_uygun_mu(const kayit& e, int eski_fd) {
    struct stat st;
    if (e.boyut < blok::FARK_ESIGI || ::fstat(eski_fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0)
        return false;
    const std::string gecici = e.yol + ".indir";
    return ::lstat(gecici.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < DEVAM_ESIGI ||
           st.st_size > e.boyut;
}

// Whether `yol` still names the file behind `fd`: a path taken over meanwhile is not ours to
// remove.
bool hala_bizim_mi(const std::string& yol, int fd) {
    struct stat yoldaki, bizdeki;
    return ::lstat(yol.c_str(), &yoldaki) == 0 && ::fstat(fd, &bizdeki) == 0 && yoldaki.st_dev == bizdeki.st_dev &&
           yoldaki.st_ino == bizdeki.st_ino;
}

// Rebuilds the new file in its ".indir" and puts it in place.
fark_sonucu kur_ve_yerlestir(const kayit& e, const blok::dizin& d, int eski_fd, const std::vector<int64_t>& kaynak,
                             const std::vector<parca>& parcalar, const std::string& kendi_yolu, onbellek& tablo,
                             bool& yeniden) {
    const std::string gecici = e.yol + ".indir";
    const tanimlayici yazma = gecici_olustur(gecici);
    const tanimlayici okuma(yazma.acik() ? ::open(gecici.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC) : -1);
    if (!okuma.acik()) {
        basarisiz("", tablo, {metinler::tur::DOSYA_YAZILAMADI, e.yol});
        return fark_sonucu::BASARISIZ;
    }
    std::string ozet;
    const bool kuruldu = yeniden_kur(d, eski_fd, kaynak, parcalar, yazma.fd, okuma.fd, ozet);
    // A write that failed (the fetched ranges still take room beside the new file) or a wrong
    // digest: the plain download, which the room check has measured, follows.
    if (!kuruldu || ozet != e.ozet) {
        if (hala_bizim_mi(gecici, yazma.fd)) ::unlink(gecici.c_str());
        return kapaniyor.load() ? fark_sonucu::DURDURULDU : fark_sonucu::TAM;
    }
    metinler::ileti hata;
    if (yerine_koy(e, gecici, okuma.fd, kendi_yolu, tablo, yeniden, hata)) return fark_sonucu::TAMAM;
    basarisiz("", tablo, hata);
    return fark_sonucu::BASARISIZ;
}

fark_sonucu fark_dene(const kayit& e, const std::string& adres, const std::string& kendi_yolu, onbellek& tablo,
                      bool& yeniden, hiz_duzeni& duzen) {
    const tanimlayici eski(duz_dosya_ac(e.yol, O_NOFOLLOW));
    if (!eski.acik() || !fark_uygun_mu(e, eski.fd) || !aktarim::toplu_destekli()) return fark_sonucu::TAM;
    struct stat st;
    blok::dizin d;
    std::vector<int64_t> kaynak;
    if (!dizin_al(e, adres, d, duzen.siniri) || ::fstat(eski.fd, &st) != 0) return kapaniyor.load() ? fark_sonucu::DURDURULDU : fark_sonucu::TAM;
    if (!eslestir(eski.fd, int64_t(st.st_size), d, kaynak, kapaniyor))
        return kapaniyor.load() ? fark_sonucu::DURDURULDU : fark_sonucu::TAM;
    std::vector<aralik> araliklar = eksik_araliklar(kaynak, d, duzen.adim_bayti(TOPLU_BAYT));
    int64_t getirilecek = 0;
    for (const aralik& a : araliklar) getirilecek += a.son - a.bas;
    if (double(getirilecek) > TAM_ORANI * double(e.boyut)) return fark_sonucu::TAM;
    const std::string klasor = ozel_klasor_ac("parca");
    if (klasor.empty()) return fark_sonucu::TAM;
    std::vector<parca> parcalar;
    auto parca_ekle = [&](aralik a) {
        parcalar.push_back({a, klasor + "/" + std::to_string(parcalar.size()) + ".indir"});
    };
    for (aralik a : araliklar) {
        if (a.bas == 0 && a.son > 1) {  // the first byte alone, the rest as a guarded range
            parca_ekle({0, 1});
            a.bas = 1;
        }
        parca_ekle(a);
    }
    // From here the counters expect only the ranges of this file; a fallback gives back the rest.
    gerekmiyor(e.boyut - getirilecek);
    const int64_t once = inen_bayt.load();
    fark_sonucu s = fark_sonucu::TAM;
    if (araliklari_getir(dosya_adresi(adres, e), parcalar, duzen))
        s = kur_ve_yerlestir(e, d, eski.fd, kaynak, parcalar, kendi_yolu, tablo, yeniden);
    else if (kapaniyor.load())
        s = fark_sonucu::DURDURULDU;
    parcalari_sil(parcalar);
    ::rmdir(klasor.c_str());
    // The whole file follows: the unchanged blocks travel after all, and the ranges again.
    if (s == fark_sonucu::TAM) yeniden_gelecek(e.boyut - getirilecek + (inen_bayt.load() - once));
    return s;
}

}  // namespace

adim_sonucu buyuk_dosya_guncelle(const kayit& e, const std::string& adres, const std::string& kendi_yolu,
                                 onbellek& tablo, bool& yeniden, hiz_duzeni& duzen) {
    switch (fark_dene(e, adres, kendi_yolu, tablo, yeniden, duzen)) {
        case fark_sonucu::TAMAM: return adim_sonucu::TAMAM;
        case fark_sonucu::BASARISIZ: return adim_sonucu::BASARISIZ;
        case fark_sonucu::DURDURULDU: return adim_sonucu::DURDURULDU;
        case fark_sonucu::TAM: break;
    }
    return dosya_guncelle(e, adres, kendi_yolu, tablo, yeniden, duzen.siniri);
}

}  // namespace guncelleme
