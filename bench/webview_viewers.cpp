// The live view under a crowd: the program mirrors a countdown streamed by the stand-in
// clock while 50 browsers' worth of viewers (another process) watch it. Figures: the
// program's CPU with no viewer and with 50, its memory per viewer, and the delay from
// handing the stand-in a display frame to the change having gone to every viewer (an
// upper bound: it includes the stand-in's own work and the serial line).
// Run from the build folder: ./bench/bench_webview_viewers [seconds] [viewers]
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTimer>
#include <QWebSocket>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/Q31Aff.h"
#include "app/Q31Ihm.h"
#include "app/Q31Modules.h"
#include "display/WebView.h"
#include "link/SbComConfig.h"
#include "panels/FQ31.h"
#include "platform/WebServer.h"
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

long ResidentKiB() {
    long pages = 0, resident = 0;
    if (FILE* f = fopen("/proc/self/statm", "r")) {
        if (fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
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

// The viewers' process: n WebSockets reading everything until killed.
int Viewers(int n, const char* url) {
    int argc = 1;
    char arg0[] = "viewers";
    char* argv[] = {arg0, nullptr};
    QCoreApplication app(argc, argv);
    std::vector<std::unique_ptr<QWebSocket>> sockets;
    for (int i = 0; i < n; ++i) {
        sockets.push_back(std::make_unique<QWebSocket>());
        QObject::connect(sockets.back().get(), &QWebSocket::textMessageReceived, [] {});
        sockets.back()->open(QUrl(QString::fromLatin1(url)));
    }
    return app.exec();
}

double CpuPercent(double seconds) {
    const double cpu0 = Cpu(), t0 = Timer();
    while (Timer() - t0 < seconds) Pass();
    return 100 * (Cpu() - cpu0) / (Timer() - t0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && strcmp(argv[1], "--viewers") == 0) return Viewers(atoi(argv[2]), argv[3]);
    const double seconds = argc > 1 ? atof(argv[1]) : 10.0;
    const int crowd = argc > 2 ? atoi(argv[2]) : 50;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (!getenv("QS_PROGRAM_DIR")) setenv("QS_PROGRAM_DIR", "QS310", 1);
    qstest::TempProgramDir dir;
    qstest::EnsureRuntime();
    qstest::StandinClock clock(dir);
    if (!clock.Running()) return fprintf(stderr, "stand-in clock not running\n"), 1;
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
    if (SbComOuvrir(1) != 0) return fprintf(stderr, "could not connect\n"), 1;
    Q31ComInitLireParam();
    SbComActiveMsg(1);
    Q31InitAff(false, true);

    WebServerConfig config;
    config.port = 0;
    strcpy(config.address, "127.0.0.1");
    WebServerSetWelcome(WebViewWhole);
    if (WebServerStart(config) != WEB_OK) return fprintf(stderr, "live view did not start\n"), 1;

    CpuPercent(1.0);  // settle
    const double cpuNone = CpuPercent(seconds);
    const long before = ResidentKiB();
    const std::string url = "ws://127.0.0.1:" + std::to_string(WebServerPort()) + "/ws";
    const pid_t child = fork();
    if (child == 0) {
        execl("/proc/self/exe", argv[0], "--viewers", std::to_string(crowd).c_str(), url.c_str(), nullptr);
        _exit(127);
    }
    const double t0 = Timer();
    while (WebServerViewers() < crowd && Timer() - t0 < 20) Pass();
    if (WebServerViewers() < crowd) return fprintf(stderr, "only %d viewers\n", WebServerViewers()), 1;
    CpuPercent(1.0);
    const long after = ResidentKiB();
    const double cpuCrowd = CpuPercent(seconds);
    printf(
        "mirroring a streamed countdown, %.0f s each: CPU %.2f %% of one core with no viewer, %.2f %% with "
        "%d "
        "(+%.2f points, target under 3)\n",
        seconds, cpuNone, cpuCrowd, crowd, cpuCrowd - cpuNone);
    printf("memory: %ld KiB resident before the viewers, %ld KiB with %d: %.1f KiB per viewer\n", before,
           after, crowd, double(after - before) / crowd);

    SbComActiveMsg(0);
    clock.Pause(0.3);
    std::vector<double> lat;
    // Hand a display frame to the stand-in and turn the loop until the pass that shows it
    // has ended: that pass sent the change to every viewer.
    for (int i = 0; i < 300; ++i) {
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
            "frame handed to the stand-in -> change sent to all %d viewers (%zu samples): median %.2f ms, "
            "p99 %.2f "
            "ms, max %.2f ms (target p99 50 ms)\n",
            WebServerViewers(), lat.size(), lat[lat.size() / 2],
            lat[std::min(lat.size() - 1, lat.size() * 99 / 100)], lat.back());
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    WebServerStop();
    SbComQuitter();
    DiscardPanel(Q31FIhmG);
    CloseCVIRTE();
    return 0;
}
