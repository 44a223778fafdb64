// Round lamp (LED or the clock's big light): off/on with configurable colours and a glow when lit.
#pragma once

#include <QWidget>

#include "platform/CustomControl.h"

class QsLamp : public QWidget, public qs::CustomControl {
    Q_OBJECT
public:
    explicit QsLamp(QWidget* parent = nullptr);

    void setIntValue(int value) override;
    int intValue() const override { return on_ ? 1 : 0; }
    bool setIntAttribute(int attribute, int value) override;
    bool intAttribute(int attribute, int* value) const override;

    // Centre and radius of the lamp body in widget coordinates (the glow reaches beyond it).
    QPointF bodyCentre() const;
    qreal bodyRadius() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool on_ = false;
    int onRgb_ = 0x00FF00;
    int offRgb_ = 0x303030;
};
