// Tables: rows, cell values and colours, selection and active cell; cells are 1-based (column, row).
// The cells live in the layer's own model, so that inserting a row or setting a cell costs
// the same in a full times table as in an empty one, and the view asks only for the rows it
// shows.
#include <QAbstractTableModel>
#include <QApplication>
#include <QEvent>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QMetaProperty>
#include <QPaintEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStaticText>
#include <QStyle>
#include <QStyleOption>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <typeinfo>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/Encoding.h"
#include "platform/Runtime.h"

using namespace qs::rt;

namespace {

// One cell: its text as the program gives and reads it (Windows-1252 bytes; a time or a
// number fits the string itself, without an allocation) and the attributes set on it.
struct Cell {
    enum : uint16_t { kBackground = 1, kForeground = 2, kDimmed = 4, kIndicator = 8, kNumber = 16 };
    std::string text;
    uint32_t background = 0;  // 0xRRGGBB, when kBackground
    uint32_t foreground = 0;  // 0xRRGGBB, when kForeground
    int32_t type = VAL_CELL_STRING;
    uint16_t flags = 0;
};
using Row = std::vector<Cell>;

// Header texts and the other header roles a resource may give a column.
constexpr int kHeaderRoles[] = {Qt::DisplayRole,       Qt::DecorationRole,     Qt::ToolTipRole,
                                Qt::StatusTipRole,     Qt::WhatsThisRole,      Qt::FontRole,
                                Qt::TextAlignmentRole, Qt::BackgroundRole,     Qt::ForegroundRole,
                                Qt::SizeHintRole,      Qt::AccessibleTextRole, Qt::AccessibleDescriptionRole};
constexpr int kCellTypeRole = Qt::UserRole + 1;

// Rows added to a table are shown within this time, at most this often: a stream of times
// is drawn in batches (every shown row below a new one moves for it) instead of once a
// time, and a time after a quiet moment shows at once. A fifth of a second is too short
// for an operator to notice and makes a dense stream (a hundred times a second) cost a
// fifth of what drawing each time would.
constexpr std::chrono::milliseconds kShowRowsEvery(200);

// After a batch of at least as many rows as the view shows at once, every row shown was new:
// the stream is denser than anyone reads (over a hundred times a second), and the next batch
// waits this long instead. Drawing a whole screen of new rows five times a second was most
// of what such a stream cost.
constexpr std::chrono::milliseconds kShowScreenfulsEvery(500);

// The cells changed since the views last heard of it are told in one notice, delivered
// with the next event processing (or ProcessDrawEvents): a rebuild of 10,000 rows or a
// time written in five calls is one repaint of what is shown, not one per cell.
QEvent::Type ChangesEvent() {
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

// The view of a table. A stream of times adds a batch of rows near the end every 200 ms and
// scrolls the table by as many: the view moves what it already shows in the window instead
// of drawing every shown cell again, and draws only the rows that come into view or moved.
// - Its cells' area is declared opaque (its background is drawn here, as the style would
//   draw it under the cells): a scroll is then a copy of the pixels already drawn, and what
//   lies under the table (the panel, its frames) is not drawn again at all. A style sheet
//   gives the cells' area a styled background, which Qt otherwise takes for transparent.
// - A batch of rows is laid out at once (scroll-bar range) without Qt's repaint of the whole
//   table that follows any change of the number of rows: only the rows from the batch down
//   are drawn again.
class TableView final : public QTableView {
public:
    using QTableView::QTableView;

    // The model told the view of rows inserted from `first` (the view's row) and of nothing
    // else since LayOut: the rows above are where they were.
    void RowsInserted(int first) {
        const int offset = verticalOffset();
        inserting_ = true;
        executeDelayedItemsLayout();
        inserting_ = false;
        QWidget* vp = viewport();
        // The layout may move the rows: a table scrolled to its very end shows its last row at
        // the bottom, part of a row at the top; with more rows, whole rows from the top. What
        // is shown moves with them, as a scroll moves it (drawing every shown row again for a
        // part of a row cost most of a new time's drawing).
        if (const int moved = offset - verticalOffset()) {
            scrollDirtyRegion(0, moved);
            vp->scroll(0, moved);
        }
        const int top = rowViewportPosition(first);
        if (top < vp->height()) vp->update(0, std::max(0, top), vp->width(), vp->height() - std::max(0, top));
    }

    // Before a batch of rows: a layout waiting for another change is done (and drawn) first.
    void LayOut() { executeDelayedItemsLayout(); }

protected:
    void doItemsLayout() override {
        QWidget* vp = viewport();
        if (!inserting_ || vp->testAttribute(Qt::WA_UpdatesDisabled)) return QTableView::doItemsLayout();
        vp->setAttribute(Qt::WA_UpdatesDisabled, true);  // RowsInserted says what to draw
        QTableView::doItemsLayout();
        vp->setAttribute(Qt::WA_UpdatesDisabled, false);
    }

    // After any scroll Qt's view asks the window system where the pointer is, to move its
    // hover to the cell now under it: on X11 a round trip, waited for at every new time the
    // table scrolls to (half a millisecond and more while the X server is busy). Where the
    // program's windows last heard the pointer is as good. (The layer's model has nothing
    // more to fetch at the end, the other thing Qt does here.)
    void verticalScrollbarValueChanged(int) override { HoverAfterScroll(); }
    void horizontalScrollbarValueChanged(int) override { HoverAfterScroll(); }

    // Rows inserted into a table that already scrolls change only the vertical scroll bar's
    // range and the rows' offset: everything else Qt's layout does (the margins, the scroll
    // area's children, the headers' sizes, the horizontal scroll bar) came out the same at
    // the last full layout, for the same size. That was most of the cost of a new time
    // after a quiet moment. Any other case, or anything changed since, takes the full layout.
    void updateGeometries() override {
        if (!inserting_ || !OnlyRowsChanged()) {
            QTableView::updateGeometries();
            KeepShape();
            return;
        }
        // As Qt counts them: the rows that fit from the last one up, at least one.
        QHeaderView* rows = verticalHeader();
        const int height = viewport()->height();
        int fit = 0;
        for (int used = 0, v = rows->count() - 1; v >= 0; --v) {
            const int logical = rows->logicalIndex(v);
            if (rows->isSectionHidden(logical)) continue;
            used += rows->sectionSize(logical);
            if (used > height) break;
            ++fit;
        }
        fit = std::max(fit, 1);
        QScrollBar* bar = verticalScrollBar();
        bar->setRange(0, rows->count() - rows->hiddenSectionCount() - fit);
        bar->setPageStep(fit);
        if (bar->value() == bar->maximum())
            rows->setOffsetToLastSection();
        else
            rows->setOffsetToSectionPosition(bar->value());
        QAbstractItemView::updateGeometries();
    }

    bool viewportEvent(QEvent* e) override {
        const bool done = QTableView::viewportEvent(e);
        switch (e->type()) {
            case QEvent::Polish:
            case QEvent::StyleChange:
            case QEvent::PaletteChange:
                UpdateOpaque();
                break;
            default:
                break;
        }
        return done;
    }

    void paintEvent(QPaintEvent* e) override {
        QWidget* vp = viewport();
        if (vp->testAttribute(Qt::WA_OpaquePaintEvent)) {  // what Qt draws under a widget
            // The brush that made the area opaque fills it, styled or not: a styled viewport
            // with no rule of its own draws nothing, and what is not drawn shows black.
            QPainter p(vp);
            for (const QRect& r : e->region()) p.fillRect(r, vp->palette().brush(vp->backgroundRole()));
            if (vp->testAttribute(Qt::WA_StyledBackground)) {
                QStyleOption opt;
                opt.initFrom(vp);
                for (const QRect& r : e->region()) {  // a clip of rectangles: plain fills
                    p.setClipRect(r);
                    vp->style()->drawPrimitive(QStyle::PE_Widget, &opt, &p, vp);
                }
            }
        }
        QTableView::paintEvent(e);
    }

private:
    // What the last full layout depended on besides the number of rows.
    struct Shape {
        QSize viewport;
        int columns = -1;  // the horizontal header's length
        bool scrolling = false;
    };

    void KeepShape() {
        const QScrollBar* bar = verticalScrollBar();
        // Scrolling whatever the size Qt would give the cells without scroll bars: a row
        // added keeps it so (the range only grows), so the scroll bars stay as they are.
        const QSize max = maximumViewportSize();
        const bool fitsUnscrolled =
            max.width() >= horizontalHeader()->length() && max.height() >= verticalHeader()->length();
        shape_ = {viewport()->size(), horizontalHeader()->length(), bar->maximum() > 0 && !fitsUnscrolled};
    }

    bool OnlyRowsChanged() const {
        const QHeaderView* rows = verticalHeader();
        const QHeaderView::ResizeMode mode =
            rows->count() > 0 ? rows->sectionResizeMode(0) : QHeaderView::Fixed;
        return shape_.scrolling && rows->isHidden() && verticalScrollMode() == ScrollPerItem &&
               (mode == QHeaderView::Interactive || mode == QHeaderView::Fixed) &&
               viewport()->size() == shape_.viewport && horizontalHeader()->length() == shape_.columns;
    }

    void HoverAfterScroll() {
        QWidget* vp = viewport();
        const QPoint pointer = PointerPosition();
        const QPoint at = vp->mapFromGlobal(pointer);
        if (!vp->rect().contains(at)) return;
        QHoverEvent move(QEvent::HoverMove, at, pointer, at);
        QCoreApplication::sendEvent(vp, &move);
    }

    // Opaque when the background drawn under the cells is: the palette's brush for it (a
    // style sheet's background colour is put there too) fills the whole area.
    void UpdateOpaque() {
        QWidget* vp = viewport();
        const QBrush& brush = vp->palette().brush(vp->backgroundRole());
        const bool filled = vp->autoFillBackground() || vp->testAttribute(Qt::WA_StyledBackground);
        const bool opaque = filled && brush.style() != Qt::NoBrush && brush.isOpaque();
        if (opaque != vp->testAttribute(Qt::WA_OpaquePaintEvent))
            vp->setAttribute(Qt::WA_OpaquePaintEvent, opaque);
    }

    bool inserting_ = false;
    Shape shape_;
};

// The rows of a table. Rows added one after the other at the same place (at the end, or
// above the last rows as the times table does) wait there in one block the view does not
// know yet (kShowRowsEvery, kShowScreenfulsEvery); the view's rows are the others, its row
// numbers those of the table. The layer's operations see all the rows.
class TableModel final : public QAbstractTableModel {
public:
    TableModel(QTableView* view, int columns)
        : QAbstractTableModel(view),
          view_(view),
          columns_(std::max(0, columns)),
          template_(size_t(columns_)),
          header_(size_t(columns_)) {
        showTimer_.setSingleShot(true);
        QObject::connect(&showTimer_, &QTimer::timeout, this, [this] { ShowRows(); });
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : Rows() - waiting_;
    }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : columns_; }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!Shown(index)) return {};
        const Cell& c = At(TableRow(index.row()), index.column());
        switch (role) {
            case Qt::DisplayRole:
            case Qt::EditRole:
                if (c.flags & Cell::kNumber) return QVariant(std::atoi(c.text.c_str()));
                return FromCp1252(c.text.data(), c.text.size());
            case Qt::BackgroundRole:
                return c.flags & Cell::kBackground ? QVariant(QBrush(ColorOf(int(c.background))))
                                                   : QVariant();
            case Qt::ForegroundRole:
                return c.flags & Cell::kForeground ? QVariant(QBrush(ColorOf(int(c.foreground))))
                                                   : QVariant();
            case kCellTypeRole:
                return c.type;
            default:
                return {};
        }
    }

    // The operator's edits (the view's editor); the program's own go through the layer.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (!Shown(index)) return false;
        if (role != Qt::EditRole && role != Qt::DisplayRole) return false;
        Cell& c = At(TableRow(index.row()), index.column());
        if (value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong) {
            c.text = std::to_string(value.toLongLong());
            c.flags |= Cell::kNumber;
        } else {
            const QByteArray bytes = ToCp1252(value.toString());
            c.text.assign(bytes.constData(), size_t(bytes.size()));
            c.flags &= ~Cell::kNumber;
        }
        emit dataChanged(index, index);
        if (edited) edited(TableRow(index.row()), index.column());
        return true;
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        if (!Shown(index)) return Qt::NoItemFlags;
        Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemIsEnabled |
                          Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled | Qt::ItemIsEditable |
                          Qt::ItemNeverHasChildren;
        const Cell& c = At(TableRow(index.row()), index.column());
        if (c.flags & Cell::kDimmed) f &= ~Qt::ItemIsEnabled;
        if (c.flags & Cell::kIndicator) f &= ~Qt::ItemIsEditable;
        return f;
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (role == Qt::EditRole) role = Qt::DisplayRole;
        if (orientation == Qt::Vertical) {  // rows are numbered, as a table without row labels
            if (role == Qt::DisplayRole) return TableRow(section) + 1;
            if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
            return {};
        }
        if (section < 0 || section >= columns_) return {};
        for (const auto& [r, v] : header_[size_t(section)])
            if (r == role) return v;
        return {};
    }

    int Rows() const { return int(rows_.size()); }
    bool Valid(int row, int column) const {
        return row >= 0 && column >= 0 && row < Rows() && column < columns_;
    }
    Cell& At(int row, int column) { return rows_[size_t(row)][size_t(column)]; }
    const Cell& At(int row, int column) const { return rows_[size_t(row)][size_t(column)]; }
    Cell& Template(int column) { return template_[size_t(column)]; }

    // Rows of the table (0-based) and of the view: the same but for the rows waiting.
    int TableRow(int viewRow) const { return viewRow < waitingAt_ ? viewRow : viewRow + waiting_; }
    int ViewRow(int row) const { return row < waitingAt_ ? row : row - waiting_; }
    bool IsShown(int row) const { return row < waitingAt_ || row >= waitingAt_ + waiting_; }

    void Insert(int at, int count) {
        // Rows inserted elsewhere than among those waiting: the view hears of those first.
        if (waiting_ > 0 && (at < waitingAt_ || at > waitingAt_ + waiting_)) ShowRows();
        if (waiting_ == 0) waitingAt_ = at;
        rows_.insert(rows_.begin() + at, size_t(count), template_);
        waiting_ += count;
        if (showTimer_.isActive()) return;  // shown with the next batch
        const auto since = std::chrono::steady_clock::now() - lastShown_;
        if (since >= showEvery_)
            ShowRows();
        else
            showTimer_.start(std::chrono::ceil<std::chrono::milliseconds>(showEvery_ - since));
    }

    void Remove(int first, int count) {
        ShowRows();
        TellChanges();
        beginRemoveRows({}, first, first + count - 1);
        rows_.erase(rows_.begin() + first, rows_.begin() + first + count);
        endRemoveRows();
    }

    // Tells the view of the rows waiting, and scrolls to the row asked for.
    void ShowRows() {
        showTimer_.stop();
        if (waiting_ > 0) {
            lastShown_ = std::chrono::steady_clock::now();
            TellChanges();  // while the rows below those waiting are where the view has them
            auto* view = dynamic_cast<TableView*>(view_.data());
            if (view) view->LayOut();
            const int first = waitingAt_, count = waiting_;
            beginInsertRows({}, first, first + count - 1);
            waiting_ = 0;
            waitingAt_ = 0;
            endInsertRows();
            if (view) view->RowsInserted(first);
            showEvery_ = count >= RowsShownAtOnce(first) ? kShowScreenfulsEvery : kShowRowsEvery;
        }
        Scroll();
    }

    // ATTR_FIRST_VISIBLE_ROW. Scrolling lays the table out at once, which the next event
    // processing does anyway before drawing: the scroll goes with the changes' notice (or
    // with the rows' batch for a row still waiting).
    void ScrollTo(int row) {
        scrollTo_ = row;
        if (InView(row)) PostNotice();
    }

    void Scroll() {
        if (scrollTo_ < 0 || !InView(scrollTo_)) return;
        if (view_) view_->scrollTo(index(ViewRow(scrollTo_), 0), QAbstractItemView::PositionAtTop);
        scrollTo_ = -1;
    }
    bool InView(int row) const { return row < Rows() && IsShown(row); }

    // How many rows as high as the view's row `row` its cells' area shows (none without a view).
    int RowsShownAtOnce(int row) const {
        if (!view_ || view_->viewport()->height() <= 0) return std::numeric_limits<int>::max();
        return view_->viewport()->height() / std::max(1, view_->rowHeight(row));
    }

    void Changed(int top, int left, int bottom, int right) {
        // Rows waiting are read when they are shown.
        top = IsShown(top) ? ViewRow(top) : waitingAt_;
        bottom = std::min(IsShown(bottom) ? ViewRow(bottom) : waitingAt_ - 1, rowCount() - 1);
        if (bottom < top) return;
        const QRect cells(QPoint(left, top), QPoint(right, bottom));
        changed_ = changed_ ? changed_->united(cells) : cells;
        PostNotice();
    }

    void PostNotice() {
        if (noticePosted_) return;
        noticePosted_ = true;
        QCoreApplication::postEvent(this, new QEvent(ChangesEvent()));
    }

    void TellChanges() {
        if (!changed_) return;
        const QRect cells = *changed_;
        changed_.reset();
        emit dataChanged(index(cells.top(), cells.left()), index(cells.bottom(), cells.right()));
    }

    bool event(QEvent* e) override {
        if (e->type() != ChangesEvent()) return QAbstractTableModel::event(e);
        noticePosted_ = false;
        TellChanges();
        Scroll();
        return true;
    }

    void SetHeader(int column, int role, const QVariant& value) {
        auto& roles = header_[size_t(column)];
        auto it =
            std::find_if(roles.begin(), roles.end(), [role](const auto& rv) { return rv.first == role; });
        if (it == roles.end())
            roles.emplace_back(role, value);
        else
            it->second = value;
        emit headerDataChanged(Qt::Horizontal, column, column);
    }

    std::function<void(int row, int column)> edited;  // the operator changed a cell (0-based)

    // The table's design row height, read from the view again only when some table's design
    // row height changed: a table filled row by row asks for it every row.
    int DesignRow(const QTableView* view) {
        if (designRowRead_ != RowHeightChanges() || designRow_ < 0) {
            designRow_ = DesignRowHeight(view);
            designRowRead_ = RowHeightChanges();
        }
        return designRow_;
    }

