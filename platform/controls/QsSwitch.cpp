// Sliding switch: rounded track, round knob at the left (off) or right (on), glyph and caption beside.
#include "platform/controls/QsSwitch.h"

#include <QPainter>
#include <QSignalBlocker>
#include <algorithm>

#include "platform/controls/ControlColors.h"
#include "platform/controls/Glyphs.h"
#include "platform/cvi.h"

using qs::controls::FromRgb;

QsSwitch::QsSwitch(QWidget* parent) : QCheckBox(parent), CustomControl(qs::controls::kCaptionRgb) {
    setAttribute(Qt::WA_Hover);
}

// Setting the value from code is not an operator's action: no toggled/clicked signal goes out.
void QsSwitch::setIntValue(int value) {
    const QSignalBlocker blocker(this);
    setChecked(value != 0);
    update();
}

bool QsSwitch::setIntAttribute(int attribute, int value) {
    if (attribute == ATTR_ON_COLOR)
        onRgb_ = value & 0xFFFFFF;
    else if (!setCaptionAttribute(attribute, value))
        return false;
    update();
    return true;
}

bool QsSwitch::intAttribute(int attribute, int* value) const {
    if (attribute != ATTR_ON_COLOR) return captionAttribute(attribute, value);
    *value = onRgb_;
    return true;
}

QRectF QsSwitch::trackRect() const {
    const qreal h = std::min<qreal>(height() - 4, 24 * qs::ControlScale(this));
    return QRectF(2, (height() - h) / 2.0, h * 1.9, h);
}

QRectF QsSwitch::knobRect() const {
    const QRectF t = trackRect();
    const qreal d = t.height() - 4;
    const qreal x = isChecked() ? t.right() - 2 - d : t.left() + 2;
    return QRectF(x, t.top() + 2, d, d);
}

QSize QsSwitch::sizeHint() const {
    return QSize(150, 28);
}

bool QsSwitch::hitButton(const QPoint& pos) const {
    return rect().contains(pos);
}

void QsSwitch::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) p.setOpacity(0.4);
    const QRectF t = trackRect();
    const QColor track = isChecked() ? FromRgb(onRgb_) : QColor(0x3A, 0x30, 0x30);
    p.setPen(QPen(isChecked() ? track.darker(130) : QColor(0x8A, 0x7A, 0x7A), 1.2));
    p.setBrush(underMouse() ? track.lighter(115) : track);
    p.drawRoundedRect(t, t.height() / 2, t.height() / 2);
    p.setPen(QPen(QColor(0, 0, 0, 90), 1.0));
    p.setBrush(QColor(0xF4, 0xF4, 0xF4));
    p.drawEllipse(knobRect());

    const QColor caption = captionColour();
    const qreal k = qs::ControlScale(this);
    if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
        // The keyboard focus: a ring around the track, plain on the dark panels.
        p.setPen(QPen(qs::controls::FromRgb(qs::controls::kFocusRgb), 2.0 * k));
        p.setBrush(Qt::NoBrush);
        const QRectF ring = t.adjusted(-1.5 * k, -1.5 * k, 1.5 * k, 1.5 * k);
        p.drawRoundedRect(ring, ring.height() / 2, ring.height() / 2);
    }
    const qreal side = std::min<qreal>(height() * 0.8, 22 * k);
    qs::controls::PaintGlyph(p, property("glyph").toString(),
                             QRectF(t.right() + 8 * k, (height() - side) / 2, side, side), caption);
    if (captionShown(text()))
        paintCaption(p, captionRect(), Qt::AlignVCenter | Qt::AlignLeft, text(), caption);
}

QRectF QsSwitch::captionRect() const {
    const qreal k = qs::ControlScale(this);
    qreal x = trackRect().right() + 8 * k;
    if (!property("glyph").toString().isEmpty()) x += std::min<qreal>(height() * 0.8, 22 * k) + 6 * k;
    return QRectF(x, 0, std::max<qreal>(0, width() - x), height());
}
