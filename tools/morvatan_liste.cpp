// morvatan-liste DIR [VERSION]: writes DIR/dosyalar-linux.txt, the update manifest of every
// regular file below DIR, for an operator who publishes an update. Links are followed.
// With --imzala it also writes the manifest's signature file; --anahtar-uret makes the
// operator's key pair, --acik-anahtar prints a key's public half again and --dogrula checks
// a published folder as a launcher would (see tools/liste_imza.h). Before anything is
// written the guards of tools/liste_denetim.h run: the secret key inside DIR, a varsayilan.ini
// that would switch updates off or trust another key, a sequence that goes down.
//
// The manifest starts with "morvatan-liste 1", then "surum VERSION" when a version is given,
// then "digest size path" per file in byte order of the path. The manifest itself is never
// listed, nor the launcher's own run-time files (guncelleme::ayrilmis_mi: its settings, lock,
// records and temporaries), which are named on standard error. A path the launcher would
// refuse, a file that cannot be read whole, or a link to a file outside DIR is reported as
// "morvatan-liste: PATH: reason" and nothing is written (exit 1).
// Files are hashed on every core with the launcher's own SHA-256 code; the manifest is
// written to a temporary file and renamed, so a published manifest is never half-written.
// The folder is locked for the run (a second run on it stops at once), and a file that
// changed while it was read stops the tool ("PATH: okunurken degisti") before anything is
// written.
// Every file of 4 MiB or more also gets a block index (updater/blok.h) under
// dosyalar-linux.blok/, written before the manifest; indexes of files no longer published go
// after it.
#include <fcntl.h>
#include <sodium.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/atomik.h"
#include "platform/dosya.h"
#include "platform/tanimlayici.h"
#include "tools/liste_denetim.h"
#include "tools/liste_imza.h"
#include "updater/blok.h"
#include "updater/imza.h"
#include "updater/liste.h"
#include "updater/sha256.h"

namespace fs = std::filesystem;

