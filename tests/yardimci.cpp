// Test helpers: temporary directories, commands, child processes and the run-time copy.
// Used by the tests only.
#include "tests/yardimci.h"

#include "updater/sha256.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace yardimci {

gecici_dizin::gecici_dizin(const std::string& ust) {
    std::string sablon = ust + "/morvatan-test-XXXXXX";
    yol = mkdtemp(sablon.data());
}

gecici_dizin::~gecici_dizin() {
    std::error_code ec;
    fs::remove_all(yol, ec);
}

dizin_degistir::dizin_degistir(const std::string& hedef) : eski(fs::current_path().string()) {
    fs::current_path(hedef);
}

dizin_degistir::~dizin_degistir() {
    std::error_code ec;
    fs::current_path(eski, ec);
}

bool bekle_ki(const std::function<bool()>& kosul, double saniye) {
    auto son = std::chrono::steady_clock::now() + std::chrono::duration<double>(saniye);
    while (std::chrono::steady_clock::now() < son) {
        if (kosul()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return kosul();
}

std::string komut(const std::string& satir, int* durum) {
    std::string cikti;
    FILE* boru = popen(satir.c_str(), "r");
    if (!boru) {
        if (durum) *durum = -1;
        return cikti;
    }
    char tampon[4096];
    size_t n;
    while ((n = fread(tampon, 1, sizeof tampon, boru)) > 0) cikti.append(tampon, n);
    int s = pclose(boru);
    if (durum) *durum = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
    return cikti;
}

pid_t baslat(const std::string& yol, const std::string& hata_dosyasi) {
    // The launcher writes its desktop entry under HOME: keep it inside the test's directory.
    const std::string ev = fs::path(yol).parent_path().string() + "/ev";
    pid_t pid = fork();
    if (pid == 0) {
        setenv("HOME", ev.c_str(), 1);
        FILE* f = std::freopen(hata_dosyasi.c_str(), "w", stderr);
        (void)f;
        // Only the standard streams, as from a desktop: what the launcher holds beyond them
        // is its own.
        close_range(3, ~0u, 0);
        execl(yol.c_str(), yol.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

int bekle(pid_t pid, double saniye) {
    auto son = std::chrono::steady_clock::now() + std::chrono::duration<double>(saniye);
    int durum = 0;
    while (std::chrono::steady_clock::now() < son) {
        pid_t r = waitpid(pid, &durum, WNOHANG);
        if (r == pid) {
            if (WIFEXITED(durum)) return WEXITSTATUS(durum);
            if (WIFSIGNALED(durum)) return 128 + WTERMSIG(durum);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &durum, 0);
    return -1;
}

bool calisiyor_mu(pid_t pid) {
    int durum = 0;
    return waitpid(pid, &durum, WNOHANG) == 0;
}

bool yasiyor_mu(pid_t pid) {
    if (pid <= 0 || kill(pid, 0) != 0) return false;
    const std::string stat = dosya_oku("/proc/" + std::to_string(pid) + "/stat");
    const size_t parantez = stat.rfind(')');
    return parantez == std::string::npos || parantez + 2 >= stat.size() || stat[parantez + 2] != 'Z';
}

void calisma_dizini_kur(const std::string& hedef, bool fontlarla) {
    const fs::path kaynak = MORVATAN_CALISMA_DIZINI;
    fs::copy_file(kaynak / "MorvatanLauncher", fs::path(hedef) / "MorvatanLauncher",
                  fs::copy_options::overwrite_existing);
    fs::copy_file(kaynak / "varsayilan.ini", fs::path(hedef) / "varsayilan.ini",
                  fs::copy_options::overwrite_existing);
    fs::copy(kaynak / "veri", fs::path(hedef) / "veri", fs::copy_options::recursive);
    fs::copy_file(kaynak / "demo_oyun", fs::path(hedef) / "demo_oyun", fs::copy_options::overwrite_existing);
    if (!fontlarla) fs::remove_all(fs::path(hedef) / "veri" / "font");
}

std::string dosya_oku(const std::string& yol) {
    std::ifstream f(yol, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

void dosya_yaz(const std::string& yol, const std::string& icerik) {
    std::ofstream f(yol, std::ios::binary | std::ios::trunc);
    f << icerik;
}

// True once the child has ended; it is left unreaped for the caller's bekle().
bool bitmis_mi(pid_t pid) {
    siginfo_t bilgi{};
    return waitid(P_PID, id_t(pid), &bilgi, WEXITED | WNOHANG | WNOWAIT) == 0 && bilgi.si_pid == pid;
}

std::string pencere_bul(pid_t pid, double saniye) {
    auto son = std::chrono::steady_clock::now() + std::chrono::duration<double>(saniye);
    while (std::chrono::steady_clock::now() < son) {
        if (bitmis_mi(pid)) return "";  // no window will come: say so at once, not after the wait
        std::string id = komut("xdotool search --onlyvisible --pid " + std::to_string(pid) + " 2>/dev/null");
        size_t satir = id.find('\n');
        if (satir != std::string::npos && satir > 0) return id.substr(0, satir);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return "";
}

pid_t port_yazanla_baslat(const std::vector<std::string>& komut_satiri, int& port) {
    std::vector<char*> argv;
    for (const std::string& a : komut_satiri) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int uclar[2];
    port = 0;
    if (pipe(uclar) != 0) return -1;
    pid_t pid = fork();
    if (pid == 0) {
        dup2(uclar[1], STDOUT_FILENO);
        close(uclar[0]);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(uclar[1]);
    std::string satir;
    char c;
    while (read(uclar[0], &c, 1) == 1 && c != '\n') satir += c;
    close(uclar[0]);
    port = satir.empty() ? 0 : std::atoi(satir.c_str());
    return pid;
}

void durdur(pid_t pid) {
    if (pid <= 0) return;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

test_sunucusu::test_sunucusu(const std::string& ust_dizin)
    : ust(ust_dizin.empty() ? kendi_dizini.yol : ust_dizin), kok(ust + "/site") {
    fs::create_directories(kok);
    pid = port_yazanla_baslat({"python3", std::string(MORVATAN_KAYNAK_DIZINI) + "/tests/sunucu.py", kok}, port);
}

hesap_servisi::hesap_servisi(const std::string& hesaplar_json) {
    dosya_yaz(dizin.yol + "/hesaplar.json", hesaplar_json);
    kayit = dizin.yol + "/kayit.jsonl";
    pid = port_yazanla_baslat({"python3", std::string(MORVATAN_KAYNAK_DIZINI) + "/tools/hesap_sunucusu.py",
                               dizin.yol + "/hesaplar.json", "--kayit", kayit},
                              port);
}

hesap_servisi::~hesap_servisi() { durdur(pid); }

std::string hesap_servisi::adres() const { return "http://127.0.0.1:" + std::to_string(port) + "/api"; }

std::string hesap_servisi::kod(const std::string& ad) const {
    std::string k = komut("python3 " + std::string(MORVATAN_KAYNAK_DIZINI) + "/tools/hesap_sunucusu.py " + dizin.yol +
                          "/hesaplar.json --kod " + ad);
    while (!k.empty() && k.back() == '\n') k.pop_back();
    return k;
}

test_sunucusu::~test_sunucusu() { durdur(pid); }

std::string test_sunucusu::adres() const { return "http://127.0.0.1:" + std::to_string(port) + "/"; }

void test_sunucusu::hata(const std::string& kip, const std::string& yol) {
    std::ofstream f(ust + "/hatalar.txt", std::ios::app);
    f << kip << ' ' << yol << '\n';
}

void test_sunucusu::hatalari_temizle() { fs::remove(ust + "/hatalar.txt"); }

std::string test_sunucusu::istekler() const { return dosya_oku(ust + "/istekler.log"); }

void test_sunucusu::istekleri_temizle() {
    fs::remove(ust + "/istekler.log");
    fs::remove(ust + "/gonderilen.log");
}

int64_t test_sunucusu::gonderilen(const std::string& yol) const {
    std::istringstream satirlar(dosya_oku(ust + "/gonderilen.log"));
    int64_t toplam = 0;
    for (std::string satir; std::getline(satirlar, satir);) {
        const size_t bosluk = satir.rfind(' ');
        if (bosluk != std::string::npos && satir.substr(0, bosluk) == yol) toplam += std::stoll(satir.substr(bosluk + 1));
    }
    return toplam;
}

void test_sunucusu::dosya(const std::string& yol, const std::string& icerik) {
    fs::path p = fs::path(kok) / yol;
    fs::create_directories(p.parent_path());
    dosya_yaz(p.string(), icerik);
}

void test_sunucusu::yayinla(const std::map<std::string, std::string>& dosyalar, const std::string& ek) {
    std::string liste = "morvatan-liste 1\nsurum 2.0.1\n";
    for (const auto& [yol, icerik] : dosyalar) {
        dosya(yol, icerik);
        liste += ozet(icerik) + " " + std::to_string(icerik.size()) + " " + yol + "\n";
    }
    dosya("dosyalar-linux.txt", liste + ek);
}

oyun_sunucusu::oyun_sunucusu(const std::string& kip, const std::string& ek_hesaplar) {
    dosya_yaz(dizin.yol + "/haberler.txt",
              "09.12|Kış etkinliği|Karlı haritalar açıldı.\n10.12|Bakım|Sunucular 02:00'de kapanır.\n");
    dosya_yaz(dizin.yol + "/hesaplar.txt",
              "ali parola\nveli parola bilet=T-42\nkilit parola kod=3\nsurumcu parola kod=2\n"
              "oyunda parola kod=4\nozel parola kod=9:Hesap askida.\nbakim parola ret=tam!\n" + ek_hesaplar);
    kayit = dizin.yol + "/kayit.txt";
    pid = port_yazanla_baslat({MORVATAN_OYUN_SUNUCUSU, "--port", "0", "--haberler", dizin.yol + "/haberler.txt",
                               "--hesaplar", dizin.yol + "/hesaplar.txt", "--kip", kip, "--kayit", kayit},
                              port);
}

oyun_sunucusu::~oyun_sunucusu() { durdur(pid); }

std::string oyun_sunucusu::adres() const { return "127.0.0.1:" + std::to_string(port); }

int bellekte_say(pid_t pid, const std::string& aranan) {
    const unsigned long PARCA = 16ul << 20;       // read in slices; mappings can be large
    const unsigned long EN_BUYUK = 4ul << 30;     // larger ones are sanitizer shadow, not data
    std::ifstream haritalar("/proc/" + std::to_string(pid) + "/maps");
    const int bellek = open(("/proc/" + std::to_string(pid) + "/mem").c_str(), O_RDONLY | O_CLOEXEC);
    int adet = 0;
    std::vector<char> tampon(PARCA + aranan.size());
    for (std::string satir; std::getline(haritalar, satir);) {
        unsigned long bas = 0, son = 0;
        char izin[5] = {0};
        if (std::sscanf(satir.c_str(), "%lx-%lx %4s", &bas, &son, izin) != 3 || izin[0] != 'r') continue;
        if (son - bas > EN_BUYUK) continue;
        // Slices overlap by the needle's length less one, so nothing is missed or counted twice.
        for (unsigned long p = bas; p < son; p += PARCA) {
            const unsigned long n = std::min(son - p, PARCA + aranan.size() - 1);
            const ssize_t okunan = pread(bellek, tampon.data(), n, off_t(p));
            if (okunan <= 0) break;
            const auto sonu = tampon.begin() + okunan;
            for (auto it = tampon.begin(); (it = std::search(it, sonu, aranan.begin(), aranan.end())) != sonu; ++it)
                if (size_t(it - tampon.begin()) < PARCA) ++adet;
        }
    }
    if (bellek >= 0) close(bellek);
    return adet;
}

std::string ozet(const std::string& icerik) {
    sha256::baglam b;
    sha256::baslangic(b);
    sha256::ekle(b, reinterpret_cast<const uint8_t*>(icerik.data()), icerik.size());
    return sha256::onaltilik(sha256::bitir(b));
}

std::string rastgele_veri(size_t n) {
    std::string veri(n, '\0');
    uint64_t x = 0x9E3779B97F4A7C15ull;
    for (char& c : veri) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        c = char(x >> 56);
    }
    return veri;
}

}  // namespace yardimci
