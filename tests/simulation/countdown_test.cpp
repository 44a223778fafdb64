// Simulated countdowns: start alignment, arc, digits, beeps, zero, pause and reset.
#include <algorithm>
#include <string>
#include <vector>

#include "simulation/Q31Simu.h"
#include "tests/simulation/SimuTestClock.h"

using namespace simutest;

namespace {

class Countdown : public SimuTest {
protected:
    // Program 0 of the reference countdown: 30 s every minute on the whole minute,
    // warning at 10, beeps 5..1, amber 10 s, green 5 s.
    static void Programme30() {
        auto& p = SbComG.progs[0];
        p.p104 = 60;
        p.p103 = 30;
        p.p102 = 60;
        p.p107 = -10;
        p.p108 = -5;
        p.p109 = 0;
        p.p110 = -5;
        p.p111 = -10;
        p.p112 = 0;
        p.p113 = 0;
    }
    // Starts the program at the given time of day and returns once the clock is armed.
    static void DemarrerA(int h, int m, int s) {
        Regler(h, m, s);
        Pas(0.01);
        Q31SimuStartStop();
    }
    // Steps second by second until a countdown is active; returns the local second
    // count of the day at which it began, -1 when none began within `limite` seconds.
    static int AttendreDecompte(int limite) {
        for (int i = 0; i < limite; ++i) {
            SecondeSuivante();
            if (SbQ31CrG.status2) {
                int h, m, s;
                HeureLocale(&h, &m, &s);
                return h * 3600 + m * 60 + s;
            }
        }
        return -1;
    }
    static int Hms(int h, int m, int s) { return h * 3600 + m * 60 + s; }
};

TEST_F(Countdown, ThirtySecondsEveryMinuteSecondBySecond) {
    HeureOrdinateur();
    Programme30();
    DemarrerA(10, 20, 40);
    EXPECT_EQ(PrendreSon(), 2) << "start plays the rising tones";
    EXPECT_EQ(SbQ31CrG.status1, 1);
    EXPECT_EQ(SbQ31CrG.lightColour, 1);

    // Armed: one running light, red light, blank digits, until the whole minute.
    for (int i = 0; i < 19; ++i) {
        SecondeSuivante();
        ASSERT_EQ(SbQ31CrG.status2, 0);
        ASSERT_EQ(SbQ31CrG.digitB, kVide);
        ASSERT_EQ(SbQ31CrG.lightColour, 1);
        ASSERT_EQ(SbQ31CrG.lights[size_t(41 + i)], 1);
        ASSERT_EQ(std::count(SbQ31CrG.lights.begin(), SbQ31CrG.lights.end(), 0), 59);
    }

    // 10:21:00: counting begins with 30; zero falls at 10:21:30.
    SecondeSuivante();
    ASSERT_EQ(SbCrG.hour, 10);
    ASSERT_EQ(SbCrG.minute, 21);
    ASSERT_EQ(SbCrG.second, 0);
    ASSERT_EQ(SbQ31CrG.status2, 1);
    EXPECT_EQ(Anneau(),
              std::string(20, 'R') + std::string(5, 'A') + std::string(5, 'G') + std::string(30, '.'));
    EXPECT_EQ(SbChronoQ31ItG.Heures, 10);
    EXPECT_EQ(SbChronoQ31ItG.Minutes, 21);
    EXPECT_EQ(SbChronoQ31ItG.Secondes, 30);
    EXPECT_EQ(SbChronoQ31ItG.Type, 'I');
    EXPECT_EQ(SbChronoQ31ItG.Marque, 'T');
    EXPECT_EQ(SbChronoQ31ItG.Canal, ' ');
    EXPECT_EQ(SbQ31CrG.lightColour, 1);

    std::vector<int> bips;  // remaining times at which a beep was asked
    int toneAtZeroStep = -1;
    int zeroFlashAt = -1;
    for (int r = 30; r >= 0; --r) {
        SCOPED_TRACE("remaining " + std::to_string(r));
        if (r != 30) SecondeSuivante();
        ASSERT_EQ(SbCrG.second, 30 - r);
        ASSERT_EQ(Chiffres(), r);
        ASSERT_EQ(SbQ31CrG.valueA, 0);
        // The positions already passed are off; the current one still shows.
        for (int p = 0; p < 30 - r; ++p) ASSERT_EQ(SbQ31CrG.lights[size_t(p)], 0) << p;
        int tone = -1;
        if (PrendreSon(&tone) == 1) {
            bips.push_back(r);
            if (r == 1) toneAtZeroStep = tone;
        }
        if (SbQ31CrG.status4) {
            zeroFlashAt = r;
            SbQ31CrG.status4 = 0;
        }
        const int pos = 30 - r;
        if (pos < 20) EXPECT_EQ(SbQ31CrG.lightColour, 1);
        if (pos >= 25 && pos < 30) EXPECT_EQ(SbQ31CrG.lightColour, 2);
    }
    EXPECT_EQ(bips, (std::vector<int>{10, 5, 4, 3, 2, 1}));
    EXPECT_EQ(zeroFlashAt, 1) << "the zero flash comes in the step that shows 01";
    EXPECT_EQ(toneAtZeroStep, 3) << "with the high tone";

    // 10:21:31: the countdown is over, the program stays armed for the next minute.
    SecondeSuivante();
    EXPECT_EQ(SbQ31CrG.status2, 0);
    EXPECT_EQ(SbQ31CrG.status1, 1);
    EXPECT_EQ(SbQ31CrG.digitB, kVide);
    EXPECT_EQ(SbQ31CrG.lightColour, 1);
    EXPECT_EQ(AttendreDecompte(60), Hms(10, 22, 0));
    EXPECT_EQ(Chiffres(), 30);
    EXPECT_EQ(SbChronoQ31ItG.Minutes, 22);
    EXPECT_EQ(SbChronoQ31ItG.Secondes, 30);
}

TEST_F(Countdown, AmberPositionBlinksTheBigLight) {
    HeureOrdinateur();
    Programme30();
    DemarrerA(10, 20, 40);
    Secondes(20 + 21);  // 10:21:21: position 21 is amber
    ASSERT_EQ(SbQ31CrG.lights[21], 3);
    std::vector<int> couleurs;
    for (int i = 0; i < 6; ++i) {
        Pas(0.3);
        couleurs.push_back(SbQ31CrG.lightColour);
    }
    EXPECT_NE(std::count(couleurs.begin(), couleurs.end(), 3), 0);
    EXPECT_NE(std::count(couleurs.begin(), couleurs.end(), 0), 0);
    EXPECT_EQ(
        std::count(couleurs.begin(), couleurs.end(), 3) + std::count(couleurs.begin(), couleurs.end(), 0), 6);
}

TEST_F(Countdown, ExchangedColoursSwapRedAndGreenOnly) {
    HeureOrdinateur();
    Programme30();
    SbComG.progs[0].p113 = 0x81;  // only bit 0 counts
    DemarrerA(10, 20, 40);
    ASSERT_EQ(AttendreDecompte(30), Hms(10, 21, 0));
    EXPECT_EQ(Anneau(),
              std::string(20, 'G') + std::string(5, 'A') + std::string(5, 'R') + std::string(30, '.'));
    EXPECT_EQ(SbQ31CrG.lightColour, 2);
}

TEST_F(Countdown, FourMinutesWithRedAndGreenExchanged) {
    HeureOrdinateur();
    auto& p = SbComG.progs[0];
    p.p103 = 240;
    p.p104 = 60;
    p.p102 = 0;
    p.p110 = 0;
    p.p111 = -30;
    p.p112 = 0;
    p.p113 = 1;
    p.p109 = 0;
    DemarrerA(10, 20, 40);
    ASSERT_EQ(AttendreDecompte(30), Hms(10, 21, 0));
    EXPECT_EQ(Chiffres(), 4);
    EXPECT_EQ(Anneau(), std::string(60, '.')) << "240 s are whole minutes: the ring is dark";

    SecondeSuivante();  // 239 left
    EXPECT_EQ(Chiffres(), 3);
    EXPECT_EQ(Anneau(), "." + std::string(59, 'G'));

    Secondes(179);  // 10:24:00, 60 left: still the minutes
    EXPECT_EQ(Chiffres(), 1);
    SecondeSuivante();  // 10:24:01, 59 left: the ring is drawn again
    EXPECT_EQ(Chiffres(), 59);
    EXPECT_EQ(Anneau(), "." + std::string(29, 'G') + std::string(30, 'A'));

    Secondes(58);  // 10:24:59 shows 01 and flashes zero
    EXPECT_EQ(Chiffres(), 1);
    EXPECT_EQ(SbQ31CrG.status4, 1);
    SecondeSuivante();  // 00
    EXPECT_EQ(Chiffres(), 0);
    SecondeSuivante();  // over: no interval, so the program stops
    EXPECT_EQ(SbQ31CrG.status2, 0);
    EXPECT_EQ(SbQ31CrG.status1, 0);
    EXPECT_EQ(SbQ31CrG.lightColour, 0);
    EXPECT_EQ(SbQ31CrG.digitB, kVide);
    EXPECT_EQ(SbQ31CrG.lights[1], 1) << "idle: the running second light";
}

TEST_F(Countdown, AlignmentChoosesTheFirstTarget) {
    struct Cas {
        int alignment, second, attendu;  // attendu: second of the day counted from 10:20:00
    };
    const Cas cas[] = {
        {15, 10, 15}, {15, 44, 45}, {15, 45, 60}, {30, 29, 30},
        {30, 30, 60}, {60, 0, 60},  {0, 20, 21},  {7, 59, 60},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE("alignment " + std::to_string(c.alignment) + " at second " + std::to_string(c.second));
        SetUp();
        HeureOrdinateur();
        Programme30();
        SbComG.progs[0].p104 = c.alignment;
        DemarrerA(10, 20, c.second);
        EXPECT_EQ(AttendreDecompte(90), Hms(10, 20, 0) + c.attendu);
    }
}

TEST_F(Countdown, BeepWindowPastZeroHoldsTheCountdownAtZero) {
    HeureOrdinateur();
    auto& p = SbComG.progs[0];
    p.p104 = 0;
    p.p103 = 10;
    p.p102 = 0;
    p.p108 = -2;
    p.p109 = 3;  // beeps go on until 3 s after zero
    DemarrerA(10, 0, 0);
    PrendreSon();
    ASSERT_EQ(AttendreDecompte(3), Hms(10, 0, 1));
    std::vector<int> tons;  // tone of each beep, in order
    int actifsApresZero = 0;
    for (int i = 0; i < 16; ++i) {
        if (i > 0) SecondeSuivante();
        int tone = -1;
        if (PrendreSon(&tone) == 1) tons.push_back(tone);
        if (i > 10 && SbQ31CrG.status2) {
            ++actifsApresZero;
            EXPECT_EQ(Chiffres(), 0) << "past zero without an after-zero span the digits stay at 00";
            EXPECT_EQ(SbQ31CrG.valueA, 0);
        }
    }
    // 2, then 1 with the zero's high tone, then 0, -1, -2; -3 closes the window in silence.
    EXPECT_EQ(tons, (std::vector<int>{0, 3, 0, 0, 0}));
    EXPECT_EQ(actifsApresZero, 2) << "still counting after the steps of -1 and -2; the step of -3 ends it";
    EXPECT_EQ(SbQ31CrG.status1, 0);
}

TEST_F(Countdown, PauseKeepsTheDigitsAndResumeMovesTheReference) {
    HeureOrdinateur();
    Programme30();
    DemarrerA(10, 20, 40);
    Secondes(20 + 5);  // 10:21:05, 25 shown, 24 left
    ASSERT_EQ(Chiffres(), 25);
    Q31SimuStartStop();
    EXPECT_EQ(SbQ31CrG.status2, 0);
    EXPECT_EQ(SbQ31CrG.status3, 1);
    Secondes(10);
    EXPECT_EQ(Chiffres(), 25) << "paused: the digits stand";
    EXPECT_EQ(std::count(SbQ31CrG.lights.begin(), SbQ31CrG.lights.end(), 1), 1);
    Q31SimuStartStop();  // resume at 10:21:15 with 24 left
    EXPECT_EQ(SbQ31CrG.status2, 1);
    EXPECT_EQ(SbQ31CrG.status3, 0);
    EXPECT_EQ(SbChronoQ31ItG.Minutes, 21);
    EXPECT_EQ(SbChronoQ31ItG.Secondes, 39);
    SecondeSuivante();
    EXPECT_EQ(Chiffres(), 24);

    // Paused then reset: the pause flag stays until the next start clears it.
    Q31SimuStartStop();
    Q31SimuReset();
    EXPECT_EQ(SbQ31CrG.status1, 0);
    EXPECT_EQ(SbQ31CrG.status3, 1);
    Q31SimuStartStop();
    EXPECT_EQ(SbQ31CrG.status1, 1);
    EXPECT_EQ(SbQ31CrG.status3, 0);
}

TEST_F(Countdown, StopResetsWhenPausingIsForbidden) {
    HeureOrdinateur();
    Programme30();
    SbComG.progs[0].p105 = 1;
    DemarrerA(10, 20, 40);
    Secondes(25);
    ASSERT_EQ(SbQ31CrG.status2, 1);
    PrendreSon();
    Q31SimuStartStop();
    EXPECT_EQ(SbQ31CrG.status1, 0);
    EXPECT_EQ(SbQ31CrG.status2, 0);
    EXPECT_EQ(SbQ31CrG.status3, 0);
    EXPECT_EQ(PrendreSon(), 3) << "reset plays the falling tones";
    EXPECT_EQ(Anneau(), std::string(60, '.'));
    SecondeSuivante();
    EXPECT_EQ(SbQ31CrG.status2, 0) << "no countdown after a reset";
}

TEST_F(Countdown, NoTimeOfDayNoCountdown) {
    SbComG.synchro.mode = 0;
    Programme30();
    Regler(10, 20, 40);
    std::vector<int> droite;
    for (int i = 0; i < 8; ++i) {
        Pas(0.3);
        ASSERT_EQ(SbCrG.hour, 0);
        ASSERT_EQ(SbCrG.minute, 0);
        ASSERT_EQ(SbCrG.second, 0);
        ASSERT_EQ(SbCrG.fraction, 0);
        ASSERT_EQ(SbQ31CrG.digitB, kVide);
        ASSERT_EQ(SbQ31CrG.lightColour, 1);
        droite.push_back(SbQ31CrG.digitC);
    }
    EXPECT_NE(std::count(droite.begin(), droite.end(), Motif(0)), 0) << "a blinking zero";
    EXPECT_NE(std::count(droite.begin(), droite.end(), kVide), 0);
    EXPECT_EQ(SbComG.p8Digit1, 0);

    Q31SimuStartStop();
    for (int i = 0; i < 130; ++i) {
        SecondeSuivante();
        ASSERT_EQ(SbQ31CrG.status2, 0) << "an armed program never reaches its target";
    }
    EXPECT_EQ(SbQ31CrG.status1, 1);
}

TEST_F(Countdown, TwoDigitsCapLongCountdownsAtNinetyNine) {
    HeureOrdinateur();
    Programme30();
    SbComG.progs[0].p103 = 6000;  // 100 minutes
    DemarrerA(10, 20, 40);
    Secondes(20);
    ASSERT_EQ(SbQ31CrG.status2, 1);
    EXPECT_EQ(Chiffres(), 99);
    Secondes(61);  // 98 minutes and 59 s left: 98
    EXPECT_EQ(Chiffres(), 98);
}

TEST_F(Countdown, AfterZeroSpanCountsBelowZeroAndNeverLapsTheRing) {
    HeureOrdinateur();
    auto& p = SbComG.progs[0];
    p.p104 = 0;  // the next second
    p.p103 = 30;
    p.p102 = 0;
    p.p109 = 0;
    p.p110 = 0;
    p.p111 = 0;
    p.p112 = 100;  // counts on 100 s after zero
    DemarrerA(10, 20, 49);
    ASSERT_EQ(AttendreDecompte(5), Hms(10, 20, 50));
    // 30 s to zero from position 50: 50..59 and 0..19 in the arc colour; the after-zero
    // span is green but only up to one turn, never over the seconds still to come.
    EXPECT_EQ(Anneau(), std::string(20, 'R') + std::string(30, 'G') + std::string(10, 'R'));

    Secondes(35);  // 10:21:25, 5 s after zero
    EXPECT_EQ(Chiffres(), 5);
    EXPECT_EQ(SbQ31CrG.valueA, 1) << "minus sign after zero";
    Secondes(100);  // past -100: over
    EXPECT_EQ(SbQ31CrG.status2, 0);
    EXPECT_EQ(SbQ31CrG.status1, 0);
}

TEST_F(Countdown, HandsAndParameterEightFollowTheTimeOfDay) {
    HeureOrdinateur();
    Regler(22, 45, 10);
    Pas(0.01);
    EXPECT_EQ(SbQ31CrG.hourHand, 53);  // (10 + 45/60) x 5
    EXPECT_EQ(SbQ31CrG.minuteHand, 45);
    EXPECT_EQ(SbComG.p8Digit1, 1);
    EXPECT_EQ(SbQ31CrG.lights[10], 1);
    Pas(0.4);
    EXPECT_GT(SbCrG.fraction, 30000);
    EXPECT_LT(SbCrG.fraction, 100000);
}

}  // namespace
