// The settings pages with their panels loaded: filling, reading, captions, the
// control callbacks and the settings-file dialog.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "SettingsFake.h"
#include "app/Q31Ihm.h"
#include "chrono/SbChrono.h"
#include "panels/FQ31.h"
#include "panels/FSabGen.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "settings/Q31FSet.h"
#include "settings/Q31FSetLogique.h"
#include "tests/support/TestSupport.h"
#include "ui/Dialogs.h"
#include "ui/Texts.h"

using namespace fq31;
using Frames = std::vector<std::string>;
using setfake::Envoyes;

namespace {

std::string g_fichier;  // what the file dialog answers ("" = cancelled)

int RepondreFichier(const char*, const char*, const char*, int, char pathOut[260]) {
    std::snprintf(pathOut, 260, "%s", g_fichier.c_str());
    return g_fichier.empty() ? VAL_NO_FILE_SELECTED : VAL_NEW_FILE_SELECTED;
}

int Val(int panel, int control) {
    int v = -12345;
    GetCtrlVal(panel, control, &v);
    return v;
}

std::string Texte(int panel, int control) {
    char text[300] = {};
    GetCtrlVal(panel, control, text, sizeof text);
    return text;
}

std::string Legende(int panel, int control) {
    char text[300] = {};
    GetCtrlAttribute(panel, control, ATTR_LABEL_TEXT, text, sizeof text);
    return text;
}

int Attribut(int panel, int control, int attribute) {
    int v = -1;
    GetCtrlAttribute(panel, control, attribute, &v);
    return v;
}

// Answers the next confirmation popup with its confirm or cancel button, from the
// background task that the popup's loop runs.
int g_reponse = 0;
void RepondrePopup() {
    const int popup = GetPanelHandleFromTag(4);
    if (g_reponse == 0 || popup <= 0) return;
    QueueUserEvent(popup, g_reponse);
    g_reponse = 0;
}

// Reads the information popup and closes it with its single button.
std::string g_popup;
void LirePopup() {
    if (int p = FindLoadedPanel("FSabGen.uir", fsabgen::POPUP)) {
        char text[300] = {};
        GetCtrlVal(p, fsabgen::POPUP_TEXTE, text, sizeof text);
        g_popup = text;
        QueueUserEvent(p, fsabgen::POPUP_OK);
    }
}

void Commit(CtrlCallbackPtr fn, int panel, int control) {
    fn(panel, control, EVENT_COMMIT, nullptr, 0, 0);
}

}  // namespace

class SettingsPanel : public setfake::SettingsTest {
protected:
    void SetUp() override {
        SettingsTest::SetUp();
        qstest::EnsureRuntime();
        // Recognisable captions: entry n of each table reads "S<n>", "L<n>".
        for (int i = 0; i < 61; ++i) {
            std::snprintf(Q31TxtLabSetG[i], sizeof Q31TxtLabSetG[i], "S%d", i);
            std::snprintf(Q31TxtLabelG[i], sizeof Q31TxtLabelG[i], "L%d", i);
        }
        std::snprintf(Q31TxtLabSetG[41], sizeof Q31TxtLabSetG[41], "Input");
        std::snprintf(Q31TxtLabSetG[43], sizeof Q31TxtLabSetG[43], "Off");
        Q31FSetEnregistrerCallbacks();
        main_ = LoadPanel(0, "FQ31.uir", MAIN);
        Q31FIhmG = main_ > 0 ? main_ : 0;
        Q31FSetCharger();
        Q31FSetTraduire();
        SetFileSelectHook(RepondreFichier);
        g_fichier.clear();
    }
    void TearDown() override {
        Q31FSetFermer();
        SetFileSelectHook(nullptr);
        for (int& p : Q31FSetG) {
            if (p > 0) DiscardPanel(p);
            p = 0;
        }
        if (main_ > 0) DiscardPanel(main_);
        Q31FIhmG = 0;
        SettingsTest::TearDown();
    }
    static int P(int page) { return Q31FSetG[size_t(page)]; }

    qstest::TempProgramDir dir_;
    int main_ = 0;
};

