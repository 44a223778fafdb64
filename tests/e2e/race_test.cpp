// One race script through the panels on the simulated clock (time driven by hand: the same bytes every
// run) and on the stand-in clock over a pseudo-terminal and over TCP, from the settings to the times saved,
// the run closed and brought back; a second day in the same folder finds everything kept. On the simulated
// clock headless chromium, over DevTools, follows the live view's countdown and shows the new time.
#include "tests/runner/Race.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTableView>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QWebSocket>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>

#include "app/LiveView.h"
#include "chrono/SbChrono.h"
#include "link/SbComErreur.h"
#include "panels/FQ12.h"
#include "panels/FQ31.h"
#include "panels/FSabGen.h"
#include "platform/Runtime.h"
#include "platform/WebServer.h"
#include "records/ClockTables.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "settings/Q31FSet.h"
#include "tests/support/Standin.h"
#include "tests/support/TestSupport.h"
#include "ui/Dialogs.h"
#include "ui/Texts.h"

using namespace fq31;
using namespace fq12;
using namespace e2e;
using namespace qstest;

namespace {

constexpr const char* kChromium = "/usr/bin/chromium";
const std::string kStore = "Chronos/Chrono.q31tps", kCourse = "Chronos/Course1.q31tps";  // times files

// A hand-driven time: Timer() and the computer's local time move only when a step advances
// them, in quarter seconds, so a simulated race gives the same times on every run.
constexpr double kOrigin = 1000.0;  // Timer() at the start of the day's script
double now = kOrigin;
int startOfDay = 0;  // local time at the origin, seconds
class ManualTime {
public:
    ManualTime(int hour, int minute, int second) {
        now = kOrigin;
        startOfDay = hour * 3600 + minute * 60 + second;
        SetTimeSource([] { return now; },
                      [](int* h, int* m, int* s) {
                          const long t = (startOfDay + long(std::floor(now - kOrigin + 1e-9))) % 86400;
                          *h = int(t / 3600);
                          *m = int(t / 60 % 60);
                          *s = int(t % 60);
                      });
    }
    ~ManualTime() { SetTimeSource(nullptr, nullptr); }
    ManualTime(const ManualTime&) = delete;
    ManualTime& operator=(const ManualTime&) = delete;
    static Step AdvanceTo(int hour, int minute, double second) {
        const double target = kOrigin + hour * 3600 + minute * 60 + second - startOfDay;
        return [target] {
            if (now + 1e-9 >= target) return true;
            now = std::min(now + 0.25, target);  // a quarter second a pass
            return false;
        };
    }
};

// A click in a table's row, as the mouse does; rows the table has not drawn yet are waited for.
Step ClickCell(PanelFn panel, int control, int row) {
    return [=] {
        auto* table = qobject_cast<QTableView*>(qs::rt::ControlWidget(panel(), control));
        if (!table || !Usable(panel(), control) || table->model()->rowCount() < row ||
            table->model()->rowCount() != qs::rt::TableRows(table))
            return false;
        table->setCurrentIndex(table->model()->index(row - 1, 0));
        return true;
    };
}

// The program's events processed (its live view serving the page) until `done`, for at most `ms`.
bool Await(const std::function<bool()>& done, int ms) {
    const QDeadlineTimer end(ms);
    QTimer tick;
    tick.start(20);
    while (!done() && !end.hasExpired()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return done();
}

// One headless chromium with an empty profile, its page reached over DevTools.
class Browser {
public:
    explicit Browser(int port) {
        const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/rce1/";
        profile_ = std::filesystem::absolute("chromium-profile").string();  // gone with the test's folder
        const std::string profile = "--user-data-dir=" + profile_;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(open("/dev/null", O_RDWR), 2);
            execl(kChromium, kChromium, "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                  "--hide-scrollbars", "--disable-background-networking", "--disable-component-update",
                  "--disable-sync", "--remote-debugging-port=0", "--remote-allow-origins=*", profile.c_str(),
                  url.c_str(), nullptr);
            _exit(127);
        }
    }
    ~Browser() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    // The answer to a call on the page (a JavaScript value, or a picture's data); empty if none came.
    std::string Call(const char* method, const QJsonObject& params) {
        if (!Await([this] { return Open(); }, 30000)) return "";
        const QJsonObject call{{"id", ++asked_}, {"method", method}, {"params", params}};
        answer_.reset();
        devtools_->sendTextMessage(QString::fromUtf8(QJsonDocument(call).toJson(QJsonDocument::Compact)));
        Await([this] { return answer_.has_value(); }, 5000);
        return answer_.value_or(QString()).toStdString();
    }
    // The page laid out as a device of that size shows it, taken as a picture.
    void Screenshot(int width, int height, const std::string& path) {
        Call("Emulation.setDeviceMetricsOverride",
             {{"width", width}, {"height", height}, {"deviceScaleFactor", 1}, {"mobile", width < 800}});
        WriteFileBytes(path,
                       QByteArray::fromBase64(Call("Page.captureScreenshot", {}).c_str()).toStdString());
    }

private:
    // True once the page's DevTools link, named by chromium's DevTools port (a blocking GET), is open.
    bool Open() {
        int port = 0;
        if (devtools_) return devtools_->state() == QAbstractSocket::ConnectedState;
        if (!(std::ifstream(profile_ + "/DevToolsActivePort") >> port)) return false;
        QTcpSocket http;
        http.connectToHost("127.0.0.1", quint16(port));
        http.write("GET /json/list HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) +
                   "\r\nConnection: close\r\n\r\n");
        QByteArray got;
        while (http.waitForReadyRead(2000)) got += http.readAll();
        for (const QJsonValue& t : QJsonDocument::fromJson(got.mid(got.indexOf("\r\n\r\n") + 4)).array())
            if (t["type"].toString() == "page") {
                devtools_ = std::make_unique<QWebSocket>();
                QObject::connect(devtools_.get(), &QWebSocket::textMessageReceived, [this](const QString& m) {
                    const QJsonObject o = QJsonDocument::fromJson(m.toUtf8()).object();
                    const QJsonValue r = o["result"], data = r["data"];
                    if (o["id"].toInt() == asked_)
                        answer_ = (data.isString() ? data : r["result"]["value"]).toString();
                });
                devtools_->open(QUrl(t["webSocketDebuggerUrl"].toString()));
                break;
            }
        return false;
    }
    pid_t pid_ = -1;
    int asked_ = 0;
    std::string profile_;
    std::optional<QString> answer_;
    std::unique_ptr<QWebSocket> devtools_;
};

// The page as its DOM holds it: "lost", or the ring's colours and the two digits' segments.
const char* const kReadClock = R"JS(document.body.classList.contains('lost') ? 'lost' :
  Array.from(document.querySelectorAll('circle.dot'), e => e.getAttribute('fill')).join(',') + ' ' +
  [0, 1].map(d => Array.from(document.querySelectorAll('rect.seg[data-d="' + d + '"]'))
      .reduce((p, e) => p | (e.classList.contains('on') ? 1 << Number(e.dataset.s) : 0), 0)).join(' '))JS";
