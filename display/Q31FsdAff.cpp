// Live rendering of the clock state on the second display, and on the browsers of the
// live view. The main window's change memory calls these only when a value changed,
// so nothing is redrawn or sent needlessly.
#include <array>

#include "display/FsdPanneaux.h"
#include "display/Q31Fsd.h"
#include "display/Q31FsdCouleur.h"
#include "display/WebView.h"
#include "panels/FQ31_SD.h"
#include "platform/cvi.h"
#include "records/ClockTables.h"
#include "records/Q31Config.h"

using namespace fq31_sd;

int Q31FsdCouleurFeu(int mode, int state) {
    return Q31CouleurLumiere(mode == 0 || mode == state ? state : 0);
}

void Q31FsdAffLumiere(int colourIndex) {
    const FsdPanneaux& p = FsdPanneauxG;
    std::array<int, 4> colours;
    for (int k = 0; k < 4; ++k)
        colours[size_t(k)] = Q31FsdCouleurFeu(Q31G.secondDisplay.lights[k].mode, colourIndex);
    WebViewNoteLights(Q31FsdCouleurFeu(0, colourIndex), colours);
    if (p.display <= 0) return;
    FsdSuivreTaille();
    constexpr std::array<int, 4> kLights = {DISPLAY_LIGHT1, DISPLAY_LIGHT2, DISPLAY_LIGHT3, DISPLAY_LIGHT4};
    for (int k = 0; k < 4; ++k) {
        // A light whose own colour stays (a light kept for another state) is not redrawn.
        const int colour = Q31FsdCouleurFeu(Q31G.secondDisplay.lights[k].mode, colourIndex);
        int shown = -1, lit = 0;
        GetCtrlAttribute(p.display, kLights[k], ATTR_ON_COLOR, &shown);
        GetCtrlVal(p.display, kLights[k], &lit);
        if (shown == colour && lit) continue;
        SetCtrlAttribute(p.display, kLights[k], ATTR_ON_COLOR, colour);
        SetCtrlVal(p.display, kLights[k], 1);
    }
}

void Q31FsdAffChiffre(int digit, int pattern) {
    const FsdPanneaux& p = FsdPanneauxG;
    WebViewNoteDigit(digit, pattern);
    if (p.display <= 0) return;
    FsdSuivreTaille();
    pattern &= 0x7F;
    SetCtrlVal(p.countdown, digit == 0 ? COUNTDOWN_DIGIT1 : COUNTDOWN_DIGIT2, pattern);
    if (Q31G.secondDisplay.showDigital)
        SetCtrlVal(p.dial, digit == 0 ? DIAL_WIN_DIGIT1 : DIAL_WIN_DIGIT2, pattern);
}

void Q31FsdAffMoins(int value) {
    WebViewNoteMinus(value);
    if (FsdPanneauxG.display <= 0) return;
    SetCtrlVal(FsdPanneauxG.countdown, COUNTDOWN_MINUS, value ? 1 : 0);
}

void Q31FsdAffPoint(int position, int colourIndex) {
    WebViewNoteDot(position, Q31CouleurLumiere(colourIndex));
    if (FsdPanneauxG.display <= 0 || position < 0 || position >= 60) return;
    SetCtrlIndexVal(FsdPanneauxG.dial, DIAL_WIN_DIAL, position, Q31CouleurLumiere(colourIndex));
}

void Q31FsdAffAiguille(bool hour, int position) {
    WebViewNoteHand(hour, position);
    if (FsdPanneauxG.display <= 0) return;
    FsdSuivreTaille();
    SetCtrlAttribute(FsdPanneauxG.dial, DIAL_WIN_DIAL, hour ? ATTR_HOUR_HAND : ATTR_MINUTE_HAND,
                     ((position % 60) + 60) % 60);
}
