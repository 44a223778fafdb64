// Panels and controls through the layer's operations: loading by number, attributes per control
// kind, captions, texts, rings, tables, pictures, child panels.
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <cstring>
#include <functional>

#include "platform/Runtime.h"
#include "tests/platform/PanelFixture.h"

using namespace pltest;

TEST_F(PanelTest, LoadsPanelsByNumberAndRefusesUnknownOnes) {
    EXPECT_LT(LoadPanel(0, "Test.uir", 9), 0);
    EXPECT_LT(LoadPanel(0, "Missing.uir", 1), 0);
    EXPECT_LT(LoadPanel(12345, "Test.uir", 2), 0);  // no such parent
    EXPECT_EQ(GetPanelHandleFromTag(1), panel_);
    const int second = LoadPanel(0, "Test.uir", 1);
    EXPECT_EQ(FindLoadedPanel("Test.uir", 1), second);  // the newest
    SetCtrlVal(second, NUM, 7);                         // each copy by its own handle
    SetCtrlVal(panel_, NUM, 3);
    int a = 0, b = 0;
    GetCtrlVal(panel_, NUM, &a);
    GetCtrlVal(second, NUM, &b);
    EXPECT_EQ(a * 10 + b, 37);
    EXPECT_EQ(DiscardPanel(second), 0);
    EXPECT_LT(SetCtrlVal(second, NUM, 1), 0);
    EXPECT_LT(SetCtrlVal(panel_, 99, 1), 0);
    EXPECT_LT(DiscardPanel(second), 0);
}

// Each attribute set through the layer shows on the widget and reads back, per control kind.
TEST_F(PanelTest, ControlAttributesShowAndReadBack) {
    EXPECT_EQ(Get(INNER, ATTR_LEFT) * 1000 + Get(INNER, ATTR_TOP), 325 * 1000 + 150);  // in the panel
    const QColor dark(0x10, 0x20, 0x30);
    struct Row {
        int control, attribute, value;
        std::function<bool(QWidget*)> shows;
    } rows[] = {
        {GO, ATTR_VISIBLE, 0, [](QWidget* w) { return w->isHidden(); }},
        {GO, ATTR_VISIBLE, 1, [](QWidget* w) { return !w->isHidden(); }},
        {GO, ATTR_DIMMED, 1, [](QWidget* w) { return !w->isEnabled(); }},
        {GO, ATTR_DIMMED, 0, [](QWidget* w) { return w->isEnabled(); }},
        {INNER, ATTR_LEFT, 330, [](QWidget* w) { return w->x() == 10; }},
        {INNER, ATTR_TOP, 160, [](QWidget* w) { return w->y() == 30; }},
        {GO, ATTR_WIDTH, 70, [](QWidget* w) { return w->width() == 70 && w->height() == 30; }},
        {GO, ATTR_HEIGHT, 20, [](QWidget* w) { return w->width() == 70 && w->height() == 20; }},
        {NUM, ATTR_MAX_VALUE, 50, [](QWidget* w) { return static_cast<QSpinBox*>(w)->maximum() == 50; }},
        {NUM, ATTR_MIN_VALUE, 5, [](QWidget* w) { return static_cast<QSpinBox*>(w)->minimum() == 5; }},
        {EDIT, ATTR_CTRL_MODE, VAL_INDICATOR,
         [](QWidget* w) { return static_cast<QLineEdit*>(w)->isReadOnly(); }},
        {EDIT, ATTR_CTRL_MODE, VAL_HOT, [](QWidget* w) { return !static_cast<QLineEdit*>(w)->isReadOnly(); }},
        {EDIT, ATTR_TEXT_BGCOLOR, 0x102030,
         [&](QWidget* w) { return w->palette().color(QPalette::Base) == dark; }},
        {MSG, ATTR_TEXT_COLOR, 0x102030,
         [&](QWidget* w) { return w->palette().color(QPalette::WindowText) == dark; }},
        {MSG, ATTR_BACKCOLOR, 0x102030,
         [&](QWidget* w) { return w->palette().color(QPalette::Window) == dark; }},
        {SW, ATTR_LABEL_COLOR, 0x102030,
         [&](QWidget* w) { return w->palette().color(QPalette::ButtonText) == dark; }},
        {GO, ATTR_CMD_BUTTON_COLOR, 0x102030,
         [&](QWidget* w) { return w->palette().color(QPalette::Button) == dark; }},
        {QUIT, ATTR_LABEL_VISIBLE, 0,
         [](QWidget* w) { return static_cast<QPushButton*>(w)->text().isEmpty(); }},
        {NUM, ATTR_LABEL_VISIBLE, 0, [this](QWidget*) { return Find("NUMLABEL")->isHidden(); }},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "control " << r.control << " attribute " << r.attribute);
        ASSERT_EQ(SetCtrlAttribute(panel_, r.control, r.attribute, r.value), 0);
        EXPECT_EQ(Get(r.control, r.attribute), r.value);
        EXPECT_TRUE(r.shows(qs::rt::ControlWidget(panel_, r.control)));
    }
    SetCtrlVal(panel_, NUM, 80);  // held in the range
    EXPECT_EQ(GetCtrlVal(panel_, NUM, &rows[0].value), 0);
    EXPECT_EQ(rows[0].value, 50);
    EXPECT_LT(SetCtrlAttribute(panel_, 99, ATTR_VISIBLE, 0), 0);
}

