// The windows as an operator meets them, on a real X server with a window manager
// (tests/desktop/with-xserver.sh): the whole program runs with the shared operator script.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>

#include "platform/Runtime.h"
#include "records/SbComRecord.h"
#include "tests/runner/Operator.h"
#include "tests/support/TestSupport.h"

namespace desktop {

using namespace e2e;

// The whole program in the given language (255: the first start's question) with the script.
inline size_t RunProgram(int language, Steps steps) {
    ForgetEverything();
    WriteApplicationRecord(language);
    return e2e::RunProgram(std::move(steps), 3000);
}

inline bool MainShown() {
    return Q31FIhmG > 0 && qs::rt::PanelWidget(Q31FIhmG)->isVisible();
}

}  // namespace desktop
