// Test runner of the settings pages suite (headless).
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/cvi.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // The built program folder (panels, texts), whatever environment the runner gives.
    setenv("QS_PROGRAM_DIR", QS_SETTINGS_PROGRAM_DIR, 0);
    ::testing::InitGoogleTest(&argc, argv);
    int rc = RUN_ALL_TESTS();
    CloseCVIRTE();   // the panels and the application object go before static destruction
    return rc;
}
