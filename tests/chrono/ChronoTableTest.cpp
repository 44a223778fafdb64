// The times table on the program's main panel (rows, bands, selection, marking), its
// buttons (save, load, print, clear, refresh) pressed as the operator does with the dialogs
// answered by the test, the text export byte for byte, and the texts of a record.
#include <QAbstractButton>
#include <set>

#include "chrono/SbChronoFormat.h"
#include "lib/StrBuf.h"
#include "panels/FQ31.h"
#include "panels/FSabGen.h"
#include "platform/Runtime.h"
#include "tests/chrono/ChronoFixture.h"
#include "tests/support/MemoryPort.h"
#include "ui/Dialogs.h"
#include "ui/FileNotices.h"
#include "ui/MainPanel.h"
#include "ui/Texts.h"

using namespace chronotest;
using namespace fq31;

namespace {

constexpr int kBlanc = 0xFFFFFF, kGris = 0xE8E8E8, kJaune = 0xFFFF00, kTable = MAIN_TIMES_TABLE;
// The file dialog's answer, its title, the popup's text.
std::string choixG, titreG, questionG;
int boutonG = fsabgen::POPUP_VALIDER;  // the popup's button pressed

class ChronoTableTest : public ChronoTest {
protected:
    ChronoTableTest() { avecPanneaux_ = true; }
    void SetUp() override {
        ChronoTest::SetUp();
        SbChronoEnregistrerCallbacks();
        if (Q31FIhmG == 0) Q31FIhmG = LoadPanel(0, "FQ31.uir", MAIN);  // one for all: the popups' parent
        SetFileSelectHook([](const char*, const char* filter, const char* title, int, char out[260]) -> int {
            titreG = std::string(title) + " " + filter;
            StrCopy(out, 260, choixG.c_str());
            return VAL_NEW_FILE_SELECTED;
        });
        SbSetTourModal([](int panel) {
            questionG = qstest::onscreen::Text(panel, fsabgen::POPUP_TEXTE);
            int question = 0;
            GetCtrlAttribute(panel, fsabgen::POPUP_VALIDER, ATTR_VISIBLE, &question);
            QueueUserEvent(panel, question ? boutonG : fsabgen::POPUP_OK);  // a message has only OK
        });
        const char* labels[] = {"Serial", "Mode", "Run", "Precision", "Date", "Time", "Time of day"};
        for (int i = 0; i < 7; ++i) StrCopy(Q31TxtLabelG[20 + i], labels[i]);
        for (int i = 4; i <= 7; ++i) StrFormat(Q31TxtMesG[i], sizeof Q31TxtMesG[i], "M%d", i);
        SbComG.serialNumber = 123;
        SbChronoOuvrir("Chronos", "Chrono.q31tps", Q31FIhmG, kTable);
        // A channel-1 time while the start program runs (three rows), then a channel-2 time.
        SbChronoQ31ItG = {0, 0, 10, 0, 0, 0, 4242, 'I', 'T', 'M', '1'};
        SbQ31CrG.status1 = 1;
        Ajouter({Temps(10, 0, 1, 25999, '1', 12), Temps(9, 5, 7, 5, '2', 0, 7)});
    }
    std::vector<std::string> Lignes() { return qstest::TableRows(Q31FIhmG, kTable); }
    int Fond(int row) {  // the row's background when its four cells agree, else -1
        int colour[4] = {};
        for (int col = 1; col <= 4; ++col)
            GetTableCellAttribute(Q31FIhmG, kTable, MakePoint(col, row), ATTR_TEXT_BGCOLOR, &colour[col - 1]);
        return colour[1] == colour[0] && colour[2] == colour[0] && colour[3] == colour[0] ? colour[0] : -1;
    }
    void Choisir(int row) { FSbChrTable(Q31FIhmG, kTable, EVENT_ACTIVE_CELL_CHANGE, nullptr, row, 1); }
    // Clicks a button of the panel; the window is usable again after every button.
    static void Appuyer(int control) {
        static_cast<QAbstractButton*>(qs::rt::ControlWidget(Q31FIhmG, control))->click();
        ProcessSystemEvents();
        EXPECT_EQ(qstest::onscreen::Attr(Q31FIhmG, 0, ATTR_DIMMED), 0);
    }
    std::string Export() {
        choixG = "Chronos\\Essai.txt";
        Appuyer(MAIN_TIMES_SAVE);
        return qstest::ReadFileBytes(Fichier("Chronos/Essai.txt"));
    }
};

}  // namespace

