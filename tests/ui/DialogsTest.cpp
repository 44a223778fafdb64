// Shared dialogs: wait box, popups, error box, about box, language choice.
#include <gtest/gtest.h>

#include <QWidget>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "panels/FSabGen.h"
#include "platform/Runtime.h"
#include "platform/cvi.h"
#include "tests/support/TestSupport.h"
#include "ui/Dialogs.h"

namespace {

using namespace fsabgen;

// Each test runs in a private program folder with a plain panel as the parent.
class Dialogs : public ::testing::Test {
protected:
    void SetUp() override {
        qstest::EnsureRuntime();
        parent_ = LoadPanel(0, "FSabGen.uir", LANGUE);
        ASSERT_GT(parent_, 0) << "the shared panels (FSabGen.uir) of the build do not load";
        DisplayPanel(parent_);
    }
    void TearDown() override {
        SbSetTacheFond(nullptr);
        SbSetTourModal(nullptr);
        if (parent_ > 0) DiscardPanel(parent_);
    }
    static int Dimmed(int panel) {
        int v = -1;
        GetPanelAttribute(panel, ATTR_DIMMED, &v);
        return v;
    }
    static int Cursor() {
        int c = -1;
        GetMouseCursor(&c);
        return c;
    }
    static std::string Text(int panel, int control) {
        char buf[512] = {};
        GetCtrlVal(panel, control, buf, sizeof buf);
        return buf;
    }
    static int PanelAttribute(int panel, int attribute) {
        int v = -1;
        GetPanelAttribute(panel, attribute, &v);
        return v;
    }

