// The program killed while connected to the clock and receiving times: a child
// process runs the whole program against the stand-in clock and is killed with
// SIGKILL while times keep coming; every time received more than a second before
// is in "Chronos", and the restarted program offers it back with the load button.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <filesystem>
#include <string>
#include <vector>

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

// The child: the whole program connected to the stand-in, then the race goes on
// until the parent kills it. With a box, a burst of garbage first raises the
// check error and its box stays open (the operator is away from the computer).
[[noreturn]] void RunChild(const qstest::TempProgramDir& dir, bool withBox) {
    std::vector<Step> steps = {MainWindowUp(), SwitchConnection(1), ConnectInDialog(5), Connected()};
    if (withBox) {
        Seen().holdBox = [] { return true; };
        steps.push_back(Tell(dir, {"garbage"}));
        steps.push_back([] { return Seen().boxOpen; });
    }
    steps.push_back([] {
        (void)!write(reportFd, "c", 1);
        return true;
    });
    steps.push_back([] { return false; });
    RunProgram(std::move(steps), 60.0);
    _exit(0);
}

// Runs the child, sends eight times, lets more than a second pass, then kills it
// while ten more times come; returns the competitors of "Chronos/Chrono.q31tps".
std::vector<int> KilledRace(const qstest::TempProgramDir& dir, bool withBox) {
    WriteConfig();
    qstest::StandinClock clock(dir);
    EXPECT_TRUE(clock.Running());
    int fds[2];
    if (pipe(fds) != 0) return {};
    pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        reportFd = fds[1];
        RunChild(dir, withBox);
    }
    close(fds[1]);
    char c = 0;
    const bool ready = read(fds[0], &c, 1) == 1;
    close(fds[0]);
    EXPECT_TRUE(ready) << "the program did not connect";
    std::vector<std::string> early;
    for (int i = 1; i <= 8; ++i) early.push_back(Send(300 + i, i));
    TellNow(dir, early);
    sleep(2);
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
    return kept;
}

// The eight early times first, then only later ones in order, none skipped.
void ExpectEarlyTimesKept(const std::vector<int>& kept) {
    ASSERT_GE(kept.size(), 8u);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(kept[size_t(i)], 301 + i);
    for (size_t i = 8; i < kept.size(); ++i) EXPECT_EQ(kept[i], 401 + int(i - 8));
}

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
    if (QCoreApplication::instance())
        GTEST_SKIP() << "forks the program: needs a process of its own, as ctest runs each test";
    qstest::TempProgramDir dir;
    const std::vector<int> kept = KilledRace(dir, false);
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

// The same with a link error box open and unanswered while the times come: the
// box holds the main loop, not the times file.
TEST(Kill, TimesReceivedWhileAnErrorBoxIsOpenSurviveAKill) {
    if (QCoreApplication::instance())
        GTEST_SKIP() << "forks the program: needs a process of its own, as ctest runs each test";
    qstest::TempProgramDir dir;
    ExpectEarlyTimesKept(KilledRace(dir, true));
}
