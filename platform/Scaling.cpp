// Panels that grow and shrink with their window: every control keeps its place in the
// resource's own coordinates, which is what the program reads and sets, and the layer lays
// it out at the window's scale (places, fonts, style sheets, table columns).
#include <QAbstractButton>
#include <QHeaderView>
#include <QRegularExpression>
#include <QTableView>
#include <cmath>

#include "platform/Runtime.h"

namespace qs::rt {
namespace {

const char* const kPlaced = "qsPlaced";               // made by the loader: its place comes from the resource
const char* const kDesign = "qsDesign";               // QRect: place in its parent at the resource's scale
const char* const kDesignPt = "qsDesignPt";           // double: font size at the resource's scale
const char* const kScale = "qsScale";                 // double, on a window's root: the window's scale
const char* const kOffset = "qsOffset";               // QPoint, on a window's root: origin of the resource
const char* const kLooksScale = "qsLooksScale";       // scale the fonts and style sheets were laid out for
const char* const kDesignColumns = "qsDesignCols";    // QVariantList: a table's column widths
const char* const kDesignRow = "qsDesignRow";         // int: a table's row height
const char* const kColumnsProperty = "columnWidths";  // resource: a table's column widths, "30,52,30"

// Counts the changes of any table's design row height: a caller that keeps a design row
// height read from a table knows when to read it again (the scale does not change it).
unsigned rowHeightChangesG = 0;

// Where a widget's place in its parent is laid out: the window's scale, and the margin
// that centres the resource in a window of another shape (direct children of the root only).
struct Frame {
    double scale = 1.0;
    QPoint offset;
    QPoint origin;  // where the parent starts in the window's resource (a panel within a panel)
    bool scaled = false;
};

// Where `parent` starts in the resource of its window, when the layer places every widget
// from it up to the window; otherwise its own origin.
QPoint DesignOrigin(const QWidget* parent, const QWidget* win) {
    QPoint o;
    for (const QWidget* w = parent; w != win; w = w->parentWidget()) {
        if (!w || !w->property(kPlaced).toBool()) return {};
        const QVariant d = w->property(kDesign);
        if (!d.isValid()) return {};
        o += d.toRect().topLeft();
    }
    return o;
}

Frame FrameOf(const QWidget* w) {
    const QWidget* win = w->window();
    const QVariant s = win->property(kScale);
    if (!s.isValid() || w == win) return {};
    Frame f{s.toDouble(), {}, {}, true};
    if (w->parentWidget() == win)
        f.offset = win->property(kOffset).toPoint();
    else
        f.origin = DesignOrigin(w->parentWidget(), win);
    return f;
}

// Edges are scaled, not sizes, so neighbouring controls stay joined at any scale; and in
// the window's coordinates, so a control on the edge of a panel within a panel ends where
// that panel ends.
int EdgeInParent(int v, int origin, double s) {
    return int(std::lround((origin + v) * s) - std::lround(origin * s));
}

QRect ToWindow(const QRect& d, const Frame& f) {
    if (!f.scaled) return d;
    const int left = EdgeInParent(d.x(), f.origin.x(), f.scale) + f.offset.x();
    const int top = EdgeInParent(d.y(), f.origin.y(), f.scale) + f.offset.y();
    const int right = EdgeInParent(d.x() + d.width(), f.origin.x(), f.scale) + f.offset.x();
    const int bottom = EdgeInParent(d.y() + d.height(), f.origin.y(), f.scale) + f.offset.y();
    return QRect(left, top, std::max(0, right - left), std::max(0, bottom - top));
}

int Scaled(int v, double s) {
    return int(std::lround(v * s));
}

// "font-size: 9pt; border: 1px ..." at the window's scale; a visible line stays at least a pixel.
QString ScaleSheet(const QString& sheet, double s) {
    if (std::fabs(s - 1.0) < 1e-6 || sheet.isEmpty()) return sheet;
    static const QRegularExpression kLength(QStringLiteral("(\\d+(?:\\.\\d+)?)(px|pt)\\b"));
    QString out;
    qsizetype last = 0;
    auto it = kLength.globalMatch(sheet);
    while (it.hasNext()) {
        const auto m = it.next();
        out += sheet.mid(last, m.capturedStart() - last);
        const double v = m.captured(1).toDouble();
        if (m.captured(2) == QLatin1String("pt")) {
            out += QString::number(std::max(1.0, v * s), 'f', 1) + QLatin1String("pt");
        } else {
            const long px = v > 0 ? std::max(1L, std::lround(v * s)) : 0;
            out += QString::number(px) + QLatin1String("px");
        }
        last = m.capturedEnd();
    }
    return out + sheet.mid(last);
}

int ColumnCount(const QTableView* t) {
    return t->model() ? t->model()->columnCount() : 0;
}

void RecordTable(QTableView* t) {
    // Column widths the resource gives ("30,52,30"); the last column may stretch.
    const QStringList widths =
        t->property(kColumnsProperty).toString().split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (int c = 0; c < widths.size() && c < ColumnCount(t); ++c) t->setColumnWidth(c, widths[c].toInt());
    QVariantList columns;
    for (int c = 0; c < ColumnCount(t); ++c) columns << t->columnWidth(c);
    t->setProperty(kDesignColumns, columns);
    t->setProperty(kDesignRow, t->verticalHeader()->defaultSectionSize());
    ++rowHeightChangesG;
}

void ScaleTable(QTableView* t, double s) {
    const QVariantList columns = t->property(kDesignColumns).toList();
    const bool stretch = t->horizontalHeader()->stretchLastSection();
    for (int c = 0; c < columns.size() && c < ColumnCount(t); ++c)
        if (!(stretch && c == ColumnCount(t) - 1)) t->setColumnWidth(c, Scaled(columns[c].toInt(), s));
    // Rows left at the default height follow it in one pass.
    const QVariant row = t->property(kDesignRow);
    if (row.isValid()) t->verticalHeader()->setDefaultSectionSize(std::max(1, Scaled(row.toInt(), s)));
}

// The parts a control is made of (a table's headers, a number field's editor) take its
// font: styled by the panel's sheet, they would otherwise keep the one they had first.
void FontOfParts(QWidget* w, const QFont& f) {
    for (QWidget* part : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (part->property(kPlaced).toBool() || part->isWindow()) continue;
        QFont own = part->font();
        own.setPointSizeF(f.pointSizeF());
        part->setFont(own);
        FontOfParts(part, f);
    }
}

void ScaleFont(QWidget* w, double s) {
    const QVariant pt = w->property(kDesignPt);
    if (!pt.isValid()) return;
    QFont f = w->font();
    f.setPointSizeF(std::max(1.0, pt.toDouble() * s));
    w->setFont(f);
    FontOfParts(w, f);
}

// Fonts, style sheets and table columns: redone only when the scale really changed, as a
// new style sheet restyles every control of the window.
void ScaleLooks(QWidget* win, double s, bool force) {
    const QVariant done = win->property(kLooksScale);
    if (!force && done.isValid() && std::fabs(done.toDouble() - s) < 0.004) return;
    win->setProperty(kLooksScale, s);
    ScaleFont(win, s);
    ApplyStyle(win);
    for (QWidget* w : win->findChildren<QWidget*>()) {
        if (!w->property(kPlaced).toBool()) continue;
        ScaleFont(w, s);
        if (w->property("qsBaseStyle").isValid()) ApplyStyle(w);
        if (auto* t = qobject_cast<QTableView*>(w)) ScaleTable(t, s);
        w->update();  // painted controls draw their fixed sizes at the window's scale
    }
}

}  // namespace

void MarkPlaced(QWidget* w) {
    w->setProperty(kPlaced, true);
}

void RecordDesign(QWidget* root) {
    auto record = [](QWidget* w) {
        w->setProperty(kDesign, w->geometry());
        if (!w->styleSheet().isEmpty()) w->setProperty("qsBaseStyle", w->styleSheet());
        // Every control gets its size set: a control styled by a style sheet no longer takes
        // its parent's font when that changes.
        w->setProperty(kDesignPt, w->font().pointSizeF());
        if (auto* t = qobject_cast<QTableView*>(w)) RecordTable(t);
    };
    record(root);
    for (QWidget* w : root->findChildren<QWidget*>())
        if (w->property(kPlaced).toBool()) record(w);
}

bool IsScaledWindow(const QWidget* root) {
    return root && root->isWindow() && root->property(kScale).isValid();
}

double WindowScale(const QWidget* w) {
    if (!w) return 1.0;
    const QVariant s = w->window()->property(kScale);
    return s.isValid() ? s.toDouble() : 1.0;
}

QPoint WindowOffset(const QWidget* root) {
    return root->property(kOffset).toPoint();
}

QSize DesignSize(const QWidget* root) {
    const QVariant d = root->property(kDesign);
    // A window the layer does not scale is the size the operator or the program gave it.
    if (!d.isValid() || (root->isWindow() && !IsScaledWindow(root))) return root->size();
    return d.toRect().size();
}

QRect DesignRect(const QWidget* w) {
    const Frame f = FrameOf(w);
    const QVariant d = w->property(kDesign);
    if (!f.scaled || !d.isValid()) return w->geometry();
    return d.toRect();
}

void FollowWidgetPlace(QWidget* w) {
    const Frame f = FrameOf(w);
    if (!f.scaled || !w->property(kDesign).isValid()) return;
    const QRect a = w->geometry();
    const QPoint at = a.topLeft() - f.offset;
    const auto design = [&f](int v, int origin) {
        return int(std::lround((v + std::lround(origin * f.scale)) / f.scale) - origin);
    };
    w->setProperty(kDesign,
                   QRect(design(at.x(), f.origin.x()), design(at.y(), f.origin.y()),
                         int(std::lround(a.width() / f.scale)), int(std::lround(a.height() / f.scale))));
}

void SetDesignRect(QWidget* w, const QRect& d) {
    if (w->isWindow()) {
        SetDesignSize(w, d.size());
        return;
    }
    w->setProperty(kDesign, d);
    w->setGeometry(ToWindow(d, FrameOf(w)));
}

QPoint DesignPosInPanel(const QWidget* w, const QWidget* root) {
    QPoint pos;
    for (; w && w != root; w = w->parentWidget()) pos += DesignRect(w).topLeft();
    return pos;
}

QPointF ToDesignPoint(const QWidget* w, QPoint local) {
    const double s = WindowScale(w);
    QPointF p = local;
    if (IsScaledWindow(w)) p -= WindowOffset(w);
    return p / s;
}

void SetDesignSize(QWidget* root, QSize size) {
    root->setProperty(kDesign, QRect(QPoint(0, 0), size));
    if (!IsScaledWindow(root)) {
        root->resize(size);
        return;
    }
    const double s = WindowScale(root);
    root->resize(Scaled(size.width(), s), Scaled(size.height(), s));
    LayOutWindow(root, s);
}

void SetDesignFontSize(QWidget* w, int points) {
    w->setProperty(kDesignPt, double(points > 0 ? points : 1));
    ScaleFont(w, WindowScale(w));
}

void SetDesignColumnWidth(QTableView* t, int column, int width) {
    QVariantList columns = t->property(kDesignColumns).toList();
    while (columns.size() <= column) columns << t->horizontalHeader()->defaultSectionSize();
    columns[column] = width;
    t->setProperty(kDesignColumns, columns);
    t->setColumnWidth(column, Scaled(width, WindowScale(t)));
}

void SetDesignRowHeight(QTableView* t, int row, int height) {
    const double s = WindowScale(t);
    if (t->property(kDesignRow).toInt() != height) {
        t->setProperty(kDesignRow, height);
        t->verticalHeader()->setDefaultSectionSize(std::max(1, Scaled(height, s)));
        ++rowHeightChangesG;
    }
    if (row >= 0) t->setRowHeight(row, std::max(1, Scaled(height, s)));
}

unsigned RowHeightChanges() {
    return rowHeightChangesG;
}

int DesignRowHeight(const QTableView* t) {
    const QVariant row = t->property(kDesignRow);
    return row.isValid() ? row.toInt() : t->verticalHeader()->defaultSectionSize();
}

void LayOutWindow(QWidget* win, double scale) {
    const QSize design = DesignSize(win);
    win->setProperty(kScale, scale);
    win->setProperty(kOffset, QPoint(std::max(0, (win->width() - Scaled(design.width(), scale)) / 2),
                                     std::max(0, (win->height() - Scaled(design.height(), scale)) / 2)));
    for (QWidget* w : win->findChildren<QWidget*>()) {
        const QVariant d = w->property(kDesign);
        if (d.isValid() && w->property(kPlaced).toBool()) w->setGeometry(ToWindow(d.toRect(), FrameOf(w)));
    }
    ScaleLooks(win, scale, false);
}

void FollowWindowSize(QWidget* win) {
    if (!IsScaledWindow(win)) return;
    const QSize design = DesignSize(win);
    if (design.isEmpty()) return;
    const double old = WindowScale(win);
    double s = std::min(double(win->width()) / design.width(), double(win->height()) / design.height());
    // Less than a pixel away: the window was sized for the scale it has (no creeping), unless
    // the window came out a pixel smaller than asked (a fractional scale of the screen rounds
    // the window to whole device pixels): then the panel's last pixel would be cut.
    if (std::fabs(s - old) * std::max(design.width(), design.height()) < 1.0 &&
        Scaled(design.width(), old) <= win->width() && Scaled(design.height(), old) <= win->height())
        s = old;
    LayOutWindow(win, s);
}

void StartScaling(QWidget* win, double scale) {
    win->setProperty(kScale, scale);
    const QSize design = DesignSize(win);
    win->resize(Scaled(design.width(), scale), Scaled(design.height(), scale));
    // Any smaller and nothing can be read: the window keeps to a third of the resource's size.
    win->setMinimumSize(design.width() / 3, design.height() / 3);
    LayOutWindow(win, scale);
}

void ScaleChildPanel(QWidget* panelRoot) {
    const double s = WindowScale(panelRoot);
    if (!IsScaledWindow(panelRoot->window())) return;
    auto place = [](QWidget* w) {
        const QVariant d = w->property(kDesign);
        if (d.isValid()) w->setGeometry(ToWindow(d.toRect(), FrameOf(w)));
    };
    place(panelRoot);
    for (QWidget* w : panelRoot->findChildren<QWidget*>())
        if (w->property(kPlaced).toBool()) place(w);
    for (QWidget* w : panelRoot->findChildren<QWidget*>()) {
        if (!w->property(kPlaced).toBool()) continue;
        ScaleFont(w, s);
        if (w->property("qsBaseStyle").isValid()) ApplyStyle(w);
        if (auto* t = qobject_cast<QTableView*>(w)) ScaleTable(t, s);
    }
    ScaleFont(panelRoot, s);
    if (panelRoot->property("qsBaseStyle").isValid()) ApplyStyle(panelRoot);
}

// The widget's own style sheet from the resource at the window's scale, then the colours the
// program set on it (which win over the panel's sheet).
void ApplyStyle(QWidget* w) {
    const QVariant base = w->property("qsBaseStyle");
    QString rules;
    for (const char* p : {"background-color", "color"}) {
        const QVariant v = w->property(QByteArray("qsCss-") + p);
        if (v.isValid())
            rules += QString::fromLatin1(p) + QLatin1String(": ") + v.toString() + QLatin1String("; ");
    }
    const QString sheet = ScaleSheet(base.toString(), WindowScale(w));
    QString css;
    if (rules.isEmpty())
        css = sheet;
    else if (sheet.isEmpty() && w->objectName().isEmpty())
        css = rules;
    else
        css = sheet + QLatin1String("\nQWidget#") + w->objectName() + QLatin1String(" { ") + rules +
              QLatin1String("}");
    if (css != w->styleSheet()) w->setStyleSheet(css);
}

}  // namespace qs::rt