private:
    bool Shown(const QModelIndex& index) const {
        return index.isValid() && index.row() < rowCount() && index.column() < columns_;
    }

    QPointer<QTableView> view_;
    int columns_;
    std::vector<Row> rows_;
    int waitingAt_ = 0;  // the rows the view does not know yet (table rows)
    int waiting_ = 0;
    int scrollTo_ = -1;  // row to scroll to once shown
    QTimer showTimer_;
    std::chrono::steady_clock::time_point lastShown_;
    std::chrono::milliseconds showEvery_ = kShowRowsEvery;  // the wait after the last batch
    Row template_;  // the column attributes, which also hold for rows added later
    std::vector<std::vector<std::pair<int, QVariant>>> header_;
    std::optional<QRect> changed_;  // cells changed and not yet told (rows, columns)
    bool noticePosted_ = false;
    int designRow_ = -1;
    unsigned designRowRead_ = 0;
};

// A cell's text never changes a header's size, yet Qt's header forgets its size hint for
// every cell changed, and the next layout measures every header text again (most of the
// cost of a new time in a full table): only a header sizing its sections to the cells'
// contents hears of them.
class TableHeader final : public QHeaderView {
public:
    using QHeaderView::QHeaderView;

protected:
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles) override {
        if (SizesToContents()) QHeaderView::dataChanged(topLeft, bottomRight, roles);
    }

