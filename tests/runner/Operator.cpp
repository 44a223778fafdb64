// An operator's hands for whole-race flows: panel lookup, script steps, dialog hooks, table
// reading, the hand-driven time and the fault watcher.
#include "tests/runner/Operator.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QTableView>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>

#include "app/Q31Main.h"
#include "competitor/Q12Panneau.h"
#include "panels/FSabGen.h"
#include "platform/Runtime.h"
#include "records/Q31Config.h"
#include "records/SbChronoRec.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "settings/Q31FSet.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace qstest {

Script& CurrentScript() {
    static Script s;
    return s;
}

}  // namespace qstest

namespace e2e {

namespace {

std::deque<std::string> filesToPick;
std::vector<FileDialog> fileDialogs;
Strings messages;

int AnswerFileDialog(const char* defaultDir, const char* defaultFile, const char* title, int,
                     char pathOut[260]) {
    fileDialogs.push_back({defaultDir ? defaultDir : "", defaultFile ? defaultFile : "", title ? title : ""});
    if (filesToPick.empty()) return VAL_NO_FILE_SELECTED;
    std::string path = filesToPick.front();
    filesToPick.pop_front();
    if (!path.empty() && path[0] != '/') path = fs::current_path().string() + "/" + path;
    snprintf(pathOut, 260, "%s", path.c_str());
    return fs::exists(path) ? VAL_EXISTING_FILE_SELECTED : VAL_NEW_FILE_SELECTED;
}

bool Attribute(int panel, int control, int attribute) {
    int v = 0;
    control ? GetCtrlAttribute(panel, control, attribute, &v) : GetPanelAttribute(panel, attribute, &v);
    return v != 0;
}

}  // namespace

int MainPanel() {
    return Q31FIhmG;
}
PanelFn Page(int page) {
    return [page] { return Q31FSetPageOuverte() == page ? Q31FSetG[size_t(page)] : 0; };
}
int CompetitorPanel() {
    return Q12PanneauG;
}
PanelFn Loaded(const char* resource, int panelId) {
    return [resource, panelId] { return FindLoadedPanel(resource, panelId); };
}

bool Usable(int panel, int control) {
    return panel > 0 && Attribute(panel, 0, ATTR_VISIBLE) && !Attribute(panel, 0, ATTR_DIMMED) &&
           Attribute(panel, control, ATTR_VISIBLE) && !Attribute(panel, control, ATTR_DIMMED);
}

Step Press(PanelFn panel, int control) {
    return [=] { return Usable(panel(), control) && QueueUserEvent(panel(), control) == 0; };
}

Step SetAndPress(PanelFn panel, int control, int value) {
    return [=] {
        return Usable(panel(), control) &&
               (SetCtrlVal(panel(), control, value), QueueUserEvent(panel(), control) == 0);
    };
}

Step Fill(PanelFn panel, std::vector<std::pair<int, int>> values) {
    return [=] {
        for (auto [control, value] : values)
            if (panel() > 0) SetCtrlVal(panel(), control, value);
        return panel() > 0;
    };
}

Step Answer(const char* resource, int panelId, int button) {
    return [=] {
        const int p = FindLoadedPanel(resource, panelId);
        return p > 0 && QueueUserEvent(p, button) == 0;
    };
}

Step Until(std::function<bool()> condition) {
    return condition;
}

Step Do(std::function<void()> action) {
    return [action] { return action(), true; };
}

Step Passes(int count) {
    return [left = std::make_shared<int>(count)] { return --*left <= 0; };
}

Step ClickCell(PanelFn panel, int control, int row, int column) {
    return [=] {
        auto* table = qobject_cast<QTableView*>(qs::rt::ControlWidget(panel(), control));
        // The operator clicks what is shown: rows the table has not drawn yet are waited for.
        if (!table || !Usable(panel(), control) || table->model()->rowCount() < row ||
            table->model()->rowCount() != qs::rt::TableRows(table))
            return false;
        table->setCurrentIndex(table->model()->index(row - 1, column - 1));  // as the mouse does
        return true;
    };
}

Step TypeInFileDialog(std::string name) {
    return Do([name] {
        SetFileSelectHook(nullptr);
        auto* poll = new QTimer(qApp);  // owned by the application, gone once the dialog is answered
        QObject::connect(poll, &QTimer::timeout, poll, [poll, name] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            poll->stop();
            poll->deleteLater();
            fileDialogs.push_back(
                {dialog->directory().path().toStdString(), name, dialog->windowTitle().toStdString()});
            dialog->selectFile(QString::fromStdString(name));
            static_cast<QDialog*>(dialog)->accept();  // as its Save or Open button does
            SetFileSelectHook(AnswerFileDialog);
        });
        poll->start(20);
    });
}

