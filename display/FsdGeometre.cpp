// Second display arithmetic: proportions, the simulation mark's place and scaling.
#include "display/FsdGeometre.h"

#include <algorithm>
#include <cmath>

namespace {

// Positions and sizes come from the record, that is from a file: the arithmetic is done
// in 64 bits and its results kept within a range no screen reaches, so no value can overflow.
constexpr long long kBorne = 1000000;
int Borne(long long v) {
    return int(std::clamp(v, -kBorne, kBorne));
}

}  // namespace

int FsdLargeurFenetre(int window, int height) {
    return window == FSD_WIN_COUNTDOWN ? Borne(static_cast<long long>(height) * 240 / 160) : height;
}

bool FsdMarquePremierePlace(const FsdWindow& dial) {
    return dial.top < 270 && dial.left < 210;
}

FsdRect FsdBordure(const FsdWindow& w) {
    using L = long long;
    return {Borne(L(w.top) - kFsdBordure), Borne(L(w.left) - kFsdBordure),
            Borne(L(w.height) + 2 * kFsdBordure), Borne(L(w.width) + 2 * kFsdBordure)};
}

FsdRect FsdCopieFond(const FsdWindow& dial) {
    return {Borne(kFsdFondTop - static_cast<long long>(dial.top)),
            Borne(kFsdFondLeft - static_cast<long long>(dial.left)), kFsdFondHauteur, kFsdFondLargeur};
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
    const double top = r.top, left = r.left, height = r.height, width = r.width;
    const long long t = Borne(e.offsetTop + std::llround(top * e.scale));
    const long long l = Borne(e.offsetLeft + std::llround(left * e.scale));
    const long long b = Borne(e.offsetTop + std::llround((top + height) * e.scale));
    const long long rt = Borne(e.offsetLeft + std::llround((left + width) * e.scale));
    return {int(t), int(l), int(b - t), int(rt - l)};
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
