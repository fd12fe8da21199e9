// The desktop entry: its text with the two levels of escaping the format asks for, and the
// write-once step with its setting. No state of its own.
#include "platform/kisayol.h"

#include <cstdlib>
#include <filesystem>

#include "app/ayarlar.h"
#include "app/pencere.h"
#include "platform/atomik.h"

namespace fs = std::filesystem;

namespace {

const char* const DOSYA_ADI = "morvatan-online.desktop";

std::string dizin_yolu(const std::string& exe) {
    const size_t bolu = exe.rfind('/');
    return bolu == std::string::npos ? std::string() : exe.substr(0, bolu);
}

}  // namespace

std::string dize_degeri(const std::string& metin) {
    std::string cikti;
    for (char c : metin) {
        if (c == '\\') cikti += "\\\\";
        else if (c == '\n') cikti += "\\n";
        else if (c == '\t') cikti += "\\t";
        else if (c == '\r') cikti += "\\r";
        else cikti += c;
    }
    return cikti;
}

std::string exec_degeri(const std::string& exe) {
    std::string alintili = "\"";
    for (char c : exe) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') alintili += '\\';
        if (c == '%') alintili += '%';
        alintili += c;
    }
    alintili += '"';
    return dize_degeri(alintili);
}

std::string kisayol_metni(const std::string& exe) {
    const std::string dizin = dizin_yolu(exe);
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Morvatan Online\n"
           "Exec=" + exec_degeri(exe) + "\n"
           "Path=" + dize_degeri(dizin) + "\n"
           "Icon=" + dize_degeri(dizin + "/veri/ikon.png") + "\n"
           "Categories=Game;\n"
           "Terminal=false\n";
}

void kisayol_yaz() {
    if (ayar_degeri("kisayol") == "1") return;
    const char* ev = std::getenv("HOME");
    if (!ev || !*ev || calistirilan_yol.empty()) return;
    const fs::path dizin = fs::path(ev) / ".local/share/applications";
    std::error_code ec;
    fs::create_directories(dizin, ec);
    if (!atomik_yaz((dizin / DOSYA_ADI).string(), kisayol_metni(calistirilan_yol))) return;
    ayar_koy("kisayol", "1");
    ini_yaz();
}
