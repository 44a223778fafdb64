// The configuration files a first start creates, byte by byte at their documented offsets,
// and how a short, long or stale file is read back.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/LiveView.h"
#include "app/Q31ConfigFile.h"
#include "app/Q31Main.h"
#include "link/SbComConfig.h"
#include "link/SbComJournal.h"
#include "panels/FSabGen.h"
#include "platform/Journal.h"
#include "platform/LocalSettings.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "tests/runner/Operator.h"
#include "tests/support/TestSupport.h"

using e2e::At;
using e2e::CString;

namespace {

struct Field {
    size_t at;
    int32_t value;
};
struct TextField {
    size_t at;
    const char* text;
};
void Expect(const std::string& b, std::initializer_list<Field> ints,
            std::initializer_list<TextField> texts = {}) {
    for (Field f : ints) EXPECT_EQ(At<int32_t>(b, f.at), f.value) << "offset " << f.at;
    for (TextField t : texts) EXPECT_EQ(CString(b, t.at, 32), t.text) << "offset " << t.at;
}

}  // namespace

// The program's first start: both records are written with every default before the language
// is asked (none chosen yet), then the language chosen is kept and the link record saved after
// the link's reset (next run 1).
TEST(FirstStart, CreatesTheFoldersAndBothRecordsWithEveryDefault) {
    qstest::TempProgramDir dir;
    int languageByte = -1;
    EXPECT_EQ(e2e::RunProgramAsFound({e2e::Until([&] {
                                          if (!FindLoadedPanel("FSabGen.uir", fsabgen::LANGUE)) return false;
                                          languageByte = uint8_t(qstest::ReadFileBytes(kQ31ConfigFile)[0]);
                                          return true;
                                      }),
                                      e2e::Answer("FSabGen.uir", fsabgen::LANGUE, fsabgen::LANGUE_FR),
                                      e2e::Until([] { return Q31FIhmG > 0 && (Q31QuitG = 1); })}),
              3u);
    EXPECT_EQ(languageByte, 255);
    for (const char* f : {"Chronos", "Settings", "Data"})
        EXPECT_TRUE(std::filesystem::is_directory(dir.file(f))) << f;

    const std::string b = qstest::ReadFileBytes(dir.file(kSbComConfigFile));
    ASSERT_EQ(b.size(), 6216u);
    EXPECT_EQ(b[0], 0);
    Expect(b,
           {{8, 1},    {12, 9600}, {16, 10},   {296, 7000},   {328, 0},     {348, 0},    {352, 1}, {356, 0},
            {360, 0},  {364, 0},   {368, 0},   {372, 1},      {376, 1},     {380, 2001}, {384, 0}, {388, 1},
            {392, 10}, {412, 0},   {416, 0},   {420, 8},      {424, 30},    {428, 23},   {432, 9}, {436, 10},
            {440, 19}, {460, 2},   {464, 2},   {468, 3},      {472, 3},     {476, 3},    {480, 0}, {484, 1},
            {488, 1},  {492, 1},   {496, 0},   {500, 1},      {620, 0},     {624, 1},    {628, 2}, {632, 0},
            {5548, 0}, {5552, 1},  {5556, 10}, {6040, 13001}, {6176, 13001}},
           {{312, "192.168.0.0"},
            {332, "QS"},
            {340, "V000"},
            {5560, "192.168.1.1"},
            {5584, "0.0.0.0"},
            {5656, ""}});
    for (int i = 0; i < 64; ++i) EXPECT_EQ(At<int32_t>(b, 40 + 4 * i), i + 1);  // the port ring
    for (size_t in = 524; in < 620; in += 24) Expect(b, {{in, 0}, {in + 4, 0}, {in + 8, 1}, {in + 12, 1}});

    // The start programs. Field order: 102, 104, 105, 106, 103, 112, 110, 111, 107, 108, 109, 113.
    const struct {
        int n;
        std::string name;
        int v[12];
    } programs[] = {
        {1, "Alpine Ski", {60, 60, 0, 0, 30, 5, -5, -10, -10, -5, 0, 0}},
        {2, "Alpine Ski OJ", {30, 15, 0, 0, 15, 5, -5, -10, -10, -5, 0, 0}},
        {3, "Cross Country Ski", {60, 60, 0, 0, 30, 3, -3, -3, -10, -5, 0, 0}},
        {4, "Rally 2min", {120, 60, 0, 0, 30, 20, 0, -5, -10, -5, 0, 0}},
        {6, "FITA", {0, 60, 0, 0, 240, 0, 0, -30, -30, -10, 0, 1}},
        {8, "Start on Demand", {0, 0, 0, 0, 5, 1, 0, -5, -5, -5, 0, 0}},
        {9, "Pacer 5 sec.", {5, 15, 0, 0, 4, 1, 0, -4, -5, -5, 0, 0}},
        {0, "\xB0", {60, 60, 0, 0, 30, 0, -5, -10, -10, -5, 0, 0}},  // the others: "Name N°n"
    };
    for (const auto& p : programs)
        for (int n : p.n ? std::vector<int>{p.n} : std::vector<int>{0, 5, 7, 10, 50}) {
            const size_t at = 652 + 96 * size_t(n);
            EXPECT_EQ(CString(b, at + 64, 32), p.n ? p.name : "Name N" + p.name + std::to_string(n));
            for (int f = 0; f < 12; ++f) EXPECT_EQ(At<int32_t>(b, at + 4 * f), p.v[f]) << n << "/" << f;
        }

    const std::string a = qstest::ReadFileBytes(dir.file(kQ31ConfigFile));
    ASSERT_EQ(a.size(), 2096u);
    EXPECT_EQ(std::string(a.data(), 4), std::string("\x01\x01\x01\x00", 4));  // French
    Expect(a, {{792, 0x554646}, {796, 0x202020}, {800, 0xFFFFFF}, {804, 0xFFFFFF}, {808, 0}, {812, 0}},
           {{24, "QS-310"}, {280, "Sabreline Timing"}, {536, ""}});
    // Runs of fields: the four lights and the two windows, each a run; the four logos.
    const std::pair<size_t, std::vector<int>> runs[] = {
        {824, {1, 100, 40,  120, 120, 0, 1, 570, 40,  120, 120, 0,
               1, 100, 800, 120, 120, 0, 1, 570, 800, 120, 120, 0}},
        {2024, {1, 504, 354, 160, 240, 1, 110, 300, 360, 360}},
        {920, {0, 6, 6, 48, 48}},
        {1196, {0, 6, 906, 48, 48}},
        {1472, {0, 366, 16, 48, 48}},
        {1748, {0, 366, 906, 48, 48}}};
    for (const auto& [at, v] : runs)
        for (size_t f = 0; f < v.size(); ++f) EXPECT_EQ(At<int32_t>(a, at + 4 * f), v[f]) << at << "/" << f;
    for (size_t k = 0; k < 4; ++k) EXPECT_EQ(CString(a, 940 + 276 * k, 32), "");  // no logo file
    EXPECT_EQ(a.substr(2064), std::string(32, '\0'));
}

