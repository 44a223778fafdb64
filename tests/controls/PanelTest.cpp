// The program's panels load through the layer with the clock's own controls, each of the kind
// the program drives: a control of the wrong kind fails or reads back wrong.
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
    const int main = LoadPanel(0, "FQ31.uir", MAIN), params = LoadPanel(0, "FQ31.uir", PARAMS);
    ASSERT_TRUE(main > 0 && params > 0);
    const std::tuple<int, int, int> values[] = {
        {main, MAIN_DIGIT_LEFT, 0x5B}, {main, MAIN_MINUS, 1},     {main, MAIN_BIG_LIGHT, 1},
        {main, MAIN_Q12_SWITCH, 1},    {main, MAIN_EXT_VAL_3, 4}, {params, PARAMS_WIN1_HEIGHT, 161}};
    for (auto [panel, control, value] : values) {
        int v = -1;
        EXPECT_EQ(SetCtrlVal(panel, control, value) * 1000 + GetCtrlVal(panel, control, &v) + v, value)
            << control;
    }
    // Without the second display the settings dialog is cut to 530 x 130: what remains is
    // whole, and nothing of the second display's part shows in that corner.
    const int kept = 4,
              cut[] = {PARAMS_TITLE,      PARAMS_LANGUAGE,   PARAMS_OK,   PARAMS_CANCEL, PARAMS_FSD_TITLE,
                       PARAMS_SEC_LIGHTS, PARAMS_LOGO1_LOAD, PARAMS_SAVE, PARAMS_HELP_2};
    for (int i = 0; i < int(std::size(cut)); ++i) {
        int top = 0, left = 0, height = 0, width = 0;
        GetCtrlAttribute(params, cut[i], ATTR_TOP, &top), GetCtrlAttribute(params, cut[i], ATTR_LEFT, &left);
        GetCtrlAttribute(params, cut[i], ATTR_HEIGHT, &height),
            GetCtrlAttribute(params, cut[i], ATTR_WIDTH, &width);
        const bool inCorner = left + width <= 530 && top + height <= 130, outside = left >= 530 || top >= 130;
        EXPECT_TRUE(i < kept ? inCorner : outside) << cut[i];
    }
    DiscardPanel(main), DiscardPanel(params);
}
