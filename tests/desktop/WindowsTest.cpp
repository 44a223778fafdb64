// The program's dialogs as desktop windows: Enter and Escape, sent as real key events, reach
// the callback of the default or cancel button; each dialog opened from the main window
// belongs to it (transient, so it cannot be lost behind it) and shows assistive tools its role;
// the system's file dialog and message box are readable whatever the main window's colours;
// the main window comes back where it was.
#include <QAccessible>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <memory>
#include <optional>

#include "app/LiveView.h"
#include "app/Q31Connexion.h"
#include "app/Q31Ihm.h"
#include "app/Q31Modules.h"
#include "app/Q31Param.h"
#include "competitor/Q12Import.h"
#include "competitor/Q12Listes.h"
#include "lib/StrBuf.h"
#include "link/SbComErreur.h"
#include "link/SbComLink.h"
#include "panels/FQ12.h"
#include "panels/FQ31.h"
#include "panels/FSabGen.h"
#include "platform/LocalSettings.h"
#include "settings/Q31FKey.h"
#include "settings/Q31FSet.h"
#include "tests/desktop/Desktop.h"
#include "tests/runner/FreshState.h"
#include "ui/Dialogs.h"
#include "ui/Texts.h"

using namespace desktop;

namespace {

struct Dialog {
    const char* name;
    const char* resource;
    int panelId;
    std::function<int()> open;     // runs the dialog (modal) or opens it (then returns -1)
    std::function<int()> outcome;  // what the program did, read after the key
    QAccessible::Role role;
    bool window;  // a window of its own (transient for the main window), else inside it
    int wayOut;   // a modal dialog the keys left open is ended with this button (then fails)
};

struct Press {
    const char* dialog;
    std::vector<Qt::Key> keys;
    const char* target;  // control the keys go to ("" : the one with the focus)
    int expected;
};

// Sends the row's keys once the row's panel shows, from the dialog's own loop.
const Press* pressing = nullptr;
const Dialog* showing = nullptr;
bool pressed = false;
std::optional<bool> belongs;  // transient for the main window
std::optional<QAccessible::Role> role;
int errorBoxes = 0;
std::string errorTitle;   // of the link's error the last error box told
bool unanswered = false;  // the keys did not end the dialog

QWidget* Target(QWidget* root) {
    if (*pressing->target) return root->findChild<QWidget*>(QLatin1String(pressing->target));
    QWidget* focus = root->window()->focusWidget();
    return focus && root->isAncestorOf(focus) ? focus : root;
}

void PressWhenShown() {
    const bool errorRow =
        std::string(showing->resource) == "FSabGen.uir" && showing->panelId == fsabgen::ERREUR;
    if (int box = FindLoadedPanel("FSabGen.uir", fsabgen::ERREUR); box && !errorRow) {
        ++errorBoxes;  // the dialog led to an error box: see it and close it
        char title[200], text[200];
        SbComTexteErreur(title, text);
        errorTitle = title;
        QTest::keyClick(qs::rt::PanelWidget(box), Qt::Key_Escape);
        return;
    }
    if (!pressing) return;
    const int panel = FindLoadedPanel(showing->resource, showing->panelId);
    QWidget* root = qs::rt::PanelWidget(panel);
    if (!root || !root->isVisible()) return;
    if (pressed) {
        static int waited = 0;
        if (++waited % 100 == 0 && showing->wayOut) {
            unanswered = true;
            QueueUserEvent(panel, showing->wayOut);
        }
        return;
    }
    QApplication::processEvents();
    pressed = true;
    if (showing->window)
        belongs = root->windowHandle()->transientParent() == qs::rt::PanelWidget(Q31FIhmG)->windowHandle();
    role = QAccessible::queryAccessibleInterface(root)->role();
    QWidget* target = Target(root);
    target->setFocus(Qt::MouseFocusReason);  // as when the operator clicked into it first
    for (Qt::Key key : pressing->keys) QTest::keyClick(target, key);
}

int Pump(std::function<bool()> done) {
    for (int i = 0; i < 500 && !done(); ++i) GetUserEvent(0, nullptr, nullptr);
    return done() ? 1 : 0;
}

bool Visible(int panel) {
    QWidget* w = qs::rt::PanelWidget(panel);
    return w && w->isVisible();
}

const Dialog kDialogs[] = {
    {"question", "FSabGen.uir", fsabgen::POPUP,
     [] { return SbPopupValid(Q31FIhmG, "QS-310 Manager", "Quit?", "Yes", "No") ? 1 : 0; }, nullptr,
     QAccessible::Dialog, true, fsabgen::POPUP_ANNULER},
    {"information", "FSabGen.uir", fsabgen::POPUP,
     [] {
         SbPopup(Q31FIhmG, "QS-310 Manager", "No program.", "OK");
         return 1;  // back from the box
     },
     nullptr, QAccessible::Dialog, true, fsabgen::POPUP_OK},
    {"error box", "FSabGen.uir", fsabgen::ERREUR,
     [] { return SbAfficherErreur(Q31FIhmG, "Serial line error", "Damaged.", "", "OK", true, "Disconnect"); },
     nullptr, QAccessible::AlertMessage, true, fsabgen::ERREUR_BOUTON2},
    {"parameters", "FQ31.uir", fq31::PARAMS, [] { return Q31ParamIhm(Q31FIhmG) ? 1 : 0; }, nullptr,
     QAccessible::Dialog, true, fq31::PARAMS_CANCEL},
    {"import settings", "FQ12.uir", fq12::IMPORT,
     [] {
         Q12Cnf cnf = Q12CnfG;
         return Q12DialogueImport(&cnf) ? 1 : 0;
     },
     nullptr, QAccessible::Dialog, true, fq12::IMPORT_CANCEL},
    {"connection", "FQ31.uir", fq31::CONNECT,
     [] {
         SbComG.freePortCount = 1;  // one port offered, that nothing answers on
         SbComG.portList[0] = 64;
         StrCopy(SbComG.netAddress, "127.0.0.1");  // and an address that refuses at once
         SbComG.netPort = 1;
         StrCopy(GMesComG[3], "serial");
         StrCopy(GMesComG[kMesComNetTitle], "network");
         Q31Connexion(Q31FIhmG);
         return -2;
     },
     // 1: the serial Connect was pressed, 2: the network one.
     [] {
         return errorBoxes == 1 ? (errorTitle == "network" ? 2 : errorTitle == "serial" ? 1 : -1) : 0;
     },
     QAccessible::Dialog, false, fq31::CONNECT_CANCEL},
    {"live view", "FQ31.uir", fq31::LIVE,
     [] {
         LiveViewDialog(Q31FIhmG);
         return -2;
     },
     [] { return LocalSettingsInt("LiveView/port", 0) != 0 ? 1 : 0; },  // OK keeps the settings
     QAccessible::Dialog, true, fq31::LIVE_CANCEL},
    {"about box", "FSabGen.uir", fsabgen::ABOUT,
     [] {
         SbAboutOuvrir(Q31FIhmG, "About", "V 1.1.2", 1, true);
         return -1;
     },
     [] { return Pump([] { return !FindLoadedPanel("FSabGen.uir", fsabgen::ABOUT); }); }, QAccessible::Dialog,
     true, 0},
    {"key panel", "FQ31.uir", fq31::KEYS,
     [] {
         Q31FKeyOuvrir();
         return -1;
     },
     [] { return Pump([] { return !Visible(FindLoadedPanel("FQ31.uir", fq31::KEYS)); }); }, QAccessible::Pane,
     false, 0},
    {"settings page", "FQ31.uir", fq31::PAGE5,
     [] {
         Q31FSetOuvrir(5, fq31::MAIN_PAGE_5);
         return -1;
     },
     [] { return Pump([] { return Q31FSetPageOuverte() < 0; }); }, QAccessible::Pane, false, 0},
};

// Enter is the default button (through the focused field or button), Escape the cancel one
// or the close box: never the other way out, never the second button of the error box.
const Press kPresses[] = {
    {"question", {Qt::Key_Return}, "", 1},
    {"question", {Qt::Key_Escape}, "", 0},
    {"question", {Qt::Key_Enter}, "TEXTE", 1},
    {"information", {Qt::Key_Escape}, "", 1},
    {"information", {Qt::Key_Return}, "", 1},
    {"error box", {Qt::Key_Return}, "", 1},
    {"error box", {Qt::Key_Escape}, "", 1},
    {"parameters", {Qt::Key_Return}, "", 1},
    {"parameters", {Qt::Key_Escape}, "", 0},
    {"import settings", {Qt::Key_Return}, "FIRST_ROW", 1},
    {"import settings", {Qt::Key_Escape}, "", 0},
    {"connection", {Qt::Key_Escape}, "", 0},
    {"connection", {Qt::Key_Return}, "PORT", 1},         // Connect: the port then fails
    {"connection", {Qt::Key_Return}, "NET_ADDRESS", 2},  // the network fields' own Connect
    {"connection", {Qt::Key_Enter}, "NET_PORT", 2},
    {"live view", {Qt::Key_Escape}, "", 0},
    {"live view", {Qt::Key_Return}, "PORT", 1},
    {"about box", {Qt::Key_Escape}, "", 1},
    {"key panel", {Qt::Key_Escape}, "", 1},
    {"settings page", {Qt::Key_Escape}, "", 1},
};

class Windows : public ::testing::Test {
protected:
    void SetUp() override {
        qstest::FreshRecords();
        Q31EnregistrerCallbacks();
        Q31FIhmG = LoadPanel(0, "FQ31.uir", fq31::MAIN);
        ASSERT_GT(Q31FIhmG, 0);
        Q31FKeyCharger();
        Q31FSetCharger();
        DisplayPanel(Q31FIhmG);
        QWidget* main = qs::rt::PanelWidget(Q31FIhmG);
        for (int i = 0; i < 200 && !main->isActiveWindow(); ++i) GetUserEvent(0, nullptr, nullptr);
        ASSERT_TRUE(main->isActiveWindow()) << "the window manager gave the main window no focus";
        SetIdleHook(PressWhenShown);
    }
    void TearDown() override {
        SetIdleHook(nullptr);
        SbComQuitter();
        SbComDeplanter();
        Q31FKeyQuitter();
        DiscardPanel(Q31FIhmG);
        Q31FIhmG = 0;
    }
    qstest::TempProgramDir dir_;
};

}  // namespace