private:
    bool SizesToContents() const {
        if (orientation() == Qt::Vertical)  // rows: the mode a resource gives them all
            return count() > 0 && sectionResizeMode(0) == ResizeToContents;
        for (int i = 0; i < count(); ++i)
            if (sectionResizeMode(i) == ResizeToContents) return true;
        return false;
    }
};

// Draws a plain cell (text and colours; no icon or check box, not being edited, no focus
// frame, a text that fits) as the style does, from the palette and the cell's own colours,
// but keeps each text laid out: a new time scrolls the table by a row, every shown cell is
// drawn again, and laying their texts out anew was most of what a live stream of times
// cost. Any other cell is drawn by the style itself.
class CellPainter final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        if (option.state & (QStyle::State_Editing | QStyle::State_HasFocus))
            return QStyledItemDelegate::paint(p, option, index);
        // A text cell of the layer's model is read as it is kept (no icon, check box, font or
        // alignment of its own); any other cell as the style reads it.
        const auto* model = dynamic_cast<const TableModel*>(index.model());
        const Cell* cell = model ? &model->At(model->TableRow(index.row()), index.column()) : nullptr;
        if (cell && (cell->flags & Cell::kNumber)) cell = nullptr;  // shown in the locale's digits
        QStyleOptionViewItem read;
        const QStyleOptionViewItem* opt = &option;
        if (!cell) {
            read = option;
            initStyleOption(&read, index);
            const auto decorated =
                QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDecoration;
            if (read.features & decorated) return QStyledItemDelegate::paint(p, option, index);
            opt = &read;
        }
        const QStyle* style = opt->widget ? opt->widget->style() : QApplication::style();
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, opt->widget) + 1;
        const QRect textRect = opt->rect.adjusted(margin, 0, -margin, 0);
        const QStaticText* text = cell ? (cell->text.empty() ? nullptr : LaidOut(cell->text, opt->font))
                                       : (opt->text.isEmpty() ? nullptr : LaidOut(opt->text, opt->font));
        if (text && text->size().width() > textRect.width())  // elided by the style
            return QStyledItemDelegate::paint(p, option, index);

        QPalette::ColorGroup group =
            opt->state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
        if (group == QPalette::Normal && !(opt->state & QStyle::State_Active)) group = QPalette::Inactive;
        const bool selected = opt->state & QStyle::State_Selected;
        if (selected)
            p->fillRect(opt->rect, opt->palette.brush(group, QPalette::Highlight));
        else if (cell && (cell->flags & Cell::kBackground))
            p->fillRect(opt->rect, ColorOf(int(cell->background)));
        else if (!cell && opt->backgroundBrush.style() != Qt::NoBrush)
            p->fillRect(opt->rect, opt->backgroundBrush);
        if (!text) return;
        const QSize size(qCeil(text->size().width()), qCeil(text->size().height()));
        const QRect at = QStyle::alignedRect(opt->direction, opt->displayAlignment, size, textRect);
        const bool taller = size.height() > opt->rect.height();
        if (taller) {
            p->save();
            p->setClipRect(opt->rect);
        }
        if (cell && !selected && (cell->flags & Cell::kForeground))
            p->setPen(ColorOf(int(cell->foreground)));
        else
            p->setPen(opt->palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        p->setFont(opt->font);
        p->drawStaticText(at.topLeft(), *text);
        if (taller) p->restore();
    }

