// Reception of the link: the serial callback the program installs (piece reads,
// line reader, check, decoders) fed from memory, in lines per second, compared with
// the most a 57,600 bit/s line can carry; and the same with the wire journal on.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchProgram.h"
#include "link/SbComConfig.h"
#include "link/SbComDecoder.h"
#include "link/SbComErreur.h"
#include "link/SbComFrame.h"
#include "link/SbComJournal.h"
#include "link/SbComLink.h"
#include "platform/Journal.h"
#include "records/SbComRecord.h"
#include "tests/support/MemoryPort.h"

namespace {

std::string Ligne(const char* payload) {
    char out[300];
    snprintf(out, sizeof out, "%s\t%04X\r\n", payload, unsigned(SbComSomme(payload)) & 0xFFFF);
    return out;
}

// A second of a running countdown as the clock streams it, plus a parameter reply and
// its acknowledgement. (Time lines end in the times store, which is measured apart.)
std::string Flux() {
    std::string s;
    for (const char* p : {"&N 7B0E", "&C 8802", "&D 80000205", "&D 8102", "&E 06", "&S 10502", "&P 101 3",
                          "&P 003 2 3 14:05:09 4297", "AK"})
        s += Ligne(p);
    return s;
}

double ProcessCpu() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The stream decoded as the serial callback does it; with journal, every line also goes
// to the wire journal, whose thread writes it into a scratch folder (set aside and
// pruned as in use: the run writes about 20 MB). process_ns_per_frame counts the
// process's CPU, that thread's included, until the last line is written.
void Decode(benchmark::State& state, bool journal) {
    bench::ScratchFolder scratch;
    if (journal) JournalStart((scratch.path() + "/Logs").c_str(), "link", kSbComJournalPlafond, "#");
    SbComValDefaut(&SbComG);
    SbComG.linkState = 1;
    const SbComPortOps ops = memport::Ops();
    SbComInstallerPort(&ops);
    const std::string stream = Flux();
    const double lines = 9;
    const double meanFrame = double(stream.size()) / lines;
    const long before = SbComLignesDecodeesG;
    const double cpu0 = ProcessCpu();
    for (auto _ : state) {
        memport::Deliver(stream.data(), stream.size());
        benchmark::DoNotOptimize(SbComLignesDecodeesG);
    }
    if (journal && JournalSync(60) != 0) state.SkipWithError("the journal did not catch up");
    state.counters["process_ns_per_frame"] =
        (ProcessCpu() - cpu0) * 1e9 / (double(state.iterations()) * lines);
    JournalStop();
    state.SetItemsProcessed(int64_t(state.iterations() * lines));
    // 10 bits a byte on the wire (start, 8 data, stop).
    const double lineRate = 57600.0 / 10.0 / meanFrame;
    state.counters["frames_per_s"] =
        benchmark::Counter(double(state.iterations()) * lines, benchmark::Counter::kIsRate);
    state.counters["line_max_frames_per_s"] = lineRate;
    state.counters["mean_frame_bytes"] = meanFrame;
    if (SbComErreur() || SbComLignesDecodeesG - before != long(state.iterations()) * 9)
        state.SkipWithError("a line failed its check");
    SbComInstallerPort(nullptr);
    SbComG.linkState = 0;
}

void BM_LinkCheckAndDecode(benchmark::State& state) {
    Decode(state, false);
}
BENCHMARK(BM_LinkCheckAndDecode);

// A fixed count of frames, so both runs write the same and the journal's memory bound
// (8 MiB waiting for the disk) is never reached: nothing is dropped, every line is paid.
void BM_LinkCheckAndDecodeJournal(benchmark::State& state) {
    Decode(state, true);
}
BENCHMARK(BM_LinkCheckAndDecodeJournal)->Iterations(50000);
BENCHMARK(BM_LinkCheckAndDecode)->Iterations(50000);

void BM_LinkFrameBuild(benchmark::State& state) {
    char frame[kSbComTrameMax];
    for (auto _ : state) {
        int n = SbComFormerTrame("WP 026 01   42", frame, sizeof frame);
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(BM_LinkFrameBuild);

}  // namespace

BENCHMARK_MAIN();
