// Second display tests: a private program folder, the display loaded from its resource,
// the parameters dialog, and small image files made on the spot.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/support/TestSupport.h"

namespace fsdtest {

// A 24-bit BMP image of the given size (any viewer and the display read it).
std::string Bmp(int width, int height);

class DisplayTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    int Attr(int panel, int ctrl, int attr);
    int PanelAttr(int panel, int attr);
    int Val(int panel, int ctrl);
    int OpenDialog();  // the parameters dialog, filled from the record

    std::unique_ptr<qstest::TempProgramDir> dir;
    int dlg = 0;
};

}  // namespace fsdtest
