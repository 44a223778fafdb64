// The main window's mirror of the clock (the controls each state offers, run information, flashes, colours
// and digits, the change memory, beeps), the dialogs the races pass through.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "app/LiveView.h"
#include "app/Q31Aff.h"
#include "app/Q31Connexion.h"
#include "app/Q31Ihm.h"
#include "app/Q31Modules.h"
#include "app/Q31Param.h"
#include "panels/FQ31.h"
#include "platform/LocalSettings.h"
#include "platform/WebServer.h"
#include "records/ClockTables.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "settings/Q31FSet.h"
#include "tests/runner/FreshState.h"
#include "tests/runner/Operator.h"
#include "ui/Texts.h"

using namespace fq31;
using e2e::Strings;

namespace {

double fakeNow = 100.0;
std::vector<std::string> played;

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        qstest::FreshRecords();
        Q31EnregistrerCallbacks();
        Q31FIhmG = LoadPanel(0, "FQ31.uir", MAIN);
        SetTimeSource([] { return fakeNow; }, nullptr);
        SetSoundHook([](const char* file) { played.push_back(file); });
    }
    void TearDown() override {
        SetTimeSource(nullptr, nullptr);
        SetSoundHook(nullptr);
        DiscardPanel(Q31FIhmG);
        Q31FIhmG = 0;
    }
    static int Attr(int ctrl, int attr, int panel = Q31FIhmG) {
        return qstest::onscreen::Attr(panel, ctrl, attr);
    }
    int Light(int position) {
        int v = -1;
        GetCtrlIndexVal(Q31FIhmG, MAIN_DIAL, position, &v);
        return v;
    }
    std::string Text(int ctrl) { return e2e::Text(Q31FIhmG, ctrl); }
    int Val(int ctrl) { return e2e::Attr(Q31FIhmG, ctrl); }
    void Expect(int attribute, std::initializer_list<int> controls, int value) {
        for (int c : controls) EXPECT_EQ(Attr(c, attribute), value) << "control " << c << ", " << attribute;
    }
    qstest::TempProgramDir dir_;
};

}  // namespace

TEST_F(MainWindow, DisconnectedOrSimulatingOffersWhatTheStateAllows) {
    Q31InitAff(true, true);
    const auto lamps = {MAIN_DIAL, MAIN_BIG_LIGHT, MAIN_LINK_LAMP, MAIN_P8_LAMP, MAIN_LAMP_AREA_3};
    Expect(ATTR_DIMMED, lamps, 1);
    Expect(ATTR_DIMMED, {MAIN_TIMES_TABLE, MAIN_FSD_SWITCH, MAIN_PAGE_0, MAIN_PAGE_3, MAIN_EXT_1}, 1);
    Expect(ATTR_VISIBLE, {MAIN_IDENTITY, MAIN_PROG_BOX, MAIN_INPUT_1, MAIN_START, MAIN_RUN_INFO}, 0);

    SbComG.simulation = 1;
    Q31InitAff(true, true);
    // Program 1 is selected by default: its box shows; no countdown to reset; the key panel
    // needs a real clock, the competitor unit the SPLIT mode.
    Expect(ATTR_DIMMED, {MAIN_KEYS_SWITCH, MAIN_RESET, MAIN_Q12_SWITCH}, 1);
    Expect(ATTR_DIMMED, lamps, 0);
    Expect(ATTR_VISIBLE, {MAIN_SIMU_MARK, MAIN_IDENTITY, MAIN_INPUT_1, MAIN_PROG_BOX}, 1);
    EXPECT_EQ(Text(MAIN_IDENTITY), std::string("N\xB0") + "00000 V000");
    EXPECT_EQ(Text(MAIN_PROG_BOX), std::string(Q31TxtLabSetG[20]) + " 1\nAlpine Ski");
    Q31G.inputButtonsShown = 0;  // the operator's preference
    SbComG.extensions = {2, 0, 1};
    Q31InitAff(false, false);
    EXPECT_EQ(std::tuple(Val(MAIN_EXT_VAL_1), Val(MAIN_EXT_VAL_2), Val(MAIN_EXT_VAL_3)), std::tuple(2, 0, 1));
    Expect(ATTR_VISIBLE, {MAIN_INPUT_1}, 0);
    // Start before a countdown or to resume a paused one, never in the middle of one; Stop while one
    // runs; Reset once one is active. Running, active, paused: Start, Stop and Reset dimmed.
    const std::tuple<int, int, int, std::vector<int>> states[] = {
        {0, 0, 0, {0, 1, 1}}, {1, 1, 0, {1, 0, 0}}, {1, 1, 1, {0, 1, 0}}};
    for (const auto& [running, active, paused, dimmed] : states) {
        SbQ31CrG.status1 = uint8_t(running);
        SbQ31CrG.status2 = uint8_t(active);
        SbQ31CrG.status3 = uint8_t(paused);
        Q31AffBoutonsProg();
        EXPECT_EQ(std::vector({Attr(MAIN_START, ATTR_DIMMED), Attr(MAIN_STOP, ATTR_DIMMED),
                               Attr(MAIN_RESET, ATTR_DIMMED)}),
                  dimmed)
            << running << active << paused;
    }
    // While a clock is there, simulated here, the desktop is asked to stay awake; then no longer.
    std::vector<int> awake;
    for (int simulating : {1, 0}) {
        SbComG.simulation = uint8_t(simulating);
        Q31TacheDeFond(false);
        awake.push_back(KeptAwake());
    }
    EXPECT_EQ(awake, (std::vector{1, 0}));
}

