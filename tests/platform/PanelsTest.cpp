// Panels, controls and events through the layer's operations, on a test resource with every
// kind of control the program drives.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "platform/cvi.h"
#include "tests/support/TestSupport.h"

namespace {

struct Call {
    int panel, control, event, data1, data2;
};
std::vector<Call> g_calls;
int Record(int panel, int control, int event, void*, int d1, int d2) {
    g_calls.push_back({panel, control, event, d1, d2});
    return 0;
}
int CountEvents(int event, int control = -1, int panel = -1) {
    int n = 0;
    for (const Call& c : g_calls)
        n += c.event == event && (control < 0 || c.control == control) && (panel < 0 || c.panel == panel);
    return n;
}

enum { QUIT = 2, GO, RING, NUM, TABLE, TEXT, MSG, PIC, LINK, SW, EDIT, INNER, PLAIN };

// A Designer file, one line per widget: "Class Name control x y width height property=value...".
// The first line is the panel and holds the others; a line starting with '>' goes inside the
// one before it.
void WriteUi(const qstest::TempProgramDir& dir, const char* file, std::vector<std::string> lines) {
    std::vector<std::string> xml;
    for (const std::string& line : lines) {
        std::istringstream in(line.substr(line[0] == '>'));
        std::string cls, name, ctrl, x, y, w, h;
        in >> cls >> name >> ctrl >> x >> y >> w >> h;
        std::string s = "<widget class=\"" + cls + "\" name=\"" + name +
                        "\"><property name=\"geometry\"><rect><x>" + x + "</x><y>" + y + "</y><width>" + w +
                        "</width><height>" + h + "</height></rect></property>";
        std::string kv = "ctrl=" + ctrl;
        do {
            const std::string key = kv.substr(0, kv.find('=')), value = kv.substr(kv.find('=') + 1);
            const char* type = key == "buddy"                                               ? "cstring"
                               : value == "true"                                            ? "bool"
                               : value.find_first_not_of("0123456789") == std::string::npos ? "number"
                                                                                            : "string";
            const bool dynamic = key == "ctrl" || key == "callback" || key == "closeBox";
            if (value != "0")
                s += "<property name=\"" + key + (dynamic ? "\" stdset=\"0\"><" : "\"><") + type + ">" +
                     value + "</" + type + "></property>";
        } while (in >> kv);
        if (line[0] == '>')
            xml.back().insert(xml.back().size() - 9, s + "</widget>");
        else
            xml.push_back(s + "</widget>");
    }
    for (size_t i = 1; i < xml.size(); ++i) xml[0].insert(xml[0].size() - 9, xml[i]);
    std::filesystem::create_directories(dir.file("Test.uir"));
    qstest::WriteFileBytes(dir.file(std::string("Test.uir/") + file),
                           "<?xml version=\"1.0\"?><ui version=\"4.0\"><class>P</class>" + xml[0] + "</ui>");
}

class PanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        qstest::EnsureRuntime();
        // Styled like the program's panels: a style sheet on the panel colours its buttons.
        WriteUi(
            dir_, "01-test.ui",
            {"QWidget TEST 0 0 0 400 300 callback=PanelCb windowTitle=T "
             "styleSheet=QPushButton{background:#202020}",
             "QPushButton QUIT 2 10 10 80 30 callback=TestCb text=Quit",
             "QPushButton GO 3 100 10 80 30 text=Go", "QComboBox RING 4 10 50 120 24",
             "QLabel NUMLABEL 0 140 50 60 20 text=Count buddy=NUM", "QSpinBox NUM 5 200 50 60 24 maximum=999",
             "QTableWidget TABLE 6 10 80 300 120 callback=TableCb columnCount=3",
             "QPlainTextEdit TEXT 7 10 210 200 60", "QLabel MSG 8 220 210 100 20",
             "QsPicture PIC 9 320 10 40 40",
             "QsHyperlink LINK 10 220 240 100 20 text=site url=https://example.org/clock",
             "QCheckBox SW 11 320 60 60 20 callback=TestCb", "QLineEdit EDIT 12 320 90 70 24 callback=TestCb",
             "QGroupBox BOX 0 320 130 70 60", ">QPushButton INNER 13 5 20 50 24",
             "QLabel PLAIN 14 320 200 70 20"});
        // A child panel with its own place and a close box, one without a place (centred).
        WriteUi(dir_, "02-child.ui",
                {"QWidget CHILD 0 20 30 100 80 callback=ChildPanelCb",
                 "QPushButton OK 2 5 5 60 24 callback=ChildCb",
                 "QToolButton CLOSEBOX 0 80 0 20 20 closeBox=true"});
        WriteUi(dir_, "03-centred.ui", {"QWidget CENTRED 0 0 0 100 50"});
        g_calls.clear();
        for (const char* name : {"TestCb", "TableCb", "PanelCb", "ChildCb", "ChildPanelCb"})
            RegisterCallback(name, Record);
        panel_ = LoadPanel(0, "Test.uir", 1);
        ASSERT_GT(panel_, 0);
    }
    void TearDown() override {
        DiscardPanel(panel_);  // may already be gone
        Pump();
    }
    template <class T = QWidget>
    T* Find(const char* name) {
        for (QWidget* w : QApplication::allWidgets())
            if (w->objectName() == QLatin1String(name) && qobject_cast<T*>(w)) return qobject_cast<T*>(w);
        return nullptr;
    }
    // Takes every event pending without sleeping; commits that went to the queue are kept.
    void Pump() {
        for (int i = 0, p, c; i < 5; ++i, ProcessSystemEvents())
            for (SetNextWake(0); GetUserEvent(0, &p, &c); SetNextWake(0)) queued_.push_back({p, c, 0, 0, 0});
    }
    int Get(int control, int attribute, int panel = 0) {  // control 0: the panel's
        int v = -1;
        if (!panel) panel = panel_;
        const int r = control ? GetCtrlAttribute(panel, control, attribute, &v)
                              : GetPanelAttribute(panel, attribute, &v);
        return r < 0 ? -9 : v;
    }

    qstest::TempProgramDir dir_{false};
    int panel_ = 0;
    std::vector<Call> queued_;
};

}  // namespace

