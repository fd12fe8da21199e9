// The update worker: manifest, check phase, downloads, and the state changes of a run.
// Shared state lives in updater/durum.cpp; this file keeps none of its own.
#include "updater/isci.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <future>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/aktarim.h"
#include "platform/tanimlayici.h"
#include "updater/durum.h"
#include "updater/fark.h"
#include "updater/hiz.h"
#include "updater/imza.h"
#include "updater/indirme.h"
#include "updater/sha256.h"
#include "updater/tekrar.h"
#include "updater/toplu.h"

namespace guncelleme {
namespace {

// The check phase walks a manifest that the tool writes sorted, so a folder's files come one
// after another and so do their cache records: the folder is held open to look each file up
// by its name alone, and the record after the last one found is tried before a search.
struct denetim_yeri {
    std::string klasor;  // the folder held open ("" is the working directory)
    tanimlayici fd;
    bool acik = false;
    onbellek::const_iterator sonraki;  // the record after the last one found

    explicit denetim_yeri(const onbellek& tablo) : sonraki(tablo.end()) {}

    bool bilgi(const std::string& yol, int64_t& boyut, int64_t& zaman) {
        const size_t bolu = yol.rfind('/');
        const std::string ust = bolu == std::string::npos ? std::string() : yol.substr(0, bolu);
        if (!acik || ust != klasor) {
            klasor = ust;
            fd = tanimlayici(::open(ust.empty() ? "." : ust.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
            acik = true;
        }
        if (!fd.acik()) return false;  // no folder, so no file
        return dosya_bilgisi_at(fd.fd, yol.c_str() + (bolu == std::string::npos ? 0 : bolu + 1), boyut, zaman);
    }
    onbellek::const_iterator kayit_bul(const onbellek& tablo, const std::string& yol) {
        return sonraki != tablo.end() && sonraki->first == yol ? sonraki : tablo.find(yol);
    }
};

// A digest taken during the check, for the cache once the check threads have ended.
using yeni_kayit = std::pair<std::string, onbellek_kaydi>;

// An entry is current when the local file has its size and digest. The digest comes from the
// cache when size and time match the record; otherwise the file is hashed and the record
// goes to `yeniler` (the table is only read here, by several threads at once).
bool guncel_mi(const kayit& e, const onbellek& tablo, denetim_yeri& yer, std::vector<yeni_kayit>& yeniler) {
    int64_t boyut = -1, zaman = 0;
    if (!yer.bilgi(e.yol, boyut, zaman)) return false;
    if (boyut != e.boyut) return false;
    const auto it = yer.kayit_bul(tablo, e.yol);
    if (it != tablo.end()) yer.sonraki = std::next(it);
    if (it != tablo.end() && it->second.boyut == boyut && it->second.zaman == zaman) return it->second.ozet == e.ozet;
    yeniler.push_back({e.yol, onbellek_kaydi{boyut, zaman, sha256::dosya_ozeti(e.yol)}});
    return yeniler.back().second.ozet == e.ozet;
}

// The check of one run of the manifest, [bas, son), by one thread.
struct denetim_parcasi {
    size_t bas = 0, son = 0;
    std::vector<const kayit*> eskiler;
    int64_t toplam = 0;
    std::vector<yeni_kayit> yeniler;
    bool tamam = true;

    void calistir(const liste& l, const onbellek& tablo) {
        denetim_yeri yer(tablo);
        for (size_t i = bas; i < son; ++i) {
            if (kapaniyor.load()) {
                tamam = false;
                return;
            }
            const kayit& e = l.kayitlar[i];
            if (ayrilmis_mi(e.yol) || guncel_mi(e, tablo, yer, yeniler)) continue;
            eskiler.push_back(&e);
            toplam += e.boyut;
        }
    }
};

// Threads of the check: the work is one status call per file (or hashing, without a cache),
// and the kernel serves several at once. Runs shorter than this are not worth a thread.
const size_t DENETIM_PARCA_EN_AZ = 2048;
const unsigned DENETIM_IPLIK_EN_COK = 4;

// The manifest phase has a deadline of its own: a host that accepts and never answers, or
// backups that are all silent, must not keep the player waiting minutes for the failure. No
// try starts after LISTE_SURESI; each gives up after LISTE_SESSIZLIGI without a byte (the
// manifest and its signature are small) or curl's 15 s to connect, so the failure text comes
// within about 110 s of the start whatever the hosts do.
const double LISTE_SURESI = 95.0;
const double LISTE_SESSIZLIGI = 15.0;

double simdi() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Fetches a text below the chosen server, again after each failure that may pass while
// retries and time are left.
hata_turu yeniden_dene_al(const std::string& url, std::string& govde, double son) {
    for (int deneme = 0;;) {
        govde.clear();
        const hata_turu tur = govde_getir(url, govde, LISTE_SESSIZLIGI);
        const double istenen = aktarim::bekleme_istegi();
        if (tur != hata_turu::GECICI || deneme == TEKRAR_SAYISI || simdi() + istenen > son ||
            !tekrar_bekle(++deneme, istenen) || simdi() > son) {
            deneme_notu_koy({});
            return tur;
        }
    }
}

// Reports a failed manifest fetch (nothing when the launcher is closing); always false.
bool ulasilamadi(hata_turu tur) {
    if (tur != hata_turu::DURDURULDU && !kapaniyor.load())
        hata_ver({metinler::tur::GUNCELLEME_SUNUCUSU_YOK, "", 0, 0, tur});
    return false;
}

// Fetches the manifest from the first server that gives it: one that cannot be reached or
// answers 5xx or 429 hands over to the next, and when none gave it the round starts again
// after the retry waits. Any other answer ends the search, so a server that says 404 is not
// passed over silently. `secilen` is the server whose answer counts.
bool govde_al(const std::vector<std::string>& sunucular, size_t& secilen, std::string& govde, double son) {
    hata_turu tur = hata_turu::YOK;
    for (int deneme = 0;;) {
        for (secilen = 0; secilen < sunucular.size(); ++secilen) {
            if (simdi() > son) return ulasilamadi(tur);
            if (secilen > 0) deneme_notu_koy({metinler::tur::YEDEK_DENENIYOR, sunucu_adi(sunucular[secilen])});
            govde.clear();
            tur = govde_getir(sunucular[secilen] + "dosyalar-linux.txt", govde, LISTE_SESSIZLIGI);
            if (tur != hata_turu::GECICI) {
                deneme_notu_koy({});
                return tur == hata_turu::YOK || ulasilamadi(tur);
            }
        }
        // A busy server's Retry-After is honoured as long as the deadline allows it.
        const double istenen = aktarim::bekleme_istegi();
        if (deneme == TEKRAR_SAYISI || simdi() + istenen > son || !tekrar_bekle(++deneme, istenen))
            return ulasilamadi(tur);
    }
}

// Reports why the manifest cannot be trusted; always false, so a caller can return it.
bool imza_hatasi(const char* neden) {
    hata_ver({metinler::tur::LISTE_DOGRULANAMADI, neden});
    return false;
}

// Fetches the manifest and its signature and checks them; the signature comes from the
// server that gave the manifest. A publish under way can pair a new manifest with the old
// signature (or the reverse), so a pair that does not verify, or whose signature the server
// could not serve, is fetched once more, through the backups like the first time (the server
// that served a bad pair may be down by now), before it is called invalid. A signature is
// missing only when a server answered that it has none. Reports and returns false on any
// failure.
bool imzali_govde_al(const std::vector<std::string>& sunucular, const anahtar_listesi& anahtar, uint64_t taban,
                     size_t& secilen, std::string& govde) {
    const uint64_t kayitli = sira_oku();
    const uint64_t kabul = std::max(kayitli, taban);
    const double son = simdi() + LISTE_SURESI;
    hata_turu imza_turu = hata_turu::YOK;
    for (int deneme = 0; deneme < 2; ++deneme) {
        if (deneme > 0 && simdi() > son) break;
        if (!govde_al(sunucular, secilen, govde, son)) return false;
        std::string metin;
        imza_turu = yeniden_dene_al(sunucular[secilen] + IMZA_DOSYASI, metin, son);
        if (kapaniyor.load() || imza_turu == hata_turu::DURDURULDU) return false;
        if (imza_turu != hata_turu::YOK) continue;
        imza_kaydi k;
        const dogrulama d = imza_coz(metin, k) ? dogrula(govde, k, anahtar, kabul, int64_t(std::time(nullptr)))
                                               : dogrulama::GECERSIZ;
        if (d == dogrulama::ESKI) return imza_hatasi("eski liste");
        if (d == dogrulama::SURESI_DOLMUS) return imza_hatasi("suresi dolmus");
        if (d == dogrulama::BASKA_LISTE) return imza_hatasi("baska bir listenin imzasi");
        if (d == dogrulama::TAMAM) {
            // Without the record a later run would accept this release's predecessors again.
            if (k.sira > kayitli && !sira_yaz(k.sira)) {
                hata_ver({metinler::tur::DOSYA_YAZILAMADI, SIRA_DOSYASI});
                return false;
            }
            return true;
        }
    }
    if (imza_turu == hata_turu::ULASILAMADI) return imza_hatasi("imza yok");
    if (imza_turu != hata_turu::YOK) return ulasilamadi(imza_turu);
    return imza_hatasi("imza gecersiz");
}

// Fetches and parses the manifest (signed when a key is set) from the main server or a
// backup; `secilen` is the one it came from. Reports the failure and returns false when it
// fails.
bool liste_getir(const std::vector<std::string>& sunucular, const kaynak& k, size_t& secilen, liste& l) {
    std::string govde;
    if (k.imza_anahtari.empty()) {
        if (!govde_al(sunucular, secilen, govde, simdi() + LISTE_SURESI)) return false;
    } else {
        anahtar_listesi anahtar;
        if (!anahtarlar_coz(k.imza_anahtari, anahtar)) return imza_hatasi("imza gecersiz");
        if (!imzali_govde_al(sunucular, anahtar, sira_coz(k.imza_sira), secilen, govde)) return false;
    }
    liste_sonucu s = liste_coz(govde, l);
    if (l.surum_var) {
        std::lock_guard<std::mutex> kilitli(kilit);
        surum = l.surum;
    }
    if (s == liste_sonucu::BOZUK) hata_ver({metinler::tur::LISTE_BOZUK});
    if (s == liste_sonucu::GECERSIZ_SATIR) hata_ver({metinler::tur::LISTE_GECERSIZ_SATIR});
    if (s == liste_sonucu::UZUN_AD) hata_ver({metinler::tur::LISTE_UZUN_AD, l.uzun_ad});
    return s == liste_sonucu::TAMAM;
}

// Bytes the downloads will still write: each stale file's listed size, less what a ".indir"
// of it already holds (it is continued, or emptied and so given back). The old copy keeps its
// blocks until the rename, so none of the new bytes can borrow them.
int64_t yazilacak_bayt(const std::vector<const kayit*>& indirilecekler) {
    int64_t toplam = 0;
    for (const kayit* e : indirilecekler) {
        struct stat st;
        const std::string gecici = e->yol + ".indir";
        const int64_t var = ::lstat(gecici.c_str(), &st) == 0 && S_ISREG(st.st_mode) ? int64_t(st.st_size) : 0;
        toplam += std::max<int64_t>(0, e->boyut - var);
    }
    return toplam;
}

// Whether the installation's file system holds `gerekli` more bytes for this user; reports
// how much is missing when it does not. A file system that cannot say is given the benefit
// of the doubt: the writes themselves still fail cleanly.
bool yer_var_mi(int64_t gerekli) {
    struct statvfs fs;
    if (::statvfs(".", &fs) != 0) return true;
    const long double bos = (long double)fs.f_bavail * (long double)fs.f_frsize;
    if ((long double)gerekli <= bos) return true;
    const long double mb = 1048576.0L;
    hata_ver({metinler::tur::YER_YOK, "", (long long)std::ceil(gerekli / mb), (long long)std::floor(bos / mb)});
    return false;
}

std::vector<const kayit*> dilim(const std::vector<const kayit*>& v, size_t bas, size_t n) {
    return std::vector<const kayit*>(v.begin() + long(bas), v.begin() + long(bas + n));
}

// The temporaries of the batch that starts at `bas`, made on another thread while the batch
// before it travels (a batch spends as long making a thousand files as fetching them).
struct onden_hazirlik {
    size_t bas = 0;
    std::future<toplu_hazirlik> is;

    void baslat(size_t bas_, const std::vector<const kayit*>& simdiki, std::vector<const kayit*> sonraki) {
        if (!birlikte_hazirlanir_mi(simdiki, sonraki)) return;
        bas = bas_;
        try {
            is = std::async(std::launch::async, [v = std::move(sonraki)] { return toplu_hazirla(v); });
        } catch (const std::system_error&) {
            // No thread: the batch's temporaries are made when it comes.
        }
    }
    // The batch's temporaries: made ahead when they were, else now.
    toplu_hazirlik al(size_t bas_, const std::vector<const kayit*>& grup) {
        if (is.valid() && bas == bas_) return is.get();
        birak();
        return toplu_hazirla(grup);
    }
    // Removes what was made ahead for a batch that will not run; false, for a failed run.
    bool birak() {
        if (is.valid()) toplu_hazirligi_sil(is.get());
        return false;
    }
};

}  // namespace

bool indir(const std::vector<const kayit*>& indirilecekler, const std::string& adres,
           const std::string& kendi_yolu, onbellek& tablo, bool& yeniden, int64_t hiz_siniri) {
    hiz_duzeni duzen;
    duzen.siniri = hiz_siniri;
    onden_hazirlik sonraki;
    double en_kisa_baglanti = -1;  // sets the transfers in flight of the batches after the first
    const bool toplu = aktarim::toplu_destekli();
    for (size_t i = 0; i < indirilecekler.size();) {
        const size_t n = toplu ? toplu_uzunluk(indirilecekler, i, duzen.adim_bayti(TOPLU_BAYT)) : 0;
        if (!duzen.basla()) return sonraki.birak();
        adim_sonucu s;
        if (n == 0) {
            s = buyuk_dosya_guncelle(*indirilecekler[i], adres, kendi_yolu, tablo, yeniden, duzen);
        } else {
            const std::vector<const kayit*> grup = dilim(indirilecekler, i, n);
            toplu_hazirlik hazirlik = sonraki.al(i, grup);
            // The next batch's temporaries are made while this one travels.
            const size_t m = toplu_uzunluk(indirilecekler, i + n, duzen.adim_bayti(TOPLU_BAYT));
            if (m > 0) sonraki.baslat(i + n, grup, dilim(indirilecekler, i + n, m));
            s = toplu_guncelle(grup, std::move(hazirlik), adres, kendi_yolu, tablo, yeniden, en_kisa_baglanti);
        }
        duzen.bitti();
        i += std::max<size_t>(n, 1);
        if (s != adim_sonucu::TAMAM) return sonraki.birak();
    }
    return true;
}

namespace {

// The runs of the check: as many as threads are worth it, each a contiguous part.
std::vector<denetim_parcasi> parcalara_bol(size_t n) {
    const size_t iplik = std::clamp<size_t>(std::min<size_t>(std::thread::hardware_concurrency(), DENETIM_IPLIK_EN_COK), 1,
                                            std::max<size_t>(n / DENETIM_PARCA_EN_AZ, 1));
    std::vector<denetim_parcasi> parcalar(iplik);
    for (size_t i = 0; i < iplik; ++i) {
        parcalar[i].bas = n * i / iplik;
        parcalar[i].son = n * (i + 1) / iplik;
    }
    return parcalar;
}

// Runs every part, the first on this thread and the others on threads of their own while
// threads can be had.
void parcalari_calistir(std::vector<denetim_parcasi>& parcalar, const liste& l, const onbellek& tablo) {
    std::vector<std::thread> iplikler;
    try {
        for (size_t i = 1; i < parcalar.size(); ++i)
            iplikler.emplace_back([&, i] { parcalar[i].calistir(l, tablo); });
    } catch (const std::system_error&) {
        // No thread to be had: the runs without one are checked here.
    }
    parcalar[0].calistir(l, tablo);
    for (size_t i = iplikler.size() + 1; i < parcalar.size(); ++i) parcalar[i].calistir(l, tablo);
    for (std::thread& t : iplikler) t.join();
}

}  // namespace

bool denetle(const liste& l, onbellek& tablo, std::vector<const kayit*>& indirilecekler, int64_t& toplam) {
    std::vector<denetim_parcasi> parcalar = parcalara_bol(l.kayitlar.size());
    parcalari_calistir(parcalar, l, tablo);
    bool tamam = true;
    for (denetim_parcasi& p : parcalar) {
        // A path listed twice may have been hashed by two threads: either record is right.
        for (yeni_kayit& y : p.yeniler) tablo.insert_or_assign(std::move(y.first), std::move(y.second));
        indirilecekler.insert(indirilecekler.end(), p.eskiler.begin(), p.eskiler.end());
        toplam += p.toplam;
        tamam = tamam && p.tamam;
    }
    return tamam;
}

std::vector<std::string> adresleri_ayir(const std::string& deger) {
    std::vector<std::string> adresler;
    for (size_t bas = 0; bas < deger.size();) {
        const size_t son = std::min(deger.find(' ', bas), deger.size());
        if (son > bas) adresler.push_back(deger.substr(bas, son - bas));
        bas = son + 1;
    }
    return adresler;
}

int64_t hiz_siniri_coz(const std::string& deger) {
    if (deger.empty() || deger.size() > 12 || deger.find_first_not_of("0123456789") != std::string::npos) return 0;
    return std::stoll(deger) * 1024;
}

std::string sunucu_adi(const std::string& adres) {
    const size_t sema = adres.find("://");
    const size_t bas = sema == std::string::npos ? 0 : sema + 3;
    const size_t son = std::min(adres.find('/', bas), adres.size());
    const std::string ad = adres.substr(bas, son - bas);
    const size_t kullanici = ad.rfind('@');
    return kullanici == std::string::npos ? ad : ad.substr(kullanici + 1);
}

void baslat(const kaynak& k, const std::string& kendi_yolu) {
    if (k.adres.empty()) {
        durum.store(GUNCEL);
        return;
    }
    if (iplik.joinable()) iplik.join();
    temizle();
    kapaniyor.store(false);
    yedek_koy("");
    durum.store(DENETLENIYOR);
    try {
        iplik = std::thread([k, kendi_yolu] { calis(k, kendi_yolu); });
    } catch (const std::system_error&) {
        hata_ver({metinler::tur::GUNCELLEME_BASLATILAMADI});
    }
}

void baslat(const std::string& adres, const std::string& kendi_yolu, const std::string& imza_anahtari,
            const std::string& imza_sira) {
    baslat(kaynak{adres, {}, imza_anahtari, imza_sira, 0}, kendi_yolu);
}

void calis(std::string adres, std::string kendi_yolu, std::string imza_anahtari, std::string imza_sira) {
    calis(kaynak{std::move(adres), {}, std::move(imza_anahtari), std::move(imza_sira), 0}, std::move(kendi_yolu));
}

namespace {

// The check and the downloads of one manifest: true once every listed file is current; false
// when the run has ended (reported, kept back through degisim_bekle, or the launcher closing).
bool gecis(const liste& l, const std::string& adres, const std::string& kendi_yolu, onbellek& tablo, bool& yeniden,
           int64_t hiz_siniri) {
    std::vector<const kayit*> indirilecekler;
    int64_t toplam = 0;
    if (!denetle(l, tablo, indirilecekler, toplam)) return false;
    ilerleme_baslat(toplam, indirilecekler.size());
    if (indirilecekler.empty()) return true;
    if (!yer_var_mi(yazilacak_bayt(indirilecekler))) {
        onbellek_yaz(tablo);  // what the check hashed need not be hashed again
        return false;
    }
    durum.store(INDIRILIYOR);
    return indir(indirilecekler, adres, kendi_yolu, tablo, yeniden, hiz_siniri);
}

// The manifest and its signature change under one address from release to release, so every
// cache on the way is asked to revalidate them.
bool taze_liste_getir(const std::vector<std::string>& sunucular, const kaynak& k, size_t& secilen, liste& l) {
    aktarim::taze_iste(true);
    const bool alindi = liste_getir(sunucular, k, secilen, l);
    aktarim::taze_iste(false);
    return alindi;
}

// A file came wrong or missing: a release may have been published meanwhile. The manifest is
// read again from the same host; whatever it lists now (the same release, or a newer one) is
// checked and fetched once more with every cache asked to revalidate, since a cache may have
// kept another release's bytes under this one's address. Nothing that fails its digest is
// ever put in place, so the second pass can only finish what the first could not.
bool ikinci_gecis(const std::string& adres, const kaynak& k, liste& l, const std::string& kendi_yolu, onbellek& tablo,
                  bool& yeniden) {
    liste yeni;
    size_t secilen = 0;
    if (!taze_liste_getir({adres}, k, secilen, yeni)) return false;
    l = std::move(yeni);
    aktarim::taze_iste(true);
    const bool tamam = gecis(l, adres, kendi_yolu, tablo, yeniden, k.hiz_siniri);
    aktarim::taze_iste(false);
    return tamam;
}

}  // namespace

void calis(kaynak k, std::string kendi_yolu) {
    std::vector<std::string> sunucular{k.adres};
    sunucular.insert(sunucular.end(), k.yedekler.begin(), k.yedekler.end());
    for (std::string& s : sunucular)
        if (s.empty() || s.back() != '/') s += '/';
    durum.store(DENETLENIYOR);
    // The cache is read while the manifest travels.
    std::future<onbellek> okunan = std::async(onbellegi_oku);  // here, later, when no thread can start
    liste l;
    size_t secilen = 0;
    if (!taze_liste_getir(sunucular, k, secilen, l)) return;
    const std::string& adres = sunucular[secilen];
    if (secilen > 0) yedek_koy(sunucu_adi(adres));
    onbellek tablo = okunan.get();
    bool yeniden = false;
    degisim_bekle(true);
    bool tamam = gecis(l, adres, kendi_yolu, tablo, yeniden, k.hiz_siniri);
    const bool degismis = degisim_goruldu();
    degisim_bekle(false);
    if (!tamam && degismis && !kapaniyor.load()) tamam = ikinci_gecis(adres, k, l, kendi_yolu, tablo, yeniden);
    if (!tamam) return;
    // The leftovers' walks come after the state: the player need not wait for a tidy-up.
    birakilanlari_sil(l, kendi_yolu, tablo);
    onbellek_yaz(tablo);
    durum.store(yeniden ? YENIDEN_BASLAT : GUNCEL);
    indir_artiklarini_sil();
}

}  // namespace guncelleme
