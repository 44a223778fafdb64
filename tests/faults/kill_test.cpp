// The program killed while connected to the clock and receiving times: a child runs
// the whole program against the stand-in clock and is killed with SIGKILL while times
// keep coming. Every time received a second before is in "Chronos" and in the wire
// journal, also while the error box, a command's wait or the connection's wait box
// holds the main loop; the restarted program offers them back with the load button.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "tests/faults/FaultRace.h"
#include "tests/support/Standin.h"
#include "tests/support/TestSupport.h"

using namespace faults;
namespace fs = std::filesystem;

namespace {

// What holds the main loop (and its background task) while the times come.
enum class Hold { Nothing, ErrorBox, AcknowledgementWait, Connecting };
const char* const kHoldNames[] = {"Nothing", "ErrorBox", "AcknowledgementWait", "Connecting"};
void PrintTo(Hold h, std::ostream* os) {
    *os << kHoldNames[int(h)];
}

const Ints kEarly = {301, 302, 303, 304, 305, 306, 307, 308};

// The child: connected, then held as the test wants until it is killed. With the error
// box, garbage raises the check error and its box stays open (the operator is away);
// with the wait, the clock acknowledges no impulse asked from the main window; while
// connecting, the clock answers the identity request and then acknowledges nothing.
[[noreturn]] void RunChild(Hold hold, int reportFd) {
    Watch watch;
    watch.holdBox = [] { return true; };
    Steps steps = ConnectToCom5();
    if (hold == Hold::Connecting) steps.resize(5);  // Connect pressed: its wait box holds
    if (hold == Hold::ErrorBox) Then(steps, {Tell("garbage"), Until([] { return Seen().boxOpen; })});
    if (hold == Hold::AcknowledgementWait)
        Then(steps, {Tell("noack on\n" + Send(300, 9)), StoreHolds(1), Press(MainPanel, fq31::MAIN_INPUT_2)});
    if (hold != Hold::Connecting) steps.push_back(Do([reportFd] { (void)!write(reportFd, "c", 1); }));
    steps.push_back(Until([] { return false; }));
    Race(steps, 100000, watch);
    _exit(0);
}

// True once the program is held as the test wants it.
bool Held(int fd, const qstest::StandinClock& clock, Hold hold) {
    auto onWire = [&](const char* line) {
        for (int i = 0; i < 300; ++i, usleep(20000)) {
            const Strings wire = clock.Wire();
            if (std::find(wire.begin(), wire.end(), line) != wire.end()) return true;
        }
        return false;
    };
    char c = 0;
    if (hold != Hold::Connecting && read(fd, &c, 1) != 1) return false;
    return hold == Hold::Connecting ? onWire("RP 003")
                                    : hold != Hold::AcknowledgementWait || onWire("WC 008 02");
}

// Runs the child, sends eight times; within a second they are in the file, then the
// child is killed while ten more come. Returns the competitors the file kept.
Ints KilledRace(const qstest::TempProgramDir& dir, Hold hold) {
    qstest::StandinClock clock(dir, hold == Hold::Connecting ? Strings{"--noack-after", "1"} : Strings{});
    EXPECT_TRUE(clock.Running());
    int fds[2];
    if (pipe(fds) != 0) return {};
    const pid_t child = fork();
    if (child == 0) RunChild(hold, fds[1]);
    close(fds[1]);
    EXPECT_TRUE(Held(fds[0], clock, hold)) << "the program was not held as wanted";
    close(fds[0]);
    // The clock falls silent after them: nothing but the layer's timer brings them to the file.
    std::string early = "messages off";
    for (int i = 1; i <= 8; ++i) early += "\n" + Send(300 + i, i);
    Tell(early)();
    const double start = Timer();
    Ints inFile;
    while (Timer() - start < 1.0 &&
           !std::includes(inFile.begin(), inFile.end(), kEarly.begin(), kEarly.end())) {
        usleep(20000);
        inFile = Competitors(TimesIn(kTimesFile));
        std::sort(inFile.begin(), inFile.end());
    }
    EXPECT_TRUE(std::includes(inFile.begin(), inFile.end(), kEarly.begin(), kEarly.end()))
        << "the times are not in the file a second after they came";
    std::string late;
    for (int i = 1; i <= 10; ++i) late += Send(400 + i, 10 + i) + "\n";
    Tell(late)();
    usleep(100000);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status));
    bool whole = false;
    Ints kept = Competitors(TimesIn(kTimesFile, &whole));
    EXPECT_TRUE(whole) << "the times file must never be torn";
    std::string journal;
    for (const auto& e : fs::directory_iterator("Logs")) journal += qstest::ReadFileBytes(e.path().string());
    for (int i = 1; i <= 8; ++i)
        EXPECT_NE(journal.find("< " + TimeLine(300 + i, i) + "\\t"), std::string::npos) << "time " << i;
    return kept;
}

std::string keptFile;

int ChooseKeptFile(const char*, const char*, const char*, int, char pathOut[260]) {
    snprintf(pathOut, 260, "%s", keptFile.c_str());
    return VAL_EXISTING_FILE_SELECTED;
}

class Kill : public ::testing::TestWithParam<Hold> {};

TEST_P(Kill, TimesReceivedASecondBeforeSurviveAndAreOfferedBackAfterRestart) {
    if (qstest::RanInOwnProcess()) return;
    qstest::TempProgramDir dir;
    Ints kept = KilledRace(dir, GetParam());
    // The time the clock measured for the impulse (and the one before it) come first.
    if (GetParam() == Hold::AcknowledgementWait && kept.size() >= 2 && kept[0] == 300 && kept[1] == 0)
        kept.erase(kept.begin(), kept.begin() + 2);
    // The eight early times first, then only later ones in order, none skipped.
    ASSERT_GE(kept.size(), 8u);
    EXPECT_EQ(Ints(kept.begin(), kept.begin() + 8), kEarly);
    for (size_t i = 8; i < kept.size(); ++i) EXPECT_EQ(kept[i], 401 + int(i - 8));
    if (GetParam() != Hold::Nothing || HasFailure()) return;

    // Restarted in the same folder: the store starts empty, the former file is kept
    // aside ("Chrono_<date>.q31tps"), and the load button brings its times back.
    const Ints all = Competitors(TimesIn(kTimesFile));
    size_t current = 99;
    Ending end;
    Steps steps = {Until([] { return MainPanel() > 0; }), Do([&] {
                       current = TimesIn(kTimesFile).size();
                       for (const std::string& name : FilesIn("Chronos"))
                           if (name.rfind("Chrono_", 0) == 0) keptFile = "Chronos/" + name;
                   })};
    Then(steps, Simulate());  // times are loaded while connected
    Then(steps, {Press(MainPanel, fq31::MAIN_TIMES_LOAD), StoreHolds(int(all.size()))});
    Then(steps, Finish(&end));
    SetFileSelectHook(ChooseKeptFile);
    ASSERT_EQ(Race(steps), steps.size());
    SetFileSelectHook(nullptr);
    EXPECT_EQ(current, 0u);
    EXPECT_EQ(end.store, all);
    EXPECT_EQ(end.rowsShown, int(all.size()));
}

INSTANTIATE_TEST_SUITE_P(Race, Kill,
                         ::testing::Values(Hold::Nothing, Hold::ErrorBox, Hold::AcknowledgementWait,
                                           Hold::Connecting),
                         [](const auto& info) { return std::string(kHoldNames[int(info.param)]); });

}  // namespace
