// Panels and controls: loading by number, attributes, values, rings, tables, text boxes, pictures.
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <cstring>

#include "tests/platform/PanelFixture.h"

using namespace pltest;

TEST_F(PanelTest, LoadsPanelsByNumberAndRefusesUnknownOnes) {
    EXPECT_LT(LoadPanel(0, "Test.uir", 9), 0);
    EXPECT_LT(LoadPanel(0, "Missing.uir", 1), 0);
    EXPECT_LT(LoadPanel(12345, "Test.uir", 2), 0);  // no such parent
    EXPECT_EQ(GetPanelHandleFromTag(1), panel_);
    EXPECT_EQ(FindLoadedPanel("Test.uir", 1), panel_);
    int second = LoadPanel(0, "Test.uir", 1);
    ASSERT_GT(second, 0);
    EXPECT_NE(second, panel_);
    EXPECT_EQ(FindLoadedPanel("Test.uir", 1), second);  // the newest
    // Both copies are addressed separately by their handles.
    SetCtrlVal(second, NUM, 7);
    SetCtrlVal(panel_, NUM, 3);
    int a = 0, b = 0;
    GetCtrlVal(panel_, NUM, &a);
    GetCtrlVal(second, NUM, &b);
    EXPECT_EQ(a, 3);
    EXPECT_EQ(b, 7);
    EXPECT_EQ(DiscardPanel(second), 0);
    EXPECT_LT(SetCtrlVal(second, NUM, 1), 0);
    EXPECT_LT(SetCtrlVal(panel_, 99, 1), 0);
    EXPECT_LT(DiscardPanel(second), 0);
}

TEST_F(PanelTest, ControlAttributesRoundTrip) {
    int v = -1;
    SetCtrlAttribute(panel_, GO, ATTR_VISIBLE, 0);
    GetCtrlAttribute(panel_, GO, ATTR_VISIBLE, &v);
    EXPECT_EQ(v, 0);
    EXPECT_TRUE(Find("GO")->isHidden());
    SetCtrlAttribute(panel_, GO, ATTR_VISIBLE, 1);
    GetCtrlAttribute(panel_, GO, ATTR_VISIBLE, &v);
    EXPECT_EQ(v, 1);

    SetCtrlAttribute(panel_, GO, ATTR_DIMMED, 1);
    GetCtrlAttribute(panel_, GO, ATTR_DIMMED, &v);
    EXPECT_EQ(v, 1);
    EXPECT_FALSE(Find("GO")->isEnabled());
    SetCtrlAttribute(panel_, GO, ATTR_DIMMED, 0);
    EXPECT_TRUE(Find("GO")->isEnabled());

    // Positions are in the panel, also for a control inside a group box.
    int top = 0, left = 0;
    GetCtrlAttribute(panel_, INNER, ATTR_TOP, &top);
    GetCtrlAttribute(panel_, INNER, ATTR_LEFT, &left);
    EXPECT_EQ(left, 320 + 5);
    EXPECT_EQ(top, 130 + 20);
    SetCtrlAttribute(panel_, INNER, ATTR_LEFT, 330);
    SetCtrlAttribute(panel_, INNER, ATTR_TOP, 160);
    GetCtrlAttribute(panel_, INNER, ATTR_LEFT, &left);
    GetCtrlAttribute(panel_, INNER, ATTR_TOP, &top);
    EXPECT_EQ(left, 330);
    EXPECT_EQ(top, 160);

    SetCtrlAttribute(panel_, NUM, ATTR_MAX_VALUE, 50);
    SetCtrlVal(panel_, NUM, 80);
    GetCtrlVal(panel_, NUM, &v);
    EXPECT_EQ(v, 50);
}

