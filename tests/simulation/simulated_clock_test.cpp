// The simulated clock on a computer clock the test moves on: countdowns second by second,
// start/stop, time of day by synchronisation mode, and the impulses that hand times on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "records/SbChronoRec.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "simulation/Q31Simu.h"
#include "simulation/Q31SimuSorties.h"
#include "tests/support/TestSupport.h"

namespace {

double nowG = 1000.0;             // the timer
double dayAt0G;                   // local second of the day when the timer read 0
std::vector<SbChronoRec> tempsG;  // times handed to the store
std::vector<int> inputsG;         // input commands asked of the clock

long long SecondOfDay() {
    return (static_cast<long long>(std::floor(dayAt0G + nowG)) % 86400 + 86400) % 86400;
}
// A program by its parameters in the order of the settings page.
SbComProg Prog(int p103, int p104, int p102, int p107 = 0, int p108 = 0, int p109 = 0, int p110 = 0,
               int p111 = 0, int p112 = 0, int p113 = 0) {
    return {p102, p104, 0, 0, p103, p112, p110, p111, p107, p108, p109, p113, {}, {}};  // the record's order
}
// The reference program: 30 s each whole minute, beeps at 10 and 5..1, amber from 10, green from 5.
const SbComProg kTrente = Prog(30, 60, 60, -10, -5, 0, -5, -10);

// Each test simulates on the computer's time of day (mode 5, no offset) with the reference program.
class Simu : public ::testing::Test {
protected:
    void SetUp() override {
        SbComG = SbCom{};
        SbCrG = SbCr{};
        SbQ31CrG = SbQ31Cr{};
        Q31G.simu = Q31SimuBlock{};
        SbComG.simulation = 1;
        SbComG.synchro = {.mode = 5, .timeZone = 19};
        SbComG.progs[0] = kTrente;
        tempsG.clear();
        inputsG.clear();
        nowG = 1000.0;
        Q31SimuInit();
        Q31SimuSetSorties([](const SbChronoRec* r) { tempsG.push_back(*r); },
                          [](int i) { inputsG.push_back(i); });
        SetTimeSource([] { return nowG; },
                      [](int* h, int* m, int* s) {
                          const long long t = SecondOfDay();
                          std::tie(*h, *m, *s) = std::tuple(int(t / 3600), int(t % 3600 / 60), int(t % 60));
                      });
    }
    static constexpr long long Hms(int h, int m, int s) { return h * 3600LL + m * 60 + s; }
    static std::tuple<int, int, int> Heure() { return {SbCrG.hour, SbCrG.minute, SbCrG.second}; }
    // Takes the pending sound request as the sound player does (0 when none).
    static int PrendreSon() { return std::exchange(SbCrG.soundRequest, 0); }
    static void Pas(double dt) {
        nowG += dt;
        Q31SimuCr();
    }
    // Sets the local time (the timer's fraction kept) and makes a pass.
    static void Regler(int h, int m, int s) {
        dayAt0G = Hms(h, m, s) - std::floor(nowG);
        Pas(0.01);
    }
    // Passes every quarter second to the end of this one and makes the first pass of the next.
    static void Secondes(int n) {
        for (int i = 0; i < n; ++i) {
            const double debut = std::floor(nowG);
            for (double f : {0.25, 0.5, 0.75, 1.01})
                if (nowG < debut + f) Pas(debut + f - nowG);
        }
    }
    // Steps until a countdown runs (at most 90 s); returns the second of the day it began in.
    static long long AttendreDecompte() {
        for (int i = 0; i < 90 && !SbQ31CrG.status2; ++i) Secondes(1);
        return SbQ31CrG.status2 ? SecondOfDay() : -1;
    }
    // The second lights in that writing; a clock armed or idle shows the running second only.
    static std::string Anneau() {
        std::string r;
        for (auto v : SbQ31CrG.lights) r += v <= 3 ? ".RGA"[v] : '?';
        return r;
    }
    static std::string Courant() { return std::string(60, '.').replace(SbCrG.second, 1, "R"); }
    // The two digits as a number, -1 when they are not both decimal digits.
    static int Chiffres() {
        const auto *digits = Gen7Segments.begin(), *end = digits + 10;
        const long b = std::find(digits, end, SbQ31CrG.digitB) - digits,
                   c = std::find(digits, end, SbQ31CrG.digitC) - digits;
        return b < 10 && c < 10 ? int(b * 10 + c) : -1;
    }
};

// A program from arming to the next start: at given seconds the digits ("-" past zero), the big
// light (3: amber, blinking), the ring; each beep with its digits ("!" high tone, "z" zero).
TEST_F(Simu, CountdownsSecondBySecond) {
    struct Point {
        int at, digits, colour;  // seconds since counting began; colour -1 not looked at
        const char* ring;        // "" not looked at
    };
    struct Cas {
        const char* name;
        SbComProg prog;
        int h, m, s, debut;
        std::vector<Point> points;
        std::string beeps;
        int fin, armed;  // the second counting stops in (-1: not run that far); armed again after it
    };
    // clang-format off
    const Cas cas[] = {
        {"reference", kTrente, 10, 20, 40, Hms(10, 21, 0), {{0, 30, 1, "20R5A5G30."},
         {19, 11, 1, "19.1R5A5G30."}, {21, 9, 3, ""}, {26, 4, 2, ""}, {30, 0, -1, "60."}},
         "10 5 4 3 2 1!z ", 30, 1},
        {"colours exchanged (bit 0 only)", Prog(30, 60, 60, -10, -5, 0, -5, -10, 0, 0x81), 10, 20, 40,
         Hms(10, 21, 0), {{0, 30, 2, "20G5A5R30."}}, "", -1, 1},
        {"four minutes", Prog(240, 60, 0, 0, 0, 0, 0, -30, 0, 1), 10, 20, 40, Hms(10, 21, 0),
         {{0, 4, -1, "60."}, {1, 3, -1, "1.59G"}, {180, 1, -1, ""}, {181, 59, -1, "1.29G30A"},
          {240, 0, -1, ""}}, "1!z ", 240, 0},
        {"beeps past zero hold 00", Prog(10, 0, 0, 0, -2, 3), 10, 0, 0, Hms(10, 0, 1), {{12, 0, -1, ""}},
         "2 1!z 0 0 0 ", 13, 0},
        {"after-zero span, never a lap", Prog(30, 0, 0, 0, 0, 0, 0, 0, 100), 10, 20, 49, Hms(10, 20, 50),
         {{0, 30, -1, "20R30G10R"}, {35, -5, -1, ""}}, "1!z ", 130, 0},
        {"two digits cap at 99", Prog(6000, 60, 60), 10, 20, 40, Hms(10, 21, 0), {{0, 99, -1, ""},
         {61, 98, -1, ""}}, "", -1, 1},
        // The first target for alignments 15, 30, 60 and any other (the next second).
        {"15 at :31", Prog(30, 15, 60), 10, 20, 31, Hms(10, 20, 45), {}, "", -1, 1},
        {"30 at :29", Prog(30, 30, 60), 10, 20, 29, Hms(10, 20, 30), {}, "", -1, 1},
        {"30 at :30", Prog(30, 30, 60), 10, 20, 30, Hms(10, 21, 0), {}, "", -1, 1},
        {"7 at :59 into the next hour", Prog(30, 7, 60), 10, 59, 59, Hms(11, 0, 0), {}, "", -1, 1},
    };
    // clang-format on
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.name);
        SetUp();
        SbComG.progs[0] = c.prog;
        Regler(c.h, c.m, c.s);
        Q31SimuStartStop();
        EXPECT_EQ(PrendreSon(), 2) << "start plays the rising tones";
        ASSERT_EQ(AttendreDecompte(), c.debut);
        const auto& it = SbChronoQ31ItG;  // the start reference: zero's time of day
        const long long zero = Hms(it.Heures, it.Minutes, it.Secondes);
        EXPECT_EQ(std::tuple(std::string({it.Type, it.Marque, it.Canal}), zero - c.prog.p103),
                  std::tuple("IT ", c.debut));
        std::string beeps;
        size_t next = 0;
        const int steps = c.fin >= 0 ? c.fin : c.points.empty() ? 0 : c.points.back().at;
        for (int at = 0; at <= steps; ++at) {
            if (at > 0) Secondes(1);  // one more after the last one looked at, below
            SCOPED_TRACE("second " + std::to_string(at));
            ASSERT_EQ(SbQ31CrG.status2, at == c.fin ? 0 : 1);
            const int shown = SbQ31CrG.valueA ? -Chiffres() : Chiffres();
            if (PrendreSon() == 1)
                beeps += std::to_string(shown) + (SbCrG.soundNumber == 3 ? "!" : "") +
                         (std::exchange(SbQ31CrG.status4, 0) ? "z" : "") + " ";
            if (next == c.points.size() || c.points[next].at != at) continue;
            const Point& p = c.points[next++];
            EXPECT_EQ(shown, p.digits);
            std::string ring;  // written by runs: "20R5A5G30." is 20 red, 5 amber, 5 green, 30 off
            const char* r = p.ring;
            for (char* end; *r; r = end + 1) {
                const long n = std::strtol(r, &end, 10);
                ring.append(size_t(n), *end);
            }
            EXPECT_EQ(*p.ring ? Anneau() : "", ring);
            const int colour = SbQ31CrG.lightColour;
            if (p.colour == 3) Pas(0.6);  // amber blinks: off and on within its second
            if (p.colour >= 0)
                EXPECT_EQ(std::tuple(colour, SbQ31CrG.lightColour),
                          std::tuple(p.colour == 3 ? 0 : p.colour, p.colour));
        }
        Secondes(1);
        EXPECT_EQ(beeps, c.beeps);
        if (c.fin < 0) continue;  // over: armed for the next start (red light, blank digits) or idle
        EXPECT_EQ(std::tuple(int(SbQ31CrG.status1), SbQ31CrG.lightColour), std::tuple(c.armed, c.armed));
        EXPECT_EQ(std::tuple(Anneau(), SbQ31CrG.digitB), std::tuple(Courant(), 0));
        EXPECT_EQ(c.armed ? AttendreDecompte() : 0, c.armed ? c.debut + c.prog.p102 : 0);
    }
}

