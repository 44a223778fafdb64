// Whole-program figure: CPU used by the main loop while a simulated countdown runs, with
// the second display off and then on (the display drawn only where the clock changed).
// Run from the build folder: ./bench/bench_display_live_cpu [seconds per phase]
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/Q31Aff.h"
#include "app/Q31Ihm.h"
#include "app/Q31Main.h"
#include "bench/BenchProgram.h"
#include "display/Q31Fsd.h"
#include "panels/FQ31.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "settings/Q31FKey.h"

using namespace fq31;

namespace {

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double phaseSeconds = 10;
int phase = 0;
double phaseStart = 0, cpuStart = 0;
long passes = 0;
double cpuOff = 0, wallOff = 0, cpuOn = 0, wallOn = 0;
long passesOff = 0, passesOn = 0;

void Measure(double now, double* cpu, double* wall, long* count) {
    *cpu = CpuSeconds() - cpuStart;
    *wall = now - phaseStart;
    *count = passes;
}

void Begin(double now) {
    phaseStart = now;
    cpuStart = CpuSeconds();
    passes = 0;
}

void Script() {
    const double now = Timer();
    ++passes;
    switch (phase) {
        case 0:
            if (Q31FIhmG <= 0) return;
            SetCtrlVal(Q31FIhmG, MAIN_CONNECT_SWITCH, 1);
            QueueUserEvent(Q31FIhmG, MAIN_CONNECT_SWITCH);
            phase = 1;
            break;
        case 1:
            if (int dlg = FindLoadedPanel("FQ31.uir", CONNECT)) {
                QueueUserEvent(dlg, CONNECT_SIMULATION);
                phase = 2;
            }
            break;
        case 2:
            if (!SbComG.simulation || FindLoadedPanel("FQ31.uir", CONNECT)) return;
            SbComG.synchro.mode = 5;
            SbComG.synchro.timeZone = 19;
            SbComG.currentProgram = 1;
            SbComG.progs[0] = SbComG.progs[1];
            Q31InitAff(false, true);
            phase = 3;
            phaseStart = now;
            break;
        case 3:
            if (now - phaseStart < 1.5) return;
            Q31FKeyStartStop();
            phase = 4;
            phaseStart = now;
            break;
        case 4:  // the countdown runs: measure with the display off
            if (!SbQ31CrG.status2) {
                if (now - phaseStart > 150) phase = 9;
                return;
            }
            Begin(now);
            phase = 5;
            break;
        case 5:
            if (now - phaseStart < phaseSeconds) return;
            Measure(now, &cpuOff, &wallOff, &passesOff);
            SetCtrlVal(Q31FIhmG, MAIN_FSD_SWITCH, 1);
            QueueUserEvent(Q31FIhmG, MAIN_FSD_SWITCH);
            phase = 6;
            phaseStart = now;
            break;
        case 6:  // let it draw once whole, then measure with the display on
            if (now - phaseStart < 1.0) return;
            Begin(now);
            phase = 7;
            break;
        case 7:
            if (now - phaseStart < phaseSeconds) return;
            Measure(now, &cpuOn, &wallOn, &passesOn);
            phase = 9;
            break;
        default:
            Q31QuitG = 1;
            break;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) phaseSeconds = atof(argv[1]);
    const bench::ScratchProgramFolder folder(false);
    SetIdleHook(Script);
    static char arg0[] = "QS310Manager";
    static char* args[] = {arg0, nullptr};
    Q31Main(1, args);
    if (wallOn <= 0) {
        printf("no countdown measured\n");
        return 1;
    }
    printf("simulated countdown, second display off: CPU %.2f %% of one core, %.0f passes/s\n",
           100.0 * cpuOff / wallOff, passesOff / wallOff);
    printf(
        "simulated countdown, second display on:  CPU %.2f %% of one core, %.0f passes/s (%.2fx the display "
        "off)\n",
        100.0 * cpuOn / wallOn, passesOn / wallOn, cpuOff > 0 ? cpuOn / cpuOff : 0.0);
    return 0;
}