TEST_F(PanelTest, LabelsOfButtonsAndOfControlsWithACaption) {
    char text[64];
    GetCtrlAttribute(panel_, QUIT, ATTR_LABEL_TEXT, text, sizeof text);
    EXPECT_STREQ(text, "Quit");
    SetCtrlAttribute(panel_, QUIT, ATTR_LABEL_TEXT, "Stop");
    EXPECT_EQ(Find<QPushButton>("QUIT")->text(), "Stop");

    // A hidden caption is kept and comes back unchanged.
    SetCtrlAttribute(panel_, QUIT, ATTR_LABEL_VISIBLE, 0);
    EXPECT_TRUE(Find<QPushButton>("QUIT")->text().isEmpty());
    GetCtrlAttribute(panel_, QUIT, ATTR_LABEL_TEXT, text, sizeof text);
    EXPECT_STREQ(text, "Stop");
    SetCtrlAttribute(panel_, QUIT, ATTR_LABEL_TEXT, "Halt");
    EXPECT_TRUE(Find<QPushButton>("QUIT")->text().isEmpty());
    SetCtrlAttribute(panel_, QUIT, ATTR_LABEL_VISIBLE, 1);
    EXPECT_EQ(Find<QPushButton>("QUIT")->text(), "Halt");

    // "__" marks the shortcut character: shown underlined, read back as written.
    SetCtrlAttribute(panel_, QUIT, ATTR_LABEL_TEXT, "__1  Sync & time");
    EXPECT_EQ(Find<QPushButton>("QUIT")->text(), "&1  Sync && time");
    GetCtrlAttribute(panel_, QUIT, ATTR_LABEL_TEXT, text, sizeof text);
    EXPECT_STREQ(text, "__1  Sync & time");
    SetCtrlAttribute(panel_, QUIT, ATTR_LABEL_VISIBLE, 0);
    SetCtrlAttribute(panel_, QUIT, ATTR_LABEL_VISIBLE, 1);
    EXPECT_EQ(Find<QPushButton>("QUIT")->text(), "&1  Sync && time");

    // The spin box's caption is the label whose buddy it is.
    GetCtrlAttribute(panel_, NUM, ATTR_LABEL_TEXT, text, sizeof text);
    EXPECT_STREQ(text, "Count");
    SetCtrlAttribute(panel_, NUM, ATTR_LABEL_VISIBLE, 0);
    EXPECT_TRUE(Find("NUMLABEL")->isHidden());
}

TEST_F(PanelTest, WindowsTextsRoundTrip) {
    SetCtrlVal(panel_, MSG,
               "N\xB0"
               " 12 \x80");
    EXPECT_EQ(Find<QLabel>("MSG")->text(), QString::fromUtf8("N\u00B0 12 \u20AC"));
    char back[32];
    GetCtrlVal(panel_, MSG, back, sizeof back);
    EXPECT_STREQ(back,
                 "N\xB0"
                 " 12 \x80");
    // Every byte survives, those Windows leaves undefined included.
    char all[256];
    for (int i = 1; i < 256; ++i) all[i - 1] = char(i);
    all[255] = 0;
    SetCtrlVal(panel_, EDIT, all);
    char again[256];
    GetCtrlVal(panel_, EDIT, again, sizeof again);
    EXPECT_EQ(memcmp(all, again, 256), 0);
    // Reads are cut to the buffer and terminated.
    char small[4];
    GetCtrlVal(panel_, MSG, small, sizeof small);
    EXPECT_STREQ(small, "N\xB0 ");
}

TEST_F(PanelTest, RingItemsCarryValues) {
    EXPECT_EQ(InsertListItem(panel_, RING, -1, "COM1", 1), 0);
    InsertListItem(panel_, RING, -1, "COM3", 3);
    InsertListItem(panel_, RING, 0, "COM9", 9);  // at the top
    int n = 0, v = 0, index = -1;
    GetNumListItems(panel_, RING, &n);
    EXPECT_EQ(n, 3);
    EXPECT_EQ(Find<QComboBox>("RING")->itemText(0), "COM9");
    EXPECT_EQ(SetCtrlVal(panel_, RING, 3), 0);
    GetCtrlVal(panel_, RING, &v);
    EXPECT_EQ(v, 3);
    GetCtrlIndex(panel_, RING, &index);
    EXPECT_EQ(index, 2);
    EXPECT_LT(SetCtrlVal(panel_, RING, 4), 0);  // no item of that value
    SetCtrlIndex(panel_, RING, 0);
    GetCtrlVal(panel_, RING, &v);
    EXPECT_EQ(v, 9);
    EXPECT_LT(SetCtrlIndex(panel_, RING, 3), 0);
    ClearListCtrl(panel_, RING);
    GetNumListItems(panel_, RING, &n);
    EXPECT_EQ(n, 0);
    EXPECT_LT(InsertListItem(panel_, NUM, -1, "x", 1), 0);  // not a ring
}

