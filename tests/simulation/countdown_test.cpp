// Simulated countdowns: start alignment, digits, beeps, second lights, big light, zero,
// the next countdown, pause and reset.
#include <algorithm>
#include <string>
#include <vector>

#include "tests/simulation/SimuTestClock.h"

using namespace simutest;

namespace {

class Countdown : public SimuTest {
protected:
    static void Armer(int h, int m, int s) {
        Regler(h, m, s);
        Pas(0.01);
        Q31SimuStartStop();
    }
    // The ring of a clock waiting for its target, or idle: the running second light only.
    static std::string Courant() {
        return std::string(size_t(SbCrG.second), '.') + "R" + std::string(59 - size_t(SbCrG.second), '.');
    }
    // Steps until a countdown runs (at most `limite` seconds), checking on the way that
    // an armed clock shows the running light and blank digits; returns the second of
    // the day at which counting began, -1 if it never did.
    static long long AttendreDecompte(int limite) {
        for (int i = 0; i < limite; ++i) {
            Secondes(1);
            if (SbQ31CrG.status2) return SecondOfDay();
            EXPECT_EQ(Anneau() + char('0' + SbQ31CrG.digitB), Courant() + "0");
        }
        return -1;
    }
};

constexpr long long Hms(int h, int m, int s) {
    return h * 3600LL + m * 60 + s;
}
SbComProg Prog(int p103, int p104, int p102, int p107 = 0, int p108 = 0, int p109 = 0, int p110 = 0,
               int p111 = 0, int p112 = 0, int p113 = 0) {
    SbComProg p{};
    p.p103 = p103, p.p104 = p104, p.p102 = p102, p.p107 = p107, p.p108 = p108, p.p109 = p109;
    p.p110 = p110, p.p111 = p111, p.p112 = p112, p.p113 = p113;
    return p;
}
// The reference program: 30 s every minute on the whole minute, warning beep at 10,
// beeps 5..1, amber from 10, green from 5.
const SbComProg kTrente = Prog(30, 60, 60, -10, -5, 0, -5, -10);
SbComProg Avec(int32_t SbComProg::*champ, int valeur) {
    SbComProg p = kTrente;
    p.*champ = valeur;
    return p;
}
// The ring written by runs ("20R5A5G30." is 20 red, 5 amber, 5 green, 30 off).
std::string Runs(const char* r) {
    std::string out;
    for (int n = 0; *r; ++r) {
        if (*r >= '0' && *r <= '9') {
            n = n * 10 + (*r - '0');
        } else {
            out.append(size_t(n), *r);
            n = 0;
        }
    }
    return out;
}

// One program from arming to the end of its countdown. At given seconds the test looks
// at the digits ("-" past zero), the big light (3: amber, blinking) and the ring; every
// beep is noted with the digits it came with ("!" high tone, "z" zero flash).
TEST_F(Countdown, ProgramsSecondBySecond) {
    struct Point {
        int at, digits, colour;  // seconds since counting began; colour -1 not looked at
        const char* ring;        // "" not looked at
    };
    struct Cas {
        const char* name;
        SbComProg prog;
        int h, m, s;
        long long debut;
        std::vector<Point> points;
        std::string beeps;
        int fin;    // the second in which counting stops (-1: not run that far)
        int armed;  // still armed for the next start once it is over
    };
    // clang-format off
    const Cas cas[] = {
        {"reference", kTrente, 10, 20, 40, Hms(10, 21, 0), {{0, 30, 1, "20R5A5G30."},
         {19, 11, 1, "19.1R5A5G30."}, {21, 9, 3, ""}, {26, 4, 2, ""}, {30, 0, -1, "60."}},
         "10 5 4 3 2 1!z ", 30, 1},
        {"colours exchanged (bit 0 only)", Avec(&SbComProg::p113, 0x81), 10, 20, 40, Hms(10, 21, 0),
         {{0, 30, 2, "20G5A5R30."}}, "", -1, 1},
        {"four minutes", Prog(240, 60, 0, 0, 0, 0, 0, -30, 0, 1), 10, 20, 40, Hms(10, 21, 0),
         {{0, 4, -1, "60."}, {1, 3, -1, "1.59G"}, {180, 1, -1, ""}, {181, 59, -1, "1.29G30A"},
          {240, 0, -1, ""}},
         "1!z ", 240, 0},
        {"beeps past zero hold 00", Prog(10, 0, 0, 0, -2, 3), 10, 0, 0, Hms(10, 0, 1), {{12, 0, -1, ""}},
         "2 1!z 0 0 0 ", 13, 0},
        {"after-zero span, never a lap", Prog(30, 0, 0, 0, 0, 0, 0, 0, 100), 10, 20, 49, Hms(10, 20, 50),
         {{0, 30, -1, "20R30G10R"}, {35, -5, -1, ""}}, "1!z ", 130, 0},
        {"two digits cap at 99", Avec(&SbComProg::p103, 6000), 10, 20, 40, Hms(10, 21, 0),
         {{0, 99, -1, ""}, {61, 98, -1, ""}}, "", -1, 1},
        // The first target for alignments 15, 30, 60 and any other (the next second).
        {"15 at :10", Avec(&SbComProg::p104, 15), 10, 20, 10, Hms(10, 20, 15), {}, "", -1, 1},
        {"15 at :44", Avec(&SbComProg::p104, 15), 10, 20, 44, Hms(10, 20, 45), {}, "", -1, 1},
        {"15 at :45", Avec(&SbComProg::p104, 15), 10, 20, 45, Hms(10, 21, 0), {}, "", -1, 1},
        {"30 at :29", Avec(&SbComProg::p104, 30), 10, 20, 29, Hms(10, 20, 30), {}, "", -1, 1},
        {"30 at :30", Avec(&SbComProg::p104, 30), 10, 20, 30, Hms(10, 21, 0), {}, "", -1, 1},
        {"60 at :00", kTrente, 10, 20, 0, Hms(10, 21, 0), {}, "", -1, 1},
        {"60 into the next hour", kTrente, 10, 59, 40, Hms(11, 0, 0), {}, "", -1, 1},
        {"0 at :20", Avec(&SbComProg::p104, 0), 10, 20, 20, Hms(10, 20, 21), {}, "", -1, 1},
        {"7 at :59", Avec(&SbComProg::p104, 7), 10, 20, 59, Hms(10, 21, 0), {}, "", -1, 1},
    };
    // clang-format on
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.name);
        SetUp();
        SbComG.progs[0] = c.prog;
        Armer(c.h, c.m, c.s);
        EXPECT_EQ(PrendreSon(), 2) << "start plays the rising tones";
        ASSERT_EQ(AttendreDecompte(90), c.debut);
        const auto& it = SbChronoQ31ItG;  // the start reference: zero's time of day
        EXPECT_EQ(it.Heures * 3600LL + it.Minutes * 60 + it.Secondes, c.debut + c.prog.p103);
        EXPECT_EQ(std::string({it.Type, it.Marque, it.Canal}), "IT ");
        std::string beeps;
        size_t next = 0;
        const int steps = c.fin >= 0 ? c.fin : c.points.empty() ? 0 : c.points.back().at;
        for (int at = 0; at <= steps; ++at) {
            if (at > 0) Secondes(1);
            SCOPED_TRACE("second " + std::to_string(at));
            ASSERT_EQ(SbQ31CrG.status2, at == c.fin ? 0 : 1);
            const int shown = SbQ31CrG.valueA ? -Chiffres() : Chiffres();
            int tone = -1;
            if (PrendreSon(&tone) == 1)
                beeps += std::to_string(shown) + (tone == 3 ? "!" : "") + (SbQ31CrG.status4 ? "z" : "") + " ";
            SbQ31CrG.status4 = 0;
            if (next == c.points.size() || c.points[next].at != at) continue;
            const Point& p = c.points[next++];
            EXPECT_EQ(shown, p.digits);
            EXPECT_EQ(*p.ring ? Anneau() : "", Runs(p.ring));
            EXPECT_EQ(p.colour < 0 || p.colour == 3 ? p.colour : SbQ31CrG.lightColour, p.colour);
            if (p.colour != 3) continue;
            std::string seen(1, char('0' + SbQ31CrG.lightColour));  // amber blinks within its second
            for (int i = 0; i < 2; ++i) {
                Pas(0.3);
                seen += char('0' + SbQ31CrG.lightColour);
            }
            EXPECT_TRUE(seen.find_first_not_of("03") == seen.npos && seen.find('0') != seen.npos &&
                        seen.find('3') != seen.npos)
                << seen;
        }
        EXPECT_EQ(next, c.points.size());
        EXPECT_EQ(beeps, c.beeps);
        if (c.fin < 0) continue;
        Secondes(1);  // over: armed for the next start (red light, blank digits) or idle
        EXPECT_EQ(SbQ31CrG.status1, c.armed);
        EXPECT_EQ(SbQ31CrG.lightColour, c.armed);
        EXPECT_EQ(SbQ31CrG.digitB, kVide);
        EXPECT_EQ(Anneau(),
                  std::string(size_t(SbCrG.second), '.') + "R" + std::string(59 - size_t(SbCrG.second), '.'))
            << "the running second light";
        EXPECT_EQ(c.armed ? AttendreDecompte(60) : 0, c.armed ? c.debut + c.prog.p102 : 0);
    }
}

