// Test bench for the simulated clock: a computer clock (timer, local time) the test moves
// on, the records reset, and receivers for the times and input commands handed on.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "records/SbChronoRec.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "simulation/Q31Simu.h"
#include "simulation/Q31SimuSorties.h"

namespace simutest {

inline double nowG = 1000.0;             // the timer
inline long long dayAt1000G;             // local second of the day when the timer read 1000.0
inline std::vector<SbChronoRec> tempsG;  // times handed to the store
inline std::vector<int> inputsG;         // input commands asked of the clock
inline constexpr int kVide = 0x00;       // a blank digit

inline long long SecondOfDay() {
    return ((dayAt1000G + static_cast<long long>(std::floor(nowG - 1000.0))) % 86400 + 86400) % 86400;
}
inline int Motif(int digit) {
    return Gen7Segments[size_t(digit)];
}

// Every test starts simulating on the computer's time of day (mode 5, no offset).
class SimuTest : public ::testing::Test {
protected:
    void SetUp() override {
        SbComG = SbCom{};
        SbCrG = SbCr{};
        SbQ31CrG = SbQ31Cr{};
        Q31G.simu = Q31SimuBlock{};
        SbChronoQ31ItG = SbChronoRec{};
        SbComG.simulation = 1;
        SbComG.synchro.mode = 5;
        SbComG.synchro.timeZone = 19;
        SbComG.run.next = 1;
        tempsG.clear();
        inputsG.clear();
        nowG = 1000.0;
        Q31SimuInit();
        Q31SimuSetSorties([](const SbChronoRec* r) { tempsG.push_back(*r); },
                          [](int i) { inputsG.push_back(i); });
        SetTimeSource([] { return nowG; },
                      [](int* h, int* m, int* s) {
                          const long long t = SecondOfDay();
                          *h = int(t / 3600), *m = int(t % 3600 / 60), *s = int(t % 60);
                      });
    }
    void TearDown() override {
        SetTimeSource(nullptr, nullptr);
        Q31SimuSetSorties(nullptr, nullptr);
    }
    static void Regler(int h, int m, int s) {  // local time now, the timer's fraction kept
        dayAt1000G = h * 3600LL + m * 60 + s - static_cast<long long>(std::floor(nowG - 1000.0));
    }
    static void Pas(double dt) {
        nowG += dt;
        Q31SimuCr();
    }
    // Passes every quarter second to the end of this one and makes the first pass of the next.
    static void Secondes(int n) {
        for (int i = 0; i < n; ++i) {
            const double debut = std::floor(nowG);
            for (double f : {0.25, 0.5, 0.75, 1.01})
                if (nowG < debut + f) Pas(debut + f - nowG);
        }
    }
    // The second lights as 60 characters: '.' off, 'R' red, 'G' green, 'A' amber.
    static std::string Anneau() {
        std::string r;
        for (auto v : SbQ31CrG.lights) r += v <= 3 ? ".RGA"[v] : '?';
        return r;
    }
    // The two digits as a number, -1 when they are not both decimal digits.
    static int Chiffres() {
        int d[2] = {-1, -1}, motifs[2] = {SbQ31CrG.digitB, SbQ31CrG.digitC};
        for (int k = 0; k < 2; ++k)
            for (int v = 0; v <= 9; ++v)
                if (motifs[k] == Motif(v)) d[k] = v;
        return d[0] < 0 || d[1] < 0 ? -1 : d[0] * 10 + d[1];
    }
    static int Hhmmss() { return SbCrG.hour * 10000 + SbCrG.minute * 100 + SbCrG.second; }
    // Takes the pending sound request as the sound player does (0 when none).
    static int PrendreSon(int* tone = nullptr) {
        const int r = SbCrG.soundRequest;
        if (tone) *tone = SbCrG.soundNumber;
        SbCrG.soundRequest = 0;
        return r;
    }
};

}  // namespace simutest
