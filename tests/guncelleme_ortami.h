// The fixture of whole update runs: a temporary launcher directory as the working
// directory, the real test HTTP server, publishing helpers and request counts.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "platform/aktarim.h"
#include "tests/surec_durumu.h"
#include "tests/yardimci.h"
#include "updater/durum.h"
#include "updater/isci.h"
#include "updater/tekrar.h"

namespace {

using yardimci::dosya_oku;
using yardimci::dosya_yaz;

class GuncellemeOrtami : public yardimci::SurecTesti {
protected:
    yardimci::gecici_dizin kurulum;
    yardimci::dizin_degistir burada{kurulum.yol};
    std::unique_ptr<yardimci::test_sunucusu> sunucu;

    void SetUp() override {
        sunucu = std::make_unique<yardimci::test_sunucusu>();
        ASSERT_GT(sunucu->port, 0);
        yardimci::SurecTesti::SetUp();
        guncelleme::tekrar_olcegi_koy(0.01);  // retries still happen, in milliseconds
    }

    // Publishes the files and a manifest listing them (plus any extra lines).
    void yayinla(const std::map<std::string, std::string>& dosyalar, const std::string& ek = "") {
        sunucu->yayinla(dosyalar, ek);
    }
    int calistir(const std::string& adres = "") {
        guncelleme::calis(adres.empty() ? sunucu->adres() : adres, "MorvatanLauncher");
        return guncelleme::durum.load();
    }
    // How many times a path was requested since the log was last cleared.
    int istek_sayisi(const std::string& yol) {
        std::string log = sunucu->istekler();
        int n = 0;
        for (size_t p = 0; (p = log.find(yol + "\n", p)) != std::string::npos; p += yol.size())
            if (p == 0 || log[p - 1] == '\n') ++n;
        return n;
    }
    static bool indir_kaldi_mi() {
        for (auto& e : std::filesystem::recursive_directory_iterator("."))
            if (e.path().extension() == ".indir") return true;
        return false;
    }
};

}  // namespace
