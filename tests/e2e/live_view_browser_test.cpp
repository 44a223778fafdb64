// The live view in a real browser: the program runs a simulated countdown with the
// live view switched on, headless chromium opens the page as a phone and as a TV
// would, and the rendered page is read back: the digits and the ring follow the
// program second by second, and a time given on an input appears in its table.
// The program's clock is driven by hand, one second at a time; the page is given one
// second of real time to show each.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/LiveView.h"
#include "app/Q31Aff.h"
#include "chrono/SbChrono.h"
#include "panels/FQ31.h"
#include "panels/FSabGen.h"
#include "platform/WebServer.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "tests/e2e/Browser.h"
#include "tests/runner/Operator.h"
#include "tests/runner/Race.h"
#include "tests/support/TestSupport.h"
#include "ui/Texts.h"

using namespace fq31;
using namespace e2e;

namespace {

// What the page shows, as its DOM holds it.
const char* const kReadPage = R"JS(JSON.stringify({
  lost: document.body.classList.contains('lost'),
  dots: Array.from(document.querySelectorAll('circle.dot'), e => e.getAttribute('fill')),
  digits: [0, 1].map(d => Array.from(document.querySelectorAll('rect.seg[data-d="' + d + '"]'))
      .reduce((p, e) => p | (e.classList.contains('on') ? 1 << Number(e.dataset.s) : 0), 0)),
  rows: Array.from(document.querySelectorAll('#rows tr'), r => Array.from(r.cells, c => c.textContent).join('|'))
}))JS";

struct Shown {
    bool lost = true;
    std::string dots[60];
    int digits[2] = {-1, -1};
    Strings rows;
};

Shown Parse(const std::string& json) {
    const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(json)).object();
    Shown p;
    p.lost = o[QStringLiteral("lost")].toBool(true);
    const QJsonArray dots = o[QStringLiteral("dots")].toArray();
    for (int i = 0; i < 60 && i < dots.size(); ++i) p.dots[i] = dots[i].toString().toStdString();
    for (int d = 0; d < 2; ++d) p.digits[d] = o[QStringLiteral("digits")][d].toInt(-1);
    for (const QJsonValue& r : o[QStringLiteral("rows")].toArray())
        p.rows.push_back(r.toString().toStdString());
    return p;
}

std::string Hex(int rgb) {
    char s[8];
    snprintf(s, sizeof s, "#%06x", rgb & 0xFFFFFF);
    return s;
}

// What the program shows at this moment, in the page's terms.
Shown Program() {
    Shown p;
    p.lost = false;
    for (int i = 0; i < 60; ++i) p.dots[i] = Hex(Q31CouleurLumiere(SbQ31CrG.lights[size_t(i)]));
    p.digits[0] = SbQ31CrG.digitB & 0x7F;
    p.digits[1] = SbQ31CrG.digitC & 0x7F;
    return p;
}

bool SameClock(const Shown& a, const Shown& b) {
    if (a.lost != b.lost || a.digits[0] != b.digits[0] || a.digits[1] != b.digits[1]) return false;
    for (int i = 0; i < 60; ++i)
        if (a.dots[i] != b.dots[i]) return false;
    return true;
}

int FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    close(fd);
    return ntohs(a.sin_port);
}

using Clock = std::chrono::steady_clock;

struct Viewer {
    const char* name;
    int width, height;
    std::unique_ptr<HeadlessBrowser> browser;
    Shown seen;
};

struct Run {
    std::string url;
    Viewer viewers[2] = {{"phone", 390, 844, nullptr, {}}, {"tv", 1920, 1080, nullptr, {}}};
    int secondsFollowed = 0, secondsLate = 0;
    std::string lateDetail;
    std::string lastRow;
} run;

// Reads every page until `match` holds for each, or `seconds` of real time have gone.
Step ReadPagesUntil(std::function<bool(const Shown&)> match, double seconds, bool* inTime) {
    auto start = std::make_shared<Clock::time_point>();
    auto matched = std::make_shared<int>(0);
    return [=] {
        if (*start == Clock::time_point{}) *start = Clock::now(), *matched = 0;
        for (Viewer& v : run.viewers) {
            if (*matched & (1 << (&v - run.viewers))) continue;
            if (v.browser->Answered() && !v.browser->Answer().empty()) {
                v.seen = Parse(v.browser->Answer());
                if (match(v.seen)) *matched |= 1 << (&v - run.viewers);
            }
            v.browser->Ask(kReadPage);
        }
        const bool all = *matched == 3;
        if (!all && Clock::now() - *start < std::chrono::duration<double>(seconds)) return false;
        *inTime = all;
        *start = Clock::time_point{};
        return true;
    };
}

