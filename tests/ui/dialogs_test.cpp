// Shared dialogs (wait box, popups, error box, language choice, about box), hover
// highlighting, guides that cannot be opened, and the free serial ports.
#include "ui/Dialogs.h"

#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <QWidget>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "panels/FQ31.h"
#include "panels/FSabGen.h"
#include "platform/Runtime.h"
#include "platform/cvi.h"
#include "tests/support/TestSupport.h"
#include "ui/FileNotices.h"
#include "ui/Survol.h"
#include "ui/Texts.h"

namespace {

using namespace fsabgen;

std::string Text(int p, int c) {
    char b[512] = {};
    GetCtrlVal(p, c, b, sizeof b);
    return b;
}
std::string Caption(int p, int c) {
    char b[256] = {};
    GetCtrlAttribute(p, c, ATTR_LABEL_TEXT, b, sizeof b);
    return b;
}
int Attr(int p, int c, int attribute) {
    int v = -1;
    if (c) GetCtrlAttribute(p, c, attribute, &v);
    if (!c) GetPanelAttribute(p, attribute, &v);
    return v;
}
int Cursor() {
    int c = -1;
    GetMouseCursor(&c);
    return c;
}

// What a box showed on its first turn ("dimmed" parent, texts, captions of the visible
// buttons, "-" for a hidden one), before it was answered with answerG.
std::string seenG;
int answerG, parentG;
void Answer(int p, std::initializer_list<int> texts, std::initializer_list<int> buttons) {
    if (p <= 0 || !seenG.empty()) return;
    seenG = Attr(parentG, 0, ATTR_DIMMED) ? "dimmed" : "lit";
    for (int c : texts) seenG += "|" + Text(p, c);
    for (int c : buttons) seenG += "|" + (Attr(p, c, ATTR_VISIBLE) ? Caption(p, c) : "-");
    QueueUserEvent(p, answerG);
}

// Each test runs in a private program folder with a plain panel as the parent.
class Dialogs : public ::testing::Test {
protected:
    void SetUp() override {
        qstest::EnsureRuntime();
        parentG = parent_ = LoadPanel(0, "FSabGen.uir", LANGUE);
        ASSERT_GT(parent_, 0) << "the shared panels (FSabGen.uir) of the build do not load";
        DisplayPanel(parent_);
        seenG.clear();
    }
    void TearDown() override {
        SbSetTacheFond(nullptr);
        SbSetTourModal(nullptr);
        if (parent_ > 0) DiscardPanel(parent_);
    }
    qstest::TempProgramDir dir_;
    int parent_ = 0;
};

TEST_F(Dialogs, WaitBoxOpenedThreeTimesAndClosedOnceLeavesNothingBehind) {
    SbWaitAnnulable(parent_, "loading", "Stop");  // work the operator may stop
    const int stoppable = GetPanelHandleFromTag(WAIT);
    EXPECT_EQ(Caption(stoppable, WAIT_ANNULER) + std::to_string(Attr(stoppable, WAIT_ANNULER, ATTR_VISIBLE)),
              "Stop1");
    SbFermerWait(true, 0);
    SbWait(parent_, "first");
    SbWait(parent_, "second");
    SbWait(parent_, std::string(300, 'w').c_str());
    const int box = GetPanelHandleFromTag(WAIT);
    ASSERT_TRUE(SbWaitOuvert() && box > 0);
    EXPECT_EQ(Text(box, WAIT_TEXTE), std::string(199, 'w'));
    EXPECT_EQ(Attr(box, WAIT_ANNULER, ATTR_VISIBLE), 0) << "nothing to cancel";
    EXPECT_EQ(Attr(parent_, 0, ATTR_DIMMED), 1);
    EXPECT_EQ(Cursor(), VAL_HOUR_GLASS_CURSOR);
    SbFermerWait(true, 0);
    SbFermerWait(true, 0);  // closing a closed box does nothing
    EXPECT_FALSE(SbWaitOuvert());
    EXPECT_EQ(GetPanelHandleFromTag(WAIT), 0);
    EXPECT_EQ(Attr(parent_, 0, ATTR_DIMMED), 0);
    EXPECT_EQ(Cursor(), VAL_DEFAULT_CURSOR);
    SbWait(parent_, "searching");
    SbFermerWait(false, 0);  // the connection dialog keeps its parent dimmed
    EXPECT_EQ(Attr(parent_, 0, ATTR_DIMMED) * 10 + Cursor(), 10 + VAL_DEFAULT_CURSOR);
}

TEST_F(Dialogs, PopupsShowTheirButtonsAndReturnTheAnswer) {
    SbSetTacheFond([] {  // the popups run the background task on every turn
        Answer(GetPanelHandleFromTag(POPUP), {POPUP_TITRE, POPUP_TEXTE},
               {POPUP_VALIDER, POPUP_ANNULER, POPUP_OK});
    });
    for (auto [answer, result] : {std::pair{POPUP_ANNULER, false}, {POPUP_VALIDER, true}}) {
        seenG.clear();
        answerG = answer;
        EXPECT_EQ(SbPopupValid(parent_, "QS-310 Manager", "Close the connection?", "Yes", "No"), result);
        EXPECT_EQ(seenG, "dimmed|QS-310 Manager|Close the connection?|Yes|No|-");
        EXPECT_EQ(Attr(parent_, 0, ATTR_DIMMED) + GetPanelHandleFromTag(POPUP), 0);
    }
    seenG.clear();
    answerG = POPUP_OK;
    SbPopup(parent_, "QS-310 Manager", "No start program is selected.", "OK");
    EXPECT_EQ(seenG, "dimmed|QS-310 Manager|No start program is selected.|-|-|OK");
    EXPECT_EQ(Attr(parent_, 0, ATTR_DIMMED), 0);
}

// The error box is short without a detail (it ends below its buttons, above the detail)
// and hides a second button it was not asked for; any other control ends it with 0.
TEST_F(Dialogs, ErrorBoxFitsItsDetailAndReturnsTheButton) {
    SbSetTourModal([](int p) {
        if (!seenG.empty()) return;
        const int height = Attr(p, 0, ATTR_HEIGHT), area = Attr(p, ERREUR_ZONE, ATTR_HEIGHT);
        const int buttons = Attr(p, ERREUR_BOUTON1, ATTR_TOP) + Attr(p, ERREUR_BOUTON1, ATTR_HEIGHT);
        const int detail = Attr(p, ERREUR_DETAIL, ATTR_TOP) + Attr(p, ERREUR_DETAIL, ATTR_HEIGHT);
        const bool shortBox = height >= buttons && height < detail && area == height;
        const bool fullBox = height >= detail && area >= detail;
        const std::string title = qs::rt::PanelWidget(p)->windowTitle().toStdString();
        Answer(p, {ERREUR_TITRE, ERREUR_TEXTE, ERREUR_DETAIL}, {ERREUR_BOUTON1, ERREUR_BOUTON2});
        seenG += std::string("|") + (shortBox ? "short" : fullBox ? "full" : "cut") + "|" + title;
    });
    SetMouseCursor(VAL_POINTING_FINGER_CURSOR);
    SetWaitCursor(1);
    answerG = ERREUR_BOUTON1;
    const std::string t = "Start Clock QS-310 INTERFACE FAILURE";
    EXPECT_EQ(
        SbAfficherErreur(parent_, t.c_str(), std::string(250, 't').c_str(), "", "OK", false, "Disconnect"),
        1);
    EXPECT_EQ(seenG, "dimmed|" + t + "|" + std::string(199, 't') + "||OK|-|short|" + t);
    EXPECT_EQ(Attr(parent_, 0, ATTR_DIMMED) * 10 + Cursor(), VAL_DEFAULT_CURSOR);
    seenG.clear();
    answerG = ERREUR_BOUTON2;
    EXPECT_EQ(SbAfficherErreur(parent_, "Serial port error", "No clock on COM3.", "l1\nl2", "OK", true,
                               "Disconnect"),
              2);
    EXPECT_EQ(seenG,
              "dimmed|Serial port error|No clock on COM3.|l1\nl2|OK|Disconnect|full|Serial port error");
    seenG.clear();
    answerG = ERREUR_DETAIL;
    EXPECT_EQ(SbAfficherErreur(parent_, "t", "x", "d", "OK", true, "Disconnect"), 0);
}

// The language box dims its parent while it is up and is gone once a button is chosen.
int boxG;
TEST_F(Dialogs, LanguageChoiceReturnsTheIndexOfTheButton) {
    SbSetTourModal([](int p) {
        if (seenG.empty()) QueueUserEvent(boxG = p, answerG);
        seenG = Attr(parentG, 0, ATTR_DIMMED) ? "dimmed" : "lit";
    });
    for (auto [button, index] : {std::pair{LANGUE_EN, 0}, {LANGUE_FR, 1}, {LANGUE_DE, 2}, {LANGUE_IT, 3}}) {
        seenG.clear();
        answerG = button;
        EXPECT_EQ(SbChoixLangue(parent_), index);
        EXPECT_EQ(seenG + std::to_string(Attr(boxG, 0, ATTR_VISIBLE) + Attr(parent_, 0, ATTR_DIMMED)),
                  "dimmed-1");
    }
}

// A failed write is told once per file, with its path from the program folder in the
// system's separators and the reason in words, in an error box over the parent.
TEST_F(Dialogs, FileNoticesTellEachFailedWriteOnceWithPathAndReason) {
    ASSERT_EQ(GenChargerTextes(0) + Q31ChargerMessages(0), 0);
    const std::string why = std::string("\n") + Q31TxtMesG[kMesReasonDiskFull];
    for (auto [path, detail] :
         {std::pair{"Chronos\\Chrono.q31tps", dir_.path() + "/Chronos/Chrono.q31tps" + why},
          {"/media/usb/times.txt", "/media/usb/times.txt" + why},
          {"\\\\server\\times.txt", "//server/times.txt" + why},
          {"C:x.txt", "C:x.txt" + why}}) {
        char text[600];
        SbFileNoticeDetail(path, FILE_WRITE_DISK_FULL, text, sizeof text);
        EXPECT_EQ(text, detail);
    }
    SbForgetFileNotices();
    for (int i = 0; i < 2; ++i)
        SbNoteFileNotice(SbFileNotice::TimesNotSaved, "Chronos\\Chrono.q31tps", FILE_WRITE_DISK_FULL);
    SbNoteFileNotice(SbFileNotice::FileNotWritten, "export.txt", FILE_WRITE_OK);
    SbSetTourModal([](int p) {
        if (p == boxG) return;
        seenG += Text(p, ERREUR_TEXTE) + "|" + Text(p, ERREUR_DETAIL) + "\n";
        QueueUserEvent(boxG = p, ERREUR_BOUTON1);
    });
    EXPECT_EQ(SbShowFileNotices(parent_), 2);
    EXPECT_EQ(seenG, std::string(Q31TxtMesG[kMesTimesNotSaved]) + "|" + dir_.path() +
                         "/Chronos/Chrono.q31tps" + why + "\n" + Q31TxtMesG[kMesFileNotWritten] + "|" +
                         dir_.path() + "/export.txt\n");
    EXPECT_TRUE(SbFileNotes().empty());
}

// The about box stays until closed; the full one's links open the README and guides of
// the program folder, and a click beside them (cursor not on a link) closes it.
TEST_F(Dialogs, AboutBoxShortAndFull) {
    SbAboutOuvrir(parent_, "About QS-310 Manager", "V 9.8.7", 1, false);
    int about = GetPanelHandleFromTag(ABOUT);
    ASSERT_GT(about, 0);
    EXPECT_EQ(Attr(parent_, 0, ATTR_DIMMED) * 1000 + Attr(about, 0, ATTR_HEIGHT), 1280);
    EXPECT_EQ(Text(about, ABOUT_TITRE) + Text(about, ABOUT_VERSION) + Text(about, ABOUT_VALEUR),
              "About QS-310 ManagerV 9.8.71");
    SbAboutFermer();
    EXPECT_EQ(GetPanelHandleFromTag(ABOUT) + Attr(parent_, 0, ATTR_DIMMED), 0);

    SbAboutOuvrir(parent_, "About", "V 1.1.2", 1, true);
    about = GetPanelHandleFromTag(ABOUT);
    ASSERT_GT(about, 0);
    EXPECT_GT(Attr(about, 0, ATTR_HEIGHT), 280);
    for (int link : {ABOUT_LIEN1, ABOUT_LIEN2}) {
        const QWidget* w = qs::rt::ControlWidget(about, link);
        ASSERT_NE(w, nullptr);
        const std::string url = w->property("url").toString().toStdString();
        EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(getenv("QS_BUILT_PROGRAM_DIR")) / url))
            << url;
    }
    // Over a link, even if it has not changed the cursor yet; beside it with the cursor
    // still saying link; then a plain click beside.
    for (auto [control, cursor, stays] : {std::tuple{ABOUT_LIEN2, VAL_DEFAULT_CURSOR, true},
                                          {ABOUT_VERSION, VAL_POINTING_FINGER_CURSOR, true},
                                          {ABOUT_VERSION, VAL_DEFAULT_CURSOR, false}}) {
        qstest::PointAt(about, control, 4, 4);
        SetMouseCursor(cursor);
        FSabAbout(about, 0, EVENT_LEFT_CLICK, nullptr, 0, 0);
        EXPECT_EQ(GetPanelHandleFromTag(ABOUT), stays ? about : 0) << control << " " << cursor;
    }
    SbAboutFermer();  // a second close does nothing
    EXPECT_EQ(GetPanelHandleFromTag(ABOUT) + Attr(parent_, 0, ATTR_DIMMED), 0);
}

