// The connection procedure, dialog first: each way of ending it, a connection to
// the stand-in clock checked on the wire and in the main window, and failures.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "app/Q31Aff.h"
#include "app/Q31Connexion.h"
#include "app/Q31Ihm.h"
#include "app/Q31Modules.h"
#include "link/SbComErreur.h"
#include "panels/FQ31.h"
#include "panels/FSabGen.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "tests/runner/FreshState.h"
#include "tests/runner/Scripted.h"
#include "tests/support/Standin.h"
#include "tests/support/TestSupport.h"
#include "ui/Dialogs.h"
#include "ui/Texts.h"

using namespace fq31;
using Strings = std::vector<std::string>;

namespace {

struct ErrorBox {
    int shown = 0;
    std::string title, text;
    int secondVisible = -1;
} errorBox;

// Notes and closes the error box with its first button.
bool AnswerErrorBox() {
    int p = FindLoadedPanel("FSabGen.uir", fsabgen::ERREUR);
    if (!p) return false;
    char buf[256] = {};
    GetCtrlVal(p, fsabgen::ERREUR_TITRE, buf, sizeof buf);
    errorBox.title = buf;
    GetCtrlVal(p, fsabgen::ERREUR_TEXTE, buf, sizeof buf);
    errorBox.text = buf;
    GetCtrlAttribute(p, fsabgen::ERREUR_BOUTON2, ATTR_VISIBLE, &errorBox.secondVisible);
    ++errorBox.shown;
    QueueUserEvent(p, fsabgen::ERREUR_BOUTON1);
    return true;
}

// Operates the connection dialog: sets the port, then presses the given button.
std::function<bool()> InDialog(int port, int button) {
    return [=] {
        int dlg = FindLoadedPanel("FQ31.uir", CONNECT);
        if (!dlg) return false;
        if (port) SetCtrlVal(dlg, CONNECT_PORT, port);
        QueueUserEvent(dlg, button);
        return true;
    };
}

class Connection : public ::testing::Test {
protected:
    void SetUp() override {
        qstest::FreshRecords();
        SbComDeplanter();
        Q31EnregistrerCallbacks();
        Q31QuitG = 0;
        Q31FIhmG = LoadPanel(0, "FQ31.uir", MAIN);
        ASSERT_GT(Q31FIhmG, 0);
        errorBox = ErrorBox{};
    }
    void TearDown() override {
        SbComQuitter();
        SbComDeplanter();
        DiscardPanel(Q31FIhmG);
        Q31FIhmG = 0;
        Q31QuitG = 0;
    }
    std::string Identity() {
        char buf[64] = {};
        GetCtrlVal(Q31FIhmG, MAIN_IDENTITY, buf, sizeof buf);
        return buf;
    }
    qstest::TempProgramDir dir_;
};

}  // namespace

TEST_F(Connection, SerialConnectReadsTheStartUpParametersAndSwitchesMessagesOn) {
    qstest::StandinClock clock(dir_);
    ASSERT_TRUE(clock.Running());
    {
        qstest::Scripted script({InDialog(5, CONNECT_CONNECT)});
        Q31Connexion(Q31FIhmG);
        EXPECT_EQ(script.Done(), 1u);
    }
    EXPECT_EQ(errorBox.shown, 0);
    EXPECT_EQ(SbComErreur(), 0);
    EXPECT_EQ(SbComG.linkState, 1);
    EXPECT_EQ(SbComG.port, 5);
    EXPECT_EQ(SbQ31CrG.connected, 1);
    EXPECT_EQ(clock.Wire(), (Strings{"SN", "RP 003", "RP 002", "RP 010", "RP 101", "RP 105 00", "RP 001",
                                     "RP 008", "RP 028 1", "RP 028 2", "RP 028 3", "EE 1"}));
    Q31InitAff(false, true);
    EXPECT_EQ(Identity(),
              "N\xB0"
              "01234 V110");
    int v = -1;
    GetCtrlVal(Q31FIhmG, MAIN_CONNECT_SWITCH, &v);
    EXPECT_EQ(v, 1);
    GetCtrlAttribute(Q31FIhmG, MAIN_KEYS_SWITCH, ATTR_DIMMED, &v);
    EXPECT_EQ(v, 0);  // the key panel is offered with a real clock
    GetCtrlVal(Q31FIhmG, MAIN_LINK_LAMP, &v);
    EXPECT_EQ(v, 1);
    int parentDimmed = -1;
    GetPanelAttribute(Q31FIhmG, ATTR_DIMMED, &parentDimmed);
    EXPECT_EQ(parentDimmed, 0);
}

TEST_F(Connection, PortThatCannotOpenShowsTheErrorWithOneButton) {
    SbComG.freePortCount = 64;  // offer every port number in the ring
    qstest::Scripted script({InDialog(40, CONNECT_CONNECT), AnswerErrorBox});
    Q31Connexion(Q31FIhmG);
    EXPECT_EQ(script.Done(), 2u);
    EXPECT_EQ(SbComG.linkState, 0);
    EXPECT_EQ(SbComG.port, 40);
    EXPECT_EQ(errorBox.shown, 1);
    EXPECT_EQ(errorBox.title, GMesComG[3]);
    EXPECT_NE(errorBox.text.find("40"), std::string::npos) << errorBox.text;
    EXPECT_EQ(errorBox.secondVisible, 0);  // the link is closed: no close-link button
    EXPECT_EQ(SbComErreur(), 0);           // shown, so cleared
    EXPECT_EQ(SbQ31CrG.connected, 0);
}

