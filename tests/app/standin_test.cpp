// The settings pages against the stand-in clock: a value a page cannot show goes back to the
// clock as it came. (The frames a page reads and writes: the settings tests.)
#include "tests/support/Standin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "app/Q31Aff.h"
#include "app/Q31Ihm.h"
#include "app/Q31Modules.h"
#include "link/SbComConfig.h"
#include "link/SbComErreur.h"
#include "panels/FQ31.h"
#include "records/SbComRecord.h"
#include "settings/Q31FSet.h"
#include "tests/runner/FreshState.h"
#include "tests/runner/Operator.h"

using namespace fq31;
using Strings = std::vector<std::string>;

class AgainstTheClock : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(clock_.Running());
        qstest::FreshRecords();
        SbComDeplanter();
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
    // Presses a button; returns what the clock received meanwhile. The reads and writes run
    // in the button's callback, each acknowledged before the next: done once it returns.
    Strings Press(int panel, int control) {
        const size_t mark = clock_.Wire().size();
        QueueUserEvent(panel, control);
        ProcessSystemEvents();
        const Strings wire = clock_.Wire();
        return Strings(wire.begin() + long(mark), wire.end());
    }
    qstest::TempProgramDir dir_;
    qstest::StandinClock clock_{dir_, {"--time-scale", "8"}};
};

// The clock holds values the pages' lists and switches do not offer; opened and confirmed
// untouched, each page sends them back as they were. The rows run in turn on one clock, so
// a page is filled again after an earlier fill with values its lists do show.
TEST_F(AgainstTheClock, ValuesAPageCannotShowGoBackUnchanged) {
    const struct {
        int page;
        Strings set;   // the clock's own values before the page opens
        Strings sent;  // among the writes on confirm
        std::function<bool()> record = nullptr;
    } rows[] = {
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
    for (const auto& row : rows) {
        for (const std::string& s : row.set) clock_.Control("set " + s);
        static constexpr int kOpen[] = {0, MAIN_PAGE_1, MAIN_PAGE_2, MAIN_PAGE_3, MAIN_PAGE_4};
        static constexpr int kConfirm[] = {0, PAGE1_OK, PAGE2_OK, PAGE3_OK, PAGE4_OK};
        Press(Q31FIhmG, kOpen[row.page]);
        ASSERT_EQ(Q31FSetPageOuverte(), row.page);
        const Strings writes = Press(Q31FSetG[size_t(row.page)], kConfirm[row.page]);
        for (const std::string& frame : row.sent)
            EXPECT_TRUE(std::find(writes.begin(), writes.end(), frame) != writes.end())
                << "page " << row.page << ": " << frame << " not sent";
        if (row.record) EXPECT_TRUE(row.record()) << "page " << row.page;
        EXPECT_EQ(SbComErreur(), 0) << "page " << row.page;
        Q31FSetFermer();
    }
}
