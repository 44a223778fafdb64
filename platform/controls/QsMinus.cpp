// Minus sign: the middle bar of a seven-segment digit on its own.
#include "platform/controls/QsMinus.h"

QsMinus::QsMinus(QWidget* parent) : QsSevenSeg(parent) {
    setBarOnly(true);
}

void QsMinus::setIntValue(int value) {
    setPattern(value != 0 ? 0x40 : 0);
}
