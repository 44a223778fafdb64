// Panels, controls and events through the layer's operations, on a test resource with every
// kind of control: loading by number, attributes per control kind, captions, texts, rings,
// tables, pictures, child panels, commits to callbacks or the queue, keys, close boxes, the
// active panel, discarding from a callback, the mouse.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QEnterEvent>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "platform/cvi.h"
#include "tests/support/TestSupport.h"

namespace {

int g_discarded = 0;
std::string g_document;

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
            for (SetNextWake(0); GetUserEvent(0, &p, &c); SetNextWake(0))
                queued_.push_back({p, c, EVENT_COMMIT, 0, 0});
    }
    int Get(int control, int attribute) {  // control 0: the panel's
        int v = -1;
        EXPECT_EQ(control ? GetCtrlAttribute(panel_, control, attribute, &v)
                          : GetPanelAttribute(panel_, attribute, &v),
                  0);
        return v;
    }

    qstest::TempProgramDir dir_{false};
    int panel_ = 0;
    std::vector<Call> queued_;
};

}  // namespace

TEST_F(PanelTest, LoadsPanelsByNumberAndRefusesUnknownOnes) {
    EXPECT_LT(LoadPanel(0, "Test.uir", 9), 0);
    EXPECT_LT(LoadPanel(0, "Missing.uir", 1), 0);
    EXPECT_LT(LoadPanel(12345, "Test.uir", 2), 0);  // no such parent
    EXPECT_EQ(GetPanelHandleFromTag(1), panel_);
    const int second = LoadPanel(0, "Test.uir", 1);
    EXPECT_EQ(FindLoadedPanel("Test.uir", 1), second);  // the newest
    int a = 0, b = 0;
    SetCtrlVal(second, NUM, 7), SetCtrlVal(panel_, NUM, 3);  // each copy by its own handle
    GetCtrlVal(panel_, NUM, &a), GetCtrlVal(second, NUM, &b);
    EXPECT_EQ(a * 10 + b, 37);
    EXPECT_EQ(DiscardPanel(second), 0);
    EXPECT_LT(SetCtrlVal(second, NUM, 1), 0);
    EXPECT_LT(SetCtrlVal(panel_, 99, 1), 0);
    EXPECT_LT(DiscardPanel(second), 0);
}

// Each attribute set through the layer shows on the widget (read from Qt) and reads back.
TEST_F(PanelTest, ControlAttributesShowOnTheWidgetAndReadBack) {
    auto shown = [this](const char* name, int attribute, int role) -> int {
        QWidget* w = Find(name);
        auto* spin = qobject_cast<QSpinBox*>(w);
        if (role >= 0) return int(w->palette().color(QPalette::ColorRole(role)).rgb() & 0xFFFFFF);
        switch (attribute) {
            case ATTR_VISIBLE:
                return int(!w->isHidden());
            case ATTR_DIMMED:
                return int(!w->isEnabled());
            case ATTR_LEFT:
                return w->mapTo(w->window(), QPoint()).x();
            case ATTR_TOP:
                return w->mapTo(w->window(), QPoint()).y();
            case ATTR_WIDTH:
                return w->width();
            case ATTR_HEIGHT:
                return w->height();
            case ATTR_MIN_VALUE:
                return spin->minimum();
            case ATTR_MAX_VALUE:
                return spin->maximum();
            case ATTR_CTRL_MODE:
                return w->property("readOnly").toBool() ? int(VAL_INDICATOR) : int(VAL_HOT);
            case ATTR_LABEL_VISIBLE:
                return name == std::string("NUM") ? int(!Find("NUMLABEL")->isHidden())
                                                  : int(!static_cast<QPushButton*>(w)->text().isEmpty());
        }
        return -1;
    };
    const struct {
        const char* name;
        int control, attribute, value, role = -1;
    } rows[] = {{"INNER", INNER, ATTR_LEFT, 330},  // in the panel, whatever holds it
                {"INNER", INNER, ATTR_TOP, 160},
                {"GO", GO, ATTR_VISIBLE, 0},
                {"GO", GO, ATTR_VISIBLE, 1},
                {"GO", GO, ATTR_DIMMED, 1},
                {"GO", GO, ATTR_DIMMED, 0},
                {"GO", GO, ATTR_WIDTH, 70},
                {"GO", GO, ATTR_HEIGHT, 20},
                {"NUM", NUM, ATTR_MAX_VALUE, 50},
                {"NUM", NUM, ATTR_MIN_VALUE, 5},
                {"NUM", NUM, ATTR_LABEL_VISIBLE, 0},
                {"QUIT", QUIT, ATTR_LABEL_VISIBLE, 0},
                {"EDIT", EDIT, ATTR_CTRL_MODE, VAL_INDICATOR},
                {"EDIT", EDIT, ATTR_CTRL_MODE, VAL_HOT},
                {"EDIT", EDIT, ATTR_TEXT_BGCOLOR, 0x102030, QPalette::Base},
                {"EDIT", EDIT, ATTR_TEXT_COLOR, 0x203040, QPalette::Text},
                {"MSG", MSG, ATTR_TEXT_COLOR, 0x102030, QPalette::WindowText},
                {"MSG", MSG, ATTR_BACKCOLOR, 0x304050, QPalette::Window},
                {"SW", SW, ATTR_LABEL_COLOR, 0x102030, QPalette::ButtonText},
                {"GO", GO, ATTR_CMD_BUTTON_COLOR, 0x1060C0, QPalette::Button}};
    EXPECT_EQ(Get(INNER, ATTR_LEFT) * 1000 + Get(INNER, ATTR_TOP), 325 * 1000 + 150);
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.name << " attribute " << r.attribute);
        ASSERT_EQ(SetCtrlAttribute(panel_, r.control, r.attribute, r.value), 0);
        EXPECT_EQ(Get(r.control, r.attribute), r.value);
        EXPECT_EQ(shown(r.name, r.attribute, r.role), r.value);
    }
    int v = 0;
    SetCtrlVal(panel_, NUM, 80);
    GetCtrlVal(panel_, NUM, &v);
    EXPECT_EQ(v, 50);  // held in the range
    EXPECT_LT(SetCtrlAttribute(panel_, 99, ATTR_VISIBLE, 0), 0);
    // The panel's style sheet does not hide the colour the program gives a button.
    DisplayPanel(panel_);
    const QImage face = Find("GO")->grab().toImage();
    const QColor c = face.pixelColor(face.width() / 2, face.height() / 2);
    EXPECT_TRUE(c.blue() > 2 * c.red() && c.blue() > c.green()) << c.name().toStdString();
}

