// The main window and its dialogs load through the layer with the clock's own controls,
// which then take values and attributes through the ordinary control operations.
#include <gtest/gtest.h>

#include <cstring>

#include "panels/FQ31.h"
#include "platform/cvi.h"
#include "tests/support/TestSupport.h"

using namespace fq31;

namespace {

struct Box {
    int top, left, height, width;
};

Box BoxOf(int panel, int control) {
    Box b{};
    GetCtrlAttribute(panel, control, ATTR_TOP, &b.top);
    GetCtrlAttribute(panel, control, ATTR_LEFT, &b.left);
    GetCtrlAttribute(panel, control, ATTR_HEIGHT, &b.height);
    GetCtrlAttribute(panel, control, ATTR_WIDTH, &b.width);
    return b;
}

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        qstest::EnsureRuntime();
        panel_ = LoadPanel(0, "FQ31.uir", MAIN);
        ASSERT_GT(panel_, 0);
    }
    void TearDown() override {
        if (panel_ > 0) DiscardPanel(panel_);
    }
    qstest::TempProgramDir dir_;
    int panel_ = 0;
};

}  // namespace

// Every control the program drives is in the resource with the kind it expects: a
// missing number or a control of the wrong kind fails the operation or reads back wrong.
// How each control treats its values is tested with the control itself.
// The dial, the digits and the big light are driven through the layer by the live display's tests.
TEST_F(MainWindow, ControlsTheProgramDrivesTakeTheirValues) {
    // Digits take segment patterns, lamps and switches 0 or 1, extension slots their type.
    int v = 0;
    const std::pair<int, int> values[] = {
        {MAIN_DIGIT_LEFT, 0x5B}, {MAIN_DIGIT_RIGHT, 0x06}, {MAIN_MINUS, 1},        {MAIN_BIG_LIGHT, 1},
        {MAIN_LINK_LAMP, 1},     {MAIN_P8_LAMP, 1},        {MAIN_FLASH_LIGHT0, 1}, {MAIN_FLASH_ZERO, 1},
        {MAIN_FLASH_5, 1},       {MAIN_FLASH_INPUT1, 1},   {MAIN_FLASH_INPUT2, 1}, {MAIN_CONNECT_SWITCH, 1},
        {MAIN_FSD_SWITCH, 1},    {MAIN_KEYS_SWITCH, 1},    {MAIN_Q12_SWITCH, 1},   {MAIN_EXT_VAL_1, 4},
        {MAIN_EXT_VAL_2, 4},     {MAIN_EXT_VAL_3, 4}};
    for (auto [control, value] : values) {
        ASSERT_EQ(SetCtrlVal(panel_, control, value), 0) << control;
        v = -1;
        GetCtrlVal(panel_, control, &v);
        EXPECT_EQ(v, value) << control;
    }
    char text[128] = "";
    for (int t : {MAIN_IDENTITY, MAIN_FIXED_TEXT, MAIN_RUN_INFO, MAIN_RUN_LEGEND, MAIN_PROG_BOX}) {
        ASSERT_EQ(SetCtrlVal(panel_, t,
                             "N\xB0"
                             "00000 V000"),
                  0)
            << t;
        GetCtrlVal(panel_, t, text, sizeof text);
        EXPECT_STREQ(text,
                     "N\xB0"
                     "00000 V000")
            << t;
    }
    ASSERT_EQ(InsertTableRows(panel_, MAIN_TIMES_TABLE, -1, 2), 0);
    EXPECT_EQ(SetTableCellVal(panel_, MAIN_TIMES_TABLE, MakePoint(4, 2), " 12 : 34 : 56.78"), 0);

    // The buttons whose captions show on hover keep their text while hidden.
    for (int c : {MAIN_CONNECT_SWITCH, MAIN_PARAMS, MAIN_QUIT, MAIN_TIMES_REFRESH, MAIN_TIMES_DOUBTFUL,
                  MAIN_START, MAIN_STOP, MAIN_RESET}) {
        ASSERT_EQ(SetCtrlAttribute(panel_, c, ATTR_LABEL_TEXT, "Caption"), 0) << c;
        ASSERT_EQ(SetCtrlAttribute(panel_, c, ATTR_LABEL_VISIBLE, 0), 0) << c;
        GetCtrlAttribute(panel_, c, ATTR_LABEL_TEXT, text, sizeof text);
        EXPECT_STREQ(text, "Caption") << c;
    }
}

TEST(ParametersDialog, ApplicationFieldsFitTheCutDownDialog) {
    qstest::EnsureRuntime();
    qstest::TempProgramDir dir;
    const int dlg = LoadPanel(0, "FQ31.uir", PARAMS);
    ASSERT_GT(dlg, 0);
    // Without the second display the dialog is cut to 530 x 130: what remains must be whole.
    for (int c : {PARAMS_TITLE, PARAMS_FRAME, PARAMS_LANGUAGE, PARAMS_SOUND, PARAMS_INPUTS, PARAMS_OK,
                  PARAMS_CANCEL}) {
        const Box b = BoxOf(dlg, c);
        EXPECT_LE(b.left + b.width, 530) << c;
        EXPECT_LE(b.top + b.height, 130) << c;
    }
    // And nothing of the second-display section shows in that corner.
    for (int c : {PARAMS_FSD_TITLE, PARAMS_TEXT1, PARAMS_SEC_LIGHTS, PARAMS_LIGHT1_VISIBLE, PARAMS_LOGO1_LOAD,
                  PARAMS_WIN1_VISIBLE, PARAMS_EDIT, PARAMS_DEFAULT, PARAMS_SAVE, PARAMS_LOAD, PARAMS_HELP_1,
                  PARAMS_HELP_2}) {
        const Box b = BoxOf(dlg, c);
        EXPECT_TRUE(b.left >= 530 || b.top >= 130) << c;
    }
    int v = 0;
    ASSERT_EQ(SetCtrlVal(dlg, PARAMS_TEXT_COLOR, 0x554646), 0);
    GetCtrlVal(dlg, PARAMS_TEXT_COLOR, &v);
    EXPECT_EQ(v, 0x554646);
    ASSERT_EQ(SetCtrlVal(dlg, PARAMS_WIN1_HEIGHT, 161), 0);
    GetCtrlVal(dlg, PARAMS_WIN1_HEIGHT, &v);
    EXPECT_EQ(v, 161);
    DiscardPanel(dlg);
}

TEST(KeyAndConnectionPanels, LoadWithTheControlsTheProgramDrives) {
    qstest::EnsureRuntime();
    qstest::TempProgramDir dir;
    const int keys = LoadPanel(0, "FQ31.uir", KEYS);
    ASSERT_GT(keys, 0);
    int v = 0;
    for (int c : {KEYS_STARTSTOP, KEYS_KEY4, KEYS_KEY2, KEYS_KEY1, KEYS_KEY8})
        EXPECT_EQ(GetCtrlAttribute(keys, c, ATTR_VISIBLE, &v), 0) << c;
    DiscardPanel(keys);
    const int conn = LoadPanel(0, "FQ31.uir", CONNECT);
    ASSERT_GT(conn, 0);
    ASSERT_EQ(SetCtrlVal(conn, CONNECT_NET_PORT, 7000), 0);
    GetCtrlVal(conn, CONNECT_NET_PORT, &v);
    EXPECT_EQ(v, 7000);
    EXPECT_EQ(SetCtrlAttribute(conn, CONNECT_NET_ADDRESS, ATTR_LABEL_TEXT, "Address"), 0);
    DiscardPanel(conn);
}
