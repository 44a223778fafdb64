// Soak: an hour of a start clock's traffic (a countdown every minute, a start or a
// finish time every few seconds, the table cleared between races), compressed in
// time, streamed by the stand-in clock into the whole program running headless.
// No time may be lost on the way to the times table and "Chronos/Chrono.q31tps",
// the main window must follow the countdown to its last message, and memory must
// come back to the same level every time the table is empty again.
//
// QS_SOAK_MINUTES sets the clock minutes streamed (60), QS_SOAK_SCALE how much
// faster than real time the clock runs (40: an hour in 90 s), QS_SOAK_IMPULSES
// the clock seconds between two times (5: 1,440 rows an hour). A long run beyond
// the suite's time-out is meant to be started by hand, for instance ten hours:
//   QS_SOAK_MINUTES=600 QS_SOAK_SCALE=100 build/tests/soak/test_soak
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "app/Q31Aff.h"
#include "app/Q31Ihm.h"
#include "app/Q31Main.h"
#include "chrono/SbChrono.h"
#include "panels/FQ31.h"
#include "panels/FSabGen.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "tests/runner/Scripted.h"
#include "tests/soak/SoakSupport.h"
#include "tests/support/Standin.h"
#include "tests/support/TestSupport.h"

using namespace fq31;

namespace {

double EnvNumber(const char* name, double fallback) {
    const char* v = getenv(name);
    const double x = v ? atof(v) : 0;
    return x > 0 ? x : fallback;
}

struct Sample {
    double minute;  // clock minutes since the stream began
    soak::Memory memory;
    int rows;
};

// One race: what the table held when the operator cleared it (rows kept in the
// run's block, which is reserved before the warm-up so that it is no growth).
struct Race {
    size_t first = 0, count = 0;  // its rows in SoakRun::kept
    size_t times = 0;             // rows that are times (not references nor differences)
    Sample cleared;               // memory right after the clear
};

// What the operator's script saw and took while the program ran.
struct SoakRun {
    double minutes = 60, scale = 40;
    int impulses = 5;                         // clock seconds between two times
    double warmUp = 5, every = 5, race = 15;  // clock minutes
    std::string sentLog, controlFifo, storeFile;

    double start = 0, streamEnd = 0, deadline = 0;
    double nextSample = 0, nextClear = 0;
    SbChronoRec startReference{};
    std::vector<Sample> samples;
    std::vector<Race> races;        // the warm-up first, the last race at the end
    std::vector<SbChronoRec> kept;  // the rows of every race, in order
    int staleFiles = 0;             // samples where the file lagged a whole interval behind
    int wrongFiles = 0;             // samples where the file was not a part of the store
    int lastSampledRows = 0;

    std::vector<std::string> errors;  // error boxes the program showed
    bool drained = false, fileCurrent = false, overdue = false;
    double fileWait = 0;
    int tones = 0;

    int tableRows = -1, clearedTableRows = -1;
    std::string liveFile;  // the store file when the stream had ended
    SbQ31Cr mirror{};
    int mismatchedControls = 0;
};

SoakRun* run = nullptr;

double ClockMinutes() {
    return (Timer() - run->start) * run->scale / 60.0;
}

std::vector<std::string> Lines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    std::string l;
    while (std::getline(in, l)) lines.push_back(l);
    return lines;
}

std::string StoreImage() {
    const int32_t n = SbChronoNombre();
    std::string image(reinterpret_cast<const char*>(&n), sizeof n);
    for (int i = 1; i <= n; ++i)
        image.append(reinterpret_cast<const char*>(SbChronoLire(i)), sizeof(SbChronoRec));
    return image;
}

// Any error box is noted and closed; a run past its deadline ends the program.
bool Trouble() {
    if (int p = FindLoadedPanel("FSabGen.uir", fsabgen::ERREUR)) {
        char text[256] = {};
        GetCtrlVal(p, fsabgen::ERREUR_TEXTE, text, sizeof text);
        run->errors.push_back(text);
        QueueUserEvent(p, fsabgen::ERREUR_BOUTON1);
        return true;
    }
    if (run->deadline > 0 && Timer() > run->deadline) {
        run->overdue = true;
        Q31QuitG = 1;
        return true;
    }
    return false;
}