// Start/stop pauses a countdown (the digits stand), resumes it with the start reference moved on, or
// resets it when pausing is forbidden (falling tones, dark ring). Input 1 while armed lights the ring.
TEST_F(Simu, StartStopPausesOrResets) {
    Regler(10, 20, 40);
    Q31SimuStartStop();
    Secondes(20 + 5);  // 10:21:05, 25 shown
    Q31SimuStartStop();
    Secondes(10);
    EXPECT_EQ(std::tuple(Chiffres(), int(SbQ31CrG.status2), int(SbQ31CrG.status3)), std::tuple(25, 0, 1))
        << "paused";
    Q31SimuStartStop();  // resumed at 10:21:15 with 24 left
    EXPECT_EQ(std::tuple(SbChronoQ31ItG.Minutes, SbChronoQ31ItG.Secondes), std::tuple(21, 39));
    Secondes(1);
    EXPECT_EQ(std::tuple(Chiffres(), int(SbQ31CrG.status2), int(SbQ31CrG.status3)), std::tuple(24, 1, 0));
    SbComG.progs[0].p105 = 1;
    PrendreSon();
    Q31SimuStartStop();
    EXPECT_EQ(std::tuple(int(SbQ31CrG.status1), int(SbQ31CrG.status2), PrendreSon()), std::tuple(0, 0, 3))
        << "falling tones";
    EXPECT_EQ(Anneau(), std::string(60, '.'));
    Q31SimuStartStop();
    Q31SimuImpulsion(1);
    EXPECT_EQ(Anneau(), std::string(60, 'R'));
}