// The times table's last row as the page shows it.
const char* const kReadLastRow = R"JS(Array.from(document.querySelectorAll('#rows tr'),
  r => Array.from(r.cells, c => c.textContent).join('|')).pop() || '')JS";

// The program's clock at this moment, in the page's terms.
std::string ProgramClock() {
    QString s;
    for (int32_t c : SbQ31CrG.lights) s += QString::asprintf(",#%06x", Q31CouleurLumiere(c) & 0xFFFFFF);
    s += QString::asprintf(" %d %d", SbQ31CrG.digitB & 0x7F, SbQ31CrG.digitC & 0x7F);
    return s.mid(1).toStdString();
}

std::unique_ptr<Browser> browser;

// Reads the page until it shows what the program `expected`, for at most `ms`.
Step PageShows(const char* read, std::function<std::string()> expected, int ms, std::string what) {
    return Do([=] {
        const QJsonObject evaluate{{"expression", read}, {"returnByValue", true}};
        std::string shown;
        const auto same = [&] {
            shown = browser->Call("Runtime.evaluate", evaluate);
            return shown == expected();
        };
        EXPECT_TRUE(Await(same, ms)) << what << ": the page showed " << shown << ", not " << expected();
    });
}

const Step kConfirm = Answer("FSabGen.uir", fsabgen::POPUP, fsabgen::POPUP_VALIDER);
Step NoQuestion(std::function<bool()> also) {
    return [also] { return also() && !FindLoadedPanel("FSabGen.uir", fsabgen::POPUP) && !SbWaitOuvert(); };
}
bool Idle() {
    return Usable(MainPanel(), MAIN_PAGE_0) && !SbWaitOuvert();
}
Steps Send(const char* number, int sent) {
    static constexpr int kKeys[10] = {COMPET_KEY_0, COMPET_KEY_1, COMPET_KEY_2, COMPET_KEY_3, COMPET_KEY_4,
                                      COMPET_KEY_5, COMPET_KEY_6, COMPET_KEY_7, COMPET_KEY_8, COMPET_KEY_9};
    Steps steps;
    for (const char* d = number; *d; ++d) steps.push_back(Press(CompetitorPanel, kKeys[*d - '0']));
    Then(steps, {Press(CompetitorPanel, COMPET_KEY_ENTER), Press(CompetitorPanel, COMPET_CONFIRM),
                 NoQuestion([sent] { return TableRowCount(CompetitorPanel(), COMPET_SENT) == sent; })});
    return steps;
}
// Closes the run (confirmed), then downloads run 1 into the table.
Steps CloseAndDownload(int times) {
    Steps steps = {SetAndPress(Page(0), PAGE0_RUN_SWITCH, 0), kConfirm};
    Then(steps,
         {NoQuestion([] { return SbComG.run.current == 0; }), Press(Page(0), PAGE0_QUIT),
          Press(MainPanel, MAIN_PAGE_5), Fill(Page(5), {{PAGE5_RUN_NUM, 1}, {PAGE5_TARGET, 1}}),
          Press(Page(5), PAGE5_LOAD),
          Until([times] { return Q31FSetPageOuverte() == -1 && SbChronoNombre() == times; }), Passes(5)});
    return steps;
}
Strings Slice(const Strings& w, size_t from, size_t count) {
    return Strings(w.begin() + long(std::min(from, w.size())),
                   w.begin() + long(std::min(w.size(), from + count)));
}
// `count` impulses on one input, told to the stand-in at once.
Step Impulses(int count, int input) {
    std::string lines;
    for (int i = 0; i < count; ++i) lines += "impulse " + std::to_string(input) + "\n";
    return Tell(lines);
}

