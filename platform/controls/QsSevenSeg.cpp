// Seven-segment digit: slanted hexagonal segments, lit ones bright with a glow, unlit ones faint.
#include "platform/controls/QsSevenSeg.h"

#include <QPainter>
#include <algorithm>
#include <array>

#include "platform/controls/ControlColors.h"
#include "platform/cvi.h"

using qs::controls::FromRgb;

namespace {

// Digit geometry in design units: a 10 x 18 box, bars 2 thick, slanted by 0.14 per unit of height.
constexpr qreal kBoxW = 10, kBoxH = 18, kBar = 2, kGap = 0.35, kSlant = 0.14;
// Above this many pixels a digit is drawn at each repaint instead of kept (0.4 MB a pattern).
constexpr qreal kMostPixelsKept = 100'000;
constexpr qreal kLeft = kBar / 2, kRight = kBoxW - kBar / 2, kTop = kBar / 2, kMid = kBoxH / 2,
                kBottom = kBoxH - kBar / 2;

struct Bar {
    bool horizontal;
    qreal fixed;  // y of a horizontal bar, x of a vertical one
    qreal from, to;
};

constexpr std::array<Bar, 7> kBars{{
    {true, kTop, kLeft, kRight},     // a
    {false, kRight, kTop, kMid},     // b
    {false, kRight, kMid, kBottom},  // c
    {true, kBottom, kLeft, kRight},  // d
    {false, kLeft, kMid, kBottom},   // e
    {false, kLeft, kTop, kMid},      // f
    {true, kMid, kLeft, kRight},     // g
}};

QPolygonF BarOutline(const Bar& b) {
    const qreal h = kBar / 2, a = b.from + kGap, z = b.to - kGap;
    QPolygonF poly;
    if (b.horizontal) {
        poly << QPointF(a, b.fixed) << QPointF(a + h, b.fixed - h) << QPointF(z - h, b.fixed - h)
             << QPointF(z, b.fixed) << QPointF(z - h, b.fixed + h) << QPointF(a + h, b.fixed + h);
    } else {
        poly << QPointF(b.fixed, a) << QPointF(b.fixed + h, a + h) << QPointF(b.fixed + h, z - h)
             << QPointF(b.fixed, z) << QPointF(b.fixed - h, z - h) << QPointF(b.fixed - h, a + h);
    }
    for (QPointF& pt : poly) pt.rx() += (kBoxH - pt.y()) * kSlant;
    return poly;
}

}  // namespace

QsSevenSeg::QsSevenSeg(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setMinimumSize(8, 12);
}

void QsSevenSeg::setPattern(int pattern) {
    pattern &= 0x7F;
    if (pattern != pattern_) {
        pattern_ = pattern;
        update();
    }
}

void QsSevenSeg::setIntValue(int value) {
    setPattern(value);
}

bool QsSevenSeg::setIntAttribute(int attribute, int value) {
    if (attribute == ATTR_ON_COLOR) {
        onRgb_ = value & 0xFFFFFF;
    } else if (attribute == ATTR_OFF_COLOR) {
        offRgb_ = value & 0xFFFFFF;
    } else {
        return false;
    }
    update();
    return true;
}

bool QsSevenSeg::intAttribute(int attribute, int* value) const {
    if (attribute == ATTR_ON_COLOR) {
        *value = onRgb_;
    } else if (attribute == ATTR_OFF_COLOR) {
        *value = offRgb_ < 0 ? qs::controls::ToRgb(FromRgb(onRgb_).darker(700)) : offRgb_;
    } else {
        return false;
    }
    return true;
}

QPolygonF QsSevenSeg::segmentPolygon(int k) const {
    if (k < 0 || k > 6) return {};
    // Fit the slanted box into the widget with a small margin, centred. The minus sign is
    // scaled by height like a digit so that it matches digits of the same height.
    const qreal fullW = kBoxW + kBoxH * kSlant;
    const qreal scale = barOnly_ ? std::min(height() * 0.9 / kBoxH, width() * 0.95 / kBoxW)
                                 : std::min(height() * 0.9 / kBoxH, width() * 0.9 / fullW);
    QPolygonF poly = BarOutline(kBars[k]);
    const QPointF centre =
        barOnly_ ? QPointF(kBoxW / 2 + kMid * kSlant, kMid) : QPointF(fullW / 2, kBoxH / 2);
    for (QPointF& pt : poly) pt = (pt - centre) * scale + QPointF(width() / 2.0, height() / 2.0);
    return poly;
}

void QsSevenSeg::paintEvent(QPaintEvent*) {
    // The digits of the program's windows are kept as pixels, one drawing a pattern shown; the
    // second display's, as large as its screen allows, are drawn anew rather than held so.
    const qreal ratio = devicePixelRatioF();
    if (width() * height() * ratio * ratio > kMostPixelsKept) {
        QPainter p(this);
        paintDigit(p);
        return;
    }
    const qs::controls::Look look{onRgb_, offRgb_, pattern_ | (barOnly_ ? 0x80 : 0), isEnabled()};
    const QPixmap& digit = drawn_.Get(size(), ratio, look, [this](QPainter& p) { paintDigit(p); });
    QPainter(this).drawPixmap(0, 0, digit);
}

void QsSevenSeg::paintDigit(QPainter& p) const {
    p.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) p.setOpacity(0.45);
    const QColor lit = FromRgb(onRgb_);
    const QColor unlit = offRgb_ < 0 ? lit.darker(700) : FromRgb(offRgb_);
    const qreal glowWidth = std::max<qreal>(2.0, segmentPolygon(6).boundingRect().height() * 0.6);

    for (int k = 0; k < 7; ++k) {
        if (barOnly_ && k != 6) continue;
        const QPolygonF poly = segmentPolygon(k);
        const bool on = (pattern_ >> k) & 1;
        if (on) {
            QColor halo = lit;
            halo.setAlpha(70);
            p.setPen(QPen(halo, glowWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(halo);
            p.drawPolygon(poly);
        }
        p.setPen(Qt::NoPen);
        p.setBrush(on ? lit : unlit);
        p.drawPolygon(poly);
    }
}