TEST_F(MainWindow, RunInformationForms) {
    SbComG.linkState = 2;
    SbComG.serialNumber = 123;
    Q31InitAff(true, true);
    EXPECT_EQ(Attr(MAIN_RUN_INFO, ATTR_VISIBLE), 0);  // no run open, none loaded
    Expect(ATTR_DIMMED, {MAIN_RUN_FRAME, MAIN_RUN_LEGEND}, 1);
    Q31AffManche(5);
    EXPECT_EQ(Attr(MAIN_RUN_INFO, ATTR_VISIBLE), 1);
    Expect(ATTR_DIMMED, {MAIN_RUN_FRAME, MAIN_RUN_LEGEND}, 0);
    EXPECT_EQ(Text(MAIN_RUN_INFO), "00123\n\n5");
    SbComG.run = SbComRun{4, 5, 9, 5, 7, 4297, 7, 10, 2011};  // the year shown in two digits
    SbComG.mode = 1;
    SbComG.params.precision = 3;
    Q31AffManche(0);
    EXPECT_EQ(Text(MAIN_RUN_INFO), "00123\nSPLIT\n4\n1/1.000\n07/10/11\n09:05:07");
    std::string legend;  // the lines' names from the text table (marked: the panel file holds English)
    for (int i = 20; i <= 25; ++i)
        legend += std::string(i > 20 ? "\n" : "") + std::strcat(Q31TxtLabelG[i], "#");
    Q31FenTraduire();
    EXPECT_EQ(Text(MAIN_RUN_LEGEND), legend);
}

