// The whole program as an operator starts, sets up and quits it, headless, and its two configuration files:
// the first start's records byte by byte at their documented offsets, a short, stale or damaged record read
// back, missing texts, the connection and options dialogs, the questions before a disconnection and a quit.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QLockFile>
#include <QWidget>
#include <csignal>
#include <filesystem>
#include <random>

#include "app/Q31ConfigFile.h"
#include "app/Q31Ihm.h"
#include "app/Q31Main.h"
#include "display/Q31Fsd.h"
#include "link/SbComConfig.h"
#include "link/SbComJournal.h"
#include "panels/FQ31.h"
#include "panels/FQ31_SD.h"
#include "panels/FSabGen.h"
#include "platform/Journal.h"
#include "platform/LocalSettings.h"
#include "platform/Runtime.h"
#include "records/FsdParam.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "settings/Q31FSetPages.h"
#include "tests/runner/Operator.h"
#include "tests/support/TestSupport.h"
#include "ui/Dialogs.h"
#include "ui/Texts.h"

using namespace e2e;
using namespace fq31;
namespace gen = fsabgen;

extern int Q31FKeyG;

namespace {

bool Open(const char* resource, int panelId) {
    return FindLoadedPanel(resource, panelId) != 0;
}
std::string Title(int panel) {  // as the window system shows it
    const QWidget* w = qs::rt::PanelWidget(panel);
    return w ? w->windowTitle().toStdString() : std::string();
}

// A record's integers and texts at their documented offsets.
void Expect(const std::string& b, std::vector<std::pair<size_t, int32_t>> ints,
            std::vector<std::pair<size_t, std::string>> texts = {}) {
    for (auto [at, value] : ints) EXPECT_EQ(At<int32_t>(b, at), value) << "offset " << at;
    for (const auto& [at, text] : texts) EXPECT_EQ(CString(b, at, 32), text) << "offset " << at;
}

}  // namespace

// A second start in the folder another run of the program works in (a double click too many) is
// told in the operator's language and writes nothing: neither a times file started over nor, at
// its end, its settings over the other run's. Once the other run has ended, the program starts.
TEST(SecondStart, ToldAndNothingWrittenWhileAnotherRunWorksInTheFolder) {
    qstest::TempProgramDir dir;
    WriteApplicationRecord(1);
    const std::string record = qstest::ReadFileBytes(kQ31ConfigFile);
    QLockFile other(QString::fromStdString(dir.file(".QS310Manager.lock")));
    ASSERT_TRUE(other.tryLock(0));
    static std::vector<std::string> told;
    told.clear();
    SetMessageHook([](const char*, const char* text) { told.emplace_back(text); });
    bool opened = false;  // had it gone on, its main window ends it at once
    RunProgramAsFound({Until([&] {
        opened = Q31FIhmG > 0;
        Q31QuitG = opened;
        return opened;
    })});
    SetMessageHook(nullptr);
    EXPECT_FALSE(opened);
    EXPECT_EQ(told, std::vector<std::string>{Q31TxtMesG[kQ31MesAlreadyRunning]});
    EXPECT_EQ(std::string(Q31TxtLabelG[0]), "Connexion");  // in French
    for (const char* made : {"Chronos", "Logs", kSbComConfigFile})
        EXPECT_FALSE(std::filesystem::exists(made)) << made;
    EXPECT_EQ(qstest::ReadFileBytes(kQ31ConfigFile), record);
    other.unlock();
    EXPECT_EQ(RunProgram({Until([] { return Q31FIhmG > 0; }), Do([] { Q31QuitG = 1; })}), 2u);
}

// The system ending the program (a shutdown or a logout, its session gone, Ctrl+C in its
// terminal): what quitting saves is saved, without a question, and the program ends by itself.
TEST(EndedBySystem, SettingsSavedWithoutAQuestion) {
    if (qstest::RanInOwnProcess()) return;
    qstest::TempProgramDir dir;
    for (int signal : {SIGTERM, SIGHUP, SIGINT}) {
        WriteApplicationRecord(1);
        const pid_t child = fork();
        if (child == 0) {
            RunProgram({Until([] { return Q31FIhmG > 0; }), Do([signal] {
                            Q31G.language = 2;  // a setting changed in this run
                            raise(signal);
                        }),
                        Passes(100), Do([] { _exit(3); })});  // it went on
            _exit(4);
        }
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_EQ(
            std::tuple(WIFEXITED(status), WEXITSTATUS(status), qstest::ReadFileBytes(kQ31ConfigFile)[0]),
            std::tuple(true, 0, '\2'))
            << signal;
    }
}

