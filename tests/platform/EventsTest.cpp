// Events: commits to named callbacks or the queue, clicks, keys, close boxes, the active panel,
// discarding from a callback, the mouse.
#include <QPointer>
#include <QTest>

#include "tests/platform/PanelFixture.h"

using namespace pltest;

namespace {
int g_discarded = 0;
std::string g_document;
}  // namespace

TEST_F(PanelTest, ClicksAndKeysReachTheNamedCallbackOrTheQueue) {
    DisplayPanel(panel_);
    // The control's callback and the panel's see the press, in the panel (data1 y, data2 x),
    // then the commit; nothing is queued.
    QTest::mouseClick(Find("QUIT"), Qt::LeftButton, Qt::NoModifier, QPoint(5, 7));
    Pump();
    EXPECT_EQ(CountEvents(EVENT_LEFT_CLICK, QUIT) * 100 + CountEvents(EVENT_LEFT_CLICK, 0) * 10 +
                  CountEvents(EVENT_COMMIT, QUIT),
              111);
    for (const Call& c : g_calls)
        EXPECT_TRUE(c.event != EVENT_LEFT_CLICK || (c.data1 == 17 && c.data2 == 15));
    EXPECT_TRUE(queued_.empty());
    // A control without a callback commits to the queue, in order.
    g_calls.clear();
    QTest::mouseClick(Find("GO"), Qt::LeftButton);
    QueueUserEvent(panel_, RING);
    int p = 0, c = 0, event = 0;
    for (int i = 0; i < 10 && !event; ++i, SetNextWake(0)) event = GetUserEvent(0, &p, &c);
    EXPECT_EQ(event * 1000 + p * 100 + c, EVENT_COMMIT * 1000 + panel_ * 100 + GO);
    EXPECT_EQ(GetUserEvent(0, &p, &c) * 100 + c, EVENT_COMMIT * 100 + RING);
    SetNextWake(0);
    EXPECT_EQ(GetUserEvent(0, &p, &c), 0);
    EXPECT_EQ(CountEvents(EVENT_COMMIT), 0);
    // A callback that returns non-zero swallows the click.
    InstallCtrlCallback(
        panel_, QUIT, [](int p, int c, int e, void*, int, int) { return int(e == EVENT_LEFT_CLICK); },
        nullptr);
    QTest::mouseClick(Find("QUIT"), Qt::LeftButton);
    Pump();
    EXPECT_EQ(CountEvents(EVENT_COMMIT), 0);
    // Keys go to the focused control and its panel; Return finishes the edit.
    QTest::keyClick(Find("EDIT"), Qt::Key_A);
    QTest::keyClick(Find("EDIT"), Qt::Key_Return);
    Pump();
    std::vector<int> keys;
    for (const Call& k : g_calls)
        if (k.event == EVENT_KEYPRESS) keys.push_back(k.control * 1000 + k.data1);
    EXPECT_EQ(keys, (std::vector<int>{EDIT * 1000 + 'a', 'a', EDIT * 1000 + 13, 13}));
    EXPECT_EQ(CountEvents(EVENT_COMMIT, EDIT), 1);
    // A dimmed control hears no click (its panel does); a dimmed panel none at all.
    g_calls.clear();
    SetCtrlAttribute(panel_, QUIT, ATTR_DIMMED, 1);
    InstallCtrlCallback(panel_, QUIT, Record, nullptr);
    QTest::mouseClick(Find("QUIT"), Qt::LeftButton);
    SetPanelAttribute(panel_, ATTR_DIMMED, 1);
    QTest::mouseClick(Find("TEST"), Qt::LeftButton, Qt::NoModifier, QPoint(395, 295));
    Pump();
    EXPECT_EQ(CountEvents(EVENT_LEFT_CLICK, 0) * 10 + CountEvents(EVENT_LEFT_CLICK, QUIT), 10);
}

TEST_F(PanelTest, CloseBoxesAskThePanelCallbackAndChildEventsStayInTheChild) {
    DisplayPanel(panel_);
    EXPECT_FALSE(Find("TEST")->close());  // refused: the program decides
    EXPECT_TRUE(Find("TEST")->isVisible());
    EXPECT_EQ(CountEvents(EVENT_CLOSE, 0, panel_), 1);
    const int child = LoadPanel(panel_, "Test.uir", 2);
    DisplayPanel(child);
    QTest::mouseClick(Find("CLOSEBOX"), Qt::LeftButton);
    EXPECT_EQ(CountEvents(EVENT_CLOSE, 0, child) * 10 + CountEvents(EVENT_CLOSE), 12);
    g_calls.clear();
    QTest::mouseClick(Find("OK"), Qt::LeftButton);
    Pump();
    EXPECT_EQ(CountEvents(EVENT_COMMIT, 2, child), 1);
    EXPECT_EQ(CountEvents(EVENT_LEFT_CLICK, 0, child) * 10 + CountEvents(EVENT_LEFT_CLICK, 0, panel_), 10);
    EXPECT_EQ(GetActivePanel(), child);
}

TEST_F(PanelTest, DiscardingThePanelFromItsOwnCallbackIsSafe) {
    DisplayPanel(panel_);
    InstallCtrlCallback(
        panel_, QUIT,
        [](int panel, int, int event, void*, int, int) {
            if (event == EVENT_COMMIT) g_discarded = DiscardPanel(panel) == 0 ? 1 : -1;
            return 0;
        },
        nullptr);
    QPointer<QWidget> button = Find("QUIT");
    QTest::mouseClick(button, Qt::LeftButton);  // the callback runs inside the button's signal
    EXPECT_EQ(g_discarded, 1);
    int v = 0;
    EXPECT_LT(GetPanelAttribute(panel_, ATTR_VISIBLE, &v), 0);  // the handle is dead at once
    Pump();
    EXPECT_TRUE(button.isNull());  // the widgets go once no callback runs
    EXPECT_TRUE(queued_.empty());  // and no commit of it comes later
}

TEST_F(PanelTest, ClosingADialogGivesTheActivityBack) {
    DisplayPanel(panel_);
    const int dialog = LoadPanel(0, "Test.uir", 3), child = LoadPanel(panel_, "Test.uir", 2);
    DisplayPanel(dialog);
    EXPECT_EQ(GetActivePanel(), dialog);
    DisplayPanel(child);
    EXPECT_EQ(GetActivePanel(), child);
    HidePanel(child);
    EXPECT_EQ(GetActivePanel(), dialog);
    DiscardPanel(dialog);
    EXPECT_EQ(GetActivePanel(), panel_);
    EXPECT_EQ(Get(0, ATTR_ACTIVE), 1);
}

TEST_F(PanelTest, MouseOnLinksAndControls) {
    DisplayPanel(panel_);
    SetDocumentHook([](const char* path) { return g_document = path, 0; });
    QTest::mouseClick(Find("LINK"), Qt::LeftButton);
    SetDocumentHook(nullptr);
    EXPECT_EQ(g_document, "https://example.org/clock");
    qstest::PointAt(panel_, GO, 7, 9);
    int x = -1, y = -1, left = -1;
    ASSERT_EQ(GetRelativeMouseState(panel_, GO, &x, &y, &left, nullptr, nullptr), 0);
    EXPECT_EQ(x * 1000 + y * 10 + left, 7 * 1000 + 9 * 10 + 0);
    GetRelativeMouseState(panel_, QUIT, &x, &y, nullptr, nullptr, nullptr);
    EXPECT_EQ(x, 100 + 7 - 10);  // GO sits 90 px right of QUIT
}
