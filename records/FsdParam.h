// The second-display parameter record: what the public display shows, where, and
// in which colours. Part of the application record, and the whole of a ".q31fsd" file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "lib/Endian.h"

struct FsdLight {  // 24 bytes
    int32_t visible, top, left, height, width;
    int32_t mode;  // 0: every colour; 1..11: lit only in that colour index
};
static_assert(sizeof(FsdLight) == 24);

struct FsdLogo {  // 276 bytes
    int32_t visible, top, left, height, width;
    char path[256];  // relative to the program folder ("Data\\logo.png")
};
static_assert(sizeof(FsdLogo) == 276);

struct FsdWindow {  // 20 bytes
    int32_t visible, top, left, height, width;
};
static_assert(sizeof(FsdWindow) == 20);

struct FsdParam {
    char text1[256];
    char text2[256];
    char background[256];  // background image path
    int32_t textColour;
    int32_t backColour;
    int32_t text1BackColour;
    int32_t text2BackColour;
    int32_t showBackground;
    int32_t showDigital;  // digital countdown in the dial window
    std::array<uint8_t, 8> unused;
    std::array<FsdLight, 4> lights;
    std::array<FsdLogo, 4> logos;
    std::array<FsdWindow, 2> windows;  // countdown window, dial window
};
static_assert(sizeof(FsdParam) == 2040);
static_assert(offsetof(FsdParam, background) == 512);
static_assert(offsetof(FsdParam, textColour) == 768);
static_assert(offsetof(FsdParam, showDigital) == 788);
static_assert(offsetof(FsdParam, lights) == 800);
static_assert(offsetof(FsdParam, logos) == 896);
static_assert(offsetof(FsdParam, windows) == 2000);

enum { FSD_WIN_COUNTDOWN = 0, FSD_WIN_DIAL = 1 };

inline constexpr int kFsdLargeur = 960;  // the layout's own size, in which the record counts
inline constexpr int kFsdHauteur = 720;

// Full defaults (full true) or partial defaults keeping image paths and logo sizes.
void Q31FsdParamDefaut(FsdParam* record, bool full);
// Makes a record read from a file safe to lay out: terminates every text field and keeps
// every position and size within the 960 x 720 layout (tops and heights 0..720, lefts
// and widths 0..960).
void Q31FsdParamTerminer(FsdParam* record);