// Each attribute set through the layer shows on the widget (read from Qt) and reads back.
TEST_F(PanelTest, LoadsByNumberAndAttributesShowOnTheWidget) {
    EXPECT_TRUE(LoadPanel(0, "Test.uir", 9) < 0 && LoadPanel(0, "Missing.uir", 1) < 0 &&
                LoadPanel(12345, "Test.uir", 2) < 0);  // no such panel, file, parent
    const int second = LoadPanel(0, "Test.uir", 1);
    EXPECT_EQ(FindLoadedPanel("Test.uir", 1), second);  // the newest
    int a = 0, b = 0;
    SetCtrlVal(second, NUM, 7), SetCtrlVal(panel_, NUM, 3);  // each copy by its own handle
    GetCtrlVal(panel_, NUM, &a), GetCtrlVal(second, NUM, &b);
    EXPECT_EQ(a * 10 + b + DiscardPanel(second), 37);
    EXPECT_TRUE(SetCtrlVal(second, NUM, 1) < 0 && SetCtrlVal(panel_, 99, 1) < 0);
    Pump();  // the discarded copy's widgets go
    auto shown = [this](const char* name, int attribute, int role) {
        QWidget* w = Find(name);
        const QPoint at = w->mapTo(w->window(), QPoint());
        if (role >= 0) return int(w->palette().color(QPalette::ColorRole(role)).rgb() & 0xFFFFFF);
        if (attribute == ATTR_VISIBLE || attribute == ATTR_LABEL_VISIBLE) return int(!w->isHidden());
        if (attribute == ATTR_DIMMED) return int(!w->isEnabled());
        if (attribute == ATTR_CTRL_MODE) return w->property("readOnly").toBool() ? int(VAL_INDICATOR) : -1;
        return attribute == ATTR_LEFT ? at.x() : attribute == ATTR_TOP ? at.y() : w->width();
    };
    const struct {
        const char* name;
        int control, attribute, value, role = -1;
    } rows[] = {{"INNER", INNER, ATTR_LEFT, 330},  // in the panel, whatever holds it
                {"INNER", INNER, ATTR_TOP, 160},
                {"GO", GO, ATTR_VISIBLE, 0},
                {"GO", GO, ATTR_DIMMED, 1},
                {"GO", GO, ATTR_WIDTH, 70},
                {"NUMLABEL", NUM, ATTR_LABEL_VISIBLE, 0},
                {"EDIT", EDIT, ATTR_CTRL_MODE, VAL_INDICATOR},
                {"EDIT", EDIT, ATTR_TEXT_BGCOLOR, 0x102030, QPalette::Base},
                {"MSG", MSG, ATTR_TEXT_COLOR, 0x102030, QPalette::WindowText},
                {"MSG", MSG, ATTR_BACKCOLOR, 0x304050, QPalette::Window},
                {"NUMLABEL", NUM, ATTR_LABEL_COLOR, 0x405060, QPalette::WindowText},  // its caption's
                {"SW", SW, ATTR_LABEL_COLOR, 0x102030, QPalette::ButtonText},
                {"GO", GO, ATTR_CMD_BUTTON_COLOR, 0x1060C0, QPalette::Button}};
    EXPECT_EQ(Get(INNER, ATTR_LEFT) * 1000 + Get(INNER, ATTR_TOP), 325 * 1000 + 150);
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.name << " attribute " << r.attribute);
        ASSERT_EQ(SetCtrlAttribute(panel_, r.control, r.attribute, r.value), 0);
        EXPECT_EQ(Get(r.control, r.attribute) * 0x1000000LL + shown(r.name, r.attribute, r.role),
                  r.value * 0x1000001LL);
    }
    SetCtrlAttribute(panel_, NUM, ATTR_MAX_VALUE, 50);
    SetCtrlVal(panel_, NUM, 80);
    GetCtrlVal(panel_, NUM, &a);
    EXPECT_EQ(a, 50);  // held in the range
    // The panel's style sheet does not hide the colour the program gives a button.
    DisplayPanel(panel_);
    const QImage face = Find("GO")->grab().toImage();
    const QColor c = face.pixelColor(face.width() / 2, face.height() / 2);
    EXPECT_TRUE(c.blue() > 2 * c.red() && c.blue() > c.green()) << c.name().toStdString();
}

