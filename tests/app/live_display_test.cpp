// The main window's mirror of the clock: which controls are available in each
// state, the run information, flashes, colours and digits, the change memory, beeps.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/Q31Aff.h"
#include "app/Q31Ihm.h"
#include "panels/FQ31.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "settings/Q31FSet.h"
#include "tests/runner/FreshState.h"
#include "tests/runner/Operator.h"
#include "tests/support/TestSupport.h"
#include "ui/Texts.h"

using namespace fq31;

namespace {

double fakeNow = 100.0;
double FakeTimer() {
    return fakeNow;
}
std::vector<std::string> played;
void CatchSound(const char* file) {
    played.push_back(file);
}

class LiveDisplay : public ::testing::Test {
protected:
    void SetUp() override {
        qstest::FreshRecords();
        Q31FIhmG = LoadPanel(0, "FQ31.uir", MAIN);
        ASSERT_GT(Q31FIhmG, 0);
        SetTimeSource(FakeTimer, nullptr);
        SetSoundHook(CatchSound);
        played.clear();
    }
    void TearDown() override {
        SetTimeSource(nullptr, nullptr);
        SetSoundHook(nullptr);
        DiscardPanel(Q31FIhmG);
        Q31FIhmG = 0;
    }
    int Attr(int ctrl, int attr) {
        int v = -1;
        GetCtrlAttribute(Q31FIhmG, ctrl, attr, &v);
        return v;
    }
    std::string Text(int ctrl) { return e2e::Text(Q31FIhmG, ctrl); }
    int Val(int ctrl) { return e2e::Value(Q31FIhmG, ctrl); }
    // The attribute of each control has the value.
    void Expect(int attribute, std::initializer_list<int> controls, int value) {
        for (int c : controls)
            EXPECT_EQ(Attr(c, attribute), value) << "control " << c << ", attribute " << attribute;
    }
    qstest::TempProgramDir dir_;
};

}  // namespace

// Which controls the operator gets in each state: {control, attribute, value}.
TEST_F(LiveDisplay, DisconnectedOrSimulatingOffersWhatTheStateAllows) {
    Q31InitAff(true, true);
    Expect(ATTR_DIMMED,
           {MAIN_DIAL, MAIN_BIG_LIGHT, MAIN_LINK_LAMP, MAIN_TIMES_TABLE, MAIN_FSD_SWITCH, MAIN_PAGE_0,
            MAIN_PAGE_3, MAIN_EXT_1},
           1);
    Expect(ATTR_VISIBLE, {MAIN_IDENTITY, MAIN_PROG_BOX, MAIN_INPUT_1, MAIN_START, MAIN_RUN_INFO}, 0);
    EXPECT_EQ(Val(MAIN_CONNECT_SWITCH), 0);

    SbComG.simulation = 1;
    strcpy(SbComG.version, "V000");
    Q31InitAff(true, true);
    // Program 1 is selected by default: its box and the start button show; no countdown
    // to reset; the key panel needs a real clock, the competitor unit the SPLIT mode.
    Expect(ATTR_DIMMED, {MAIN_KEYS_SWITCH, MAIN_RESET, MAIN_Q12_SWITCH}, 1);
    Expect(ATTR_DIMMED, {MAIN_FSD_SWITCH, MAIN_START}, 0);
    Expect(ATTR_VISIBLE, {MAIN_SIMU_MARK, MAIN_IDENTITY, MAIN_INPUT_1, MAIN_PROG_BOX}, 1);
    EXPECT_EQ(Text(MAIN_IDENTITY),
              "N\xB0"
              "00000 V000");
    EXPECT_EQ(Val(MAIN_CONNECT_SWITCH), 1);
    EXPECT_EQ(Text(MAIN_PROG_BOX), std::string(Q31TxtLabSetG[20]) + " 1\nAlpine Ski");
    SbComG.mode = 1;
    Q31G.inputButtonsShown = 0;  // the operator's preference
    SbComG.extensions = {2, 0, 1};
    Q31InitAff(false, false);
    EXPECT_EQ(std::vector<int>({Val(MAIN_EXT_VAL_1), Val(MAIN_EXT_VAL_2), Val(MAIN_EXT_VAL_3)}),
              std::vector<int>({2, 0, 1}));

    Expect(ATTR_DIMMED, {MAIN_Q12_SWITCH}, 0);
    Expect(ATTR_VISIBLE, {MAIN_INPUT_1}, 0);
}

