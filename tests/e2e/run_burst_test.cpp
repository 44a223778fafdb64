// A busy run against the stand-in clock: five hundred times arrive in one burst,
// some while a question is open on screen, and none is lost on the way to the
// table and to "Chronos"; downloading the closed run brings back the same times.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/Q31Ihm.h"
#include "chrono/SbChrono.h"
#include "link/SbComErreur.h"
#include "panels/FQ31.h"
#include "panels/FSabGen.h"
#include "platform/cvi.h"
#include "records/SbChronoRec.h"
#include "records/SbComRecord.h"
#include "settings/Q31FSet.h"
#include "tests/runner/Operator.h"
#include "tests/runner/Race.h"
#include "tests/support/Standin.h"
#include "tests/support/TestSupport.h"
#include "ui/Dialogs.h"

using namespace fq31;
using namespace e2e;

namespace {

constexpr int kTimes = 500;

std::string Impulses(int count, int channel) {
    std::string lines;
    for (int i = 0; i < count; ++i)
        lines += "impulse " + std::to_string(channel) + (i + 1 < count ? "\n" : "");
    return lines;
}

struct Seen {
    std::string storeAfterBurst, storeAfterDownload;
    int rowsAfterBurst = -1, timesDuringQuestion = -1, linkError = -1;
} seen;

std::string StoreImage() {
    std::string image(4, '\0');
    const int32_t n = SbChronoNombre();
    memcpy(image.data(), &n, 4);
    for (int i = 1; i <= n; ++i)
        image.append(reinterpret_cast<const char*>(SbChronoLire(i)), sizeof(SbChronoRec));
    return image;
}

}  // namespace

TEST(RunBurst, FiveHundredTimesArriveWholeAndComeBackByDownload) {
    qstest::TempProgramDir dir;
    qstest::StandinClock clock(dir);
    ASSERT_TRUE(clock.Running());
    InstallHooks();
    auto main = [] { return MainPanel(); };
    auto idle = [] { return Usable(MainPanel(), MAIN_PAGE_0) && !SbWaitOuvert(); };
    const long storeSize = long(4 + kTimes * sizeof(SbChronoRec));
    Steps steps = {Until([] { return MainPanel() > 0; })};
    Then(steps, ConnectToCom5());
    Then(steps, {
                    Tell("messages off"),
                    Tell("send &E 00"),
                    Until(idle),
                    Press(main, MAIN_PAGE_0),
                    SetAndPress(Page(0), PAGE0_RUN_SWITCH, 1),
                    Until([] { return SbComG.run.current == 1 && !SbWaitOuvert(); }),
                    // The first times arrive while the operator is asked to close the run again.
                    SetAndPress(Page(0), PAGE0_RUN_SWITCH, 0),
                    Until([] { return FindLoadedPanel("FSabGen.uir", fsabgen::POPUP) > 0; }),
                    Tell(Impulses(20, 2)),
                    Until([] { return SbChronoNombre() == 20; }),
                    Do([] { seen.timesDuringQuestion = SbChronoNombre(); }),
                    Answer("FSabGen.uir", fsabgen::POPUP, fsabgen::POPUP_ANNULER),  // the run stays open
                    Until([] { return !FindLoadedPanel("FSabGen.uir", fsabgen::POPUP) && !SbWaitOuvert(); }),
                    Tell(Impulses(kTimes - 20, 1)),
                    Until([] { return SbChronoNombre() == kTimes; }),
                    Until([storeSize] { return qstest::FileSize("Chronos/Chrono.q31tps") == storeSize; }),
                    Do([] {
                        seen.rowsAfterBurst = TableRowCount(MainPanel(), MAIN_TIMES_TABLE);
                        seen.storeAfterBurst = qstest::ReadFileBytes("Chronos/Chrono.q31tps");
                    }),
                    // Close the run (confirmed this time), then download it into the table.
                    SetAndPress(Page(0), PAGE0_RUN_SWITCH, 0),
                    Answer("FSabGen.uir", fsabgen::POPUP, fsabgen::POPUP_VALIDER),
                    Until([] {
                        return SbComG.run.current == 0 && !FindLoadedPanel("FSabGen.uir", fsabgen::POPUP) &&
                               !SbWaitOuvert();
                    }),
                    Press(Page(0), PAGE0_QUIT),
                    Press(main, MAIN_PAGE_5),
                    Fill(Page(5), {{PAGE5_RUN_NUM, 1}, {PAGE5_TARGET, 1}}),
                    Press(Page(5), PAGE5_LOAD),
                    Until([] { return SbChronoNombre() == kTimes; }),
                    Passes(10),
                    Do([] {
                        seen.storeAfterDownload = StoreImage();
                        seen.linkError = SbComErreur();
                    }),
                    Press(main, MAIN_QUIT),
                    Answer("FSabGen.uir", fsabgen::POPUP, fsabgen::POPUP_VALIDER),
                });
    const size_t count = steps.size();
    ASSERT_EQ(RunProgram(std::move(steps)), count);

    EXPECT_EQ(seen.linkError, 0);
    EXPECT_EQ(seen.timesDuringQuestion, 20);
    EXPECT_EQ(seen.rowsAfterBurst, kTimes + 2);
    ASSERT_EQ(long(seen.storeAfterBurst.size()), storeSize);
    // Every time is there once, in the clock's order (it numbers them), on its channel.
    const int first = At<SbChronoRec>(seen.storeAfterBurst, 4).Numero;
    for (int i = 1; i <= kTimes; ++i) {
        const SbChronoRec r = At<SbChronoRec>(seen.storeAfterBurst, 4 + sizeof(SbChronoRec) * size_t(i - 1));
        ASSERT_EQ(r.Numero, first + i - 1);
        ASSERT_EQ(r.Canal, i <= 20 ? '2' : '1') << "time " << i;
        ASSERT_EQ(r.Type, 'T');
    }
    // The download gives back the same times, and the store file at exit holds them.
    EXPECT_EQ(seen.storeAfterDownload, seen.storeAfterBurst);
    EXPECT_EQ(qstest::ReadFileBytes(dir.file("Chronos/Chrono.q31tps")), seen.storeAfterBurst);
    const Strings wire = clock.Wire();
    ASSERT_FALSE(wire.empty());
    EXPECT_EQ(wire.back(), "WC 012 01 0001");
    RemoveHooks();
}
