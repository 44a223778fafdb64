// An operator's hands for whole-race flows (panel lookup, script steps, dialog hooks, table
// reading, the hand-driven time, the fault watcher) and the pieces the races share (start
// program, entry list, connection, keypad, the reader of each file a race leaves).
#include <gtest/gtest.h>
#include <malloc.h>

#include <QApplication>
#include <QFileDialog>
#include <QTableView>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/Q31Main.h"
#include "chrono/SbChrono.h"
#include "competitor/Q12Panneau.h"
#include "panels/FQ12.h"
#include "panels/FQ31.h"
#include "panels/FSabGen.h"
#include "platform/Runtime.h"
#include "records/Q12Rec.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "settings/Q31FSet.h"
#include "simulation/Q31Simu.h"
#include "tests/runner/Race.h"
#include "tests/support/TestSupport.h"
#include "ui/Dialogs.h"

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
    Q31SimuInit();  // the simulated clock's impulses are counted per run of the program
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

// ---- the races' pieces

using namespace fq31;
using namespace fq12;

std::vector<std::pair<int, int>> RaceProgram(int interval, int countdown) {
    return {{PAGE3_F102, interval}, {PAGE3_F103, countdown}, {PAGE3_F104, 60}, {PAGE3_F105, 0},
            {PAGE3_F107, -10},      {PAGE3_F108, -5},        {PAGE3_F109, 0},  {PAGE3_F110, -5},
            {PAGE3_F111, -10},      {PAGE3_F112, 0},         {PAGE3_FLAG, 0}};
}

void ExpectRaceProgram(const std::string& linkFile, int interval, int countdown) {
    // Program 0 of the link record: parameters 102, 104, 105, 103, 112, 110, 111, 107, 108, 109.
    const std::pair<size_t, int> fields[] = {{0, interval}, {4, 60},   {8, 0},    {16, countdown}, {20, 0},
                                             {24, -5},      {28, -10}, {32, -10}, {36, -5},        {40, 0}};
    for (auto [offset, value] : fields)
        EXPECT_EQ(At<int32_t>(linkFile, 652 + offset), value) << "at " << offset;
}

void WriteEntries(const std::string& path) {
    qstest::WriteFileBytes(path,
                           "Bib,Name,Club,Nation\n"
                           "101,Anna Berg,SC Nord,NOR\n"
                           "102,Zo\xC3\xAB \xC3\x89"
                           "brard,CS Vercors,FRA\n"
                           "103,Luca Rossi,SC Gardena,ITA\n");
}

namespace {

const PanelFn kConnect = Loaded("FQ31.uir", CONNECT);
Step Connected(int linkState) {
    return [=] { return SbComG.linkState == linkState && !kConnect() && !SbWaitOuvert(); };
}

}  // namespace

Steps ConnectToCom5() {
    return {SetAndPress(MainPanel, MAIN_CONNECT_SWITCH, 1),
            Press(kConnect, CONNECT_REFRESH),
            Until([] {
                int items = 0;
                GetNumListItems(kConnect(), CONNECT_PORT, &items);
                return items > 0 && !SbWaitOuvert();
            }),
            Fill(kConnect, {{CONNECT_PORT, 5}}),
            Press(kConnect, CONNECT_CONNECT),
            Connected(1)};
}

Steps ConnectOverNetwork(int tcpPort) {
    return {SetAndPress(MainPanel, MAIN_CONNECT_SWITCH, 1),
            [tcpPort] {
                if (!Usable(kConnect(), CONNECT_NET_ADDRESS)) return false;
                SetCtrlVal(kConnect(), CONNECT_NET_ADDRESS, "127.0.0.1");
                return SetCtrlVal(kConnect(), CONNECT_NET_PORT, tcpPort), true;
            },
            Press(kConnect, CONNECT_CONNECT2), Connected(2)};
}

Step Tell(std::string command) {
    return Do([command] { std::ofstream("control") << command << "\n"; });
}

void Then(Steps& steps, Steps more) {
    for (Step& s : more) steps.push_back(std::move(s));
}

Step TypeNumber(const std::string& digits) {
    static constexpr int kKeys[10] = {COMPET_KEY_0, COMPET_KEY_1, COMPET_KEY_2, COMPET_KEY_3, COMPET_KEY_4,
                                      COMPET_KEY_5, COMPET_KEY_6, COMPET_KEY_7, COMPET_KEY_8, COMPET_KEY_9};
    auto typed = std::make_shared<bool>(false);
    return [digits, typed] {
        const int panel = CompetitorPanel();
        if (!*typed) {
            if (!Usable(panel, COMPET_KEY_ENTER)) return false;
            for (char d : digits) QueueUserEvent(panel, kKeys[d - '0']);
            QueueUserEvent(panel, COMPET_KEY_ENTER);
            *typed = true;
            return false;
        }
        return Usable(panel, COMPET_CONFIRM);
    };
}

