// What the settings pages send to the clock and change in the records, through a fake
// port and no window; the settings files; the page rules that need no window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "SettingsFake.h"
#include "chrono/SbChrono.h"
#include "panels/FQ31.h"
#include "platform/cvi.h"
#include "settings/Q31FKey.h"
#include "settings/Q31FSet.h"
#include "settings/Q31FSetLogique.h"
#include "settings/Q31FSetPages.h"
#include "tests/support/TestSupport.h"

using Frames = std::vector<std::string>;
using setfake::Envoyes;

class SettingsWire : public setfake::SettingsTest {};

TEST_F(SettingsWire, PagesAndCommandsSendTheseFrames) {
    struct Case {
        const char* name;
        std::function<void()> act;
        Frames frames;  // the whole exchange, or its start when count is given
        size_t count = 0;
    } const cases[] = {
        {"general page: input off as 0, enabled follows, speed last",
         [] {
             SbComParams& p = SbComG.params;
             p.inputs[0] = SbComInput{0, 0, 1, 0, {}};  // reset values: enabled while off
             p.inputs[1] = SbComInput{1, 0, 1, 0, {}};
             for (int i = 0; i < 4; ++i) p.inputs[i].choice3 = (i * 2 + 2) % 3;
             Q31FSetParamGet(4);  // no page loaded: the rules still apply
             EXPECT_EQ(p.inputs[0].enabled, 0);
             Q31FSetEnvoyerEcritures(4);
         },
         {"WP 001 2", "WP 004 01 0000", "WP 005 01 0", "WP 006 01 0", "WP 004 02 0001", "WP 005 02 0",
          "WP 006 02 1", "WP 023 2 1 0 2", "WP 007 2", "WP 029 03 03", "WP 017 0", "WP 021 00", "WP 012 1",
          "WP 016 3"}},
        {"ethernet writes",
         [] {
             const int bytes[4] = {10, 0, 0, 5};
             Q31FSetEthernetFormer(bytes, SbComG.ethernet.address0, sizeof SbComG.ethernet.address0);
             Q31FSetEnvoyerEcritures(6);
         },
         {"WP 031 0 010.000.000.005", "WP 031 1 0.0.0.0"}},
        {"ethernet reads", [] { Q31FSetEnvoyerLectures(6); }, {"RP 035", "RP 031 0", "RP 031 1"}},
        {"synchronisation off", [] { Q31FSetEnvoyerEcritures(1); }, {"WP 009 19"}},
        {"synchronisation at a preset time",
         [] {
             SbComG.synchro.mode = 2;
             Q31FSetEnvoyerEcritures(1);
         },
         {"WP 009 19", "WC 007 02 08:30 23/09/10"}},
        {"synchronisation from the computer",
         [] {
             SbComG.synchro.mode = 5;
             Q31FSetEnvoyerEcritures(1);
         },
         {"WP 009 19", "WC 007 05 08:30 23/09/10", "WC 009 00400"}},
        {"pages without exchanges",
         [] {
             for (int page : {0, 5, 8, 9}) Q31FSetEnvoyerEcritures(page);
             for (int page : {5, 8, 9}) Q31FSetEnvoyerLectures(page);
         },
         {}},
        {"a closed link",
         [] {
             SbComG.linkState = 0;
             for (int page = 0; page < 10; ++page)
                 Q31FSetEnvoyerLectures(page), Q31FSetEnvoyerEcritures(page);
         },
         {}},
        {"run open and close",
         [] {
             Q31FSetOuvrirManche();
             Q31FSetFermerManche();
         },
         {"WC 002", "WC 001"}},
        {"run loads: only towards this computer is the mirrored run changed",
         [] {
             Q31FSetSetMirror(nullptr, [](int run) { Q31DerMancheChargeeG = run; });
             Q31DerMancheChargeeG = 9;
             Q31FSetChargerManche(2, 0);
             EXPECT_EQ(Q31DerMancheChargeeG, 9);
             Q31FSetChargerManche(3, 1);
             EXPECT_EQ(Q31DerMancheChargeeG, 3);
             Q31FSetSetMirror(nullptr, nullptr);
         },
         {"WC 012 02 0000", "WC 012 03 0001"}},
        {"remote keys",
         [] {
             Q31FKeyEnregistrerCallbacks();
             for (int key : {fq31::KEYS_KEY1, fq31::KEYS_KEY2, fq31::KEYS_KEY4, fq31::KEYS_KEY8})
                 FindCallback("FQ31Key")(0, key, EVENT_COMMIT, nullptr, 0, 0);
             SbComG.currentProgram = 1, SbComG.synchro.mode = 2;  // start/stop needs both
             for (int button : {fq31::MAIN_RESET, 0})
                 FindCallback("FQ31BpProg")(0, button, EVENT_COMMIT, nullptr, 0, 0);
         },
         {"WC 009 00100", "WC 009 00200", "WC 009 00400", "WC 009 00800", "WC 009 02000", "WC 009 01000"}},
        {"reopening a page reads it again",
         [] {
             for (int twice = 0; twice < 2; ++twice) {
                 FQ31Set(0, fq31::MAIN_PAGE_2, EVENT_COMMIT, nullptr, 0, 0);
                 Q31FSetFermer();
             }
         },
         {"RP 002", "RP 002"}},
        {"general page reads: the inputs first, the rest after a pause",
         [] { Q31FSetEnvoyerLectures(4); },
         {"RP 001", "RP 004 01", "RP 005 01", "RP 006 01", "RP 004 02", "RP 005 02", "RP 006 02", "RP 023",
          "RP 007", "RP 029", "RP 016", "RP 017", "RP 021", "RP 012", "RP 008"}},
        {"GSM reads", [] { Q31FSetEnvoyerLectures(7); }, {"RP 034", "RP 030 1"}, 16},
        {"memory clear, then the reads made after connecting",
         [] { Q31FSetRazMemoire(); },
         {"WC 005 58203", "RP 003"},
         11},
        {"program load selects, then reads",
         [] {
             Q31FSetChargerProg(8);
             EXPECT_EQ(SbComG.currentProgram, 8);
         },
         {"WC 004 08", "RP 102 08"},
         12},
        {"program page writes program 0",
         [] {
             SbComG.progs[0].p102 = 120;
             Q31FSetEnvoyerEcritures(3);
         },
         {"WP 102 00 0120"},
         11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        c.act();
        Frames f = Envoyes();
        if (c.count) {
            EXPECT_EQ(f.size(), c.count);
            f.resize(std::min(f.size(), c.frames.size()));
        }
        EXPECT_EQ(f, c.frames);
    }
}

// The simulated clock's own rules are tested with the simulation; here: the pages hand it
// the synchronisation, runs and the memory clear and send nothing.
TEST_F(SettingsWire, SimulatedClockTakesWhatThePagesDoWithoutSending) {
    Simuler();
    Q31G.simu.simuSynchronised = 1;
    SbComG.synchro.mode = 2;
    Q31FSetEnvoyerEcritures(1);
    EXPECT_EQ(Q31G.simu.simuSynchronised, 0);  // a preset time waits for an impulse
    EXPECT_EQ(SbQ31CrG.lightColour, 2);
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

TEST_F(SettingsWire, ExtensionOfTypeFourOpensThePageThatReadsNothing) {
    SbComG.extensions = {4, 0, 2};
    FQ31Set(0, fq31::MAIN_EXT_2, EVENT_COMMIT, nullptr, 0, 0);  // type 0 opens nothing
    EXPECT_EQ(Q31FSetPageOuverte(), -1);
    FQ31Set(0, fq31::MAIN_EXT_1, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(Q31FSetPageOuverte(), 9);
    FQ31Set(0, fq31::MAIN_PAGE_0, EVENT_COMMIT, nullptr, 0, 0);  // another page waits for the close
    EXPECT_EQ(Q31FSetPageOuverte(), 9);
    EXPECT_TRUE(Envoyes().empty());
    Q31FSetFermer();
    EXPECT_EQ(Q31FSetPageOuverte(), -1);
}

TEST_F(SettingsWire, SettingsFilesAreWholeBlocksAndShortOrMissingFilesAreSafe) {
    qstest::TempProgramDir dir(false);
    SbComG.params.field1 = 6;
    SbComG.params.inputs[3].choice3 = 2;
    std::strcpy(SbComG.gsm.second[1].text[2], "Finish");
    const std::string set = dir.file("a.q31set"), gsm = dir.file("a.q31gsm");
    Q31FSetSauverFichier(4, set.c_str());
    Q31FSetSauverFichier(7, gsm.c_str());
    EXPECT_EQ(qstest::FileSize(set), 160);
    EXPECT_EQ(qstest::FileSize(gsm), 560);
    const SbComParams params = SbComG.params;
    const SbComGsm gsms = SbComG.gsm;
    SbComValDefaut(&SbComG);
    Q31FSetChargerFichier(4, set.c_str());
    Q31FSetChargerFichier(7, gsm.c_str());
    EXPECT_EQ(std::memcmp(&SbComG.params, &params, sizeof params), 0);
    EXPECT_EQ(std::memcmp(&SbComG.gsm, &gsms, sizeof gsms), 0);
    EXPECT_TRUE(Envoyes().empty());  // loading sends nothing

    // A short file replaces only the start of the block: precision at 0, field 1 at 4.
    qstest::WriteFileBytes(set, std::string("\5\0\0\0\x09\0\0\0", 8));
    SbComG.params.speedCode = 4;
    Q31FSetChargerFichier(4, set.c_str());
    EXPECT_EQ(SbComG.params.precision, 5);
    EXPECT_EQ(SbComG.params.field1, 9);
    EXPECT_EQ(SbComG.params.speedCode, 4);

    // A missing file gives the reset values; an unwritable one leaves nothing behind.
    Q31FSetChargerFichier(4, dir.file("none.q31set").c_str());
    Q31FSetChargerFichier(7, dir.file("none.q31gsm").c_str());
    SbComParams resetParams;
    SbComValDefParam(&resetParams);
    SbComGsm resetGsm;
    SbComValDefGsm(&resetGsm);
    EXPECT_EQ(std::memcmp(&SbComG.params, &resetParams, sizeof resetParams), 0);
    EXPECT_EQ(std::memcmp(&SbComG.gsm, &resetGsm, sizeof resetGsm), 0);
    Q31FSetSauverFichier(4, dir.file("no/such/a.q31set").c_str());
    EXPECT_EQ(qstest::FileSize(dir.file("no/such/a.q31set")), -1);
}

// The rules the pages do not already show: status bits beyond the module's, address bytes
// beyond 0..255, a page number beyond the pages, an address the clock would refuse.
TEST_F(SettingsWire, PageRules) {
    for (auto [bits, state] : {std::pair{0x40, 0}, {0x01, 1}, {0xFF, 2}})
        EXPECT_EQ(Q31FSetEtatGsm(bits), state);
    EXPECT_EQ(Q31FSetFlagsProg(-1, 0), -2);  // a flag byte read back as signed
    char out[24];
    const int wild[4] = {300, -4, 255, 0};
    Q31FSetEthernetFormer(wild, out, sizeof out);
    EXPECT_STREQ(out, "255.000.255.000");
    int bytes[4] = {7, 7, 7, 7};
    EXPECT_EQ(Q31FSetEthernetDecouper("10.20", bytes), 2);
    EXPECT_EQ(std::vector<int>(bytes, bytes + 4), (std::vector<int>{10, 20, 0, 0}));
    EXPECT_EQ(Q31FSetEthernetDecouper(nullptr, bytes), 0);
    EXPECT_EQ(Q31FSetPanel(kQ31FSetPages), 0);
    EXPECT_EQ(Q31FSetItemRefuse(6), 0);
    std::snprintf(SbComG.ethernet.address1, sizeof SbComG.ethernet.address1, "%s",
                  std::string(23, '\xE9').c_str());
    EXPECT_EQ(Q31FSetItemRefuse(6), '1');
}
