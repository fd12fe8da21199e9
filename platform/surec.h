// Child processes with a pipe: the one way the launcher runs a shell command and reads its
// standard output, so that a transfer can be abandoned at any moment without waiting for it.
//
// The command runs as "/bin/sh -c 'exec COMMAND'" in a process group of its own, and dies with
// the thread that started it; standard input, and standard error unless the caller keeps it,
// are inherited. Reads wait in short slices and give up as soon as the caller's stop flag is
// set; sonlandir then ends the whole group and reaps it. Any thread may use it.
#pragma once
#include <sys/types.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

namespace surec {

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
