// Whole start-up flows, headless: the first start with its language choice, and a
// start whose texts are missing or short (the error box, no main window, files saved).
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "app/Q31Ihm.h"
#include "app/Q31Main.h"
#include "panels/FSabGen.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "tests/support/TestSupport.h"

namespace {

struct Seen {
    bool mainWindow = false;
    bool languageDialog = false;
    int languageByteAtDialog = -1;
    std::string errorTitle, errorText;
    int errorBoxes = 0;
} seen;

int languageButton = 3;  // French

void Watch() {
    if (FindLoadedPanel("FQ31.uir", 1)) {
        seen.mainWindow = true;
        Q31QuitG = 1;  // as the window's close box does
    }
    if (int p = FindLoadedPanel("FSabGen.uir", fsabgen::LANGUE); p && !seen.languageDialog) {
        seen.languageDialog = true;
        std::string cnf = qstest::ReadFileBytes("QS-310_V1-1.q31cnf");
        seen.languageByteAtDialog = cnf.empty() ? -1 : uint8_t(cnf[0]);
        QueueUserEvent(p, languageButton);
    }
    if (int p = FindLoadedPanel("FSabGen.uir", fsabgen::ERREUR); p) {
        char buf[256];
        GetCtrlVal(p, 6, buf, sizeof buf);
        seen.errorTitle = buf;
        GetCtrlVal(p, 7, buf, sizeof buf);
        seen.errorText = buf;
        ++seen.errorBoxes;
        QueueUserEvent(p, 3);
    }
}

int RunProgram() {
    seen = Seen{};
    memset(&Q31G, 0, sizeof Q31G);
    memset(&SbComG, 0, sizeof SbComG);
    SetIdleHook(Watch);
    static char arg0[] = "QS310Manager";
    static char* argv[] = {arg0, nullptr};
    int rc = Q31Main(1, argv);
    SetIdleHook(nullptr);
    return rc;
}

}  // namespace

TEST(StartupFlow, FirstStartAsksLanguageAfterCreatingFileAndQuitSavesIt) {
    qstest::TempProgramDir dir;
    languageButton = 3;  // the third of English, French, German, Italian
    ASSERT_EQ(RunProgram(), 0);
    EXPECT_TRUE(seen.languageDialog);
    EXPECT_EQ(seen.languageByteAtDialog, 255);  // written before the dialog appeared
    EXPECT_TRUE(seen.mainWindow);
    EXPECT_EQ(seen.errorBoxes, 0);
    std::string cnf = qstest::ReadFileBytes(dir.file("QS-310_V1-1.q31cnf"));
    ASSERT_EQ(cnf.size(), 2096u);
    EXPECT_EQ(cnf[0], 1);  // French
    std::string sb = qstest::ReadFileBytes(dir.file("QS-310_V1-1.sbcnf"));
    ASSERT_EQ(sb.size(), 6216u);
    int32_t next;
    memcpy(&next, sb.data() + 352, 4);
    EXPECT_EQ(next, 1);  // saved after the link's reset
}

TEST(StartupFlow, MissingTextsShowTheErrorAndNeverOpenTheMainWindow) {
    qstest::TempProgramDir dir;
    std::filesystem::remove_all(dir.file("Texts"));
    languageButton = 4;  // German
    ASSERT_EQ(RunProgram(), 0);
    EXPECT_FALSE(seen.mainWindow);
    EXPECT_EQ(seen.errorBoxes, 1);
    EXPECT_EQ(seen.errorTitle, "Start Clock QS-310 INTERFACE FAILURE");
    EXPECT_EQ(seen.errorText, "Opening text files is impossible !");
    EXPECT_EQ(qstest::FileSize(dir.file("QS-310_V1-1.sbcnf")), 6216);
    std::string cnf = qstest::ReadFileBytes(dir.file("QS-310_V1-1.q31cnf"));
    ASSERT_EQ(cnf.size(), 2096u);
    EXPECT_EQ(cnf[0], 2);  // the language chosen is kept
}

TEST(StartupFlow, ShortTextFileShowsIncompleteError) {
    qstest::TempProgramDir dir;
    qstest::WriteFileBytes(dir.file("Texts/Q31_Messages_EN.gentxt"), "only one message\n\xA7\n");
    std::string cnf(2096, '\0');
    cnf[0] = 0;  // English already chosen: no language dialog
    qstest::WriteFileBytes(dir.file("QS-310_V1-1.q31cnf"), cnf);
    ASSERT_EQ(RunProgram(), 0);
    EXPECT_FALSE(seen.languageDialog);
    EXPECT_FALSE(seen.mainWindow);
    EXPECT_EQ(seen.errorText, "Reading text files incomplete !");
}