// Colours, digits and hands as drawn; a colour index outside the table draws unlit, hand
// positions are taken modulo 60. Then the change memory: an unchanged record rewrites no
// control (they are drawn over behind the mirror's back), a changed one or a reset memory does.
TEST_F(MainWindow, ColoursDigitsHandsAndTheChangeMemory) {
    SbComG.simulation = 1;
    Q31InitAff(true, true);
    SbQ31CrG.lightColour = 2;
    SbQ31CrG.digitC = 0x06;
    SbQ31CrG.digitB = 0x5B;
    SbQ31CrG.lights[0] = SbQ31CrG.lights[59] = 3;
    SbQ31CrG.lights[58] = 99;
    SbQ31CrG.valueA = 1;
    SbComG.p8Digit1 = 1;
    SbQ31CrG.connected = 1;
    SbQ31CrG.hourHand = 61;
    SbQ31CrG.minuteHand = 15;
    Q31AffRafraichir();
    EXPECT_EQ(std::vector<int>({Attr(MAIN_BIG_LIGHT, ATTR_ON_COLOR), Val(MAIN_DIGIT_RIGHT),
                                Val(MAIN_DIGIT_LEFT), Val(MAIN_MINUS), Light(0), Light(58), Light(59),
                                Val(MAIN_P8_LAMP), Val(MAIN_LINK_LAMP), Attr(MAIN_DIAL, ATTR_HOUR_HAND),
                                Attr(MAIN_DIAL, ATTR_MINUTE_HAND)}),
              std::vector<int>({0x00FF00, 0x06, 0x5B, 1, 0xFFE500, kCouleurEteinte, 0xFFE500, 1, 1, 1, 15}));
    SbQ31CrG.lightColour = 12;
    Q31AffChiffres();
    EXPECT_EQ(Attr(MAIN_BIG_LIGHT, ATTR_ON_COLOR), kCouleurEteinte);

    SbQ31CrG.lights[7] = 1;
    Q31AffRafraichir();
    SetCtrlIndexVal(Q31FIhmG, MAIN_DIAL, 7, 0x123456);
    SetCtrlVal(Q31FIhmG, MAIN_DIGIT_LEFT, 0x01);
    Q31AffRafraichir();
    EXPECT_EQ(std::pair(Light(7), Val(MAIN_DIGIT_LEFT)), std::pair(0x123456, 0x01));
    SbQ31CrG.digitB = 0x06;
    Q31AffRafraichir();
    EXPECT_EQ(Val(MAIN_DIGIT_LEFT), 0x06);
    SetCtrlVal(Q31FIhmG, MAIN_DIGIT_LEFT, 0x01);
    Q31InitAff(false, true);
    EXPECT_EQ(std::pair(Light(7), Val(MAIN_DIGIT_LEFT)), std::pair(0xFF0000, 0x06));
}

// A flash lasts half a second; a second event while the lamp is lit waits for it to go out.
TEST_F(MainWindow, FlashesLastHalfASecondAndASecondEventWaitsForTheLampToGoOut) {
    SbComG.simulation = 1;
    Q31InitAff(true, true);
    const struct {
        double now;
        int raise, light0Shown, flag, input2Shown;  // raise 1: light 0's flag, 2: input 2's channel
    } rows[] = {{100.0, 1, 1, 0, 0}, {100.2, 1, 1, 1, 0}, {100.6, 0, 0, 1, 0},
                {100.6, 0, 1, 0, 0}, {100.6, 2, 1, 0, 1}, {101.2, 0, 0, 0, 0}};
    for (const auto& r : rows) {
        SCOPED_TRACE(&r - rows);
        fakeNow = r.now;
        if (r.raise == 1) SbQ31CrG.light0Flag = 1;
        if (r.raise == 2) SbCrG.channel[1] = 1;
        Q31AffVoyants();
        EXPECT_EQ(Attr(MAIN_FLASH_LIGHT0, ATTR_VISIBLE), r.light0Shown);
        EXPECT_EQ(SbQ31CrG.light0Flag, r.flag);
        EXPECT_EQ(Attr(MAIN_FLASH_INPUT2, ATTR_VISIBLE), r.input2Shown);
        EXPECT_EQ(SbCrG.channel[1], 0);
    }
    // On the computer's clock, with nothing else to do, the loop wakes for the lamp to go out.
    SetTimeSource(nullptr, nullptr);
    SbCrG.channel[1] = 1;
    Q31AffVoyants();
    const double lit = Timer();
    for (int p, c; Attr(MAIN_FLASH_INPUT2, ATTR_VISIBLE) && Timer() < lit + 3; Q31AffVoyants()) {
        SetNextWake(2);  // a bound, later than the lamp's time
        GetUserEvent(0, &p, &c);
    }
    EXPECT_LT(Timer() - lit, 1.0);  // half a second; the bound without the lamp's wake
}