TEST_F(Windows, EnterAndEscapeActLikeTheDefaultAndCancelButtons) {
    for (const Press& press : kPresses) {
        const Dialog* d = nullptr;
        for (const Dialog& candidate : kDialogs)
            if (std::string(candidate.name) == press.dialog) d = &candidate;
        ASSERT_NE(d, nullptr) << press.dialog;
        pressing = &press;
        showing = d;
        pressed = false;
        errorBoxes = 0;
        errorTitle.clear();
        unanswered = false;
        belongs.reset();
        role.reset();
        int result = d->open();
        if (d->outcome) result = d->outcome();
        const std::string row =
            std::string(press.dialog) + (press.keys.back() == Qt::Key_Escape ? " Escape" : " Enter");
        EXPECT_TRUE(pressed) << row << ": never shown";
        EXPECT_FALSE(unanswered) << row << ": the keys left the dialog open";
        EXPECT_EQ(result, press.expected) << row;
        if (d->window)
            EXPECT_EQ(belongs, std::optional<bool>(true)) << row << ": not transient for the main window";
        EXPECT_EQ(role, std::optional<QAccessible::Role>(d->role)) << row;
        EXPECT_EQ(FindLoadedPanel(d->resource, d->panelId) != 0 &&
                      Visible(FindLoadedPanel(d->resource, d->panelId)),
                  false)
            << row << ": still open";
        pressing = nullptr;
        SbComDeplanter();
    }
}

