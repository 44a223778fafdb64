// Test bench for the simulated clock: injected computer clock and output receivers.
#include "tests/simulation/SimuTestClock.h"

#include <cmath>

#include "platform/cvi.h"
#include "simulation/Q31Simu.h"
#include "simulation/Q31SimuSorties.h"

namespace simutest {

Horloge horlogeG;
std::vector<SbChronoRec> tempsG;
std::vector<int> inputsG;

namespace {

double TimerTest() {
    return horlogeG.now;
}

void LocalTest(int* h, int* m, int* s) {
    long long sec = horlogeG.jourA0 + static_cast<long long>(std::floor(horlogeG.now - 1000.0));
    sec %= 86400;
    if (sec < 0) sec += 86400;
    *h = int(sec / 3600);
    *m = int(sec % 3600 / 60);
    *s = int(sec % 60);
}

void RecevoirTemps(const SbChronoRec* r) {
    tempsG.push_back(*r);
}
void RecevoirInput(int input) {
    inputsG.push_back(input);
}

}  // namespace

int Motif(int digit) {
    return Gen7Segments[size_t(digit)];
}

void SimuTest::SetUp() {
    SbComG = SbCom{};
    SbCrG = SbCr{};
    SbQ31CrG = SbQ31Cr{};
    Q31G.simu = Q31SimuBlock{};
    SbChronoQ31ItG = SbChronoRec{};
    SbComG.simulation = 1;
    SbComG.synchro.timeZone = 19;
    SbComG.run.next = 1;
    tempsG.clear();
    inputsG.clear();
    horlogeG = Horloge{};
    Q31SimuInit();
    Q31SimuSetSorties(&RecevoirTemps, &RecevoirInput);
    SetTimeSource(&TimerTest, &LocalTest);
}

void SimuTest::TearDown() {
    SetTimeSource(nullptr, nullptr);
    Q31SimuSetSorties(nullptr, nullptr);
}

void SimuTest::Regler(int h, int m, int s) {
    // Local time = h:m:s at the current timer value (the timer's fraction kept).
    const long long ecoule = static_cast<long long>(std::floor(horlogeG.now - 1000.0));
    horlogeG.jourA0 = h * 3600LL + m * 60 + s - ecoule;
}

void SimuTest::HeureLocale(int* h, int* m, int* s) {
    LocalTest(h, m, s);
}

void SimuTest::Pas(double dt) {
    horlogeG.now += dt;
    Q31SimuCr();
}

void SimuTest::SecondeSuivante() {
    const double debut = std::floor(horlogeG.now);
    for (double f : {0.25, 0.5, 0.75}) {
        if (horlogeG.now < debut + f) {
            horlogeG.now = debut + f;
            Q31SimuCr();
        }
    }
    horlogeG.now = debut + 1.01;
    Q31SimuCr();
}

std::string SimuTest::Anneau() {
    std::string r(60, '?');
    for (size_t p = 0; p < 60; ++p) {
        switch (SbQ31CrG.lights[p]) {
            case 0:
                r[p] = '.';
                break;
            case 1:
                r[p] = 'R';
                break;
            case 2:
                r[p] = 'G';
                break;
            case 3:
                r[p] = 'A';
                break;
            default:
                break;
        }
    }
    return r;
}

int SimuTest::Chiffres() {
    int d[2] = {-1, -1};
    const int motifs[2] = {SbQ31CrG.digitB, SbQ31CrG.digitC};
    for (int k = 0; k < 2; ++k)
        for (int v = 0; v <= 9; ++v)
            if (motifs[k] == Motif(v)) d[k] = v;
    if (d[0] < 0 || d[1] < 0) return -1;
    return d[0] * 10 + d[1];
}

void SimuTest::HeureOrdinateur() {
    SbComG.synchro.mode = 5;
    SbComG.synchro.timeZone = 19;
}

int SimuTest::PrendreSon(int* tone) {
    const int r = SbCrG.soundRequest;
    if (tone) *tone = SbCrG.soundNumber;
    SbCrG.soundRequest = 0;
    return r;
}

}  // namespace simutest
