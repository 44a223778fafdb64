// Second display: layout from the record, edit mode, reading positions back, and the
// live rendering of lights, digits and dial.
#include <cstring>
#include <string>

#include "display/FsdGeometre.h"
#include "display/FsdPanneaux.h"
#include "display/Q31Fsd.h"
#include "display/Q31FsdCouleur.h"
#include "panels/FQ31.h"
#include "panels/FQ31_SD.h"
#include "platform/cvi.h"
#include "records/ClockTables.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "tests/display/FsdTestSupport.h"
#include "ui/MainPanel.h"

using namespace fq31_sd;
using fsdtest::DisplayTest;

namespace {
FsdParam& Rec() {
    return Q31G.secondDisplay;
}
const FsdPanneaux& P() {
    return FsdPanneauxG;
}
}  // namespace

TEST(FsdColours, LightModeSelectsItsOwnState) {
    for (int state = 0; state < 3; ++state) EXPECT_EQ(Q31FsdCouleurFeu(3, state), 0x303030) << state;
    EXPECT_EQ(Q31FsdCouleurFeu(3, 3), 0xFFE500);
    EXPECT_EQ(Q31FsdCouleurFeu(3, 4), 0x303030);
    EXPECT_EQ(Q31FsdCouleurFeu(0, 1), 0xFF0000);
    for (int state = 0; state < 12; ++state) EXPECT_EQ(Q31FsdCouleurFeu(0, state), Q31CouleurLumiere(state));
    EXPECT_EQ(Q31FsdCouleurFeu(0, 12), 0x303030);  // a state beyond the table draws unlit
    EXPECT_EQ(Q31FsdCouleurFeu(12, 12), 0x303030);
}

TEST(FsdScale, LayoutScalesEvenlyAndReadsBack) {
    const FsdEchelle one = FsdEchelleDe(720, 960);
    EXPECT_EQ(one.scale, 1.0);
    const FsdRect r{504, 354, 160, 240};
    const FsdRect same = FsdVersEcran(one, r);
    EXPECT_EQ(same.top, 504);
    EXPECT_EQ(same.width, 240);
    // A 1920 x 1080 screen: height decides, the layout is centred across.
    const FsdEchelle hd = FsdEchelleDe(1080, 1920);
    EXPECT_DOUBLE_EQ(hd.scale, 1.5);
    EXPECT_EQ(hd.offsetTop, 0);
    EXPECT_EQ(hd.offsetLeft, (1920 - 1440) / 2);
    const FsdRect big = FsdVersEcran(hd, r);
    EXPECT_EQ(big.height, 240);
    EXPECT_EQ(big.left, 240 + 531);
    const FsdRect back = FsdVersLayout(hd, big);
    EXPECT_EQ(back.top, r.top);
    EXPECT_EQ(back.left, r.left);
    EXPECT_EQ(back.height, r.height);
    EXPECT_EQ(back.width, r.width);
}

TEST(FsdScale, CountdownDigitsFitTheirWindow) {
    for (auto [h, w] : {std::pair{160, 240}, std::pair{480, 720}, std::pair{200, 120}}) {
        const FsdPlacesDecompte p = FsdPlacerDecompte(h, w);
        EXPECT_GE(p.minus.left, 0);
        EXPECT_LE(p.digit2.left + p.digit2.width, w);
        EXPECT_GE(p.digit1.top, 0);
        EXPECT_LE(p.digit1.top + p.digit1.height, h);
        EXPECT_EQ(p.digit1.left + p.digit1.width, p.digit2.left);
    }
}

TEST_F(DisplayTest, LoadedHiddenAndLaidOutFromTheRecord) {
    EXPECT_FALSE(Q31FsdAffiche());
    EXPECT_EQ(PanelAttr(P().display, ATTR_HEIGHT), 720);
    EXPECT_EQ(PanelAttr(P().display, ATTR_WIDTH), 960);
    EXPECT_EQ(Attr(P().display, DISPLAY_LIGHT2, ATTR_TOP), 570);
    EXPECT_EQ(Attr(P().display, DISPLAY_LIGHT2, ATTR_LEFT), 40);
    EXPECT_EQ(Attr(P().display, DISPLAY_LOGO3, ATTR_LEFT), 16);
    EXPECT_EQ(Attr(P().display, DISPLAY_LOGO3, ATTR_MOUSE_EDIT), 1);  // logos movable from the start
    EXPECT_EQ(Attr(P().display, DISPLAY_LIGHT1, ATTR_MOUSE_EDIT), 0);
    EXPECT_EQ(PanelAttr(P().countdown, ATTR_TOP), 504);
    EXPECT_EQ(PanelAttr(P().countdown, ATTR_WIDTH), 240);
    EXPECT_EQ(PanelAttr(P().dial, ATTR_LEFT), 300);
    char text[300] = "";
    GetCtrlVal(P().display, DISPLAY_TEXT2, text, sizeof text);
    EXPECT_STREQ(text, "Sabreline Timing");
    EXPECT_EQ(Attr(P().display, DISPLAY_TEXT1, ATTR_TEXT_COLOR), 0x554646);

    Q31FsdOuvrir();
    EXPECT_TRUE(Q31FsdAffiche());
    EXPECT_EQ(Val(Q31FIhmG, fq31::MAIN_FSD_SWITCH), 1);
    Q31FsdFermer();
    EXPECT_FALSE(Q31FsdAffiche());
    EXPECT_EQ(Val(Q31FIhmG, fq31::MAIN_FSD_SWITCH), 0);
}

