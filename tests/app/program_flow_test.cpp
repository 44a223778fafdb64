// The whole program as an operator starts, sets up and quits it, headless: the first start's
// language question, a start whose texts or configuration files are damaged, the connection
// dialog's ways out, the questions before a disconnection and a quit, and the options dialog.
#include <gtest/gtest.h>

#include <QWidget>
#include <filesystem>
#include <random>

#include "app/Q31Ihm.h"
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
#include "settings/Q31FKey.h"
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
const Step kMainUp = Until([] { return MainPanel() > 0; });
int Display() {
    return FindLoadedPanel("FQ31_SD.uir", fq31_sd::DISPLAY);
}
Step Popup(int button) {
    return Answer("FSabGen.uir", gen::POPUP, button);
}
int Attribute(int panel, int control, int attribute) {
    int v = -1;
    panel > 0 && control ? GetCtrlAttribute(panel, control, attribute, &v)
                         : GetPanelAttribute(panel, attribute, &v);
    return v;
}
// Notes the error box's title and text and closes it.
Step ReadErrorBox(std::string* seen) {
    return [seen] {
        const int p = FindLoadedPanel("FSabGen.uir", gen::ERREUR);
        if (!p) return false;
        *seen = Text(p, gen::ERREUR_TITRE) + "|" + Text(p, gen::ERREUR_TEXTE);
        return QueueUserEvent(p, gen::ERREUR_BOUTON1) == 0;
    };
}

}  // namespace

// Texts that cannot be read: the error box in English, no main window, the records kept. (A
// text file too short for its table: the bad-input tests.)
TEST(ProgramFlow, MissingTextsShowTheErrorAndNeverTheMainWindow) {
    qstest::TempProgramDir dir;
    std::filesystem::remove_all(dir.file("Texts"));
    std::string error;
    int main = -1;
    const Steps steps = {Answer("FSabGen.uir", gen::LANGUE, gen::LANGUE_DE), Until([&] {
                             main = MainPanel();
                             return Open("FSabGen.uir", gen::ERREUR);
                         }),
                         ReadErrorBox(&error)};
    EXPECT_EQ(RunProgramAsFound(steps), steps.size());
    EXPECT_EQ(error, "Start Clock QS-310 INTERFACE FAILURE|Opening text files is impossible !");
    EXPECT_LE(main, 0);
    EXPECT_EQ(qstest::FileSize(dir.file("QS-310_V1-1.sbcnf")), 6216);
    EXPECT_EQ(qstest::ReadFileBytes(dir.file("QS-310_V1-1.q31cnf"))[0], 2);
}