// The program's first start: both records are written with every default before the language
// is asked (none chosen yet), then the language chosen is kept and the link record saved after
// the link's reset (next run 1). The key panel is titled in that language from the start.
TEST(FirstStart, CreatesTheFoldersAndBothRecordsWithEveryDefault) {
    qstest::TempProgramDir dir;
    int languageByte = -1;
    std::string keys;
    const Steps steps = {Until([] { return Open("FSabGen.uir", gen::LANGUE); }),
                         Do([&] { languageByte = uint8_t(qstest::ReadFileBytes(kQ31ConfigFile)[0]); }),
                         Answer("FSabGen.uir", gen::LANGUE, gen::LANGUE_FR),
                         Until([] { return Q31FIhmG > 0; }), Do([&] {
                             keys = Title(Q31FKeyG);
                             Q31QuitG = 1;
                         })};
    EXPECT_EQ(RunProgramAsFound(steps), steps.size());
    EXPECT_EQ(languageByte, 255);
    EXPECT_EQ(keys, QString::fromLatin1(Q31TxtLabelG[2]).toStdString());
    for (const char* f : {"Chronos", "Settings", "Data"})
        EXPECT_TRUE(std::filesystem::is_directory(dir.file(f))) << f;
    const std::string b = qstest::ReadFileBytes(dir.file(kSbComConfigFile));
    ASSERT_EQ(b.size(), 6216u);
    EXPECT_EQ(b[0], 0);
    Expect(b,
           {{8, 1},    {12, 9600}, {16, 10},   {296, 7000},   {328, 0},     {348, 0},    {352, 1}, {356, 0},
            {360, 0},  {364, 0},   {368, 0},   {372, 1},      {376, 1},     {380, 2001}, {384, 0}, {388, 1},
            {392, 10}, {412, 0},   {416, 0},   {420, 8},      {424, 30},    {428, 23},   {432, 9}, {436, 10},
            {440, 19}, {460, 2},   {464, 2},   {468, 3},      {472, 3},     {476, 3},    {480, 0}, {484, 1},
            {488, 1},  {492, 1},   {496, 0},   {500, 1},      {620, 0},     {624, 1},    {628, 2}, {632, 0},
            {5548, 0}, {5552, 1},  {5556, 10}, {6040, 13001}, {6176, 13001}},
           {{312, "192.168.0.0"}, {332, "QS"}, {340, "V000"}});
    Expect(b, {}, {{5560, "192.168.1.1"}, {5584, "0.0.0.0"}, {5656, ""}});
    for (int i = 0; i < 64; ++i) EXPECT_EQ(At<int32_t>(b, 40 + 4 * i), i + 1);  // the port ring
    for (size_t in = 524; in < 620; in += 24) Expect(b, {{in, 0}, {in + 4, 0}, {in + 8, 1}, {in + 12, 1}});

    // The start programs. Field order: 102, 104, 105, 106, 103, 112, 110, 111, 107, 108, 109, 113.
    const struct {
        int n;
        std::string name;
        int v[12];
    } programs[] = {
        {1, "Alpine Ski", {60, 60, 0, 0, 30, 5, -5, -10, -10, -5, 0, 0}},
        {2, "Alpine Ski OJ", {30, 15, 0, 0, 15, 5, -5, -10, -10, -5, 0, 0}},
        {3, "Cross Country Ski", {60, 60, 0, 0, 30, 3, -3, -3, -10, -5, 0, 0}},
        {4, "Rally 2min", {120, 60, 0, 0, 30, 20, 0, -5, -10, -5, 0, 0}},
        {6, "FITA", {0, 60, 0, 0, 240, 0, 0, -30, -30, -10, 0, 1}},
        {8, "Start on Demand", {0, 0, 0, 0, 5, 1, 0, -5, -5, -5, 0, 0}},
        {9, "Pacer 5 sec.", {5, 15, 0, 0, 4, 1, 0, -4, -5, -5, 0, 0}},
        {0, "\xB0", {60, 60, 0, 0, 30, 0, -5, -10, -10, -5, 0, 0}},  // the others: "Name N°n"
    };
    for (const auto& p : programs)
        for (int n : p.n ? std::vector<int>{p.n} : std::vector<int>{0, 5, 7, 10, 50}) {
            const size_t at = 652 + 96 * size_t(n);
            EXPECT_EQ(CString(b, at + 64, 32), p.n ? p.name : "Name N" + p.name + std::to_string(n));
            for (int f = 0; f < 12; ++f) EXPECT_EQ(At<int32_t>(b, at + 4 * f), p.v[f]) << n << "/" << f;
        }

    const std::string a = qstest::ReadFileBytes(dir.file(kQ31ConfigFile));
    ASSERT_EQ(a.size(), 2096u);
    EXPECT_EQ(std::string(a.data(), 4), std::string("\x01\x01\x01\x00", 4));  // French
    Expect(a, {{792, 0x554646}, {796, 0x202020}, {800, 0xFFFFFF}, {804, 0xFFFFFF}, {808, 0}, {812, 0}},
           {{24, "QS-310"}, {280, "Sabreline Timing"}, {536, ""}});
    // Runs of fields: the four lights and the two windows, each a run; the four logos.
    const std::pair<size_t, std::vector<int>> runs[] = {
        {824, {1, 100, 40,  120, 120, 0, 1, 570, 40,  120, 120, 0,
               1, 100, 800, 120, 120, 0, 1, 570, 800, 120, 120, 0}},
        {2024, {1, 504, 354, 160, 240, 1, 110, 300, 360, 360}},
        {920, {0, 6, 6, 48, 48}},
        {1196, {0, 6, 906, 48, 48}},
        {1472, {0, 366, 16, 48, 48}},
        {1748, {0, 366, 906, 48, 48}}};
    for (const auto& [at, v] : runs)
        for (size_t f = 0; f < v.size(); ++f) EXPECT_EQ(At<int32_t>(a, at + 4 * f), v[f]) << at << "/" << f;
    for (size_t k = 0; k < 4; ++k) EXPECT_EQ(CString(a, 940 + 276 * k, 32), "");  // no logo file
    EXPECT_EQ(a.substr(2064), std::string(32, '\0'));
}

