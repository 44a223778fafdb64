// A program killed mid-run keeps every time that arrived more than a second before: a child
// process runs the whole program in simulation, gives five impulses on input 1 and is killed
// with SIGKILL; the times file in "Chronos" must hold all five.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "panels/FQ31.h"
#include "records/SbChronoRec.h"
#include "records/SbComRecord.h"
#include "tests/runner/Operator.h"
#include "tests/runner/Race.h"
#include "tests/support/TestSupport.h"

using namespace e2e;
using namespace fq31;

TEST(Crash, TimesMoreThanASecondOldSurviveAKill) {
    if (qstest::RanInOwnProcess()) return;
    qstest::TempProgramDir dir;
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(fds[0]);
        Steps steps = {SetAndPress(MainPanel, MAIN_CONNECT_SWITCH, 1),
                       Answer("FQ31.uir", CONNECT, CONNECT_SIMULATION),
                       Until([] { return SbComG.simulation == 1 && !FindLoadedPanel("FQ31.uir", CONNECT); })};
        for (int i = 0; i < 5; ++i) Then(steps, {Passes(5), Press(MainPanel, MAIN_INPUT_1)});
        Then(steps, {Passes(5), Do([&] { (void)!write(fds[1], "5", 1); }), Until([] { return false; })});
        RunProgram(steps, 1L << 40);  // until killed
        _exit(0);
    }
    close(fds[1]);
    char c = 0;
    ASSERT_EQ(read(fds[0], &c, 1), 1) << "the program did not get to its impulses";
    close(fds[0]);
    // Killed as soon as the five are on disk, or one and a half seconds after the last at the latest.
    std::string file;
    for (int i = 0; i < 150 && At<int32_t>(file, 0) != 5; ++i, usleep(10000))
        file = qstest::ReadFileBytes(dir.file("Chronos/Chrono.q31tps"));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));

    file = qstest::ReadFileBytes(dir.file("Chronos/Chrono.q31tps"));
    ASSERT_EQ(At<int32_t>(file, 0), 5);
    ASSERT_EQ(file.size(), 4u + 5 * sizeof(SbChronoRec));
    for (int i = 0; i < 5; ++i) {
        const SbChronoRec r = At<SbChronoRec>(file, 4 + size_t(i) * sizeof r);
        EXPECT_EQ(std::string({r.Type, r.Canal}), "T1");
        EXPECT_EQ(r.Numero, i + 1);
    }
}
