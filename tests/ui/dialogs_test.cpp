// Shared dialogs (wait box, popups, error box, language choice, about box), failed-write
// notices, hover highlighting, guides that cannot be opened, and the free serial ports.
#include "ui/Dialogs.h"

#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QWidget>
#include <filesystem>

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

using qstest::onscreen::Attr, qstest::onscreen::Text;
int Cursor() {
    int c = -1;
    GetMouseCursor(&c);
    return c;
}

// What a box showed on its first turn ("dimmed" parent, texts, captions of the visible
// buttons, "-" for a hidden one); it is answered with answerG on a later turn, as the
// operator reads before answering: a box must wait for its answer.
std::string seenG;
int answerG, parentG, boxG;
void Answer(int p, std::initializer_list<int> texts, std::initializer_list<int> buttons) {
    if (p > 0 && !seenG.empty()) {
        boxG = p;
        if (answerG >= 0) {
            QueueUserEvent(p, answerG);
        } else {  // its window's close box, once: a box it left open is then confirmed
            qs::rt::PanelWidget(p)->close();
            answerG = POPUP_VALIDER;
        }
    }
    if (p <= 0 || !seenG.empty()) return;
    seenG = Attr(parentG, 0, ATTR_DIMMED) ? "dimmed" : "lit";
    for (int c : texts) seenG += "|" + Text(p, c);
    for (int c : buttons) seenG += "|" + (Attr(p, c, ATTR_VISIBLE) ? Text(p, c, ATTR_LABEL_TEXT) : "-");
}
void Ask(int answer) {  // the next box is to be answered so
    seenG.clear();
    answerG = answer;
}

// Each test runs in a private program folder with a plain panel as the parent.
class Dialogs : public ::testing::Test {
protected:
    void SetUp() override {
        qstest::EnsureRuntime();
        parentG = parent_ = LoadPanel(0, "FSabGen.uir", LANGUE);
        ASSERT_GT(parent_, 0) << "the shared panels (FSabGen.uir) of the build do not load";
        DisplayPanel(parent_);
        SetMouseCursor(VAL_DEFAULT_CURSOR);
        seenG.clear();
    }
    void TearDown() override {
        SbSetTacheFond(nullptr);
        SbSetTourModal(nullptr);  // the hooks a test set
        SetMessageHook(nullptr);
        SetDocumentHook(nullptr);
        if (parent_ > 0) DiscardPanel(parent_);
    }
    // The values given, then the parent dimmed (1) or not, and the mouse cursor.
    auto Around(auto... first) const { return std::tuple(first..., Attr(parent_, 0, ATTR_DIMMED), Cursor()); }
    qstest::TempProgramDir dir_;
    int parent_ = 0;
};

// A stoppable wait box shows its cancel button; a box opened three times (its text cut to
// its buffer) and closed once leaves nothing behind; the connection dialog keeps it dimmed.
TEST_F(Dialogs, WaitBoxOpenedThreeTimesAndClosedOnceLeavesNothingBehind) {
    SbWaitAnnulable(parent_, "loading", "Stop");
    const int w = GetPanelHandleFromTag(WAIT), c = WAIT_ANNULER;
    EXPECT_EQ(std::tuple(Text(w, c, ATTR_LABEL_TEXT), Attr(w, c, ATTR_VISIBLE)), std::tuple("Stop", 1));
    EXPECT_FALSE(SbWaitAnnule());
    static_cast<QAbstractButton*>(qs::rt::ControlWidget(w, c))->click();
    EXPECT_TRUE(SbWaitAnnule()) << "the operator stopped the work";
    SbFermerWait(true, 0);
    for (const std::string& text : {std::string("first"), std::string("second"), std::string(300, 'w')})
        SbWait(parent_, text.c_str());
    const int box = GetPanelHandleFromTag(WAIT);
    ASSERT_TRUE(SbWaitOuvert() && box > 0);
    EXPECT_EQ(Text(box, WAIT_TEXTE), std::string(199, 'w'));
    EXPECT_EQ(Around(Attr(box, WAIT_ANNULER, ATTR_VISIBLE)), std::tuple(0, 1, VAL_HOUR_GLASS_CURSOR));
    for (int twice = 0; twice < 2; ++twice) SbFermerWait(true, 0);  // closing a closed box does nothing
    EXPECT_EQ(Around(SbWaitOuvert(), GetPanelHandleFromTag(WAIT)),
              std::tuple(false, 0, 0, VAL_DEFAULT_CURSOR));
    SbWait(parent_, "searching");
    SbFermerWait(false, 0);
    EXPECT_EQ(Around(), std::tuple(1, VAL_DEFAULT_CURSOR));
}

