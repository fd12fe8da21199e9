// The ELF header and program header checks for programs of this system. No state.
#include "platform/elf.h"

#include <elf.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>

#include "platform/dosya.h"
#include "platform/tanimlayici.h"

namespace {

const int EN_COK_BASLIK = 256;  // program headers read at most: real programs have a dozen

bool tam_oku(int fd, void* hedef, size_t n, off_t konum) { return ::pread(fd, hedef, n, konum) == ssize_t(n); }

bool yorumlayicisi_var(int fd, const Elf64_Ehdr& b) {
    if (b.e_phentsize != sizeof(Elf64_Phdr) || b.e_phnum > EN_COK_BASLIK) return false;
    for (int i = 0; i < b.e_phnum; ++i) {
        Elf64_Phdr p;
        if (!tam_oku(fd, &p, sizeof p, off_t(b.e_phoff + uint64_t(i) * sizeof p))) return false;
        if (p.p_type == PT_INTERP) return true;
    }
    return false;
}

}  // namespace

bool bu_sistemde_calisir_mi(int fd) {
    Elf64_Ehdr b;
    if (!tam_oku(fd, &b, sizeof b, 0) || std::memcmp(b.e_ident, ELFMAG, SELFMAG) != 0) return false;
    if (b.e_ident[EI_CLASS] != ELFCLASS64 || b.e_ident[EI_DATA] != ELFDATA2LSB || b.e_machine != EM_X86_64) return false;
    if (b.e_type == ET_EXEC) return true;
    return b.e_type == ET_DYN && yorumlayicisi_var(fd, b);
}

bool bu_sistemde_calisir_mi(const std::string& yol) {
    const tanimlayici fd(duz_dosya_ac(yol));
    return fd.acik() && bu_sistemde_calisir_mi(fd.fd);
}
