// The clock's serial speed changed from the general parameters page in the middle
// of a race: the port is reopened at the new speed, the clock still answers, and
// the times keep coming into the same table.
#include <gtest/gtest.h>

#include <string>

#include "app/Q31Ihm.h"
#include "chrono/SbChrono.h"
#include "link/SbComErreur.h"
#include "panels/FQ31.h"
#include "panels/FSabGen.h"
#include "platform/cvi.h"
#include "records/SbChronoRec.h"
#include "records/SbComRecord.h"
#include "tests/runner/Operator.h"
#include "tests/runner/Race.h"
#include "tests/support/Standin.h"
#include "tests/support/TestSupport.h"
#include "ui/Dialogs.h"

using namespace fq31;
using namespace e2e;

namespace {

int errorBoxes = 0;
int lastErrorBox = 0;

// Counts every error box that appears, on every pass it is given.
bool Watch(bool done) {
    const int box = FindLoadedPanel("FSabGen.uir", fsabgen::ERREUR);
    if (box > 0 && box != lastErrorBox) ++errorBoxes;
    lastErrorBox = box;
    return done;
}

}  // namespace

TEST(SpeedChange, TheRaceGoesOnAtTheNewSpeed) {
    qstest::TempProgramDir dir;
    qstest::StandinClock clock(dir);
    ASSERT_TRUE(clock.Running());
    InstallHooks();
    auto main = [] { return MainPanel(); };
    auto idle = [] { return Watch(Usable(MainPanel(), MAIN_PAGE_0) && !SbWaitOuvert()); };
    static size_t wireBeforeConfirm = 0;
    static int linkError = -1;
    Steps steps = {Until([] { return MainPanel() > 0; })};
    Then(steps, ConnectToCom5());
    Then(steps, {
                    Tell("messages off"),
                    Tell("send &E 00"),
                    Until(idle),
                    Tell("impulse 1"),
                    Until([] { return Watch(SbChronoNombre() == 1); }),
                    Press(main, MAIN_PAGE_4),
                    Fill(Page(4), {{PAGE4_SPEED, 3}}),  // 38,400 bit/s
                    Do([&clock] { wireBeforeConfirm = clock.Wire().size(); }),
                    Press(Page(4), PAGE4_OK),
                    Until([] { return Watch(SbComG.speed == 38400 && !SbWaitOuvert()); }),
                    Press(Page(4), PAGE4_QUIT),
                    Until(idle),
                    Tell("impulse 2"),
                    Until([] { return Watch(SbChronoNombre() == 2); }),
                    // Another exchange at the new speed, acknowledged as before.
                    Press(main, MAIN_PAGE_2),
                    Press(Page(2), PAGE2_QUIT),
                    Until(idle),
                    Passes(20),
                    Do([] { linkError = SbComErreur(); }),
                    Until(idle),
                    Press(main, MAIN_QUIT),
                    Answer("FSabGen.uir", fsabgen::POPUP, fsabgen::POPUP_VALIDER),
                });
    const size_t count = steps.size();
    ASSERT_EQ(RunProgram(std::move(steps)), count);

    EXPECT_EQ(errorBoxes, 0);
    EXPECT_EQ(linkError, 0);
    const Strings wire = clock.Wire();
    ASSERT_GT(wire.size(), wireBeforeConfirm);
    const Strings after(wire.begin() + long(wireBeforeConfirm), wire.end());
    ASSERT_GE(after.size(), 3u);
    EXPECT_EQ(after[0], "WP 001 2");
    EXPECT_EQ(after[after.size() - 3], "WP 016 3");  // the speed last,
    EXPECT_EQ(after[after.size() - 2], "SN");        // then the port reopened,
    EXPECT_EQ(after.back(), "RP 002");               // and the next page read at the new speed
    const std::string times = qstest::ReadFileBytes(dir.file("Chronos/Chrono.q31tps"));
    ASSERT_EQ(times.size(), 4u + 2 * sizeof(SbChronoRec));
    EXPECT_EQ(At<SbChronoRec>(times, 4).Canal, '1');
    EXPECT_EQ(At<SbChronoRec>(times, 36).Canal, '2');
    const std::string link = qstest::ReadFileBytes(dir.file("QS-310_V1-1.sbcnf"));
    EXPECT_EQ(At<int32_t>(link, 12), 38400);
    EXPECT_EQ(At<int32_t>(link, 460 + 16), 3);  // the clock's speed code
    RemoveHooks();
}
