// A settings page against the stand-in clock: opening it reads the page's
// parameters in order, confirming writes them in order, and reopening the page
// reads back what was written.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/Q31Aff.h"
#include "app/Q31Config.h"
#include "app/Q31Ihm.h"
#include "app/Q31Modules.h"
#include "link/SbComErreur.h"
#include "link/SbComRecord.h"
#include "link/SbCr.h"
#include "panels/FQ31.h"
#include "platform/cvi.h"
#include "settings/Q31FSet.h"
#include "tests/support/Standin.h"
#include "tests/support/TestSupport.h"
#include "ui/Texts.h"

using namespace fq31;
using Strings = std::vector<std::string>;

namespace {

// Everything the stand-in received after the given number of lines.
Strings Since(const Strings& wire, size_t from) {
    return Strings(wire.begin() + long(from), wire.end());
}

void Settle() {
    qstest::StandinClock::Pause(0.3);
}

}  // namespace

TEST(SettingsAgainstTheClock, GeneralPageReadsWritesAndReadsBack) {
    qstest::TempProgramDir dir;
    qstest::EnsureRuntime();
    qstest::StandinClock clock(dir);
    ASSERT_TRUE(clock.Running());
    memset(&SbComG, 0, sizeof SbComG);
    SbComValDefaut(&SbComG);
    SbComRaz(&SbComG, &SbCrG);
    SbComDeplanter();
    Q31Defaut(&Q31G);
    Q31G.language = 0;
    Q31ChargerTextes();
    Q31EnregistrerCallbacks();
    Q31FIhmG = LoadPanel(0, "FQ31.uir", MAIN);
    Q31FSetCharger();
    Q31FSetTraduire();
    SbComG.port = 5;
    ASSERT_EQ(SbComOuvrir(1), 0);
    Q31ComInitLireParam();
    Q31InitAff(false, true);

    size_t mark = clock.Wire().size();
    QueueUserEvent(Q31FIhmG, MAIN_PAGE_4);
    Settle();
    ASSERT_EQ(Q31FSetPageOuverte(), 4);
    EXPECT_EQ(Since(clock.Wire(), mark),
              (Strings{"RP 001", "RP 004 01", "RP 005 01", "RP 006 01", "RP 004 02", "RP 005 02", "RP 006 02",
                       "RP 023", "RP 007", "RP 029", "RP 016", "RP 017", "RP 021", "RP 012", "RP 008"}));

    const int page = Q31FSetG[4];
    SetCtrlVal(page, PAGE4_PRECISION, 4);
    SetCtrlVal(page, PAGE4_TB1, 10);  // input 1 on, 0.1 s time base
    mark = clock.Wire().size();
    QueueUserEvent(page, PAGE4_OK);
    Settle();
    Strings writes = Since(clock.Wire(), mark);
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes.front(), "WP 001 4");
    EXPECT_EQ(writes[1], "WP 004 01 0010");
    EXPECT_EQ(writes[3], "WP 006 01 1");
    EXPECT_EQ(writes.back().substr(0, 6), "WP 016");  // the speed last
    EXPECT_EQ(SbComErreur(), 0);

    // Forget the values here, close, reopen: the page shows what the clock now holds.
    Q31FSetFermer();
    SbComG.params.precision = 0;
    SbComG.params.inputs[0].timeBase = 0;
    QueueUserEvent(Q31FIhmG, MAIN_PAGE_4);
    Settle();
    int v = -1;
    GetCtrlVal(page, PAGE4_PRECISION, &v);
    EXPECT_EQ(v, 4);
    GetCtrlVal(page, PAGE4_TB1, &v);
    EXPECT_EQ(v, 10);
    EXPECT_EQ(SbComG.params.inputs[0].enabled, 1);
    Q31FSetFermer();
    SbComQuitter();
    DiscardPanel(Q31FIhmG);
    Q31FIhmG = 0;
}