// The cursor and the caption follow the usable button under the mouse of the active panel.
TEST_F(Dialogs, HoverFollowsTheMouse) {
    const int panel = LoadPanel(0, "FSabGen.uir", POPUP);
    const int buttons[2] = {POPUP_VALIDER, POPUP_ANNULER};
    SetCtrlAttribute(panel, POPUP_VALIDER, ATTR_LABEL_TEXT, "Yes");
    GenEffaceLabel(panel, 2, buttons);  // as every caller does before showing its panel
    DisplayPanel(panel);
    ProcessSystemEvents();
    SetMouseCursor(VAL_DEFAULT_CURSOR);
    // Each step: where the mouse is (0 away), then the cursor and the two captions.
    auto step = [&](int over, int x = 6, int y = 6) {
        over ? qstest::PointAt(panel, over, x, y) : qstest::PointAt(0, 0, 0, 0);
        GenSurvolBp(panel, 2, 2, buttons);
        return std::to_string(Cursor()) + std::to_string(Attr(panel, POPUP_VALIDER, ATTR_LABEL_VISIBLE)) +
               std::to_string(Attr(panel, POPUP_ANNULER, ATTR_LABEL_VISIBLE));
    };
    const std::string off = std::to_string(VAL_DEFAULT_CURSOR),
                      on = std::to_string(VAL_POINTING_FINGER_CURSOR);
    EXPECT_EQ(step(0), off + "00");
    EXPECT_EQ(step(POPUP_VALIDER), on + "10");
    EXPECT_EQ(step(POPUP_ANNULER), on + "01") << "one update moves the caption";
    EXPECT_EQ(Caption(panel, POPUP_VALIDER), "Yes");
    const int w = Attr(panel, POPUP_VALIDER, ATTR_WIDTH), h = Attr(panel, POPUP_VALIDER, ATTR_HEIGHT);
    EXPECT_EQ(step(POPUP_VALIDER, w, h), on + "10") << "its bottom right corner";
    EXPECT_EQ(step(0), off + "00");
    SetCtrlAttribute(panel, POPUP_VALIDER, ATTR_DIMMED, 1);
    EXPECT_EQ(step(POPUP_VALIDER), off + "00") << "dimmed";
    SetCtrlAttribute(panel, POPUP_VALIDER, ATTR_DIMMED, 0);
    SetCtrlAttribute(panel, POPUP_VALIDER, ATTR_VISIBLE, 0);
    EXPECT_EQ(step(POPUP_VALIDER), off + "00") << "hidden";
    SetCtrlAttribute(panel, POPUP_VALIDER, ATTR_VISIBLE, 1);
    SetActivePanel(parent_);
    EXPECT_EQ(step(POPUP_VALIDER), off + "00") << "inactive panel";
    SetActivePanel(panel);
    GenActiverSurvol(false);
    EXPECT_EQ(step(POPUP_VALIDER), off + "00") << "switched off";
    GenActiverSurvol(true);
    EXPECT_EQ(step(POPUP_VALIDER), on + "10");
    EXPECT_EQ(step(0), off + "00");
    DiscardPanel(panel);
}

