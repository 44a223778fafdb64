// Drives the real program through a simulated start, as an operator would, and
// saves pictures of its windows mid-countdown (documentation screenshots):
// connection switch -> Simulation -> synchronisation on the computer's clock,
// program 1 "Alpine Ski" -> start; grabs the connection dialog on the way, the main
// window while the countdown runs, then switches the second display on and grabs it
// too, opens the general settings page and grabs the main window with it, then the key panel,
// the quit question, and last a file name the program cannot keep typed into the times' save
// dialog (the message it gets, above the main window).
// Usage: qs_demo_shot <program folder> <output folder>
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "app/Q31Aff.h"
#include "app/Q31Ihm.h"
#include "app/Q31Main.h"
#include "display/Q31Fsd.h"
#include "panels/FQ31.h"
#include "panels/FSabGen.h"
#include "platform/Runtime.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "settings/Q31FKey.h"
#include "settings/Q31FSet.h"

namespace fs = std::filesystem;
using namespace fq31;

namespace {

std::string outDir;
int phase = 0;
double phaseStart = 0;
double countdownSeen = -1;
std::unique_ptr<QTimer> answers;  // answers the save dialog from inside its own loop
void AnswerSaveDialog();

void Grab(int panel, const char* name) {
    QWidget* w = qs::rt::PanelWidget(panel);
    if (!w) return;
    std::string path = outDir + "/" + name;
    bool ok = w->grab().save(QString::fromStdString(path));
    printf("%s %s\n", ok ? "saved" : "could not save", path.c_str());
}

// The whole screen as the window manager shows it: frames, icons, which window is above.
void GrabScreen(const char* name) {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    std::string path = outDir + "/" + name;
    bool ok = screen->grabWindow(0).save(QString::fromStdString(path));
    printf("%s %s\n", ok ? "saved" : "could not save", path.c_str());
}

void Script() {
    const double now = Timer();
    switch (phase) {
        case 0:  // the main window is up: switch the connection on
            if (Q31FIhmG <= 0) return;
            SetCtrlVal(Q31FIhmG, MAIN_CONNECT_SWITCH, 1);
            QueueUserEvent(Q31FIhmG, MAIN_CONNECT_SWITCH);
            phase = 1;
            break;
        case 1:  // the connection dialog: search the ports (COM5 is the demo's pty)
            if (FindLoadedPanel("FQ31.uir", CONNECT)) {
                SbComG.freePortCount = 0;
                QueueUserEvent(FindLoadedPanel("FQ31.uir", CONNECT), CONNECT_REFRESH);
                phase = 11;
                phaseStart = now;
            }
            break;
        case 11:  // ports found: pick COM5, show the dialog, then choose Simulation
            if (int dlg = FindLoadedPanel("FQ31.uir", CONNECT)) {
                if (SbComG.freePortCount <= 0 && now - phaseStart < 15) return;
                if (now - phaseStart < 1.0) return;
                SetCtrlVal(dlg, CONNECT_PORT, 5);
                ProcessDrawEvents();
                Grab(dlg, "connection-dialog.png");
                QueueUserEvent(dlg, CONNECT_SIMULATION);
                phase = 2;
            }
            break;
        case 2:  // simulating: synchronise on the computer's clock, run program 1, start
            if (!SbComG.simulation || FindLoadedPanel("FQ31.uir", CONNECT)) return;
            SbComG.synchro.mode = 5;
            SbComG.synchro.timeZone = 19;
            SbComG.currentProgram = 1;
            SbComG.progs[0] = SbComG.progs[1];
            Q31InitAff(false, true);
            phase = 21;
            phaseStart = now;
            break;
        case 21:  // the clock runs on its new time of day: press start
            if (now - phaseStart < 1.5) return;
            Q31FKeyStartStop();
            phase = 3;
            phaseStart = now;
            break;
        case 3:  // wait for the countdown, then a few seconds into it
            if (getenv("QS_DEMO_TRACE")) {
                static double last = 0;
                if (now - last > 2) {
                    last = now;
                    fprintf(stderr, "t=%.0f sim=%d link=%d flags=%d%d%d time=%02d:%02d:%02d colour=%d\n",
                            now - phaseStart, SbComG.simulation, SbComG.linkState, SbQ31CrG.status1,
                            SbQ31CrG.status2, SbQ31CrG.status3, SbCrG.hour, SbCrG.minute, SbCrG.second,
                            SbQ31CrG.lightColour);
                }
            }
            if (SbQ31CrG.status2 && countdownSeen < 0) countdownSeen = now;
            if (countdownSeen >= 0 && now - countdownSeen > 9.3) {
                Grab(Q31FIhmG, "main-window.png");
                // Then the public display, switched on as the operator does.
                SetCtrlVal(Q31FIhmG, MAIN_FSD_SWITCH, 1);
                QueueUserEvent(Q31FIhmG, MAIN_FSD_SWITCH);
                phase = 31;
                phaseStart = now;
            } else if (now - phaseStart > 150) {
                fprintf(stderr, "no countdown began\n");
                phase = 4;
            }
            break;
        case 31:  // the second display has drawn a couple of seconds of countdown
            if (now - phaseStart < 2.0) return;
            if (int fsd = FindLoadedPanel("FQ31_SD.uir", 1); fsd > 0) Grab(fsd, "second-display.png");
            // Then the general settings page, opened from its button on the main window.
            QueueUserEvent(Q31FIhmG, MAIN_PAGE_4);
            phase = 32;
            phaseStart = now;
            break;
        case 32:  // the page has read its values from the simulated clock
            if (Q31FSetPageOuverte() != 4) {
                if (now - phaseStart > 20) phase = 4;
                return;
            }
            if (now - phaseStart < 1.0) return;
            Grab(Q31FIhmG, "settings-page.png");
            // Then the key panel, where it opens: below the dial, the digits in view.
            Q31FSetFermer();
            Q31FKeyOuvrir();
            phase = 33;
            phaseStart = now;
            break;
        case 33:
            if (now - phaseStart < 1.0) return;
            Grab(Q31FIhmG, "key-panel.png");
            Q31FKeyFermer();
            Q31FsdFermer();
            // Last the quit question, as the screen shows it: above its window, the keyboard
            // focus on its default button.
            QueueUserEvent(Q31FIhmG, MAIN_QUIT);
            phase = 34;
            phaseStart = now;
            break;
        case 34:
            if (int popup = FindLoadedPanel("FSabGen.uir", fsabgen::POPUP); popup > 0) {
                if (now - phaseStart < 1.5) return;
                GrabScreen("quit-question.png");
                QueueUserEvent(popup, fsabgen::POPUP_ANNULER);  // No: the demo goes on below
                phase = 35;
                phaseStart = now;
            } else if (now - phaseStart > 20) {
                phase = 4;
            }
            break;
        case 35:  // the question gone, the times' save button
            if (FindLoadedPanel("FSabGen.uir", fsabgen::POPUP) > 0 && now - phaseStart < 20) return;
            answers = std::make_unique<QTimer>();
            answers->callOnTimeout(AnswerSaveDialog);
            answers->start(200);
            QueueUserEvent(Q31FIhmG, MAIN_TIMES_SAVE);
            phase = 36;
            phaseStart = now;
            break;
        case 36:  // the save dialog's own loop runs the answers; back here once it is closed
            if (now - phaseStart > 2) phase = 4;
            break;
        default:
            answers.reset();
            Q31QuitG = 1;
            break;
    }
}

// The times' save dialog: a name with letters outside Windows-1252 typed and saved; the message
// it gets is grabbed with the screen, then the dialog that comes back is cancelled.
void AnswerSaveDialog() {
    static int step = 0;
    static double shown = -1;
    QWidget* w = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
        if (shown < 0) shown = Timer();
        if (Timer() - shown < 1.0) return;
        GrabScreen("file-name-refused.png");
        box->accept();
        step = 2;
    } else if (auto* d = qobject_cast<QFileDialog*>(w); d && d->isVisible()) {
        if (step == 2) return d->reject();
        if (step++ == 0) return;  // once drawn
        auto* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (!name) return d->reject();  // the desktop's own dialog (a forced platform theme)
        name->setText(QStringLiteral("Łódź – bieg 2"));
        static_cast<QDialog*>(d)->accept();
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: qs_demo_shot <program folder> <output folder>\n");
        return 2;
    }
    outDir = argv[2];
    fs::create_directories(outDir);
    // Run in a scratch copy so the real program folder's files stay as they were.
    char tmpl[] = "/tmp/qs310-demo-XXXXXX";
    std::string dir = mkdtemp(tmpl);
    for (const char* item :
         {"Texts", "Doc", "FQ31.uir", "FQ31_SD.uir", "FQ12.uir", "FSabGen.uir", "qs310-manager.png"})
        if (fs::exists(fs::path(argv[1]) / item))
            fs::copy(fs::path(argv[1]) / item, fs::path(dir) / item, fs::copy_options::recursive);
    Q31Config c{};
    Q31Defaut(&c);
    c.language = 0;
    c.soundOn = 0;
    FILE* f = fopen((dir + "/QS-310_V1-1.q31cnf").c_str(), "wb");
    fwrite(&c, sizeof c, 1, f);
    fclose(f);
    // A pseudo-terminal linked as COM5, as a USB adapter or the stand-in clock would be.
    int pty = posix_openpt(O_RDWR | O_NOCTTY);
    if (pty >= 0 && grantpt(pty) == 0 && unlockpt(pty) == 0) {
        fs::create_directories(fs::path(dir) / "Ports");
        fs::create_symlink(ptsname(pty), fs::path(dir) / "Ports" / "COM5");
    }
    setenv("QS_PROGRAM_DIR", dir.c_str(), 1);
    SetIdleHook(Script);
    static char arg0[] = "QS310Manager";
    static char* args[] = {arg0, nullptr};
    int rc = Q31Main(1, args);
    fs::remove_all(dir);
    if (pty >= 0) close(pty);
    return rc;
}