TEST_F(Connection, SimulationCancelAndQuitLeaveTheLinkClosedButKeepThePortFields) {
    {
        qstest::Scripted script({InDialog(3, CONNECT_CANCEL)});
        Q31Connexion(Q31FIhmG);
    }
    EXPECT_EQ(SbComG.port, 3);  // kept whatever ended the dialog
    EXPECT_EQ(SbComG.linkState, 0);
    EXPECT_EQ(SbComG.simulation, 0);
    {
        qstest::Scripted script({[] {
            if (!FindLoadedPanel("FQ31.uir", CONNECT)) return false;
            Q31QuitG = 1;  // a quit request while the dialog is open
            return true;
        }});
        Q31Connexion(Q31FIhmG);
        EXPECT_EQ(script.Done(), 1u);
    }
    EXPECT_EQ(SbComG.linkState, 0);
    Q31QuitG = 0;
    {
        qstest::Scripted script({InDialog(0, CONNECT_SIMULATION)});
        Q31Connexion(Q31FIhmG);
    }
    EXPECT_EQ(SbComG.linkState, 0);
    EXPECT_EQ(SbComG.simulation, 1);
    EXPECT_STREQ(SbComG.family, "QS310");
    EXPECT_STREQ(SbComG.version, "V000");
    EXPECT_EQ(errorBox.shown, 0);
    Q31InitAff(false, true);
    EXPECT_EQ(Identity(),
              "N\xB0"
              "00000 V000");
    int dimmed = -1;
    GetPanelAttribute(Q31FIhmG, ATTR_DIMMED, &dimmed);
    EXPECT_EQ(dimmed, 0);
}

TEST_F(Connection, RefreshPortsListsTheStandinPort) {
    qstest::StandinClock clock(dir_);
    ASSERT_TRUE(clock.Running());
    SbComG.freePortCount = 0;
    qstest::Scripted script({[] {
                                 int dlg = FindLoadedPanel("FQ31.uir", CONNECT);
                                 if (!dlg) return false;
                                 QueueUserEvent(dlg, CONNECT_REFRESH);
                                 return true;
                             },
                             [] {
                                 int dlg = FindLoadedPanel("FQ31.uir", CONNECT);
                                 int items = 0;
                                 GetNumListItems(dlg, CONNECT_PORT, &items);
                                 if (items == 0) return false;
                                 QueueUserEvent(dlg, CONNECT_CANCEL);
                                 return true;
                             }},
                            3000);
    Q31Connexion(Q31FIhmG);
    EXPECT_EQ(script.Done(), 2u);
    bool found = false;
    for (int i = 0; i < SbComG.freePortCount; ++i) found |= SbComG.portList[i] == 5;
    EXPECT_TRUE(found);
    EXPECT_FALSE(SbWaitOuvert());
}

TEST_F(Connection, SearchOnAMachineWithoutPortsSaysSoAndOffersNoConnect) {
    // An empty device folder leaves this machine's own ports out; no stand-in clock runs.
    const std::string none = dir_.file("no-devices");
    std::filesystem::create_directories(none);
    setenv("QS310_DEVICE_DIR", none.c_str(), 1);
    SbComG.freePortCount = 2;  // the list of an earlier search
    SbComG.portList[0] = 1;
    SbComG.portList[1] = 2;
    std::string told;
    int connectDimmed = -1, items = -1;
    qstest::Scripted script({InDialog(0, CONNECT_REFRESH),
                             [&] {
                                 int p = FindLoadedPanel("FSabGen.uir", fsabgen::POPUP);
                                 if (!p) return false;
                                 char buf[256] = {};
                                 GetCtrlVal(p, fsabgen::POPUP_TEXTE, buf, sizeof buf);
                                 told = buf;
                                 QueueUserEvent(p, fsabgen::POPUP_OK);
                                 return true;
                             },
                             [&] {
                                 int dlg = FindLoadedPanel("FQ31.uir", CONNECT);
                                 if (!dlg || FindLoadedPanel("FSabGen.uir", fsabgen::POPUP)) return false;
                                 GetCtrlAttribute(dlg, CONNECT_CONNECT, ATTR_DIMMED, &connectDimmed);
                                 GetNumListItems(dlg, CONNECT_PORT, &items);
                                 QueueUserEvent(dlg, CONNECT_CANCEL);
                                 return true;
                             }},
                            3000);
    Q31Connexion(Q31FIhmG);
    unsetenv("QS310_DEVICE_DIR");
    EXPECT_EQ(script.Done(), 3u);
    EXPECT_EQ(told, GMesComG[kMesComNoPortFound]);
    EXPECT_EQ(items, 0);
    EXPECT_EQ(connectDimmed, 1);
    EXPECT_EQ(SbComG.freePortCount, 0);
}
