// The competitor panel driven as the operator would: keypad, look-up, confirmation and what
// goes out, the lists' tables, the import button with its settings dialog.
#include <gtest/gtest.h>

#include <vector>

#include "competitor/Q12.h"
#include "competitor/Q12Envoi.h"
#include "competitor/Q12Import.h"
#include "competitor/Q12Listes.h"
#include "competitor/Q12Panneau.h"
#include "lib/StrBuf.h"
#include "panels/FQ12.h"
#include "panels/FSabGen.h"
#include "platform/cvi.h"
#include "tests/support/TestSupport.h"
#include "ui/Dialogs.h"
#include "ui/Texts.h"

using namespace fq12;
using Numbers = std::vector<int>;
using namespace qstest::onscreen;
using namespace std::string_literals;

namespace {

Numbers sentG, dialogShownG;
// What the operator answers: the file dialog ("": cancelled), the settings dialog (confirmed with
// its changes or cancelled), the question on a doubtful list; what was asked and told.
struct Answers {
    std::string file, question;
    bool confirm = true, accept = false;
    int turns = 0, waitShown = 0;  // the dialog's turns, the wait box's showings
    std::vector<std::string> messages;
} answersG;
double slowClockG = 0;

class CompetitorPanel : public ::testing::Test {
protected:
    void SetUp() override {
        qstest::EnsureRuntime();
        Q12EnregistrerCallbacks();
        Q12ChargerTxt(0);
        sentG.clear();
        Q12SetEnvoi([](int n) { sentG.push_back(n); });
        SetFileSelectHook([](const char*, const char*, const char*, int, char out[260]) -> int {
            StrCopy(out, 260, answersG.file.c_str());
            return answersG.file.empty() ? VAL_NO_FILE_SELECTED : VAL_EXISTING_FILE_SELECTED;
        });
        SetMessageHook([](const char*, const char* text) { answersG.messages.push_back(text); });
        // The settings dialog: what it shows noted; first row 3, text 2 "--", text 3 Z; confirmed or not.
        Q12SetTourDialogue([](int panel) {
            if (answersG.turns++ > 0) return;
            dialogShownG.clear();
            for (int control : {IMPORT_SHEET, IMPORT_FIRST_ROW, IMPORT_COL_NUMBER, IMPORT_COL_TEXT1,
                                IMPORT_COL_TEXT2, IMPORT_COL_TEXT3})
                GetCtrlVal(panel, control, &dialogShownG.emplace_back());
            const std::pair<int, int> changes[] = {
                {IMPORT_FIRST_ROW, 3}, {IMPORT_COL_TEXT2, 0}, {IMPORT_COL_TEXT3, 'Z'}, {IMPORT_SHOW_APP, 1}};
            for (auto [control, value] : changes) SetCtrlVal(panel, control, value);
            QueueUserEvent(panel, answersG.confirm ? IMPORT_CONFIRM : IMPORT_CANCEL);
        });
        SbSetTourModal([](int panel) {
            answersG.question = Text(panel, fsabgen::POPUP_TEXTE);
            QueueUserEvent(panel, answersG.accept ? fsabgen::POPUP_VALIDER : fsabgen::POPUP_ANNULER);
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
    }
    void Waiting(int count) {  // waiting list 101..(100+count) named, tables rebuilt
        Q12EffacerListes();
        for (int i = 0; i < count; ++i) {
            (*Q12ListeG)[size_t(i)].Numero = 101 + i;
            StrFormat((*Q12ListeG)[size_t(i)].Texte1, 64, "Name%d", 101 + i);
            StrFormat((*Q12ListeG)[size_t(i)].Texte2, 64, "Club%d", 101 + i);
        }
        Q12NbListeG = count;
        RemplirTables();
    }
    // Buttons pressed: digits, E(nter), C(onfirm), D(elete), + and -, X (clear the lists), I(mport);
    // in the waiting table: T(ype) a 0, F (a French keyboard's 1 key: '&'), P(ick) its third row.
    static void Keys(const std::string& keys) {
        const int named[] = {COMPET_KEY_0, COMPET_KEY_ENTER, COMPET_CONFIRM, COMPET_KEY_DEL,
                             COMPET_PLUS,  COMPET_MINUS,     COMPET_CLEAR,   COMPET_IMPORT};
        for (char k : keys) {
            const size_t at = std::string("0ECD+-XI").find(k);
            if (k == 'T' || k == 'F' || k == 'P')
                FindCallback("FQ12TableIn")(Q12PanneauG, COMPET_WAITING,
                                            k == 'P' ? EVENT_ACTIVE_CELL_CHANGE : EVENT_KEYPRESS, nullptr,
                                            k == 'T'   ? '0'
                                            : k == 'F' ? '&'
                                                       : 3,
                                            k == 'F' ? '1' : 2);
            else
                QueueUserEvent(Q12PanneauG, at != std::string::npos ? named[at] : COMPET_KEY_1 + k - '1');
            ProcessSystemEvents();
        }
    }
    static int Int(int control, int attribute = 0) { return Attr(Q12PanneauG, control, attribute); }
    static int Rows(int table) { return qstest::TableRowCount(Q12PanneauG, table); }
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
        const char *name, *keys;
        Numbers sent;
        int field, current, confirmDimmed, waiting;
    } const cases[] = {
        {"then confirmed: sent, out of the waiting table", "103EC", {103}, 103, 103, 1, 4},
        {"a sent number entered again: nothing", "102EC102EC", {102}, 102, 102, 1, 4},
        {"plus looks the next number up", "101+", {}, 102, 102, 0, 5},
        {"minus to a number in neither list, offered as new", "101--", {}, 99, 99, 0, 5},
        {"never below 0", "1D-", {}, 0, 0, 0, 5},
        {"digits beyond the number's length start it again", "1234", {}, 4, 0, 1, 5},
        {"a digit typed in the waiting table goes to the number", "12T", {}, 120, 0, 1, 5},
        {"so does the key of a digit typed without Shift on a French keyboard", "12F", {}, 121, 0, 1, 5},
        {"a row picked in the waiting table is the current competitor", "12P", {}, 103, 103, 0, 5},
    };
    EXPECT_EQ(Attr(Q12PanneauG, 0, ATTR_VISIBLE), 1);  // the unit's window is on screen once opened
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        Waiting(5);
        Keys(c.keys);
        EXPECT_EQ(std::tuple(sentG, Int(COMPET_NUMBER), Cell(COMPET_CURRENT, 1),
                             Int(COMPET_CONFIRM, ATTR_DIMMED), Rows(COMPET_WAITING), Rows(COMPET_SENT)),
                  std::tuple(c.sent, c.field, c.current, c.confirmDimmed, c.waiting, int(c.sent.size())));
    }
    // The record sent keeps its texts; a number in neither list may be given some.
    Keys("D77E");
    EXPECT_EQ(Cell(COMPET_CURRENT, 1, ATTR_CELL_MODE, 2), VAL_HOT);
    SetTableCellVal(Q12PanneauG, COMPET_CURRENT, MakePoint(2, 1), "Late entry");
    Keys("CD103EC");
    EXPECT_EQ(sentG, (Numbers{77, 103}));
    const Q12ConcurrentRec &late = (*Q12HistoG)[0], &listed = (*Q12HistoG)[1];
    EXPECT_EQ(std::tuple(std::string(late.Texte1), std::string(listed.Texte1), std::string(listed.Texte2)),
              std::tuple("Late entry", "Name103", "Club103"));
    EXPECT_EQ(Cell(COMPET_CURRENT, 1, ATTR_CELL_MODE, 2), VAL_INDICATOR);
    Keys("X");  // the clear button empties both lists
    EXPECT_EQ(std::tuple(Rows(COMPET_WAITING), Rows(COMPET_SENT), Q12NbListeG, Q12NbHistoG),
              std::tuple(0, 0, 0, 0));
}

// The import button: the settings dialog cancelled, changed or kept; files unreadable, empty or cut short.
TEST_F(CompetitorPanel, ImportsCancelledUnreadableEmptyCutShortOrRead) {
    const auto write = [this](const char* name, const std::string& bytes) {
        qstest::WriteFileBytes(dir.file(name), bytes);
        return dir.file(name);
    };
    const std::string good = write("good.csv", "Bib\n40\n40\n"),
                      formulas = QS_COMPETITOR_FIXTURES "/formulas.xls";
    const std::string before = qstest::ReadFileBytes(dir.file("QS-120_V1-0.q12cnf"));
    const auto& txt = Q12TxtG;
    enum Dialog { Cancel, Change, Keep, Accept };  // Accept: Keep, and the doubtful list accepted
    struct Case {
        std::string file;
        Dialog dialog;
        int sheet;
        std::vector<std::string> told;  // in the question or the message; empty: nothing said
        int competitors;                // in the waiting table afterwards
        bool slow = false;  // each reading takes a tenth of a second: the operator cancels the wait box
    } const cases[] = {
        {good, Cancel, 1, {}, 3},
        {write("broken.xlsx", "PK\x03\x04 not really a workbook"), Keep, 1, {"broken.xlsx"}, 3},
        {good, Keep, 4, {txt[25] + " 4\n"s + good}, 3},                          // a sheet the workbook lacks
        {write("title.csv", "Bib\n"), Keep, 1, {txt[17] + "\n"s + txt[23]}, 3},  // no "stopped at" line
        // Numbers as formulas without their results: the count read, where it stopped, the rows.
        {formulas, Accept, 1, {txt[18] + " 1"s, txt[19] + " 3"s, txt[21] + " 3 4 5\n"s + txt[22]}, 1},
        // Cancelled: nothing replaced, nothing said.
        {QS_COMPETITOR_FIXTURES "/competitors_1000.xls", Keep, 1, {}, 3, true},
        {write("list.csv", "Bib\n12\n13,,first" + std::string(23, ',') + "z3\n14\n15\n"), Change, 1, {}, 3},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.file + " sheet " + std::to_string(k.sheet) + (k.dialog == Accept ? " accepted" : ""));
        Waiting(3);
        Keys("101E");
        answersG = {k.file, "", k.dialog == Change, k.dialog == Accept, 0, 0, {}};
        Q12CnfG.Feuille = k.sheet;
        Q12SetDialogue(k.dialog >= Keep ? +[](Q12Cnf*) { return true; } : nullptr);
        SetTimeSource(k.slow ? +[] {
            if (int wait = FindLoadedPanel("FSabGen.uir", fsabgen::WAIT)) {
                ++answersG.waitShown;
                QueueUserEvent(wait, fsabgen::WAIT_ANNULER);
            }
            return slowClockG += 0.1;
        } : nullptr, nullptr);
        Keys("I");
        SetTimeSource(nullptr, nullptr);
        EXPECT_EQ(answersG.waitShown > 0, k.slow);
        EXPECT_FALSE(SbWaitOuvert());
        const std::string said = answersG.question + (answersG.messages.empty() ? "" : answersG.messages[0]);
        EXPECT_EQ(said.empty(), k.told.empty()) << said;
        for (const std::string& t : k.told) EXPECT_NE(said.find(t), std::string::npos) << said;
        EXPECT_EQ(std::pair(Rows(COMPET_WAITING), Q12NbListeG), std::pair(k.competitors, k.competitors));
        // The current competitor is kept unless the lists were replaced.
        EXPECT_EQ(Int(COMPET_CONFIRM, ATTR_DIMMED), (*Q12ListeG)[0].Numero == 101 ? 0 : 1);
        if (k.dialog == Cancel) {
            EXPECT_EQ(qstest::ReadFileBytes(dir.file("QS-120_V1-0.q12cnf")), before);
        }
        // The file named once its list is read to its end, never a doubtful one.
        EXPECT_EQ(Text(Q12PanneauG, COMPET_FILE), k.dialog == Change ? k.file : std::string());
    }
    // The last import: the dialog showed the settings held, read with its changes and saved them.
    EXPECT_EQ(dialogShownG, (Numbers{1, 2, 'A', 'B', 'C', 'E'}));
    EXPECT_EQ(Cell(COMPET_WAITING, 1), 13);
    EXPECT_EQ(std::string((*Q12ListeG)[0].Texte2) + "/" + (*Q12ListeG)[0].Texte3, "/z3");
    const std::string cnf = qstest::ReadFileBytes(dir.file("QS-120_V1-0.q12cnf"));
    ASSERT_EQ(cnf.size(), 284u);
    EXPECT_EQ(std::tuple(cnf[4], cnf[8], cnf[18], cnf[20]), std::tuple(3, 1, 0, 'Z'));
}

}  // namespace
