// State of the simulated clock kept for the whole run of the program, and the
// helpers its steps share (time base, program 0, ring and digits).
#pragma once

#include "records/SbComRecord.h"

struct Q31SimuEtat {
    int remaining = 0;     // seconds left in the countdown; negative after zero
    int lowerBound = 0;    // lowest remaining time still counted and shown
    int beepEnd = 0;       // -parameter 109
    int targetMinute = 0;  // next moment at which a countdown begins
    int targetSecond = 0;
    int shownMinutes = 0;           // remaining minutes for which the ring was last drawn
    int lastSecond = 0;             // simulated second at the previous step
    int numberPhase = 0;            // competitor number blink: 0 blank next, 1 show next
    int impulseCount = 0;           // simulated impulses in this run of the program (10 at most)
    double lastSecondChange = 0.0;  // timer marks
    double lastZeroBlink = 0.0;
    double lastNumberBlink = 0.0;
    double lastAmberBlink = 0.0;
};

extern Q31SimuEtat Q31SimuEtatG;

inline constexpr int kSimuImpulsionsMax = 10;
inline constexpr double kSimuDemiSeconde = 0.5;

// Program 0: the program as the clock is running it.
inline const SbComProg& SimuProg() {
    return SbComG.progs[0];
}
inline int SimuModeSynchro() {
    return SbComG.synchro.mode;
}

// Local time of the computer (second kept in 0..59).
void SimuHeureLocale(int* h, int* m, int* s);

// Left and right digits of a remaining time (capped at 99) or a competitor number
// (last two digits).
void SimuAfficherDuree(int value);
void SimuAfficherNumero(int value);
void SimuEffacerChiffres();
void SimuEteindreAnneau();
