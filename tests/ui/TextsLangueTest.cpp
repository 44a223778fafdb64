// Loading every text table at start-up or after a change of language.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "app/Q31Erreur.h"
#include "panels/FSabGen.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "tests/support/TestSupport.h"
#include "ui/Dialogs.h"
#include "ui/Texts.h"

namespace {

void AcknowledgeError(int panel) {
    QueueUserEvent(panel, fsabgen::ERREUR_BOUTON1);
}

// Shows and clears an error left by an earlier test, answering its box at once.
void ClearPendingError() {
    if (!Q31Erreur()) return;
    qstest::EnsureRuntime();
    SbSetTourModal(AcknowledgeError);
    Q31GererErreur(0);
    SbSetTourModal(nullptr);
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
    ASSERT_EQ(Q31Erreur(), 1);
    EXPECT_STREQ(Q31ErreurTexte(), "Reading text files incomplete !");
    EXPECT_STREQ(Q31TxtMesG[0], "seul message");
    EXPECT_STREQ(Q31TxtLabelG[0], "Connexion");   // the tables before it are French
    EXPECT_EQ(std::string(Q12TxtG[0]), english);  // the one after it was not reloaded
}

TEST(LoadingAllTexts, CompleteLanguageRecordsNothing) {
    qstest::TempProgramDir dir;
    ClearPendingError();
    ASSERT_EQ(Q31Erreur(), 0);
    for (int language : {0, 1, 2, 3, 255}) {
        Q31G.language = uint8_t(language);
        Q31ChargerTextes();
        EXPECT_EQ(Q31Erreur(), 0) << language;
    }
    EXPECT_STREQ(GLabelBpG[2], "OK");  // 255 (not chosen yet) reads English
}

}  // namespace
