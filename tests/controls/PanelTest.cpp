// The main window and its dialogs load through the layer with the clock's own controls,
// which then take values and attributes through the ordinary control operations.
#include <gtest/gtest.h>

#include <array>
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

TEST_F(MainWindow, DialTakesLightsAndHands) {
    EXPECT_EQ(SetCtrlIndexVal(panel_, MAIN_DIAL, 0, 0xFF0000), 0);
    EXPECT_EQ(SetCtrlIndexVal(panel_, MAIN_DIAL, 59, 0x00FF00), 0);
    int v = 0;
    ASSERT_EQ(GetCtrlIndexVal(panel_, MAIN_DIAL, 0, &v), 0);
    EXPECT_EQ(v, 0xFF0000);
    GetCtrlIndexVal(panel_, MAIN_DIAL, 59, &v);
    EXPECT_EQ(v, 0x00FF00);
    GetCtrlIndexVal(panel_, MAIN_DIAL, 30, &v);
    EXPECT_EQ(v, 0x303030);  // unlit until told otherwise
    ASSERT_EQ(SetCtrlAttribute(panel_, MAIN_DIAL, ATTR_HOUR_HAND, 51), 0);
    ASSERT_EQ(SetCtrlAttribute(panel_, MAIN_DIAL, ATTR_MINUTE_HAND, 81), 0);
    GetCtrlAttribute(panel_, MAIN_DIAL, ATTR_HOUR_HAND, &v);
    EXPECT_EQ(v, 51);
    GetCtrlAttribute(panel_, MAIN_DIAL, ATTR_MINUTE_HAND, &v);
    EXPECT_EQ(v, 21);
}

TEST_F(MainWindow, DigitsMinusAndLampsTakeTheirValues) {
    int v = -1;
    ASSERT_EQ(SetCtrlVal(panel_, MAIN_DIGIT_LEFT, 0x5B), 0);
    GetCtrlVal(panel_, MAIN_DIGIT_LEFT, &v);
    EXPECT_EQ(v, 0x5B);
    SetCtrlVal(panel_, MAIN_DIGIT_RIGHT, 0x06);
    GetCtrlVal(panel_, MAIN_DIGIT_RIGHT, &v);
    EXPECT_EQ(v, 0x06);
    SetCtrlVal(panel_, MAIN_MINUS, 1);
    GetCtrlVal(panel_, MAIN_MINUS, &v);
    EXPECT_EQ(v, 1);
    ASSERT_EQ(SetCtrlAttribute(panel_, MAIN_BIG_LIGHT, ATTR_ON_COLOR, 0xFFE500), 0);
    SetCtrlVal(panel_, MAIN_BIG_LIGHT, 1);
    GetCtrlAttribute(panel_, MAIN_BIG_LIGHT, ATTR_ON_COLOR, &v);
    EXPECT_EQ(v, 0xFFE500);
    for (int lamp : {MAIN_LINK_LAMP, MAIN_P8_LAMP, MAIN_FLASH_LIGHT0, MAIN_FLASH_ZERO, MAIN_FLASH_5,
                     MAIN_FLASH_INPUT1, MAIN_FLASH_INPUT2}) {
        ASSERT_EQ(SetCtrlVal(panel_, lamp, 1), 0) << lamp;
        GetCtrlVal(panel_, lamp, &v);
        EXPECT_EQ(v, 1) << lamp;
        SetCtrlVal(panel_, lamp, 0);
        GetCtrlVal(panel_, lamp, &v);
        EXPECT_EQ(v, 0) << lamp;
    }
}

