// Run-time layer figures: passes and CPU of an idle polling loop, loading a 200-control panel.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/BenchProgram.h"
#include "platform/cvi.h"

namespace fs = std::filesystem;

namespace {

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// A panel of 200 controls (buttons, numerics, texts, a table every 50), as a large page would have.
void WriteBigPanel(const fs::path& folder) {
    fs::create_directories(folder / "Bench.uir");
    std::ofstream out(folder / "Bench.uir" / "01-big.ui");
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?><ui version=\"4.0\"><class>BIG</class>"
           "<widget class=\"QWidget\" name=\"BIG\"><property name=\"geometry\"><rect><x>0</x><y>0</y>"
           "<width>1000</width><height>800</height></rect></property>";
    const char* kinds[] = {"QPushButton", "QSpinBox", "QLineEdit", "QLabel", "QComboBox"};
    for (int i = 0; i < 200; ++i) {
        const char* cls = i % 50 == 49 ? "QTableWidget" : kinds[i % 5];
        out << "<widget class=\"" << cls << "\" name=\"C" << i << "\"><property name=\"geometry\"><rect><x>"
            << (i % 10) * 95 << "</x><y>" << (i / 10) * 38
            << "</y><width>90</width><height>32</height></rect>"
            << "</property><property name=\"ctrl\" stdset=\"0\"><number>" << i + 2 << "</number></property>"
            << "</widget>";
    }
    out << "</widget></ui>";
}

// One GetUserEvent call per iteration with nothing pending but a deadline 10 ms ahead (with
// none asked the wait would sleep until an event): a loop with something due that often.
void BM_IdleGetUserEvent(benchmark::State& state) {
    double cpu0 = CpuSeconds();
    auto t0 = std::chrono::steady_clock::now();
    int p, c;
    for (auto _ : state) {
        SetNextWake(0.01);
        benchmark::DoNotOptimize(GetUserEvent(0, &p, &c));
    }
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    double cpu = CpuSeconds() - cpu0;
    state.counters["passes_per_s"] = double(state.iterations()) / wall;
    state.counters["cpu_percent"] = 100.0 * cpu / wall;
}
BENCHMARK(BM_IdleGetUserEvent)->MinTime(3.0)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_LoadDisplayDiscard200(benchmark::State& state) {
    for (auto _ : state) {
        int panel = LoadPanel(0, "Bench.uir", 1);
        DisplayPanel(panel);
        ProcessDrawEvents();
        DiscardPanel(panel);
        ProcessSystemEvents();
    }
}
BENCHMARK(BM_LoadDisplayDiscard200)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const bench::ScratchFolder scratch;
    const fs::path folder = scratch.path();
    WriteBigPanel(folder);
    setenv("QS_PROGRAM_DIR", folder.c_str(), 1);
    auto t0 = std::chrono::steady_clock::now();
    InitCVIRTE(argc, argv);
    int panel = LoadPanel(0, "Bench.uir", 1);
    DisplayPanel(panel);
    ProcessDrawEvents();
    double first = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    printf("InitCVIRTE + first LoadPanel + DisplayPanel of a 200-control panel: %.1f ms\n", first);
    DiscardPanel(panel);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    CloseCVIRTE();
    return 0;
}
