// Clock face: bezel, face, tick marks, the ring of 60 second lights and the two hands.
#include "platform/controls/QsDial.h"

#include <QPaintEvent>
#include <QPainter>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>

#include "platform/controls/ControlColors.h"
#include "platform/cvi.h"

using qs::controls::FromRgb;
using qs::controls::kUnlitRgb;

namespace {

constexpr qreal kPi = 3.14159265358979323846;
constexpr qreal kLightRing = 0.86;  // radius of the light ring, as a share of the face radius
constexpr qreal kTickOuter = 0.76;
constexpr qreal kTickInner = 0.68;
constexpr qreal kGlow = 2.3;  // a lit light's glow, as a multiple of its radius

constexpr qreal kHandsReach = 0.7;  // the hands' tips and edges, as a share of the face radius

qreal Distance(const QRect& r, QPointF p) {
    const qreal dx = std::max({r.left() - p.x(), 0.0, p.x() - (r.right() + 1)});
    const qreal dy = std::max({r.top() - p.y(), 0.0, p.y() - (r.bottom() + 1)});
    return std::hypot(dx, dy);
}

int Position(int value) {
    return ((value % 60) + 60) % 60;
}

}  // namespace

QsDial::QsDial(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setMinimumSize(60, 60);
    lights_.fill(kUnlitRgb);
}

void QsDial::setIndexValue(int index, int value) {
    // A light position outside the ring changes nothing.
    if (index < 0 || index >= kLights) return;
    value &= 0xFFFFFF;
    if (lights_[index] != value) {
        lights_[index] = value;
        update(lightBounds(index));
    }
}

int QsDial::indexValue(int index) const {
    return index >= 0 && index < kLights ? lights_[index] : 0;
}

bool QsDial::setIntAttribute(int attribute, int value) {
    if (attribute == ATTR_HOUR_HAND) {
        hourHand_ = Position(value);
    } else if (attribute == ATTR_MINUTE_HAND) {
        minuteHand_ = Position(value);
    } else if (attribute == ATTR_ON_COLOR) {
        handRgb_ = value & 0xFFFFFF;
    } else {
        return false;
    }
    update();
    return true;
}

bool QsDial::intAttribute(int attribute, int* value) const {
    if (attribute == ATTR_HOUR_HAND) {
        *value = hourHand_;
    } else if (attribute == ATTR_MINUTE_HAND) {
        *value = minuteHand_;
    } else if (attribute == ATTR_ON_COLOR) {
        *value = handRgb_;
    } else {
        return false;
    }
    return true;
}

QPointF QsDial::centre() const {
    return QPointF(width() / 2.0, height() / 2.0);
}

// The bezel takes the outer 5 % of the widget's half size.
qreal QsDial::faceRadius() const {
    return (std::min(width(), height()) / 2.0 - 1.0) * 0.95;
}

QPointF QsDial::pointOnHand(int position, qreal fraction) const {
    const qreal angle = Position(position) * 2 * kPi / 60;
    const qreal r = faceRadius() * fraction;
    return centre() + QPointF(std::sin(angle) * r, -std::cos(angle) * r);
}

QPointF QsDial::lightCentre(int index) const {
    return pointOnHand(index, kLightRing);
}

qreal QsDial::lightRadius() const {
    return faceRadius() * 0.037;
}

QRect QsDial::lightBounds(int index) const {
    const qreal reach = lightRadius() * kGlow + 1.0;
    const QPointF c = lightCentre(index);
    return QRectF(c.x() - reach, c.y() - reach, 2 * reach, 2 * reach).toAlignedRect().adjusted(-1, -1, 1, 1);
}

void QsDial::paintEvent(QPaintEvent* event) {
    const QPixmap& face = face_.Get(size(), devicePixelRatioF(), {0, 0, 0, isEnabled()}, [this](QPainter& p) {
        p.setRenderHint(QPainter::Antialiasing);
        if (!isEnabled()) p.setOpacity(0.45);
        paintFace(p);
    });
    QPainter p(this);
    p.drawPixmap(0, 0, face);
    p.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) p.setOpacity(0.45);
    paintLights(p, event->rect());
    // A light's repaint lies beyond the hands' reach: they are left as drawn.
    if (Distance(event->rect(), centre()) <= faceRadius() * kHandsReach + 2) paintHands(p);
}

