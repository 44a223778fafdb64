// A program killed mid-run keeps every time that arrived more than a second before:
// a child process runs the real program in simulation, gives five input impulses,
// and is killed with SIGKILL; the times file in "Chronos" must hold all five.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "app/Q31Ihm.h"
#include "app/Q31Main.h"
#include "panels/FQ31.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "records/SbChronoRec.h"
#include "records/SbComRecord.h"
#include "tests/runner/Scripted.h"
#include "tests/support/TestSupport.h"

using namespace fq31;

namespace {

int reportFd = -1;
int impulses = 0;

// The child: the whole program, driven to simulation and five impulses on input 1.
[[noreturn]] void RunChild() {
    Q31Config c{};
    Q31Defaut(&c);
    c.language = 0;
    c.soundOn = 0;
    FileWriteAtomic("QS-310_V1-1.q31cnf", &c, sizeof c);
    qstest::Scripted script({[] { return Q31FIhmG > 0; },
                             [] {
                                 SetCtrlVal(Q31FIhmG, MAIN_CONNECT_SWITCH, 1);
                                 return QueueUserEvent(Q31FIhmG, MAIN_CONNECT_SWITCH) == 0;
                             },
                             [] {
                                 int dlg = FindLoadedPanel("FQ31.uir", CONNECT);
                                 if (!dlg) return false;
                                 QueueUserEvent(dlg, CONNECT_SIMULATION);
                                 return true;
                             },
                             [] { return SbComG.simulation == 1 && !FindLoadedPanel("FQ31.uir", CONNECT); },
                             [] {
                                 static long wait = 0;
                                 if (++wait % 5) return false;  // a few passes between impulses
                                 QueueUserEvent(Q31FIhmG, MAIN_INPUT_1);
                                 return ++impulses == 5;
                             },
                             [] {
                                 static long wait = 0;
                                 if (++wait < 5) return false;
                                 (void)!write(reportFd, "5",
                                              1);  // five impulses given; now wait to be killed
                                 return true;
                             }},
                            1L << 40);
    static char arg0[] = "QS310Manager";
    static char* argv[] = {arg0, nullptr};
    Q31Main(1, argv);
    _exit(0);
}

}  // namespace

TEST(Crash, TimesMoreThanASecondOldSurviveAKill) {
    if (qstest::RanInOwnProcess()) return;
    qstest::TempProgramDir dir;
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(fds[0]);
        reportFd = fds[1];
        RunChild();
    }
    close(fds[1]);
    char c = 0;
    ASSERT_EQ(read(fds[0], &c, 1), 1) << "the program did not get to its impulses";
    sleep(2);  // more than a second after the last time
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    close(fds[0]);
    ASSERT_TRUE(WIFSIGNALED(status));

    std::string file = qstest::ReadFileBytes(dir.file("Chronos/Chrono.q31tps"));
    ASSERT_GE(file.size(), 4u);
    int32_t count = 0;
    memcpy(&count, file.data(), 4);
    ASSERT_EQ(count, 5);
    ASSERT_EQ(file.size(), 4u + 5 * sizeof(SbChronoRec));
    for (int i = 0; i < 5; ++i) {
        SbChronoRec r;
        memcpy(&r, file.data() + 4 + i * sizeof r, sizeof r);
        EXPECT_EQ(r.Type, 'T');
        EXPECT_EQ(r.Canal, '1');
        EXPECT_EQ(r.Numero, i + 1);
    }
}
