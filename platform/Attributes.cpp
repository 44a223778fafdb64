// Control and panel attributes: dimmed, visible, position, size, labels, colours, modes.
#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTableView>
#include <QTextEdit>
#include <cmath>
#include <span>

#include "platform/CustomControl.h"
#include "platform/Encoding.h"
#include "platform/Runtime.h"

using namespace qs::rt;

namespace {

const char* const kDimmed = "qsDimmed";        // dimmed by the program (the control itself)
const char* const kPanelDim = "qsPanelDim";    // dimmed with its panel
const char* const kLabelText = "qsLabelText";  // caption of a control without a caption widget
const char* const kLabelHidden = "qsLabelHidden";

QByteArray StoredName(int attribute) {
    return "qsAttr" + QByteArray::number(attribute);
}

void ApplyEnabled(QWidget* w) {
    w->setEnabled(!w->property(kDimmed).toBool() && !w->property(kPanelDim).toBool());
}

// A control's caption is a separate QLabel named by its "label" property or whose
// buddy it is; buttons, group boxes and labels carry their caption themselves.
QLabel* CaptionWidget(QWidget* w) {
    int panel = PanelOfWidget(w);
    QWidget* root = PanelWidget(panel);
    if (!root) return nullptr;
    QString name = w->property("label").toString();
    if (!name.isEmpty()) return root->findChild<QLabel*>(name);
    for (QLabel* l : root->findChildren<QLabel*>())
        if (l->buddy() == w) return l;
    return nullptr;
}

// Captions mark a keyboard shortcut with "__" before its character ("__1  Synchronisation");
// a button shows that character underlined and Alt+character presses it.
QString ShownCaption(const QString& caption) {
    QString shown = caption;
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    shown.replace(QStringLiteral("__"), QStringLiteral("&"));
    return shown;
}

QString LabelText(QWidget* w) {
    if (QLabel* l = CaptionWidget(w)) return l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        QVariant caption = w->property(kLabelText);
        return caption.isValid() ? caption.toString() : b->text();
    }
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    return w->property(kLabelText).toString();
}

// A caption shown only under the mouse (hover caption) is also the control's tooltip and
// its accessible name, so it can be read without hovering and by assistive tools.
void ShareHoverCaption(QWidget* w) {
    if (!w->property("qsHoverCaption").toBool()) return;
    QString plain = LabelText(w);
    plain.remove(QStringLiteral("__"));
    plain = plain.trimmed();
    w->setToolTip(plain);
    w->setAccessibleName(plain);
}

void NoteHoverCaption(QWidget* w) {
    w->setProperty("qsHoverCaption", true);
    ShareHoverCaption(w);
}

void SetLabelText(QWidget* w, const QString& text) {
    struct Share {
        QWidget* w;
        ~Share() { ShareHoverCaption(w); }
    } share{w};
    if (QLabel* l = CaptionWidget(w)) return l->setText(text);
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        w->setProperty(kLabelText, text);
        if (!w->property(kLabelHidden).toBool()) b->setText(ShownCaption(text));
        return;
    }
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->setTitle(text);
    if (auto* l = qobject_cast<QLabel*>(w)) return l->setText(text);
    w->setProperty(kLabelText, text);
}

bool LabelVisible(QWidget* w) {
    if (QLabel* l = CaptionWidget(w)) return !l->isHidden();
    return !w->property(kLabelHidden).toBool();
}

// Buttons hide their caption by clearing the text (the hover captions rely on it).
void SetLabelVisible(QWidget* w, bool visible) {
    if (QLabel* l = CaptionWidget(w)) return l->setVisible(visible);
    if (LabelVisible(w) == visible) return;
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        if (!visible) {
            if (!w->property(kLabelText).isValid()) w->setProperty(kLabelText, b->text());
            b->setText(QString());
        } else {
            b->setText(ShownCaption(w->property(kLabelText).toString()));
        }
    }
    w->setProperty(kLabelHidden, !visible);
}

void SetColor(QWidget* w, QPalette::ColorRole role, int rgb) {
    QPalette pal = w->palette();
    pal.setColor(role, ColorOf(rgb));
    w->setPalette(pal);
}

// Panels styled by a style sheet ignore palettes: the colours the program sets also go
// into the widget's own style sheet, which wins over its panel's.
void SetStyleColor(QWidget* w, const char* property, int rgb) {
    if (!w->property("qsBaseStyle").isValid()) w->setProperty("qsBaseStyle", w->styleSheet());
    w->setProperty(QByteArray("qsCss-") + property, QColor(ColorOf(rgb)).name());
    ApplyStyle(w);
}