// The time of day: none (a zero blinking on red); the computer's, shifted by the zone (one outside the
// table shifts nothing); preset (mode 2), standing without a running light until the synchronising
// impulse (a high beep, no time), then going on, in SPLIT the competitor's last two digits blinking.
TEST_F(Simu, TimeOfDayBySynchronisationMode) {
    SbComG.synchro.mode = 0;
    std::vector<std::tuple<int, int, int>> seen;  // the digits and the big light
    for (int i = 0; i < 4; ++i) {
        Pas(0.3);
        EXPECT_EQ(std::tuple(Heure(), SbCrG.fraction, SbComG.p8Digit1),
                  std::tuple(std::tuple(0, 0, 0), 0, 0));
        seen.emplace_back(SbQ31CrG.digitB, SbQ31CrG.digitC, SbQ31CrG.lightColour);
    }
    EXPECT_EQ(seen,
              (std::vector<std::tuple<int, int, int>>{{0, 0x3F, 1}, {0, 0x3F, 1}, {0, 0, 1}, {0, 0, 1}}))
        << "a zero blinking on red";
    SbComG.synchro.mode = 5;  // on the computer's time: parameter 8's lamp lit
    // -3.5 across midnight, +12 across it the other way, -12, just outside the table.
    const int cas[][5] = {{23, 1, 10, 21, 40}, {0, 13, 0, 1, 0}, {35, 11, 59, 23, 59}, {36, 8, 30, 8, 30}};
    for (auto [zone, h, m, hShown, mShown] : cas) {
        SbComG.synchro.timeZone = zone;
        Regler(h, m, 17);
        EXPECT_EQ(std::tuple(Heure(), SbComG.p8Digit1), std::tuple(std::tuple(hShown, mShown, 17), 1))
            << zone;
    }
    SetUp();
    SbComG.mode = 1;
    SbComG.synchro = {.mode = 2, .hour = 9, .timeZone = 19};
    Q31G.simu.simuCompetitor = 123;
    Regler(14, 37, 25);
    Secondes(3);
    EXPECT_EQ(std::tuple(Heure(), SbQ31CrG.hourHand), std::tuple(std::tuple(9, 0, 0), 45));
    EXPECT_EQ(std::tuple(Anneau(), SbQ31CrG.digitB, SbQ31CrG.digitC), std::tuple(std::string(60, '.'), 0, 0));
    PrendreSon();
    Q31SimuImpulsion(1);  // 14:37:28
    EXPECT_EQ(std::tuple(PrendreSon(), SbCrG.soundNumber), std::tuple(1, 3));
    EXPECT_EQ(std::tuple(tempsG.size(), Q31G.simu.simuCountInput1), std::tuple(0u, 0));
    std::string blinks;
    for (int i = 0; i < 12; ++i) {
        Pas(0.35);
        blinks += Chiffres() == 23 ? 'n' : SbQ31CrG.digitB || SbQ31CrG.digitC ? '?' : ' ';
    }
    EXPECT_EQ(blinks, "      nn  n ");
    Secondes(28);  // 14:38:00
    EXPECT_EQ(Heure(), std::tuple(9, 1, 0));
    EXPECT_EQ(std::tuple(SbQ31CrG.lights[0], SbQ31CrG.light0Flag, SbComG.p8Digit1), std::tuple(1, 1, 0));
}

