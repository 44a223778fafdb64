// Registry of the custom control classes that panel resources name.
#include <QVariant>
#include <QWidget>
#include <map>
#include <string>

#include "platform/CustomControl.h"
#include "platform/controls_basic/QsHyperlink.h"
#include "platform/controls_basic/QsPicture.h"

namespace qs {
namespace {

std::map<std::string, ControlFactory>& Classes() {
    static std::map<std::string, ControlFactory> classes;
    return classes;
}

}  // namespace

void RegisterControlClass(const char* className, ControlFactory factory) {
    if (className) Classes()[className] = factory;
}

ControlFactory FindControlClass(const char* className) {
    if (!className) return nullptr;
    auto it = Classes().find(className);
    return it == Classes().end() ? nullptr : it->second;
}

double ControlScale(const QWidget* control) {
    const QVariant s = control ? control->window()->property("qsScale") : QVariant();
    return s.isValid() ? s.toDouble() : 1.0;
}

void RegisterBuiltinControls() {
    RegisterControlClass("QsHyperlink", [](QWidget* parent) -> QWidget* { return new QsHyperlink(parent); });
    RegisterControlClass("QsPicture", [](QWidget* parent) -> QWidget* { return new QsPicture(parent); });
    QsRegisterClockControls();
}

}  // namespace qs
