// Command button of the clock's panels: a flat face in the program colours with a vector
// glyph (dynamic property "glyph") and its caption. The caption can be hidden (ATTR_LABEL_VISIBLE)
// while the glyph stays, which is how buttons that show their caption only under the mouse
// remain recognisable. It stays a QPushButton for the layer (no own meta-object).
#pragma once

#include <QPushButton>

#include "platform/CustomControl.h"

class QsGlyphButton : public QPushButton, public qs::CustomControl {
public:
    explicit QsGlyphButton(QWidget* parent = nullptr);

    bool setIntAttribute(int attribute, int value) override;
    bool intAttribute(int attribute, int* value) const override;

    QRectF glyphRect() const;
    // Whether the caption, shown, fits the face at the given part of the button's own font
    // (a caption that does not fit is drawn smaller).
    bool captionFits(qreal fontFraction = 1.0) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    // A panel resource may give the face another colour (dynamic property "faceColor", 0xRRGGBB).
    bool event(QEvent* event) override;

private:
    struct CaptionFit {
        QFont font;
        QRectF box;
        bool withGlyph = false;
    };
    CaptionFit fitCaption(const QRectF& glyph) const;
    QRectF glyphRectFor(bool withCaption) const;

    int faceRgb_;
};
