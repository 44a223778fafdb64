// Panels, controls and events through the layer, on fixtures/01-test.ui (every kind of control).
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <chrono>
#include <cmath>
#include <ctime>
#include <string>
#include <vector>

#include "platform/Runtime.h"
#include "platform/cvi.h"
#include "tests/support/TestSupport.h"

using qstest::onscreen::Attr;

class PanelTest : public ::testing::Test {
protected:
    enum { QUIT = 2, GO, NUM = 5, TABLE, MSG, SW = 9, EDIT, INNER, RING, PLAIN };
    struct Call {
        int panel, control, event, data1, data2;
    };
    static inline std::vector<Call> calls_;
    // 1: the next commit discards its panel from its own callback; then 2 done, -1 refused.
    static inline int discard_ = 0;

    void SetUp() override {
        qstest::EnsureRuntime();
        calls_.clear();
        for (const char* name : {"TestCb", "TableCb", "PanelCb"})
            RegisterCallback(name, [](int panel, int control, int event, void*, int d1, int d2) {
                calls_.push_back({panel, control, event, d1, d2});
                if (discard_ == 1 && event == EVENT_COMMIT) discard_ = DiscardPanel(panel) == 0 ? 2 : -1;
                return 0;
            });
        panel_ = LoadPanel(0, QS_PLATFORM_FIXTURES, 1);
        ASSERT_GT(panel_, 0);
    }
    void TearDown() override { DiscardPanel(panel_); }  // the panel may already be gone
    template <class T = QWidget>
    T* Find(const char* name) {
        return qs::rt::PanelWidget(panel_)->findChild<T*>(name);
    }
    // Takes every event pending without sleeping, and counts the commits that went to the queue.
    void Pump() {
        for (int i = 0, p, c; i < 5; ++i)
            for (SetNextWake(0); GetUserEvent(0, &p, &c); SetNextWake(0)) ++queued_;
    }
    int CountEvents(int event, int control = -1) {
        int n = 0;
        for (const Call& c : calls_) n += c.event == event && (control < 0 || c.control == control);
        return n;
    }

    int panel_ = 0, queued_ = 0;
};

