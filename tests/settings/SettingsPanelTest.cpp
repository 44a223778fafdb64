// The settings pages with their panels loaded: what each page shows of the records, what
// its confirm sends, captions, and the dialogs the pages open.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "SettingsFake.h"
#include "app/Q31Ihm.h"
#include "chrono/SbChrono.h"
#include "panels/FQ31.h"
#include "panels/FSabGen.h"
#include "platform/cvi.h"
#include "settings/Q31FSet.h"
#include "settings/Q31FSetLogique.h"
#include "settings/Q31FSetPages.h"
#include "tests/support/TestSupport.h"
#include "ui/Dialogs.h"
#include "ui/Texts.h"

using namespace fq31;
using Frames = std::vector<std::string>;
using setfake::Envoyes;

namespace {

std::string g_fichier;  // what the file dialog answers ("" = cancelled)
int g_reponse = 0;      // the button the next confirmation popup gets; -1: read and close popups
std::string g_popup;    // the last information popup's text

int Val(int panel, int control, int attribute = 0) {
    int v = -12345;
    attribute ? GetCtrlAttribute(panel, control, attribute, &v) : GetCtrlVal(panel, control, &v);
    return v;
}
std::string Texte(int panel, int control, int attribute = 0) {
    char text[300] = {};
    attribute ? GetCtrlAttribute(panel, control, attribute, text, sizeof text)
              : GetCtrlVal(panel, control, text, sizeof text);
    return text;
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
        std::strcpy(Q31TxtLabSetG[41], "Input");
        std::strcpy(Q31TxtLabSetG[43], "Off");
        Q31FSetEnregistrerCallbacks();
        main_ = LoadPanel(0, "FQ31.uir", MAIN);
        ASSERT_GT(main_, 0);
        Q31FIhmG = main_;
        Q31FSetCharger();
        Q31FSetTraduire();
        SetFileSelectHook([](const char*, const char*, const char*, int, char out[260]) -> int {
            std::snprintf(out, 260, "%s", g_fichier.c_str());
            return g_fichier.empty() ? VAL_NO_FILE_SELECTED : VAL_NEW_FILE_SELECTED;
        });
        // Popups are answered from the background task their loop runs.
        SbSetTacheFond([] {
            if (const int popup = GetPanelHandleFromTag(4); popup > 0 && g_reponse > 0)
                QueueUserEvent(popup, std::exchange(g_reponse, 0));
            else if (int p = FindLoadedPanel("FSabGen.uir", fsabgen::POPUP); p && g_reponse < 0) {
                g_popup = Texte(p, fsabgen::POPUP_TEXTE);
                QueueUserEvent(p, fsabgen::POPUP_OK);
            }
        });
        g_fichier.clear();
        g_popup.clear();
    }
    void TearDown() override {
        SbSetTacheFond(nullptr);
        Q31FSetFermer();
        SetFileSelectHook(nullptr);
        for (int& p : Q31FSetG) {
            if (p > 0) DiscardPanel(p);
            p = 0;
        }
        DiscardPanel(main_);
        Q31FIhmG = 0;
        SettingsTest::TearDown();
    }
    static int P(int page) { return Q31FSetG[size_t(page)]; }

    qstest::TempProgramDir dir_;
    int main_ = 0;
};

