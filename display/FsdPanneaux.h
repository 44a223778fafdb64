// The second display's panels as the display modules share them: handles, the edit
// mode last applied and the scale the layout was last drawn at.
#pragma once

#include "display/FsdGeometre.h"

struct FsdPanneaux {
    int display = 0;                      // the display panel (top level)
    int countdown = 0;                    // the countdown window (child panel)
    int dial = 0;                         // the dial window (child panel)
    bool edit = false;                    // edit mode last applied
    FsdEchelle echelle;                   // the layout's scale in the display window
    int drawnHeight = 0, drawnWidth = 0;  // display size the layout was drawn for
};
extern FsdPanneaux FsdPanneauxG;

// Places every element for the display window's current size (no colours, no images).
void FsdPlacer();
// Re-places the layout when the operator has resized or maximised the display.
void FsdSuivreTaille();
// Places a window's own elements from its current size.
void FsdPlacerContenuDecompte();
void FsdPlacerContenuCadran();

// Callbacks of the display's panels (registered by name with the dialog's).
int FQ31_FsdGere(int panel, int control, int event, void* data, int eventData1, int eventData2);
int FQ31_FsdFenGere(int panel, int control, int event, void* data, int eventData1, int eventData2);
