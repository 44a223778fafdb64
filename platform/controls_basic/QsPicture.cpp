// Movable picture: drag to move, drag the bottom-right corner to resize, commit when released.
#include "platform/controls_basic/QsPicture.h"

#include <QMouseEvent>

#include "platform/Runtime.h"
#include "platform/cvi.h"

namespace {
constexpr int kGrip = 10;  // size of the resize corner, in pixels
constexpr int kMinSide = 8;
}  // namespace

QsPicture::QsPicture(QWidget* parent) : QLabel(parent) {
    setScaledContents(true);
    setMouseTracking(true);
}

bool QsPicture::setIntAttribute(int attribute, int value) {
    if (attribute != ATTR_MOUSE_EDIT) return false;
    editable_ = value != 0;
    if (!editable_) unsetCursor();
    return true;
}

bool QsPicture::intAttribute(int attribute, int* value) const {
    if (attribute != ATTR_MOUSE_EDIT) return false;
    *value = editable_ ? 1 : 0;
    return true;
}

bool QsPicture::InGrip(QPoint p) const {
    return p.x() >= width() - kGrip && p.y() >= height() - kGrip;
}

void QsPicture::mousePressEvent(QMouseEvent* event) {
    if (!editable_ || event->button() != Qt::LeftButton) return QLabel::mousePressEvent(event);
    drag_ = InGrip(event->position().toPoint()) ? Drag::Resize : Drag::Move;
    grabGlobal_ = event->globalPosition().toPoint();
    grabGeometry_ = geometry();
    raise();
    event->accept();
}

void QsPicture::mouseMoveEvent(QMouseEvent* event) {
    if (!editable_) return QLabel::mouseMoveEvent(event);
    QPoint delta = event->globalPosition().toPoint() - grabGlobal_;
    switch (drag_) {
        case Drag::Move:
            move(grabGeometry_.topLeft() + delta);
            break;
        case Drag::Resize:
            resize(std::max(kMinSide, grabGeometry_.width() + delta.x()),
                   std::max(kMinSide, grabGeometry_.height() + delta.y()));
            break;
        case Drag::None:
            setCursor(InGrip(event->position().toPoint()) ? Qt::SizeFDiagCursor : Qt::SizeAllCursor);
            break;
    }
    event->accept();
}

void QsPicture::mouseReleaseEvent(QMouseEvent* event) {
    if (!editable_ || drag_ == Drag::None) return QLabel::mouseReleaseEvent(event);
    bool changed = geometry() != grabGeometry_;
    drag_ = Drag::None;
    event->accept();
    if (changed) qs::rt::CommitFromWidget(this);  // the program reads the new place and size
}
