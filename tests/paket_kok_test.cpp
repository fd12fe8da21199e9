// The player's package (tools/paket.sh) on other players' systems: minimal Debian roots
// (tools/kok.sh) holding only what a desktop has. The package is unpacked into the root's
// unprivileged player's folder and run there under the root's own X server: it updates
// itself (a new launcher and a new bundled library) and restarts into them, shows the news,
// signs in with a two-step code into the demo game and ends. Every program of the package
// needs nothing such a system lacks, and the operator's tool signs and verifies a release on
// a bare base system.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "tests/dunya.h"
#include "tests/launcher_penceresi.h"
#include "tests/yardimci.h"

namespace fs = std::filesystem;

namespace {

using launcher_penceresi::calisan_launcher;
using yardimci::bekle_ki;
using yardimci::dosya_oku;
using yardimci::komut;
using yardimci::yasiyor_mu;
using namespace dunya_yolu;

const char* const PAKET_ADI = "MorvatanOnline-linux-x86_64";

// The root (MORVATAN_KOK) and the package folder (MORVATAN_PAKET), or a skip when this build
// made neither; the test command sets MORVATAN_KOK_ZORUNLU, and a missing one fails there.
bool hazir(std::string& kok, std::string& paket) {
    kok = std::getenv("MORVATAN_KOK") ? std::getenv("MORVATAN_KOK") : "";
    paket = std::getenv("MORVATAN_PAKET") ? std::getenv("MORVATAN_PAKET") : "";
    if (!kok.empty() && fs::exists(kok + "/.morvatan-kok") && fs::exists(paket + "/" + PAKET_ADI + ".tar.gz"))
        return true;
    if (std::getenv("MORVATAN_KOK_ZORUNLU")) {
        ADD_FAILURE() << "no root at '" << kok << "' or no package in '" << paket << "' (tools/kok.sh, tools/paket.sh)";
        return false;
    }
    return false;
}
#define HAZIR_DEGILSE_ATLA(kok, paket)                                                            \
    if (!hazir(kok, paket)) {                                                                     \
        if (!HasFailure()) GTEST_SKIP() << "no package or root; tools/kur.sh test makes them";   \
        return;                                                                                   \
    }

// A command's output without its closing line feeds.
std::string cikti(const std::string& k) {
    std::string s = komut(k);
    while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
    return s;
}

// Libraries the package may need from the system: glibc's, libGL and libX11; every other
// one must travel in its lib/.
const std::set<std::string> SISTEMIN = {"libc.so.6", "libm.so.6", "libpthread.so.0", "libdl.so.2", "librt.so.1",
                                        "ld-linux-x86-64.so.2", "libGL.so.1", "libX11.so.6"};

std::vector<std::string> gerekenler(const std::string& elf) {
    std::vector<std::string> v;
    std::istringstream s(komut("readelf -d '" + elf + "' | sed -n 's/.*(NEEDED).*\\[\\(.*\\)\\]/\\1/p'"));
    for (std::string satir; std::getline(s, satir);) v.push_back(satir);
    return v;
}

// The inode the process maps for a file whose path ends in `son`, or 0.
ino_t eslenen_dugum(pid_t pid, const std::string& son) {
    std::istringstream s(dosya_oku("/proc/" + std::to_string(pid) + "/maps"));
    for (std::string satir; std::getline(s, satir);) {
        if (satir.size() < son.size() || satir.compare(satir.size() - son.size(), son.size(), son) != 0) continue;
        std::istringstream alanlar(satir);
        std::string adres, izin, konum, aygit;
        unsigned long dugum = 0;
        alanlar >> adres >> izin >> konum >> aygit >> dugum;
        return ino_t(dugum);
    }
    return 0;
}

TEST(PaketKok, EveryProgramOfThePackageNeedsOnlyGlibcLibGLAndLibX11) {
    std::string kok, paket;
    HAZIR_DEGILSE_ATLA(kok, paket);
    yardimci::gecici_dizin d;
    komut("tar -xzf '" + paket + "/" + PAKET_ADI + ".tar.gz' -C " + d.yol);
    const std::string ic = d.yol + "/" + PAKET_ADI;
    std::set<std::string> tasinan;
    for (const auto& e : fs::directory_iterator(ic + "/lib")) tasinan.insert(e.path().filename());
    EXPECT_EQ(tasinan, (std::set<std::string>{"libenet.so.7", "libglfw.so.3"}));
    int elfler = 0;
    for (const auto& e : fs::recursive_directory_iterator(ic)) {
        if (!e.is_regular_file() || dosya_oku(e.path()).compare(0, 4, "\x7f" "ELF") != 0) continue;
        ++elfler;
        for (const std::string& k : gerekenler(e.path()))
            EXPECT_TRUE(SISTEMIN.count(k) || tasinan.count(k)) << e.path() << " needs " << k;
        // Stripped: the debug information is in the operator's file of its own.
        EXPECT_EQ(cikti("readelf -S '" + e.path().string() + "' | grep -c '\\.debug_'"), "0") << e.path();
    }
    EXPECT_EQ(elfler, 3);
    EXPECT_NE(komut("readelf -d '" + ic + "/MorvatanLauncher'").find("Library runpath: [$ORIGIN/lib]"),
              std::string::npos);
    for (const std::string& k : gerekenler(paket + "/morvatan-liste"))
        EXPECT_TRUE(k == "libc.so.6" || k == "libpthread.so.0" || k == "libm.so.6" || k == "ld-linux-x86-64.so.2")
            << "morvatan-liste needs " << k;
    EXPECT_NE(komut("tar -tzf '" + paket + "/" + PAKET_ADI + "-debug.tar.gz'").find("MorvatanLauncher.debug"),
              std::string::npos);
}

// The operator's tool on a system with nothing but the base: a key, a signed release with a
// file large enough for a block index, and the check a launcher would make.
TEST(PaketKok, TheOperatorsToolSignsAndVerifiesOnABareSystem) {
    std::string kok, paket;
    HAZIR_DEGILSE_ATLA(kok, paket);
    yardimci::gecici_dizin d(kok + "/tmp");
    const std::string ic = d.yol.substr(kok.size());
    fs::copy_file(paket + "/morvatan-liste", d.yol + "/morvatan-liste");
    fs::create_directories(d.yol + "/yayin/oyun");
    std::ofstream(d.yol + "/yayin/oyun/kucuk.txt") << "merhaba\n";
    komut("head -c 3145728 /dev/urandom > " + d.yol + "/yayin/oyun/buyuk.dat");
    const std::string icinde = "bash " + std::string(MORVATAN_KAYNAK_DIZINI) + "/tools/kok.sh --calistir " + kok + " ";
    const std::string acik = cikti(icinde + ic + "/morvatan-liste --anahtar-uret " + ic + "/gizli");
    ASSERT_EQ(acik.size(), 64u) << acik;
    EXPECT_EQ(cikti(icinde + ic + "/morvatan-liste --imzala " + ic + "/gizli " + ic + "/yayin 1.0.0 >/dev/null; echo $?"), "0");
    EXPECT_EQ(cikti(icinde + ic + "/morvatan-liste --dogrula " + acik + " " + ic + "/yayin >/dev/null; echo $?"), "0");
    EXPECT_NE(dosya_oku(d.yol + "/yayin/dosyalar-linux.txt").find("oyun/buyuk.dat"), std::string::npos);
    std::ofstream(d.yol + "/yayin/oyun/kucuk.txt") << "degisti\n";
    EXPECT_NE(cikti(icinde + ic + "/morvatan-liste --dogrula " + acik + " " + ic + "/yayin >/dev/null 2>&1; echo $?"), "0");
}

TEST(PaketKok, ThePackageUpdatesItselfSignsInAndPlaysOnAMinimalSystem) {
    std::string kok, paket;
    HAZIR_DEGILSE_ATLA(kok, paket);
    dunya d({"DUNYA_KOK=" + kok, "DUNYA_PAKET=" + paket, "DUNYA_KENDI_GUNCELLEMESI=1"}, kok + "/home/oyuncu");
    fs::permissions(d.dizin.yol, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                     fs::perms::others_read | fs::perms::others_exec);
    yolculuk y("paket_" + fs::path(kok).filename().string());
    const pid_t ilk = [&] {
        bekle_ki([&] { return d.launcher_pid() > 0 || !yasiyor_mu(d.betik); }, 60);
        return d.launcher_pid();
    }();
    ASSERT_GT(ilk, 0) << adim_olmadi("launcher basladi", dosya_oku(d.cikti));
    const std::string kurulum = d.kok + "/launcher", site = d.kok + "/sunucu/guncelleme";
    pid_t yeni = 0;
    ASSERT_TRUE(bekle_ki([&] {
        yeni = pid_t(std::atoi(dosya_oku(kurulum + "/launcher.kilit").c_str()));
        return yeni > 0 && yeni != ilk && yasiyor_mu(yeni);
    }, 60)) << adim_olmadi("yeni launcher kilidi aldi", dosya_oku(d.cikti));
    EXPECT_TRUE(dosya_oku(kurulum + "/MorvatanLauncher") == dosya_oku(site + "/MorvatanLauncher"))
        << adim_olmadi("yeni launcher yerinde", "");
    EXPECT_TRUE(dosya_oku(kurulum + "/lib/libglfw.so.3") == dosya_oku(site + "/lib/libglfw.so.3"))
        << adim_olmadi("yeni kutuphane yerinde", "");
    calisan_launcher l(yeni);
    ASSERT_FALSE(l.id.empty()) << adim_olmadi("yeni launcher penceresi", dosya_oku(d.cikti));
    // The restarted launcher runs the new library, not the one the first process mapped.
    struct stat st {};
    ASSERT_EQ(stat((kurulum + "/lib/libglfw.so.3").c_str(), &st), 0);
    EXPECT_EQ(eslenen_dugum(yeni, "/lib/libglfw.so.3"), st.st_ino) << adim_olmadi("yeni kutuphane yuklendi", "");
    EXPECT_TRUE(bekle_ki([&] { return durum_satiri(l).find("ncel") != std::string::npos; }, 30))
        << adim_olmadi("guncelleme bitti", durum_satiri(l));
    EXPECT_TRUE(bekle_ki([&] { return l.ekran_yazisi(392, 242, 346, 36).find("DEMO") != std::string::npos; }, 15))
        << adim_olmadi("haberler", l.ekran_yazisi(392, 242, 346, 36));
    EXPECT_TRUE(bekle_ki([&] { return alt_satir(l).find("1.1.0") != std::string::npos; }, 10))
        << adim_olmadi("yeni surum gorundu", alt_satir(l));
    y.resim("ana_ekran");
    giris_ve_oyun(d, y, l);
    dunya_kapanir(d);
}

}  // namespace