namespace {

// The system's dialogs, looked at from inside their own loop, then answered.
struct SystemDialog {
    bool transient = false, unstyled = false, readable = false;
    QString folder;
};

template <class D>
void Inspect(SystemDialog* seen, std::function<void(D*)> answer) {
    auto* poll = new QTimer;  // until the dialog shows, at most 10 s
    poll->setInterval(50);
    auto tries = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [poll, tries, seen, answer] {
        if (++*tries > 200) poll->deleteLater();
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* d = qobject_cast<D*>(top);
            if (!d || !d->isVisible()) continue;
            poll->stop();
            poll->deleteLater();
            seen->transient =
                d->windowHandle()->transientParent() == qs::rt::PanelWidget(Q31FIhmG)->windowHandle();
            // None of the main window's style sheet, and dark text on a light ground.
            seen->unstyled = !d->parentWidget() && d->styleSheet().isEmpty() && qApp->styleSheet().isEmpty();
            const QPalette p = d->palette();
            seen->readable =
                p.color(QPalette::Window).lightness() - p.color(QPalette::WindowText).lightness() > 120 &&
                p.color(QPalette::Base).lightness() - p.color(QPalette::Text).lightness() > 120;
            if constexpr (std::is_same_v<D, QFileDialog>) seen->folder = d->directory().absolutePath();
            answer(d);
            return;
        }
    });
    poll->start();
}

}  // namespace

