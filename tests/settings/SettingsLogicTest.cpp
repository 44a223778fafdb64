// Rules of the settings pages that need no window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "records/SbComRecord.h"
#include "settings/Q31FSetLogique.h"

TEST(SettingsLogic, ProgramNumberSkipsFiveAndSeven) {
    EXPECT_EQ(Q31FSetProgCorriger(5, 4), 6);  // stepping up from 4
    EXPECT_EQ(Q31FSetProgCorriger(5, 9), 4);  // typed after 9
    EXPECT_EQ(Q31FSetProgCorriger(5, 6), 4);  // stepping down from 6
    EXPECT_EQ(Q31FSetProgCorriger(7, 6), 8);  // stepping up from 6
    EXPECT_EQ(Q31FSetProgCorriger(7, 8), 6);  // stepping down from 8
    EXPECT_EQ(Q31FSetProgCorriger(7, 0), 8);
    for (int v : {1, 4, 6, 8, 10, 50}) EXPECT_EQ(Q31FSetProgCorriger(v, 30), v);
}

TEST(SettingsLogic, TimeBaseShownOffWhileInputDisabledAndEnabledFollowsIt) {
    SbComInput in{};
    in.timeBase = 100;
    in.enabled = 0;
    EXPECT_EQ(Q31FSetBaseAffichee(in), 0);
    in.enabled = 1;
    EXPECT_EQ(Q31FSetBaseAffichee(in), 100);

    Q31FSetBaseEntree(&in, 0);
    EXPECT_EQ(in.timeBase, 0);
    EXPECT_EQ(in.enabled, 0);
    Q31FSetBaseEntree(&in, 1);
    EXPECT_EQ(in.timeBase, 1);
    EXPECT_EQ(in.enabled, 1);
    in = SbComInput{5, 0, 0, 0, {}};  // off on the clock with a time base: left off, it keeps it
    Q31FSetBaseEntree(&in, 0);
    EXPECT_EQ(in.timeBase, 5);
    EXPECT_EQ(in.enabled, 0);
}

TEST(SettingsLogic, EthernetAddressSplitAndRebuiltWithThreeDigitsPerByte) {
    struct Case {
        const char* text;
        int count;
        int bytes[4];
    };
    for (Case c :
         {Case{"192.168.1.1", 4, {192, 168, 1, 1}}, Case{"010.000.000.005", 4, {10, 0, 0, 5}},
          Case{"10.20", 2, {10, 20, 0, 0}}, Case{"", 0, {0, 0, 0, 0}}, Case{nullptr, 0, {0, 0, 0, 0}}}) {
        int b[4] = {7, 7, 7, 7};
        EXPECT_EQ(Q31FSetEthernetDecouper(c.text, b), c.count) << (c.text ? c.text : "null");
        EXPECT_TRUE(std::equal(b, b + 4, c.bytes)) << (c.text ? c.text : "null");
    }
    char out[24];
    const int wild[4] = {300, -4, 255, 0};
    Q31FSetEthernetFormer(wild, out, sizeof out);
    EXPECT_STREQ(out, "255.000.255.000");
}

TEST(SettingsLogic, GsmStateFromStatusBits) {
    EXPECT_EQ(Q31FSetEtatGsm(0x00), 0);
    EXPECT_EQ(Q31FSetEtatGsm(0x40), 0);  // bit 6 alone: still off
    EXPECT_EQ(Q31FSetEtatGsm(0x01), 1);
    EXPECT_EQ(Q31FSetEtatGsm(0x41), 2);
    EXPECT_EQ(Q31FSetEtatGsm(0xFF), 2);
}

TEST(SettingsLogic, SynchronisationModeFromTheTwoChoices) {
    EXPECT_EQ(Q31FSetModeSynchro(1, 0), 2);
    EXPECT_EQ(Q31FSetModeSynchro(0, 1), 5);
    EXPECT_EQ(Q31FSetModeSynchro(0, 0), 0);
}

TEST(SettingsLogic, StoredProgramFlagsKeepBitsOneToSeven) {
    EXPECT_EQ(Q31FSetFlagsProg(0xFE, 1), 0xFF);
    EXPECT_EQ(Q31FSetFlagsProg(0xFF, 0), 0xFE);
    EXPECT_EQ(Q31FSetFlagsProg(0x54, 1), 0x55);
    EXPECT_EQ(Q31FSetFlagsProg(-1, 0), -2);  // a flag byte read back as signed
}