private:
    // Texts laid out for the shown cells, as the program keeps them (Windows-1252 bytes) or
    // as the style reads them. A few screens' worth: a text leaves the table's view for good
    // once a stream of times has scrolled it away, and is only laid out again if it comes back.
    static constexpr size_t kLaidOutTexts = 256;

    const QStaticText* LaidOut(const std::string& bytes, const QFont& font) const {
        Forget(font);
        auto it = laidOut_.find(bytes);
        if (it == laidOut_.end())
            it = laidOut_.emplace(bytes, Prepared(FromCp1252(bytes.data(), bytes.size()), font)).first;
        return &it->second;
    }

    const QStaticText* LaidOut(const QString& text, const QFont& font) const {
        Forget(font);
        auto it = laidOutRead_.find(text);
        if (it == laidOutRead_.end()) it = laidOutRead_.insert(text, Prepared(text, font));
        return &it.value();
    }

    void Forget(const QFont& font) const {
        if (font == font_ && laidOut_.size() + size_t(laidOutRead_.size()) < kLaidOutTexts) return;
        laidOut_.clear();
        laidOutRead_.clear();
        font_ = font;
    }

    static QStaticText Prepared(const QString& text, const QFont& font) {
        QStaticText st(text);
        st.setTextFormat(Qt::PlainText);
        st.prepare(QTransform(), font);
        return st;
    }

    mutable QFont font_;
    mutable std::unordered_map<std::string, QStaticText> laidOut_;
    mutable QHash<QString, QStaticText> laidOutRead_;
};

