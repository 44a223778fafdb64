// Soak: a start clock's traffic (a countdown every minute, a start or a finish time every
// few seconds, the table cleared between races), compressed in time and streamed by the
// stand-in clock into the whole program running headless. No time may be lost on the way
// to the times table and "Chronos/Chrono.q31tps", and the heap must come back to the same
// level every time the table is empty again.
//
// The normal suite streams QS_SOAK_MINUTES=20 clock minutes at QS_SOAK_SCALE=120 times real
// time, a time every QS_SOAK_IMPULSES=5 clock seconds. A long run is started by hand, e.g.
//   QS_SOAK_MINUTES=600 QS_SOAK_SCALE=100 build/tests/soak/test_soak
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "app/Q31Ihm.h"
#include "chrono/SbChrono.h"
#include "panels/FQ31.h"
#include "panels/FSabGen.h"
#include "platform/cvi.h"
#include "tests/runner/Operator.h"
#include "tests/runner/Race.h"
#include "tests/support/Standin.h"
#include "tests/support/TestSupport.h"

using namespace fq31;
using namespace e2e;

namespace {

double Env(const char* name, double fallback) {
    const char* v = getenv(name);
    return v && atof(v) > 0 ? atof(v) : fallback;
}

struct Race {
    size_t count = 0;   // its rows
    double minute = 0;  // clock minute of the clear
    long heapKb = 0;    // right after the clear
};

struct Soak {
    double minutes = 0, scale = 0, warmUp = 0, length = 0;  // clock minutes
    double start = 0, deadline = 0, streamEnd = 0, nextSample = 0, nextClear = 0, lastLook = 0;
    std::vector<Race> races;        // the warm-up first, the last race at the end
    std::vector<SbChronoRec> kept;  // every race's rows, reserved so that they are no growth
    int lastRows = 0, staleFiles = 0, wrongFiles = 0, tableRows = -1;
    bool drained = false, fileCurrent = false, overdue = false;
    Strings errors;
} s;

double ClockMinutes() {
    return (Timer() - s.start) * s.scale / 60;
}

// The times among a table's rows: a start in a running program comes with the reference
// it was taken against (the one held, even before the clock sent any) and the difference.
std::vector<SbChronoRec> TimesIn(const std::vector<SbChronoRec>& rows) {
    std::vector<SbChronoRec> times;
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i].Type != 'D' && (i + 1 == rows.size() || rows[i + 1].Type != 'D'))
            times.push_back(rows[i]);
    return times;
}

std::vector<SbChronoRec> SentTimes() {
    std::vector<SbChronoRec> times;
    SbChronoRec r;
    for (const std::string& p : Lines("sent.log"))
        if (p.size() > 1 && p[1] != 'I' && ParseTimeMessage(p, &r)) times.push_back(r);
    return times;
}

// Any error box is noted and closed; a run past its deadline ends the program.
Step Watched(std::function<bool()> step) {
    return [step] {
        if (int p = FindLoadedPanel("FSabGen.uir", fsabgen::ERREUR)) {
            s.errors.push_back(Text(p, fsabgen::ERREUR_TEXTE));
            QueueUserEvent(p, fsabgen::ERREUR_BOUTON1);
        } else if (Timer() > s.deadline) {
            s.overdue = true;
            Q31QuitG = 1;
        }
        return step();
    };
}

// The store file, whenever read, is a whole image of the store's first records and
// never falls behind what the previous sample saw.
void Sample() {
    const std::string file = qstest::ReadFileBytes("Chronos/Chrono.q31tps"), store = StoreImage();
    const int32_t onDisk = At<int32_t>(file, 0);
    const bool whole = onDisk <= SbChronoNombre() && file.size() == 4 + size_t(onDisk) * sizeof(SbChronoRec);
    s.wrongFiles += !whole || file.compare(4, std::string::npos, store, 4, file.size() - 4) != 0;
    s.staleFiles += onDisk < std::min(SbChronoNombre(), s.lastRows);
    s.lastRows = SbChronoNombre();
}

// The table is kept as it stands, then cleared as the confirmed clear button does; the
// heap is measured empty.
void EndRace() {
    for (int i = 1; i <= SbChronoNombre(); ++i) s.kept.push_back(*SbChronoLire(i));
    const size_t count = size_t(SbChronoNombre());
    SbChronoEffacer();
    SbChronoAfficher();
    s.races.push_back({count, ClockMinutes(), HeapKb()});
    s.lastRows = 0;
}

bool Stream() {
    const double minute = ClockMinutes();
    if (minute >= s.nextSample || minute >= s.minutes) Sample(), s.nextSample += s.length / 3;
    if (minute >= s.nextClear && minute < s.minutes) EndRace(), s.nextClear += s.length;
    if (minute < s.minutes) return false;
    Tell("messages off")();
    s.streamEnd = Timer();
    return true;
}

