// The clock's minus sign: a single bar drawn like a seven-segment middle bar; value 0 or 1.
#pragma once

#include "platform/controls/QsSevenSeg.h"

class QsMinus : public QsSevenSeg {
    Q_OBJECT
public:
    explicit QsMinus(QWidget* parent = nullptr);

    void setIntValue(int value) override;
    int intValue() const override { return QsSevenSeg::intValue() != 0 ? 1 : 0; }
};