// Texts are Windows-1252 bytes in the program; a hidden caption keeps its text; values set by
// code are no commits.
TEST_F(PanelTest, CaptionsTextsAndRingsTakeValuesWithoutCommits) {
    char text[64], small[4];
    SetCtrlAttribute(panel_, QUIT, ATTR_LABEL_VISIBLE, 0);
    SetCtrlAttribute(panel_, QUIT, ATTR_LABEL_TEXT, "__1  Sync & time");  // "__": the shortcut
    GetCtrlAttribute(panel_, QUIT, ATTR_LABEL_TEXT, text, sizeof text);
    EXPECT_EQ(Find<QPushButton>("QUIT")->text() + text, "__1  Sync & time");
    SetCtrlAttribute(panel_, QUIT, ATTR_LABEL_VISIBLE, 1);
    EXPECT_EQ(Find<QPushButton>("QUIT")->text(), "&1  Sync && time");
    SetCtrlVal(panel_, MSG, "N\xB0 12 \x80");
    GetCtrlVal(panel_, MSG, small, sizeof small);  // cut to the buffer
    EXPECT_EQ(Find<QLabel>("MSG")->text().toStdString() + small,
              "N\u00B0 12 \u20AC"
              "N\xB0 ");
    ResetTextBox(panel_, TEXT, "second");
    InsertTextBoxLine(panel_, TEXT, 0, "first");
    GetCtrlVal(panel_, TEXT, text, sizeof text);
    EXPECT_STREQ(text, "first\nsecond");
    InsertListItem(panel_, RING, -1, "COM1", 1);
    InsertListItem(panel_, RING, -1, "COM3", 3);
    InsertListItem(panel_, RING, 0, "COM9", 9);  // at the top
    int n = 0, v = 0, index = -1;
    EXPECT_EQ(SetCtrlVal(panel_, RING, 3), 0);
    GetNumListItems(panel_, RING, &n), GetCtrlVal(panel_, RING, &v), GetCtrlIndex(panel_, RING, &index);
    EXPECT_EQ(n * 100 + v * 10 + index, 332);
    EXPECT_TRUE(SetCtrlVal(panel_, RING, 4) < 0 && SetCtrlIndex(panel_, RING, 3) < 0 &&
                InsertListItem(panel_, NUM, -1, "x", 1) < 0);  // no such item; not a ring
    SetCtrlVal(panel_, NUM, 42.6), SetCtrlVal(panel_, SW, 1);
    GetCtrlVal(panel_, NUM, &v);
    Pump();
    EXPECT_EQ(v * 10 + int(queued_.size() + g_calls.size()), 430);
}

