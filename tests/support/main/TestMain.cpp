// The tests' main: headless, in the built program folder, the run-time layer closed before statics die.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/cvi.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("QS_PROGRAM_DIR", QS_TEST_PROGRAM_DIR, 0);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    CloseCVIRTE();
    return result;
}
