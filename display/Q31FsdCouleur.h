// Colour of a second-display light: a light in mode 0 follows every light state; a
// light in mode n is lit only in state n and dark otherwise.
#pragma once

int Q31FsdCouleurFeu(int mode, int state);