// Integers of a file image at literal offsets.
template <class T>
void ExpectAt(const std::string& bytes, std::vector<std::pair<size_t, int>> fields) {
    for (auto [offset, value] : fields) EXPECT_EQ(At<T>(bytes, offset), value) << "at " << offset;
}
// The export's header under the clock's run information.
std::string Header(const char* serial, const char* date, const char* start) {
    return std::string("   Serial number ") + serial + " \n            Mode SPLIT \n             Run 1 \n" +
           "       Precision 1/100 \n            Date " + date + " \n      Start time " + start + " \n\n";
}

enum class Clock { Simulated, Serial, Network };
constexpr const char* kClockNames[] = {"Simulated", "Serial", "Network"};

std::unique_ptr<StandinClock> standin;

int busyPort = 0, livePort = 0;  // another program's port, tried first; the one the live view gets

struct Seen {  // what the operator saw along the way
    Strings wireAfterConnect, afterTimes, afterRefresh, table, waiting, sent, chronos;
    std::string old;  // day two: the times kept from day one
} seen;

void LookAtTables() {
    seen.table = TableRows(MainPanel(), MAIN_TIMES_TABLE);
    seen.waiting = TableRows(CompetitorPanel(), COMPET_WAITING);
    seen.sent = TableRows(CompetitorPanel(), COMPET_SENT);
}

Steps Connect(Clock c) {
    return c == Clock::Serial    ? ConnectToCom5()
           : c == Clock::Network ? ConnectOverNetwork(standin->TcpPort())
                                 : Steps{SetAndPress(MainPanel, MAIN_CONNECT_SWITCH, 1),
                                         Answer("FQ31.uir", CONNECT, CONNECT_SIMULATION),
                                         Until([] { return SbComG.simulation == 1 && Idle(); })};
}

// The clock's own part of the race: the countdown with its input times and the marks.
Steps Countdown(Clock c) {
    Steps steps;
    if (c != Clock::Simulated) {
        Then(steps, {Passes(3), Tell("messages on"),
                     Until([] { return SbChronoQ31ItG.Type == 'I' && SbQ31CrG.status1; }), Tell("impulse 1"),
                     Until([] { return SbChronoNombre() == 3; })});
        Then(steps, Send("102", 2));
        Then(steps, {Tell("impulse 2"), Until([] { return SbChronoNombre() == 4; }), Tell("messages off"),
                     Tell("send &E 00"), Until(Idle),
                     Do([] { seen.afterTimes = TableRows(MainPanel(), MAIN_TIMES_TABLE); }),
                     ClickCell(MainPanel, MAIN_TIMES_TABLE, 4), Press(MainPanel, MAIN_TIMES_INVALID),
                     Until([] { return SbChronoLire(4)->Marque == 'X'; })});
        return steps;
    }
    // Armed at 10:20:40, counting from 10:21:00, zero at 10:21:30; the page followed from the start.
    Then(steps, {Do([] { browser = std::make_unique<Browser>(livePort); }),
                 PageShows(kReadClock, ProgramClock, 10000, "opened")});
    for (int second = 0; second < 4; ++second)
        Then(steps, {ManualTime::AdvanceTo(10, 21, second), Passes(2),
                     PageShows(kReadClock, ProgramClock, 1000, "10:21:0" + std::to_string(second))});
    // A false start ten seconds early: its rows reach the page's table.
    Then(steps,
         {ManualTime::AdvanceTo(10, 21, 20), Passes(2), Do([] {  // "10" in segments: ten seconds to go
              EXPECT_EQ(std::pair(Attr(Q31FIhmG, MAIN_DIGIT_LEFT), Attr(Q31FIhmG, MAIN_DIGIT_RIGHT)),
                        std::pair(6, 0x3F));
          }),
          Press(MainPanel, MAIN_INPUT_1), Until([] { return SbChronoNombre() == 3; }), Passes(2),
          PageShows(
              kReadLastRow, [] { return TableRows(MainPanel(), MAIN_TIMES_TABLE)[2]; }, 5000, "the new time"),
          Do([] {  // the README's pictures, as a phone and a TV show the page
              if (const char* shots = getenv("QS_LIVE_VIEW_SHOTS")) {
                  browser->Screenshot(390, 844, std::string(shots) + "/live-view-phone.png");
                  browser->Screenshot(1920, 1080, std::string(shots) + "/live-view-tv.png");
              }
              browser.reset();
          })});
    Then(steps, Send("102", 2));
    Then(steps, {ManualTime::AdvanceTo(10, 21, 31.5), Passes(2), Press(MainPanel, MAIN_INPUT_1),
                 Until([] { return SbChronoNombre() == 6; }), ManualTime::AdvanceTo(10, 21, 33.25), Passes(2),
                 Press(MainPanel, MAIN_INPUT_2), Until([] { return SbChronoNombre() == 7; }),
                 Press(MainPanel, MAIN_STOP),  // armed for the next minute: stopping disarms
                 Until([] { return SbQ31CrG.status1 == 0; }),
                 // The finish on input 2 invalid, the false start doubtful; a difference takes no mark.
                 ClickCell(MainPanel, MAIN_TIMES_TABLE, 7), Press(MainPanel, MAIN_TIMES_INVALID),
                 ClickCell(MainPanel, MAIN_TIMES_TABLE, 1), Press(MainPanel, MAIN_TIMES_DOUBTFUL),
                 ClickCell(MainPanel, MAIN_TIMES_TABLE, 3), Press(MainPanel, MAIN_TIMES_INVALID), Passes(2)});
    return steps;
}

