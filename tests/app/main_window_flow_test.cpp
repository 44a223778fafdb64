// The main window driven as an operator would, headless: the ways to quit, the
// language change and the wire journal's switch from the parameters dialog, and
// cancelling it.
#include <gtest/gtest.h>

#include <QWidget>
#include <cstring>
#include <functional>
#include <string>

#include "app/Q31Ihm.h"
#include "app/Q31Main.h"
#include "display/Q31Fsd.h"
#include "link/SbComJournal.h"
#include "panels/FQ31.h"
#include "panels/FQ31_SD.h"
#include "panels/FSabGen.h"
#include "platform/Journal.h"
#include "platform/LocalSettings.h"
#include "platform/Runtime.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "tests/runner/Scripted.h"
#include "tests/support/TestSupport.h"
#include "ui/Dialogs.h"
#include "ui/Texts.h"

using namespace fq31;

namespace {

std::string Caption(int panel, int control) {
    char buf[128] = {};
    GetCtrlAttribute(panel, control, ATTR_LABEL_TEXT, buf, sizeof buf);
    return buf;
}

int popups = 0;

// Runs the whole program with the script of the test, and returns the steps done.
size_t RunProgram(int language, std::vector<std::function<bool()>> steps) {
    popups = 0;
    memset(&Q31G, 0, sizeof Q31G);
    memset(&SbComG, 0, sizeof SbComG);
    Q31Config c{};
    Q31Defaut(&c);
    c.language = uint8_t(language);
    FileWriteAtomic("QS-310_V1-1.q31cnf", &c, sizeof c);
    qstest::Scripted script(std::move(steps));
    static char arg0[] = "QS310Manager";
    static char* argv[] = {arg0, nullptr};
    Q31Main(1, argv);
    EXPECT_LT(script.Passes(), 20000) << "the script got stuck";
    return script.Done();
}

bool MainShown() {
    return Q31FIhmG > 0;
}

void CloseBox(int panel) {
    if (QWidget* w = qs::rt::PanelWidget(panel)) w->close();
}

// Puts the mouse inside a control of a panel.
void MoveOver(int panel, int control) {
    qstest::PointAt(panel, control, 4, 4);
}

int Cursor() {
    int c = -1;
    GetMouseCursor(&c);
    return c;
}

}  // namespace

TEST(MainWindowFlow, CloseBoxEndsAtOnceWithoutAQuestion) {
    qstest::TempProgramDir dir;
    size_t done = RunProgram(0, {MainShown,
                                 [] {
                                     CloseBox(Q31FIhmG);
                                     return true;
                                 },
                                 [] {
                                     popups += FindLoadedPanel("FSabGen.uir", fsabgen::POPUP) != 0;
                                     return false;
                                 }});
    EXPECT_EQ(done, 2u);
    EXPECT_EQ(popups, 0);
    EXPECT_EQ(qstest::FileSize(dir.file("QS-310_V1-1.q31cnf")), 2096);
}

TEST(MainWindowFlow, QuitButtonAsksAndDecliningKeepsTheProgramRunning) {
    qstest::TempProgramDir dir;
    static long passesAfterDecline = 0;
    auto passes = [] { return qstest::CurrentScript().passes; };
    size_t done =
        RunProgram(0, {
                          MainShown,
                          [] { return QueueUserEvent(Q31FIhmG, MAIN_QUIT) == 0; },
                          [] {  // the question: decline it
                              int p = FindLoadedPanel("FSabGen.uir", fsabgen::POPUP);
                              if (!p) return false;
                              QueueUserEvent(p, fsabgen::POPUP_ANNULER);
                              return true;
                          },
                          [=] {
                              passesAfterDecline = passes();
                              return !FindLoadedPanel("FSabGen.uir", fsabgen::POPUP);
                          },
                          [=] { return passes() > passesAfterDecline + 20 && !Q31QuitG; },  // still turning
                          [] { return QueueUserEvent(Q31FIhmG, MAIN_QUIT) == 0; },
                          [] {  // asked again: confirm
                              int p = FindLoadedPanel("FSabGen.uir", fsabgen::POPUP);
                              if (!p) return false;
                              QueueUserEvent(p, fsabgen::POPUP_VALIDER);
                              return true;
                          },
                      });
    EXPECT_EQ(done, 7u);
}

std::string WindowTitle(int panel) {
    QWidget* w = qs::rt::PanelWidget(panel);
    return w ? w->windowTitle().toStdString() : std::string();
}