TEST_F(DisplayTest, EditModeFixesTheDisplaysSizeAndNormalUseFreesIt) {
    Q31FsdInit(true, true);
    EXPECT_EQ(PanelAttr(P().display, ATTR_SIZABLE), 0);
    EXPECT_EQ(PanelAttr(P().display, ATTR_CAN_MAXIMIZE), 0);
    EXPECT_EQ(Attr(P().countdown, COUNTDOWN_EDIT_BAR, ATTR_VISIBLE), 1);
    Q31FsdInit(false, false);
    EXPECT_EQ(PanelAttr(P().display, ATTR_SIZABLE), 1);
    EXPECT_EQ(PanelAttr(P().display, ATTR_CAN_MAXIMIZE), 1);
    EXPECT_EQ(Attr(P().countdown, COUNTDOWN_EDIT_BAR, ATTR_VISIBLE), 0);
    EXPECT_EQ(Attr(P().dial, DIAL_WIN_GRIP, ATTR_VISIBLE), 0);
}

TEST_F(DisplayTest, CloseBoxSwitchesTheDisplayOff) {
    Q31FsdOuvrir();
    ASSERT_TRUE(Q31FsdAffiche());
    FQ31_FsdGere(P().display, 0, EVENT_CLOSE, nullptr, 0, 0);
    EXPECT_FALSE(Q31FsdAffiche());
}

TEST_F(DisplayTest, SimulationMarkAvoidsTheDialWindow) {
    SbComG.simulation = 1;
    Rec().windows[FSD_WIN_DIAL].top = 100;
    Rec().windows[FSD_WIN_DIAL].left = 100;
    Q31FsdInit(true, false);
    EXPECT_EQ(Attr(P().display, DISPLAY_SIM_MARK1, ATTR_VISIBLE), 1);
    EXPECT_EQ(Attr(P().display, DISPLAY_SIM_MARK2, ATTR_VISIBLE), 0);
    Rec().windows[FSD_WIN_DIAL].top = 300;
    Q31FsdInit(true, false);
    EXPECT_EQ(Attr(P().display, DISPLAY_SIM_MARK1, ATTR_VISIBLE), 0);
    EXPECT_EQ(Attr(P().display, DISPLAY_SIM_MARK2, ATTR_VISIBLE), 1);
    // Not simulated: no mark; the live refresh notices the change.
    SbComG.simulation = 0;
    Q31FsdAffLumiere(0);
    EXPECT_EQ(Attr(P().display, DISPLAY_SIM_MARK1, ATTR_VISIBLE), 0);
    EXPECT_EQ(Attr(P().display, DISPLAY_SIM_MARK2, ATTR_VISIBLE), 0);
}

TEST_F(DisplayTest, EditModeDraggedCountdownWindowKeepsItsProportions) {
    Q31FsdInit(true, true);
    SetPanelPos(P().countdown, 400, 200);
    SetPanelSize(P().countdown, 200, 333);  // as dragged by the operator
    Q31FsdGetTaille();
    const FsdWindow& w = Rec().windows[FSD_WIN_COUNTDOWN];
    EXPECT_EQ(w.top, 400);
    EXPECT_EQ(w.left, 200);
    EXPECT_EQ(w.height, 200);
    EXPECT_EQ(w.width, 300);
    Q31FsdInit(true, false);
    EXPECT_EQ(PanelAttr(P().countdown, ATTR_WIDTH), 300);
    EXPECT_EQ(PanelAttr(P().countdown, ATTR_HEIGHT), 200);
    // A dragged light stays round; its width follows its height.
    Q31FsdInit(true, true);
    SetCtrlAttribute(P().display, DISPLAY_LIGHT4, ATTR_HEIGHT, 150);
    SetCtrlAttribute(P().display, DISPLAY_LIGHT4, ATTR_WIDTH, 90);
    SetCtrlAttribute(P().display, DISPLAY_LOGO1, ATTR_WIDTH, 77);
    Q31FsdGetTaille();
    EXPECT_EQ(Rec().lights[3].width, 150);
    EXPECT_EQ(Rec().logos[0].width, 77);
    EXPECT_EQ(Rec().logos[0].height, 48);
}

