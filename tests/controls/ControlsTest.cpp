// The clock's own controls: the values and attributes the layer gives them, what their painting
// then shows, and the pictograms. (The program's panels laid out with them: the desktop tests.)
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <functional>

#include "platform/controls/Glyphs.h"
#include "platform/controls/QsDial.h"
#include "platform/controls/QsGlyphButton.h"
#include "platform/controls/QsLamp.h"
#include "platform/controls/QsMinus.h"
#include "platform/controls/QsSevenSeg.h"
#include "platform/controls/QsSwitch.h"
#include "platform/controls_basic/QsPicture.h"
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

TEST(ClockControls, TakeTheLayersValuesAndShowThem) {
    qstest::EnsureRuntime();
    QsLamp lamp;
    QsSevenSeg digit;
    QsMinus minus;
    QsDial dial;
    QsSwitch sw;
    QsGlyphButton button;
    // Rows: control, attribute (0: the value), value, what reads back. Any non-zero value lights a
    // lamp or the minus sign; the bit above g is no segment; hands are taken modulo sixty.
    qs::CustomControl* const controls[] = {&lamp, &minus, &digit, &sw, &dial, &button};
    const int rows[][4] = {{0, 0, 7, 1},
                           {1, 0, 5, 1},
                           {2, 0, 0xFF, 0x7F},
                           {0, ATTR_ON_COLOR, 0x120000FF, 0x0000FF},
                           {0, ATTR_HOUR_HAND, 3, -1},  // one the control leaves to the layer
                           {4, ATTR_MINUTE_HAND, 61, 1},
                           {4, ATTR_MINUTE_HAND, -1, 59},
                           {5, ATTR_LABEL_VISIBLE, 0, 0},
                           {5, ATTR_CMD_BUTTON_COLOR, 0x2E7D4F, 0x2E7D4F}};
    for (auto [index, attribute, value, expected] : rows) {
        int v = -1;
        if (attribute == 0) {
            controls[index]->setIntValue(value);
            v = controls[index]->intValue();
        } else {
            EXPECT_EQ(controls[index]->setIntAttribute(attribute, value), expected != -1);
            EXPECT_EQ(controls[index]->intAttribute(attribute, &v), expected != -1);
        }
        EXPECT_EQ(v, expected) << index << " " << attribute << " " << value;
    }
    for (int i : {0, 59, 60, -1}) dial.setIndexValue(i, 0xFF0000 + i);  // lights out of range ignored
    EXPECT_EQ(std::tuple(dial.indexValue(0), dial.indexValue(59), dial.indexValue(1), dial.indexValue(60)),
              std::tuple(0xFF0000, 0xFF003B, 0x303030, 0));
    // The layer sees a push button and a check box; values set by code do not signal.
    EXPECT_STREQ(button.metaObject()->className(), "QPushButton");
    int toggles = 0;
    QObject::connect(&sw, &QCheckBox::toggled, [&] { ++toggles; });
    sw.setIntValue(1);
    sw.click();  // the operator's click still toggles and signals
    EXPECT_EQ(std::tuple(sw.intValue(), toggles), std::tuple(0, 1));
    constexpr int kOrange = 0xFF3A10;                        // the digits' colour
    for (int bits : {1, 2, 4, 8, 16, 32, 64, 0x49, 0x7F}) {  // each bit lights exactly its segment
        digit.setIntValue(bits);
        const QImage img = Render(digit, bits == 0x7F ? QSize(300, 200) : QSize(60, 100));
        int lit = 0;
        for (int k = 0; k < 7; ++k)
            lit |= Near(img, digit.segmentPolygon(k).boundingRect().center(), kOrange) << k;
        EXPECT_EQ(lit, bits);
    }
    // A lamp lit shows its colour and a halo; unlit, its off colour and no halo.
    lamp.setIntAttribute(ATTR_OFF_COLOR, 0x303030);
    for (int on : {1, 0}) {
        lamp.setIntValue(on);
        const QImage img = Render(lamp, QSize(80, 80));
        const QPointF c = lamp.bodyCentre(), halo = c + QPointF(lamp.bodyRadius() * 1.12, 0);
        EXPECT_TRUE(Near(img, c, on ? 0xFF : 0x303030) && (img.pixelColor(halo.toPoint()).blue() > 60) == on);
    }
    // The dial: a countdown arc lit in its colours, unlit lights dim but drawn, the hands.
    for (int i = 0; i < 20; ++i) dial.setIndexValue(i, i < 10 ? 0xFF0000 : 0x00FF00);
    dial.setIntAttribute(ATTR_ON_COLOR, 0x00FFFF);
    dial.setIntAttribute(ATTR_HOUR_HAND, 30);
    dial.setIntAttribute(ATTR_MINUTE_HAND, 75);  // 15: right, the longer hand
    const QImage img = Render(dial, QSize(400, 400));
    const int unlit = img.pixelColor(dial.lightCentre(40).toPoint()).red();
    EXPECT_TRUE(Near(img, dial.lightCentre(0), 0xFF0000));
    EXPECT_TRUE(Near(img, dial.lightCentre(19), 0x00FF00));
    EXPECT_TRUE(unlit > 0x10 && unlit < 0x50) << unlit;
    EXPECT_TRUE(Near(img, dial.pointOnHand(15, 0.6), 0x00FFFF));       // the minute hand, long
    EXPECT_TRUE(Near(img, dial.pointOnHand(30, 0.3), 0x00FFFF));       // the hour hand, short
    EXPECT_FALSE(Near(img, dial.pointOnHand(30, 0.6), 0x00FFFF, 80));  // not beyond its length
    EXPECT_FALSE(Near(img, dial.pointOnHand(45, 0.4), 0x00FFFF, 80));  // no hand where none points
}

