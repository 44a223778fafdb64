// The key panel and the main window's start, stop and reset buttons: the long press, the
// checks before a start, and what reaches the simulated clock.
#include <gtest/gtest.h>

#include "app/Q31Aff.h"
#include "app/Q31Ihm.h"
#include "app/Q31Modules.h"
#include "panels/FQ31.h"
#include "panels/FSabGen.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "settings/Q31FKey.h"
#include "simulation/Q31Simu.h"
#include "tests/runner/FreshState.h"
#include "tests/runner/Operator.h"
#include "ui/Texts.h"

using namespace fq31;

extern int Q31FKeyG;
int FQ31Key(int panel, int control, int event, void* data, int d1, int d2);
int FQ31BpProg(int panel, int control, int event, void* data, int d1, int d2);

namespace {

double now = 50.0;
std::string popupText;

class KeyPanel : public ::testing::Test {
protected:
    void SetUp() override {
        qstest::FreshRecords();
        Q31EnregistrerCallbacks();
        Q31FIhmG = LoadPanel(0, "FQ31.uir", MAIN);
        Q31FKeyCharger();
        ASSERT_GT(Q31FKeyG, 0);
        SetTimeSource([] { return now; }, nullptr);
        Q31SimuInit();
        SbComG.simulation = 1;
        SbComG.synchro.mode = 5;
        SbComG.currentProgram = 1;
        popupText.clear();
        SetIdleHook([] {  // notes and closes the information a start may give
            if (int p = FindLoadedPanel("FSabGen.uir", fsabgen::POPUP)) {
                popupText = e2e::Text(p, fsabgen::POPUP_TEXTE);
                QueueUserEvent(p, fsabgen::POPUP_OK);
            }
        });
    }
    void TearDown() override {
        SetIdleHook(nullptr);
        SetTimeSource(nullptr, nullptr);
        Q31FKeyQuitter();
        DiscardPanel(Q31FIhmG);
        Q31FIhmG = 0;
    }
    void PressStartStopFor(double seconds) {
        Q31TopBpG = now;  // the press, as the panel callback notes it
        now += seconds;
        FQ31Key(Q31FKeyG, KEYS_STARTSTOP, EVENT_COMMIT, nullptr, 0, 0);
    }
    qstest::TempProgramDir dir_;
};

}  // namespace

TEST_F(KeyPanel, HeldOverThreeSecondsResetsAtMostThreeStartsOrStops) {
    PressStartStopFor(3.0);
    EXPECT_EQ(SbQ31CrG.status1, 1);    // armed
    EXPECT_EQ(SbCrG.soundRequest, 2);  // rising tones
    SbCrG.soundRequest = 0;
    PressStartStopFor(3.5);
    EXPECT_EQ(SbQ31CrG.status1, 0);    // reset only
    EXPECT_EQ(SbCrG.soundRequest, 3);  // falling tones
    EXPECT_TRUE(popupText.empty());
}

TEST_F(KeyPanel, StartWithoutProgramOrSynchronisationExplainsAndSendsNothing) {
    SbComG.currentProgram = 0;
    SbComG.synchro.mode = 0;
    PressStartStopFor(0.2);
    EXPECT_EQ(popupText, Q31TxtMesG[14]);  // the program check comes first
    EXPECT_EQ(SbQ31CrG.status1, 0);
    int dimmed = -1;
    GetPanelAttribute(Q31FKeyG, ATTR_DIMMED, &dimmed);
    EXPECT_EQ(dimmed, 0);
    SbComG.currentProgram = 2;
    PressStartStopFor(0.2);
    EXPECT_EQ(popupText, Q31TxtMesG[13]);
    EXPECT_EQ(SbQ31CrG.status1, 0);
}

// The main window's buttons, and the switch and close box that show and hide the panel.
TEST_F(KeyPanel, MainWindowButtonsStartAndResetWithoutTheLongPressRule) {
    Q31TopBpG = now - 10;  // a long-ago press must not turn start into reset
    FQ31BpProg(Q31FIhmG, MAIN_START, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(SbQ31CrG.status1, 1);
    FQ31BpProg(Q31FIhmG, MAIN_RESET, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(SbQ31CrG.status1, 0);
    int shown = -1;
    for (int on : {1, 0}) {
        on ? Q31FKeyOuvrir() : Q31FKeyFermer();
        GetPanelAttribute(Q31FKeyG, ATTR_VISIBLE, &shown);
        EXPECT_EQ(shown, on);
        EXPECT_EQ(e2e::Value(Q31FIhmG, MAIN_KEYS_SWITCH), on);
    }
}
