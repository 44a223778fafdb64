// The competitor panel driven as the operator would: keypad, look-up, confirmation,
// the sent list's limit, the import button with its settings dialog.
#include <gtest/gtest.h>
#include <xlsxwriter.h>

#include <cstring>
#include <string>
#include <vector>

#include "competitor/Q12.h"
#include "competitor/Q12Envoi.h"
#include "competitor/Q12Import.h"
#include "competitor/Q12Listes.h"
#include "competitor/Q12Panneau.h"
#include "lib/StrBuf.h"
#include "panels/FQ12.h"
#include "panels/FQ31.h"
#include "panels/FSabGen.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "tests/competitor/Q12Fixtures.h"
#include "tests/support/TestSupport.h"
#include "ui/Dialogs.h"
#include "ui/Texts.h"

using namespace fq12;

namespace {

std::vector<int> sentG;
void Capture(int n) {
    sentG.push_back(n);
}

std::string fileChoiceG;
int ChooseFile(const char*, const char*, const char*, int, char out[260]) {
    if (fileChoiceG.empty()) return VAL_NO_FILE_SELECTED;
    StrCopy(out, 260, fileChoiceG.c_str());
    return VAL_EXISTING_FILE_SELECTED;
}

std::vector<std::string> messagesG;
void CatchMessage(const char*, const char* text) {
    messagesG.push_back(text);
}

// How the settings dialog is answered: first row 3, confirm (or cancel).
bool confirmDialogG = true;
int dialogTurnsG = 0;
void AnswerDialog(int panel) {
    if (dialogTurnsG++ > 0) return;
    SetCtrlVal(panel, IMPORT_FIRST_ROW, 3);
    SetCtrlVal(panel, IMPORT_COL_TEXT2, 0);
    SetCtrlVal(panel, IMPORT_SHOW_APP, 1);
    QueueUserEvent(panel, confirmDialogG ? IMPORT_CONFIRM : IMPORT_CANCEL);
}

// The question asked before a doubtful list replaces the lists: its text is kept and it
// is answered yes or no.
std::string questionG;
bool acceptListG = false;
void AnswerQuestion(int panel) {
    char text[1024] = "";
    GetCtrlVal(panel, fsabgen::POPUP_TEXTE, text, sizeof text);
    questionG = text;
    QueueUserEvent(panel, acceptListG ? fsabgen::POPUP_VALIDER : fsabgen::POPUP_ANNULER);
}
bool KeepSettings(Q12Cnf*) {
    return true;
}

class CompetitorPanel : public ::testing::Test {
protected:
    void SetUp() override {
        qstest::EnsureRuntime();
        Q12EnregistrerCallbacks();
        Q12ChargerTxt(0);
        sentG.clear();
        messagesG.clear();
        Q12SetEnvoi(Capture);
        SetFileSelectHook(ChooseFile);
        SetMessageHook(CatchMessage);
        Q12SetTourDialogue(AnswerDialog);
        dialogTurnsG = 0;
        confirmDialogG = true;
        Q12Charger("Courant.q12ct", 3);
        ASSERT_GT(Q12PanneauG, 0);
        Q12Ouvrir(0, 0);
    }
    void TearDown() override {
        Q12Quitter("Courant.q12ct");
        Q12SetEnvoi(nullptr);
        Q12SetTourDialogue(nullptr);
        SetFileSelectHook(nullptr);
        SetMessageHook(nullptr);
    }

