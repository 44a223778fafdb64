// Settings pages against the stand-in clock: opening a page reads its parameters in
// order, confirming writes them in order, reopening reads back what was written, and a
// value the page cannot show goes back to the clock as it came.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/Q31Aff.h"
#include "app/Q31Ihm.h"
#include "app/Q31Modules.h"
#include "link/SbComConfig.h"
#include "link/SbComErreur.h"
#include "panels/FQ31.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
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

constexpr int kPageButtons[] = {MAIN_PAGE_0, MAIN_PAGE_1, MAIN_PAGE_2, MAIN_PAGE_3, MAIN_PAGE_4};
constexpr int kConfirm[] = {0, PAGE1_OK, PAGE2_OK, PAGE3_OK, PAGE4_OK};

}  // namespace

class SettingsAgainstTheClock : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(clock_.Running());
        qstest::EnsureRuntime();
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
    }
    void TearDown() override {
        Q31FSetFermer();
        SbComQuitter();
        DiscardPanel(Q31FIhmG);
        Q31FIhmG = 0;
    }
    // Opens a page from its main-window button; returns what the clock received.
    Strings Open(int page) {
        const size_t mark = clock_.Wire().size();
        QueueUserEvent(Q31FIhmG, kPageButtons[page]);
        Settle();
        EXPECT_EQ(Q31FSetPageOuverte(), page);
        return Since(clock_.Wire(), mark);
    }
    Strings Confirm(int page) {
        const size_t mark = clock_.Wire().size();
        QueueUserEvent(Q31FSetG[size_t(page)], kConfirm[page]);
        Settle();
        return Since(clock_.Wire(), mark);
    }

    qstest::TempProgramDir dir_;
    qstest::StandinClock clock_{dir_};
};

TEST_F(SettingsAgainstTheClock, GeneralPageReadsWritesAndReadsBack) {
    EXPECT_EQ(Open(4),
              (Strings{"RP 001", "RP 004 01", "RP 005 01", "RP 006 01", "RP 004 02", "RP 005 02", "RP 006 02",
                       "RP 023", "RP 007", "RP 029", "RP 016", "RP 017", "RP 021", "RP 012", "RP 008"}));

    const int page = Q31FSetG[4];
    SetCtrlVal(page, PAGE4_PRECISION, 4);
    SetCtrlVal(page, PAGE4_TB1, 10);  // input 1 on, 0.1 s time base
    Strings writes = Confirm(4);
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
    Open(4);
    int v = -1;
    GetCtrlVal(page, PAGE4_PRECISION, &v);
    EXPECT_EQ(v, 4);
    GetCtrlVal(page, PAGE4_TB1, &v);
    EXPECT_EQ(v, 10);
    EXPECT_EQ(SbComG.params.inputs[0].enabled, 1);
}

// The clock holds values the pages' lists and switches do not offer; opened and confirmed
// untouched, each page sends them back as they were. The rows run in turn on one clock, so
// a page is filled again after an earlier fill with values its lists do show.
TEST_F(SettingsAgainstTheClock, ValuesAPageCannotShowGoBackUnchanged) {
    struct Row {
        int page;
        Strings set;   // the clock's own values before the page opens
        Strings sent;  // among the writes on confirm
        std::function<bool()> record = nullptr;
    };
    const Row rows[] = {
        {1, {"WP 009 40"}, {"WP 009 40"}},  // a time zone beyond the 36 of the list
        {2, {"WC 003 3"}, {"WC 003 03"}},   // a mode the PTB/SPLIT switch cannot show
        {3, {"WC 004 0"}, {"WP 102 00 0060"}, [] { return SbComG.currentProgram == 0; }},  // no program
        {4, {"WP 004 02 0100", "WP 006 02 1"}, {"WP 004 02 0100", "WP 006 02 1"}},         // listed: 1 s
        {4,
         {"WP 001 7", "WP 004 01 0005", "WP 006 01 1", "WP 005 01 3", "WP 004 02 0007", "WP 023 1 5 1 1",
          "WP 021 9", "WP 016 7"},
         {"WP 001 7", "WP 004 01 0005", "WP 005 01 3", "WP 006 01 1", "WP 004 02 0007", "WP 006 02 1",
          "WP 023 1 5 1 1", "WP 021 09", "WP 016 7"}},
        {4, {"WP 006 01 0"}, {"WP 004 01 0005", "WP 006 01 0"}},  // off, its time base kept
    };
    for (const Row& row : rows) {
        for (const std::string& s : row.set) clock_.Control("set " + s);
        Open(row.page);
        const Strings writes = Confirm(row.page);
        for (const std::string& frame : row.sent)
            EXPECT_TRUE(std::find(writes.begin(), writes.end(), frame) != writes.end())
                << "page " << row.page << ": " << frame << " not sent";
        if (row.record) {
            EXPECT_TRUE(row.record()) << "page " << row.page;
        }
        EXPECT_EQ(SbComErreur(), 0) << "page " << row.page;
        Q31FSetFermer();
    }
}