TEST_F(SettingsPanel, TenPagesLoadWithTheirCaptions) {
    for (int page = 0; page < 10; ++page) EXPECT_GT(P(page), 0) << page;
    EXPECT_EQ(Texte(P(3), PAGE3_TITLE), "S3");
    EXPECT_EQ(Legende(P(6), PAGE6_QUIT), "L7");
    EXPECT_EQ(Legende(P(9), PAGE9_OK), "L19");
    EXPECT_EQ(Legende(P(1), PAGE1_SYNC_COMPUTER), " S15 ");
    EXPECT_EQ(Legende(P(3), PAGE3_SAVE), " S38 ");
    EXPECT_EQ(Legende(P(5), PAGE5_RAZ), " S60 ");
    EXPECT_EQ(Texte(P(4), PAGE4_TXT45), "S45 ");
    EXPECT_EQ(Legende(P(4), PAGE4_FILE_LOAD), "L10");
}

TEST_F(SettingsPanel, InputListsAreRebuiltWithEachTranslation) {
    Q31FSetTraduirePage(4);  // a second time: the lists must not grow
    int n = 0;
    GetNumListItems(P(4), PAGE4_TB2, &n);
    EXPECT_EQ(n, 5);
    GetNumListItems(P(4), PAGE4_C3_1, &n);
    EXPECT_EQ(n, 3);
    GetNumListItems(P(4), PAGE4_P21, &n);
    EXPECT_EQ(n, 5);
    SetCtrlVal(P(4), PAGE4_TB2, 0);
    EXPECT_EQ(Texte(P(4), PAGE4_TB2), "Input 2 : Off");
    SetCtrlVal(P(4), PAGE4_TB2, 1000);
    EXPECT_EQ(Texte(P(4), PAGE4_TB2), "Input 2 : 10 s");
    // A value the list lacks shows as one more item, kept through a rebuild, gone once
    // the page shows a listed value again.
    SbComG.params.inputs[1] = SbComInput{7, 0, 1, 0, {}};
    Q31FSetTraduirePage(4);
    EXPECT_EQ(Texte(P(4), PAGE4_TB2), "7");
    EXPECT_EQ(Val(P(4), PAGE4_TB2), 7);
    SetCtrlVal(P(4), PAGE4_TB2, 10);
    GetNumListItems(P(4), PAGE4_TB2, &n);
    EXPECT_EQ(n, 5);
}

TEST_F(SettingsPanel, GeneralPageFillsAndConfirmsThroughItsControls) {
    SbComParams& p = SbComG.params;
    p.inputs[0].timeBase = 100;
    p.inputs[0].enabled = 0;  // disabled: shown off
    p.inputs[1].timeBase = 10;
    p.field7 = 4;
    Q31FSetParam(4);
    EXPECT_EQ(Val(P(4), PAGE4_TB1), 0);
    EXPECT_EQ(Val(P(4), PAGE4_TB2), 10);
    EXPECT_EQ(Val(P(4), PAGE4_P19), 4);

    SetCtrlVal(P(4), PAGE4_TB1, 1);
    SetCtrlVal(P(4), PAGE4_TB2, 0);
    SetCtrlVal(P(4), PAGE4_P7, 5);
    SetCtrlVal(P(4), PAGE4_P19, 6);
    Commit(FQ31SetValider, P(4), PAGE4_OK);
    const Frames f = Envoyes();
    ASSERT_EQ(f.size(), 14u);
    EXPECT_EQ(f[1], "WP 004 01 0001");
    EXPECT_EQ(f[3], "WP 006 01 1");
    EXPECT_EQ(f[4], "WP 004 02 0000");
    EXPECT_EQ(f[6], "WP 006 02 0");
    EXPECT_EQ(f[8], "WP 007 5");
    EXPECT_EQ(f.back(), "WP 016 3");
    EXPECT_EQ(p.field7, 6);  // kept for settings files, not sent
}

