// Simulated clock: time of day by synchronisation mode, input impulses and the times
// they produce, the competitor number, and the settings pages' effects.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/cvi.h"
#include "simulation/Q31Simu.h"
#include "tests/simulation/SimuTestClock.h"

using namespace simutest;

namespace {

class SimuInputs : public SimuTest {};

TEST_F(SimuInputs, TimeZoneShiftsTheComputerTime) {
    struct Cas {
        int zone, h, m, attenduH, attenduM;
    };
    const Cas cas[] = {
        {23, 1, 10, 21, 40},   // -3.5 across midnight
        {19, 13, 5, 13, 5},    // no offset
        {0, 13, 0, 1, 0},      // +12 past midnight
        {1, 23, 45, 11, 15},   // +11.5
        {35, 11, 59, 23, 59},  // -12
        {99, 8, 30, 8, 30},    // an index outside the table shifts nothing
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE("zone " + std::to_string(c.zone));
        SetUp();
        SbComG.synchro.mode = 5;
        SbComG.synchro.timeZone = c.zone;
        Regler(c.h, c.m, 17);
        Pas(0.01);
        EXPECT_EQ(SbCrG.hour, c.attenduH);
        EXPECT_EQ(SbCrG.minute, c.attenduM);
        EXPECT_EQ(SbCrG.second, 17);
    }
}

TEST_F(SimuInputs, PresetTimeWaitsForTheSynchronisingImpulse) {
    SbComG.synchro.mode = 2;
    SbComG.synchro.hour = 9;
    SbComG.synchro.minute = 0;
    Regler(14, 37, 25);
    for (int i = 0; i < 3; ++i) {
        SecondeSuivante();
        ASSERT_EQ(SbCrG.hour, 9);
        ASSERT_EQ(SbCrG.minute, 0);
        ASSERT_EQ(SbCrG.second, 0);
        ASSERT_EQ(std::count(SbQ31CrG.lights.begin(), SbQ31CrG.lights.end(), 0), 60)
            << "no valid time: no running light";
    }
    EXPECT_EQ(SbQ31CrG.hourHand, 45);

    PrendreSon();
    Q31SimuImpulsion(1);  // 14:37:28
    int tone = -1;
    EXPECT_EQ(PrendreSon(&tone), 1);
    EXPECT_EQ(tone, 3);
    EXPECT_TRUE(tempsG.empty()) << "the synchronising impulse records no time";
    EXPECT_EQ(Q31G.simu.simuCountInput1, 0);
    EXPECT_EQ(Q31G.simu.simuSynchronised, 1);

    Pas(0.1);
    EXPECT_EQ(SbCrG.hour, 9);
    EXPECT_EQ(SbCrG.minute, 0);
    EXPECT_EQ(SbCrG.second, 28) << "the computer's seconds go on";
    Secondes(32);  // 14:38:00
    EXPECT_EQ(SbCrG.hour, 9);
    EXPECT_EQ(SbCrG.minute, 1);
    EXPECT_EQ(SbCrG.second, 0);
    EXPECT_EQ(SbQ31CrG.lights[0], 1);
    EXPECT_EQ(SbQ31CrG.light0Flag, 1);
    EXPECT_EQ(SbComG.p8Digit1, 0);

    // Confirming mode 2 again on the synchronisation page: back to the preset time.
    Q31SimuSynchroMode2();
    EXPECT_EQ(SbQ31CrG.lightColour, 2);
    EXPECT_EQ(SbQ31CrG.digitB, kVide);
    EXPECT_EQ(SbQ31CrG.digitC, kVide);
    SecondeSuivante();
    EXPECT_EQ(SbCrG.minute, 0);
    EXPECT_EQ(SbCrG.second, 0);
}

TEST_F(SimuInputs, ImpulsesHandTimesToTheStore) {
    HeureOrdinateur();
    SbComG.mode = 1;
    Q31G.simu.simuCompetitor = 42;
    Regler(11, 5, 7);
    Pas(0.01);
    Pas(0.25);
    const int fraction = SbCrG.fraction;
    ASSERT_GT(fraction, 0);

    Q31SimuSetInputControls(31, 32);  // the main window's input 1 and input 2 buttons
    EXPECT_EQ(FQ31SimuInput(1, 31, EVENT_COMMIT, nullptr, 0, 0), 0);
    FQ31SimuInput(1, 32, EVENT_COMMIT, nullptr, 0, 0);
    FQ31SimuInput(1, 32, EVENT_LEFT_CLICK, nullptr, 0, 0);  // only a commit acts
    FQ31SimuInput(1, 31, EVENT_COMMIT, nullptr, 0, 0);
    FQ31SimuInput(1, 40, EVENT_COMMIT, nullptr, 0, 0);  // the third button
    ASSERT_EQ(tempsG.size(), 4u);
    for (const SbChronoRec& r : tempsG) {
        EXPECT_EQ(r.Type, 'T');
        EXPECT_EQ(r.Marque, 'N');
        EXPECT_EQ(r.Qualif, 'M');
        EXPECT_EQ(r.Concurrent, 42);
        EXPECT_EQ(r.Heures, 11);
        EXPECT_EQ(r.Minutes, 5);
        EXPECT_EQ(r.Secondes, 7);
        EXPECT_EQ(r.Fraction, fraction);
        EXPECT_EQ(r.Complement, 0);
    }
    EXPECT_EQ(std::string({tempsG[0].Canal, tempsG[1].Canal, tempsG[2].Canal, tempsG[3].Canal}), "121 ");
    EXPECT_EQ(tempsG[0].Numero, 1);
    EXPECT_EQ(tempsG[1].Numero, 1);
    EXPECT_EQ(tempsG[2].Numero, 2);
    EXPECT_EQ(tempsG[3].Numero, 0);
    EXPECT_EQ(SbCrG.channel[0], 1);
    EXPECT_EQ(SbCrG.channel[1], 1);
    EXPECT_TRUE(inputsG.empty());

    // In mode PTB the competitor is dropped.
    SbComG.mode = 0;
    Q31SimuImpulsion(2);
    EXPECT_EQ(tempsG.back().Concurrent, 0);
    EXPECT_EQ(Q31G.simu.simuCompetitor, 0);
    EXPECT_EQ(tempsG.back().Numero, 2);

    // Counters read back from a damaged configuration file start again at 1.
    Q31G.simu.simuCountInput1 = INT32_MAX;
    Q31G.simu.simuCountInput2 = -7;
    Q31SimuImpulsion(1);
    Q31SimuImpulsion(2);
    EXPECT_EQ(tempsG[tempsG.size() - 2].Numero, 1);
    EXPECT_EQ(tempsG.back().Numero, 1);
}

TEST_F(SimuInputs, OnlyTenImpulsesAreSimulated) {
    HeureOrdinateur();
    Regler(11, 5, 7);
    Pas(0.01);
    for (int i = 0; i < 10; ++i) Q31SimuImpulsion(i % 2 + 1);
    EXPECT_EQ(tempsG.size(), 10u);
    EXPECT_TRUE(inputsG.empty());

    Q31SimuImpulsion(1);
    Q31SimuImpulsion(2);
    Q31SimuImpulsion(0);
    EXPECT_EQ(tempsG.size(), 10u) << "the eleventh impulse produces no time";
    EXPECT_EQ(inputsG, (std::vector<int>{1, 2})) << "inputs 1 and 2 go to the clock instead";

    // Opening a run does not give ten more.
    Q31SimuOuvrirManche();
    Q31SimuImpulsion(1);
    EXPECT_EQ(tempsG.size(), 10u);
}

TEST_F(SimuInputs, WithoutSimulationTheButtonsAskTheClock) {
    SbComG.simulation = 0;
    SbComG.linkState = 1;
    HeureOrdinateur();
    Q31SimuSetInputControls(31, 32);
    FQ31SimuInput(1, 32, EVENT_COMMIT, nullptr, 0, 0);
    FQ31SimuInput(1, 31, EVENT_COMMIT, nullptr, 0, 0);
    FQ31SimuInput(1, 33, EVENT_COMMIT, nullptr, 0, 0);  // third button: nothing
    EXPECT_EQ(inputsG, (std::vector<int>{2, 1}));
    EXPECT_TRUE(tempsG.empty());
}

TEST_F(SimuInputs, StartImpulseWhileArmedLightsTheWholeRing) {
    HeureOrdinateur();
    SbComG.progs[0].p104 = 60;
    SbComG.progs[0].p103 = 30;
    Regler(10, 20, 40);
    Pas(0.01);
    Q31SimuStartStop();
    Q31SimuImpulsion(2);
    EXPECT_EQ(std::count(SbQ31CrG.lights.begin(), SbQ31CrG.lights.end(), 1), 1);
    Q31SimuImpulsion(1);
    EXPECT_EQ(std::count(SbQ31CrG.lights.begin(), SbQ31CrG.lights.end(), 1), 60);
    Secondes(21);  // 10:21:01, counting
    ASSERT_EQ(SbQ31CrG.status2, 1);
    const auto avant = SbQ31CrG.lights;
    Q31SimuImpulsion(1);
    EXPECT_EQ(SbQ31CrG.lights, avant) << "a start during a countdown leaves the arc";
}

class CompetitorBlink : public SimuTest {
protected:
    // Mode SPLIT, preset time synchronised by an impulse; returns the digit pairs seen
    // at passes every 0.3 s (left pattern * 256 + right pattern).
    static std::vector<int> Observer(int competitor, int passes) {
        SbComG.mode = 1;
        SbComG.synchro.mode = 2;
        SbComG.synchro.hour = 9;
        Regler(14, 0, 0);
        Pas(0.01);
        Q31SimuImpulsion(1);
        Q31G.simu.simuCompetitor = competitor;
        std::vector<int> vus;
        for (int i = 0; i < passes; ++i) {
            Pas(0.3);
            vus.push_back(SbQ31CrG.digitB * 256 + SbQ31CrG.digitC);
        }
        return vus;
    }
    static int Paire(int gauche, int droite) { return gauche * 256 + droite; }
};

// The number (its last two digits, or two dashes for none) alternates with blank.
TEST_F(CompetitorBlink, NumberAlternatesWithBlank) {
    struct Cas {
        int competitor, shown;
    };
    for (Cas c : {Cas{7, Paire(Motif(0), Motif(7))}, Cas{0, Paire(0x40, 0x40)},
                  Cas{123, Paire(Motif(2), Motif(3))}}) {
        SCOPED_TRACE("competitor " + std::to_string(c.competitor));
        SetUp();
        const auto vus = Observer(c.competitor, 12);
        const auto numero = std::count(vus.begin(), vus.end(), c.shown);
        const auto vides = std::count(vus.begin(), vus.end(), 0);
        EXPECT_GT(numero, 2);
        EXPECT_GT(vides, 2);
        EXPECT_EQ(numero + vides, 12);
    }
}

TEST_F(CompetitorBlink, NoBlinkBeforeSynchronisationOrDuringACountdown) {
    SbComG.mode = 1;
    SbComG.synchro.mode = 2;
    Q31G.simu.simuCompetitor = 7;
    Regler(14, 0, 0);
    for (int i = 0; i < 6; ++i) {
        Pas(0.3);
        ASSERT_EQ(SbQ31CrG.digitC, kVide) << "not synchronised";
    }
    // A countdown owns the digits.
    SbComG.synchro.mode = 5;
    Q31G.simu.simuSynchronised = 1;
    SbComG.progs[0].p104 = 0;
    SbComG.progs[0].p103 = 30;
    Pas(0.01);
    Q31SimuStartStop();
    Secondes(2);
    ASSERT_EQ(SbQ31CrG.status2, 1);
    for (int i = 0; i < 8; ++i) {
        Pas(0.3);
        ASSERT_GE(Chiffres(), 25);
    }
}

TEST_F(SimuInputs, RunsOpenAndCloseOnTheSimulatedClock) {
    HeureOrdinateur();
    Regler(16, 45, 30);
    Pas(0.01);
    Q31G.simu.simuCompetitor = 12;
    Q31G.simu.simuCountInput1 = 4;
    Q31G.simu.simuCountInput2 = 5;
    SbComG.run.next = 99;
    Q31SimuOuvrirManche();
    EXPECT_EQ(SbComG.run.current, 99);
    EXPECT_EQ(SbComG.run.next, 1);
    EXPECT_EQ(SbComG.run.hour, 16);
    EXPECT_EQ(SbComG.run.minute, 45);
    EXPECT_EQ(SbComG.run.second, 30);
    EXPECT_EQ(Q31G.simu.simuCompetitor, 0);
    EXPECT_EQ(Q31G.simu.simuCountInput1, 0);
    EXPECT_EQ(Q31G.simu.simuCountInput2, 0);
    Q31SimuImpulsion(1);
    EXPECT_EQ(tempsG.back().Numero, 1) << "counters start again with the run";

    Q31SimuOuvrirManche();
    EXPECT_EQ(SbComG.run.current, 1);
    EXPECT_EQ(SbComG.run.next, 2);
    Q31SimuFermerManche();
    EXPECT_EQ(SbComG.run.current, 0);
    EXPECT_EQ(SbComG.run.next, 2);

    Q31G.simu.simuCountInput2 = 8;
    Q31G.simu.simuCompetitor = 3;
    Q31SimuRazCompteurs();
    EXPECT_EQ(Q31G.simu.simuCountInput2, 0);
    EXPECT_EQ(Q31G.simu.simuCompetitor, 0);
}

TEST_F(SimuInputs, FractionNeverReachesAWholeSecond) {
    HeureOrdinateur();
    Regler(10, 0, 5);
    Pas(0.01);
    // A pass held up 1.5 s (a beep sequence) while the computer's second has not moved on.
    horlogeG.now += 1.5;
    Regler(10, 0, 5);
    Q31SimuCr();
    EXPECT_GE(SbCrG.fraction, 0);
    EXPECT_LE(SbCrG.fraction, 99999);
    // An unsynchronised preset time stands still for hours.
    SbComG.synchro.mode = 2;
    Pas(7 * 3600.0);
    EXPECT_GE(SbCrG.fraction, 0);
    EXPECT_LE(SbCrG.fraction, 99999);
}

}  // namespace