struct TableRef {
    QTableView* view = nullptr;
    TableModel* model = nullptr;
    int error = 0;
};

TableModel* ModelOf(const QTableView* view) {
    QAbstractItemModel* m = view ? view->model() : nullptr;
    return m && typeid(*m) == typeid(TableModel) ? static_cast<TableModel*>(m) : nullptr;
}

// Called for every cell a rebuild writes: one look-up of the panel and one of the control.
// The table found last: a rebuild writes its cells one call at a time, and the look-up
// through the panels and their controls was a third of a full rebuild's work. The entry is
// stale once any panel is discarded (its handle is dead at once, its widgets go later) or
// the view is deleted (the control replaced).
struct LastTable {
    int panel = 0;
    int control = 0;
    unsigned forgotten = 0;
    QPointer<QTableView> view;
};
LastTable lastTableG;

TableRef Table(int panel, int control) {
    const LastTable& last = lastTableG;
    if (panel == last.panel && control == last.control && last.forgotten == PanelsForgotten() && last.view)
        if (TableModel* model = ModelOf(last.view)) return {last.view, model, 0};
    PanelRec* p = FindPanel(panel);
    if (!p) return {nullptr, nullptr, kErrPanel};
    auto it = p->controls.find(control);
    QWidget* w = it == p->controls.end() ? nullptr : it->second.widget.data();
    if (!w) return {nullptr, nullptr, kErrControl};
    auto* view = qobject_cast<QTableView*>(w);
    TableModel* model = ModelOf(view);
    if (model) lastTableG = {panel, control, PanelsForgotten(), view};
    return {view, model, model ? 0 : kErrType};
}

bool ValidCell(const TableModel* m, Point cell) {
    return m->Valid(cell.y - 1, cell.x - 1);
}

bool KnownCellAttribute(int attribute) {
    switch (attribute) {
        case ATTR_TEXT_BGCOLOR:
        case ATTR_BACKCOLOR:
        case ATTR_TEXT_COLOR:
        case ATTR_CELL_DIMMED:
        case ATTR_CELL_MODE:
        case ATTR_CELL_TYPE:
            return true;
        default:
            return false;
    }
}

void SetFlag(Cell& c, uint16_t flag, bool on) {
    c.flags = on ? uint16_t(c.flags | flag) : uint16_t(c.flags & ~flag);
}

void SetCellAttr(Cell& c, int attribute, int value) {
    switch (attribute) {
        case ATTR_TEXT_BGCOLOR:
        case ATTR_BACKCOLOR:
            c.background = uint32_t(value) & 0xFFFFFFu;
            c.flags |= Cell::kBackground;
            break;
        case ATTR_TEXT_COLOR:
            c.foreground = uint32_t(value) & 0xFFFFFFu;
            c.flags |= Cell::kForeground;
            break;
        case ATTR_CELL_DIMMED:
            SetFlag(c, Cell::kDimmed, value != 0);
            break;
        case ATTR_CELL_MODE:
            SetFlag(c, Cell::kIndicator, value == VAL_INDICATOR);
            break;
        case ATTR_CELL_TYPE:
            c.type = value;
            break;
        default:
            break;
    }
}

int CellAttr(const QTableView* view, const Cell& c, int attribute) {
    switch (attribute) {
        case ATTR_TEXT_BGCOLOR:
        case ATTR_BACKCOLOR:
            return c.flags & Cell::kBackground ? int(c.background)
                                               : RgbOf(view->palette().color(QPalette::Base));
        case ATTR_TEXT_COLOR:
            return c.flags & Cell::kForeground ? int(c.foreground)
                                               : RgbOf(view->palette().color(QPalette::Text));
        case ATTR_CELL_DIMMED:
            return c.flags & Cell::kDimmed ? 1 : 0;
        case ATTR_CELL_MODE:
            return c.flags & Cell::kIndicator ? VAL_INDICATOR : VAL_HOT;
        default:  // ATTR_CELL_TYPE
            return c.type;
    }
}

