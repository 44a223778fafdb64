// Registers the clock's painted control classes with the panel loader.
#include <QWidget>

#include "platform/CustomControl.h"
#include "platform/controls/QsDial.h"
#include "platform/controls/QsGlyphButton.h"
#include "platform/controls/QsLamp.h"
#include "platform/controls/QsMinus.h"
#include "platform/controls/QsSevenSeg.h"
#include "platform/controls/QsSwitch.h"

namespace {

// Widgets are owned by their parent panel, as every widget the loader creates.
template <typename T>
QWidget* Make(QWidget* parent) {
    return new T(parent);
}

}  // namespace

void QsRegisterClockControls() {
    qs::RegisterControlClass("QsLamp", &Make<QsLamp>);
    qs::RegisterControlClass("QsSevenSeg", &Make<QsSevenSeg>);
    qs::RegisterControlClass("QsMinus", &Make<QsMinus>);
    qs::RegisterControlClass("QsDial", &Make<QsDial>);
    qs::RegisterControlClass("QsGlyphButton", &Make<QsGlyphButton>);
    qs::RegisterControlClass("QsSwitch", &Make<QsSwitch>);
}
