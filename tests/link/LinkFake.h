// A fake port for the link tests: captures every frame written, answers from a
// script during the acknowledgement wait, and runs a clock that tests advance.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "link/SbComFrame.h"
#include "records/SbChronoRec.h"

namespace linkfake {

struct State {
    std::vector<std::string> frames;  // literal bytes of each frame written
    std::deque<std::string> replies;  // bytes the clock sends after the next frame, one entry per frame
    bool autoAck = true;              // answer "AK" to every frame that has no scripted reply
    int writeResult = 0;              // < 0: the write fails with that code
    int portStatus = 0;               // non-zero: the port's error status never clears
    double now = 100.0;               // seconds
    int waitPasses = 0;               // event passes made by the acknowledgement wait
};
State& S();

// The payloads of the captured frames (start mark, check value and line end removed).
std::vector<std::string> Payloads();

// Every time the decoder handed over (to the times store, in the program), oldest first:
// the link tests are the decoder's time receiver.
const std::vector<SbChronoRec>& TimesHandedOver();
void ForgetTimesHandedOver();

// Raw bytes from the clock, through the serial callback: the program's line reader,
// check and decoder.
void Recevoir(const std::string& bytes);

// A frame as the clock sends it: payload, TAB, check value, CR, LF.
std::string Ligne(const std::string& payload);

// Installs the fake port, fills GMesComG with "E<entry>" texts, clears the link
// error and the pending acknowledgement, resets SbComG to its defaults with the
// link in state 1. Restores the run-time's port afterwards.
class LinkTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    static std::string Titre();
    static std::string Texte();
};

}  // namespace linkfake
