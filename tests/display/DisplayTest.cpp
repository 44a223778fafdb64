// The second display: layout, live lights, parameters dialog, hostile records and images, live view.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QWidget>
#include <filesystem>

#include "display/FsdGeometre.h"
#include "display/FsdImages.h"
#include "display/FsdPanneaux.h"
#include "display/FsdParamFile.h"
#include "display/Q31Fsd.h"
#include "display/Q31FsdParamDlg.h"
#include "display/WebView.h"
#include "panels/FQ31_SD.h"
#include "platform/Runtime.h"
#include "records/ClockTables.h"
#include "tests/chrono/ChronoFixture.h"
#include "tests/runner/FreshState.h"
#include "ui/MainPanel.h"

using namespace fq31;
using namespace fq31_sd;
namespace fs = std::filesystem;

namespace {

// The test images (made by fixtures/make_images.py) and damaging records.
const std::string kFixtures = QS_DISPLAY_FIXTURES "/";

FsdParam& rec = Q31G.secondDisplay;
const FsdPanneaux& fsd = FsdPanneauxG;

std::string g_answer;                 // what the file dialog answers ("": cancelled)
std::vector<std::string> g_messages;  // the messages the operator was shown

using qstest::onscreen::Attr, qstest::onscreen::Text;

// The message as a browser reads it (Windows-1252 sent as UTF-8); one that is not JSON reads as {}.
QJsonObject Read(const std::string& message) {
    return QJsonDocument::fromJson(QString::fromLatin1(message.c_str()).toUtf8()).object();
}

class SecondDisplay : public ::testing::Test {
public:
    void SetUp() override {
        dir = std::make_unique<qstest::TempProgramDir>();
        qstest::FreshRecords();
        Q31FsdEnregistrerCallbacks();
        Q31FIhmG = LoadPanel(0, "FQ31.uir", MAIN);
        Q31FsdCharger();
        g_answer.clear();
        g_messages.clear();
        SetFileSelectHook([](const char*, const char*, const char*, int, char path[260]) -> int {
            std::snprintf(path, 260, "%s", g_answer.c_str());
            return g_answer.empty() ? VAL_NO_FILE_SELECTED : VAL_EXISTING_FILE_SELECTED;
        });
        SetMessageHook([](const char*, const char* text) { g_messages.push_back(text); });
        WriteImage("Data/logo.bmp", "logo.bmp");
        WebViewForget();
        WebViewTakeChanges();  // a new viewer, nothing pending
    }
    void TearDown() override {
        alarm(0);
        SetFileSelectHook(nullptr);
        SetMessageHook(nullptr);
        if (dlg > 0) DiscardPanel(std::exchange(dlg, 0));
        Q31FsdQuitter();
        DiscardPanel(std::exchange(Q31FIhmG, 0));
        ProcessSystemEvents();
        dir.reset();
    }
    static void Screen(int width) {  // the screen made this wide (1440 high), seen by the live refresh
        SetPanelSize(fsd.display, 1440, width);
        Q31FsdAffLumiere(1);
    }
    void Commit(int ctrl) {
        QueueUserEvent(dlg, ctrl);
        ProcessSystemEvents();
    }
    void WriteImage(const std::string& relative, const std::string& image) {
        fs::create_directories(fs::path(dir->file(relative)).parent_path());
        qstest::WriteFileBytes(dir->file(relative), qstest::ReadFileBytes(kFixtures + image));
    }

    std::unique_ptr<qstest::TempProgramDir> dir;
    int dlg = 0;
};

}  // namespace

