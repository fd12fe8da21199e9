// The one-command local world as a fixture for journeys; see tests/dunya.h.
#include "tests/dunya.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace dunya_yolu {

using yardimci::bekle_ki;
using yardimci::dosya_oku;
using yardimci::komut;
using yardimci::yasiyor_mu;

dunya::dunya(const std::vector<std::string>& secenekler, const std::string& ust)
    : dizin(ust), kok(dizin.yol + "/dunya"), ev(dizin.yol + "/ev"), cikti(dizin.yol + "/cikti.txt") {
    fs::create_directories(ev);
    betik = fork();
    if (betik == 0) {
        for (const std::string& s : secenekler) putenv(const_cast<char*>(s.c_str()));
        setenv("DUNYA_DIZINI", kok.c_str(), 1);
        setenv("DUNYA_EV", ev.c_str(), 1);
        const int fd = ::open(cikti.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(fd, STDOUT_FILENO);
        dup2(fd, STDERR_FILENO);
        const std::string betik_yolu = std::string(MORVATAN_KAYNAK_DIZINI) + "/tools/dunya.sh";
        execl("/bin/bash", "bash", betik_yolu.c_str(), MORVATAN_YAPI_DIZINI, static_cast<char*>(nullptr));
        _exit(127);
    }
}

dunya::~dunya() {
    if (yasiyor_mu(betik)) ::kill(betik, SIGTERM);
    yardimci::bekle(betik, 10);
}

pid_t dunya::launcher_pid() const { return pid_t(std::atoi(dosya_oku(kok + "/launcher.pid").c_str())); }

std::vector<pid_t> dunya::yardimcilar() const {
    std::vector<pid_t> v;
    std::istringstream s(dosya_oku(kok + "/yardimcilar.txt"));
    for (pid_t p; s >> p;) v.push_back(p);
    return v;
}

yolculuk::yolculuk(const std::string& ad) : klasor(std::string(MORVATAN_YAPI_DIZINI) + "/yolculuklar/" + ad) {
    fs::remove_all(klasor);
    fs::create_directories(klasor);
}

void yolculuk::resim(const std::string& adim) {
    char on[16];
    std::snprintf(on, sizeof on, "%02d_", ++sira);
    komut("import -window root " + klasor + "/" + on + adim + ".png");
}

std::string adim_olmadi(const std::string& adim, const std::string& ayrinti) {
    return "step '" + adim + "' did not happen: " + ayrinti;
}

std::string kutu_metni(const calisan_launcher& l) { return l.ekran_yazisi(170, 160, 460, 290, false); }
std::string durum_satiri(const calisan_launcher& l) { return l.ekran_yazisi(560, 416, 215, 22); }
std::string alt_satir(const calisan_launcher& l) { return l.ekran_yazisi(560, 582, 230, 20); }


void giris_ve_oyun(dunya& d, yolculuk& y, calisan_launcher& l) {
    ASSERT_TRUE(l.paneli_ac());
    l.yaz("ayse");
    l.tus("Tab");
    l.yaz("morvatan1");
    y.resim("giris_paneli");
    l.tus("Return");
    ASSERT_TRUE(bekle_ki([&] { return l.ekran_yazisi(170, 160, 460, 290, false).find("iki ad") != std::string::npos; }, 10))
        << adim_olmadi("iki adimli kod istegi", l.ekran_yazisi(170, 160, 460, 290, false));
    y.resim("kod_istegi");
    l.tus("Return");
    const std::string kod = komut("python3 " + std::string(MORVATAN_KAYNAK_DIZINI) + "/tools/hesap_sunucusu.py " +
                                  d.kok + "/hesaplar.json --kod ayse");
    l.yaz(kod.substr(0, 6));
    y.resim("kod_yazildi");
    l.tus("Return");
    ASSERT_TRUE(bekle_ki([&] { return !l.gorunur_mu(); }, 10)) << adim_olmadi("launcher gizlendi", l.hata_metni());
    pid_t oyun = 0;
    ASSERT_TRUE(bekle_ki([&] {
        oyun = pid_t(std::atoi(komut("pgrep -P " + std::to_string(l.pid) + " -f demo_oyun").c_str()));
        return oyun > 0;
    }, 10)) << adim_olmadi("demo oyun basladi", "");
    const std::string oyun_penceresi = yardimci::pencere_bul(oyun, 10);
    ASSERT_FALSE(oyun_penceresi.empty()) << adim_olmadi("demo oyun penceresi", "");
    const std::string cikti = dosya_oku(d.cikti), anahtar = "oyun sunucusu 127.0.0.1:";
    const size_t p = cikti.find(anahtar);
    ASSERT_NE(p, std::string::npos) << cikti;
    const std::string port = cikti.substr(p + anahtar.size(), cikti.find(' ', p + anahtar.size()) - p - anahtar.size());
    // The game draws its first frame in its own time: read it until both values show.
    const std::string resim = d.dizin.yol + "/oyun.png";
    std::string oyun_yazisi;
    const bool okundu = bekle_ki([&] {
        komut("import -window " + oyun_penceresi + " -resize 300% -colorspace Gray -negate " + resim);
        oyun_yazisi = komut("tesseract " + resim + " - --psm 6 2>/dev/null");
        return oyun_yazisi.find("Demo") != std::string::npos && oyun_yazisi.find("127.0.0.1:" + port) != std::string::npos;
    }, 10);
    y.resim("demo_oyun");
    EXPECT_TRUE(okundu) << adim_olmadi("demo oyun bileti ve sunucu adresi gosterdi", oyun_yazisi + " / port " + port);
    komut("xdotool mousemove --window " + oyun_penceresi + " 100 100 sleep 0.2 key space");
    ASSERT_TRUE(bekle_ki([&] { return l.gorunur_mu(); }, 10)) << adim_olmadi("kapanis resmi", "");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    y.resim("kapanis");
    l.konum_oku();
    l.tikla(640, 320);
    EXPECT_TRUE(bekle_ki([&] { return !yasiyor_mu(l.pid); }, 10)) << adim_olmadi("launcher kapandi", "");
}

void dunya_kapanir(dunya& d) {
    EXPECT_EQ(yardimci::bekle(d.betik, 20), 0) << adim_olmadi("dunya betigi bitti", dosya_oku(d.cikti));
    for (pid_t p : d.yardimcilar()) EXPECT_FALSE(yasiyor_mu(p)) << adim_olmadi("yardimci kapandi", std::to_string(p));
    const std::string desen = "[" + d.kok.substr(0, 1) + "]" + d.kok.substr(1);  // never matches pgrep's own shell
    EXPECT_EQ(komut("pgrep -af '" + desen + "'"), "") << adim_olmadi("hicbir surec kalmadi", "");
}

}  // namespace dunya_yolu
