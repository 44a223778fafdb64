// Times table figures: rebuilding a full table, loading and showing a full file,
// one new time under a full table, and keeping the store file current in a burst.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/BenchProgram.h"
#include "chrono/SbChrono.h"
#include "chrono/SbChronoTab.h"
#include "platform/cvi.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"

namespace fs = std::filesystem;

namespace {

constexpr int kTable = 2;
int panelG = 0;
double maintenantG = 0;
double Horloge() {
    return maintenantG;
}

const char* const kPanneau = R"(<?xml version="1.0" encoding="UTF-8"?>
<ui version="4.0">
 <class>BENCHPANEL</class>
 <widget class="QWidget" name="BENCHPANEL">
  <property name="geometry"><rect><x>0</x><y>0</y><width>420</width><height>600</height></rect></property>
  <widget class="QTableWidget" name="TABLE">
   <property name="ctrl" stdset="0"><number>2</number></property>
   <property name="geometry"><rect><x>0</x><y>0</y><width>400</width><height>580</height></rect></property>
   <property name="columnCount"><number>4</number></property>
  </widget>
 </widget>
</ui>
)";

SbChronoRec Temps(int i) {
    SbChronoRec r{};
    r.Concurrent = i % 1000;
    r.Numero = i;
    r.Heures = (i / 3600) % 24;
    r.Minutes = (i / 60) % 60;
    r.Secondes = i % 60;
    r.Fraction = (i * 7919) % 100000;
    r.Type = 'T';
    r.Marque = 'N';
    r.Qualif = 'M';
    r.Canal = i % 3 == 0 ? '1' : '2';
    return r;
}

void EcrireFichier(const char* path, int count) {
    std::vector<SbChronoRec> records;
    for (int i = 1; i <= count; ++i) records.push_back(Temps(i));
    std::string bytes(reinterpret_cast<const char*>(&count), 4);
    bytes.append(reinterpret_cast<const char*>(records.data()), records.size() * sizeof(SbChronoRec));
    FileWriteAtomic(path, bytes.data(), bytes.size());
}

void Attacher(bool table) {
    SbChronoFermer("Chronos", "Chrono.q31tps");
    SbChronoOuvrir("Chronos", "Chrono.q31tps", table ? panelG : 0, table ? kTable : 0);
}

void BM_AfficherPlein(benchmark::State& state) {
    Attacher(true);
    SbChronoCharger("Chronos\\plein.q31tps");
    for (auto _ : state) {
        SbChronoAfficher();
        ProcessDrawEvents();
    }
    state.counters["rows"] = SbChronoNombre();
}
BENCHMARK(BM_AfficherPlein)->Unit(benchmark::kMillisecond);

void BM_ChargerEtAfficherPlein(benchmark::State& state) {
    Attacher(true);
    for (auto _ : state) {
        SbChronoCharger("Chronos\\plein.q31tps");
        SbChronoAfficher();
        ProcessDrawEvents();
    }
}
BENCHMARK(BM_ChargerEtAfficherPlein)->Unit(benchmark::kMillisecond);

void BM_ChargerSeul(benchmark::State& state) {
    Attacher(false);
    for (auto _ : state) benchmark::DoNotOptimize(SbChronoCharger("Chronos\\plein.q31tps"));
}
BENCHMARK(BM_ChargerSeul)->Unit(benchmark::kMicrosecond);

// One new time appended to a table that already shows 9,998 times.
void BM_NouveauTempsSousTablePleine(benchmark::State& state) {
    Attacher(true);
    SbChronoCharger("Chronos\\presque.q31tps");
    SbChronoAfficher();
    const SbChronoRec t = Temps(5);
    for (auto _ : state) {
        SbChronoQ31Traiter(&t);
        ProcessDrawEvents();
        state.PauseTiming();
        DeleteTableRows(panelG, kTable, SbChronoTabG.nombre, 1);
        --SbChronoTabG.nombre;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_NouveauTempsSousTablePleine)->Unit(benchmark::kMicrosecond);

// 300 times arriving 10 ms apart (a run download), the background task turning
// after each: with the store file kept current (arg 1) or not (arg 0).
void BM_Rafale300(benchmark::State& state) {
    const bool maintenir = state.range(0) != 0;
    Attacher(false);
    SetTimeSource(Horloge, nullptr);
    const SbChronoRec t = Temps(7);
    long ecritures = 0;
    auto maintenirCompte = [&] {
        const bool avant = SbChronoTabG.modifie;
        SbChronoMaintenir();
        if (avant && !SbChronoTabG.modifie) ++ecritures;
    };
    for (auto _ : state) {
        state.PauseTiming();
        SbChronoEffacer();
        maintenantG += 1.0;
        SbChronoMaintenir();
        state.ResumeTiming();
        for (int i = 0; i < 300; ++i) {
            SbChronoQ31Traiter(&t);
            maintenantG += 0.01;
            if (maintenir) maintenirCompte();
        }
        maintenantG += 1.0;
        if (maintenir) maintenirCompte();
    }
    state.counters["writes_per_burst"] = double(ecritures) / double(state.iterations());
    SetTimeSource(nullptr, nullptr);
}
BENCHMARK(BM_Rafale300)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Worst single pass of the background task that writes: a full store file.
void BM_EcritureFichierPlein(benchmark::State& state) {
    Attacher(false);
    SbChronoCharger("Chronos\\plein.q31tps");
    for (auto _ : state) SbChronoSauver("Chronos\\copie.q31tps");
}
BENCHMARK(BM_EcritureFichierPlein)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const bench::ScratchFolder scratch;
    const std::string& dir = scratch.path();
    setenv("QS_PROGRAM_DIR", dir.c_str(), 1);
    fs::current_path(dir);
    fs::create_directories("Chronos");
    fs::create_directories("Bench.uir");
    std::ofstream("Bench.uir/01-bench.ui") << kPanneau;
    if (!InitCVIRTE(argc, argv)) return 1;
    panelG = LoadPanel(0, "Bench.uir", 1);
    if (panelG <= 0) return 1;
    DisplayPanel(panelG);
    SbComG.simulation = 1;
    EcrireFichier("Chronos\\plein.q31tps", SB_CHRONO_MAX);
    EcrireFichier("Chronos\\presque.q31tps", SB_CHRONO_MAX - 1);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    SbChronoFermer("Chronos", "Chrono.q31tps");
    DiscardPanel(panelG);
    CloseCVIRTE();
    return 0;
}
