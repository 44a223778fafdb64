// Test helpers: render a control into an image over black and compare pixel colours.
#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>
#include <cstdlib>

#include "tests/support/TestSupport.h"

namespace ctltest {

inline QImage Render(QWidget& w, QSize size) {
    qstest::EnsureRuntime();
    w.resize(size);
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::black);
    w.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    return img;
}

inline QColor At(const QImage& img, QPointF p) {
    return img.pixelColor(p.toPoint());
}

// True when the pixel is within tol of the 0xRRGGBB colour on every channel.
inline bool Near(const QColor& c, int rgb, int tol = 24) {
    return std::abs(c.red() - ((rgb >> 16) & 0xFF)) <= tol &&
           std::abs(c.green() - ((rgb >> 8) & 0xFF)) <= tol && std::abs(c.blue() - (rgb & 0xFF)) <= tol;
}

inline int Brightness(const QColor& c) {
    return std::max({c.red(), c.green(), c.blue()});
}

}  // namespace ctltest