// Memory and rows now. The file on disk, whenever it is read, is a whole store
// image whose records are the store's first ones, and it does not lag a whole
// sampling interval behind.
void TakeSample(double minute) {
    const int rows = SbChronoNombre();
    run->samples.push_back({minute, soak::MeasureMemory(), rows});
    const std::string file = qstest::ReadFileBytes(run->storeFile);
    int32_t onDisk = -1;
    if (file.size() >= 4) memcpy(&onDisk, file.data(), 4);
    const bool whole =
        onDisk >= 0 && onDisk <= rows && file.size() == 4 + size_t(onDisk) * sizeof(SbChronoRec);
    bool same = whole;
    for (int i = 1; same && i <= onDisk; ++i)
        same = memcmp(file.data() + 4 + size_t(i - 1) * sizeof(SbChronoRec), SbChronoLire(i),
                      sizeof(SbChronoRec)) == 0;
    if (!same) ++run->wrongFiles;
    if (onDisk < std::min(rows, run->lastSampledRows)) ++run->staleFiles;
    run->lastSampledRows = rows;
}

// The table is taken as it stands, then cleared as the clear button does once
// confirmed (the operator's way between two races); memory is measured empty.
void EndRace(double minute) {
    Race race;
    race.first = run->kept.size();
    for (int i = 1; i <= SbChronoNombre(); ++i) {
        const SbChronoRec& row = *SbChronoLire(i);
        run->kept.push_back(row);
        race.times += row.Type == 'T' || row.Type == 'A';
    }
    race.count = run->kept.size() - race.first;
    SbChronoEffacer();
    SbChronoAfficher();
    race.cleared = {minute, soak::MeasureMemory(), SbChronoNombre()};
    run->races.push_back(race);
    run->lastSampledRows = 0;
}

bool Connect() {
    if (Trouble()) return false;
    static bool switched = false;
    if (int dlg = FindLoadedPanel("FQ31.uir", CONNECT)) {
        SetCtrlVal(dlg, CONNECT_PORT, 5);
        QueueUserEvent(dlg, CONNECT_CONNECT);
        return true;
    }
    if (Q31FIhmG > 0 && !switched) {
        SetCtrlVal(Q31FIhmG, MAIN_CONNECT_SWITCH, 1);
        switched = QueueUserEvent(Q31FIhmG, MAIN_CONNECT_SWITCH) == 0;
    }
    return false;
}

bool Connected() {
    if (Trouble() || SbComG.linkState != 1 || FindLoadedPanel("FQ31.uir", CONNECT)) return false;
    run->start = Timer();
    run->deadline = run->start + run->minutes * 60 / run->scale + 60;
    run->startReference = SbChronoQ31ItG;
    run->nextSample = run->warmUp;
    run->nextClear = run->warmUp;
    run->samples.reserve(size_t(run->minutes / run->every) + 4);
    run->races.reserve(size_t(run->minutes / run->race) + 4);
    // At most three rows a time (a start with its reference and difference).
    run->kept.reserve((size_t(run->minutes * 60 / run->impulses) + 4) * 3);
    return true;
}

bool Stream() {
    if (Trouble()) return false;
    const double minute = ClockMinutes();
    if (minute >= run->minutes) {
        TakeSample(minute);
        std::ofstream(run->controlFifo) << "messages off\n";
        run->streamEnd = Timer();
        return true;
    }
    if (minute >= run->nextSample) {
        TakeSample(minute);
        run->nextSample += run->every;
    }
    if (minute >= run->nextClear) {
        EndRace(minute);
        run->nextClear += run->race;
    }
    return false;
}