// One second of the countdown: the program moves on a second, then each page must
// show the program's digits and ring within one second of real time.
Steps FollowSecond(int minute, int second) {
    auto inTime = std::make_shared<bool>(false);
    auto expected = std::make_shared<Shown>();
    return {
        ManualTime::AdvanceTo(10, minute, second),
        Passes(2),
        Do([expected] { *expected = Program(); }),
        ReadPagesUntil([expected](const Shown& p) { return SameClock(p, *expected); }, 1.0, inTime.get()),
        Do([inTime, expected, minute, second] {
            if (*inTime) return void(++run.secondsFollowed);
            ++run.secondsLate;
            for (const Viewer& v : run.viewers)
                if (!SameClock(v.seen, *expected))
                    run.lateDetail +=
                        std::string(v.name) + " at 10:" + std::to_string(minute) + ":" +
                        std::to_string(second) + " showed digits " + std::to_string(v.seen.digits[0]) + "/" +
                        std::to_string(v.seen.digits[1]) + " for " + std::to_string(expected->digits[0]) +
                        "/" + std::to_string(expected->digits[1]) + "; ";
        }),
    };
}

Steps Race() {
    auto main = [] { return MainPanel(); };
    Steps steps = {
        Until([] { return MainPanel() > 0; }),
        SetAndPress(main, MAIN_CONNECT_SWITCH, 1),
        Answer("FQ31.uir", CONNECT, CONNECT_SIMULATION),
        Until([] { return SbComG.simulation == 1 && !FindLoadedPanel("FQ31.uir", CONNECT); }),
        Press(main, MAIN_PAGE_1),
        SetAndPress(Page(1), PAGE1_SYNC_COMPUTER, 1),
        Fill(Page(1), {{PAGE1_TIMEZONE, 19}}),
        Press(Page(1), PAGE1_OK),
        Press(Page(1), PAGE1_QUIT),
        Press(main, MAIN_PAGE_3),
        Fill(Page(3), RaceProgram(60, 30)),
        Press(Page(3), PAGE3_OK),
        Press(Page(3), PAGE3_QUIT),
        Press(main, MAIN_START),
        // The pages open while the clock is armed, and catch up with the whole state.
        Do([] {
            for (Viewer& v : run.viewers)
                v.browser = std::make_unique<HeadlessBrowser>(run.url, v.width, v.height);
        }),
        Until([] { return run.viewers[0].browser->Ready() && run.viewers[1].browser->Ready(); }),
    };
    auto opened = std::make_shared<bool>(false);
    steps.push_back(ReadPagesUntil([](const Shown& p) { return !p.lost; }, 30, opened.get()));
    steps.push_back(Until([opened] { return *opened; }));
    // The countdown starts at 10:21:00: eight of its seconds, one by one.
    for (int s = 0; s < 8; ++s) Then(steps, FollowSecond(21, s));
    Then(steps, {
                    Press(main, MAIN_INPUT_1),
                    Until([] { return SbChronoNombre() >= 1; }),
                    Passes(2),
                    Do([] {
                        const Strings rows = TableRows(MainPanel(), MAIN_TIMES_TABLE);
                        for (const std::string& r : rows)
                            if (r != "|||") run.lastRow = r;
                    }),
                });
    auto rowShown = std::make_shared<bool>(false);
    steps.push_back(ReadPagesUntil(
        [](const Shown& p) { return !p.rows.empty() && p.rows.back() == run.lastRow; }, 5, rowShown.get()));
    Then(steps,
         {
             Do([rowShown] {
                 EXPECT_TRUE(*rowShown)
                     << "phone: "
                     << (run.viewers[0].seen.rows.empty() ? "no row" : run.viewers[0].seen.rows.back())
                     << ", tv: "
                     << (run.viewers[1].seen.rows.empty() ? "no row" : run.viewers[1].seen.rows.back());
                 if (const char* shots = getenv("QS_LIVE_VIEW_SHOTS"))
                     for (Viewer& v : run.viewers)
                         v.browser->Screenshot(std::string(shots) + "/live-view-" + v.name + ".png");
                 for (Viewer& v : run.viewers) v.browser.reset();
             }),
             Press(main, MAIN_QUIT),
             Answer("FSabGen.uir", fsabgen::POPUP, fsabgen::POPUP_VALIDER),
         });
    return steps;
}

}  // namespace

