// Whole-program figures beside a minimal Qt window started in the same run (one window,
// nothing in it, Qt's own event loop: what an idle window costs): start-up to the main
// window mapped, then the program idling in its main window, in its parameters dialog and
// with the second display shown. For each: CPU and wake-ups (context switches) of every
// thread of the program and of the minimal window, and of the X server when its process
// id is given (a request of a client wakes it: its wake-ups bound the round trips).
// Run from the build folder: ./bench/bench_app_startup_idle [seconds]
// (offscreen unless QT_QPA_PLATFORM says otherwise: scripts/bench-xcb.sh runs it under X).
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "app/Q31Ihm.h"
#include "app/Q31Main.h"
#include "app/Q31Modules.h"
#include "bench/BenchProgram.h"
#include "panels/FQ31.h"
#include "platform/Runtime.h"
#include "platform/cvi.h"

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

namespace {

Clock::time_point t0;

double MsSince(Clock::time_point from) {
    return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
}

// The reference: a window that shows and then waits in Qt's own loop. It tells its parent
// when it was mapped (a line on stdout), then idles until it is ended.
int MinimalWindow(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget w;
    w.resize(640, 480);
    w.show();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!w.windowHandle() || !w.windowHandle()->isExposed()) return;
        poll.stop();
        printf("%.1f\n", MsSince(t0));
        fflush(stdout);
    });
    poll.start(1);
    return app.exec();
}

// One thread's CPU time and context switches, read from /proc.
struct ThreadFigures {
    std::string name;
    double cpu = 0;  // seconds
    long wakeups = 0;
};
using Threads = std::map<long, ThreadFigures>;

long Field(const std::string& status, const char* key) {
    const size_t at = status.find(key);
    return at == std::string::npos ? 0 : atol(status.c_str() + at + strlen(key));
}

