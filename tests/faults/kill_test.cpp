// The program killed while connected to the clock and receiving times: a child
// process runs the whole program against the stand-in clock and is killed with
// SIGKILL while times keep coming; every time received a second before is in
// "Chronos", also while the error box, a command's wait or the connection's wait
// box holds the main loop, and the restarted program offers them back with the
// load button; the wire journal holds them too.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "app/Q31Ihm.h"
#include "chrono/SbChrono.h"
#include "panels/FQ31.h"
#include "platform/cvi.h"
#include "tests/faults/Race.h"
#include "tests/support/Standin.h"
#include "tests/support/TestSupport.h"

using namespace race;
namespace fs = std::filesystem;

namespace {

int reportFd = -1;

// What holds the main loop (and its background task) while the times come.
enum class Hold { Nothing, ErrorBox, AcknowledgementWait, Connecting };

// The child: the whole program connected to the stand-in, then the race goes on
// until the parent kills it. With the error box, a burst of garbage first raises
// the check error and its box stays open (the operator is away from the computer);
// with the wait, the clock never acknowledges an impulse asked from the main window;
// while connecting, the clock answers the identity request and then acknowledges
// nothing, so the connection's wait box stays up through its start-up reads.
[[noreturn]] void RunChild(const qstest::TempProgramDir& dir, Hold hold) {
    std::vector<Step> steps = {MainWindowUp(), SwitchConnection(1), ConnectInDialog(5)};
    auto report = [] {
        (void)!write(reportFd, "c", 1);
        return true;
    };
    if (hold != Hold::Connecting) steps.push_back(Connected());
    if (hold == Hold::ErrorBox) {
        Seen().holdBox = [] { return true; };
        steps.push_back(Tell(dir, {"garbage"}));
        steps.push_back([] { return Seen().boxOpen; });
        steps.push_back(report);
    } else if (hold == Hold::AcknowledgementWait) {
        steps.push_back(Tell(dir, {"noack on"}));
        steps.push_back(Pause(0.2));
        steps.push_back([report] { return report() && QueueUserEvent(Q31FIhmG, fq31::MAIN_INPUT_2) == 0; });
    } else if (hold == Hold::Nothing) {
        steps.push_back(report);
    }
    steps.push_back([] { return false; });
    RunProgram(std::move(steps), 60.0);
    _exit(0);
}

const char* Name(Hold hold) {
    switch (hold) {
        case Hold::ErrorBox:
            return "ErrorBox";
        case Hold::AcknowledgementWait:
            return "AcknowledgementWait";
        case Hold::Connecting:
            return "Connecting";
        default:
            return "Nothing";
    }
}
void PrintTo(Hold hold, std::ostream* os) {
    *os << Name(hold);
}

// True once the program is held as the test wants it.
bool HeldAsWanted(int fd, const qstest::StandinClock& clock, Hold hold) {
    if (hold != Hold::Connecting) {
        char c = 0;
        return read(fd, &c, 1) == 1;
    }
    for (int i = 0; i < 300; ++i, usleep(50000)) {
        const std::vector<std::string> wire = clock.Wire();
        if (std::find(wire.begin(), wire.end(), "RP 003") != wire.end()) return true;
    }
    return false;
}

// Runs the child, sends eight times, lets a second pass with no further byte (the file read then goes
// into `afterASecond`), then kills it while ten more times come; returns the
// competitors of "Chronos/Chrono.q31tps".
std::vector<int> KilledRace(const qstest::TempProgramDir& dir, Hold hold, std::vector<int>* afterASecond) {
    WriteConfig();
    const qstest::StandinClock::Strings options = hold == Hold::Connecting
                                                      ? qstest::StandinClock::Strings{"--noack-after", "1"}
                                                      : qstest::StandinClock::Strings{};
    qstest::StandinClock clock(dir, options);
    EXPECT_TRUE(clock.Running());
    int fds[2];
    if (pipe(fds) != 0) return {};
    pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        reportFd = fds[1];
        RunChild(dir, hold);
    }
    close(fds[1]);
    const bool ready = HeldAsWanted(fds[0], clock, hold);
    close(fds[0]);
    EXPECT_TRUE(ready) << "the program did not connect";
    if (hold == Hold::AcknowledgementWait) usleep(300000);  // the impulse is asked: its wait runs
    // The clock falls silent after them (no countdown runs): nothing but the layer's
    // timer can then bring them to the file.
    std::vector<std::string> early = {"messages off"};
    for (int i = 1; i <= 8; ++i) early.push_back(Send(300 + i, i));
    TellNow(dir, early);
    sleep(1);
    *afterASecond = Competitors(ReadTimesFile(dir.file("Chronos/Chrono.q31tps")));
    for (int i = 1; i <= 10; ++i) {
        TellNow(dir, {Send(400 + i, 10 + i)});
        usleep(60000);
    }
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status));
    bool whole = false;
    std::vector<int> kept = Competitors(ReadTimesFile(dir.file("Chronos/Chrono.q31tps"), &whole));
    EXPECT_TRUE(whole) << "the times file must never be torn";
    // Nor did the wire journal lose them: its lines are on the disk within a second.
    std::string journal;
    for (const auto& e : fs::directory_iterator(dir.file("Logs")))
        journal += qstest::ReadFileBytes(e.path().string());
    for (int i = 1; i <= 8; ++i)
        EXPECT_NE(journal.find("< " + TimeLine(300 + i, i) + "\\t"), std::string::npos) << "time " << i;
    return kept;
}