TEST_F(SettingsPanel, OpeningDrawsTheButtonInvertedAndClosingRestoresIt) {
    ASSERT_GT(main_, 0) << "the main window (FQ31.uir) of the build does not load";
    Commit(FQ31Set, main_, MAIN_PAGE_2);
    EXPECT_EQ(Q31FSetPageOuverte(), 2);
    EXPECT_EQ(Attribut(main_, MAIN_PAGE_2, ATTR_CMD_BUTTON_COLOR), 0xFFFFFF);
    EXPECT_EQ(Attribut(main_, MAIN_PAGE_2, ATTR_LABEL_COLOR), 0x554646);
    Commit(FQ31SetQuit, P(2), PAGE2_QUIT);
    EXPECT_EQ(Q31FSetPageOuverte(), -1);
    EXPECT_EQ(Attribut(main_, MAIN_PAGE_2, ATTR_CMD_BUTTON_COLOR), 0x554646);
    EXPECT_EQ(Attribut(main_, MAIN_PAGE_2, ATTR_LABEL_COLOR), 0xFFFFFF);
}

TEST_F(SettingsPanel, TimingModeCaptionFollowsTheSwitchBeforeConfirm) {
    SbComG.mode = 0;
    Q31FSetParam(2);
    EXPECT_EQ(Legende(P(2), PAGE2_MODE), "S18");
    SetCtrlVal(P(2), PAGE2_MODE, 1);
    Commit(FQ31SetChrono, P(2), PAGE2_MODE);
    EXPECT_EQ(Legende(P(2), PAGE2_MODE), "S17");
    EXPECT_EQ(SbComG.mode, 0);
    Commit(FQ31SetValider, P(2), PAGE2_OK);
    EXPECT_EQ(SbComG.mode, 1);
    EXPECT_EQ(Envoyes(), (Frames{"WC 003 01"}));
}

TEST_F(SettingsPanel, EthernetAddressesAndStatusIndicators) {
    SbCrG.ethernetStatus = {0, 0, 0x84, 0x01};
    Q31FSetParam(6);
    EXPECT_EQ(Val(P(6), PAGE6_A0_1), 192);
    EXPECT_EQ(Val(P(6), PAGE6_A0_4), 1);
    EXPECT_EQ(Val(P(6), PAGE6_ST2_0), 0);
    EXPECT_EQ(Val(P(6), PAGE6_ST2_2), 1);
    EXPECT_EQ(Val(P(6), PAGE6_ST2_7), 1);
    EXPECT_EQ(Val(P(6), PAGE6_ST3_0), 1);

    const int bytes[4] = {10, 0, 0, 5};
    const int ctrls[4] = {PAGE6_A0_1, PAGE6_A0_2, PAGE6_A0_3, PAGE6_A0_4};
    for (int i = 0; i < 4; ++i) SetCtrlVal(P(6), ctrls[i], bytes[i]);
    Commit(FQ31SetValider, P(6), PAGE6_OK);
    EXPECT_STREQ(SbComG.ethernet.address0, "010.000.000.005");
    EXPECT_STREQ(SbComG.ethernet.address1, "000.000.000.000");
    EXPECT_EQ(Envoyes(), (Frames{"WP 031 0 010.000.000.005", "WP 031 1 000.000.000.000"}));
}

TEST_F(SettingsPanel, GsmSwitchSendsOnlyBetweenOffAndOn) {
    SbCrG.gsmStatus = 0x01;  // on
    SetCtrlVal(P(7), PAGE7_STATE, 2);
    Commit(FQ31CmdGsm, P(7), PAGE7_STATE);
    EXPECT_TRUE(Envoyes().empty());
    SetCtrlVal(P(7), PAGE7_STATE, 0);
    Commit(FQ31CmdGsm, P(7), PAGE7_STATE);
    EXPECT_EQ(Envoyes(), (Frames{"WC 010 0"}));

    setfake::Effacer();
    SbCrG.gsmStatus = 0x00;  // off
    SetCtrlVal(P(7), PAGE7_STATE, 2);
    Commit(FQ31CmdGsm, P(7), PAGE7_STATE);
    EXPECT_EQ(Envoyes(), (Frames{"WC 010 2"}));
}

