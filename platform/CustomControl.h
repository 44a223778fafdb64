// Contract between the run-time layer and the custom control classes (lamp,
// 7-segment digit, dial, movable picture, hyperlink label). The layer routes
// SetCtrlVal/SetCtrlIndexVal/SetCtrlAttribute to these when a widget implements it;
// anything a control does not handle falls back to the generic widget handling.
#pragma once

#include <QColor>
#include <QString>

class QPainter;
class QRectF;
class QWidget;

namespace qs {

class CustomControl {
public:
    virtual ~CustomControl() = default;
    virtual void setIntValue(int value) { (void)value; }
    virtual int intValue() const { return 0; }
    virtual void setIndexValue(int index, int value) {
        (void)index;
        (void)value;
    }
    virtual int indexValue(int index) const {
        (void)index;
        return 0;
    }
    // Returns true when the attribute was handled by the control.
    virtual bool setIntAttribute(int attribute, int value) {
        (void)attribute;
        (void)value;
        return false;
    }
    virtual bool intAttribute(int attribute, int* value) const {
        (void)attribute;
        (void)value;
        return false;
    }

    // Whether a control that draws its own caption shows it (false also when it has none).
    bool captionVisible() const { return hasCaption_ && captionVisible_; }

protected:
    CustomControl() = default;
    // A control that draws its own caption (glyph button, switch) passes the caption's
    // colour: its ATTR_LABEL_COLOR and ATTR_LABEL_VISIBLE are then the caption's, and it
    // hides the caption without losing its text (the glyph stays, and the caption comes
    // back under the mouse). The text is the widget's own, which the layer sets from
    // ATTR_LABEL_TEXT; where the caption goes is each control's own layout.
    explicit CustomControl(int captionRgb) : hasCaption_(true), captionRgb_(captionRgb) {}

    // The caption's share of setIntAttribute/intAttribute: true when the attribute is the
    // caption's (the caller repaints after a set).
    bool setCaptionAttribute(int attribute, int value);
    bool captionAttribute(int attribute, int* value) const;
    // The caption is drawn when it is visible and has a text.
    bool captionShown(const QString& text) const { return captionVisible() && !text.isEmpty(); }
    QColor captionColour() const;
    // Draws the caption in box with the painter's font; "&x" underlines the shortcut x.
    void paintCaption(QPainter& p, const QRectF& box, int alignment, const QString& text,
                      const QColor& colour) const;

private:
    bool hasCaption_ = false;
    int captionRgb_ = 0;
    bool captionVisible_ = true;
};

using ControlFactory = QWidget* (*)(QWidget* parent);
// Called once at start-up (InitCVIRTE registers the built-in classes); the panel
// loader creates widgets of these class names through the factory.
void RegisterControlClass(const char* className, ControlFactory factory);
ControlFactory FindControlClass(const char* className);

// How much the layer has enlarged the window holding a control (1 at the panel resource's
// size): lengths a control draws in fixed pixels are multiplied by it.
double ControlScale(const QWidget* control);

// Registers every built-in class (hyperlink label, movable picture and the clock's
// painted controls); InitCVIRTE calls it once.
void RegisterBuiltinControls();

}  // namespace qs

// Registers the clock's own control classes (QsLamp, QsSevenSeg, QsMinus, QsDial,
// QsGlyphButton, QsSwitch); InitCVIRTE calls it before any panel is loaded.
void QsRegisterClockControls();