// The lamps, the dial and the digits repainted after each change show what newly made ones
// draw: the drawings they keep as pixels follow every look, and a light's change draws its whole
// glow again.
TEST(ClockControls, RepaintedAsDrawnAnew) {
    qstest::EnsureRuntime();
    struct Window {
        QWidget top;
        QsLamp lamp{&top};
        QsDial dial{&top};
        QsSevenSeg digit{&top};
        Window() {
            top.resize(660, 420);
            lamp.setGeometry(10, 10, 80, 80);
            dial.setGeometry(100, 10, 220, 220);
            digit.setGeometry(10, 250, 62, 96);
        }
    };
    using Step = std::function<void(Window&)>;
    const Step steps[] = {[](Window& w) { w.lamp.setIntValue(1); },
                          [](Window& w) { w.lamp.setIntAttribute(ATTR_ON_COLOR, 0x0000FF); },
                          [](Window& w) { w.lamp.setIntValue(0); },
                          [](Window& w) { w.lamp.setIntAttribute(ATTR_OFF_COLOR, 0x800000); },
                          [](Window& w) { w.dial.setIndexValue(7, 0xFF0000); },
                          [](Window& w) { w.dial.setIndexValue(8, 0x00FF00); },
                          [](Window& w) { w.dial.setIndexValue(7, 0x303030); },
                          [](Window& w) { w.dial.setIntAttribute(ATTR_MINUTE_HAND, 8); },
                          [](Window& w) { w.digit.setIntValue(0x06); },
                          [](Window& w) { w.digit.setIntAttribute(ATTR_ON_COLOR, 0x00FF00); },
                          [](Window& w) { w.digit.setIntAttribute(ATTR_OFF_COLOR, 0x000040); },
                          [](Window& w) { w.top.setEnabled(false); },
                          [](Window& w) { w.top.setEnabled(true); },
                          [](Window& w) { w.lamp.resize(50, 50); }};
    Window shown;
    shown.top.show();
    QCoreApplication::processEvents();
    for (size_t k = 0; k < std::size(steps); ++k) {
        steps[k](shown);
        QCoreApplication::processEvents();
        Window fresh;
        for (size_t i = 0; i <= k; ++i) steps[i](fresh);
        const QImage screen = shown.top.screen()->grabWindow(shown.top.winId()).toImage();
        EXPECT_TRUE(screen == fresh.top.grab().toImage().convertToFormat(screen.format())) << "step " << k;
    }
}