TEST_F(SettingsPanel, GsmSelectorShowsAndEditsOneSetOnly) {
    std::strcpy(SbComG.gsm.first[0].text[0], "zero");
    std::strcpy(SbComG.gsm.first[1].text[0], "one");
    SbComG.gsm.second[1].number = 77;
    SbCrG.gsmStatus = 0x41;
    SbCrG.gsmValue = 23;
    SetCtrlVal(P(7), PAGE7_SET, 1);
    Commit(FQ31ChoixGsm, P(7), PAGE7_SET);
    EXPECT_EQ(Q31G.gsmSetShown, 1);
    EXPECT_EQ(Texte(P(7), PAGE7_G1_T0), "one");
    EXPECT_EQ(Legende(P(7), PAGE7_G2_NUM), "e");
    EXPECT_EQ(Val(P(7), PAGE7_G2_NUM), 77);
    EXPECT_EQ(Val(P(7), PAGE7_STATE), 2);
    EXPECT_EQ(Val(P(7), PAGE7_B6), 2);
    EXPECT_EQ(Val(P(7), PAGE7_B0), 1);
    EXPECT_EQ(Val(P(7), PAGE7_B1), 0);
    EXPECT_EQ(Val(P(7), PAGE7_VALUE), 23);

    SetCtrlVal(P(7), PAGE7_G1_T0, "edited");
    Q31FSetParamGet(7);
    EXPECT_STREQ(SbComG.gsm.first[1].text[0], "edited");
    EXPECT_STREQ(SbComG.gsm.first[0].text[0], "zero");
}

// 20 accented letters in item 2 bring its frame's check value down to 0; one more would
// make it 0x8000 or more, which the clock can never accept.
TEST_F(SettingsPanel, GsmTextTheClockWouldRefuseIsNamedAndNothingIsSent) {
    SbSetTacheFond(LirePopup);
    Q31FSetParam(7);
    SetCtrlVal(P(7), PAGE7_G1_T1, std::string(21, '\xE9').c_str());
    Commit(FQ31SetValider, P(7), PAGE7_OK);
    EXPECT_TRUE(Envoyes().empty());
    EXPECT_EQ(g_popup, std::string(Q31TxtMesG[kQ31MesCheckRefused]) + " 2");

    g_popup.clear();
    SetCtrlVal(P(7), PAGE7_G1_T1, std::string(20, '\xE9').c_str());
    Commit(FQ31SetValider, P(7), PAGE7_OK);
    SbSetTacheFond(nullptr);
    EXPECT_TRUE(g_popup.empty());
    const Frames f = Envoyes();
    EXPECT_EQ(f.size(), 16u);
    EXPECT_NE(std::find(f.begin(), f.end(), "WP 030 2 " + std::string(20, '\xE9')), f.end());
}

TEST_F(SettingsPanel, ReceivedGsmTextGoesToTheTopOfTheTextBox) {
    std::strcpy(SbCrG.gsmText, "first");
    Q31FSetSimTextGSM();
    std::strcpy(SbCrG.gsmText, "second");
    Q31FSetSimTextGSM();
    EXPECT_EQ(Texte(P(7), PAGE7_TEXTS).rfind("second", 0), 0u);
}

TEST_F(SettingsPanel, ProgramNumberControlSkipsFiveAndSeven) {
    SbComG.currentProgram = 4;
    Q31FSetParam(3);
    auto typed = [&](int v) {
        SetCtrlVal(P(3), PAGE3_PROG_NUM, v);
        Commit(FQ31SetProgNumCharger, P(3), PAGE3_PROG_NUM);
        return Val(P(3), PAGE3_PROG_NUM);
    };
    // The control hands the value it had before to the rule (tested on its own).
    EXPECT_EQ(typed(5), 6);
    EXPECT_EQ(Texte(P(3), PAGE3_PROG_NAME), "FITA");
    EXPECT_EQ(typed(8), 8);
    EXPECT_EQ(typed(7), 6);
    EXPECT_TRUE(Envoyes().empty());
}

