// Live mirror of the clock on the main window (and, through it, on the second
// display): every control is written only when its value changed.
#pragma once

#include <array>
#include <cstdint>

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

// Light colour table: colour index 0..11 as 0xRRGGBB; any other index draws unlit.
int Q31CouleurLumiere(int index);
inline constexpr int kCouleurEteinte = 0x303030;

extern const char* const Q31TxtModeG[2];
extern const char* const Q31TxtPreciG[6];
extern const char* const Q31TxtExtensionG[5];
const char* Q31TexteMode(int mode);
const char* Q31TextePrecision(int precision);

// The change memory, shared with the background task's Ethernet and GSM watch.
struct Q31Memoire {
    int lightColour, minus, left, right, startState;
    std::array<int, 60> lights;
    int hourHand, minuteHand, linkLamp, p8Lamp;
    std::array<int, 4> ethernet;
    int gsm;
};
extern Q31Memoire Q31MemG;