TEST_F(LiveDisplay, RunInformationForms) {
    SbComG.linkState = 2;
    SbComG.serialNumber = 123;
    SbComG.run.current = 0;
    Q31InitAff(true, true);
    EXPECT_EQ(Attr(MAIN_RUN_INFO, ATTR_VISIBLE), 0);  // no run open, none loaded
    Q31AffManche(5);
    EXPECT_EQ(Attr(MAIN_RUN_INFO, ATTR_VISIBLE), 1);
    EXPECT_EQ(Text(MAIN_RUN_INFO), "00123\n\n5");
    SbComG.run = SbComRun{4, 5, 9, 5, 7, 4297, 7, 10, 11};
    SbComG.mode = 1;
    SbComG.params.precision = 3;
    Q31AffManche(0);
    EXPECT_EQ(Text(MAIN_RUN_INFO), "00123\nSPLIT\n4\n1/1.000\n07/10/11\n09:05:07");
}

TEST_F(LiveDisplay, ColoursDigitsHandsAndOutOfRangeValues) {
    SbComG.simulation = 1;
    Q31InitAff(true, true);
    SbQ31CrG.lightColour = 2;
    SbQ31CrG.digitC = 0x06;
    SbQ31CrG.digitB = 0x5B;
    SbQ31CrG.valueA = 1;
    SbQ31CrG.lights[0] = 3;
    SbQ31CrG.lights[58] = 99;  // a colour index outside the table draws unlit
    SbQ31CrG.lights[59] = 3;   // the ring's last light
    SbComG.p8Digit1 = 1;
    SbQ31CrG.hourHand = 61;  // positions are taken modulo 60
    SbQ31CrG.minuteHand = 15;
    Q31AffRafraichir();
    EXPECT_EQ(Attr(MAIN_BIG_LIGHT, ATTR_ON_COLOR), 0x00FF00);
    EXPECT_EQ(Val(MAIN_DIGIT_RIGHT), 0x06);
    EXPECT_EQ(Val(MAIN_DIGIT_LEFT), 0x5B);
    EXPECT_EQ(Val(MAIN_MINUS), 1);
    int v = 0;
    GetCtrlIndexVal(Q31FIhmG, MAIN_DIAL, 0, &v);
    EXPECT_EQ(v, 0xFFE500);
    GetCtrlIndexVal(Q31FIhmG, MAIN_DIAL, 58, &v);
    EXPECT_EQ(v, kCouleurEteinte);
    GetCtrlIndexVal(Q31FIhmG, MAIN_DIAL, 59, &v);
    EXPECT_EQ(v, 0xFFE500);
    EXPECT_EQ(Val(MAIN_P8_LAMP), 1);
    EXPECT_EQ(Attr(MAIN_DIAL, ATTR_HOUR_HAND), 1);
    EXPECT_EQ(Attr(MAIN_DIAL, ATTR_MINUTE_HAND), 15);
    SbQ31CrG.lightColour = 12;
    Q31AffChiffres();
    EXPECT_EQ(Attr(MAIN_BIG_LIGHT, ATTR_ON_COLOR), kCouleurEteinte);
}

TEST_F(LiveDisplay, AnIdlePassWritesNoControl) {
    SbComG.simulation = 1;
    Q31InitAff(true, true);
    SbQ31CrG.lights[7] = 1;
    SbQ31CrG.digitB = 0x3F;
    Q31AffRafraichir();
    // Overwrite the controls behind the mirror's back: an unchanged record must not
    // rewrite them, a changed one must.
    SetCtrlIndexVal(Q31FIhmG, MAIN_DIAL, 7, 0x123456);
    SetCtrlVal(Q31FIhmG, MAIN_DIGIT_LEFT, 0x01);
    Q31AffRafraichir();
    int v = 0;
    GetCtrlIndexVal(Q31FIhmG, MAIN_DIAL, 7, &v);
    EXPECT_EQ(v, 0x123456);
    EXPECT_EQ(Val(MAIN_DIGIT_LEFT), 0x01);
    SbQ31CrG.digitB = 0x06;
    Q31AffRafraichir();
    EXPECT_EQ(Val(MAIN_DIGIT_LEFT), 0x06);
    SetCtrlVal(Q31FIhmG, MAIN_DIGIT_LEFT, 0x01);
    Q31InitAff(false, true);  // a reset memory rewrites everything
    GetCtrlIndexVal(Q31FIhmG, MAIN_DIAL, 7, &v);
    EXPECT_EQ(v, 0xFF0000);
    EXPECT_EQ(Val(MAIN_DIGIT_LEFT), 0x06);
}

