// A whole race on the simulated clock, driven through the panels as an operator
// would: simulation, timing mode, synchronisation, start program, a run, competitors
// imported from a spreadsheet and sent, a countdown with input impulses, marks,
// saved through the real file dialog with the name typed without extension, export, print,
// closing and reloading the run; then a restart of the program in the same folder that
// finds everything kept. Time is driven by hand, so the times, the table and the exported
// text are the same on every run.
#include <gtest/gtest.h>

#include <QApplication>
#include <string>

#include "app/Q31Ihm.h"
#include "chrono/SbChrono.h"
#include "panels/FQ12.h"
#include "panels/FQ31.h"
#include "panels/FSabGen.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "records/SbChronoRec.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "settings/Q31FSet.h"
#include "tests/runner/Operator.h"
#include "tests/runner/Race.h"
#include "tests/support/TestSupport.h"

using namespace fq31;
using namespace fq12;
using namespace e2e;

namespace {

// What the operator saw along the way.
struct Seen {
    Strings afterImpulses, afterMarks, afterReload, waiting, sent;
    int competitorAfterFirst = -1, countdown = -1;
} seen;

int Digit(int control) {
    for (int d = 0; d <= 9; ++d)
        if ((Gen7Segments[size_t(d)] & 0x7F) == (Value(MainPanel(), control) & 0x7F)) return d;
    return -1;
}

Step Confirm() {
    return Answer("FSabGen.uir", fsabgen::POPUP, fsabgen::POPUP_VALIDER);
}

// Day one: the race itself.
Steps RaceDay() {
    return {
        Until([] { return MainPanel() > 0; }),
        SetAndPress(MainPanel, MAIN_CONNECT_SWITCH, 1),
        Answer("FQ31.uir", CONNECT, CONNECT_SIMULATION),
        Until([] { return SbComG.simulation == 1 && !FindLoadedPanel("FQ31.uir", CONNECT); }),
        // Timing mode SPLIT, so competitor numbers reach the clock.
        Press(MainPanel, MAIN_PAGE_2),
        SetAndPress(Page(2), PAGE2_MODE, 1),
        Press(Page(2), PAGE2_OK),
        Press(Page(2), PAGE2_QUIT),
        // Synchronised on the computer's time, no time-zone shift.
        Press(MainPanel, MAIN_PAGE_1),
        SetAndPress(Page(1), PAGE1_SYNC_COMPUTER, 1),
        Fill(Page(1), {{PAGE1_TIMEZONE, 19}}),
        Press(Page(1), PAGE1_OK),
        Press(Page(1), PAGE1_QUIT),
        // Start program: a start every minute, 30 s countdown, aligned on the minute.
        Press(MainPanel, MAIN_PAGE_3),
        Fill(Page(3), RaceProgram(60, 30)),
        Press(Page(3), PAGE3_OK),
        Press(Page(3), PAGE3_QUIT),
        // A new run.
        Press(MainPanel, MAIN_PAGE_0),
        SetAndPress(Page(0), PAGE0_RUN_SWITCH, 1),
        Until([] { return SbComG.run.current != 0; }),
        Press(Page(0), PAGE0_QUIT),
        // Competitors from the spreadsheet; the nation is in column D here.
        SetAndPress(MainPanel, MAIN_Q12_SWITCH, 1),
        Press(CompetitorPanel, COMPET_IMPORT),
        Fill(Loaded("FQ12.uir", IMPORT), {{IMPORT_COL_TEXT3, 'D'}}),
        Answer("FQ12.uir", IMPORT, IMPORT_CONFIRM),
        Until([] { return TableRowCount(CompetitorPanel(), COMPET_WAITING) == 3; }),
        TypeNumber("101"),
        Press(CompetitorPanel, COMPET_CONFIRM),
        Until([] { return TableRowCount(CompetitorPanel(), COMPET_SENT) == 1; }),
        Do([] { seen.competitorAfterFirst = Q31G.simu.simuCompetitor; }),
        // The countdown: armed at 10:20:40, counting from 10:21:00, zero at 10:21:30.
        Press(MainPanel, MAIN_START),
        ManualTime::AdvanceTo(10, 21, 20),
        Passes(2),
        Do([] {
            seen.countdown = SbQ31CrG.status2 ? Digit(MAIN_DIGIT_LEFT) * 10 + Digit(MAIN_DIGIT_RIGHT) : -1;
        }),
        Press(MainPanel, MAIN_INPUT_1),  // a false start, ten seconds early
        Until([] { return SbChronoNombre() == 3; }),
        TypeNumber("102"),
        Press(CompetitorPanel, COMPET_CONFIRM),
        Until([] { return TableRowCount(CompetitorPanel(), COMPET_SENT) == 2; }),
        ManualTime::AdvanceTo(10, 21, 31.5),
        Passes(2),
        Press(MainPanel, MAIN_INPUT_1),
        Until([] { return SbChronoNombre() == 6; }),
        ManualTime::AdvanceTo(10, 21, 33.25),
        Passes(2),
        Press(MainPanel, MAIN_INPUT_2),
        Until([] { return SbChronoNombre() == 7; }),
        Do([] { seen.afterImpulses = TableRows(MainPanel(), MAIN_TIMES_TABLE); }),
        Press(MainPanel, MAIN_STOP),  // armed for the next minute: stopping disarms
        Until([] { return SbQ31CrG.status1 == 0; }),
        // Marks: the finish on input 2 is invalid, the false start doubtful; a
        // difference row cannot be marked.
        ClickCell(MainPanel, MAIN_TIMES_TABLE, 7),
        Press(MainPanel, MAIN_TIMES_INVALID),
        ClickCell(MainPanel, MAIN_TIMES_TABLE, 1),
        Press(MainPanel, MAIN_TIMES_DOUBTFUL),
        ClickCell(MainPanel, MAIN_TIMES_TABLE, 3),
        Press(MainPanel, MAIN_TIMES_INVALID),
        Passes(2),
        Do([] { seen.afterMarks = TableRows(MainPanel(), MAIN_TIMES_TABLE); }),
        // Saved (text and binary) under a name typed without extension.
        TypeInFileDialog("Course1"),
        Press(MainPanel, MAIN_TIMES_SAVE),
        Until([] {
            return qstest::FileSize("Chronos/Course1.q31tps") > 0 && !QApplication::activeModalWidget();
        }),
        // The announcer wants French: the printed text follows the language.
        Press(MainPanel, MAIN_PARAMS),
        Fill(Loaded("FQ31.uir", PARAMS), {{PARAMS_LANGUAGE, 1}}),
        Press(Loaded("FQ31.uir", PARAMS), PARAMS_OK),
        Until([] { return !FindLoadedPanel("FQ31.uir", PARAMS) && Q31G.language == 1; }),
        Press(MainPanel, MAIN_TIMES_PRINT),
        // No printer on the test machines: the times go into a PDF file instead.
        Confirm(),
        Until([] { return qstest::FileSize("Times.pdf") > 0; }),
        // Close the run, confirming the question.
        Press(MainPanel, MAIN_PAGE_0),
        SetAndPress(Page(0), PAGE0_RUN_SWITCH, 0),
        Confirm(),
        Until([] { return SbComG.run.current == 0 && !FindLoadedPanel("FSabGen.uir", fsabgen::POPUP); }),
        Press(Page(0), PAGE0_QUIT),
        // Load run 1 into the table: the simulated clock has no memory to send, so the
        // table empties; the saved file brings the times back.
        Press(MainPanel, MAIN_PAGE_5),
        Fill(Page(5), {{PAGE5_RUN_NUM, 1}, {PAGE5_TARGET, 1}}),
        Press(Page(5), PAGE5_LOAD),
        Until([] { return Q31FSetPageOuverte() == -1 && SbChronoNombre() == 0; }),
        Press(MainPanel, MAIN_TIMES_LOAD),
        Until([] { return SbChronoNombre() == 7; }),
        Do([] {
            seen.afterReload = TableRows(MainPanel(), MAIN_TIMES_TABLE);
            seen.waiting = TableRows(CompetitorPanel(), COMPET_WAITING);
            seen.sent = TableRows(CompetitorPanel(), COMPET_SENT);
        }),
        // Leave the simulation, then quit.
        SetAndPress(MainPanel, MAIN_CONNECT_SWITCH, 0),
        Confirm(),
        Until([] { return SbComG.simulation == 0 && !FindLoadedPanel("FSabGen.uir", fsabgen::POPUP); }),
        Press(MainPanel, MAIN_QUIT),
        Confirm(),
    };
}

}  // namespace