// --- The resources' tables made model-backed -------------------------------------------

// QWidget properties a table of a resource may set; the others (visibility, enabled, font,
// palette ...) are inherited from the panel unless the file set them, see CopyWidget.
const char* const kWidgetProperties[] = {
    "objectName",         "geometry",          "minimumSize",     "maximumSize",    "sizePolicy",
    "focusPolicy",        "contextMenuPolicy", "mouseTracking",   "acceptDrops",    "toolTip",
    "toolTipDuration",    "statusTip",         "whatsThis",       "accessibleName", "accessibleDescription",
    "autoFillBackground", "styleSheet",        "inputMethodHints"};

void CopyProperty(const QObject* from, QObject* to, const QMetaProperty& p) {
    if (p.isWritable()) p.write(to, p.read(from));
}

void CopyWidget(QTableWidget* from, QTableView* to) {
    const QMetaObject* mo = to->metaObject();
    for (const char* name : kWidgetProperties)
        CopyProperty(from, to, mo->property(mo->indexOfProperty(name)));
    if (from->testAttribute(Qt::WA_SetFont)) to->setFont(from->font());
    if (from->testAttribute(Qt::WA_SetPalette)) to->setPalette(from->palette());
    if (from->testAttribute(Qt::WA_SetLocale)) to->setLocale(from->locale());
    if (from->testAttribute(Qt::WA_SetLayoutDirection)) to->setLayoutDirection(from->layoutDirection());
    if (from->testAttribute(Qt::WA_SetCursor)) to->setCursor(from->cursor());
    if (from->testAttribute(Qt::WA_ForceDisabled)) to->setEnabled(false);
    if (from->testAttribute(Qt::WA_WState_ExplicitShowHide) && from->isHidden()) to->hide();
    // Everything of the frame, the scroll area and the item view (edit triggers, selection,
    // scroll-bar policies, grid ...).
    for (int i = QFrame::staticMetaObject.propertyOffset(); i < QTableView::staticMetaObject.propertyCount();
         ++i) {
        const QMetaProperty p = QTableView::staticMetaObject.property(i);
        if (qstrcmp(p.name(), "frameRect") != 0) CopyProperty(from, to, p);
    }
    for (const QByteArray& name : from->dynamicPropertyNames())
        if (!name.startsWith("_q_")) to->setProperty(name.constData(), from->property(name.constData()));
}

void CopyHeader(const QHeaderView* from, QHeaderView* to, int sections) {
    for (int i = QHeaderView::staticMetaObject.propertyOffset();
         i < QHeaderView::staticMetaObject.propertyCount(); ++i)
        CopyProperty(from, to, QHeaderView::staticMetaObject.property(i));
    if (from->testAttribute(Qt::WA_WState_ExplicitShowHide) && from->isHidden()) to->hide();
    to->setSectionsClickable(from->sectionsClickable());
    to->setSectionsMovable(from->sectionsMovable());
    for (int s = 0; s < sections; ++s) {
        if (from->sectionResizeMode(s) != to->sectionResizeMode(s))
            to->setSectionResizeMode(s, from->sectionResizeMode(s));
        if (from->isSectionHidden(s)) to->setSectionHidden(s, true);
        if (from->sectionSize(s) != to->sectionSize(s)) to->resizeSection(s, from->sectionSize(s));
    }
}

// Cells a resource filled in (few, if any).
void CopyCells(const QTableWidget* from, TableModel* to) {
    for (int r = 0; r < from->rowCount(); ++r)
        for (int col = 0; col < from->columnCount(); ++col) {
            const QTableWidgetItem* item = from->item(r, col);
            if (!item) continue;
            Cell& c = to->At(r, col);
            const QByteArray bytes = ToCp1252(item->text());
            c.text.assign(bytes.constData(), size_t(bytes.size()));
            if (item->background().style() != Qt::NoBrush)
                SetCellAttr(c, ATTR_TEXT_BGCOLOR, RgbOf(item->background().color()));
            if (item->foreground().style() != Qt::NoBrush)
                SetCellAttr(c, ATTR_TEXT_COLOR, RgbOf(item->foreground().color()));
            SetFlag(c, Cell::kDimmed, !(item->flags() & Qt::ItemIsEnabled));
            SetFlag(c, Cell::kIndicator, !(item->flags() & Qt::ItemIsEditable));
        }
}

void ReplaceTable(QTableWidget* old) {
    QWidget* parent = old->parentWidget();
    auto* view = new TableView(parent);  // owned by its parent, as the table it replaces
    auto* model = new TableModel(view, old->columnCount());
    for (int col = 0; col < old->columnCount(); ++col)
        for (int role : kHeaderRoles) {
            QVariant v = old->model()->headerData(col, Qt::Horizontal, role);
            if (v.isValid()) model->SetHeader(col, role, v);
        }
    if (old->rowCount() > 0) model->Insert(0, old->rowCount());
    model->ShowRows();
    CopyCells(old, model);
    view->setModel(model);
    view->setItemDelegate(new CellPainter(view));
    view->setHorizontalHeader(new TableHeader(Qt::Horizontal, view));
    view->setVerticalHeader(new TableHeader(Qt::Vertical, view));
    CopyWidget(old, view);
    CopyHeader(old->horizontalHeader(), view->horizontalHeader(), old->columnCount());
    CopyHeader(old->verticalHeader(), view->verticalHeader(), old->rowCount());
    if (QLayout* layout = parent ? parent->layout() : nullptr) layout->replaceWidget(old, view);
    view->stackUnder(old);
    QWidget::setTabOrder(old, view);  // takes its place in the keyboard order
    if (QWidget* top = old->window())
        for (QLabel* label : top->findChildren<QLabel*>())
            if (label->buddy() == old) label->setBuddy(view);
    delete old;
}