// The programs page's fields for a start every `interval` seconds with a countdown of
// `countdown`, aligned on the minute, beeps at -10 and from -5, amber then green.
std::vector<std::pair<int, int>> RaceProgram(int interval, int countdown) {
    return {{PAGE3_F102, interval}, {PAGE3_F103, countdown}, {PAGE3_F104, 60}, {PAGE3_F105, 0},
            {PAGE3_F107, -10},      {PAGE3_F108, -5},        {PAGE3_F109, 0},  {PAGE3_F110, -5},
            {PAGE3_F111, -10},      {PAGE3_F112, 0},         {PAGE3_FLAG, 0}};
}

Steps RaceDay(Clock c) {
    const bool sim = c == Clock::Simulated;
    const PanelFn live = Loaded("FQ31.uir", LIVE), params = Loaded("FQ31.uir", PARAMS);
    Steps steps;
    if (sim)  // the live view switched on, first on the busy port: refused, told why; its key cleaned
        Then(steps,
             {Press(MainPanel, MAIN_PARAMS), Press(params, PARAMS_LIVE_VIEW),
              Fill(live, {{LIVE_ENABLE, 1}, {LIVE_PORT, busyPort}}),
              Do([live] { SetCtrlVal(live(), LIVE_KEY, "r@ce 1"); }), Press(live, LIVE_OK),
              Until([live] { return Text(live(), LIVE_STATUS) == Q31TxtMesG[kMesLiveInUse]; }),
              Fill(live, {{LIVE_PORT, livePort}}), Press(live, LIVE_OK),
              Until([live] { return live() == 0 && WebServerPort() != 0; }), Press(params, PARAMS_OK)});

    Then(steps, Connect(c));
    if (!sim)  // the clock streams its running program: have it stop, so the pages are offered
        Then(steps, {Do([] { seen.wireAfterConnect = standin->Wire(); }), Tell("messages off"),
                     Tell("send &E 00"), Until(Idle)});
    // SPLIT (the numbers reach the clock), synchronised, program 0 on the minute, general page read, a run.
    Then(steps, {Press(MainPanel, MAIN_PAGE_2), SetAndPress(Page(2), PAGE2_MODE, 1), Press(Page(2), PAGE2_OK),
                 Press(Page(2), PAGE2_QUIT), Press(MainPanel, MAIN_PAGE_1),
                 SetAndPress(Page(1), sim ? PAGE1_SYNC_COMPUTER : PAGE1_SYNC_PRESET, 1),
                 Fill(Page(1), {{PAGE1_HOUR, 9}, {PAGE1_MINUTE, 30}, {PAGE1_DAY, 6}, {PAGE1_MONTH, 12}}),
                 Fill(Page(1), {{PAGE1_YEAR, 26}, {PAGE1_TIMEZONE, 19}}), Press(Page(1), PAGE1_OK),
                 Press(Page(1), PAGE1_QUIT), Press(MainPanel, MAIN_PAGE_3),
                 Fill(Page(3), sim ? RaceProgram(60, 30) : RaceProgram(30, 20)), Press(Page(3), PAGE3_OK),
                 Press(Page(3), PAGE3_QUIT), Press(MainPanel, MAIN_PAGE_4), Press(Page(4), PAGE4_QUIT),
                 Press(MainPanel, MAIN_PAGE_0), SetAndPress(Page(0), PAGE0_RUN_SWITCH, 1),
                 Until([] { return SbComG.run.current == 1 && !SbWaitOuvert(); }), Press(Page(0), PAGE0_QUIT),
                 // Competitors from the spreadsheet, the nation in column D; the first one sent.
                 SetAndPress(MainPanel, MAIN_Q12_SWITCH, 1), Press(CompetitorPanel, COMPET_IMPORT),
                 Fill(Loaded("FQ12.uir", IMPORT), {{IMPORT_COL_TEXT3, 'D'}}),
                 Answer("FQ12.uir", IMPORT, IMPORT_CONFIRM),
                 Until([] { return TableRowCount(CompetitorPanel(), COMPET_WAITING) == 3; })});
    Then(steps, Send("101", 1));
    Then(steps, {Press(MainPanel, MAIN_START)});
    Then(steps, Countdown(c));
    // Saved (text and binary) under a name typed without extension in the real file dialog.
    Then(steps, {TypeInFileDialog("Course1"), Press(MainPanel, MAIN_TIMES_SAVE),
                 Until([] { return FileSize(kCourse) > 0 && !QApplication::activeModalWidget(); })});
    if (sim)  // the announcer wants French: the printed text follows; no printer here, so a PDF
        Then(steps,
             {Press(MainPanel, MAIN_PARAMS), Fill(params, {{PARAMS_LANGUAGE, 1}}), Press(params, PARAMS_OK),
              Until([params] { return !params() && Q31G.language == 1; }), Press(MainPanel, MAIN_TIMES_PRINT),
              kConfirm, Until([] { return FileSize("Times.pdf") > 0; })});
    else  // the run asked for again: the table holds what the clock sends back
        Then(steps, {Press(MainPanel, MAIN_TIMES_REFRESH), kConfirm,
                     NoQuestion([] { return SbChronoNombre() == 2; }), Passes(5),
                     Do([] { seen.afterRefresh = TableRows(MainPanel(), MAIN_TIMES_TABLE); })});
    // The run closed and downloaded; the simulated clock has no memory: its times come from the file.
    Then(steps, {Press(MainPanel, MAIN_PAGE_0)});
    Then(steps, CloseAndDownload(sim ? 0 : 2));
    if (sim) Then(steps, {Press(MainPanel, MAIN_TIMES_LOAD), Until([] { return SbChronoNombre() == 7; })});
    Then(steps, {Do(LookAtTables), Do([] { EXPECT_EQ(SbComErreur(), 0); }),
                 SetAndPress(MainPanel, MAIN_CONNECT_SWITCH, 0), kConfirm,
                 NoQuestion([] { return SbComG.linkState == 0 && SbComG.simulation == 0; }),
                 Press(MainPanel, MAIN_QUIT), kConfirm});
    return steps;
}

