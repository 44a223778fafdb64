// Configuration files created on a first start: checked byte by byte at their
// documented offsets (not by comparing the records with themselves).
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "app/Q31ConfigFile.h"
#include "app/Q31Main.h"
#include "link/SbComConfig.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "tests/support/TestSupport.h"

namespace {

int32_t I32(const std::string& b, size_t off) {
    int32_t v;
    memcpy(&v, b.data() + off, 4);
    return v;
}
std::string Str(const std::string& b, size_t off) {
    return std::string(b.c_str() + off);
}

void ResetGlobals() {
    memset(&SbComG, 0, sizeof SbComG);
    memset(&Q31G, 0, sizeof Q31G);
}

}  // namespace

TEST(FirstStart, CreatesFoldersAndLinkRecordWithEveryDefault) {
    qstest::TempProgramDir dir(false);
    ResetGlobals();
    Q31Preparer();
    for (const char* f : {"Chronos", "Settings", "Data"})
        EXPECT_TRUE(std::filesystem::is_directory(dir.file(f))) << f;

    std::string b = qstest::ReadFileBytes(dir.file("QS-310_V1-1.sbcnf"));
    ASSERT_EQ(b.size(), 6216u);
    EXPECT_EQ(b[0], 0);
    EXPECT_EQ(I32(b, 8), 1);  // COM1
    EXPECT_EQ(I32(b, 12), 9600);
    EXPECT_EQ(I32(b, 16), 10);
    for (int i = 0; i < 64; ++i) EXPECT_EQ(I32(b, 40 + 4 * i), i + 1);
    EXPECT_EQ(I32(b, 296), 7000);
    EXPECT_EQ(Str(b, 312), "192.168.0.0");
    EXPECT_EQ(I32(b, 328), 0);
    EXPECT_EQ(Str(b, 332), "QS");
    EXPECT_EQ(Str(b, 340), "V000");
    const int run[9] = {0, 0, 0, 0, 0, 0, 1, 1, 2001};  // a fresh file: next run 0
    for (int i = 0; i < 9; ++i) EXPECT_EQ(I32(b, 348 + 4 * i), run[i]) << i;
    EXPECT_EQ(I32(b, 384), 0);
    EXPECT_EQ(I32(b, 388), 1);
    EXPECT_EQ(I32(b, 392), 10);
    const int sync[8] = {0, 0, 8, 30, 23, 9, 10, 19};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(I32(b, 412 + 4 * i), sync[i]) << i;
    const int params[11] = {2, 2, 3, 3, 3, 0, 1, 1, 1, 0, 1};
    for (int i = 0; i < 11; ++i) EXPECT_EQ(I32(b, 460 + 4 * i), params[i]) << i;
    for (int k = 0; k < 4; ++k) {
        size_t in = 460 + 64 + 24 * k;
        EXPECT_EQ(I32(b, in), 0);
        EXPECT_EQ(I32(b, in + 4), 0);
        EXPECT_EQ(I32(b, in + 8), 1);
        EXPECT_EQ(I32(b, in + 12), 1);
    }
    EXPECT_EQ(I32(b, 620), 0);
    EXPECT_EQ(I32(b, 624), 1);
    EXPECT_EQ(I32(b, 628), 2);
    EXPECT_EQ(I32(b, 632), 0);
    EXPECT_EQ(I32(b, 5548), 0);
    EXPECT_EQ(I32(b, 5552), 1);
    EXPECT_EQ(I32(b, 5556), 10);
    EXPECT_EQ(Str(b, 5560), "192.168.1.1");
    EXPECT_EQ(Str(b, 5584), "0.0.0.0");
    EXPECT_EQ(I32(b, 5656 + 384), 13001);
    EXPECT_EQ(I32(b, 5656 + 520), 13001);
    EXPECT_EQ(Str(b, 5656), "");
}

