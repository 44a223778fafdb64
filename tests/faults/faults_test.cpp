// Faults in the middle of a race, the whole program against the stand-in clock or simulating: the
// link failing, the program killed, the disk failing. The operator is told once, no time is lost
// from the table or from "Chronos", and the link goes on or can be connected again.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <tuple>

#include "app/Q31ConfigFile.h"
#include "chrono/SbChrono.h"
#include "chrono/SbChronoFormat.h"
#include "chrono/SbChronoTab.h"
#include "competitor/Q12Fichiers.h"
#include "competitor/Q12Listes.h"
#include "display/FsdParamFile.h"
#include "link/SbComConfig.h"
#include "link/SbComErreur.h"
#include "panels/FQ31.h"
#include "platform/LocalSettings.h"
#include "platform/Runtime.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "tests/runner/Race.h"
#include "tests/support/SmallDisk.h"
#include "tests/support/Standin.h"
#include "tests/support/TestSupport.h"
#include "ui/Dialogs.h"
#include "ui/FileNotices.h"
#include "ui/Texts.h"

namespace {

using namespace e2e;
using namespace fq31;
using Ints = std::vector<int>;
const std::string kTimesFile = "Chronos/Chrono.q31tps";
const auto kRowName = [](const auto& info) { return std::string(info.param.name); };

// A time message as the clock sends it, on channel 2 (one row in the store).
std::string TimeLine(int competitor, int number) {
    return QString::asprintf("TN %04d %04d  2 10:%02d:%02d.%05d 00000", competitor, number, number % 60,
                             competitor % 60, (number * 3917) % 100000)
        .toStdString();
}
// The stand-in told to send `count` such times, one a line, from these on.
std::string Send(int competitor, int number, int count = 1) {
    std::string s = "send " + TimeLine(competitor, number);
    for (int i = 1; i < count; ++i) s += "\nsend " + TimeLine(competitor + i, number + i);
    return s;
}
Ints Competitors(const std::vector<SbChronoRec>& records) {
    Ints out;
    for (const SbChronoRec& r : records) out.push_back(r.Concurrent);
    return out;
}
Step StoreHolds(int n) {
    return Until([n] { return SbChronoNombre() >= n; });
}
Step BoxesSeen(size_t n) {
    return Until([n] { return Watching().boxes.size() >= n && !Watching().boxOpen; });
}
// The link up and idle: start-up reads done, no error pending.
const Step kReady =
    Until([] { return SbComG.linkState && SbQ31CrG.connected == 1 && !SbWaitOuvert() && !SbComErreur(); });

// Connected to the simulated clock, then `count` impulses on input 2, each stored before the next.
Steps SimulatedImpulses(int count) {
    Steps s = {SetAndPress(MainPanel, MAIN_CONNECT_SWITCH, 1),
               Answer("FQ31.uir", CONNECT, CONNECT_SIMULATION),
               Until([] { return SbComG.simulation == 1 && !FindLoadedPanel("FQ31.uir", CONNECT); })};
    for (int i = 1; i <= count; ++i) Then(s, {Press(MainPanel, MAIN_INPUT_2), StoreHolds(i)});
    return s;
}
// The whole program from a clean memory, the watcher answering as `set` makes it.
size_t Race(Steps steps, const std::function<void(BoxWatch&)>& set = {}, long maxPasses = 6000) {
    BoxWatch watch;
    if (set) set(watch);
    ForgetEverything();
    SbComDeplanter();
    return RunProgram(WithBoxWatch(std::move(steps), std::move(watch)), maxPasses);
}

// The end of a race: once the file holds the store's image, no link error is pending, how many of its
// records the table shows in order (number and time) is noted, then quit.
Steps Finish(int* rowsShown) {
    return {Until([] { return !SbComAckPendingG && qstest::ReadFileBytes(kTimesFile) == Stored(); }),
            Do([rowsShown] {
                EXPECT_EQ(SbComErreur(), 0) << "an error left pending";
                const Strings rows = TableRows(MainPanel(), MAIN_TIMES_TABLE);
                for (int i = 1; i <= SbChronoNombre(); ++i) {
                    char number[16], time[64];
                    SbChronoTexteNumero(*SbChronoLire(i), number);
                    SbChronoTexteTemps(*SbChronoLire(i), SbComG.params.precision, time);
                    const std::string row = size_t(i) <= rows.size() ? rows[size_t(i - 1)] + "|" : "";
                    *rowsShown += row.find("|" + std::string(number) + "|") != row.npos &&
                                  row.find("|" + std::string(time) + "|") != row.npos;
                }
                Q31QuitG = 1;
            })};
}
// Every row shown, and the file left at shutdown whole and as expected.
void ExpectKept(int rowsShown, const std::string& file, const Ints& competitors) {
    EXPECT_EQ(rowsShown, int(competitors.size()));
    EXPECT_EQ(Competitors(TimesIn(file)), competitors) << "the file torn, or other times in it";
}

// The link failing: commands unacknowledged or refused, damaged frames, a slow answer, a flooded
// line, the line pulled, connections that fail.
class LinkRace : public ::testing::Test {
protected:
    void Start(const Strings& args = {}) {
        clock_ = std::make_unique<qstest::StandinClock>(dir_, args);
        ASSERT_TRUE(clock_->Running());
    }
    // Each box: its title (a GMesComG number) and text, the close-link button shown or not.
    void ExpectBoxes(const std::vector<std::pair<int, std::string>>& boxes, int second) {
        std::vector<std::tuple<std::string, std::string, int>> seen, told;
        for (const SeenBox& b : Watching().boxes) seen.emplace_back(b.title, b.text, b.secondVisible);
        for (const auto& [title, text] : boxes) told.emplace_back(GMesComG[title], text, second);
        EXPECT_EQ(seen, told) << "each fault told once";
    }
    std::string Named(int text, const std::string& address) {  // a network text with its address
        std::string s = GMesComG[text];
        return s.replace(s.find("%s"), 2, address + ":" + std::to_string(clock_->TcpPort()));
    }
    qstest::TempProgramDir dir_;
    std::unique_ptr<qstest::StandinClock> clock_;
    int shown_ = 0;
};

struct LinkFault {
    const char* name;
    // Each impulse: the fault the clock takes first (a time sent after it is stored), then the
    // operator's impulse meets it; the boxes told by the time its own time is stored.
    std::vector<std::pair<std::string, size_t>> impulses;
    Ints boxTexts;             // GMesComG texts of the boxes
    Ints kept;                 // the clock's own time for an impulse carries no competitor
    std::string between = "";  // what the clock sends after the first three times
    int holdBoxUntil = 0;      // the operator is away (the box stays open) until the store holds this many
};
const std::string kDamaged = "\n" + Send(201, 11) + "\nbadcheck 1\n" + Send(901, 12) + "\ngarbage\n" +
                             Send(202, 13) + "\nbadcheck 1\n" + Send(902, 14) + "\nlongline\n" +
                             Send(203, 15) + "\ngarbage\n" + Send(204, 16) + "\nbadcheck 1\n" +
                             Send(903, 17) + "\n" + Send(205, 18);
const std::string kFlood = "\nflood 4000 2000\n" + Send(501, 21, 10);
// 'AK F' and 'AK R' end the wait at once with their own box; an answer 1.5 s late is no fault.
const LinkFault kLinkFaults[] = {
    {"Unacknowledged", {{"noack on", 1}, {"noack off", 1}}, {5}, {101, 102, 103, 104, 0, 106, 0}},
    {"Refused", {{"ack F", 1}, {"ack R", 2}, {"ack OK", 2}}, {6, 7}, {101, 102, 103, 104, 0, 106, 0, 108, 0}},
    {"DamagedFrames", {{"ack OK", 1}}, {13}, {101, 102, 103, 201, 202, 203, 204, 205, 109, 0}, kDamaged, 8},
    {"SlowAnswer", {{"delay 1500", 0}}, {}, {101, 102, 103, 104, 0}},
    {"Flood", {}, {}, {101, 102, 103, 501, 502, 503, 504, 505, 506, 507, 508, 509, 510}, kFlood},
};

class LinkFaults : public LinkRace, public ::testing::WithParamInterface<LinkFault> {};

TEST_P(LinkFaults, ToldOnceTimesKeptAndTheLinkGoesOn) {
    const LinkFault& f = GetParam();
    Start();
    int stored = int(f.kept.size() - 2 * f.impulses.size());  // the first three and the good ones between
    Steps steps = ConnectToCom5();
    // The next time may come as the damaged frames' box closes: closing it keeps whole lines.
    Then(steps, {kReady, Tell(Send(101, 1, 3) + f.between), StoreHolds(stored)});
    for (const auto& [fault, boxes] : f.impulses)
        Then(steps, {Tell(fault + "\n" + Send(101 + stored, 4)), StoreHolds(++stored),
                     Press(MainPanel, MAIN_INPUT_2), BoxesSeen(boxes), StoreHolds(++stored)});
    Then(steps, Finish(&shown_));
    const auto away = [n = f.holdBoxUntil](BoxWatch& w) { w.holdBox = [n] { return SbChronoNombre() < n; }; };
    ASSERT_EQ(Race(steps, away), steps.size());
    std::vector<std::pair<int, std::string>> boxes;
    for (int text : f.boxTexts) boxes.push_back({text == 13 ? 9 : 4, GMesComG[text]});
    ExpectBoxes(boxes, 1);
    ExpectKept(shown_, dir_.file(kTimesFile), f.kept);
}

INSTANTIATE_TEST_SUITE_P(Race, LinkFaults, ::testing::ValuesIn(kLinkFaults), kRowName);

// The line pulled in the middle of a race: told once; the operator reads the box (the link
// stays as it was, then is switched off with a confirmation) or closes the link from it; every
// time received before is kept, and the clock plugged back is reached again.
struct LineLost {
    const char* name;
    bool network;
    int answer;     // the error box's button
    Ints afterBox;  // the link's state, the connect switch, the link lamp dimmed (or hidden)
};
class LineLosts : public LinkRace, public ::testing::WithParamInterface<LineLost> {};

TEST_P(LineLosts, ToldOnceTimesKeptAndConnectedAgain) {
    const LineLost& l = GetParam();
    Start(l.network ? Strings{"--tcp", "0"} : Strings{});
    auto connect = [&] { return l.network ? ConnectOverNetwork(clock_->TcpPort()) : ConnectToCom5(); };
    Steps steps = connect();
    // A pseudo-terminal hung up drops what it still holds: over serial the last time is stored first.
    Then(steps, {kReady, Tell(Send(101, 1, 2)), StoreHolds(2)});
    Then(steps, l.network ? Steps{Tell(Send(103, 3) + "\nhangup")}
                          : Steps{Tell(Send(103, 3)), StoreHolds(3), Tell("hangup")});
    Then(steps, {BoxesSeen(1), Until([&] { return l.answer == 1 || SbComG.linkState == 0; }), Do([&] {
                     const int main = MainPanel();
                     const Ints now = {SbComG.linkState, Attr(main, MAIN_CONNECT_SWITCH),
                                       !Usable(main, MAIN_LINK_LAMP)};
                     EXPECT_EQ(now, l.afterBox);
                 })});
    if (l.answer == 1)
        Then(steps, {SetAndPress(MainPanel, MAIN_CONNECT_SWITCH, 0),
                     Until([] { return SbComG.linkState == 0 && Watching().popups == 1; })});
    if (!l.network) steps.push_back(Do([&] { Start(); }));  // a network clock kept listening
    Then(steps, connect());
    Then(steps, {kReady, Tell(Send(104, 4, 2)), StoreHolds(5)});
    Then(steps, Finish(&shown_));
    ASSERT_EQ(Race(steps, [&](BoxWatch& w) { w.answer = l.answer; }), steps.size());
    const std::string lost = l.network ? Named(kMesComNetLost, "127.0.0.1") : GMesComG[12];
    ExpectBoxes({{l.network ? kMesComNetTitle : 9, lost}}, 1);
    EXPECT_EQ(Watching().popups, l.answer == 2 ? 0 : 1);  // closing from the box asks nothing more
    ExpectKept(shown_, dir_.file(kTimesFile), {101, 102, 103, 104, 105});  // the last two: plugged back
}

const LineLost kLineLosts[] = {{"Serial", false, 1, {1, 1, 0}},
                               {"SerialClosedFromBox", false, 2, {0, 0, 1}},
                               {"Network", true, 1, {2, 1, 0}}};
INSTANTIATE_TEST_SUITE_P(Race, LineLosts, ::testing::ValuesIn(kLineLosts), kRowName);

// A connection over the network that fails: told once with its own text naming the address
// and port, the link left closed.
struct NetFault {
    const char* name;
    Strings standin;
    const char* address;  // "" for the stand-in's port once it has ended: nothing listens there
    int text;
};
class NetFaults : public LinkRace, public ::testing::WithParamInterface<NetFault> {};

TEST_P(NetFaults, ToldOnceWithTheAddressAndTheLinkLeftClosed) {
    const NetFault& f = GetParam();
    Start(f.standin);
    const std::string address = *f.address ? f.address : "127.0.0.1";
    if (!*f.address) clock_->Stop(SIGTERM);
    Steps steps = ConnectOverNetwork(clock_->TcpPort(), address);
    steps.pop_back();  // Connect pressed: the link is not waited for
    Then(steps, {BoxesSeen(1), Do([] { EXPECT_EQ(SbComG.linkState, 0) << "open"; }), Finish(&shown_)[1]});
    ASSERT_EQ(Race(steps), steps.size());
    ExpectBoxes({{kMesComNetTitle, Named(f.text, address)}}, 0);
}

const NetFault kNetFaults[] = {
    {"Refused", {"--tcp", "0"}, "", kMesComNetRefused},
    {"NoAnswer", {"--tcp", "0", "--tcp-unanswered"}, "127.0.0.1", kMesComNetNoAnswer},
    {"UnknownName", {"--tcp", "0"}, "clock.invalid", kMesComNetUnknownHost},
};
INSTANTIATE_TEST_SUITE_P(OverTcp, NetFaults, ::testing::ValuesIn(kNetFaults), kRowName);

// The program killed (SIGKILL) while times come: every time received a second before is in
// "Chronos", whole, and in the wire journal, whatever holds the main loop (and its background task).
enum Hold { Nothing, ErrorBox, AcknowledgementWait, Connecting, Simulation };
const char* const kHoldNames[] = {"Nothing", "ErrorBox", "AcknowledgementWait", "Connecting", "Simulation"};
const char* const kHeldOnWire[] = {"", "", "WC 008 02", "RP 003", ""};  // seen by the clock once held

// The child: connected, then held until it is killed: garbage's error box left open, an impulse
// the clock never acknowledges, or the connection's wait box up (only the identity answered).
[[noreturn]] void RunChild(Hold hold) {
    Steps steps = ConnectToCom5();
    if (hold == Connecting) steps.resize(5);               // Connect pressed
    if (hold == Simulation) steps = SimulatedImpulses(5);  // the fifth stored: the second starts now
    if (hold == ErrorBox) Then(steps, {Tell("garbage"), Until([] { return Watching().boxOpen; })});
    if (hold == AcknowledgementWait)
        Then(steps, {Tell("noack on\n" + Send(300, 9)), StoreHolds(1), Press(MainPanel, MAIN_INPUT_2)});
    Then(steps, {Do([] { std::ofstream("held"); }), Until([] { return false; })});
    const auto away = [](BoxWatch& w) { w.holdBox = [] { return true; }; };  // the box left open
    Race(steps, away, 100000);
    _exit(0);
}

bool Within(double seconds, const std::function<bool()>& done) {
    for (const double start = Timer(); Timer() - start < seconds; usleep(20000))
        if (done()) return true;
    return done();
}

class Kill : public LinkRace, public ::testing::WithParamInterface<int> {};

TEST_P(Kill, TimesReceivedASecondBeforeAreInChronosAndTheJournal) {
    if (qstest::RanInOwnProcess()) return;
    const Hold hold = Hold(GetParam());
    Start(hold == Connecting ? Strings{"--noack-after", "1"} : Strings{});
    const pid_t child = fork();
    if (child == 0) RunChild(hold);
    EXPECT_TRUE(Within(30, [&] {
        const bool told = hold == Connecting || std::filesystem::exists("held");  // its wait runs no steps
        return told && (!*kHeldOnWire[hold] || std::ranges::count(clock_->Wire(), kHeldOnWire[hold]));
    })) << "the program was not held as wanted";
    if (hold == Simulation) {  // the five impulses' times in the file a second after the last
        EXPECT_TRUE(Within(1.5, [] { return TimesIn(kTimesFile).size() == 5; }));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        return;
    }
    // The clock falls silent after them: nothing but the layer's timer brings them to the file.
    Tell("messages off\n" + Send(301, 1, 8))();
    EXPECT_TRUE(Within(1.0, [] {
        return std::ranges::count_if(Competitors(TimesIn(kTimesFile)), [](int c) { return c > 300; }) == 8;
    })) << "not in the file a second after they came";
    Tell(Send(401, 11, 10))();
    usleep(100000);  // while they come
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status));
    Ints kept = Competitors(TimesIn(kTimesFile));
    std::erase_if(kept, [](int c) { return c == 300 || c == 0; });  // before the impulse, and its own
    // The eight early times first (a torn file holds none), then only later ones in order, none skipped.
    EXPECT_GE(kept.size(), 8u);
    for (size_t i = 0; i < kept.size(); ++i) EXPECT_EQ(kept[i], i < 8 ? 301 + int(i) : 401 + int(i - 8));
    std::string journal;
    for (const std::string& name : FilesIn("Logs")) journal += qstest::ReadFileBytes("Logs/" + name);
    for (int i = 1; i <= 8; ++i) EXPECT_NE(journal.find("< " + TimeLine(300 + i, i) + "\\t"), journal.npos);
}