TEST_F(PanelTest, SwitchAndNumericValues) {
    int v = -1;
    SetCtrlVal(panel_, SW, 1);
    EXPECT_TRUE(Find<QCheckBox>("SW")->isChecked());
    GetCtrlVal(panel_, SW, &v);
    EXPECT_EQ(v, 1);
    SetCtrlVal(panel_, NUM, 42.6);
    GetCtrlVal(panel_, NUM, &v);
    EXPECT_EQ(v, 43);
    double d = 0;
    GetCtrlVal(panel_, NUM, &d);
    EXPECT_EQ(d, 43.0);
    // Values set by code are no operator commits.
    Pump();
    EXPECT_TRUE(queued_.empty());
    EXPECT_EQ(CountEvents(EVENT_COMMIT), 0);
}

TEST_F(PanelTest, TableRowsCellsAndColours) {
    EXPECT_EQ(InsertTableRows(panel_, TABLE, -1, 3), 0);
    int rows = 0;
    GetNumTableRows(panel_, TABLE, &rows);
    EXPECT_EQ(rows, 3);
    EXPECT_EQ(SetTableCellVal(panel_, TABLE, MakePoint(2, 3), "12:00:01"), 0);
    EXPECT_EQ(SetTableCellVal(panel_, TABLE, MakePoint(1, 1), 77), 0);
    EXPECT_LT(SetTableCellVal(panel_, TABLE, MakePoint(4, 1), "x"), 0);  // column 4 of 3
    EXPECT_LT(SetTableCellVal(panel_, TABLE, MakePoint(1, 4), "x"), 0);
    char text[32];
    GetTableCellVal(panel_, TABLE, MakePoint(2, 3), text, sizeof text);
    EXPECT_STREQ(text, "12:00:01");
    EXPECT_EQ(Find<QTableView>("TABLE")->model()->index(2, 1).data().toString(),
              "12:00:01");  // (column, row)
    int v = 0;
    GetTableCellVal(panel_, TABLE, MakePoint(1, 1), &v);
    EXPECT_EQ(v, 77);

    SetTableRowAttribute(panel_, TABLE, 2, ATTR_TEXT_BGCOLOR, 0xFFFF00);
    for (int col = 1; col <= 3; ++col) {
        GetTableCellAttribute(panel_, TABLE, MakePoint(col, 2), ATTR_TEXT_BGCOLOR, &v);
        EXPECT_EQ(v, 0xFFFF00);
    }
    GetTableCellAttribute(panel_, TABLE, MakePoint(1, 1), ATTR_TEXT_BGCOLOR, &v);
    EXPECT_NE(v, 0xFFFF00);
    SetTableCellRangeAttribute(panel_, TABLE, MakeRect(1, 3, 3, 1), ATTR_TEXT_COLOR, 0xFF0000);
    GetTableCellAttribute(panel_, TABLE, MakePoint(3, 3), ATTR_TEXT_COLOR, &v);
    EXPECT_EQ(v, 0xFF0000);

    // Inserting at row 1 pushes the others down.
    InsertTableRows(panel_, TABLE, 1, 1);
    GetTableCellVal(panel_, TABLE, MakePoint(2, 4), text, sizeof text);
    EXPECT_STREQ(text, "12:00:01");
    DeleteTableRows(panel_, TABLE, 2, 2);
    GetNumTableRows(panel_, TABLE, &rows);
    EXPECT_EQ(rows, 2);
    GetTableCellVal(panel_, TABLE, MakePoint(2, 2), text, sizeof text);
    EXPECT_STREQ(text, "12:00:01");
    DeleteTableRows(panel_, TABLE, 1, -1);
    GetNumTableRows(panel_, TABLE, &rows);
    EXPECT_EQ(rows, 0);
}