TEST_F(SecondDisplay, LayoutFollowsTheRecordEditModeAndScreen) {
    // 0: as loaded (the border 4 pixels out), with a background aligned in the dial window; 1: edit mode
    // (fixed, plain 960 x 720, no border); 2: edit mode left; 3: the countdown window, a logo and a light
    // hidden (no border), back colours, simulated (the mark avoids the dial window); 4: taller only, centred
    // down, and 5: enlarged, centred across, both seen by the live refresh.
    struct Situation {
        void (*prepare)(SecondDisplay*);
        bool layOut = true, resize = true, edit = false;  // then laid out so (a new screen size: not)
    } const situations[] = {
        {[](SecondDisplay* t) {
            t->WriteImage("Data/snow.bmp", "snow.bmp");
            std::strcpy(rec.background, "Data\\snow.bmp");
            rec.showBackground = 1;
        }},
        {[](SecondDisplay*) { SetPanelSize(fsd.display, 1440, 1920); }, true, true, true},
        {[](SecondDisplay*) { Q31FsdInit(true, true); }, true, false, false},
        {[](SecondDisplay*) {
            rec.windows[FSD_WIN_COUNTDOWN].visible = rec.logos[1].visible = rec.lights[3].visible = 0;
            rec.backColour = 0x123456;
            rec.text2BackColour = 0xFF;
            SbComG.simulation = 1;
            rec.windows[FSD_WIN_DIAL].top = rec.windows[FSD_WIN_DIAL].left = 100;
        }},
        {[](SecondDisplay*) { Screen(960); }, false},
        {[](SecondDisplay*) { Screen(2000); }, false},
    };
    const int top = ATTR_TOP, left = ATTR_LEFT, height = ATTR_HEIGHT, width = ATTR_WIDTH;
    const int shown = ATTR_VISIBLE, edit = ATTR_MOUSE_EDIT, back = ATTR_BACKCOLOR, image = ATTR_IMAGE_WIDTH;
    const int textBg = ATTR_TEXT_BGCOLOR, sizable = ATTR_SIZABLE;
    const int expected[][5] = {
        // situation, panel (display, countdown, dial), control (0: the panel), attribute, value
        {0, 1, COUNTDOWN_DIGIT2, left, 140},      {0, 0, DISPLAY_LIGHT2, top, 570},
        {0, 0, DISPLAY_LOGO3, edit, 1},           {0, 1, COUNTDOWN_DIGIT2, width, 80},
        {0, 0, DISPLAY_BORDER, width, 248},       {0, 1, COUNTDOWN_MINUS, left, 20},
        {0, 0, DISPLAY_SIM_MARK1, shown, 0},      {0, 1, 0, top, 504},
        {3, 0, DISPLAY_TEXT2, textBg, 0xFF},      {1, 0, 0, sizable, 0},
        {1, 1, COUNTDOWN_EDIT_BAR, shown, 1},     {1, 0, 0, width, 960},
        {1, 2, DIAL_WIN_GRIP, shown, 1},          {2, 1, COUNTDOWN_EDIT_BAR, shown, 0},
        {2, 0, DISPLAY_LIGHT1, edit, 0},          {3, 0, 0, back, 0x123456},
        {3, 0, DISPLAY_BORDER, shown, 0},         {3, 1, 0, shown, 0},
        {3, 0, DISPLAY_LOGO2, shown, 0},          {3, 2, 0, back, 0x123456},
        {3, 0, DISPLAY_SIM_MARK1, shown, 1},      {3, 0, DISPLAY_SIM_MARK2, shown, 0},
        {0, 2, DIAL_WIN_BACK_COPY, top, -42},     {0, 0, DISPLAY_BACKGROUND, image, 94},
        {4, 0, DISPLAY_LIGHT1, top, 460},         {5, 1, 0, height, 320},
        {5, 0, DISPLAY_LIGHT1, height, 240},      {5, 1, 0, top, 1008},
        {5, 2, DIAL_WIN_DIGIT2, left, 360},       {3, 0, DISPLAY_LIGHT4, shown, 0},
        {5, 2, DIAL_WIN_DIGITAL_BOX, width, 194},
    };
    for (int s = 0; s < int(std::size(situations)); ++s) {
        SCOPED_TRACE(s);
        TearDown();
        SetUp();
        situations[s].prepare(this);
        if (situations[s].layOut) Q31FsdInit(situations[s].resize, situations[s].edit);
        const int panels[] = {fsd.display, fsd.countdown, fsd.dial};
        for (auto [situation, panel, ctrl, attr, value] : expected)
            if (situation == s) EXPECT_EQ(Attr(panels[panel], ctrl, attr), value) << ctrl << " " << attr;
    }
    // The texts, frames and simulation marks stand where the layout puts them, here at twice its size on a
    // screen then made wider only: 240 pixels across.
    Screen(2400);
    const int d = fsd.display;
    for (auto [c, t, l, h, w] : {std::array{DISPLAY_FRAME1, 126, 256, 6, 1888},
                                 {DISPLAY_SIM_MARK1, 1368, 1460, 52, 360},
                                 {DISPLAY_FRAME3, 16, 1196, 104, 8},
                                 {DISPLAY_TEXT2, 12, 1216, 108, 820},
                                 {DISPLAY_SIM_MARK2, 152, 580, 52, 360}})
        EXPECT_EQ(std::tuple(Attr(d, c, top), Attr(d, c, left), Attr(d, c, height), Attr(d, c, width)),
                  std::tuple(t, l, h, w));
    const FsdParam before = rec;
    Q31FsdGetTaille();  // an enlarged display reads back the record unchanged
    EXPECT_EQ(std::memcmp(&before, &rec, sizeof before), 0);
    // Edit mode works on the plain panel (it cannot be maximized then): a window moved and sized there is
    // read back with its proportions, a light stays round.
    Q31FsdInit(true, true);
    EXPECT_FALSE(qs::rt::PanelWidget(fsd.display)->windowFlags() & Qt::WindowMaximizeButtonHint);
    SetPanelPos(fsd.countdown, 400, 200);
    SetPanelSize(fsd.countdown, 200, 333);
    SetPanelPos(fsd.dial, 500, 900);
    SetPanelSize(fsd.dial, 180, 240);
    SetCtrlAttribute(fsd.display, DISPLAY_LIGHT4, ATTR_HEIGHT, 150);
    Q31FsdGetTaille();
    const FsdWindow &w = rec.windows[FSD_WIN_COUNTDOWN], &dial = rec.windows[FSD_WIN_DIAL];
    EXPECT_EQ(std::tuple(w.top, w.left, w.height, w.width, rec.lights[3].width),
              std::tuple(400, 200, 200, 300, 150));
    EXPECT_EQ(std::tuple(dial.top, dial.left, dial.height, dial.width), std::tuple(500, 900, 180, 180));
}