void QsDial::paintFace(QPainter& p) const {
    const QPointF c = centre();
    const qreal R = faceRadius();
    const qreal outer = std::min(width(), height()) / 2.0 - 1.0;

    QRadialGradient bezel(c - QPointF(outer * 0.3, outer * 0.3), outer * 1.6);
    bezel.setColorAt(0.0, QColor(0x8A, 0x7C, 0x7C));
    bezel.setColorAt(0.5, QColor(0x55, 0x46, 0x46));
    bezel.setColorAt(1.0, QColor(0x22, 0x1C, 0x1C));
    p.setPen(QPen(QColor(0, 0, 0, 200), 1.0));
    p.setBrush(bezel);
    p.drawEllipse(c, outer, outer);

    QRadialGradient face(c, R);
    face.setColorAt(0.0, QColor(0x2C, 0x2A, 0x2A));
    face.setColorAt(0.85, QColor(0x17, 0x16, 0x16));
    face.setColorAt(1.0, QColor(0x0C, 0x0B, 0x0B));
    p.setPen(QPen(QColor(0, 0, 0), std::max<qreal>(1.0, R * 0.01)));
    p.setBrush(face);
    p.drawEllipse(c, R, R);

    // Tick marks every five positions; the quarters are longer and brighter.
    for (int pos = 0; pos < 60; pos += 5) {
        const bool quarter = pos % 15 == 0;
        const qreal inner = quarter ? kTickInner - 0.05 : kTickInner;
        p.setPen(QPen(quarter ? QColor(0xE0, 0xE0, 0xE0) : QColor(0x9A, 0x9A, 0x9A),
                      std::max<qreal>(1.0, R * (quarter ? 0.022 : 0.014)), Qt::SolidLine, Qt::FlatCap));
        p.drawLine(pointOnHand(pos, inner), pointOnHand(pos, kTickOuter));
    }
}

void QsDial::paintLights(QPainter& p, const QRect& dirty) const {
    const qreal r = lightRadius();
    for (int i = 0; i < kLights; ++i) {
        if (!dirty.intersects(lightBounds(i))) continue;
        const QPointF lc = lightCentre(i);
        if (lights_[i] == kUnlitRgb) {
            p.setPen(QPen(QColor(0x48, 0x48, 0x48), std::max<qreal>(0.8, r * 0.18)));
            p.setBrush(QColor(0x26, 0x26, 0x26));
            p.drawEllipse(lc, r, r);
            continue;
        }
        const QColor colour = FromRgb(lights_[i]);
        QRadialGradient glow(lc, r * kGlow);
        QColor inner = colour, outer = colour;
        inner.setAlpha(130);
        outer.setAlpha(0);
        glow.setColorAt(0.0, inner);
        glow.setColorAt(0.45, inner);
        glow.setColorAt(1.0, outer);
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(lc, r * kGlow, r * kGlow);
        p.setBrush(colour);
        p.drawEllipse(lc, r, r);
    }
}

void QsDial::paintHands(QPainter& p) const {
    const QColor colour = FromRgb(handRgb_);
    const qreal R = faceRadius();
    auto hand = [&](int position, qreal length, qreal tail, qreal width) {
        // A tapered blade from a short tail behind the centre to the tip.
        const qreal angle = Position(position) * 2 * kPi / 60;
        const QPointF dir(std::sin(angle), -std::cos(angle));
        const QPointF side(-dir.y(), dir.x());
        const QPointF c = centre();
        QPolygonF blade;
        blade << c - dir * (R * tail) + side * (R * width * 0.6)
              << c + dir * (R * length) + side * (R * width * 0.25)
              << c + dir * (R * length) - side * (R * width * 0.25)
              << c - dir * (R * tail) - side * (R * width * 0.6);
        p.setPen(QPen(QColor(0, 0, 0, 160), std::max<qreal>(1.0, R * 0.006)));
        p.setBrush(colour);
        p.drawPolygon(blade);
    };
    hand(hourHand_, 0.46, 0.08, 0.055);
    hand(minuteHand_, 0.64, 0.10, 0.036);
    p.setBrush(QColor(0x55, 0x46, 0x46));
    p.setPen(QPen(colour, std::max<qreal>(1.0, R * 0.012)));
    p.drawEllipse(centre(), R * 0.045, R * 0.045);
}