// Day two: started again in the same folder, connected the same way; yesterday's lists, program, times.
Steps DayTwo(Clock c) {
    Steps steps = {Until([] { return MainPanel() > 0; }), Do([] {
                       seen.chronos = FilesIn("Chronos");
                       for (const std::string& f : seen.chronos)
                           if (f.rfind("Chrono_", 0) == 0) seen.old = f;
                       PickFiles({"Chronos/" + seen.old});
                   })};
    if (c == Clock::Simulated) {  // the live view switched on the day before is up again, on its port
        Then(steps, {Until([] { return WebServerPort() == livePort; })});
        Then(steps, Connect(c));
    } else {  // the link record remembers the port or the address
        Then(steps,
             {SetAndPress(MainPanel, MAIN_CONNECT_SWITCH, 1),
              Press(Loaded("FQ31.uir", CONNECT), c == Clock::Serial ? CONNECT_CONNECT : CONNECT_CONNECT2),
              Until([] { return SbComG.linkState != 0 && Idle(); })});
    }
    // Yesterday's lists and times; quit while connected: the link closes before the record is saved.
    Then(steps, {SetAndPress(MainPanel, MAIN_Q12_SWITCH, 1),
                 Until([] { return Usable(CompetitorPanel(), COMPET_KEY_ENTER); }),
                 Press(MainPanel, MAIN_TIMES_LOAD), Until([] { return SbChronoNombre() > 0; }), Passes(5),
                 Do(LookAtTables), Press(MainPanel, MAIN_QUIT), kConfirm});
    return steps;
}

class RaceOnEveryClock : public ::testing::TestWithParam<Clock> {};