// The journal is on until the operator switches it off; off, it stays off at the next start.
TEST(MainWindowFlow, LanguageChangeAndJournalSwitchAreAppliedAndKept) {
    qstest::TempProgramDir dir;
    static std::string before, after, keysTitle, dialogTitle, displayTitle;
    static int journalShown = -1, journalAfter = -1, journalAtRestart = -1;
    size_t done = RunProgram(0, {
                                    MainShown,
                                    [] {
                                        before = Caption(Q31FIhmG, MAIN_QUIT);
                                        return QueueUserEvent(Q31FIhmG, MAIN_PARAMS) == 0;
                                    },
                                    [] {
                                        int dlg = FindLoadedPanel("FQ31.uir", PARAMS);
                                        if (!dlg) return false;
                                        GetCtrlVal(dlg, PARAMS_JOURNAL, &journalShown);
                                        dialogTitle = WindowTitle(dlg);
                                        SetCtrlVal(dlg, PARAMS_LANGUAGE, 1);  // French
                                        SetCtrlVal(dlg, PARAMS_JOURNAL, 0);
                                        QueueUserEvent(dlg, PARAMS_OK);
                                        return true;
                                    },
                                    [] { return !FindLoadedPanel("FQ31.uir", PARAMS); },
                                    [] {
                                        after = Caption(Q31FIhmG, MAIN_QUIT);
                                        displayTitle =
                                            WindowTitle(FindLoadedPanel("FQ31_SD.uir", fq31_sd::DISPLAY));
                                        journalAfter = JournalActive();
                                        Q31QuitG = 1;
                                        return true;
                                    },
                                });
    ASSERT_EQ(done, 5u);
    EXPECT_EQ(Q31G.language, 1);
    EXPECT_FALSE(before.empty());
    EXPECT_NE(before, after);
    EXPECT_EQ(after, Q31TxtLabelG[7]);  // the tables now hold the French texts
    // The dialog's window title is translated too, and the second display's is the new
    // language's at once, not the one before.
    EXPECT_EQ(dialogTitle, "Options");
    EXPECT_EQ(displayTitle, std::string(Q31TxtLabelG[1]) + " QS-310");
    EXPECT_EQ(qstest::ReadFileBytes(dir.file("QS-310_V1-1.q31cnf"))[0], 1);
    EXPECT_EQ(journalShown, 1);
    EXPECT_EQ(journalAfter, 0);
    ASSERT_EQ(RunProgram(1, {MainShown,
                             [] {
                                 journalAtRestart = JournalActive();
                                 Q31QuitG = 1;
                                 return true;
                             }}),
              2u);
    EXPECT_EQ(journalAtRestart, 0);
    EXPECT_EQ(LocalSettingsInt(kSbComJournalReglage, 1), 0);
}

// With the second display shown, the dialog's hover list reaches down to its last
// control, the fourth logo's load button.
TEST(MainWindowFlow, CancellingTheParametersDialogChangesNothing) {
    qstest::TempProgramDir dir;
    static int hovered = -1, journal = -1;
    size_t done = RunProgram(3, {
                                    MainShown,
                                    [] {
                                        Q31FsdOuvrir();
                                        return QueueUserEvent(Q31FIhmG, MAIN_PARAMS) == 0;
                                    },
                                    [] {
                                        int dlg = FindLoadedPanel("FQ31.uir", PARAMS);
                                        if (!dlg) return false;
                                        MoveOver(dlg, PARAMS_LOGO4_LOAD);
                                        return true;
                                    },
                                    [] {
                                        static int passes = 0;
                                        hovered = Cursor();
                                        return hovered == VAL_POINTING_FINGER_CURSOR || ++passes > 50;
                                    },
                                    [] {
                                        int dlg = FindLoadedPanel("FQ31.uir", PARAMS);
                                        if (!dlg) return false;
                                        SetCtrlVal(dlg, PARAMS_LANGUAGE, 2);
                                        SetCtrlVal(dlg, PARAMS_SOUND, 0);
                                        SetCtrlVal(dlg, PARAMS_JOURNAL, 0);
                                        QueueUserEvent(dlg, PARAMS_CANCEL);
                                        return true;
                                    },
                                    [] { return !FindLoadedPanel("FQ31.uir", PARAMS); },
                                    [] {
                                        journal = JournalActive();
                                        Q31QuitG = 1;
                                        return true;
                                    },
                                });
    ASSERT_EQ(done, 7u);
    EXPECT_EQ(journal, 1);
    EXPECT_EQ(hovered, VAL_POINTING_FINGER_CURSOR);
    EXPECT_EQ(Q31G.language, 3);
    EXPECT_EQ(Q31G.soundOn, 1);
}

TEST(MainWindowFlow, SwitchingTheConnectionOffAsksFirst) {
    qstest::TempProgramDir dir;
    auto answer = [](int button) {
        return [button] {
            int p = FindLoadedPanel("FSabGen.uir", fsabgen::POPUP);
            if (!p) return false;
            QueueUserEvent(p, button);
            return true;
        };
    };
    auto switchTo = [](int on) {
        return [on] {
            SetCtrlVal(Q31FIhmG, MAIN_CONNECT_SWITCH, on);
            return QueueUserEvent(Q31FIhmG, MAIN_CONNECT_SWITCH) == 0;
        };
    };
    static int switchAfterDecline = -1, simulatingAfterDecline = -1;
    size_t done =
        RunProgram(0, {
                          MainShown,
                          switchTo(1),
                          [] {  // the connection dialog: simulate
                              int dlg = FindLoadedPanel("FQ31.uir", CONNECT);
                              if (!dlg) return false;
                              QueueUserEvent(dlg, CONNECT_SIMULATION);
                              return true;
                          },
                          [] { return SbComG.simulation == 1 && !FindLoadedPanel("FQ31.uir", CONNECT); },
                          switchTo(0),
                          answer(fsabgen::POPUP_ANNULER),
                          [] {
                              if (FindLoadedPanel("FSabGen.uir", fsabgen::POPUP)) return false;
                              GetCtrlVal(Q31FIhmG, MAIN_CONNECT_SWITCH, &switchAfterDecline);
                              simulatingAfterDecline = SbComG.simulation;
                              return true;
                          },
                          switchTo(0),
                          answer(fsabgen::POPUP_VALIDER),
                          [] { return !FindLoadedPanel("FSabGen.uir", fsabgen::POPUP) && !SbWaitOuvert(); },
                          [] {
                              Q31QuitG = 1;
                              return true;
                          },
                      });
    ASSERT_EQ(done, 11u);
    EXPECT_EQ(switchAfterDecline, 1);  // declining leaves it on
    EXPECT_EQ(simulatingAfterDecline, 1);
    EXPECT_EQ(SbComG.simulation, 0);  // confirming ends the simulation
    EXPECT_EQ(SbComG.linkState, 0);
}