TEST_F(SettingsPanel, StoringAProgramKeepsFlagBitsOneToSeven) {
    SbComG.progs[12].p113 = 0xFE;
    Q31FSetParam(3);
    SetCtrlVal(P(3), PAGE3_SAVE_NUM, 12);
    SetCtrlVal(P(3), PAGE3_SAVE_NAME, "Sprint");
    SetCtrlVal(P(3), PAGE3_FLAG, 1);
    SetCtrlVal(P(3), PAGE3_F102, 45);
    Commit(FQ31SetProgSauver, P(3), PAGE3_SAVE);
    EXPECT_EQ(SbComG.progs[12].p113, 0xFF);
    EXPECT_EQ(SbComG.progs[12].p102, 45);
    EXPECT_STREQ(SbComG.progs[12].name, "Sprint");
    EXPECT_EQ(SbComG.editedProgram, 12);
    const Frames f = Envoyes();
    ASSERT_EQ(f.size(), 11u);
    EXPECT_EQ(f.front(), "WP 102 12 0045");
    EXPECT_EQ(f.back(), "WP 113 12 ff");
}

TEST_F(SettingsPanel, SimulatedRunOpensFromTheSwitch) {
    Simuler();
    SbComG.run.current = 0;
    SbComG.run.next = 99;
    Q31FSetParam(0);
    EXPECT_EQ(Val(P(0), PAGE0_RUN_SWITCH), 0);
    EXPECT_EQ(Val(P(0), PAGE0_RUN_NUMBER), 99);
    SetCtrlVal(P(0), PAGE0_RUN_SWITCH, 1);
    Commit(FQ31SetManche, P(0), PAGE0_RUN_SWITCH);
    EXPECT_EQ(SbComG.run.current, 99);
    EXPECT_EQ(SbComG.run.next, 1);
    EXPECT_EQ(Val(P(0), PAGE0_RUN_SWITCH), 1);
    EXPECT_EQ(Legende(P(0), PAGE0_RUN_SWITCH), "S7");
}

TEST_F(SettingsPanel, SynchronisationChoicesExcludeEachOther) {
    Q31FSetParam(1);
    SetCtrlVal(P(1), PAGE1_SYNC_PRESET, 1);
    Commit(FQ31SetSynchro, P(1), PAGE1_SYNC_PRESET);
    SetCtrlVal(P(1), PAGE1_SYNC_COMPUTER, 1);
    Commit(FQ31SetSynchro, P(1), PAGE1_SYNC_COMPUTER);
    EXPECT_EQ(Val(P(1), PAGE1_SYNC_PRESET), 0);
    SetCtrlVal(P(1), PAGE1_SYNC_COMPUTER, 0);
    Commit(FQ31SetSynchro, P(1), PAGE1_SYNC_COMPUTER);
    SetCtrlVal(P(1), PAGE1_TIMEZONE, 20);
    Commit(FQ31SetValider, P(1), PAGE1_OK);
    EXPECT_EQ(SbComG.synchro.mode, 0);
    EXPECT_EQ(Envoyes(), (Frames{"WP 009 20"}));
}

TEST_F(SettingsPanel, RunLoadingPageDimsWhatCannotBeDone) {
    SbComG.run.current = 0;
    SbComG.run.next = 1;
    Q31FSetParam(5);
    EXPECT_EQ(Attribut(P(5), PAGE5_LOAD, ATTR_DIMMED), 1);
    EXPECT_EQ(Attribut(P(5), PAGE5_RUN_NUM, ATTR_DIMMED), 1);
    EXPECT_EQ(Attribut(P(5), PAGE5_RAZ, ATTR_DIMMED), 0);

    SbComG.run.next = 5;
    SbComG.run.current = 4;
    Q31FSetParam(5);
    SetCtrlVal(P(5), PAGE5_TARGET, 1);
    Commit(FQ31MancheCible, P(5), PAGE5_TARGET);
    EXPECT_EQ(SbComG.downloadTarget, 1);
    EXPECT_EQ(Attribut(P(5), PAGE5_LOAD, ATTR_DIMMED), 1);  // the open run's table would be replaced
    EXPECT_EQ(Attribut(P(5), PAGE5_RAZ, ATTR_DIMMED), 1);
    EXPECT_EQ(Attribut(P(5), PAGE5_RUN_NUM, ATTR_MAX_VALUE), 4);
    SetCtrlVal(P(5), PAGE5_TARGET, 0);  // towards the other target it may still load
    Commit(FQ31MancheCible, P(5), PAGE5_TARGET);
    EXPECT_EQ(Attribut(P(5), PAGE5_LOAD, ATTR_DIMMED), 0);
    EXPECT_EQ(Attribut(P(5), PAGE5_RAZ, ATTR_DIMMED), 1);

    SbComG.run.current = 0;
    SbComG.downloadTarget = 1;
    Q31FSetParam(5);
    EXPECT_EQ(Attribut(P(5), PAGE5_LOAD, ATTR_DIMMED), 0);
    SetCtrlVal(P(5), PAGE5_RUN_NUM, 3);
    Commit(FQ31MancheCharger, P(5), PAGE5_LOAD);
    EXPECT_EQ(Q31DerMancheChargeeG, 3);
    EXPECT_EQ(Envoyes(), (Frames{"WC 012 03 0001"}));
}