TEST_F(DisplayTest, BorderOnlyOutsideEditModeAndFourPixelsOut) {
    Q31FsdInit(true, false);
    EXPECT_EQ(Attr(P().display, DISPLAY_BORDER, ATTR_VISIBLE), 1);
    EXPECT_EQ(Attr(P().display, DISPLAY_BORDER, ATTR_TOP), 500);
    EXPECT_EQ(Attr(P().display, DISPLAY_BORDER, ATTR_LEFT), 350);
    EXPECT_EQ(Attr(P().display, DISPLAY_BORDER, ATTR_HEIGHT), 168);
    EXPECT_EQ(Attr(P().display, DISPLAY_BORDER, ATTR_WIDTH), 248);
    Q31FsdInit(true, true);
    EXPECT_EQ(Attr(P().display, DISPLAY_BORDER, ATTR_VISIBLE), 0);
    EXPECT_EQ(Attr(P().display, DISPLAY_LIGHT1, ATTR_MOUSE_EDIT), 1);
    Q31FsdInit(false, false);
    EXPECT_EQ(Attr(P().display, DISPLAY_LIGHT1, ATTR_MOUSE_EDIT), 0);
    // A hidden countdown window has no border.
    Rec().windows[FSD_WIN_COUNTDOWN].visible = 0;
    Q31FsdInit(true, false);
    EXPECT_EQ(Attr(P().display, DISPLAY_BORDER, ATTR_VISIBLE), 0);
    EXPECT_EQ(PanelAttr(P().countdown, ATTR_VISIBLE), 0);
}

TEST_F(DisplayTest, DialWindowShowsTheAlignedBackgroundOutsideEditMode) {
    MakeDir("Data");
    qstest::WriteFileBytes(dir->file("Data/snow.bmp"), fsdtest::Bmp(94, 64));
    strcpy(Rec().background, "Data\\snow.bmp");
    Rec().showBackground = 1;
    Q31FsdInit(true, false);
    EXPECT_EQ(Attr(P().display, DISPLAY_BACKGROUND, ATTR_IMAGE_WIDTH), 94);
    EXPECT_EQ(Attr(P().dial, DIAL_WIN_BACK_COPY, ATTR_IMAGE_WIDTH), 94);
    EXPECT_EQ(Attr(P().dial, DIAL_WIN_BACK_COPY, ATTR_TOP), 68 - 110);
    EXPECT_EQ(Attr(P().dial, DIAL_WIN_BACK_COPY, ATTR_LEFT), 8 - 300);
    EXPECT_EQ(Attr(P().dial, DIAL_WIN_BACK_COPY, ATTR_HEIGHT), 644);
    EXPECT_EQ(Attr(P().dial, DIAL_WIN_BACK_COPY, ATTR_WIDTH), 944);
    Q31FsdInit(true, true);
    EXPECT_EQ(Attr(P().display, DISPLAY_BACKGROUND, ATTR_IMAGE_WIDTH), 94);
    EXPECT_EQ(Attr(P().dial, DIAL_WIN_BACK_COPY, ATTR_IMAGE_WIDTH), 0);
    Q31FsdInit(true, false);
    Rec().showBackground = 0;
    Q31FsdInit(false, false);
    EXPECT_EQ(Attr(P().display, DISPLAY_BACKGROUND, ATTR_IMAGE_WIDTH), 0);
    EXPECT_EQ(Attr(P().dial, DIAL_WIN_BACK_COPY, ATTR_IMAGE_WIDTH), 0);
}

TEST_F(DisplayTest, MissingImagesLeaveEmptyPictures) {
    strcpy(Rec().background, "Data\\gone.jpg");
    Rec().showBackground = 1;
    Rec().logos[1].visible = 1;
    strcpy(Rec().logos[1].path, "Data\\gone.png");
    Q31FsdInit(true, false);
    EXPECT_EQ(Attr(P().display, DISPLAY_BACKGROUND, ATTR_IMAGE_WIDTH), 0);
    EXPECT_EQ(Attr(P().display, DISPLAY_LOGO2, ATTR_IMAGE_WIDTH), 0);
    EXPECT_EQ(Attr(P().display, DISPLAY_LOGO2, ATTR_VISIBLE), 1);
}

