// Glyph button and sliding switch: they stay a push button and a check box for the layer,
// keep their glyph when the caption is hidden, and show their state.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>

#include "platform/controls/QsGlyphButton.h"
#include "platform/controls/QsSwitch.h"
#include "platform/cvi.h"
#include "tests/controls/Render.h"

using ctltest::At;
using ctltest::Near;
using ctltest::Render;

namespace {

// Counts pixels close to the caption colour inside and outside a rectangle.
std::pair<int, int> CaptionPixels(const QImage& img, const QRectF& inside, int rgb) {
    int in = 0, out = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (Near(img.pixelColor(x, y), rgb, 40)) (inside.contains(QPointF(x, y)) ? in : out)++;
    return {in, out};
}

}  // namespace

TEST(GlyphButton, IsAPushButtonToTheLayer) {
    qstest::EnsureRuntime();
    QsGlyphButton b;
    EXPECT_NE(qobject_cast<QPushButton*>(&b), nullptr);
    EXPECT_STREQ(b.metaObject()->className(), "QPushButton");
    EXPECT_NE(dynamic_cast<qs::CustomControl*>(static_cast<QWidget*>(&b)), nullptr);
}

TEST(GlyphButton, HiddenCaptionLeavesTheGlyph) {
    qstest::EnsureRuntime();
    QsGlyphButton b;
    b.setProperty("glyph", "power");
    b.setText("Quit");
    b.setIntAttribute(ATTR_LABEL_COLOR, 0xFFFFFF);
    QImage shown = Render(b, QSize(120, 36));
    auto [glyphIn, captionOut] = CaptionPixels(shown, b.glyphRect().adjusted(-1, -1, 1, 1), 0xFFFFFF);
    EXPECT_GT(glyphIn, 10);
    EXPECT_GT(captionOut, 10);  // the caption's letters

    ASSERT_TRUE(b.setIntAttribute(ATTR_LABEL_VISIBLE, 0));
    int v = 1;
    ASSERT_TRUE(b.intAttribute(ATTR_LABEL_VISIBLE, &v));
    EXPECT_EQ(v, 0);
    QImage hidden = Render(b, QSize(120, 36));
    auto [glyphOnly, nothingElse] = CaptionPixels(hidden, b.glyphRect().adjusted(-1, -1, 1, 1), 0xFFFFFF);
    EXPECT_GT(glyphOnly, 10);
    EXPECT_EQ(nothingElse, 0);
    EXPECT_EQ(b.text(), "Quit");  // the caption is kept for when it shows again
}

TEST(GlyphButton, FaceAndCaptionColoursFollowTheAttributes) {
    qstest::EnsureRuntime();
    QsGlyphButton b;
    b.setText("1  Run");
    QImage normal = Render(b, QSize(120, 36));
    EXPECT_TRUE(Near(At(normal, QPointF(3, 18)), 0x554646, 8));
    // A page's button is drawn inverted while its page is open.
    b.setIntAttribute(ATTR_CMD_BUTTON_COLOR, 0xFFFFFF);
    b.setIntAttribute(ATTR_LABEL_COLOR, 0x554646);
    QImage inverted = Render(b, QSize(120, 36));
    EXPECT_TRUE(Near(At(inverted, QPointF(3, 18)), 0xFFFFFF, 8));
    auto [in, out] = CaptionPixels(inverted, QRectF(), 0x554646);
    EXPECT_GT(in + out, 10);

    // A resource may give the face its own colour.
    QsGlyphButton green;
    green.setProperty("faceColor", 0x2E7D4F);
    int v = 0;
    ASSERT_TRUE(green.intAttribute(ATTR_CMD_BUTTON_COLOR, &v));
    EXPECT_EQ(v, 0x2E7D4F);
    EXPECT_TRUE(Near(At(Render(green, QSize(100, 36)), QPointF(3, 18)), 0x2E7D4F, 8));
}

TEST(Switch, IsACheckBoxAndSetsItsValueSilently) {
    qstest::EnsureRuntime();
    QsSwitch s;
    EXPECT_NE(qobject_cast<QCheckBox*>(&s), nullptr);
    EXPECT_STREQ(s.metaObject()->className(), "QCheckBox");
    int toggles = 0;
    QObject::connect(&s, &QCheckBox::toggled, [&] { ++toggles; });
    s.setIntValue(1);
    EXPECT_TRUE(s.isChecked());
    EXPECT_EQ(s.intValue(), 1);
    s.setIntValue(0);
    EXPECT_EQ(s.intValue(), 0);
    EXPECT_EQ(toggles, 0);
    s.click();  // the operator's click still toggles and signals
    EXPECT_EQ(s.intValue(), 1);
    EXPECT_EQ(toggles, 1);
}

TEST(Switch, KnobAndTrackShowTheState) {
    qstest::EnsureRuntime();
    QsSwitch s;
    s.setIntAttribute(ATTR_ON_COLOR, 0x00C000);
    s.setIntValue(0);
    QImage off = Render(s, QSize(160, 28));
    const QRectF t = s.trackRect();
    EXPECT_LT(s.knobRect().center().x(), t.center().x());
    EXPECT_FALSE(Near(At(off, QPointF(t.right() - t.height() / 2, t.center().y())), 0x00C000, 40));
    s.setIntValue(1);
    QImage on = Render(s, QSize(160, 28));
    EXPECT_GT(s.knobRect().center().x(), t.center().x());
    EXPECT_TRUE(Near(At(on, QPointF(t.left() + t.height() / 2, t.center().y())), 0x00C000, 8));
}
