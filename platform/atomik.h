// Crash-safe file replacement: the new content goes to NAME.yeni in the same folder,
// is flushed to the disk, and is renamed over the old file. A crash, a kill or a power cut at
// any moment leaves either the old file or the new one, whole; a failed write leaves the old
// one untouched and removes the temporary. Any thread.
#pragma once
#include <string>

// Replaces `yol` with `icerik`, made with `izin` (less the umask). False (and the old file
// kept) when any step fails.
bool atomik_yaz(const std::string& yol, const std::string& icerik, int izin = 0666);
