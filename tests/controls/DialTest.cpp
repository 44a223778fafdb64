// Dial: the ring of 60 lights and the two hands, by value and by what the painting shows.
#include <gtest/gtest.h>

#include "platform/controls/QsDial.h"
#include "platform/cvi.h"
#include "tests/controls/Render.h"

using ctltest::At;
using ctltest::Near;
using ctltest::Render;

TEST(Dial, LightsReadBackAndIgnoreOutOfRangePositions) {
    qstest::EnsureRuntime();
    QsDial dial;
    for (int i = 0; i < QsDial::kLights; ++i) EXPECT_EQ(dial.indexValue(i), 0x303030);
    dial.setIndexValue(0, 0xFF0000);
    dial.setIndexValue(59, 0x00FF00);
    dial.setIndexValue(60, 0x0000FF);
    dial.setIndexValue(-1, 0x0000FF);
    EXPECT_EQ(dial.indexValue(0), 0xFF0000);
    EXPECT_EQ(dial.indexValue(59), 0x00FF00);
    EXPECT_EQ(dial.indexValue(1), 0x303030);
    EXPECT_EQ(dial.indexValue(60), 0);
}

TEST(Dial, HandsAreTakenModuloSixty) {
    qstest::EnsureRuntime();
    QsDial dial;
    int v = -1;
    ASSERT_TRUE(dial.setIntAttribute(ATTR_HOUR_HAND, 51));
    ASSERT_TRUE(dial.intAttribute(ATTR_HOUR_HAND, &v));
    EXPECT_EQ(v, 51);
    dial.setIntAttribute(ATTR_MINUTE_HAND, 61);
    dial.intAttribute(ATTR_MINUTE_HAND, &v);
    EXPECT_EQ(v, 1);
    dial.setIntAttribute(ATTR_MINUTE_HAND, -1);
    dial.intAttribute(ATTR_MINUTE_HAND, &v);
    EXPECT_EQ(v, 59);
    EXPECT_FALSE(dial.setIntAttribute(ATTR_WIDTH, 10));
}

TEST(Dial, LightZeroIsAtTheTopAndTheRingRunsClockwise) {
    qstest::EnsureRuntime();
    QsDial dial;
    dial.resize(400, 400);
    const QPointF c = dial.centre();
    EXPECT_NEAR(dial.lightCentre(0).x(), c.x(), 0.01);
    EXPECT_LT(dial.lightCentre(0).y(), c.y());
    EXPECT_GT(dial.lightCentre(15).x(), c.x());  // three o'clock
    EXPECT_NEAR(dial.lightCentre(15).y(), c.y(), 0.01);
    EXPECT_GT(dial.lightCentre(30).y(), c.y());
    EXPECT_LT(dial.lightCentre(45).x(), c.x());
}

TEST(Dial, PaintingShowsLitLightsInTheirColourAndUnlitOnesDark) {
    qstest::EnsureRuntime();
    QsDial dial;
    // A countdown arc: red, amber, green.
    for (int i = 0; i < 10; ++i) dial.setIndexValue(i, 0xFF0000);
    for (int i = 10; i < 20; ++i) dial.setIndexValue(i, 0xFFE500);
    for (int i = 20; i < 27; ++i) dial.setIndexValue(i, 0x00FF00);
    for (const QSize size : {QSize(400, 400), QSize(180, 260)}) {
        QImage img = Render(dial, size);
        EXPECT_TRUE(Near(At(img, dial.lightCentre(0)), 0xFF0000)) << size.width();
        EXPECT_TRUE(Near(At(img, dial.lightCentre(9)), 0xFF0000));
        EXPECT_TRUE(Near(At(img, dial.lightCentre(12)), 0xFFE500));
        EXPECT_TRUE(Near(At(img, dial.lightCentre(26)), 0x00FF00));
        for (int i : {27, 40, 59}) {
            const QColor unlit = At(img, dial.lightCentre(i));
            EXPECT_LT(ctltest::Brightness(unlit), 0x50) << i;
            EXPECT_GT(ctltest::Brightness(unlit), 0x10) << i;  // drawn dim, not missing
        }
    }
}

TEST(Dial, HandsPointAtTheirPositions) {
    qstest::EnsureRuntime();
    QsDial dial;
    dial.setIntAttribute(ATTR_ON_COLOR, 0x00FFFF);
    dial.setIntAttribute(ATTR_HOUR_HAND, 30);    // down
    dial.setIntAttribute(ATTR_MINUTE_HAND, 15);  // right
    QImage img = Render(dial, QSize(400, 400));
    EXPECT_TRUE(Near(At(img, dial.pointOnHand(15, 0.4)), 0x00FFFF));
    EXPECT_TRUE(Near(At(img, dial.pointOnHand(30, 0.3)), 0x00FFFF));
    EXPECT_FALSE(Near(At(img, dial.pointOnHand(45, 0.4)), 0x00FFFF, 80));
    EXPECT_FALSE(Near(At(img, dial.pointOnHand(0, 0.4)), 0x00FFFF, 80));
    // The minute hand is the longer one.
    EXPECT_TRUE(Near(At(img, dial.pointOnHand(15, 0.6)), 0x00FFFF));
    EXPECT_FALSE(Near(At(img, dial.pointOnHand(30, 0.6)), 0x00FFFF, 80));

    dial.setIntAttribute(ATTR_MINUTE_HAND, 75);  // 75 mod 60: the same as 15
    QImage again = Render(dial, QSize(400, 400));
    EXPECT_TRUE(Near(At(again, dial.pointOnHand(15, 0.6)), 0x00FFFF));
}