// A search on a machine without serial ports says so and leaves Connect dimmed; a port that
// cannot open is told in the error box with one button; the simulation connects without a
// clock; switching the connection off and quitting ask first, and declining changes nothing;
// cancelling the options keeps the display's values. Then a language and the journal switched
// in the options apply at once, to every window, and are kept; the close box ends the program
// without a question.
TEST(ProgramFlow, ConnectionQuestionsOptionsAndLanguage) {
    qstest::TempProgramDir dir;
    auto connect = Loaded("FQ31.uir", CONNECT);
    auto params = Loaded("FQ31.uir", PARAMS);
    // An empty device folder leaves this machine's own ports out.
    std::filesystem::create_directories(dir.file("no-devices"));
    std::string noPort, error, identity, before, after, dialogTitle, displayTitle, keysTitle, pageCaption,
        about;
    int portItems = -1, connectDimmed = -1;
    int secondButton = -1, switchAfterDecline = -1, simulatingAfterDecline = -1, hovered = -1, journal = -1;
    int identityShown = -1, displayHeight = -1, border = -1;
    long declinedAt = 0;
    bool asked = false;
    Steps steps = {
        kMainUp, Do([&] { setenv("QS310_DEVICE_DIR", dir.file("no-devices").c_str(), 1); }),
        SetAndPress(MainPanel, MAIN_CONNECT_SWITCH, 1), Press(connect, CONNECT_REFRESH), Until([&] {
            const int p = FindLoadedPanel("FSabGen.uir", gen::POPUP);
            if (p) noPort = Text(p, gen::POPUP_TEXTE) + "|" + GMesComG[kMesComNoPortFound];  // told, expected
            return p != 0;
        }),
        Popup(gen::POPUP_OK), Until([&] {
            if (Open("FSabGen.uir", gen::POPUP) || connect() <= 0) return false;
            GetNumListItems(connect(), CONNECT_PORT, &portItems);
            connectDimmed = Attribute(connect(), CONNECT_CONNECT, ATTR_DIMMED);
            return true;
        }),
        Press(connect, CONNECT_CANCEL), Until([] { return !Open("FQ31.uir", CONNECT); }),
        Do([] { SbComG.port = 40, SbComG.freePortCount = 1, SbComG.portList[0] = 1; }),
        SetAndPress(MainPanel, MAIN_CONNECT_SWITCH, 1), Fill(connect, {{CONNECT_PORT, 1}}),
        Press(connect, CONNECT_CONNECT), Until([&] {
            const int p = FindLoadedPanel("FSabGen.uir", gen::ERREUR);
            if (p) GetCtrlAttribute(p, gen::ERREUR_BOUTON2, ATTR_VISIBLE, &secondButton);
            return p != 0;
        }),
        ReadErrorBox(&error), Do([&] {
            error += std::string("|") + GMesComG[3];  // the title expected, in the language then
            unsetenv("QS310_DEVICE_DIR");
        }),
        // the simulation
        SetAndPress(MainPanel, MAIN_CONNECT_SWITCH, 1), Answer("FQ31.uir", CONNECT, CONNECT_SIMULATION),
        Until([&] {
            identity = Text(MainPanel(), MAIN_IDENTITY);
            return SbComG.simulation == 1 && !Open("FQ31.uir", CONNECT);
        }),
        SetAndPress(MainPanel, MAIN_CONNECT_SWITCH, 0), Popup(gen::POPUP_ANNULER), Until([&] {
            switchAfterDecline = Value(MainPanel(), MAIN_CONNECT_SWITCH);
            simulatingAfterDecline = SbComG.simulation;
            return !Open("FSabGen.uir", gen::POPUP);
        }),
        SetAndPress(MainPanel, MAIN_CONNECT_SWITCH, 0), Popup(gen::POPUP_VALIDER),
        Until([] { return SbComG.simulation == 0 && !Open("FSabGen.uir", gen::POPUP) && !SbWaitOuvert(); }),
        // the options, with the second display shown, its countdown window hidden and the
        // display resized by hand: the options lay it out at its own size, the defaults show
        // the window, and the hover list reaches down to the fourth logo's load button
        Do([&] {
            identityShown = Attribute(MainPanel(), MAIN_IDENTITY, ATTR_VISIBLE);
            Q31G.secondDisplay.windows[FSD_WIN_COUNTDOWN].visible = 0;
            Q31FsdOuvrir();
            SetPanelSize(Display(), 300, 400);
        }),
        Press(MainPanel, MAIN_PARAMS), Until([&] {
            if (params() <= 0) return false;
            displayHeight = Attribute(Display(), 0, ATTR_HEIGHT);
            return true;
        }),
        Do([&] { qstest::PointAt(params(), PARAMS_LOGO4_LOAD, 4, 4); }), Until([&, n = 0]() mutable {
            GetMouseCursor(&hovered);
            return hovered == VAL_POINTING_FINGER_CURSOR || ++n > 50;
        }),
        Press(params, PARAMS_DEFAULT), Until([&, n = 0]() mutable {
            border = Attribute(Display(), fq31_sd::DISPLAY_BORDER, ATTR_VISIBLE);
            return border == 1 || ++n > 50;
        }),
        Fill(params, {{PARAMS_JOURNAL, 0}}), Press(params, PARAMS_CANCEL),
        // quitting, declined then confirmed
        Press(MainPanel, MAIN_QUIT), Popup(gen::POPUP_ANNULER), Until([&] {
            journal = JournalActive();
            declinedAt = qstest::CurrentScript().passes;
            return !Open("FSabGen.uir", gen::POPUP);
        }),
        Until([&] { return qstest::CurrentScript().passes > declinedAt + 20 && !Q31QuitG; }),
        // the language and the journal
        Do([&] { before = Caption(MainPanel(), MAIN_QUIT); }), Press(MainPanel, MAIN_PARAMS),
        Until([&] { return params() > 0 && !(dialogTitle = Title(params())).empty(); }),
        Fill(params, {{PARAMS_LANGUAGE, 1}, {PARAMS_JOURNAL, 0}}), Press(params, PARAMS_OK),
        Until([] { return !Open("FQ31.uir", PARAMS); }), Do([&] {
            after = Caption(MainPanel(), MAIN_QUIT);
            pageCaption = Caption(Q31FSetPanel(9), PAGE9_OK) + "|" + Caption(MainPanel(), MAIN_PAGE_0);
            displayTitle = Title(Display());
            keysTitle = Title(Q31FKeyG);
        }),
        Press(MainPanel, MAIN_ABOUT), Until([&] {
            const int p = FindLoadedPanel("FSabGen.uir", gen::ABOUT);
            if (p <= 0) return false;
            about = Text(p, gen::ABOUT_TITRE) + "|" + Text(p, gen::ABOUT_VERSION);
            SbAboutFermer();
            qs::rt::PanelWidget(MainPanel())->close();
            return true;
        }),
        Until([&] { return asked |= Open("FSabGen.uir", gen::POPUP); })};
    const size_t count = steps.size();
    ASSERT_EQ(RunProgram(std::move(steps)), count - 1);
    EXPECT_EQ(noPort.substr(0, noPort.find('|')), noPort.substr(noPort.find('|') + 1));
    EXPECT_EQ(error.substr(0, error.find('|')), error.substr(error.rfind('|') + 1));
    EXPECT_NE(error.find("COM1", error.find('|')), std::string::npos) << error;
    EXPECT_EQ(identity,
              "N\xB0"
              "00000 V000");
    // No port listed, Connect dimmed; the closed link's box without its close-link button and
    // the port picked kept; the declined disconnection; the window after the confirmed one
    // without the clock's identity; the display laid out and its defaults shown, then cancelled
    // with the rest of the options; the hover; the journal as it was; the language in force.
    EXPECT_EQ(
        std::vector<int>({portItems, connectDimmed, secondButton, SbComG.port, switchAfterDecline,
                          simulatingAfterDecline, SbComG.linkState, identityShown, displayHeight, border,
                          Q31G.secondDisplay.windows[FSD_WIN_COUNTDOWN].visible, hovered, journal,
                          Q31G.language}),
        std::vector<int>({0, 1, 0, 1, 1, 1, 0, 0, kFsdHauteur, 1, 0, VAL_POINTING_FINGER_CURSOR, 1, 1}));
    EXPECT_FALSE(asked);
    EXPECT_EQ(pageCaption,
              std::string(Q31TxtLabelG[19]) + "|__0  " + Q31TxtLabSetG[0]);  // the pages' captions too
    EXPECT_NE(before, after);
    EXPECT_EQ(after, Q31TxtLabelG[7]);  // the tables hold the French texts
    EXPECT_EQ(dialogTitle, "Options");
    EXPECT_EQ(displayTitle, std::string(Q31TxtLabelG[1]) + " QS-310");
    EXPECT_EQ(about, std::string(GMessageG[2]) + "|V 1.1.2");
    EXPECT_EQ(keysTitle, QString::fromLatin1(Q31TxtLabelG[2]).toStdString());  // the key panel's too
    EXPECT_EQ(qstest::ReadFileBytes(dir.file("QS-310_V1-1.q31cnf"))[0], 1);
    EXPECT_EQ(JournalActive(), 0);
    EXPECT_EQ(LocalSettingsInt(kSbComJournalReglage, 1), 0);
}

