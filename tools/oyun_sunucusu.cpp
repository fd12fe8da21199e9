// oyun_sunucusu: a reference game server for the launcher's server link, for tests and the
// demo. It listens on UDP 127.0.0.1 (ENet, CRC32 checksums like the launcher), answers status
// requests with a news list and logins from an accounts file, and can misbehave on purpose.
//
//   oyun_sunucusu [--port N] [--haberler FILE] [--hesaplar FILE] [--kip KIP] [--kayit FILE]
//
// With --kayit, one line per request is appended to FILE: "durum", "giris NAME" or "diger".
// It prints its port on the first line (port 0 picks a free one) and serves until killed.
// FILE formats, one entry a line ('#' starts a comment):
//   haberler: kisa|baslik|metin
//   hesaplar: NAME PASSWORD [bilet=TICKET | kod=N[:MESSAGE] | ret=REASON]
//             (default: a ticket "SV-NAME"; kod= refuses with that code, ret= rejects, type 7)
// KIP (the server's behaviour for every client):
//   normal (default), sessiz (connects, never answers), bozuk (answers with malformed
//   packets), buyuk (answers with lengths over the launcher's limits), ret (type 7 to every
//   request), kabul_etme (never accepts a connection: the port is open, ENet never runs).
// Any packet is read with bounds checks; nothing a client sends can crash it, and one slow or
// silent client never holds up another (one event loop serves them all).
#include <enet/enet.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

struct hesap {
    std::string sifre;
    std::string bilet;      // empty: "SV-" + name
    int kod = 0;            // refusal code, 0 for none
    std::string mesaj;      // refusal message
    std::string ret;        // type-7 reason
    bool ret_var = false;
};

struct ayarlar_t {
    uint16_t port = 27015;
    std::string kip = "normal";
    std::vector<std::string> haberler;  // "kisa|baslik|metin" lines
    std::map<std::string, hesap> hesaplar;
    std::string kayit;  // request log, empty for none
};

std::vector<std::string> satirlar(const std::string& yol) {
    std::vector<std::string> sonuc;
    std::ifstream f(yol);
    for (std::string s; std::getline(f, s);)
        if (!s.empty() && s[0] != '#') sonuc.push_back(s);
    return sonuc;
}

hesap hesap_coz(const std::string& sifre, const std::string& ek) {
    hesap h;
    h.sifre = sifre;
    if (ek.rfind("bilet=", 0) == 0) h.bilet = ek.substr(6);
    if (ek.rfind("kod=", 0) == 0) {
        h.kod = std::atoi(ek.c_str() + 4);
        const size_t iki_nokta = ek.find(':');
        if (iki_nokta != std::string::npos) h.mesaj = ek.substr(iki_nokta + 1);
    }
    if (ek.rfind("ret=", 0) == 0) {
        h.ret = ek.substr(4);
        h.ret_var = true;
    }
    return h;
}

bool ayarlari_oku(int argc, char** argv, ayarlar_t& a) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string ad = argv[i], deger = argv[i + 1];
        if (ad == "--port") a.port = uint16_t(std::atoi(deger.c_str()));
        else if (ad == "--kip") a.kip = deger;
        else if (ad == "--kayit") a.kayit = deger;
        else if (ad == "--haberler") a.haberler = satirlar(deger);
        else if (ad == "--hesaplar") {
            for (const std::string& s : satirlar(deger)) {
                const size_t b1 = s.find(' '), b2 = s.find(' ', b1 + 1);
                if (b1 == std::string::npos) continue;
                const std::string sifre = s.substr(b1 + 1, b2 == std::string::npos ? std::string::npos : b2 - b1 - 1);
                a.hesaplar[s.substr(0, b1)] = hesap_coz(sifre, b2 == std::string::npos ? "" : s.substr(b2 + 1));
            }
        } else return false;
    }
    return (argc % 2) == 1;
}

// ---- packets ----

void kisa_ekle(std::string& p, const std::string& s) {
    const size_t n = s.size() < 64 ? s.size() : 64;
    p += char(n);
    p.append(s, 0, n);
}

std::string durum_cevabi(const ayarlar_t& a) {
    std::string p(1, char(14));
    const size_t adet = a.haberler.size() < 255 ? a.haberler.size() : 255;
    p += char(adet);
    for (size_t i = 0; i < adet; ++i) {
        const std::string& s = a.haberler[i];
        const size_t b1 = s.find('|'), b2 = b1 == std::string::npos ? b1 : s.find('|', b1 + 1);
        const std::string kisa = s.substr(0, b1), baslik = b1 == std::string::npos ? "" : s.substr(b1 + 1, b2 - b1 - 1);
        std::string metin = b2 == std::string::npos ? "" : s.substr(b2 + 1);
        if (metin.size() > 2000) metin.resize(2000);
        kisa_ekle(p, kisa);
        kisa_ekle(p, baslik);
        p += char(metin.size() & 0xFF);
        p += char(metin.size() >> 8);
        p += metin;
    }
    return p;
}

