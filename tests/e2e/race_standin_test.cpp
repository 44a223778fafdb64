// Whole races against the stand-in clock, driven through the panels as an operator would.
// Over a pseudo-terminal and over TCP with the same script and checks: connection,
// settings pages read from the clock, synchronisation, start program, a run, competitors
// sent, the clock's countdown with input times, a mark, save and export, the run asked
// for again, closed and downloaded, disconnection; then a restart that reconnects the
// same way with the link record kept. And a busy line: the speed changed mid-race, then
// five hundred times in a burst, some while a question is open.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/Q31Ihm.h"
#include "chrono/SbChrono.h"
#include "link/SbComErreur.h"
#include "panels/FQ12.h"
#include "panels/FQ31.h"
#include "panels/FSabGen.h"
#include "platform/cvi.h"
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
    Strings wireAfterConnect, afterTimes, afterRefresh, afterDownload;
    std::set<int> digitsShown;  // the main window follows the countdown
    int linkErrors = -1;
} seen;

auto idle = [] { return Usable(MainPanel(), MAIN_PAGE_0) && !SbWaitOuvert(); };
Step Confirm() {
    return Answer("FSabGen.uir", fsabgen::POPUP, fsabgen::POPUP_VALIDER);
}
Step NoQuestion(std::function<bool()> also) {
    return [also] { return also() && !FindLoadedPanel("FSabGen.uir", fsabgen::POPUP) && !SbWaitOuvert(); };
}
// Closes the run (confirmed), then downloads run 1 into the table.
Steps CloseAndDownload(int times) {
    return {SetAndPress(Page(0), PAGE0_RUN_SWITCH, 0),
            Confirm(),
            NoQuestion([] { return SbComG.run.current == 0; }),
            Press(Page(0), PAGE0_QUIT),
            Press(MainPanel, MAIN_PAGE_5),
            Fill(Page(5), {{PAGE5_RUN_NUM, 1}, {PAGE5_TARGET, 1}}),
            Press(Page(5), PAGE5_LOAD),
            Until([times] { return Q31FSetPageOuverte() == -1 && SbChronoNombre() == times; }),
            Passes(5)};
}
Strings Slice(const Strings& wire, size_t from, size_t count) {
    return from >= wire.size()
               ? Strings{}
               : Strings(wire.begin() + long(from), wire.begin() + long(std::min(wire.size(), from + count)));
}

enum class Transport { Serial, Network };
void PrintTo(Transport t, std::ostream* os) {
    *os << (t == Transport::Serial ? "Serial" : "Network");
}

Steps RaceDay(qstest::StandinClock& clock, Transport transport) {
    Steps steps = transport == Transport::Serial ? ConnectToCom5() : ConnectOverNetwork(clock.TcpPort());
    Then(steps,
         {
             Do([&clock] { seen.wireAfterConnect = clock.Wire(); }),
             // The clock streams its running program: have it stop, so the pages are offered.
             Tell("messages off"),
             Tell("send &E 00"),
             Until(idle),
             Press(MainPanel, MAIN_PAGE_2),  // timing mode SPLIT
             SetAndPress(Page(2), PAGE2_MODE, 1),
             Press(Page(2), PAGE2_OK),
             Press(Page(2), PAGE2_QUIT),
             Press(MainPanel, MAIN_PAGE_1),  // synchronisation at a preset time and date
             SetAndPress(Page(1), PAGE1_SYNC_PRESET, 1),
             Fill(Page(1), {{PAGE1_HOUR, 9},
                            {PAGE1_MINUTE, 30},
                            {PAGE1_DAY, 6},
                            {PAGE1_MONTH, 12},
                            {PAGE1_YEAR, 26},
                            {PAGE1_TIMEZONE, 19}}),
             Press(Page(1), PAGE1_OK),
             Press(Page(1), PAGE1_QUIT),
             Press(MainPanel, MAIN_PAGE_3),  // program 0: a start every 30 s, a 20 s countdown
             Fill(Page(3), RaceProgram(30, 20)),
             Press(Page(3), PAGE3_OK),
             Press(Page(3), PAGE3_QUIT),
             Press(MainPanel, MAIN_PAGE_4),  // the general parameters, read only
             Press(Page(4), PAGE4_QUIT),
             Press(MainPanel, MAIN_PAGE_0),  // a new run
             SetAndPress(Page(0), PAGE0_RUN_SWITCH, 1),
             Until([] { return SbComG.run.current == 1 && !SbWaitOuvert(); }),
             Press(Page(0), PAGE0_QUIT),
             // Competitors from the spreadsheet; the first number goes to the clock.
             SetAndPress(MainPanel, MAIN_Q12_SWITCH, 1),
             Press(CompetitorPanel, COMPET_IMPORT),
             Fill(Loaded("FQ12.uir", IMPORT), {{IMPORT_COL_TEXT3, 'D'}}),
             Answer("FQ12.uir", IMPORT, IMPORT_CONFIRM),
             Until([] { return TableRowCount(CompetitorPanel(), COMPET_WAITING) == 3; }),
             TypeNumber("101"),
             Press(CompetitorPanel, COMPET_CONFIRM),
             Until([] { return TableRowCount(CompetitorPanel(), COMPET_SENT) == 1 && !SbWaitOuvert(); }),
             // Started from the main window, the clock counts down until a start comes.
             Press(MainPanel, MAIN_START),
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
             Do([] { seen.afterTimes = TableRows(MainPanel(), MAIN_TIMES_TABLE); }),
             // The time on input 2 is marked invalid; the times saved with their text.
             ClickCell(MainPanel, MAIN_TIMES_TABLE, 4),
             Press(MainPanel, MAIN_TIMES_INVALID),
             Until([] { return SbChronoLire(4)->Marque == 'X'; }),
             Press(MainPanel, MAIN_TIMES_SAVE),
             Until([] { return qstest::FileSize("Chronos/Course1.q31tps") > 0; }),
             // The run asked for again: the table holds what the clock sends back.
             Press(MainPanel, MAIN_TIMES_REFRESH),
             Confirm(),
             NoQuestion([] { return SbChronoNombre() == 2; }),
             Passes(5),
             Do([] { seen.afterRefresh = TableRows(MainPanel(), MAIN_TIMES_TABLE); }),
             Press(MainPanel, MAIN_PAGE_0),
         });
    Then(steps, CloseAndDownload(2));
    Then(steps, {
                    Do([] {
                        seen.afterDownload = TableRows(MainPanel(), MAIN_TIMES_TABLE);
                        seen.linkErrors = SbComErreur();
                    }),
                    SetAndPress(MainPanel, MAIN_CONNECT_SWITCH, 0),
                    Confirm(),
                    NoQuestion([] { return SbComG.linkState == 0; }),
                    Press(MainPanel, MAIN_QUIT),
                    Confirm(),
                });
    return steps;
}

}  // namespace

