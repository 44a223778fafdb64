// Vector pictograms: each is drawn in a 24 x 24 design square scaled into the box.
#include "platform/controls/Glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include <functional>
#include <map>

namespace qs::controls {
namespace {

using Draw = std::function<void(QPainter&)>;

void Arrow(QPainter& p, QPointF tip, qreal angleDeg, qreal size) {
    const qreal a = qDegreesToRadians(angleDeg);
    const QPointF back(-std::cos(a) * size, -std::sin(a) * size);
    const QPointF side(-std::sin(a) * size * 0.6, std::cos(a) * size * 0.6);
    QPolygonF head;
    head << tip << tip + back + side << tip + back - side;
    p.save();
    p.setBrush(p.pen().color());
    p.setPen(Qt::NoPen);
    p.drawPolygon(head);
    p.restore();
}

void Tray(QPainter& p) {
    p.drawPolyline(QPolygonF({{4, 15}, {4, 20}, {20, 20}, {20, 15}}));
}

const std::map<QString, Draw>& Glyphs() {
    static const std::map<QString, Draw> glyphs{
        {"link",
         [](QPainter& p) {
             p.save();
             p.translate(12, 12);
             p.rotate(-45);
             p.drawRoundedRect(QRectF(-10, -3.5, 11, 7), 3.5, 3.5);
             p.drawRoundedRect(QRectF(-1, -3.5, 11, 7), 3.5, 3.5);
             p.restore();
         }},
        {"screen",
         [](QPainter& p) {
             p.drawRoundedRect(QRectF(3, 4, 18, 12), 1.5, 1.5);
             p.drawLine(QPointF(12, 16), QPointF(12, 20));
             p.drawLine(QPointF(8, 20), QPointF(16, 20));
         }},
        {"keys",
         [](QPainter& p) {
             for (int r = 0; r < 2; ++r)
                 for (int c = 0; c < 2; ++c) p.drawRoundedRect(QRectF(4 + c * 9, 4 + r * 9, 7, 7), 1.5, 1.5);
         }},
        {"number",
         [](QPainter& p) {
             p.drawLine(QPointF(10, 4), QPointF(8, 20));
             p.drawLine(QPointF(16, 4), QPointF(14, 20));
             p.drawLine(QPointF(5, 9), QPointF(20, 9));
             p.drawLine(QPointF(4, 15), QPointF(19, 15));
         }},
        {"gear",
         [](QPainter& p) {
             p.drawEllipse(QPointF(12, 12), 5.5, 5.5);
             p.drawEllipse(QPointF(12, 12), 2, 2);
             for (int i = 0; i < 8; ++i) {
                 const qreal a = qDegreesToRadians(i * 45.0);
                 p.drawLine(QPointF(12 + std::cos(a) * 6, 12 + std::sin(a) * 6),
                            QPointF(12 + std::cos(a) * 9, 12 + std::sin(a) * 9));
             }
         }},
        {"doc",
         [](QPainter& p) {
             p.drawPolygon(QPolygonF({{6, 3}, {14, 3}, {18, 7}, {18, 21}, {6, 21}}));
             p.drawLine(QPointF(9, 11), QPointF(15, 11));
             p.drawLine(QPointF(9, 14), QPointF(15, 14));
             p.drawLine(QPointF(9, 17), QPointF(15, 17));
         }},
        {"info",
         [](QPainter& p) {
             p.drawEllipse(QPointF(12, 12), 9, 9);
             p.drawLine(QPointF(12, 11), QPointF(12, 17));
             p.drawPoint(QPointF(12, 7.5));
         }},
        {"power",
         [](QPainter& p) {
             p.drawArc(QRectF(4, 5, 16, 16), 125 * 16, -250 * 16);
             p.drawLine(QPointF(12, 3), QPointF(12, 12));
         }},
        {"refresh",
         [](QPainter& p) {
             p.drawArc(QRectF(5, 5, 14, 14), 60 * 16, 280 * 16);
             Arrow(p, QPointF(17.5, 4.5), -20, 4);
         }},
        {"save",
         [](QPainter& p) {
             Tray(p);
             p.drawLine(QPointF(12, 3), QPointF(12, 14));
             Arrow(p, QPointF(12, 17), 90, 5);
         }},
        {"load",
         [](QPainter& p) {
             Tray(p);
             p.drawLine(QPointF(12, 7), QPointF(12, 17));
             Arrow(p, QPointF(12, 3), -90, 5);
         }},
        {"download",
         [](QPainter& p) {
             p.drawRoundedRect(QRectF(4, 13, 16, 7), 1.5, 1.5);
             p.drawLine(QPointF(12, 2), QPointF(12, 9));
             Arrow(p, QPointF(12, 12), 90, 4.5);
         }},
        {"print",
         [](QPainter& p) {
             p.drawRect(QRectF(7, 3, 10, 6));
             p.drawRoundedRect(QRectF(3, 9, 18, 8), 1.5, 1.5);
             p.drawRect(QRectF(7, 14, 10, 7));
         }},
        {"clear",
         [](QPainter& p) {
             p.drawLine(QPointF(4, 6), QPointF(20, 6));
             p.drawLine(QPointF(10, 3), QPointF(14, 3));
             p.drawPolygon(QPolygonF({{6, 6}, {7.5, 21}, {16.5, 21}, {18, 6}}));
             p.drawLine(QPointF(10, 10), QPointF(10, 17));
             p.drawLine(QPointF(14, 10), QPointF(14, 17));
         }},
        {"check",
         [](QPainter& p) {
             p.drawPolyline(QPolygonF({{4, 12.5}, {10, 18}, {20, 6}}));
         }},
        {"cross",
         [](QPainter& p) {
             p.drawLine(QPointF(5, 5), QPointF(19, 19));
             p.drawLine(QPointF(19, 5), QPointF(5, 19));
         }},
        {"warn",
         [](QPainter& p) {
             p.drawPolygon(QPolygonF({{12, 3}, {22, 20}, {2, 20}}));
             p.drawLine(QPointF(12, 9), QPointF(12, 14));
             p.drawPoint(QPointF(12, 17));
         }},
        {"play",
         [](QPainter& p) {
             p.setBrush(p.pen().color());
             p.drawPolygon(QPolygonF({{7, 4}, {20, 12}, {7, 20}}));
         }},
        {"startstop",
         [](QPainter& p) {
             p.setBrush(p.pen().color());
             p.drawPolygon(QPolygonF({{2, 6}, {11, 12}, {2, 18}}));
             p.drawRect(QRectF(14, 7, 9, 10));
         }},
        {"stop",
         [](QPainter& p) {
             p.setBrush(p.pen().color());
             p.drawRect(QRectF(6, 6, 12, 12));
         }},
        {"reset",
         [](QPainter& p) {
             p.setBrush(p.pen().color());
             p.drawLine(QPointF(4, 5), QPointF(4, 19));
             p.drawPolygon(QPolygonF({{13, 5}, {6, 12}, {13, 19}}));
             p.drawPolygon(QPolygonF({{21, 5}, {14, 12}, {21, 19}}));
         }},
        {"flag",
         [](QPainter& p) {
             p.drawLine(QPointF(6, 3), QPointF(6, 21));
             p.drawPolygon(QPolygonF({{6, 4}, {19, 4}, {16, 8.5}, {19, 13}, {6, 13}}));
         }},
        {"clock",
         [](QPainter& p) {
             p.drawEllipse(QPointF(12, 12), 9, 9);
             p.drawPolyline(QPolygonF({{12, 6}, {12, 12}, {16, 14}}));
         }},
        {"split",
         [](QPainter& p) {
             p.drawEllipse(QPointF(12, 13.5), 7.5, 7.5);
             p.drawLine(QPointF(10, 3), QPointF(14, 3));
             p.drawLine(QPointF(12, 3), QPointF(12, 6));
             p.drawLine(QPointF(12, 13.5), QPointF(15, 10));
         }},
        {"list",
         [](QPainter& p) {
             for (int i = 0; i < 3; ++i) {
                 p.drawPoint(QPointF(5, 6 + i * 6));
                 p.drawLine(QPointF(9, 6 + i * 6), QPointF(20, 6 + i * 6));
             }
         }},
        {"sliders",
         [](QPainter& p) {
             for (int i = 0; i < 3; ++i) {
                 const qreal y = 6 + i * 6, knob = i == 1 ? 15 : 8 + i * 2;
                 p.drawLine(QPointF(3, y), QPointF(21, y));
                 p.save();
                 p.setBrush(p.pen().color());
                 p.drawEllipse(QPointF(knob, y), 2, 2);
                 p.restore();
             }
         }},
        {"plug",
         [](QPainter& p) {
             p.drawRoundedRect(QRectF(6, 8, 12, 8), 2, 2);
             p.drawLine(QPointF(9, 3), QPointF(9, 8));
             p.drawLine(QPointF(15, 3), QPointF(15, 8));
             p.drawLine(QPointF(12, 16), QPointF(12, 21));
         }},
        {"pulse",
         [](QPainter& p) {
             p.drawPolyline(QPolygonF({{2, 15}, {7, 15}, {7, 6}, {13, 6}, {13, 15}, {22, 15}}));
         }},
        {"bulb",
         [](QPainter& p) {
             p.drawEllipse(QPointF(12, 10), 6.5, 6.5);
             p.drawLine(QPointF(9.5, 17), QPointF(14.5, 17));
             p.drawLine(QPointF(10, 20), QPointF(14, 20));
         }},
    };
    return glyphs;
}

}  // namespace

bool PaintGlyph(QPainter& p, const QString& name, const QRectF& box, const QColor& colour) {
    const auto& glyphs = Glyphs();
    const auto it = glyphs.find(name);
    if (it == glyphs.end()) return false;
    const qreal side = std::min(box.width(), box.height());
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(box.center().x() - side / 2, box.center().y() - side / 2);
    p.scale(side / 24.0, side / 24.0);
    p.setPen(QPen(colour, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    it->second(p);
    p.restore();
    return true;
}

}  // namespace qs::controls