// Every thread of a process; CPU to the nanosecond for the program's own threads and for
// other processes as a whole (the kernel's per-process clock), in ticks otherwise.
Threads Read(pid_t pid) {
    Threads out;
    const fs::path tasks = fs::path("/proc") / std::to_string(pid) / "task";
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(tasks, ec)) {
        const long tid = atol(e.path().filename().c_str());
        ThreadFigures t;
        std::ifstream(e.path() / "comm") >> t.name;
        std::ifstream in(e.path() / "status");
        const std::string status((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        t.wakeups = Field(status, "voluntary_ctxt_switches:");
        timespec ts{};
        if (pid == getpid()) {
            const clockid_t thread = clockid_t((~tid) << 3) | 6;  // the thread's own CPU clock
            if (clock_gettime(thread, &ts) == 0) t.cpu = double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
        } else {
            std::ifstream st(e.path() / "stat");
            std::string line;
            std::getline(st, line);
            const size_t close = line.rfind(')');
            unsigned long long utime = 0, stime = 0;
            if (close != std::string::npos)
                sscanf(line.c_str() + close + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu",
                       &utime, &stime);
            t.cpu = double(utime + stime) / double(sysconf(_SC_CLK_TCK));
        }
        out[tid] = t;
    }
    return out;
}

double ProcessCpu(pid_t pid) {
    clockid_t c;
    timespec ts{};
    if (clock_getcpuclockid(pid, &c) != 0 || clock_gettime(c, &ts) != 0) return -1;
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

struct Snapshot {
    Clock::time_point at;
    std::map<pid_t, Threads> threads;
    std::map<pid_t, double> cpu;
};

pid_t minimalPid = 0, xserverPid = 0;

Snapshot Take() {
    Snapshot s;
    s.at = Clock::now();
    for (pid_t pid : {getpid(), minimalPid, xserverPid}) {
        if (pid <= 0) continue;
        s.threads[pid] = Read(pid);
        s.cpu[pid] = ProcessCpu(pid);
    }
    return s;
}

void Report(const char* what, const Snapshot& a, const Snapshot& b) {
    const double wall = std::chrono::duration<double>(b.at - a.at).count();
    printf("%s, idle over %.1f s:\n", what, wall);
    for (const auto& [pid, after] : b.threads) {
        const char* who = pid == getpid() ? "program" : pid == minimalPid ? "minimal Qt window" : "X server";
        const auto before = a.threads.find(pid);
        printf("  %-18s CPU %.4f %% of a core; wake-ups a second:", who,
               100 * (b.cpu.at(pid) - a.cpu.at(pid)) / wall);
        long total = 0;
        for (const auto& [tid, t] : after) {
            const auto was = before->second.find(tid);
            if (was == before->second.end()) continue;
            const long n = t.wakeups - was->second.wakeups;
            total += n;
            if (n > 0 || tid == pid)
                printf(" %s%s %.2f", tid == pid ? "main thread " : "", tid == pid ? "" : t.name.c_str(),
                       n / wall);
            if (pid == getpid() && tid == pid)
                printf(" (CPU %.4f %%)", 100 * (t.cpu - was->second.cpu) / wall);
        }
        printf("; all threads %.2f\n", total / wall);
    }
}

double measureSeconds = 10;
double startupMs = -1;
int phase = 0, dialog = 0;
Snapshot begun;

void Step();

// The script goes on a timer of the layer (an idle hook would make the loop poll).
void Next(double seconds) {
    ScheduleCall(seconds, Step);
}

// The pauses that let a step settle; a short run (under a second a phase) only checks the path.
void Settle(double seconds) {
    Next(measureSeconds < 1 ? 0.2 : seconds);
}

void Step() {
    switch (phase++) {
        case 0:
            begun = Take();
            return Next(measureSeconds);
        case 1:
            Report("main window", begun, Take());
            QueueUserEvent(Q31FIhmG, fq31::MAIN_PARAMS);
            return Settle(2);
        case 2:
            dialog = FindLoadedPanel("FQ31.uir", fq31::PARAMS);
            if (!dialog) printf("the parameters dialog did not open\n");
            begun = Take();
            return Next(measureSeconds);
        case 3:
            Report("parameters dialog", begun, Take());
            if (dialog) QueueUserEvent(dialog, fq31::PARAMS_CANCEL);
            return Settle(2);
        case 4:
            SetCtrlVal(Q31FIhmG, fq31::MAIN_FSD_SWITCH, 1);
            QueueUserEvent(Q31FIhmG, fq31::MAIN_FSD_SWITCH);
            return Settle(3);
        case 5:
            begun = Take();
            return Next(measureSeconds);
        case 6:
            Report("second display shown", begun, Take());
            Q31QuitG = 1;
            return;
        default:
            return;
    }
}

// Start-up: the main window mapped. Then the phases go on the layer's timers.
void WatchStartup() {
    QWidget* w = Q31FIhmG > 0 ? qs::rt::PanelWidget(Q31FIhmG) : nullptr;
    if (!w || !w->windowHandle() || !w->windowHandle()->isExposed()) return;
    startupMs = MsSince(t0);
    SetIdleHook(nullptr);
    Settle(3);  // let the start settle
}

}  // namespace

int main(int argc, char** argv) {
    t0 = Clock::now();
    if (argc > 1 && strcmp(argv[1], "--minimal") == 0) return MinimalWindow(argc, argv);
    if (argc > 1) measureSeconds = atof(argv[1]);
    if (const char* x = getenv("QS_BENCH_XSERVER_PID")) xserverPid = pid_t(atol(x));

    // The minimal window first, mapped before the program starts.
    int out[2];
    if (pipe(out) != 0) return 1;
    const Clock::time_point minimalStart = Clock::now();
    minimalPid = fork();
    if (minimalPid == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        execl("/proc/self/exe", argv[0], "--minimal", nullptr);
        _exit(127);
    }
    close(out[1]);
    char line[64] = {};
    FILE* from = fdopen(out[0], "r");
    const bool mapped = from && fgets(line, sizeof line, from);
    printf("start-up to the window mapped: minimal Qt window %.1f ms (from its main; %.1f ms from fork)\n",
           mapped ? atof(line) : -1.0, MsSince(minimalStart));

    const bench::ScratchProgramFolder folder;
    t0 = Clock::now();
    SetIdleHook(WatchStartup);
    static char arg0[] = "QS310Manager";
    static char* args[] = {arg0, nullptr};
    Q31Main(1, args);
    printf("start-up to the window mapped: program %.1f ms (from main)\n", startupMs);
    kill(minimalPid, SIGTERM);
    waitpid(minimalPid, nullptr, 0);
    if (from) fclose(from);
    return phase >= 7 ? 0 : 1;
}
