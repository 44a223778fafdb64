// A fake clock port for the settings tests: every frame sent is captured and
// answered "AK" in the acknowledgement wait, with the link record at its defaults.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace setfake {

// Payloads of the frames captured since the test began (frame marks removed).
std::vector<std::string> Envoyes();
void Effacer();

// Installs the fake port; SbComG at its defaults with the link open (state 1),
// the live records cleared, Q31G at its defaults. Restores the real port after.
class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // The simulated clock instead of a clock: link closed, simulation on.
    static void Simuler();
};

}  // namespace setfake