// The simulation plays its rising and falling tones; a real clock asks for one tone by its
// number. Every request is consumed, also one out of the table or with the sound off.
TEST_F(MainWindow, BeepsFollowTheRequestAndTheSoundSwitch) {
    const struct {
        int simulation, soundOn, request, number;
        Strings played;
    } rows[] = {
        {1, 1, 2, 0, {"Bip444Hz.wav", "Bip533Hz.wav", "Bip695Hz.wav", "Bip888Hz.wav"}},
        {1, 1, 3, 0, {"Bip888Hz.wav", "Bip695Hz.wav", "Bip533Hz.wav", "Bip444Hz.wav"}},
        {0, 1, 2, 0, {"Bip444Hz.wav"}},
        {0, 1, 1, 3, {"Bip888Hz.wav"}},
        {0, 1, 1, 4, {}},
        {0, 0, 1, 0, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(&row - rows);
        played.clear();
        SbComG.simulation = uint8_t(row.simulation);
        Q31G.soundOn = uint8_t(row.soundOn);
        SbCrG.soundRequest = row.request;
        SbCrG.soundNumber = row.number;
        Q31GererBip();
        EXPECT_EQ(played, row.played);
        EXPECT_EQ(SbCrG.soundRequest, 0);
    }
}

// A reset memory refreshes the extension pages on the next pass; while disconnected and not
// simulating, no simulated clock runs behind the window.
TEST_F(MainWindow, AResetMemoryRefreshesTheExtensionPagesOnTheNextPass) {
    Q31FSetCharger();
    const int eth = Q31FSetG[6], gsm = Q31FSetG[7];
    SbCrG.ethernetStatus = {0x01, 0, 0, 0};
    SbCrG.gsmStatus = 0x01;
    SbCrG.second = 77;
    Q31TacheDeFond(false);            // both pages filled, both statuses remembered
    SetCtrlVal(eth, PAGE6_ST0_0, 0);  // drawn over behind the mirror's back
    SetCtrlVal(gsm, PAGE7_B0, 0);
    Q31TacheDeFond(false);
    EXPECT_EQ(e2e::Attr(eth, PAGE6_ST0_0), 0);
    Q31InitAff(false, true);
    Q31TacheDeFond(false);
    EXPECT_EQ(std::vector<int>({e2e::Attr(eth, PAGE6_ST0_0), e2e::Attr(gsm, PAGE7_B0), SbCrG.second}),
              std::vector<int>({1, 1, 77}));
    Q31FSetG.fill(0);  // the pages go with the main window
}

// The dialogs the races only pass through, opened on their own: captions from the text tables
// (marked, since the panel files hold the English ones), lists filled once, the window below
// dimmed; the live view's kept port, server state, kept address and new key; the options cancelled,
// then confirmed.
TEST_F(MainWindow, DialogsShowTheirTextsListsAndState) {
    for (char* t : {GLabelBpG[3], GLabelBpG[5], GLabelBpG[7], Q31TxtLabelG[27], Q31TxtLabelG[28],
                    Q31TxtLabelG[29], Q31TxtLabelG[33]})
        std::strcat(t, "#");
    LocalSettingsSetText("LiveView/address", "10.9.8.7");  // kept, though not up on this machine
    LocalSettingsSetText("LiveView/key", "Race1");
    for (auto [kept, read] : {std::pair{0, 8310}, {1, 1}, {65535, 65535}, {65536, 8310}}) {
        LocalSettingsSetInt("LiveView/port", kept);  // outside 1..65535 it falls back to 8310
        LiveViewSettings s;
        LiveViewLoad(&s);
        EXPECT_EQ(s.port, read) << kept;
    }
    ASSERT_EQ(LiveViewApply({1, 0, "", ""}), WEB_OK);  // serving already, on any free port
    Q31G.language = 2;
    char up[16][64];
    const int addresses = WebServerAddresses(up, 15);
    auto live = e2e::Loaded("FQ31.uir", LIVE), params = e2e::Loaded("FQ31.uir", PARAMS);
    std::string status, key;
    Strings captions;
    std::vector<int> seen;
    // Each dialog: noted once it shows, then the operator's steps, then Cancel.
    const auto run = [](void (*open)(), e2e::PanelFn panel, std::function<void(int)> note, e2e::Steps steps,
                        int cancel) {
        steps.insert(steps.begin(),
                     {e2e::Until([=] { return panel() > 0; }), e2e::Do([=] { note(panel()); })});
        steps.push_back(e2e::Press(panel, cancel));
        EXPECT_EQ(e2e::RunDialog(open, steps), steps.size()) << cancel;
    };
    run([] { LiveViewDialog(Q31FIhmG); }, live,
        [&](int p) {
            status = e2e::Text(p, LIVE_STATUS) + "|" + e2e::Text(p, LIVE_KEY);
            captions.push_back(e2e::Caption(p, LIVE_CANCEL));
            seen = {qstest::ListCount(p, LIVE_ADDRESS), e2e::Attr(p, LIVE_ADDRESS),
                    Attr(LIVE_QR, ATTR_VISIBLE, p)};
        },
        {e2e::Press(live, LIVE_NEW_KEY), e2e::Until([&] { return e2e::Text(live(), LIVE_KEY) != "Race1"; }),
         e2e::Do([&] { key = e2e::Text(live(), LIVE_KEY); })},
        LIVE_CANCEL);
    run([] { Q31Connexion(Q31FIhmG); }, e2e::Loaded("FQ31.uir", CONNECT),
        [&](int p) {
            for (int c : {CONNECT_REFRESH, CONNECT_NET_ADDRESS, CONNECT_NET_PORT, CONNECT_CONNECT,
                          CONNECT_SIMULATION, CONNECT_CANCEL})
                captions.push_back(e2e::Caption(p, c));
            seen.insert(seen.end(), {qstest::ListCount(p, CONNECT_SPEED), e2e::Attr(p, CONNECT_SPEED),
                                     Attr(0, ATTR_DIMMED)});
        },
        {}, CONNECT_CANCEL);
    run([] { Q31ParamIhm(Q31FIhmG); }, params,
        [&](int p) {
            captions.push_back(e2e::Caption(p, PARAMS_INPUTS));
            seen.insert(seen.end(), {Attr(0, ATTR_WIDTH, p), Attr(0, ATTR_HEIGHT, p),
                                     qstest::ListCount(p, PARAMS_LANGUAGE), e2e::Attr(p, PARAMS_LANGUAGE)});
        },
        {e2e::Fill(params, {{PARAMS_LANGUAGE, 1}, {PARAMS_SOUND, 0}, {PARAMS_INPUTS, 0}})}, PARAMS_CANCEL);
    LiveViewClose();
    EXPECT_EQ(status, std::string(Q31TxtLabelG[kLabLiveViewers]) + " 0|Race1");
    EXPECT_TRUE(key.size() == 10 && std::all_of(key.begin(), key.end(), ::isalnum)) << key;
    EXPECT_EQ(captions, Strings({GLabelBpG[3], Q31TxtLabelG[27], Q31TxtLabelG[28], Q31TxtLabelG[29],
                                 GLabelBpG[5], GLabelBpG[7], GLabelBpG[3], Q31TxtLabelG[33]}));
    // The addresses up, then the kept one, picked; no QR code while the saved view is off; the
    // four speeds with the kept one shown; the options cut to their corner without the second
    // display, the four languages with the one in force shown, and nothing changed by a cancel.
    EXPECT_EQ(seen, std::vector<int>({addresses + 2, addresses + 1, 0, 4, 9600, 1, 530, 130, 4, 2}));
    EXPECT_EQ(std::tuple(Q31G.language, Q31G.soundOn, Q31G.inputButtonsShown), std::tuple(2, 1, 1));
    run([] { Q31ParamIhm(Q31FIhmG); }, params, [](int) {},
        {e2e::Fill(params, {{PARAMS_LANGUAGE, 0}, {PARAMS_INPUTS, 0}})}, PARAMS_OK);
    EXPECT_EQ(std::tuple(Q31G.language, Q31G.soundOn, Q31G.inputButtonsShown), std::tuple(0, 1, 0));  // taken
}
