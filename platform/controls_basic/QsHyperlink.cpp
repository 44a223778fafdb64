// Hyperlink label: the pointing cursor while hovered (panel callbacks read it), opens the link on click.
#include "platform/controls_basic/QsHyperlink.h"

#include <QMouseEvent>

#include "platform/Encoding.h"
#include "platform/cvi.h"

QsHyperlink::QsHyperlink(QWidget* parent) : QLabel(parent) {
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, QColor(0x1A, 0x5F, 0xB4));
    setPalette(pal);
}

// Through the layer's cursor, so that a panel callback can tell a click on the link
// from a click beside it.
void QsHyperlink::enterEvent(QEnterEvent* event) {
    SetMouseCursor(VAL_POINTING_FINGER_CURSOR);
    QLabel::enterEvent(event);
}

void QsHyperlink::leaveEvent(QEvent* event) {
    SetMouseCursor(VAL_DEFAULT_CURSOR);
    QLabel::leaveEvent(event);
}

void QsHyperlink::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && !url_.isEmpty())
        OpenDocument(qs::rt::ToCp1252(url_).constData());
    QLabel::mouseReleaseEvent(event);
}