TEST_F(SettingsPanel, SavingTakesUnconfirmedControlsAndLoadingSendsNothing) {
    MakeDir(dir_.file("Settings").c_str());
    Q31FSetParam(4);
    SetCtrlVal(P(4), PAGE4_P7, 7);
    g_fichier = dir_.file("Settings/race.q31set");
    Commit(FQ31SetParamSauver, P(4), PAGE4_FILE_SAVE);
    const std::string bytes = qstest::ReadFileBytes(g_fichier);
    ASSERT_EQ(bytes.size(), 160u);
    EXPECT_EQ(bytes[4], 7);  // field 1, the value of parameter 7
    EXPECT_EQ(Attribut(P(4), PAGE4_P7, ATTR_DIMMED), 0);

    SbComG.params.field1 = 1;
    Q31FSetParam(4);
    Commit(FQ31SetParamCharger, P(4), PAGE4_FILE_LOAD);
    EXPECT_EQ(SbComG.params.field1, 7);
    EXPECT_EQ(Val(P(4), PAGE4_P7), 7);

    g_fichier.clear();  // cancelled: nothing changes
    SbComG.params.field1 = 2;
    Commit(FQ31SetParamCharger, P(4), PAGE4_FILE_LOAD);
    EXPECT_EQ(SbComG.params.field1, 2);
    EXPECT_TRUE(Envoyes().empty());
}

TEST_F(SettingsPanel, ClosingTheRunAsksFirst) {
    SbComG.run.current = 3;
    SbComG.run.next = 4;
    SbSetTacheFond(RepondrePopup);
    Q31FSetParam(0);
    g_reponse = 2;  // declined: nothing sent, the switch comes back on
    SetCtrlVal(P(0), PAGE0_RUN_SWITCH, 0);
    Commit(FQ31SetManche, P(0), PAGE0_RUN_SWITCH);
    EXPECT_EQ(Envoyes(), (Frames{"RP 003"}));
    EXPECT_EQ(Val(P(0), PAGE0_RUN_SWITCH), 1);

    setfake::Effacer();
    g_reponse = 4;  // confirmed
    SetCtrlVal(P(0), PAGE0_RUN_SWITCH, 0);
    Commit(FQ31SetManche, P(0), PAGE0_RUN_SWITCH);
    SbSetTacheFond(nullptr);
    EXPECT_EQ(Envoyes(), (Frames{"WC 001", "RP 003"}));
}

TEST_F(SettingsPanel, OpeningReadsThePageAndHidesItsHoverCaptions) {
    SbComG.params.field1 = 2;
    Commit(FQ31Set, main_, MAIN_PAGE_4);
    ASSERT_EQ(Q31FSetPageOuverte(), 4);
    EXPECT_EQ(Envoyes().size(), 15u);
    EXPECT_EQ(Envoyes().back(), "RP 008");
    for (int c : {PAGE4_QUIT, PAGE4_OK, PAGE4_FILE_SAVE, PAGE4_FILE_LOAD})
        EXPECT_EQ(Attribut(P(4), c, ATTR_LABEL_VISIBLE), 0) << c;
    EXPECT_EQ(Val(P(4), PAGE4_P7), 2);
    Q31FSetFermer();

    setfake::Effacer();
    SbComG.extensions = {0, 2, 0};
    Commit(FQ31Set, main_, MAIN_EXT_2);
    EXPECT_EQ(Q31FSetPageOuverte(), 7);
    const Frames f = Envoyes();
    ASSERT_EQ(f.size(), 16u);
    EXPECT_EQ(f.front(), "RP 034");
}
