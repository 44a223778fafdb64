// Test bench for the simulated clock: an injected computer clock (local time and
// timer) that the test moves forward, the records reset, and receivers that keep the
// times and input commands the simulated clock hands on.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "records/Q31Config.h"
#include "records/SbChronoRec.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"

namespace simutest {

// The computer's clock: `now` seconds of timer; local time = start of day + whole seconds.
struct Horloge {
    double now = 1000.0;
    long long jourA0 = 0;  // local second of the day at timer 1000.0
};
extern Horloge horlogeG;
extern std::vector<SbChronoRec> tempsG;  // times handed to the store
extern std::vector<int> inputsG;         // input commands asked of the clock

// Digit patterns.
inline constexpr int kVide = 0x00;
int Motif(int digit);

class SimuTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Local time of the computer now (timer stays where it is).
    static void Regler(int h, int m, int s);
    static void HeureLocale(int* h, int* m, int* s);
    // Moves the timer on by dt and makes one step.
    static void Pas(double dt);
    // Steps through the rest of this second (passes every 0.25 s) and makes the first
    // step of the next one; one-shot events are left for the caller to read.
    static void SecondeSuivante();
    static void Secondes(int n) {
        for (int i = 0; i < n; ++i) SecondeSuivante();
    }
    // What the second lights show, as a text of 60 characters ('.' off, 'R' 1, 'G' 2, 'A' 3).
    static std::string Anneau();
    // The two digits as a number (-1 when not both are decimal digits).
    static int Chiffres();
    // Synchronisation mode 5 with no time-zone offset.
    static void HeureOrdinateur();
    // Takes the pending sound request like the sound player does (0 when none).
    static int PrendreSon(int* tone = nullptr);
};

}  // namespace simutest
