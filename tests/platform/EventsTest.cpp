// Events: commits to named callbacks or the queue, clicks, keys, close box, discarding from a callback.
#include <QCloseEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include "tests/platform/PanelFixture.h"

using namespace pltest;

namespace {

int g_discardOnCommit = 0;
int DiscardingCb(int panel, int control, int event, void*, int, int) {
    Calls().push_back({panel, control, event, 0, 0});
    if (event == EVENT_COMMIT) g_discardOnCommit = DiscardPanel(panel) == 0 ? 1 : -1;
    return 0;
}

int SwallowClicks(int panel, int control, int event, void*, int d1, int d2) {
    Calls().push_back({panel, control, event, d1, d2});
    return event == EVENT_LEFT_CLICK ? 1 : 0;
}

std::vector<std::string>& Documents() {
    static std::vector<std::string> docs;
    return docs;
}
int CatchDocument(const char* path) {
    Documents().push_back(path);
    return 0;
}

}  // namespace

TEST_F(PanelTest, CommitGoesToTheNamedCallback) {
    DisplayPanel(panel_);
    EXPECT_EQ(QueueUserEvent(panel_, QUIT), 0);
    Pump();
    ASSERT_EQ(CountEvents(EVENT_COMMIT, QUIT), 1);
    EXPECT_EQ(Calls().back().panel, panel_);
    EXPECT_TRUE(queued_.empty());  // a control with a callback does not queue

    // A real click: the control's callback and the panel's see the press, then the commit.
    Calls().clear();
    QTest::mouseClick(Find("QUIT"), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    Pump();
    EXPECT_EQ(CountEvents(EVENT_LEFT_CLICK, QUIT), 1);
    EXPECT_EQ(CountEvents(EVENT_LEFT_CLICK, 0), 1);
    EXPECT_EQ(CountEvents(EVENT_COMMIT, QUIT), 1);
    // The press position is given in the panel: data1 = y, data2 = x.
    for (const Call& c : Calls())
        if (c.event == EVENT_LEFT_CLICK) {
            EXPECT_EQ(c.data1, 10 + 5);
            EXPECT_EQ(c.data2, 10 + 5);
        }
}

TEST_F(PanelTest, CommitsWithoutCallbackWaitForGetUserEvent) {
    DisplayPanel(panel_);
    QTest::mouseClick(Find("GO"), Qt::LeftButton);
    QueueUserEvent(panel_, RING);
    int p = 0, c = 0;
    int event = 0;
    for (int i = 0; i < 10 && !event; ++i) {
        SetNextWake(0);
        event = GetUserEvent(0, &p, &c);
    }
    EXPECT_EQ(event, EVENT_COMMIT);
    EXPECT_EQ(p, panel_);
    EXPECT_EQ(c, GO);
    EXPECT_EQ(GetUserEvent(0, &p, &c), EVENT_COMMIT);
    EXPECT_EQ(c, RING);
    SetNextWake(0);
    EXPECT_EQ(GetUserEvent(0, &p, &c), 0);
    // The panel's own callback saw the click, the commit went to the queue only.
    EXPECT_EQ(CountEvents(EVENT_COMMIT), 0);
    EXPECT_EQ(CountEvents(EVENT_LEFT_CLICK, 0), 1);
}

TEST_F(PanelTest, CloseBoxAsksThePanelCallback) {
    DisplayPanel(panel_);
    QWidget* root = Find("TEST");
    ASSERT_TRUE(root->isVisible());
    EXPECT_FALSE(root->close());  // refused: the program decides
    EXPECT_TRUE(root->isVisible());
    ASSERT_EQ(CountEvents(EVENT_CLOSE), 1);
    EXPECT_EQ(Calls().back().panel, panel_);
    EXPECT_EQ(Calls().back().control, 0);
}

TEST_F(PanelTest, DiscardingThePanelFromItsOwnCallbackIsSafe) {
    DisplayPanel(panel_);
    InstallCtrlCallback(panel_, QUIT, DiscardingCb, nullptr);
    QPointer<QWidget> button = Find("QUIT");
    g_discardOnCommit = 0;
    QTest::mouseClick(button, Qt::LeftButton);  // the callback runs inside the button's signal
    EXPECT_EQ(g_discardOnCommit, 1);
    int v = 0;
    EXPECT_LT(GetPanelAttribute(panel_, ATTR_VISIBLE, &v), 0);  // the handle is dead at once
    Pump();
    EXPECT_TRUE(button.isNull());  // and the widgets go once no callback runs
    // A commit queued for the discarded panel is dropped, not returned later.
    EXPECT_TRUE(queued_.empty());
}

TEST_F(PanelTest, CallbackReturningNonZeroSwallowsTheClick) {
    DisplayPanel(panel_);
    InstallCtrlCallback(panel_, QUIT, SwallowClicks, nullptr);
    QTest::mouseClick(Find("QUIT"), Qt::LeftButton);
    Pump();
    EXPECT_EQ(CountEvents(EVENT_LEFT_CLICK, QUIT), 1);
    EXPECT_EQ(CountEvents(EVENT_COMMIT, QUIT), 0);
}

TEST_F(PanelTest, KeysGoToTheFocusedControl) {
    DisplayPanel(panel_);
    QWidget* edit = Find("EDIT");
    QTest::keyClick(edit, Qt::Key_A);
    QTest::keyClick(edit, Qt::Key_Return);
    Pump();
    ASSERT_EQ(CountEvents(EVENT_KEYPRESS, EDIT), 2);
    std::vector<int> keys;
    for (const Call& c : Calls())
        if (c.event == EVENT_KEYPRESS && c.control == EDIT) keys.push_back(c.data1);
    EXPECT_EQ(keys, (std::vector<int>{'a', 13}));
    EXPECT_EQ(CountEvents(EVENT_KEYPRESS, 0), 2);   // the panel hears them too
    EXPECT_EQ(CountEvents(EVENT_COMMIT, EDIT), 1);  // Return finished the edit
}

TEST_F(PanelTest, ChildPanelEventsReachTheChildsCallbacks) {
    DisplayPanel(panel_);
    int child = LoadPanel(panel_, "Test.uir", 2);
    DisplayPanel(child);
    QTest::mouseClick(Find("OK"), Qt::LeftButton);
    Pump();
    EXPECT_EQ(CountEvents(EVENT_COMMIT, 2), 1);
    int childPanelClicks = 0, parentPanelClicks = 0;
    for (const Call& c : Calls())
        if (c.event == EVENT_LEFT_CLICK && c.control == 0)
            (c.panel == child ? childPanelClicks : parentPanelClicks)++;
    EXPECT_EQ(childPanelClicks, 1);  // the innermost panel only
    EXPECT_EQ(parentPanelClicks, 0);
    EXPECT_EQ(GetActivePanel(), child);
}

TEST_F(PanelTest, HyperlinkOpensItsAddress) {
    DisplayPanel(panel_);
    Documents().clear();
    SetDocumentHook(CatchDocument);
    QTest::mouseClick(Find("LINK"), Qt::LeftButton);
    SetDocumentHook(nullptr);
    ASSERT_EQ(Documents().size(), 1u);
    EXPECT_EQ(Documents()[0], "https://example.org/clock");
}

TEST_F(PanelTest, MovablePictureFollowsTheMouseWhenAllowed) {
    DisplayPanel(panel_);
    QWidget* pic = Find("PIC");
    auto drag = [&](QPoint from, QPoint to) {
        QPoint gFrom = pic->mapToGlobal(from), gTo = pic->mapToGlobal(to);
        QMouseEvent press(QEvent::MouseButtonPress, from, gFrom, Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(pic, &press);
        QMouseEvent move(QEvent::MouseMove, to, gTo, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pic, &move);
        QMouseEvent release(QEvent::MouseButtonRelease, to, gTo, Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(pic, &release);
    };
    int left = 0, width = 0;
    drag(QPoint(5, 5), QPoint(25, 5));
    GetCtrlAttribute(panel_, PIC, ATTR_LEFT, &left);
    EXPECT_EQ(left, 320);  // not movable yet
    SetCtrlAttribute(panel_, PIC, ATTR_MOUSE_EDIT, 1);
    drag(QPoint(5, 5), QPoint(25, 5));
    GetCtrlAttribute(panel_, PIC, ATTR_LEFT, &left);
    EXPECT_EQ(left, 340);
    drag(QPoint(38, 38), QPoint(48, 48));  // the bottom-right corner resizes
    GetCtrlAttribute(panel_, PIC, ATTR_WIDTH, &width);
    EXPECT_EQ(width, 50);
    GetCtrlAttribute(panel_, PIC, ATTR_LEFT, &left);
    EXPECT_EQ(left, 340);
    Pump();
    EXPECT_EQ(queued_.size(), 2u);  // each edit is a commit for the program to read back
}

TEST_F(PanelTest, CloseBoxButtonOfAChildPanelAsksItsCallback) {
    DisplayPanel(panel_);
    int child = LoadPanel(panel_, "Test.uir", 2);
    DisplayPanel(child);
    QTest::mouseClick(Find("CLOSEBOX"), Qt::LeftButton);
    int closes = 0;
    for (const Call& c : Calls())
        if (c.event == EVENT_CLOSE) {
            ++closes;
            EXPECT_EQ(c.panel, child);
        }
    EXPECT_EQ(closes, 1);
    int visible = 0;
    GetPanelAttribute(child, ATTR_VISIBLE, &visible);
    EXPECT_EQ(visible, 1);  // the callback decides
}

TEST_F(PanelTest, ClosingADialogGivesTheActivityBack) {
    DisplayPanel(panel_);
    EXPECT_EQ(GetActivePanel(), panel_);
    int dialog = LoadPanel(0, "Test.uir", 3);
    DisplayPanel(dialog);
    EXPECT_EQ(GetActivePanel(), dialog);
    int child = LoadPanel(panel_, "Test.uir", 2);
    DisplayPanel(child);
    EXPECT_EQ(GetActivePanel(), child);
    HidePanel(child);
    EXPECT_EQ(GetActivePanel(), dialog);
    DiscardPanel(dialog);
    EXPECT_EQ(GetActivePanel(), panel_);
    int v = 0;
    GetPanelAttribute(panel_, ATTR_ACTIVE, &v);
    EXPECT_EQ(v, 1);
}

TEST_F(PanelTest, MousePositionIsRelativeToTheControl) {
    DisplayPanel(panel_);
    qstest::PointAt(panel_, GO, 7, 9);
    int x = -1, y = -1, left = -1;
    ASSERT_EQ(GetRelativeMouseState(panel_, GO, &x, &y, &left, nullptr, nullptr), 0);
    EXPECT_EQ(x, 7);
    EXPECT_EQ(y, 9);
    EXPECT_EQ(left, 0);
    GetRelativeMouseState(panel_, QUIT, &x, &y, nullptr, nullptr, nullptr);
    EXPECT_EQ(x, 100 + 7 - 10);  // GO sits 90 px right of QUIT
}

TEST_F(PanelTest, DimmedPanelsAndControlsHearNoClicks) {
    DisplayPanel(panel_);
    SetCtrlAttribute(panel_, QUIT, ATTR_DIMMED, 1);
    QTest::mouseClick(Find("QUIT"), Qt::LeftButton);
    Pump();
    EXPECT_EQ(CountEvents(EVENT_LEFT_CLICK, QUIT), 0);
    EXPECT_EQ(CountEvents(EVENT_COMMIT, QUIT), 0);
    EXPECT_EQ(CountEvents(EVENT_LEFT_CLICK, 0), 1);  // the panel itself was clicked
    Calls().clear();
    SetPanelAttribute(panel_, ATTR_DIMMED, 1);
    QTest::mouseClick(Find("TEST"), Qt::LeftButton, Qt::NoModifier, QPoint(395, 295));
    EXPECT_EQ(CountEvents(EVENT_LEFT_CLICK), 0);
    SetPanelAttribute(panel_, ATTR_DIMMED, 0);
    QTest::mouseClick(Find("TEST"), Qt::LeftButton, Qt::NoModifier, QPoint(395, 295));
    EXPECT_EQ(CountEvents(EVENT_LEFT_CLICK, 0), 1);
}
