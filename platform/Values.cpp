// Control values: numbers, switches, rings, texts and text boxes, by panel handle and control number.
#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLCDNumber>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSpinBox>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <cmath>

#include "platform/CustomControl.h"
#include "platform/Encoding.h"
#include "platform/Runtime.h"

using namespace qs::rt;

namespace {

struct Target {
    QWidget* w = nullptr;
    int error = 0;
};

Target Lookup(int panel, int control) {
    if (!FindPanel(panel)) return {nullptr, kErrPanel};
    QWidget* w = ControlWidget(panel, control);
    return {w, w ? 0 : kErrControl};
}

qs::CustomControl* Custom(QWidget* w) {
    return dynamic_cast<qs::CustomControl*>(w);
}

// Marks the item a ring shows for a value none of its own items carries.
constexpr int kUnlistedRole = Qt::UserRole + 1;

// A panel whose root carries "keepsUnlistedValues" keeps every value its rings are set
// to: a device value the list cannot show stays what it is until the operator picks another.
bool KeepsUnlisted(const QWidget* w) {
    for (; w; w = w->parentWidget())
        if (w->property("keepsUnlistedValues").toBool()) return true;
    return false;
}

void RemoveUnlisted(QComboBox* c) {
    for (int i = c->count() - 1; i >= 0; --i)
        if (c->itemData(i, kUnlistedRole).toBool()) c->removeItem(i);
}

// Selects the ring item carrying value (item data; the index when items have none).
bool SelectByValue(QComboBox* c, int value) {
    RemoveUnlisted(c);
    for (int i = 0; i < c->count(); ++i) {
        QVariant d = c->itemData(i);
        if ((d.isValid() ? d.toInt() : i) == value) {
            c->setCurrentIndex(i);
            return true;
        }
    }
    if (!KeepsUnlisted(c)) return false;
    c->addItem(QString::number(value), value);
    c->setItemData(c->count() - 1, true, kUnlistedRole);
    c->setCurrentIndex(c->count() - 1);
    return true;
}

int ComboValue(const QComboBox* c) {
    int i = c->currentIndex();
    if (i < 0) return 0;
    QVariant d = c->itemData(i);
    return d.isValid() ? d.toInt() : i;
}

bool SetText(QWidget* w, const QString& text) {
    if (auto* e = qobject_cast<QLineEdit*>(w))
        e->setText(text);
    else if (auto* l = qobject_cast<QLabel*>(w))
        l->setText(text);
    else if (auto* p = qobject_cast<QPlainTextEdit*>(w))
        p->setPlainText(text);
    else if (auto* t = qobject_cast<QTextEdit*>(w))
        t->setPlainText(text);
    else if (auto* g = qobject_cast<QGroupBox*>(w))
        g->setTitle(text);
    else
        return false;
    return true;
}

bool GetText(QWidget* w, QString* text) {
    if (auto* e = qobject_cast<QLineEdit*>(w))
        *text = e->text();
    else if (auto* l = qobject_cast<QLabel*>(w))
        *text = l->text();
    else if (auto* p = qobject_cast<QPlainTextEdit*>(w))
        *text = p->toPlainText();
    else if (auto* t = qobject_cast<QTextEdit*>(w))
        *text = t->toPlainText();
    else if (auto* g = qobject_cast<QGroupBox*>(w))
        *text = g->title();
    else if (auto* c = qobject_cast<QComboBox*>(w))
        *text = c->currentText();
    else if (auto* s = qobject_cast<QAbstractSpinBox*>(w))
        *text = s->text();
    else if (auto* b = qobject_cast<QAbstractButton*>(w))
        *text = b->text();
    else
        return false;
    return true;
}

bool SetNumber(QWidget* w, double value) {
    SignalBlock block(w);
    if (auto* cc = Custom(w))
        cc->setIntValue(int(std::lround(value)));
    else if (auto* b = qobject_cast<QAbstractButton*>(w); b && b->isCheckable())
        b->setChecked(value != 0);
    else if (auto* c = qobject_cast<QComboBox*>(w))
        return SelectByValue(c, int(std::lround(value)));
    else if (auto* s = qobject_cast<QSpinBox*>(w))
        s->setValue(int(std::lround(value)));
    else if (auto* d = qobject_cast<QDoubleSpinBox*>(w))
        d->setValue(value);
    else if (auto* sl = qobject_cast<QAbstractSlider*>(w))
        sl->setValue(int(std::lround(value)));
    else if (auto* pb = qobject_cast<QProgressBar*>(w))
        pb->setValue(int(std::lround(value)));
    else if (auto* lcd = qobject_cast<QLCDNumber*>(w))
        lcd->display(value);
    else if (auto* l = qobject_cast<QListWidget*>(w))
        l->setCurrentRow(int(value));
    else
        return SetText(w,
                       value == std::floor(value) ? QString::number(qint64(value)) : QString::number(value));
    return true;
}

bool GetNumber(QWidget* w, double* value) {
    if (auto* cc = Custom(w))
        *value = cc->intValue();
    else if (auto* b = qobject_cast<QAbstractButton*>(w); b && b->isCheckable())
        *value = b->isChecked() ? 1 : 0;
    else if (auto* c = qobject_cast<QComboBox*>(w))
        *value = ComboValue(c);
    else if (auto* s = qobject_cast<QSpinBox*>(w))
        *value = s->value();
    else if (auto* d = qobject_cast<QDoubleSpinBox*>(w))
        *value = d->value();
    else if (auto* sl = qobject_cast<QAbstractSlider*>(w))
        *value = sl->value();
    else if (auto* pb = qobject_cast<QProgressBar*>(w))
        *value = pb->value();
    else if (auto* lcd = qobject_cast<QLCDNumber*>(w))
        *value = lcd->value();
    else if (auto* l = qobject_cast<QListWidget*>(w))
        *value = l->currentRow();
    else {
        QString text;
        if (!GetText(w, &text)) return false;
        *value = text.trimmed().toDouble();
    }
    return true;
}

}  // namespace