TEST_F(MainWindow, HoverCaptionsHideButKeepTheirText) {
    const std::array<int, 8> captioned{MAIN_CONNECT_SWITCH, MAIN_PARAMS, MAIN_QUIT, MAIN_TIMES_REFRESH,
                                       MAIN_TIMES_DOUBTFUL, MAIN_START, MAIN_STOP, MAIN_RESET};
    for (int c : captioned) {
        ASSERT_EQ(SetCtrlAttribute(panel_, c, ATTR_LABEL_TEXT, "Caption"), 0) << c;
        ASSERT_EQ(SetCtrlAttribute(panel_, c, ATTR_LABEL_VISIBLE, 0), 0) << c;
        int v = 1;
        GetCtrlAttribute(panel_, c, ATTR_LABEL_VISIBLE, &v);
        EXPECT_EQ(v, 0) << c;
        char text[64] = "";
        GetCtrlAttribute(panel_, c, ATTR_LABEL_TEXT, text, sizeof text);
        EXPECT_STREQ(text, "Caption") << c;
        SetCtrlAttribute(panel_, c, ATTR_LABEL_VISIBLE, 1);
        GetCtrlAttribute(panel_, c, ATTR_LABEL_VISIBLE, &v);
        EXPECT_EQ(v, 1) << c;
    }
}

TEST_F(MainWindow, SwitchesAndTextsWork) {
    int v = -1;
    for (int s : {MAIN_CONNECT_SWITCH, MAIN_FSD_SWITCH, MAIN_KEYS_SWITCH, MAIN_Q12_SWITCH}) {
        ASSERT_EQ(SetCtrlVal(panel_, s, 1), 0) << s;
        GetCtrlVal(panel_, s, &v);
        EXPECT_EQ(v, 1) << s;
        SetCtrlVal(panel_, s, 0);
        GetCtrlVal(panel_, s, &v);
        EXPECT_EQ(v, 0) << s;
    }
    char text[128] = "";
    for (int t : {MAIN_IDENTITY, MAIN_FIXED_TEXT, MAIN_RUN_INFO, MAIN_RUN_LEGEND, MAIN_PROG_BOX}) {
        ASSERT_EQ(SetCtrlVal(panel_, t, "N\xB0" "00000 V000"), 0) << t;
        GetCtrlVal(panel_, t, text, sizeof text);
        EXPECT_STREQ(text, "N\xB0" "00000 V000") << t;
    }
    // The extension value controls show the slot type.
    for (int e : {MAIN_EXT_VAL_1, MAIN_EXT_VAL_2, MAIN_EXT_VAL_3}) {
        ASSERT_EQ(SetCtrlVal(panel_, e, 4), 0);
        GetCtrlVal(panel_, e, &v);
        EXPECT_EQ(v, 4);
    }
    int rows = -1;
    ASSERT_EQ(InsertTableRows(panel_, MAIN_TIMES_TABLE, -1, 2), 0);
    GetNumTableRows(panel_, MAIN_TIMES_TABLE, &rows);
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(SetTableCellVal(panel_, MAIN_TIMES_TABLE, MakePoint(4, 2), " 12 : 34 : 56.78"), 0);
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

TEST(KeyAndConnectionPanels, Load) {
    qstest::EnsureRuntime();
    qstest::TempProgramDir dir;
    const int keys = LoadPanel(0, "FQ31.uir", KEYS);
    ASSERT_GT(keys, 0);
    for (int c : {KEYS_STARTSTOP, KEYS_KEY4, KEYS_KEY2, KEYS_KEY1, KEYS_KEY8}) {
        int visible = 0;
        EXPECT_EQ(GetCtrlAttribute(keys, c, ATTR_VISIBLE, &visible), 0) << c;
    }
    DiscardPanel(keys);
    const int conn = LoadPanel(0, "FQ31.uir", CONNECT);
    ASSERT_GT(conn, 0);
    int v = 0;
    ASSERT_EQ(SetCtrlVal(conn, CONNECT_NET_PORT, 7000), 0);
    GetCtrlVal(conn, CONNECT_NET_PORT, &v);
    EXPECT_EQ(v, 7000);
    ASSERT_EQ(SetCtrlAttribute(conn, CONNECT_NET_ADDRESS, ATTR_LABEL_TEXT, "Address"), 0);
    char text[32] = "";
    GetCtrlAttribute(conn, CONNECT_NET_ADDRESS, ATTR_LABEL_TEXT, text, sizeof text);
    EXPECT_STREQ(text, "Address");
    DiscardPanel(conn);
}
