// The main window's controls grouped by role: one place that ties the panel
// resource's control numbers to what the window's code does with them.
#pragma once

#include <array>

#include "panels/FQ31.h"

namespace q31c {
using namespace fq31;

// Hover list in its fixed order; the first 19 show their caption only under the mouse.
inline constexpr int kCaptioned = 19;
inline constexpr std::array<int, 32> kSurvol = {
    MAIN_CONNECT_SWITCH, MAIN_FSD_SWITCH,   MAIN_KEYS_SWITCH,   MAIN_Q12_SWITCH,
    MAIN_PARAMS,         MAIN_DOC,          MAIN_ABOUT,         MAIN_QUIT,
    MAIN_TIMES_REFRESH,  MAIN_TIMES_SAVE,   MAIN_TIMES_LOAD,    MAIN_TIMES_PRINT,
    MAIN_TIMES_CLEAR,    MAIN_TIMES_NORMAL, MAIN_TIMES_INVALID, MAIN_TIMES_DOUBTFUL,
    MAIN_START,          MAIN_STOP,         MAIN_RESET,         MAIN_PAGE_0,
    MAIN_PAGE_1,         MAIN_PAGE_2,       MAIN_PAGE_3,        MAIN_PAGE_4,
    MAIN_PAGE_5,         MAIN_EXT_1,        MAIN_EXT_2,         MAIN_EXT_3,
    MAIN_INPUT_1,        MAIN_INPUT_2,      MAIN_INPUT_3,       MAIN_LAMP_AREA_3};

inline constexpr std::array<int, 6> kPages = {MAIN_PAGE_0, MAIN_PAGE_1, MAIN_PAGE_2,
                                              MAIN_PAGE_3, MAIN_PAGE_4, MAIN_PAGE_5};
inline constexpr std::array<int, 3> kExtensions = {MAIN_EXT_1, MAIN_EXT_2, MAIN_EXT_3};
inline constexpr std::array<int, 3> kExtValues = {MAIN_EXT_VAL_1, MAIN_EXT_VAL_2, MAIN_EXT_VAL_3};
inline constexpr std::array<int, 3> kInputs = {MAIN_INPUT_1, MAIN_INPUT_2, MAIN_INPUT_3};
inline constexpr std::array<int, 9> kTimesArea = {MAIN_TIMES_TABLE,  MAIN_TIMES_REFRESH, MAIN_TIMES_SAVE,
                                                  MAIN_TIMES_LOAD,   MAIN_TIMES_PRINT,   MAIN_TIMES_CLEAR,
                                                  MAIN_TIMES_NORMAL, MAIN_TIMES_INVALID, MAIN_TIMES_DOUBTFUL};
inline constexpr std::array<int, 5> kFlashes = {MAIN_FLASH_LIGHT0, MAIN_FLASH_ZERO, MAIN_FLASH_5,
                                                MAIN_FLASH_INPUT1, MAIN_FLASH_INPUT2};
inline constexpr std::array<int, 3> kProgBox = {MAIN_PROG_BOX, MAIN_PROG_FRAME, MAIN_PROG_LABEL};

}  // namespace q31c