// The eight early times first, then only later ones in order, none skipped.
void ExpectEarlyTimesKept(const std::vector<int>& kept) {
    ASSERT_GE(kept.size(), 8u);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(kept[size_t(i)], 301 + i);
    for (size_t i = 8; i < kept.size(); ++i) EXPECT_EQ(kept[i], 401 + int(i - 8));
}

const std::vector<int> kEarly = {301, 302, 303, 304, 305, 306, 307, 308};

std::string keptFile;

int ChooseKeptFile(const char*, const char*, const char*, int, char pathOut[260]) {
    snprintf(pathOut, 260, "%s", keptFile.c_str());
    return VAL_EXISTING_FILE_SELECTED;
}

// The copy of the times file that a restart keeps aside ("Chrono_<date>.q31tps").
std::string KeptCopy(const std::string& folder) {
    for (const auto& e : fs::directory_iterator(folder)) {
        std::string name = e.path().filename().string();
        if (name.rfind("Chrono_", 0) == 0 && e.path().extension() == ".q31tps") return e.path().string();
    }
    return "";
}

}  // namespace

TEST(Kill, TimesReceivedASecondBeforeAKillAreInChronosAndCanBeLoadedAfterRestart) {
    if (qstest::RanInOwnProcess()) return;
    qstest::TempProgramDir dir;
    std::vector<int> afterASecond;
    const std::vector<int> kept = KilledRace(dir, Hold::Nothing, &afterASecond);
    EXPECT_EQ(afterASecond, kEarly);
    ExpectEarlyTimesKept(kept);
    if (HasFailure()) return;

    // Restarted in the same folder: the store starts empty, the previous file is
    // kept aside, and the load button brings its times back into the table.
    std::vector<SbChronoRec> store;
    int rows = -1;
    size_t current = 99;
    std::vector<Step> steps = {MainWindowUp(),
                               [&] {
                                   current = ReadTimesFile("Chronos/Chrono.q31tps").size();
                                   keptFile = KeptCopy("Chronos");
                                   return true;
                               },
                               Press(fq31::MAIN_TIMES_LOAD),
                               StoreHolds(int(kept.size())),
                               Snapshot(&store, &rows),
                               Quit()};
    SetFileSelectHook(ChooseKeptFile);
    const size_t total = steps.size();
    const size_t done = RunProgram(std::move(steps), 20.0);
    SetFileSelectHook(nullptr);
    ASSERT_EQ(done, total);
    EXPECT_EQ(current, 0u);
    ASSERT_FALSE(keptFile.empty());
    EXPECT_EQ(Competitors(store), kept);
    EXPECT_EQ(rows, int(kept.size()));
}

// The same while a modal loop holds the main loop and its background task, and no
// further byte comes from the clock: the times file follows the store all the same
// (the layer's timer keeps it current), so a time received is in the file a second
// later and survives a kill.
class KillUnder : public ::testing::TestWithParam<Hold> {};

TEST_P(KillUnder, ATimeReceivedIsInTheFileASecondLaterAndSurvivesAKill) {
    if (qstest::RanInOwnProcess()) return;
    qstest::TempProgramDir dir;
    std::vector<int> afterASecond;
    std::vector<int> kept = KilledRace(dir, GetParam(), &afterASecond);
    if (GetParam() == Hold::AcknowledgementWait) {
        // The time the clock measured for the impulse comes first.
        ASSERT_FALSE(kept.empty());
        EXPECT_EQ(kept.front(), 0);
        kept.erase(kept.begin());
        if (!afterASecond.empty()) afterASecond.erase(afterASecond.begin());
    }
    EXPECT_EQ(afterASecond, kEarly);
    ExpectEarlyTimesKept(kept);
}

INSTANTIATE_TEST_SUITE_P(Kill, KillUnder,
                         ::testing::Values(Hold::ErrorBox, Hold::AcknowledgementWait, Hold::Connecting),
                         [](const ::testing::TestParamInfo<Hold>& info) { return Name(info.param); });