int Color(const QWidget* w, QPalette::ColorRole role) {
    return RgbOf(w->palette().color(role));
}

bool IsEditor(const QWidget* w) {
    return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
           qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const QTextEdit*>(w) ||
           qobject_cast<const QTableView*>(w) || qobject_cast<const QComboBox*>(w);
}

void SetIndicator(QWidget* w, bool indicator) {
    w->setProperty("qsIndicator", indicator);
    if (auto* e = qobject_cast<QLineEdit*>(w))
        e->setReadOnly(indicator);
    else if (auto* s = qobject_cast<QAbstractSpinBox*>(w))
        s->setReadOnly(indicator);
    else if (auto* p = qobject_cast<QPlainTextEdit*>(w))
        p->setReadOnly(indicator);
    else if (auto* t = qobject_cast<QTextEdit*>(w))
        t->setReadOnly(indicator);
    else if (auto* tw = qobject_cast<QTableView*>(w))
        tw->setEditTriggers(indicator ? QAbstractItemView::NoEditTriggers
                                      : QAbstractItemView::AllEditTriggers);
    else
        w->setAttribute(Qt::WA_TransparentForMouseEvents, indicator);
}

int TableVisibleRows(QTableView* t) {
    int h = t->viewport()->height(), rowH = t->verticalHeader()->defaultSectionSize();
    return rowH > 0 ? h / rowH : 0;
}

// Positions are the control's place in its panel, whatever container holds it, in the
// panel resource's coordinates whatever the window's scale.
QPoint PanelPos(QWidget* w) {
    QWidget* root = PanelWidget(PanelOfWidget(w));
    return root && w != root ? DesignPosInPanel(w, root) : DesignRect(w).topLeft();
}

void MoveInPanel(QWidget* w, QPoint panelPos) {
    QWidget* root = PanelWidget(PanelOfWidget(w));
    QWidget* parent = w->parentWidget();
    if (root && parent && parent != root) panelPos -= DesignPosInPanel(parent, root);
    QRect r = DesignRect(w);
    r.moveTopLeft(panelPos);
    SetDesignRect(w, r);
}

void Resize(QWidget* w, int width, int height) {
    QRect r = DesignRect(w);
    r.setSize(QSize(width, height));
    SetDesignRect(w, r);
}

// --- controls ----------------------------------------------------------------
// Each kind of control has a table of the attributes it knows. An attribute no kind of
// the control knows is only remembered, so that reading it gives back what was set; an
// attribute never set and unknown to the control is an error.

struct ControlAttribute {
    int attribute;
    // Applies a value (null: the value is only remembered).
    void (*set)(QWidget* w, int value);
    // The value set is also remembered and read back: a colour that went into a style
    // sheet does not show in the palette.
    bool remember;
    // Reads the control's live value (null: the remembered value, else `shown`).
    void (*get)(QWidget* w, int* value);
    // What the control shows while the program has set nothing (null: nothing to read).
    int (*shown)(QWidget* w);
};

void SetDimmed(QWidget* w, int value) {
    w->setProperty(kDimmed, value != 0);
    ApplyEnabled(w);
}

void SetLabelColor(QWidget* w, int value) {
    if (QLabel* l = CaptionWidget(w)) {
        SetColor(l, QPalette::WindowText, value);
        SetStyleColor(l, "color", value);
    } else {
        SetColor(w, qobject_cast<QAbstractButton*>(w) ? QPalette::ButtonText : QPalette::WindowText, value);
        SetStyleColor(w, "color", value);
    }
}

void SetTextColor(QWidget* w, int value) {
    SetColor(w, QPalette::WindowText, value);
    SetColor(w, QPalette::Text, value);
    if (qobject_cast<QAbstractButton*>(w)) SetColor(w, QPalette::ButtonText, value);
    SetStyleColor(w, "color", value);
}

void SetBackColor(QWidget* w, int value) {
    if (IsEditor(w)) {
        SetColor(w, QPalette::Base, value);
    } else {
        SetColor(w, qobject_cast<QAbstractButton*>(w) ? QPalette::Button : QPalette::Window, value);
        w->setAutoFillBackground(true);
    }
    SetStyleColor(w, "background-color", value);
}

int BackColor(QWidget* w) {
    return Color(w, IsEditor(w) ? QPalette::Base : QPalette::Window);
}

