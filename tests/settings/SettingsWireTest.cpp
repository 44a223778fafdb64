// What the settings pages send to the clock and change in the records, through a
// fake port (no window).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "SettingsFake.h"
#include "panels/FQ31.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "settings/Q31FSet.h"
#include "settings/Q31FSetLogique.h"

using setfake::Envoyes;
using setfake::SettingsTest;
using Frames = std::vector<std::string>;

namespace {

bool Contient(const Frames& f, const std::string& s) {
    return std::find(f.begin(), f.end(), s) != f.end();
}

}  // namespace

class SettingsWire : public SettingsTest {};

TEST_F(SettingsWire, GeneralPageConfirmSendsInputOffAsZeroAndSpeedLast) {
    SbComParams& p = SbComG.params;
    p.inputs[0].timeBase = 0;  // reset values: enabled while off
    p.inputs[0].enabled = 1;
    p.inputs[1].timeBase = 1;
    p.inputs[1].enabled = 1;
    Q31FSetParamGet(4);  // no page loaded: the controls leave the record, the rules still apply
    EXPECT_EQ(p.inputs[0].enabled, 0);
    Q31FSetEnvoyerEcritures(4);
    const Frames f = Envoyes();
    const Frames expected = {"WP 001 2",       "WP 004 01 0000", "WP 005 01 0", "WP 006 01 0",
                             "WP 004 02 0001", "WP 005 02 0",    "WP 006 02 1", "WP 023 1 1 1 1",
                             "WP 007 2",       "WP 029 03 03",   "WP 017 0",    "WP 021 00",
                             "WP 012 1",       "WP 016 3"};
    EXPECT_EQ(f, expected);
}

TEST_F(SettingsWire, InputFourthFieldsOfInputsThreeAndFourKeptInParameter23) {
    SbComParams& p = SbComG.params;
    p.inputs[0].choice3 = 2;
    p.inputs[1].choice3 = 0;
    p.inputs[2].choice3 = 1;
    p.inputs[3].choice3 = 2;
    Q31FSetParamGet(4);
    Q31FSetEnvoyerEcritures(4);
    EXPECT_TRUE(Contient(Envoyes(), "WP 023 2 0 1 2"));
}

TEST_F(SettingsWire, EthernetAndGsmPagesReadAndWriteTheirItems) {
    const int bytes[4] = {10, 0, 0, 5};
    Q31FSetEthernetFormer(bytes, SbComG.ethernet.address0, sizeof SbComG.ethernet.address0);
    Q31FSetEnvoyerEcritures(6);
    EXPECT_EQ(Envoyes(), (Frames{"WP 031 0 010.000.000.005", "WP 031 1 0.0.0.0"}));

    setfake::Effacer();
    Q31FSetEnvoyerLectures(6);
    EXPECT_EQ(Envoyes(), (Frames{"RP 035", "RP 031 0", "RP 031 1"}));

    // An address is a text too: one the clock would refuse is named, '1' for address 1.
    EXPECT_EQ(Q31FSetItemRefuse(6), 0);
    std::snprintf(SbComG.ethernet.address1, sizeof SbComG.ethernet.address1, "%s",
                  std::string(23, '\xE9').c_str());
    EXPECT_EQ(Q31FSetItemRefuse(6), '1');

    setfake::Effacer();
    Q31FSetEnvoyerLectures(7);
    const Frames f = Envoyes();
    ASSERT_EQ(f.size(), 16u);
    EXPECT_EQ(f.front(), "RP 034");
    EXPECT_EQ(f.back(), "RP 030 g");
}

TEST_F(SettingsWire, SynchronisationSendsByMode) {
    SbComG.synchro.mode = 0;
    Q31FSetEnvoyerEcritures(1);
    EXPECT_EQ(Envoyes(), (Frames{"WP 009 19"}));

    setfake::Effacer();
    SbComG.synchro.mode = 2;
    Q31FSetEnvoyerEcritures(1);
    EXPECT_EQ(Envoyes(), (Frames{"WP 009 19", "WC 007 02 08:30 23/09/10"}));

    setfake::Effacer();
    SbComG.synchro.mode = 5;
    Q31FSetEnvoyerEcritures(1);
    EXPECT_EQ(Envoyes(), (Frames{"WP 009 19", "WC 007 05 08:30 23/09/10", "WC 009 00400"}));
}