// Attributes and values show on the widgets and read back; values set by code are no commits.
TEST_F(PanelTest, AttributesAndValuesShowOnTheWidgets) {
    // Refused: no such panel, no such control, an item on a control without items, a value no item has.
    EXPECT_LT(LoadPanel(0, QS_PLATFORM_FIXTURES, 9), 0);
    EXPECT_LT(SetCtrlVal(panel_, 99, 1), 0);
    EXPECT_LT(InsertListItem(panel_, NUM, -1, "x", 1), 0);
    EXPECT_LT(SetCtrlVal(panel_, PLAIN, 9), 0);
    // Where a widget lies in the panel, whatever holds it; a caption's colour on its own widget.
    const std::tuple<const char*, int, int, int, int> rows[] = {
        {"INNER", INNER, ATTR_LEFT, 330, -1},
        {"GO", GO, ATTR_VISIBLE, 0, -1},
        {"GO", GO, ATTR_DIMMED, 1, -1},
        {"NUMLABEL", NUM, ATTR_LABEL_VISIBLE, 0, -1},
        {"EDIT", EDIT, ATTR_TEXT_BGCOLOR, 0x102030, QPalette::Base},
        {"MSG", MSG, ATTR_TEXT_COLOR, 0x102030, QPalette::WindowText},
        {"NUMLABEL", NUM, ATTR_LABEL_COLOR, 0x405060, QPalette::WindowText},
        {"SW", SW, ATTR_LABEL_COLOR, 0x102030, QPalette::ButtonText},
        {"GO", GO, ATTR_CMD_BUTTON_COLOR, 0x1060C0, QPalette::Button}};
    for (auto [name, control, attribute, value, role] : rows) {
        ASSERT_EQ(SetCtrlAttribute(panel_, control, attribute, value), 0);
        QWidget* w = Find(name);
        int shown = w->mapTo(w->window(), QPoint()).x();  // ATTR_LEFT
        if (role >= 0) shown = int(w->palette().color(QPalette::ColorRole(role)).rgb() & 0xFFFFFF);
        if (attribute == ATTR_VISIBLE || attribute == ATTR_LABEL_VISIBLE) shown = !w->isHidden();
        if (attribute == ATTR_DIMMED) shown = !w->isEnabled();
        EXPECT_EQ(std::tuple(Attr(panel_, control, attribute), shown), std::tuple(value, value)) << name;
    }
    char text[64];
    SetCtrlAttribute(panel_, QUIT, ATTR_LABEL_TEXT, "__1  Sync & time");  // "__": the shortcut
    GetCtrlAttribute(panel_, QUIT, ATTR_LABEL_TEXT, text, sizeof text);   // read back as the program wrote it
    EXPECT_EQ(Find<QPushButton>("QUIT")->text().toStdString() + text, "&1  Sync && time__1  Sync & time");
    for (int control : {MSG, EDIT}) EXPECT_EQ(SetCtrlVal(panel_, control, "N\xB0 12 \x80"), 0);
    GetCtrlVal(panel_, EDIT, text, 4);  // cut to the buffer
    EXPECT_EQ(Find<QLabel>("MSG")->text().toStdString() + text, "N\u00B0 12 \u20ACN\xB0 ");
    // Typed or pasted: the nearest letters the code page has, an accent written apart on its letter.
    Find<QLineEdit>("EDIT")->setText(QStringLiteral("Łódź e\u0301 ☺"));
    GetCtrlVal(panel_, EDIT, text, sizeof text);
    EXPECT_STREQ(text, "L\363dz \351 ?");
    // A ring shows the value set; on a settings page a value no item carries stays, never changed.
    for (auto [at, label, value] : {std::tuple{-1, "A", 10}, {-1, "C", 30}, {1, "B", 20}})
        InsertListItem(panel_, RING, at, label, value);
    auto* ring = Find<QComboBox>("RING");
    using Shown = std::tuple<std::string, int, int, int>;  // text, value, index, items
    for (auto [value, want] :
         {std::pair{99, Shown{"99", 99, 3, 4}}, {30, {"C", 30, 2, 3}}, {-1, {"A", 10, 0, 3}}}) {
        int i = 0;
        value < 0 ? SetCtrlIndex(panel_, RING, 0) : SetCtrlVal(panel_, RING, value);
        GetCtrlIndex(panel_, RING, &i);
        const int v = Attr(panel_, RING), n = qstest::ListCount(panel_, RING);
        EXPECT_EQ(Shown(ring->currentText().toStdString(), v, i, n), want);
    }
    // Held in the range the program set; values set by code are no commits.
    SetCtrlAttribute(panel_, NUM, ATTR_MAX_VALUE, 50);
    SetCtrlVal(panel_, NUM, 80);
    SetCtrlVal(panel_, SW, 1);
    Pump();
    EXPECT_EQ(std::tuple(Attr(panel_, NUM), queued_, CountEvents(EVENT_COMMIT)), std::tuple(50, 0, 0));
}

