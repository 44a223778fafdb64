// Second display arithmetic: window proportions, the simulation mark's place and the
// scaling of the 960 x 720 layout onto whatever size the display window has.
#pragma once

#include "records/FsdParam.h"

inline constexpr int kFsdBordure = 4;   // the countdown window's border, outside it
inline constexpr int kFsdFondTop = 68;  // the background picture inside the display
inline constexpr int kFsdFondLeft = 8;
inline constexpr int kFsdFondHauteur = 644;
inline constexpr int kFsdFondLargeur = 944;

struct FsdRect {
    int top, left, height, width;
};

// Width of a window from its height: 3:2 for the countdown window (rounded down), square
// for the dial window.
int FsdLargeurFenetre(int window, int height);

// True when the dial window lies near the upper left corner, where it would cover the
// mark's second place: the mark then goes to its first place.
bool FsdMarquePremierePlace(const FsdWindow& dial);

// The countdown window's border: 4 pixels outside the window on every side.
FsdRect FsdBordure(const FsdWindow& countdown);

// Where the dial window's copy of the background lies inside it, so that the copy
// lines up with the display's picture.
FsdRect FsdCopieFond(const FsdWindow& dial);

// The layout drawn into a window of any size: scaled evenly and centred. A 960 x 720
// window gives scale 1 and no offset.
struct FsdEchelle {
    double scale = 1.0;
    int offsetTop = 0, offsetLeft = 0;
};
FsdEchelle FsdEchelleDe(int panelHeight, int panelWidth);
FsdRect FsdVersEcran(const FsdEchelle& e, FsdRect r);   // layout -> window pixels
FsdRect FsdVersLayout(const FsdEchelle& e, FsdRect r);  // window pixels -> layout

// Places of the countdown window's minus sign and two digits, from the window's size.
struct FsdPlacesDecompte {
    FsdRect minus, digit1, digit2;
};
FsdPlacesDecompte FsdPlacerDecompte(int height, int width);

// Places of the dial window's dial and its digital countdown (box, line, two digits).
struct FsdPlacesCadran {
    FsdRect dial, box, line, digit1, digit2;
};
FsdPlacesCadran FsdPlacerCadran(int height, int width);
