// The disk failing under the program: the times folder full or read-only during a race
// (in simulation), and every other file written in a folder that cannot be written.
// The times stay in memory, the operator is told once with the path and the reason,
// quitting asks first while they cannot be saved, and once the disk allows again the
// file is written and the operator is told that too.
#include <filesystem>

#include "app/Q31ConfigFile.h"
#include "chrono/SbChronoTab.h"
#include "competitor/Q12Fichiers.h"
#include "competitor/Q12Listes.h"
#include "display/FsdParamFile.h"
#include "link/SbComConfig.h"
#include "platform/LocalSettings.h"
#include "platform/Runtime.h"
#include "records/FsdParam.h"
#include "records/Q12Rec.h"
#include "records/Q31Config.h"
#include "tests/faults/FaultRace.h"
#include "tests/support/SmallDisk.h"
#include "tests/support/TestSupport.h"
#include "ui/FileNotices.h"
#include "ui/Texts.h"

using namespace faults;

namespace {

class DiskFault : public ::testing::TestWithParam<bool> {};  // full, or read-only

TEST_P(DiskFault, TimesStayInMemoryTheOperatorIsToldAndTheyAreSavedWhenTheDiskAllows) {
    const bool full = GetParam();
    qstest::TempProgramDir dir;
    qstest::SmallDisk disk(dir.file("Chronos"), 400);
    ASSERT_TRUE(disk.Mounted() || !full) << "needs a small disk of its own: " << disk.WhyNot();
    const int reason = full             ? FILE_WRITE_DISK_FULL
                       : disk.Mounted() ? FILE_WRITE_READ_ONLY
                                        : FILE_WRITE_DENIED;
    size_t inFileWhileFailing = 99;
    int questionsAfterNo = -1;
    double lastTry = 0;  // when the store last tried to write
    ASSERT_TRUE(full ? (disk.Fill(), true) : disk.ReadOnly(true)) << "the folder could not be made read-only";
    Steps steps = SimulatedImpulses(5);
    // Once told, the store tries again twice (each failed try restarts its wait), and says nothing more.
    Then(
        steps,
        {BoxesSeen(1), Do([&] { lastTry = SbChronoTabG.firstChange; }),
         Until([&] { return SbChronoTabG.firstChange > lastTry && (lastTry = SbChronoTabG.firstChange); }),
         Until([&] { return SbChronoTabG.firstChange > lastTry; }), Do([&] {
             inFileWhileFailing = TimesIn(kTimesFile).size();
             Q31QuitG = 1;  // asked, and answered no: the program goes on
         }),
         Until([&] { return Watching().popups >= 1 && !Q31QuitG && (questionsAfterNo = Watching().popups); }),
         Do([&] { full ? disk.Free() : (void)disk.ReadOnly(false); })});
    Ending end;
    Then(steps, Finish(&end));
    steps.insert(steps.end() - 1, Until([] { return Watching().popups >= 2; }));
    BoxWatch watch;
    watch.cancels = 1;  // "quit anyway?": not yet
    ASSERT_EQ(Race(steps, watch), steps.size());

    char where[600];
    SbFileNoticeDetail("Chronos\\Chrono.q31tps", reason, where, sizeof where);
    ASSERT_EQ(Watching().boxes.size(), 1u) << "told once, however often the store tries again";
    const SeenBox& box = Watching().boxes[0];
    EXPECT_EQ(std::tie(box.title, box.text, box.detail),
              std::tuple(Q31TxtMesG[kMesFileNotSavedTitle], Q31TxtMesG[kMesTimesNotSaved], where));
    EXPECT_EQ(inFileWhileFailing, 0u);
    EXPECT_EQ(questionsAfterNo, 1);
    ASSERT_EQ(Watching().popupTexts.size(), 2u) << "no question at the second quit";
    EXPECT_NE(Watching().popupTexts[0].find(Q31TxtMesG[kMesQuitWithTimesUnsaved]), std::string::npos);
    EXPECT_NE(Watching().popupTexts[0].find(where), std::string::npos);
    EXPECT_NE(Watching().popupTexts[1].find(Q31TxtMesG[kMesTimesSavedAgain]), std::string::npos);
    ExpectKept(end, dir.file(kTimesFile), Ints(5, 0));  // the simulated impulses carry no competitor
}

INSTANTIATE_TEST_SUITE_P(Disk, DiskFault, ::testing::Values(true, false),
                         [](const auto& info) { return std::string(info.param ? "DiskFull" : "ReadOnly"); });

// Every other file the program writes, in a folder that cannot be written: each failure
// is noted for the operator with its path and reason, once.
TEST(DiskFault, EveryFileThatCannotBeWrittenIsNotedWithItsPathAndReason) {
    qstest::TempProgramDir dir(false);
    qstest::SmallDisk disk(dir.path(), 400);
    std::filesystem::current_path(dir.path());  // into the disk mounted over the folder
    ASSERT_TRUE(disk.ReadOnly(true)) << "the folder could not be made read-only";
    const int reason = disk.Mounted() ? FILE_WRITE_READ_ONLY : FILE_WRITE_DENIED;
    static SbCom link{};
    static Q31Config application{};
    static FsdParam display{};
    static int folders = 0;
    Q12AllouerListes();
    const std::pair<const char*, void (*)()> writes[] = {
        {"Export.txt", [] { SbChronoSauverAscii("Export.txt", "", "Time"); }},
        {"Times.q31tps", [] { SbChronoSauver("Times.q31tps"); }},
        {"Clock.q31set", [] { SbComSauverParam("Clock.q31set", &link.params); }},
        {"Clock.q31gsm", [] { SbComSauverGsm("Clock.q31gsm", &link.gsm); }},
        {"Display.q31fsd", [] { Q31FsdParamSauver("Display.q31fsd", &display); }},
        {kSbComConfigFile, [] { SbComSauver(kSbComConfigFile, &link); }},
        {kQ31ConfigFile, [] { Q31Sauver(kQ31ConfigFile, &application); }},
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
        EXPECT_EQ(SbFileNotes()[0].kind, SbFileNotice::FileNotWritten);
        EXPECT_EQ(SbFileNotes()[0].path, path);
        EXPECT_EQ(SbFileNotes()[0].reason, reason);
    }
    SbForgetFileNotices();
    SetLocalSettingsFailureHook(nullptr);
    Q12LibererListes();
    disk.ReadOnly(false);
}

}  // namespace
