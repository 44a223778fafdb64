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

void SetLabelText(QWidget* w, const QString& text) {
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
    QString rules;
    for (const char* p : {"background-color", "color"}) {
        QVariant v = w->property(QByteArray("qsCss-") + p);
        if (v.isValid())
            rules += QString::fromLatin1(p) + QLatin1String(": ") + v.toString() + QLatin1String("; ");
    }
    QString base = w->property("qsBaseStyle").toString();
    QString name = w->objectName();
    if (base.isEmpty() && name.isEmpty()) return w->setStyleSheet(rules);
    w->setStyleSheet(base + QLatin1String("\nQWidget#") + name + QLatin1String(" { ") + rules +
                     QLatin1String("}"));
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

bool SetRange(QWidget* w, int attribute, int value) {
    bool min = attribute == ATTR_MIN_VALUE;
    SignalBlock block(w);
    if (auto* s = qobject_cast<QSpinBox*>(w))
        min ? s->setMinimum(value) : s->setMaximum(value);
    else if (auto* d = qobject_cast<QDoubleSpinBox*>(w))
        min ? d->setMinimum(value) : d->setMaximum(value);
    else if (auto* sl = qobject_cast<QAbstractSlider*>(w))
        min ? sl->setMinimum(value) : sl->setMaximum(value);
    else
        return false;
    return true;
}

bool Range(QWidget* w, int attribute, int* value) {
    bool min = attribute == ATTR_MIN_VALUE;
    if (auto* s = qobject_cast<QSpinBox*>(w))
        *value = min ? s->minimum() : s->maximum();
    else if (auto* d = qobject_cast<QDoubleSpinBox*>(w))
        *value = int(std::lround(min ? d->minimum() : d->maximum()));
    else if (auto* sl = qobject_cast<QAbstractSlider*>(w))
        *value = min ? sl->minimum() : sl->maximum();
    else
        return false;
    return true;
}

int TableVisibleRows(QTableView* t) {
    int h = t->viewport()->height(), rowH = t->verticalHeader()->defaultSectionSize();
    return rowH > 0 ? h / rowH : 0;
}

bool SetTableAttribute(QTableView* t, int attribute, int value) {
    switch (attribute) {
        case ATTR_FIRST_VISIBLE_ROW:
            if (value >= 1 && value <= TableRows(t)) ScrollTableTo(t, value - 1);
            return true;
        case ATTR_ROW_HEIGHT:
            t->verticalHeader()->setDefaultSectionSize(value);
            return true;
        default:
            return false;
    }
}

bool TableAttribute(QTableView* t, int attribute, int* value) {
    switch (attribute) {
        case ATTR_FIRST_VISIBLE_ROW:
            *value = FirstVisibleTableRow(t);
            return true;
        case ATTR_NUM_VISIBLE_ROWS:
            *value = TableVisibleRows(t);
            return true;
        case ATTR_ROW_HEIGHT:
            *value = t->verticalHeader()->defaultSectionSize();
            return true;
        default:
            return false;
    }
}

// Positions are the control's place in its panel, whatever container holds it.
QPoint PanelPos(QWidget* w) {
    QWidget* root = PanelWidget(PanelOfWidget(w));
    return root && w != root ? w->mapTo(root, QPoint(0, 0)) : w->pos();
}

void MoveInPanel(QWidget* w, QPoint panelPos) {
    QWidget* root = PanelWidget(PanelOfWidget(w));
    QWidget* parent = w->parentWidget();
    if (root && parent && parent != root) panelPos = parent->mapFrom(root, panelPos);
    w->move(panelPos);
}

int SetGeneric(QWidget* w, int attribute, int value) {
    switch (attribute) {
        case ATTR_DIMMED:
            w->setProperty(kDimmed, value != 0);
            ApplyEnabled(w);
            return 0;
        case ATTR_VISIBLE:
            w->setVisible(value != 0);
            return 0;
        case ATTR_TOP:
            MoveInPanel(w, QPoint(PanelPos(w).x(), value));
            return 0;
        case ATTR_LEFT:
            MoveInPanel(w, QPoint(value, PanelPos(w).y()));
            return 0;
        case ATTR_WIDTH:
            w->resize(value, w->height());
            return 0;
        case ATTR_HEIGHT:
            w->resize(w->width(), value);
            return 0;
        case ATTR_LABEL_VISIBLE:
            SetLabelVisible(w, value != 0);
            return 0;
        case ATTR_CTRL_MODE:
            SetIndicator(w, value == VAL_INDICATOR);
            return 0;
        case ATTR_CMD_BUTTON_COLOR:
            SetColor(w, QPalette::Button, value);
            SetStyleColor(w, "background-color", value);
            break;
        case ATTR_LABEL_COLOR:
            if (QLabel* l = CaptionWidget(w)) {
                SetColor(l, QPalette::WindowText, value);
                SetStyleColor(l, "color", value);
            } else {
                SetColor(w, qobject_cast<QAbstractButton*>(w) ? QPalette::ButtonText : QPalette::WindowText,
                         value);
                SetStyleColor(w, "color", value);
            }
            break;
        case ATTR_TEXT_COLOR:
            SetColor(w, QPalette::WindowText, value);
            SetColor(w, QPalette::Text, value);
            if (qobject_cast<QAbstractButton*>(w)) SetColor(w, QPalette::ButtonText, value);
            SetStyleColor(w, "color", value);
            break;
        case ATTR_TEXT_BGCOLOR:
        case ATTR_BACKCOLOR:
            if (IsEditor(w)) {
                SetColor(w, QPalette::Base, value);
            } else {
                SetColor(w, qobject_cast<QAbstractButton*>(w) ? QPalette::Button : QPalette::Window, value);
                w->setAutoFillBackground(true);
            }
            SetStyleColor(w, "background-color", value);
            break;
        case ATTR_MIN_VALUE:
        case ATTR_MAX_VALUE:
            if (SetRange(w, attribute, value)) return 0;
            break;
        case ATTR_TEXT_POINT_SIZE: {
            QFont font = w->font();
            font.setPointSize(value > 0 ? value : 1);
            w->setFont(font);
            return 0;
        }
        default:
            if (auto* t = qobject_cast<QTableView*>(w); t && SetTableAttribute(t, attribute, value)) return 0;
            if (SetPictureAttribute(w, attribute, value)) return 0;
            break;
    }
    // Remembered so that reading it back gives what was set (colours, styles, modes).
    w->setProperty(StoredName(attribute), value);
    return 0;
}

int GetGeneric(QWidget* w, int attribute, int* value) {
    switch (attribute) {
        case ATTR_DIMMED:
            *value = w->property(kDimmed).toBool() ? 1 : 0;
            return 0;
        case ATTR_VISIBLE:
            *value = w->isHidden() ? 0 : 1;
            return 0;
        case ATTR_TOP:
            *value = PanelPos(w).y();
            return 0;
        case ATTR_LEFT:
            *value = PanelPos(w).x();
            return 0;
        case ATTR_WIDTH:
            *value = w->width();
            return 0;
        case ATTR_HEIGHT:
            *value = w->height();
            return 0;
        case ATTR_LABEL_VISIBLE:
            *value = LabelVisible(w) ? 1 : 0;
            return 0;
        case ATTR_CTRL_MODE:
            *value = w->property("qsIndicator").toBool() ? VAL_INDICATOR : VAL_HOT;
            return 0;
        case ATTR_MIN_VALUE:
        case ATTR_MAX_VALUE:
            if (Range(w, attribute, value)) return 0;
            break;
        default:
            if (auto* t = qobject_cast<QTableView*>(w); t && TableAttribute(t, attribute, value)) return 0;
            if (PictureAttribute(w, attribute, value)) return 0;
            break;
    }
    QVariant stored = w->property(StoredName(attribute));
    if (stored.isValid()) {
        *value = stored.toInt();
        return 0;
    }
    switch (attribute) {
        case ATTR_CMD_BUTTON_COLOR:
            *value = Color(w, QPalette::Button);
            return 0;
        case ATTR_LABEL_COLOR:
            *value = Color(w, QPalette::WindowText);
            return 0;
        case ATTR_TEXT_COLOR:
            *value = Color(w, IsEditor(w) ? QPalette::Text : QPalette::WindowText);
            return 0;
        case ATTR_TEXT_POINT_SIZE:
            *value = w->font().pointSize();
            return 0;
        case ATTR_TEXT_BGCOLOR:
        case ATTR_BACKCOLOR:
            *value = Color(w, IsEditor(w) ? QPalette::Base : QPalette::Window);
            return 0;
        default:
            *value = 0;
            return kErrAttribute;
    }
}

// --- panels ------------------------------------------------------------------

// Dimming a panel greys its own controls but not its child panels: a dialog
// loaded as a child of a dimmed window stays usable.
void SetPanelDimmed(PanelRec* p, bool dimmed) {
    p->dimmed = dimmed;
    for (QObject* o : p->root->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (!w || w->isWindow() || PanelOfWidget(w) != p->handle) continue;
        w->setProperty(kPanelDim, dimmed);
        ApplyEnabled(w);
    }
}

void SetWindowFlag(QWidget* w, Qt::WindowType flag, bool on) {
    bool visible = w->isVisible();
    w->setWindowFlag(flag, on);  // re-creates a window: show it again if it was up
    if (visible && w->isWindow()) w->show();
}

int SetPanelInt(PanelRec* p, int attribute, int value) {
    QWidget* w = p->root;
    switch (attribute) {
        case ATTR_DIMMED:
            SetPanelDimmed(p, value != 0);
            return 0;
        case ATTR_VISIBLE:
            return value ? DisplayPanel(p->handle) : HidePanel(p->handle);
        case ATTR_TOP:
            w->move(w->x(), value);
            return 0;
        case ATTR_LEFT:
            w->move(value, w->y());
            return 0;
        case ATTR_WIDTH:
            w->resize(value, w->height());
            return 0;
        case ATTR_HEIGHT:
            w->resize(w->width(), value);
            return 0;
        case ATTR_BACKCOLOR:
            SetColor(w, QPalette::Window, value);
            w->setAutoFillBackground(true);
            SetStyleColor(w, "background-color", value);
            break;  // remembered: a style sheet does not show in the palette
        case ATTR_CAN_MAXIMIZE:
            SetWindowFlag(w, Qt::WindowMaximizeButtonHint, value != 0);
            break;
        case ATTR_CAN_MINIMIZE:
            SetWindowFlag(w, Qt::WindowMinimizeButtonHint, value != 0);
            break;
        case ATTR_TITLEBAR_VISIBLE:
            SetWindowFlag(w, Qt::FramelessWindowHint, value == 0);
            break;
        case ATTR_SIZABLE:
            if (value)
                w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX), w->setMinimumSize(0, 0);
            else
                w->setFixedSize(w->size());
            break;
        case ATTR_WINDOW_ZOOM:
            if (!w->isWindow()) break;
            if (value == VAL_FULLSCREEN)
                w->showFullScreen();
            else if (value == VAL_MAXIMIZE)
                w->showMaximized();
            else if (w->isVisible())
                w->showNormal();
            break;
        default:
            break;
    }
    w->setProperty(StoredName(attribute), value);
    return 0;
}