TEST_F(PanelTest, CaptionsHideKeepTheirTextAndShowTheShortcut) {
    char text[64];
    GetCtrlAttribute(panel_, NUM, ATTR_LABEL_TEXT, text, sizeof text);
    EXPECT_STREQ(text, "Count");  // the label whose buddy it is
    SetCtrlAttribute(panel_, QUIT, ATTR_LABEL_VISIBLE, 0);
    SetCtrlAttribute(panel_, QUIT, ATTR_LABEL_TEXT, "__1  Sync & time");  // "__": the shortcut
    EXPECT_TRUE(Find<QPushButton>("QUIT")->text().isEmpty());
    GetCtrlAttribute(panel_, QUIT, ATTR_LABEL_TEXT, text, sizeof text);
    EXPECT_STREQ(text, "__1  Sync & time");
    SetCtrlAttribute(panel_, QUIT, ATTR_LABEL_VISIBLE, 1);
    EXPECT_EQ(Find<QPushButton>("QUIT")->text(), "&1  Sync && time");
}

TEST_F(PanelTest, TextsRoundTripAsWindowsBytesCutToTheBuffer) {
    SetCtrlVal(panel_, MSG, "N\xB0 12 \x80");
    EXPECT_EQ(Find<QLabel>("MSG")->text(), QString::fromUtf8("N\u00B0 12 \u20AC"));
    char all[256], again[256], small[4];
    for (int i = 1; i < 256; ++i) all[i - 1] = char(i);  // those Windows leaves undefined too
    all[255] = 0;
    SetCtrlVal(panel_, EDIT, all);
    GetCtrlVal(panel_, EDIT, again, sizeof again);
    EXPECT_EQ(memcmp(all, again, 256), 0);
    GetCtrlVal(panel_, MSG, small, sizeof small);
    EXPECT_STREQ(small, "N\xB0 ");
    GetCtrlVal(panel_, MSG, small, 0);  // no room: nothing written
    EXPECT_EQ(small[0], 'N');
    ResetTextBox(panel_, TEXT, "second");
    InsertTextBoxLine(panel_, TEXT, -1, "third");
    InsertTextBoxLine(panel_, TEXT, 0, "first");
    EXPECT_EQ(Find<QPlainTextEdit>("TEXT")->toPlainText(), "first\nsecond\nthird");
}