TEST_F(LiveDisplay, FlashesLastHalfASecondAndASecondEventWaitsForTheLampToGoOut) {
    SbComG.simulation = 1;
    Q31InitAff(true, true);
    fakeNow = 100.0;
    SbQ31CrG.light0Flag = 1;
    Q31AffVoyants();
    EXPECT_EQ(Attr(MAIN_FLASH_LIGHT0, ATTR_VISIBLE), 1);
    EXPECT_EQ(SbQ31CrG.light0Flag, 0);
    fakeNow = 100.2;
    SbQ31CrG.light0Flag = 1;  // second event while lit
    Q31AffVoyants();
    EXPECT_EQ(Attr(MAIN_FLASH_LIGHT0, ATTR_VISIBLE), 1);
    EXPECT_EQ(SbQ31CrG.light0Flag, 1);  // pending
    fakeNow = 100.6;
    Q31AffVoyants();
    EXPECT_EQ(Attr(MAIN_FLASH_LIGHT0, ATTR_VISIBLE), 0);
    Q31AffVoyants();
    EXPECT_EQ(Attr(MAIN_FLASH_LIGHT0, ATTR_VISIBLE), 1);  // the second flash
    EXPECT_EQ(SbQ31CrG.light0Flag, 0);

    SbCrG.channel[1] = 1;
    Q31AffVoyants();
    EXPECT_EQ(Attr(MAIN_FLASH_INPUT2, ATTR_VISIBLE), 1);
    EXPECT_EQ(SbCrG.channel[1], 0);
    fakeNow = 101.2;
    Q31AffVoyants();
    EXPECT_EQ(Attr(MAIN_FLASH_INPUT2, ATTR_VISIBLE), 0);
}

// The simulation plays its rising and falling tones; a real clock asks for one tone by its
// number. Every request is consumed, also one out of the table or with the sound off.
TEST_F(LiveDisplay, BeepsFollowTheRequestAndTheSoundSwitch) {
    using Tones = std::vector<std::string>;
    const struct {
        int simulation, soundOn, request, number;
        Tones played;
    } rows[] = {
        {1, 1, 2, 0, {"Bip444Hz.wav", "Bip533Hz.wav", "Bip695Hz.wav", "Bip888Hz.wav"}},
        {1, 1, 3, 0, {"Bip888Hz.wav", "Bip695Hz.wav", "Bip533Hz.wav", "Bip444Hz.wav"}},
        {0, 1, 2, 1, {"Bip533Hz.wav"}},
        {0, 1, 1, 9, {}},
        {0, 0, 1, 0, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(&row - rows);
        played.clear();
        SbComG.simulation = uint8_t(row.simulation);
        SbComG.linkState = uint8_t(!row.simulation);
        Q31G.soundOn = uint8_t(row.soundOn);
        SbCrG.soundRequest = row.request;
        SbCrG.soundNumber = row.number;
        Q31GererBip();
        EXPECT_EQ(played, row.played);
        EXPECT_EQ(SbCrG.soundRequest, 0);
    }
}

TEST_F(LiveDisplay, AResetMemoryRefreshesTheExtensionPagesOnTheNextPass) {
    Q31FSetCharger();
    const int eth = Q31FSetG[6], gsm = Q31FSetG[7];
    SbCrG.ethernetStatus = {0x01, 0, 0, 0};
    SbCrG.gsmStatus = 0x01;
    Q31TacheDeFond(false);            // both pages filled, both statuses remembered
    SetCtrlVal(eth, PAGE6_ST0_0, 0);  // drawn over behind the mirror's back
    SetCtrlVal(gsm, PAGE7_B0, 0);
    Q31TacheDeFond(false);  // unchanged statuses: the pages are left alone
    EXPECT_EQ(e2e::Value(eth, PAGE6_ST0_0), 0);
    Q31InitAff(false, true);
    Q31TacheDeFond(false);
    EXPECT_EQ(e2e::Value(eth, PAGE6_ST0_0), 1);
    EXPECT_EQ(e2e::Value(gsm, PAGE7_B0), 1);
    Q31FSetG.fill(0);  // the pages go with the main window
}