// Every time the clock sent has been handed to the store.
bool Drained() {
    if (Trouble()) return false;
    static double lastLook = 0;
    if (Timer() - lastLook < 0.25) return false;
    lastLook = Timer();
    int times = 0;
    SbChronoRec r;
    for (const std::string& p : Lines(run->sentLog))
        times += p.size() > 1 && p[1] != 'I' && soak::ParseTime(p, &r);
    // The senders' list keeps the latest 9,999 only.
    const size_t handed = std::min<size_t>(size_t(times), size_t(SB_CHRONO_MAX));
    run->drained = Timer() - run->streamEnd > 1.0 && handed == SbChronoRecus().size();
    return run->drained || Timer() - run->streamEnd > 20;
}

// The store file catches up with the store; the mirror and the table are taken,
// the last race ends and the program closes.
bool Settled() {
    if (Trouble()) return false;
    const double waited = Timer() - run->streamEnd;
    run->fileCurrent = qstest::ReadFileBytes(run->storeFile) == StoreImage();
    if (!run->fileCurrent && waited < 10) return false;
    run->fileWait = waited;
    run->liveFile = qstest::ReadFileBytes(run->storeFile);
    GetNumTableRows(Q31FIhmG, MAIN_TIMES_TABLE, &run->tableRows);
    run->mirror = SbQ31CrG;
    Q31AffRafraichir();
    int left = -1, right = -1, colour = -1, light = -1;
    GetCtrlVal(Q31FIhmG, MAIN_DIGIT_LEFT, &left);
    GetCtrlVal(Q31FIhmG, MAIN_DIGIT_RIGHT, &right);
    GetCtrlAttribute(Q31FIhmG, MAIN_BIG_LIGHT, ATTR_ON_COLOR, &colour);
    run->mismatchedControls += left != (SbQ31CrG.digitB & 0x7F) || right != (SbQ31CrG.digitC & 0x7F);
    run->mismatchedControls += colour != Q31CouleurLumiere(SbQ31CrG.lightColour);
    for (int p = 0; p < 60; ++p) {
        GetCtrlIndexVal(Q31FIhmG, MAIN_DIAL, p, &light);
        run->mismatchedControls += light != Q31CouleurLumiere(SbQ31CrG.lights[size_t(p)]);
    }
    EndRace(ClockMinutes());
    GetNumTableRows(Q31FIhmG, MAIN_TIMES_TABLE, &run->clearedTableRows);
    Q31QuitG = 1;
    return true;
}

void PrintMemory(const char* label, const Sample& s) {
    printf("soak: %-9s %7.1f %10ld %10ld %10ld %7d\n", label, s.minute, s.memory.rssKb, s.memory.hwmKb,
           s.memory.heapKb, s.rows);
}