TEST(FirstStart, StartProgramDefaults) {
    qstest::TempProgramDir dir(false);
    ResetGlobals();
    Q31Preparer();
    std::string b = qstest::ReadFileBytes(dir.file("QS-310_V1-1.sbcnf"));
    ASSERT_EQ(b.size(), 6216u);
    auto prog = [&](int n, int field) { return I32(b, 652 + 96 * n + 4 * field); };
    auto name = [&](int n) { return Str(b, 652 + 96 * n + 64); };
    // Field order: 102, 104, 105, 106, 103, 112, 110, 111, 107, 108, 109, 113.
    const int generic[12] = {60, 60, 0, 0, 30, 0, -5, -10, -10, -5, 0, 0};
    for (int n : {0, 5, 7, 10, 50}) {
        for (int f = 0; f < 12; ++f) EXPECT_EQ(prog(n, f), generic[f]) << n << "/" << f;
        EXPECT_EQ(name(n), "Name N\xB0" + std::to_string(n));
    }
    struct {
        int n;
        const char* name;
        int v[12];
    } own[] = {
        {1, "Alpine Ski", {60, 60, 0, 0, 30, 5, -5, -10, -10, -5, 0, 0}},
        {2, "Alpine Ski OJ", {30, 15, 0, 0, 15, 5, -5, -10, -10, -5, 0, 0}},
        {3, "Cross Country Ski", {60, 60, 0, 0, 30, 3, -3, -3, -10, -5, 0, 0}},
        {4, "Rally 2min", {120, 60, 0, 0, 30, 20, 0, -5, -10, -5, 0, 0}},
        {6, "FITA", {0, 60, 0, 0, 240, 0, 0, -30, -30, -10, 0, 1}},
        {8, "Start on Demand", {0, 0, 0, 0, 5, 1, 0, -5, -5, -5, 0, 0}},
        {9, "Pacer 5 sec.", {5, 15, 0, 0, 4, 1, 0, -4, -5, -5, 0, 0}},
    };
    for (auto& o : own) {
        EXPECT_EQ(name(o.n), o.name);
        for (int f = 0; f < 12; ++f) EXPECT_EQ(prog(o.n, f), o.v[f]) << o.name << "/" << f;
    }
}

TEST(FirstStart, ApplicationRecordWithEveryDefault) {
    qstest::TempProgramDir dir(false);
    ResetGlobals();
    Q31Preparer();
    std::string b = qstest::ReadFileBytes(dir.file("QS-310_V1-1.q31cnf"));
    ASSERT_EQ(b.size(), 2096u);
    EXPECT_EQ(uint8_t(b[0]), 255);
    EXPECT_EQ(b[1], 1);
    EXPECT_EQ(b[2], 1);
    EXPECT_EQ(b[3], 0);
    const size_t sd = 24;
    EXPECT_EQ(Str(b, sd), "QS-310");
    EXPECT_EQ(Str(b, sd + 256), "Sabreline Timing");
    EXPECT_EQ(Str(b, sd + 512), "");
    EXPECT_EQ(I32(b, sd + 768), 0x554646);
    EXPECT_EQ(I32(b, sd + 772), 0x202020);
    EXPECT_EQ(I32(b, sd + 776), 0xFFFFFF);
    EXPECT_EQ(I32(b, sd + 780), 0xFFFFFF);
    EXPECT_EQ(I32(b, sd + 784), 0);
    EXPECT_EQ(I32(b, sd + 788), 0);
    const int lights[4][2] = {{100, 40}, {570, 40}, {100, 800}, {570, 800}};
    for (int k = 0; k < 4; ++k) {
        size_t l = sd + 800 + 24 * k;
        const int want[6] = {1, lights[k][0], lights[k][1], 120, 120, 0};
        for (int i = 0; i < 6; ++i) EXPECT_EQ(I32(b, l + 4 * i), want[i]) << "light " << k << "/" << i;
    }
    const int logos[4][2] = {{6, 6}, {6, 906}, {366, 16}, {366, 906}};
    for (int k = 0; k < 4; ++k) {
        size_t l = sd + 896 + 276 * k;
        const int want[5] = {0, logos[k][0], logos[k][1], 48, 48};
        for (int i = 0; i < 5; ++i) EXPECT_EQ(I32(b, l + 4 * i), want[i]) << "logo " << k << "/" << i;
        EXPECT_EQ(Str(b, l + 20), "");
    }
    const int windows[2][5] = {{1, 504, 354, 160, 240}, {1, 110, 300, 360, 360}};
    for (int w = 0; w < 2; ++w)
        for (int i = 0; i < 5; ++i) EXPECT_EQ(I32(b, sd + 2000 + 20 * w + 4 * i), windows[w][i]);
    for (size_t off = 2064; off < 2096; off += 4) EXPECT_EQ(I32(b, off), 0) << off;
}