TEST(ConfigFiles, ShortFileFillsOnlyItsBytesAndLongFileIsCut) {
    qstest::TempProgramDir dir(false);
    e2e::ForgetEverything();
    // 10 bytes: language 1, sound 0, buttons 1, GSM set 1, then reserved bytes.
    qstest::WriteFileBytes(kQ31ConfigFile, std::string("\x01\x00\x01\x01\x00\x00\x00\x00\x07\x00", 10));
    Q31Charger(kQ31ConfigFile, &Q31G);
    EXPECT_EQ(std::vector<int>({Q31G.language, Q31G.soundOn, Q31G.inputButtonsShown, Q31G.gsmSetShown,
                                Q31G.reserved8[0], Q31G.secondDisplay.text1[0],
                                Q31G.secondDisplay.windows[0].height}),
              std::vector<int>({1, 0, 1, 1, 7, 0, 0}));  // no defaults applied
    EXPECT_EQ(qstest::FileSize(kQ31ConfigFile), 10);     // an existing file is not rewritten
}

// At a restart, also from another folder, the link starts closed and the simulation's per-run
// fields are cleared; the clock's settings, the port, the journal switched off and the rest are kept.
TEST(ConfigFiles, ARestartKeepsTheSettingsButNotTheRunState) {
    qstest::TempProgramDir dir(false);
    e2e::ForgetEverything();
    Q31Preparer();
    LocalSettingsSetInt(kSbComJournalReglage, 0);
    SbComJournalArreter();
    Q31G.language = 2;
    Q31G.simu.simuCompetitor = 42;
    Q31G.simu.simuSynchronised = 1;
    Q31G.simu.simuCountInput1 = 7;
    Q31G.simu.simuOffsetHours = -3;
    Q31Sauver(kQ31ConfigFile, &Q31G);
    SbComG.linkState = SbComG.simulation = 1;
    SbComG.run.current = 4;
    SbComG.run.next = 5;
    SbComG.synchro.mode = 5;
    SbComG.currentProgram = 9;
    SbComG.port = 3;
    SbComSauver(kSbComConfigFile, &SbComG);
    e2e::ForgetEverything();
    std::filesystem::current_path(dir.file("Data"));
    Q31Preparer();
    EXPECT_EQ(JournalActive(), 0);
    EXPECT_EQ(std::vector<int>({Q31G.language, Q31G.simu.simuCompetitor, Q31G.simu.simuSynchronised,
                                Q31G.simu.simuCountInput1, Q31G.simu.simuOffsetHours}),
              std::vector<int>({2, 0, 0, 7, -3}));
    EXPECT_EQ(std::vector<int>({SbComG.linkState, SbComG.simulation, SbComG.run.current, SbComG.run.next,
                                SbComG.synchro.mode, SbComG.currentProgram, SbComG.port}),
              std::vector<int>({0, 0, 0, 1, 0, 1, 3}));
}

// The live view's port as kept in the local settings: outside 1..65535 it falls back to 8310.
TEST(ConfigFiles, LiveViewPortOutsideItsRangeFallsBack) {
    qstest::TempProgramDir dir(false);
    for (auto [kept, read] : {std::pair{0, 8310}, {1, 1}, {65535, 65535}, {65536, 8310}}) {
        LocalSettingsSetInt("LiveView/port", kept);
        LiveViewSettings s;
        LiveViewLoad(&s);
        EXPECT_EQ(s.port, read) << kept;
    }
}
