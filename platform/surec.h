// Child processes: the one way the launcher starts one (baslat), and on top of it the shell
// commands whose standard output it reads, so that a transfer can be abandoned at any moment.
//
// Every child keeps only the descriptors it is given: 0, 1 and 2 (and 3 when one is handed
// to it); everything else the launcher holds is closed at the spawn. A shell command runs as "/bin/sh -c 'exec COMMAND'" in a process group of its own, and dies with
// the thread that started it; standard input, and standard error unless the caller keeps it,
// are inherited. Reads wait in short slices and give up as soon as the caller's stop flag is
// set; sonlandir then ends the whole group and reaps it. Any thread may use it.
#pragma once
#include <sys/types.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace surec {

// What a child starts with. The launcher may have other threads, so everything is prepared
// before the fork, and the child only calls what is safe there before it becomes the program.
struct cocuk {
    std::string yol;                // the program; with `yolda_ara` a name looked up in PATH
    std::vector<std::string> argv;  // empty: the program's path alone
    // The environment, "NAME=value" lines; nullptr: the launcher's own. Not copied: a caller
    // holding a secret in it wipes its strings once baslat returns.
    std::vector<std::string>* ortam = nullptr;
    std::string klasor;             // working directory; a child that cannot enter it ends with 126
    int giris = -1, cikis = -1, hata = -1;  // become 0, 1 and 2; -1 keeps the launcher's own
    int ucuncu = -1;                // becomes descriptor 3 (the game's lock)
    bool yolda_ara = false;
    // A process group of its own, killed when the thread that started it ends: a launcher
    // that crashes or is killed leaves no transfer behind.
    bool bagli = false;
    int64_t dosya_siniri = 0;       // above 0: a write past this many bytes fails (EFBIG)
    bool ayrik = false;             // handed to init at once; the caller never waits for it
};

// Starts the child; its pid in `pid` (-1 for an `ayrik` one). False, with the reason in
// `hata`, when no child could be made. A program that cannot be run ends its child with 127,
// so a caller that waits for the child learns of it from the status.
bool baslat(const cocuk& c, pid_t& pid, std::string& hata);

struct boru {
    pid_t pid = -1;  // the shell, leader of its process group
    int fd = -1;     // read end of its standard output
    int hata_fd = -1;  // read end of its standard error, when the caller keeps it
};

// Starts the command. With `hata_tut` its standard error goes into a pipe of its own, read
// with hata_al once it has ended. False when a pipe or the child process cannot be created.
// `boru_boyutu` above 0 sets the pipe's size (the kernel rounds it up to whole pages): a
// capped transfer keeps it small, so that nothing runs far ahead of the reader.
bool boru_ac(const std::string& komut, boru& b, bool hata_tut = false, int boru_boyutu = 0);

// Like boru_ac, with `girdi` written to the command's standard input, which is then closed.
// The input never appears on a command line. The write waits for the command to read it all,
// so a longer input suits only commands that read their input before writing much output.
// `dosya_siniri` as for dosyaya_ac.
bool girdili_ac(const std::string& komut, const char* girdi, size_t n, boru& b, int64_t dosya_siniri = 0);

// Starts the command with its standard output going straight into the open file `cikis`
// (no pipe; b.fd stays -1). When `dosya_siniri` is above 0 the child can never make a file
// longer than that many bytes: a write past it fails (EFBIG) instead of filling the disk.
// False when the child process cannot be created. `hata_tut` as for boru_ac.
bool dosyaya_ac(const std::string& komut, int cikis, boru& b, int64_t dosya_siniri = 0, bool hata_tut = false);

// What the child wrote to its kept standard error (at most 64 KiB, the pipe's room: a command
// that may write more must not keep it). Call once it has ended: it never waits.
std::string hata_al(const boru& b);

// True once the child has ended, with its wait status in `durum`; never blocks.
bool bitti_mi(boru& b, int& durum);

const long ZAMAN_ASIMI = -2;  // oku: nothing arrived within the caller's limit

// Reads up to n bytes. Returns the count, 0 at the end of the output, -1 when `durdur` was
// set while waiting (nothing was read then) or the read failed, or ZAMAN_ASIMI when no byte
// arrived for `sinir_saniye` seconds.
long oku(boru& b, char* tampon, size_t n, const std::atomic<bool>& durdur, double sinir_saniye);

// Waits for the child, leaving its pipes open; returns its wait status (0: exited with 0, and
// also when it was reaped already).
int bekle(boru& b);

// Closes the pipes and waits for the child; returns its wait status as bekle does.
int kapat(boru& b);

// Kills the child's whole process group, closes the pipe and reaps the child (also one that
// bitti_mi has already reaped: then only the pipe is closed).
void sonlandir(boru& b);

}  // namespace surec
