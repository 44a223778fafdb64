// Small vector pictograms for the clock's buttons and switches, drawn by name into a square.
#pragma once

#include <QColor>
#include <QRectF>
#include <QString>

class QPainter;

namespace qs::controls {

// Draws the named glyph centred in box; an unknown or empty name draws nothing and returns false.
// Names: link, screen, keys, number, gear, doc, info, power, refresh, save, load, print, clear,
// check, cross, warn, play, stop, startstop, reset, flag, clock, split, list, sliders, download, plug, pulse,
// bulb.
bool PaintGlyph(QPainter& p, const QString& name, const QRectF& box, const QColor& colour);

}  // namespace qs::controls