    // Waiting list 101..(100+count) with texts, tables rebuilt.
    void Waiting(int count) {
        for (int i = 0; i < count; ++i) {
            Q12ConcurrentRec& r = (*Q12ListeG)[size_t(i)];
            r = Q12ConcurrentRec{};
            r.Numero = 101 + i;
            StrFormat(r.Texte1, sizeof r.Texte1, "Name%d", 101 + i);
        }
        Q12NbListeG = count;
        RemplirTables();
    }
    void Press(int control) {
        auto cb =
            FindCallback(control == COMPET_CONFIRM   ? "FQ12Valider"
                         : control == COMPET_KEY_DEL ? "FQ12ClavierDel"
                         : (control == COMPET_KEY_ENTER || control == COMPET_PLUS || control == COMPET_MINUS)
                             ? "FQ12ClavierEnter"
                             : "FQ12ClavierNum");
        ASSERT_NE(cb, nullptr);
        cb(Q12PanneauG, control, EVENT_COMMIT, nullptr, 0, 0);
    }
    void Type(int number) {
        for (char c : std::to_string(number)) Press(c == '0' ? COMPET_KEY_0 : COMPET_KEY_1 + (c - '1'));
    }
    int Field() {
        int n = -1;
        GetCtrlVal(Q12PanneauG, COMPET_NUMBER, &n);
        return n;
    }
    int Rows(int table) {
        int n = -1;
        GetNumTableRows(Q12PanneauG, table, &n);
        return n;
    }
    int Cell(int table, int row) {
        int n = -1;
        GetTableCellVal(Q12PanneauG, table, MakePoint(1, row), &n);
        return n;
    }
    int ConfirmDimmed() {
        int d = -1;
        GetCtrlAttribute(Q12PanneauG, COMPET_CONFIRM, ATTR_DIMMED, &d);
        return d;
    }
    int CurrentColour() {
        int c = -1;
        GetTableCellAttribute(Q12PanneauG, COMPET_CURRENT, MakePoint(2, 1), ATTR_TEXT_BGCOLOR, &c);
        return c;
    }

