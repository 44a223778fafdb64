// Reference for the idle-loop figures: the CPU a polling loop uses when it never
// waits (ProcessSystemEvents in a tight loop, as a naive run-time loop would turn).
// Run from the build folder: ./bench/bench_busy_poll_reference [seconds]
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>

#include "platform/cvi.h"

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? atof(argv[1]) : 10.0;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static char arg0[] = "busy-poll";
    static char* args[] = {arg0, nullptr};
    InitCVIRTE(1, args);
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    const double t0 = Timer();
    long passes = 0;
    while (Timer() - t0 < seconds) {
        ProcessSystemEvents();
        ++passes;
    }
    getrusage(RUSAGE_SELF, &after);
    const double cpu = (after.ru_utime.tv_sec - before.ru_utime.tv_sec) +
                       (after.ru_stime.tv_sec - before.ru_stime.tv_sec) +
                       ((after.ru_utime.tv_usec - before.ru_utime.tv_usec) +
                        (after.ru_stime.tv_usec - before.ru_stime.tv_usec)) /
                           1e6;
    const double wall = Timer() - t0;
    printf("busy-polling loop over %.1f s: CPU %.1f %% of one core, %.0f passes/s\n", wall, 100 * cpu / wall,
           passes / wall);
    CloseCVIRTE();
    return 0;
}