// Every control: place, size, state, caption and colours.
const ControlAttribute kEveryControl[] = {
    {ATTR_DIMMED, SetDimmed, false, [](QWidget* w, int* v) { *v = w->property(kDimmed).toBool() ? 1 : 0; },
     nullptr},
    {ATTR_VISIBLE, [](QWidget* w, int v) { w->setVisible(v != 0); }, false,
     [](QWidget* w, int* v) { *v = w->isHidden() ? 0 : 1; }, nullptr},
    {ATTR_TOP, [](QWidget* w, int v) { MoveInPanel(w, QPoint(PanelPos(w).x(), v)); }, false,
     [](QWidget* w, int* v) { *v = PanelPos(w).y(); }, nullptr},
    {ATTR_LEFT, [](QWidget* w, int v) { MoveInPanel(w, QPoint(v, PanelPos(w).y())); }, false,
     [](QWidget* w, int* v) { *v = PanelPos(w).x(); }, nullptr},
    {ATTR_WIDTH, [](QWidget* w, int v) { Resize(w, v, DesignRect(w).height()); }, false,
     [](QWidget* w, int* v) { *v = DesignRect(w).width(); }, nullptr},
    {ATTR_HEIGHT, [](QWidget* w, int v) { Resize(w, DesignRect(w).width(), v); }, false,
     [](QWidget* w, int* v) { *v = DesignRect(w).height(); }, nullptr},
    {ATTR_LABEL_VISIBLE, [](QWidget* w, int v) { SetLabelVisible(w, v != 0); }, false,
     [](QWidget* w, int* v) { *v = LabelVisible(w) ? 1 : 0; }, nullptr},
    {ATTR_CTRL_MODE, [](QWidget* w, int v) { SetIndicator(w, v == VAL_INDICATOR); }, false,
     [](QWidget* w, int* v) { *v = w->property("qsIndicator").toBool() ? VAL_INDICATOR : VAL_HOT; }, nullptr},
    {ATTR_TEXT_POINT_SIZE, SetDesignFontSize, false, nullptr,
     [](QWidget* w) { return int(std::lround(w->font().pointSizeF() / WindowScale(w))); }},
    {ATTR_CMD_BUTTON_COLOR,
     [](QWidget* w, int v) {
         SetColor(w, QPalette::Button, v);
         SetStyleColor(w, "background-color", v);
     },
     true, nullptr, [](QWidget* w) { return Color(w, QPalette::Button); }},
    {ATTR_LABEL_COLOR, SetLabelColor, true, nullptr,
     [](QWidget* w) { return Color(w, QPalette::WindowText); }},
    {ATTR_TEXT_COLOR, SetTextColor, true, nullptr,
     [](QWidget* w) { return Color(w, IsEditor(w) ? QPalette::Text : QPalette::WindowText); }},
    {ATTR_TEXT_BGCOLOR, SetBackColor, true, nullptr, BackColor},
    {ATTR_BACKCOLOR, SetBackColor, true, nullptr, BackColor},
};

// Numeric controls: their bounds. Setting one is no operator's change (no signal).
template <bool Min>
void SetBound(QWidget* w, int value) {
    SignalBlock block(w);
    if (auto* s = qobject_cast<QSpinBox*>(w))
        Min ? s->setMinimum(value) : s->setMaximum(value);
    else if (auto* d = qobject_cast<QDoubleSpinBox*>(w))
        Min ? d->setMinimum(value) : d->setMaximum(value);
    else if (auto* sl = qobject_cast<QAbstractSlider*>(w))
        Min ? sl->setMinimum(value) : sl->setMaximum(value);
}

template <bool Min>
void Bound(QWidget* w, int* value) {
    if (auto* s = qobject_cast<QSpinBox*>(w))
        *value = Min ? s->minimum() : s->maximum();
    else if (auto* d = qobject_cast<QDoubleSpinBox*>(w))
        *value = int(std::lround(Min ? d->minimum() : d->maximum()));
    else if (auto* sl = qobject_cast<QAbstractSlider*>(w))
        *value = Min ? sl->minimum() : sl->maximum();
}

bool IsNumeric(QWidget* w) {
    return qobject_cast<QSpinBox*>(w) || qobject_cast<QDoubleSpinBox*>(w) ||
           qobject_cast<QAbstractSlider*>(w);
}

const ControlAttribute kNumeric[] = {
    {ATTR_MIN_VALUE, SetBound<true>, false, Bound<true>, nullptr},
    {ATTR_MAX_VALUE, SetBound<false>, false, Bound<false>, nullptr},
};

