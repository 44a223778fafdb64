// Reception of the link: the serial callback the program installs (piece reads,
// line reader, check, decoders) fed from memory, in lines per second, compared with
// the most a 57,600 bit/s line can carry.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "link/SbComDecoder.h"
#include "link/SbComErreur.h"
#include "link/SbComFrame.h"
#include "link/SbComLink.h"
#include "link/SbComRecord.h"
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

void BM_LinkCheckAndDecode(benchmark::State& state) {
    SbComValDefaut(&SbComG);
    SbComG.linkState = 1;
    const SbComPortOps ops = memport::Ops();
    SbComInstallerPort(&ops);
    const std::string stream = Flux();
    const double lines = 9;
    const double meanFrame = double(stream.size()) / lines;
    const long before = SbComLignesDecodeesG;
    for (auto _ : state) {
        memport::Deliver(stream.data(), stream.size());
        benchmark::DoNotOptimize(SbComLignesDecodeesG);
    }
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
BENCHMARK(BM_LinkCheckAndDecode);

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
