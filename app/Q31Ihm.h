// The main window: load, translate, loop until quit, close.
#pragma once

#include "ui/MainPanel.h"  // Q31FIhmG, Q31TopBpG: set here, read by the layers below

extern int Q31QuitG;  // set to 1 to end the main loop

void Q31Ihm();
void Q31TacheDeFond(bool handleErrors);
void Q31ValidQuit(int panel);
void Q31FenTraduire();