TEST_F(PanelTest, TableRowsCellsColoursAndTheActiveCell) {
    auto attr = [&](int col, int row, int attribute = ATTR_TEXT_COLOR) {
        int v = -1;
        GetTableCellAttribute(panel_, TABLE, MakePoint(col, row), attribute, &v);
        return v;
    };
    auto* t = Find<QTableView>("TABLE");
    InsertTableRows(panel_, TABLE, -1, 3);
    EXPECT_EQ(SetTableCellVal(panel_, TABLE, MakePoint(2, 3), "7"), 0);
    for (Point bad : {MakePoint(4, 1), MakePoint(1, 4), MakePoint(0, 1), MakePoint(1, 0)}) {
        EXPECT_LT(SetTableCellVal(panel_, TABLE, bad, "x"), 0);
        EXPECT_LT(SetTableCellAttribute(panel_, TABLE, bad, ATTR_TEXT_COLOR, 1), 0);
    }
    // Colours land on exactly the cells named: a row, a cell, a range of one row, an empty range.
    const int plain = attr(1, 1);
    SetTableRowAttribute(panel_, TABLE, 2, ATTR_TEXT_BGCOLOR, 0xFFFF00);
    SetTableCellAttribute(panel_, TABLE, MakePoint(3, 1), ATTR_TEXT_COLOR, 0x00FF00);
    SetTableCellRangeAttribute(panel_, TABLE, MakeRect(3, 2, 1, 2), ATTR_TEXT_COLOR, 0xFF0000);
    SetTableCellRangeAttribute(panel_, TABLE, MakeRect(1, 1, 0, 3), ATTR_TEXT_COLOR, 0xFF0000);
    const int fg[3][3] = {{plain, plain, 0x00FF00}, {plain, plain, plain}, {plain, 0xFF0000, 0xFF0000}};
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 3; ++c)
            EXPECT_EQ(std::tuple(attr(c, r), attr(c, r, ATTR_TEXT_BGCOLOR) == 0xFFFF00),
                      std::tuple(fg[r - 1][c - 1], r == 2));
    // A range selected by code is the cells named, cut at the table's edge.
    SetTableSelection(panel_, TABLE, MakeRect(2, 3, 5, 1));
    EXPECT_EQ(t->selectionModel()->selectedIndexes(),
              (QModelIndexList{t->model()->index(1, 2), t->model()->index(2, 2)}));
    Pump();
    QSignalSpy changed(t->model(), &QAbstractItemModel::dataChanged);
    SetTableCellVal(panel_, TABLE, MakePoint(1, 2), "x");  // the view hears of a cell's new text
    Pump();
    EXPECT_TRUE(changed.size() == 1 && changed[0][0].toModelIndex() == t->model()->index(1, 0));
    InsertTableRows(panel_, TABLE, 1, 1);  // at row 1: the others move down
    DeleteTableRows(panel_, TABLE, 2, 2);
    EXPECT_EQ(std::tuple(qstest::TableRowCount(panel_, TABLE), attr(3, 2)), std::tuple(2, 0xFF0000));
    EXPECT_EQ(t->model()->index(1, 1).data().toString(), "7");  // (column 2, row 2)
    SetTableColumnAttribute(panel_, TABLE, 2, ATTR_WIDTH, 77);  // at the window's scale
    EXPECT_EQ(t->columnWidth(1), std::lround(77 * qs::rt::WindowScale(t)));
    // The active cell set by code is no operator's change; the operator's is (row, column).
    InsertTableRows(panel_, TABLE, -1, 3);
    Point cell{};
    SetActiveTableCell(panel_, TABLE, MakePoint(2, 4));
    GetActiveTableCell(panel_, TABLE, &cell);
    EXPECT_EQ(std::tuple(cell.x, cell.y, CountEvents(EVENT_ACTIVE_CELL_CHANGE)), std::tuple(2, 4, 0));
    t->setCurrentIndex(t->model()->index(1, 0));  // as a click would
    EXPECT_EQ(CountEvents(EVENT_ACTIVE_CELL_CHANGE, TABLE), 1);
    EXPECT_EQ(std::tuple(calls_.back().data1, calls_.back().data2), std::tuple(2, 1));
    // A row put above the last (a new time) waits for the next batch; the rows below are renumbered.
    SetActiveTableCell(panel_, TABLE, MakePoint(1, 5));
    InsertTableRows(panel_, TABLE, 5, 1);
    GetActiveTableCell(panel_, TABLE, &cell);
    t->setCurrentIndex(t->model()->index(t->model()->rowCount() - 1, 1));
    EXPECT_EQ(std::tuple(cell.y, calls_.back().data1), std::tuple(6, 6));
    // Rows left at the table's row height follow it when it changes.
    const int design = Attr(panel_, TABLE, ATTR_ROW_HEIGHT);
    SetTableRowAttribute(panel_, TABLE, 2, ATTR_ROW_HEIGHT, design);
    SetCtrlAttribute(panel_, TABLE, ATTR_ROW_HEIGHT, design + 2);
    EXPECT_EQ(std::tuple(t->rowHeight(0), t->rowHeight(1)), std::tuple(design + 2, design + 2));
    SetTableRowAttribute(panel_, TABLE, 1, ATTR_ROW_HEIGHT, design);
    EXPECT_EQ(std::tuple(t->rowHeight(0), t->rowHeight(1)), std::tuple(design, design));
    // The table just written dies with its panel at once, though its widgets go later.
    DiscardPanel(panel_);
    EXPECT_LT(SetTableCellVal(panel_, TABLE, MakePoint(1, 1), "x"), 0);
}

// Rows added one after the other show in batches a fifth of a second apart, and after a batch at
// least as long as the view is high (every row shown new), half a second apart; the first row after
// a quiet moment shows at once.
TEST_F(PanelTest, RowsShowInBatchesFurtherApartAfterAScreenful) {
    auto* t = Find<QTableView>("TABLE");
    DisplayPanel(panel_);
    DeleteTableRows(panel_, TABLE, 1, -1);
    Pump();
    const int screenful = t->viewport()->height() / Attr(panel_, TABLE, ATTR_ROW_HEIGHT);
    for (auto [batch, least, most] :
         {std::tuple(1, 100, 450), std::tuple(screenful, 450, 2000), std::tuple(1, 100, 450)}) {
        Delay(0.6);  // quiet
        const int before = t->model()->rowCount();
        QElapsedTimer waited;
        waited.start();
        InsertTableRows(panel_, TABLE, -1, batch);
        EXPECT_EQ(t->model()->rowCount(), before + batch);
        InsertTableRows(panel_, TABLE, -1, 1);
        qstest::PumpUntil([&] { return t->model()->rowCount() != before + batch; }, 3, 0.01);
        const qint64 ms = waited.elapsed();
        EXPECT_TRUE(ms >= least && ms < most) << batch << " rows, then one: " << ms << " ms";
    }
}

