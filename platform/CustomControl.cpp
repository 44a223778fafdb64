// The caption that the clock's own buttons and switches draw themselves.
#include "platform/CustomControl.h"

#include <QPainter>

#include "platform/Runtime.h"
#include "platform/cvi.h"

namespace qs {

bool CustomControl::setCaptionAttribute(int attribute, int value) {
    if (!hasCaption_) return false;
    if (attribute == ATTR_LABEL_COLOR)
        captionRgb_ = value & 0xFFFFFF;
    else if (attribute == ATTR_LABEL_VISIBLE)
        captionVisible_ = value != 0;
    else
        return false;
    return true;
}

bool CustomControl::captionAttribute(int attribute, int* value) const {
    if (!hasCaption_) return false;
    if (attribute == ATTR_LABEL_COLOR)
        *value = captionRgb_;
    else if (attribute == ATTR_LABEL_VISIBLE)
        *value = captionVisible_ ? 1 : 0;
    else
        return false;
    return true;
}

QColor CustomControl::captionColour() const {
    return rt::ColorOf(captionRgb_);
}

void CustomControl::paintCaption(QPainter& p, const QRectF& box, int alignment, const QString& text,
                                 const QColor& colour) const {
    p.setPen(colour);
    p.drawText(box, alignment | Qt::TextShowMnemonic, text);
}

}  // namespace qs