TEST_F(DisplayTest, LightsFollowTheirModes) {
    Rec().lights[0].mode = 0;
    Rec().lights[1].mode = 3;
    Q31FsdAffLumiere(1);
    EXPECT_EQ(Attr(P().display, DISPLAY_LIGHT1, ATTR_ON_COLOR), 0xFF0000);
    EXPECT_EQ(Attr(P().display, DISPLAY_LIGHT2, ATTR_ON_COLOR), 0x303030);
    Q31FsdAffLumiere(3);
    EXPECT_EQ(Attr(P().display, DISPLAY_LIGHT2, ATTR_ON_COLOR), 0xFFE500);
    // A mode changed in the dialog shows at the next change of state, not before.
    Rec().lights[1].mode = 5;
    Q31FsdInit(false, false);
    EXPECT_EQ(Attr(P().display, DISPLAY_LIGHT2, ATTR_ON_COLOR), 0xFFE500);
    Q31FsdAffLumiere(2);
    EXPECT_EQ(Attr(P().display, DISPLAY_LIGHT2, ATTR_ON_COLOR), 0x303030);
}

TEST_F(DisplayTest, DigitsDialAndHands) {
    Rec().showDigital = 1;
    Q31FsdInit(true, false);
    Q31FsdAffChiffre(0, 0x06);
    Q31FsdAffChiffre(1, 0xFF);
    EXPECT_EQ(Val(P().countdown, COUNTDOWN_DIGIT1), 0x06);
    EXPECT_EQ(Val(P().countdown, COUNTDOWN_DIGIT2), 0x7F);
    EXPECT_EQ(Val(P().dial, DIAL_WIN_DIGIT1), 0x06);
    EXPECT_EQ(Attr(P().dial, DIAL_WIN_DIGITAL_BOX, ATTR_VISIBLE), 1);
    // A new layout blanks the dial window's digits until the digits next change.
    Q31FsdInit(false, false);
    EXPECT_EQ(Val(P().dial, DIAL_WIN_DIGIT1), 0);
    EXPECT_EQ(Val(P().countdown, COUNTDOWN_DIGIT1), 0x06);
    // Without the digital countdown the dial window's digits are left alone.
    Rec().showDigital = 0;
    Q31FsdInit(false, false);
    Q31FsdAffChiffre(0, 0x5B);
    EXPECT_EQ(Val(P().dial, DIAL_WIN_DIGIT1), 0);
    EXPECT_EQ(Attr(P().dial, DIAL_WIN_DIGITAL_BOX, ATTR_VISIBLE), 0);

    Q31FsdAffMoins(1);
    EXPECT_EQ(Val(P().countdown, COUNTDOWN_MINUS), 1);
    Q31FsdAffPoint(59, 2);
    int dot = 0;
    GetCtrlIndexVal(P().dial, DIAL_WIN_DIAL, 59, &dot);
    EXPECT_EQ(dot, Q31CouleurLumiere(2));
    Q31FsdAffPoint(60, 2);  // outside the ring: nothing
    Q31FsdAffAiguille(true, 61);
    Q31FsdAffAiguille(false, 42);
    EXPECT_EQ(Attr(P().dial, DIAL_WIN_DIAL, ATTR_HOUR_HAND), 1);
    EXPECT_EQ(Attr(P().dial, DIAL_WIN_DIAL, ATTR_MINUTE_HAND), 42);
}

TEST_F(DisplayTest, EnlargedDisplayScalesTheLayoutAndReadsBackTheRecord) {
    const int points = Attr(P().display, DISPLAY_TEXT1, ATTR_TEXT_POINT_SIZE);
    EXPECT_GT(points, 0);
    SetPanelSize(P().display, 1440, 1920);
    Q31FsdAffLumiere(1);  // the live refresh notices the new size
    EXPECT_EQ(Attr(P().display, DISPLAY_LIGHT1, ATTR_HEIGHT), 240);
    EXPECT_EQ(PanelAttr(P().countdown, ATTR_HEIGHT), 320);
    EXPECT_EQ(PanelAttr(P().countdown, ATTR_TOP), 1008);
    EXPECT_EQ(Attr(P().display, DISPLAY_TEXT1, ATTR_TEXT_POINT_SIZE), 2 * points);
    const FsdParam before = Rec();
    Q31FsdGetTaille();
    EXPECT_EQ(memcmp(&before, &Rec(), sizeof before), 0);
    // Edit mode works on the plain 960 x 720 panel.
    Q31FsdInit(true, true);
    EXPECT_EQ(PanelAttr(P().display, ATTR_WIDTH), 960);
    EXPECT_EQ(PanelAttr(P().countdown, ATTR_HEIGHT), 160);
}