TEST_F(PanelTest, CaptionsOfButtonsHideAndKeepTheirShortcut) {
    char text[64];
    GetCtrlAttribute(panel_, NUM, ATTR_LABEL_TEXT, text, sizeof text);
    EXPECT_STREQ(text, "Count");  // the label whose buddy it is
    auto* quit = Find<QPushButton>("QUIT");
    // A hidden caption is kept, changed, and comes back; "__" marks the shortcut character.
    SetCtrlAttribute(panel_, QUIT, ATTR_LABEL_VISIBLE, 0);
    SetCtrlAttribute(panel_, QUIT, ATTR_LABEL_TEXT, "__1  Sync & time");
    EXPECT_TRUE(quit->text().isEmpty());
    GetCtrlAttribute(panel_, QUIT, ATTR_LABEL_TEXT, text, sizeof text);
    EXPECT_STREQ(text, "__1  Sync & time");
    SetCtrlAttribute(panel_, QUIT, ATTR_LABEL_VISIBLE, 1);
    EXPECT_EQ(quit->text(), "&1  Sync && time");
}

TEST_F(PanelTest, WindowsTextsRoundTripCutToTheBuffer) {
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
    // A text box: lines at the top and the end; setting its value replaces it.
    ResetTextBox(panel_, TEXT, "second");
    InsertTextBoxLine(panel_, TEXT, -1, "third");
    InsertTextBoxLine(panel_, TEXT, 0, "first");
    EXPECT_EQ(Find<QPlainTextEdit>("TEXT")->toPlainText(), "first\nsecond\nthird");
    SetCtrlVal(panel_, TEXT, "replaced");
    GetCtrlVal(panel_, TEXT, again, sizeof again);
    EXPECT_STREQ(again, "replaced");
}

