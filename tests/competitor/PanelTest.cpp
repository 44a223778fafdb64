// The competitor panel driven as the operator would: keypad, look-up, confirmation and what
// goes out, the import button with its settings dialog, the lists over a restart.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
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
using Numbers = std::vector<int>;

namespace {

Numbers sentG;
std::string fileChoiceG, questionG;  // what the file dialog answers ("": cancelled), what was asked
std::vector<std::string> messagesG;
int dialogTurnsG = 0;
bool confirmDialogG = true, acceptListG = false;  // the settings dialog, the question on a doubtful list

class CompetitorPanel : public ::testing::Test {
protected:
    void SetUp() override {
        qstest::EnsureRuntime();
        Q12EnregistrerCallbacks();
        Q12ChargerTxt(0);
        sentG.clear(), messagesG.clear(), fileChoiceG.clear();
        dialogTurnsG = 0;
        confirmDialogG = true;
        Q12SetEnvoi([](int n) { sentG.push_back(n); });
        SetFileSelectHook([](const char*, const char*, const char*, int, char out[260]) -> int {
            StrCopy(out, 260, fileChoiceG.c_str());
            return fileChoiceG.empty() ? VAL_NO_FILE_SELECTED : VAL_EXISTING_FILE_SELECTED;
        });
        SetMessageHook([](const char*, const char* text) { messagesG.push_back(text); });
        // The settings dialog: first row 3, second text column "--", third Z, then confirm or cancel.
        Q12SetTourDialogue([](int panel) {
            if (dialogTurnsG++ > 0) return;
            for (auto [control, v] : {std::pair{IMPORT_FIRST_ROW, 3},
                                      {IMPORT_COL_TEXT2, 0},
                                      {IMPORT_COL_TEXT3, int('Z')},
                                      {IMPORT_SHOW_APP, 1}})
                SetCtrlVal(panel, control, v);
            QueueUserEvent(panel, confirmDialogG ? IMPORT_CONFIRM : IMPORT_CANCEL);
        });
        SbSetTourModal([](int panel) {
            char text[1024] = "";
            GetCtrlVal(panel, fsabgen::POPUP_TEXTE, text, sizeof text);
            questionG = text;
            QueueUserEvent(panel, acceptListG ? fsabgen::POPUP_VALIDER : fsabgen::POPUP_ANNULER);
        });
        Q12Charger("Courant.q12ct", 3);
        ASSERT_GT(Q12PanneauG, 0);
        Q12Ouvrir(0, 0);
    }
    void TearDown() override {
        Q12Quitter("Courant.q12ct");
        Q12SetEnvoi(nullptr);
        Q12SetTourDialogue(nullptr);
        Q12SetDialogue(nullptr);
        SbSetTourModal(nullptr);
        SetFileSelectHook(nullptr);
        SetMessageHook(nullptr);
        SetTimeSource(nullptr, nullptr);
    }
    void Waiting(int count) {  // waiting list 101..(100+count) named, tables rebuilt
        Q12EffacerListes();
        for (int i = 0; i < count; ++i) {
            (*Q12ListeG)[size_t(i)].Numero = 101 + i;
            StrFormat((*Q12ListeG)[size_t(i)].Texte1, 64, "Name%d", 101 + i);
        }
        Q12NbListeG = count;
        RemplirTables();
    }
    // Keys pressed: digits, E(nter), C(onfirm), D(elete), + and -.
    static void Keys(const std::string& keys) {
        const std::map<char, int> named = {{'0', COMPET_KEY_0},   {'E', COMPET_KEY_ENTER},
                                           {'C', COMPET_CONFIRM}, {'D', COMPET_KEY_DEL},
                                           {'+', COMPET_PLUS},    {'-', COMPET_MINUS}};
        for (char k : keys)
            QueueUserEvent(Q12PanneauG, named.count(k) ? named.at(k) : COMPET_KEY_1 + k - '1');
        ProcessSystemEvents();
    }
    static int Int(int control, int attribute = 0) {
        int n = -1;
        attribute ? GetCtrlAttribute(Q12PanneauG, control, attribute, &n)
                  : GetCtrlVal(Q12PanneauG, control, &n);
        return n;
    }
    static int Rows(int table) {
        int n = -1;
        GetNumTableRows(Q12PanneauG, table, &n);
        return n;
    }
    static int Cell(int table, int row, int attribute = 0, int column = 1) {
        int n = -1;
        attribute ? GetTableCellAttribute(Q12PanneauG, table, MakePoint(column, row), attribute, &n)
                  : GetTableCellVal(Q12PanneauG, table, MakePoint(column, row), &n);
        return n;
    }
    qstest::TempProgramDir dir;
};

TEST_F(CompetitorPanel, KeypadLookUpAndConfirmation) {
    struct Case {
        const char* name;
        std::string keys;
        Numbers sent;
        int field, current, confirmDimmed, waiting;
    } const cases[] = {
        {"a waiting number, entered", "103E", {}, 103, 103, 0, 5},
        {"then confirmed: sent, out of the waiting table", "103EC", {103}, 103, 103, 1, 4},
        {"a sent number entered again: nothing", "102EC102EC", {102}, 102, 102, 1, 4},
        {"plus looks the next number up", "101+", {}, 102, 102, 0, 5},
        {"minus to a number in neither list, offered as new", "101--", {}, 99, 99, 0, 5},
        {"never below 0", "1D-", {}, 0, 0, 0, 5},
        {"enter at zero offers competitor zero", "EC", {0}, 0, 0, 1, 5},
        {"a number in neither list is sent", "77EC", {77}, 77, 77, 1, 5},
        {"digits beyond the number's length start it again", "1234", {}, 4, 0, 1, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        Waiting(5);
        Keys(c.keys);
        EXPECT_EQ(sentG, c.sent);
        EXPECT_EQ(std::tuple(Int(COMPET_NUMBER), Cell(COMPET_CURRENT, 1), Int(COMPET_CONFIRM, ATTR_DIMMED)),
                  std::tuple(c.field, c.current, c.confirmDimmed));
        EXPECT_EQ(Cell(COMPET_CURRENT, 1, ATTR_TEXT_BGCOLOR, 2), c.confirmDimmed ? 0xFFFFFF : 0xFFFF00);
        EXPECT_EQ(std::tuple(Rows(COMPET_WAITING), Rows(COMPET_SENT), Q12NbHistoG),
                  std::tuple(c.waiting, int(c.sent.size()), int(c.sent.size())));
        for (int n : c.sent) EXPECT_EQ(Q12ChercherNumero(COMPET_WAITING, n), 0);
    }
    // The record sent keeps its texts; a number in neither list may be given some.
    Keys("D77E");
    EXPECT_EQ(Cell(COMPET_CURRENT, 1, ATTR_CELL_MODE, 2), VAL_HOT);
    SetTableCellVal(Q12PanneauG, COMPET_CURRENT, MakePoint(2, 1), "Late entry");
    Keys("CD103EC");
    EXPECT_EQ(sentG, (Numbers{77, 103}));
    EXPECT_STREQ((*Q12HistoG)[0].Texte1, "Late entry");
    EXPECT_STREQ((*Q12HistoG)[1].Texte1, "Name103");
    EXPECT_EQ((*Q12ListeG)[2].Envoye, 1);
    EXPECT_EQ(Cell(COMPET_CURRENT, 1, ATTR_CELL_MODE, 2), VAL_INDICATOR);
}

TEST_F(CompetitorPanel, TablesSkipSentCompetitorsAndTakeDigitsAndPicks) {
    Waiting(4);
    (*Q12ListeG)[1].Envoye = 1;
    RemplirTables();
    ASSERT_EQ(Rows(COMPET_WAITING), 3);
    EXPECT_EQ(Cell(COMPET_WAITING, 2), 103);
    auto table = FindCallback("FQ12TableIn");
    Keys("12");
    EXPECT_EQ(table(Q12PanneauG, COMPET_WAITING, EVENT_KEYPRESS, nullptr, '5', 0), 1);
    EXPECT_EQ(table(Q12PanneauG, COMPET_WAITING, EVENT_KEYPRESS, nullptr, 'a', 0), 0);
    EXPECT_EQ(Int(COMPET_NUMBER), 125);
    table(Q12PanneauG, COMPET_WAITING, EVENT_ACTIVE_CELL_CHANGE, nullptr, 3, 2);  // a picked row
    EXPECT_EQ(std::tuple(Cell(COMPET_CURRENT, 1), Int(COMPET_NUMBER), Int(COMPET_CONFIRM, ATTR_DIMMED)),
              std::tuple(104, 104, 0));
    Keys("7");  // the keypad started again
    EXPECT_EQ(Int(COMPET_NUMBER), 7);
}

TEST_F(CompetitorPanel, MainWindowSwitchFollowsThePanelAndEachOpeningIsIdle) {
    const int main = LoadPanel(0, "FQ31.uir", fq31::MAIN);
    ASSERT_GT(main, 0);
    auto state = [&] {
        int on = -1, visible = -1;
        GetCtrlVal(main, fq31::MAIN_Q12_SWITCH, &on);
        GetPanelAttribute(Q12PanneauG, ATTR_VISIBLE, &visible);
        return std::pair(on, visible);
    };
    Q12Ouvrir(main, fq31::MAIN_Q12_SWITCH);
    EXPECT_EQ(state(), std::pair(1, 1));
    Keys("12");
    FindCallback("FQ12Gere")(Q12PanneauG, 0, EVENT_CLOSE, nullptr, 0, 0);
    EXPECT_EQ(state(), std::pair(0, 0));
    Q12Ouvrir(main, fq31::MAIN_Q12_SWITCH);
    EXPECT_EQ(Int(COMPET_NUMBER), 0);
    FindCallback("FQ12Quitter")(Q12PanneauG, COMPET_QUIT, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(state().first, 0);
    DiscardPanel(main);
}

TEST_F(CompetitorPanel, ClockModeDecidesWhetherTheNumberGoesOut) {
    Q12SetEnvoi(nullptr);  // the main window's own hand-over
    SbComG.simulation = 1;
    SbComG.linkState = 0;
    Q31G.simu.simuCompetitor = 0;
    Waiting(3);
    for (auto [mode, keys, handed] : {std::tuple{0, "101EC", 0}, {1, "102EC", 102}}) {
        SbComG.mode = mode;
        Keys(keys);
        EXPECT_EQ(Q31G.simu.simuCompetitor, handed);
    }
    EXPECT_EQ(Q12NbHistoG, 2);
    SbComG.mode = SbComG.simulation = Q31G.simu.simuCompetitor = 0;
}

TEST_F(CompetitorPanel, ImportButtonReadsWithTheDialogsSettingsAndForgetsTheCurrentCompetitor) {
    fileChoiceG = dir.file("list.xlsx");
    std::string cells;
    for (int r = 2; r <= 8; ++r) {
        const std::string n = std::to_string(r);
        cells += "|A" + n + "=" + std::to_string(10 + r) + "|C" + n + "=first" + n + "|Z" + n + "=z" + n;
    }
    q12test::MakeXlsx(fileChoiceG, cells.substr(1));
    Waiting(2);
    Keys("101E");
    QueueUserEvent(Q12PanneauG, COMPET_IMPORT);
    ProcessSystemEvents();
    EXPECT_GT(dialogTurnsG, 0);
    ASSERT_EQ(Rows(COMPET_WAITING), 6);  // rows 3 to 8
    EXPECT_EQ(Cell(COMPET_WAITING, 1), 13);
    EXPECT_STREQ((*Q12ListeG)[0].Texte2, "");  // its column was set to "--"
    EXPECT_STREQ((*Q12ListeG)[0].Texte3, "z3");
    EXPECT_EQ(Int(COMPET_CONFIRM, ATTR_DIMMED), 1);
    char shown[260] = "";
    GetCtrlVal(Q12PanneauG, COMPET_FILE, shown, sizeof shown);
    EXPECT_EQ(std::string(shown), fileChoiceG);
    const std::string cnf = qstest::ReadFileBytes(dir.file("QS-120_V1-0.q12cnf"));  // confirmed: saved
    ASSERT_EQ(cnf.size(), 284u);
    EXPECT_EQ(std::tuple(cnf[4], cnf[8], cnf[18], cnf[20]), std::tuple(3, 1, 0, 'Z'));
}

TEST_F(CompetitorPanel, CancelledUnreadableEmptyOrCutShortImports) {
    const std::string title = dir.file("title.xlsx"), good = dir.file("good.xlsx"),
                      broken = dir.file("broken.xlsx"), formulas = q12test::Fixture("formulas.xls");
    q12test::MakeXlsx(title, "A1=Bib");
    q12test::MakeXlsx(good, "A2=40|A3=40");
    qstest::WriteFileBytes(broken, "PK\x03\x04 not really a workbook");
    const std::string before = qstest::ReadFileBytes(dir.file("QS-120_V1-0.q12cnf"));
    struct Case {
        std::string file;
        bool confirm, accept;
        int sheet;
        std::vector<std::string> told;  // in the question or the message; empty: nothing said
        int competitors;                // in the waiting table afterwards
    } const cases[] = {
        {good, false, false, 1, {}, 3},  // the settings dialog cancelled
        {broken, true, false, 1, {"broken.xlsx"}, 3},
        {good, true, false, 4, {"good.xlsx"}, 3},  // a sheet the workbook lacks
        {title, true, false, 1, {Q12TxtG[17]}, 3},
        {title, true, true, 1, {Q12TxtG[17]}, 0},
        {formulas,
         true,
         false,
         1,
         {Q12TxtG[19] + std::string(" 3"), Q12TxtG[21] + std::string(" 3 4 5"), Q12TxtG[22]},
         3},
        {formulas, true, true, 1, {std::string(Q12TxtG[18]) + " 1"}, 1},
        {good, true, false, 1, {}, 2},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.file + " sheet " + std::to_string(k.sheet) + (k.accept ? " accepted" : ""));
        Waiting(3);
        questionG.clear(), messagesG.clear();
        confirmDialogG = k.confirm;
        dialogTurnsG = 0;
        acceptListG = k.accept;
        fileChoiceG = k.file;
        Q12CnfG.Feuille = k.sheet;
        // The settings dialog itself answers a cancel; confirmed imports keep the settings.
        Q12SetDialogue(k.confirm ? +[](Q12Cnf*) { return true; } : nullptr);
        QueueUserEvent(Q12PanneauG, COMPET_IMPORT);
        ProcessSystemEvents();
        const std::string said = questionG + (messagesG.empty() ? "" : messagesG[0]);
        EXPECT_EQ(said.empty(), k.told.empty()) << said;
        for (const std::string& t : k.told) EXPECT_NE(said.find(t), std::string::npos) << said;
        EXPECT_EQ(std::pair(Rows(COMPET_WAITING), Q12NbListeG), std::pair(k.competitors, k.competitors));
        if (!k.confirm) EXPECT_EQ(qstest::ReadFileBytes(dir.file("QS-120_V1-0.q12cnf")), before);
    }
}

TEST_F(CompetitorPanel, ALongImportShowsTheWaitBoxAndCanBeCancelled) {
    fileChoiceG = dir.file("long.xlsx");
    q12test::MakeXlsx(fileChoiceG, 1, [](int, lxw_worksheet* ws) {
        for (int r = 1; r <= 1200; ++r) worksheet_write_number(ws, lxw_row_t(r), 0, r, nullptr);
    });
    Waiting(3);
    Q12SetDialogue([](Q12Cnf*) { return true; });
    // A clock that runs a tenth of a second per reading, and an operator who presses the
    // wait box's cancel button as soon as it shows.
    static int waitShown = 0;
    static double slowClock = 0;
    SetTimeSource(
        [] {
            if (int wait = FindLoadedPanel("FSabGen.uir", fsabgen::WAIT))
                ++waitShown, QueueUserEvent(wait, fsabgen::WAIT_ANNULER);
            return slowClock += 0.1;
        },
        nullptr);
    FindCallback("FQ12Charger")(Q12PanneauG, COMPET_IMPORT, EVENT_COMMIT, nullptr, 0, 0);
    SetTimeSource(nullptr, nullptr);
    EXPECT_GT(waitShown, 0);
    EXPECT_FALSE(SbWaitOuvert());
    EXPECT_EQ(Q12NbListeG, 3);  // cancelled: nothing replaced, nothing more said
    EXPECT_TRUE(messagesG.empty());
}

TEST_F(CompetitorPanel, ListsSurviveQuittingAndLoadingAgainAndTheClearButtonEmptiesThem) {
    Waiting(4);
    (*Q12ListeG)[3].Numero = 102;  // a bib given twice in the spreadsheet
    RemplirTables();
    Keys("102EC102EC");
    Q12Quitter("Courant.q12ct");
    EXPECT_EQ(qstest::FileSize(dir.file("Courant.q12ct")), 360008);
    Q12Charger("Courant.q12ct", 3);
    ASSERT_GT(Q12PanneauG, 0);
    EXPECT_EQ(std::tuple(Rows(COMPET_WAITING), Rows(COMPET_SENT), Cell(COMPET_SENT, 2)),
              std::tuple(2, 2, 102));
    EXPECT_EQ(Q12ChercherNumero(COMPET_WAITING, 102), 0);
    // Its first opening is idle too: the waiting table takes the focus without a pick.
    Q12Ouvrir(0, 0);
    for (int pass = 0; pass < 20; ++pass) {  // the window shows and takes the focus
        SetNextWake(0.01);
        ProcessSystemEvents();
    }
    EXPECT_EQ(std::tuple(Int(COMPET_NUMBER), Int(COMPET_CONFIRM, ATTR_DIMMED), Cell(COMPET_CURRENT, 1)),
              std::tuple(0, 1, 0));
    Keys("101E");
    QueueUserEvent(Q12PanneauG, COMPET_CLEAR);
    ProcessSystemEvents();
    EXPECT_EQ(std::tuple(Rows(COMPET_WAITING), Rows(COMPET_SENT), Q12NbListeG, Q12NbHistoG),
              std::tuple(0, 0, 0, 0));
    EXPECT_EQ(Int(COMPET_CONFIRM, ATTR_DIMMED), 1);
}

}  // namespace