TEST_F(PanelTest, TableRowsCellsColoursAndTheActiveCell) {
    auto attr = [&](int col, int row, int attribute = ATTR_TEXT_COLOR) {
        int v = -1;
        GetTableCellAttribute(panel_, TABLE, MakePoint(col, row), attribute, &v);
        return v;
    };
    auto* t = Find<QTableView>("TABLE");
    EXPECT_EQ(InsertTableRows(panel_, TABLE, -1, 3) + SetTableCellVal(panel_, TABLE, MakePoint(2, 3), "1:02"),
              0);
    for (Point bad : {MakePoint(4, 1), MakePoint(1, 4), MakePoint(0, 1), MakePoint(1, 0)})
        EXPECT_TRUE(SetTableCellVal(panel_, TABLE, bad, "x") < 0 &&
                    SetTableCellAttribute(panel_, TABLE, bad, ATTR_TEXT_COLOR, 1) < 0);
    // Colours land on exactly the cells named: a row, a cell, a range of one row, an empty range.
    const int plain = attr(1, 1);
    SetTableRowAttribute(panel_, TABLE, 2, ATTR_TEXT_BGCOLOR, 0xFFFF00);
    SetTableCellAttribute(panel_, TABLE, MakePoint(3, 1), ATTR_TEXT_COLOR, 0x00FF00);
    SetTableCellRangeAttribute(panel_, TABLE, MakeRect(3, 2, 1, 2), ATTR_TEXT_COLOR, 0xFF0000);
    SetTableCellRangeAttribute(panel_, TABLE, MakeRect(1, 1, 0, 3), ATTR_TEXT_COLOR, 0xFF0000);
    const int fg[3][3] = {{plain, plain, 0x00FF00}, {plain, plain, plain}, {plain, 0xFF0000, 0xFF0000}};
    for (int row = 1; row <= 3; ++row)
        for (int col = 1; col <= 3; ++col)
            EXPECT_TRUE(attr(col, row) == fg[row - 1][col - 1] &&
                        (attr(col, row, ATTR_TEXT_BGCOLOR) == 0xFFFF00) == (row == 2))
                << col << "," << row;
    InsertTableRows(panel_, TABLE, 1, 1);  // at row 1: the others move down
    DeleteTableRows(panel_, TABLE, 2, 2);
    int rows = 0;
    GetNumTableRows(panel_, TABLE, &rows);
    EXPECT_EQ(rows * 100 + attr(3, 2), 200 + 0xFF0000);
    EXPECT_EQ(t->model()->index(1, 1).data().toString(), "1:02");  // (column 2, row 2)
    // Column attributes hold for rows added later, before or after the others.
    SetTableColumnAttribute(panel_, TABLE, 2, ATTR_CELL_MODE, VAL_INDICATOR);
    SetTableColumnAttribute(panel_, TABLE, 3, ATTR_TEXT_COLOR, 0x0000FF);
    SetTableColumnAttribute(panel_, TABLE, 1, ATTR_LABEL_TEXT, "N\xB0");
    InsertTableRows(panel_, TABLE, -1, 500);
    InsertTableRows(panel_, TABLE, 1, 1);
    for (int row : {0, 1, 2, 502})
        EXPECT_TRUE(attr(3, row + 1) == 0x0000FF && !(t->model()->flags(t->model()->index(row, 1)) & 2))
            << row;
    EXPECT_EQ(t->model()->headerData(0, Qt::Horizontal).toString(), QString::fromUtf8("N\u00B0"));
    // The active cell set by code is no operator's change; the operator's is (row, column).
    Point cell{};
    SetActiveTableCell(panel_, TABLE, MakePoint(2, 4));
    GetActiveTableCell(panel_, TABLE, &cell);
    EXPECT_EQ(cell.x * 10 + cell.y + CountEvents(EVENT_ACTIVE_CELL_CHANGE), 24);
    t->setCurrentIndex(t->model()->index(1, 0));  // as a click would
    ASSERT_EQ(CountEvents(EVENT_ACTIVE_CELL_CHANGE, TABLE, panel_), 1);
    EXPECT_EQ(g_calls.back().data1 * 10 + g_calls.back().data2, 21);
    // A row put above the last one, as a new time is, reaches the view with the next batch:
    // meanwhile the rows below it already have their new numbers, for code and operator.
    SetActiveTableCell(panel_, TABLE, MakePoint(1, 503));
    InsertTableRows(panel_, TABLE, 503, 1);
    GetActiveTableCell(panel_, TABLE, &cell);
    t->setCurrentIndex(t->model()->index(t->model()->rowCount() - 1, 1));
    EXPECT_EQ(cell.y * 1000 + g_calls.back().data1, 504504);
}

