// A control's drawings kept as pixels: a lamp, the dial's face or a digit is drawn once for its
// size and looks and copied to the screen at every repaint after that. Drawn anew, their
// gradients, glows and anti-aliased edges cost far more than the copy, and the raster engine
// hands fills of that size to its worker threads, which wakes them at every second of a
// countdown.
#pragma once

#include <QPainter>
#include <QPixmap>
#include <QSize>
#include <array>
#include <cstddef>

namespace qs::controls {

// What a drawing depends on besides the control's size and the screen's pixel ratio.
struct Look {
    int rgb = 0;    // the colour shown
    int shade = 0;  // a second colour, where the control has one
    int state = 0;  // lit or not, the segments shown
    bool enabled = true;
    bool operator==(const Look&) const = default;
};

// Holds the last `N` drawings; a new one replaces the oldest.
template <std::size_t N>
class PaintCache {
public:
    // The drawing for this size, ratio and look; `paint` draws it in the control's coordinates
    // onto a transparent pixmap when none is held.
    template <class Paint>
    const QPixmap& Get(QSize size, qreal ratio, Look look, Paint&& paint) {
        for (const Slot& s : slots_)
            if (!s.pixmap.isNull() && s.size == size && s.ratio == ratio && s.look == look) return s.pixmap;
        Slot& s = slots_[next_];
        next_ = (next_ + 1) % N;
        s.pixmap = QPixmap(size * ratio);
        s.pixmap.setDevicePixelRatio(ratio);
        s.pixmap.fill(Qt::transparent);
        QPainter p(&s.pixmap);
        paint(p);
        s.size = size;
        s.ratio = ratio;
        s.look = look;
        return s.pixmap;
    }

private:
    struct Slot {
        QPixmap pixmap;
        QSize size;
        qreal ratio = 0;
        Look look;
    };
    std::array<Slot, N> slots_;
    std::size_t next_ = 0;
};

}  // namespace qs::controls