// Reads a login request with bounds checks; false when it is cut short.
bool giris_oku(const enet_uint8* v, size_t n, uint32_t& surum, std::string& ad, std::string& sifre) {
    if (n < 6) return false;
    surum = uint32_t(v[1]) | uint32_t(v[2]) << 8 | uint32_t(v[3]) << 16 | uint32_t(v[4]) << 24;
    size_t p = 5;
    const size_t u = v[p++];
    if (u > 64 || p + u + 1 > n) return false;
    ad.assign(reinterpret_cast<const char*>(v + p), u);
    p += u;
    const size_t s = v[p++];
    if (s > 64 || p + s > n) return false;
    sifre.assign(reinterpret_cast<const char*>(v + p), s);
    return true;
}

std::string ret_paketi(const std::string& neden) {
    std::string p(1, char(7));
    kisa_ekle(p, neden);
    return p;
}

std::string giris_cevabi(const ayarlar_t& a, const enet_uint8* v, size_t n) {
    uint32_t surum = 0;
    std::string ad, sifre;
    if (!giris_oku(v, n, surum, ad, sifre)) return ret_paketi("bozuk istek");
    if (surum != 5) return std::string{char(12), char(2)};
    auto it = a.hesaplar.find(ad);
    if (it == a.hesaplar.end() || it->second.sifre != sifre) return std::string{char(12), char(1)};
    const hesap& h = it->second;
    if (h.ret_var) return ret_paketi(h.ret);
    if (h.kod != 0) {
        std::string p{char(12), char(h.kod)};
        if (!h.mesaj.empty()) kisa_ekle(p, h.mesaj);
        return p;
    }
    std::string p(1, char(11));
    kisa_ekle(p, "Morvatan");
    kisa_ekle(p, h.bilet.empty() ? "SV-" + ad : h.bilet);
    return p;
}

// The answer a misbehaving server gives instead, by kip and request type.
std::string kotu_cevap(const std::string& kip, enet_uint8 tur) {
    if (kip == "ret") return ret_paketi("bakimdayiz");
    if (kip == "bozuk") return tur == 13 ? std::string{char(14), char(3), char(2), 'a'} : std::string{char(11), char(5), 'x'};
    // buyuk: every length one past its limit
    if (tur == 13) return std::string{char(14), char(1), char(65)} + std::string(65, 'k');
    return std::string{char(11), char(1), 'x', char(65)} + std::string(65, 'b');
}

std::string cevap_kur(const ayarlar_t& a, const enet_uint8* v, size_t n) {
    if (n == 0) return "";
    if (a.kip != "normal") return kotu_cevap(a.kip, v[0]);
    if (v[0] == 13) return durum_cevabi(a);
    if (v[0] == 10) return giris_cevabi(a, v, n);
    return "";  // any other type: no answer
}

void kaydet(const ayarlar_t& a, const enet_uint8* v, size_t n) {
    if (a.kayit.empty()) return;
    std::ofstream f(a.kayit, std::ios::app);
    uint32_t surum = 0;
    std::string ad, sifre;
    if (n > 0 && v[0] == 13) f << "durum\n";
    else if (n > 0 && v[0] == 10 && giris_oku(v, n, surum, ad, sifre)) f << "giris " << ad << "\n";
    else f << "diger\n";
}

void gonder(ENetPeer* karsi, const std::string& p) {
    if (p.empty()) return;
    ENetPacket* paket = enet_packet_create(p.data(), p.size(), ENET_PACKET_FLAG_RELIABLE);
    if (paket && enet_peer_send(karsi, 0, paket) < 0) enet_packet_destroy(paket);
}

}  // namespace

int main(int argc, char** argv) {
    ayarlar_t a;
    if (!ayarlari_oku(argc, argv, a)) {
        std::fprintf(stderr, "kullanim: oyun_sunucusu [--port N] [--haberler DOSYA] [--hesaplar DOSYA] [--kip KIP] "
                             "[--kayit DOSYA]\n");
        return 2;
    }
    if (enet_initialize() != 0) return 1;
    ENetAddress adres{};
    enet_address_set_host(&adres, "127.0.0.1");
    adres.port = a.port;
    ENetHost* sunucu = enet_host_create(&adres, 64, 2, 0, 0);
    if (!sunucu) {
        std::fprintf(stderr, "oyun_sunucusu: port %u acilamadi\n", unsigned(a.port));
        return 1;
    }
    sunucu->checksum = enet_crc32;
    ENetAddress gercek{};
    enet_socket_get_address(sunucu->socket, &gercek);
    std::printf("%u\n", unsigned(gercek.port));
    std::fflush(stdout);
    if (a.kip == "kabul_etme") {
        while (true) pause();
    }
    while (true) {
        ENetEvent olay;
        if (enet_host_service(sunucu, &olay, 100) <= 0) continue;
        if (olay.type != ENET_EVENT_TYPE_RECEIVE) continue;
        kaydet(a, olay.packet->data, olay.packet->dataLength);
        if (a.kip != "sessiz") gonder(olay.peer, cevap_kur(a, olay.packet->data, olay.packet->dataLength));
        enet_packet_destroy(olay.packet);
        enet_host_flush(sunucu);
    }
}
