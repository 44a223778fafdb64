// Test runner of the shared user-interface services suite (headless).
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/cvi.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("QS_PROGRAM_DIR", QS_UI_PROGRAM_DIR, 0);  // the built program folder the tests copy
    ::testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    CloseCVIRTE();  // panels and the application object go before static destruction
    return result;
}