TEST(ConfigFiles, ShortFileFillsOnlyItsBytesAndLongFileIsCut) {
    qstest::TempProgramDir dir(false);
    ResetGlobals();
    // 10 bytes: language 1, sound 0, buttons 1, GSM set 1, then reserved bytes.
    qstest::WriteFileBytes(dir.file("QS-310_V1-1.q31cnf"),
                           std::string("\x01\x00\x01\x01\x00\x00\x00\x00\x07\x00", 10));
    Q31Charger("QS-310_V1-1.q31cnf", &Q31G);
    EXPECT_EQ(Q31G.language, 1);
    EXPECT_EQ(Q31G.soundOn, 0);
    EXPECT_EQ(Q31G.inputButtonsShown, 1);
    EXPECT_EQ(Q31G.gsmSetShown, 1);
    EXPECT_EQ(Q31G.reserved8[0], 7);
    EXPECT_EQ(Q31G.secondDisplay.text1[0], 0);  // no defaults applied
    EXPECT_EQ(Q31G.secondDisplay.windows[0].height, 0);
    EXPECT_EQ(qstest::FileSize(dir.file("QS-310_V1-1.q31cnf")), 10);  // an existing file is not rewritten

    std::string big(9000, '\x05');
    qstest::WriteFileBytes(dir.file("big.sbcnf"), big);
    SbComCharger("big.sbcnf", &SbComG);
    EXPECT_EQ(SbComG.linkState, 5);
    EXPECT_EQ(SbComG.gsm.second[1].number, 0x05050505);  // read up to the record's end
    EXPECT_EQ(SbComG.gsm.common[30], 5);
    EXPECT_EQ(SbComG.gsm.common[31], 0);  // every text field ends terminated
    EXPECT_EQ(SbComG.progs[50].name[31], 0);
}

TEST(ConfigFiles, PerRunSimulationFieldsClearedOthersKeptAcrossRestart) {
    qstest::TempProgramDir dir(false);
    ResetGlobals();
    Q31Preparer();
    Q31G.language = 2;
    Q31G.simu.simuCompetitor = 42;
    Q31G.simu.simuSynchronised = 1;
    Q31G.simu.simuCountInput1 = 7;
    Q31G.simu.simuOffsetHours = -3;
    Q31Sauver(kQ31ConfigFile, &Q31G);
    ResetGlobals();
    Q31Preparer();
    EXPECT_EQ(Q31G.language, 2);
    EXPECT_EQ(Q31G.simu.simuCompetitor, 0);
    EXPECT_EQ(Q31G.simu.simuSynchronised, 0);
    EXPECT_EQ(Q31G.simu.simuCountInput1, 7);
    EXPECT_EQ(Q31G.simu.simuOffsetHours, -3);
}

TEST(ConfigFiles, LinkRecordStartsClosedWhateverTheFileHolds) {
    qstest::TempProgramDir dir(false);
    ResetGlobals();
    SbComValDefaut(&SbComG);
    SbComG.linkState = 1;
    SbComG.simulation = 1;
    SbComG.run.current = 4;
    SbComG.run.next = 5;
    SbComG.synchro.mode = 5;
    SbComG.currentProgram = 9;
    SbComG.port = 3;
    SbComSauver(kSbComConfigFile, &SbComG);
    ResetGlobals();
    Q31Preparer();
    EXPECT_EQ(SbComG.linkState, 0);
    EXPECT_EQ(SbComG.simulation, 0);
    EXPECT_EQ(SbComG.run.current, 0);
    EXPECT_EQ(SbComG.run.next, 1);
    EXPECT_EQ(SbComG.synchro.mode, 0);
    EXPECT_EQ(SbComG.currentProgram, 1);
    EXPECT_EQ(SbComG.port, 3);  // the clock's settings and the port are kept
}

TEST(SecondDisplayDefaults, PartialKeepsImagesAndLogoSizesButHidesAndMovesLogos) {
    FsdParam p;
    Q31FsdParamDefaut(&p, true);
    strcpy(p.background, "Data\\back.jpg");
    strcpy(p.text1, "Race");
    for (int k = 0; k < 4; ++k) {
        p.logos[k] = FsdLogo{1, 300, 300, 80, 200, {}};
        snprintf(p.logos[k].path, sizeof p.logos[k].path, "Data\\logo%d.png", k);
    }
    p.windows[0].height = 200;
    Q31FsdParamDefaut(&p, false);
    EXPECT_STREQ(p.background, "Data\\back.jpg");
    EXPECT_STREQ(p.text1, "QS-310");
    EXPECT_EQ(p.windows[0].height, 160);
    const int pos[4][2] = {{6, 6}, {6, 906}, {366, 16}, {366, 906}};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(p.logos[k].visible, 0);
        EXPECT_EQ(p.logos[k].top, pos[k][0]);
        EXPECT_EQ(p.logos[k].left, pos[k][1]);
        EXPECT_EQ(p.logos[k].height, 80);
        EXPECT_EQ(p.logos[k].width, 200);
        EXPECT_EQ(std::string(p.logos[k].path), "Data\\logo" + std::to_string(k) + ".png");
    }
    Q31FsdParamDefaut(&p, true);
    EXPECT_STREQ(p.background, "");
    EXPECT_EQ(p.logos[0].height, 48);
    EXPECT_STREQ(p.logos[0].path, "");
}