// At a restart, also from another folder, the link starts closed and the simulation's per-run
// fields are cleared; the clock's settings, the port, the journal switched off and the rest are kept.
// A short application record fills only its bytes, with no default over the rest, and stays as it is.
TEST(ConfigFiles, ARestartKeepsTheSettingsButNotTheRunStateAndAShortRecordOnlyItsBytes) {
    qstest::TempProgramDir dir(false);
    ForgetEverything();
    Q31Preparer();
    LocalSettingsSetInt(kSbComJournalReglage, 0);
    SbComJournalArreter();
    Q31G.language = 2;
    Q31G.simu = {-3, 0, 1, 42, 7, 0};  // offset -3 h, synchronised, competitor 42, 7 times on input 1
    Q31Sauver(kQ31ConfigFile, &Q31G);
    SbComG.linkState = 1;
    SbComG.simulation = 1;
    SbComG.run = {4, 5, 0, 0, 0, 0, 0, 0, 0};  // run 4 open, 5 next
    SbComG.synchro.mode = 5;
    SbComG.currentProgram = 9;
    SbComG.port = 3;
    SbComSauver(kSbComConfigFile, &SbComG);
    ForgetEverything();
    std::filesystem::current_path(dir.file("Data"));
    Q31Preparer();
    EXPECT_EQ(JournalActive(), 0);
    const Q31SimuBlock& s = Q31G.simu;
    EXPECT_EQ(std::vector<int>({Q31G.language, s.simuCompetitor, s.simuSynchronised, s.simuCountInput1,
                                s.simuOffsetHours}),
              std::vector<int>({2, 0, 0, 7, -3}));
    EXPECT_EQ(std::vector<int>({SbComG.linkState, SbComG.simulation, SbComG.run.current, SbComG.run.next,
                                SbComG.synchro.mode, SbComG.currentProgram, SbComG.port}),
              std::vector<int>({0, 0, 0, 1, 0, 1, 3}));
    ForgetEverything();
    // 10 bytes: language 1, sound 0, buttons 1, GSM set 1, then reserved bytes.
    qstest::WriteFileBytes(kQ31ConfigFile, std::string("\x01\x00\x01\x01\x00\x00\x00\x00\x07\x00", 10));
    Q31Charger(kQ31ConfigFile, &Q31G);
    const Q31Config& c = Q31G;
    EXPECT_EQ(std::vector<int>({c.language, c.soundOn, c.inputButtonsShown, c.gsmSetShown, c.reserved8[0],
                                c.secondDisplay.text1[0], c.secondDisplay.windows[0].height}),
              std::vector<int>({1, 0, 1, 1, 7, 0, 0}));
    EXPECT_EQ(qstest::FileSize(kQ31ConfigFile), 10);
}

