// A race driven headless against the stand-in clock: script runner, watcher of
// the error box and popups, time messages, and the times file.
#include "tests/faults/Race.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "app/Q31Ihm.h"
#include "app/Q31Main.h"
#include "chrono/SbChrono.h"
#include "chrono/SbChronoFormat.h"
#include "link/SbComErreur.h"
#include "panels/FQ31.h"
#include "panels/FSabGen.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "ui/Dialogs.h"

namespace race {

namespace {

// An error box carries one of these in its detail text (empty otherwise) once
// noted and once answered, so a new box is told from one still open or closing.
constexpr const char* kNoted = "\x01noted";
constexpr const char* kAnswered = "\x01answered";

struct Runner {
    std::vector<Step> steps;
    size_t step = 0;
    double budget = 40.0;
    double deadline = -1;
} runner;

std::string Text(int panel, int control) {
    char buf[256] = {};
    GetCtrlVal(panel, control, buf, sizeof buf);
    return buf;
}

void WatchErrorBox(bool late) {
    Watch& w = Seen();
    const int p = FindLoadedPanel("FSabGen.uir", fsabgen::ERREUR);
    w.boxOpen = p > 0;
    if (!p) return;
    const std::string detail = Text(p, fsabgen::ERREUR_DETAIL);
    if (detail == kAnswered) return;
    if (detail != kNoted) {
        Box b;
        b.title = Text(p, fsabgen::ERREUR_TITRE);
        b.text = Text(p, fsabgen::ERREUR_TEXTE);
        b.detail = Text(p, fsabgen::ERREUR_DETAIL);
        GetCtrlAttribute(p, fsabgen::ERREUR_BOUTON2, ATTR_VISIBLE, &b.secondVisible);
        w.boxes.push_back(b);
        SetCtrlVal(p, fsabgen::ERREUR_DETAIL, kNoted);
    }
    if (!late && w.holdBox && w.holdBox()) return;
    SetCtrlVal(p, fsabgen::ERREUR_DETAIL, kAnswered);
    const bool second = w.answer == 2 && w.boxes.back().secondVisible == 1;
    QueueUserEvent(p, second ? fsabgen::ERREUR_BOUTON2 : fsabgen::ERREUR_BOUTON1);
}

void WatchPopup() {
    const int p = FindLoadedPanel("FSabGen.uir", fsabgen::POPUP);
    if (!p || Text(p, fsabgen::POPUP_TITRE) == kNoted) return;
    int question = 0;
    GetCtrlAttribute(p, fsabgen::POPUP_VALIDER, ATTR_VISIBLE, &question);
    SetCtrlVal(p, fsabgen::POPUP_TITRE, kNoted);
    Watch& w = Seen();
    ++w.popups;
    w.popupTexts.push_back(Text(p, fsabgen::POPUP_TEXTE));
    const bool cancel = question && w.cancels > 0;
    if (cancel) --w.cancels;
    QueueUserEvent(p, !question ? fsabgen::POPUP_OK
                      : cancel  ? fsabgen::POPUP_ANNULER
                                : fsabgen::POPUP_VALIDER);
}

void Pass() {
    if (runner.deadline < 0) runner.deadline = Timer() + runner.budget;
    const bool late = Timer() > runner.deadline;
    if (late && !Seen().deadlineHit) {
        Seen().deadlineHit = true;
        Q31QuitG = 1;
    }
    WatchErrorBox(late);
    WatchPopup();
    if (!late && runner.step < runner.steps.size() && runner.steps[runner.step]()) ++runner.step;
}

std::string TableText(Point cell) {
    char buf[128] = {};
    GetTableCellVal(Q31FIhmG, fq31::MAIN_TIMES_TABLE, cell, buf, sizeof buf);
    return buf;
}

// A step that holds until some seconds have passed since it was first asked.
Step After(double seconds, std::function<void()> then = {}) {
    auto start = std::make_shared<double>(-1);
    return [=] {
        if (*start < 0) *start = Timer();
        if (Timer() - *start < seconds) return false;
        if (then) then();
        return true;
    };
}

}  // namespace

Watch& Seen() {
    static Watch w;
    return w;
}

void WriteConfig() {
    Q31Config c{};
    Q31Defaut(&c);
    c.language = 0;
    c.soundOn = 0;
    FileWriteAtomic("QS-310_V1-1.q31cnf", &c, sizeof c);
}

size_t RunProgram(std::vector<Step> steps, double deadlineSeconds) {
    runner = Runner{std::move(steps), 0, deadlineSeconds, -1};
    memset(&Q31G, 0, sizeof Q31G);
    memset(&SbComG, 0, sizeof SbComG);
    SbComDeplanter();
    SetIdleHook(Pass);
    static char arg0[] = "QS310Manager";
    static char* argv[] = {arg0, nullptr};
    Q31Main(1, argv);
    SetIdleHook(nullptr);
    return runner.step;
}

Step MainWindowUp() {
    return [] { return Q31FIhmG > 0 && FindLoadedPanel("FQ31.uir", fq31::MAIN) > 0; };
}

Step SwitchConnection(int on) {
    return [on] {
        SetCtrlVal(Q31FIhmG, fq31::MAIN_CONNECT_SWITCH, on);
        return QueueUserEvent(Q31FIhmG, fq31::MAIN_CONNECT_SWITCH) == 0;
    };
}

Step ConnectInDialog(int port) {
    return [port] {
        const int dlg = FindLoadedPanel("FQ31.uir", fq31::CONNECT);
        if (!dlg) return false;
        SetCtrlVal(dlg, fq31::CONNECT_PORT, port);
        QueueUserEvent(dlg, fq31::CONNECT_CONNECT);
        return true;
    };
}

Step ConnectOverNetwork(const std::string& address, int tcpPort) {
    return [address, tcpPort] {
        const int dlg = FindLoadedPanel("FQ31.uir", fq31::CONNECT);
        if (!dlg) return false;
        SetCtrlVal(dlg, fq31::CONNECT_NET_ADDRESS, address.c_str());
        SetCtrlVal(dlg, fq31::CONNECT_NET_PORT, tcpPort);
        QueueUserEvent(dlg, fq31::CONNECT_CONNECT2);
        return true;
    };
}

Step Connected() {
    return [] {
        return SbComG.linkState != 0 && SbQ31CrG.connected == 1 &&
               !FindLoadedPanel("FQ31.uir", fq31::CONNECT) && !SbWaitOuvert() && !SbComErreur();
    };
}

Step Press(int control) {
    return [control] { return QueueUserEvent(Q31FIhmG, control) == 0; };
}

Step Pause(double seconds) {
    return After(seconds);
}

Step Tell(const qstest::TempProgramDir& dir, const std::vector<std::string>& commands) {
    const std::string path = dir.file("control");
    return [path, commands] {
        std::string all;
        for (const std::string& c : commands) all += c + "\n";
        const int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd < 0) return false;
        const bool whole = write(fd, all.data(), all.size()) == ssize_t(all.size());
        close(fd);
        return whole;
    };
}

