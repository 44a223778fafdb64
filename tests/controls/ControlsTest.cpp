// The clock's own controls (lamp, digit, minus sign, dial, glyph button, sliding switch): the
// values and attributes the layer gives them, and what their painting then shows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QMouseEvent>
#include <QPushButton>
#include <cstdlib>
#include <functional>

#include "platform/controls/QsDial.h"
#include "platform/controls/QsGlyphButton.h"
#include "platform/controls/QsLamp.h"
#include "platform/controls/QsMinus.h"
#include "platform/controls/QsSevenSeg.h"
#include "platform/controls/QsSwitch.h"
#include "platform/cvi.h"
#include "tests/support/TestSupport.h"

namespace {

QImage Render(QWidget& w, QSize size) {
    w.resize(size);
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::black);
    w.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    return img;
}
// True when the pixel at p is within tol of the 0xRRGGBB colour on every channel.
bool Near(const QImage& img, QPointF p, int rgb, int tol = 24) {
    const QColor c = img.pixelColor(p.toPoint());
    return std::abs(c.red() - (rgb >> 16)) <= tol && std::abs(c.green() - ((rgb >> 8) & 0xFF)) <= tol &&
           std::abs(c.blue() - (rgb & 0xFF)) <= tol;
}

}  // namespace

TEST(ClockControls, TakeTheValuesAndAttributesTheLayerGives) {
    qstest::EnsureRuntime();
    QsLamp lamp;
    QsSevenSeg digit;
    QsMinus minus;
    QsDial dial;
    QsSwitch sw;
    QsGlyphButton button;
    // Any non-zero value lights a lamp or the minus sign; the bit above g is no segment; hands
    // are taken modulo sixty; attributes a control leaves to the layer (-1) it does not take.
    qs::CustomControl* const controls[] = {&lamp, &minus, &digit, &sw, &dial, &button};
    // Rows: control, attribute (0: the value), value, what reads back.
    const int rows[][4] = {{0, 0, 7, 1},
                           {0, 0, 0, 0},
                           {1, 0, 5, 1},
                           {2, 0, 0xFF, 0x7F},
                           {3, 0, 1, 1},
                           {3, 0, 0, 0},
                           {0, ATTR_ON_COLOR, 0x12345678, 0x345678},
                           {0, ATTR_MOUSE_EDIT, 1, 1},
                           {0, ATTR_HOUR_HAND, 3, -1},
                           {2, ATTR_ON_COLOR, 0x00FF00, 0x00FF00},
                           {4, ATTR_HOUR_HAND, 51, 51},
                           {4, ATTR_MINUTE_HAND, 61, 1},
                           {4, ATTR_MINUTE_HAND, -1, 59},
                           {4, ATTR_WIDTH, 10, -1},
                           {3, ATTR_ON_COLOR, 0x00C000, 0x00C000},
                           {5, ATTR_LABEL_VISIBLE, 0, 0},
                           {5, ATTR_CMD_BUTTON_COLOR, 0x2E7D4F, 0x2E7D4F}};
    for (auto [index, attribute, value, expected] : rows) {
        SCOPED_TRACE(testing::Message() << index << " " << attribute << " " << value);
        qs::CustomControl* control = controls[index];
        int v = -1;
        if (attribute == 0) control->setIntValue(value), v = control->intValue();
        if (attribute != 0) EXPECT_EQ(control->setIntAttribute(attribute, value), expected != -1);
        EXPECT_TRUE(attribute == 0 || control->intAttribute(attribute, &v) == (expected != -1));
        EXPECT_EQ(v, expected);
    }
    // The dial's lights: out-of-range positions are ignored.
    for (int i : {0, 59, 60, -1}) dial.setIndexValue(i, 0xFF0000 + i);
    EXPECT_EQ(dial.indexValue(0) + dial.indexValue(59) + dial.indexValue(1) + dial.indexValue(60),
              0xFF0000 + 0xFF0000 + 59 + 0x303030);
    // The layer sees a push button and a check box; values set by code do not signal.
    EXPECT_STREQ(button.metaObject()->className(), "QPushButton");
    EXPECT_STREQ(sw.metaObject()->className(), "QCheckBox");
    int toggles = 0;
    QObject::connect(&sw, &QCheckBox::toggled, [&] { ++toggles; });
    sw.setIntValue(1);
    sw.click();  // the operator's click still toggles and signals
    EXPECT_EQ(sw.intValue() * 10 + toggles, 1);
}