TEST_F(PanelTest, RingsAndNumbersTakeValuesWithoutCommits) {
    InsertListItem(panel_, RING, -1, "COM1", 1);
    InsertListItem(panel_, RING, -1, "COM3", 3);
    InsertListItem(panel_, RING, 0, "COM9", 9);  // at the top
    int n = 0, v = 0, index = -1;
    EXPECT_EQ(SetCtrlVal(panel_, RING, 3), 0);
    GetNumListItems(panel_, RING, &n), GetCtrlVal(panel_, RING, &v), GetCtrlIndex(panel_, RING, &index);
    EXPECT_EQ(n * 100 + v * 10 + index, 332);
    EXPECT_EQ(Find<QComboBox>("RING")->itemText(0), "COM9");
    EXPECT_LT(SetCtrlVal(panel_, RING, 4), 0);  // no item of that value
    EXPECT_LT(SetCtrlIndex(panel_, RING, 3), 0);
    SetCtrlIndex(panel_, RING, 0);
    GetCtrlVal(panel_, RING, &v);
    EXPECT_EQ(v, 9);
    ClearListCtrl(panel_, RING);
    GetNumListItems(panel_, RING, &n);
    EXPECT_EQ(n, 0);
    EXPECT_LT(InsertListItem(panel_, NUM, -1, "x", 1), 0);  // not a ring
    double d = 0;
    SetCtrlVal(panel_, NUM, 42.6), SetCtrlVal(panel_, SW, 1);
    GetCtrlVal(panel_, NUM, &v), GetCtrlVal(panel_, NUM, &d);
    EXPECT_EQ(v * 1000 + d, 43043);
    Pump();
    EXPECT_TRUE(queued_.empty() && g_calls.empty());  // values set by code are no commits
}

TEST_F(PanelTest, TableRowsCellsAndColours) {
    auto text = [&](int col, int row) {
        char s[32] = "?";
        GetTableCellVal(panel_, TABLE, MakePoint(col, row), s, sizeof s);
        return std::string(s);
    };
    auto attr = [&](int col, int row, int attribute) {
        int v = -1;
        GetTableCellAttribute(panel_, TABLE, MakePoint(col, row), attribute, &v);
        return v;
    };
    EXPECT_EQ(InsertTableRows(panel_, TABLE, -1, 3), 0);
    EXPECT_EQ(SetTableCellVal(panel_, TABLE, MakePoint(2, 3), "12:00:01"), 0);
    EXPECT_EQ(SetTableCellVal(panel_, TABLE, MakePoint(1, 1), 77), 0);
    for (Point bad : {MakePoint(4, 1), MakePoint(1, 4), MakePoint(0, 1), MakePoint(1, 0)}) {
        EXPECT_LT(SetTableCellVal(panel_, TABLE, bad, "x"), 0);
        EXPECT_LT(SetTableCellAttribute(panel_, TABLE, bad, ATTR_TEXT_COLOR, 1), 0);
    }
    EXPECT_EQ(Find<QTableView>("TABLE")->model()->index(2, 1).data().toString(),
              "12:00:01");  // (column, row)
    int v = 0;
    GetTableCellVal(panel_, TABLE, MakePoint(1, 1), &v);
    EXPECT_EQ(v, 77);
    // Colours land on exactly the cells named: a row, a cell, a range of one row, an empty range.
    const int plain = attr(1, 1, ATTR_TEXT_COLOR);
    SetTableRowAttribute(panel_, TABLE, 2, ATTR_TEXT_BGCOLOR, 0xFFFF00);
    SetTableCellAttribute(panel_, TABLE, MakePoint(3, 1), ATTR_TEXT_COLOR, 0x00FF00);
    SetTableCellRangeAttribute(panel_, TABLE, MakeRect(3, 2, 1, 2), ATTR_TEXT_COLOR, 0xFF0000);
    SetTableCellRangeAttribute(panel_, TABLE, MakeRect(1, 1, 0, 3), ATTR_TEXT_COLOR, 0xFF0000);
    const int fg[3][3] = {{plain, plain, 0x00FF00}, {plain, plain, plain}, {plain, 0xFF0000, 0xFF0000}};
    for (int row = 1; row <= 3; ++row)
        for (int col = 1; col <= 3; ++col) {
            EXPECT_EQ(attr(col, row, ATTR_TEXT_COLOR), fg[row - 1][col - 1]) << col << "," << row;
            EXPECT_EQ(attr(col, row, ATTR_TEXT_BGCOLOR) == 0xFFFF00, row == 2) << col << "," << row;
        }
    InsertTableRows(panel_, TABLE, 1, 1);  // at row 1: the others move down
    EXPECT_EQ(text(2, 4), "12:00:01");
    DeleteTableRows(panel_, TABLE, 2, 2);
    int rows = 0;
    GetNumTableRows(panel_, TABLE, &rows);
    EXPECT_EQ(rows * 100 + attr(3, 2, ATTR_TEXT_COLOR), 200 + 0xFF0000);
    EXPECT_EQ(text(2, 2), "12:00:01");
    DeleteTableRows(panel_, TABLE, 1, -1);
    GetNumTableRows(panel_, TABLE, &rows);
    EXPECT_EQ(rows, 0);
}

