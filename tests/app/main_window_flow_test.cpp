// The main window driven as an operator would, headless: the ways to quit, the
// language change from the parameters dialog, and cancelling it.
#include <gtest/gtest.h>

#include <QWidget>

#include <cstring>
#include <functional>
#include <string>

#include "app/Q31Config.h"
#include "app/Q31Ihm.h"
#include "app/Q31Main.h"
#include "link/SbComRecord.h"
#include "panels/FQ31.h"
#include "panels/FSabGen.h"
#include "platform/Runtime.h"
#include "platform/cvi.h"
#include "tests/support/TestSupport.h"
#include "ui/Texts.h"

using namespace fq31;

namespace {

// One step of an operator's script: runs on every idle pass until it returns true.
std::vector<std::function<bool()>> script;
size_t step = 0;
int popups = 0;
long passes = 0;

void Drive() {
    ++passes;
    if (passes > 20000) Q31QuitG = 1;   // a stuck script ends the run instead of hanging
    if (step < script.size() && script[step]()) ++step;
}

std::string Caption(int panel, int control) {
    char buf[128] = {};
    GetCtrlAttribute(panel, control, ATTR_LABEL_TEXT, buf, sizeof buf);
    return buf;
}

void RunProgram(int language) {
    step = 0;
    popups = 0;
    passes = 0;
    memset(&Q31G, 0, sizeof Q31G);
    memset(&SbComG, 0, sizeof SbComG);
    Q31Config c{};
    Q31Defaut(&c);
    c.language = uint8_t(language);
    FileWriteAtomic("QS-310_V1-1.q31cnf", &c, sizeof c);
    SetIdleHook(Drive);
    static char arg0[] = "QS310Manager";
    static char* argv[] = {arg0, nullptr};
    Q31Main(1, argv);
    SetIdleHook(nullptr);
    script.clear();
}

bool MainShown() { return Q31FIhmG > 0; }

void CloseBox(int panel) {
    if (QWidget* w = qs::rt::PanelWidget(panel)) w->close();
}

}  // namespace

TEST(MainWindowFlow, CloseBoxEndsAtOnceWithoutAQuestion) {
    qstest::TempProgramDir dir;
    script = {MainShown, [] { CloseBox(Q31FIhmG); return true; },
              [] { popups += FindLoadedPanel("FSabGen.uir", fsabgen::POPUP) != 0; return false; }};
    RunProgram(0);
    EXPECT_EQ(step, 2u);
    EXPECT_EQ(popups, 0);
    EXPECT_LT(passes, 20000);
    EXPECT_EQ(qstest::FileSize(dir.file("QS-310_V1-1.q31cnf")), 2096);
}

TEST(MainWindowFlow, QuitButtonAsksAndDecliningKeepsTheProgramRunning) {
    qstest::TempProgramDir dir;
    static long passesAfterDecline = 0;
    script = {
        MainShown,
        [] { return QueueUserEvent(Q31FIhmG, MAIN_QUIT) == 0; },
        [] {   // the question: decline it
            int p = FindLoadedPanel("FSabGen.uir", fsabgen::POPUP);
            if (!p) return false;
            QueueUserEvent(p, fsabgen::POPUP_ANNULER);
            return true;
        },
        [] { passesAfterDecline = passes; return !FindLoadedPanel("FSabGen.uir", fsabgen::POPUP); },
        [] { return passes > passesAfterDecline + 20 && !Q31QuitG; },   // still turning
        [] { return QueueUserEvent(Q31FIhmG, MAIN_QUIT) == 0; },
        [] {   // asked again: confirm
            int p = FindLoadedPanel("FSabGen.uir", fsabgen::POPUP);
            if (!p) return false;
            QueueUserEvent(p, fsabgen::POPUP_VALIDER);
            return true;
        },
    };
    RunProgram(0);
    EXPECT_EQ(step, 7u);
    EXPECT_LT(passes, 20000);
}

TEST(MainWindowFlow, LanguageChangeReloadsTextsAndTranslatesThePanels) {
    qstest::TempProgramDir dir;
    static std::string before, after, keysTitle;
    script = {
        MainShown,
        [] {
            before = Caption(Q31FIhmG, MAIN_QUIT);
            return QueueUserEvent(Q31FIhmG, MAIN_PARAMS) == 0;
        },
        [] {
            int dlg = FindLoadedPanel("FQ31.uir", PARAMS);
            if (!dlg) return false;
            SetCtrlVal(dlg, PARAMS_LANGUAGE, 1);   // French
            QueueUserEvent(dlg, PARAMS_OK);
            return true;
        },
        [] { return !FindLoadedPanel("FQ31.uir", PARAMS); },
        [] {
            after = Caption(Q31FIhmG, MAIN_QUIT);
            Q31QuitG = 1;
            return true;
        },
    };
    RunProgram(0);
    ASSERT_EQ(step, 5u);
    EXPECT_EQ(Q31G.language, 1);
    EXPECT_FALSE(before.empty());
    EXPECT_NE(before, after);
    EXPECT_EQ(after, Q31TxtLabelG[7]);   // the tables now hold the French texts
    EXPECT_EQ(qstest::ReadFileBytes(dir.file("QS-310_V1-1.q31cnf"))[0], 1);
}

TEST(MainWindowFlow, CancellingTheParametersDialogChangesNothing) {
    qstest::TempProgramDir dir;
    script = {
        MainShown,
        [] { return QueueUserEvent(Q31FIhmG, MAIN_PARAMS) == 0; },
        [] {
            int dlg = FindLoadedPanel("FQ31.uir", PARAMS);
            if (!dlg) return false;
            SetCtrlVal(dlg, PARAMS_LANGUAGE, 2);
            SetCtrlVal(dlg, PARAMS_SOUND, 0);
            QueueUserEvent(dlg, PARAMS_CANCEL);
            return true;
        },
        [] { return !FindLoadedPanel("FQ31.uir", PARAMS); },
        [] { Q31QuitG = 1; return true; },
    };
    RunProgram(3);
    ASSERT_EQ(step, 5u);
    EXPECT_EQ(Q31G.language, 3);
    EXPECT_EQ(Q31G.soundOn, 1);
}
