// The save, load and print buttons of the times table, with the file dialog and
// the document viewer answered by the test.
#include "lib/StrBuf.h"
#include "panels/FSabGen.h"
#include "tests/chrono/ChronoFixture.h"
#include "ui/Dialogs.h"
#include "ui/Texts.h"

using namespace chronotest;

namespace {

std::string choixG;  // what the file dialog answers ("" = cancelled)
std::string dossierG, filtreG, titreG;
std::string documentG;  // the document opened for printing

int RepondreDialogue(const char* defaultDir, const char* defaultFile, const char* title, int,
                     char pathOut[260]) {
    dossierG = defaultDir;
    filtreG = defaultFile;
    titreG = title;
    if (choixG.empty()) return VAL_NO_FILE_SELECTED;
    StrCopy(pathOut, 260, choixG.c_str());
    return VAL_NEW_FILE_SELECTED;
}

// The confirmation popup: its question is remembered and the chosen button pressed.
int boutonG = fsabgen::POPUP_VALIDER;
std::string questionG;
void RepondrePopup(int panel) {
    char text[256] = "";
    GetCtrlVal(panel, fsabgen::POPUP_TEXTE, text, sizeof text);
    questionG = text;
    QueueUserEvent(panel, boutonG);
}

int OuvrirDocument(const char* path) {
    documentG = path;
    return 0;
}

class ChronoBoutonsTest : public ChronoTest {
protected:
    ChronoBoutonsTest() { avecPanneaux_ = true; }  // the confirmation popup's resource
    void SetUp() override {
        ChronoTest::SetUp();
        SetFileSelectHook(RepondreDialogue);
        SetDocumentHook(OuvrirDocument);
        SbSetTourModal(RepondrePopup);
        StrCopy(Q31TxtMesG[4], "Clear the times?");
        StrCopy(Q31TxtMesG[5], "Load the run again?");
        StrCopy(Q31TxtMesG[6], "Save the times");
        StrCopy(Q31TxtMesG[7], "Load times");
        StrCopy(Q31TxtLabelG[26], "Time");
        documentG.clear();
        Ouvrir();
        for (const auto& t : {Temps(8, 0, 0, 1, '2', 1), Temps(8, 0, 1, 2, '2', 2)}) SbChronoQ31Traiter(&t);
    }
    void TearDown() override {
        SetFileSelectHook(nullptr);
        SetDocumentHook(nullptr);
        SbSetTourModal(nullptr);
        ChronoTest::TearDown();
    }
    static void Appuyer(int (*button)(int, int, int, void*, int, int)) {
        button(0, 0, EVENT_COMMIT, nullptr, 0, 0);
    }
};

}  // namespace

TEST_F(ChronoBoutonsTest, SaveWritesTheTextAndTheTimesFileBesideIt) {
    choixG = "Chronos\\Essai.txt";
    Appuyer(FQ31ChronosSauver);
    EXPECT_EQ(dossierG, "Chronos");
    EXPECT_EQ(filtreG, "*.txt");
    EXPECT_EQ(titreG, "Save the times");
    const std::string text = qstest::ReadFileBytes(Fichier("Chronos/Essai.txt"));
    EXPECT_NE(text.find("|    |    1 | M2 |  08:00:00.00001 |"), std::string::npos) << text;
    EXPECT_EQ(qstest::ReadFileBytes(Fichier("Chronos/Essai.q31tps")),
              Image(2, {Temps(8, 0, 0, 1, '2', 1), Temps(8, 0, 1, 2, '2', 2)}));

    // Load it back after clearing: the same two times.
    SbChronoEffacer();
    choixG = "Chronos\\Essai.q31tps";
    Appuyer(FQ31ChronosCharger);
    EXPECT_EQ(filtreG, "*.q31tps");
    EXPECT_EQ(titreG, "Load times");
    ASSERT_EQ(SbChronoNombre(), 2);
    EXPECT_EQ(SbChronoLire(2)->Concurrent, 2);
}

TEST_F(ChronoBoutonsTest, CancelledDialogsChangeNothing) {
    choixG.clear();
    Appuyer(FQ31ChronosSauver);
    EXPECT_EQ(qstest::FileSize(Fichier("Chronos/Essai.txt")), -1);
    Appuyer(FQ31ChronosCharger);
    EXPECT_EQ(SbChronoNombre(), 2);
    // Other events than a commit do nothing.
    choixG = "Chronos\\Autre.txt";
    FQ31ChronosSauver(0, 0, EVENT_LEFT_CLICK, nullptr, 0, 0);
    EXPECT_EQ(qstest::FileSize(Fichier("Chronos/Autre.txt")), -1);
}

// Without a printer (as on the test machines) print offers a PDF file and names the text
// file; declining, or cancelling the file dialog, writes no PDF. The text file is fresh.
TEST_F(ChronoBoutonsTest, PrintWithoutAPrinterOffersAPdfAndNamesTheTextFile) {
    ASSERT_EQ(GetPrinterCount(), 0) << "the print dialog would wait for an operator";
    StrCopy(Q31TxtMesG[kQ31MesNoPrinter], "No printer. PDF?");
    const std::string where = dir_->path() + "/Chronos/Chrono.txt";
    struct Row {
        int button;
        const char* file;
        bool pdf;
    };
    for (const Row& row :
         {Row{fsabgen::POPUP_ANNULER, "Chronos\\Non.pdf", false}, Row{fsabgen::POPUP_VALIDER, "", false},
          Row{fsabgen::POPUP_VALIDER, "Chronos\\Essai.pdf", true}}) {
        qstest::WriteFileBytes(Fichier("Chronos/Chrono.txt"), "old");
        boutonG = row.button;
        choixG = row.file;
        questionG.clear();
        Appuyer(FQ31ChronosPrint);
        EXPECT_EQ(questionG, "No printer. PDF?\n" + where);
        const std::string text = qstest::ReadFileBytes(Fichier("Chronos/Chrono.txt"));
        EXPECT_NE(text.find("|    |    2 | M2 |  08:00:01.00002 |"), std::string::npos) << text;
        const std::string pdf = qstest::ReadFileBytes(Fichier("Chronos/Essai.pdf"));
        EXPECT_EQ(pdf.rfind("%PDF", 0) == 0, row.pdf) << row.file;
        EXPECT_EQ(qstest::FileSize(Fichier("Chronos/Non.pdf")), -1);
    }
}

TEST_F(ChronoBoutonsTest, ClearAndRefreshEmptyTheStoreOnlyWhenConfirmed) {
    boutonG = fsabgen::POPUP_ANNULER;
    Appuyer(FQ31ChronosEffacer);
    EXPECT_EQ(questionG, "Clear the times?");
    EXPECT_EQ(SbChronoNombre(), 2);
    boutonG = fsabgen::POPUP_VALIDER;
    Appuyer(FQ31ChronosEffacer);
    EXPECT_EQ(SbChronoNombre(), 0);

    // Refresh with the simulated clock: emptied, nothing to ask of a clock.
    SbComG.linkState = 0;
    SbComG.simulation = 1;
    const SbChronoRec t = Temps(8, 0, 2, 0, '2');
    SbChronoQ31Traiter(&t);
    boutonG = fsabgen::POPUP_ANNULER;
    Appuyer(FQ31ChronosMaj);
    EXPECT_EQ(questionG, "Load the run again?");
    EXPECT_EQ(SbChronoNombre(), 1);
    boutonG = fsabgen::POPUP_VALIDER;
    Appuyer(FQ31ChronosMaj);
    EXPECT_EQ(SbChronoNombre(), 0);
}