// A wait ended early by an event, then an earlier deadline: the loop wakes at the earlier one.
TEST(PlatformLoop, AnEarlierDeadlineEndsTheWaitAtItsOwnTime) {
    qstest::EnsureRuntime();
    int p, c;
    bool woken = false;
    QTimer::singleShot(10, [&woken] { woken = true; });
    qstest::PumpUntil([&woken] { return woken; }, 5, 3);
    QElapsedTimer waited;
    waited.start();
    SetNextWake(0.05);
    GetUserEvent(0, &p, &c);
    EXPECT_LT(waited.elapsed(), 1500);
}

// A wake asked for the next second comes just after it turns, and the local time read then is
// already that second's: a clock face that read the second before would wait a whole second more.
TEST(PlatformLoop, TheLocalTimeHasTurnedWhenTheNextSecondsWakeComes) {
    for (int turn = 0; turn < 3; ++turn) {
        const double left = SecondsToNextSecond();
        while (SecondsToNextSecond() <= left) {
        }
        const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
        std::tm turned{};
        localtime_r(&now, &turned);
        int second = 0;
        GetSystemTime(nullptr, nullptr, &second);
        EXPECT_EQ(second, turned.tm_sec) << "turn " << turn;
    }
}

// A window without a place opens centred; closing one activates the one below; clicks reach callbacks.
TEST_F(PanelTest, WindowsAndClicksReachTheirCallbacks) {
    DisplayPanel(panel_);
    const int dialog = LoadPanel(0, QS_PLATFORM_FIXTURES, 1);
    const QPoint mid = QGuiApplication::primaryScreen()->availableGeometry().center();  // no place: centred
    EXPECT_LE((qs::rt::PanelWidget(dialog)->geometry().center() - mid).manhattanLength(), 1);
    SetPanelPos(dialog, 40, 50);  // shown where the program placed it
    DisplayPanel(dialog);
    EXPECT_EQ(std::tuple(GetActivePanel(), Attr(dialog, 0, ATTR_TOP)), std::tuple(dialog, 40));
    DiscardPanel(dialog);
    Pump();
    EXPECT_EQ(std::tuple(GetActivePanel(), Attr(panel_, 0, ATTR_ACTIVE)), std::tuple(panel_, 1));
    // The control's and the panel's callbacks see the press (data1 y, data2 x), then the commit.
    calls_.clear();
    QTest::mouseClick(Find("QUIT"), Qt::LeftButton, Qt::NoModifier, QPoint(5, 7));
    Pump();
    EXPECT_EQ(std::tuple(CountEvents(EVENT_LEFT_CLICK, QUIT), CountEvents(EVENT_LEFT_CLICK, 0)),
              std::tuple(1, 1));
    EXPECT_EQ(std::tuple(CountEvents(EVENT_COMMIT, QUIT), queued_), std::tuple(1, 0));
    const Call& press = calls_.front();
    EXPECT_EQ(std::tuple(press.event, press.data1, press.data2), std::tuple(EVENT_LEFT_CLICK, 17, 15));
    // The focus put by code reaches the field; a key reaches its callback as its Windows-1252 byte.
    SetActiveCtrl(panel_, EDIT);
    for (auto [key, text, character] : {std::tuple{Qt::Key_unknown, "\u00E9", 0xE9},
                                        {Qt::Key_unknown, "\u20AC", 0x80},
                                        {Qt::Key_Delete, "\x7F", int(Qt::Key_Delete)}}) {
        QTest::sendKeyEvent(QTest::Press, Find("EDIT"), key, QString::fromUtf8(text), {});
        EXPECT_EQ(calls_.back().data1, character);
    }
    // A key of the digit row also tells its digit (data2), whatever it types: '&' on a French keyboard.
    QKeyEvent ampersand(QEvent::KeyPress, Qt::Key_Ampersand, Qt::NoModifier, 10, 0, 0, "&");
    QApplication::sendEvent(Find("EDIT"), &ampersand);
    EXPECT_EQ(std::tuple(calls_.back().data1, calls_.back().data2), std::tuple(int('&'), int('1')));
    EXPECT_EQ(CountEvents(EVENT_KEYPRESS, EDIT), 4);
    EXPECT_EQ(Find("EDIT")->window()->focusWidget(), Find("EDIT"));
    // A number typed is one commit once the operator is done, never one per digit.
    auto* num = Find<QSpinBox>("NUM");
    num->selectAll();
    queued_ = 0;
    QTest::keyClicks(num, "123");
    QTest::keyClick(num, Qt::Key_Return);
    Pump();
    EXPECT_EQ(std::tuple(std::exchange(queued_, 0), Attr(panel_, NUM)), std::tuple(1, 123));
    // Discarding the panel from its own control's callback is safe.
    discard_ = 1;
    QPointer<QWidget> button = Find("QUIT");
    QTest::mouseClick(button, Qt::LeftButton);  // the callback runs inside the button's signal
    EXPECT_EQ(std::tuple(discard_, Attr(panel_, 0, ATTR_VISIBLE)),
              std::tuple(2, -1));  // the handle is dead at once
    Pump();
    EXPECT_TRUE(button.isNull() && queued_ == 0);  // the widgets go once no callback runs
}

