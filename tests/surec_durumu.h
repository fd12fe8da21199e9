// In-process tests share the launcher's process-wide state (settings, message box, panels,
// fields, workers, the server link, the game); this puts all of it back as a launcher starts.
#pragma once
#include <gtest/gtest.h>

namespace yardimci {

// Stops and joins the update and sign-in workers, ends the server link, reaps a game, and
// resets every process-wide variable the in-process tests touch.
void surec_durumunu_sifirla();

// A fixture whose every test starts from, and leaves behind, the state of a fresh launcher.
struct SurecTesti : ::testing::Test {
    void SetUp() override { surec_durumunu_sifirla(); }
    void TearDown() override { surec_durumunu_sifirla(); }
};

}  // namespace yardimci