void PrintFigures(const SoakRun& r, long startHeap) {
    printf(
        "soak: %.0f clock minutes at x%.0f; samples every %.0f minutes, the table cleared after %.0f "
        "minutes of warm-up and every %.0f minutes\n",
        r.minutes, r.scale, r.every, r.warmUp, r.race);
    printf("soak: %-9s %7s %10s %10s %10s %7s\n", "", "minute", "RSS kB", "HWM kB", "heap kB", "rows");
    size_t next = 0;
    for (const Sample& s : r.samples) {
        PrintMemory("sample", s);  // taken before a clear due at the same minute
        for (; next < r.races.size() && r.races[next].cleared.minute <= s.minute; ++next)
            PrintMemory("cleared", r.races[next].cleared);
    }
    for (; next < r.races.size(); ++next) PrintMemory("cleared", r.races[next].cleared);
    if (r.races.size() >= 2 && r.samples.size() >= 2) {
        const Sample &a = r.races.front().cleared, &b = r.races.back().cleared;
        const Sample& full =
            *std::max_element(r.samples.begin(), r.samples.end(),
                              [](const Sample& x, const Sample& y) { return x.rows < y.rows; });
        printf(
            "soak: heap before connecting %ld kB; empty table after warm-up %ld kB, at the end %ld kB "
            "(%+ld kB); fullest table %d rows, %ld kB (%.2f kB a row)\n",
            startHeap, a.memory.heapKb, b.memory.heapKb, b.memory.heapKb - a.memory.heapKb, full.rows,
            full.memory.heapKb, full.rows ? double(full.memory.heapKb - a.memory.heapKb) / full.rows : 0.0);
        // RSS from the last sample: afterwards the test itself reads the stand-in's log.
        const Sample& end = r.samples.back();
        printf(
            "soak: RSS after warm-up %ld kB, at the last sample %ld kB (%+ld kB); high-water mark %ld kB\n",
            a.memory.rssKb, end.memory.rssKb, end.memory.rssKb - a.memory.rssKb, end.memory.hwmKb);
    }
    if (r.samples.size() >= 2) {
        const Sample &a = r.samples.front(), &b = r.samples.back();
        const double wall = (b.minute - a.minute) * 60 / r.scale;
        printf(
            "soak: CPU from the first to the last sample %.2f s over %.1f s of wall time (%.1f %% of one "
            "core)\n",
            b.memory.cpu - a.memory.cpu, wall, wall > 0 ? 100 * (b.memory.cpu - a.memory.cpu) / wall : 0.0);
    }
    printf("soak: store file current %.1f s after the stream ended; %d tones played\n", r.fileWait, r.tones);
    fflush(stdout);
}

}  // namespace