namespace {

const char* const LISTE_ADI = "dosyalar-linux.txt";

// The manifest, its signature, the block indexes and their temporaries are never listed
// themselves.
bool yayin_dosyasi_mi(const std::string& yol) {
    const std::string liste = LISTE_ADI, imza = guncelleme::IMZA_DOSYASI;
    return yol == liste || yol == liste + ".yeni" || yol == imza || yol == imza + ".yeni" ||
           blok::dizin_klasorunde_mi(yol);
}

struct girdi {
    std::string yol;   // relative, "/"-separated
    int64_t boyut = 0;
    std::string ozet;
    fs::path kaynak;   // the file whose bytes are published (a link's target)
    bool dizinli = false;  // large enough for a block index, which `dizin` then holds
    blok::dizin dizin;
    struct stat once {};   // the file as it was just before it was read
};

bool ayni_dosya_mi(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

bool yol_kabul_mu(const std::string& yol) {
    if (!guncelleme::yol_gecerli_mi(yol) || yol.find('\n') != std::string::npos || yol.find('\r') != std::string::npos) {
        std::fprintf(stderr, "morvatan-liste: launcher bu yolu kabul etmez: %s\n", yol.c_str());
        return false;
    }
    if (guncelleme::adlar_sigiyor_mu(yol)) return true;
    std::fprintf(stderr, "morvatan-liste: %s: ad %zu bayttan uzun, launcher kuramaz\n", yol.c_str(),
                 guncelleme::AD_SINIRI);
    return false;
}

// Walks one directory, following links the way a player's copy will hold them: a link to a
// file or to a directory inside the tree is published under the link's own path. A dangling
// link, a loop, or a link to a directory outside the tree would leave a player's installation
// silently incomplete, so each stops the tool; a link to a file outside the tree could publish
// anything of the operator's (a secret key), so it stops the tool too. `ustler` holds the real paths of the
// directories being walked, from the root down.
struct tarayici {
    fs::path kok;                    // canonical root
    std::vector<fs::path> ustler;    // canonical directories on the current path
    std::vector<girdi>& dosyalar;
    bool tamam = true;

    void hata(const fs::path& yol, const char* neden) {
        std::fprintf(stderr, "morvatan-liste: %s: %s\n", yol.c_str(), neden);
        tamam = false;
    }

    void klasor(const fs::path& gercek, const std::string& on_ek) {
        std::error_code ec;
        std::vector<fs::path> girdiler;
        for (fs::directory_iterator it(gercek, ec), son; !ec && it != son; it.increment(ec))
            girdiler.push_back(it->path());
        if (ec) return hata(gercek, "klasor okunamadi");
        ustler.push_back(gercek);
        for (const fs::path& p : girdiler) girdi_isle(p, on_ek + p.filename().string());
        ustler.pop_back();
    }

    void girdi_isle(const fs::path& p, const std::string& yol) {
        std::error_code ec;
        const bool baglanti = fs::is_symlink(fs::symlink_status(p, ec));
        fs::path hedef = baglanti ? fs::canonical(p, ec) : p;
        if (ec) return hata(p, "bagli oldugu yer yok");
        fs::file_status st = fs::status(hedef, ec);
        if (ec) return hata(p, "okunamadi");
        if (fs::is_directory(st)) return klasor_girdisi(p, hedef, yol, baglanti);
        if (!fs::is_regular_file(st)) return;
        if (yayin_dosyasi_mi(yol)) return;
        if (guncelleme::ayrilmis_mi(yol)) {
            std::fprintf(stderr, "morvatan-liste: %s: launcher'in kendi dosyasi, listelenmedi\n", yol.c_str());
            return;
        }
        if (baglanti && !icinde_mi(kok, hedef)) return hata(p, "dosya baglantisi agacin disina gidiyor");
        if (!yol_kabul_mu(yol)) {
            tamam = false;
            return;
        }
        girdi g;
        g.yol = yol;
        g.kaynak = hedef;
        dosyalar.push_back(std::move(g));
    }

    void klasor_girdisi(const fs::path& p, const fs::path& hedef, const std::string& yol, bool baglanti) {
        if (baglanti) {
            if (!icinde_mi(kok, hedef)) return hata(p, "klasor baglantisi agacin disina gidiyor");
            if (std::find(ustler.begin(), ustler.end(), hedef) != ustler.end())
                return hata(p, "baglanti dongusu");
        }
        klasor(baglanti ? hedef : ustler.back() / p.filename(), yol + "/");
    }
};

bool dosyalari_topla(const fs::path& kok, std::vector<girdi>& dosyalar) {
    std::error_code ec;
    const fs::path gercek = fs::canonical(kok, ec);
    if (ec || !fs::is_directory(gercek)) {
        std::fprintf(stderr, "morvatan-liste: %s okunamadi\n", kok.c_str());
        return false;
    }
    tarayici t{gercek, {}, dosyalar};
    t.klasor(gercek, "");
    return t.tamam;
}

// Size and digest of a file, and for a large one its block index, from one read of its bytes.
bool ozetle(girdi& g) {
    if (::stat(g.kaynak.c_str(), &g.once) != 0) return false;
    std::error_code ec;
    const auto boyut = fs::file_size(g.kaynak, ec);
    if (ec || int64_t(boyut) < blok::FARK_ESIGI) return sha256::dosya_ozeti_al(g.kaynak.string(), g.ozet, g.boyut);
    if (!blok::dizin_olustur(g.kaynak.string(), g.dizin)) return false;
    g.dizinli = true;
    g.ozet = g.dizin.ozet;
    g.boyut = g.dizin.dosya_boyutu;
    return true;
}

// A file written while it was read (or since) would be listed with a digest of neither its
// old nor its new bytes, which every player would fail on: each is looked at again once all
// are read, and one whose size, time or identity moved stops the tool.
bool hicbiri_degismedi_mi(const std::vector<girdi>& dosyalar) {
    bool tamam = true;
    for (const girdi& g : dosyalar) {
        struct stat simdi;
        if (::stat(g.kaynak.c_str(), &simdi) == 0 && ayni_dosya_mi(g.once, simdi) && g.boyut == int64_t(simdi.st_size))
            continue;
        std::fprintf(stderr, "morvatan-liste: %s: okunurken degisti\n", g.kaynak.c_str());
        tamam = false;
    }
    return tamam;
}

// Size and digest of every file from one read of its bytes, so the two always agree; a file
// that cannot be opened or read to its end (vanished, unreadable) is reported and fails all.
bool ozetle(std::vector<girdi>& dosyalar) {
    std::atomic<size_t> sira{0};
    std::vector<char> okundu(dosyalar.size(), 0);
    auto isci = [&] {
        for (size_t i; (i = sira.fetch_add(1)) < dosyalar.size();) okundu[i] = ozetle(dosyalar[i]);
    };
    unsigned adet = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::thread> iplikler;
    for (unsigned i = 0; i < adet; ++i) iplikler.emplace_back(isci);
    for (auto& t : iplikler) t.join();
    bool tamam = true;
    for (size_t i = 0; i < dosyalar.size(); ++i) {
        if (okundu[i]) continue;
        std::fprintf(stderr, "morvatan-liste: %s: okunamadi\n", dosyalar[i].kaynak.c_str());
        tamam = false;
    }
    return tamam && hicbiri_degismedi_mi(dosyalar);
}

std::string liste_metni(const std::vector<girdi>& dosyalar, const char* surum) {
    std::string metin = "morvatan-liste 1\n";
    if (surum) metin += std::string("surum ") + surum + "\n";
    for (const girdi& g : dosyalar) metin += g.ozet + ' ' + std::to_string(g.boyut) + ' ' + g.yol + '\n';
    return metin;
}

bool yaz(const fs::path& hedef, const std::string& metin) {
    if (atomik_yaz(hedef.string(), metin)) return true;
    std::fprintf(stderr, "morvatan-liste: %s yazilamadi\n", hedef.c_str());
    return false;
}

// Writes the index of every large file that lacks an identical one (an unchanged file's index
// is not written again, so a host that syncs by time sends it once).
bool dizinleri_yaz(const fs::path& kok, const std::vector<girdi>& dosyalar) {
    std::error_code ec;
    for (const girdi& g : dosyalar) {
        if (!g.dizinli) continue;
        const fs::path yol = kok / blok::dizin_yolu(g.ozet);
        const std::string metin = blok::dizin_metni(g.dizin);
        std::string eski;
        if (dosya_oku(yol.string(), eski, metin.size() + 1) == okuma::TAMAM && eski == metin) continue;
        fs::create_directories(yol.parent_path(), ec);
        if (!yaz(yol, metin)) return false;
    }
    return true;
}

// After the manifest is in place: the indexes of files no longer published go.
void eski_dizinleri_sil(const fs::path& kok, const std::vector<girdi>& dosyalar) {
    std::set<std::string> kalir;
    for (const girdi& g : dosyalar)
        if (g.dizinli) kalir.insert(g.ozet);
    std::error_code ec;
    for (fs::directory_iterator it(kok / blok::KLASOR, ec), son; !ec && it != son; it.increment(ec))
        if (!kalir.count(it->path().filename().string())) fs::remove(it->path(), ec);
}

// The guards that may stop a publish before anything is written.
bool yayin_guvenli_mi(const fs::path& kok, const liste_imzasi* imza, bool zorla) {
    std::vector<std::string> aciklar;
    for (size_t i = 0; imza && i < imza->dosyalar.size(); ++i) {
        if (!anahtar_disarida_mi(kok, imza->dosyalar[i])) return false;
        aciklar.push_back(acik_anahtar_hex(imza->gizliler[i]));
    }
    if (!launcher_uygun_mu(kok)) return false;
    if (zorla) return true;
    return varsayilan_uygun_mu(kok, imza ? &aciklar : nullptr) && (!imza || sira_dusmuyor_mu(kok, imza->sira));
}

// Two runs on one folder (a CI job retried while the first still runs) would write their
// manifests, signatures and indexes over each other's, and could leave a pair of both: the
// folder is locked for the whole run, and a second run stops at once and says why.
bool klasoru_kilitle(const fs::path& kok, tanimlayici& kilit) {
    kilit = tanimlayici(::open(kok.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!kilit.acik()) {
        std::fprintf(stderr, "morvatan-liste: %s okunamadi\n", kok.c_str());
        return false;
    }
    if (::flock(kilit.fd, LOCK_EX | LOCK_NB) == 0) return true;
    std::fprintf(stderr, "morvatan-liste: %s: baska bir morvatan-liste bu klasoru yayinliyor; o bitince yeniden calistir\n",
                 kok.c_str());
    return false;
}

// Lists, hashes and writes DIR's manifest; `imza` (when given) signs it, and the signature
// file follows the manifest into place. An unsigned publish removes an old signature first.
int yayinla(const fs::path& kok, const char* surum, const liste_imzasi* imza, bool zorla) {
    if (surum && std::string(surum).find('\n') != std::string::npos) {
        std::fprintf(stderr, "morvatan-liste: surum tek satir olmali\n");
        return 2;
    }
    tanimlayici kilit;
    if (!klasoru_kilitle(kok, kilit)) return 1;
    if (!yayin_guvenli_mi(kok, imza, zorla)) return 1;
    std::vector<girdi> dosyalar;
    if (!dosyalari_topla(kok, dosyalar)) return 1;
    std::sort(dosyalar.begin(), dosyalar.end(), [](const girdi& a, const girdi& b) { return a.yol < b.yol; });
    if (!ozetle(dosyalar) || !dizinleri_yaz(kok, dosyalar)) return 1;
    const std::string metin = liste_metni(dosyalar, surum);
    if (!imza) eski_imzayi_kaldir(kok);
    if (!yaz(kok / LISTE_ADI, metin)) return 1;
    if (imza && !yaz(kok / guncelleme::IMZA_DOSYASI, imza_dosyasi(metin, *imza))) return 1;
    eski_dizinleri_sil(kok, dosyalar);
    std::printf("%zu dosya: %s\n", dosyalar.size(), (kok / LISTE_ADI).c_str());
    return 0;
}

const char* const KULLANIM =
    "kullanim: morvatan-liste KLASOR [SURUM] [--zorla]\n"
    "          morvatan-liste --imzala GIZLI_DOSYA KLASOR [SURUM] [--ek-anahtar GIZLI_DOSYA]... [--sira N]\n"
    "                         [--gecerlilik GUN] [--zorla]\n"
    "          morvatan-liste --anahtar-uret GIZLI_DOSYA\n"
    "          morvatan-liste --acik-anahtar GIZLI_DOSYA\n"
    "          morvatan-liste --dogrula ACIK_ANAHTAR KLASOR|ADRES [--boyut]\n"
    "          morvatan-liste --help\n";

int kullanim() {
    std::fputs(KULLANIM, stderr);
    return 2;
}

// A version is a short label such as 1.4.3; one that names a folder or holds a slash is a
// folder given by mistake, and publishing with it would go to the wrong place.
bool surum_gecerli_mi(const std::string& surum) {
    std::error_code ec;
    return surum.find('/') == std::string::npos && !fs::is_directory(surum, ec);
}

// The words after the command: options taken out, the rest in order.
struct sozcukler {
    std::vector<std::string> konumsal;
    bool zorla = false;
};

bool ayir(const std::vector<std::string>& a, liste_imzasi* imza, sozcukler& s) {
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] == "--zorla") {
            s.zorla = true;
        } else if (imza && a[i] == "--ek-anahtar" && i + 1 < a.size()) {
            if (imza->dosyalar.size() + 1 >= guncelleme::IMZA_EN_COK) return false;
            imza->dosyalar.push_back(a[++i]);
        } else if (imza && (a[i] == "--sira" || a[i] == "--gecerlilik") && i + 1 < a.size()) {
            if (!imza_secenegi(a[i], a[i + 1], *imza)) return false;
            ++i;
        } else if (a[i].rfind("--", 0) == 0) {
            return false;
        } else {
            s.konumsal.push_back(a[i]);
        }
    }
    return true;
}