TEST_F(ChronoTableTest, RowsBandsSelectionAndMarks) {
    for (int pass = 0; pass < 2; ++pass) {  // as the times came, then rebuilt
        SCOPED_TRACE(pass);
        EXPECT_EQ(Lignes(), (std::vector<std::string>{"  |   12|M1| 10 : 00 : 01.25",
                                                      "IT| |M1| 10 : 00 : 00.00", "DT| | +| 00 : 00 : 01.25",
                                                      "  |    7|M2| 09 : 05 : 07.00", "|||", "|||"}));
        // One band per time with its reference and difference; the empty rows follow the last.
        EXPECT_EQ((std::set{Fond(1), Fond(4)}), (std::set{kBlanc, kGris}));
        EXPECT_EQ((std::vector{Fond(2), Fond(3), Fond(5), Fond(6)}),
                  (std::vector{Fond(1), Fond(1), Fond(4), Fond(4)}));
        SbChronoAfficher();
    }
    // Marks act on the time chosen, never on a difference row (the race marks times and a reference
    // row); the highlight stays.
    for (auto [row, button, mark] : {std::tuple{4, MAIN_TIMES_DOUBTFUL, " !|"},
                                     {4, MAIN_TIMES_NORMAL, "  |"},
                                     {3, MAIN_TIMES_INVALID, "DT|"}}) {
        Choisir(row);
        Appuyer(button);
        EXPECT_EQ(Lignes()[size_t(row - 1)].substr(0, 3), mark);
        EXPECT_EQ(Fond(row), kJaune);
    }
    EXPECT_EQ((std::set{Fond(2), Fond(4)}), (std::set{kBlanc, kGris}));
    Choisir(5);  // an empty row
    EXPECT_EQ(SbChronoSelection(), 0);
}

// The export with the header of no run (an open run's is the race's), and of values no clock sends
// (left empty rather than read past the tables); the times file beside it loads back.
TEST_F(ChronoTableTest, SaveExportsTheTextAndTheTimesFile) {
    Q31DerMancheChargeeG = 4;
    EXPECT_EQ(Export(),
              "          Serial 00123 \n            Mode\n             Run 4 \n       Precision \n"
              "            Date \n            Time \n\n|----------------------------------|\n"
              "|    |  N\xB0  |  C |     Time of day |\n|----------------------------------|\n"
              "|    |   12 | M1 |  10:00:01.25999 |\n| IT |      | M1 |  10:00:00.00000 |\n"
              "| DT |      |  + |  00:00:01.25999 |\n|    |    7 | M2 |  09:05:07.00005 |\n"
              "|----------------------------------|\n");
    EXPECT_EQ(titreG, "M6 *.txt");
    SbComG.run.current = 3;
    SbComG.mode = 7;
    SbComG.params.precision = -1;
    EXPECT_NE(Export().find("Mode  \n             Run 3 \n       Precision  \n"), std::string::npos);
    // A text file at the longest path the dialog gives: the times file beside it keeps its whole name.
    choixG = "Chronos\\" + std::string(247, 'n') + ".txt";
    Appuyer(MAIN_TIMES_SAVE);
    EXPECT_GT(qstest::FileSize(Fichier("Chronos/" + std::string(247, 'n') + ".q31tps")), 0);

    SbChronoEffacer();
    choixG = "Chronos\\Essai.q31tps";
    Appuyer(MAIN_TIMES_LOAD);
    EXPECT_EQ(titreG, "M7 *.q31tps");
    EXPECT_EQ(Lignes().size(), 6u);
    SbForgetFileNotices();
    SbChronoSauverAscii("Absent\\x.txt", "", "T");  // no such folder: the operator told, each time
    SbChronoSauver("Absent\\x.q31tps");
    EXPECT_EQ(SbFileNotes().size(), 2u);
}

