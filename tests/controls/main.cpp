// Test runner of the clock controls suite (headless); shuts the layer down before exit.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/cvi.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // The built program folder (panels), whatever environment the runner gives.
    setenv("QS_PROGRAM_DIR", QS_CONTROLS_PROGRAM_DIR, 0);
    ::testing::InitGoogleTest(&argc, argv);
    const int rc = RUN_ALL_TESTS();
    CloseCVIRTE();  // the panels and the application object go before static destruction
    return rc;
}
