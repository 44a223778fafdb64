// Second display tests: a private program folder, the display loaded from its resource,
// the parameters dialog, and small image files made on the spot.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "display/FsdPanneaux.h"
#include "display/Q31Fsd.h"
#include "display/Q31FsdParamDlg.h"
#include "panels/FQ31.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "tests/support/TestSupport.h"
#include "ui/MainPanel.h"
#include "ui/Texts.h"

namespace fsdtest {

// A 24-bit BMP image of the given size (any viewer and the display read it).
inline std::string Bmp(int width, int height) {
    const int row = (width * 3 + 3) & ~3, size = 54 + row * height;
    std::string b(size_t(size), '\0');
    auto put32 = [&](int at, int v) {
        for (int i = 0; i < 4; ++i) b[size_t(at + i)] = char((v >> (8 * i)) & 0xFF);
    };
    b[0] = 'B', b[1] = 'M', b[26] = 1, b[28] = 24;
    for (auto [at, v] :
         {std::pair{2, size}, {10, 54}, {14, 40}, {18, width}, {22, height}, {34, row * height}})
        put32(at, v);
    for (int i = 54; i < size; ++i) b[size_t(i)] = char(0x40 + i % 97);
    return b;
}

inline FsdParam& Rec() {
    return Q31G.secondDisplay;
}

class DisplayTest : public ::testing::Test {
public:
    void SetUp() override {
        qstest::EnsureRuntime();
        dir = std::make_unique<qstest::TempProgramDir>();
        std::memset(&SbComG, 0, sizeof SbComG);
        std::memset(&Q31G, 0, sizeof Q31G);
        Q31Defaut(&Q31G);
        Q31G.language = 0;
        Q31ChargerTextes();
        Q31FsdEnregistrerCallbacks();
        Q31FIhmG = LoadPanel(0, "FQ31.uir", fq31::MAIN);
        Q31FsdCharger();
        ASSERT_GT(FsdPanneauxG.display, 0);
        ASSERT_GT(FsdPanneauxG.countdown, 0);
        ASSERT_GT(FsdPanneauxG.dial, 0);
    }
    void TearDown() override {
        SetFileSelectHook(nullptr);
        SetMessageHook(nullptr);
        if (dlg > 0) DiscardPanel(dlg);
        Q31FsdQuitter();
        DiscardPanel(Q31FIhmG);
        Q31FIhmG = 0;
        ProcessSystemEvents();
        dir.reset();
    }
    // A control's attribute; attribute 0: its value; control 0: the panel's attribute.
    static int Attr(int panel, int ctrl, int attr) {
        int v = -1;
        EXPECT_EQ(ctrl == 0   ? GetPanelAttribute(panel, attr, &v)
                  : attr == 0 ? GetCtrlVal(panel, ctrl, &v)
                              : GetCtrlAttribute(panel, ctrl, attr, &v),
                  0);
        return v;
    }
    int OpenDialog() {  // the parameters dialog, filled from the record
        dlg = LoadPanel(0, "FQ31.uir", fq31::PARAMS);
        EXPECT_GT(dlg, 0);
        Q31FsdParamTraduire(dlg);
        Q31FsdParamSet(dlg, false);
        return dlg;
    }
    void WriteImage(const std::string& relative, int width, int height) {
        MakeDir("Data");
        qstest::WriteFileBytes(dir->file(relative), Bmp(width, height));
    }

    std::unique_ptr<qstest::TempProgramDir> dir;
    int dlg = 0;
};

}  // namespace fsdtest