TEST_F(PanelTest, ColumnAttributesHoldForRowsAddedLater) {
    InsertTableRows(panel_, TABLE, -1, 2);
    SetTableColumnAttribute(panel_, TABLE, 2, ATTR_CELL_MODE, VAL_INDICATOR);
    SetTableColumnAttribute(panel_, TABLE, 3, ATTR_TEXT_COLOR, 0x0000FF);
    SetTableColumnAttribute(panel_, TABLE, 1, ATTR_LABEL_TEXT, "N\xB0");
    InsertTableRows(panel_, TABLE, -1, 500);
    InsertTableRows(panel_, TABLE, 1, 1);
    auto* t = Find<QTableView>("TABLE");
    for (int row : {0, 1, 2, 501}) {
        EXPECT_FALSE(t->model()->flags(t->model()->index(row, 1)) & Qt::ItemIsEditable) << row;
        int v = 0;
        GetTableCellAttribute(panel_, TABLE, MakePoint(3, row + 1), ATTR_TEXT_COLOR, &v);
        EXPECT_EQ(v, 0x0000FF) << row;
    }
    EXPECT_EQ(t->model()->headerData(0, Qt::Horizontal).toString(), QString::fromUtf8("N\u00B0"));
    SetTableColumnAttribute(panel_, TABLE, 3, ATTR_TEXT_COLOR, 0x00FF00);  // set again: rows after it too
    InsertTableRows(panel_, TABLE, -1, 1);
    int v = 0;
    GetTableCellAttribute(panel_, TABLE, MakePoint(3, 504), ATTR_TEXT_COLOR, &v);
    EXPECT_EQ(v, 0x00FF00);
}

TEST_F(PanelTest, ActiveCellByCodeAndByOperator) {
    InsertTableRows(panel_, TABLE, -1, 5);
    SetActiveTableCell(panel_, TABLE, MakePoint(2, 4));
    Point cell{};
    GetActiveTableCell(panel_, TABLE, &cell);
    EXPECT_EQ(cell.x * 10 + cell.y, 24);
    EXPECT_EQ(CountEvents(EVENT_ACTIVE_CELL_CHANGE), 0);  // code, not the operator
    auto* table = Find<QTableView>("TABLE");
    table->setCurrentIndex(table->model()->index(1, 0));  // as a click would
    ASSERT_EQ(CountEvents(EVENT_ACTIVE_CELL_CHANGE, TABLE, panel_), 1);
    EXPECT_EQ(g_calls.back().data1 * 10 + g_calls.back().data2, 21);  // row, column
    // A row put above the last one, as a new time is, reaches the view with the next batch:
    // meanwhile the rows below it already have their new numbers, for code and operator.
    SetActiveTableCell(panel_, TABLE, MakePoint(1, 5));
    InsertTableRows(panel_, TABLE, 5, 1);
    GetActiveTableCell(panel_, TABLE, &cell);
    EXPECT_EQ(cell.y, 6);
    table->setCurrentIndex(table->model()->index(table->model()->rowCount() - 1, 1));
    EXPECT_EQ(g_calls.back().data1, 6);
}

TEST_F(PanelTest, PicturesFromStoredPaths) {
    std::filesystem::create_directories(dir_.file("Data"));
    QImage image(64, 32, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(QString::fromStdString(dir_.file("Data/logo.png"))));
    qstest::WriteFileBytes(dir_.file("Data/bad.png"), "not a picture");
    EXPECT_EQ(DisplayImageFile(panel_, PIC, "Data\\logo.png"), 0);
    EXPECT_EQ(Get(PIC, ATTR_IMAGE_WIDTH) * 100 + Get(PIC, ATTR_IMAGE_HEIGHT), 6432);
    EXPECT_EQ(Get(PIC, ATTR_WIDTH), 40);  // scaled into the control
    SetCtrlAttribute(panel_, PIC, ATTR_FIT_MODE, VAL_SIZE_TO_IMAGE);
    EXPECT_EQ(Get(PIC, ATTR_WIDTH) * 100 + Get(PIC, ATTR_HEIGHT), 6432);
    EXPECT_LT(DisplayImageFile(panel_, PIC, "Data\\missing.png"), 0);
    EXPECT_LT(DisplayImageFile(panel_, PIC, "Data\\bad.png"), 0);
    EXPECT_EQ(DeleteImage(panel_, PIC), 0);
    EXPECT_EQ(Get(PIC, ATTR_IMAGE_WIDTH), 0);
    EXPECT_EQ(DisplayImageFile(panel_, PLAIN, "Data/logo.png"), 0);  // a plain label can show one
    EXPECT_LT(DisplayImageFile(panel_, NUM, "Data/logo.png"), 0);
}