void TellNow(const qstest::TempProgramDir& dir, const std::vector<std::string>& commands) {
    Tell(dir, commands)();
}

Step StoreHolds(int count) {
    return [count] { return SbChronoNombre() >= count; };
}

Step FileCurrent() {
    return [] {
        bool whole = false;
        std::vector<SbChronoRec> file = ReadTimesFile("Chronos/Chrono.q31tps", &whole);
        if (!whole || int(file.size()) != SbChronoNombre()) return false;
        for (int i = 1; i <= SbChronoNombre(); ++i)
            if (memcmp(&file[size_t(i - 1)], SbChronoLire(i), sizeof(SbChronoRec)) != 0) return false;
        return true;
    };
}

Step BoxesSeen(size_t count) {
    return
        [count] { return Seen().boxes.size() >= count && !FindLoadedPanel("FSabGen.uir", fsabgen::ERREUR); };
}

Step Snapshot(std::vector<SbChronoRec>* store, int* tableRows) {
    return [store, tableRows] {
        store->clear();
        for (int i = 1; i <= SbChronoNombre(); ++i) store->push_back(*SbChronoLire(i));
        // Rows from the top that show their record's number and time as formatted.
        *tableRows = 0;
        for (const SbChronoRec& rec : *store) {
            char numero[16], temps[64];
            SbChronoTexteNumero(rec, numero);
            SbChronoTexteTemps(rec, SbComG.params.precision, temps);
            const Point number = MakePoint(2, *tableRows + 1), time = MakePoint(4, *tableRows + 1);
            if (TableText(number) != numero || TableText(time) != temps) break;
            ++*tableRows;
        }
        return true;
    };
}

Step Quit() {
    return [] {
        Q31QuitG = 1;
        return true;
    };
}

std::string TimeLine(int competitor, int number) {
    char line[64];
    snprintf(line, sizeof line, "TN %04d %04d  2 10:%02d:%02d.%05d 00000", competitor, number, number % 60,
             competitor % 60, (number * 3917) % 100000);
    return line;
}

std::string Send(int competitor, int number) {
    return "send " + TimeLine(competitor, number);
}

std::vector<SbChronoRec> ReadTimesFile(const std::string& path, bool* whole) {
    const std::string bytes = qstest::ReadFileBytes(path);
    if (whole) *whole = false;
    if (bytes.size() < 4) return {};
    int32_t count = 0;
    memcpy(&count, bytes.data(), 4);
    if (count < 0 || bytes.size() != 4 + size_t(count) * sizeof(SbChronoRec)) return {};
    std::vector<SbChronoRec> records(static_cast<size_t>(count));
    if (count > 0) memcpy(records.data(), bytes.data() + 4, records.size() * sizeof(SbChronoRec));
    if (whole) *whole = true;
    return records;
}

std::vector<int> Competitors(const std::vector<SbChronoRec>& records) {
    std::vector<int> out;
    for (const SbChronoRec& r : records) out.push_back(r.Concurrent);
    return out;
}

}  // namespace race
