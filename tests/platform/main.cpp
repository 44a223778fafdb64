// Test runner of the run-time layer suite (headless).
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/cvi.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    CloseCVIRTE();  // panels, ports and the application object go before static destruction
    return result;
}