TEST(LiveViewInABrowser, FollowsTheCountdownAndShowsANewTime) {
    ASSERT_TRUE(BrowserInstalled()) << "chromium is missing: scripts/setup-deps.sh installs it";
    qstest::TempProgramDir dir;
    InstallHooks();
    const int port = FreePort();
    qstest::WriteFileBytes("QS310Manager.ini", "[LiveView]\nenabled=1\nport=" + std::to_string(port) +
                                                   "\naddress=127.0.0.1\nkey=race1\n");
    run.url = "http://127.0.0.1:" + std::to_string(port) + "/race1/";
    ManualTime time(10, 20, 40);
    Steps steps = Race();
    const size_t count = steps.size();
    EXPECT_EQ(RunProgram(std::move(steps), 20000), count);
    EXPECT_TRUE(MessagesSeen().empty()) << MessagesSeen().front();
    EXPECT_EQ(run.secondsFollowed, 8) << run.lateDetail;
    EXPECT_EQ(run.secondsLate, 0);
    EXPECT_FALSE(run.lastRow.empty());
    for (Viewer& v : run.viewers) v.browser.reset();
}

// The operator switches the live view on from the options: a port another program holds
// is refused with the reason in the dialog, which stays open; a free one is taken, kept
// in the program folder's settings file, and the server listens on it.
TEST(LiveViewDialog, APortInUseIsToldAndAnotherTaken) {
    qstest::TempProgramDir dir;
    InstallHooks();
    const int busy = FreePort(), free = FreePort();
    const int holder = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(busy));
    ASSERT_EQ(bind(holder, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(listen(holder, 1), 0);
    auto live = [] { return FindLoadedPanel("FQ31.uir", LIVE); };
    auto params = Loaded("FQ31.uir", PARAMS);
    struct {
        std::string status, url;
        int port = 0;
    } seen;
    Steps steps = {
        Until([] { return MainPanel() > 0; }),
        Press([] { return MainPanel(); }, MAIN_PARAMS),
        Press(params, PARAMS_LIVE_VIEW),
        Fill(live, {{LIVE_ENABLE, 1}, {LIVE_PORT, busy}}),
        Do([live] { SetCtrlVal(live(), LIVE_KEY, "r@ce 1"); }),
        Press(live, LIVE_OK),
        Until([live, &seen] {
            seen.status = Text(live(), LIVE_STATUS);
            return seen.status == Q31TxtMesG[kMesLiveInUse];
        }),
        Do([live, &seen] { seen.url = Text(live(), LIVE_URL); }),
        Fill(live, {{LIVE_PORT, free}}),
        Press(live, LIVE_OK),
        Until([] { return FindLoadedPanel("FQ31.uir", LIVE) == 0; }),
        Do([&seen] { seen.port = WebServerPort(); }),
        Press(params, PARAMS_OK),
        Until([] { return FindLoadedPanel("FQ31.uir", PARAMS) == 0; }),
        Press([] { return MainPanel(); }, MAIN_QUIT),
        Answer("FSabGen.uir", fsabgen::POPUP, fsabgen::POPUP_VALIDER),
    };
    const size_t count = steps.size();
    EXPECT_EQ(RunProgram(std::move(steps)), count);
    close(holder);
    EXPECT_EQ(seen.status, Q31TxtMesG[kMesLiveInUse]);
    const std::string tail = ":" + std::to_string(busy) + "/rce1/";  // the key keeps letters and digits
    EXPECT_EQ(seen.url.substr(seen.url.size() - std::min(seen.url.size(), tail.size())), tail) << seen.url;
    EXPECT_EQ(seen.port, free);
    const std::string ini = qstest::ReadFileBytes("QS310Manager.ini");
    for (const std::string& line :
         {std::string("enabled=1"), "port=" + std::to_string(free), std::string("key=rce1")})
        EXPECT_NE(ini.find(line), std::string::npos) << ini;
    EXPECT_EQ(WebServerPort(), 0);  // stopped when the program ended
}
