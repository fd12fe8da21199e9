// Caches between the host and the player, as operators and cafés run them: Debian's nginx as
// the origin with the operators' guide's headers, squid as a café's proxy (reached through the
// players' ~/.curlrc), varnish as a CDN and nginx with proxy_cache and slice, each with the
// guide's configuration. Releases go out by the guide's symlink swap; every update runs the
// launcher's own worker (guncelle_calistir).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <thread>

#include "tests/yardimci.h"

namespace fs = std::filesystem;

namespace {

using yardimci::dosya_oku;
using yardimci::dosya_yaz;

int bos_port() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t n = sizeof a;
    int port = 0;
    if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &n) == 0)
        port = ntohs(a.sin_port);
    ::close(s);
    return port;
}

bool baglanir_mi(int port) {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool tamam = ::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(s);
    return tamam;
}

// A server from a Debian package on 127.0.0.1, in a process group of its own. `komut` gets
// the port to listen on (and writes its config); a port taken meanwhile by another test is
// given up for a new one. Ended with its whole group.
struct paket_sunucusu {
    pid_t pid = -1;
    int port = 0;

    void baslat(const std::function<std::vector<std::string>(int)>& komut, const std::string& gunluk) {
        for (int deneme = 0; deneme < 5 && port == 0; ++deneme) {
            const int p = bos_port();
            std::vector<std::string> satir = komut(p);
            std::fflush(nullptr);  // the child must not write out the test's buffered output
            pid = ::fork();
            if (pid == 0) {
                ::setpgid(0, 0);
                const int fd = ::open(gunluk.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
                ::dup2(fd, STDOUT_FILENO);
                ::dup2(fd, STDERR_FILENO);
                std::vector<char*> argv;
                for (std::string& a : satir) argv.push_back(a.data());
                argv.push_back(nullptr);
                ::execvp(argv[0], argv.data());
                ::_exit(127);
            }
            ::setpgid(pid, pid);
            if (yardimci::bekle_ki([&] { return baglanir_mi(p) || !yardimci::calisiyor_mu(pid); }, 30) &&
                yardimci::calisiyor_mu(pid))
                port = p;
            else durdur();
        }
    }
    void durdur() {
        if (pid <= 0) return;
        ::killpg(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        yardimci::bekle_ki([&] { return ::killpg(pid, 0) != 0; }, 10);
        pid = -1;
    }
    ~paket_sunucusu() { durdur(); }
};

std::string ornek(const std::string& ad) {
    return dosya_oku(std::string(MORVATAN_KAYNAK_DIZINI) + "/tools/onbellek/" + ad);
}

void degistir_bir(std::string& metin, const std::string& eski, const std::string& yeni) {
    const size_t i = metin.find(eski);
    ASSERT_NE(i, std::string::npos) << eski;
    metin.replace(i, eski.size(), yeni);
}

// nginx in `dizin` with `http` (given the port) as its http block's content.
void nginx_baslat(paket_sunucusu& s, const std::string& dizin, const std::function<std::string(int)>& http) {
    fs::create_directories(dizin + "/gecici");
    s.baslat(
        [&](int port) {
            const std::string g = dizin + "/gecici";
            dosya_yaz(dizin + "/nginx.conf",
                      std::string(::geteuid() == 0 ? "user root;\n" : "") + "worker_processes 1;\ndaemon off;\nerror_log " +
                          dizin + "/hata.log;\npid " + dizin + "/nginx.pid;\nevents { worker_connections 512; }\nhttp {\n" +
                          "client_body_temp_path " + g + "; proxy_temp_path " + g + "; fastcgi_temp_path " + g +
                          "; uwsgi_temp_path " + g + "; scgi_temp_path " + g + ";\n" + http(port) + "}\n");
            return std::vector<std::string>{"nginx", "-c", dizin + "/nginx.conf", "-p", dizin};
        },
        dizin + "/nginx.out");
}

// The origin: nginx serving `kok`/canli (a link to the live release) with the guide's cache
// headers and a log of every answer's URI, status and body bytes.
struct koken {
    yardimci::gecici_dizin d;
    std::string kok = d.yol + "/yayin", kayit = d.yol + "/erisim.log";
    paket_sunucusu s;

    koken() {
        fs::create_directories(kok + "/surumler");
        nginx_baslat(s, d.yol, [&](int port) {
            return "log_format sayim '$request_uri $status $body_bytes_sent';\naccess_log " + kayit +
                   " sayim;\nserver {\nlisten 127.0.0.1:" + std::to_string(port) + ";\nroot " + kok + "/canli;\n" +
                   ornek("nginx-kaynak.conf") + "}\n";
        });
    }
    std::string adres() const { return "http://127.0.0.1:" + std::to_string(s.port) + "/"; }
    // Body bytes the origin has sent since the log was last emptied.
    int64_t gonderilen() const {
        std::istringstream satirlar(dosya_oku(kayit));
        int64_t toplam = 0;
        for (std::string uri, durum; satirlar >> uri >> durum;) {
            int64_t bayt = 0;
            satirlar >> bayt;
            toplam += bayt;
        }
        return toplam;
    }
    void kaydi_sil() const { std::ofstream(kayit, std::ios::trunc); }
};

// One release: files written into surumler/AD, listed and signed, then made live by the
// guide's swap of the `canli` link.
struct yayinci {
    const koken& k;
    std::string gizli, acik;
    uint64_t sira = 0;

    explicit yayinci(const koken& k_) : k(k_), gizli(k_.d.yol + "/gizli.anahtar") {
        acik = yardimci::komut(std::string(MORVATAN_LISTE) + " --anahtar-uret " + gizli);
        if (!acik.empty()) acik.pop_back();
    }
    std::string hazirla(const std::string& ad, const std::map<std::string, std::string>& dosyalar) {
        const std::string dizin = k.kok + "/surumler/" + ad;
        for (const auto& [yol, icerik] : dosyalar) {
            fs::create_directories(fs::path(dizin + "/" + yol).parent_path());
            dosya_yaz(dizin + "/" + yol, icerik);
        }
        int durum = -1;
        yardimci::komut(std::string(MORVATAN_LISTE) + " --imzala " + gizli + " " + dizin + " " + ad + " --sira " +
                            std::to_string(++sira) + " >/dev/null",
                        &durum);
        EXPECT_EQ(durum, 0) << ad;
        // Releases of a test come within a second; nginx's validators are the time in seconds and
        // the size, so each release's pair gets a second of its own, as real publishes have.
        const std::string zaman = "@" + std::to_string(std::time(nullptr) - 1000 + int64_t(sira) * 10);
        yardimci::komut("touch -d " + zaman + " " + dizin + "/dosyalar-linux.txt " + dizin + "/dosyalar-linux.txt.imza");
        return dizin;
    }
    void canliya_al(const std::string& ad) const {
        yardimci::komut("cd " + k.kok + " && ln -sfn surumler/" + ad + " canli.yeni && mv -T canli.yeni canli");
    }
};

// A player's installation and its update runs through `adres`, with a ~/.curlrc of its own.
struct oyuncu {
    yardimci::gecici_dizin d;
    std::string kurulum = d.yol + "/kurulum", ev = d.yol + "/ev";

    explicit oyuncu(const std::string& curlrc = "") {
        fs::create_directories(kurulum);
        fs::create_directories(ev);
        if (!curlrc.empty()) dosya_yaz(ev + "/.curlrc", curlrc);
    }
    // Runs one update; returns the state number and fills `mesaj`.
    int guncelle(const std::string& adres, const std::string& anahtar, std::string& mesaj, int kib_sn = 0) const {
        const std::string hata = d.yol + "/mesaj.txt";
        const std::string cikti = yardimci::komut(
            "env -u http_proxy -u https_proxy -u HTTP_PROXY -u HTTPS_PROXY -u ALL_PROXY -u all_proxy -u no_proxy "
            "-u NO_PROXY -u CURL_HOME -u XDG_CONFIG_HOME HOME=" + ev + " " + MORVATAN_GUNCELLE_CALISTIR + " " +
            kurulum + " " + adres + " " + anahtar + (kib_sn ? " " + std::to_string(kib_sn) : "") + " 2>" + hata);
        mesaj = dosya_oku(hata);
        return cikti.empty() ? -1 : std::atoi(cikti.c_str());
    }
    bool esit_mi(const std::map<std::string, std::string>& dosyalar) const {
        for (const auto& [yol, icerik] : dosyalar)
            if (dosya_oku(kurulum + "/" + yol) != icerik) return false;
        return true;
    }
};

std::string degistir(std::string veri, size_t nerede, size_t n, char harf) {
    for (size_t i = 0; i < n && nerede + i < veri.size(); ++i) veri[nerede + i] = char(veri[nerede + i] ^ harf);
    return veri;
}

// Three releases: a large file changed in a few places each time (a delta), small files in
// batches, one of which goes back to its first content in the third release (its address is
// then the first release's again, which a cache still holds: the right bytes).
std::vector<std::map<std::string, std::string>> surumler() {
    std::map<std::string, std::string> a;
    a["oyun/buyuk.pak"] = yardimci::rastgele_veri(8 << 20);
    for (int i = 0; i < 30; ++i) a["oyun/k/" + std::to_string(i) + ".dat"] = yardimci::rastgele_veri(size_t(900 + 37 * i));
    std::map<std::string, std::string> b = a, c;
    b["oyun/buyuk.pak"] = degistir(degistir(a["oyun/buyuk.pak"], 1 << 20, 40000, 'b'), 6 << 20, 40000, 'b');
    for (int i = 0; i < 10; ++i) b["oyun/k/" + std::to_string(i) + ".dat"] += "b";
    c = b;
    c["oyun/buyuk.pak"] = degistir(b["oyun/buyuk.pak"], 3 << 20, 40000, 'c');
    for (int i = 5; i < 15; ++i) c["oyun/k/" + std::to_string(i) + ".dat"] += "c";
    c["oyun/k/0.dat"] = a["oyun/k/0.dat"];
    return {a, b, c};
}

// Releases A, B and C through a cache, two players each: both end byte-identical with no
// failure, and the second player costs the origin nearly nothing (its manifest pair's
// revalidation). Prints the origin's bytes for each player, cold and warm.
void onbellekten_gecir(const char* ad, const koken& k, const std::string& adres, const std::string& curlrc) {
    yayinci y(k);
    oyuncu birinci(curlrc), ikinci(curlrc);
    const std::vector<std::map<std::string, std::string>> s = surumler();
    const char* adlar[] = {"A", "B", "C"};
    for (size_t i = 0; i < s.size(); ++i) {
        y.hazirla(adlar[i], s[i]);
        y.canliya_al(adlar[i]);
        int64_t bayt[2];
        for (int o = 0; o < 2; ++o) {
            const oyuncu& p = o == 0 ? birinci : ikinci;
            k.kaydi_sil();
            std::string mesaj;
            EXPECT_EQ(p.guncelle(adres, y.acik, mesaj), 3) << ad << " " << adlar[i] << " oyuncu " << o << ": " << mesaj;
            EXPECT_TRUE(p.esit_mi(s[i])) << ad << " " << adlar[i] << " oyuncu " << o;
            bayt[o] = k.gonderilen();
        }
        std::printf("[ olcum ] %s surum %s: kaynaktan birinci oyuncu icin %lld bayt, ikinci icin %lld bayt\n", ad,
                    adlar[i], static_cast<long long>(bayt[0]), static_cast<long long>(bayt[1]));
        EXPECT_LT(bayt[1], 64 << 10) << ad << " " << adlar[i] << ": the warm cache sent the second player's bytes";
    }
}

TEST(Vekil, ACafesSquidSharesEveryReleaseAndItsDeltasAmongItsMachines) {
    koken k;
    ASSERT_GT(k.s.port, 0) << dosya_oku(k.d.yol + "/hata.log");
    yardimci::gecici_dizin d;
    paket_sunucusu squid;
    squid.baslat(
        [&](int port) {
            std::string conf = ornek("squid-kafe.conf");
            degistir_bir(conf, "http_port 3128", "http_port 127.0.0.1:" + std::to_string(port));
            degistir_bir(conf, "cache_dir ufs /var/spool/squid 100000 16 256", "");  // memory alone here
            dosya_yaz(d.yol + "/squid.conf", conf + "pid_filename none\ncache_log /dev/null\nshutdown_lifetime 0 seconds\npinger_enable off\n");
            return std::vector<std::string>{"squid", "-N", "-f", d.yol + "/squid.conf"};
        },
        d.yol + "/squid.out");
    ASSERT_GT(squid.port, 0) << dosya_oku(d.yol + "/squid.out");
    onbellekten_gecir("squid", k, k.adres(), "proxy = \"http://127.0.0.1:" + std::to_string(squid.port) + "\"\n");
}

// Varnish in `dizin` with the guide's VCL in front of `k`; its address.
std::string varnish_baslat(paket_sunucusu& varnish, const std::string& dizin, const koken& k) {
    fs::create_directories(dizin + "/varnish");
    varnish.baslat(
        [&](int port) {
            std::string vcl = ornek("varnish-cdn.vcl");
            degistir_bir(vcl, ".host = \"guncelleme.example\";", ".host = \"127.0.0.1\";");
            degistir_bir(vcl, ".port = \"80\";", ".port = \"" + std::to_string(k.s.port) + "\";");
            dosya_yaz(dizin + "/cdn.vcl", vcl);
            return std::vector<std::string>{"varnishd", "-F", "-j", "none", "-n", dizin + "/varnish", "-a",
                                            "127.0.0.1:" + std::to_string(port), "-f", dizin + "/cdn.vcl", "-s",
                                            "malloc,256m", "-T", "none"};
        },
        dizin + "/varnish.out");
    return "http://127.0.0.1:" + std::to_string(varnish.port) + "/";
}

TEST(Vekil, ACdnOfVarnishAndOneOfNginxSliceFetchRangesAndServeBothPlayers) {
    koken k;
    ASSERT_GT(k.s.port, 0) << dosya_oku(k.d.yol + "/hata.log");
    yardimci::gecici_dizin d;
    paket_sunucusu varnish, nginx;
    const std::string cdn = varnish_baslat(varnish, d.yol, k);
    ASSERT_GT(varnish.port, 0) << dosya_oku(d.yol + "/varnish.out");
    onbellekten_gecir("varnish", k, cdn, "");

    koken k2;
    ASSERT_GT(k2.s.port, 0);
    nginx_baslat(nginx, d.yol + "/nginx", [&](int port) {
        std::string conf = ornek("nginx-onbellek.conf");
        degistir_bir(conf, "/var/cache/nginx/morvatan", d.yol + "/nginx/onbellek");
        degistir_bir(conf, "listen 8081;", "listen 127.0.0.1:" + std::to_string(port) + ";");
        for (int i = 0; i < 2; ++i)
            degistir_bir(conf, "http://guncelleme.example;", "http://127.0.0.1:" + std::to_string(k2.s.port) + ";");
        return "access_log off;\n" + conf;
    });
    ASSERT_GT(nginx.port, 0) << dosya_oku(d.yol + "/nginx/hata.log");
    onbellekten_gecir("nginx slice", k2, "http://127.0.0.1:" + std::to_string(nginx.port) + "/", "");
}

// A release published by the swap while a capped update runs through the CDN: the update ends
// in the new release in the same run, with nothing wrong installed on the way. Then a file
// uploaded wrong (the right size) and put right again: the CDN keeps the wrong copy, which
// --dogrula through the CDN names while the origin checks out, and which the launcher's
// second look (asked with no-cache) replaces.
TEST(Vekil, AReleaseDuringAnUpdateAndAStaleCopyInTheCdnAreBothOutlived) {
    koken k;
    ASSERT_GT(k.s.port, 0) << dosya_oku(k.d.yol + "/hata.log");
    yardimci::gecici_dizin d;
    paket_sunucusu varnish;
    const std::string cdn = varnish_baslat(varnish, d.yol, k);
    ASSERT_GT(varnish.port, 0) << dosya_oku(d.yol + "/varnish.out");
    yayinci y(k);
    const std::vector<std::map<std::string, std::string>> s = surumler();
    y.hazirla("A", s[0]);
    y.hazirla("B", s[1]);
    y.canliya_al("A");
    oyuncu o;
    std::string mesaj;
    k.kaydi_sil();
    // B goes live once A's files are on their way (the origin has answered for one of them):
    // at the cap the rest of A takes seconds more.
    std::thread yayin([&] {
        yardimci::bekle_ki([&] { return dosya_oku(k.kayit).find("/oyun/") != std::string::npos; }, 60);
        y.canliya_al("B");
    });
    EXPECT_EQ(o.guncelle(cdn, y.acik, mesaj, 2048), 3) << mesaj;
    yayin.join();
    EXPECT_TRUE(o.esit_mi(s[1]));
    EXPECT_EQ(yardimci::komut("grep -c '^/dosyalar-linux.txt ' " + k.kayit), "2\n");  // read again once
    EXPECT_EQ(o.guncelle(cdn, y.acik, mesaj), 3) << mesaj;  // and it stays there

    // The next release goes out with one file uploaded wrong; the first player to ask puts the
    // wrong copy into the CDN, and the second look cannot help while the host serves it.
    y.hazirla("C", s[2]);
    const std::string yanlis = k.kok + "/surumler/C/oyun/k/10.dat";
    const std::string dogru = dosya_oku(yanlis);
    dosya_yaz(yanlis, std::string(dogru.size(), 'w'));
    y.canliya_al("C");
    oyuncu yeni;
    EXPECT_EQ(yeni.guncelle(cdn, y.acik, mesaj), 4);
    EXPECT_EQ(mesaj, "İndirme başarısız: oyun/k/10.dat (dosya bozuk geldi)\n");
    dosya_yaz(yanlis, dogru);
    const std::string dogrula = std::string(MORVATAN_LISTE) + " --dogrula " + y.acik + " ";
    int durum = -1;
    const std::string cikti = yardimci::komut(dogrula + cdn + " 2>&1", &durum);
    EXPECT_EQ(durum, 1);
    EXPECT_NE(cikti.find("oyun/k/10.dat: gelen dosya listedekiyle ayni degil"), std::string::npos) << cikti;
    yardimci::komut(dogrula + k.adres() + " 2>&1", &durum);
    EXPECT_EQ(durum, 0);
    EXPECT_EQ(yeni.guncelle(cdn, y.acik, mesaj), 3) << mesaj;
    EXPECT_TRUE(yeni.esit_mi(s[2]));
}

}  // namespace
