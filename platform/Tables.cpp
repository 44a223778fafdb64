// Tables: rows, cell values and colours, selection and active cell; cells are 1-based (column, row).
#include <QHeaderView>
#include <QTableWidget>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/Encoding.h"
#include "platform/Runtime.h"

using namespace qs::rt;

namespace {

struct TableRef {
    QTableWidget* t = nullptr;
    int error = 0;
};

TableRef Table(int panel, int control) {
    if (!FindPanel(panel)) return {nullptr, kErrPanel};
    QWidget* w = ControlWidget(panel, control);
    if (!w) return {nullptr, kErrControl};
    auto* t = qobject_cast<QTableWidget*>(w);
    return {t, t ? 0 : kErrType};
}

bool ValidCell(const QTableWidget* t, Point cell) {
    return cell.x >= 1 && cell.y >= 1 && cell.x <= t->columnCount() && cell.y <= t->rowCount();
}

bool SetCellAttr(QTableWidgetItem* item, int attribute, int value);

// Column attributes also hold for rows added later. They are kept beside the layer, by
// table, and looked up for every new cell: a full times table makes 40,000 of them.
struct ColumnAttr {
    int column, attribute, value;
};
using ColumnAttrs = std::vector<ColumnAttr>;

// A table destroyed after the registry (a window left to the very end of the process)
// finds it gone instead of touching it.
bool registryGone = false;

struct ColumnRegistry {
    std::unordered_map<const QObject*, ColumnAttrs> byTable;
    ~ColumnRegistry() { registryGone = true; }
};

ColumnRegistry& Registry() {
    static ColumnRegistry registry;
    return registry;
}

const ColumnAttrs* ColumnDefaults(const QTableWidget* t) {
    if (registryGone) return nullptr;
    auto& byTable = Registry().byTable;
    auto it = byTable.find(t);
    return it == byTable.end() || it->second.empty() ? nullptr : &it->second;
}

void SetColumnDefault(QTableWidget* t, int column, int attribute, int value) {
    if (registryGone) return;
    auto& byTable = Registry().byTable;
    auto [it, added] = byTable.try_emplace(t);
    if (added)  // forgotten with its table
        QObject::connect(t, &QObject::destroyed, [](QObject* o) {
            if (!registryGone) Registry().byTable.erase(o);
        });
    for (ColumnAttr& a : it->second)
        if (a.column == column && a.attribute == attribute) {
            a.value = value;
            return;
        }
    it->second.push_back({column, attribute, value});
}

void ApplyColumnDefaults(const ColumnAttrs& defaults, QTableWidgetItem* item, int column) {
    for (const ColumnAttr& a : defaults)
        if (a.column == column) SetCellAttr(item, a.attribute, a.value);
}

bool HasColumnDefaults(const ColumnAttrs& defaults, int column) {
    for (const ColumnAttr& a : defaults)
        if (a.column == column) return true;
    return false;
}

// Items are made when a cell is first written or styled; columns with attributes of their
// own get theirs at once so that the operator cannot edit an indicator column's new rows.
QTableWidgetItem* Cell(QTableWidget* t, int row, int column) {
    QTableWidgetItem* item = t->item(row, column);
    if (!item) {
        t->setItem(row, column, std::make_unique<QTableWidgetItem>().release());  // the table owns it
        item = t->item(row, column);
        if (const ColumnAttrs* defaults = ColumnDefaults(t)) ApplyColumnDefaults(*defaults, item, column);
    }
    return item;
}

bool SetCellAttr(QTableWidgetItem* item, int attribute, int value) {
    switch (attribute) {
        case ATTR_TEXT_BGCOLOR:
        case ATTR_BACKCOLOR:
            item->setBackground(ColorOf(value));
            return true;
        case ATTR_TEXT_COLOR:
            item->setForeground(ColorOf(value));
            return true;
        case ATTR_CELL_DIMMED:
            item->setFlags(value ? item->flags() & ~Qt::ItemIsEnabled : item->flags() | Qt::ItemIsEnabled);
            return true;
        case ATTR_CELL_MODE:
            item->setFlags(value == VAL_INDICATOR ? item->flags() & ~Qt::ItemIsEditable
                                                  : item->flags() | Qt::ItemIsEditable);
            return true;
        case ATTR_CELL_TYPE:
            item->setData(Qt::UserRole + 1, value);
            return true;
        default:
            return false;
    }
}

bool CellAttr(const QTableWidget* t, const QTableWidgetItem* item, int attribute, int* value) {
    switch (attribute) {
        case ATTR_TEXT_BGCOLOR:
        case ATTR_BACKCOLOR: {
            QBrush b = item->background();
            *value = RgbOf(b.style() == Qt::NoBrush ? t->palette().color(QPalette::Base) : b.color());
            return true;
        }
        case ATTR_TEXT_COLOR: {
            QBrush b = item->foreground();
            *value = RgbOf(b.style() == Qt::NoBrush ? t->palette().color(QPalette::Text) : b.color());
            return true;
        }
        case ATTR_CELL_DIMMED:
            *value = item->flags() & Qt::ItemIsEnabled ? 0 : 1;
            return true;
        case ATTR_CELL_MODE:
            *value = item->flags() & Qt::ItemIsEditable ? VAL_HOT : VAL_INDICATOR;
            return true;
        case ATTR_CELL_TYPE:
            *value = item->data(Qt::UserRole + 1).toInt();
            return true;
        default:
            return false;
    }
}

void FillRows(QTableWidget* t, int first, int count) {
    const ColumnAttrs* defaults = ColumnDefaults(t);
    if (!defaults) return;
    for (int c = 0; c < t->columnCount(); ++c) {
        if (!HasColumnDefaults(*defaults, c)) continue;
        for (int r = first; r < first + count; ++r) Cell(t, r, c);
    }
}

}  // namespace