TEST_F(PanelTest, ChildPanelsArePlacedInTheParentAndGoWithIt) {
    DisplayPanel(panel_);
    const int child = LoadPanel(panel_, "Test.uir", 2), centred = LoadPanel(panel_, "Test.uir", 3);
    auto get = [](int panel, int attribute) {
        int v = -1;
        return GetPanelAttribute(panel, attribute, &v) < 0 ? -9 : v;
    };
    EXPECT_EQ(get(child, ATTR_PANEL_PARENT), panel_);
    EXPECT_EQ(get(child, ATTR_VISIBLE), 0);  // loaded hidden
    DisplayPanel(child);
    EXPECT_EQ(GetActivePanel(), child);
    EXPECT_EQ(get(child, ATTR_LEFT) * 1000 + get(child, ATTR_TOP), 20 * 1000 + 30);  // where its file puts it
    EXPECT_EQ(Find("CHILD")->parentWidget(), Find("TEST"));
    EXPECT_EQ(get(centred, ATTR_LEFT) * 1000 + get(centred, ATTR_TOP),
              150 * 1000 + 125);  // no place: centred
    // A dimmed parent leaves its child panel usable (dialogs are children of dimmed windows);
    // undimming keeps a control the program dimmed itself.
    SetPanelAttribute(panel_, ATTR_DIMMED, 1);
    EXPECT_EQ(Get(0, ATTR_DIMMED), 1);
    EXPECT_FALSE(Find("QUIT")->isEnabled());
    EXPECT_TRUE(Find("OK")->isEnabled());
    SetCtrlAttribute(panel_, GO, ATTR_DIMMED, 1);
    SetPanelAttribute(panel_, ATTR_DIMMED, 0);
    EXPECT_TRUE(Find("QUIT")->isEnabled());
    EXPECT_FALSE(Find("GO")->isEnabled());
    SetPanelAttribute(panel_, ATTR_TITLE, "Horloge \xE9t\xE9");
    EXPECT_EQ(Find("TEST")->windowTitle(), QString::fromUtf8("Horloge \u00E9t\u00E9"));
    SetPanelSize(child, 90, 110);
    EXPECT_EQ(get(child, ATTR_HEIGHT) * 1000 + get(child, ATTR_WIDTH), 90110);
    DiscardPanel(panel_);  // takes its children with it
    EXPECT_EQ(get(child, ATTR_VISIBLE) + get(centred, ATTR_VISIBLE), -18);
    ProcessSystemEvents();
    EXPECT_EQ(Find("CHILD"), nullptr);
}

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
    SetPanelPos(dialog, 40, 50);  // a window the program placed is not centred when shown
    DisplayPanel(dialog);
    EXPECT_EQ(GetActivePanel(), dialog);
    int top = 0, left = 0;
    GetPanelAttribute(dialog, ATTR_TOP, &top), GetPanelAttribute(dialog, ATTR_LEFT, &left);
    EXPECT_EQ(top * 1000 + left, 40050);
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
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));  // a link shows it is one
    QEvent leave(QEvent::Leave);
    int hover = 0, away = 0;
    QApplication::sendEvent(Find("LINK"), &enter), GetMouseCursor(&hover);
    QApplication::sendEvent(Find("LINK"), &leave), GetMouseCursor(&away);
    EXPECT_EQ(hover * 100 + away, VAL_POINTING_FINGER_CURSOR * 100 + VAL_DEFAULT_CURSOR);
    qstest::PointAt(panel_, GO, 7, 9);
    int x = -1, y = -1, left = -1;
    ASSERT_EQ(GetRelativeMouseState(panel_, GO, &x, &y, &left, nullptr, nullptr), 0);
    EXPECT_EQ(x * 1000 + y * 10 + left, 7 * 1000 + 9 * 10 + 0);
    GetRelativeMouseState(panel_, QUIT, &x, &y, nullptr, nullptr, nullptr);
    EXPECT_EQ(x, 100 + 7 - 10);  // GO sits 90 px right of QUIT
}
