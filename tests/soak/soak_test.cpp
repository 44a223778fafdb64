// Soak: a start clock's traffic (a countdown every minute, a time every 5 clock seconds, the table
// cleared between races) streamed by the stand-in at x120 for 20 clock minutes: no time lost on the
// way to the table and its file, the heap back to its level whenever the table is empty.
#include <gtest/gtest.h>
#include <malloc.h>

#include <cstdlib>
#include <cstring>

#include "chrono/SbChrono.h"
#include "panels/FQ31.h"
#include "tests/runner/Race.h"
#include "tests/support/Standin.h"

using namespace e2e;

namespace {

double Env(const char* name, double fallback) {
    const char* v = getenv(name);
    return v && atof(v) > 0 ? atof(v) : fallback;
}
const double kMinutes = Env("QS_SOAK_MINUTES", 20), kScale = Env("QS_SOAK_SCALE", 120);
const int kImpulses = int(Env("QS_SOAK_IMPULSES", 5));

double start = 0, streamEnd = 0;
int looks = 0, badFiles = 0, lastRows = 0;
bool settled = false;
std::vector<SbChronoRec> kept;  // the times of the races cleared, reserved so that they are no heap growth
std::vector<long> heapKb;       // right after each clear

// The times given, then the store's (a start in a program comes with its reference and difference).
std::vector<SbChronoRec> WithStore(std::vector<SbChronoRec> times) {
    for (int i = 1, n = SbChronoNombre(); i <= n; ++i)
        if (SbChronoLire(i)->Type != 'D' && (i == n || SbChronoLire(i + 1)->Type != 'D'))
            times.push_back(*SbChronoLire(i));
    return times;
}

// Three looks a race: the store file is a whole image of the store's first records, and holds
// the times of the last look once the upkeep had its time. A loaded machine may run the upkeep
// late: a file behind is looked at again for 5 s before it counts (the stream goes on meanwhile).
bool Look() {
    static double behindSince = -1;
    const std::string file = qstest::ReadFileBytes("Chronos/Chrono.q31tps"), store = Stored();
    const int32_t n = At<int32_t>(file, 0);
    const bool behind = n < lastRows && n < SbChronoNombre();
    if (behind && behindSince < 0) behindSince = Timer();
    if (behind && Timer() - behindSince < 5) return false;
    behindSince = -1;
    badFiles += behind || n > SbChronoNombre() || file.size() != 4 + size_t(n) * sizeof(SbChronoRec) ||
                store.compare(4, file.size() - 4, file, 4) != 0;
    if (++looks % 3 == 0) {
        kept = WithStore(std::move(kept));
        SbChronoEffacer();  // as the confirmed clear button does
        SbChronoAfficher();
        const struct mallinfo2 heap = mallinfo2();  // in use: arenas and mapped blocks
        heapKb.push_back(long((heap.uordblks + heap.hblkhd) / 1024));
    }
    lastRows = SbChronoNombre();
    return true;
}

}  // namespace

TEST(Soak, RacesStreamedForClockMinutesLoseNoTimeAndKeepMemoryFlat) {
    qstest::TempProgramDir dir;
    qstest::StandinClock clock(dir, {"--time-scale", std::to_string(kScale), "--impulses",
                                     std::to_string(kImpulses), "--sent", dir.file("sent.log")});
    ASSERT_TRUE(clock.Running());
    InstallHooks();
    kept.reserve(size_t(kMinutes * 60 / kImpulses) + 4);
    Steps steps = ConnectToCom5();
    Then(steps, {Do([] { start = Timer(); }),
                 [] {  // a race is a quarter of the run; the first one warms up
                     if ((Timer() - start) * kScale / 60 < kMinutes * (looks + 1) / 12) return false;
                     if (looks == 11) return true;
                     Look();  // looked at again on the next pass while the file is behind
                     return false;
                 },
                 Tell("messages off"), Do([] { streamEnd = Timer(); }),
                 [] {  // every time sent reaches the store and its file: looked at 4 times a second
                     static double lastLook = 0;
                     if (Timer() - streamEnd < 0.5 || Timer() - lastLook < 0.25) return false;
                     lastLook = Timer();
                     settled = WithStore(kept).size() == TimesSent("sent.log").size() &&
                               qstest::ReadFileBytes("Chronos/Chrono.q31tps") == Stored();
                     if (!settled && Timer() - streamEnd < 30) return false;
                     return Look();
                 },
                 Press(MainPanel, fq31::MAIN_QUIT)});  // the watcher confirms the question
    EXPECT_EQ(RunProgram(WithBoxWatch(steps), 1L << 40), steps.size());
    RemoveHooks();
    EXPECT_TRUE(Watching().boxes.empty()) << "first error box: " << Watching().boxes.front().text;
    EXPECT_TRUE(settled) << "the times sent never all reached the store and its file";
    const std::vector<SbChronoRec> sent = TimesSent("sent.log");  // every time, in its turn and byte for byte
    EXPECT_GE(sent.size(), size_t(kMinutes * 60 / kImpulses / 2)) << "the stand-in streamed too few times";
    ASSERT_EQ(kept.size(), sent.size());
    EXPECT_EQ(memcmp(kept.data(), sent.data(), sent.size() * sizeof(SbChronoRec)), 0) << "a time changed";
    EXPECT_EQ(badFiles, 0) << "the store file was torn, behind, or held other times than the store";
    ASSERT_EQ(heapKb.size(), 4u);
#if !defined(__SANITIZE_ADDRESS__)  // AddressSanitizer keeps a heap of its own
    for (long kb : heapKb) EXPECT_LT(kb - heapKb.front(), 2048) << "heap after a race, kB";
#endif
}