// The simulated race to the byte: the table, the text exported and printed, the times file and store.
void ExpectSimulatedRace(const std::string& cnf) {
    // Each channel-1 time with the reference start and its difference, with the marks.
    EXPECT_EQ(seen.table,
              (Strings{" !|  101|M1| 10 : 21 : 20.00", "IT| |  | 10 : 21 : 30.00", "DT| | -| 00 : 00 : 10.00",
                       "  |  102|M1| 10 : 21 : 31.50", "IT| |  | 10 : 21 : 30.00", "DT| | +| 00 : 00 : 01.50",
                       " X|  102|M2| 10 : 21 : 33.25", "|||", "|||"}));
    const std::string table =
        "|----------------------------------|\n"
        "|    |  N\xB0  |  C |            Time |\n"
        "|----------------------------------|\n"
        "|  ! |  101 | M1 |  10:21:20.00000 |\n"
        "| IT |      |    |  10:21:30.00000 |\n"
        "| DT |      |  - |  00:00:10.00000 |\n"
        "|    |  102 | M1 |  10:21:31.50000 |\n"
        "| IT |      |    |  10:21:30.00000 |\n"
        "| DT |      |  + |  00:00:01.50000 |\n"
        "|  X |  102 | M2 |  10:21:33.25000 |\n"
        "|----------------------------------|\n";
    EXPECT_EQ(ReadFileBytes("Chronos/Course1.txt"), Header("00000", "01/01/00", "10:20:40") + table);
    const std::string enTete =
        "     N\xB0 de s\xE9rie 00000 \n            Mode SPLIT \n          Manche 1 \n       Pr\xE9"
        "cision 1/100 \n            Date 01/01/00 \n    Heure d\xE9part 10:20:40 \n\n";
    std::string tableau = table;
    tableau.replace(tableau.find("            Time"), 16, "           Temps");
    EXPECT_EQ(ReadFileBytes("Chronos/Chrono.txt"), enTete + tableau);  // printed in French
    EXPECT_EQ(ReadFileBytes("Times.pdf").rfind("%PDF", 0), 0u);
    Strings fields;  // every field: competitor, number, time, complement, type, mark, channel
    for (const SbChronoRec& t : TimesIn(kCourse))
        fields.push_back(QString::asprintf("%d %d %02d:%02d:%02d.%05d %d %c%c%c%c", t.Concurrent, t.Numero,
                                           t.Heures, t.Minutes, t.Secondes, t.Fraction, t.Complement, t.Type,
                                           t.Marque, t.Qualif, t.Canal)
                             .toStdString());
    EXPECT_EQ(fields, (Strings{"101 1 10:21:20.00000 0 T!M1", "0 0 10:21:30.00000 0 IT  ",
                               "0 0 00:00:10.00000 0 DT -", "102 2 10:21:31.50000 0 TNM1",
                               "0 0 10:21:30.00000 0 IT  ", "0 0 00:00:01.50000 0 DT +",
                               "102 1 10:21:33.25000 0 TXM2"}));
    // The application record: French; the competitor last sent; the times counted on inputs 1 and 2.
    ASSERT_EQ(cnf.size(), 2096u);
    EXPECT_EQ(At<uint8_t>(cnf, 0), 1);
    ExpectAt<int32_t>(cnf, {{2076, 102}, {2080, 2}, {2084, 1}});
}

// The race against the stand-in: every command on the wire in order; the times; the link record.
void ExpectRaceOnTheWire(const std::string& link, bool serial) {
    const Strings connect = {"SN",     "RP 003", "RP 002",   "RP 010",   "RP 101",   "RP 105 00",
                             "RP 001", "RP 008", "RP 028 1", "RP 028 2", "RP 028 3", "EE 1"};
    EXPECT_EQ(seen.wireAfterConnect, connect);
    const Strings settings = {
        // the timing mode read, then SPLIT; the synchronisation read, then the zone and the preset time
        "RP 002", "WC 003 01", "RP 010", "RP 009", "WP 009 19", "WC 007 02 09:30 06/12/26",
        // the current program number and program 0 read, then program 0 written
        "RP 101", "RP 102 00", "RP 103 00", "RP 104 00", "RP 105 00", "RP 107 00", "RP 108 00", "RP 109 00",
        "RP 110 00", "RP 111 00", "RP 112 00", "RP 113 00", "WP 102 00 0030", "WP 103 00 0020",
        "WP 104 00 60", "WP 105 00 00", "WP 107 00 246", "WP 108 00 251", "WP 109 00 000", "WP 110 00 251",
        "WP 111 00 246", "WP 112 00 000", "WP 113 00 00",
        // the general parameters read only
        "RP 001", "RP 004 01", "RP 005 01", "RP 006 01", "RP 004 02", "RP 005 02", "RP 006 02", "RP 023",
        "RP 007", "RP 029", "RP 016", "RP 017", "RP 021", "RP 012", "RP 008",
        // a new run read back; two competitors sent around the start key; the run asked for again,
        // closed, read back and downloaded
        "RP 003", "WC 002", "RP 003", "WP 026 01  101", "WC 009 01000", "WP 026 01  102", "DL 01", "RP 003",
        "WC 001", "RP 003", "WC 012 01 0001"};
    EXPECT_EQ(Slice(standin->Wire(), connect.size(), settings.size() + 1), settings);  // nothing after
    // The start with its reference and difference, the input-2 time alone with its mark, numbered.
    ASSERT_EQ(seen.afterTimes.size(), 6u);
    const std::vector<SbChronoRec> t = TimesIn(kCourse);
    ASSERT_EQ(t.size(), 4u);
    EXPECT_EQ(std::tuple(t[0].Type, t[0].Marque, t[0].Canal, t[1].Type, t[2].Type, t[3].Type, t[3].Marque),
              std::tuple('T', '=', '1', 'I', 'D', 'T', 'X'));
    EXPECT_EQ(t[3].Canal, '2');
    EXPECT_EQ(ReadFileBytes("Chronos/Course1.txt").rfind(Header("01234", "07/10/11", "09:05:00"), 0), 0u);
    // The run as the clock keeps it (the mark was this program's): with no program running now,
    // the start comes alone; asked again or downloaded, the same.
    EXPECT_EQ(seen.table, (Strings{seen.afterTimes[0], seen.afterTimes[3], "|||", "|||"}));
    EXPECT_EQ(seen.afterRefresh, seen.table);
    // The link record: COM5 or the TCP port and address; the clock's serial number, the preset
    // time 09:30 06/12/26, the download target (this program); the clock's name and version.
    EXPECT_EQ(At<int32_t>(link, serial ? 8 : 296), serial ? 5 : standin->TcpPort());
    ExpectAt<int32_t>(link, {{328, 1234}, {420, 9}, {424, 30}, {428, 6}, {432, 12}, {436, 26}, {620, 1}});
    if (!serial) EXPECT_EQ(CString(link, 312, 16), "127.0.0.1");
    EXPECT_EQ(std::tuple(CString(link, 332, 8), CString(link, 340, 8)), std::tuple("QS310", "V110"));
}

}  // namespace

