// Lamp, seven-segment digit and minus sign: values, colours and what the painting shows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>

#include "platform/controls/QsLamp.h"
#include "platform/controls/QsMinus.h"
#include "platform/controls/QsSevenSeg.h"
#include "platform/cvi.h"
#include "tests/controls/Render.h"

using ctltest::At;
using ctltest::Near;
using ctltest::Render;

TEST(Lamp, ValueAndColoursReadBack) {
    qstest::EnsureRuntime();
    QsLamp lamp;
    lamp.setIntValue(7);
    EXPECT_EQ(lamp.intValue(), 1);  // any non-zero value lights it
    lamp.setIntValue(0);
    EXPECT_EQ(lamp.intValue(), 0);
    EXPECT_TRUE(lamp.setIntAttribute(ATTR_ON_COLOR, 0x12345678));
    int v = 0;
    ASSERT_TRUE(lamp.intAttribute(ATTR_ON_COLOR, &v));
    EXPECT_EQ(v, 0x345678);
    EXPECT_FALSE(lamp.setIntAttribute(ATTR_HOUR_HAND, 3));  // left to the layer
}

TEST(Lamp, LitLampShowsItsColourAndGlowUnlitDoesNot) {
    qstest::EnsureRuntime();
    QsLamp lamp;
    lamp.setIntAttribute(ATTR_ON_COLOR, 0x0000FF);
    lamp.setIntAttribute(ATTR_OFF_COLOR, 0x303030);
    lamp.setIntValue(1);
    QImage on = Render(lamp, QSize(80, 80));
    const QPointF c = lamp.bodyCentre();
    const qreal r = lamp.bodyRadius();
    EXPECT_TRUE(Near(At(on, c), 0x0000FF)) << At(on, c).name().toStdString();
    EXPECT_TRUE(Near(At(on, c + QPointF(0, r * 0.5)), 0x0000FF));
    // The halo just outside the body carries the colour.
    const QColor halo = At(on, c + QPointF(r * 1.12, 0));
    EXPECT_GT(halo.blue(), 60);
    EXPECT_LT(halo.red(), 30);

    lamp.setIntValue(0);
    QImage off = Render(lamp, QSize(80, 80));
    EXPECT_TRUE(Near(At(off, c), 0x303030)) << At(off, c).name().toStdString();
    EXPECT_LT(At(off, c + QPointF(r * 1.12, 0)).blue(), 10);

    // The big light: the colour changes while lit.
    lamp.setIntValue(1);
    lamp.setIntAttribute(ATTR_ON_COLOR, 0xFFE500);
    EXPECT_TRUE(Near(At(Render(lamp, QSize(80, 80)), c), 0xFFE500));
}

TEST(Lamp, ScalesWithItsSize) {
    qstest::EnsureRuntime();
    QsLamp lamp;
    lamp.setIntAttribute(ATTR_ON_COLOR, 0xFF0000);
    lamp.setIntValue(1);
    QImage big = Render(lamp, QSize(200, 120));
    // The body fits the smaller side and stays centred.
    EXPECT_NEAR(lamp.bodyRadius(), 45.0, 0.5);
    EXPECT_TRUE(Near(At(big, QPointF(100 + 30, 60)), 0xFF0000));
    EXPECT_LT(At(big, QPointF(100 + 95, 60)).red(), 10);  // far outside body and halo
}

namespace {

constexpr int kOrange = 0xFF3A10;

// Which segments the painting shows lit, as a pattern, judged at each segment's centre.
int LitPattern(QsSevenSeg& digit, QSize size, int onRgb) {
    QImage img = Render(digit, size);
    int pattern = 0;
    for (int k = 0; k < 7; ++k) {
        const QPolygonF poly = digit.segmentPolygon(k);
        if (Near(At(img, poly.boundingRect().center()), onRgb)) pattern |= 1 << k;
    }
    return pattern;
}

}  // namespace

TEST(SevenSeg, EachBitLightsExactlyItsSegment) {
    qstest::EnsureRuntime();
    QsSevenSeg digit;
    for (int k = 0; k < 7; ++k) {
        digit.setIntValue(1 << k);
        EXPECT_EQ(digit.intValue(), 1 << k);
        EXPECT_EQ(LitPattern(digit, QSize(60, 100), kOrange), 1 << k) << "segment " << k;
    }
}

TEST(SevenSeg, DigitPatternsUnlitShadeAndColour) {
    qstest::EnsureRuntime();
    QsSevenSeg digit;
    // b and c only: a "1".
    digit.setIntValue(0x06);
    EXPECT_EQ(LitPattern(digit, QSize(60, 100), kOrange), 0x06);
    // An "8" at a wide size; the bit above g is not a segment.
    digit.setIntValue(0xFF);
    EXPECT_EQ(digit.intValue(), 0x7F);
    EXPECT_EQ(LitPattern(digit, QSize(300, 200), kOrange), 0x7F);
    // Unlit segments are drawn, faint and dark, not left empty.
    digit.setIntValue(0);
    QImage img = Render(digit, QSize(60, 100));
    const QColor a = At(img, digit.segmentPolygon(0).boundingRect().center());
    EXPECT_GT(a.red(), 10);
    EXPECT_LT(ctltest::Brightness(a), 80);
    // The colour attribute changes what lit segments show.
    ASSERT_TRUE(digit.setIntAttribute(ATTR_ON_COLOR, 0x00FF00));
    digit.setIntValue(0x49);  // a, d, g
    EXPECT_EQ(LitPattern(digit, QSize(60, 100), 0x00FF00), 0x49);
    EXPECT_EQ(LitPattern(digit, QSize(60, 100), kOrange), 0);
}