TEST_F(Windows, FileDialogsAndMessagesAreReadableAndStayAboveTheirWindow) {
    char path[260] = "";
    SystemDialog save;
    Inspect<QFileDialog>(&save, [](QFileDialog* d) { d->reject(); });
    FileSelectPopup("Chronos", "*.txt", "*.txt", "Save the times", VAL_SAVE_BUTTON, 0, 1, 1, 0, path);
    EXPECT_TRUE(save.transient);
    EXPECT_TRUE(save.unstyled);
    EXPECT_TRUE(save.readable);

    SystemDialog message;
    Inspect<QMessageBox>(&message, [](QMessageBox* d) { d->accept(); });
    MessagePopup("QS-310 Manager", "The guide is here: /opt/qs310-manager/Doc");
    EXPECT_TRUE(message.transient);
    EXPECT_TRUE(message.unstyled);
    EXPECT_TRUE(message.readable);

    // A dialog with no folder of its own (the competitor list) opens where the last list
    // came from, else in the documents folder.
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", dir_.path().c_str());  // the documents folder of a home of the test's own
    QDir().mkpath(QString::fromStdString(dir_.file("Documents")));
    const QString lists = QString::fromStdString(dir_.file("Lists"));
    QDir().mkpath(lists);
    qstest::WriteFileBytes(dir_.file("Lists/race.csv"), "1;A\n");
    SystemDialog first, second;
    Inspect<QFileDialog>(&first, [lists](QFileDialog* d) {
        // As the operator: the file's name typed in, then Enter.
        auto* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        name->setText(lists + QStringLiteral("/race.csv"));
        QTest::keyClick(name, Qt::Key_Return);
    });
    EXPECT_EQ(FileSelectPopup("", "", "*.csv;", "Import", VAL_LOAD_BUTTON, 0, 0, 1, 1, path),
              VAL_EXISTING_FILE_SELECTED);
    Inspect<QFileDialog>(&second, [](QFileDialog* d) { d->reject(); });
    FileSelectPopup("", "", "*.csv;", "Import", VAL_LOAD_BUTTON, 0, 0, 1, 1, path);
    qputenv("HOME", home);
    EXPECT_EQ(first.folder, QString::fromStdString(dir_.file("Documents")));
    EXPECT_EQ(second.folder, lists);
}

// The first start asks for the language: Tab moves the focus, Enter takes the focused one.
TEST(Desktop, LanguageChoiceTakesEnterOnTheFocusedLanguage) {
    qstest::TempProgramDir dir;
    RunProgram(255, {[] {  // once the window manager has given the dialog the keyboard
                         QWidget* root = qs::rt::PanelWidget(FindLoadedPanel("FSabGen.uir", fsabgen::LANGUE));
                         if (!root || !root->isActiveWindow() || !root->focusWidget()) return false;
                         QTest::keyClick(root->focusWidget(), Qt::Key_Tab);
                         QTest::keyClick(root->focusWidget(), Qt::Key_Return);
                         return true;
                     },
                     [] {  // a choice the keys did not make is made with the mouse, in English
                         static int passes = 0;
                         const int panel = FindLoadedPanel("FSabGen.uir", fsabgen::LANGUE);
                         if (panel && ++passes == 50) QueueUserEvent(panel, fsabgen::LANGUE_EN);
                         return panel == 0;
                     },
                     MainShown, Do([] { Q31QuitG = 1; })});
    EXPECT_EQ(Q31G.language, 1);  // French: the second language, one Tab away
}

// The main window comes back at the place and size it had: its content at the scale of
// that size.
TEST(Desktop, MainWindowComesBackWhereItWas) {
    qstest::TempProgramDir dir;
    const QRect placed(120, 90, 880, 576);  // four fifths of the resource's 1100 x 720
    // The window manager places a window it has just mapped as it likes: asked again until
    // the window is where the operator put it.
    RunProgram(0, {MainShown,
                   [placed] {
                       static int passes = 0;
                       QWidget* w = qs::rt::PanelWidget(Q31FIhmG);
                       if (w->size() == placed.size() && w->pos() == placed.topLeft()) return true;
                       if (passes++ % 100 == 0) {
                           w->move(placed.topLeft());
                           w->resize(placed.size());
                       }
                       return false;
                   },
                   Do([] { Q31QuitG = 1; })});
    QRect again;
    double scale = 0;
    RunProgram(0, {MainShown, [&again, &scale, placed] {  // the window manager may take a moment
                       static int passes = 0;
                       QWidget* w = qs::rt::PanelWidget(Q31FIhmG);
                       again = QRect(w->pos(), w->size());
                       scale = qs::rt::WindowScale(w);
                       Q31QuitG = again == placed || ++passes > 2000;
                       return Q31QuitG != 0;
                   }});
    EXPECT_EQ(again, placed);
    EXPECT_NEAR(scale, 0.8, 0.01);
}
