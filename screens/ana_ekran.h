// The main screen: background, logo, close button, news banner and headlines, community
// links, the update status line with its progress bar and retry, the START, WEB SİTESİ and
// AYARLAR buttons, and the version and server status line. Every widget is on layer 0.
//
// ekran::ana draws one frame from shared state and starts the actions its widgets ask for.
// The texts and the rules behind them are pure functions, tested without a display.
#pragma once
#include <cstdint>
#include <string>

namespace ekran {

// Draws the main screen (needs the window's OpenGL context). Main thread.
void ana();

// What the update status line says and how full the bar is.
struct guncelleme_satiri {
    std::string metin;
    float oran = 0;          // 0..1
    bool basarisiz = false;  // the text is the retry link
};

guncelleme_satiri guncelleme_durumu(int32_t durum, int32_t toplam_dosya, int32_t biten_dosya,
                                    int64_t toplam_bayt, int64_t inen_bayt, double hiz);

// START is disabled while a server login runs, while checking or downloading, while a restart
// is due, or while a web login request is in flight.
bool baslat_kapali_mi(int32_t durum, int baglanti_modu, bool web_giris_suruyor);

// "Sürüm <v> · Sunucu <durum>", with "0.1.0" while no version is known; led by "Yedek
// güncelleme sunucusu <ad> · " while the update comes from a backup server.
std::string alt_satir(const std::string& surum, int sunucu_durumu, const std::string& yedek = "");

// The headline area's text while fewer than two news items exist.
std::string haber_durum_metni(int sunucu_durumu);

// Starts an update run with what the settings say (`guncelleme`, `guncelleme_yedek`,
// `imza_anahtari`, `imza_sira`, `indirme_siniri`).
void guncellemeyi_baslat();

// While a game holds the installation (its launcher was killed, say) the update waits: the
// status line says so, START stays grey, and once a second the frame loop calls this, which
// starts the update as soon as the game has ended.
void bekleyen_guncellemeyi_baslat();

// The retry: the failure text in an error box, then a new update run.
void tekrar_dene();

}  // namespace ekran
