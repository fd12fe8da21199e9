// Reading a whole small file: one open (close-on-exec), a regular file only, a size limit,
// and every failure as a value; writing all of a buffer; whether a folder takes new files. Settings, fonts and records are read through it, so a
// directory, a read error or a huge file standing where one is expected never throws, never
// leaves a descriptor to a child and never fills the memory. Any thread.
#pragma once
#include <cstddef>
#include <string>

enum class okuma { TAMAM, YOK, OKUNAMADI, COK_BUYUK };

// Whole content of `yol` into `icerik` (replaced). YOK: no such file; OKUNAMADI: not a
// regular file, no permission, or a read error; COK_BUYUK: larger than `sinir` bytes. On any
// failure `icerik` is left untouched.
okuma dosya_oku(const std::string& yol, std::string& icerik, size_t sinir);

// Opens `yol` for reading (close-on-exec, `ek` added to the flags: O_NOFOLLOW, say) only when
// it is a regular file; -1 otherwise, with errno set (EINVAL for a pipe, a device or a folder).
// The open itself never waits: a named pipe standing where a file should be would otherwise
// block until someone writes into it.
int duz_dosya_ac(const std::string& yol, int ek = 0);

// Writes all `n` bytes to `fd`, again after a short write or an interrupted one. False when a
// write fails (the disk is full, say).
bool tamamen_yaz(int fd, const void* veri, size_t n);

// Whether this process can create files in `klasor` (its permissions, a read-only mount):
// tried with a nameless file that never appears in the folder, or, where the file system has
// none, asked of the kernel's access check.
bool klasore_yazilir_mi(const std::string& klasor);
