// Test runner of the device link suite (headless).
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/cvi.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    CloseCVIRTE();  // ports and the application object go before static destruction
    return result;
}