TEST_F(PanelTest, PicturesFromStoredPaths) {
    std::filesystem::create_directories(dir_.file("Data"));
    QImage image(64, 32, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(QString::fromStdString(dir_.file("Data/logo.png"))));
    qstest::WriteFileBytes(dir_.file("Data/bad.png"), "not a picture");
    EXPECT_EQ(DisplayImageFile(panel_, PIC, "Data\\logo.png"), 0);
    EXPECT_EQ(Get(PIC, ATTR_IMAGE_WIDTH) * 100 + Get(PIC, ATTR_IMAGE_HEIGHT) + Get(PIC, ATTR_WIDTH), 6472);
    SetCtrlAttribute(panel_, PIC, ATTR_FIT_MODE, VAL_SIZE_TO_IMAGE);  // scaled into the control no longer
    EXPECT_EQ(Get(PIC, ATTR_WIDTH) * 100 + Get(PIC, ATTR_HEIGHT), 6432);
    EXPECT_TRUE(DisplayImageFile(panel_, PIC, "Data\\missing.png") < 0 &&
                DisplayImageFile(panel_, PIC, "Data\\bad.png") < 0 &&
                DisplayImageFile(panel_, NUM, "Data/logo.png") < 0);
    EXPECT_EQ(DeleteImage(panel_, PIC) + Get(PIC, ATTR_IMAGE_WIDTH), 0);
}

// Child panels sit in the parent's coordinates; the program decides on closing; a child's
// events stay in it; closing a window gives the activity back to the one below it.
TEST_F(PanelTest, ChildPanelsWindowsAndTheActivePanel) {
    DisplayPanel(panel_);
    const int child = LoadPanel(panel_, "Test.uir", 2), centred = LoadPanel(panel_, "Test.uir", 3);
    const int dialog = LoadPanel(0, "Test.uir", 3);
    EXPECT_EQ(Get(0, ATTR_PANEL_PARENT, child) * 10 + Get(0, ATTR_VISIBLE, child), panel_ * 10);  // hidden
    EXPECT_EQ(Get(0, ATTR_LEFT, child) * 1000 + Get(0, ATTR_TOP, child), 20 * 1000 + 30);
    EXPECT_EQ(Get(0, ATTR_LEFT, centred) * 1000 + Get(0, ATTR_TOP, centred), 150 * 1000 + 125);  // no place
    EXPECT_FALSE(Find("TEST")->close());
    EXPECT_TRUE(Find("TEST")->isVisible() && CountEvents(EVENT_CLOSE, 0, panel_) == 1);
    DisplayPanel(child);
    QTest::mouseClick(Find("CLOSEBOX"), Qt::LeftButton);
    QTest::mouseClick(Find("OK"), Qt::LeftButton);
    Pump();
    EXPECT_EQ(CountEvents(EVENT_CLOSE, 0, child) * 10 + CountEvents(EVENT_CLOSE), 12);
    EXPECT_EQ(CountEvents(EVENT_COMMIT, 2, child), 1);
    EXPECT_EQ(CountEvents(EVENT_LEFT_CLICK, 0, child) * 10 + CountEvents(EVENT_LEFT_CLICK, 0, panel_), 20);
    EXPECT_EQ(GetActivePanel(), child);
    HidePanel(child);
    SetPanelPos(dialog, 40, 50);  // a window the program placed is not centred when shown
    DisplayPanel(dialog);
    EXPECT_EQ(GetActivePanel() * 100000 + Get(0, ATTR_TOP, dialog) * 1000 + Get(0, ATTR_LEFT, dialog),
              dialog * 100000 + 40050);
    DisplayPanel(child);
    EXPECT_EQ(GetActivePanel(), child);
    // A dimmed parent leaves its child panel usable (dialogs are children of dimmed windows);
    // undimming keeps a control the program dimmed itself.
    SetPanelAttribute(panel_, ATTR_DIMMED, 1);
    EXPECT_TRUE(Get(0, ATTR_DIMMED) == 1 && !Find("QUIT")->isEnabled() && Find("OK")->isEnabled());
    SetCtrlAttribute(panel_, GO, ATTR_DIMMED, 1);
    SetPanelAttribute(panel_, ATTR_DIMMED, 0);
    EXPECT_TRUE(Find("QUIT")->isEnabled() && !Find("GO")->isEnabled());
    HidePanel(child);
    EXPECT_EQ(GetActivePanel(), dialog);
    DiscardPanel(dialog);
    EXPECT_EQ(GetActivePanel() * 10 + Get(0, ATTR_ACTIVE), panel_ * 10 + 1);
    DiscardPanel(panel_);  // takes its children with it
    ProcessSystemEvents();
    EXPECT_EQ(Get(0, ATTR_VISIBLE, child) + Get(0, ATTR_VISIBLE, centred), -18);
    EXPECT_EQ(Find("CHILD"), nullptr);
}

