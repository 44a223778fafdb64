// On/off switch of the clock's panels: a sliding toggle, an optional glyph (dynamic property
// "glyph") and its caption, which can be hidden (ATTR_LABEL_VISIBLE) while toggle and glyph stay.
// It stays a QCheckBox for the layer (no own meta-object); the value is the checked state.
#pragma once

#include <QCheckBox>

#include "platform/CustomControl.h"

class QsSwitch : public QCheckBox, public qs::CustomControl {
public:
    explicit QsSwitch(QWidget* parent = nullptr);

    void setIntValue(int value) override;
    int intValue() const override { return isChecked() ? 1 : 0; }
    bool setIntAttribute(int attribute, int value) override;
    bool intAttribute(int attribute, int* value) const override;

    QRectF trackRect() const;
    QRectF knobRect() const;
    QRectF captionRect() const;  // where the caption is drawn, beside the track and the glyph
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    int onRgb_ = 0x2EAD5B;
};