    qstest::TempProgramDir dir;
};

TEST_F(CompetitorPanel, KeypadDigitsFillTheNumberField) {
    // How digits build a number is the keypad's own rule (tested with the files); here
    // the buttons and a digit typed while the waiting table has the focus reach it.
    Press(COMPET_KEY_1);
    Press(COMPET_KEY_2);
    auto table = FindCallback("FQ12TableIn");
    EXPECT_EQ(table(Q12PanneauG, COMPET_WAITING, EVENT_KEYPRESS, nullptr, '5', 0), 1);
    EXPECT_EQ(Field(), 125);
    EXPECT_EQ(table(Q12PanneauG, COMPET_WAITING, EVENT_KEYPRESS, nullptr, 'a', 0), 0);
    EXPECT_EQ(Field(), 125);
    Press(COMPET_KEY_DEL);
    EXPECT_EQ(Field(), 0);
    Press(COMPET_KEY_0);
    Press(COMPET_KEY_9);
    EXPECT_EQ(Field(), 9);
}

TEST_F(CompetitorPanel, TablesAreBandedAndSkipSentCompetitors) {
    Waiting(4);
    (*Q12ListeG)[1].Envoye = 1;
    RemplirTables();
    ASSERT_EQ(Rows(COMPET_WAITING), 3);
    EXPECT_EQ(Cell(COMPET_WAITING, 1), 101);
    EXPECT_EQ(Cell(COMPET_WAITING, 2), 103);
    int odd = 0, even = 0;
    GetTableCellAttribute(Q12PanneauG, COMPET_WAITING, MakePoint(3, 1), ATTR_TEXT_BGCOLOR, &odd);
    GetTableCellAttribute(Q12PanneauG, COMPET_WAITING, MakePoint(3, 2), ATTR_TEXT_BGCOLOR, &even);
    EXPECT_EQ(odd, 0xFFFFFF);
    EXPECT_EQ(even, 0xE8E8E8);
}

TEST_F(CompetitorPanel, EnterSelectsAWaitingCompetitorAndConfirmMovesIt) {
    Waiting(5);
    EXPECT_EQ(ConfirmDimmed(), 1);
    Type(103);
    Press(COMPET_KEY_ENTER);
    EXPECT_EQ(Cell(COMPET_CURRENT, 1), 103);
    char name[64] = "";
    GetTableCellVal(Q12PanneauG, COMPET_CURRENT, MakePoint(2, 1), name, sizeof name);
    EXPECT_STREQ(name, "Name103");
    EXPECT_EQ(ConfirmDimmed(), 0);
    EXPECT_EQ(CurrentColour(), 0xFFFF00);

    Press(COMPET_CONFIRM);
    EXPECT_EQ(sentG, std::vector<int>{103});
    EXPECT_EQ(Rows(COMPET_WAITING), 4);
    EXPECT_EQ(Q12ChercherNumero(COMPET_WAITING, 103), 0);
    ASSERT_EQ(Rows(COMPET_SENT), 1);
    EXPECT_EQ(Cell(COMPET_SENT, 1), 103);
    EXPECT_EQ((*Q12ListeG)[2].Envoye, 1);
    ASSERT_EQ(Q12NbHistoG, 1);
    EXPECT_STREQ((*Q12HistoG)[0].Texte1, "Name103");
    EXPECT_EQ(ConfirmDimmed(), 1);
    EXPECT_EQ(CurrentColour(), 0xFFFFFF);
    EXPECT_EQ(Field(), 103);

    // A rebuild keeps it out of the waiting table.
    RemplirTables();
    EXPECT_EQ(Q12ChercherNumero(COMPET_WAITING, 103), 0);
    EXPECT_EQ(Q12ChercherNumero(COMPET_SENT, 103), 1);
}

TEST_F(CompetitorPanel, PickingARowInTheWaitingTableMakesItCurrent) {
    Waiting(4);
    Type(12);
    FindCallback("FQ12TableIn")(Q12PanneauG, COMPET_WAITING, EVENT_ACTIVE_CELL_CHANGE, nullptr, 3, 2);
    EXPECT_EQ(Cell(COMPET_CURRENT, 1), 103);
    EXPECT_EQ(Field(), 103);
    EXPECT_EQ(ConfirmDimmed(), 0);
    Press(COMPET_KEY_7);  // the keypad started again
    EXPECT_EQ(Field(), 7);
}

TEST_F(CompetitorPanel, EnterOnASentNumberDoesNothing) {
    Waiting(3);
    Type(102);
    Press(COMPET_KEY_ENTER);
    Press(COMPET_CONFIRM);
    ASSERT_EQ(ConfirmDimmed(), 1);
    Type(102);
    Press(COMPET_KEY_ENTER);
    EXPECT_EQ(ConfirmDimmed(), 1);
    EXPECT_EQ(CurrentColour(), 0xFFFFFF);
    // The confirm button is dimmed: a commit reaching it anyway sends nothing.
    Press(COMPET_CONFIRM);
    EXPECT_EQ(sentG, std::vector<int>{102});
}

TEST_F(CompetitorPanel, PlusAndMinusStepTheNumberThenLookItUp) {
    Waiting(3);
    Type(101);
    Press(COMPET_PLUS);
    EXPECT_EQ(Field(), 102);
    EXPECT_EQ(Cell(COMPET_CURRENT, 1), 102);
    Press(COMPET_MINUS);
    Press(COMPET_MINUS);
    EXPECT_EQ(Field(), 100);
    EXPECT_EQ(Cell(COMPET_CURRENT, 1), 100);  // in neither list: offered as new
    Press(COMPET_KEY_DEL);
    Press(COMPET_MINUS);
    EXPECT_EQ(Field(), 0);  // never below 0
}

TEST_F(CompetitorPanel, ANumberInNeitherListIsSentAndRecorded) {
    Waiting(2);
    Type(77);
    Press(COMPET_KEY_ENTER);
    EXPECT_EQ(Cell(COMPET_CURRENT, 1), 77);
    EXPECT_EQ(ConfirmDimmed(), 0);
    int mode = -1;
    GetTableCellAttribute(Q12PanneauG, COMPET_CURRENT, MakePoint(2, 1), ATTR_CELL_MODE, &mode);
    EXPECT_EQ(mode, VAL_HOT);  // its texts may be typed
    SetTableCellVal(Q12PanneauG, COMPET_CURRENT, MakePoint(2, 1), "Late entry");
    Press(COMPET_CONFIRM);
    EXPECT_EQ(sentG, std::vector<int>{77});
    EXPECT_EQ(Rows(COMPET_WAITING), 2);
    ASSERT_EQ(Q12NbHistoG, 1);
    EXPECT_EQ((*Q12HistoG)[0].Numero, 77);
    EXPECT_STREQ((*Q12HistoG)[0].Texte1, "Late entry");
    GetTableCellAttribute(Q12PanneauG, COMPET_CURRENT, MakePoint(2, 1), ATTR_CELL_MODE, &mode);
    EXPECT_EQ(mode, VAL_INDICATOR);
}

TEST_F(CompetitorPanel, EnterAtZeroOffersCompetitorZero) {
    Waiting(2);
    Press(COMPET_KEY_ENTER);
    EXPECT_EQ(Cell(COMPET_CURRENT, 1), 0);
    EXPECT_EQ(ConfirmDimmed(), 0);
    Press(COMPET_CONFIRM);
    EXPECT_EQ(sentG, std::vector<int>{0});
    EXPECT_EQ(Rows(COMPET_SENT), 1);
}

TEST_F(CompetitorPanel, MainWindowSwitchFollowsThePanel) {
    int main = LoadPanel(0, "FQ31.uir", fq31::MAIN);
    ASSERT_GT(main, 0);
    Q12Ouvrir(main, fq31::MAIN_Q12_SWITCH);
    int on = -1, visible = -1;
    GetCtrlVal(main, fq31::MAIN_Q12_SWITCH, &on);
    GetPanelAttribute(Q12PanneauG, ATTR_VISIBLE, &visible);
    EXPECT_EQ(on, 1);
    EXPECT_EQ(visible, 1);
    // Each opening starts idle with an empty number field.
    Type(12);
    FindCallback("FQ12Gere")(Q12PanneauG, 0, EVENT_CLOSE, nullptr, 0, 0);
    GetCtrlVal(main, fq31::MAIN_Q12_SWITCH, &on);
    GetPanelAttribute(Q12PanneauG, ATTR_VISIBLE, &visible);
    EXPECT_EQ(on, 0);
    EXPECT_EQ(visible, 0);
    Q12Ouvrir(main, fq31::MAIN_Q12_SWITCH);
    EXPECT_EQ(Field(), 0);
    Press(COMPET_KEY_3);
    EXPECT_EQ(Field(), 3);
    FindCallback("FQ12Quitter")(Q12PanneauG, COMPET_QUIT, EVENT_COMMIT, nullptr, 0, 0);
    GetCtrlVal(main, fq31::MAIN_Q12_SWITCH, &on);
    EXPECT_EQ(on, 0);
    DiscardPanel(main);
}

TEST_F(CompetitorPanel, ClockModeDecidesWhetherTheNumberGoesOut) {
    Q12SetEnvoi(nullptr);  // the main window's own hand-over
    SbComG.simulation = 1;
    SbComG.linkState = 0;
    Q31G.simu.simuCompetitor = 0;
    Waiting(3);
    SbComG.mode = 0;
    Type(101);
    Press(COMPET_KEY_ENTER);
    Press(COMPET_CONFIRM);
    EXPECT_EQ(Q31G.simu.simuCompetitor, 0);
    EXPECT_EQ(Q12NbHistoG, 1);
    EXPECT_EQ(Q12ChercherNumero(COMPET_WAITING, 101), 0);

    SbComG.mode = 1;
    Type(102);
    Press(COMPET_KEY_ENTER);
    Press(COMPET_CONFIRM);
    EXPECT_EQ(Q31G.simu.simuCompetitor, 102);
    SbComG.mode = 0;
    SbComG.simulation = 0;
    Q31G.simu.simuCompetitor = 0;
}

TEST_F(CompetitorPanel, TheThousandAndFirstConfirmationDropsTheOldest) {
    for (int i = 0; i < 1000; ++i) {
        Q12ConcurrentRec r{};
        r.Numero = 1 + i;
        Q12HistoAjouter(r);
    }
    RemplirTables();
    ASSERT_EQ(Rows(COMPET_SENT), 1000);
    Type(5);
    Press(COMPET_KEY_ENTER);  // already sent: nothing
    Press(COMPET_KEY_DEL);
    Type(999);
    Press(COMPET_PLUS);  // 1000 is sent as well
    EXPECT_EQ(ConfirmDimmed(), 1);
    Q12ClavierG.chiffres = 4;
    SetCtrlAttribute(Q12PanneauG, COMPET_NUMBER, ATTR_MAX_VALUE, 9999);
    Press(COMPET_KEY_DEL);
    Type(1001);
    Press(COMPET_KEY_ENTER);
    Press(COMPET_CONFIRM);
    EXPECT_EQ(sentG, std::vector<int>{1001});
    EXPECT_EQ(Q12NbHistoG, 1000);
    EXPECT_EQ((*Q12HistoG)[0].Numero, 2);
    EXPECT_EQ((*Q12HistoG)[999].Numero, 1001);
    ASSERT_EQ(Rows(COMPET_SENT), 1000);
    EXPECT_EQ(Cell(COMPET_SENT, 1), 2);
    EXPECT_EQ(Cell(COMPET_SENT, 1000), 1001);
    int first = 0;
    GetTableCellAttribute(Q12PanneauG, COMPET_SENT, MakePoint(2, 1), ATTR_TEXT_BGCOLOR, &first);
    EXPECT_EQ(first, 0xFFFFFF);
}

TEST_F(CompetitorPanel, ImportButtonReadsWithTheDialogsSettings) {
    q12test::Scratch scratch;
    fileChoiceG = scratch.file("list.xlsx");
    q12test::MakeXlsx(fileChoiceG, 1, [](int, lxw_worksheet* ws) {
        for (int r = 2; r <= 8; ++r) {
            std::string row = std::to_string(r);
            q12test::PutNumber(ws, ("A" + row).c_str(), 10 + r);
            q12test::PutText(ws, ("C" + row).c_str(), "first" + row);
        }
    });
    Waiting(2);
    auto import = FindCallback("FQ12Charger");
    import(Q12PanneauG, COMPET_IMPORT, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_GT(dialogTurnsG, 0);
    ASSERT_EQ(Rows(COMPET_WAITING), 6);  // rows 3 to 8
    EXPECT_EQ(Cell(COMPET_WAITING, 1), 13);
    EXPECT_STREQ((*Q12ListeG)[0].Texte2, "");  // its column was set to "--"
    char shown[260] = "";
    GetCtrlVal(Q12PanneauG, COMPET_FILE, shown, sizeof shown);
    EXPECT_EQ(std::string(shown), fileChoiceG);
    // The confirmed settings are in the file.
    std::string cnf = qstest::ReadFileBytes(dir.file("QS-120_V1-0.q12cnf"));
    ASSERT_EQ(cnf.size(), 284u);
    EXPECT_EQ(cnf[4], 3);
    EXPECT_EQ(cnf[8], 1);
    EXPECT_EQ(cnf[18], 0);
    fileChoiceG.clear();
}

TEST_F(CompetitorPanel, CancelledOrUnreadableImportsLeaveTheListsAlone) {
    q12test::Scratch scratch;
    Waiting(3);
    std::string before = qstest::ReadFileBytes(dir.file("QS-120_V1-0.q12cnf"));
    auto import = FindCallback("FQ12Charger");

    fileChoiceG = scratch.file("list.xlsx");
    q12test::MakeXlsx(fileChoiceG, 1, [](int, lxw_worksheet* ws) { q12test::PutNumber(ws, "A2", 1); });
    confirmDialogG = false;
    import(Q12PanneauG, COMPET_IMPORT, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_GT(dialogTurnsG, 0);
    EXPECT_EQ(Q12NbListeG, 3);
    EXPECT_EQ(Rows(COMPET_WAITING), 3);
    EXPECT_EQ(qstest::ReadFileBytes(dir.file("QS-120_V1-0.q12cnf")), before);

    fileChoiceG = scratch.file("broken.xlsx");
    qstest::WriteFileBytes(fileChoiceG, "PK\x03\x04 not really a workbook");
    dialogTurnsG = 0;
    import(Q12PanneauG, COMPET_IMPORT, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(dialogTurnsG, 0);
    ASSERT_EQ(messagesG.size(), 1u);
    EXPECT_NE(messagesG[0].find("broken.xlsx"), std::string::npos);
    EXPECT_EQ(Q12NbListeG, 3);
    EXPECT_EQ(Rows(COMPET_WAITING), 3);
    fileChoiceG.clear();
}

TEST_F(CompetitorPanel, AListEmptyOrCutShortIsDescribedAndReplacesTheListsOnlyWhenAccepted) {
    q12test::Scratch scratch;
    const std::string title = scratch.file("title.xlsx"), good = scratch.file("good.xlsx");
    q12test::MakeXlsx(title, 1, [](int, lxw_worksheet* ws) { q12test::PutText(ws, "A1", "Bib"); });
    q12test::MakeXlsx(good, 1, [](int, lxw_worksheet* ws) {
        for (const char* cell : {"A2", "A3"}) q12test::PutNumber(ws, cell, 40);
    });
    Q12SetDialogue(KeepSettings);
    SbSetTourModal(AnswerQuestion);
    struct Case {
        std::string file;
        bool accept;
        std::vector<std::string> told;  // what the question says; empty: no question
        int competitors;                // in the waiting table afterwards
    };
    const Case cases[] = {
        {title, false, {Q12TxtG[17]}, 3},
        {title, true, {Q12TxtG[17]}, 0},
        {q12test::Fixture("formulas.xls"),
         false,
         {std::string(Q12TxtG[19]) + " 3", std::string(Q12TxtG[21]) + " 3 4 5", Q12TxtG[22]},
         3},
        {q12test::Fixture("formulas.xls"), true, {std::string(Q12TxtG[18]) + " 1"}, 1},
        {good, false, {}, 2},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.file + (k.accept ? " accepted" : " refused"));
        Waiting(3);
        questionG.clear();
        acceptListG = k.accept;
        fileChoiceG = k.file;
        FindCallback("FQ12Charger")(Q12PanneauG, COMPET_IMPORT, EVENT_COMMIT, nullptr, 0, 0);
        EXPECT_EQ(questionG.empty(), k.told.empty());
        for (const std::string& t : k.told) EXPECT_NE(questionG.find(t), std::string::npos) << questionG;
        EXPECT_EQ(Rows(COMPET_WAITING), k.competitors);
        EXPECT_EQ(Q12NbListeG, k.competitors);
    }
    fileChoiceG.clear();
    SbSetTourModal(nullptr);
    Q12SetDialogue(nullptr);
}

// A clock that runs a tenth of a second per reading, and an operator who presses the
// wait box's cancel button as soon as it shows.
double slowClockG = 0;
int waitShownG = 0;
double SlowClock() {
    slowClockG += 0.1;
    if (int wait = FindLoadedPanel("FSabGen.uir", fsabgen::WAIT)) {
        ++waitShownG;
        QueueUserEvent(wait, fsabgen::WAIT_ANNULER);
    }
    return slowClockG;
}

TEST_F(CompetitorPanel, ALongImportShowsTheWaitBoxAndCanBeCancelled) {
    q12test::Scratch scratch;
    fileChoiceG = scratch.file("long.xlsx");
    q12test::MakeXlsx(fileChoiceG, 1, [](int, lxw_worksheet* ws) {
        for (int r = 1; r <= 1200; ++r) worksheet_write_number(ws, lxw_row_t(r), 0, r, nullptr);
    });
    Waiting(3);
    Q12SetDialogue(KeepSettings);
    waitShownG = 0;
    SetTimeSource(SlowClock, nullptr);
    FindCallback("FQ12Charger")(Q12PanneauG, COMPET_IMPORT, EVENT_COMMIT, nullptr, 0, 0);
    SetTimeSource(nullptr, nullptr);
    EXPECT_GT(waitShownG, 0);
    EXPECT_FALSE(SbWaitOuvert());
    EXPECT_EQ(Q12NbListeG, 3);  // cancelled: nothing replaced, nothing more said
    EXPECT_TRUE(messagesG.empty());
    Q12SetDialogue(nullptr);
    fileChoiceG.clear();
}

TEST_F(CompetitorPanel, ClearButtonEmptiesBothTables) {
    Waiting(3);
    Type(101);
    Press(COMPET_KEY_ENTER);
    Press(COMPET_CONFIRM);
    auto clear = FindCallback("FQ12EffacerTables");
    clear(Q12PanneauG, COMPET_CLEAR, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(Rows(COMPET_WAITING), 0);
    EXPECT_EQ(Rows(COMPET_SENT), 0);
    EXPECT_EQ(Q12NbListeG, 0);
    EXPECT_EQ(Q12NbHistoG, 0);
}

TEST_F(CompetitorPanel, ListsSurviveQuittingAndLoadingAgain) {
    Waiting(4);
    (*Q12ListeG)[3].Numero = 102;  // a bib given twice in the spreadsheet
    RemplirTables();
    for (int twice = 0; twice < 2; ++twice) {
        Type(102);
        Press(COMPET_KEY_ENTER);
        Press(COMPET_CONFIRM);
    }
    Q12Quitter("Courant.q12ct");
    EXPECT_EQ(qstest::FileSize(dir.file("Courant.q12ct")), 360008);
    Q12Charger("Courant.q12ct", 3);
    ASSERT_GT(Q12PanneauG, 0);
    EXPECT_EQ(Rows(COMPET_WAITING), 2);
    EXPECT_EQ(Q12ChercherNumero(COMPET_WAITING, 102), 0);
    ASSERT_EQ(Rows(COMPET_SENT), 2);
    EXPECT_EQ(Cell(COMPET_SENT, 1), 102);
    EXPECT_EQ(Cell(COMPET_SENT, 2), 102);
    // Its first opening is idle too: the waiting table takes the focus without a pick.
    Q12Ouvrir(0, 0);
    for (int pass = 0; pass < 20; ++pass) {  // the window shows and takes the focus
        SetNextWake(0.01);
        ProcessSystemEvents();
    }
    EXPECT_EQ(Field(), 0);
    EXPECT_EQ(ConfirmDimmed(), 1);
    EXPECT_EQ(Cell(COMPET_CURRENT, 1), 0);
}

}  // namespace
