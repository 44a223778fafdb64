// Cost of one step of the simulated clock, run by the background task on every pass:
// the common pass (no change of second) and the pass on which a second changes.
#include <benchmark/benchmark.h>

#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "simulation/Q31Simu.h"
#include "simulation/Q31SimuSorties.h"

namespace {

double sNow = 1000.0;
long long sSecondeDuJour = 10 * 3600 + 20 * 60 + 40;  // 10:20:40

double TimerBench() {
    return sNow;
}
void LocalBench(int* h, int* m, int* s) {
    const long long t = sSecondeDuJour % 86400;
    *h = int(t / 3600);
    *m = int(t % 3600 / 60);
    *s = int(t % 60);
}
void SansTemps(const SbChronoRec*) {}
void SansInput(int) {}

// A long countdown of program 0 under way (mode 5, every overlay in use), so that the
// step does all its work: time zone, hands, countdown, amber blink, fraction.
void Preparer() {
    SbComG = SbCom{};
    SbCrG = SbCr{};
    SbQ31CrG = SbQ31Cr{};
    Q31G.simu = Q31SimuBlock{};
    SbComG.simulation = 1;
    SbComG.synchro.mode = 5;
    SbComG.synchro.timeZone = 23;
    auto& p = SbComG.progs[0];
    p.p104 = 0;
    p.p103 = 1000000;
    p.p102 = 60;
    p.p107 = -10;
    p.p108 = -5;
    p.p110 = -5;
    p.p111 = -10;
    p.p112 = 5;
    Q31SimuInit();
    Q31SimuSetSorties(&SansTemps, &SansInput);
    SetTimeSource(&TimerBench, &LocalBench);
    Q31SimuCr();
    Q31SimuStartStop();
    sNow += 1.0;
    ++sSecondeDuJour;
    Q31SimuCr();
}

void BM_SimuStepSameSecond(benchmark::State& state) {
    Preparer();
    for (auto _ : state) {
        sNow += 1e-6;  // the timer moves, the computer's second does not
        Q31SimuCr();
        benchmark::DoNotOptimize(SbCrG.fraction);
    }
    SetTimeSource(nullptr, nullptr);
    Q31SimuSetSorties(nullptr, nullptr);
}
BENCHMARK(BM_SimuStepSameSecond);

void BM_SimuStepNewSecond(benchmark::State& state) {
    Preparer();
    for (auto _ : state) {
        sNow += 1.0;
        ++sSecondeDuJour;  // every step is the first of a new second
        Q31SimuCr();
        benchmark::DoNotOptimize(SbQ31CrG.digitC);
    }
    SetTimeSource(nullptr, nullptr);
    Q31SimuSetSorties(nullptr, nullptr);
}
BENCHMARK(BM_SimuStepNewSecond);

}  // namespace

BENCHMARK_MAIN();