TEST_F(PanelTest, ActiveCellByCodeAndByOperator) {
    InsertTableRows(panel_, TABLE, -1, 5);
    SetActiveTableCell(panel_, TABLE, MakePoint(2, 4));
    Point cell{};
    GetActiveTableCell(panel_, TABLE, &cell);
    EXPECT_EQ(cell.x, 2);
    EXPECT_EQ(cell.y, 4);
    EXPECT_EQ(CountEvents(EVENT_ACTIVE_CELL_CHANGE), 0);  // code, not the operator
    auto* table = Find<QTableView>("TABLE");
    table->setCurrentIndex(table->model()->index(1, 0));  // as a click would
    ASSERT_EQ(CountEvents(EVENT_ACTIVE_CELL_CHANGE, TABLE), 1);
    const Call& c = Calls().back();
    EXPECT_EQ(c.panel, panel_);
    EXPECT_EQ(c.data1, 2);  // row
    EXPECT_EQ(c.data2, 1);  // column

    // A row put above the last one, as a new time is, reaches the view with the next batch:
    // meanwhile the rows below it already have their new numbers, for code and operator.
    SetActiveTableCell(panel_, TABLE, MakePoint(1, 5));
    InsertTableRows(panel_, TABLE, 5, 1);
    GetActiveTableCell(panel_, TABLE, &cell);
    EXPECT_EQ(cell.y, 6);
    table->setCurrentIndex(table->model()->index(table->model()->rowCount() - 1, 1));
    EXPECT_EQ(Calls().back().data1, 6);
}

TEST_F(PanelTest, TextBoxLines) {
    ResetTextBox(panel_, TEXT, "second");
    InsertTextBoxLine(panel_, TEXT, -1, "third");
    InsertTextBoxLine(panel_, TEXT, 0, "first");
    EXPECT_EQ(Find<QPlainTextEdit>("TEXT")->toPlainText(), "first\nsecond\nthird");
    SetCtrlVal(panel_, TEXT, "replaced");
    char text[64];
    GetCtrlVal(panel_, TEXT, text, sizeof text);
    EXPECT_STREQ(text, "replaced");
    ResetTextBox(panel_, TEXT, "");
    InsertTextBoxLine(panel_, TEXT, -1, "only");
    GetCtrlVal(panel_, TEXT, text, sizeof text);
    EXPECT_STREQ(text, "only");
}

TEST_F(PanelTest, PicturesFromStoredPaths) {
    std::filesystem::create_directories(dir_.file("Data"));
    QImage image(64, 32, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(QString::fromStdString(dir_.file("Data/logo.png"))));
    int w = 0, h = 0;
    EXPECT_EQ(DisplayImageFile(panel_, PIC, "Data\\logo.png"), 0);
    GetCtrlAttribute(panel_, PIC, ATTR_IMAGE_WIDTH, &w);
    GetCtrlAttribute(panel_, PIC, ATTR_IMAGE_HEIGHT, &h);
    EXPECT_EQ(w, 64);
    EXPECT_EQ(h, 32);
    GetCtrlAttribute(panel_, PIC, ATTR_WIDTH, &w);
    EXPECT_EQ(w, 40);  // scaled into the control
    SetCtrlAttribute(panel_, PIC, ATTR_FIT_MODE, VAL_SIZE_TO_IMAGE);
    GetCtrlAttribute(panel_, PIC, ATTR_WIDTH, &w);
    GetCtrlAttribute(panel_, PIC, ATTR_HEIGHT, &h);
    EXPECT_EQ(w, 64);
    EXPECT_EQ(h, 32);
    EXPECT_LT(DisplayImageFile(panel_, PIC, "Data\\missing.png"), 0);
    EXPECT_EQ(DeleteImage(panel_, PIC), 0);
    GetCtrlAttribute(panel_, PIC, ATTR_IMAGE_WIDTH, &w);
    EXPECT_EQ(w, 0);
    // A plain label can show a picture too.
    EXPECT_EQ(DisplayImageFile(panel_, PLAIN, "Data/logo.png"), 0);
    EXPECT_LT(DisplayImageFile(panel_, NUM, "Data/logo.png"), 0);
}