TEST_P(RaceOnEveryClock, FromConnectionToRestartWithEverythingKept) {
    const Clock c = GetParam();
    const bool sim = c == Clock::Simulated, serial = c == Clock::Serial;
    TempProgramDir dir;
    std::optional<ManualTime> time;
    if (sim) time.emplace(10, 20, 40);
    if (!sim) standin = std::make_unique<StandinClock>(dir, Strings{"--time-scale", "8", "--tcp", "0"});
    ASSERT_TRUE(sim || standin->Running());
    ASSERT_TRUE(!sim || access(kChromium, X_OK) == 0) << "no chromium: scripts/setup-deps.sh installs it";
    QTcpServer holder, probe;  // another program on the port the operator tries first; a free port
    ASSERT_TRUE(holder.listen(QHostAddress::Any) && probe.listen(QHostAddress::LocalHost));
    busyPort = holder.serverPort();
    livePort = probe.serverPort();
    probe.close();
    InstallHooks();
    WriteFileBytes("Entries.csv",  // as spreadsheet programs save it, in UTF-8
                   "Bib,Name,Club,Nation\n101,Anna Berg,SC Nord,NOR\n102,Zoë Ébrard,CS Vercors,FRA\n"
                   "103,Luca Rossi,SC Gardena,ITA\n");
    WriteFileBytes("Times.pdf", "");  // an earlier print of that name, printed over
    PickFiles({"Entries.csv", "Times.pdf", kCourse});
    seen = {};
    const Steps day = RaceDay(c);
    ASSERT_EQ(RunProgram(day, 20000), day.size());
    const Seen day1 = seen;
    EXPECT_EQ(seen.waiting, Strings{"103|Luca Rossi|SC Gardena|ITA"});
    EXPECT_EQ(seen.sent, (Strings{"101|Anna Berg|SC Nord|NOR", "102|Zo\353 \311brard|CS Vercors|FRA"}));
    const std::string store = ReadFileBytes(kStore), lists = ReadFileBytes("Courant.q12ct"),
                      q12cnf = ReadFileBytes("QS-120_V1-0.q12cnf"), link = ReadFileBytes("QS-310_V1-1.sbcnf");
    // The list (number, sent flag) and the sent list (count at 180004) of 180-byte records.
    ASSERT_EQ(lists.size(), 360008u);
    ExpectAt<int32_t>(lists,
                      {{0, 3}, {4, 101}, {184, 102}, {364, 103}, {180004, 2}, {180008, 101}, {180188, 102}});
    ExpectAt<uint8_t>(lists, {{12, 1}, {192, 1}, {372, 0}, {180016, 1}, {180196, 1}});
    ASSERT_EQ(q12cnf.size(), 284u);
    EXPECT_EQ(q12cnf[20], 'D');  // the third text's column chosen in the dialog
    // The link record: closed and out of simulation, no run open, SPLIT, the time zone, and
    // program 0 (parameters 102, 104, 105, 103, 112, 110, 111, 107, 108, 109).
    ASSERT_EQ(link.size(), 6216u);
    EXPECT_EQ(At<uint16_t>(link, 0), 0);
    const int interval = sim ? 60 : 30, countdown = sim ? 30 : 20;
    ExpectAt<int32_t>(link, {{348, 0}, {384, 1}, {440, 19}, {652, interval}, {656, 60}, {660, 0}, {692, 0}});
    ExpectAt<int32_t>(link, {{668, countdown}, {672, 0}, {676, -5}, {680, -10}, {684, -10}, {688, -5}});
    if (sim)
        ExpectSimulatedRace(ReadFileBytes("QS-310_V1-1.q31cnf"));
    else
        ExpectRaceOnTheWire(link, serial);

    ForgetEverything();
    const size_t wireBefore = sim ? 0 : standin->Wire().size();
    const Steps again = DayTwo(c);
    ASSERT_EQ(RunProgram(again, 8000), again.size());
    // The times of the day before are kept under a name of their own; the store starts empty.
    Strings files = {"Chrono.q31tps", "Chrono.txt", seen.old, "Course1.q31tps", "Course1.txt"};
    if (!sim) files.erase(files.begin() + 1);  // printed only on the simulated clock
    EXPECT_EQ(seen.chronos, files);
    EXPECT_EQ(ReadFileBytes("Chronos/" + seen.old), store);
    EXPECT_EQ(std::tie(seen.table, seen.waiting, seen.sent), std::tie(day1.table, day1.waiting, day1.sent));
    EXPECT_EQ(ReadFileBytes("QS-120_V1-0.q12cnf"), q12cnf);
    if (!sim) {  // connected again the same way, the link record kept; the day's wire journal
        EXPECT_EQ(Slice(standin->Wire(), wireBefore, seen.wireAfterConnect.size()), seen.wireAfterConnect);
        EXPECT_EQ(ReadFileBytes("QS-310_V1-1.sbcnf"), link);
        const Strings journal = FilesIn("Logs");
        ASSERT_EQ(journal.size(), 1u);
        const std::string wire = ReadFileBytes("Logs/" + journal[0]);
        const std::string opened = serial ? "* COM5 opened at 9600 bit/s\n" : "* connected to 127.0.0.1:";
        EXPECT_NE(wire.find(opened), wire.rfind(opened)) << wire.substr(0, 400);  // on both days
    }
    standin.reset();
    RemoveHooks();
}

