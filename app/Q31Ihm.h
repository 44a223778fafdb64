// The main window: load, translate, loop until quit, close.
#pragma once

extern int Q31FIhmG;      // the main window's panel handle
extern int Q31QuitG;      // set to 1 to end the main loop
extern double Q31TopBpG;  // time of the last left mouse press on the main window

void Q31Ihm();
void Q31TacheDeFond(bool handleErrors);
void Q31ValidQuit(int panel);
void Q31FenTraduire();
