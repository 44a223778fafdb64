// Whole-program figures: start-up to the main window shown, and the CPU used and
// passes per second of the main loop and of the parameters dialog's loop while idle.
// Run from the build folder: ./bench/bench_app_startup_idle [seconds]
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/Q31Ihm.h"
#include "app/Q31Main.h"
#include "app/Q31Modules.h"
#include "bench/BenchProgram.h"
#include "panels/FQ31.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "ui/Dialogs.h"
#include "ui/Texts.h"

using Clock = std::chrono::steady_clock;

namespace {

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

Clock::time_point t0;
double shownAfterMs = -1;
double measureSeconds = 10;
long passes = 0;
double windowCpu0 = 0;
Clock::time_point windowT0;
double mainCpu = 0, mainWall = 0, dialogCpu = 0, dialogWall = 0;
long mainPasses = 0, dialogPasses = 0;
int phase = 0, dialog = 0;

void MainLoopWatch() {
    ++passes;
    if (shownAfterMs < 0 && Q31FIhmG > 0) {
        shownAfterMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        passes = 0;
        windowCpu0 = CpuSeconds();
        windowT0 = Clock::now();
        return;
    }
    double wall = std::chrono::duration<double>(Clock::now() - windowT0).count();
    if (phase == 0 && wall >= measureSeconds) {
        mainCpu = CpuSeconds() - windowCpu0;
        mainWall = wall;
        mainPasses = passes;
        QueueUserEvent(Q31FIhmG, fq31::MAIN_PARAMS);  // then idle in the parameters dialog
        phase = 1;
    } else if (phase == 1 && (dialog = FindLoadedPanel("FQ31.uir", fq31::PARAMS)) != 0) {
        passes = 0;
        windowCpu0 = CpuSeconds();
        windowT0 = Clock::now();
        phase = 2;
    } else if (phase == 2 && wall >= measureSeconds) {
        dialogCpu = CpuSeconds() - windowCpu0;
        dialogWall = wall;
        dialogPasses = passes;
        QueueUserEvent(dialog, fq31::PARAMS_CANCEL);
        phase = 3;
    } else if (phase == 3 && !FindLoadedPanel("FQ31.uir", fq31::PARAMS)) {
        Q31QuitG = 1;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) measureSeconds = atof(argv[1]);
    const bench::ScratchProgramFolder folder;
    t0 = Clock::now();
    SetIdleHook(MainLoopWatch);
    static char arg0[] = "QS310Manager";
    static char* args[] = {arg0, nullptr};
    Q31Main(1, args);
    printf("start-up to main window shown: %.1f ms (target 300 ms: %.2fx)\n", shownAfterMs,
           shownAfterMs / 300.0);
    printf(
        "main loop idle over %.1f s: CPU %.2f %% of one core (target 1 %%), %.0f passes/s (target >= 50)\n",
        mainWall, 100.0 * mainCpu / mainWall, mainPasses / mainWall);
    printf("parameters dialog idle over %.1f s: CPU %.2f %% of one core (target 1 %%), %.0f passes/s\n",
           dialogWall, 100.0 * dialogCpu / dialogWall, dialogPasses / dialogWall);
    return 0;
}
