// The player's texts: every kind of failure renders to the exact text, and the ones the
// players' guide quotes whole stand there word for word (DOSYA, N, M as its placeholders).
#include <gtest/gtest.h>

#include "app/metinler.h"
#include "tests/yardimci.h"

namespace {

using metinler::aktarim_hatasi;
using metinler::tur;

struct satir {
    metinler::ileti i;
    const char* metin;
    bool rehberde;  // quoted whole in docs/oyuncu.md
};

TEST(Metinler, EveryKindRendersToTheTextTheGuideLists) {
    const satir tablo[] = {
        {{tur::YOK}, "", false},
        {{tur::GUNCELLEME_SUNUCUSU_YOK, "", 0, 0, aktarim_hatasi::GECICI}, "Güncelleme sunucusuna ulaşılamadı (sunucuya ulasilamadi)", false},
        {{tur::YEDEK_DENENIYOR, "yedek.ornek"}, "Yedek sunucu deneniyor: yedek.ornek…", false},
        {{tur::KLASOR_YAZILAMIYOR, "KLASÖR"}, "Bu klasöre yazılamıyor: KLASÖR. Launcher'ın oyunu kurup güncelleyebilmesi için onu kendi klasörlerinden birine (örneğin ~/.local/share) aç ve oradan başlat.", true},
        {{tur::LISTE_DOGRULANAMADI, "imza yok"}, "Güncelleme listesi doğrulanamadı (imza yok).", false},
        {{tur::LISTE_BOZUK}, "Güncelleme listesi bozuk", true},
        {{tur::LISTE_GECERSIZ_SATIR}, "Güncelleme listesinde geçersiz satır", true},
        {{tur::LISTE_UZUN_AD, "DOSYA"}, "Güncelleme listesinde çok uzun dosya adı: DOSYA", true},
        {{tur::DOSYA_YAZILAMADI, "DOSYA"}, "Dosya yazılamadı: DOSYA", true},
        {{tur::DOSYA_DEGISTIRILEMEDI, "DOSYA"}, "Dosya değiştirilemedi: DOSYA (açık olabilir)", true},
        {{tur::INDIRME_BASARISIZ, "DOSYA", 0, 0, aktarim_hatasi::ULASILAMADI}, "İndirme başarısız: DOSYA (sunucuya ulasilamadi)", true},
        {{tur::INDIRME_BASARISIZ, "DOSYA", 0, 0, aktarim_hatasi::ARALIK_YOK}, "İndirme başarısız: DOSYA (sunucuya ulasilamadi)", true},
        {{tur::INDIRME_BASARISIZ, "DOSYA", 0, 0, aktarim_hatasi::BOZUK}, "İndirme başarısız: DOSYA (dosya bozuk geldi)", true},
        {{tur::INDIRME_BASARISIZ, "DOSYA", 0, 0, aktarim_hatasi::DISKE_YAZILAMADI}, "İndirme başarısız: DOSYA (diske yazilamadi)", true},
        {{tur::INDIRME_BASARISIZ, "a", 0, 0, aktarim_hatasi::CALISTIRILAMADI}, "İndirme başarısız: a (curl calistirilamadi)", false},
        {{tur::INDIRME_BASARISIZ, "a", 0, 0, aktarim_hatasi::ADRES_GECERSIZ}, "İndirme başarısız: a (adres gecersiz)", false},
        {{tur::YER_YOK, "", 120, 7}, "Diskte yeterli yer yok: 120 MB gerekli, 7 MB boş.", false},
        {{tur::LAUNCHER_CALISAMAZ}, "Güncellenen launcher bu sistemde çalışamaz; eski launcher korundu.", true},
        {{tur::GUNCELLEME_BASLATILAMADI}, "Güncelleme başlatılamadı; launcher'ı kapatıp yeniden aç.", true},
        {{tur::YENIDEN_DENENIYOR, "", 2, 3}, "Bağlantı koptu, yeniden deneniyor (2/3)…", false},
        {{tur::YENI_LAUNCHER_KAPANDI, "", 127, 1}, "Güncellenen launcher açılamadı (çıkış kodu 127); eski launcher geri kondu.", false},
        {{tur::YENI_LAUNCHER_PENCERESIZ, "", 0, 0}, "Güncellenen launcher açılamadı (pencere açmadı); eski launcher geri konamadı.", false},
        {{tur::ART_ARDA_GUNCELLENDI}, "Launcher art arda kendini güncelledi; güncelleme durduruldu. Biraz sonra tekrar dene.", true},
        {{tur::YENIDEN_BASLATILAMADI}, "Launcher yeniden başlatılamadı; kapatıp yeniden aç.", true},
        {{tur::GIRIS_SUNUCUSU_YOK, "", 0, 0, aktarim_hatasi::BOZUK}, "Giriş sunucusuna ulaşılamadı (giris sunucusuna ulasilamadi).", false},
        {{tur::GIRIS_SUNUCUSU_YOK, "", 0, 0, aktarim_hatasi::CALISTIRILAMADI}, "Giriş sunucusuna ulaşılamadı (curl calistirilamadi).", false},
        {{tur::GIRIS_BOZUK_CEVAP}, "Giriş sunucusundan bozuk cevap geldi.", true},
        {{tur::KIMLIK_GIR}, "Kullanıcı adını ve şifreni gir.", true},
        {{tur::SIFRE_HATALI}, "Kullanıcı adı veya şifre hatalı.", true},
        {{tur::IKI_ADIM_GEREKLI}, "Hesabında iki adımlı doğrulama açık. Doğrulama uygulamandaki 6 haneli kodu gir.", false},
        {{tur::KOD_GIR}, "Doğrulama uygulamandaki 6 haneli kodu gir.", false},
        {{tur::KOD_YANLIS}, "Doğrulama kodu yanlış. Uygulamadaki güncel kodu gir.", true},
        {{tur::EPOSTA_DOGRULANMADI, "m***@ornek.test"}, "E-posta adresin henüz doğrulanmadı (m***@ornek.test). Gelen kutundaki bağlantıya tıkla, sonra tekrar dene.", false},
        {{tur::GIRIS_HTTP, "", 503}, "Giriş yapılamadı (HTTP 503).", false},
        {{tur::SUNUCU_KAPALI}, "Sunucuya bağlanılamadı. Sunucu kapalı olabilir.", true},
        {{tur::SUNUCU_CEVAP_VERMEDI}, "Sunucu cevap vermedi.", true},
        {{tur::SUNUCU_BOZUK_CEVAP}, "Sunucudan bozuk cevap geldi.", false},
        {{tur::SUNUCU_REDDETTI, "bakim"}, "Sunucu reddetti: bakim", false},
        {{tur::BAGLANTI_KURULAMADI}, "Bağlantı kurulamadı.", false},
        {{tur::SUNUCU_ADRESI_HATALI, "a:b:c"}, "Sunucu adresi hatalı: a:b:c", false},
        {{tur::SUNUCU_ADRESI_COZULEMEDI, "yok.ornek"}, "Sunucu adresi çözülemedi: yok.ornek", false},
        {{tur::SURUM_ESKI}, "Launcher sürümün eski. Lütfen güncelle.", true},
        {{tur::COK_DENEME}, "Çok fazla hatalı deneme yaptın. 1 dakika sonra tekrar dene.", true},
        {{tur::HESAP_OYUNDA}, "Bu hesap şu anda oyunda.", true},
        {{tur::GIRIS_YAPILAMADI}, "Giriş yapılamadı.", false},
        {{tur::GIRIS_YAPILAMADI, "Hesabın kilitlendi."}, "Hesabın kilitlendi.", false},
        {{tur::OYUN_SATIRI_BOS}, "launcher.ini içinde oyun= satırı boş.", false},
        {{tur::OYUN_EKSIK}, "Oyun dosyaları eksik. Güncellemenin bitmesini bekle ya da launcher'ı yeniden aç.", false},
        {{tur::OYUN_ACIK}, "Oyun şu anda açık. Kapandığında güncelleme başlayacak.", true},
        {{tur::OYUN_BASLATILAMADI}, "Oyun başlatılamadı.", false},
        {{tur::OYUN_ERKEN_KAPANDI, "", 139}, "Oyun açılırken kapandı (çıkış kodu 0x0000008B). Bu kodu Velmor'a gönder.", false},
        {{tur::BAGLANTI_HAZIR_DEGIL}, "Bu bağlantı henüz hazır değil.", false},
    };
    const std::string rehber = yardimci::dosya_oku(std::string(MORVATAN_KAYNAK_DIZINI) + "/docs/oyuncu.md");
    ASSERT_FALSE(rehber.empty());
    bool gorulen[int(tur::BAGLANTI_HAZIR_DEGIL) + 1] = {};
    for (const satir& s : tablo) {
        gorulen[int(s.i.t)] = true;
        EXPECT_EQ(metinler::yaz(s.i), s.metin);
        if (s.rehberde) {
            EXPECT_NE(rehber.find(std::string("\"") + s.metin + "\""), std::string::npos) << s.metin;
        }
    }
    for (int t = 0; t <= int(tur::BAGLANTI_HAZIR_DEGIL); ++t) EXPECT_TRUE(gorulen[t]) << "kind " << t << " has no row";
    EXPECT_STREQ(metinler::aktarim_metni(aktarim_hatasi::DURDURULDU), "");
}

}  // namespace
