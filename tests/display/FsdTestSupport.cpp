// Second display tests: shared set-up.
#include "tests/display/FsdTestSupport.h"

#include <cstring>

#include "display/FsdPanneaux.h"
#include "display/Q31Fsd.h"
#include "display/Q31FsdParamDlg.h"
#include "panels/FQ31.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "ui/MainPanel.h"
#include "ui/Texts.h"

namespace fsdtest {

std::string Bmp(int width, int height) {
    const int row = (width * 3 + 3) & ~3;
    const int size = 54 + row * height;
    std::string b(size, '\0');
    auto put32 = [&](int at, int v) {
        for (int i = 0; i < 4; ++i) b[at + i] = char((v >> (8 * i)) & 0xFF);
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, size);
    put32(10, 54);
    put32(14, 40);
    put32(18, width);
    put32(22, height);
    b[26] = 1;
    b[28] = 24;
    put32(34, row * height);
    for (int i = 54; i < size; ++i) b[i] = char(0x40 + i % 97);
    return b;
}

void DisplayTest::SetUp() {
    qstest::EnsureRuntime();
    dir = std::make_unique<qstest::TempProgramDir>();
    memset(&SbComG, 0, sizeof SbComG);
    memset(&Q31G, 0, sizeof Q31G);
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

void DisplayTest::TearDown() {
    SetFileSelectHook(nullptr);
    SetMessageHook(nullptr);
    if (dlg > 0) DiscardPanel(dlg);
    Q31FsdQuitter();
    DiscardPanel(Q31FIhmG);
    Q31FIhmG = 0;
    ProcessSystemEvents();
    dir.reset();
}

int DisplayTest::Attr(int panel, int ctrl, int attr) {
    int v = -1;
    EXPECT_EQ(GetCtrlAttribute(panel, ctrl, attr, &v), 0);
    return v;
}

int DisplayTest::PanelAttr(int panel, int attr) {
    int v = -1;
    EXPECT_EQ(GetPanelAttribute(panel, attr, &v), 0);
    return v;
}

int DisplayTest::Val(int panel, int ctrl) {
    int v = -1;
    EXPECT_EQ(GetCtrlVal(panel, ctrl, &v), 0);
    return v;
}

int DisplayTest::OpenDialog() {
    dlg = LoadPanel(0, "FQ31.uir", fq31::PARAMS);
    EXPECT_GT(dlg, 0);
    Q31FsdParamTraduire(dlg);
    Q31FsdParamSet(dlg, false);
    return dlg;
}

}  // namespace fsdtest
