// Movable picture: an image scaled to the control, which the operator may drag and resize when allowed.
#pragma once

#include <QLabel>

#include "platform/CustomControl.h"

class QsPicture : public QLabel, public qs::CustomControl {
    Q_OBJECT
public:
    explicit QsPicture(QWidget* parent = nullptr);
    bool setIntAttribute(int attribute, int value) override;
    bool intAttribute(int attribute, int* value) const override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    enum class Drag { None, Move, Resize };
    bool InGrip(QPoint p) const;

    bool editable_ = false;
    Drag drag_ = Drag::None;
    QPoint grabGlobal_;
    QRect grabGeometry_;
};