TEST(ClockControls, PaintingShowsTheirState) {
    qstest::EnsureRuntime();
    constexpr int kOrange = 0xFF3A10;  // the digits' colour
    QsSevenSeg digit;
    for (int bits : {1, 2, 4, 8, 16, 32, 64, 0x49, 0x7F}) {  // each bit lights exactly its segment
        digit.setIntValue(bits);
        const QImage img = Render(digit, bits == 0x7F ? QSize(300, 200) : QSize(60, 100));
        int lit = 0;
        for (int k = 0; k < 7; ++k)
            lit |= Near(img, digit.segmentPolygon(k).boundingRect().center(), kOrange) << k;
        EXPECT_EQ(lit, bits);
    }
    QsMinus minus;
    minus.setIntValue(1);
    QImage img = Render(minus, QSize(50, 100));
    EXPECT_TRUE(Near(img, minus.segmentPolygon(6).boundingRect().center(), kOrange));
    EXPECT_TRUE(Near(img, minus.segmentPolygon(0).boundingRect().center(), 0, 0));  // only the bar

    QsLamp lamp;  // lit: its colour and a halo; unlit: its off colour, no halo
    lamp.setIntAttribute(ATTR_ON_COLOR, 0x0000FF);
    lamp.setIntAttribute(ATTR_OFF_COLOR, 0x303030);
    for (int on : {1, 0}) {
        lamp.setIntValue(on);
        img = Render(lamp, QSize(80, 80));
        const QPointF c = lamp.bodyCentre(), halo = c + QPointF(lamp.bodyRadius() * 1.12, 0);
        EXPECT_TRUE(Near(img, c, on ? 0x0000FF : 0x303030)) << on;
        EXPECT_EQ(img.pixelColor(halo.toPoint()).blue() > 60, on == 1);
    }

    QsDial dial;  // a countdown arc, lit in its colours; unlit lights dim but drawn; the hands
    for (int i = 0; i < 20; ++i) dial.setIndexValue(i, i < 10 ? 0xFF0000 : 0x00FF00);
    dial.setIntAttribute(ATTR_ON_COLOR, 0x00FFFF);
    dial.setIntAttribute(ATTR_HOUR_HAND, 30);
    dial.setIntAttribute(ATTR_MINUTE_HAND, 75);  // 15: right, the longer hand
    img = Render(dial, QSize(400, 400));
    EXPECT_TRUE(Near(img, dial.lightCentre(0), 0xFF0000) && Near(img, dial.lightCentre(19), 0x00FF00));
    const int unlit = img.pixelColor(dial.lightCentre(40).toPoint()).red();
    EXPECT_TRUE(unlit > 0x10 && unlit < 0x50) << unlit;
    EXPECT_TRUE(Near(img, dial.pointOnHand(15, 0.6), 0x00FFFF) &&
                Near(img, dial.pointOnHand(30, 0.3), 0x00FFFF));
    EXPECT_FALSE(Near(img, dial.pointOnHand(30, 0.6), 0x00FFFF, 80) ||
                 Near(img, dial.pointOnHand(45, 0.4), 0x00FFFF, 80));

    QsSwitch sw;  // the knob slides to the right and the track takes the on colour
    sw.setIntAttribute(ATTR_ON_COLOR, 0x00C000);
    for (int on : {0, 1}) {
        sw.setIntValue(on);
        img = Render(sw, QSize(160, 28));
        const QRectF t = sw.trackRect();
        EXPECT_EQ(sw.knobRect().center().x() > t.center().x(), on == 1);
        EXPECT_EQ(Near(img, QPointF(t.left() + t.height() / 2, t.center().y()), 0x00C000, 8), on == 1);
    }

    QsGlyphButton button;  // a hidden caption leaves the glyph, its text kept for later
    button.setProperty("glyph", "power");
    button.setText("Quit");
    button.setIntAttribute(ATTR_LABEL_COLOR, 0xFFFFFF);
    for (int visible : {1, 0}) {
        button.setIntAttribute(ATTR_LABEL_VISIBLE, visible);
        img = Render(button, QSize(120, 36));
        int in = 0, out = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (Near(img, QPointF(x, y), 0xFFFFFF, 40))
                    (button.glyphRect().adjusted(-1, -1, 1, 1).contains(QPointF(x, y)) ? in : out)++;
        EXPECT_GT(in, 10);
        EXPECT_EQ(out > 10, visible == 1) << out;
    }
    EXPECT_EQ(button.text(), "Quit");
}

TEST(ClockControls, LampMovesAndSizesWithTheMouseOnlyInEditMode) {
    qstest::EnsureRuntime();
    QWidget panel;
    panel.resize(400, 300);
    auto* lamp = new QsLamp(&panel);
    lamp->setGeometry(100, 100, 60, 60);
    auto drag = [lamp](QPoint from, QPoint by) {  // later positions follow the moving lamp
        const QPoint target = lamp->mapToGlobal(from + by);
        for (auto [type, at] : {std::pair{QEvent::MouseButtonPress, from},
                                {QEvent::MouseMove, from + by},
                                {QEvent::MouseButtonRelease, from + by}}) {
            const QPoint local = type == QEvent::MouseButtonPress ? at : lamp->mapFromGlobal(target);
            QMouseEvent e(type, QPointF(local), QPointF(lamp->mapToGlobal(local)), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(lamp, &e);
        }
    };
    drag(QPoint(30, 30), QPoint(40, 25));
    EXPECT_EQ(lamp->geometry(), QRect(100, 100, 60, 60));  // not editable: nothing moves
    lamp->setIntAttribute(ATTR_MOUSE_EDIT, 1);
    drag(QPoint(30, 30), QPoint(40, 25));
    EXPECT_EQ(lamp->geometry(), QRect(140, 125, 60, 60));
    drag(QPoint(57, 57), QPoint(20, 8));  // the lower-right corner sizes it, square
    EXPECT_EQ(lamp->geometry(), QRect(140, 125, 80, 80));
    lamp->setIntAttribute(ATTR_MOUSE_EDIT, 0);
    drag(QPoint(30, 30), QPoint(-50, -50));
    EXPECT_EQ(lamp->geometry(), QRect(140, 125, 80, 80));
}