// DIR [VERSION] [--zorla]
int imzasiz_yayinla(const std::vector<std::string>& a) {
    sozcukler s;
    if (!ayir(a, nullptr, s) || s.konumsal.empty() || s.konumsal.size() > 2) return kullanim();
    if (s.konumsal.size() == 2 && !surum_gecerli_mi(s.konumsal[1])) return kullanim();
    return yayinla(s.konumsal[0], s.konumsal.size() == 2 ? s.konumsal[1].c_str() : nullptr, nullptr, s.zorla);
}

// Reads every key file of the signature; false (and nothing kept) when one cannot be read.
bool anahtarlari_oku(liste_imzasi& imza) {
    for (const std::string& dosya : imza.dosyalar) {
        imza.gizliler.emplace_back();
        if (!gizli_anahtar_oku(dosya, imza.gizliler.back())) return false;
    }
    return true;
}

void anahtarlari_sil(liste_imzasi& imza) {
    for (guncelleme::gizli_anahtar& g : imza.gizliler) sodium_memzero(g.data(), g.size());
}

// --imzala SECRET DIR [VERSION] [--ek-anahtar SECRET2]... [--sira N] [--gecerlilik DAYS] [--zorla]
int imzali_yayinla(const std::vector<std::string>& a) {
    liste_imzasi imza;
    sozcukler s;
    if (!ayir(a, &imza, s) || s.konumsal.size() < 2 || s.konumsal.size() > 3) return kullanim();
    if (s.konumsal.size() == 3 && !surum_gecerli_mi(s.konumsal[2])) return kullanim();
    imza.dosyalar.insert(imza.dosyalar.begin(), s.konumsal[0]);
    int durum = 1;
    if (anahtarlari_oku(imza)) {
        if (imza.sira == 0) imza.sira = uint64_t(std::time(nullptr));  // fixed now, so the guard sees it
        durum = yayinla(s.konumsal[1], s.konumsal.size() == 3 ? s.konumsal[2].c_str() : nullptr, &imza, s.zorla);
    }
    anahtarlari_sil(imza);
    return durum;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> a(argv + 1, argv + argc);
    if (a.empty()) return kullanim();
    if (a[0] == "--help" || a[0] == "-h") {
        std::fputs(KULLANIM, stdout);
        return 0;
    }
    if (a[0] == "--anahtar-uret") return a.size() == 2 ? anahtar_uret(a[1]) : kullanim();
    if (a[0] == "--acik-anahtar") return a.size() == 2 ? acik_anahtari_yaz(a[1]) : kullanim();
    if (a[0] == "--dogrula" && (a.size() == 3 || (a.size() == 4 && a[3] == "--boyut"))) {
        const bool adres = a[2].rfind("http://", 0) == 0 || a[2].rfind("https://", 0) == 0;
        if (adres) return adresi_dogrula(a[1], a[2], a.size() == 4);
        if (a.size() == 3) return klasoru_dogrula(a[1], a[2]);
    }
    if (a[0] == "--dogrula") return kullanim();
    if (a[0] == "--imzala") return imzali_yayinla({a.begin() + 1, a.end()});
    return imzasiz_yayinla(a);
}