INSTANTIATE_TEST_SUITE_P(Race, Kill, ::testing::Range(0, int(std::size(kHoldNames))),
                         [](const auto& info) { return std::string(kHoldNames[info.param]); });

class DiskFault : public ::testing::TestWithParam<bool> {};  // full, or read-only

// The times stay in memory, the operator is told once with the path and the reason, quitting asks
// first while they cannot be saved, and once the disk allows again they are saved and that is told.
TEST_P(DiskFault, TimesStayInMemoryTheOperatorIsToldAndTheyAreSavedWhenTheDiskAllows) {
    const bool full = GetParam();
    qstest::TempProgramDir dir;
    qstest::SmallDisk disk(dir.file("Chronos"), 400);
    ASSERT_TRUE(disk.Mounted() || !full) << "needs a small disk of its own: " << disk.WhyNot();
    const int why = full ? FILE_WRITE_DISK_FULL : disk.Mounted() ? FILE_WRITE_READ_ONLY : FILE_WRITE_DENIED;
    double lastTry = 0;  // when the store last tried to write
    ASSERT_TRUE(full || disk.ReadOnly(true)) << "the folder could not be made read-only";
    if (full) disk.Fill();
    // Once told, the store tries again twice (each failed try restarts its wait), and says nothing more.
    const Step retried = Until([&] {
        if (SbChronoTabG.firstChange <= lastTry) return false;
        lastTry = SbChronoTabG.firstChange;
        return true;
    });
    Steps steps = SimulatedImpulses(5);
    Then(steps, {BoxesSeen(1), Do([&] { lastTry = SbChronoTabG.firstChange; }), retried, retried,
                 Do([] { Q31QuitG = 1; }),  // asked, and answered no: the program goes on
                 Until([] { return !Q31QuitG && Watching().popups >= 1; }),
                 Do([&] { full ? disk.Free() : (void)disk.ReadOnly(false); }),
                 Until([] { return Watching().popups >= 2; })});
    int rowsShown = 0;
    Then(steps, Finish(&rowsShown));
    ASSERT_EQ(Race(steps, [](BoxWatch& w) { w.cancels = 1; }), steps.size());  // "quit anyway?": not yet

    char where[600];
    SbFileNoticeDetail("Chronos\\Chrono.q31tps", why, where, sizeof where);
    ASSERT_EQ(Watching().boxes.size(), 1u) << "told once, however often the store tries again";
    const SeenBox& box = Watching().boxes[0];
    EXPECT_EQ(std::tie(box.title, box.text, box.detail),
              std::tuple(Q31TxtMesG[kMesFileNotSavedTitle], Q31TxtMesG[kMesTimesNotSaved], where));
    ASSERT_EQ(Watching().popupTexts.size(), 2u) << "no question at the second quit";
    EXPECT_NE(Watching().popupTexts[0].find(Q31TxtMesG[kMesQuitWithTimesUnsaved]), std::string::npos);
    EXPECT_NE(Watching().popupTexts[0].find(where), std::string::npos);
    EXPECT_NE(Watching().popupTexts[1].find(Q31TxtMesG[kMesTimesSavedAgain]), std::string::npos);
    ExpectKept(rowsShown, dir.file(kTimesFile), Ints(5, 0));  // the simulated impulses carry no competitor
}

