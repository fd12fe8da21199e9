// Whether a file is a program this system can run, read from its ELF headers: the launcher
// never puts a new copy of itself in place that could not start here. No state; any thread.
#pragma once
#include <string>

// True for a 64-bit little-endian x86-64 ELF executable: ET_EXEC, or ET_DYN with a program
// interpreter (a position-independent program, not a library). A script, another machine's
// program, a library or anything short or malformed is not. Reads with pread; the file
// offset stays where it was.
bool bu_sistemde_calisir_mi(int fd);

// The same for the file at `yol`.
bool bu_sistemde_calisir_mi(const std::string& yol);