// The countdown's minus and digits stand within any shape the operator drags its window to.
TEST(CountdownPlaces, WithinAnyWindow) {
    for (auto [h, w] : {std::pair{200, 300}, {200, 200}, {600, 120}, {40, 1000}}) {
        const auto [minus, first, second] = FsdPlacerDecompte(h, w);
        EXPECT_TRUE(minus.left >= 0 && second.left + second.width <= w && first.top >= 0 &&
                    first.top + first.height <= h)
            << h << " x " << w;
    }
}

TEST_F(SecondDisplay, SwitchedOnLightsDigitsDialAndHandsReachTheDisplayAndTheWebView) {
    const int display = fsd.display, countdown = fsd.countdown, dial = fsd.dial;
    Q31FsdOuvrir();
    EXPECT_EQ(std::pair(Q31FsdAffiche(), Attr(Q31FIhmG, MAIN_FSD_SWITCH)), std::pair(true, 1));
    rec.lights[1].mode = 3;
    Q31FsdAffLumiere(1);
    EXPECT_EQ(std::tuple(Attr(display, DISPLAY_LIGHT1, ATTR_ON_COLOR), Attr(display, DISPLAY_LIGHT1),
                         Attr(display, DISPLAY_LIGHT2, ATTR_ON_COLOR)),
              std::tuple(0xFF0000, 1, 0x303030));
    rec.showDigital = 1;
    Q31FsdInit(true, false);  // the dial's digits too; a new layout blanks them
    auto digits = [&] { return std::pair(Attr(countdown, COUNTDOWN_DIGIT2), Attr(dial, DIAL_WIN_DIGIT2)); };
    Q31FsdAffChiffre(1, 0xFF);
    EXPECT_EQ(digits(), std::pair(0x7F, 0x7F));
    Q31FsdInit(false, false);
    EXPECT_EQ(digits(), std::pair(0x7F, 0));
    Q31FsdAffMoins(1);
    Q31FsdAffPoint(0, 1);
    Q31FsdAffPoint(59, 2);
    Q31FsdAffPoint(60, 2);  // outside the ring: nothing
    Q31FsdAffAiguille(true, 61);
    Q31FsdAffAiguille(false, 42);
    int first = 0, dot = 0;
    GetCtrlIndexVal(dial, DIAL_WIN_DIAL, 0, &first);
    GetCtrlIndexVal(dial, DIAL_WIN_DIAL, 59, &dot);
    EXPECT_EQ(
        std::tuple(first, dot, Attr(countdown, COUNTDOWN_MINUS), Attr(dial, DIAL_WIN_DIAL, ATTR_HOUR_HAND),
                   Attr(dial, DIAL_WIN_DIAL, ATTR_MINUTE_HAND)),
        std::tuple(Q31CouleurLumiere(1), Q31CouleurLumiere(2), 1, 1, 42));
    const QJsonObject web = Read(WebViewWhole());
    EXPECT_EQ(std::tuple(web["dots"][59].toInt(), web["hands"][1].toInt(), web["minus"].toInt()),
              std::tuple(Q31CouleurLumiere(2), 42, 1));
    // A double click or F11 makes it full screen, another key does not, Escape leaves it (once).
    const int press = EVENT_KEYPRESS, full = VAL_FULLSCREEN, plain = VAL_NO_ZOOM;
    const int zooms[][3] = {{EVENT_LEFT_DOUBLE_CLICK, 0, full}, {press, 27, plain}, {press, 27, plain},
                            {press, 0x0100003A, full},          {press, 'a', full}, {press, 27, plain}};
    for (auto [event, key, zoom] : zooms) {
        FQ31_FsdGere(display, 0, event, nullptr, key, 0);
        EXPECT_EQ(Attr(display, 0, ATTR_WINDOW_ZOOM), zoom) << key;
    }
    // A screen gone (the public's: a cable pulled), one left: full screen there, the display would
    // cover the operator's window and is switched off; in a window it stays.
    for (int zoom : {plain, full}) {
        SetPanelAttribute(display, ATTR_WINDOW_ZOOM, zoom);
        emit qGuiApp->screenRemoved(QGuiApplication::primaryScreen());  // as Qt tells it
        ProcessSystemEvents();
        EXPECT_EQ(
            std::tuple(Q31FsdAffiche(), Attr(Q31FIhmG, MAIN_FSD_SWITCH), Attr(display, 0, ATTR_WINDOW_ZOOM)),
            std::tuple(zoom == plain, int(zoom == plain), plain));
    }
    Q31FsdOuvrir();
    FQ31_FsdGere(display, 0, EVENT_CLOSE, nullptr, 0, 0);  // its close box switches it off
    EXPECT_EQ(std::pair(Q31FsdAffiche(), Attr(Q31FIhmG, MAIN_FSD_SWITCH)), std::pair(false, 0));
}

