// The clock face: a dark dial with the ring of 60 second lights, tick marks every five
// positions, and hour and minute hands. Light 0 and hand position 0 are at the top; both
// run clockwise. Lights take 0xRRGGBB colours; 0x303030 is an unlit light.
#pragma once

#include <QWidget>
#include <array>

#include "platform/CustomControl.h"
#include "platform/controls/PaintCache.h"
#include "platform/cvi.h"

class QsDial : public QWidget, public qs::CustomControl {
    Q_OBJECT
    // Initial hand positions as set in a panel resource.
    Q_PROPERTY(int hourHand READ hourHand WRITE setHourHand)
    Q_PROPERTY(int minuteHand READ minuteHand WRITE setMinuteHand)
public:
    static constexpr int kLights = 60;

    explicit QsDial(QWidget* parent = nullptr);

    void setIndexValue(int index, int value) override;
    int indexValue(int index) const override;
    bool setIntAttribute(int attribute, int value) override;
    bool intAttribute(int attribute, int* value) const override;

    // Geometry in widget coordinates, for the lights' and hands' placement.
    QPointF centre() const;
    qreal faceRadius() const;
    QPointF lightCentre(int index) const;
    qreal lightRadius() const;
    // The area a light and its glow cover: what a change of its colour draws again.
    QRect lightBounds(int index) const;
    // Point at the given fraction of the face radius along a hand at position 0..59.
    QPointF pointOnHand(int position, qreal fraction) const;

    int hourHand() const { return hourHand_; }
    void setHourHand(int position) { setIntAttribute(ATTR_HOUR_HAND, position); }
    int minuteHand() const { return minuteHand_; }
    void setMinuteHand(int position) { setIntAttribute(ATTR_MINUTE_HAND, position); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintFace(class QPainter& p) const;
    void paintLights(class QPainter& p, const QRect& dirty) const;
    void paintHands(class QPainter& p) const;

    std::array<int, kLights> lights_{};
    int hourHand_ = 0;
    int minuteHand_ = 0;
    int handRgb_ = 0xF0F0F0;
    // The bezel, the face and the ticks, which change only with the size.
    qs::controls::PaintCache<1> face_;
};
