// Rebuilding the competitor panel's tables from 1,000 waiting and 1,000 sent competitors.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/BenchProgram.h"
#include "competitor/Q12.h"
#include "competitor/Q12Listes.h"
#include "competitor/Q12Panneau.h"
#include "platform/cvi.h"

namespace {

void Fill(Q12Bloc* bloc, int first) {
    for (int i = 0; i < kQ12Max; ++i) {
        Q12ConcurrentRec& r = (*bloc)[size_t(i)];
        r = Q12ConcurrentRec{};
        r.Numero = first + i;
        std::snprintf(r.Texte1, sizeof r.Texte1, "Name of competitor %d", first + i);
        std::snprintf(r.Texte2, sizeof r.Texte2, "First name %d", first + i);
        std::snprintf(r.Texte3, sizeof r.Texte3, "Club %d", i % 40);
    }
}

void BM_RemplirTables(benchmark::State& state) {
    Fill(Q12ListeG, 1);
    Q12NbListeG = kQ12Max;
    Fill(Q12HistoG, 2001);
    Q12NbHistoG = kQ12Max;
    for (auto _ : state) {
        RemplirTables();
        ProcessDrawEvents();
    }
}
BENCHMARK(BM_RemplirTables)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("QS_PROGRAM_DIR", QS_PROGRAM_DIR, 0);
    const bench::ScratchFolder scratch("q12-bench");
    const std::string& dir = scratch.path();
    if (chdir(dir.c_str()) != 0) return 1;
    if (!InitCVIRTE(argc, argv)) return 1;
    Q12EnregistrerCallbacks();
    Q12Charger("Courant.q12ct", 3);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Q12Quitter("Courant.q12ct");
    CloseCVIRTE();
    return 0;
}