// A rule of a style sheet written for QTableWidget also matches the view that replaced it
// (and still any QTableWidget: QTableView is its base class).
void RetargetStyleSheet(QWidget* w) {
    static const QRegularExpression kTableWidget(QStringLiteral("\\bQTableWidget\\b"));
    QString sheet = w->styleSheet();
    if (!sheet.contains(QLatin1String("QTableWidget"))) return;
    sheet.replace(kTableWidget, QStringLiteral("QTableView"));
    w->setStyleSheet(sheet);
}

}  // namespace

namespace qs::rt {

void ModelBackedTables(QWidget* root) {
    const QList<QTableWidget*> tables = root->findChildren<QTableWidget*>();
    if (tables.isEmpty()) return;
    for (QTableWidget* t : tables) ReplaceTable(t);
    RetargetStyleSheet(root);
    for (QWidget* w : root->findChildren<QWidget*>()) RetargetStyleSheet(w);
}

int TableRows(QTableView* view) {
    TableModel* m = ModelOf(view);
    return m ? m->Rows() : view->model()->rowCount();
}

int FirstVisibleTableRow(QTableView* view) {
    TableModel* m = ModelOf(view);
    if (m) m->Scroll();  // as the program asked, even if not yet drawn
    const int r = view->rowAt(0);
    return r < 0 ? (TableRows(view) > 0 ? 1 : 0) : (m ? m->TableRow(r) : r) + 1;
}

void ScrollTableTo(QTableView* view, int row) {
    if (TableModel* m = ModelOf(view))
        m->ScrollTo(row);
    else
        view->scrollTo(view->model()->index(row, 0), QAbstractItemView::PositionAtTop);
}

void TellTableChanges() {
    QCoreApplication::sendPostedEvents(nullptr, ChangesEvent());
}

bool ConnectTable(int panel, int control, QWidget* widget) {
    auto* view = qobject_cast<QTableView*>(widget);
    TableModel* model = ModelOf(view);
    if (!model) return false;
    // The operator moved the current cell; code (and the focus) does so with signals blocked.
    QObject::connect(view->selectionModel(), &QItemSelectionModel::currentChanged, view,
                     [view, model, panel, control](const QModelIndex& current, const QModelIndex&) {
                         if (!view->signalsBlocked() && current.isValid())
                             CallControl(panel, control, EVENT_ACTIVE_CELL_CHANGE,
                                         model->TableRow(current.row()) + 1, current.column() + 1);
                     });
    model->edited = [view, panel, control](int row, int column) {
        if (!view->signalsBlocked()) Commit(panel, control, row + 1, column + 1);
    };
    return true;
}

}  // namespace qs::rt

int InsertTableRows(int panel, int control, int index, int count) {
    auto [view, m, err] = Table(panel, control);
    if (!m) return err;
    if (count < 0) return kErrValue;
    const int rows = m->Rows();
    const int at = index < 1 || index > rows ? rows : index - 1;
    if (count == 0) return 0;
    SignalBlock block(view);
    m->Insert(at, count);  // one model change for the whole block
    return 0;
}

int DeleteTableRows(int panel, int control, int index, int count) {
    auto [view, m, err] = Table(panel, control);
    if (!m) return err;
    const int rows = m->Rows();
    if (index < 1 || index > rows) return rows == 0 && count < 0 ? 0 : kErrValue;
    const int first = index - 1;
    const int n = count < 0 ? rows - first : std::min(count, rows - first);
    if (n <= 0) return 0;
    SignalBlock block(view);
    m->Remove(first, n);
    return 0;
}

int GetNumTableRows(int panel, int control, int* rows) {
    auto [view, m, err] = Table(panel, control);
    if (!m) return err;
    if (rows) *rows = m->Rows();
    return 0;
}

int SetTableCellVal(int panel, int control, Point cell, const char* value) {
    auto [view, m, err] = Table(panel, control);
    if (!m) return err;
    if (!ValidCell(m, cell)) return kErrValue;
    Cell& c = m->At(cell.y - 1, cell.x - 1);
    c.text = value ? value : "";
    c.flags &= ~Cell::kNumber;
    m->Changed(cell.y - 1, cell.x - 1, cell.y - 1, cell.x - 1);
    return 0;
}

int SetTableCellVal(int panel, int control, Point cell, int value) {
    auto [view, m, err] = Table(panel, control);
    if (!m) return err;
    if (!ValidCell(m, cell)) return kErrValue;
    Cell& c = m->At(cell.y - 1, cell.x - 1);
    c.text = std::to_string(value);
    c.flags |= Cell::kNumber;
    m->Changed(cell.y - 1, cell.x - 1, cell.y - 1, cell.x - 1);
    return 0;
}

int GetTableCellVal(int panel, int control, Point cell, char* value, size_t size) {
    auto [view, m, err] = Table(panel, control);
    if (!m) return err;
    if (!ValidCell(m, cell)) return kErrValue;
    if (value && size > 0) {
        const std::string& text = m->At(cell.y - 1, cell.x - 1).text;
        const size_t n = std::min(size - 1, text.size());
        memcpy(value, text.data(), n);
        value[n] = 0;
    }
    return 0;
}