TEST(Soak, AnHourOfRacesLosesNoTimeAndKeepsMemoryFlat) {
    if (qstest::RanInOwnProcess()) return;
    qstest::TempProgramDir dir;
    SoakRun r;
    run = &r;
    r.minutes = EnvNumber("QS_SOAK_MINUTES", 60);
    r.scale = EnvNumber("QS_SOAK_SCALE", 40);
    r.sentLog = dir.file("sent.log");
    r.controlFifo = dir.file("control");
    r.storeFile = dir.file("Chronos/Chrono.q31tps");
    // A start (input 1) or a finish (input 2) every few seconds of the clock's time.
    r.impulses = int(EnvNumber("QS_SOAK_IMPULSES", 5));

    Q31Config c{};
    Q31Defaut(&c);
    c.language = 0;
    c.soundOn = 1;
    ASSERT_EQ(FileWriteAtomic("QS-310_V1-1.q31cnf", &c, sizeof c), 0);
    SetSoundHook([](const char*) { ++run->tones; });
    char scale[32];
    snprintf(scale, sizeof scale, "%g", r.scale);
    const qstest::StandinClock::Strings args = {
        "--time-scale", scale, "--impulses", std::to_string(r.impulses), "--sent", r.sentLog};
    qstest::StandinClock clock(dir, args);
    ASSERT_TRUE(clock.Running());

    const long startHeap = soak::MeasureMemory().heapKb;
    {
        qstest::Scripted script({Connect, Connected, Stream, Drained, Settled}, 1L << 40);
        static char arg0[] = "QS310Manager";
        static char* argv[] = {arg0, nullptr};
        Q31Main(1, argv);
        EXPECT_EQ(script.Done(), 5u) << "the script stopped at step " << script.Done();
    }
    SetSoundHook(nullptr);
    PrintFigures(r, startHeap);

    EXPECT_FALSE(r.overdue);
    EXPECT_TRUE(r.errors.empty()) << r.errors.size() << " error box(es), first: " << r.errors.front();
    EXPECT_TRUE(r.drained) << "times sent never all reached the store";
    ASSERT_GE(r.races.size(), 2u);

    // No time lost: race after race, the table held every time sent in its turn,
    // with its reference and difference rows, and nothing else.
    const soak::Expected e = soak::Replay(Lines(r.sentLog), r.startReference);
    EXPECT_GE(e.times, int(r.minutes * 60 / r.impulses) / 2) << "the stand-in streamed too few times";
    EXPECT_GE(e.references, int(r.minutes) / 2) << "the stand-in streamed too few countdowns";
    size_t time = 0;
    int wrong = 0;
    for (size_t n = 0; n < r.races.size(); ++n) {
        const Race& race = r.races[n];
        const size_t end = std::min(time + race.times, size_t(e.times));
        const std::vector<SbChronoRec> expected(e.rows.begin() + long(e.firstRow[time]),
                                                e.rows.begin() + long(e.firstRow[end]));
        EXPECT_EQ(race.count, expected.size()) << "race " << n;
        for (size_t i = 0; i < std::min(race.count, expected.size()); ++i) {
            const std::string d = soak::CompareRow(r.kept[race.first + i], expected[i]);
            if (!d.empty() && ++wrong <= 5) ADD_FAILURE() << "race " << n << ", row " << i + 1 << ": " << d;
        }
        time = end;
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(time, size_t(e.times)) << "times sent but never in the table";
    printf("soak: %d times and %d reference times sent; %zu rows checked in %zu races\n", e.times,
           e.references, r.kept.size(), r.races.size());

    // The last race as the table showed it and as the store file held it.
    const std::vector<SbChronoRec> last(r.kept.begin() + long(r.races.back().first), r.kept.end());
    EXPECT_EQ(r.tableRows, int(last.size()) + 2);  // the table ends with two empty rows
    EXPECT_TRUE(r.fileCurrent) << "the store file did not catch up with the store";
    ASSERT_EQ(r.liveFile.size(), 4 + last.size() * sizeof(SbChronoRec));
    int32_t count = -1;
    memcpy(&count, r.liveFile.data(), 4);
    EXPECT_EQ(count, int32_t(last.size()));
    EXPECT_EQ(memcmp(r.liveFile.data() + 4, last.data(), r.liveFile.size() - 4), 0);
    EXPECT_EQ(r.staleFiles, 0) << "the store file fell a whole sampling interval behind";
    EXPECT_EQ(r.wrongFiles, 0) << "the store file was torn or held other times than the store";
    EXPECT_EQ(r.clearedTableRows, 2);
    EXPECT_EQ(qstest::ReadFileBytes(r.storeFile), std::string(4, '\0'))
        << "the cleared store saved at closing";

    // The countdown mirrored to its last message.
    EXPECT_EQ(int(r.mirror.digitB), e.digitB);
    EXPECT_EQ(int(r.mirror.digitC), e.digitC);
    EXPECT_EQ(int(r.mirror.valueA), e.minus);
    EXPECT_EQ(int(r.mirror.lightColour), e.colour);
    EXPECT_EQ(int(r.mirror.status1), (e.status & 0x02) != 0);
    EXPECT_EQ(int(r.mirror.status2), (e.status & 0x04) != 0);
    EXPECT_EQ(int(r.mirror.hourHand), e.hourHand);
    EXPECT_EQ(int(r.mirror.minuteHand), e.minuteHand);
    for (size_t p = 0; p < 60; ++p) EXPECT_EQ(r.mirror.lights[p], e.lights[p]) << "second light " << p;
    EXPECT_EQ(r.mismatchedControls, 0) << "the main window does not show the mirror";
    EXPECT_GT(r.tones, 0);

    // Memory flat: every time the table is empty again, the heap is where it was
    // when the warm-up ended, give or take a generous margin. The rows themselves
    // are data, not growth; their cost is printed above.
    // The address sanitizer keeps a heap of its own, which mallinfo2 does not see.
#if defined(__SANITIZE_ADDRESS__)
    constexpr bool kHeapSeen = false;
#else
    constexpr bool kHeapSeen = true;
#endif
    const long base = r.races.front().cleared.memory.heapKb;
    for (const Race& race : r.races) {
        if (!kHeapSeen) break;
        EXPECT_LT(race.cleared.memory.heapKb - base, 2048)
            << "heap " << base << " kB after warm-up, " << race.cleared.memory.heapKb << " kB at minute "
            << race.cleared.minute;
    }
    run = nullptr;
}
