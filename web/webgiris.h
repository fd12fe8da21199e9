// The account login request: the JSON body built from the panel's fields and the held
// password, posted by a worker thread through curl (body on curl's standard input), and the
// answer handed back to the main loop through two atomic flags.
//
// The worker writes durum_kodu, cevap, hata and bozuk, then sets `hazir`; the main thread
// reads them only after it has seen `suruyor` and `hazir` and joined the worker. Every buffer
// that holds the password is a wiping string with its room reserved up front, so no freed
// heap block keeps a copy. A transfer ends at once when `kapaniyor` is set (shutdown).
#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "app/metinler.h"
#include "platform/gizli.h"

namespace webgiris {

const size_t CEVAP_SINIRI = 65536;  // the longest answer read; three short fields fit many times

extern std::thread& iplik;           // worker of the current or last request
extern std::atomic<bool> suruyor;    // a request is in flight (main loop clears it after joining)
extern std::atomic<bool> hazir;      // the worker has stored its results
extern bool vazgec;                  // drop the answer when it arrives (main thread only)
extern long durum_kodu;              // HTTP status of the answer, 0 when there was none
extern std::string cevap;            // answer body without the status line
extern metinler::aktarim_hatasi hata;  // why the transfer failed, YOK on success
extern bool bozuk;                   // the answer was longer than CEVAP_SINIRI

// Builds the URL and body from the settings, the user-name field, giris_sifresi and `kod`
// (empty on a first request) and starts the worker. The caller has checked that hesap_api is
// set and that no request is in flight.
void iste(const std::string& kod);

// The blocking POST. The transfer's failure in `hata_` (a failure that would pass by itself is
// still one: the player is there to try again); an over-long answer sets `*bozuk_cevap`.
void yolla(const std::string& url, const gizli::dize& govde, long* durum, std::string* cevap_,
           metinler::aktarim_hatasi* hata_, bool* bozuk_cevap);

// Splits curl's output at its last line feed into the answer and the status ("\n%{http_code}").
// No line feed, or a status of 0, makes the service unreachable (ULASILAMADI).
void cikti_coz(const std::string& cikti, long* durum, std::string* cevap_, metinler::aktarim_hatasi* hata_);

}  // namespace webgiris

extern gizli::dize giris_sifresi;  // the password of the current attempt (main thread)

// Wipes the held password and the code field and leaves code mode.
void kimlik_sil();
