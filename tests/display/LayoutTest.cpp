// Second display: layout from the record, edit mode, reading positions back, and the
// live rendering of lights, digits and dial (and its web view).
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "display/FsdGeometre.h"
#include "display/Q31FsdCouleur.h"
#include "display/WebView.h"
#include "panels/FQ31_SD.h"
#include "records/ClockTables.h"
#include "tests/display/FsdTestSupport.h"

using namespace fq31_sd;
using fsdtest::DisplayTest;
using fsdtest::Rec;

namespace {
const FsdPanneaux& P() {
    return FsdPanneauxG;
}
}  // namespace

TEST(FsdGeometry, ColoursScaleAndCountdownDigits) {
    const int feu[][3] = {
        {3, 2, 0x303030}, {3, 3, 0xFFE500}, {3, 4, 0x303030}, {0, 12, 0x303030}, {12, 12, 0x303030}};
    for (auto [mode, state, colour] : feu) EXPECT_EQ(Q31FsdCouleurFeu(mode, state), colour) << mode << state;
    EXPECT_EQ(Q31FsdCouleurFeu(0, 1), Q31CouleurLumiere(1));
    // A 1920 x 1080 screen: height decides, the layout is centred across, and reads back.
    const FsdEchelle hd = FsdEchelleDe(1080, 1920);
    const FsdRect r{504, 354, 160, 240}, big = FsdVersEcran(hd, r), back = FsdVersLayout(hd, big);
    EXPECT_EQ(std::tuple(big.top, big.left, big.height), std::tuple(756, 240 + 531, 240));
    EXPECT_EQ(std::tuple(back.top, back.left, back.height, back.width), std::tuple(504, 354, 160, 240));
    for (auto [h, w] : {std::pair{160, 240}, {200, 120}}) {
        const FsdPlacesDecompte p = FsdPlacerDecompte(h, w);
        EXPECT_TRUE(p.minus.left >= 0 && p.digit2.left + p.digit2.width <= w && p.digit1.top >= 0 &&
                    p.digit1.top + p.digit1.height <= h && p.digit1.left + p.digit1.width == p.digit2.left);
    }
}