// The program starts, shows its main window and quits cleanly whatever its two configuration
// files hold: cut short, zero-filled, too long or random bytes; both are whole records after.
// A sound link record that asks for a connection at start opens the connection dialog.
TEST(BadConfiguration, ShortZeroOverlongAndRandomFiles) {
    auto random = [](size_t n, unsigned seed) {
        std::mt19937 gen(seed);
        std::string s(n, '\0');
        for (char& c : s) c = char(gen() & 0xFF);
        return s;
    };
    std::vector<std::pair<std::string, std::string>> files = {
        {std::string(7, '\x01'), std::string(10, '\0')},
        {std::string(sizeof(SbCom), '\0'), std::string(sizeof(Q31Config), '\0')},
        {random(sizeof(SbCom) + 5000, 1), random(sizeof(Q31Config) + 5000, 2)}};
    for (unsigned seed = 10; seed < 12; ++seed)
        files.push_back({random(sizeof(SbCom), seed), random(sizeof(Q31Config), seed + 100)});
    SbCom connectAtStart{};
    SbComValDefaut(&connectAtStart);
    connectAtStart.connectAtStart = 1;
    files.push_back({std::string(reinterpret_cast<const char*>(&connectAtStart), sizeof connectAtStart), ""});
    qstest::TempProgramDir dir;
    for (const auto& [link, application] : files) {
        SCOPED_TRACE(&link - &files[0].first);
        qstest::WriteFileBytes(kSbComConfigFile, link);
        qstest::WriteFileBytes(kQ31ConfigFile, application);
        ForgetEverything();
        static bool connectSeen;
        connectSeen = false;
        // Whatever opens first is answered: the language, a connection the file asked for at
        // start, an error; the program quits once its main window is up.
        EXPECT_EQ(RunProgram({[] {
                      if (int p = FindLoadedPanel("FSabGen.uir", fsabgen::LANGUE))
                          QueueUserEvent(p, fsabgen::LANGUE_EN);
                      if (int p = FindLoadedPanel("FQ31.uir", fq31::CONNECT))
                          connectSeen = QueueUserEvent(p, fq31::CONNECT_CANCEL) == 0;
                      if (int p = FindLoadedPanel("FSabGen.uir", fsabgen::ERREUR))
                          QueueUserEvent(p, fsabgen::ERREUR_BOUTON1);
                      return Q31FIhmG > 0 && !FindLoadedPanel("FQ31.uir", fq31::CONNECT) && (Q31QuitG = 1);
                  }}),
                  1u);
        EXPECT_EQ(qstest::FileSize(kSbComConfigFile), long(sizeof(SbCom)));
        EXPECT_EQ(qstest::FileSize(kQ31ConfigFile), long(sizeof(Q31Config)));
        if (application.empty()) EXPECT_TRUE(connectSeen);
    }
}