// Start/stop pauses a countdown (the digits stand) and resumes it with the start
// reference moved on; with pausing forbidden it resets: falling tones, a dark ring.
TEST_F(Countdown, StartStopPausesOrResets) {
    SbComG.progs[0] = kTrente;
    Armer(10, 20, 40);
    Secondes(20 + 5);  // 10:21:05, 25 shown
    Q31SimuStartStop();
    Secondes(10);
    EXPECT_EQ(Chiffres() * 100 + SbQ31CrG.status2 * 10 + SbQ31CrG.status3, 2501) << "paused";
    EXPECT_EQ(Anneau(), Courant());
    Q31SimuStartStop();  // resumed at 10:21:15 with 24 left
    EXPECT_EQ(SbChronoQ31ItG.Minutes * 60 + SbChronoQ31ItG.Secondes, 21 * 60 + 39);
    Secondes(1);
    EXPECT_EQ(Chiffres() * 100 + SbQ31CrG.status2 * 10 + SbQ31CrG.status3, 2410);
    Q31SimuStartStop();  // paused then reset: the pause flag stays until the next start
    Q31SimuReset();
    EXPECT_EQ(SbQ31CrG.status1 * 10 + SbQ31CrG.status3, 1);
    SbComG.progs[0].p105 = 1;
    Q31SimuStartStop();
    EXPECT_EQ(SbQ31CrG.status1 * 10 + SbQ31CrG.status3, 10);
    Secondes(50);  // 10:22:06, counting
    ASSERT_EQ(SbQ31CrG.status2, 1);
    PrendreSon();
    Q31SimuStartStop();
    EXPECT_EQ(SbQ31CrG.status1 + SbQ31CrG.status2 + SbQ31CrG.status3, 0);
    EXPECT_EQ(PrendreSon(), 3) << "reset plays the falling tones";
    EXPECT_EQ(Anneau(), std::string(60, '.'));
    Secondes(60);
    EXPECT_EQ(SbQ31CrG.status2, 0) << "no countdown after a reset";
}

TEST_F(Countdown, NoTimeOfDayBlinksZeroAndNeverCounts) {
    SbComG.synchro.mode = 0;
    SbComG.progs[0] = kTrente;
    Regler(10, 20, 40);
    std::string right;
    for (int i = 0; i < 8; ++i) {
        Pas(0.3);
        ASSERT_EQ(SbCrG.hour + SbCrG.minute + SbCrG.second + SbCrG.fraction + SbComG.p8Digit1, 0);
        ASSERT_EQ(SbQ31CrG.digitB * 10 + SbQ31CrG.lightColour, 1);
        right += SbQ31CrG.digitC == Motif(0) ? '0' : SbQ31CrG.digitC == kVide ? ' ' : '?';
    }
    EXPECT_TRUE(right.find('?') == right.npos && right.find('0') != right.npos &&
                right.find(' ') != right.npos)
        << "a blinking zero: " << right;
    Q31SimuStartStop();
    for (int i = 0; i < 130; ++i) {
        Secondes(1);
        ASSERT_EQ(SbQ31CrG.status2, 0) << "an armed program never reaches its target";
    }
    EXPECT_EQ(SbQ31CrG.status1, 1);
}

}  // namespace