TEST(RaceInSimulation, FromConnectionToRestartWithEverythingKept) {
    qstest::TempProgramDir dir;
    InstallHooks();
    WriteEntries("Entries.csv");
    ManualTime time(10, 20, 40);
    PickFiles({"Entries.csv", "Times.pdf", "Chronos/Course1.q31tps"});
    Steps day = RaceDay();
    const size_t steps = day.size();
    ASSERT_EQ(RunProgram(std::move(day)), steps);
    EXPECT_TRUE(MessagesSeen().empty()) << MessagesSeen().front();

    EXPECT_EQ(seen.competitorAfterFirst, 101);  // SPLIT: the number went to the clock
    EXPECT_EQ(seen.countdown, 10);              // counting, ten seconds to go at 10:21:20

    // The times table: each channel-1 time with the reference start and its difference.
    const Strings impulses = {
        "  |  101|M1| 10 : 21 : 20.00",  //
        "IT| |  | 10 : 21 : 30.00",      //
        "DT| | -| 00 : 00 : 10.00",      //
        "  |  102|M1| 10 : 21 : 31.50",  //
        "IT| |  | 10 : 21 : 30.00",      //
        "DT| | +| 00 : 00 : 01.50",      //
        "  |  102|M2| 10 : 21 : 33.25",  //
        "|||",
        "|||",
    };
    EXPECT_EQ(seen.afterImpulses, impulses);
    Strings marked = impulses;
    marked[0].replace(0, 2, " !");
    marked[6].replace(0, 2, " X");
    EXPECT_EQ(seen.afterMarks, marked);
    EXPECT_EQ(seen.afterReload, marked);

    // The text export, byte for byte, and the same text printed.
    const std::string header = Right16("Serial number") + " 00000 \n" + Right16("Mode") + " SPLIT \n" +
                               Right16("Run") + " 1 \n" + Right16("Precision") + " 1/100 \n" +
                               Right16("Date") + " 01/01/00 \n" + Right16("Start time") + " 10:20:40 \n\n";
    const std::string table =
        "|----------------------------------|\n"
        "|    |  N\xB0  |  C |            Time |\n"
        "|----------------------------------|\n"
        "|  ! |  101 | M1 |  10:21:20.00000 |\n"
        "| IT |      |    |  10:21:30.00000 |\n"
        "| DT |      |  - |  00:00:10.00000 |\n"
        "|    |  102 | M1 |  10:21:31.50000 |\n"
        "| IT |      |    |  10:21:30.00000 |\n"
        "| DT |      |  + |  00:00:01.50000 |\n"
        "|  X |  102 | M2 |  10:21:33.25000 |\n"
        "|----------------------------------|\n";
    EXPECT_EQ(qstest::ReadFileBytes(dir.file("Chronos/Course1.txt")), header + table);
    const std::string enTete =
        "     N\xB0 de s\xE9rie 00000 \n            Mode SPLIT \n          Manche 1 \n       "
        "Pr\xE9"
        "cision 1/100 \n            Date 01/01/00 \n    Heure d\xE9part 10:20:40 \n\n";
    std::string tableau = table;
    tableau.replace(tableau.find("            Time"), 16, "           Temps");
    EXPECT_EQ(qstest::ReadFileBytes(dir.file("Chronos/Chrono.txt")), enTete + tableau);
    EXPECT_EQ(qstest::ReadFileBytes(dir.file("Times.pdf")).rfind("%PDF", 0), 0u);
    ASSERT_GE(FileDialogsSeen().size(), 3u);
    EXPECT_NE(FileDialogsSeen()[1].defaultDir.find("Chronos"), std::string::npos);

    // The binary times: saved, kept current in Chronos, and the same at exit.
    const std::string times = qstest::ReadFileBytes(dir.file("Chronos/Course1.q31tps"));
    ASSERT_EQ(times.size(), 4u + 7 * sizeof(SbChronoRec));
    EXPECT_EQ(At<int32_t>(times, 0), 7);
    ExpectTime(times, 1, {101, 1, 10, 21, 20, 0, 0, 'T', '!', 'M', '1'});
    ExpectTime(times, 2, {0, 0, 10, 21, 30, 0, 0, 'I', 'T', ' ', ' '});
    ExpectTime(times, 3, {0, 0, 0, 0, 10, 0, 0, 'D', 'T', ' ', '-'});
    ExpectTime(times, 4, {102, 2, 10, 21, 31, 50000, 0, 'T', 'N', 'M', '1'});
    ExpectTime(times, 6, {0, 0, 0, 0, 1, 50000, 0, 'D', 'T', ' ', '+'});
    ExpectTime(times, 7, {102, 1, 10, 21, 33, 25000, 0, 'T', 'X', 'M', '2'});
    EXPECT_EQ(qstest::ReadFileBytes(dir.file("Chronos/Chrono.q31tps")), times);

    // Competitors: two sent, one waiting, the same in the file.
    EXPECT_EQ(seen.waiting, Strings{"103|Luca Rossi|SC Gardena|ITA"});
    EXPECT_EQ(seen.sent, (Strings{"101|Anna Berg|SC Nord|NOR",
                                  "102|Zo\xEB \xC9"
                                  "brard|CS Vercors|FRA"}));
    const std::string lists = qstest::ReadFileBytes(dir.file("Courant.q12ct"));
    ExpectCompetitorLists(lists, {{101, 1}, {102, 1}, {103, 0}}, {101, 102});
    const std::string q12cnf = qstest::ReadFileBytes(dir.file("QS-120_V1-0.q12cnf"));
    ASSERT_EQ(q12cnf.size(), 284u);
    EXPECT_EQ(q12cnf[20], 'D');  // the third text's column chosen in the dialog

    // The link record and the application record.
    const std::string link = qstest::ReadFileBytes(dir.file("QS-310_V1-1.sbcnf"));
    ASSERT_EQ(link.size(), 6216u);
    EXPECT_EQ(At<uint8_t>(link, 1), 0);          // simulation left before quitting
    EXPECT_EQ(At<int32_t>(link, 348), 0);        // no run open
    EXPECT_EQ(At<int32_t>(link, 384), 1);        // SPLIT
    EXPECT_EQ(At<int32_t>(link, 412 + 28), 19);  // the time zone of the synchronisation
    ExpectRaceProgram(link, 60, 30);
    const std::string cnf = qstest::ReadFileBytes(dir.file("QS-310_V1-1.q31cnf"));
    ASSERT_EQ(cnf.size(), 2096u);
    EXPECT_EQ(At<uint8_t>(cnf, 0), 1);       // French
    EXPECT_EQ(At<int32_t>(cnf, 2076), 102);  // the competitor last sent
    EXPECT_EQ(At<int32_t>(cnf, 2080), 2);    // times counted on input 1
    EXPECT_EQ(At<int32_t>(cnf, 2084), 1);    // and on input 2

    // Day two: the program starts again in the same folder.
    ForgetEverything();
    static Strings chronosAtStart, keptTable, waiting2, sent2;
    static std::vector<int> kept;  // countdown, mode, language
    Steps again = {
        Until([] { return MainPanel() > 0; }),
        Do([] {
            chronosAtStart = FilesIn("Chronos");
            for (const std::string& f : chronosAtStart)
                if (f.rfind("Chrono_", 0) == 0) PickFiles({"Chronos/" + f});
        }),
        SetAndPress(MainPanel, MAIN_CONNECT_SWITCH, 1),
        Answer("FQ31.uir", CONNECT, CONNECT_SIMULATION),
        Until([] { return SbComG.simulation == 1 && !FindLoadedPanel("FQ31.uir", CONNECT); }),
        SetAndPress(MainPanel, MAIN_Q12_SWITCH, 1),
        Until([] { return Usable(CompetitorPanel(), COMPET_KEY_ENTER); }),
        Do([] {
            waiting2 = TableRows(CompetitorPanel(), COMPET_WAITING);
            sent2 = TableRows(CompetitorPanel(), COMPET_SENT);
        }),
        Press(MainPanel, MAIN_PAGE_3),
        Do([] {
            kept = {Value(Q31FSetG[3], PAGE3_F103), SbComG.mode, Q31G.language};
        }),
        Press(Page(3), PAGE3_QUIT),
        Press(MainPanel, MAIN_TIMES_LOAD),
        Until([] { return SbChronoNombre() == 7; }),
        Do([] { keptTable = TableRows(MainPanel(), MAIN_TIMES_TABLE); }),
        Press(MainPanel, MAIN_QUIT),
        Confirm(),
    };
    const size_t steps2 = again.size();
    ASSERT_EQ(RunProgram(std::move(again)), steps2);
    // The times of the day before are kept under their own name; the store starts empty.
    ASSERT_EQ(chronosAtStart.size(), 5u) << ::testing::PrintToString(chronosAtStart);
    EXPECT_EQ(chronosAtStart[2].substr(0, 7), "Chrono_");
    EXPECT_EQ(chronosAtStart,
              (Strings{"Chrono.q31tps", "Chrono.txt", chronosAtStart[2], "Course1.q31tps", "Course1.txt"}));
    EXPECT_EQ(qstest::ReadFileBytes(dir.file("Chronos/" + chronosAtStart[2])), times);
    EXPECT_EQ(keptTable, marked);
    EXPECT_EQ(waiting2, seen.waiting);
    EXPECT_EQ(sent2, seen.sent);
    EXPECT_EQ(kept, (std::vector<int>{30, 1, 1}));
    EXPECT_EQ(qstest::ReadFileBytes(dir.file("Courant.q12ct")), lists);
    EXPECT_EQ(qstest::ReadFileBytes(dir.file("QS-120_V1-0.q12cnf")), q12cnf);
    RemoveHooks();
}