TEST(SevenSeg, SegmentsAreSlantedAndPlacedLikeADigit) {
    qstest::EnsureRuntime();
    QsSevenSeg digit;
    digit.resize(60, 100);
    auto centre = [&](int k) { return digit.segmentPolygon(k).boundingRect().center(); };
    EXPECT_LT(centre(0).y(), centre(6).y());  // a above g
    EXPECT_LT(centre(6).y(), centre(3).y());  // g above d
    EXPECT_GT(centre(1).x(), centre(5).x());  // b right of f
    EXPECT_GT(centre(0).x(), centre(3).x());  // the top leans to the right
    EXPECT_TRUE(digit.segmentPolygon(7).isEmpty());
}

TEST(Minus, ShowsOnlyTheMiddleBar) {
    qstest::EnsureRuntime();
    QsMinus minus;
    minus.setIntValue(5);
    EXPECT_EQ(minus.intValue(), 1);
    QImage on = Render(minus, QSize(50, 100));
    const QPointF g = minus.segmentPolygon(6).boundingRect().center();
    EXPECT_TRUE(Near(At(on, g), kOrange));
    // Nothing where a digit's top bar would be.
    EXPECT_EQ(ctltest::Brightness(At(on, QPointF(25, 8))), 0);
    minus.setIntValue(0);
    EXPECT_EQ(minus.intValue(), 0);
    QImage off = Render(minus, QSize(50, 100));
    EXPECT_FALSE(Near(At(off, g), kOrange));
    EXPECT_LT(ctltest::Brightness(At(off, g)), 80);
}

namespace {

void Mouse(QWidget& w, QEvent::Type type, QPoint local, Qt::MouseButtons buttons) {
    const QPointF global = w.mapToGlobal(QPointF(local));
    QMouseEvent e(type, QPointF(local), global, Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(&w, &e);
}

void Drag(QWidget& w, QPoint from, QPoint by) {
    Mouse(w, QEvent::MouseButtonPress, from, Qt::LeftButton);
    // The lamp moves under the mouse: later positions are relative to where it now is.
    const QPoint globalTarget = w.mapToGlobal(from + by);
    Mouse(w, QEvent::MouseMove, w.mapFromGlobal(globalTarget), Qt::LeftButton);
    Mouse(w, QEvent::MouseButtonRelease, w.mapFromGlobal(globalTarget), Qt::NoButton);
}

}  // namespace

TEST(Lamp, MovesAndSizesWithTheMouseOnlyInEditMode) {
    qstest::EnsureRuntime();
    QWidget panel;
    panel.resize(400, 300);
    auto* lamp = new QsLamp(&panel);
    lamp->setGeometry(100, 100, 60, 60);

    Drag(*lamp, QPoint(30, 30), QPoint(40, 25));
    EXPECT_EQ(lamp->geometry(), QRect(100, 100, 60, 60));  // not editable: nothing moves

    ASSERT_TRUE(lamp->setIntAttribute(ATTR_MOUSE_EDIT, 1));
    int v = 0;
    lamp->intAttribute(ATTR_MOUSE_EDIT, &v);
    EXPECT_EQ(v, 1);
    Drag(*lamp, QPoint(30, 30), QPoint(40, 25));
    EXPECT_EQ(lamp->geometry(), QRect(140, 125, 60, 60));
    // The lower-right corner sizes it, and it stays square.
    Drag(*lamp, QPoint(57, 57), QPoint(20, 8));
    EXPECT_EQ(lamp->geometry(), QRect(140, 125, 80, 80));

    lamp->setIntAttribute(ATTR_MOUSE_EDIT, 0);
    Drag(*lamp, QPoint(30, 30), QPoint(-50, -50));
    EXPECT_EQ(lamp->geometry(), QRect(140, 125, 80, 80));
}

TEST(Lamp, DrawsSharplyAtDoubleDensity) {
    qstest::EnsureRuntime();
    QsLamp lamp;
    lamp.setIntAttribute(ATTR_ON_COLOR, 0x00FF00);
    lamp.setIntValue(1);
    lamp.resize(40, 40);
    QImage img(80, 80, QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(2.0);
    img.fill(Qt::black);
    lamp.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    // The body covers the same share of the larger image: device pixels scale, not the layout.
    EXPECT_TRUE(Near(img.pixelColor(40, 40), 0x00FF00));
    EXPECT_TRUE(Near(img.pixelColor(40, 40 + 18), 0x00FF00));
    EXPECT_EQ(ctltest::Brightness(img.pixelColor(1, 1)), 0);
}