std::string titleG, messageG, documentG;
int documentResultG, cursorWhileOpeningG;

// A guide that cannot be shown names its real place on this computer, in the operator's
// language, and says why (missing file, no program for PDF); an opened one says nothing.
TEST_F(Dialogs, GuideThatCannotBeShownSaysWhyAndWhereItIs) {
    SetMessageHook([](const char* title, const char* message) { titleG = title, messageG = message; });
    SetDocumentHook([](const char* path) {
        documentG = path;
        cursorWhileOpeningG = Cursor();
        return documentResultG;
    });
    ASSERT_EQ(GenChargerTextes(1) + Q31ChargerMessages(1), 0);
    const std::string where = dir_.path() + "/Doc/Quick Start QS310 Manager EN.pdf";
    for (auto [result, entry] : {std::pair{-1, kQ31MesDocMissing}, {-2, kQ31MesDocNoViewer}, {0, -1}}) {
        documentResultG = result;
        titleG = messageG = "";
        GenOuvrirPdf("Doc\\", "Quick Start QS310 Manager EN.pdf");
        EXPECT_EQ(documentG, "Doc\\Quick Start QS310 Manager EN.pdf");
        EXPECT_EQ(titleG, entry < 0 ? "" : GMessageG[1]);
        EXPECT_EQ(messageG, entry < 0 ? "" : std::string(Q31TxtMesG[entry]) + "\n" + where) << result;
        EXPECT_EQ(cursorWhileOpeningG * 10 + Cursor(), VAL_HOUR_GLASS_CURSOR * 10 + VAL_DEFAULT_CURSOR);
    }
    GenOuvrirPdf(std::string(400, 'd').c_str(), "x.pdf");
    EXPECT_EQ(documentG.size(), 259u);
    SetMessageHook(nullptr);
    SetDocumentHook(nullptr);
}