int GetTableCellVal(int panel, int control, Point cell, int* value) {
    auto [view, m, err] = Table(panel, control);
    if (!m) return err;
    if (!ValidCell(m, cell)) return kErrValue;
    const std::string& text = m->At(cell.y - 1, cell.x - 1).text;
    if (value) *value = FromCp1252(text.data(), text.size()).trimmed().toInt();
    return 0;
}

int SetTableCellAttribute(int panel, int control, Point cell, int attribute, int value) {
    auto [view, m, err] = Table(panel, control);
    if (!m) return err;
    if (!ValidCell(m, cell)) return kErrValue;
    if (!KnownCellAttribute(attribute)) return kErrAttribute;
    SetCellAttr(m->At(cell.y - 1, cell.x - 1), attribute, value);
    m->Changed(cell.y - 1, cell.x - 1, cell.y - 1, cell.x - 1);
    return 0;
}

int GetTableCellAttribute(int panel, int control, Point cell, int attribute, int* value) {
    auto [view, m, err] = Table(panel, control);
    if (!m) return err;
    if (!ValidCell(m, cell)) return kErrValue;
    if (!KnownCellAttribute(attribute)) return kErrAttribute;
    if (value) *value = CellAttr(view, m->At(cell.y - 1, cell.x - 1), attribute);
    return 0;
}

int SetTableCellRangeAttribute(int panel, int control, Rect cells, int attribute, int value) {
    auto [view, m, err] = Table(panel, control);
    if (!m) return err;
    // The part of the range that lies in the table (0-based, inclusive).
    const long long top = std::max(1, cells.top) - 1, left = std::max(1, cells.left) - 1;
    const long long bottom = std::min<long long>(m->Rows(), (long long)cells.top + cells.height - 1) - 1;
    const long long right =
        std::min<long long>(m->columnCount(), (long long)cells.left + cells.width - 1) - 1;
    if (bottom < top || right < left) return 0;
    if (!KnownCellAttribute(attribute)) return kErrAttribute;
    for (long long r = top; r <= bottom; ++r)
        for (long long c = left; c <= right; ++c) SetCellAttr(m->At(int(r), int(c)), attribute, value);
    m->Changed(int(top), int(left), int(bottom), int(right));
    return 0;
}

int SetTableRowAttribute(int panel, int control, int row, int attribute, int value) {
    auto [view, m, err] = Table(panel, control);
    if (!m) return err;
    if (row < 1 || row > m->Rows()) return kErrValue;
    if (attribute == ATTR_ROW_HEIGHT) {
        // A waiting row has the table's row height: only another one makes the view hear
        // of the row at once.
        const bool designHeight = value == m->DesignRow(view);
        if (!m->IsShown(row - 1) && designHeight) return 0;
        m->ShowRows();
        // A row at the table's row height already (a table rebuilt row by row) stays so.
        const QHeaderView* rows = view->verticalHeader();
        if (designHeight && rows->sectionSize(row - 1) == rows->defaultSectionSize()) return 0;
        SetDesignRowHeight(view, row - 1, value);
        return 0;
    }
    return SetTableCellRangeAttribute(panel, control, Rect{row, 1, 1, m->columnCount()}, attribute, value);
}

int SetTableColumnAttribute(int panel, int control, int column, int attribute, int value) {
    auto [view, m, err] = Table(panel, control);
    if (!m) return err;
    if (column < 1 || column > m->columnCount()) return kErrValue;
    switch (attribute) {
        case ATTR_WIDTH:
            SetDesignColumnWidth(view, column - 1, value);
            return 0;
        case ATTR_VISIBLE:
            view->setColumnHidden(column - 1, value == 0);
            return 0;
        default:
            if (KnownCellAttribute(attribute)) SetCellAttr(m->Template(column - 1), attribute, value);
            return SetTableCellRangeAttribute(panel, control, Rect{1, column, m->Rows(), 1}, attribute,
                                              value);
    }
}

int SetTableColumnAttribute(int panel, int control, int column, int attribute, const char* value) {
    auto [view, m, err] = Table(panel, control);
    if (!m) return err;
    if (column < 1 || column > m->columnCount()) return kErrValue;
    if (attribute != ATTR_LABEL_TEXT) return kErrAttribute;
    m->SetHeader(column - 1, Qt::DisplayRole, FromCp1252(value));
    return 0;
}

int SetTableSelection(int panel, int control, Rect cells) {
    auto [view, m, err] = Table(panel, control);
    if (!m) return err;
    SignalBlock block(view);
    view->clearSelection();
    if (cells.height <= 0 || cells.width <= 0) return 0;
    const int top = std::max(1, cells.top), left = std::max(1, cells.left);
    const int bottom = std::min<long long>(m->Rows(), (long long)cells.top + cells.height - 1);
    const int right = std::min<long long>(m->columnCount(), (long long)cells.left + cells.width - 1);
    if (bottom < top || right < left) return 0;
    m->ShowRows();
    // Code may select a range whatever the operator is allowed to select.
    view->selectionModel()->select(
        QItemSelection(m->index(top - 1, left - 1), m->index(bottom - 1, right - 1)),
        QItemSelectionModel::Select);
    return 0;
}

int GetActiveTableCell(int panel, int control, Point* cell) {
    auto [view, m, err] = Table(panel, control);
    if (!m) return err;
    const QModelIndex current = view->currentIndex();
    if (cell) *cell = Point{current.column() + 1, current.isValid() ? m->TableRow(current.row()) + 1 : 0};
    return 0;
}

int SetActiveTableCell(int panel, int control, Point cell) {
    auto [view, m, err] = Table(panel, control);
    if (!m) return err;
    if (!ValidCell(m, cell)) return kErrValue;
    m->ShowRows();
    SignalBlock block(view);
    view->selectionModel()->setCurrentIndex(m->index(cell.y - 1, cell.x - 1), QItemSelectionModel::NoUpdate);
    return 0;
}
