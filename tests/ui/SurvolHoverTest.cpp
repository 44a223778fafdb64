// Hover highlighting: the cursor and the captions follow the control under the mouse.
#include <gtest/gtest.h>

#include "panels/FSabGen.h"
#include "platform/cvi.h"
#include "tests/support/TestSupport.h"
#include "ui/Dialogs.h"
#include "ui/Survol.h"

namespace {

using namespace fsabgen;

// The popup panel lends its two buttons, both given hover captions here.
class Hover : public ::testing::Test {
protected:
    void SetUp() override {
        qstest::EnsureRuntime();
        panel_ = LoadPanel(0, "FSabGen.uir", POPUP);
        ASSERT_GT(panel_, 0) << "the shared panels (FSabGen.uir) of the build do not load";
        SetCtrlAttribute(panel_, POPUP_VALIDER, ATTR_LABEL_TEXT, "Yes");
        SetCtrlAttribute(panel_, POPUP_ANNULER, ATTR_LABEL_TEXT, "No");
        GenEffaceLabel(panel_, 2, list_);  // as every caller does before showing its panel
        DisplayPanel(panel_);
        ProcessSystemEvents();
        MoveOver(-1);
        Update();
    }
    void TearDown() override {
        if (panel_ > 0) DiscardPanel(panel_);
    }
    // Puts the mouse inside the control (or far from every control with -1).
    void MoveOver(int control) {
        if (control < 0)
            qstest::PointAt(0, 0, 0, 0);
        else
            qstest::PointAt(panel_, control, 6, 6);
    }
    void Update() { GenSurvolBp(panel_, 2, 2, list_); }
    int LabelVisible(int control) {
        int v = -1;
        GetCtrlAttribute(panel_, control, ATTR_LABEL_VISIBLE, &v);
        return v;
    }
    static int Cursor() {
        int c = -1;
        GetMouseCursor(&c);
        return c;
    }

    qstest::TempProgramDir dir_;
    int panel_ = 0;
    const int list_[2] = {POPUP_VALIDER, POPUP_ANNULER};
};

TEST_F(Hover, CaptionFollowsTheMouseFromButtonToButtonAndOff) {
    EXPECT_EQ(Cursor(), VAL_DEFAULT_CURSOR);
    EXPECT_EQ(LabelVisible(POPUP_VALIDER), 0);
    EXPECT_EQ(LabelVisible(POPUP_ANNULER), 0);

    MoveOver(POPUP_VALIDER);
    Update();
    EXPECT_EQ(Cursor(), VAL_POINTING_FINGER_CURSOR);
    EXPECT_EQ(LabelVisible(POPUP_VALIDER), 1);
    EXPECT_EQ(LabelVisible(POPUP_ANNULER), 0);

    MoveOver(POPUP_ANNULER);
    Update();  // one update moves the caption
    EXPECT_EQ(LabelVisible(POPUP_VALIDER), 0);
    EXPECT_EQ(LabelVisible(POPUP_ANNULER), 1);
    char caption[32] = {};
    GetCtrlAttribute(panel_, POPUP_ANNULER, ATTR_LABEL_TEXT, caption, sizeof caption);
    EXPECT_STREQ(caption, "No");

    MoveOver(-1);
    Update();
    EXPECT_EQ(Cursor(), VAL_DEFAULT_CURSOR);
    EXPECT_EQ(LabelVisible(POPUP_VALIDER), 0);
    EXPECT_EQ(LabelVisible(POPUP_ANNULER), 0);
}

TEST_F(Hover, DimmedOrHiddenButtonsNeverCount) {
    SetCtrlAttribute(panel_, POPUP_VALIDER, ATTR_DIMMED, 1);
    MoveOver(POPUP_VALIDER);
    Update();
    EXPECT_EQ(Cursor(), VAL_DEFAULT_CURSOR);
    EXPECT_EQ(LabelVisible(POPUP_VALIDER), 0);

    SetCtrlAttribute(panel_, POPUP_VALIDER, ATTR_DIMMED, 0);
    SetCtrlAttribute(panel_, POPUP_VALIDER, ATTR_VISIBLE, 0);
    Update();
    EXPECT_EQ(Cursor(), VAL_DEFAULT_CURSOR);

    SetCtrlAttribute(panel_, POPUP_VALIDER, ATTR_VISIBLE, 1);
    Update();
    EXPECT_EQ(Cursor(), VAL_POINTING_FINGER_CURSOR);
}

TEST_F(Hover, InactivePanelIsLeftAlone) {
    int other = LoadPanel(0, "FSabGen.uir", LANGUE);
    ASSERT_GT(other, 0);
    DisplayPanel(other);  // now the active panel
    MoveOver(POPUP_VALIDER);
    Update();
    EXPECT_EQ(Cursor(), VAL_DEFAULT_CURSOR);
    EXPECT_EQ(LabelVisible(POPUP_VALIDER), 0);

    GenActiverSurvol(false);
    SetActivePanel(panel_);
    Update();
    EXPECT_EQ(Cursor(), VAL_DEFAULT_CURSOR);  // switched off: nothing happens either
    GenActiverSurvol(true);
    Update();
    EXPECT_EQ(Cursor(), VAL_POINTING_FINGER_CURSOR);
    DiscardPanel(other);
}

TEST_F(Hover, AboutBoxClosesOnAClickBesideItsLinksOnly) {
    SbAboutOuvrir(panel_, "About", "V 1.1.2", 1, true);
    int about = GetPanelHandleFromTag(ABOUT);
    ASSERT_GT(about, 0);
    auto pointAt = [&](int control) { qstest::PointAt(about, control, 4, 4); };

    pointAt(ABOUT_LIEN2);
    SetMouseCursor(VAL_DEFAULT_CURSOR);  // even if the link has not changed the cursor yet
    FSabAbout(about, 0, EVENT_LEFT_CLICK, nullptr, 0, 0);
    EXPECT_EQ(GetPanelHandleFromTag(ABOUT), about);

    pointAt(ABOUT_VERSION);
    SetMouseCursor(VAL_POINTING_FINGER_CURSOR);  // still over a link as far as the cursor says
    FSabAbout(about, 0, EVENT_LEFT_CLICK, nullptr, 0, 0);
    EXPECT_EQ(GetPanelHandleFromTag(ABOUT), about);

    SetMouseCursor(VAL_DEFAULT_CURSOR);
    FSabAbout(about, 0, EVENT_LEFT_CLICK, nullptr, 0, 0);
    EXPECT_EQ(GetPanelHandleFromTag(ABOUT), 0);
    int dimmed = -1;
    GetPanelAttribute(panel_, ATTR_DIMMED, &dimmed);
    EXPECT_EQ(dimmed, 0);
}

}  // namespace