// Tables: scrolling and row height; the number of rows in view is only read.
QTableView* Table(QWidget* w) {
    return static_cast<QTableView*>(w);
}

const ControlAttribute kTable[] = {
    {ATTR_FIRST_VISIBLE_ROW,
     [](QWidget* w, int v) {
         if (v >= 1 && v <= TableRows(Table(w))) ScrollTableTo(Table(w), v - 1);
     },
     false, [](QWidget* w, int* v) { *v = FirstVisibleTableRow(Table(w)); }, nullptr},
    {ATTR_NUM_VISIBLE_ROWS, nullptr, false, [](QWidget* w, int* v) { *v = TableVisibleRows(Table(w)); },
     nullptr},
    {ATTR_ROW_HEIGHT, [](QWidget* w, int v) { SetDesignRowHeight(Table(w), -1, v); }, false,
     [](QWidget* w, int* v) { *v = DesignRowHeight(Table(w)); }, nullptr},
};

// Pictures (a text message showing an image): fit mode, and the loaded image's size, read only.
QLabel* Picture(QWidget* w) {
    return static_cast<QLabel*>(w);
}

const ControlAttribute kPicture[] = {
    {ATTR_FIT_MODE, [](QWidget* w, int v) { SetPictureFitMode(Picture(w), v); }, false,
     [](QWidget* w, int* v) { *v = PictureFitMode(Picture(w)); }, nullptr},
    {ATTR_IMAGE_WIDTH, nullptr, false, [](QWidget* w, int* v) { *v = PictureImageSize(Picture(w)).width(); },
     nullptr},
    {ATTR_IMAGE_HEIGHT, nullptr, false,
     [](QWidget* w, int* v) { *v = PictureImageSize(Picture(w)).height(); }, nullptr},
};

// The kinds, each with the test that tells a control of that kind; a control is of every
// kind whose test it passes (custom controls answer for themselves first, see below).
struct ControlKind {
    bool (*is)(QWidget* w);
    std::span<const ControlAttribute> attributes;
};

const ControlKind kKinds[] = {
    {[](QWidget*) { return true; }, kEveryControl},
    {IsNumeric, kNumeric},
    {[](QWidget* w) { return qobject_cast<QTableView*>(w) != nullptr; }, kTable},
    {[](QWidget* w) { return qobject_cast<QLabel*>(w) != nullptr; }, kPicture},
};

// The attribute's row for this control, or null. The widget's kind is tested only for
// kinds that know the attribute: setting a colour costs no cast.
const ControlAttribute* FindAttribute(QWidget* w, int attribute) {
    for (const ControlKind& kind : kKinds)
        for (const ControlAttribute& row : kind.attributes)
            if (row.attribute == attribute) {
                if (kind.is(w)) return &row;
                break;
            }
    return nullptr;
}

int SetGeneric(QWidget* w, int attribute, int value) {
    const ControlAttribute* row = FindAttribute(w, attribute);
    if (row && row->set) {
        row->set(w, value);
        if (!row->remember) return 0;
    }
    w->setProperty(StoredName(attribute), value);
    return 0;
}

int GetGeneric(QWidget* w, int attribute, int* value) {
    const ControlAttribute* row = FindAttribute(w, attribute);
    if (row && row->get) {
        row->get(w, value);
        return 0;
    }
    QVariant stored = w->property(StoredName(attribute));
    if (stored.isValid()) {
        *value = stored.toInt();
        return 0;
    }
    if (row && row->shown) {
        *value = row->shown(w);
        return 0;
    }
    *value = 0;
    return kErrAttribute;
}

// --- panels ------------------------------------------------------------------

// Dimming a panel greys its own controls but not its child panels: a dialog
// loaded as a child of a dimmed window stays usable.
int SetPanelDimmed(PanelRec* p, int value) {
    const bool dimmed = value != 0;
    p->dimmed = dimmed;
    for (QObject* o : p->root->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (!w || w->isWindow() || PanelOfWidget(w) != p->handle) continue;
        w->setProperty(kPanelDim, dimmed);
        ApplyEnabled(w);
    }
    return 0;
}

// A window's place is on the desktop; a child panel's is in its parent, in the parent
// resource's coordinates. Sizes are the resource's whatever the window's scale.
QPoint PanelPlace(PanelRec* p) {
    return p->root->isWindow() ? p->root->pos() : DesignRect(p->root).topLeft();
}

