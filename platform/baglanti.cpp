// External links through xdg-open. No state; finished xdg-open children are reaped by
// ignoring SIGCHLD for them through a double fork.
#include "platform/baglanti.h"

#include <sys/wait.h>
#include <unistd.h>

#include "app/mesaj.h"

bool acilabilir_mi(const std::string& adres) {
    return adres.rfind("https://", 0) == 0 || adres.rfind("http://", 0) == 0;
}

void baglanti_ac(const std::string& adres) {
    if (!acilabilir_mi(adres)) {
        mesaj_goster("BİLGİ", "Bu bağlantı henüz hazır değil.", 0xE2C27A);
        return;
    }
    // The intermediate child exits at once and is reaped here; xdg-open, its child, is then
    // adopted by init, so no zombie is left behind however many links are opened.
    pid_t ara = fork();
    if (ara == 0) {
        if (fork() == 0) {
            execlp("xdg-open", "xdg-open", adres.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        _exit(0);
    }
    if (ara > 0) waitpid(ara, nullptr, 0);
}