// Alt with a key of the digit row presses the button whose caption has that digit underlined, on
// every keyboard: the French one's keys give '&', 'é'... first (digits need Shift), which Qt's own
// shortcut does not take for Alt+1.
TEST_F(PanelTest, AltWithADigitRowKeyPressesItsCaptionOnEveryLayout) {
    DisplayPanel(panel_);
    SetCtrlAttribute(panel_, QUIT, ATTR_LABEL_TEXT, "__1 Quit");
    SetCtrlAttribute(panel_, GO, ATTR_LABEL_TEXT, "__0 Go");
    InstallCtrlCallback(
        panel_, GO,
        [](int panel, int control, int event, void*, int d1, int d2) {
            calls_.push_back({panel, control, event, d1, d2});
            return 0;
        },
        nullptr);
    SetActiveCtrl(panel_, EDIT);
    struct Row {
        quint32 keyCode;  // the key's place: 10 to 19 are the digit row's 1 to 0
        Qt::Key key;
        const char* text;
        Qt::KeyboardModifiers modifiers;
        int pressed;
    };
    const Row rows[] = {{10, Qt::Key_Ampersand, "&", Qt::AltModifier, QUIT},
                        {19, Qt::Key_Agrave, "\u00E0", Qt::AltModifier, GO},
                        {10, Qt::Key_Ampersand, "&", Qt::NoModifier, 0},
                        {10, Qt::Key_Ampersand, "&", Qt::AltModifier | Qt::ControlModifier, 0},
                        {24, Qt::Key_A, "a", Qt::AltModifier, 0}};
    for (const Row& r : rows) {
        calls_.clear();
        QKeyEvent press(QEvent::KeyPress, r.key, r.modifiers, r.keyCode, 0, 0, QString::fromUtf8(r.text));
        QApplication::sendEvent(Find("EDIT"), &press);  // the field with the focus
        qstest::PumpUntil([this] { return CountEvents(EVENT_COMMIT) > 0; }, r.pressed ? 2 : 0.3);
        EXPECT_EQ(std::tuple(CountEvents(EVENT_COMMIT), CountEvents(EVENT_COMMIT, r.pressed)),
                  std::tuple(r.pressed ? 1 : 0, r.pressed ? 1 : 0))
            << r.keyCode;
    }
}