// Texts that cannot be read: the error box in English, no main window. (A text file too short
// for its table: the bad-input tests.)
TEST(ProgramFlow, MissingTextsShowTheErrorAndNeverTheMainWindow) {
    qstest::TempProgramDir dir;
    std::filesystem::remove_all(dir.file("Texts"));
    int main = -1;
    const Steps steps = {Answer("FSabGen.uir", gen::LANGUE, gen::LANGUE_DE), Until([&] {
                             main = MainPanel();
                             return !Watching().boxes.empty();
                         })};
    EXPECT_EQ(RunProgramAsFound(WithBoxWatch(steps)), steps.size());
    ASSERT_EQ(Watching().boxes.size(), 1u);
    EXPECT_EQ(Watching().boxes[0].title + "|" + Watching().boxes[0].text,
              "Start Clock QS-310 INTERFACE FAILURE|Opening text files is impossible !");
    EXPECT_LE(main, 0);
}

// A search on a machine without serial ports says so and leaves Connect dimmed; a port that
// cannot open is told in the error box with one button; the simulation connects without a
// clock; switching the connection off and quitting ask first, and declining changes nothing;
// cancelling the options keeps the display's values. Then a language and the journal switched
// in the options apply at once, to every window, and are kept; the close box ends the program
// without a question.
TEST(ProgramFlow, ConnectionQuestionsOptionsAndLanguage) {
    qstest::TempProgramDir dir;
    auto connect = Loaded("FQ31.uir", CONNECT), params = Loaded("FQ31.uir", PARAMS);
    auto display = Loaded("FQ31_SD.uir", fq31_sd::DISPLAY), about = Loaded("FSabGen.uir", gen::ABOUT);
    std::filesystem::create_directories(dir.file("no-devices"));  // leaves this machine's own ports out
    const BoxWatch& told = Watching();  // boxes and popups answered; a question confirmed unless declined
    std::string expected, dialogTitle;
    Strings shown;  // once French is chosen
    std::vector<int> seen;
    int hovered = -1, border = -1, editing = -1, journal = -1;
    Steps steps = {
        Until([] { return MainPanel() > 0; }),
        Do([&] { setenv("QS310_DEVICE_DIR", dir.file("no-devices").c_str(), 1); }),
        SetAndPress(MainPanel, MAIN_CONNECT_SWITCH, 1), Press(connect, CONNECT_REFRESH),
        Until([&] { return told.popups >= 1 && !Open("FSabGen.uir", gen::POPUP) && connect() > 0; }), Do([&] {
            seen = {qstest::ListCount(connect(), CONNECT_PORT),
                    qstest::onscreen::Attr(connect(), CONNECT_CONNECT, ATTR_DIMMED)};
            expected = std::string(GMesComG[kMesComNoPortFound]) + "|" + GMesComG[3];  // in the language then
        }),
        Press(connect, CONNECT_CANCEL), Until([] { return !Open("FQ31.uir", CONNECT); }), Do([] {
            SbComG.port = 40;
            SbComG.freePortCount = 1;
            SbComG.portList[0] = 1;
        }),
        SetAndPress(MainPanel, MAIN_CONNECT_SWITCH, 1), Fill(connect, {{CONNECT_PORT, 1}}),
        Press(connect, CONNECT_CONNECT), Until([&] { return !told.boxes.empty() && !told.boxOpen; }),
        Do([] { unsetenv("QS310_DEVICE_DIR"); }),
        // the simulation, switched off: declined, then confirmed
        SetAndPress(MainPanel, MAIN_CONNECT_SWITCH, 1), Answer("FQ31.uir", CONNECT, CONNECT_SIMULATION),
        Until([] { return SbComG.simulation == 1 && !Open("FQ31.uir", CONNECT); }),
        // the second display, switched on and off
        SetAndPress(MainPanel, MAIN_FSD_SWITCH, 1), Until(Q31FsdAffiche),
        SetAndPress(MainPanel, MAIN_FSD_SWITCH, 0), Until([] { return !Q31FsdAffiche(); }),
        Do([] { Watching().cancels = 1; }), SetAndPress(MainPanel, MAIN_CONNECT_SWITCH, 0),
        Until([&] { return told.popups >= 2 && !Open("FSabGen.uir", gen::POPUP); }), Do([&] {
            seen.insert(seen.end(), {Attr(MainPanel(), MAIN_CONNECT_SWITCH), SbComG.simulation});
        }),
        SetAndPress(MainPanel, MAIN_CONNECT_SWITCH, 0),
        Until([] { return SbComG.simulation == 0 && !Open("FSabGen.uir", gen::POPUP) && !SbWaitOuvert(); }),
        // the options, with the second display shown, its countdown window hidden and the
        // display resized by hand: the options lay it out at its own size, the defaults show
        // the window, and the hover list reaches down to the fourth logo's load button
        Do([&] {
            seen.push_back(qstest::onscreen::Attr(MainPanel(), MAIN_IDENTITY, ATTR_VISIBLE));
            Q31G.secondDisplay.windows[FSD_WIN_COUNTDOWN].visible = 0;
            Q31FsdOuvrir();
            SetPanelSize(display(), 300, 400);
        }),
        Press(MainPanel, MAIN_PARAMS), Until([&] { return params() > 0; }),
        Do([&] { seen.push_back(qstest::onscreen::Attr(display(), 0, ATTR_HEIGHT)); }),
        Do([&] { qstest::PointAt(params(), PARAMS_LOGO4_LOAD, 4, 4); }), Until([&, n = 0]() mutable {
            GetMouseCursor(&hovered);
            return hovered == VAL_POINTING_FINGER_CURSOR || ++n > 50;
        }),
        Press(params, PARAMS_DEFAULT), Until([&, n = 0]() mutable {
            border = qstest::onscreen::Attr(display(), fq31_sd::DISPLAY_BORDER, ATTR_VISIBLE);
            return border == 1 || ++n > 50;
        }),
        Fill(params, {{PARAMS_EDIT, 1}}), Press(params, PARAMS_EDIT), Until([&, n = 0]() mutable {
            editing = !qstest::onscreen::Attr(display(), fq31_sd::DISPLAY_BORDER, ATTR_VISIBLE);
            return editing || ++n > 50;
        }),
        Fill(params, {{PARAMS_JOURNAL, 0}}), Press(params, PARAMS_CANCEL),
        // quitting, declined: the program goes on
        Do([] { Watching().cancels = 1; }), Press(MainPanel, MAIN_QUIT), Until([&] {
            journal = JournalActive();
            return told.popups == 4 && !Open("FSabGen.uir", gen::POPUP);
        }),
        Passes(20),
        // the language and the journal
        Press(MainPanel, MAIN_PARAMS), Until([&] { return params() > 0 && !Title(params()).empty(); }),
        Do([&] { dialogTitle = Title(params()); }), Fill(params, {{PARAMS_LANGUAGE, 1}, {PARAMS_JOURNAL, 0}}),
        Press(params, PARAMS_OK), Until([] { return !Open("FQ31.uir", PARAMS); }), Do([&] {
            shown = {dialogTitle, Caption(MainPanel(), MAIN_QUIT), Caption(Q31FSetPanel(9), PAGE9_OK)};
            shown.insert(shown.end(), {Caption(MainPanel(), MAIN_PAGE_0), Title(display()), Title(Q31FKeyG)});
        }),
        Press(MainPanel, MAIN_ABOUT), Until([&] { return about() > 0; }), Do([&] {
            shown.push_back(Text(about(), gen::ABOUT_TITRE) + "|" + Text(about(), gen::ABOUT_VERSION));
            SbAboutFermer();
            qs::rt::PanelWidget(MainPanel())->close();
        })};
    ASSERT_EQ(RunProgram(WithBoxWatch(steps)), steps.size());
    ASSERT_EQ(told.boxes.size(), 1u);
    EXPECT_EQ(told.popupTexts.at(0) + "|" + told.boxes[0].title, expected);
    EXPECT_NE(told.boxes[0].text.find("COM1"), std::string::npos) << told.boxes[0].text;
    // No port listed, Connect dimmed; the declined disconnection; the window after the confirmed
    // one without the clock's identity; the display laid out; the closed port's box without its
    // close-link button and the port picked kept; the display's defaults shown, its edit mode
    // (no border) taken at once, then cancelled with the rest of the options; the hover; the
    // journal as it was; the language in force.
    seen.insert(seen.end(),
                {told.boxes[0].secondVisible, SbComG.port, SbComG.linkState, border, editing,
                 Q31G.secondDisplay.windows[FSD_WIN_COUNTDOWN].visible, hovered, journal, Q31G.language});
    EXPECT_EQ(seen, std::vector<int>(
                        {0, 1, 1, 1, 0, kFsdHauteur, 0, 1, 0, 1, 1, 0, VAL_POINTING_FINGER_CURSOR, 1, 1}));
    EXPECT_EQ(told.popups, 4);  // the close box asked nothing
    // The options' title; then, from the tables now holding the French texts, the main window's and the
    // pages' captions, the second display's and the key panel's titles, the about box.
    EXPECT_EQ(
        shown,
        Strings({"Options", Q31TxtLabelG[7], Q31TxtLabelG[19], std::string("__0  ") + Q31TxtLabSetG[0],
                 std::string(Q31TxtLabelG[1]) + " QS-310", QString::fromLatin1(Q31TxtLabelG[2]).toStdString(),
                 std::string(GMessageG[2]) + "|V 1.1.2"}));
    EXPECT_EQ(qstest::ReadFileBytes(dir.file("QS-310_V1-1.q31cnf"))[0], 1);
    EXPECT_EQ(JournalActive(), 0);
    EXPECT_EQ(LocalSettingsInt(kSbComJournalReglage, 1), 0);
}