// The loop sleeps until a module asks for a time: the zero blinking without a time of day asks
// for each half second, the time of day for each second. Turned with no hook on the computer's
// clocks, the loop wakes for each; the times of the first pass and of each change seen.
std::vector<double> Changes(int (*watched)(), size_t n) {
    std::vector<double> at;
    int p, c, shown = -1;
    for (const double end = Timer() + 4; at.size() < n && Timer() < end;) {
        Q31SimuCr();
        if (std::exchange(shown, watched()) != watched()) at.push_back(Timer());
        SetNextWake(3);  // a bound, later than any wake the clock asks for
        GetUserEvent(0, &p, &c);
    }
    return at;
}

TEST_F(Simu, TheLoopWakesForEachBlinkAndEachSecond) {
    qstest::EnsureRuntime();
    SetTimeSource(nullptr, nullptr);
    SbComG.synchro.mode = 0;
    const auto blinks = Changes([] { return int(SbQ31CrG.digitC); }, 4);
    ASSERT_EQ(blinks.size(), 4u);
    EXPECT_LT(blinks[3] - blinks[1], 1.5);  // a second with the blink's wake, two without it
    SbComG.synchro.mode = 5;
    const auto seconds = Changes([] { return SbCrG.second; }, 2);
    ASSERT_EQ(seconds.size(), 2u);
    EXPECT_LT(seconds[1] - seconds[0], 1.5);  // three without the second's wake
}

