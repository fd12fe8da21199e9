// What the player reads when something fails: kinds of failure with their arguments, made by
// the services on any thread, and the one table that turns them into the launcher's texts.
//
// The updater, the login services, the game-server link and the game launch never write a
// sentence: they return or publish an `ileti` (a kind plus a path, a host, a count or the
// kind of a failed transfer), and the main thread renders it with yaz when it shows it. A
// second interface language is a second table here. The transfer texts ("sunucuya
// ulasilamadi", ...) are ASCII kinds of their own, shown inside the sentences.
#pragma once
#include <string>
#include <utility>

namespace metinler {

// Why a transfer or a downloaded file failed. Decisions (keep a ".indir" for resuming, start
// again from the first byte) are taken on the kind.
enum class aktarim_hatasi {
    YOK,               // no failure
    ADRES_GECERSIZ,    // the URL cannot be put on a command line
    CALISTIRILAMADI,   // no curl process
    ULASILAMADI,       // an HTTP error that will not pass by itself (404), no curl
    GECICI,            // one that may: no connection, a reset, a cut body, 5xx or 429
    ARALIK_YOK,        // a continued download met a server that sends only whole files
    DISKE_YAZILAMADI,  // a write failed, or the body is too large
    BOZUK,             // more bytes than listed, or the wrong size or digest
    DURDURULDU,        // the launcher is closing
};

// The arguments each kind uses are named beside it; the others stay empty.
enum class tur {
    YOK,
    // The updater.
    GUNCELLEME_SUNUCUSU_YOK,   // k: the manifest could not be fetched from any server
    YEDEK_DENENIYOR,           // a: the backup server's name (the retry note)
    KLASOR_YAZILAMIYOR,        // a: the installation's folder, which takes no files
    LISTE_DOGRULANAMADI,       // a: why the signature check failed (ASCII)
    LISTE_BOZUK,
    LISTE_GECERSIZ_SATIR,
    LISTE_UZUN_AD,             // a: the name
    DOSYA_YAZILAMADI,          // a: the path
    DOSYA_DEGISTIRILEMEDI,     // a: the path
    INDIRME_BASARISIZ,         // a: the path, k: why
    YER_YOK,                   // n: MB needed, m: MB free
    LAUNCHER_CALISAMAZ,        // the new launcher is no program for this system
    GUNCELLEME_BASLATILAMADI,  // no thread for the worker
    YENIDEN_DENENIYOR,         // n: the attempt, m: of how many (the retry note)
    YENI_LAUNCHER_KAPANDI,     // n: its exit code, m: 1 when the old one went back in place
    YENI_LAUNCHER_PENCERESIZ,  // m: as above
    ART_ARDA_GUNCELLENDI,
    YENIDEN_BASLATILAMADI,
    // The web login.
    GIRIS_SUNUCUSU_YOK,        // k
    GIRIS_BOZUK_CEVAP,
    KIMLIK_GIR,                // a field is empty
    SIFRE_HATALI,
    IKI_ADIM_GEREKLI,
    KOD_GIR,
    KOD_YANLIS,
    EPOSTA_DOGRULANMADI,       // a: the masked address, or empty
    GIRIS_HTTP,                // n: the status code
    // The game server.
    SUNUCU_KAPALI,
    SUNUCU_CEVAP_VERMEDI,
    SUNUCU_BOZUK_CEVAP,
    SUNUCU_REDDETTI,           // a: the server's reason
    BAGLANTI_KURULAMADI,
    SUNUCU_ADRESI_HATALI,      // a: the address setting
    SUNUCU_ADRESI_COZULEMEDI,  // a: the host name
    SURUM_ESKI,
    COK_DENEME,
    HESAP_OYUNDA,
    GIRIS_YAPILAMADI,          // a: the server's own reason, shown as it is when there is one
    // The game and links.
    OYUN_SATIRI_BOS,
    OYUN_EKSIK,
    OYUN_ACIK,
    OYUN_BASLATILAMADI,
    OYUN_ERKEN_KAPANDI,        // n: the exit code
    BAGLANTI_HAZIR_DEGIL,
};

struct ileti {
    tur t = tur::YOK;
    std::string a;
    long long n = 0, m = 0;
    aktarim_hatasi k = aktarim_hatasi::YOK;

    ileti() = default;
    ileti(tur t_, std::string a_ = {}, long long n_ = 0, long long m_ = 0, aktarim_hatasi k_ = aktarim_hatasi::YOK)
        : t(t_), a(std::move(a_)), n(n_), m(m_), k(k_) {}
};

// The player's text of a failure; "" for YOK.
std::string yaz(const ileti& i);

// The transfer's own text ("sunucuya ulasilamadi", "dosya bozuk geldi", ...); "" for YOK and
// DURDURULDU. A login's unreachable server says so by its name (`giris`).
const char* aktarim_metni(aktarim_hatasi k, bool giris = false);

}  // namespace metinler