TEST_F(SecondDisplay, ParamsDialogKeepsProportionsTakesImagesIntoDataAndSavesTheWholeRecord) {
    std::strcpy(rec.text2, "Finish");
    rec.logos[0].visible = 0;
    rec.text1BackColour = 0x123456;
    dlg = LoadPanel(0, "FQ31.uir", PARAMS);  // the parameters dialog, filled from the record
    ASSERT_GT(dlg, 0);
    Q31FsdParamTraduire(dlg);
    Q31FsdParamSet(dlg, false);
    const std::tuple<int, int, int, int, int*> cases[] = {
        // control, typed, width control, width, record
        {PARAMS_WIN1_HEIGHT, 161, PARAMS_WIN1_WIDTH, 241, &rec.windows[FSD_WIN_COUNTDOWN].width},
        {PARAMS_WIN2_HEIGHT, 250, PARAMS_WIN2_WIDTH, 250, &rec.windows[FSD_WIN_DIAL].width},  // square
        {PARAMS_LIGHT3_HEIGHT, 90, PARAMS_LIGHT3_WIDTH, 90, &rec.lights[2].width},            // round
        {PARAMS_LOGO1_HEIGHT, 30, PARAMS_LOGO1_WIDTH, 48, &rec.logos[0].width},               // free: kept
        {PARAMS_LOGO1_HEIGHT, 30, PARAMS_LOGO1_HEIGHT, 30, &rec.logos[0].height},
        {PARAMS_LOGO4_TOP, 77, PARAMS_LOGO4_TOP, 77, &rec.logos[3].top},  // a position
    };
    for (auto [control, typed, widthControl, width, record] : cases) {
        SetCtrlVal(dlg, control, typed);
        Commit(control);
        EXPECT_EQ(std::pair(*record, Attr(dlg, widthControl, 0)), std::pair(width, width)) << control;
    }
    // The record's own colours and texts as filled; the other window untouched, the display follows.
    EXPECT_EQ(
        std::tuple(Attr(dlg, PARAMS_BACK_COLOR), Attr(dlg, PARAMS_TEXT_COLOR), Attr(dlg, PARAMS_TEXT1_BACK),
                   Attr(dlg, PARAMS_TEXT2_BACK), Text(dlg, PARAMS_LOGO1_VISIBLE, ATTR_LABEL_TEXT),
                   Text(dlg, PARAMS_LIGHT2_VISIBLE, ATTR_LABEL_TEXT), Attr(fsd.countdown, 0, ATTR_WIDTH),
                   Text(fsd.display, DISPLAY_TEXT2), Attr(fsd.display, DISPLAY_LOGO1, ATTR_VISIBLE),
                   rec.logos[0].visible),
        std::tuple(0x202020, 0x554646, 0x123456, 0xFFFFFF, Q31TxtLabelG[47] + std::string(" 1 :"),
                   Q31TxtLabelG[46] + std::string(" 2 :"), 241, "Finish", 0, 0));
    WriteImage("banner.bmp", "banner.bmp");  // a loaded logo takes the image's own size
    g_answer = dir->file("banner.bmp");
    Commit(PARAMS_LOGO1_LOAD);
    EXPECT_STREQ(rec.logos[0].path, "Data\\banner.bmp");
    EXPECT_EQ(std::tuple(rec.logos[0].height, rec.logos[0].width, Attr(dlg, PARAMS_LOGO1_WIDTH)),
              std::tuple(80, 200, 200));
    std::strcpy(rec.background, "Data\\old.jpg");  // a failed copy keeps the former path and says so
    g_answer = dir->file("nowhere/absent.jpg");
    Commit(PARAMS_LOAD_BACKGROUND);
    EXPECT_STREQ(rec.background, "Data\\old.jpg");
    EXPECT_EQ(std::pair(g_messages.size(), Attr(dlg, 0, ATTR_DIMMED)), std::pair(size_t(1), 0));
    WriteImage("snow.bmp", "snow.bmp");  // one taken in shows at once
    rec.showBackground = 1;
    g_answer = dir->file("snow.bmp");
    Commit(PARAMS_LOAD_BACKGROUND);
    EXPECT_STREQ(rec.background, "Data\\snow.bmp");
    EXPECT_GT(Attr(fsd.display, DISPLAY_BACKGROUND, ATTR_IMAGE_WIDTH), 0);
    // The parameters saved are the whole record, and load back.
    SetCtrlVal(dlg, PARAMS_TEXT1, "Slalom");
    Commit(PARAMS_TEXT1);
    g_answer = dir->file("race.q31fsd");
    Commit(PARAMS_SAVE);
    const std::string bytes = qstest::ReadFileBytes(g_answer);
    ASSERT_EQ(bytes.size(), 2040u);
    EXPECT_EQ(bytes.substr(0, 7), std::string("Slalom\0", 7));
    rec.windows[FSD_WIN_DIAL].top = 12;
    std::strcpy(rec.text1, "Other");
    SetCtrlVal(dlg, PARAMS_EDIT, 1);
    Commit(PARAMS_LOAD);
    EXPECT_EQ(std::tuple(std::string(rec.text1), rec.windows[FSD_WIN_DIAL].top, Attr(dlg, PARAMS_EDIT)),
              std::tuple("Slalom", 110, 0));
    Q31FsdParamSet(dlg, true);  // edit mode dims the positions, the images and OK, and shows the help
    for (int ctrl : {PARAMS_WIN1_TOP, PARAMS_LOGO2_WIDTH, PARAMS_LOGO1_LOAD, PARAMS_OK, PARAMS_TEXT1})
        EXPECT_EQ(Attr(dlg, ctrl, ATTR_DIMMED), ctrl != PARAMS_TEXT1) << ctrl;
    EXPECT_EQ(Attr(dlg, PARAMS_HELP_1, ATTR_VISIBLE), 1);
}