// The input buttons hand a time per impulse with its channel and count (a damaged count starts again
// at 1; PTB has no competitor; a pass held 1.5 s in one second gives no second more). A run opens on
// that time with the next number (1 after 99) and fresh counters. Ten impulses are simulated in all.
TEST_F(Simu, ImpulsesRunsAndTheTenSimulated) {
    SbComG.mode = 1;
    Q31G.simu.simuCompetitor = 42;
    Regler(11, 5, 7);
    Pas(0.25);
    const std::string at = std::to_string(Hms(11, 5, 7)) + "." + std::to_string(SbCrG.fraction);
    Q31SimuSetInputControls(31, 32);  // the main window's input 1 and input 2 buttons
    for (int control : {31, 32, 31, 40}) FQ31SimuInput(1, control, EVENT_COMMIT, nullptr, 0, 0);
    FQ31SimuInput(1, 32, EVENT_LEFT_CLICK, nullptr, 0, 0);  // only a commit acts
    Q31G.simu.simuCountInput1 = INT32_MAX;
    Q31G.simu.simuCountInput2 = -7;
    SbComG.mode = 0;
    Q31SimuImpulsion(1);
    nowG += 1.5;
    Regler(11, 5, 7);
    Q31SimuImpulsion(2);
    std::string seen;
    for (const SbChronoRec& r : tempsG)
        seen += std::string({r.Type, r.Marque, r.Qualif, r.Canal}) + std::to_string(r.Numero) + " " +
                std::to_string(Hms(r.Heures, r.Minutes, r.Secondes)) + "." + std::to_string(r.Fraction) +
                " " + std::to_string(r.Concurrent) + " " + std::to_string(r.Complement) + "\n";
    EXPECT_EQ(seen, "TNM11 " + at + " 42 0\nTNM21 " + at + " 42 0\nTNM12 " + at + " 42 0\nTNM 0 " + at +
                        " 42 0\nTNM11 " + at + " 0 0\nTNM21 39907.99999 0 0\n");
    EXPECT_EQ(std::tuple(SbCrG.channel[0], SbCrG.channel[1]), std::tuple(1, 1));
    auto& run = SbComG.run;
    Q31G.simu.simuCompetitor = 12;
    run.next = 99;
    Q31SimuOuvrirManche();
    EXPECT_EQ(std::tuple(run.current, run.next, run.hour, run.minute, run.second),
              std::tuple(99, 1, 11, 5, 7));
    const Q31SimuBlock& simu = Q31G.simu;
    EXPECT_EQ(std::tuple(simu.simuCompetitor, simu.simuCountInput1, simu.simuCountInput2),
              std::tuple(0, 0, 0));
    for (int channel : {1, 2, 1, 2, 1, 2, 0}) Q31SimuImpulsion(channel);
    run.next = 0;
    Q31SimuOuvrirManche();  // a new run gives no ten more
    EXPECT_EQ(std::tuple(run.current, run.next), std::tuple(1, 2));
    Q31SimuImpulsion(1);
    Q31SimuFermerManche();
    SbComG.linkState = 1;
    Q31SimuInit();
    Q31SimuImpulsion(2);
    EXPECT_EQ(std::tuple(tempsG.size(), run.current), std::tuple(10u, 0));
    EXPECT_EQ(inputsG, (std::vector<int>{1, 2, 1, 2}));
}

}  // namespace
