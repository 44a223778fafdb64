// Mirroring a live clock: CPU of the program while the stand-in clock streams a countdown;
// the latency from handing the stand-in a display frame to the main window's digit showing
// it and to its drawing being handed to the window system (an upper bound: it includes the
// stand-in's own work); and a stream of about 100 times a second into the times table
// (CPU, and the heap each new row takes). Over the serial line (a pty) or over TCP on the
// loopback, with the wire journal on (as the program starts) or off. The CPU is the whole
// process's, the journal's writer thread included.
// Run from the build folder: ./bench/bench_app_mirror [seconds] [serial|tcp] [journal|nojournal]
// (offscreen unless QT_QPA_PLATFORM says otherwise: scripts/bench-xcb.sh runs it under X).
#include <malloc.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

#include "app/Q31Aff.h"
#include "app/Q31Ihm.h"
#include "app/Q31Modules.h"
#include "chrono/SbChrono.h"
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

double Cpu(int who) {
    rusage u{};
    getrusage(who, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

size_t HeapInUse() {
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

// One pass of the program's main loop; it sleeps until something happens, at most until `end`.
void Pass(double end) {
    Q31TacheDeFond(true);
    SetNextWake(end - Timer());
    int panel, control;
    GetUserEvent(0, &panel, &control);
}

int Digit() {
    int v = -1;
    GetCtrlVal(Q31FIhmG, fq31::MAIN_DIGIT_RIGHT, &v);
    return v;
}

int Rows() {
    int n = 0;
    GetNumTableRows(Q31FIhmG, fq31::MAIN_TIMES_TABLE, &n);
    return n;
}

void StreamedCountdown(double seconds) {
    const double cpu0 = Cpu(RUSAGE_SELF), t0 = Timer();
    while (Timer() - t0 < seconds) Pass(t0 + seconds);
    const double cpu = Cpu(RUSAGE_SELF) - cpu0, wall = Timer() - t0;
    printf("mirroring a streamed countdown for %.1f s: CPU %.2f %% of one core (target 1 %%)\n", wall,
           100 * cpu / wall);
}

void Latency(const qstest::TempProgramDir& dir, int samples) {
    std::vector<double> shown, drawn;
    // Hand a display frame to the stand-in and turn the loop until the digit shows it, then
    // until its drawing has gone to the window system (what the next pass does).
    for (int i = 0; i < samples; ++i) {
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
        while (Digit() != want && Timer() - start < 1.0) Pass(start + 1.0);
        if (Digit() != want) continue;
        shown.push_back((Timer() - start) * 1000);
        ProcessDrawEvents();
        drawn.push_back((Timer() - start) * 1000);
    }
    for (auto* v : {&shown, &drawn}) {
        if (v->empty()) continue;
        std::sort(v->begin(), v->end());
        printf(
            "frame handed to the stand-in -> digit %s (%zu samples): median %.2f ms, p99 %.2f ms, max %.2f "
            "ms "
            "(target p99 20 ms)\n",
            v == &shown ? "set" : "drawn and sent to the window system", v->size(), (*v)[v->size() / 2],
            (*v)[std::min(v->size() - 1, v->size() * 99 / 100)], v->back());
    }
}

// The stand-in is asked for an impulse every 10 ms, on inputs 1 and 2 in turn: each gives a
// time message, decoded, stored, added to the table and drawn by the program.
void TimesStream(const qstest::TempProgramDir& dir, double seconds) {
    const int rows0 = Rows();
    const size_t heap0 = HeapInUse();
    std::atomic<bool> stop{false};
    double feederCpu = 0;
    std::thread feeder([&] {
        FILE* f = fopen(dir.file("control").c_str(), "w");
        if (!f) return;
        auto next = std::chrono::steady_clock::now();
        for (int i = 0; !stop; ++i) {
            fprintf(f, "impulse %d\n", 1 + i % 2);
            fflush(f);
            next += std::chrono::milliseconds(10);
            std::this_thread::sleep_until(next);
        }
        fclose(f);
        feederCpu = Cpu(RUSAGE_THREAD);
    });
    const double cpu0 = Cpu(RUSAGE_SELF), t0 = Timer();
    while (Timer() - t0 < seconds) Pass(t0 + seconds);
    stop = true;
    feeder.join();
    const double end = Timer() + 0.5;  // the last times in flight
    while (Timer() < end) Pass(end);
    const double cpu = Cpu(RUSAGE_SELF) - cpu0 - feederCpu, wall = Timer() - t0;
    const int rows = Rows() - rows0;
    printf(
        "a stream of times into the table for %.1f s: %d rows (%.0f a second), CPU %.2f %% of one core "
        "(target 3 %%), heap %.0f bytes a row (target 500)\n",
        wall, rows, rows / wall, 100 * cpu / wall, rows > 0 ? double(HeapInUse() - heap0) / rows : 0.0);
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
    std::filesystem::create_directories(dir.file("Chronos"));
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
    SbChronoOuvrir("Chronos", "Chrono.q31tps", Q31FIhmG, fq31::MAIN_TIMES_TABLE);
    DisplayPanel(Q31FIhmG);
    SbComG.port = 5;
    StrCopy(SbComG.netAddress, "127.0.0.1");
    SbComG.netPort = clock.TcpPort();
    if (SbComOuvrir(tcp ? 2 : 1) != 0) return fprintf(stderr, "could not connect\n"), 1;
    Q31ComInitLireParam();
    SbComActiveMsg(1);
    Q31InitAff(false, true);

    StreamedCountdown(seconds);
    SbComActiveMsg(0);
    clock.Pause(0.3);
    Latency(dir, seconds < 1 ? 10 : 200);  // a short run only checks the path
    TimesStream(dir, seconds);

    SbComQuitter();
    SbChronoFermer("Chronos", "Chrono.q31tps");
    SbComJournalArreter();
    DiscardPanel(Q31FIhmG);
    CloseCVIRTE();
    return 0;
}
