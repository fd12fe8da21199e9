// morvatan-liste DIR [VERSION]: writes DIR/dosyalar-linux.txt, the update manifest of every
// regular file below DIR, for an operator who publishes an update.
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
};

bool dosyalari_topla(const fs::path& kok, std::vector<girdi>& dosyalar) {
    std::error_code ec;
    fs::recursive_directory_iterator it(kok, ec), son;
    if (ec) {
        std::fprintf(stderr, "morvatan-liste: %s okunamadi: %s\n", kok.c_str(), ec.message().c_str());
        return false;
    }
    bool tamam = true;
    for (; it != son; it.increment(ec)) {
        if (ec) break;
        if (!it->is_regular_file()) continue;
        std::string yol = it->path().lexically_relative(kok).generic_string();
        if (yol == LISTE_ADI || yol == std::string(LISTE_ADI) + ".yeni") continue;
        if (!guncelleme::yol_gecerli_mi(yol) || yol.find('\n') != std::string::npos ||
            yol.find('\r') != std::string::npos) {
            std::fprintf(stderr, "morvatan-liste: launcher bu yolu kabul etmez: %s\n", yol.c_str());
            tamam = false;
            continue;
        }
        dosyalar.push_back({yol, int64_t(it->file_size()), ""});
    }
    if (ec) {
        std::fprintf(stderr, "morvatan-liste: klasor okunamadi: %s\n", ec.message().c_str());
        return false;
    }
    return tamam;
}

void ozetle(const fs::path& kok, std::vector<girdi>& dosyalar) {
    std::atomic<size_t> sira{0};
    auto isci = [&] {
        for (size_t i; (i = sira.fetch_add(1)) < dosyalar.size();)
            dosyalar[i].ozet = sha256::dosya_ozeti((kok / dosyalar[i].yol).string());
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
    ozetle(kok, dosyalar);
    if (!liste_yaz(kok, dosyalar, surum)) return 1;
    std::printf("%zu dosya: %s\n", dosyalar.size(), (kok / LISTE_ADI).c_str());
    return 0;
}
