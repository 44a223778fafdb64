// Panels and controls through the layer's operations: loading by number, attributes per control
// kind, captions, texts, rings, tables, pictures, child panels.
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <cstring>

#include "tests/platform/PanelFixture.h"

using namespace pltest;

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