int SetCtrlVal(int panel, int control, int value) {
    return SetCtrlVal(panel, control, double(value));
}

int SetCtrlVal(int panel, int control, double value) {
    Target t = Lookup(panel, control);
    if (!t.w) return t.error;
    return SetNumber(t.w, value) ? 0 : kErrType;
}

int SetCtrlVal(int panel, int control, const char* value) {
    Target t = Lookup(panel, control);
    if (!t.w) return t.error;
    SignalBlock block(t.w);
    QString text = FromCp1252(value);
    if (SetText(t.w, text)) return 0;
    if (auto* c = qobject_cast<QComboBox*>(t.w)) {
        int i = c->findText(text);
        if (i < 0) return kErrValue;
        c->setCurrentIndex(i);
        return 0;
    }
    bool ok = false;
    double number = text.trimmed().toDouble(&ok);
    return ok && SetNumber(t.w, number) ? 0 : kErrType;
}

int GetCtrlVal(int panel, int control, int* value) {
    double d = 0;
    int rc = GetCtrlVal(panel, control, &d);
    if (rc == 0 && value) *value = int(std::lround(d));
    return rc;
}

int GetCtrlVal(int panel, int control, double* value) {
    Target t = Lookup(panel, control);
    if (!t.w) return t.error;
    double d = 0;
    if (!GetNumber(t.w, &d)) return kErrType;
    if (value) *value = d;
    return 0;
}

int GetCtrlVal(int panel, int control, char* value, size_t size) {
    Target t = Lookup(panel, control);
    if (!t.w) return t.error;
    QString text;
    if (!GetText(t.w, &text)) {
        double d = 0;
        if (!GetNumber(t.w, &d)) return kErrType;
        text = QString::number(d);
    }
    CopyCp1252(text, value, size);
    return 0;
}

int SetCtrlIndexVal(int panel, int control, int index, int value) {
    Target t = Lookup(panel, control);
    if (!t.w) return t.error;
    auto* cc = Custom(t.w);
    if (!cc) return kErrType;
    cc->setIndexValue(index, value);
    return 0;
}

int GetCtrlIndexVal(int panel, int control, int index, int* value) {
    Target t = Lookup(panel, control);
    if (!t.w) return t.error;
    auto* cc = Custom(t.w);
    if (!cc) return kErrType;
    if (value) *value = cc->indexValue(index);
    return 0;
}