TEST_F(SecondDisplay, HostileRecordsLayOutWithinBounds) {
    for (const char* name : {"huge_logos.q31fsd", "extreme.q31fsd"}) {
        SCOPED_TRACE(name);
        alarm(60);  // a layout that waits ends the suite
        Q31FsdParamCharger((kFixtures + name).c_str(), &rec);
        Q31FsdOuvrir();
        SetPanelSize(fsd.display, 2160, 3840);
        FsdSuivreTaille();                 // full screen on a large screen
        for (bool edit : {true, false}) {  // edit mode and back
            ProcessSystemEvents();
            Q31FsdInit(true, edit);
        }
        ProcessSystemEvents();
        for (int logo : {DISPLAY_LOGO1, DISPLAY_LOGO2, DISPLAY_LOGO3, DISPLAY_LOGO4})  // within the screen
            EXPECT_TRUE(Attr(fsd.display, logo, ATTR_WIDTH) <= 3840 &&
                        Attr(fsd.display, logo, ATTR_HEIGHT) <= 2160);
        for (const auto& l : rec.logos) EXPECT_TRUE(l.height >= 0 && l.height <= 720);
        EXPECT_GT(Attr(fsd.display, DISPLAY_LOGO1, ATTR_IMAGE_WIDTH), 0);  // the logos are shown
        struct rusage u {};
        getrusage(RUSAGE_SELF, &u);
        EXPECT_LT(u.ru_maxrss / 1024, qstest::MemoryBound(300));
        Q31FsdFermer();
    }
}

