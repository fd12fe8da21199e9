// The game-server link: address parsing, the ENet host and peer, servicing with the time
// limits, the status poll and the settings save. The globals below are the link's state.
#include "server/baglanti.h"

#include <fcntl.h>

#include <arpa/inet.h>
#include <enet/enet.h>
#include <netdb.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <system_error>
#include <thread>

#include "app/ayarlar.h"
#include "app/mesaj.h"
#include "app/pencere.h"
#include "server/cevap.h"
#include "server/paket.h"
#include "ui/metin_alani.h"

int sunucu_durumu = SUNUCU_BAGLANIYOR;  // main thread
int baglanti_modu = 0;                  // main thread
double durum_sorgu_zamani = -100.0;     // main thread

namespace sunucu {

hal baglanti_hali = hal::BOSTA;
double baslangic = 0;
std::string kullanici;
gizli::dize sifre;

namespace {

ENetHost* istemci = nullptr;  // one per exchange: made at the connect, destroyed at the reset
ENetPeer* karsi = nullptr;    // the current connection

// A host-name lookup runs on a thread of its own, so a name server that does not answer never
// freezes the window. The thread owns its record together with the main thread; a lookup that
// is no longer wanted simply finishes into a record nobody reads.
struct cozumleme {
    std::atomic<bool> bitti{false};
    bool tamam = false;      // written by the lookup thread before `bitti`
    enet_uint32 adres = 0;   // IPv4, network byte order
};
std::shared_ptr<cozumleme> bekleyen;  // main thread: the lookup of the current connection
std::string bekleyen_ad;              // its host name, for the failure text
uint16_t bekleyen_port = 0;


bool istemci_hazirla() {
    if (istemci) return true;
    istemci = enet_host_create(nullptr, 1, 2, 0, 0);
    if (!istemci) return false;
    // ENet opens its socket without close-on-exec; curl, the browser and a restarted
    // launcher must not inherit it.
    ::fcntl(istemci->socket, F_SETFD, ::fcntl(istemci->socket, F_GETFD) | FD_CLOEXEC);
    istemci->mtu = MTU;
    istemci->checksum = enet_crc32;
    return true;
}

bool bosluk_mu(char c) { return c == ' ' || c == '\t'; }

void cozumle(std::shared_ptr<cozumleme> c, std::string ad) {
    addrinfo ipucu{};
    ipucu.ai_family = AF_INET;
    addrinfo* sonuc = nullptr;
    if (getaddrinfo(ad.c_str(), nullptr, &ipucu, &sonuc) == 0 && sonuc) {
        c->adres = reinterpret_cast<sockaddr_in*>(sonuc->ai_addr)->sin_addr.s_addr;
        c->tamam = true;
    }
    if (sonuc) freeaddrinfo(sonuc);
    c->bitti.store(true);
}

// The host is made only now, and our peer takes its one slot at once: a stranger who sends a
// connect to the launcher's port finds no room, and the port is gone once this exchange ends.
void karsiya_baglan(enet_uint32 host, uint16_t port) {
    ENetAddress adres{};
    adres.host = host;
    adres.port = port;
    karsi = istemci_hazirla() ? enet_host_connect(istemci, &adres, 2, 0) : nullptr;
    if (!karsi) return basarisiz({metinler::tur::BAGLANTI_KURULAMADI});
    baglanti_hali = hal::BAGLANIYOR;
}

// Takes over a finished lookup of the current connection.
void cozumlemeyi_al() {
    if (!bekleyen || !bekleyen->bitti.load()) return;
    const std::shared_ptr<cozumleme> c = std::move(bekleyen);
    bekleyen.reset();
    if (!c->tamam) return basarisiz({metinler::tur::SUNUCU_ADRESI_COZULEMEDI, bekleyen_ad});
    karsiya_baglan(c->adres, bekleyen_port);
}

// ENet would copy the login into a block it frees unwiped; instead the packet keeps our own
// block, and wipes it when ENet is done with it.
void giris_paketini_sil(ENetPacket* paket) {
    gizli::bayt_sil(paket->data, paket->dataLength);
    delete[] paket->data;
}

ENetPacket* giris_paketi() {
    gizli::dize istek = giris_istegi(kullanici, sifre);
    const size_t boyut = istek.size();
    enet_uint8* veri = new enet_uint8[boyut];
    std::copy(istek.begin(), istek.end(), veri);
    gizli::sil(istek);
    ENetPacket* paket = enet_packet_create(veri, boyut, ENET_PACKET_FLAG_RELIABLE | ENET_PACKET_FLAG_NO_ALLOCATE);
    if (!paket) {
        delete[] veri;
        return nullptr;
    }
    paket->freeCallback = giris_paketini_sil;
    return paket;
}

void istegi_gonder() {
    baglanti_hali = hal::BAGLI;
    ENetPacket* paket = nullptr;
    if (baglanti_modu == 2) {
        paket = giris_paketi();
    } else {
        const std::vector<uint8_t> istek = durum_istegi();
        paket = enet_packet_create(istek.data(), istek.size(), ENET_PACKET_FLAG_RELIABLE);
    }
    if (paket && enet_peer_send(karsi, 0, paket) < 0) enet_packet_destroy(paket);
    gizli::sil(sifre);
}

// One event of the host. An answer, or the peer gone, becomes the exchange's decision `k`.
void olayi_isle(ENetEvent& olay, karar& k) {
    switch (olay.type) {
        case ENET_EVENT_TYPE_CONNECT:
            if (olay.peer == karsi && karsi) istegi_gonder();
            break;
        case ENET_EVENT_TYPE_RECEIVE:
            if (olay.peer == karsi && karsi) k = cevap_coz(olay.packet->data, olay.packet->dataLength, baglanti_modu);
            gizli::bayt_sil(olay.packet->data, olay.packet->dataLength);  // a login answer holds the ticket
            enet_packet_destroy(olay.packet);
            break;
        case ENET_EVENT_TYPE_DISCONNECT:
        default:
            if (olay.type != ENET_EVENT_TYPE_NONE && olay.peer == karsi && karsi) {
                karsi = nullptr;
                k.t = karar::tur::REDDEDILDI;
                k.hata = {metinler::tur::SUNUCU_KAPALI};
            }
            break;
    }
}

// Takes the host's events until there are none or the exchange has its decision, then applies
// that decision, outside ENet's hands.
void olaylari_bosalt() {
    karar k;
    while (istemci && k.t == karar::tur::YOK) {
        ENetEvent olay{};
        int r = enet_host_check_events(istemci, &olay);
        if (r <= 0) r = enet_host_service(istemci, &olay, 0);
        if (r <= 0) break;
        olayi_isle(olay, k);
    }
    karari_uygula(k);
}

void sureleri_denetle() {
    if (baglanti_hali == hal::BOSTA) return;
    const double t = steady_saniye() - baslangic;
    if (baglanti_hali != hal::BAGLI && t > BAGLANMA_SINIRI) basarisiz({metinler::tur::SUNUCU_KAPALI});
    else if (baglanti_hali == hal::BAGLI && t > CEVAP_SINIRI) basarisiz({metinler::tur::SUNUCU_CEVAP_VERMEDI});
}

}  // namespace

bool adres_ayir(std::string metin, std::string& host, uint16_t& port) {
    while (!metin.empty() && bosluk_mu(metin.back())) metin.pop_back();
    size_t bas = 0;
    while (bas < metin.size() && bosluk_mu(metin[bas])) ++bas;
    metin.erase(0, bas);
    const size_t iki_nokta = metin.find(':');
    if (iki_nokta == std::string::npos) {
        if (metin.empty()) return false;
        host = metin;
        port = VARSAYILAN_PORT;
        return true;
    }
    if (metin.find(':', iki_nokta + 1) != std::string::npos) return false;
    const std::string ad = metin.substr(0, iki_nokta), port_metni = metin.substr(iki_nokta + 1);
    if (ad.empty() || port_metni.empty() || port_metni.size() > 5) return false;
    long deger = 0;
    for (char c : port_metni) {
        if (c < '0' || c > '9') return false;
        deger = deger * 10 + (c - '0');
    }
    if (deger == 0 || deger > 65535) return false;
    host = ad;
    port = uint16_t(deger);
    return true;
}

void baglan(int mod) {
    sunucu_sifirla();
    const std::string metin = ayar_degeri("sunucu");
    std::string host;
    uint16_t port = VARSAYILAN_PORT;
    baglanti_modu = mod;
    baslangic = steady_saniye();
    if (!adres_ayir(metin, host, port)) return basarisiz({metinler::tur::SUNUCU_ADRESI_HATALI, metin});
    in_addr sayisal{};
    if (inet_pton(AF_INET, host.c_str(), &sayisal) == 1) return karsiya_baglan(sayisal.s_addr, port);
    bekleyen = std::make_shared<cozumleme>();
    bekleyen_ad = host;
    bekleyen_port = port;
    baglanti_hali = hal::COZULUYOR;
    try {
        std::thread(cozumle, bekleyen, host).detach();
    } catch (const std::system_error&) {
        basarisiz({metinler::tur::BAGLANTI_KURULAMADI});  // no thread for the lookup
    }
}

void basarisiz(const metinler::ileti& hata) {
    const int mod = baglanti_modu;
    sunucu_sifirla();
    if (mod == 0) return;
    sunucu_durumu = SUNUCU_KAPALI;
    if (mod == 2) hata_goster(metinler::yaz(hata));
}

void servis() {
    if (baglanti_modu == 0 && !istemci) return;
    cozumlemeyi_al();
    olaylari_bosalt();
    sureleri_denetle();
    if (istemci) enet_host_flush(istemci);
}

void durum_yokla() {
    if (oyun_durumu != 0 || sunucu_durumu == SUNUCU_ACIK || baglanti_modu != 0) return;
    const double simdi = steady_saniye();
    if (simdi - durum_sorgu_zamani <= SORGU_ARALIGI) return;
    durum_sorgu_zamani = simdi;
    baglan(1);
}

void kapat() { sunucu_sifirla(); }

}  // namespace sunucu

void sunucu_sifirla() {
    sunucu::bekleyen.reset();
    if (sunucu::karsi) enet_peer_reset(sunucu::karsi);
    sunucu::karsi = nullptr;
    // One host per exchange: nothing listens on the launcher's side between two of them.
    if (sunucu::istemci) enet_host_destroy(sunucu::istemci);
    sunucu::istemci = nullptr;
    sunucu::baglanti_hali = sunucu::hal::BOSTA;
    baglanti_modu = 0;
    gizli::sil(sunucu::sifre);
}

void ayar_kaydet() {
    const std::string metin = sunucu_alani.metin.empty() ? ayar_varsayilani("sunucu") : sunucu_alani.metin;
    ayar_koy("sunucu", metin);
    ini_yaz();
    paneli_ac(0, nullptr);
    sunucu_durumu = SUNUCU_BAGLANIYOR;
    sunucu::baglan(1);
}
