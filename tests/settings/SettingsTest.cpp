// The settings pages: the frames they send to the clock, what they show, captions, settings files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>

#include "chrono/SbChrono.h"
#include "link/SbComConfig.h"
#include "link/SbComDecoder.h"
#include "link/SbComErreur.h"
#include "panels/FQ31.h"
#include "panels/FSabGen.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "records/SbCr.h"
#include "settings/Q31FKey.h"
#include "settings/Q31FSet.h"
#include "settings/Q31FSetLogique.h"
#include "settings/Q31FSetPages.h"
#include "simulation/Q31Simu.h"
#include "tests/runner/FreshState.h"
#include "tests/support/MemoryPort.h"
#include "tests/support/TestSupport.h"
#include "ui/Dialogs.h"
#include "ui/MainPanel.h"
#include "ui/Texts.h"

using namespace fq31;
using Frames = std::vector<std::string>;
extern int Q31FKeyG;

namespace {

std::string g_file;   // what the file dialog answers ("" = cancelled)
int g_answer = 0;     // the button the next popup gets; -1: read and close every popup
std::string g_popup;  // the last popup's text

// Payloads of the frames sent since the last Sent() (frame marks removed).
Frames Sent() {
    Frames out;
    for (const auto& f : std::exchange(memport::C().frames, {})) out.push_back(f.substr(1, f.find('\t') - 1));
    return out;
}
using qstest::onscreen::Attr, qstest::onscreen::Text;
// A control committed as the operator does, after typing `typed` into it if given.
void Commit(CtrlCallbackPtr fn, int panel, int control, std::optional<int> typed = {}) {
    if (typed) SetCtrlVal(panel, control, *typed);
    fn(panel, control, EVENT_COMMIT, nullptr, 0, 0);
}
// A page filled from the records, typed in (control, value, control, value...), then confirmed.
template <class... Typed>
void Confirm(int page, int ok, Typed... typed) {
    Q31FSetParam(page);
    const int v[] = {typed...};
    for (size_t i = 0; i < sizeof v / sizeof *v; i += 2) SetCtrlVal(Q31FSetPanel(page), v[i], v[i + 1]);
    Commit(FQ31SetValider, Q31FSetPanel(page), ok);
}

// The pages loaded into the main window, captioned "S<n>" and "L<n>" by entry n, over the
// memory port's clock (every frame kept, each answered "AK").
class Settings : public ::testing::Test {
protected:
    void SetUp() override {
        Reset();
        for (int i = 0; i < 61; ++i) {
            std::snprintf(Q31TxtLabSetG[i], sizeof Q31TxtLabSetG[i], "S%d", i);
            std::snprintf(Q31TxtLabelG[i], sizeof Q31TxtLabelG[i], "L%d", i);
        }
        Q31FSetEnregistrerCallbacks();
        Q31FKeyEnregistrerCallbacks();
        Q31FIhmG = LoadPanel(0, "FQ31.uir", MAIN);
        Q31FSetCharger();
        Q31FSetTraduire();
        SetFileSelectHook([](const char*, const char*, const char*, int, char out[260]) -> int {
            std::snprintf(out, 260, "%s", g_file.c_str());
            return g_file.empty() ? VAL_NO_FILE_SELECTED : VAL_NEW_FILE_SELECTED;
        });
        // Popups are answered from the background task their loop runs.
        SbSetTacheFond([] {
            const int p = FindLoadedPanel("FSabGen.uir", fsabgen::POPUP);
            if (p <= 0 || g_answer == 0) return;
            g_popup = Text(p, fsabgen::POPUP_TEXTE);
            QueueUserEvent(p, g_answer > 0 ? std::exchange(g_answer, 0) : int(fsabgen::POPUP_OK));
        });
        g_file.clear();
        g_popup.clear();
    }
    void Reset() {
        qstest::FreshRecords();
        memport::C() = {};
        memport::P() = {};
        SbComInstallerPort(&ops_);
        SbComG.linkState = 0;
        SbComDeplanter();
        SbComG.linkState = 1;  // the error cleared, no port touched
        // The clock already works at the record's speed: writing it never reopens a port.
        SbComVitesseCouranteG = SbComG.params.speedCode;
    }
    void TearDown() override {
        SbSetTacheFond(nullptr);
        SetFileSelectHook(nullptr);
        Q31FSetFermer();
        for (int& p : Q31FSetG)
            if (p > 0) DiscardPanel(std::exchange(p, 0));
        DiscardPanel(std::exchange(Q31FIhmG, 0));
        SbComG.linkState = 0;
        SbComDeplanter();
        SbComInstallerPort(nullptr);
    }
    static int P(int page) { return Q31FSetG[size_t(page)]; }

