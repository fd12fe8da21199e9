// HTTP transfers through the external curl program: the command lines and a streaming GET
// whose body is handed to the caller chunk by chunk.
//
// URLs go between single quotes without escaping, so an address holding a quote is refused
// before anything runs. A transfer can be abandoned through a stop flag: curl is killed at
// once and the call returns DURDURULDU.
#pragma once
#include <atomic>
#include <cstddef>
#include <functional>
#include <string>

namespace aktarim {

// True when the address can stand between single quotes of a shell command.
bool adres_guvenli(const std::string& adres);

// "curl -fsSL --connect-timeout 15 'URL'": the GET used for the manifest, files and news.
std::string getir_komutu(const std::string& adres);

enum class sonuc {
    TAMAM,            // curl exited with 0 and every chunk was taken
    ADRES_GECERSIZ,   // the address holds a single quote; nothing was run
    CALISTIRILAMADI,  // the pipe or the child process could not be created
    REDDEDILDI,       // the chunk handler refused a chunk
    SUNUCU_HATASI,    // curl exited with a non-zero status (HTTP error, no connection, no curl)
    DURDURULDU,       // the stop flag was set; curl was ended
};

// Reads the body of `adres` in chunks of at most `parca_boyutu` bytes into `parca`, which
// returns false to refuse one.
sonuc getir(const std::string& adres, size_t parca_boyutu,
            const std::function<bool(const char*, size_t)>& parca, const std::atomic<bool>& durdur);

// Like getir, but curl's standard output is the open file `yazma_fd` itself, so the body goes
// to disk without passing through a pipe; the caller sees every byte once it has landed,
// read back through `okuma_fd` (the same file, opened for reading at offset 0). A write
// error of curl (exit status 23, such as a full disk) gives REDDEDILDI.
sonuc dosyaya_getir(const std::string& adres, int yazma_fd, int okuma_fd, size_t parca_boyutu,
                    const std::function<void(const char*, size_t)>& parca, const std::atomic<bool>& durdur);

}  // namespace aktarim
