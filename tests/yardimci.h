// Test helpers: temporary directories, running commands and real child processes,
// waiting with a time limit, and a copy of the launcher's run-time directory.
#pragma once
#include <sys/types.h>

#include <string>

namespace yardimci {

// A fresh directory under /tmp, removed with everything in it when the object dies.
struct gecici_dizin {
    std::string yol;
    gecici_dizin();
    ~gecici_dizin();
    gecici_dizin(const gecici_dizin&) = delete;
    gecici_dizin& operator=(const gecici_dizin&) = delete;
};

// Runs a shell command; returns its standard output and sets `durum` to its exit status.
std::string komut(const std::string& satir, int* durum = nullptr);

// Starts `yol` with no arguments in a child process, standard error into `hata_dosyasi`.
pid_t baslat(const std::string& yol, const std::string& hata_dosyasi);

// Waits up to `saniye` for the child; returns its exit status, or -1 on timeout (the child is
// then killed), or 128 + signal when a signal ended it.
int bekle(pid_t pid, double saniye);

// Copies the built launcher, its veri/ and varsayilan.ini into `hedef`.
void calisma_dizini_kur(const std::string& hedef, bool fontlarla);

// Reads a whole file ("" when missing).
std::string dosya_oku(const std::string& yol);
void dosya_yaz(const std::string& yol, const std::string& icerik);

// The first window that belongs to `pid`, as xdotool prints its id; "" after `saniye`.
std::string pencere_bul(pid_t pid, double saniye);

}  // namespace yardimci