    const SbComPortOps ops_ = memport::ClockOps();
    qstest::TempProgramDir dir_;
};

}  // namespace

TEST_F(Settings, PagesAndCommandsSendTheseFrames) {
    struct Case {
        const char* name;
        std::function<void()> act;
        Frames frames;     // the whole exchange, or its start when count is given
        size_t count = 0;  // the reads made after connecting follow the first frames
    } const cases[] = {
        {"ethernet reads", [] { Q31FSetEnvoyerLectures(6); }, {"RP 035", "RP 031 0", "RP 031 1"}},
        {"synchronisation off, at a preset time, from the computer",
         [] {
             for (int mode : {0, 2, 5}) {
                 SbComG.synchro.mode = mode;
                 Q31FSetEnvoyerEcritures(1);
             }
             SbComG.synchro.mode = 2;  // then a preset time switched off on the page
             Confirm(1, PAGE1_OK, PAGE1_SYNC_PRESET, 0, PAGE1_TIMEZONE, 20);
             EXPECT_EQ(SbComG.synchro.mode, 0);
         },
         {"WP 009 19", "WP 009 19", "WC 007 02 08:30 23/09/10", "WP 009 19", "WC 007 05 08:30 23/09/10",
          "WC 009 00400", "WP 009 20"}},
        {"run opened and closed; run loads: only towards this computer is the mirrored run changed",
         [] {
             Q31FSetOuvrirManche();
             Q31FSetFermerManche();
             Q31FSetSetMirror(nullptr, [](int run) { Q31DerMancheChargeeG = run; });
             Q31FSetChargerManche(3, 1);
             Q31FSetChargerManche(2, 0);
             EXPECT_EQ(Q31DerMancheChargeeG, 3);
             Q31FSetSetMirror(nullptr, nullptr);
         },
         {"WC 002", "WC 001", "WC 012 03 0001", "WC 012 02 0000"}},
        {"closing the run declined on its question: the run read again, the switch back on",
         [] {
             SbComG.run.current = 3;
             g_answer = 2;
             Q31FSetParam(0);
             Commit(FQ31SetManche, P(0), PAGE0_RUN_SWITCH, 0);
             EXPECT_EQ(Attr(P(0), PAGE0_RUN_SWITCH), 1);
         },
         {"RP 003"}},
        {"remote keys",
         [] {
             for (int key : {KEYS_KEY1, KEYS_KEY2, KEYS_KEY4, KEYS_KEY8})
                 Commit(FindCallback("FQ31Key"), 0, key);
             SbComG.currentProgram = 1;  // start/stop needs both
             SbComG.synchro.mode = 2;
             for (int button : {MAIN_RESET, 0}) Commit(FindCallback("FQ31BpProg"), 0, button);
         },
         {"WC 009 00100", "WC 009 00200", "WC 009 00400", "WC 009 00800", "WC 009 02000", "WC 009 01000"}},
        {"GSM switched on from its page (that only a change reaches the module is the link's)",
         [] { Commit(FQ31CmdGsm, P(7), PAGE7_STATE, 2); },
         {"WC 010 2"}},
        {"GSM reads", [] { Q31FSetEnvoyerLectures(7); }, {"RP 034", "RP 030 1"}, 16},
        {"memory clear, then the reads", [] { Q31FSetRazMemoire(); }, {"WC 005 58203", "RP 003"}, 11},
        {"program load from its page, then reads",
         [] {
             SetCtrlVal(P(3), PAGE3_PROG_NUM, 8);
             SbComG.progs[8].p111 = 9;
             Commit(FQ31SetProgCharger, P(3), PAGE3_LOAD);
             EXPECT_EQ(Attr(P(3), PAGE3_F111), 9);  // the page shows the program loaded
         },
         {"WC 004 08", "RP 102 08"},
         12},
        {"the simulated clock (its own rules are the simulation's): the pages hand it what they do",
         [] {
             SbComG.linkState = 0;
             SbComG.simulation = 1;
             Q31G.simu.simuSynchronised = 1;
             Q31FSetEnvoyerEcritures(1);  // switched off, it stays as it was
             const int off = Q31G.simu.simuSynchronised;
             SbComG.synchro.mode = 2;
             Q31FSetEnvoyerEcritures(1);  // a preset time waits for an impulse
             EXPECT_EQ(std::pair(off, Q31G.simu.simuSynchronised), std::pair(1, 0));
             SbComG.run.next = 99;
             Q31G.simu.simuCountInput1 = 4;
             Q31FSetOuvrirManche();
             const int opened = SbComG.run.current;
             Q31FSetFermerManche();
             Q31FSetRazMemoire();
             EXPECT_EQ(std::tuple(opened, SbComG.run.current, Q31G.simu.simuCountInput1),
                       std::tuple(99, 0, 0));
         },
         {}},
        {"general page: an input switched on, one off, speed last",
         [] {
             SbComG.params.inputs[0] = SbComInput{100, 0, 0, 0, {}};
             SbComG.params.inputs[1].timeBase = 10;
             Confirm(4, PAGE4_OK, PAGE4_TB1, 1, PAGE4_TB2, 0, PAGE4_P7, 5, PAGE4_P19, 6);
         },
         {"WP 001 2", "WP 004 01 0001", "WP 005 01 0", "WP 006 01 1", "WP 004 02 0000", "WP 005 02 0",
          "WP 006 02 0", "WP 023 0 1 1 1", "WP 007 5", "WP 029 03 03", "WP 017 0", "WP 021 00", "WP 012 1",
          "WP 016 3"}},
        {"timing mode page", [] { Confirm(2, PAGE2_OK, PAGE2_MODE, 1); }, {"WC 003 01"}},
        // Values the lists and switches do not offer go back as they came, confirmed untouched.
        {"a time zone beyond the list, a mode neither PTB nor SPLIT, no program",
         [] {
             SbComG.synchro.timeZone = 40;
             Confirm(1, PAGE1_OK);
             SbComG.mode = 3;
             Confirm(2, PAGE2_OK);
             SbComG.currentProgram = 0;
             Confirm(3, PAGE3_OK);
             EXPECT_EQ(SbComG.currentProgram, 0);
         },
         {"WP 009 40", "WC 003 03", "WP 102 00 0060"},
         13},
        {"general page filled again: values its lists do not show, an input off keeps its time base",
         [] {
             SbComG.params.inputs[1] = SbComInput{100, 0, 1, 1, {}};  // listed: 1 s
             Confirm(4, PAGE4_OK);
             Sent();
             SbComG.params.precision = 7;
             SbComG.params.inputs[0] = SbComInput{5, 3, 0, 1, {}};
             SbComG.params.inputs[1] = SbComInput{7, 0, 1, 5, {}};
             SbComG.params.field9 = 9;
             SbComG.params.speedCode = 7;  // the clock's, in use
             SbComVitesseCouranteG = 7;
             Confirm(4, PAGE4_OK);
         },
         {"WP 001 7", "WP 004 01 0005", "WP 005 01 3", "WP 006 01 0", "WP 004 02 0007", "WP 005 02 0",
          "WP 006 02 1", "WP 023 1 5 1 1", "WP 007 2", "WP 029 03 03", "WP 017 0", "WP 021 09", "WP 012 1",
          "WP 016 7"}},
        {"ethernet page",
         [] { Confirm(6, PAGE6_OK, PAGE6_A0_1, 10, PAGE6_A0_2, 0, PAGE6_A0_3, 0, PAGE6_A0_4, 5); },
         {"WP 031 0 010.000.000.005", "WP 031 1 000.000.000.000"}},
        {"ethernet page: addresses the fields cannot show go back as they came until a field changes",
         [] {
             std::strcpy(SbComG.ethernet.address0, "10.0.0.1/24");
             std::strcpy(SbComG.ethernet.address1, "192.168.1.300");
             Confirm(6, PAGE6_OK);
             Confirm(6, PAGE6_OK, PAGE6_A1_4, 7);
         },
         {"WP 031 0 10.0.0.1/24", "WP 031 1 192.168.1.300", "WP 031 0 10.0.0.1/24",
          "WP 031 1 192.168.001.007"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reset();
        c.act();
        Frames f = Sent();
        EXPECT_EQ(f.size(), c.count ? c.count : c.frames.size());
        f.resize(std::min(f.size(), c.frames.size()));
        EXPECT_EQ(f, c.frames);
    }
}

// Each page shows the records (the general page's time bases: the frame table's rows).
TEST_F(Settings, PagesShowTheRecords) {
    SbComG.params.field7 = 4;
    SbComG.synchro.mode = 5;
    SbComG.synchro.hour = 21;
    SbComG.synchro.minute = 47;
    SbComG.progs[0].p111 = 7;
    SbComG.currentProgram = 12;
    std::strcpy(SbComG.progs[12].name, "Sprint");
    SbCrG.ethernetStatus = {0, 0, 0x84, 0x01};
    SbComG.gsm.second[1].number = 77;
    SbCrG.gsmStatus = 0xC1;
    SbCrG.gsmValue = 23;
    SbComG.run = SbComRun{0, 6};  // closed: the next run's number shown
    SetCtrlVal(P(7), PAGE7_SET, 1);
    for (int page : {0, 1, 2, 3, 4, 6, 7}) Q31FSetParam(page);
    const int max = ATTR_MAX_VALUE, label = ATTR_LABEL_TEXT;
    const int shown[][4] = {
        // page, control, attribute (0: the value), value
        {4, PAGE4_P19, 0, 4},   {1, PAGE1_SYNC_PRESET, 0, 0}, {1, PAGE1_SYNC_COMPUTER, 0, 1},
        {3, PAGE3_F111, 0, 7},  {6, PAGE6_ST2_0, 0, 0},       {3, PAGE3_SAVE_NUM, max, 50},
        {6, PAGE6_ST2_7, 0, 1}, {6, PAGE6_ST3_0, 0, 1},       {7, PAGE7_G2_NUM, 0, 77},
        {7, PAGE7_STATE, 0, 2}, {7, PAGE7_B6, 0, 2},          {7, PAGE7_VALUE, 0, 23},
        {2, PAGE2_MODE, 0, 0},  {6, PAGE6_A0_1, 0, 192},      {0, PAGE0_RUN_NUMBER, 0, 6},
        {1, PAGE1_HOUR, 0, 21}, {1, PAGE1_MINUTE, 0, 47},
    };
    for (auto [page, control, attribute, value] : shown)
        EXPECT_EQ(Attr(P(page), control, attribute), value) << page << " " << control;
    EXPECT_EQ(Attr(P(7), PAGE7_B7, 0), 1);  // the status's high bit
    // Loading a run. Rows: current and next run, target; number dimmed, button dimmed, highest, clear dimmed.
    const int runs[][7] = {
        {0, 1, 0, 1, 1, 1, 0}, {0, 2, 0, 0, 0, 1, 0}, {4, 5, 1, 0, 1, 4, 1}, {4, 5, 0, 0, 0, 4, 1}};
    for (auto [current, next, target, number, load, max, clear] : runs) {
        SbComG.run = SbComRun{current, next};
        SbComG.downloadTarget = target;
        Q31FSetParam(5);
        EXPECT_EQ(std::tuple(Attr(P(5), PAGE5_RUN_NUM, ATTR_DIMMED), Attr(P(5), PAGE5_LOAD, ATTR_DIMMED),
                             Attr(P(5), PAGE5_RUN_NUM, ATTR_MAX_VALUE), Attr(P(5), PAGE5_RAZ, ATTR_DIMMED)),
                  std::tuple(number, load, max, clear));
    }
    // The captions and lists after a second translation (the lists must not grow).
    Q31FSetTraduirePage(4);
    Q31FSetListesFixes();
    SetCtrlVal(P(4), PAGE4_TB2, 0);
    const std::tuple<int, int, int, const char*> captions[] = {
        // page, control, attribute (0: the value), text; S43: an input switched off, S8: the run closed
        {4, PAGE4_TXT45, 0, "S45 "},       {0, PAGE0_RUN_SWITCH, label, "S8"},
        {9, PAGE9_OK, label, "L19"},       {3, PAGE3_TITLE, 0, "S3"},
        {3, PAGE3_PROG_NUM, label, "S20"}, {4, PAGE4_TB2, 0, "S41 2 : S43"},
        {3, PAGE3_HEAD_PROG, 0, "S21"},    {1, PAGE1_SYNC_COMPUTER, label, " S15 "},
        {3, PAGE3_PROG_NAME, 0, "Sprint"},
    };
    for (auto [page, control, attribute, text] : captions) EXPECT_EQ(Text(P(page), control, attribute), text);
    // The timing mode's caption follows its switch at once, before any confirm.
    for (auto [mode, text] : {std::pair{1, "S17"}, std::pair{0, "S18"}}) {
        Commit(FQ31SetChrono, P(2), PAGE2_MODE, mode);
        EXPECT_EQ(Text(P(2), PAGE2_MODE, label), text);
    }
    const int lists[][3] = {{4, PAGE4_TB2, 5}, {4, PAGE4_C2_1, 2},      {4, PAGE4_C3_1, 3},
                            {4, PAGE4_P21, 5}, {4, PAGE4_PRECISION, 6}, {4, PAGE4_SPEED, 5},
                            {7, PAGE7_SET, 2}, {7, PAGE7_STATE, 3},     {5, PAGE5_TARGET, 3}};
    for (auto [page, control, count] : lists)
        EXPECT_EQ(qstest::ListCount(P(page), control), count) << control;
}

TEST_F(Settings, OpeningReadsThePageEachTimeInvertsItsButtonAndClosingRestoresIt) {
    SbComG.extensions = {4, 0, 2};  // an extension of type 4 opens the page that reads nothing, type 0 none
    for (auto [button, open] : {std::pair{MAIN_EXT_2, -1}, {MAIN_EXT_1, 9}, {MAIN_PAGE_0, 9}}) {
        Commit(FQ31Set, Q31FIhmG, button);  // another page waits for the close
        EXPECT_EQ(Q31FSetPageOuverte(), open) << button;
    }
    Commit(FQ31SetQuit, P(9), PAGE9_QUIT);
    SbComG.params.field1 = 1;  // not the default: the page shows the record, not what it held
    for (int twice = 0; twice < 2; ++twice) {
        Commit(FQ31Set, Q31FIhmG, MAIN_PAGE_4);
        EXPECT_EQ(Sent().size(), 15u);  // the reads, in the order the race checks
        for (int c : {PAGE4_QUIT, PAGE4_OK, PAGE4_FILE_SAVE, PAGE4_FILE_LOAD, PAGE4_PRECISION})
            EXPECT_EQ(Attr(P(4), c, ATTR_LABEL_VISIBLE), c == PAGE4_PRECISION) << c;  // captions on hover
        EXPECT_EQ(std::pair(Q31FSetPageOuverte(), Attr(P(4), PAGE4_P7)), std::pair(4, 1));
        EXPECT_EQ(Attr(Q31FIhmG, MAIN_PAGE_4, ATTR_LABEL_COLOR), 0x554646);
        Commit(FQ31SetQuit, P(4), PAGE4_QUIT);
        EXPECT_EQ(std::pair(Q31FSetPageOuverte(), Attr(Q31FIhmG, MAIN_PAGE_4, ATTR_CMD_BUTTON_COLOR)),
                  std::pair(-1, 0x554646));
    }
}

// Start/stop held three seconds arms the simulated clock with rising tones, held longer it only resets
// (falling tones); a start without a program, then without synchronisation, explains and does nothing.
TEST_F(Settings, StartStopLongPressAndTheChecksBeforeAStart) {
    static double now = 100;
    SetTimeSource([] { return now; }, nullptr);
    Q31FKeyCharger();
    Q31SimuInit();
    SbComG.linkState = 0;
    SbComG.simulation = 1;
    g_answer = -1;  // every popup read and closed
    const std::tuple<double, int, int, int, int, int> presses[] = {
        // held, program, synchronisation; then running, tones, the message told (-1: none)
        {3.0, 1, 5, 1, 2, -1},
        {3.5, 1, 5, 0, 3, -1},
        {0.2, 0, 0, 0, 0, 14},  // neither: the program is asked for first
        {0.2, 2, 0, 0, 0, 13}};
    for (auto [held, program, synchro, running, tones, message] : presses) {
        SbComG.currentProgram = program;
        SbComG.synchro.mode = synchro;
        SbCrG.soundRequest = 0;
        Q31TopBpG = now;  // the press, as the main window notes it
        now += held;
        Commit(FindCallback("FQ31Key"), Q31FKeyG, KEYS_STARTSTOP);
        EXPECT_EQ(std::tuple(int(SbQ31CrG.status1), SbCrG.soundRequest, std::exchange(g_popup, "")),
                  std::tuple(running, tones, message < 0 ? "" : Q31TxtMesG[message]))
            << held << " s, program " << program;
        EXPECT_EQ(Attr(Q31FKeyG, 0, ATTR_DIMMED), 0);
    }
    SetTimeSource(nullptr, nullptr);
    Q31FKeyQuitter();
}

TEST_F(Settings, GsmSelectorAndTextsTheClockWouldRefuse) {
    // 20 accented letters in item 2 bring its frame's check value down to 0; one more
    // would make it 0x8000 or more, which the clock can never accept.
    g_answer = -1;
    Q31FSetParam(7);  // every popup read and closed
    for (auto [letters, refused] : {std::pair{21, true}, {20, false}}) {
        const std::string text(size_t(letters), '\xE9');
        SetCtrlVal(P(7), PAGE7_G1_T1, text.c_str());
        Commit(FQ31SetValider, P(7), PAGE7_OK);
        EXPECT_EQ(std::exchange(g_popup, ""),
                  refused ? std::string(Q31TxtMesG[kQ31MesCheckRefused]) + " 2" : "");
        const Frames f = Sent();
        EXPECT_EQ(std::pair(f.size(), std::count(f.begin(), f.end(), "WP 030 2 " + text)),
                  refused ? std::pair(0ul, 0l) : std::pair(16ul, 1l));
    }
    // The selector shows and edits one set only, its fields captioned with its keys.
    std::strcpy(SbComG.gsm.first[1].text[0], "one");
    std::strcpy(SbComG.gsm.second[1].text[2], "two");
    Commit(FQ31ChoixGsm, P(7), PAGE7_SET, 1);
    const std::pair<std::string, std::string> texts = {Text(P(7), PAGE7_G1_T0), Text(P(7), PAGE7_G2_T2)};
    EXPECT_EQ(texts, std::pair(std::string("one"), std::string("two")));
    for (auto [control, key] : {std::pair{PAGE7_G1_T0, "a"}, {PAGE7_G2_T2, "g"}, {PAGE7_G2_NUM, "e"}})
        EXPECT_EQ(Text(P(7), control, ATTR_LABEL_TEXT), key);
    SetCtrlVal(P(7), PAGE7_G1_T0, "edited");
    Q31FSetParamGet(7);
    EXPECT_STREQ(SbComG.gsm.first[1].text[0], "edited");
}

TEST_F(Settings, ProgramNumberSkipsFiveAndSevenAndStoringKeepsFlagBits) {
    SbComG.currentProgram = 4;
    SbComG.progs[12].p113 = 0xFE;
    Q31FSetParam(3);
    for (auto [typed, shown] : {std::pair{5, 6}, {8, 8}, {7, 6}}) {
        Commit(FQ31SetProgNumCharger, P(3), PAGE3_PROG_NUM, typed);
        EXPECT_EQ(Attr(P(3), PAGE3_PROG_NUM), shown) << typed;
    }
    EXPECT_EQ(Text(P(3), PAGE3_PROG_NAME), "FITA");
    SetCtrlVal(P(3), PAGE3_SAVE_NAME, "Sprint");
    for (auto [control, value] : {std::pair{PAGE3_SAVE_NUM, 12}, {PAGE3_FLAG, 1}, {PAGE3_F102, 45}})
        SetCtrlVal(P(3), control, value);
    Commit(FQ31SetProgSauver, P(3), PAGE3_SAVE);
    EXPECT_EQ(SbComG.progs[12].p113, 0xFF);
    EXPECT_STREQ(SbComG.progs[12].name, "Sprint");
    EXPECT_EQ(Sent(), (Frames{"WP 102 12 0045", "WP 103 12 0030", "WP 104 12 60", "WP 105 12 00",
                              "WP 107 12 246", "WP 108 12 251", "WP 109 12 000", "WP 110 12 251",
                              "WP 111 12 246", "WP 112 12 000", "WP 113 12 ff"}));
}

// Short and damaged files are the bad-input suite's; here: each page's whole block, and a cancel.
TEST_F(Settings, SavingTakesUnconfirmedControlsAndLoadingSendsNothing) {
    MakeDir(dir_.file("Settings").c_str());
    Q31FSetParam(4);
    Q31FSetParam(7);
    SetCtrlVal(P(4), PAGE4_P7, 7);
    SetCtrlVal(P(7), PAGE7_G2_T2, "Finish");  // typed, not confirmed
    const std::string set = dir_.file("Settings/race.q31set"), gsm = dir_.file("Settings/race.q31gsm");
    g_file = set;
    Commit(FQ31SetParamSauver, P(4), PAGE4_FILE_SAVE);
    g_file = gsm;
    Commit(FQ31SetGsmSauver, P(7), PAGE7_FILE_SAVE);
    const std::string bytes = qstest::ReadFileBytes(set);  // byte 4: field 1, the value of parameter 7
    EXPECT_EQ(std::tuple(bytes.size(), bytes.substr(4, 1), qstest::FileSize(gsm)),
              std::tuple(160u, "\x07", 560));
    SbComValDefaut(&SbComG);
    for (int page : {4, 7}) Q31FSetParam(page);  // the defaults shown until each file loads
    g_file = set;
    Commit(FQ31SetParamCharger, P(4), PAGE4_FILE_LOAD);
    g_file = gsm;
    Commit(FQ31SetGsmCharger, P(7), PAGE7_FILE_LOAD);
    EXPECT_EQ(std::tuple(Attr(P(4), PAGE4_P7), Text(P(7), PAGE7_G2_T2)), std::tuple(7, "Finish"));
    g_file.clear();
    SbComG.params.field1 = 2;  // cancelled: nothing changes
    Commit(FQ31SetParamCharger, P(4), PAGE4_FILE_LOAD);
    EXPECT_EQ(std::tuple(SbComG.params.field1, Sent()), std::tuple(2, Frames{}));
}