class RaceAgainstTheClock : public ::testing::TestWithParam<Transport> {};

TEST_P(RaceAgainstTheClock, FromConnectionToRestartWithEverythingKept) {
    const bool serial = GetParam() == Transport::Serial;
    qstest::TempProgramDir dir;
    qstest::StandinClock::Strings args = {"--time-scale", "8"};
    if (!serial) args.insert(args.end(), {"--tcp", "0"});
    qstest::StandinClock clock(dir, args);
    ASSERT_TRUE(clock.Running());
    InstallHooks();
    WriteEntries("Entries.csv");
    PickFiles({"Entries.csv", "Chronos/Course1.txt"});
    Steps day = RaceDay(clock, GetParam());
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
    EXPECT_EQ(Slice(clock.Wire(), connect.size(), settings.size() + 1), settings);  // nothing after

    // The times as they came: the channel-1 start with the reference and the difference
    // from it, the input-2 time alone; saved with the mark, and exported under the clock's
    // run information (the table itself is checked to the byte by the simulated race).
    ASSERT_EQ(seen.afterTimes.size(), 6u);
    EXPECT_EQ(seen.afterTimes[1].substr(0, 3) + seen.afterTimes[2].substr(0, 3), "IT|DT|");
    EXPECT_EQ(seen.afterTimes[4], "|||");
    const std::string times = qstest::ReadFileBytes(dir.file("Chronos/Course1.q31tps"));
    ASSERT_EQ(times.size(), 4u + 4 * sizeof(SbChronoRec));
    const SbChronoRec start = At<SbChronoRec>(times, 4), ref = At<SbChronoRec>(times, 36),
                      diff = At<SbChronoRec>(times, 68), finish = At<SbChronoRec>(times, 100);
    EXPECT_EQ(std::string({start.Type, start.Marque, start.Canal, ref.Type, diff.Type, finish.Type,
                           finish.Marque, finish.Canal}),
              "T=1IDTX2");
    auto units = [](const SbChronoRec& r) {
        return ((r.Heures * 60LL + r.Minutes) * 60 + r.Secondes) * 100000 + r.Fraction;
    };
    const long long gap = units(start) - units(ref);
    EXPECT_EQ(diff.Canal, gap > 0 ? '+' : gap < 0 ? '-' : ' ');
    EXPECT_NEAR(double(units(diff)), double(gap < 0 ? -gap : gap), 1);
    EXPECT_GT(finish.Numero, start.Numero);  // the clock numbers its times
    const std::string header = Right16("Serial number") + " 01234 \n" + Right16("Mode") + " SPLIT \n" +
                               Right16("Run") + " 1 \n" + Right16("Precision") + " 1/100 \n" +
                               Right16("Date") + " 07/10/11 \n" + Right16("Start time") + " 09:05:00 \n\n";
    EXPECT_EQ(qstest::ReadFileBytes(dir.file("Chronos/Course1.txt")).substr(0, header.size()), header);
    // The run as the clock keeps it (the mark was this program's): with no program running
    // now, the start comes alone.
    EXPECT_EQ(seen.afterDownload, (Strings{seen.afterTimes[0], seen.afterTimes[3], "|||", "|||"}));
    EXPECT_EQ(seen.afterRefresh, seen.afterDownload);

    ExpectCompetitorLists(qstest::ReadFileBytes(dir.file("Courant.q12ct")), {{101, 1}, {102, 1}, {103, 0}},
                          {101, 102});
    const std::string link = qstest::ReadFileBytes(dir.file("QS-310_V1-1.sbcnf"));
    ASSERT_EQ(link.size(), 6216u);
    EXPECT_EQ(At<uint8_t>(link, 0), 0);                                            // closed
    EXPECT_EQ(At<int32_t>(link, serial ? 8 : 296), serial ? 5 : clock.TcpPort());  // COM5 or the TCP port
    if (!serial) EXPECT_EQ(CString(link, 312, 16), "127.0.0.1");
    EXPECT_EQ(At<int32_t>(link, 328), 1234);  // the clock's serial number
    EXPECT_EQ(CString(link, 332, 8) + CString(link, 340, 8), "QS310V110");
    EXPECT_EQ(At<int32_t>(link, 384), 1);                                                  // SPLIT
    for (auto [offset, value] : {std::pair{8, 9}, {12, 30}, {16, 6}, {20, 12}, {24, 26}})  // 09:30 06/12/26
        EXPECT_EQ(At<int32_t>(link, size_t(412 + offset)), value);
    ExpectRaceProgram(link, 30, 20);
    EXPECT_EQ(At<int32_t>(link, 620), 1);  // download target: this program

    // Day two: the program starts again in the same folder and connects the same way.
    ForgetEverything();
    static int port2 = -1;
    const size_t wireBefore = clock.Wire().size();
    Steps again = {
        Do([serial] { port2 = serial ? SbComG.port : SbComG.netPort; }),
        SetAndPress(MainPanel, MAIN_CONNECT_SWITCH, 1),
        Press(Loaded("FQ31.uir", CONNECT), serial ? CONNECT_CONNECT : CONNECT_CONNECT2),
        Until(
            [] { return SbComG.linkState != 0 && !FindLoadedPanel("FQ31.uir", CONNECT) && !SbWaitOuvert(); }),
        Press(MainPanel, MAIN_QUIT),  // quitting while connected closes the link before the record is saved
        Confirm(),
    };
    const size_t steps2 = again.size();
    ASSERT_EQ(RunProgram(std::move(again), 8000), steps2);
    EXPECT_EQ(port2, serial ? 5 : clock.TcpPort());
    EXPECT_EQ(Slice(clock.Wire(), wireBefore, connect.size() + 1), connect);
    const std::string linkAfter = qstest::ReadFileBytes(dir.file("QS-310_V1-1.sbcnf"));
    ASSERT_EQ(linkAfter.size(), 6216u);
    EXPECT_EQ(At<uint8_t>(linkAfter, 0), 0);
    EXPECT_EQ(At<int32_t>(linkAfter, serial ? 8 : 296), serial ? 5 : clock.TcpPort());
    ExpectRaceProgram(linkAfter, 30, 20);
    // The day's wire journal: this transport opened on both days, the download asked on day one.
    const Strings journal = FilesIn("Logs");
    ASSERT_EQ(journal.size(), 1u);
    const std::string wireJournal = qstest::ReadFileBytes(dir.file("Logs/" + journal[0]));
    const std::string opened = serial ? "* COM5 opened at 9600 bit/s\n" : "* connected to 127.0.0.1:";
    EXPECT_NE(wireJournal.find(opened), wireJournal.rfind(opened)) << wireJournal.substr(0, 400);
    EXPECT_NE(wireJournal.find(" > #WC 012 01 0001\\t"), std::string::npos);
    RemoveHooks();
}