// In edit mode a light or a picture follows the operator's drag: from its body it moves, from its
// lower-right corner it is sized (a light stays square; neither gets under 8 pixels).
TEST(ClockControls, DraggedInEditModeOnly) {
    qstest::EnsureRuntime();
    QWidget top;
    QsLamp lamp(&top);
    QsPicture picture(&top);
    struct Row {
        qs::CustomControl* control;
        int edit;
        QPoint from, by;
        QRect after;
    } const rows[] = {{&lamp, 0, {40, 40}, {30, 10}, {50, 50, 80, 80}},
                      {&lamp, 1, {40, 40}, {30, 10}, {80, 60, 80, 80}},
                      {&lamp, 1, {75, 75}, {30, 10}, {50, 50, 110, 110}},
                      {&lamp, 1, {75, 75}, {-100, -90}, {50, 50, 8, 8}},
                      {&picture, 0, {75, 75}, {30, 10}, {50, 50, 80, 80}},
                      {&picture, 1, {40, 40}, {30, 10}, {80, 60, 80, 80}},
                      {&picture, 1, {75, 75}, {30, 10}, {50, 50, 110, 90}},
                      {&picture, 1, {75, 75}, {-100, -90}, {50, 50, 8, 8}}};
    for (const Row& r : rows) {
        QWidget* w = dynamic_cast<QWidget*>(r.control);
        w->setGeometry(50, 50, 80, 80);
        r.control->setIntAttribute(ATTR_MOUSE_EDIT, r.edit);
        for (auto [type, at] : {std::pair{QEvent::MouseButtonPress, r.from},
                                {QEvent::MouseMove, r.from + r.by},
                                {QEvent::MouseButtonRelease, r.from + r.by}}) {
            QMouseEvent e(type, at, at, Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(w, &e);
        }
        EXPECT_EQ(w->geometry(), r.after) << w->metaObject()->className() << " edit " << r.edit;
    }
}

// The pictograms as the operator sees them at their design size: a stroke moved or lost shows
// here. A deliberate redraw updates its row.
TEST(Glyphs, EachDrawsItsOwnPicture) {
    const std::pair<const char*, unsigned> rows[] = {
        {"link", 0x9366E4F2},    {"screen", 0x1023C237},  {"keys", 0xFD7710DD},      {"number", 0xAC7B5E55},
        {"gear", 0xBB0427C2},    {"doc", 0x10927160},     {"info", 0x811F4D47},      {"power", 0xBFF6E744},
        {"refresh", 0x91667E12}, {"save", 0x730887FB},    {"load", 0x5D29B193},      {"download", 0xE51F18C7},
        {"print", 0x2438AC8F},   {"clear", 0x44D02326},   {"check", 0x199CEBF2},     {"cross", 0xF9898ED1},
        {"warn", 0x297843CF},    {"play", 0xFC16B9EE},    {"startstop", 0x68D7E7FA}, {"stop", 0x5CE1CA11},
        {"reset", 0xB7FB2C93},   {"flag", 0x3774D624},    {"clock", 0x1F9D52BD},     {"split", 0xA43400AE},
        {"list", 0xC7F5A2FD},    {"sliders", 0x88E26951}, {"plug", 0x7131D273},      {"pulse", 0xB274731D},
        {"bulb", 0xE783211B}};
    for (auto [name, want] : rows) {
        QImage img(24, 24, QImage::Format_Alpha8);
        img.fill(0);
        QPainter p(&img);
        EXPECT_TRUE(qs::controls::PaintGlyph(p, name, QRectF(0, 0, 24, 24), Qt::black));
        p.end();
        unsigned hash = 2166136261u;  // FNV-1a over the coverage of every pixel
        for (int i = 0; i < 24 * 24; ++i) hash = (hash ^ img.constBits()[i]) * 16777619u;  // rows unpadded
        EXPECT_EQ(hash, want) << name;
    }
}
