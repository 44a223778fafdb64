// A fake clock port for the settings tests: every frame sent is captured and answered
// "AK" in the acknowledgement wait, with the link record at its defaults.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "link/SbComConfig.h"
#include "link/SbComDecoder.h"
#include "link/SbComErreur.h"
#include "link/SbComLink.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"

namespace setfake {

inline std::vector<std::string> g_frames;
inline SbComLineReader g_reader;
inline bool g_replyDue = false;
inline double g_now = 100.0;

inline const SbComPortOps kOps = {[](const char* frame, int length) {
                                      g_frames.emplace_back(frame, size_t(length));
                                      g_replyDue = true;
                                      return length;
                                  },
                                  [] { return 0; },
                                  [] {
                                      g_now += 0.25;
                                      if (!std::exchange(g_replyDue, false)) return;
                                      char ack[16];
                                      std::snprintf(ack, sizeof ack, "AK\t%04X\r\n",
                                                    unsigned(SbComSomme("AK")) & 0xFFFF);
                                      g_reader.Feed(
                                          ack, std::strlen(ack),
                                          [](void*, const char* text, int length, bool tooLong) {
                                              if (SbComAccepterLigne(text, length, tooLong, SbComMessageG))
                                                  SbComDecoder();
                                          },
                                          nullptr);
                                  },
                                  [] { return g_now; }};

// Payloads of the frames captured since the test began (frame marks removed).
inline std::vector<std::string> Envoyes() {
    std::vector<std::string> out;
    for (const std::string& f : g_frames) out.push_back(f.substr(1, f.find('\t') - 1));
    return out;
}
inline void Effacer() {
    g_frames.clear();
}

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_frames.clear();
        g_reader.Reset();
        g_replyDue = false;
        SbComValDefaut(&SbComG);
        SbCrG = SbCr{};
        SbQ31CrG = SbQ31Cr{};
        Q31Defaut(&Q31G);
        SbComInstallerPort(&kOps);
        SbComG.linkState = 0;  // clear the error without touching a port
        SbComDeplanter();
        SbComG.linkState = 1;
        // The clock already works at the record's speed: writing it never reopens a port.
        SbComVitesseCouranteG = SbComG.params.speedCode;
    }
    void TearDown() override {
        SbComG.linkState = 0;
        SbComDeplanter();
        SbComInstallerPort(nullptr);
    }
    // The simulated clock instead of a clock: link closed, simulation on.
    static void Simuler() {
        SbComG.linkState = 0;
        SbComG.simulation = 1;
    }
};

}  // namespace setfake
