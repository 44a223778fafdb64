// Second display arithmetic: proportions, the simulation mark's place and scaling.
#include "display/FsdGeometre.h"

#include <algorithm>
#include <cmath>

int FsdLargeurFenetre(int window, int height) {
    return window == FSD_WIN_COUNTDOWN ? height * 240 / 160 : height;
}

bool FsdMarquePremierePlace(const FsdWindow& dial) {
    return dial.top < 270 && dial.left < 210;
}

FsdRect FsdBordure(const FsdWindow& w) {
    return {w.top - kFsdBordure, w.left - kFsdBordure, w.height + 2 * kFsdBordure, w.width + 2 * kFsdBordure};
}

FsdRect FsdCopieFond(const FsdWindow& dial) {
    return {kFsdFondTop - dial.top, kFsdFondLeft - dial.left, kFsdFondHauteur, kFsdFondLargeur};
}

FsdEchelle FsdEchelleDe(int panelHeight, int panelWidth) {
    FsdEchelle e;
    if (panelHeight <= 0 || panelWidth <= 0) return e;
    e.scale = std::min(double(panelWidth) / kFsdLargeur, double(panelHeight) / kFsdHauteur);
    e.offsetTop = int(std::lround((panelHeight - kFsdHauteur * e.scale) / 2));
    e.offsetLeft = int(std::lround((panelWidth - kFsdLargeur * e.scale) / 2));
    return e;
}

FsdRect FsdVersEcran(const FsdEchelle& e, FsdRect r) {
    // Edges are scaled, not sizes, so neighbouring elements stay joined at any scale.
    const int top = e.offsetTop + int(std::lround(r.top * e.scale));
    const int left = e.offsetLeft + int(std::lround(r.left * e.scale));
    const int bottom = e.offsetTop + int(std::lround((r.top + r.height) * e.scale));
    const int right = e.offsetLeft + int(std::lround((r.left + r.width) * e.scale));
    return {top, left, bottom - top, right - left};
}

FsdRect FsdVersLayout(const FsdEchelle& e, FsdRect r) {
    if (e.scale <= 0) return r;
    return {int(std::lround((r.top - e.offsetTop) / e.scale)),
            int(std::lround((r.left - e.offsetLeft) / e.scale)), int(std::lround(r.height / e.scale)),
            int(std::lround(r.width / e.scale))};
}

FsdPlacesDecompte FsdPlacerDecompte(int height, int width) {
    // A digit is 0.6 as wide as high; the minus sign takes half a digit's width.
    const int margin = std::max(2, height / 12);
    int digitH = std::max(1, height - 2 * margin);
    int digitW = digitH * 6 / 10;
    const int usable = std::max(1, width - 2 * margin);
    if (digitW * 5 / 2 > usable) {  // a narrow window: fit the width instead
        digitW = usable * 2 / 5;
        digitH = digitW * 10 / 6;
    }
    const int minusW = digitW / 2;
    const int total = minusW + 2 * digitW;
    const int left = (width - total) / 2;
    const int top = (height - digitH) / 2;
    return {{top, left, digitH, minusW},
            {top, left + minusW, digitH, digitW},
            {top, left + minusW + digitW, digitH, digitW}};
}

FsdPlacesCadran FsdPlacerCadran(int height, int width) {
    const int side = std::max(1, std::min(height, width));
    const int top = (height - side) / 2;
    const int left = (width - side) / 2;
    // The digital countdown sits in the middle of the face, inside the tick marks.
    const int digitH = side * 17 / 100;
    const int digitW = digitH * 6 / 10;
    const int pad = std::max(2, digitH / 10);
    const int boxW = 2 * digitW + 4 * pad;
    const int boxH = digitH + 2 * pad;
    const int boxTop = top + side / 2 + side / 14;
    const int boxLeft = left + (side - boxW) / 2;
    FsdPlacesCadran p;
    p.dial = {top, left, side, side};
    p.box = {boxTop, boxLeft, boxH, boxW};
    p.line = {boxTop + boxH - pad / 2 - 1, boxLeft + pad, std::max(1, pad / 3), boxW - 2 * pad};
    p.digit1 = {boxTop + pad, boxLeft + 2 * pad, digitH, digitW};
    p.digit2 = {boxTop + pad, boxLeft + 2 * pad + digitW, digitH, digitW};
    return p;
}
