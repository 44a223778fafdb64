// The program's dialogs as desktop windows: Enter and Escape, sent as real key events, reach the
// callback of the default or cancel button; each dialog opened from the main window is transient
// for it (it cannot be lost behind it) and shows assistive tools its role; the system's file dialog
// and message box are readable whatever the main window's colours; the first start's language
// question takes Tab and Enter; the main window comes back where it was, at the scale of its size.
#include <QAccessible>
#include <QFileDialog>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <optional>

#include "app/Q31Connexion.h"
#include "app/Q31Param.h"
#include "competitor/Q12Import.h"
#include "competitor/Q12Listes.h"
#include "lib/StrBuf.h"
#include "link/SbComErreur.h"
#include "panels/FQ12.h"
#include "panels/FQ31.h"
#include "panels/FSabGen.h"
#include "records/Q31Config.h"
#include "settings/Q31FKey.h"
#include "tests/desktop/Desktop.h"
#include "ui/Dialogs.h"
#include "ui/Texts.h"

using namespace desktop;

namespace {

// Turns the loop until `done`; 1 if it came.
int Pump(std::function<bool()> done) {
    for (int i = 0; i < 500 && !done(); ++i) GetUserEvent(0, nullptr, nullptr);
    return done() ? 1 : 0;
}

bool Shown(const char* resource, int panelId) {
    QWidget* w = qs::rt::PanelWidget(FindLoadedPanel(resource, panelId));
    return w && w->isVisible();
}

// Enter is the default button (through the focused field or button), Escape the cancel one or the
// close box: never the other way out, never the second button of the error box.
struct KeyPress {
    Qt::Key key;
    const char* target;  // control the key goes to ("" : the one with the focus)
    int expected;        // what the dialog's run returns
};
struct Dialog {
    const char* name;
    std::vector<KeyPress> presses;
    const char* resource;
    int panelId;
    QAccessible::Role role;
    bool window;               // a window of its own (transient for the main window), else inside it
    int wayOut;                // a modal dialog the key left open is ended with this button (then fails)
    std::function<int()> run;  // opens the dialog and returns what the program did after the key
};

// The keys tried on a dialog, in order.
std::vector<KeyPress> Keys(std::vector<KeyPress> presses) {
    return presses;
}

const Dialog kDialogs[] = {
    {"question", Keys({{Qt::Key_Enter, "TEXTE", 1}}), "FSabGen.uir", fsabgen::POPUP, QAccessible::Dialog,
     true, fsabgen::POPUP_ANNULER,
     [] { return SbPopupValid(Q31FIhmG, "QS-310 Manager", "Quit?", "Yes", "No") ? 1 : 0; }},
    {"information", Keys({{Qt::Key_Escape, "", 1}}), "FSabGen.uir", fsabgen::POPUP, QAccessible::Dialog, true,
     fsabgen::POPUP_OK, [] { return SbPopup(Q31FIhmG, "QS", "No program.", "OK"), 1; }},
    {"error box", Keys({{Qt::Key_Return, "", 1}, {Qt::Key_Escape, "", 1}}), "FSabGen.uir", fsabgen::ERREUR,
     QAccessible::AlertMessage, true, fsabgen::ERREUR_BOUTON2,
     [] {
         return SbAfficherErreur(Q31FIhmG, "Serial line error", "Damaged.", "", "OK", true, "Disconnect");
     }},
    {"parameters", Keys({{Qt::Key_Return, "", 1}, {Qt::Key_Escape, "", 0}}), "FQ31.uir", fq31::PARAMS,
     QAccessible::Dialog, true, fq31::PARAMS_CANCEL, [] { return Q31ParamIhm(Q31FIhmG) ? 1 : 0; }},
    {"import settings", Keys({{Qt::Key_Return, "FIRST_ROW", 1}}), "FQ12.uir", fq12::IMPORT,
     QAccessible::Dialog, true, fq12::IMPORT_CANCEL,
     [] {
         Q12Cnf cnf = Q12CnfG;
         return Q12DialogueImport(&cnf) ? 1 : 0;
     }},
    {"connection",
     Keys({{Qt::Key_Escape, "", 0}, {Qt::Key_Return, "PORT", 1}, {Qt::Key_Return, "NET_ADDRESS", 2}}),
     "FQ31.uir", fq31::CONNECT, QAccessible::Dialog, false, fq31::CONNECT_CANCEL,
     [] {  // one port offered that nothing answers on, and an address that refuses at once
         SbComG.freePortCount = 1;
         SbComG.portList[0] = 64;
         StrCopy(SbComG.netAddress, "127.0.0.1");
         SbComG.netPort = 1;
         StrCopy(GMesComG[3], "serial");
         StrCopy(GMesComG[kMesComNetTitle], "network");
         Q31Connexion(Q31FIhmG);
         char title[200] = "", text[200];  // the error told: 1 the serial Connect pressed, 2 the network one
         SbComTexteErreur(title, text);
         return std::string(title) == "network" ? 2 : std::string(title) == "serial" ? 1 : *title ? -1 : 0;
     }},
    {"about box", Keys({{Qt::Key_Escape, "", 1}}), "FSabGen.uir", fsabgen::ABOUT, QAccessible::Dialog, true,
     0,
     [] {
         SbAboutOuvrir(Q31FIhmG, "About", "V 1.1.2", 1, true);
         return Pump([] { return !FindLoadedPanel("FSabGen.uir", fsabgen::ABOUT); });
     }},
    {"key panel", Keys({{Qt::Key_Escape, "", 1}}), "FQ31.uir", fq31::KEYS, QAccessible::Pane, false, 0,
     [] {
         Q31FKeyOuvrir();
         return Pump([] { return !Shown("FQ31.uir", fq31::KEYS); });
     }},
};

// What a row saw from the dialog's own loop: the key sent once the dialog shows, it then transient
// for the main window and of its role; a key that left it open is found out and the dialog ended.
struct Seen {
    bool pressed = false, unanswered = false;
    std::optional<bool> belongs;
    std::optional<QAccessible::Role> role;
};

Step PressWhenShown(const Dialog& showing, const KeyPress& pressing, Seen& seen) {
    return [&showing, &pressing, &seen, waited = 0]() mutable {
        if (int box = FindLoadedPanel("FSabGen.uir", fsabgen::ERREUR);
            box && std::string(showing.name) != "error box") {
            // the dialog led to an error box: closed
            QTest::keyClick(qs::rt::PanelWidget(box), Qt::Key_Escape);
            return false;
        }
        const int panel = FindLoadedPanel(showing.resource, showing.panelId);
        QWidget* root = qs::rt::PanelWidget(panel);
        if (!root || !root->isVisible()) return false;
        if (seen.pressed) {
            if (++waited % 100 == 0 && showing.wayOut)
                seen.unanswered = true, QueueUserEvent(panel, showing.wayOut);
            return false;
        }
        QApplication::processEvents();
        seen.pressed = true;
        if (showing.window)
            seen.belongs =
                root->windowHandle()->transientParent() == qs::rt::PanelWidget(Q31FIhmG)->windowHandle();
        seen.role = QAccessible::queryAccessibleInterface(root)->role();
        QWidget* focus = root->window()->focusWidget();
        QWidget* target = *pressing.target ? root->findChild<QWidget*>(QLatin1String(pressing.target))
                          : focus && root->isAncestorOf(focus) ? focus
                                                               : root;
        target->setFocus(Qt::MouseFocusReason);  // as when the operator clicked into it first
        QTest::keyClick(target, pressing.key);
        return false;
    };
}

void TryEveryKey() {
    for (const Dialog& dialog : kDialogs)
        for (const KeyPress& press : dialog.presses) {
            Seen seen;
            int result = -9;
            RunDialog([&] { result = dialog.run(); }, {PressWhenShown(dialog, press, seen)});
            SCOPED_TRACE(std::string(dialog.name) + (press.key == Qt::Key_Escape ? " Escape" : " Enter"));
            EXPECT_TRUE(seen.pressed && !seen.unanswered) << "never shown, or the key left it open";
            EXPECT_EQ(result, press.expected);
            EXPECT_TRUE(!dialog.window || seen.belongs == true) << "not transient for the main window";
            EXPECT_EQ(seen.role, dialog.role);
            EXPECT_FALSE(Shown(dialog.resource, dialog.panelId)) << "still open";
            SbComDeplanter();
        }
}

// A system dialog looked at from inside its own loop, then answered: `ok` when it is transient for
// the main window and readable (none of its style sheet, dark text on a light ground). The look
// lasts while the timer returned lives.
template <class D>
std::unique_ptr<QTimer> Inspect(bool* ok, std::function<void(D*)> answer) {
    auto poll = std::make_unique<QTimer>();
    QObject::connect(poll.get(), &QTimer::timeout, [poll = poll.get(), ok, answer] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<D*>(top); d && d->isVisible()) {
                poll->stop();
                const QPalette p = d->palette();
                *ok =
                    d->windowHandle()->transientParent() == qs::rt::PanelWidget(Q31FIhmG)->windowHandle() &&
                    d->styleSheet().isEmpty() && qApp->styleSheet().isEmpty() &&
                    p.color(QPalette::Window).lightness() - p.color(QPalette::WindowText).lightness() > 120 &&
                    p.color(QPalette::Base).lightness() - p.color(QPalette::Text).lightness() > 120;
                return answer(d);
            }
    });
    poll->start(50);
    return poll;
}

}  // namespace

