// Round lamp (LED or the clock's big light): off/on with configurable colours and a glow when lit.
// With ATTR_MOUSE_EDIT the operator drags it to move it and drags its lower-right corner to size it
// (it stays square), as the second display's lights are arranged.
#pragma once

#include <QWidget>

#include "platform/CustomControl.h"
#include "platform/controls/PaintCache.h"
#include "platform/cvi.h"

class QsLamp : public QWidget, public qs::CustomControl {
    Q_OBJECT
    // Initial state and colours as set in a panel resource.
    Q_PROPERTY(bool lit READ isLit WRITE setLit)
    Q_PROPERTY(int onColor READ onColor WRITE setOnColor)
    Q_PROPERTY(int offColor READ offColor WRITE setOffColor)
public:
    explicit QsLamp(QWidget* parent = nullptr);

    void setIntValue(int value) override;
    int intValue() const override { return on_ ? 1 : 0; }
    bool setIntAttribute(int attribute, int value) override;
    bool intAttribute(int attribute, int* value) const override;

    // Centre and radius of the lamp body in widget coordinates (the glow reaches beyond it).
    QPointF bodyCentre() const;
    qreal bodyRadius() const;

    bool isLit() const { return on_; }
    void setLit(bool lit) { setIntValue(lit ? 1 : 0); }
    int onColor() const { return onRgb_; }
    void setOnColor(int rgb) { setIntAttribute(ATTR_ON_COLOR, rgb); }
    int offColor() const { return offRgb_; }
    void setOffColor(int rgb) { setIntAttribute(ATTR_OFF_COLOR, rgb); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    enum class Drag { None, Move, Resize };
    bool inGrip(QPoint p) const;
    void paintLamp(QPainter& p) const;

    bool editable_ = false;
    Drag drag_ = Drag::None;
    QPoint grabGlobal_;
    QRect grabGeometry_;
    bool on_ = false;
    int onRgb_ = 0x00FF00;
    int offRgb_ = 0x303030;
    // Off and on, so that a flashing lamp is drawn once for each.
    qs::controls::PaintCache<2> drawn_;
};
