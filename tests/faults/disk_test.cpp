// The disk failing under the program: the times folder full or read-only during a race, and every
// other file written in a folder that cannot be written.
#include <filesystem>

#include "app/Q31ConfigFile.h"
#include "chrono/SbChronoTab.h"
#include "competitor/Q12Fichiers.h"
#include "competitor/Q12Listes.h"
#include "display/FsdParamFile.h"
#include "link/SbComConfig.h"
#include "platform/LocalSettings.h"
#include "platform/Runtime.h"
#include "tests/faults/FaultRace.h"
#include "tests/support/SmallDisk.h"
#include "ui/FileNotices.h"
#include "ui/Texts.h"

using namespace faults;

namespace {

class DiskFault : public ::testing::TestWithParam<bool> {};  // full, or read-only

// The times stay in memory, the operator is told once with the path and the reason, quitting asks
// first while they cannot be saved, and once the disk allows again they are saved and that is told.
TEST_P(DiskFault, TimesStayInMemoryTheOperatorIsToldAndTheyAreSavedWhenTheDiskAllows) {
    const bool full = GetParam();
    qstest::TempProgramDir dir;
    qstest::SmallDisk disk(dir.file("Chronos"), 400);
    ASSERT_TRUE(disk.Mounted() || !full) << "needs a small disk of its own: " << disk.WhyNot();
    const int reason = full             ? FILE_WRITE_DISK_FULL
                       : disk.Mounted() ? FILE_WRITE_READ_ONLY
                                        : FILE_WRITE_DENIED;
    std::pair<size_t, int> inFileAndQuestions = {99, -1};  // while failing; after the quit answered no
    double lastTry = 0;                                    // when the store last tried to write
    ASSERT_TRUE(full ? (disk.Fill(), true) : disk.ReadOnly(true)) << "the folder could not be made read-only";
    // Once told, the store tries again twice (each failed try restarts its wait), and says nothing more.
    const Step retried =
        Until([&] { return SbChronoTabG.firstChange > lastTry && (lastTry = SbChronoTabG.firstChange); });
    Steps steps = SimulatedImpulses(5);
    Then(steps, {BoxesSeen(1), Do([&] { lastTry = SbChronoTabG.firstChange; }), retried, retried, Do([&] {
                     inFileAndQuestions.first = TimesIn(kTimesFile).size();
                     Q31QuitG = 1;  // asked, and answered no: the program goes on
                 }),
                 Until([&] { return !Q31QuitG && (inFileAndQuestions.second = Watching().popups) >= 1; }),
                 Do([&] { full ? disk.Free() : (void)disk.ReadOnly(false); }),
                 Until([] { return Watching().popups >= 2; })});
    Ending end;
    Then(steps, Finish(&end));
    BoxWatch watch;
    watch.cancels = 1;  // "quit anyway?": not yet
    ASSERT_EQ(Race(steps, watch), steps.size());

    char where[600];
    SbFileNoticeDetail("Chronos\\Chrono.q31tps", reason, where, sizeof where);
    ASSERT_EQ(Watching().boxes.size(), 1u) << "told once, however often the store tries again";
    const SeenBox& box = Watching().boxes[0];
    EXPECT_EQ(std::tie(box.title, box.text, box.detail),
              std::tuple(Q31TxtMesG[kMesFileNotSavedTitle], Q31TxtMesG[kMesTimesNotSaved], where));
    EXPECT_EQ(inFileAndQuestions, std::pair(size_t(0), 1));
    ASSERT_EQ(Watching().popupTexts.size(), 2u) << "no question at the second quit";
    EXPECT_NE(Watching().popupTexts[0].find(Q31TxtMesG[kMesQuitWithTimesUnsaved]), std::string::npos);
    EXPECT_NE(Watching().popupTexts[0].find(where), std::string::npos);
    EXPECT_NE(Watching().popupTexts[1].find(Q31TxtMesG[kMesTimesSavedAgain]), std::string::npos);
    ExpectKept(end, dir.file(kTimesFile), Ints(5, 0));  // the simulated impulses carry no competitor
}

INSTANTIATE_TEST_SUITE_P(Disk, DiskFault, ::testing::Values(true, false),
                         [](const auto& info) { return std::string(info.param ? "DiskFull" : "ReadOnly"); });

// Every other file the program writes, in a folder that cannot be written: noted once with its path
// and reason.
TEST(DiskFault, EveryFileThatCannotBeWrittenIsNotedWithItsPathAndReason) {
    qstest::TempProgramDir dir(false);
    qstest::SmallDisk disk(dir.path(), 400);
    std::filesystem::current_path(dir.path());  // into the disk mounted over the folder
    ASSERT_TRUE(disk.ReadOnly(true)) << "the folder could not be made read-only";
    const int reason = disk.Mounted() ? FILE_WRITE_READ_ONLY : FILE_WRITE_DENIED;
    static int folders = 0;
    Q12AllouerListes();
    const std::pair<const char*, void (*)()> writes[] = {
        {"Export.txt", [] { SbChronoSauverAscii("Export.txt", "", "Time"); }},
        {"Times.q31tps", [] { SbChronoSauver("Times.q31tps"); }},
        {"Clock.q31set", [] { SbComSauverParam("Clock.q31set", &SbComG.params); }},
        {"Clock.q31gsm", [] { SbComSauverGsm("Clock.q31gsm", &SbComG.gsm); }},
        {"Display.q31fsd", [] { Q31FsdParamSauver("Display.q31fsd", &Q31G.secondDisplay); }},
        {kSbComConfigFile, [] { SbComSauver(kSbComConfigFile, &SbComG); }},
        {kQ31ConfigFile, [] { Q31Sauver(kQ31ConfigFile, &Q31G); }},
        {kQ12FichierCnf, [] { Q12CnfSauver(); }},
        {"Courant.q12ct", [] { Q12CourantSauver("Courant.q12ct"); }},
        {kLocalSettingsFile,
         [] { qs::rt::KeepLocalSetting("Window/last_folder", QString::number(++folders)); }},
    };
    SetLocalSettingsFailureHook(SbNoteLocalSettingsNotWritten);
    for (const auto& [path, write] : writes) {
        SCOPED_TRACE(path);
        SbForgetFileNotices();
        write();
        write();  // a second failure before the operator has seen the first
        ASSERT_EQ(SbFileNotes().size(), 1u);
        const SbFileNote& n = SbFileNotes()[0];
        EXPECT_EQ(std::tie(n.kind, n.path, n.reason), std::tuple(SbFileNotice::FileNotWritten, path, reason));
    }
    SbForgetFileNotices();
    SetLocalSettingsFailureHook(nullptr);
    Q12LibererListes();
}

}  // namespace
