// Second-display parameters: defaults and the bounds of a record read from a file.
#include "records/FsdParam.h"

#include <algorithm>
#include <cstring>

#include "lib/StrBuf.h"

namespace {

constexpr FsdLight kLights[4] = {{1, 100, 40, 120, 120, 0},
                                 {1, 570, 40, 120, 120, 0},
                                 {1, 100, 800, 120, 120, 0},
                                 {1, 570, 800, 120, 120, 0}};
constexpr int kLogoPos[4][2] = {{6, 6}, {6, 906}, {366, 16}, {366, 906}};
constexpr FsdWindow kWindows[2] = {{1, 504, 354, 160, 240}, {1, 110, 300, 360, 360}};

}  // namespace

void Q31FsdParamDefaut(FsdParam* r, bool full) {
    // The partial reset keeps the operator's images and logo sizes.
    char background[256];
    FsdLogo logos[4];
    memcpy(background, r->background, sizeof background);
    memcpy(logos, r->logos.data(), sizeof logos);

    memset(r, 0, sizeof *r);
    StrCopy(r->text1, "QS-310");
    StrCopy(r->text2, "Sabreline Timing");
    r->textColour = 0x554646;
    r->backColour = 0x202020;
    r->text1BackColour = 0xFFFFFF;
    r->text2BackColour = 0xFFFFFF;
    r->showBackground = 0;
    r->showDigital = 0;
    for (int k = 0; k < 4; ++k) {
        r->lights[k] = kLights[k];
        FsdLogo& logo = r->logos[k];
        logo.visible = 0;
        logo.top = kLogoPos[k][0];
        logo.left = kLogoPos[k][1];
        if (full) {
            logo.height = 48;
            logo.width = 48;
        } else {
            logo.height = logos[k].height;
            logo.width = logos[k].width;
            memcpy(logo.path, logos[k].path, sizeof logo.path);
        }
    }
    if (!full) memcpy(r->background, background, sizeof background);
    r->windows[FSD_WIN_COUNTDOWN] = kWindows[0];
    r->windows[FSD_WIN_DIAL] = kWindows[1];
}

namespace {

// Positions and sizes from a file are kept within the layout, which is all a screen
// shows of the display. A record from another computer asking for logos of 20,000 x
// 20,000 would otherwise take gigabytes each time the display is shown.
void Borner(int32_t* top, int32_t* left, int32_t* height, int32_t* width) {
    *top = std::clamp<int32_t>(*top, 0, kFsdHauteur);
    *left = std::clamp<int32_t>(*left, 0, kFsdLargeur);
    *height = std::clamp<int32_t>(*height, 0, kFsdHauteur);
    *width = std::clamp<int32_t>(*width, 0, kFsdLargeur);
}

}  // namespace

void Q31FsdParamTerminer(FsdParam* r) {
    // Text fields read from a file are terminated whatever it holds (valid files already are).
    r->text1[sizeof r->text1 - 1] = 0;
    r->text2[sizeof r->text2 - 1] = 0;
    r->background[sizeof r->background - 1] = 0;
    for (auto& logo : r->logos) logo.path[sizeof logo.path - 1] = 0;
    for (auto& l : r->lights) Borner(&l.top, &l.left, &l.height, &l.width);
    for (auto& l : r->logos) Borner(&l.top, &l.left, &l.height, &l.width);
    for (auto& w : r->windows) Borner(&w.top, &w.left, &w.height, &w.width);
}
