// The publishing guards of morvatan-liste: the mistakes that would break every player
// silently, caught before anything is written. Each reports on standard error as
// "morvatan-liste: PATH: reason" and returns false; --zorla skips the ones an operator may
// mean (a varsayilan.ini that switches updates off, a sequence that goes down).
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Whether the canonical path `yol` lies in or below the canonical folder `kok`.
bool icinde_mi(const std::filesystem::path& kok, const std::filesystem::path& yol);

// The secret key file lies inside the folder about to be published.
bool anahtar_disarida_mi(const std::filesystem::path& kok, const std::string& gizli_dosya);

// DIR/varsayilan.ini, when there is one, keeps updates on (`guncelleme` not empty) and, when
// `aciklar` is given (signing: the public halves of the signing keys, lowercase hex), trusts
// one of them (`imza_anahtari`), so the players who take it accept the next release too.
bool varsayilan_uygun_mu(const std::filesystem::path& kok, const std::vector<std::string>* aciklar);

// DIR/MorvatanLauncher, when there is one, is a program players' systems can run (an x86-64
// ELF executable): the launcher refuses any other, so every update would fail. Not skipped
// by --zorla.
bool launcher_uygun_mu(const std::filesystem::path& kok);

// The sequence about to be signed is not below the one DIR's signature already carries.
bool sira_dusmuyor_mu(const std::filesystem::path& kok, uint64_t sira);

// An unsigned publish removes a signature left from an earlier signed one (it would no longer
// match, and players would read it as tampering); says so.
void eski_imzayi_kaldir(const std::filesystem::path& kok);