// The wheel steps a ring or a number field only once the operator has clicked into it: turned on
// the way past, it would change a setting unseen, or a ring that shows the clock's state.
TEST_F(PanelTest, TheWheelStepsOnlyTheFieldWithTheFocus) {
    DisplayPanel(panel_);
    for (int i = 0; i < 3; ++i) InsertListItem(panel_, RING, -1, std::to_string(i).c_str(), i);
    SetCtrlVal(panel_, NUM, 5);
    SetActiveCtrl(panel_, EDIT);
    const auto turn = [this](QWidget* under) {  // one notch down, as the window system sends it
        QWheelEvent notch(QPointF(5, 5), under->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(under, &notch);
        return std::tuple(Attr(panel_, RING), Attr(panel_, NUM));
    };
    EXPECT_EQ(turn(Find("RING")), std::tuple(0, 5));
    EXPECT_EQ(turn(Find("NUM")), std::tuple(0, 5));
    SetActiveCtrl(panel_, RING);
    EXPECT_EQ(turn(Find("RING")), std::tuple(1, 5));
    SetActiveCtrl(panel_, NUM);
    EXPECT_EQ(turn(Find("NUM")), std::tuple(1, 4));
}

// A number field styled as the panels style theirs (dark, padded) shows both arrows in its text
// colour, the one for a step it cannot take dimmed.
TEST_F(PanelTest, NumberFieldsShowTheirArrowsOnAPanelsDarkStyle) {
    auto* n = Find<QSpinBox>("NUM");
    n->setStyleSheet(
        "QSpinBox { background-color: #141111; color: #ece6e6; border: 1px solid #4a3f3f; "
        "border-radius: 4px; padding: 1px 4px; }");
    DisplayPanel(panel_);
    const auto brightest = [n](bool up) {  // in the button's half of the right end, inside the frame
        const QImage shot = n->grab().toImage();
        const int half = shot.height() / 2, top = up ? 2 : half, bottom = up ? half : shot.height() - 2;
        int most = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = shot.width() - 14; x < shot.width() - 2; ++x)
                most = std::max(most, qGray(shot.pixel(x, y)));
        return most;
    };
    SetCtrlVal(panel_, NUM, 5);
    EXPECT_GT(brightest(true), 150);
    EXPECT_GT(brightest(false), 150);
    SetCtrlVal(panel_, NUM, 999);  // its maximum
    EXPECT_LT(brightest(true), brightest(false) - 60);
    EXPECT_GT(brightest(false), 150);
}

// Rows added to a table that already scrolls skip most of Qt's layout: the scroll bars and the
// rows shown must come out as Qt's full layout puts them, whatever the rows' heights, a horizontal
// scroll bar, rows added in a batch or above the last, the table scrolled to its end or not, the
// cells' area a whole number of rows high.
TEST_F(PanelTest, RowsAddedLayTheTableOutAsAFullLayoutDoes) {
    auto* t = Find<QTableView>("TABLE");
    t->verticalHeader()->hide();  // as the times table's
    DisplayPanel(panel_);
    const QScrollBar* v = t->verticalScrollBar();
    QWidget* vp = t->viewport();
    auto layout = [&] {
        Pump();
        return std::vector{v->maximum(), v->pageStep(), v->value(), t->rowAt(0), t->rowAt(vp->height() - 1),
                           vp->height()};
    };
    const int design = Attr(panel_, TABLE, ATTR_ROW_HEIGHT);
    const std::tuple<int, int, int, int, bool, bool> cases[] = {
        {80, 0, -1, 1, true, false}, {80, 0, -1, 1, false, true}, {400, 0, -1, 1, true, false},
        {80, 3, -1, 1, true, false}, {80, 0, -1, 3, true, false}, {400, 4, 2, 2, false, false}};
    for (auto [width, tallEvery, at, count, toEnd, whole] : cases) {
        SCOPED_TRACE(testing::Message() << "width " << width << ", tall " << tallEvery << ", at " << at);
        DeleteTableRows(panel_, TABLE, 1, -1);
        SetTableColumnAttribute(panel_, TABLE, 1, ATTR_WIDTH, width);
        if (whole) t->resize(t->width(), t->height() + design - layout()[5] % design);
        for (int n = 0; n < 16; n += count) {
            if (toEnd && n > 0) {
                SetCtrlAttribute(panel_, TABLE, ATTR_FIRST_VISIBLE_ROW, n);
                Pump();
            }
            InsertTableRows(panel_, TABLE, n > 0 ? at : -1, count);
            if (tallEvery && n % tallEvery == 0)
                SetTableRowAttribute(panel_, TABLE, n + 1, ATTR_ROW_HEIGHT, design * 2);
            SetTableSelection(panel_, TABLE, MakeRect(1, 1, 1, 1));  // shown now, not with the next batch
            const std::vector<int> added = layout();
            // What is on screen is what the view draws anew: no row left where it was before.
            const QRect r(vp->mapTo(t->window(), QPoint()), vp->size());
            const QImage shown =
                t->screen()->grabWindow(t->window()->winId(), r.x(), r.y(), r.width(), r.height()).toImage();
            EXPECT_TRUE(shown == vp->grab().toImage().convertToFormat(shown.format())) << n + count;
            t->doItemsLayout();
            EXPECT_EQ(added, layout()) << n + count << " rows";
        }
    }
}
