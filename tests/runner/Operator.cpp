// An operator's hands for whole-race flows and the pieces the races share.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QTimer>
#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/Q31Main.h"
#include "competitor/Q12Panneau.h"
#include "panels/FQ31.h"
#include "panels/FSabGen.h"
#include "platform/Runtime.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "settings/Q31FSet.h"
#include "simulation/Q31Simu.h"
#include "tests/runner/Race.h"
#include "tests/support/TestSupport.h"
#include "ui/Dialogs.h"

namespace fs = std::filesystem;

namespace e2e {

using namespace fq31;

namespace {

struct Script {
    Steps steps;
    size_t step = 0;
    long passes = 0, maxPasses = 0;
};
Script* running = nullptr;  // the innermost of the scripts run in nested loops
std::deque<std::string> filesToPick;
Strings messages;

int AnswerFileDialog(const char*, const char*, const char*, int, char pathOut[260]) {
    if (filesToPick.empty()) return VAL_NO_FILE_SELECTED;
    std::string path = filesToPick.front();
    filesToPick.pop_front();
    if (!path.empty() && path[0] != '/') path = fs::current_path().string() + "/" + path;
    snprintf(pathOut, 260, "%s", path.c_str());
    return fs::exists(path) ? VAL_EXISTING_FILE_SELECTED : VAL_NEW_FILE_SELECTED;
}

const PanelFn kConnect = Loaded("FQ31.uir", CONNECT);
Step Connected(int linkState) {
    return [=] { return SbComG.linkState == linkState && !kConnect() && !SbWaitOuvert(); };
}

// Runs `loop` with the script's steps taken on each of its idle passes; a script run from a step
// of another is taken alone until its loop returns, then the outer one goes on.
Script RunScript(Steps steps, long maxPasses, const std::function<void()>& loop) {
    Script script{std::move(steps), 0, 0, maxPasses};
    Script* outer = std::exchange(running, &script);
    SetIdleHook([] {
        Script& s = *running;
        if (++s.passes > s.maxPasses) Q31QuitG = 1;  // a stuck script ends the loop it runs in
        if (s.step < s.steps.size() && s.steps[s.step]()) ++s.step;
    });
    loop();
    running = outer;
    if (!outer) SetIdleHook(nullptr);
    return script;
}

// Marks on a box or popup noted, then answered: a new one is told from one still open or closing.
constexpr const char* kNoted = "\x01noted";
constexpr const char* kAnswered = "\x01answered";

void WatchOnce() {
    using namespace fsabgen;
    BoxWatch& w = Watching();
    const bool late = running->passes > running->maxPasses;
    const int box = FindLoadedPanel("FSabGen.uir", ERREUR);
    w.boxOpen = box > 0;
    if (box > 0 && Text(box, ERREUR_DETAIL) != kAnswered) {
        if (Text(box, ERREUR_DETAIL) != kNoted) {
            w.boxes.push_back({Text(box, ERREUR_TITRE), Text(box, ERREUR_TEXTE), Text(box, ERREUR_DETAIL),
                               Attr(box, ERREUR_BOUTON2, ATTR_VISIBLE)});
            SetCtrlVal(box, ERREUR_DETAIL, kNoted);
        }
        if (late || !w.holdBox || !w.holdBox()) {
            SetCtrlVal(box, ERREUR_DETAIL, kAnswered);
            const bool second = w.answer == 2 && w.boxes.back().secondVisible == 1;
            QueueUserEvent(box, second ? ERREUR_BOUTON2 : ERREUR_BOUTON1);
        }
    }
    const int popup = FindLoadedPanel("FSabGen.uir", POPUP);
    if (popup <= 0 || Text(popup, POPUP_TITRE) == kNoted) return;
    SetCtrlVal(popup, POPUP_TITRE, kNoted);
    ++w.popups;
    w.popupTexts.push_back(Text(popup, POPUP_TEXTE));
    const bool question = Attr(popup, POPUP_VALIDER, ATTR_VISIBLE) > 0;
    const bool cancel = question && w.cancels > 0;
    w.cancels -= cancel;
    QueueUserEvent(popup, !question ? POPUP_OK : cancel ? POPUP_ANNULER : POPUP_VALIDER);
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
    return panel > 0 && Attr(panel, 0, ATTR_VISIBLE) > 0 && Attr(panel, 0, ATTR_DIMMED) == 0 &&
           Attr(panel, control, ATTR_VISIBLE) > 0 && Attr(panel, control, ATTR_DIMMED) == 0;
}

Step Press(PanelFn panel, int control) {
    return [=] { return Usable(panel(), control) && QueueUserEvent(panel(), control) == 0; };
}

Step SetAndPress(PanelFn panel, int control, int value) {
    return [=] {
        if (!Usable(panel(), control)) return false;
        SetCtrlVal(panel(), control, value);
        return QueueUserEvent(panel(), control) == 0;
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
    return Press(Loaded(resource, panelId), button);
}

Step Until(std::function<bool()> condition) {
    return condition;
}
Step Do(std::function<void()> action) {
    return [action] {
        action();
        return true;
    };
}

Step Passes(int count) {
    return [left = std::make_shared<int>(count)] { return --*left <= 0; };
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
    static char arg0[] = "QS310Manager";
    static char* argv[] = {arg0, nullptr};
    const Script s = RunScript(std::move(steps), maxPasses, [] { Q31Main(1, argv); });
    EXPECT_LT(s.passes, maxPasses) << "the script got stuck at step " << s.step;
    return s.step;
}

size_t RunDialog(const std::function<void()>& open, Steps steps, long maxPasses) {
    Q31QuitG = 0;  // a program run before may have left its quit request
    const size_t done = RunScript(std::move(steps), maxPasses, open).step;
    Q31QuitG = 0;
    return done;
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
    Q31SimuInit();  // the simulated clock's impulses are counted per run of the program
}

void PickFiles(std::deque<std::string> paths) {
    filesToPick = std::move(paths);
}
const Strings& MessagesSeen() {
    return messages;
}

void InstallHooks() {
    filesToPick.clear();
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

BoxWatch& Watching() {
    static BoxWatch w;
    return w;
}

Steps WithBoxWatch(Steps steps, BoxWatch start) {
    Watching() = std::move(start);
    steps.push_back([] { return false; });  // boxes at shutdown are answered too
    for (Step& s : steps)
        s = [inner = std::move(s)] {
            WatchOnce();
            return inner();
        };
    return steps;
}

Steps ConnectToCom5() {
    return {SetAndPress(MainPanel, MAIN_CONNECT_SWITCH, 1),
            Press(kConnect, CONNECT_REFRESH),
            Until([] { return qstest::ListCount(kConnect(), CONNECT_PORT) > 0 && !SbWaitOuvert(); }),
            Fill(kConnect, {{CONNECT_PORT, 5}}),
            Press(kConnect, CONNECT_CONNECT),
            Connected(1)};
}

Steps ConnectOverNetwork(int tcpPort, std::string address) {
    return {SetAndPress(MainPanel, MAIN_CONNECT_SWITCH, 1),
            Until([] { return Usable(kConnect(), CONNECT_NET_ADDRESS); }),
            Fill(kConnect, {{CONNECT_NET_PORT, tcpPort}}),
            Do([address] { SetCtrlVal(kConnect(), CONNECT_NET_ADDRESS, address.c_str()); }),
            Press(kConnect, CONNECT_CONNECT2),
            Connected(2)};
}

Step Tell(std::string command) {
    return Do([command] { std::ofstream("control") << command << "\n"; });
}

void Then(Steps& steps, Steps more) {
    for (Step& s : more) steps.push_back(std::move(s));
}

std::vector<SbChronoRec> TimesSent(const std::string& path) {
    // The numbers' columns, in the record's order; blanks read as 0.
    static constexpr std::pair<size_t, size_t> kColumns[] = {{3, 4},  {8, 4},  {16, 2}, {19, 2},
                                                             {22, 2}, {25, 5}, {31, 5}};
    std::vector<SbChronoRec> times;
    std::ifstream in(path);
    for (std::string p; std::getline(in, p);) {
        if (p.size() < 36 || (p[0] != 'T' && p[0] != 'A') || !strchr("=+-*CN", p[1])) continue;
        std::array<int32_t, 7> n{};
        bool numbers = true;
        for (size_t i = 0; i < n.size(); ++i) {
            const std::string f = p.substr(kColumns[i].first, kColumns[i].second);
            char* end = nullptr;
            n[i] = int32_t(strtol(f.c_str(), &end, 10));
            numbers = numbers && (end != f.c_str() || f.find_first_not_of(' ') == std::string::npos);
        }
        if (numbers) times.push_back({n[0], n[1], n[2], n[3], n[4], n[5], n[6], p[0], p[1], p[13], p[14]});
    }
    return times;
}

std::vector<SbChronoRec> TimesIn(const std::string& path) {
    const std::string bytes = qstest::ReadFileBytes(path);
    const int32_t count = At<int32_t>(bytes, 0);
    const bool sound = count >= 0 && bytes.size() == 4 + size_t(count) * sizeof(SbChronoRec);
    std::vector<SbChronoRec> records;
    for (int32_t i = 0; sound && i < count; ++i)
        records.push_back(At<SbChronoRec>(bytes, 4 + size_t(i) * sizeof(SbChronoRec)));
    return records;
}

}  // namespace e2e
