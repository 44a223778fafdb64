// Live mirror of the clock on the main window (and, through it, on the second
// display): every control is written only when its value changed.
#pragma once

#include <array>
#include <cstdint>

#include "records/ClockTables.h"

void Q31InitAff(bool clearRecords, bool resetMemory);
void Q31AffManche(int run);
void Q31AffBoutonsSet();
void Q31AffBoutonsProg();
void Q31AffCadran();
void Q31AffChiffres();
void Q31AffVoyants();
void Q31AffExtensions();
void Q31GererBip();
void Q31AffRafraichir();

bool Q31Connecte();         // the link is open in any mode, or the clock is simulated
bool Q31ProgSelectionne();  // connected and a start program is selected

// The change memory, shared with the background task's Ethernet and GSM watch.
struct Q31Memoire {
    int lightColour, minus, left, right, startState;
    std::array<int, 60> lights;
    int hourHand, minuteHand, linkLamp, p8Lamp;
    std::array<int, 4> ethernet;
    int gsm;
};
extern Q31Memoire Q31MemG;
