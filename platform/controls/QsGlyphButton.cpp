// Glyph button: face, glyph and caption drawn by hand so the look does not depend on the style.
#include "platform/controls/QsGlyphButton.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>

#include "platform/controls/ControlColors.h"
#include "platform/controls/Glyphs.h"
#include "platform/cvi.h"

using qs::controls::FromRgb;

QsGlyphButton::QsGlyphButton(QWidget* parent)
    : QPushButton(parent), CustomControl(qs::controls::kCaptionRgb), faceRgb_(qs::controls::kButtonRgb) {
    setAttribute(Qt::WA_Hover);
}

bool QsGlyphButton::setIntAttribute(int attribute, int value) {
    if (attribute == ATTR_CMD_BUTTON_COLOR)
        faceRgb_ = value & 0xFFFFFF;
    else if (!setCaptionAttribute(attribute, value))
        return false;
    update();
    return true;
}

bool QsGlyphButton::intAttribute(int attribute, int* value) const {
    if (attribute != ATTR_CMD_BUTTON_COLOR) return captionAttribute(attribute, value);
    *value = faceRgb_;
    return true;
}

bool QsGlyphButton::event(QEvent* e) {
    if (e->type() == QEvent::DynamicPropertyChange &&
        static_cast<QDynamicPropertyChangeEvent*>(e)->propertyName() == "faceColor") {
        bool ok = false;
        const int rgb = property("faceColor").toInt(&ok);
        if (ok) setIntAttribute(ATTR_CMD_BUTTON_COLOR, rgb);
    }
    return QPushButton::event(e);
}

// With a caption the glyph sits at the left (or on top of a tall button); without one it is centred.
QRectF QsGlyphButton::glyphRect() const {
    return glyphRectFor(captionShown(text()));
}

bool QsGlyphButton::captionFits(qreal fontFraction) const {
    if (text().isEmpty()) return true;
    const CaptionFit fit = fitCaption(glyphRectFor(true));
    return fit.withGlyph || fit.font.pointSizeF() >= font().pointSizeF() * fontFraction - 0.01;
}

QRectF QsGlyphButton::glyphRectFor(bool withCaption) const {
    const qreal k = qs::ControlScale(this);
    const QRectF r = QRectF(rect()).adjusted(3 * k, 3 * k, -3 * k, -3 * k);
    if (!withCaption) {
        const qreal side = std::min(r.width(), r.height()) * 0.7;
        return QRectF(r.center().x() - side / 2, r.center().y() - side / 2, side, side);
    }
    if (r.height() > r.width() * 0.8) {
        const qreal side = std::min(r.width(), r.height()) * 0.45;
        return QRectF(r.center().x() - side / 2, r.top() + r.height() * 0.1, side, side);
    }
    const qreal side = std::min(r.height() * 0.7, 22.0 * k);
    return QRectF(r.left() + 6 * k, r.center().y() - side / 2, side, side);
}

void QsGlyphButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QString glyph = property("glyph").toString();
    QColor face = FromRgb(faceRgb_);
    QColor caption = captionColour();
    if (!isEnabled()) {
        face = face.darker(150);
        caption.setAlpha(90);
    } else if (isDown() || isChecked()) {
        face = face.darker(140);
    } else if (underMouse()) {
        face = face.lighter(130);
    }

    const qreal k = qs::ControlScale(this);
    const QRectF body = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(QPen(face.darker(160), 1.0));
    p.setBrush(face);
    p.drawRoundedRect(body, 4 * k, 4 * k);
    // The focus ring only shows once the keyboard has moved the focus, not after a click.
    if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
        p.setPen(QPen(FromRgb(qs::controls::kFocusRgb), 2.0 * k));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(body.adjusted(k, k, -k, -k), 4 * k, 4 * k);
    }

    const QRectF g = glyphRect();
    const bool withCaption = captionShown(text());
    const CaptionFit fit = withCaption ? fitCaption(g) : CaptionFit{};
    if (!withCaption || fit.withGlyph) qs::controls::PaintGlyph(p, glyph, g, caption);
    if (!withCaption) return;
    p.setFont(fit.font);
    paintCaption(p, fit.box, Qt::AlignCenter | Qt::TextWordWrap, text(), caption);
}

// Where the caption goes: beside (or under) the glyph when both fit, else alone in the
// whole face, in a smaller font if need be, so a hovered caption is always readable.
QsGlyphButton::CaptionFit QsGlyphButton::fitCaption(const QRectF& g) const {
    const qreal k = qs::ControlScale(this);
    const QRectF face = QRectF(rect()).adjusted(4 * k, 2 * k, -4 * k, -2 * k);
    QString plain = text();
    plain.remove(QLatin1Char('&'));
    CaptionFit fit{font(), face, false};
    const QString glyph = property("glyph").toString();
    if (!glyph.isEmpty()) {
        QRectF beside = face;
        if (g.left() > face.left() + 8 * k)
            beside.setTop(g.bottom());  // tall button: caption under the glyph
        else
            beside.setLeft(g.right() + 4 * k);
        const QRectF need =
            QFontMetricsF(fit.font).boundingRect(beside, Qt::AlignCenter | Qt::TextWordWrap, plain);
        if (need.width() <= beside.width() + 0.5 && need.height() <= beside.height() + 0.5) {
            fit.box = beside;
            fit.withGlyph = true;
            return fit;
        }
    }
    for (qreal size = fit.font.pointSizeF(); size >= 5.5; size -= 0.5) {
        fit.font.setPointSizeF(size);
        const QRectF need =
            QFontMetricsF(fit.font).boundingRect(face, Qt::AlignCenter | Qt::TextWordWrap, plain);
        if (need.width() <= face.width() + 0.5 && need.height() <= face.height() + 0.5) break;
    }
    return fit;
}
