// Crash-safe file replacement through a temporary file, write, fsync and rename. No state.
#include "platform/atomik.h"

#include "platform/dosya.h"
#include "platform/tanimlayici.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace {

// The folder of `yol` is synced too, so the rename itself survives a power cut.
void klasoru_esitle(const std::string& yol) {
    const size_t bolu = yol.rfind('/');
    const std::string klasor = bolu == std::string::npos ? "." : bolu == 0 ? "/" : yol.substr(0, bolu);
    const tanimlayici fd(::open(klasor.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.acik()) ::fsync(fd.fd);
}

}  // namespace

bool atomik_yaz(const std::string& yol, const std::string& icerik, int izin) {
    // One fixed temporary name: a file left by a killed write is simply reused by the next
    // one instead of piling up. Each file has one writer (one launcher per installation).
    const std::string sablon = yol + ".yeni";
    tanimlayici fd(::open(sablon.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, izin));
    if (!fd.acik()) return false;
    const bool tamam = tamamen_yaz(fd.fd, icerik.data(), icerik.size()) && ::fsync(fd.fd) == 0;
    if (fd.kapat() != 0 || !tamam || ::rename(sablon.c_str(), yol.c_str()) != 0) {
        ::unlink(sablon.c_str());
        return false;
    }
    klasoru_esitle(yol);
    return true;
}