TEST_F(DisplayTest, LayoutFollowsTheRecordEditModeAndScreen) {
    using Pn = int FsdPanneaux::*;
    const Pn D = &FsdPanneaux::display, C = &FsdPanneaux::countdown, W = &FsdPanneaux::dial;
    struct Attribute {
        Pn panel;
        int ctrl, attr, value;  // ctrl 0: the panel's attribute; attr 0: the value
    };
    struct Case {
        const char* name;
        std::function<void(DisplayTest*)> set;
        std::vector<Attribute> expected;
    } const cases[] = {
        {"as loaded, with the border four pixels out",
         [](DisplayTest*) { Q31FsdInit(true, false); },
         {{D, 0, ATTR_HEIGHT, 720},
          {D, 0, ATTR_WIDTH, 960},
          {D, DISPLAY_LIGHT2, ATTR_TOP, 570},
          {D, DISPLAY_LIGHT2, ATTR_LEFT, 40},
          {D, DISPLAY_LOGO3, ATTR_LEFT, 16},
          {D, DISPLAY_LOGO3, ATTR_MOUSE_EDIT, 1},
          {D, DISPLAY_LIGHT1, ATTR_MOUSE_EDIT, 0},
          {C, 0, ATTR_TOP, 504},
          {C, 0, ATTR_WIDTH, 240},
          {W, 0, ATTR_LEFT, 300},
          {D, DISPLAY_TEXT1, ATTR_TEXT_COLOR, 0x554646},
          {D, DISPLAY_BORDER, ATTR_VISIBLE, 1},
          {D, DISPLAY_BORDER, ATTR_TOP, 500},
          {D, DISPLAY_BORDER, ATTR_LEFT, 350},
          {D, DISPLAY_BORDER, ATTR_HEIGHT, 168},
          {D, DISPLAY_BORDER, ATTR_WIDTH, 248},
          {D, DISPLAY_TEXT2, ATTR_TOP, 6},
          {D, DISPLAY_TEXT2, ATTR_LEFT, 488},
          {D, DISPLAY_TEXT2, ATTR_HEIGHT, 54},
          {D, DISPLAY_TEXT2, ATTR_WIDTH, 410}}},
        {"edit mode: fixed size, plain 960 x 720, no border",
         [](DisplayTest*) {
             SetPanelSize(P().display, 1440, 1920);
             Q31FsdInit(true, true);
         },
         {{D, 0, ATTR_SIZABLE, 0},
          {D, 0, ATTR_CAN_MAXIMIZE, 0},
          {C, COUNTDOWN_EDIT_BAR, ATTR_VISIBLE, 1},
          {D, DISPLAY_BORDER, ATTR_VISIBLE, 0},
          {D, DISPLAY_LIGHT1, ATTR_MOUSE_EDIT, 1},
          {D, 0, ATTR_WIDTH, 960},
          {C, 0, ATTR_HEIGHT, 160}}},
        {"edit mode left",
         [](DisplayTest*) { Q31FsdInit(true, true), Q31FsdInit(false, false); },
         {{D, 0, ATTR_SIZABLE, 1},
          {D, 0, ATTR_CAN_MAXIMIZE, 1},
          {C, COUNTDOWN_EDIT_BAR, ATTR_VISIBLE, 0},
          {W, DIAL_WIN_GRIP, ATTR_VISIBLE, 0},
          {D, DISPLAY_LIGHT1, ATTR_MOUSE_EDIT, 0}}},
        {"a hidden countdown window has no border; the back colour",
         [](DisplayTest*) {
             Rec().windows[FSD_WIN_COUNTDOWN].visible = 0;
             Rec().backColour = 0x123456;
             Q31FsdInit(true, false);
         },
         {{D, DISPLAY_BORDER, ATTR_VISIBLE, 0}, {C, 0, ATTR_VISIBLE, 0}, {D, 0, ATTR_BACKCOLOR, 0x123456}}},
        {"simulated: the mark avoids the dial window",
         [](DisplayTest*) {
             SbComG.simulation = 1;
             Rec().windows[FSD_WIN_DIAL].top = Rec().windows[FSD_WIN_DIAL].left = 100;
             Q31FsdInit(true, false);
         },
         {{D, DISPLAY_SIM_MARK1, ATTR_VISIBLE, 1}, {D, DISPLAY_SIM_MARK2, ATTR_VISIBLE, 0}}},
        {"simulated, the dial window lower; then the live refresh sees the clock",
         [](DisplayTest*) {
             SbComG.simulation = 1;
             Rec().windows[FSD_WIN_DIAL].top = 300;
             Q31FsdInit(true, false);
             EXPECT_EQ(Attr(P().display, DISPLAY_SIM_MARK2, ATTR_VISIBLE), 1);
             SbComG.simulation = 0;
             Q31FsdAffLumiere(0);
         },
         {{D, DISPLAY_SIM_MARK1, ATTR_VISIBLE, 0}, {D, DISPLAY_SIM_MARK2, ATTR_VISIBLE, 0}}},
        {"the background, aligned in the dial window",
         [](DisplayTest* t) {
             t->WriteImage("Data/snow.bmp", 94, 64);
             std::strcpy(Rec().background, "Data\\snow.bmp");
             Rec().showBackground = 1;
             Q31FsdInit(true, false);
         },
         {{D, DISPLAY_BACKGROUND, ATTR_IMAGE_WIDTH, 94},
          {W, DIAL_WIN_BACK_COPY, ATTR_IMAGE_WIDTH, 94},
          {W, DIAL_WIN_BACK_COPY, ATTR_TOP, 68 - 110},
          {W, DIAL_WIN_BACK_COPY, ATTR_LEFT, 8 - 300},
          {W, DIAL_WIN_BACK_COPY, ATTR_HEIGHT, 644},
          {W, DIAL_WIN_BACK_COPY, ATTR_WIDTH, 944}}},
        {"the background in edit mode",
         [](DisplayTest* t) {
             t->WriteImage("Data/snow.bmp", 94, 64);
             std::strcpy(Rec().background, "Data\\snow.bmp");
             Rec().showBackground = 1;
             Q31FsdInit(true, true);
         },
         {{D, DISPLAY_BACKGROUND, ATTR_IMAGE_WIDTH, 94}, {W, DIAL_WIN_BACK_COPY, ATTR_IMAGE_WIDTH, 0}}},
        {"missing images leave empty pictures",
         [](DisplayTest*) {
             std::strcpy(Rec().background, "Data\\gone.jpg");
             Rec().showBackground = Rec().logos[1].visible = 1;
             std::strcpy(Rec().logos[1].path, "Data\\gone.png");
             Q31FsdInit(true, false);
         },
         {{D, DISPLAY_BACKGROUND, ATTR_IMAGE_WIDTH, 0},
          {D, DISPLAY_LOGO2, ATTR_IMAGE_WIDTH, 0},
          {D, DISPLAY_LOGO2, ATTR_VISIBLE, 1}}},
        {"an enlarged display, noticed by the live refresh",
         [](DisplayTest*) {
             SetPanelSize(P().display, 1440, 1920);
             Q31FsdAffLumiere(1);
         },
         {{D, DISPLAY_LIGHT1, ATTR_HEIGHT, 240}, {C, 0, ATTR_HEIGHT, 320}, {C, 0, ATTR_TOP, 1008}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        c.set(this);
        for (const Attribute& a : c.expected)
            EXPECT_EQ(Attr(P().*a.panel, a.ctrl, a.attr), a.value) << a.ctrl;
    }
}

TEST_F(DisplayTest, SwitchedOnAndOffFromTheMainWindowAndItsCloseBox) {
    char text[300] = "";
    GetCtrlVal(P().display, DISPLAY_TEXT2, text, sizeof text);
    EXPECT_STREQ(text, "Sabreline Timing");
    EXPECT_FALSE(Q31FsdAffiche());
    Q31FsdOuvrir();
    EXPECT_TRUE(Q31FsdAffiche());
    EXPECT_EQ(Attr(Q31FIhmG, fq31::MAIN_FSD_SWITCH, 0), 1);
    FQ31_FsdGere(P().display, 0, EVENT_CLOSE, nullptr, 0, 0);
    EXPECT_FALSE(Q31FsdAffiche());
    EXPECT_EQ(Attr(Q31FIhmG, fq31::MAIN_FSD_SWITCH, 0), 0);
}

TEST_F(DisplayTest, DraggedWindowsReadBackWithTheirProportions) {
    const int points = Attr(P().display, DISPLAY_TEXT1, ATTR_TEXT_POINT_SIZE);
    SetPanelSize(P().display, 1440, 1920);
    Q31FsdAffLumiere(1);
    EXPECT_EQ(Attr(P().display, DISPLAY_TEXT1, ATTR_TEXT_POINT_SIZE), 2 * points);
    const FsdParam before = Rec();
    Q31FsdGetTaille();  // an enlarged display reads back the record unchanged
    EXPECT_EQ(std::memcmp(&before, &Rec(), sizeof before), 0);

    Q31FsdInit(true, true);
    SetPanelPos(P().countdown, 400, 200);
    SetPanelSize(P().countdown, 200, 333);  // as dragged by the operator
    SetCtrlAttribute(P().display, DISPLAY_LIGHT4, ATTR_HEIGHT, 150);
    SetCtrlAttribute(P().display, DISPLAY_LIGHT4, ATTR_WIDTH, 90);  // a light stays round
    SetCtrlAttribute(P().display, DISPLAY_LOGO1, ATTR_WIDTH, 77);
    Q31FsdGetTaille();
    const FsdWindow& w = Rec().windows[FSD_WIN_COUNTDOWN];
    EXPECT_EQ(std::tuple(w.top, w.left, w.height, w.width), std::tuple(400, 200, 200, 300));
    EXPECT_EQ(Rec().lights[3].width, 150);
    EXPECT_EQ(Rec().logos[0].width, 77);
    EXPECT_EQ(Rec().logos[0].height, 48);
    Q31FsdInit(true, false);
    EXPECT_EQ(Attr(P().countdown, 0, ATTR_WIDTH), 300);
}

TEST_F(DisplayTest, LightsDigitsDialAndHandsReachTheDisplayAndTheWebView) {
    WebViewForget();
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

    Rec().showDigital = 1;
    Q31FsdInit(true, false);
    Q31FsdAffChiffre(0, 0x06);
    Q31FsdAffChiffre(1, 0xFF);
    EXPECT_EQ(Attr(P().countdown, COUNTDOWN_DIGIT1, 0), 0x06);
    EXPECT_EQ(Attr(P().countdown, COUNTDOWN_DIGIT2, 0), 0x7F);
    EXPECT_EQ(Attr(P().dial, DIAL_WIN_DIGIT1, 0), 0x06);
    EXPECT_EQ(Attr(P().dial, DIAL_WIN_DIGITAL_BOX, ATTR_VISIBLE), 1);
    // A new layout blanks the dial window's digits until the digits next change.
    Q31FsdInit(false, false);
    EXPECT_EQ(Attr(P().dial, DIAL_WIN_DIGIT1, 0), 0);
    EXPECT_EQ(Attr(P().countdown, COUNTDOWN_DIGIT1, 0), 0x06);
    // Without the digital countdown the dial window's digits are left alone.
    Rec().showDigital = 0;
    Q31FsdInit(false, false);
    Q31FsdAffChiffre(0, 0x5B);
    EXPECT_EQ(Attr(P().dial, DIAL_WIN_DIGIT1, 0), 0);
    EXPECT_EQ(Attr(P().dial, DIAL_WIN_DIGITAL_BOX, ATTR_VISIBLE), 0);

    Q31FsdAffMoins(1);
    EXPECT_EQ(Attr(P().countdown, COUNTDOWN_MINUS, 0), 1);
    Q31FsdAffPoint(59, 2);
    Q31FsdAffPoint(60, 2);  // outside the ring: nothing
    int dot = 0;
    GetCtrlIndexVal(P().dial, DIAL_WIN_DIAL, 59, &dot);
    EXPECT_EQ(dot, Q31CouleurLumiere(2));
    Q31FsdAffAiguille(true, 61);
    Q31FsdAffAiguille(false, 42);
    EXPECT_EQ(Attr(P().dial, DIAL_WIN_DIAL, ATTR_HOUR_HAND), 1);
    EXPECT_EQ(Attr(P().dial, DIAL_WIN_DIAL, ATTR_MINUTE_HAND), 42);
    const QJsonObject web =
        QJsonDocument::fromJson(QString::fromLatin1(WebViewWhole().c_str()).toUtf8()).object();
    EXPECT_EQ(web["dots"][59].toInt(), Q31CouleurLumiere(2));
    EXPECT_EQ(web["hands"][1].toInt(), 42);
    EXPECT_EQ(web["minus"].toInt(), 1);
}
