// The program's panels load through the layer with the clock's own controls, each of the kind
// the program drives: a missing number or a control of the wrong kind fails the operation or
// reads back wrong.
#include <gtest/gtest.h>

#include <iterator>
#include <tuple>

#include "panels/FQ31.h"
#include "platform/cvi.h"
#include "tests/support/TestSupport.h"

using namespace fq31;

TEST(ProgramPanels, ControlsTheProgramDrivesTakeTheirValues) {
    qstest::EnsureRuntime();
    qstest::TempProgramDir dir;
    const int main = LoadPanel(0, "FQ31.uir", MAIN), params = LoadPanel(0, "FQ31.uir", PARAMS),
              keys = LoadPanel(0, "FQ31.uir", KEYS), conn = LoadPanel(0, "FQ31.uir", CONNECT);
    ASSERT_TRUE(main > 0 && params > 0 && keys > 0 && conn > 0);
    // Digits take segment patterns, lamps and switches 0 or 1, extension slots their type.
    const std::tuple<int, int, int> values[] = {{main, MAIN_DIGIT_LEFT, 0x5B},
                                                {main, MAIN_DIGIT_RIGHT, 0x06},
                                                {main, MAIN_MINUS, 1},
                                                {main, MAIN_BIG_LIGHT, 1},
                                                {main, MAIN_LINK_LAMP, 1},
                                                {main, MAIN_P8_LAMP, 1},
                                                {main, MAIN_FLASH_LIGHT0, 1},
                                                {main, MAIN_FLASH_ZERO, 1},
                                                {main, MAIN_FLASH_5, 1},
                                                {main, MAIN_FLASH_INPUT1, 1},
                                                {main, MAIN_FLASH_INPUT2, 1},
                                                {main, MAIN_CONNECT_SWITCH, 1},
                                                {main, MAIN_FSD_SWITCH, 1},
                                                {main, MAIN_KEYS_SWITCH, 1},
                                                {main, MAIN_Q12_SWITCH, 1},
                                                {main, MAIN_EXT_VAL_1, 4},
                                                {main, MAIN_EXT_VAL_3, 4},
                                                {params, PARAMS_TEXT_COLOR, 0x554646},
                                                {params, PARAMS_WIN1_HEIGHT, 161},
                                                {conn, CONNECT_NET_PORT, 7000}};
    for (auto [panel, control, value] : values) {
        int v = -1;
        ASSERT_EQ(SetCtrlVal(panel, control, value), 0) << control;
        GetCtrlVal(panel, control, &v);
        EXPECT_EQ(v, value) << control;
    }
    char text[128] = "";
    for (int t : {MAIN_IDENTITY, MAIN_FIXED_TEXT, MAIN_RUN_INFO, MAIN_RUN_LEGEND, MAIN_PROG_BOX}) {
        ASSERT_EQ(SetCtrlVal(main, t, "N\xB0 00000 V000"), 0) << t;
        GetCtrlVal(main, t, text, sizeof text);
        EXPECT_STREQ(text, "N\xB0 00000 V000") << t;
    }
    ASSERT_EQ(InsertTableRows(main, MAIN_TIMES_TABLE, -1, 2), 0);
    EXPECT_EQ(SetTableCellVal(main, MAIN_TIMES_TABLE, MakePoint(4, 2), " 12 : 34 : 56.78"), 0);
    // The buttons whose captions show on hover keep their text while hidden.
    for (int c : {MAIN_CONNECT_SWITCH, MAIN_PARAMS, MAIN_QUIT, MAIN_TIMES_REFRESH, MAIN_TIMES_DOUBTFUL,
                  MAIN_START, MAIN_STOP, MAIN_RESET}) {
        ASSERT_EQ(SetCtrlAttribute(main, c, ATTR_LABEL_TEXT, "Caption"), 0) << c;
        ASSERT_EQ(SetCtrlAttribute(main, c, ATTR_LABEL_VISIBLE, 0), 0) << c;
        GetCtrlAttribute(main, c, ATTR_LABEL_TEXT, text, sizeof text);
        EXPECT_STREQ(text, "Caption") << c;
    }
    int v = 0;
    for (int c : {KEYS_STARTSTOP, KEYS_KEY4, KEYS_KEY2, KEYS_KEY1, KEYS_KEY8})
        EXPECT_EQ(GetCtrlAttribute(keys, c, ATTR_VISIBLE, &v), 0) << c;
    // Without the second display the settings dialog is cut to 530 x 130: what remains is
    // whole, and nothing of the second display's part shows in that corner.
    const int kept = 7,
              cut[] = {PARAMS_TITLE,        PARAMS_FRAME,      PARAMS_LANGUAGE,       PARAMS_SOUND,
                       PARAMS_INPUTS,       PARAMS_OK,         PARAMS_CANCEL,         PARAMS_FSD_TITLE,
                       PARAMS_TEXT1,        PARAMS_SEC_LIGHTS, PARAMS_LIGHT1_VISIBLE, PARAMS_LOGO1_LOAD,
                       PARAMS_WIN1_VISIBLE, PARAMS_EDIT,       PARAMS_DEFAULT,        PARAMS_SAVE,
                       PARAMS_LOAD,         PARAMS_HELP_1,     PARAMS_HELP_2};
    for (int i = 0; i < int(std::size(cut)); ++i) {
        const int c = cut[i];
        int top = 0, left = 0, height = 0, width = 0;
        GetCtrlAttribute(params, c, ATTR_TOP, &top), GetCtrlAttribute(params, c, ATTR_LEFT, &left);
        GetCtrlAttribute(params, c, ATTR_HEIGHT, &height), GetCtrlAttribute(params, c, ATTR_WIDTH, &width);
        const bool inCorner = left + width <= 530 && top + height <= 130, outside = left >= 530 || top >= 130;
        EXPECT_TRUE(i < kept ? inCorner : outside) << c;
    }
    for (int p : {main, params, keys, conn}) DiscardPanel(p);
}
