// Tests of the windows as an operator meets them, on a real X server with a window manager
// (tests/desktop/with-xserver.sh): the whole program runs, driven by a script of steps, and the
// steps look at its windows.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/Q31Ihm.h"
#include "app/Q31Main.h"
#include "platform/Runtime.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "tests/runner/Scripted.h"
#include "tests/support/TestSupport.h"

namespace desktop {

using Step = std::function<bool()>;

// Runs the whole program in the given language with the script; returns the steps done.
inline size_t RunProgram(int language, std::vector<Step> steps) {
    memset(&Q31G, 0, sizeof Q31G);
    memset(&SbComG, 0, sizeof SbComG);
    Q31Config c{};
    Q31Defaut(&c);
    c.language = uint8_t(language);
    FileWriteAtomic("QS-310_V1-1.q31cnf", &c, sizeof c);
    qstest::Scripted script(std::move(steps), 3000);
    static char arg0[] = "QS310Manager";
    static char* argv[] = {arg0, nullptr};
    Q31Main(1, argv);
    EXPECT_LT(script.Passes(), 3000) << "the script got stuck";
    return script.Done();
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

inline Step Do(std::function<void()> act) {
    return [act] {
        act();
        return true;
    };
}

}  // namespace desktop
