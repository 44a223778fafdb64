// Settings files of the parameter and GSM pages: whole blocks, short files, missing files.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "SettingsFake.h"
#include "link/SbComConfig.h"
#include "records/SbComRecord.h"
#include "settings/Q31FSetPages.h"
#include "tests/support/TestSupport.h"

using qstest::FileSize;
using qstest::ReadFileBytes;
using qstest::WriteFileBytes;

class SettingsFiles : public setfake::SettingsTest {
protected:
    qstest::TempProgramDir dir_{false};
};

TEST_F(SettingsFiles, SavedFilesAreWholeBlocksAndLoadBack) {
    SbComG.params.field1 = 6;
    SbComG.params.inputs[3].choice3 = 2;
    std::strcpy(SbComG.gsm.second[1].text[2], "Finish");
    const std::string set = dir_.file("a.q31set");
    const std::string gsm = dir_.file("a.q31gsm");
    Q31FSetSauverFichier(4, set.c_str());
    Q31FSetSauverFichier(7, gsm.c_str());
    EXPECT_EQ(FileSize(set), 160);
    EXPECT_EQ(FileSize(gsm), 560);

    const SbComParams savedParams = SbComG.params;
    const SbComGsm savedGsm = SbComG.gsm;
    SbComValDefaut(&SbComG);
    Q31FSetChargerFichier(4, set.c_str());
    Q31FSetChargerFichier(7, gsm.c_str());
    EXPECT_EQ(std::memcmp(&SbComG.params, &savedParams, sizeof savedParams), 0);
    EXPECT_EQ(std::memcmp(&SbComG.gsm, &savedGsm, sizeof savedGsm), 0);
    EXPECT_TRUE(setfake::Envoyes().empty());  // loading sends nothing
}

TEST_F(SettingsFiles, ShortFileReplacesOnlyTheStartOfTheBlock) {
    SbComG.params.speedCode = 4;
    SbComG.params.inputs[1].timeBase = 1000;
    std::string bytes(8, '\0');
    bytes[0] = 5;  // precision
    bytes[4] = 9;  // field 1
    const std::string path = dir_.file("short.q31set");
    WriteFileBytes(path, bytes);
    Q31FSetChargerFichier(4, path.c_str());
    EXPECT_EQ(SbComG.params.precision, 5);
    EXPECT_EQ(SbComG.params.field1, 9);
    EXPECT_EQ(SbComG.params.speedCode, 4);
    EXPECT_EQ(SbComG.params.inputs[1].timeBase, 1000);
}

TEST_F(SettingsFiles, MissingFileGivesTheResetValues) {
    SbComG.params.precision = 0;
    SbComG.params.inputs[0].enabled = 0;
    std::strcpy(SbComG.gsm.common, "x");
    Q31FSetChargerFichier(4, dir_.file("none.q31set").c_str());
    Q31FSetChargerFichier(7, dir_.file("none.q31gsm").c_str());
    SbComParams params;
    SbComValDefParam(&params);
    SbComGsm gsm;
    SbComValDefGsm(&gsm);
    EXPECT_EQ(std::memcmp(&SbComG.params, &params, sizeof params), 0);
    EXPECT_EQ(std::memcmp(&SbComG.gsm, &gsm, sizeof gsm), 0);
}

TEST_F(SettingsFiles, UnwritableFileLeavesNoFileAndNoHarm) {
    const std::string path = dir_.file("no/such/folder/a.q31set");
    Q31FSetSauverFichier(4, path.c_str());
    EXPECT_EQ(FileSize(path), -1);
}