// Popups show their title, text and buttons over a dimmed parent and return the answer (the
// close box: no); the language box returns the index of the chosen button.
TEST_F(Dialogs, PopupsLanguageChoiceAndErrorBoxShowTheirButtonsAndReturnTheAnswer) {
    SbSetTacheFond([] {  // the popups run the background task on every turn
        Answer(GetPanelHandleFromTag(POPUP), {POPUP_TITRE, POPUP_TEXTE},
               {POPUP_VALIDER, POPUP_ANNULER, POPUP_OK});
    });
    for (auto [answer, result] : {std::pair{POPUP_ANNULER, false}, {POPUP_VALIDER, true}, {-1, false}}) {
        Ask(answer);
        EXPECT_EQ(SbPopupValid(parent_, "QS-310 Manager", "Close the connection?", "Yes", "No"), result);
        EXPECT_EQ(seenG, "dimmed|QS-310 Manager|Close the connection?|Yes|No|-");
        EXPECT_EQ(std::tuple(Attr(parent_, 0, ATTR_DIMMED), GetPanelHandleFromTag(POPUP)), std::tuple(0, 0));
    }
    Ask(POPUP_OK);
    SbPopup(parent_, "QS-310 Manager", "No start program is selected.", "OK");
    EXPECT_EQ(seenG, "dimmed|QS-310 Manager|No start program is selected.|-|-|OK");
    SbSetTourModal([](int p) { Answer(p, {}, {}); });
    for (auto [button, index] : {std::pair{LANGUE_EN, 0}, {LANGUE_FR, 1}, {LANGUE_DE, 2}, {LANGUE_IT, 3}}) {
        Ask(button);
        EXPECT_EQ(SbChoixLangue(parent_), index);
        EXPECT_EQ(std::tuple(seenG, Attr(boxG, 0, ATTR_VISIBLE), Attr(parent_, 0, ATTR_DIMMED)),
                  std::tuple("dimmed", -1, 0));
    }
    // The error box is short without a detail (it ends below its buttons, above the detail)
    // and hides a second button it was not asked for; its window bears the title; any other
    // control ends it with 0.
    SbSetTourModal([](int p) {
        if (!seenG.empty()) return Answer(p, {}, {});
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
    Ask(ERREUR_BOUTON1);
    const std::string t = "Start Clock QS-310 INTERFACE FAILURE", text(250, 't');
    EXPECT_EQ(SbAfficherErreur(parent_, t.c_str(), text.c_str(), "", "OK", false, "Disconnect"), 1);
    EXPECT_EQ(seenG, "dimmed|" + t + "|" + text.substr(0, 199) + "||OK|-|short|" + t);
    EXPECT_EQ(Around(GetPanelHandleFromTag(ERREUR)), std::tuple(0, 0, VAL_DEFAULT_CURSOR));  // gone
    Ask(ERREUR_BOUTON2);
    EXPECT_EQ(
        SbAfficherErreur(parent_, "Port error", "No clock on COM3.", "l1\nl2", "OK", true, "Disconnect"), 2);
    EXPECT_EQ(seenG, "dimmed|Port error|No clock on COM3.|l1\nl2|OK|Disconnect|full|Port error");
    Ask(ERREUR_DETAIL);
    EXPECT_EQ(SbAfficherErreur(parent_, "t", "x", "d", "OK", true, "Disconnect"), 0);
}

std::string titleG, messageG, documentG;
int documentResultG, cursorWhileOpeningG;

// A failed write is told once per file, in order, with its path from the program folder in
// the system's separators and the reason in words, in an error box over the parent.
TEST_F(Dialogs, FailedWritesAndGuidesThatCannotBeShownAreToldWithWhereAndWhy) {
    ASSERT_EQ(std::tuple(int(GenChargerTextes(0)), int(Q31ChargerMessages(0))), std::tuple(0, 0));
    const std::string why = std::string("\n") + Q31TxtMesG[kMesReasonDiskFull];
    for (auto [path, shown] :  // a path in the program folder: the notices below
         {std::pair{"/media/usb/t.txt", "/media/usb/t.txt"},
          {"\\\\server\\t.txt", "//server/t.txt"},
          {"C:x.txt", "C:x.txt"}}) {
        char text[600];
        SbFileNoticeDetail(path, FILE_WRITE_DISK_FULL, text, sizeof text);
        EXPECT_EQ(text, shown + why);
    }
    SbForgetFileNotices();
    for (int i = 0; i < 2; ++i)
        SbNoteFileNotice(SbFileNotice::TimesNotSaved, "Chronos\\Chrono.q31tps", FILE_WRITE_DISK_FULL);
    SbNoteWriteFailure("export.txt");  // no reason known
    SbSetTourModal([](int p) {
        if (p == boxG) return;
        seenG += Text(p, ERREUR_TEXTE) + "|" + Text(p, ERREUR_DETAIL) + "\n";
        boxG = p;
        QueueUserEvent(p, ERREUR_BOUTON1);
    });
    EXPECT_EQ(SbShowFileNotices(parent_), 2);
    EXPECT_EQ(seenG, std::string(Q31TxtMesG[kMesTimesNotSaved]) + "|" + dir_.path() +
                         "/Chronos/Chrono.q31tps" + why + "\n" + Q31TxtMesG[kMesFileNotWritten] + "|" +
                         dir_.path() + "/export.txt\n");
    EXPECT_TRUE(SbFileNotes().empty());
    // A guide that cannot be shown names its real place on this computer, in the operator's
    // language, and says why (missing file, no program for PDF); an opened one says nothing.
    SetMessageHook([](const char* title, const char* message) {
        titleG = title;
        messageG = message;
    });
    SetDocumentHook([](const char* path) {
        documentG = path;
        cursorWhileOpeningG = Cursor();
        return documentResultG;
    });
    ASSERT_EQ(std::tuple(int(GenChargerTextes(1)), int(Q31ChargerMessages(1))), std::tuple(0, 0));
    const std::string where = dir_.path() + "/Doc/Quick Start QS310 Manager EN.pdf";
    for (auto [result, entry] : {std::pair{-1, kQ31MesDocMissing}, {-2, kQ31MesDocNoViewer}, {0, -1}}) {
        documentResultG = result;
        titleG = messageG = "";
        GenOuvrirPdf("Doc\\", "Quick Start QS310 Manager EN.pdf");
        EXPECT_EQ(documentG, "Doc\\Quick Start QS310 Manager EN.pdf");
        EXPECT_EQ(titleG + "|" + messageG,
                  entry < 0 ? "|" : GMessageG[1] + ("|" + std::string(Q31TxtMesG[entry])) + "\n" + where);
        EXPECT_EQ(std::tuple(cursorWhileOpeningG, Cursor()),
                  std::tuple(VAL_HOUR_GLASS_CURSOR, VAL_DEFAULT_CURSOR));
    }
}

// The about box stays until closed: short, or full; a click on a link (or with the cursor
// still saying link) leaves it up, a plain click beside closes it.
TEST_F(Dialogs, AboutBoxShortAndFull) {
    SbAboutOuvrir(parent_, "About QS-310 Manager", "V 9.8.7", 1, false);
    int about = GetPanelHandleFromTag(ABOUT);
    EXPECT_EQ(std::tuple(Text(about, ABOUT_TITRE), Text(about, ABOUT_VERSION), Text(about, ABOUT_VALEUR),
                         Attr(parent_, 0, ATTR_DIMMED), Attr(about, 0, ATTR_HEIGHT)),
              std::tuple("About QS-310 Manager", "V 9.8.7", "1", 1, 280));
    SbAboutOuvrir(parent_, "About", "V 1.1.2", 1, true);  // the first is closed
    about = GetPanelHandleFromTag(ABOUT);
    ASSERT_GT(Attr(about, 0, ATTR_HEIGHT), 280);
    for (auto [control, cursor, stays] : {std::tuple{ABOUT_LIEN2, VAL_DEFAULT_CURSOR, true},
                                          {ABOUT_VERSION, VAL_POINTING_FINGER_CURSOR, true},
                                          {ABOUT_VERSION, VAL_DEFAULT_CURSOR, false}}) {
        qstest::PointAt(about, control, 4, 4);
        SetMouseCursor(cursor);
        FSabAbout(about, 0, EVENT_LEFT_CLICK, nullptr, 0, 0);
        EXPECT_EQ(Around(GetPanelHandleFromTag(ABOUT)), std::tuple(stays ? about : 0, int(stays), cursor))
            << control;
    }
}

// The cursor and the caption follow the usable button under the mouse of the active panel.
TEST_F(Dialogs, HoverFollowsTheMouse) {
    const int panel = LoadPanel(0, "FSabGen.uir", POPUP);
    const int buttons[2] = {POPUP_VALIDER, POPUP_ANNULER};
    GenEffaceLabel(panel, 2, buttons);  // as every caller does before showing its panel
    DisplayPanel(panel);
    ProcessSystemEvents();
    const int ok = POPUP_VALIDER, no = POPUP_ANNULER, label = ATTR_LABEL_VISIBLE;
    const int w = Attr(panel, ok, ATTR_WIDTH), h = Attr(panel, ok, ATTR_HEIGHT);
    const int on = VAL_POINTING_FINGER_CURSOR, off = VAL_DEFAULT_CURSOR;
    struct Step {
        int over;  // 0: away from every window
        bool corner, dimmed, hidden, inactive, hoverOff;
        int cursor, okCaption, noCaption;
    } const steps[] = {
        {ok, 0, 0, 0, 0, 0, on, 1, 0},  {no, 0, 0, 0, 0, 0, on, 0, 1},  {ok, 1, 0, 0, 0, 0, on, 1, 0},
        {0, 0, 0, 0, 0, 0, off, 0, 0},  {ok, 0, 1, 0, 0, 0, off, 0, 0}, {ok, 0, 0, 1, 0, 0, off, 0, 0},
        {ok, 0, 0, 0, 1, 0, off, 0, 0}, {ok, 0, 0, 0, 0, 1, off, 0, 0}, {ok, 0, 0, 0, 0, 0, on, 1, 0},
    };
    for (const Step& s : steps) {
        SetCtrlAttribute(panel, ok, ATTR_DIMMED, s.dimmed);
        SetCtrlAttribute(panel, ok, ATTR_VISIBLE, !s.hidden);
        SetActivePanel(s.inactive ? parent_ : panel);
        GenActiverSurvol(!s.hoverOff);
        qstest::PointAt(s.over ? panel : 0, s.over, s.corner ? w : 6, s.corner ? h : 6);  // panel 0: away
        GenSurvolBp(panel, 2, 2, buttons);
        EXPECT_EQ(std::tuple(Cursor(), Attr(panel, ok, label), Attr(panel, no, label)),
                  std::tuple(s.cursor, s.okCaption, s.noCaption))
            << &s - steps;
    }
    DiscardPanel(panel);
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
    EXPECT_EQ(std::vector<int>(ports, ports + GenPortsComLibres(ports)), (std::vector<int>{1, 64}));
    EXPECT_EQ(OpenCom(1, "") >= 0 && OpenCom(64, "") >= 0, true) << "left open";
    for (int port : {1, 64}) CloseCom(port);
    for (int fd : {masters[0], masters[1], slaves[0], slaves[1]}) close(fd);
    const int dialog = LoadPanel(0, "FQ31.uir", fq31::CONNECT), ring = fq31::CONNECT_PORT;
    const int listed[] = {1, 3, 12};
    GenPortsComCtrl(dialog, ring, listed, 3);
    SetCtrlIndex(dialog, ring, 2);
    EXPECT_EQ(std::tuple(qstest::ListCount(dialog, ring), Attr(dialog, ring), Text(dialog, ring)),
              std::tuple(3, 12, "COM12 \xB7 /dev/ttyS11"));
    GenPortsComCtrl(dialog, ring, listed, 0);
    EXPECT_EQ(qstest::ListCount(dialog, ring), 0);  // no free port empties the ring
    DiscardPanel(dialog);
}

}  // namespace