TEST_F(SecondDisplay, ImagesOutsideDataAreRefusedAndTakingOneInNeverReplacesAFile) {
    ASSERT_EQ(mkfifo(dir->file("Data/fifo").c_str(), 0600), 0);
    fs::create_symlink("logo.bmp", dir->file("Data/inside.bmp"));
    for (const char* name : {"Data/my logo.bmp", "Data/a:b.bmp", "Data/a\x01.bmp", "Data/sub/logo.bmp"})
        WriteImage(name, "logo.bmp");
    Q31FsdOuvrir();
    const std::tuple<std::string, bool, bool> cases[] = {
        {"Data\\logo.bmp", true, false},      {"Data/inside.bmp", true, false},
        {"..\\outside.bmp", false, true},     {"Data\\fifo", false, true},
        {"Data\\missing.bmp", false, false},  {"Data\\my logo.bmp", true, false},
        {"Data\\sub\\logo.bmp", false, true}, {"Data\\a:b.bmp", false, true},
        {"Data\\a\x01.bmp", false, true}};
    for (const auto& [path, shown, told] : cases) {
        SCOPED_TRACE(path);
        alarm(20);
        g_messages.clear();
        FsdOublierImages();
        std::strcpy(rec.logos[0].path, path.c_str());
        std::strcpy(rec.background, path.c_str());
        rec.logos[0].visible = rec.showBackground = 1;
        for (int twice = 0; twice < 2; ++twice) Q31FsdInit(true, false);  // laid out again: told once
        EXPECT_EQ(Attr(fsd.display, DISPLAY_LOGO1, ATTR_IMAGE_WIDTH) > 0, shown);  // the background alike
        EXPECT_EQ(g_messages.size() == 1 && g_messages[0].find(path) != std::string::npos, told);
    }
    // Taking an image into "Data" never replaces another file, and never waits on a FIFO. A different file of
    // the same name: both kept, the new one under the next free name; the same file again: no copy.
    g_messages.clear();
    WriteImage("in/logo.bmp", "small.bmp");
    ASSERT_EQ(mkfifo(dir->file("in/pipe.bmp").c_str(), 0600), 0);
    alarm(20);
    char field[256] = "";  // the image twice, then a FIFO and a missing file that leave the field as it was
    for (const std::string file : {"logo.bmp", "logo.bmp", "pipe.bmp", "absent.png"}) {
        EXPECT_EQ(FsdLoadImage(dir->file("in/" + file).c_str(), field), file == "logo.bmp") << file;
        EXPECT_STREQ(field, "Data\\logo-2.bmp");
    }
    for (auto [file, image] : {std::pair{"Data/logo.bmp", "logo.bmp"}, {"Data/logo-2.bmp", "small.bmp"}})
        EXPECT_EQ(qstest::ReadFileBytes(dir->file(file)), qstest::ReadFileBytes(kFixtures + image));
    EXPECT_FALSE(fs::exists(dir->file("Data/logo-3.bmp")));
    EXPECT_EQ(g_messages.size(), 2u);
}

