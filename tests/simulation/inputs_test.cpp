// Simulated clock: time of day by synchronisation mode, input impulses and the times
// they hand to the store, the competitor number, runs.
#include <algorithm>
#include <cstdint>
#include <filesystem>

#include "chrono/SbChrono.h"
#include "tests/simulation/SimuTestClock.h"
#include "tests/support/TestSupport.h"

using namespace simutest;

namespace {

class SimuInputs : public SimuTest {};

TEST_F(SimuInputs, TimeZoneShiftsTheComputerTime) {
    // -3.5 across midnight, none, +12, +11.5, -12, an index outside the table: none.
    const int cas[][3] = {{23, 110, 2140}, {19, 1305, 1305}, {0, 1300, 100},
                          {1, 2345, 1115}, {35, 1159, 2359}, {99, 830, 830}};
    for (auto [zone, local, shown] : cas) {
        SbComG.synchro.timeZone = zone;
        Regler(local / 100, local % 100, 17);
        Pas(0.01);
        EXPECT_EQ(Hhmmss(), shown * 100 + 17) << zone;
    }
}

TEST_F(SimuInputs, PresetTimeWaitsForTheSynchronisingImpulse) {
    SbComG.synchro.mode = 2;
    SbComG.synchro.hour = 9;
    Regler(14, 37, 25);
    Secondes(3);
    EXPECT_EQ(Hhmmss(), 90000);
    EXPECT_EQ(Anneau(), std::string(60, '.')) << "no valid time: no running light";
    EXPECT_EQ(SbQ31CrG.hourHand, 45);
    PrendreSon();
    Q31SimuImpulsion(1);  // 14:37:28
    int tone = -1;
    EXPECT_EQ(PrendreSon(&tone) * 10 + tone, 13);
    EXPECT_TRUE(tempsG.empty()) << "the synchronising impulse records no time";
    EXPECT_EQ(Q31G.simu.simuCountInput1, 0);
    Pas(0.1);
    EXPECT_EQ(Hhmmss(), 90028) << "the computer's seconds go on";
    Secondes(32);  // 14:38:00
    EXPECT_EQ(Hhmmss(), 90100);
    EXPECT_EQ(SbQ31CrG.lights[0] * 10 + SbQ31CrG.light0Flag, 11);
    EXPECT_EQ(SbComG.p8Digit1, 0);
    // Confirming mode 2 again on the synchronisation page: back to the preset time.
    SbQ31CrG.digitB = SbQ31CrG.digitC = Motif(8);
    Q31SimuSynchroMode2();
    EXPECT_EQ(SbQ31CrG.lightColour, 2);
    EXPECT_EQ(SbQ31CrG.digitB + SbQ31CrG.digitC, kVide);
    Secondes(1);
    EXPECT_EQ(SbCrG.minute * 100 + SbCrG.second, 0);
}

TEST_F(SimuInputs, ImpulsesHandTimesToTheStore) {
    SbComG.mode = 1;
    Q31G.simu.simuCompetitor = 42;
    Regler(11, 5, 7);
    Pas(0.01);
    Pas(0.25);
    const int fraction = SbCrG.fraction;
    ASSERT_GT(fraction, 0);
    Q31SimuSetInputControls(31, 32);  // the main window's input 1 and input 2 buttons
    for (int control : {31, 32, 31, 40}) FQ31SimuInput(1, control, EVENT_COMMIT, nullptr, 0, 0);
    FQ31SimuInput(1, 32, EVENT_LEFT_CLICK, nullptr, 0, 0);  // only a commit acts
    std::string seen;
    for (const SbChronoRec& r : tempsG) {
        EXPECT_EQ(std::string({r.Type, r.Marque, r.Qualif}), "TNM");
        EXPECT_EQ(r.Heures * 10000 + r.Minutes * 100 + r.Secondes, 110507);
        EXPECT_EQ(r.Fraction, fraction);
        EXPECT_EQ(r.Concurrent * 1000 + r.Complement, 42000);
        seen += r.Canal + std::to_string(r.Numero) + " ";
    }
    EXPECT_EQ(seen, "11 21 12  0 ") << "the third button counts nothing";
    EXPECT_EQ(SbCrG.channel[0] * 10 + SbCrG.channel[1], 11);
    EXPECT_TRUE(inputsG.empty());
    SbComG.mode = 0;  // PTB: no competitor
    Q31SimuImpulsion(2);
    EXPECT_EQ(tempsG.back().Concurrent + Q31G.simu.simuCompetitor, 0);
    EXPECT_EQ(tempsG.back().Numero, 2);
    // Counters read back from a damaged configuration file start again at 1.
    Q31G.simu.simuCountInput1 = INT32_MAX;
    Q31G.simu.simuCountInput2 = -7;
    Q31SimuImpulsion(1);
    Q31SimuImpulsion(2);
    EXPECT_EQ(tempsG[tempsG.size() - 2].Numero * 10 + tempsG.back().Numero, 11);
}

// In mode SPLIT the number (its last two digits, or two dashes for none) alternates
// with blank, once the preset time is synchronised and while no countdown runs.
TEST_F(SimuInputs, CompetitorNumberBlinks) {
    const int seven = Motif(0) * 256 + Motif(7);
    const int cas[][3] = {{1, 7, seven}, {1, 0, 0x4040}, {1, 123, Motif(2) * 256 + Motif(3)}, {0, 7, seven}};
    for (auto [mode, competitor, shown] : cas) {  // mode 0 (PTB) shows no number
        SCOPED_TRACE(competitor);
        SetUp();
        SbComG.mode = mode;
        SbComG.synchro.mode = 2;
        SbComG.synchro.hour = 9;
        Q31G.simu.simuCompetitor = competitor;
        Regler(14, 0, 0);
        Pas(0.01);
        EXPECT_EQ(SbQ31CrG.digitB + SbQ31CrG.digitC, kVide) << "not synchronised";
        Q31SimuImpulsion(1);
        std::string seen;
        for (int i = 0; i < 12; ++i) {
            Pas(0.3);
            const int pair = SbQ31CrG.digitB * 256 + SbQ31CrG.digitC;
            seen += pair == shown ? 'n' : pair == 0 ? ' ' : '?';
        }
        const auto numbers = std::count(seen.begin(), seen.end(), 'n');
        EXPECT_EQ(seen.find('?'), std::string::npos) << seen;
        EXPECT_TRUE(mode ? numbers > 2 && std::count(seen.begin(), seen.end(), ' ') > 2 : numbers == 0)
            << seen;
    }
}

// A run opens on the simulated clock's time with the next number (1 after 99) and
// fresh counters; ten impulses are simulated in all, the next ones (and all of them
// with a clock connected) are asked of the clock.
TEST_F(SimuInputs, RunsAndTheTenSimulatedImpulses) {
    Regler(16, 45, 30);
    Pas(0.01);
    Q31G.simu.simuCompetitor = 12;
    Q31G.simu.simuCountInput1 = 4;
    Q31G.simu.simuCountInput2 = 5;
    SbComG.run.next = 99;
    Q31SimuOuvrirManche();
    const auto& run = SbComG.run;
    EXPECT_EQ(run.current * 100 + run.next, 9901);
    EXPECT_EQ(run.hour * 10000 + run.minute * 100 + run.second, 164530);
    EXPECT_EQ(Q31G.simu.simuCompetitor + Q31G.simu.simuCountInput1 + Q31G.simu.simuCountInput2, 0);
    for (int i = 0; i < 10; ++i) Q31SimuImpulsion(i % 2 + 1);
    for (int channel : {1, 2, 0}) Q31SimuImpulsion(channel);
    Q31SimuOuvrirManche();  // a new run gives no ten more
    EXPECT_EQ(run.current * 100 + run.next, 102);
    Q31SimuImpulsion(1);
    Q31SimuFermerManche();
    EXPECT_EQ(run.current * 100 + run.next, 2);
    EXPECT_EQ(tempsG.size(), 10u);
    EXPECT_EQ(inputsG, (std::vector<int>{1, 2, 1}));
    SbComG.linkState = 1;
    Q31SimuInit();
    Q31SimuImpulsion(2);
    EXPECT_EQ(tempsG.size() * 10 + inputsG.back(), 102u);
}

TEST_F(SimuInputs, FractionNeverReachesAWholeSecond) {
    Regler(10, 0, 5);
    Pas(0.01);
    nowG += 1.5;  // a pass held up 1.5 s (a beep sequence) while the computer's second stands
    Regler(10, 0, 5);
    Q31SimuCr();
    EXPECT_EQ(SbCrG.fraction, 99999);
    SbComG.synchro.mode = 2;  // an unsynchronised preset time stands still for hours
    Pas(0.01);
    Pas(7 * 3600.0);
    EXPECT_EQ(SbCrG.fraction, 99999);
}

// The real times store: a start on input 1 two seconds after zero gives the time, the
// start reference and the difference; input 2 one row only.
TEST_F(SimuInputs, StartDuringACountdownGivesTimeReferenceAndDifference) {
    qstest::TempProgramDir dir(false);
    Q31SimuSetSorties(nullptr, nullptr);
    std::filesystem::create_directory("Chronos");
    SbChronoOuvrir("Chronos", "Chrono.q31tps", 0, 0);
    SbComG.progs[0].p102 = SbComG.progs[0].p104 = 60;
    SbComG.progs[0].p103 = 30;
    Regler(10, 20, 40);
    Pas(0.01);
    Q31SimuStartStop();
    Secondes(20 + 32);  // 10:21:32, zero at 10:21:30
    Pas(0.25);
    Q31SimuImpulsion(1);
    Q31SimuImpulsion(2);
    EXPECT_EQ(Anneau(), std::string(60, 'R')) << "a start on input 1 while armed lights the ring";
    std::string rows;
    for (int i = 1; i <= SbChronoNombre(); ++i) {
        const SbChronoRec* r = SbChronoLire(i);
        rows += std::string({r->Type, r->Canal}) + std::to_string(r->Minutes * 100 + r->Secondes) + " ";
    }
    SbChronoFermer("Chronos", "Chrono.q31tps");
    EXPECT_EQ(rows, "T12132 I 2130 D+2 T22132 ");
}

}  // namespace
