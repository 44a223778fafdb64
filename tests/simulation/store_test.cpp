// The simulated clock feeding the real times store: a start on input 1 during a
// countdown shows as the time, the start reference and the difference.
#include <filesystem>

#include "chrono/SbChrono.h"
#include "simulation/Q31Simu.h"
#include "simulation/Q31SimuSorties.h"
#include "tests/simulation/SimuTestClock.h"
#include "tests/support/TestSupport.h"

using namespace simutest;

namespace {

class SimuStore : public SimuTest {
protected:
    void SetUp() override {
        SimuTest::SetUp();
        Q31SimuSetSorties(nullptr, nullptr);  // the real times store
        std::filesystem::create_directory("Chronos");
        SbChronoOuvrir("Chronos", "Chrono.q31tps", 0, 0);
    }
    void TearDown() override {
        SbChronoFermer("Chronos", "Chrono.q31tps");
        SimuTest::TearDown();
    }
    qstest::TempProgramDir dir_{false};
};

TEST_F(SimuStore, StartDuringACountdownGivesTimeReferenceAndDifference) {
    HeureOrdinateur();
    auto& p = SbComG.progs[0];
    p.p104 = 60;
    p.p103 = 30;
    p.p102 = 60;
    Regler(10, 20, 40);
    Pas(0.01);
    Q31SimuStartStop();
    Secondes(20 + 32);  // 10:21:32, two seconds after zero at 10:21:30
    Pas(0.25);
    Q31SimuImpulsion(1);
    Q31SimuImpulsion(2);  // channel 2: one row only

    ASSERT_EQ(SbChronoNombre(), 4);
    const SbChronoRec* t = SbChronoLire(1);
    const SbChronoRec* ref = SbChronoLire(2);
    const SbChronoRec* diff = SbChronoLire(3);
    EXPECT_EQ(t->Type, 'T');
    EXPECT_EQ(t->Qualif, 'M');
    EXPECT_EQ(t->Canal, '1');
    EXPECT_EQ(t->Secondes, 32);
    EXPECT_EQ(ref->Type, 'I');
    EXPECT_EQ(ref->Minutes, 21);
    EXPECT_EQ(ref->Secondes, 30);
    EXPECT_EQ(diff->Type, 'D');
    EXPECT_EQ(diff->Canal, '+');
    EXPECT_EQ(diff->Secondes, 2);
    EXPECT_EQ(SbChronoLire(4)->Canal, '2');
}

}  // namespace
