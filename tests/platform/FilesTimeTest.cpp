// What the layer writes on disk and reads from it: files, paths, the journal.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "platform/Journal.h"
#include "platform/cvi.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;
using qstest::ReadFileBytes;
using qstest::WriteFileBytes;

TEST(PlatformFiles, WritesAreAtomicReadsBoundedPathsStayInTheirFolderJournalBounded) {
    qstest::EnsureRuntime();
    qstest::TempProgramDir dir(false);
    fs::create_directories(dir.file("Settings"));
    WriteFileBytes(dir.file("Settings/a.q31set"), std::string(100, 'a'));
    EXPECT_EQ(FileWriteAtomic("Settings\\a.q31set", "\x01\x00\x02", 3), 0);  // Windows separators
    EXPECT_EQ(ReadFileBytes(dir.file("Settings/a.q31set")), std::string("\x01\x00\x02", 3));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.file("Settings")), {}), 1);  // no temporary left
    // The file gets what an ordinary new file gets under the process's mask, which is kept.
    const mode_t mask = umask(022);
    EXPECT_EQ(FileWriteAtomic("Settings/b.q31set", "b", 1), 0);
    EXPECT_EQ(fs::status(dir.file("Settings/b.q31set")).permissions(), fs::perms(0644));
    EXPECT_EQ(umask(mask), mode_t(022));
    EXPECT_TRUE(FileWriteAtomic("Nowhere\\rec.bin", "xyz", 3) == -1 && !fs::exists(dir.file("Nowhere")));
    char buf[8], drive[260], folder[260], file[260];
    long size = 0;
    WriteFileBytes(dir.file("f.bin"), "0123456789");
    EXPECT_EQ(FileReadUpTo("missing.bin", buf, sizeof buf), -1);
    EXPECT_EQ(FileReadUpTo("f.bin", buf, sizeof buf) * 10 + FileExists("f.bin", &size) + size, 80 + 11);
    EXPECT_EQ(std::string(buf, 8), "01234567");
    EXPECT_EQ(CopyFile("f.bin", "f.bin"), 0);  // onto itself: kept whole
    EXPECT_EQ(CopyFile("f.bin", "Settings\\copy.bin"), 0);
    EXPECT_EQ(ReadFileBytes(dir.file("Settings/copy.bin")) + ReadFileBytes(dir.file("f.bin")),
              "01234567890123456789");
    EXPECT_TRUE(CopyFile("none.bin", "x.bin") != 0 && !fs::exists(dir.file("x.bin")));
    SplitPath("C:\\Clock\\Data\\logo.png", drive, folder, file);  // a path stored on Windows
    EXPECT_EQ(std::string(drive) + "|" + folder + "|" + file, "C:|\\Clock\\Data\\|logo.png");
    // Files the program only reads where they are (pictures, pages): plain files inside their
    // folder, whatever a stored or hostile path says.
    for (const char* sub : {"Data/sub", "Data2"}) fs::create_directories(dir.file(sub));
    for (const char* name : {"Data/logo.png", "Data2/x.png"}) WriteFileBytes(dir.file(name), "x");
    fs::create_symlink(dir.file("f.bin"), dir.file("Data/out.png"));
    for (auto [path, plain, inside] : {std::tuple{"Data/logo.png", 1, 1},
                                       {"Data\\logo.png", 1, 1},
                                       {"Data/../f.bin", 1, 0},
                                       {"Data2/x.png", 1, 0},
                                       {"Data/out.png", 1, 0},
                                       {"Data/sub", 0, 0},
                                       {"Data/missing.png", 0, 0}})
        EXPECT_EQ(FileIsPlain(path) * 10 + FileInsideFolder("Data", path), plain * 10 + inside) << path;
    // The journal's folder stays under its size however much is written: a day's file past a
    // quarter of it is set aside and the oldest files go first, the newest lines kept; files that
    // are not the journal's are left alone.
    fs::create_directories(dir.file("Logs"));
    for (const char* name : {"Logs/link-20200101.log", "Logs/link-20200102.log", "Logs/notes.txt"}) {
        WriteFileBytes(dir.file(name), std::string(1500, 'o') + "\n");
        fs::last_write_time(dir.file(name), fs::file_time_type::clock::now() - std::chrono::hours(48));
    }
    ASSERT_EQ(JournalStart("Logs", "link", 4000, "# header"), 0);
    for (int i = 0; i < 300; ++i) {
        const std::string line = "line " + std::to_string(i) + std::string(24, '.');
        JournalAdd(line.data(), line.size());
    }
    EXPECT_EQ(JournalSync(10), 0);
    JournalStop();
    long total = 0;
    std::string all;
    for (const auto& e : fs::directory_iterator(dir.file("Logs"))) {
        const std::string name = e.path().filename().string();
        if (name == "notes.txt") continue;
        EXPECT_TRUE(name.rfind("link-2", 0) == 0 && name.find("link-20200") == std::string::npos) << name;
        total += long(e.file_size());
        all += ReadFileBytes(e.path().string());
    }
    EXPECT_TRUE(total <= 4000 && fs::exists(dir.file("Logs/notes.txt")));
    EXPECT_TRUE(all.find(" line 299......") != std::string::npos &&
                all.find(" line 0......") == std::string::npos);
}
