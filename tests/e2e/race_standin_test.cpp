// A whole race against the stand-in clock, over a pseudo-terminal and over TCP with
// the same script and checks, driven through the panels as an operator would:
// connection, settings pages read from the clock,
// synchronisation, start program, a run, competitors imported and their numbers
// sent, the clock's countdown with input times, a mark, save and export, closing
// the run and downloading it back, disconnection; then a restart in the same
// folder that finds the configuration, the times and the competitor lists kept.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>
#include <string>

#include "app/Q31Ihm.h"
#include "chrono/SbChrono.h"
#include "link/SbComErreur.h"
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
#include "tests/support/Standin.h"
#include "tests/support/TestSupport.h"
#include "ui/Dialogs.h"

using namespace fq31;
using namespace fq12;
using namespace e2e;

namespace {

struct Seen {
    Strings wireAfterConnect, afterTimes, afterRefresh, afterDownload, waiting, sent;
    std::set<int> digitsShown;
    SbChronoRec reference{};
    int linkErrors = 0;
} seen;

double Seconds(const SbChronoRec& r) {
    return r.Heures * 3600.0 + r.Minutes * 60.0 + r.Secondes + r.Fraction / 100000.0;
}

// The two ways to the clock: its serial line, and the network (the stand-in's TCP port).
enum class Transport { Serial, Network };
void PrintTo(Transport t, std::ostream* os) {
    *os << (t == Transport::Serial ? "Serial" : "Network");
}

Steps RaceDay(qstest::StandinClock& clock, Transport transport) {
    auto main = [] { return MainPanel(); };
    auto idle = [] { return Usable(MainPanel(), MAIN_PAGE_0) && !SbWaitOuvert(); };
    Steps steps = {Until([] { return MainPanel() > 0; })};
    Then(steps, transport == Transport::Serial ? ConnectToCom5() : ConnectOverNetwork(clock.TcpPort()));
    Then(steps,
         {
             Do([&clock] { seen.wireAfterConnect = clock.Wire(); }),
             // The clock streams its running program: have it stop, so the pages are offered.
             Tell("messages off"),
             Tell("send &E 00"),
             Until(idle),
             // Timing mode SPLIT.
             Press(main, MAIN_PAGE_2),
             SetAndPress(Page(2), PAGE2_MODE, 1),
             Press(Page(2), PAGE2_OK),
             Press(Page(2), PAGE2_QUIT),
             // Synchronisation at a preset time and date.
             Press(main, MAIN_PAGE_1),
             SetAndPress(Page(1), PAGE1_SYNC_PRESET, 1),
             Fill(Page(1), {{PAGE1_HOUR, 9},
                            {PAGE1_MINUTE, 30},
                            {PAGE1_DAY, 6},
                            {PAGE1_MONTH, 12},
                            {PAGE1_YEAR, 26},
                            {PAGE1_TIMEZONE, 19}}),
             Press(Page(1), PAGE1_OK),
             Press(Page(1), PAGE1_QUIT),
             // Start program 0: a start every 30 s with a 20 s countdown.
             Press(main, MAIN_PAGE_3),
             Fill(Page(3), RaceProgram(30, 20)),
             Press(Page(3), PAGE3_OK),
             Press(Page(3), PAGE3_QUIT),
             // The general parameters page reads the clock's parameters.
             Press(main, MAIN_PAGE_4),
             Press(Page(4), PAGE4_QUIT),
             // A new run.
             Press(main, MAIN_PAGE_0),
             SetAndPress(Page(0), PAGE0_RUN_SWITCH, 1),
             Until([] { return SbComG.run.current == 1 && !SbWaitOuvert(); }),
             Press(Page(0), PAGE0_QUIT),
             // Competitors from the spreadsheet; the first number goes to the clock.
             SetAndPress(main, MAIN_Q12_SWITCH, 1),
             Press(CompetitorPanel, COMPET_IMPORT),
             Fill(Loaded("FQ12.uir", IMPORT), {{IMPORT_COL_TEXT3, 'D'}}),
             Answer("FQ12.uir", IMPORT, IMPORT_CONFIRM),
             Until([] { return TableRowCount(CompetitorPanel(), COMPET_WAITING) == 3; }),
             TypeNumber("101"),
             Press(CompetitorPanel, COMPET_CONFIRM),
             Until([] { return TableRowCount(CompetitorPanel(), COMPET_SENT) == 1 && !SbWaitOuvert(); }),
             // Start from the main window; the clock then counts down and the mirror follows
             // it until a start comes.
             Press(main, MAIN_START),
             Passes(3),
             Tell("messages on"),
             Until([] {
                 seen.digitsShown.insert(Value(MainPanel(), MAIN_DIGIT_RIGHT));
                 return SbChronoQ31ItG.Type == 'I' && SbQ31CrG.status1 && seen.digitsShown.size() >= 3;
             }),
             Tell("impulse 1"),
             Until([] { return SbChronoNombre() == 3; }),
             TypeNumber("102"),
             Press(CompetitorPanel, COMPET_CONFIRM),
             Until([] { return TableRowCount(CompetitorPanel(), COMPET_SENT) == 2 && !SbWaitOuvert(); }),
             Tell("impulse 2"),
             Until([] { return SbChronoNombre() == 4; }),
             Tell("messages off"),
             Tell("send &E 00"),
             Until(idle),
             Do([] {
                 seen.reference = *SbChronoLire(2);
                 seen.afterTimes = TableRows(MainPanel(), MAIN_TIMES_TABLE);
             }),
             // The time on input 2 is marked invalid; save the times with their text.
             ClickCell(main, MAIN_TIMES_TABLE, 4),
             Press(main, MAIN_TIMES_INVALID),
             Until([] { return SbChronoLire(4)->Marque == 'X'; }),
             Press(main, MAIN_TIMES_SAVE),
             Until([] { return qstest::FileSize("Chronos/Course1.q31tps") > 0; }),
             // Ask the clock for the run again: the table holds what the clock sends back.
             Press(main, MAIN_TIMES_REFRESH),
             Answer("FSabGen.uir", fsabgen::POPUP, fsabgen::POPUP_VALIDER),
             Until([] { return SbChronoNombre() == 2 && !FindLoadedPanel("FSabGen.uir", fsabgen::POPUP); }),
             Passes(5),
             Do([] { seen.afterRefresh = TableRows(MainPanel(), MAIN_TIMES_TABLE); }),
             // Close the run, then download it back into the table.
             Press(main, MAIN_PAGE_0),
             SetAndPress(Page(0), PAGE0_RUN_SWITCH, 0),
             Answer("FSabGen.uir", fsabgen::POPUP, fsabgen::POPUP_VALIDER),
             Until([] {
                 return SbComG.run.current == 0 && !FindLoadedPanel("FSabGen.uir", fsabgen::POPUP) &&
                        !SbWaitOuvert();
             }),
             Press(Page(0), PAGE0_QUIT),
             Press(main, MAIN_PAGE_5),
             Fill(Page(5), {{PAGE5_RUN_NUM, 1}, {PAGE5_TARGET, 1}}),
             Press(Page(5), PAGE5_LOAD),
             Until([] { return Q31FSetPageOuverte() == -1 && SbChronoNombre() == 2; }),
             Passes(5),
             Press(main, MAIN_TIMES_PRINT),
             // No printer on the test machines: the times go into a PDF file instead.
             Answer("FSabGen.uir", fsabgen::POPUP, fsabgen::POPUP_VALIDER),
             Until([] { return qstest::FileSize("Times.pdf") > 0; }),
             Do([] {
                 seen.afterDownload = TableRows(MainPanel(), MAIN_TIMES_TABLE);
                 seen.waiting = TableRows(CompetitorPanel(), COMPET_WAITING);
                 seen.sent = TableRows(CompetitorPanel(), COMPET_SENT);
                 seen.linkErrors = SbComErreur();
             }),
             // Disconnect, then quit.
             SetAndPress(main, MAIN_CONNECT_SWITCH, 0),
             Answer("FSabGen.uir", fsabgen::POPUP, fsabgen::POPUP_VALIDER),
             Until([] {
                 return SbComG.linkState == 0 && !FindLoadedPanel("FSabGen.uir", fsabgen::POPUP) &&
                        !SbWaitOuvert();
             }),
             Press(main, MAIN_QUIT),
             Answer("FSabGen.uir", fsabgen::POPUP, fsabgen::POPUP_VALIDER),
         });
    return steps;
}

// Everything the stand-in received after `from` lines, up to `count` lines.
Strings Slice(const Strings& wire, size_t from, size_t count) {
    if (from >= wire.size()) return {};
    return Strings(wire.begin() + long(from), wire.begin() + long(std::min(wire.size(), from + count)));
}

}  // namespace

