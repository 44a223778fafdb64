// The second display: a full-screen countdown for the public, driven by the same
// clock state as the main window's mirror.
#pragma once

void Q31FsdCharger();
void Q31FsdOuvrir();
void Q31FsdFermer();
void Q31FsdQuitter();
void Q31FsdInit(bool resize, bool edit);
void Q31FsdGetTaille();
void Q31FsdInitDigital(bool show);
bool Q31FsdAffiche();  // the display panel is shown

// Live rendering, called by the main window's refresh when a value changed.
void Q31FsdAffLumiere(int colourIndex);         // the four lights, each by its light mode
void Q31FsdAffChiffre(int digit, int pattern);  // digit 0 left, 1 right
void Q31FsdAffMoins(int value);
void Q31FsdAffPoint(int position, int colourIndex);  // dial window dot 0..59
void Q31FsdAffAiguille(bool hour, int position);
