// Mirroring a live clock: CPU of the main loop while the stand-in clock streams a
// countdown, and the latency from handing the stand-in a display frame to the main
// window's digit showing it (an upper bound: it includes the stand-in's own work),
// over the serial line (a pty) or over TCP on the loopback, with the wire journal on
// (as the program starts) or off. The CPU is the whole process's, the journal's
// writer thread included.
// Run from the build folder: ./bench/bench_app_mirror [seconds] [serial|tcp] [journal|nojournal]
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/Q31Aff.h"
#include "app/Q31Ihm.h"
#include "app/Q31Modules.h"
#include "lib/StrBuf.h"
#include "link/SbComConfig.h"
#include "link/SbComErreur.h"
#include "link/SbComJournal.h"
#include "panels/FQ31.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "tests/support/Standin.h"
#include "tests/support/TestSupport.h"
#include "ui/Texts.h"

namespace {

double Cpu() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void Pass() {
    Q31TacheDeFond(true);
    int panel, control;
    GetUserEvent(0, &panel, &control);
}

int Digit() {
    int v = -1;
    GetCtrlVal(Q31FIhmG, fq31::MAIN_DIGIT_RIGHT, &v);
    return v;
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? atof(argv[1]) : 10.0;
    const bool tcp = argc > 2 && strcmp(argv[2], "tcp") == 0;
    const bool journal = !(argc > 3 && strcmp(argv[3], "nojournal") == 0);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (!getenv("QS_PROGRAM_DIR")) setenv("QS_PROGRAM_DIR", "QS310", 1);
    qstest::TempProgramDir dir;
    qstest::EnsureRuntime();
    qstest::StandinClock clock(
        dir, tcp ? qstest::StandinClock::Strings{"--tcp", "0"} : qstest::StandinClock::Strings{});
    if (!clock.Running()) return fprintf(stderr, "stand-in clock not running\n"), 1;
    printf("over %s, wire journal %s\n", tcp ? "TCP on the loopback" : "a pty", journal ? "on" : "off");
    if (journal) SbComJournalDemarrer();
    SbComValDefaut(&SbComG);
    SbComRaz(&SbComG, &SbCrG);
    Q31Defaut(&Q31G);
    Q31G.language = 0;
    Q31G.soundOn = 0;
    Q31ChargerTextes();
    Q31EnregistrerCallbacks();
    Q31FIhmG = LoadPanel(0, "FQ31.uir", fq31::MAIN);
    DisplayPanel(Q31FIhmG);
    SbComG.port = 5;
    StrCopy(SbComG.netAddress, "127.0.0.1");
    SbComG.netPort = clock.TcpPort();
    if (SbComOuvrir(tcp ? 2 : 1) != 0) return fprintf(stderr, "could not connect\n"), 1;
    Q31ComInitLireParam();
    SbComActiveMsg(1);
    Q31InitAff(false, true);

    const double cpu0 = Cpu(), t0 = Timer();
    long passes = 0;
    while (Timer() - t0 < seconds) Pass(), ++passes;
    const double cpu = Cpu() - cpu0, wall = Timer() - t0;
    printf(
        "mirroring a streamed countdown for %.1f s: CPU %.2f %% of one core (target 3 %%), %.0f passes/s\n",
        wall, 100 * cpu / wall, passes / wall);

    SbComActiveMsg(0);
    clock.Pause(0.3);
    std::vector<double> lat;
    // Hand a display frame to the stand-in and turn the loop until the digit shows it.
    for (int i = 0; i < 200; ++i) {
        const int code = 1 + i % 9;
        const int want = Gen7SegmentsPattern(code);
        if (Digit() == want) continue;
        char payload[32];
        snprintf(payload, sizeof payload, "send &D 800000%02X", code);
        const double start = Timer();
        FILE* f = fopen(dir.file("control").c_str(), "w");
        if (!f) break;
        fprintf(f, "%s\n", payload);
        fclose(f);
        while (Digit() != want && Timer() - start < 1.0) Pass();
        if (Digit() == want) lat.push_back((Timer() - start) * 1000);
    }
    std::sort(lat.begin(), lat.end());
    if (!lat.empty())
        printf(
            "frame handed to the stand-in -> digit shown (%zu samples): median %.2f ms, p99 %.2f ms, max "
            "%.2f ms "
            "(target p99 20 ms)\n",
            lat.size(), lat[lat.size() / 2], lat[std::min(lat.size() - 1, lat.size() * 99 / 100)],
            lat.back());
    SbComQuitter();
    SbComJournalArreter();
    DiscardPanel(Q31FIhmG);
    CloseCVIRTE();
    return 0;
}