// --- rings and lists ---------------------------------------------------------

int InsertListItem(int panel, int control, int index, const char* label, int value) {
    Target t = Lookup(panel, control);
    if (!t.w) return t.error;
    SignalBlock block(t.w);
    QString text = FromCp1252(label);
    if (auto* c = qobject_cast<QComboBox*>(t.w)) {
        int own = c->count();  // an unlisted value's item stays after the ring's own items
        while (own > 0 && c->itemData(own - 1, kUnlistedRole).toBool()) --own;
        int at = index < 0 || index > own ? own : index;
        c->insertItem(at, text, value);
        return 0;
    }
    if (auto* l = qobject_cast<QListWidget*>(t.w)) {
        int at = index < 0 || index > l->count() ? l->count() : index;
        auto item = std::make_unique<QListWidgetItem>(text);
        item->setData(Qt::UserRole, value);
        l->insertItem(at, item.release());  // the list owns its items
        return 0;
    }
    return kErrType;
}

int ClearListCtrl(int panel, int control) {
    Target t = Lookup(panel, control);
    if (!t.w) return t.error;
    SignalBlock block(t.w);
    if (auto* c = qobject_cast<QComboBox*>(t.w))
        c->clear();
    else if (auto* l = qobject_cast<QListWidget*>(t.w))
        l->clear();
    else
        return kErrType;
    return 0;
}

int GetNumListItems(int panel, int control, int* count) {
    Target t = Lookup(panel, control);
    if (!t.w) return t.error;
    int n = 0;
    if (auto* c = qobject_cast<QComboBox*>(t.w))
        n = c->count();
    else if (auto* l = qobject_cast<QListWidget*>(t.w))
        n = l->count();
    else
        return kErrType;
    if (count) *count = n;
    return 0;
}

int GetCtrlIndex(int panel, int control, int* index) {
    Target t = Lookup(panel, control);
    if (!t.w) return t.error;
    int i = -1;
    if (auto* c = qobject_cast<QComboBox*>(t.w))
        i = c->currentIndex();
    else if (auto* l = qobject_cast<QListWidget*>(t.w))
        i = l->currentRow();
    else
        return kErrType;
    if (index) *index = i;
    return 0;
}

int SetCtrlIndex(int panel, int control, int index) {
    Target t = Lookup(panel, control);
    if (!t.w) return t.error;
    SignalBlock block(t.w);
    if (auto* c = qobject_cast<QComboBox*>(t.w)) {
        if (index < 0 || index >= c->count()) return kErrValue;
        c->setCurrentIndex(index);
    } else if (auto* l = qobject_cast<QListWidget*>(t.w)) {
        if (index < 0 || index >= l->count()) return kErrValue;
        l->setCurrentRow(index);
    } else {
        return kErrType;
    }
    return 0;
}

// --- text boxes --------------------------------------------------------------

int ResetTextBox(int panel, int control, const char* text) {
    Target t = Lookup(panel, control);
    if (!t.w) return t.error;
    SignalBlock block(t.w);
    return SetText(t.w, FromCp1252(text)) ? 0 : kErrType;
}

int InsertTextBoxLine(int panel, int control, int index, const char* text) {
    Target t = Lookup(panel, control);
    if (!t.w) return t.error;
    QString line = FromCp1252(text);
    QTextDocument* doc = nullptr;
    if (auto* p = qobject_cast<QPlainTextEdit*>(t.w))
        doc = p->document();
    else if (auto* e = qobject_cast<QTextEdit*>(t.w))
        doc = e->document();
    if (!doc) return kErrType;
    bool empty = doc->isEmpty();
    QTextCursor cursor(doc);
    if (index < 0 || index >= doc->blockCount()) {
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(empty ? line : QLatin1Char('\n') + line);
    } else {
        cursor.setPosition(doc->findBlockByNumber(index).position());
        cursor.insertText(empty ? line : line + QLatin1Char('\n'));
    }
    return 0;
}

int SetActiveCtrl(int panel, int control) {
    Target t = Lookup(panel, control);
    if (!t.w) return t.error;
    t.w->setFocus(Qt::OtherFocusReason);
    return 0;
}
