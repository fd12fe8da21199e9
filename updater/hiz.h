// The pace of a capped update run: every transfer step starts only when the steps before it
// would have ended at the capped rate, counted from when each started, so a slow step saves
// up no credit for a burst afterwards. Within a step the cap is kept by the transfer itself
// (a streamed file, aktarim) or by the step's size (a quarter second's worth at most).
#pragma once
#include <chrono>
#include <cstdint>

namespace guncelleme {

struct hiz_duzeni {
    int64_t siniri = 0;  // bytes a second; 0: no cap
    std::chrono::steady_clock::time_point hazir = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point basladi;
    int64_t baslangic_bayti = 0;  // inen_bayt when the step began

    // Bytes one step may carry at most: a quarter second's worth, or `sinirsiz` with no cap.
    int64_t adim_bayti(int64_t sinirsiz) const;

    // Waits until the next step may start; false, at once, when the launcher is closing.
    bool basla();

    // The step that began at the last basla() has ended; what it carried is read from inen_bayt.
    void bitti();
};

}  // namespace guncelleme