TEST_F(PanelTest, ClicksKeysAndLinksReachTheNamedCallbackOrTheQueue) {
    static std::string document;
    DisplayPanel(panel_);
    // The control's callback and the panel's see the press, in the panel (data1 y, data2 x),
    // then the commit; nothing is queued.
    QTest::mouseClick(Find("QUIT"), Qt::LeftButton, Qt::NoModifier, QPoint(5, 7));
    Pump();
    EXPECT_EQ(CountEvents(EVENT_LEFT_CLICK, QUIT) * 100 + CountEvents(EVENT_LEFT_CLICK, 0) * 10 +
                  CountEvents(EVENT_COMMIT, QUIT) + int(queued_.size()) * 1000,
              111);
    for (const Call& c : g_calls)
        EXPECT_TRUE(c.event != EVENT_LEFT_CLICK || (c.data1 == 17 && c.data2 == 15));
    // A control without a callback commits to the queue, in order.
    g_calls.clear();
    QTest::mouseClick(Find("GO"), Qt::LeftButton);
    QueueUserEvent(panel_, RING);
    int p = 0, c = 0, event = 0;
    for (int i = 0; i < 10 && !event; ++i, SetNextWake(0)) event = GetUserEvent(0, &p, &c);
    EXPECT_EQ(event * 1000 + p * 100 + c, EVENT_COMMIT * 1000 + panel_ * 100 + GO);
    EXPECT_EQ(GetUserEvent(0, &p, &c) * 100 + c, EVENT_COMMIT * 100 + RING);
    // Keys go to the focused control and its panel; Return finishes the edit.
    QTest::keyClick(Find("EDIT"), Qt::Key_A);
    QTest::keyClick(Find("EDIT"), Qt::Key_Return);
    Pump();
    std::vector<int> keys;
    for (const Call& k : g_calls)
        if (k.event == EVENT_KEYPRESS) keys.push_back(k.control * 1000 + k.data1);
    EXPECT_EQ(keys, (std::vector<int>{EDIT * 1000 + 'a', 'a', EDIT * 1000 + 13, 13}));
    EXPECT_EQ(CountEvents(EVENT_COMMIT, EDIT), 1);
    SetDocumentHook([](const char* path) { return document = path, 0; });
    QTest::mouseClick(Find("LINK"), Qt::LeftButton);
    SetDocumentHook(nullptr);
    EXPECT_EQ(document, "https://example.org/clock");
    // A dimmed control hears no click (its panel does); a dimmed panel none at all.
    g_calls.clear();
    SetCtrlAttribute(panel_, QUIT, ATTR_DIMMED, 1);
    QTest::mouseClick(Find("QUIT"), Qt::LeftButton);
    SetPanelAttribute(panel_, ATTR_DIMMED, 1);
    QTest::mouseClick(Find("TEST"), Qt::LeftButton, Qt::NoModifier, QPoint(395, 295));
    Pump();
    EXPECT_EQ(CountEvents(EVENT_LEFT_CLICK, 0) * 10 + CountEvents(EVENT_LEFT_CLICK, QUIT), 10);
}

TEST_F(PanelTest, DiscardingThePanelFromItsOwnCallbackIsSafe) {
    static int discarded = 0;
    DisplayPanel(panel_);
    InstallCtrlCallback(
        panel_, QUIT,
        [](int panel, int, int event, void*, int, int) {
            if (event == EVENT_COMMIT) discarded = DiscardPanel(panel) == 0 ? 1 : -1;
            return 0;
        },
        nullptr);
    QPointer<QWidget> button = Find("QUIT");
    QTest::mouseClick(button, Qt::LeftButton);  // the callback runs inside the button's signal
    EXPECT_EQ(discarded * 100 + Get(0, ATTR_VISIBLE), 100 - 9);  // the handle is dead at once
    Pump();
    EXPECT_TRUE(button.isNull() && queued_.empty());  // the widgets go once no callback runs
}