int GetPanelInt(PanelRec* p, int attribute, int* value) {
    QWidget* w = p->root;
    switch (attribute) {
        case ATTR_DIMMED:
            *value = p->dimmed ? 1 : 0;
            return 0;
        case ATTR_VISIBLE:
            *value = w->isHidden() ? 0 : 1;
            return 0;
        case ATTR_TOP:
            *value = w->y();
            return 0;
        case ATTR_LEFT:
            *value = w->x();
            return 0;
        case ATTR_WIDTH:
            *value = w->width();
            return 0;
        case ATTR_HEIGHT:
            *value = w->height();
            return 0;
        case ATTR_BACKCOLOR:
            *value = Color(w, QPalette::Window);
            return 0;
        case ATTR_ACTIVE:
            *value = ActivePanel() == p->handle ? 1 : 0;
            return 0;
        case ATTR_PANEL_PARENT:
            *value = p->parent;
            return 0;
        case ATTR_WINDOW_ZOOM:
            *value = w->isFullScreen() ? VAL_FULLSCREEN : w->isMaximized() ? VAL_MAXIMIZE : VAL_NO_ZOOM;
            return 0;
        default:
            break;
    }
    QVariant stored = w->property(StoredName(attribute));
    *value = stored.isValid() ? stored.toInt() : 0;
    return stored.isValid() ? 0 : kErrAttribute;
}

}  // namespace

int SetCtrlAttribute(int panel, int control, int attribute, int value) {
    if (!FindPanel(panel)) return kErrPanel;
    QWidget* w = ControlWidget(panel, control);
    if (!w) return kErrControl;
    if (attribute == ATTR_DIMMED) FindControl(panel, control)->dimmed = value != 0;
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
    QWidget* w = PanelWidget(panel);
    if (!w) return kErrPanel;
    w->move(left, top);
    return 0;
}

int SetPanelSize(int panel, int height, int width) {
    QWidget* w = PanelWidget(panel);
    if (!w) return kErrPanel;
    w->resize(width, height);
    return 0;
}