// The program starts, shows its main window and quits cleanly whatever its two configuration
// files hold: cut short, zero-filled, too long or random bytes; both are whole records after.
// A link record that asks for a connection at start opens the connection dialog; the simulation
// chosen there shows on the main window.
TEST(BadConfiguration, ShortZeroOverlongAndRandomFiles) {
    std::mt19937 gen(1);
    std::string noise(sizeof(SbCom) + 5000, '\0');
    for (char& c : noise) c = char(gen());
    SbCom connectAtStart{};
    SbComValDefaut(&connectAtStart);
    connectAtStart.connectAtStart = 1;
    const std::pair<std::string, std::string> files[] = {
        {std::string(7, '\x01'), std::string(10, '\0')},
        {std::string(sizeof(SbCom), '\0'), std::string(sizeof(Q31Config), '\0')},
        {noise, noise.substr(0, sizeof(Q31Config) + 5000)},
        {std::string(reinterpret_cast<const char*>(&connectAtStart), sizeof connectAtStart), ""}};
    // Whatever opens first is answered: the language, a connection the file asked for at start (the
    // simulation), an error box (the watch); the program quits once its main window is up, which
    // shows the simulation connected.
    bool connectSeen = false;
    int marked = -1;
    const Step answerAndQuit = [&] {
        if (int p = FindLoadedPanel("FSabGen.uir", gen::LANGUE)) QueueUserEvent(p, gen::LANGUE_EN);
        if (int p = FindLoadedPanel("FQ31.uir", CONNECT))
            connectSeen = QueueUserEvent(p, CONNECT_SIMULATION) == 0;
        if (Q31FIhmG > 0 && !Open("FQ31.uir", CONNECT)) {
            marked = qstest::onscreen::Attr(Q31FIhmG, MAIN_SIMU_MARK, ATTR_VISIBLE);
            Q31QuitG = 1;
        }
        return Q31QuitG == 1;
    };
    qstest::TempProgramDir dir;
    for (const auto& [link, application] : files) {
        SCOPED_TRACE(&link - &files[0].first);
        qstest::WriteFileBytes(kSbComConfigFile, link);
        qstest::WriteFileBytes(kQ31ConfigFile, application);
        ForgetEverything();
        connectSeen = false;
        EXPECT_EQ(RunProgram(WithBoxWatch({answerAndQuit})), 1u);
        EXPECT_EQ(qstest::FileSize(kSbComConfigFile), long(sizeof(SbCom)));
        EXPECT_EQ(qstest::FileSize(kQ31ConfigFile), long(sizeof(Q31Config)));
        EXPECT_TRUE(connectSeen || !application.empty());
        EXPECT_EQ(marked, int(connectSeen));
    }
}
