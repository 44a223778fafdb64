// The clock's line lost in the middle of a race: the port error is shown once, the
// operator closes the link from the error box, the times already taken stay in the
// table and in "Chronos", and once the clock is back the program reconnects and
// takes the next times into the same table.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "app/Q31Ihm.h"
#include "chrono/SbChrono.h"
#include "chrono/SbChronoRec.h"
#include "link/SbComErreur.h"
#include "link/SbComRecord.h"
#include "panels/FQ31.h"
#include "panels/FSabGen.h"
#include "platform/cvi.h"
#include "tests/e2e/Operator.h"
#include "tests/e2e/Race.h"
#include "tests/support/Standin.h"
#include "tests/support/TestSupport.h"
#include "ui/Dialogs.h"
#include "ui/Texts.h"

using namespace fq31;
using namespace e2e;
namespace fs = std::filesystem;

namespace {

struct Seen {
    int errorBoxes = 0, lastErrorBox = 0, secondButtonShown = -1, connectSwitch = -1;
    std::string title, text;
    Strings tableAfterLoss, tableAtEnd;
    std::string storeAfterLoss;
} seen;

// Watches for the error box on every pass it is given, and counts each new one.
bool NoteErrorBox() {
    const int box = FindLoadedPanel("FSabGen.uir", fsabgen::ERREUR);
    if (box > 0 && box != seen.lastErrorBox) {
        ++seen.errorBoxes;
        seen.title = Text(box, fsabgen::ERREUR_TITRE);
        seen.text = Text(box, fsabgen::ERREUR_TEXTE);
        GetCtrlAttribute(box, fsabgen::ERREUR_BOUTON2, ATTR_VISIBLE, &seen.secondButtonShown);
    }
    seen.lastErrorBox = box;
    return box > 0;
}

}  // namespace

TEST(LostClock, PortErrorShownOnceTimesKeptAndTheRaceGoesOnAfterReconnecting) {
    qstest::TempProgramDir dir;
    auto first = std::make_unique<qstest::StandinClock>(dir);
    ASSERT_TRUE(first->Running());
    static std::unique_ptr<qstest::StandinClock> second;
    InstallHooks();
    auto main = [] { return MainPanel(); };
    auto idle = [] { return Usable(MainPanel(), MAIN_PAGE_0) && !SbWaitOuvert(); };
    Steps steps = {Until([] { return MainPanel() > 0; })};
    Then(steps, ConnectToCom5());
    Then(steps, {
                    Tell("messages off"),
                    Tell("send &E 00"),
                    Until(idle),
                    Tell("impulse 1"),
                    Until([] { return SbChronoNombre() == 1; }),
                    Tell("impulse 2"),
                    Until([] { return SbChronoNombre() == 2; }),
                    // The line goes dead.
                    Tell("hangup"),
                    Until(NoteErrorBox),
                    Passes(20),  // the box stays up, alone
                    Do([] { NoteErrorBox(); }),
                    Answer("FSabGen.uir", fsabgen::ERREUR, fsabgen::ERREUR_BOUTON2),  // close the link
                    Until([] { return !NoteErrorBox() && SbComG.linkState == 0 && !SbWaitOuvert(); }),
                    Until([] {
                        NoteErrorBox();
                        return qstest::FileSize("Chronos/Chrono.q31tps") == long(4 + 2 * sizeof(SbChronoRec));
                    }),
                    Passes(50),  // no second box for the same loss
                    Until([] { return !NoteErrorBox(); }),
                    Do([] {
                        seen.tableAfterLoss = TableRows(MainPanel(), MAIN_TIMES_TABLE);
                        seen.storeAfterLoss = qstest::ReadFileBytes("Chronos/Chrono.q31tps");
                        GetCtrlVal(MainPanel(), MAIN_CONNECT_SWITCH, &seen.connectSwitch);
                    }),
                    // The clock is back on the same port (its old link gone first).
                    Until([] {
                        std::error_code ec;
                        return !fs::is_symlink(fs::symlink_status("Ports/COM5", ec));
                    }),
                    Do([&dir] { second = std::make_unique<qstest::StandinClock>(dir); }),
                    SetAndPress(main, MAIN_CONNECT_SWITCH, 1),
                    Press(Loaded("FQ31.uir", CONNECT), CONNECT_CONNECT),
                    Until([] {
                        return SbComG.linkState == 1 && !FindLoadedPanel("FQ31.uir", CONNECT) &&
                               !SbWaitOuvert();
                    }),
                    Tell("messages off"),
                    Tell("send &E 00"),
                    Until(idle),
                    Tell("impulse 2"),
                    Until([] { return SbChronoNombre() == 3; }),
                    Do([] { seen.tableAtEnd = TableRows(MainPanel(), MAIN_TIMES_TABLE); }),
                    Press(main, MAIN_QUIT),
                    Answer("FSabGen.uir", fsabgen::POPUP, fsabgen::POPUP_VALIDER),
                });
    const size_t count = steps.size();
    ASSERT_EQ(RunProgram(std::move(steps)), count);

    EXPECT_EQ(seen.errorBoxes, 1);
    EXPECT_EQ(seen.title, GMesComG[9]);
    EXPECT_EQ(seen.text, GMesComG[12]);
    EXPECT_EQ(seen.secondButtonShown, 1);  // the link was still open: it can be closed from the box
    EXPECT_EQ(seen.connectSwitch, 0);
    ASSERT_EQ(seen.tableAfterLoss.size(), 4u);  // two times, two empty rows
    ASSERT_EQ(seen.storeAfterLoss.size(), 4u + 2 * sizeof(SbChronoRec));
    EXPECT_EQ(At<int32_t>(seen.storeAfterLoss, 0), 2);
    EXPECT_EQ(At<SbChronoRec>(seen.storeAfterLoss, 4).Canal, '1');
    EXPECT_EQ(At<SbChronoRec>(seen.storeAfterLoss, 36).Canal, '2');
    // After reconnecting, the next time joins the two taken before the loss.
    ASSERT_EQ(seen.tableAtEnd.size(), 5u);
    EXPECT_EQ(seen.tableAtEnd[0], seen.tableAfterLoss[0]);
    EXPECT_EQ(seen.tableAtEnd[1], seen.tableAfterLoss[1]);
    EXPECT_EQ(seen.tableAtEnd[2].substr(seen.tableAtEnd[2].find('|', 3), 4), "| 2|");
    ASSERT_TRUE(second && second->Running());
    const Strings wire = second->Wire();
    ASSERT_FALSE(wire.empty());
    EXPECT_EQ(wire.front(), "SN");
    EXPECT_EQ(SbComErreur(), 0);
    const std::string store = qstest::ReadFileBytes(dir.file("Chronos/Chrono.q31tps"));
    EXPECT_EQ(At<int32_t>(store, 0), 3);
    EXPECT_EQ(store.substr(0, 4 + 2 * sizeof(SbChronoRec)).substr(4), seen.storeAfterLoss.substr(4));
    second.reset();
    RemoveHooks();
}