// Each page shows the records, and its confirm sends what its controls then hold.
TEST_F(SettingsPanel, PagesShowTheRecordsAndConfirmSendsTheirControls) {
    struct Shown {
        int control, attribute, value;  // attribute 0: the control's value
    };
    struct Case {
        const char* name;
        std::function<void()> record;
        int page;
        std::vector<Shown> shown;
        std::vector<std::pair<int, int>> typed;
        int ok;  // 0: no confirm
        Frames sent;
    } const cases[] = {
        {"general: a disabled input shows off; speed last",
         [] {
             SbComG.params.inputs[0] = SbComInput{100, 0, 0, 0, {}};
             SbComG.params.inputs[1].timeBase = 10;
             SbComG.params.field7 = 4;
         },
         4,
         {{PAGE4_TB1, 0, 0}, {PAGE4_TB2, 0, 10}, {PAGE4_P19, 0, 4}},
         {{PAGE4_TB1, 1}, {PAGE4_TB2, 0}, {PAGE4_P7, 5}, {PAGE4_P19, 6}},
         PAGE4_OK,
         {"WP 001 2", "WP 004 01 0001", "WP 005 01 0", "WP 006 01 1", "WP 004 02 0000", "WP 005 02 0",
          "WP 006 02 0", "WP 023 0 1 1 1", "WP 007 5", "WP 029 03 03", "WP 017 0", "WP 021 00", "WP 012 1",
          "WP 016 3"}},
        {"timing mode", [] {}, 2, {{PAGE2_MODE, 0, 0}}, {{PAGE2_MODE, 1}}, PAGE2_OK, {"WC 003 01"}},
        {"ethernet addresses and status lights",
         [] {
             SbCrG.ethernetStatus = {0, 0, 0x84, 0x01};
         },
         6,
         {{PAGE6_A0_1, 0, 192},
          {PAGE6_A0_4, 0, 1},
          {PAGE6_ST2_0, 0, 0},
          {PAGE6_ST2_2, 0, 1},
          {PAGE6_ST2_7, 0, 1},
          {PAGE6_ST3_0, 0, 1}},
         {{PAGE6_A0_1, 10}, {PAGE6_A0_2, 0}, {PAGE6_A0_3, 0}, {PAGE6_A0_4, 5}},
         PAGE6_OK,
         {"WP 031 0 010.000.000.005", "WP 031 1 000.000.000.000"}},
        {"synchronisation at a preset time, then switched off",
         [] { SbComG.synchro.mode = 2; },
         1,
         {{PAGE1_SYNC_PRESET, 0, 1}, {PAGE1_SYNC_COMPUTER, 0, 0}},
         {{PAGE1_SYNC_PRESET, 0}, {PAGE1_TIMEZONE, 20}},
         PAGE1_OK,
         {"WP 009 20"}},
        {"synchronisation from the computer",
         [] { SbComG.synchro.mode = 5; },
         1,
         {{PAGE1_SYNC_PRESET, 0, 0}, {PAGE1_SYNC_COMPUTER, 0, 1}},
         {},
         0,
         {}},
        {"GSM set 2 with the module on",
         [] {
             std::strcpy(SbComG.gsm.first[1].text[0], "one");
             std::strcpy(SbComG.gsm.second[1].text[0], "two");
             SbComG.gsm.second[1].number = 77;
             SbCrG.gsmStatus = 0x41;
             SbCrG.gsmValue = 23;
             SetCtrlVal(P(7), PAGE7_SET, 1);
         },
         7,
         {{PAGE7_G2_NUM, 0, 77},
          {PAGE7_STATE, 0, 2},
          {PAGE7_B6, 0, 2},
          {PAGE7_B0, 0, 1},
          {PAGE7_B1, 0, 0},
          {PAGE7_VALUE, 0, 23}},
         {},
         0,
         {}},
        {"program 0 on the program page",
         [] { SbComG.progs[0].p111 = 7, SbComG.progs[0].p107 = 9; },
         3,
         {{PAGE3_F111, 0, 7}, {PAGE3_F107, 0, 9}},
         {},
         0,
         {}},
        {"run loading with no run open",
         [] { SbComG.run.current = 0, SbComG.run.next = 1; },
         5,
         {{PAGE5_LOAD, ATTR_DIMMED, 1}, {PAGE5_RUN_NUM, ATTR_DIMMED, 1}, {PAGE5_RAZ, ATTR_DIMMED, 0}},
         {},
         0,
         {}},
        {"run loading after one run",
         [] { SbComG.run.current = 0, SbComG.run.next = 2; },
         5,
         {{PAGE5_RUN_NUM, ATTR_DIMMED, 0}, {PAGE5_RUN_NUM, ATTR_MAX_VALUE, 1}},
         {},
         0,
         {}},
        {"run loading into this computer",
         [] { SbComG.run.current = 4, SbComG.run.next = 5, SbComG.downloadTarget = 1; },
         5,
         {{PAGE5_LOAD, ATTR_DIMMED, 1}, {PAGE5_RAZ, ATTR_DIMMED, 1}, {PAGE5_RUN_NUM, ATTR_MAX_VALUE, 4}},
         {},
         0,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SettingsTest::SetUp();
        c.record();
        Q31FSetParam(c.page);
        for (const Shown& s : c.shown)
            EXPECT_EQ(Val(P(c.page), s.control, s.attribute), s.value) << s.control;
        if (!c.ok) continue;
        for (auto [control, value] : c.typed) SetCtrlVal(P(c.page), control, value);
        Commit(FQ31SetValider, P(c.page), c.ok);
        EXPECT_EQ(Envoyes(), c.sent);
    }
    EXPECT_EQ(SbComG.synchro.mode, 0);
}

TEST_F(SettingsPanel, CaptionsAndListsAfterEachTranslation) {
    Q31FSetTraduirePage(4);  // a second time: the lists must not grow
    Q31FSetListesFixes();
    const struct {
        int page, control, attribute;
        const char* text;
    } captions[] = {
        {3, PAGE3_TITLE, 0, "S3"},
        {6, PAGE6_QUIT, ATTR_LABEL_TEXT, "L7"},
        {9, PAGE9_OK, ATTR_LABEL_TEXT, "L19"},
        {1, PAGE1_SYNC_COMPUTER, ATTR_LABEL_TEXT, " S15 "},
        {3, PAGE3_SAVE, ATTR_LABEL_TEXT, " S38 "},
        {5, PAGE5_RAZ, ATTR_LABEL_TEXT, " S60 "},
        {4, PAGE4_TXT45, 0, "S45 "},
        {4, PAGE4_FILE_LOAD, ATTR_LABEL_TEXT, "L10"},
        {3, PAGE3_PROG_NUM, ATTR_LABEL_TEXT, "S20"},
        {3, PAGE3_HEAD_PROG, 0, "S21"},
    };
    for (const auto& c : captions) EXPECT_EQ(Texte(P(c.page), c.control, c.attribute), c.text) << c.control;
    // The timing mode's caption follows its switch at once, before any confirm.
    for (auto [mode, text] : {std::pair{1, "S17"}, std::pair{0, "S18"}}) {
        SetCtrlVal(P(2), PAGE2_MODE, mode);
        Commit(FQ31SetChrono, P(2), PAGE2_MODE);
        EXPECT_EQ(Texte(P(2), PAGE2_MODE, ATTR_LABEL_TEXT), text);
    }
    const int lists[][3] = {{4, PAGE4_TB2, 5},       {4, PAGE4_C3_1, 3},  {4, PAGE4_P21, 5},
                            {4, PAGE4_PRECISION, 6}, {4, PAGE4_SPEED, 5}, {7, PAGE7_SET, 2},
                            {7, PAGE7_STATE, 3}};
    for (auto [page, control, count] : lists) {
        int n = 0;
        GetNumListItems(P(page), control, &n);
        EXPECT_EQ(n, count) << control;
    }
    SetCtrlVal(P(4), PAGE4_TB2, 0);
    EXPECT_EQ(Texte(P(4), PAGE4_TB2), "Input 2 : Off");
    SetCtrlVal(P(4), PAGE4_TB2, 1000);
    EXPECT_EQ(Texte(P(4), PAGE4_TB2), "Input 2 : 10 s");
    // A value the list lacks shows as one more item, kept through a rebuild.
    SbComG.params.inputs[1] = SbComInput{7, 0, 1, 0, {}};
    Q31FSetTraduirePage(4);
    EXPECT_EQ(Texte(P(4), PAGE4_TB2), "7");
    EXPECT_EQ(Val(P(4), PAGE4_TB2), 7);
}

TEST_F(SettingsPanel, OpeningReadsThePageInvertsItsButtonAndClosingRestoresIt) {
    SbComG.params.field1 = 1;  // not the default: the page shows the record, not what it held
    Commit(FQ31Set, main_, MAIN_PAGE_4);
    ASSERT_EQ(Q31FSetPageOuverte(), 4);
    EXPECT_EQ(Envoyes().size(), 15u);
    EXPECT_EQ(Envoyes().back(), "RP 008");
    for (int c : {PAGE4_QUIT, PAGE4_OK, PAGE4_FILE_SAVE, PAGE4_FILE_LOAD})
        EXPECT_EQ(Val(P(4), c, ATTR_LABEL_VISIBLE), 0) << c;  // hover captions hidden
    EXPECT_EQ(Val(P(4), PAGE4_P7), 1);
    EXPECT_EQ(Val(main_, MAIN_PAGE_4, ATTR_CMD_BUTTON_COLOR), 0xFFFFFF);
    EXPECT_EQ(Val(main_, MAIN_PAGE_4, ATTR_LABEL_COLOR), 0x554646);
    Commit(FQ31SetQuit, P(4), PAGE4_QUIT);
    EXPECT_EQ(Q31FSetPageOuverte(), -1);
    EXPECT_EQ(Val(main_, MAIN_PAGE_4, ATTR_CMD_BUTTON_COLOR), 0x554646);
    EXPECT_EQ(Val(main_, MAIN_PAGE_4, ATTR_LABEL_COLOR), 0xFFFFFF);
}

TEST_F(SettingsPanel, GsmSwitchSelectorAndTextsTheClockWouldRefuse) {
    // Only a change between off and on reaches the module (status 0x01 on, 0x00 off).
    const struct {
        int status, state;
        Frames frames;
    } switched[] = {{0x01, 2, {}}, {0x01, 0, {"WC 010 0"}}, {0x00, 2, {"WC 010 2"}}};
    for (const auto& [status, state, frames] : switched) {
        setfake::Effacer();
        SbCrG.gsmStatus = status;
        SetCtrlVal(P(7), PAGE7_STATE, state);
        Commit(FQ31CmdGsm, P(7), PAGE7_STATE);
        EXPECT_EQ(Envoyes(), frames);
    }
    // 20 accented letters in item 2 bring its frame's check value down to 0; one more
    // would make it 0x8000 or more, which the clock can never accept.
    Q31FSetParam(7);
    setfake::Effacer();
    g_reponse = -1;
    SetCtrlVal(P(7), PAGE7_G1_T1, std::string(21, '\xE9').c_str());
    Commit(FQ31SetValider, P(7), PAGE7_OK);
    EXPECT_TRUE(Envoyes().empty());
    EXPECT_EQ(g_popup, std::string(Q31TxtMesG[kQ31MesCheckRefused]) + " 2");
    g_popup.clear();
    SetCtrlVal(P(7), PAGE7_G1_T1, std::string(20, '\xE9').c_str());
    Commit(FQ31SetValider, P(7), PAGE7_OK);
    EXPECT_TRUE(g_popup.empty());
    const Frames f = Envoyes();
    EXPECT_EQ(f.size(), 16u);
    EXPECT_NE(std::find(f.begin(), f.end(), "WP 030 2 " + std::string(20, '\xE9')), f.end());
    // The selector shows and edits one set only.
    std::strcpy(SbComG.gsm.first[0].text[0], "zero");
    std::strcpy(SbComG.gsm.first[1].text[0], "one");
    SetCtrlVal(P(7), PAGE7_SET, 1);
    Commit(FQ31ChoixGsm, P(7), PAGE7_SET);
    EXPECT_EQ(Texte(P(7), PAGE7_G1_T0), "one");
    EXPECT_EQ(Texte(P(7), PAGE7_G2_NUM, ATTR_LABEL_TEXT), "e");
    SetCtrlVal(P(7), PAGE7_G1_T0, "edited");
    SetCtrlVal(P(7), PAGE7_G2_T2, "second");
    Q31FSetParamGet(7);
    EXPECT_STREQ(SbComG.gsm.first[1].text[0], "edited");
    EXPECT_STREQ(SbComG.gsm.second[1].text[2], "second");
    EXPECT_STREQ(SbComG.gsm.first[0].text[0], "zero");
}

TEST_F(SettingsPanel, ProgramNumberSkipsFiveAndSevenAndStoringKeepsFlagBits) {
    SbComG.currentProgram = 4;
    SbComG.progs[12].p113 = 0xFE;
    Q31FSetParam(3);
    for (auto [typed, shown] : {std::pair{5, 6}, {8, 8}, {7, 6}}) {
        SetCtrlVal(P(3), PAGE3_PROG_NUM, typed);
        Commit(FQ31SetProgNumCharger, P(3), PAGE3_PROG_NUM);
        EXPECT_EQ(Val(P(3), PAGE3_PROG_NUM), shown) << typed;
    }
    EXPECT_EQ(Texte(P(3), PAGE3_PROG_NAME), "FITA");
    EXPECT_TRUE(Envoyes().empty());
    SetCtrlVal(P(3), PAGE3_SAVE_NUM, 12);
    SetCtrlVal(P(3), PAGE3_SAVE_NAME, "Sprint");
    SetCtrlVal(P(3), PAGE3_FLAG, 1);
    SetCtrlVal(P(3), PAGE3_F102, 45);
    Commit(FQ31SetProgSauver, P(3), PAGE3_SAVE);
    EXPECT_EQ(SbComG.progs[12].p113, 0xFF);
    EXPECT_STREQ(SbComG.progs[12].name, "Sprint");
    EXPECT_EQ(Envoyes(), (Frames{"WP 102 12 0045", "WP 103 12 0030", "WP 104 12 60", "WP 105 12 00",
                                 "WP 107 12 246", "WP 108 12 251", "WP 109 12 000", "WP 110 12 251",
                                 "WP 111 12 246", "WP 112 12 000", "WP 113 12 ff"}));
}

TEST_F(SettingsPanel, RunsAreLoadedTowardsATarget) {
    SbComG.run.current = 4, SbComG.run.next = 5;
    Commit(FQ31Set, main_, MAIN_PAGE_5);
    setfake::Effacer();
    SetCtrlVal(P(5), PAGE5_TARGET, 0);  // towards the clock's printer it may still load
    Commit(FQ31MancheCible, P(5), PAGE5_TARGET);
    EXPECT_EQ(Val(P(5), PAGE5_LOAD, ATTR_DIMMED), 0);
    SbComG.run.current = 0;
    SetCtrlVal(P(5), PAGE5_TARGET, 1);
    Commit(FQ31MancheCible, P(5), PAGE5_TARGET);
    EXPECT_EQ(SbComG.downloadTarget, 1);
    SetCtrlVal(P(5), PAGE5_RUN_NUM, 3);
    Commit(FQ31MancheCharger, P(5), PAGE5_LOAD);
    EXPECT_EQ(Q31DerMancheChargeeG, 3);
    EXPECT_EQ(Envoyes(), (Frames{"WC 012 03 0001"}));
    EXPECT_EQ(Q31FSetPageOuverte(), -1);  // the times come into the table below
}

TEST_F(SettingsPanel, ClosingTheRunAsksFirst) {
    SbComG.run.current = 3, SbComG.run.next = 4;
    Q31FSetParam(0);
    // Declined: only the run is read again and the switch comes back on; then confirmed.
    for (auto [answer, frames] : {std::pair{2, Frames{"RP 003"}}, std::pair{4, Frames{"WC 001", "RP 003"}}}) {
        setfake::Effacer();
        g_reponse = answer;
        SetCtrlVal(P(0), PAGE0_RUN_SWITCH, 0);
        Commit(FQ31SetManche, P(0), PAGE0_RUN_SWITCH);
        EXPECT_EQ(Envoyes(), frames);
        EXPECT_EQ(Val(P(0), PAGE0_RUN_SWITCH), 1);
    }
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