int InsertTableRows(int panel, int control, int index, int count) {
    auto [t, err] = Table(panel, control);
    if (!t) return err;
    if (count < 0) return kErrValue;
    SignalBlock block(t);
    int at = index < 1 || index > t->rowCount() ? t->rowCount() : index - 1;
    if (count == 0) return 0;
    t->model()->insertRows(at, count);  // one model change for the whole block
    FillRows(t, at, count);
    return 0;
}

int DeleteTableRows(int panel, int control, int index, int count) {
    auto [t, err] = Table(panel, control);
    if (!t) return err;
    if (index < 1 || index > t->rowCount()) return t->rowCount() == 0 && count < 0 ? 0 : kErrValue;
    int first = index - 1;
    int n = count < 0 ? t->rowCount() - first : std::min(count, t->rowCount() - first);
    SignalBlock block(t);
    t->model()->removeRows(first, n);
    return 0;
}

int GetNumTableRows(int panel, int control, int* rows) {
    auto [t, err] = Table(panel, control);
    if (!t) return err;
    if (rows) *rows = t->rowCount();
    return 0;
}

int SetTableCellVal(int panel, int control, Point cell, const char* value) {
    auto [t, err] = Table(panel, control);
    if (!t) return err;
    if (!ValidCell(t, cell)) return kErrValue;
    SignalBlock block(t);
    Cell(t, cell.y - 1, cell.x - 1)->setText(FromCp1252(value));
    return 0;
}

int SetTableCellVal(int panel, int control, Point cell, int value) {
    auto [t, err] = Table(panel, control);
    if (!t) return err;
    if (!ValidCell(t, cell)) return kErrValue;
    SignalBlock block(t);
    Cell(t, cell.y - 1, cell.x - 1)->setData(Qt::DisplayRole, value);
    return 0;
}

int GetTableCellVal(int panel, int control, Point cell, char* value, size_t size) {
    auto [t, err] = Table(panel, control);
    if (!t) return err;
    if (!ValidCell(t, cell)) return kErrValue;
    QTableWidgetItem* item = t->item(cell.y - 1, cell.x - 1);
    CopyCp1252(item ? item->text() : QString(), value, size);
    return 0;
}

int GetTableCellVal(int panel, int control, Point cell, int* value) {
    auto [t, err] = Table(panel, control);
    if (!t) return err;
    if (!ValidCell(t, cell)) return kErrValue;
    QTableWidgetItem* item = t->item(cell.y - 1, cell.x - 1);
    if (value) *value = item ? item->data(Qt::DisplayRole).toString().trimmed().toInt() : 0;
    return 0;
}

int SetTableCellAttribute(int panel, int control, Point cell, int attribute, int value) {
    auto [t, err] = Table(panel, control);
    if (!t) return err;
    if (!ValidCell(t, cell)) return kErrValue;
    SignalBlock block(t);
    return SetCellAttr(Cell(t, cell.y - 1, cell.x - 1), attribute, value) ? 0 : kErrAttribute;
}

