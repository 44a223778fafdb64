// The link's texts as "E<entry>", the times the decoder hands over (to the store, in the program)
// in order, and the tests over the memory port's clock (link up, no error, nothing pending).
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "link/SbComConfig.h"
#include "link/SbComDecoder.h"
#include "link/SbComErreur.h"
#include "tests/support/MemoryPort.h"
#include "ui/Texts.h"

namespace linktest {

using Strings = std::vector<std::string>;

inline std::vector<SbChronoRec> timesG;  // in the order handed over

inline std::vector<int> Competitors() {
    std::vector<int> out;
    for (const SbChronoRec& r : timesG) out.push_back(r.Concurrent);
    return out;
}

inline void Texts() {
    for (int i = 0; i < int(std::size(GMesComG)); ++i) snprintf(GMesComG[i], sizeof GMesComG[i], "E%d", i);
    snprintf(GMesComG[10], sizeof GMesComG[10], "COM%%d cannot be opened");
    snprintf(GMesComG[11], sizeof GMesComG[11], "No answer on COM%%d");
}

// The link's error as the operator would read it, "title|text", or "" when there is none.
inline std::string Error() {
    char title[200], text[200];
    SbComTexteErreur(title, text);
    return SbComErreur() ? std::string(title) + "|" + text : "";
}

// Clears the link's error without touching a port.
inline void ClearError() {
    const uint8_t state = std::exchange(SbComG.linkState, 0);
    SbComDeplanter();
    SbComG.linkState = state;
}

// The payloads of the frames written (start mark, check value and line end removed).
inline Strings Payloads() {
    Strings out;
    for (const std::string& f : memport::C().frames) out.push_back(f.substr(1, f.find('\t') - 1));
    return out;
}

class LinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        memport::C() = {};
        memport::P() = {};
        Texts();
        SbComValDefaut(&SbComG);
        SbCrG = SbCr{};
        SbQ31CrG = SbQ31Cr{};
        SbComG.linkState = 1;
        ops_ = memport::ClockOps();
        SbComInstallerPort(&ops_);
        ClearError();
        timesG.clear();
        SbComSetTimeReceiver([](const SbChronoRec* r) { timesG.push_back(*r); });
    }
    void TearDown() override {
        SbComG.linkState = 0;
        SbComDeplanter();
        SbComInstallerPort(nullptr);
    }
    SbComPortOps ops_{};
};

}  // namespace linktest
