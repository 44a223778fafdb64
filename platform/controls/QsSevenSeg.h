// One seven-segment digit of the clock's display: the value is the segment pattern
// (bit 0 segment a at the top, then b, c, d, e, f clockwise, bit 6 g in the middle).
#pragma once

#include <QPolygonF>
#include <QWidget>

#include "platform/CustomControl.h"
#include "platform/controls/PaintCache.h"
#include "platform/cvi.h"

class QsSevenSeg : public QWidget, public qs::CustomControl {
    Q_OBJECT
    // Initial pattern and colour as set in a panel resource.
    Q_PROPERTY(int pattern READ intValue WRITE setIntValue)
    Q_PROPERTY(int onColor READ onColor WRITE setOnColor)
public:
    explicit QsSevenSeg(QWidget* parent = nullptr);

    void setIntValue(int value) override;
    int intValue() const override { return pattern_; }
    bool setIntAttribute(int attribute, int value) override;
    bool intAttribute(int attribute, int* value) const override;

    // Outline of segment k (0 = a ... 6 = g) in widget coordinates.
    QPolygonF segmentPolygon(int k) const;

    int onColor() const { return onRgb_; }
    void setOnColor(int rgb) { setIntAttribute(ATTR_ON_COLOR, rgb); }

protected:
    void paintEvent(QPaintEvent* event) override;
    // Only the middle bar is drawn (the minus sign).
    void setBarOnly(bool barOnly) { barOnly_ = barOnly; }
    void setPattern(int pattern);

private:
    void paintDigit(class QPainter& p) const;

    int pattern_ = 0;
    int onRgb_ = 0xFF3A10;
    int offRgb_ = -1;  // -1: a faint shade of the lit colour
    bool barOnly_ = false;
    // The ten figures and the blank of a countdown, with room to spare.
    qs::controls::PaintCache<12> drawn_;
};