TEST_F(SettingsWire, SimulatedSynchronisationAtPresetTimeWaitsForAnImpulse) {
    Simuler();
    Q31G.simu.simuSynchronised = 1;
    SbQ31CrG.lightColour = 0;
    SbComG.synchro.mode = 2;
    Q31FSetEnvoyerEcritures(1);
    EXPECT_TRUE(Envoyes().empty());
    EXPECT_EQ(Q31G.simu.simuSynchronised, 0);
    EXPECT_EQ(SbQ31CrG.lightColour, 2);
}

TEST_F(SettingsWire, PagesWithoutExchangesAndAClosedLinkSendNothing) {
    for (int page : {0, 5, 8, 9}) Q31FSetEnvoyerEcritures(page);
    for (int page : {5, 8, 9}) Q31FSetEnvoyerLectures(page);
    EXPECT_TRUE(Envoyes().empty());
    SbComG.linkState = 0;
    for (int page = 0; page < 10; ++page) {
        Q31FSetEnvoyerLectures(page);
        Q31FSetEnvoyerEcritures(page);
    }
    EXPECT_TRUE(Envoyes().empty());
}

TEST_F(SettingsWire, RunOpenAndCloseOnTheClock) {
    Q31FSetOuvrirManche();
    Q31FSetFermerManche();
    EXPECT_EQ(Envoyes(), (Frames{"WC 002", "WC 001"}));
}

TEST_F(SettingsWire, RunLoadAndMemoryClear) {
    Q31FSetChargerManche(3, 1);
    Q31FSetChargerManche(2, 0);
    EXPECT_EQ(Envoyes(), (Frames{"WC 012 03 0001", "WC 012 02 0000"}));

    setfake::Effacer();
    Q31FSetRazMemoire();
    const Frames f = Envoyes();
    ASSERT_GE(f.size(), 2u);
    EXPECT_EQ(f[0], "WC 005 58203");
    EXPECT_EQ(f[1], "RP 003");  // then the reads made after connecting
    EXPECT_EQ(f.back(), "RP 028 3");
}

// The simulated clock's own rules are tested with the simulation; here: the pages hand
// runs and the memory clear to it and send nothing.
TEST_F(SettingsWire, SimulatedClockTakesRunsAndTheMemoryClearWithoutSending) {
    Simuler();
    SbComG.run.next = 99;
    Q31G.simu.simuCountInput1 = 4;
    Q31FSetOuvrirManche();
    EXPECT_EQ(SbComG.run.current, 99);
    Q31FSetFermerManche();
    EXPECT_EQ(SbComG.run.current, 0);
    Q31FSetRazMemoire();
    EXPECT_EQ(Q31G.simu.simuCountInput1, 0);
    EXPECT_TRUE(Envoyes().empty());
}

TEST_F(SettingsWire, ProgramLoadSelectsThenReadsAndConfirmWritesProgramZero) {
    Q31FSetChargerProg(8);
    Frames f = Envoyes();
    ASSERT_EQ(f.size(), 12u);
    EXPECT_EQ(f[0], "WC 004 08");
    EXPECT_EQ(f[1], "RP 102 08");
    EXPECT_EQ(SbComG.currentProgram, 8);

    setfake::Effacer();
    SbComG.progs[0].p102 = 120;
    Q31FSetEnvoyerEcritures(3);
    f = Envoyes();
    ASSERT_EQ(f.size(), 11u);
    EXPECT_EQ(f[0], "WP 102 00 0120");
}

TEST_F(SettingsWire, ExtensionOfTypeFourOpensThePageThatReadsNothing) {
    SbComG.extensions = {4, 0, 2};
    FQ31Set(0, fq31::MAIN_EXT_2, EVENT_COMMIT, nullptr, 0, 0);  // type 0 opens nothing
    EXPECT_EQ(Q31FSetPageOuverte(), -1);
    FQ31Set(0, fq31::MAIN_EXT_1, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(Q31FSetPageOuverte(), 9);
    EXPECT_TRUE(Envoyes().empty());
    FQ31Set(0, fq31::MAIN_PAGE_0, EVENT_COMMIT, nullptr, 0, 0);  // another page waits for the close
    EXPECT_EQ(Q31FSetPageOuverte(), 9);
    Q31FSetFermer();
    EXPECT_EQ(Q31FSetPageOuverte(), -1);
}

TEST_F(SettingsWire, ReopeningAPageReadsItsParametersAgain) {
    FQ31Set(0, fq31::MAIN_PAGE_2, EVENT_COMMIT, nullptr, 0, 0);
    Q31FSetFermer();
    FQ31Set(0, fq31::MAIN_PAGE_2, EVENT_COMMIT, nullptr, 0, 0);
    Q31FSetFermer();
    EXPECT_EQ(Envoyes(), (Frames{"RP 002", "RP 002"}));
}