TEST_F(SecondDisplay, WebViewCarriesOnlyWhatChangedOnceAndTheTimesTablesLastTwentyRows) {
    static constexpr std::array<int, 4> kLit = {0xFF0000, 0, 0, 0};
    const std::tuple<const char*, void (*)(), const char*> cases[] = {
        // the keys sent, sorted; "": none
        {"a ring light", [] { WebViewNoteDot(12, 0xFF0000); }, "dots t"},
        {"the same again (a redraw after a reset)", [] { WebViewNoteDot(12, 0xFF0000); }, ""},
        {"a light past the ring", [] { WebViewNoteDot(60, 0xFF0000); }, ""},
        {"a light before the ring", [] { WebViewNoteDot(-1, 0xFF0000); }, ""},
        {"a hand, taken modulo 60", [] { WebViewNoteHand(true, 65); }, "hands t"},
        {"lights", [] { WebViewNoteLights(0xFF0000, kLit); }, "big lights t"},
        {"digits", [] { WebViewNoteDigit(1, 0x86); }, "digits t"},
        {"the same lights again", [] { WebViewNoteLights(0xFF0000, kLit); }, ""},
        {"a third digit does not exist", [] { WebViewNoteDigit(2, 0x06); }, ""},
        {"the minus sign", [] { WebViewNoteMinus(5); }, "minus t"},
        {"connection and identity", [] { WebViewNoteMain(true, true, "N\xB0 42"); }, "conn id sim t"},
        {"the same again", [] { WebViewNoteMain(true, true, "N\xB0 42"); }, ""},
        {"the run box", [] { WebViewNoteRun("00042\nSPLIT\n3"); }, "run t"},
        {"the language", [] { WebViewNoteTexts(); }, "t texts"},
    };
    for (const auto& [name, note, keys] : cases) {
        note();
        SCOPED_TRACE(name);
        const std::string message = WebViewTakeChanges();
        EXPECT_EQ(message.empty() ? "" : Read(message).keys().join(' ').toStdString(), keys) << message;
        EXPECT_EQ(WebViewTakeChanges(), "");  // sent once
    }
    WebViewNoteMain(false, false, "N\xB0 42");  // while the link is closed no identity is shown
    EXPECT_EQ(Read(WebViewTakeChanges())["id"].toString(), "");
    const QString id = QString::fromLatin1("V\"1\\2\n\t\x01\x7F\xE9</script>");
    WebViewNoteMain(true, false, id.toLatin1().constData());  // texts from the clock cannot break it
    const std::string escaped = WebViewTakeChanges();  // a browser refuses raw control bytes; Qt reads them
    EXPECT_EQ(std::tuple(Read(escaped)["id"].toString(), escaped.find_first_of("\n\t\x01\x7F")),
              std::tuple(id, std::string::npos));
    const QJsonObject all = Read(WebViewWhole());  // what the steps left, as a new viewer gets it
    EXPECT_EQ(std::tuple(all["t"].toString(), all["dots"][12].toInt(), all["dots"][59].toInt(),
                         all["hands"][0].toInt(), all["digits"][1].toInt(), all["minus"].toInt(),
                         all["id"].toString(), all["texts"]["legend"].toArray().size()),
              std::tuple("all", 0xFF0000, 0x303030, 5, 0x06, 1, id, 6));  // 59 never lit; hands modulo 60
    // The times table's last twenty rows.
    MakeDir("Chronos");
    SbChronoOuvrir("Chronos", "Chrono.q31tps", 0, 0);
    SbComG.params.precision = 2;
    auto load = [](int count, char markOf7) {
        std::vector<SbChronoRec> times;
        for (int i = 1; i <= count; ++i) times.push_back(chronotest::Temps(10, 21, i % 60, 12345, '1', 0, i));
        times[6].Marque = markOf7;
        qstest::WriteFileBytes("times.q31tps", chronotest::Image(count, times));
        ASSERT_EQ(SbChronoCharger("times.q31tps"), 1);
    };
    auto rows = [] {
        WebViewCollect();
        return Read(WebViewTakeChanges())["rows"].toArray();
    };
    load(25, 'N');
    const QJsonArray shown = rows();  // in the table's order: the oldest of the 20 first
    EXPECT_EQ(
        std::tuple(shown.size(), shown[0][1].toString(), shown[19][1].toString(), shown[19][3].toString()),
        std::tuple(20, "    6", "   25", " 10 : 21 : 25.12"));
    EXPECT_TRUE(rows().isEmpty());  // nothing new
    load(25, 'X');                  // a time marked invalid on the main window
    EXPECT_EQ(rows()[1][4].toString(), "X");
    SbComG.params.precision = 4;  // the clock's precision changed
    EXPECT_EQ(rows()[19][3].toString(), " 10 : 21 : 25.1234");
    load(7, 'N');  // a shorter table (cleared, then new times)
    EXPECT_EQ(rows().size(), 7);
    SbChronoFermer("Chronos", "Chrono.q31tps");
}
