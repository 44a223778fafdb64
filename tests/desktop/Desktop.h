// Tests of the windows as an operator meets them, on a real X server with a window manager
// (tests/desktop/with-xserver.sh): the whole program runs with the shared operator script, and
// the steps look at its windows.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>

#include "app/Q31Ihm.h"
#include "platform/Runtime.h"
#include "platform/cvi.h"
#include "records/SbComRecord.h"
#include "tests/runner/Operator.h"
#include "tests/support/TestSupport.h"

namespace desktop {

using e2e::Do;
using e2e::Step;
using e2e::Steps;

// The whole program in the given language (255: the first start's question) with the script.
inline size_t RunProgram(int language, Steps steps) {
    e2e::ForgetEverything();
    e2e::WriteApplicationRecord(language);
    return e2e::RunProgram(std::move(steps), 3000);
}

inline bool MainShown() {
    return Q31FIhmG > 0 && qs::rt::PanelWidget(Q31FIhmG)->isVisible();
}

// A step that waits until a panel of the resource is loaded and shown, then acts on it.
inline Step When(const char* resource, int panelId, std::function<void(int)> act) {
    return [=] {
        const int panel = FindLoadedPanel(resource, panelId);
        QWidget* w = qs::rt::PanelWidget(panel);
        if (!w || !w->isVisible()) return false;
        QApplication::processEvents();  // its window is mapped and laid out
        act(panel);
        return true;
    };
}

}  // namespace desktop