size_t RunProgram(Steps steps, long maxPasses) {
    if (qstest::FileSize(kQ31ConfigFile) < 0) WriteApplicationRecord(0);
    return RunProgramAsFound(std::move(steps), maxPasses);
}

size_t RunProgramAsFound(Steps steps, long maxPasses) {
    qstest::CurrentScript() = {std::move(steps), 0, 0, maxPasses};
    SetIdleHook([] {
        qstest::Script& s = qstest::CurrentScript();
        if (++s.passes > s.maxPasses) Q31QuitG = 1;
        if (s.step < s.steps.size() && s.steps[s.step]()) ++s.step;
    });
    static char arg0[] = "QS310Manager";
    static char* argv[] = {arg0, nullptr};
    Q31Main(1, argv);
    SetIdleHook(nullptr);
    const qstest::Script& s = qstest::CurrentScript();
    EXPECT_LT(s.passes, maxPasses) << "the script got stuck at step " << s.step;
    return s.step;
}

void WriteApplicationRecord(int language) {
    Q31Config c{};
    Q31Defaut(&c);
    c.language = uint8_t(language);
    c.soundOn = 0;
    FileWriteAtomic(kQ31ConfigFile, &c, sizeof c);
}

void ForgetEverything() {
    SbComG = SbCom{};
    Q31G = Q31Config{};
    SbCrG = SbCr{};
    SbQ31CrG = SbQ31Cr{};
    SbChronoQ31ItG = SbChronoRec{};
}

void PickFiles(std::deque<std::string> paths) {
    filesToPick = std::move(paths);
}
const std::vector<FileDialog>& FileDialogsSeen() {
    return fileDialogs;
}
const Strings& MessagesSeen() {
    return messages;
}

void InstallHooks() {
    filesToPick.clear();
    fileDialogs.clear();
    messages.clear();
    SetFileSelectHook(AnswerFileDialog);
    SetMessageHook([](const char* title, const char* text) {
        messages.push_back(std::string(title ? title : "") + "|" + (text ? text : ""));
    });
    SetDocumentHook([](const char*) { return 0; });  // no viewer opens during a test
}

void RemoveHooks() {
    SetFileSelectHook(nullptr);
    SetMessageHook(nullptr);
    SetDocumentHook(nullptr);
}

Strings TableRows(int panel, int control, int columns) {
    Strings rows;
    for (int r = 1; r <= TableRowCount(panel, control); ++r) {
        std::string row;
        for (int c = 1; c <= columns; ++c) {
            char cell[128] = {};
            GetTableCellVal(panel, control, MakePoint(c, r), cell, sizeof cell);
            row += (c > 1 ? "|" : "") + std::string(cell);
        }
        rows.push_back(row);
    }
    return rows;
}

int TableRowCount(int panel, int control) {
    int n = 0;
    GetNumTableRows(panel, control, &n);
    return n;
}

std::string Text(int panel, int control) {
    char buf[512] = {};
    GetCtrlVal(panel, control, buf, sizeof buf);
    return buf;
}

int Value(int panel, int control) {
    int v = -1;
    GetCtrlVal(panel, control, &v);
    return v;
}

std::string Title(int panel) {
    const QWidget* w = qs::rt::PanelWidget(panel);
    return w ? w->windowTitle().toStdString() : std::string();
}

