// Test runner of the simulated clock suite (headless).
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/cvi.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    CloseCVIRTE();  // whatever the layer started goes before static destruction
    return result;
}