// The window manager places a window it has just mapped as it likes: it is asked again until the
// main window is where the operator put it, and given a moment on the way back.
TEST(Windows, LanguageAndDialogsTakenByTheKeysAndTheMainWindowComesBack) {
    qstest::TempProgramDir dir;
    const QRect placed(120, 90, 880, 576);  // four fifths of the resource's 1100 x 720
    int passes = 0;
    bool save = false, message = false;
    char path[260] = "";
    const Step active = [] {  // the main window that dialogs open over, clicked into when it lost the focus
        QWidget* w = qs::rt::PanelWidget(Q31FIhmG);
        return w->isActiveWindow() || (w->activateWindow(), false);
    };
    RunProgram(255, {[] {  // once the window manager has given the dialog the keyboard
                         QWidget* root = qs::rt::PanelWidget(FindLoadedPanel("FSabGen.uir", fsabgen::LANGUE));
                         if (!root || !root->isActiveWindow() || !root->focusWidget()) return false;
                         QTest::keyClick(root->focusWidget(), Qt::Key_Tab);
                         QTest::keyClick(root->focusWidget(), Qt::Key_Return);
                         return true;
                     },
                     [&] {  // a choice the keys did not make is made with the mouse, in English
                         const int panel = FindLoadedPanel("FSabGen.uir", fsabgen::LANGUE);
                         if (panel && ++passes == 50) QueueUserEvent(panel, fsabgen::LANGUE_EN);
                         return panel == 0;
                     },
                     MainShown,
                     [&] {
                         QWidget* w = qs::rt::PanelWidget(Q31FIhmG);
                         if (QRect(w->pos(), w->size()) == placed) return true;  // once the manager agrees
                         if (passes++ % 100 == 0) w->move(placed.topLeft()), w->resize(placed.size());
                         return false;
                     },
                     active, Do(TryEveryKey), active, Do([&] {
                         const auto files = Inspect<QFileDialog>(&save, [](QFileDialog* d) { d->reject(); });
                         FileSelectPopup("Chronos", "*.txt", "*.txt", "Save", VAL_SAVE_BUTTON, 0, 1, 1, 0,
                                         path);
                         const auto box = Inspect<QMessageBox>(&message, [](QMessageBox* d) { d->accept(); });
                         MessagePopup("QS-310 Manager", "The guide is here: /opt/qs310-manager/Doc");
                         Q31QuitG = 1;
                     })});
    QRect again;
    double scale = 0;
    passes = 0;
    ForgetEverything();
    RunProgramAsFound({MainShown,
                       [&] {
                           QWidget* w = qs::rt::PanelWidget(Q31FIhmG);
                           again = QRect(w->pos(), w->size());
                           scale = qs::rt::WindowScale(w);
                           return again == placed || ++passes > 2000;
                       },
                       Do([] { Q31QuitG = 1; })},
                      3000);
    EXPECT_EQ(Q31G.language, 1);  // French: the second language, one Tab away, kept for the next start
    EXPECT_EQ(again, placed);
    EXPECT_NEAR(scale, 0.8, 0.01);
    EXPECT_TRUE(save);
    EXPECT_TRUE(message);
}
