// The live view in a real browser: the program runs a simulated countdown with the live
// view switched on, headless chromium opens the page as a phone and as a TV would, and the
// rendered page is read back: the digits and the ring follow the program second by second
// (each given one second of real time), and a time given on an input appears in its table.
// The operator switches the view on from the options, first on a port already taken.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
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

// The page as its DOM holds it: "lost", or the ring's colours and the two digits' segments;
// then the times table's last row.
const char* const kReadPage = R"JS([document.body.classList.contains('lost') ? 'lost' :
  Array.from(document.querySelectorAll('circle.dot'), e => e.getAttribute('fill')).join(',') + ' ' +
  [0, 1].map(d => Array.from(document.querySelectorAll('rect.seg[data-d="' + d + '"]'))
      .reduce((p, e) => p | (e.classList.contains('on') ? 1 << Number(e.dataset.s) : 0), 0)).join(' '),
  Array.from(document.querySelectorAll('#rows tr'), r => Array.from(r.cells, c => c.textContent).join('|'))
      .pop() || ''].join('\n'))JS";

// The program's clock at this moment, in the page's terms.
std::string ProgramClock() {
    std::string s;
    char dot[9];
    for (size_t i = 0; i < 60; ++i) {
        snprintf(dot, sizeof dot, "#%06x", Q31CouleurLumiere(SbQ31CrG.lights[i]) & 0xFFFFFF);
        s += (i ? "," : "") + std::string(dot);
    }
    return s + " " + std::to_string(SbQ31CrG.digitB & 0x7F) + " " + std::to_string(SbQ31CrG.digitC & 0x7F);
}

int FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t len = sizeof a;
    bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    close(fd);
    return ntohs(a.sin_port);
}

struct Viewer {
    const char* name;
    int width, height;
    std::unique_ptr<HeadlessBrowser> browser;
    std::string clock, lastRow;  // as last read
};
Viewer viewers[2] = {{"phone", 390, 844, nullptr, {}, {}}, {"tv", 1920, 1080, nullptr, {}, {}}};
std::string late;  // the seconds the pages did not follow in time

// Reads both pages until `match` holds for each, or `seconds` of real time have gone;
// `done` is called with whether both matched.
Step ReadPagesUntil(std::function<bool(const Viewer&)> match, double seconds,
                    std::function<void(bool)> done) {
    auto start = std::make_shared<std::chrono::steady_clock::time_point>();
    auto matched = std::make_shared<int>(0);
    return [=] {
        if (!*matched) *start = std::chrono::steady_clock::now(), *matched = 4;
        for (int i = 0; i < 2; ++i) {
            Viewer& v = viewers[i];
            if (!(*matched & 1 << i) && v.browser->Answered() && !v.browser->Answer().empty()) {
                const std::string a = v.browser->Answer();
                v.clock = a.substr(0, a.find('\n'));
                v.lastRow = a.substr(a.find('\n') + 1);
                if (match(v)) *matched |= 1 << i;
            }
            v.browser->Ask(kReadPage);
        }
        const bool all = *matched == 7;
        if (!all && std::chrono::steady_clock::now() - *start < std::chrono::duration<double>(seconds))
            return false;
        *matched = 0;
        done(all);
        return true;
    };
}

}  // namespace

TEST(LiveViewInABrowser, FollowsTheCountdownAndShowsANewTime) {
    ASSERT_TRUE(BrowserInstalled()) << "chromium is missing: scripts/setup-deps.sh installs it";
    qstest::TempProgramDir dir;
    InstallHooks();
    // A port another program holds is refused with the reason in the dialog, which stays
    // open; a free one is taken and kept in the program folder's settings file.
    const int busy = FreePort(), port = FreePort(), holder = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{AF_INET, htons(uint16_t(busy)), {}, {}};
    ASSERT_EQ(bind(holder, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(listen(holder, 1), 0);
    static std::string url = "http://127.0.0.1:" + std::to_string(port) + "/rce1/", lastRow, status, shownUrl;
    static bool opened = false, rowShown = false;
    ManualTime time(10, 20, 40);
    auto main = [] { return MainPanel(); };
    auto live = Loaded("FQ31.uir", LIVE), params = Loaded("FQ31.uir", PARAMS);
    Steps steps = {
        Press(main, MAIN_PARAMS),
        Press(params, PARAMS_LIVE_VIEW),
        Fill(live, {{LIVE_ENABLE, 1}, {LIVE_PORT, busy}}),
        Do([live] { SetCtrlVal(live(), LIVE_KEY, "r@ce 1"); }),
        Press(live, LIVE_OK),
        Until([live] { return (status = Text(live(), LIVE_STATUS)) == Q31TxtMesG[kMesLiveInUse]; }),
        Do([live] { shownUrl = Text(live(), LIVE_URL); }),
        Fill(live, {{LIVE_PORT, port}}),
        Press(live, LIVE_OK),
        Until([live] { return live() == 0 && WebServerPort() != 0; }),
        Press(params, PARAMS_OK),
        Until([params] { return params() == 0; }),
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
            for (Viewer& v : viewers) v.browser = std::make_unique<HeadlessBrowser>(url, v.width, v.height);
        }),
        Until([] { return viewers[0].browser->Ready() && viewers[1].browser->Ready(); }),
        ReadPagesUntil([](const Viewer& v) { return v.clock != "lost"; }, 30, [](bool all) { opened = all; }),
        Until([] { return opened; }),
    };
    // The countdown starts at 10:21:00: eight of its seconds, one by one.
    for (int second = 0; second < 8; ++second) {
        auto expected = std::make_shared<std::string>();
        Then(
            steps,
            {ManualTime::AdvanceTo(10, 21, second), Passes(2), Do([expected] { *expected = ProgramClock(); }),
             ReadPagesUntil([expected](const Viewer& v) { return v.clock == *expected; }, 1.0,
                            [second](bool all) { late += all ? "" : " 10:21:0" + std::to_string(second); })});
    }
    Then(steps,
         {
             Press(main, MAIN_INPUT_1),
             Until([] { return SbChronoNombre() >= 1; }),
             Passes(2),
             Do([] { lastRow = TableRows(MainPanel(), MAIN_TIMES_TABLE)[size_t(SbChronoNombre() - 1)]; }),
             ReadPagesUntil([](const Viewer& v) { return v.lastRow == lastRow; }, 5,
                            [](bool all) { rowShown = all; }),
             Do([] {
                 if (const char* shots = getenv("QS_LIVE_VIEW_SHOTS"))
                     for (Viewer& v : viewers)
                         v.browser->Screenshot(std::string(shots) + "/live-view-" + v.name + ".png");
                 for (Viewer& v : viewers) v.browser.reset();
             }),
             Press(main, MAIN_QUIT),
             Answer("FSabGen.uir", fsabgen::POPUP, fsabgen::POPUP_VALIDER),
         });
    const size_t count = steps.size();
    EXPECT_EQ(RunProgram(std::move(steps), 20000), count);
    for (Viewer& v : viewers) v.browser.reset();
    EXPECT_TRUE(MessagesSeen().empty()) << MessagesSeen().front();
    EXPECT_TRUE(opened);
    EXPECT_EQ(late, "");
    EXPECT_FALSE(lastRow.empty());
    EXPECT_TRUE(rowShown) << "phone: " << viewers[0].lastRow << ", tv: " << viewers[1].lastRow << " for "
                          << lastRow;
}