// Other events than a commit change nothing; clear and refresh empty the store and the table only
// when confirmed, and refresh asks the connected clock for the run's times again (printing is the race's,
// but for where the printed text is and a print that failed).
TEST_F(ChronoTableTest, ButtonsActOnlyWhenConfirmed) {
    choixG = "Chronos\\Autre.txt";
    FQ31ChronosSauver(Q31FIhmG, 0, EVENT_LEFT_CLICK, nullptr, 0, 0);
    EXPECT_EQ(qstest::FileSize(Fichier("Chronos/Autre.txt")), -1);
    memport::C() = {};
    const SbComPortOps clock = memport::ClockOps();
    SbComInstallerPort(&clock);
    SbComG.run.current = 3;
    for (int button : {MAIN_TIMES_CLEAR, MAIN_TIMES_REFRESH}) {
        boutonG = fsabgen::POPUP_ANNULER;
        Appuyer(button);
        EXPECT_EQ(SbChronoNombre(), 4);
        EXPECT_EQ(questionG, button == MAIN_TIMES_CLEAR ? "M4" : "M5");
        boutonG = fsabgen::POPUP_VALIDER;
        Appuyer(button);
        EXPECT_EQ(SbChronoNombre(), 0);
        EXPECT_EQ(Lignes().size(), 2u);
        Ajouter(std::vector(4, Temps(8, 0, 2, 0, '2')));
    }
    SbComInstallerPort(nullptr);
    EXPECT_EQ(memport::C().frames,
              std::vector<std::string>{"#DL 03\t0113\r\n"});  // the confirmed refresh only
    // Print, on this machine without a printer: a PDF file is offered, the text's place told.
    char here[260];
    GetDir(here);
    boutonG = fsabgen::POPUP_ANNULER;
    Appuyer(MAIN_TIMES_PRINT);
    EXPECT_EQ(questionG.substr(questionG.find('\n') + 1), std::string(here) + "/Chronos/Chrono.txt");
    // Taken, into a folder that is not there: the failure is told with the same place.
    StrCopy(Q31TxtMesG[kQ31MesPrintFailed], "Not printed");
    boutonG = fsabgen::POPUP_VALIDER;
    choixG = "Absent\\Chrono.pdf";
    Appuyer(MAIN_TIMES_PRINT);
    EXPECT_EQ(questionG, "Not printed\n" + std::string(here) + "/Chronos/Chrono.txt");
}

// The time column cut to the precision, the difference against the reference (no wrap at
// midnight; whole minutes never show 60 seconds), and the columns of damaged records.
TEST(ChronoTexte, TimesDifferencesAndColumns) {
    const std::tuple<SbChronoRec, int, const char*> times[] = {
        {Temps(12, 34, 56, 78912), 5, " 12 : 34 : 56.78912"},
        {Temps(0, 0, 9, 99999), 4, " 00 : 00 : 09.9999"},
        {Temps(1, 2, 3, 5), -1, " 01 : 02 : 03"},
        {Temps(-1, 123, 7, -42), 3, " -1 : 123 : 07.-00"}};  // a damaged record, as printf shows it
    char out[64];
    for (const auto& [time, precision, text] : times) {
        SbChronoTexteTemps(time, precision, out);
        EXPECT_STREQ(out, text) << precision;
    }
    const std::tuple<SbChronoRec, SbChronoRec, char, const char*> differences[] = {
        {Temps(10, 0, 0, 0), Temps(10, 0, 0, 0), ' ', " 00 : 00 : 00.00000"},
        {Temps(10, 0, 0, 0), Temps(12, 30, 15, 50001), '+', " 02 : 30 : 15.50001"},
        {Temps(23, 59, 59, 0), Temps(0, 0, 1, 0), '-', " 23 : 59 : 58.00000"},
        {Temps(0, 0, 0, 0), Temps(1, 1, 0, 0), '+', " 01 : 01 : 00.00000"},  // 59.999... seconds, never "60"
        {Temps(0, 30, 15, 5), Temps(1, 30, 15, 5), '+', " 01 : 00 : 00.00000"}};  // nor 60 minutes
    for (const auto& [reference, time, sign, text] : differences) {
        SbChronoRec d;
        SbChronoEcart(reference, time, &d);
        SbChronoTexteTemps(d, 5, out);
        EXPECT_EQ(std::tuple(d.Type, d.Marque, d.Qualif, d.Canal, std::string(out)),
                  std::tuple('D', 'T', ' ', sign, text));  // its kind, mark, sign
    }
    SbChronoRec r = {-1, -3, 1, 2, 3, 4, 4242, 'T', 'N', 0, 0};  // a zero byte shows as a space, not the end
    char channel[3];
    SbChronoTexteNumero(r, out);
    SbChronoTexteCanal(r, channel);
    EXPECT_EQ(std::tuple(std::string(out), std::string(channel)), std::tuple(" ", "  "));
}