INSTANTIATE_TEST_SUITE_P(Disk, DiskFault, ::testing::Values(true, false),
                         [](const auto& info) { return std::string(info.param ? "DiskFull" : "ReadOnly"); });

// Every other file the program writes, in a folder that cannot be written: noted once with its path
// and reason.
TEST(DiskFault, EveryFileThatCannotBeWrittenIsNotedWithItsPathAndReason) {
    qstest::TempProgramDir dir(false);
    qstest::SmallDisk disk(dir.path(), 400);
    std::filesystem::current_path(dir.path());  // into the disk mounted over the folder
    ASSERT_TRUE(disk.ReadOnly(true)) << "the folder could not be made read-only";
    const int reason = disk.Mounted() ? FILE_WRITE_READ_ONLY : FILE_WRITE_DENIED;
    static int last = 0;  // the setting written always changes
    Q12AllouerListes();
    const std::pair<const char*, void (*)()> writes[] = {
        {"Export.txt", [] { SbChronoSauverAscii("Export.txt", "", "Time"); }},
        {"Times.q31tps", [] { SbChronoSauver("Times.q31tps"); }},
        {"Clock.q31set", [] { SbComSauverParam("Clock.q31set", &SbComG.params); }},
        {"Clock.q31gsm", [] { SbComSauverGsm("Clock.q31gsm", &SbComG.gsm); }},
        {"Display.q31fsd", [] { Q31FsdParamSauver("Display.q31fsd", &Q31G.secondDisplay); }},
        {kSbComConfigFile, [] { SbComSauver(kSbComConfigFile, &SbComG); }},
        {kQ31ConfigFile, [] { Q31Sauver(kQ31ConfigFile, &Q31G); }},
        {kQ12FichierCnf, [] { Q12CnfSauver(); }},
        {"Courant.q12ct", [] { Q12CourantSauver("Courant.q12ct"); }},
        {kLocalSettingsFile, [] { qs::rt::KeepLocalSetting("Window/last_folder", QString::number(++last)); }},
    };
    SetLocalSettingsFailureHook(SbNoteLocalSettingsNotWritten);
    for (const auto& [path, write] : writes) {
        SCOPED_TRACE(path);
        SbForgetFileNotices();
        write();
        write();  // a second failure before the operator has seen the first
        ASSERT_EQ(SbFileNotes().size(), 1u);
        const SbFileNote& n = SbFileNotes()[0];
        EXPECT_EQ(std::tie(n.kind, n.path, n.reason), std::tuple(SbFileNotice::FileNotWritten, path, reason));
    }
    SbForgetFileNotices();
    SetLocalSettingsFailureHook(nullptr);
    Q12LibererListes();
}

}  // namespace