void ExpectTime(const std::string& file, int index, const SbChronoRec& e) {
    const size_t at = 4 + sizeof(SbChronoRec) * size_t(index - 1);
    ASSERT_LE(at + sizeof(SbChronoRec), file.size()) << "time " << index;
    auto fields = [](const SbChronoRec& t) {
        return std::vector<int>{t.Concurrent, t.Numero, t.Heures, t.Minutes, t.Secondes, t.Fraction,
                                t.Complement, t.Type,   t.Marque, t.Qualif,  t.Canal};
    };
    EXPECT_EQ(fields(At<SbChronoRec>(file, at)), fields(e)) << "time " << index;
}

void ExpectCompetitorLists(const std::string& file, const std::vector<std::pair<int, int>>& list,
                           const std::vector<int>& sent) {
    constexpr size_t kRec = sizeof(Q12ConcurrentRec);
    constexpr size_t kSentList = 4 + 1000 * kRec;
    ASSERT_EQ(file.size(), 360008u);
    ASSERT_EQ(At<int32_t>(file, 0), int32_t(list.size()));
    for (size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(At<int32_t>(file, 4 + i * kRec), list[i].first) << "list entry " << i;
        EXPECT_EQ(At<uint8_t>(file, 4 + i * kRec + 8), list[i].second) << "sent flag of " << list[i].first;
    }
    ASSERT_EQ(At<int32_t>(file, kSentList), int32_t(sent.size()));
    for (size_t i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(At<int32_t>(file, kSentList + 4 + i * kRec), sent[i]) << "sent entry " << i;
        EXPECT_EQ(At<uint8_t>(file, kSentList + 4 + i * kRec + 8), 1);
    }
}

std::string StoreImage() {
    const int32_t n = SbChronoNombre();
    std::string image(reinterpret_cast<const char*>(&n), sizeof n);
    for (int i = 1; i <= n; ++i)
        image.append(reinterpret_cast<const char*>(SbChronoLire(i)), sizeof(SbChronoRec));
    return image;
}

bool ParseTimeMessage(const std::string& p, SbChronoRec* out) {
    if (p.size() < 36 || (p[0] != 'T' && p[0] != 'A') || !strchr("=+-*CNI", p[1])) return false;
    SbChronoRec r{};
    r.Type = p[0];
    r.Marque = p[1];
    r.Qualif = p[13];
    r.Canal = p[14];
    // Numeric columns; blanks read as 0.
    const std::pair<int32_t*, std::pair<size_t, size_t>> columns[] = {
        {&r.Concurrent, {3, 4}}, {&r.Numero, {8, 4}},    {&r.Heures, {16, 2}},    {&r.Minutes, {19, 2}},
        {&r.Secondes, {22, 2}},  {&r.Fraction, {25, 5}}, {&r.Complement, {31, 5}}};
    for (auto [field, at] : columns) {
        const std::string f = p.substr(at.first, at.second);
        char* end = nullptr;
        *field = int32_t(strtol(f.c_str(), &end, 10));
        if (end == f.c_str() && f.find_first_not_of(' ') != std::string::npos) return false;
    }
    *out = r;
    return true;
}

long HeapKb() {
    const struct mallinfo2 mi = mallinfo2();
    return long((mi.uordblks + mi.hblkhd) / 1024);
}

Strings Lines(const std::string& path) {
    Strings lines;
    std::ifstream in(path);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}

std::vector<SbChronoRec> TimesIn(const std::string& path, bool* whole) {
    const std::string bytes = qstest::ReadFileBytes(path);
    const int32_t count = At<int32_t>(bytes, 0);
    const bool sound =
        bytes.size() >= 4 && count >= 0 && bytes.size() == 4 + size_t(count) * sizeof(SbChronoRec);
    if (whole) *whole = sound;
    std::vector<SbChronoRec> records;
    for (int32_t i = 0; sound && i < count; ++i)
        records.push_back(At<SbChronoRec>(bytes, 4 + size_t(i) * sizeof(SbChronoRec)));
    return records;
}

size_t RunDialog(const std::function<void()>& open, Steps steps, long maxPasses) {
    qstest::CurrentScript() = {std::move(steps), 0, 0, maxPasses};
    Q31QuitG = 0;  // a program run before may have left its quit request
    SetIdleHook([] {
        qstest::Script& s = qstest::CurrentScript();
        if (++s.passes > s.maxPasses) Q31QuitG = 1;  // a stuck script ends the dialog's loop
        if (s.step < s.steps.size() && s.steps[s.step]()) ++s.step;
    });
    open();
    SetIdleHook(nullptr);
    Q31QuitG = 0;
    return qstest::CurrentScript().step;
}

std::string Caption(int panel, int control) {
    char buf[128] = {};
    GetCtrlAttribute(panel, control, ATTR_LABEL_TEXT, buf, sizeof buf);
    return buf;
}

}  // namespace e2e