TEST_F(PanelTest, RingsSwitchesAndNumbersTakeValuesWithoutCommits) {
    EXPECT_EQ(InsertListItem(panel_, RING, -1, "COM1", 1), 0);
    InsertListItem(panel_, RING, -1, "COM3", 3);
    InsertListItem(panel_, RING, 0, "COM9", 9);  // at the top
    int n = 0, v = 0, index = -1;
    GetNumListItems(panel_, RING, &n);
    EXPECT_EQ(Find<QComboBox>("RING")->itemText(0), "COM9");
    EXPECT_EQ(SetCtrlVal(panel_, RING, 3), 0);
    GetCtrlVal(panel_, RING, &v);
    GetCtrlIndex(panel_, RING, &index);
    EXPECT_EQ(n * 100 + v * 10 + index, 332);
    EXPECT_LT(SetCtrlVal(panel_, RING, 4), 0);  // no item of that value
    SetCtrlIndex(panel_, RING, 0);
    GetCtrlVal(panel_, RING, &v);
    EXPECT_EQ(v, 9);
    EXPECT_LT(SetCtrlIndex(panel_, RING, 3), 0);
    ClearListCtrl(panel_, RING);
    GetNumListItems(panel_, RING, &n);
    EXPECT_EQ(n, 0);
    EXPECT_LT(InsertListItem(panel_, NUM, -1, "x", 1), 0);  // not a ring

    SetCtrlVal(panel_, SW, 1);
    EXPECT_TRUE(Find<QCheckBox>("SW")->isChecked());
    SetCtrlVal(panel_, NUM, 42.6);
    GetCtrlVal(panel_, NUM, &v);
    double d = 0;
    GetCtrlVal(panel_, NUM, &d);
    EXPECT_EQ(v, 43);
    EXPECT_EQ(d, 43.0);
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
    EXPECT_EQ(text(2, 3), "12:00:01");
    EXPECT_EQ(Find<QTableView>("TABLE")->model()->index(2, 1).data().toString(),
              "12:00:01");  // (column, row)
    int v = 0;
    GetTableCellVal(panel_, TABLE, MakePoint(1, 1), &v);
    EXPECT_EQ(v, 77);

    SetTableRowAttribute(panel_, TABLE, 2, ATTR_TEXT_BGCOLOR, 0xFFFF00);
    SetTableCellAttribute(panel_, TABLE, MakePoint(3, 1), ATTR_TEXT_COLOR, 0x00FF00);
    SetTableCellRangeAttribute(panel_, TABLE, MakeRect(3, 2, 1, 2), ATTR_TEXT_COLOR, 0xFF0000);
    SetTableCellRangeAttribute(panel_, TABLE, MakeRect(1, 1, 0, 3), ATTR_TEXT_COLOR, 0xFF0000);  // empty
    const int bg[3][3] = {{0, 0, 0}, {1, 1, 1}, {0, 0, 0}}, fg[3][3] = {{0, 0, 2}, {0, 0, 0}, {0, 1, 1}};
    for (int row = 1; row <= 3; ++row)
        for (int col = 1; col <= 3; ++col) {
            SCOPED_TRACE(testing::Message() << "cell " << col << "," << row);
            EXPECT_EQ(attr(col, row, ATTR_TEXT_BGCOLOR) == 0xFFFF00, bg[row - 1][col - 1] == 1);
            EXPECT_EQ(attr(col, row, ATTR_TEXT_COLOR), fg[row - 1][col - 1] == 1 ? 0xFF0000
                                                       : fg[row - 1][col - 1] == 2
                                                           ? 0x00FF00
                                                           : attr(1, 1, ATTR_TEXT_COLOR));
        }
    EXPECT_NE(attr(1, 1, ATTR_TEXT_COLOR), 0xFF0000);

    InsertTableRows(panel_, TABLE, 1, 1);  // at row 1: the others move down
    EXPECT_EQ(text(2, 4), "12:00:01");
    DeleteTableRows(panel_, TABLE, 2, 2);
    int rows = 0;
    GetNumTableRows(panel_, TABLE, &rows);
    EXPECT_EQ(rows, 2);
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
    SetTableColumnAttribute(panel_, TABLE, 3, ATTR_TEXT_COLOR, 0x00FF00);  // set again: new rows too
    InsertTableRows(panel_, TABLE, -1, 1);
    int v = 0;
    GetTableCellAttribute(panel_, TABLE, MakePoint(3, 504), ATTR_TEXT_COLOR, &v);
    EXPECT_EQ(v, 0x00FF00);
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
    int v = 0;
    GetPanelAttribute(child, ATTR_PANEL_PARENT, &v);
    EXPECT_EQ(v, panel_);
    GetPanelAttribute(child, ATTR_VISIBLE, &v);
    EXPECT_EQ(v, 0);  // loaded hidden
    DisplayPanel(child);
    EXPECT_EQ(GetActivePanel(), child);
    int top = 0, left = 0;
    GetPanelAttribute(child, ATTR_TOP, &top);
    GetPanelAttribute(child, ATTR_LEFT, &left);
    EXPECT_EQ(left * 1000 + top, 20 * 1000 + 30);  // where its file puts it
    EXPECT_EQ(Find("CHILD")->parentWidget(), Find("TEST"));
    GetPanelAttribute(centred, ATTR_LEFT, &left);  // no place of its own: centred
    GetPanelAttribute(centred, ATTR_TOP, &top);
    EXPECT_EQ(left * 1000 + top, (400 - 100) / 2 * 1000 + (300 - 50) / 2);

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
    GetPanelAttribute(child, ATTR_HEIGHT, &v);
    EXPECT_EQ(v, 90);
    DiscardPanel(panel_);  // takes its children with it
    EXPECT_LT(GetPanelAttribute(child, ATTR_VISIBLE, &v), 0);
    EXPECT_LT(GetPanelAttribute(centred, ATTR_VISIBLE, &v), 0);
    ProcessSystemEvents();
    EXPECT_EQ(Find("CHILD"), nullptr);
}

TEST_F(PanelTest, ButtonColourShowsOverThePanelStyleSheet) {
    DisplayPanel(panel_);
    QWidget* go = Find("GO");
    // The style draws a shaded face: compare the hue at the centre, not the exact value.
    auto centre = [go] { return go->grab().toImage().pixelColor(go->width() / 2, go->height() / 2); };
    QColor c = centre();
    EXPECT_TRUE(c.red() == c.green() && c.green() == c.blue()) << c.name().toStdString();  // the sheet's grey
    SetCtrlAttribute(panel_, GO, ATTR_CMD_BUTTON_COLOR, 0xC00000);
    c = centre();
    EXPECT_GT(c.red(), 2 * std::max(c.green(), c.blue())) << c.name().toStdString();
}