QSize PanelSize(PanelRec* p) {
    return p->root->isWindow() ? DesignSize(p->root) : DesignRect(p->root).size();
}

// A title bar button, or the bar itself: the flag is on when the value's truth is When.
template <Qt::WindowType Flag, bool When>
int SetWindowFlag(PanelRec* p, int value) {
    QWidget* w = p->root;
    bool visible = w->isVisible();
    w->setWindowFlag(Flag, (value != 0) == When);  // re-creates a window: show it again if it was up
    if (visible && w->isWindow()) w->show();
    return 0;
}

int SetSizable(PanelRec* p, int value) {
    QWidget* w = p->root;
    if (value)
        w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX), w->setMinimumSize(0, 0);
    else
        w->setFixedSize(w->size());
    return 0;
}

int SetZoom(PanelRec* p, int value) {
    QWidget* w = p->root;
    if (!w->isWindow()) return 0;
    if (value == VAL_FULLSCREEN)
        w->showFullScreen();
    else if (value == VAL_MAXIMIZE)
        w->showMaximized();
    else if (w->isVisible())
        w->showNormal();
    return 0;
}

int SetPanelBackColor(PanelRec* p, int value) {
    SetColor(p->root, QPalette::Window, value);
    p->root->setAutoFillBackground(true);
    SetStyleColor(p->root, "background-color", value);
    return 0;
}

// A panel's attributes, as the controls' above; a setter gives the call's result.
struct PanelAttribute {
    int attribute;
    int (*set)(PanelRec* p, int value);    // null: only remembered
    bool remember;                         // the value set is also remembered
    void (*get)(PanelRec* p, int* value);  // null: the remembered value
};

const PanelAttribute kPanel[] = {
    {ATTR_DIMMED, SetPanelDimmed, false, [](PanelRec* p, int* v) { *v = p->dimmed ? 1 : 0; }},
    {ATTR_VISIBLE, [](PanelRec* p, int v) { return v ? DisplayPanel(p->handle) : HidePanel(p->handle); },
     false, [](PanelRec* p, int* v) { *v = p->root->isHidden() ? 0 : 1; }},
    {ATTR_TOP, [](PanelRec* p, int v) { return SetPanelPos(p->handle, v, PanelPlace(p).x()); }, false,
     [](PanelRec* p, int* v) { *v = PanelPlace(p).y(); }},
    {ATTR_LEFT, [](PanelRec* p, int v) { return SetPanelPos(p->handle, PanelPlace(p).y(), v); }, false,
     [](PanelRec* p, int* v) { *v = PanelPlace(p).x(); }},
    {ATTR_WIDTH, [](PanelRec* p, int v) { return SetPanelSize(p->handle, PanelSize(p).height(), v); }, false,
     [](PanelRec* p, int* v) { *v = PanelSize(p).width(); }},
    {ATTR_HEIGHT, [](PanelRec* p, int v) { return SetPanelSize(p->handle, v, PanelSize(p).width()); }, false,
     [](PanelRec* p, int* v) { *v = PanelSize(p).height(); }},
    {ATTR_BACKCOLOR, SetPanelBackColor, true,
     [](PanelRec* p, int* v) { *v = Color(p->root, QPalette::Window); }},
    {ATTR_CAN_MAXIMIZE, SetWindowFlag<Qt::WindowMaximizeButtonHint, true>, true, nullptr},
    {ATTR_CAN_MINIMIZE, SetWindowFlag<Qt::WindowMinimizeButtonHint, true>, true, nullptr},
    {ATTR_TITLEBAR_VISIBLE, SetWindowFlag<Qt::FramelessWindowHint, false>, true, nullptr},
    {ATTR_SIZABLE, SetSizable, true, nullptr},
    {ATTR_WINDOW_ZOOM, SetZoom, true,
     [](PanelRec* p, int* v) {
         QWidget* w = p->root;
         *v = w->isFullScreen() ? VAL_FULLSCREEN : w->isMaximized() ? VAL_MAXIMIZE : VAL_NO_ZOOM;
     }},
    {ATTR_ACTIVE, nullptr, false, [](PanelRec* p, int* v) { *v = ActivePanel() == p->handle ? 1 : 0; }},
    {ATTR_PANEL_PARENT, nullptr, false, [](PanelRec* p, int* v) { *v = p->parent; }},
};