// Free ports are listed in order (a broken link is not free) and closed again; the
// connection dialog's ring then holds one item per port, named by number and device.
TEST_F(Dialogs, FreeSerialPortsAndThePortRing) {
    int masters[2], slaves[2];
    char names[2][128];
    std::filesystem::create_directory(dir_.file("Ports"));
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(openpty(&masters[i], &slaves[i], names[i], nullptr, nullptr), 0);
        std::filesystem::create_symlink(names[i], dir_.file(i ? "Ports/COM64" : "Ports/COM1"));
    }
    std::filesystem::create_symlink("/nonexistent/tty", dir_.file("Ports/COM2"));
    int ports[64] = {};
    const std::vector<int> found(ports, ports + GenPortsComLibres(ports));
    EXPECT_EQ(found, (std::vector<int>{1, 64}));
    EXPECT_GE(OpenCom(1, ""), 0);
    EXPECT_GE(OpenCom(64, ""), 0);
    CloseCom(1);
    CloseCom(64);
    for (int i = 0; i < 2; ++i) close(masters[i]), close(slaves[i]);

    const int dialog = LoadPanel(0, "FQ31.uir", fq31::CONNECT);
    ASSERT_GT(dialog, 0) << "the connection dialog (FQ31.uir) of the build does not load";
    const int listed[] = {1, 3, 12};
    int count = -1, value = 0;
    char label[64] = {};
    GenPortsComCtrl(dialog, fq31::CONNECT_PORT, listed, 3);
    GetNumListItems(dialog, fq31::CONNECT_PORT, &count);
    SetCtrlIndex(dialog, fq31::CONNECT_PORT, 2);
    GetCtrlVal(dialog, fq31::CONNECT_PORT, &value);
    GetCtrlVal(dialog, fq31::CONNECT_PORT, label, sizeof label);
    EXPECT_EQ(count * 100 + value, 312);  // whatever the ring held before is gone
    EXPECT_STREQ(label, "COM12 \xB7 /dev/ttyS11");
    GenPortsComCtrl(dialog, fq31::CONNECT_PORT, listed, 0);
    GetNumListItems(dialog, fq31::CONNECT_PORT, &count);
    EXPECT_EQ(count, 0);  // no free port empties the ring
    DiscardPanel(dialog);
}

}  // namespace
