// The second-display section of the application parameters dialog.
#pragma once

#include <array>
#include <cstddef>

#include "panels/FQ31.h"

// The section's controls in the dialog's hover list, after the dialog's three captioned
// buttons: its switches, rings, colour choosers and buttons (none captioned).
inline constexpr std::array<int, 28> kQ31FsdSurvol = {fq31::PARAMS_TEXT_COLOR,
                                                      fq31::PARAMS_BACK_COLOR,
                                                      fq31::PARAMS_TEXT1_BACK,
                                                      fq31::PARAMS_TEXT2_BACK,
                                                      fq31::PARAMS_SHOW_BACKGROUND,
                                                      fq31::PARAMS_LOAD_BACKGROUND,
                                                      fq31::PARAMS_SHOW_DIGITAL,
                                                      fq31::PARAMS_WIN1_VISIBLE,
                                                      fq31::PARAMS_WIN2_VISIBLE,
                                                      fq31::PARAMS_LIGHT1_VISIBLE,
                                                      fq31::PARAMS_LIGHT1_MODE,
                                                      fq31::PARAMS_LIGHT2_VISIBLE,
                                                      fq31::PARAMS_LIGHT2_MODE,
                                                      fq31::PARAMS_LIGHT3_VISIBLE,
                                                      fq31::PARAMS_LIGHT3_MODE,
                                                      fq31::PARAMS_LIGHT4_VISIBLE,
                                                      fq31::PARAMS_LIGHT4_MODE,
                                                      fq31::PARAMS_LOGO1_VISIBLE,
                                                      fq31::PARAMS_LOGO1_LOAD,
                                                      fq31::PARAMS_LOGO2_VISIBLE,
                                                      fq31::PARAMS_LOGO2_LOAD,
                                                      fq31::PARAMS_LOGO3_VISIBLE,
                                                      fq31::PARAMS_LOGO3_LOAD,
                                                      fq31::PARAMS_LOGO4_VISIBLE,
                                                      fq31::PARAMS_LOGO4_LOAD,
                                                      fq31::PARAMS_EDIT,
                                                      fq31::PARAMS_SAVE,
                                                      fq31::PARAMS_LOAD};

// The image types the background and logo dialogs offer: those of "*.jpg;*.bmp;*.png;*.pcx;"
// that this build can show.
void Q31FsdTypesImages(char* out, size_t size);

void Q31FsdParamTraduire(int dialog);
void Q31FsdParamSet(int dialog, bool edit);
void Q31FsdParamGet(int dialog);
// Registers the section's control callbacks by name.
void Q31FsdEnregistrerCallbacks();
