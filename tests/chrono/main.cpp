// Test runner of the times store suite (headless).
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/cvi.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // The popups' panels and texts are copied from the built program folder.
    setenv("QS_PROGRAM_DIR", QS_CHRONO_PROGRAM_DIR, 0);
    ::testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    CloseCVIRTE();  // the table's panels and the application object go before static destruction
    return result;
}
