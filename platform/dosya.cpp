// Reading a whole small file with its failures as values; writing a whole buffer. No state.
#include "platform/dosya.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/tanimlayici.h"

int duz_dosya_ac(const std::string& yol, int ek) {
    const int fd = ::open(yol.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | ek);
    if (fd < 0) return -1;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

okuma dosya_oku(const std::string& yol, std::string& icerik, size_t sinir) {
    const tanimlayici fd(duz_dosya_ac(yol));
    if (!fd.acik() && errno == EINVAL) return okuma::OKUNAMADI;
    if (!fd.acik()) return errno == ENOENT ? okuma::YOK : okuma::OKUNAMADI;
    struct stat st;
    okuma s = okuma::TAMAM;
    if (::fstat(fd.fd, &st) != 0 || !S_ISREG(st.st_mode)) s = okuma::OKUNAMADI;
    else if (uint64_t(st.st_size) > sinir) s = okuma::COK_BUYUK;
    std::string metin;
    if (s == okuma::TAMAM) metin.reserve(size_t(st.st_size));
    // The size may change while reading: the limit holds for what is read, not for fstat.
    char tampon[65536];
    while (s == okuma::TAMAM) {
        const ssize_t n = ::read(fd.fd, tampon, sizeof tampon);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) s = okuma::OKUNAMADI;
        if (n <= 0) break;
        if (metin.size() + size_t(n) > sinir) s = okuma::COK_BUYUK;
        else metin.append(tampon, size_t(n));
    }
    if (s == okuma::TAMAM) icerik.swap(metin);
    return s;
}

bool tamamen_yaz(int fd, const void* veri, size_t n) {
    const char* p = static_cast<const char*>(veri);
    while (n > 0) {
        const ssize_t k = ::write(fd, p, n);
        if (k < 0 && errno == EINTR) continue;
        if (k <= 0) return false;
        p += k;
        n -= size_t(k);
    }
    return true;
}

bool klasore_yazilir_mi(const std::string& klasor) {
    const int fd = ::open(klasor.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::close(fd);
        return true;
    }
    if (errno == EACCES || errno == EROFS || errno == EPERM) return false;
    return ::access(klasor.c_str(), W_OK) == 0;  // no nameless files here (EOPNOTSUPP, EISDIR)
}
