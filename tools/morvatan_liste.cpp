// morvatan-liste DIR [VERSION]: writes DIR/dosyalar-linux.txt, the update manifest of every
// regular file below DIR, for an operator who publishes an update. Links are followed.
//
// The manifest starts with "morvatan-liste 1", then "surum VERSION" when a version is given,
// then "digest size path" per file in byte order of the path. The manifest itself is never
// listed. A path the launcher would refuse is reported and nothing is written (exit 1).
// Files are hashed on every core with the launcher's own SHA-256 code; the manifest is
// written to a temporary file and renamed, so a published manifest is never half-written.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "updater/liste.h"
#include "updater/sha256.h"

namespace fs = std::filesystem;

namespace {

const char* const LISTE_ADI = "dosyalar-linux.txt";

struct girdi {
    std::string yol;   // relative, "/"-separated
    int64_t boyut = 0;
    std::string ozet;
    fs::path kaynak;   // the file whose bytes are published (a link's target)
};

bool yol_kabul_mu(const std::string& yol) {
    if (guncelleme::yol_gecerli_mi(yol) && yol.find('\n') == std::string::npos &&
        yol.find('\r') == std::string::npos)
        return true;
    std::fprintf(stderr, "morvatan-liste: launcher bu yolu kabul etmez: %s\n", yol.c_str());
    return false;
}

bool icinde_mi(const fs::path& kok, const fs::path& yol) {
    auto k = kok.begin(), y = yol.begin();
    for (; k != kok.end(); ++k, ++y)
        if (y == yol.end() || *k != *y) return false;
    return true;
}

// Walks one directory, following links the way a player's copy will hold them: a link to a
// file or to a directory inside the tree is published under the link's own path. A dangling
// link, a loop, or a link to a directory outside the tree would leave a player's installation
// silently incomplete, so each stops the tool. `ustler` holds the real paths of the
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
        if (yol == LISTE_ADI || yol == std::string(LISTE_ADI) + ".yeni") return;
        if (!yol_kabul_mu(yol)) {
            tamam = false;
            return;
        }
        dosyalar.push_back({yol, int64_t(fs::file_size(hedef, ec)), "", hedef});
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

void ozetle(std::vector<girdi>& dosyalar) {
    std::atomic<size_t> sira{0};
    auto isci = [&] {
        for (size_t i; (i = sira.fetch_add(1)) < dosyalar.size();)
            dosyalar[i].ozet = sha256::dosya_ozeti(dosyalar[i].kaynak.string());
    };
    unsigned adet = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::thread> iplikler;
    for (unsigned i = 0; i < adet; ++i) iplikler.emplace_back(isci);
    for (auto& t : iplikler) t.join();
}

bool liste_yaz(const fs::path& kok, const std::vector<girdi>& dosyalar, const char* surum) {
    const fs::path hedef = kok / LISTE_ADI, gecici = kok / (std::string(LISTE_ADI) + ".yeni");
    {
        std::ofstream f(gecici, std::ios::binary | std::ios::trunc);
        f << "morvatan-liste 1\n";
        if (surum) f << "surum " << surum << "\n";
        for (const girdi& g : dosyalar) f << g.ozet << ' ' << g.boyut << ' ' << g.yol << '\n';
        if (!f.flush()) {
            std::fprintf(stderr, "morvatan-liste: %s yazilamadi\n", gecici.c_str());
            return false;
        }
    }
    std::error_code ec;
    fs::rename(gecici, hedef, ec);
    if (ec) std::fprintf(stderr, "morvatan-liste: %s yazilamadi: %s\n", hedef.c_str(), ec.message().c_str());
    return !ec;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "kullanim: morvatan-liste KLASOR [SURUM]\n");
        return 2;
    }
    const fs::path kok = argv[1];
    const char* surum = argc == 3 ? argv[2] : nullptr;
    if (surum && std::string(surum).find('\n') != std::string::npos) {
        std::fprintf(stderr, "morvatan-liste: surum tek satir olmali\n");
        return 2;
    }
    std::vector<girdi> dosyalar;
    if (!dosyalari_topla(kok, dosyalar)) return 1;
    std::sort(dosyalar.begin(), dosyalar.end(), [](const girdi& a, const girdi& b) { return a.yol < b.yol; });
    ozetle(dosyalar);
    if (!liste_yaz(kok, dosyalar, surum)) return 1;
    std::printf("%zu dosya: %s\n", dosyalar.size(), (kok / LISTE_ADI).c_str());
    return 0;
}
