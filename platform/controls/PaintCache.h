// A control's drawing kept as pixels: a lamp or the dial's face is drawn once for its size and
// looks and copied to the screen at every repaint after that. Drawn anew, their gradients and
// anti-aliased edges cost far more than the copy, and the raster engine hands fills of that
// size to its worker threads, which wakes them at every second of a countdown.
#pragma once

#include <QPainter>
#include <QPixmap>
#include <QSize>

namespace qs::controls {

// What a cached drawing depends on besides the control's size and the screen's pixel ratio.
struct Look {
    int rgb = 0;
    bool on = false;
    bool enabled = true;
    bool operator==(const Look&) const = default;
};

class PaintCache {
public:
    // The drawing for this size, ratio and look; `paint` draws it in the control's coordinates
    // onto a transparent pixmap when any of them changed since the last call.
    template <class Paint>
    const QPixmap& Get(QSize size, qreal ratio, Look look, Paint&& paint) {
        if (!drawn_ || size != size_ || ratio != ratio_ || !(look == look_)) {
            pixmap_ = QPixmap(size * ratio);
            pixmap_.setDevicePixelRatio(ratio);
            pixmap_.fill(Qt::transparent);
            QPainter p(&pixmap_);
            paint(p);
            size_ = size;
            ratio_ = ratio;
            look_ = look;
            drawn_ = true;
        }
        return pixmap_;
    }

private:
    QPixmap pixmap_;
    QSize size_;
    qreal ratio_ = 0;
    Look look_;
    bool drawn_ = false;
};

}  // namespace qs::controls