int GetTableCellAttribute(int panel, int control, Point cell, int attribute, int* value) {
    auto [t, err] = Table(panel, control);
    if (!t) return err;
    if (!ValidCell(t, cell)) return kErrValue;
    int v = 0;
    if (!CellAttr(t, Cell(t, cell.y - 1, cell.x - 1), attribute, &v)) return kErrAttribute;
    if (value) *value = v;
    return 0;
}

int SetTableCellRangeAttribute(int panel, int control, Rect cells, int attribute, int value) {
    auto [t, err] = Table(panel, control);
    if (!t) return err;
    SignalBlock block(t);
    for (int r = cells.top; r < cells.top + cells.height; ++r)
        for (int c = cells.left; c < cells.left + cells.width; ++c) {
            if (!ValidCell(t, Point{c, r})) continue;
            if (!SetCellAttr(Cell(t, r - 1, c - 1), attribute, value)) return kErrAttribute;
        }
    return 0;
}

int SetTableRowAttribute(int panel, int control, int row, int attribute, int value) {
    auto [t, err] = Table(panel, control);
    if (!t) return err;
    if (row < 1 || row > t->rowCount()) return kErrValue;
    if (attribute == ATTR_ROW_HEIGHT) {
        SetDesignRowHeight(t, row - 1, value);
        return 0;
    }
    return SetTableCellRangeAttribute(panel, control, Rect{row, 1, 1, t->columnCount()}, attribute, value);
}

int SetTableColumnAttribute(int panel, int control, int column, int attribute, int value) {
    auto [t, err] = Table(panel, control);
    if (!t) return err;
    if (column < 1 || column > t->columnCount()) return kErrValue;
    switch (attribute) {
        case ATTR_WIDTH:
            SetDesignColumnWidth(t, column - 1, value);
            return 0;
        case ATTR_VISIBLE:
            t->setColumnHidden(column - 1, value == 0);
            return 0;
        default: {
            SetColumnDefault(t, column - 1, attribute, value);
            return SetTableCellRangeAttribute(panel, control, Rect{1, column, t->rowCount(), 1}, attribute,
                                              value);
        }
    }
}

int SetTableColumnAttribute(int panel, int control, int column, int attribute, const char* value) {
    auto [t, err] = Table(panel, control);
    if (!t) return err;
    if (column < 1 || column > t->columnCount()) return kErrValue;
    if (attribute != ATTR_LABEL_TEXT) return kErrAttribute;
    QTableWidgetItem* header = t->horizontalHeaderItem(column - 1);
    if (!header) {
        t->setHorizontalHeaderItem(column - 1, std::make_unique<QTableWidgetItem>().release());
        header = t->horizontalHeaderItem(column - 1);
    }
    header->setText(FromCp1252(value));
    return 0;
}

int SetTableSelection(int panel, int control, Rect cells) {
    auto [t, err] = Table(panel, control);
    if (!t) return err;
    SignalBlock block(t);
    t->clearSelection();
    if (cells.height <= 0 || cells.width <= 0) return 0;
    int top = std::max(1, cells.top), left = std::max(1, cells.left);
    int bottom = std::min(t->rowCount(), cells.top + cells.height - 1);
    int right = std::min(t->columnCount(), cells.left + cells.width - 1);
    if (bottom < top || right < left) return 0;
    auto mode = t->selectionMode();
    // Code may select a range whatever the operator is allowed to select.
    t->setSelectionMode(QAbstractItemView::MultiSelection);
    t->setRangeSelected(QTableWidgetSelectionRange(top - 1, left - 1, bottom - 1, right - 1), true);
    t->setSelectionMode(mode);
    return 0;
}

int GetActiveTableCell(int panel, int control, Point* cell) {
    auto [t, err] = Table(panel, control);
    if (!t) return err;
    if (cell) *cell = Point{t->currentColumn() + 1, t->currentRow() + 1};
    return 0;
}

int SetActiveTableCell(int panel, int control, Point cell) {
    auto [t, err] = Table(panel, control);
    if (!t) return err;
    if (!ValidCell(t, cell)) return kErrValue;
    SignalBlock block(t);
    t->setCurrentCell(cell.y - 1, cell.x - 1, QItemSelectionModel::NoUpdate);
    return 0;
}