    qstest::TempProgramDir dir_;
    int parent_ = 0;
};

// What a dialog looked like while it was up, seen from its loop.
struct Seen {
    int turns = 0;
    int panel = 0;
    int parentDimmed = -1;
    int okVisible = -1, confirmVisible = -1, cancelVisible = -1, secondVisible = -1;
    int height = -1, areaHeight = -1, buttonsBottom = -1, detailBottom = -1;
    std::string title, text, detail, confirm, cancel, ok, first, second;
    int answer = 0;  // control to commit on the first turn
};
Seen seen;
int seenParent = 0;

TEST_F(Dialogs, WaitBoxOpenedThreeTimesAndClosedOnceLeavesNothingBehind) {
    SbWait(parent_, "first");
    SbWait(parent_, "second");
    SbWait(parent_, std::string(300, 'w').c_str());
    ASSERT_TRUE(SbWaitOuvert());
    int box = GetPanelHandleFromTag(WAIT);
    ASSERT_GT(box, 0);
    EXPECT_EQ(Text(box, WAIT_TEXTE), std::string(199, 'w'));  // the text is cut to 199
    EXPECT_EQ(Dimmed(parent_), 1);
    EXPECT_EQ(Cursor(), VAL_HOUR_GLASS_CURSOR);

    SbFermerWait(true, 0);
    EXPECT_FALSE(SbWaitOuvert());
    EXPECT_EQ(GetPanelHandleFromTag(WAIT), 0);
    EXPECT_EQ(Dimmed(parent_), 0);
    EXPECT_EQ(Cursor(), VAL_DEFAULT_CURSOR);
    SbFermerWait(true, 0);  // closing a closed box does nothing
    EXPECT_FALSE(SbWaitOuvert());
}

TEST_F(Dialogs, ClosingTheWaitBoxCanLeaveItsParentDimmed) {
    SetPanelAttribute(parent_, ATTR_DIMMED, 0);
    SbWait(parent_, "searching");
    SbFermerWait(false, 0);
    EXPECT_EQ(Dimmed(parent_), 1);  // the connection dialog keeps its parent dimmed
    EXPECT_EQ(Cursor(), VAL_DEFAULT_CURSOR);
}

// Reads the captions and texts a box shows, then answers it with seen.answer.
struct BoxReader {
    int panel;
    std::string Text(int c) const {
        char buf[256] = {};
        GetCtrlVal(panel, c, buf, sizeof buf);
        return buf;
    }
    std::string Caption(int c) const {
        char buf[256] = {};
        GetCtrlAttribute(panel, c, ATTR_LABEL_TEXT, buf, sizeof buf);
        return buf;
    }
    int Visible(int c) const {
        int v = -1;
        GetCtrlAttribute(panel, c, ATTR_VISIBLE, &v);
        return v;
    }
};

void AnswerPopup() {
    int p = GetPanelHandleFromTag(POPUP);
    if (p <= 0 || seen.turns++ > 0) return;
    const BoxReader box{p};
    seen.panel = p;
    GetPanelAttribute(seenParent, ATTR_DIMMED, &seen.parentDimmed);
    seen.title = box.Text(POPUP_TITRE);
    seen.text = box.Text(POPUP_TEXTE);
    seen.confirm = box.Caption(POPUP_VALIDER);
    seen.cancel = box.Caption(POPUP_ANNULER);
    seen.ok = box.Caption(POPUP_OK);
    seen.okVisible = box.Visible(POPUP_OK);
    seen.confirmVisible = box.Visible(POPUP_VALIDER);
    seen.cancelVisible = box.Visible(POPUP_ANNULER);
    QueueUserEvent(p, seen.answer);
}

TEST_F(Dialogs, ConfirmationAnsweredWithCancelReturnsFalseAndUndimsTheParent) {
    seen = Seen{};
    seenParent = parent_;
    seen.answer = POPUP_ANNULER;
    SbSetTacheFond(AnswerPopup);  // the popup runs the background task on every turn
    EXPECT_FALSE(SbPopupValid(parent_, "QS-310 Manager", "Close the connection?", "Yes", "No"));
    EXPECT_EQ(seen.parentDimmed, 1);
    EXPECT_EQ(seen.title, "QS-310 Manager");
    EXPECT_EQ(seen.text, "Close the connection?");
    EXPECT_EQ(seen.confirm, "Yes");
    EXPECT_EQ(seen.cancel, "No");
    EXPECT_EQ(seen.okVisible, 0);
    EXPECT_EQ(Dimmed(parent_), 0);
    EXPECT_EQ(GetPanelHandleFromTag(POPUP), 0);

    seen = Seen{};
    seen.answer = POPUP_VALIDER;
    EXPECT_TRUE(SbPopupValid(parent_, "QS-310 Manager", "Quit?", "Yes", "No"));
    EXPECT_EQ(Dimmed(parent_), 0);
}

TEST_F(Dialogs, InformationPopupShowsOnlyItsSingleButton) {
    seen = Seen{};
    seenParent = parent_;
    seen.answer = POPUP_OK;
    SbSetTacheFond(AnswerPopup);
    SbPopup(parent_, "QS-310 Manager", "No start program is selected.", "OK");
    EXPECT_EQ(seen.turns, 1);
    EXPECT_EQ(seen.ok, "OK");
    EXPECT_EQ(seen.okVisible, 1);
    EXPECT_EQ(seen.confirmVisible, 0);
    EXPECT_EQ(seen.cancelVisible, 0);
    EXPECT_EQ(Dimmed(parent_), 0);
}

void AnswerError(int p) {
    if (seen.turns++ > 0) return;
    const BoxReader box{p};
    seen.panel = p;
    GetPanelAttribute(seenParent, ATTR_DIMMED, &seen.parentDimmed);
    seen.title = box.Text(ERREUR_TITRE);
    seen.text = box.Text(ERREUR_TEXTE);
    seen.detail = box.Text(ERREUR_DETAIL);
    seen.first = box.Caption(ERREUR_BOUTON1);
    seen.second = box.Caption(ERREUR_BOUTON2);
    seen.secondVisible = box.Visible(ERREUR_BOUTON2);
    GetCtrlAttribute(p, ERREUR_ZONE, ATTR_HEIGHT, &seen.areaHeight);
    GetPanelAttribute(p, ATTR_HEIGHT, &seen.height);
    int top = 0, height = 0;
    GetCtrlAttribute(p, ERREUR_BOUTON1, ATTR_TOP, &top);
    GetCtrlAttribute(p, ERREUR_BOUTON1, ATTR_HEIGHT, &height);
    seen.buttonsBottom = top + height;
    GetCtrlAttribute(p, ERREUR_DETAIL, ATTR_TOP, &top);
    GetCtrlAttribute(p, ERREUR_DETAIL, ATTR_HEIGHT, &height);
    seen.detailBottom = top + height;
    QueueUserEvent(p, seen.answer);
}

TEST_F(Dialogs, ErrorBoxWithoutDetailIsShortAndHidesAnUnwantedSecondButton) {
    seen = Seen{};
    seenParent = parent_;
    seen.answer = ERREUR_BOUTON1;
    SbSetTourModal(AnswerError);
    SetMouseCursor(VAL_POINTING_FINGER_CURSOR);
    SetWaitCursor(1);
    std::string longText(250, 't');
    int r = SbAfficherErreur(parent_, "Start Clock QS-310 INTERFACE FAILURE", longText.c_str(), "", "OK",
                             false, "Disconnect");
    EXPECT_EQ(r, 1);
    EXPECT_EQ(seen.parentDimmed, 1);
    EXPECT_EQ(seen.title, "Start Clock QS-310 INTERFACE FAILURE");
    EXPECT_EQ(seen.text, std::string(199, 't'));
    EXPECT_EQ(seen.detail, "");
    // Short: it ends below its buttons (not cut through them) and above the detail.
    EXPECT_GE(seen.height, seen.buttonsBottom);
    EXPECT_LT(seen.height, seen.detailBottom);
    EXPECT_EQ(seen.areaHeight, seen.height);
    EXPECT_EQ(seen.secondVisible, 0);  // whatever its caption
    EXPECT_EQ(seen.first, "OK");
    EXPECT_EQ(Dimmed(parent_), 0);
    EXPECT_EQ(Cursor(), VAL_DEFAULT_CURSOR);
}

TEST_F(Dialogs, ErrorBoxWithDetailKeepsItsFullHeightAndReportsTheSecondButton) {
    seen = Seen{};
    seenParent = parent_;
    seen.answer = ERREUR_BOUTON2;
    SbSetTourModal(AnswerError);
    int r = SbAfficherErreur(parent_, "Serial port error", "No clock answers on COM3.", "line 1\nline 2",
                             "OK", true, "Disconnect");
    EXPECT_EQ(r, 2);
    EXPECT_EQ(seen.detail, "line 1\nline 2");
    EXPECT_GE(seen.height, seen.detailBottom);
    EXPECT_GE(seen.areaHeight, seen.detailBottom);
    EXPECT_EQ(seen.secondVisible, 1);
    EXPECT_EQ(seen.second, "Disconnect");

    seen = Seen{};
    seen.answer = ERREUR_DETAIL;  // any other control of the box ends it with 0
    EXPECT_EQ(SbAfficherErreur(parent_, "t", "x", "d", "OK", true, "Disconnect"), 0);
}

void AnswerLanguage(int p) {
    if (seen.turns++ == 0) QueueUserEvent(p, seen.answer);
}

TEST_F(Dialogs, LanguageChoiceReturnsTheIndexOfTheButton) {
    const std::pair<int, int> cases[] = {{LANGUE_EN, 0}, {LANGUE_FR, 1}, {LANGUE_DE, 2}, {LANGUE_IT, 3}};
    SbSetTourModal(AnswerLanguage);
    for (auto [button, index] : cases) {
        seen = Seen{};
        seen.answer = button;
        EXPECT_EQ(SbChoixLangue(0), index);
    }
}

TEST_F(Dialogs, AboutBoxStaysOpenUntilClosedAndCutsItsShortForm) {
    SbAboutOuvrir(parent_, "About QS-310 Manager", "V 1.1.2", 1, false);
    int about = GetPanelHandleFromTag(ABOUT);
    ASSERT_GT(about, 0);
    EXPECT_EQ(Dimmed(parent_), 1);
    EXPECT_EQ(PanelAttribute(about, ATTR_HEIGHT), 280);
    EXPECT_EQ(Text(about, ABOUT_TITRE), "About QS-310 Manager");
    EXPECT_EQ(Text(about, ABOUT_VERSION), "V 1.1.2");
    EXPECT_EQ(Text(about, ABOUT_VALEUR), "1");
    SbAboutFermer();
    EXPECT_EQ(GetPanelHandleFromTag(ABOUT), 0);
    EXPECT_EQ(Dimmed(parent_), 0);

    SbAboutOuvrir(0, "About", "V 1.1.2", 1, true);
    about = GetPanelHandleFromTag(ABOUT);
    ASSERT_GT(about, 0);
    EXPECT_GT(PanelAttribute(about, ATTR_HEIGHT), 280);
    // Its links open the README and the quick-start guides of the program folder.
    for (int link : {ABOUT_LIEN1, ABOUT_LIEN2}) {
        const QWidget* w = qs::rt::ControlWidget(about, link);
        ASSERT_NE(w, nullptr);
        const std::string url = w->property("url").toString().toStdString();
        EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(getenv("QS_BUILT_PROGRAM_DIR")) / url))
            << url;
    }
    SbAboutFermer();
    SbAboutFermer();  // a second close does nothing
    EXPECT_EQ(GetPanelHandleFromTag(ABOUT), 0);
}

}  // namespace