const PanelAttribute* FindPanelAttribute(int attribute) {
    for (const PanelAttribute& row : kPanel)
        if (row.attribute == attribute) return &row;
    return nullptr;
}

int SetPanelInt(PanelRec* p, int attribute, int value) {
    const PanelAttribute* row = FindPanelAttribute(attribute);
    if (row && row->set) {
        const int rc = row->set(p, value);
        if (!row->remember) return rc;
    }
    p->root->setProperty(StoredName(attribute), value);
    return 0;
}

int GetPanelInt(PanelRec* p, int attribute, int* value) {
    const PanelAttribute* row = FindPanelAttribute(attribute);
    if (row && row->get) {
        row->get(p, value);
        return 0;
    }
    QVariant stored = p->root->property(StoredName(attribute));
    *value = stored.isValid() ? stored.toInt() : 0;
    return stored.isValid() ? 0 : kErrAttribute;
}

}  // namespace

int SetCtrlAttribute(int panel, int control, int attribute, int value) {
    if (!FindPanel(panel)) return kErrPanel;
    QWidget* w = ControlWidget(panel, control);
    if (!w) return kErrControl;
    if (attribute == ATTR_DIMMED) FindControl(panel, control)->dimmed = value != 0;
    if (attribute == ATTR_LABEL_VISIBLE && value == 0) NoteHoverCaption(w);
    if (auto* cc = dynamic_cast<qs::CustomControl*>(w); cc && cc->setIntAttribute(attribute, value)) return 0;
    return SetGeneric(w, attribute, value);
}

int SetCtrlAttribute(int panel, int control, int attribute, const char* value) {
    if (!FindPanel(panel)) return kErrPanel;
    QWidget* w = ControlWidget(panel, control);
    if (!w) return kErrControl;
    if (attribute != ATTR_LABEL_TEXT) return kErrAttribute;
    SetLabelText(w, FromCp1252(value));
    return 0;
}

int GetCtrlAttribute(int panel, int control, int attribute, int* value) {
    if (!FindPanel(panel)) return kErrPanel;
    QWidget* w = ControlWidget(panel, control);
    if (!w) return kErrControl;
    if (attribute == ATTR_DIMMED) {
        if (value) *value = FindControl(panel, control)->dimmed ? 1 : 0;
        return 0;
    }
    int v = 0;
    auto* cc = dynamic_cast<qs::CustomControl*>(w);
    int rc = cc && cc->intAttribute(attribute, &v) ? 0 : GetGeneric(w, attribute, &v);
    if (value) *value = v;
    return rc;
}

int GetCtrlAttribute(int panel, int control, int attribute, char* value, size_t size) {
    if (!FindPanel(panel)) return kErrPanel;
    QWidget* w = ControlWidget(panel, control);
    if (!w) return kErrControl;
    if (attribute != ATTR_LABEL_TEXT) return kErrAttribute;
    CopyCp1252(LabelText(w), value, size);
    return 0;
}

int SetPanelAttribute(int panel, int attribute, int value) {
    PanelRec* p = FindPanel(panel);
    return p ? SetPanelInt(p, attribute, value) : kErrPanel;
}

int SetPanelAttribute(int panel, int attribute, const char* value) {
    PanelRec* p = FindPanel(panel);
    if (!p) return kErrPanel;
    if (attribute != ATTR_TITLE) return kErrAttribute;
    p->root->setWindowTitle(FromCp1252(value));
    p->root->setAccessibleName(p->root->windowTitle());
    return 0;
}

int GetPanelAttribute(int panel, int attribute, int* value) {
    PanelRec* p = FindPanel(panel);
    if (!p) return kErrPanel;
    int v = 0;
    int rc = GetPanelInt(p, attribute, &v);
    if (value) *value = v;
    return rc;
}

int SetPanelPos(int panel, int top, int left) {
    PanelRec* p = FindPanel(panel);
    if (!p) return kErrPanel;
    QWidget* w = p->root;
    if (w->isWindow()) {
        w->move(left, top);
        NotePanelMoved(*p);
    } else {
        SetDesignRect(w, QRect(QPoint(left, top), DesignRect(w).size()));
    }
    return 0;
}

int SetPanelSize(int panel, int height, int width) {
    PanelRec* p = FindPanel(panel);
    if (!p) return kErrPanel;
    QWidget* w = p->root;
    if (w->isWindow())
        SetDesignSize(w, QSize(width, height));
    else
        SetDesignRect(w, QRect(DesignRect(w).topLeft(), QSize(width, height)));
    return 0;
}
