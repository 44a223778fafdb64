// Loading every text table at start-up or after a change of language.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "tests/support/TestSupport.h"
#include "ui/Texts.h"

namespace {

// What the loader reported, as the application's error state would record it.
struct Reported {
    int count = 0;
    std::string title, text;
};
Reported reported;

void Report(const char* title, const char* text) {
    ++reported.count;
    reported.title = title;
    reported.text = text;
}

// The loader reports to this test from now on.
void ClearPendingError() {
    Q31SetTextsFailure(Report);
    reported = Reported{};
}

TEST(LoadingAllTexts, ShortFileRecordsTheReadingFailureAndStopsThere) {
    qstest::TempProgramDir dir;
    ClearPendingError();
    Q31G.language = 1;
    ASSERT_EQ(Q12ChargerTxt(0), 0);  // English competitor labels in the table beforehand
    std::string english = Q12TxtG[0];
    // A French message file that lacks its last entries.
    qstest::WriteFileBytes(dir.file("Texts/Q31_Messages_FR.gentxt"), "seul message\n\xA7\n");
    Q31ChargerTextes();
    ASSERT_EQ(reported.count, 1);
    EXPECT_EQ(reported.title, "Start Clock QS-310 INTERFACE FAILURE");
    EXPECT_EQ(reported.text, "Reading text files incomplete !");
    EXPECT_STREQ(Q31TxtMesG[0], "seul message");
    EXPECT_STREQ(Q31TxtLabelG[0], "Connexion");   // the tables before it are French
    EXPECT_EQ(std::string(Q12TxtG[0]), english);  // the one after it was not reloaded
}

TEST(LoadingAllTexts, CompleteLanguageRecordsNothing) {
    qstest::TempProgramDir dir;
    ClearPendingError();
    for (int language : {0, 1, 2, 3, 255}) {
        Q31G.language = uint8_t(language);
        Q31ChargerTextes();
        EXPECT_EQ(reported.count, 0) << language;
    }
    EXPECT_STREQ(GLabelBpG[2], "OK");  // 255 (not chosen yet) reads English
}

}  // namespace
