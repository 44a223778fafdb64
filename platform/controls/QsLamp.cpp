// Round lamp: a shaded body, dark when off, bright with a soft halo when on.
#include "platform/controls/QsLamp.h"

#include <QMouseEvent>
#include <QPainter>
#include <QRadialGradient>
#include <algorithm>

#include "platform/Runtime.h"
#include "platform/controls/ControlColors.h"
#include "platform/cvi.h"

using qs::controls::FromRgb;

namespace {
constexpr int kGrip = 10;  // the resize corner, in pixels
constexpr int kMinSide = 8;
}  // namespace

QsLamp::QsLamp(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setMinimumSize(8, 8);
}

void QsLamp::setIntValue(int value) {
    const bool on = value != 0;
    if (on != on_) {
        on_ = on;
        update();
    }
}

bool QsLamp::setIntAttribute(int attribute, int value) {
    if (attribute == ATTR_ON_COLOR) {
        onRgb_ = value & 0xFFFFFF;
    } else if (attribute == ATTR_OFF_COLOR) {
        offRgb_ = value & 0xFFFFFF;
    } else if (attribute == ATTR_MOUSE_EDIT) {
        editable_ = value != 0;
        setMouseTracking(editable_);
        if (!editable_) unsetCursor();
        drag_ = Drag::None;
    } else {
        return false;
    }
    update();
    return true;
}

bool QsLamp::intAttribute(int attribute, int* value) const {
    if (attribute == ATTR_ON_COLOR) {
        *value = onRgb_;
    } else if (attribute == ATTR_OFF_COLOR) {
        *value = offRgb_;
    } else if (attribute == ATTR_MOUSE_EDIT) {
        *value = editable_ ? 1 : 0;
    } else {
        return false;
    }
    return true;
}

QPointF QsLamp::bodyCentre() const {
    return QPointF(width() / 2.0, height() / 2.0);
}

// The body leaves a margin of a sixth of the size on each side for the halo.
qreal QsLamp::bodyRadius() const {
    return std::min(width(), height()) / 2.0 * 0.75;
}

void QsLamp::paintEvent(QPaintEvent*) {
    const qs::controls::Look look{on_ ? onRgb_ : offRgb_, 0, on_, isEnabled()};
    const QPixmap& lamp =
        drawn_.Get(size(), devicePixelRatioF(), look, [this](QPainter& p) { paintLamp(p); });
    QPainter(this).drawPixmap(0, 0, lamp);
}

void QsLamp::paintLamp(QPainter& p) const {
    p.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) p.setOpacity(0.45);
    const QPointF c = bodyCentre();
    const qreal r = bodyRadius();
    const QColor colour = FromRgb(on_ ? onRgb_ : offRgb_);

    if (on_) {
        // Halo: the lamp's colour fading out beyond the body.
        const qreal halo = r / 0.75;
        QRadialGradient glow(c, halo);
        QColor inner = colour;
        inner.setAlpha(150);
        QColor outer = colour;
        outer.setAlpha(0);
        glow.setColorAt(0.0, inner);
        glow.setColorAt(0.7, inner);
        glow.setColorAt(1.0, outer);
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(c, halo, halo);
    }

    // Body: flat colour over most of the face, a darker edge for depth.
    QRadialGradient body(c, r);
    body.setColorAt(0.0, colour);
    body.setColorAt(0.7, colour);
    body.setColorAt(1.0, on_ ? colour.darker(125) : colour.darker(160));
    p.setPen(QPen(QColor(0, 0, 0, 140), std::max<qreal>(1.0, r * 0.06)));
    p.setBrush(body);
    p.drawEllipse(c, r, r);

    // Specular highlight, small and high on the face so the centre keeps its true colour.
    const QPointF hc(c.x() - r * 0.32, c.y() - r * 0.38);
    QRadialGradient shine(hc, r * 0.35);
    shine.setColorAt(0.0, QColor(255, 255, 255, on_ ? 150 : 60));
    shine.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shine);
    p.drawEllipse(hc, r * 0.35, r * 0.35);
}

bool QsLamp::inGrip(QPoint p) const {
    return p.x() >= width() - kGrip && p.y() >= height() - kGrip;
}

void QsLamp::mousePressEvent(QMouseEvent* event) {
    if (!editable_ || event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    drag_ = inGrip(event->position().toPoint()) ? Drag::Resize : Drag::Move;
    grabGlobal_ = event->globalPosition().toPoint();
    grabGeometry_ = geometry();
    raise();
    event->accept();
}

void QsLamp::mouseMoveEvent(QMouseEvent* event) {
    if (!editable_) return QWidget::mouseMoveEvent(event);
    const QPoint delta = event->globalPosition().toPoint() - grabGlobal_;
    switch (drag_) {
        case Drag::Move:
            move(grabGeometry_.topLeft() + delta);
            break;
        case Drag::Resize: {
            // A light is square: the larger of the two drags sets the side.
            const int side = std::max(
                kMinSide, std::max(grabGeometry_.width() + delta.x(), grabGeometry_.height() + delta.y()));
            resize(side, side);
            break;
        }
        case Drag::None:
            setCursor(inGrip(event->position().toPoint()) ? Qt::SizeFDiagCursor : Qt::SizeAllCursor);
            break;
    }
    event->accept();
}

void QsLamp::mouseReleaseEvent(QMouseEvent* event) {
    if (!editable_ || drag_ == Drag::None) return QWidget::mouseReleaseEvent(event);
    const bool changed = geometry() != grabGeometry_;
    drag_ = Drag::None;
    event->accept();
    if (changed) qs::rt::CommitFromWidget(this);  // the program reads the new place and size
}