class RaceAgainstTheClock : public ::testing::TestWithParam<Transport> {};

TEST_P(RaceAgainstTheClock, FromConnectionToRestartWithEverythingKept) {
    const Transport transport = GetParam();
    const bool serial = transport == Transport::Serial;
    const uint8_t linkState = serial ? 1 : 2;
    qstest::TempProgramDir dir;
    qstest::StandinClock clock(dir, serial
                                        ? qstest::StandinClock::Strings{"--time-scale", "8"}
                                        : qstest::StandinClock::Strings{"--time-scale", "8", "--tcp", "0"});
    ASSERT_TRUE(clock.Running());
    InstallHooks();
    WriteEntries("Entries.csv");
    PickFiles({"Entries.csv", "Chronos/Course1.txt", "Times.pdf"});
    Steps day = RaceDay(clock, transport);
    const size_t steps = day.size();
    ASSERT_EQ(RunProgram(std::move(day), 8000), steps);
    EXPECT_TRUE(MessagesSeen().empty()) << MessagesSeen().front();
    EXPECT_EQ(seen.linkErrors, 0);

    // The wire: every command in order, with the payloads the clock expects.
    const Strings connect = {"SN",     "RP 003", "RP 002",   "RP 010",   "RP 101",   "RP 105 00",
                             "RP 001", "RP 008", "RP 028 1", "RP 028 2", "RP 028 3", "EE 1"};
    EXPECT_EQ(seen.wireAfterConnect, connect);
    const Strings settings = {
        // timing mode: read, then SPLIT
        "RP 002", "WC 003 01",
        // synchronisation: read, then the time zone and the preset time and date
        "RP 010", "RP 009", "WP 009 19", "WC 007 02 09:30 06/12/26",
        // programs: the current number and program 0, then program 0 written
        "RP 101", "RP 102 00", "RP 103 00", "RP 104 00", "RP 105 00", "RP 107 00", "RP 108 00", "RP 109 00",
        "RP 110 00", "RP 111 00", "RP 112 00", "RP 113 00", "WP 102 00 0030", "WP 103 00 0020",
        "WP 104 00 60", "WP 105 00 00", "WP 107 00 246", "WP 108 00 251", "WP 109 00 000", "WP 110 00 251",
        "WP 111 00 246", "WP 112 00 000", "WP 113 00 00",
        // general parameters: read only
        "RP 001", "RP 004 01", "RP 005 01", "RP 006 01", "RP 004 02", "RP 005 02", "RP 006 02", "RP 023",
        "RP 007", "RP 029", "RP 016", "RP 017", "RP 021", "RP 012", "RP 008",
        // a new run, read back
        "RP 003", "WC 002", "RP 003",
        // the first competitor sent, the start key, the second competitor
        "WP 026 01  101", "WC 009 01000", "WP 026 01  102",
        // the run asked for again
        "DL 01",
        // closing the run, read back; downloading it
        "RP 003", "WC 001", "RP 003", "WC 012 01 0001"};
    const Strings wire = clock.Wire();
    EXPECT_EQ(Slice(wire, connect.size(), settings.size() + 1), settings);  // nothing after the download

    // The times as they came: each channel-1 start with the reference and the
    // difference from it; the input-2 time alone.
    ASSERT_EQ(seen.afterTimes.size(), 6u);
    const std::regex time(R"( \d\d : \d\d : \d\d\.\d\d)");
    const std::regex number(R"( *\d+)");
    auto cells = [](const std::string& row) {
        Strings c;
        size_t start = 0, bar;
        while ((bar = row.find('|', start)) != std::string::npos) {
            c.push_back(row.substr(start, bar - start));
            start = bar + 1;
        }
        c.push_back(row.substr(start));
        return c;
    };
    const Strings t1 = cells(seen.afterTimes[0]), ref = cells(seen.afterTimes[1]),
                  diff = cells(seen.afterTimes[2]), t2 = cells(seen.afterTimes[3]);
    EXPECT_EQ(t1[0], " =");  // the clock's own mark, shown as it came
    EXPECT_EQ(t1[2], " 1");
    EXPECT_TRUE(std::regex_match(t1[1], number)) << t1[1];
    EXPECT_TRUE(std::regex_match(t1[3], time)) << t1[3];
    EXPECT_EQ(ref[0], "IT");
    EXPECT_EQ(diff[0], "DT");
    EXPECT_EQ(t2[0], " =");
    EXPECT_EQ(t2[2], " 2");
    EXPECT_EQ(seen.afterTimes[4], "|||");
    const SbChronoRec r = seen.reference;
    EXPECT_EQ(r.Type, 'I');
    EXPECT_EQ(r.Marque, 'T');

    // The saved times and their text export.
    const std::string times = qstest::ReadFileBytes(dir.file("Chronos/Course1.q31tps"));
    ASSERT_EQ(times.size(), 4u + 4 * sizeof(SbChronoRec));
    const SbChronoRec start = At<SbChronoRec>(times, 4), reference = At<SbChronoRec>(times, 36),
                      difference = At<SbChronoRec>(times, 68), finish = At<SbChronoRec>(times, 100);
    EXPECT_EQ(std::string({start.Type, start.Marque, start.Canal}), "T=1");
    EXPECT_EQ(std::string({finish.Type, finish.Marque, finish.Canal}), "TX2");
    EXPECT_EQ(Seconds(reference), Seconds(r));
    // The difference row is the start less the reference.
    const double gap = Seconds(start) - Seconds(reference);
    EXPECT_EQ(difference.Canal, gap > 0 ? '+' : gap < 0 ? '-' : ' ');
    EXPECT_NEAR(Seconds(difference), std::abs(gap), 1e-5);
    EXPECT_GT(finish.Numero, start.Numero);  // the clock numbers its times

    const std::string text = qstest::ReadFileBytes(dir.file("Chronos/Course1.txt"));
    const std::string header = Right16("Serial number") + " 01234 \n" + Right16("Mode") + " SPLIT \n" +
                               Right16("Run") + " 1 \n" + Right16("Precision") + " 1/100 \n" +
                               Right16("Date") + " 07/10/11 \n" + Right16("Start time") + " 09:05:00 \n\n";
    ASSERT_EQ(text.substr(0, header.size()), header);
    const std::regex lines(
        "\\|----------------------------------\\|\n"
        "\\|    \\|  N\xB0  \\|  C \\|            Time \\|\n"
        "\\|----------------------------------\\|\n"
        "\\|  = \\| {1,4}\\d+ \\|  1 \\|  \\d\\d:\\d\\d:\\d\\d\\.\\d{5} \\|\n"
        "\\| IT \\| {1,4}\\d+ \\|  1 \\|  \\d\\d:\\d\\d:\\d\\d\\.\\d{5} \\|\n"
        "\\| DT \\|      \\|  [-+ ] \\|  00:00:\\d\\d\\.\\d{5} \\|\n"
        "\\|  X \\| {1,4}\\d+ \\|  2 \\|  \\d\\d:\\d\\d:\\d\\d\\.\\d{5} \\|\n"
        "\\|----------------------------------\\|\n");
    EXPECT_TRUE(std::regex_match(text.substr(header.size()), lines)) << text;

    // The download brought back the run's two times as the clock keeps them; with
    // no program running now, the start comes alone.
    ASSERT_EQ(seen.afterDownload.size(), 4u);
    EXPECT_EQ(seen.afterDownload[0], seen.afterTimes[0]);
    EXPECT_EQ(seen.afterDownload[1], seen.afterTimes[3]);  // unmarked: the mark was this program's
    EXPECT_EQ(seen.afterRefresh, seen.afterDownload);
    // Printed with no run open: the header names the run last loaded.
    EXPECT_EQ(qstest::ReadFileBytes(dir.file("Times.pdf")).rfind("%PDF", 0), 0u);
    const std::string printed = qstest::ReadFileBytes(dir.file("Chronos/Chrono.txt"));
    const std::string noRun = Right16("Serial number") + " 01234 \n" + Right16("Mode") + "\n" +
                              Right16("Run") + " 1 \n" + Right16("Precision") + " \n" + Right16("Date") +
                              " \n" + Right16("Start time") + " \n\n";
    EXPECT_EQ(printed.substr(0, noRun.size()), noRun);
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 7 + 3 + 2 + 1);

    // Competitor lists and files.
    EXPECT_EQ(seen.waiting, Strings{"103|Luca Rossi|SC Gardena|ITA"});
    const std::string lists = qstest::ReadFileBytes(dir.file("Courant.q12ct"));
    ExpectCompetitorLists(lists, {{101, 1}, {102, 1}, {103, 0}}, {101, 102});
    const std::string link = qstest::ReadFileBytes(dir.file("QS-310_V1-1.sbcnf"));
    ASSERT_EQ(link.size(), 6216u);
    EXPECT_EQ(At<uint8_t>(link, 0), 0);  // closed
    if (serial) {
        EXPECT_EQ(At<int32_t>(link, 8), 5);  // COM5
    } else {
        EXPECT_EQ(At<int32_t>(link, 296), clock.TcpPort());
        EXPECT_EQ(CString(link, 312, 16), "127.0.0.1");
    }
    EXPECT_EQ(At<int32_t>(link, 328), 1234);  // the clock's serial number
    EXPECT_EQ(CString(link, 332, 8), "QS310");
    EXPECT_EQ(CString(link, 340, 8), "V110");
    EXPECT_EQ(At<int32_t>(link, 384), 1);      // SPLIT
    EXPECT_EQ(At<int32_t>(link, 412 + 8), 9);  // preset 09:30 06/12/26
    EXPECT_EQ(At<int32_t>(link, 412 + 12), 30);
    EXPECT_EQ(At<int32_t>(link, 412 + 16), 6);
    EXPECT_EQ(At<int32_t>(link, 412 + 20), 12);
    EXPECT_EQ(At<int32_t>(link, 412 + 24), 26);
    ExpectRaceProgram(link, 30, 20);
    EXPECT_EQ(At<int32_t>(link, 620), 1);  // download target: this program
    EXPECT_EQ(qstest::ReadFileBytes(dir.file("Chronos/Chrono.q31tps")).size(), 4u + 2 * sizeof(SbChronoRec));

    // Day two: the program starts again in the same folder and connects.
    ForgetEverything();
    static Strings chronosAtStart, keptTable, waiting2, sent2;
    static int port2 = -1, countdown2 = -1;
    static uint8_t state2 = 0;
    const int connectButton = serial ? CONNECT_CONNECT : CONNECT_CONNECT2;
    auto main = [] { return MainPanel(); };
    const size_t wireBefore = clock.Wire().size();
    Steps again = {
        Until([] { return MainPanel() > 0; }),
        Do([serial] {
            port2 = serial ? SbComG.port : SbComG.netPort;
            chronosAtStart = FilesIn("Chronos");
            for (const std::string& f : chronosAtStart)
                if (f.rfind("Chrono_", 0) == 0) PickFiles({"Chronos/" + f});
        }),
        SetAndPress(main, MAIN_CONNECT_SWITCH, 1),
        Press(Loaded("FQ31.uir", CONNECT), connectButton),
        Until(
            [] { return SbComG.linkState != 0 && !FindLoadedPanel("FQ31.uir", CONNECT) && !SbWaitOuvert(); }),
        Do([] {
            state2 = SbComG.linkState;
            countdown2 = SbComG.progs[0].p103;
        }),
        SetAndPress(main, MAIN_Q12_SWITCH, 1),
        Until([] { return Usable(CompetitorPanel(), COMPET_KEY_ENTER); }),
        Do([] {
            waiting2 = TableRows(CompetitorPanel(), COMPET_WAITING);
            sent2 = TableRows(CompetitorPanel(), COMPET_SENT);
        }),
        Press(main, MAIN_TIMES_LOAD),
        Until([] { return SbChronoNombre() == 2; }),
        Do([] { keptTable = TableRows(MainPanel(), MAIN_TIMES_TABLE); }),
        Press(main, MAIN_QUIT),
        Answer("FSabGen.uir", fsabgen::POPUP, fsabgen::POPUP_VALIDER),
    };
    const size_t steps2 = again.size();
    ASSERT_EQ(RunProgram(std::move(again), 8000), steps2);
    EXPECT_EQ(port2, serial ? 5 : clock.TcpPort());
    EXPECT_EQ(state2, linkState);
    EXPECT_EQ(Slice(clock.Wire(), wireBefore, connect.size() + 1), connect);  // the same port, the same reads
    EXPECT_EQ(countdown2, 20);  // program 0 as written the day before, from the link record
    ASSERT_EQ(chronosAtStart.size(), 5u) << ::testing::PrintToString(chronosAtStart);
    EXPECT_EQ(chronosAtStart[0], "Chrono.q31tps");
    EXPECT_EQ(chronosAtStart[1], "Chrono.txt");
    EXPECT_EQ(chronosAtStart[2].substr(0, 7), "Chrono_");
    EXPECT_EQ(chronosAtStart[3], "Course1.q31tps");
    EXPECT_EQ(chronosAtStart[4], "Course1.txt");
    EXPECT_EQ(keptTable, seen.afterDownload);
    EXPECT_EQ(waiting2, seen.waiting);
    EXPECT_EQ(sent2, seen.sent);
    EXPECT_EQ(qstest::ReadFileBytes(dir.file("Courant.q12ct")), lists);
    // Quitting while connected closes the link before the record is saved.
    const std::string linkAfter = qstest::ReadFileBytes(dir.file("QS-310_V1-1.sbcnf"));
    ASSERT_EQ(linkAfter.size(), 6216u);
    EXPECT_EQ(At<uint8_t>(linkAfter, 0), 0);
    EXPECT_EQ(At<int32_t>(linkAfter, serial ? 8 : 296), serial ? 5 : clock.TcpPort());
    ExpectRaceProgram(linkAfter, 30, 20);
    // The day's wire journal: the connection over this transport and the first frames of each day.
    const Strings journal = FilesIn("Logs");
    ASSERT_EQ(journal.size(), 1u);
    const std::string wireJournal = qstest::ReadFileBytes(dir.file("Logs/" + journal[0]));
    const std::string opened = serial ? "* COM5 opened at 9600 bit/s\n" : "* connected to 127.0.0.1:";
    size_t days = 0;
    for (size_t at = wireJournal.find(opened); at != std::string::npos; at = wireJournal.find(opened, at + 1))
        ++days;
    EXPECT_EQ(days, 2u) << wireJournal.substr(0, 400);
    EXPECT_NE(wireJournal.find(" > #WC 012 01 0001\\t"), std::string::npos);  // the download asked on day one
    RemoveHooks();
}

INSTANTIATE_TEST_SUITE_P(BothTransports, RaceAgainstTheClock,
                         ::testing::Values(Transport::Serial, Transport::Network));
