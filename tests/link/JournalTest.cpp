// The wire journal of the link over the run-time layer's journal.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "link/SbComJournal.h"
#include "platform/Journal.h"
#include "platform/cvi.h"
#include "tests/support/TestSupport.h"
#include "ui/FileNotices.h"

namespace fs = std::filesystem;

// A journal that cannot write (here "Logs" is a file, not a folder) is told to the
// operator once, with the file and the reason, and writes again once it can.
TEST(LinkJournal, JournalThatCannotWriteIsToldOnceAndGoesOnWhenItCan) {
    qstest::EnsureRuntime();
    qstest::TempProgramDir dir(false);
    qstest::WriteFileBytes(dir.file("Logs"), "not a folder");
    SbForgetFileNotices();
    SbComJournalDemarrer();
    auto write = [](const char* text) {
        SbComJournalLien(text);
        EXPECT_EQ(JournalSync(10), 0);
        SbComJournalSurveiller();
    };
    write("first");
    write("second");
    ASSERT_EQ(SbFileNotes().size(), 1u);
    EXPECT_EQ(SbFileNotes()[0].kind, SbFileNotice::FileNotWritten);
    EXPECT_EQ(SbFileNotes()[0].path.rfind("Logs\\link-", 0), 0u) << SbFileNotes()[0].path;
    EXPECT_EQ(SbFileNotes()[0].reason, FILE_WRITE_OTHER);
    SbForgetFileNotices();
    fs::remove(dir.file("Logs"));
    Delay(1.1);  // the journal tries again a second after a failure
    write("third");
    SbComJournalArreter();
    EXPECT_TRUE(SbFileNotes().empty());
    std::string all;
    for (const auto& e : fs::directory_iterator(dir.file("Logs")))
        all += qstest::ReadFileBytes(e.path().string());
    EXPECT_NE(all.find(" * third\n"), std::string::npos) << all;
}