// Every time the clock sent has reached the store (looked at four times a second).
bool Drained() {
    if (Timer() - s.lastLook < 0.25) return false;
    s.lastLook = Timer();
    std::vector<SbChronoRec> rows = s.kept;
    for (int i = 1; i <= SbChronoNombre(); ++i) rows.push_back(*SbChronoLire(i));
    s.drained = Timer() - s.streamEnd > 0.5 && TimesIn(rows).size() == SentTimes().size();
    return s.drained || Timer() - s.streamEnd > 20;
}

// The store file catches up with the store; the last race ends.
bool Settled() {
    s.fileCurrent = qstest::ReadFileBytes("Chronos/Chrono.q31tps") == StoreImage();
    if (!s.fileCurrent && Timer() - s.streamEnd < 30) return false;
    s.tableRows = TableRowCount(MainPanel(), MAIN_TIMES_TABLE) - SbChronoNombre();
    EndRace();
    return true;
}

}  // namespace

TEST(Soak, RacesStreamedForClockMinutesLoseNoTimeAndKeepMemoryFlat) {
    if (qstest::RanInOwnProcess()) return;
    qstest::TempProgramDir dir;
    s.minutes = Env("QS_SOAK_MINUTES", 20);
    s.scale = Env("QS_SOAK_SCALE", 120);
    s.warmUp = s.minutes / 12, s.length = s.minutes / 4;  // then a race every quarter of the run
    const int impulses = int(Env("QS_SOAK_IMPULSES", 5));
    qstest::StandinClock clock(dir, {"--time-scale", std::to_string(s.scale), "--impulses",
                                     std::to_string(impulses), "--sent", dir.file("sent.log")});
    ASSERT_TRUE(clock.Running());
    InstallHooks();
    s.races.reserve(8);
    s.kept.reserve((size_t(s.minutes * 60 / impulses) + 4) * 3);  // a start comes with two rows more
    Steps steps = ConnectToCom5();
    Then(steps, {Do([] {
                     s.start = Timer();
                     s.deadline = s.start + s.minutes * 60 / s.scale + 60;
                     s.nextSample = s.nextClear = s.warmUp;
                 }),
                 Watched(Stream), Watched(Drained), Watched(Settled), Press(MainPanel, MAIN_QUIT),
                 Answer("FSabGen.uir", fsabgen::POPUP, fsabgen::POPUP_VALIDER)});
    EXPECT_EQ(RunProgram(steps, 1L << 40), steps.size());
    RemoveHooks();
    for (const Race& r : s.races)
        printf("soak: cleared at clock minute %5.1f, %5zu rows, heap %ld kB\n", r.minute, r.count, r.heapKb);

    EXPECT_TRUE(s.errors.empty()) << s.errors.size() << " error box(es), first: " << s.errors.front();
    EXPECT_TRUE(MessagesSeen().empty()) << MessagesSeen().front();
    EXPECT_TRUE(s.drained && !s.overdue) << "times sent never all reached the store";
    ASSERT_GE(s.races.size(), 4u);

    // No time lost: race after race, the table held every time sent, in its turn and
    // byte for byte; each start in the running program came with its reference and
    // difference, and nothing else was added.
    const std::vector<SbChronoRec> sent = SentTimes();
    EXPECT_GE(sent.size(), size_t(s.minutes * 60 / impulses / 2)) << "the stand-in streamed too few times";
    const std::vector<SbChronoRec> times = TimesIn(s.kept);
    int differences = 0;
    for (const SbChronoRec& r : s.kept) differences += r.Type == 'D' && r.Marque == 'T';
    ASSERT_EQ(times.size(), sent.size());
    for (size_t i = 0, wrong = 0; i < sent.size(); ++i)
        if (memcmp(&times[i], &sent[i], sizeof(SbChronoRec)) != 0 && ++wrong <= 5)
            ADD_FAILURE() << "time " << i + 1;
    EXPECT_GT(differences, 0);
    EXPECT_EQ(times.size() + 2 * differences, s.kept.size());

    // The store file: never torn nor behind, current at the end, the cleared store saved at closing.
    EXPECT_EQ(s.wrongFiles, 0) << "the store file was torn or held other times than the store";
    EXPECT_EQ(s.staleFiles, 0) << "the store file fell a whole sampling interval behind";
    EXPECT_TRUE(s.fileCurrent) << "the store file did not catch up with the store";
    EXPECT_EQ(s.tableRows, 2);  // the table shows every row and two empty ones
    EXPECT_EQ(qstest::ReadFileBytes(dir.file("Chronos/Chrono.q31tps")), std::string(4, '\0'));

    // Memory flat: every time the table is empty again, the heap is where it was after the
    // warm-up, give or take a generous margin. AddressSanitizer keeps a heap of its own.
#if !defined(__SANITIZE_ADDRESS__)
    for (const Race& r : s.races)
        EXPECT_LT(r.heapKb - s.races.front().heapKb, 2048) << "at clock minute " << r.minute;
#endif
}
