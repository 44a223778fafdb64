// The times folder on a disk that fails during a race, in simulation: full, or
// read-only. The times stay in memory, the operator is told once with the path and
// the reason, quitting asks first while they cannot be saved, and when the disk
// allows again the file is written and the operator is told that too.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/Q31ConfigFile.h"
#include "app/Q31Ihm.h"
#include "chrono/SbChrono.h"
#include "competitor/Q12Fichiers.h"
#include "competitor/Q12Listes.h"
#include "display/FsdParamFile.h"
#include "link/SbComConfig.h"
#include "panels/FQ31.h"
#include "platform/LocalSettings.h"
#include "platform/Runtime.h"
#include "platform/cvi.h"
#include "records/FsdParam.h"
#include "records/Q12Rec.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "tests/faults/Race.h"
#include "tests/support/SmallDisk.h"
#include "tests/support/TestSupport.h"
#include "ui/FileNotices.h"
#include "ui/Texts.h"

using namespace race;

namespace {

enum class Fault { DiskFull, ReadOnly };

const char* Name(Fault f) {
    return f == Fault::DiskFull ? "DiskFull" : "ReadOnly";
}
void PrintTo(Fault f, std::ostream* os) {
    *os << Name(f);
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class DiskFault : public ::testing::TestWithParam<Fault> {};

}  // namespace

TEST_P(DiskFault, TimesStayInMemoryTheOperatorIsToldAndTheyAreSavedWhenTheDiskAllows) {
    qstest::TempProgramDir dir;
    qstest::SmallDisk disk(dir.file("Chronos"), 400);
    if (GetParam() == Fault::DiskFull && !disk.Mounted())
        GTEST_SKIP() << "needs a full disk of its own: " << disk.WhyNot();
    Seen() = Watch{};
    Seen().cancels = 1;  // "quit anyway?": not yet
    WriteConfig();
    int reason = FILE_WRITE_OTHER;
    bool broken = false;
    std::vector<SbChronoRec> fileWhileFailing;
    int questionsAfterNo = -1;

    auto Break = [&] {
        if (GetParam() == Fault::DiskFull) {
            disk.Fill();
            broken = true;
            reason = FILE_WRITE_DISK_FULL;
        } else {
            broken = disk.ReadOnly(true);
            reason = disk.Mounted() ? FILE_WRITE_READ_ONLY : FILE_WRITE_DENIED;
        }
        return true;
    };
    auto Mend = [&] {
        if (GetParam() == Fault::DiskFull)
            disk.Free();
        else
            disk.ReadOnly(false);
        return true;
    };
    std::vector<Step> steps = {
        MainWindowUp(), SwitchConnection(1),
        [] {
            const int dlg = FindLoadedPanel("FQ31.uir", fq31::CONNECT);
            return dlg > 0 && QueueUserEvent(dlg, fq31::CONNECT_SIMULATION) == 0;
        },
        [] { return SbComG.simulation == 1 && !FindLoadedPanel("FQ31.uir", fq31::CONNECT); }, Break};
    for (int i = 0; i < 5; ++i) steps.push_back(Press(fq31::MAIN_INPUT_2));
    const std::vector<Step> rest = {StoreHolds(5),
                                    BoxesSeen(1),
                                    Pause(1.5),  // the store tries again meanwhile, and says nothing more
                                    [&] {
                                        fileWhileFailing = ReadTimesFile("Chronos/Chrono.q31tps");
                                        return true;
                                    },
                                    Quit(),  // asked, and answered no: the program goes on
                                    [&] {
                                        if (Seen().popups < 1 || Q31QuitG) return false;
                                        questionsAfterNo = Seen().popups;
                                        return true;
                                    },
                                    Mend,
                                    FileCurrent(),
                                    [] { return Seen().popups >= 2; },
                                    Quit()};
    steps.insert(steps.end(), rest.begin(), rest.end());
    const size_t total = steps.size();
    ASSERT_EQ(RunProgram(std::move(steps)), total);
    ASSERT_TRUE(broken) << "the folder could not be made read-only";
    ASSERT_FALSE(Seen().deadlineHit);

    char where[600];
    SbFileNoticeDetail("Chronos\\Chrono.q31tps", reason, where, sizeof where);
    ASSERT_EQ(Seen().boxes.size(), 1u) << "told once, however often the store tries again";
    EXPECT_EQ(Seen().boxes[0].title, Q31TxtMesG[kMesFileNotSavedTitle]);
    EXPECT_EQ(Seen().boxes[0].text, Q31TxtMesG[kMesTimesNotSaved]);
    EXPECT_EQ(Seen().boxes[0].detail, where);
    EXPECT_TRUE(fileWhileFailing.empty());
    EXPECT_EQ(questionsAfterNo, 1);
    ASSERT_EQ(Seen().popupTexts.size(), 2u) << "no question at the second quit";
    EXPECT_TRUE(Contains(Seen().popupTexts[0], Q31TxtMesG[kMesQuitWithTimesUnsaved]));
    EXPECT_TRUE(Contains(Seen().popupTexts[0], where));
    EXPECT_TRUE(Contains(Seen().popupTexts[1], Q31TxtMesG[kMesTimesSavedAgain]));
    EXPECT_EQ(ReadTimesFile(dir.file("Chronos/Chrono.q31tps")).size(), 5u);
}

// Every other file the program writes, in a folder that cannot be written: each
// failure is noted for the operator with its path and reason, once.
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
    const std::vector<std::pair<std::string, std::function<void()>>> writes = {
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

INSTANTIATE_TEST_SUITE_P(Disk, DiskFault, ::testing::Values(Fault::DiskFull, Fault::ReadOnly),
                         [](const ::testing::TestParamInfo<Fault>& info) { return Name(info.param); });