INSTANTIATE_TEST_SUITE_P(BothTransports, RaceAgainstTheClock,
                         ::testing::Values(Transport::Serial, Transport::Network));

// The clock's speed changed mid-race from the general parameters page: the port is
// reopened at the new speed and the times keep coming. Then five hundred times in a burst,
// the first while the operator is asked to close the run: none is lost on the way to the
// table and "Chronos", and downloading the closed run brings back the same times.
TEST(BusyLine, ASpeedChangeAndABurstLoseNoTime) {
    constexpr int kTimes = 500;
    qstest::TempProgramDir dir;
    qstest::StandinClock clock(dir);
    ASSERT_TRUE(clock.Running());
    InstallHooks();
    static size_t wireBeforeSpeed = 0, wireAfterSpeed = 0;
    static std::string storeAfterBurst, storeAfterDownload;
    static int errorBoxes = 0, linkErrors = -1;
    auto burst = [](int count, int channel) {
        std::string lines = "impulse " + std::to_string(channel);
        for (int i = 1; i < count; ++i) lines += "\nimpulse " + std::to_string(channel);
        return Tell(lines);
    };
    Steps steps = ConnectToCom5();
    Then(steps, {
                    Tell("messages off"),
                    Tell("send &E 00"),
                    Until(idle),
                    Press(MainPanel, MAIN_PAGE_4),
                    Fill(Page(4), {{PAGE4_SPEED, 3}}),  // 38,400 bit/s
                    Do([&clock] { wireBeforeSpeed = clock.Wire().size(); }),
                    Press(Page(4), PAGE4_OK),
                    Until([] {
                        errorBoxes += FindLoadedPanel("FSabGen.uir", fsabgen::ERREUR) > 0;
                        return SbComG.speed == 38400 && !SbWaitOuvert();
                    }),
                    Press(Page(4), PAGE4_QUIT),
                    Press(MainPanel, MAIN_PAGE_2),  // another exchange at the new speed
                    Press(Page(2), PAGE2_QUIT),
                    Until(idle),
                    Do([&clock] { wireAfterSpeed = clock.Wire().size(); }),
                    Press(MainPanel, MAIN_PAGE_0),
                    SetAndPress(Page(0), PAGE0_RUN_SWITCH, 1),
                    Until([] { return SbComG.run.current == 1 && !SbWaitOuvert(); }),
                    SetAndPress(Page(0), PAGE0_RUN_SWITCH, 0),
                    Until([] { return FindLoadedPanel("FSabGen.uir", fsabgen::POPUP) > 0; }),
                    burst(20, 2),
                    Until([] { return SbChronoNombre() == 20; }),
                    Answer("FSabGen.uir", fsabgen::POPUP, fsabgen::POPUP_ANNULER),  // the run stays open
                    NoQuestion([] { return true; }),
                    burst(kTimes - 20, 1),
                    Until([] {
                        return SbChronoNombre() == kTimes && qstest::FileSize("Chronos/Chrono.q31tps") ==
                                                                 long(4 + kTimes * sizeof(SbChronoRec));
                    }),
                    Do([] { storeAfterBurst = qstest::ReadFileBytes("Chronos/Chrono.q31tps"); }),
                });
    Then(steps, CloseAndDownload(kTimes));
    Then(steps, {Do([] {
                     storeAfterDownload = StoreImage();
                     linkErrors = SbComErreur();
                 }),
                 Press(MainPanel, MAIN_QUIT), Confirm()});
    const size_t count = steps.size();
    ASSERT_EQ(RunProgram(std::move(steps)), count);

    EXPECT_EQ(errorBoxes, 0);
    EXPECT_EQ(linkErrors, 0);
    const Strings wire = clock.Wire();
    const Strings speed = Slice(wire, wireBeforeSpeed, wireAfterSpeed - wireBeforeSpeed);
    ASSERT_GE(speed.size(), 3u);
    EXPECT_EQ(speed[0], "WP 001 2");
    // The speed written last, then the port reopened and the next page read at the new speed.
    EXPECT_EQ(Strings(speed.end() - 3, speed.end()), (Strings{"WP 016 3", "SN", "RP 002"}));
    EXPECT_EQ(wire.back(), "WC 012 01 0001");
    const std::string link = qstest::ReadFileBytes(dir.file("QS-310_V1-1.sbcnf"));
    EXPECT_EQ(At<int32_t>(link, 12), 38400);
    EXPECT_EQ(At<int32_t>(link, 460 + 16), 3);  // the clock's speed code
    // Every time once, in the clock's order (it numbers them), on its channel.
    ASSERT_EQ(storeAfterBurst.size(), 4 + kTimes * sizeof(SbChronoRec));
    const int first = At<SbChronoRec>(storeAfterBurst, 4).Numero;
    for (int i = 1; i <= kTimes; ++i) {
        const SbChronoRec r = At<SbChronoRec>(storeAfterBurst, 4 + sizeof(SbChronoRec) * size_t(i - 1));
        ASSERT_EQ(std::string({r.Type, r.Canal}), i <= 20 ? "T2" : "T1") << "time " << i;
        ASSERT_EQ(r.Numero, first + i - 1);
    }
    EXPECT_EQ(storeAfterDownload, storeAfterBurst);
    EXPECT_EQ(qstest::ReadFileBytes(dir.file("Chronos/Chrono.q31tps")), storeAfterBurst);
    RemoveHooks();
}
