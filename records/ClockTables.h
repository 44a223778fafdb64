// The clock's light colours and the names of its modes, precisions and extension
// modules: shared by the main window, the second display, the times export and the
// settings pages, as the clock itself shows them.
#pragma once

// Light colour table: colour index 0..11 as 0xRRGGBB; any other index draws unlit.
int Q31CouleurLumiere(int index);
inline constexpr int kCouleurEteinte = 0x303030;

extern const char* const Q31TxtModeG[2];
extern const char* const Q31TxtPreciG[6];
extern const char* const Q31TxtExtensionG[5];
const char* Q31TexteMode(int mode);
const char* Q31TextePrecision(int precision);