TEST_F(PanelTest, PanelAttributesAndChildPanels) {
    DisplayPanel(panel_);
    int child = LoadPanel(panel_, "Test.uir", 2);
    ASSERT_GT(child, 0);
    int v = 0;
    GetPanelAttribute(child, ATTR_PANEL_PARENT, &v);
    EXPECT_EQ(v, panel_);
    GetPanelAttribute(child, ATTR_VISIBLE, &v);
    EXPECT_EQ(v, 0);  // loaded hidden
    DisplayPanel(child);
    EXPECT_EQ(GetActivePanel(), child);
    // Placed inside the parent where its file puts it.
    int top = 0, left = 0;
    GetPanelAttribute(child, ATTR_TOP, &top);
    GetPanelAttribute(child, ATTR_LEFT, &left);
    EXPECT_EQ(top, 30);
    EXPECT_EQ(left, 20);
    QWidget* childRoot = Find("CHILD");
    ASSERT_NE(childRoot, nullptr);
    EXPECT_EQ(childRoot->parentWidget(), Find("TEST"));
    EXPECT_FALSE(childRoot->isWindow());
    // Without a place of its own it is centred in the parent.
    int centred = LoadPanel(panel_, "Test.uir", 3);
    GetPanelAttribute(centred, ATTR_LEFT, &left);
    GetPanelAttribute(centred, ATTR_TOP, &top);
    EXPECT_EQ(left, (400 - 100) / 2);
    EXPECT_EQ(top, (300 - 50) / 2);

    // A dimmed parent leaves its child panel usable (dialogs are children of dimmed windows).
    SetPanelAttribute(panel_, ATTR_DIMMED, 1);
    GetPanelAttribute(panel_, ATTR_DIMMED, &v);
    EXPECT_EQ(v, 1);
    EXPECT_FALSE(Find("QUIT")->isEnabled());
    EXPECT_TRUE(Find("OK")->isEnabled());
    // Undimming keeps a control the program dimmed itself.
    SetCtrlAttribute(panel_, GO, ATTR_DIMMED, 1);
    SetPanelAttribute(panel_, ATTR_DIMMED, 0);
    EXPECT_TRUE(Find("QUIT")->isEnabled());
    EXPECT_FALSE(Find("GO")->isEnabled());

    SetPanelAttribute(panel_, ATTR_TITLE, "Horloge \xE9t\xE9");
    EXPECT_EQ(Find("TEST")->windowTitle(), QString::fromUtf8("Horloge \u00E9t\u00E9"));
    SetPanelSize(child, 90, 110);
    GetPanelAttribute(child, ATTR_HEIGHT, &v);
    EXPECT_EQ(v, 90);

    // Discarding the parent takes its children with it.
    DiscardPanel(panel_);
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
    int v = 0;
    GetCtrlAttribute(panel_, GO, ATTR_CMD_BUTTON_COLOR, &v);
    EXPECT_EQ(v, 0xC00000);
    SetCtrlAttribute(panel_, GO, ATTR_CMD_BUTTON_COLOR, 0x00C000);
    c = centre();
    EXPECT_GT(c.green(), 2 * std::max(c.red(), c.blue())) << c.name().toStdString();
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
    int rows = 0;
    GetNumTableRows(panel_, TABLE, &rows);
    EXPECT_EQ(rows, 503);

    // Set again, the column's attribute has its new value for the rows that follow.
    SetTableColumnAttribute(panel_, TABLE, 3, ATTR_TEXT_COLOR, 0x00FF00);
    InsertTableRows(panel_, TABLE, -1, 1);
    int v = 0;
    GetTableCellAttribute(panel_, TABLE, MakePoint(3, 504), ATTR_TEXT_COLOR, &v);
    EXPECT_EQ(v, 0x00FF00);
}