Strings FilesIn(const std::string& folder) {
    Strings names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string CString(const std::string& bytes, size_t offset, size_t size) {
    const std::string s = offset < bytes.size() ? bytes.substr(offset, size) : "";
    return s.substr(0, s.find('\0'));
}

std::string Right16(const std::string& label) {
    return std::string(16 - std::min<size_t>(16, label.size()), ' ') + label;
}

namespace {

constexpr double kOrigin = 1000.0;  // Timer() at the start of the day's script
double now = kOrigin;
int startOfDay = 0;  // local time at the origin, seconds

}  // namespace

ManualTime::ManualTime(int hour, int minute, int second) {
    now = kOrigin;
    startOfDay = hour * 3600 + minute * 60 + second;
    SetTimeSource([] { return now; },
                  [](int* h, int* m, int* s) {
                      const long t = (startOfDay + long(std::floor(now - kOrigin + 1e-9))) % 86400;
                      *h = int(t / 3600), *m = int(t / 60 % 60), *s = int(t % 60);
                  });
}

ManualTime::~ManualTime() {
    SetTimeSource(nullptr, nullptr);
}

Step ManualTime::AdvanceTo(int hour, int minute, double second) {
    const double target = kOrigin + hour * 3600 + minute * 60 + second - startOfDay;
    return [target] { return now + 1e-9 >= target || (now = std::min(now + 0.25, target), false); };
}

namespace {

// Marks a box or popup once noted and once answered, so a new one is told from one still
// open or closing.
constexpr const char* kNoted = "\x01noted";
constexpr const char* kAnswered = "\x01answered";

void WatchOnce() {
    BoxWatch& w = Watching();
    const bool late = qstest::CurrentScript().passes > qstest::CurrentScript().maxPasses;
    const int box = FindLoadedPanel("FSabGen.uir", fsabgen::ERREUR);
    w.boxOpen = box > 0;
    if (box > 0 && Text(box, fsabgen::ERREUR_DETAIL) != kAnswered) {
        if (Text(box, fsabgen::ERREUR_DETAIL) != kNoted) {
            SeenBox b{Text(box, fsabgen::ERREUR_TITRE), Text(box, fsabgen::ERREUR_TEXTE),
                      Text(box, fsabgen::ERREUR_DETAIL)};
            GetCtrlAttribute(box, fsabgen::ERREUR_BOUTON2, ATTR_VISIBLE, &b.secondVisible);
            w.boxes.push_back(b);
            SetCtrlVal(box, fsabgen::ERREUR_DETAIL, kNoted);
        }
        if (late || !w.holdBox || !w.holdBox()) {
            SetCtrlVal(box, fsabgen::ERREUR_DETAIL, kAnswered);
            const bool second = w.answer == 2 && w.boxes.back().secondVisible == 1;
            QueueUserEvent(box, second ? fsabgen::ERREUR_BOUTON2 : fsabgen::ERREUR_BOUTON1);
        }
    }
    const int popup = FindLoadedPanel("FSabGen.uir", fsabgen::POPUP);
    if (popup <= 0 || Text(popup, fsabgen::POPUP_TITRE) == kNoted) return;
    SetCtrlVal(popup, fsabgen::POPUP_TITRE, kNoted);
    ++w.popups;
    w.popupTexts.push_back(Text(popup, fsabgen::POPUP_TEXTE));
    const bool question = Attribute(popup, fsabgen::POPUP_VALIDER, ATTR_VISIBLE);
    const bool cancel = question && w.cancels > 0;
    w.cancels -= cancel;
    QueueUserEvent(popup, !question ? fsabgen::POPUP_OK
                          : cancel  ? fsabgen::POPUP_ANNULER
                                    : fsabgen::POPUP_VALIDER);
}

}  // namespace

BoxWatch& Watching() {
    static BoxWatch w;
    return w;
}

Steps WithBoxWatch(Steps steps, BoxWatch start) {
    Watching() = std::move(start);
    steps.push_back([] { return false; });  // boxes at shutdown are answered too
    for (Step& s : steps) s = [inner = std::move(s)] { return WatchOnce(), inner(); };
    return steps;
}

}  // namespace e2e