INSTANTIATE_TEST_SUITE_P(Clocks, RaceOnEveryClock,
                         ::testing::Values(Clock::Simulated, Clock::Serial, Clock::Network),
                         [](const auto& p) { return std::string(kClockNames[p.index]); });

// The clock's speed changed from the general page: the port reopened at the new speed. Then 500 times
// in a burst, the first twenty while the operator is asked whether to close the run: none lost on the
// way to the table and "Chronos", each once, in order, on its channel; downloaded again, the same.
TEST(BusyLine, ASpeedChangeAndABurstLoseNoTime) {
    constexpr int kTimes = 500;
    TempProgramDir dir;
    StandinClock clock(dir);
    ASSERT_TRUE(clock.Running());
    InstallHooks();
    static std::string afterBurst;
    static Strings speedWire;
    Steps steps = ConnectToCom5();
    // 38,400 bit/s written from the general page; then another page read at the new speed.
    Then(steps, {Tell("messages off"), Tell("send &E 00"), Press(MainPanel, MAIN_PAGE_4),
                 Fill(Page(4), {{PAGE4_SPEED, 3}}), Press(Page(4), PAGE4_OK),
                 Until([] { return SbComG.speed == 38400 && !SbWaitOuvert(); }), Press(Page(4), PAGE4_QUIT),
                 Press(MainPanel, MAIN_PAGE_2), Press(Page(2), PAGE2_QUIT), Until(Idle),
                 Do([&clock] { speedWire = clock.Wire(); })});
    // A run opened, and the question to close it cancelled once twenty times have come meanwhile.
    Then(steps, {Press(MainPanel, MAIN_PAGE_0), SetAndPress(Page(0), PAGE0_RUN_SWITCH, 1),
                 Until([] { return SbComG.run.current == 1 && !SbWaitOuvert(); }),
                 SetAndPress(Page(0), PAGE0_RUN_SWITCH, 0),
                 Until([] { return FindLoadedPanel("FSabGen.uir", fsabgen::POPUP) > 0; }), Impulses(20, 2),
                 Until([] { return SbChronoNombre() == 20; }),
                 Answer("FSabGen.uir", fsabgen::POPUP, fsabgen::POPUP_ANNULER),
                 NoQuestion([] { return true; }), Impulses(kTimes - 20, 1),
                 Until([] { return SbChronoNombre() == kTimes && ReadFileBytes(kStore) == Stored(); }),
                 Do([] { afterBurst = Stored(); })});
    Then(steps, CloseAndDownload(kTimes));
    Then(steps, {Do([] { EXPECT_EQ(SbComErreur(), 0); }), Press(MainPanel, MAIN_QUIT), kConfirm});
    ASSERT_EQ(RunProgram(steps), steps.size());
    // The speed written last, the port reopened, the next page read at the new speed; the speed kept.
    EXPECT_EQ(Slice(speedWire, speedWire.size() - 3, 3), (Strings{"WP 016 3", "SN", "RP 002"}));
    ExpectAt<int32_t>(ReadFileBytes("QS-310_V1-1.sbcnf"), {{12, 38400}, {476, 3}});
    // Downloaded, the same times, kept in "Chronos" at exit.
    EXPECT_EQ(ReadFileBytes(kStore), afterBurst);
    const std::vector<SbChronoRec> t = TimesIn(kStore);
    for (size_t i = 0; i < t.size(); ++i)
        ASSERT_EQ(std::tuple(t[i].Type, t[i].Canal, t[i].Numero),
                  std::tuple('T', i < 20 ? '2' : '1', t[0].Numero + int(i)))
            << "time " << i + 1;
    RemoveHooks();
}
