// The launcher's texts for every kind of failure, in Turkish, exactly as the players' guide
// lists them. No state; any thread may render, though the main thread is the one that does.
#include "app/metinler.h"

#include <cstdio>

namespace metinler {
namespace {

std::string sayi(long long n) { return std::to_string(n); }

std::string onaltilik(long long kod) {
    char tampon[32];
    std::snprintf(tampon, sizeof tampon, "0x%08llX", kod);
    return tampon;
}

std::string geri_konuldu_mu(long long geri) {
    return geri ? "eski launcher geri kondu." : "eski launcher geri konamadı.";
}

std::string guncelleme_metni(const ileti& i) {
    switch (i.t) {
        case tur::GUNCELLEME_SUNUCUSU_YOK:
            return std::string("Güncelleme sunucusuna ulaşılamadı (") + aktarim_metni(i.k) + ")";
        case tur::YEDEK_DENENIYOR: return "Yedek sunucu deneniyor: " + i.a + "…";
        case tur::KLASOR_YAZILAMIYOR:
            return "Bu klasöre yazılamıyor: " + i.a +
                   ". Launcher'ın oyunu kurup güncelleyebilmesi için onu kendi klasörlerinden birine (örneğin "
                   "~/.local/share) aç ve oradan başlat.";
        case tur::LISTE_DOGRULANAMADI: return "Güncelleme listesi doğrulanamadı (" + i.a + ").";
        case tur::LISTE_BOZUK: return "Güncelleme listesi bozuk";
        case tur::LISTE_GECERSIZ_SATIR: return "Güncelleme listesinde geçersiz satır";
        case tur::LISTE_UZUN_AD: return "Güncelleme listesinde çok uzun dosya adı: " + i.a;
        case tur::DOSYA_YAZILAMADI: return "Dosya yazılamadı: " + i.a;
        case tur::DOSYA_DEGISTIRILEMEDI: return "Dosya değiştirilemedi: " + i.a + " (açık olabilir)";
        case tur::INDIRME_BASARISIZ: return "İndirme başarısız: " + i.a + " (" + aktarim_metni(i.k) + ")";
        case tur::YER_YOK: return "Diskte yeterli yer yok: " + sayi(i.n) + " MB gerekli, " + sayi(i.m) + " MB boş.";
        case tur::LAUNCHER_CALISAMAZ: return "Güncellenen launcher bu sistemde çalışamaz; eski launcher korundu.";
        case tur::GUNCELLEME_BASLATILAMADI: return "Güncelleme başlatılamadı; launcher'ı kapatıp yeniden aç.";
        case tur::YENIDEN_DENENIYOR: return "Bağlantı koptu, yeniden deneniyor (" + sayi(i.n) + "/" + sayi(i.m) + ")…";
        case tur::YENI_LAUNCHER_KAPANDI:
            return "Güncellenen launcher açılamadı (çıkış kodu " + sayi(i.n) + "); " + geri_konuldu_mu(i.m);
        case tur::YENI_LAUNCHER_PENCERESIZ:
            return "Güncellenen launcher açılamadı (pencere açmadı); " + geri_konuldu_mu(i.m);
        case tur::ART_ARDA_GUNCELLENDI:
            return "Launcher art arda kendini güncelledi; güncelleme durduruldu. Biraz sonra tekrar dene.";
        case tur::YENIDEN_BASLATILAMADI: return "Launcher yeniden başlatılamadı; kapatıp yeniden aç.";
        default: return "";
    }
}

std::string giris_metni(const ileti& i) {
    switch (i.t) {
        case tur::GIRIS_SUNUCUSU_YOK:
            return std::string("Giriş sunucusuna ulaşılamadı (") + aktarim_metni(i.k, true) + ").";
        case tur::GIRIS_BOZUK_CEVAP: return "Giriş sunucusundan bozuk cevap geldi.";
        case tur::KIMLIK_GIR: return "Kullanıcı adını ve şifreni gir.";
        case tur::SIFRE_HATALI: return "Kullanıcı adı veya şifre hatalı.";
        case tur::IKI_ADIM_GEREKLI:
            return "Hesabında iki adımlı doğrulama açık. Doğrulama uygulamandaki 6 haneli kodu gir.";
        case tur::KOD_GIR: return "Doğrulama uygulamandaki 6 haneli kodu gir.";
        case tur::KOD_YANLIS: return "Doğrulama kodu yanlış. Uygulamadaki güncel kodu gir.";
        case tur::EPOSTA_DOGRULANMADI:
            return "E-posta adresin henüz doğrulanmadı" + (i.a.empty() ? std::string() : " (" + i.a + ")") +
                   ". Gelen kutundaki bağlantıya tıkla, sonra tekrar dene.";
        case tur::GIRIS_HTTP: return "Giriş yapılamadı (HTTP " + sayi(i.n) + ").";
        default: return "";
    }
}

std::string sunucu_metni(const ileti& i) {
    switch (i.t) {
        case tur::SUNUCU_KAPALI: return "Sunucuya bağlanılamadı. Sunucu kapalı olabilir.";
        case tur::SUNUCU_CEVAP_VERMEDI: return "Sunucu cevap vermedi.";
        case tur::SUNUCU_BOZUK_CEVAP: return "Sunucudan bozuk cevap geldi.";
        case tur::SUNUCU_REDDETTI: return "Sunucu reddetti: " + i.a;
        case tur::BAGLANTI_KURULAMADI: return "Bağlantı kurulamadı.";
        case tur::SUNUCU_ADRESI_HATALI: return "Sunucu adresi hatalı: " + i.a;
        case tur::SUNUCU_ADRESI_COZULEMEDI: return "Sunucu adresi çözülemedi: " + i.a;
        case tur::SURUM_ESKI: return "Launcher sürümün eski. Lütfen güncelle.";
        case tur::COK_DENEME: return "Çok fazla hatalı deneme yaptın. 1 dakika sonra tekrar dene.";
        case tur::HESAP_OYUNDA: return "Bu hesap şu anda oyunda.";
        case tur::GIRIS_YAPILAMADI: return i.a.empty() ? "Giriş yapılamadı." : i.a;
        default: return "";
    }
}

std::string oyun_metni(const ileti& i) {
    switch (i.t) {
        case tur::OYUN_SATIRI_BOS: return "launcher.ini içinde oyun= satırı boş.";
        case tur::OYUN_EKSIK:
            return "Oyun dosyaları eksik. Güncellemenin bitmesini bekle ya da launcher'ı yeniden aç.";
        case tur::OYUN_ACIK: return "Oyun şu anda açık. Kapandığında güncelleme başlayacak.";
        case tur::OYUN_BASLATILAMADI: return "Oyun başlatılamadı.";
        case tur::OYUN_ERKEN_KAPANDI:
            return "Oyun açılırken kapandı (çıkış kodu " + onaltilik(i.n) + "). Bu kodu Velmor'a gönder.";
        case tur::BAGLANTI_HAZIR_DEGIL: return "Bu bağlantı henüz hazır değil.";
        default: return "";
    }
}

}  // namespace

std::string yaz(const ileti& i) {
    if (i.t == tur::YOK) return "";
    if (i.t < tur::GIRIS_SUNUCUSU_YOK) return guncelleme_metni(i);
    if (i.t < tur::SUNUCU_KAPALI) return giris_metni(i);
    if (i.t < tur::OYUN_SATIRI_BOS) return sunucu_metni(i);
    return oyun_metni(i);
}

const char* aktarim_metni(aktarim_hatasi k, bool giris) {
    switch (k) {
        case aktarim_hatasi::ADRES_GECERSIZ: return "adres gecersiz";
        case aktarim_hatasi::CALISTIRILAMADI: return "curl calistirilamadi";
        case aktarim_hatasi::YOK: return "";
        default: break;
    }
    if (giris) return "giris sunucusuna ulasilamadi";
    switch (k) {
        case aktarim_hatasi::DISKE_YAZILAMADI: return "diske yazilamadi";
        case aktarim_hatasi::BOZUK: return "dosya bozuk geldi";
        case aktarim_hatasi::DURDURULDU: return "";
        default: return "sunucuya ulasilamadi";
    }
}

}  // namespace metinler
