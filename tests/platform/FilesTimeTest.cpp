// Files, folders, time, the journal and the dialog hooks of the run-time layer.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/Journal.h"
#include "platform/cvi.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;
using qstest::ReadFileBytes;
using qstest::WriteFileBytes;

TEST(PlatformFiles, WritesAreAtomicReadsBoundedPathsStored) {
    qstest::EnsureRuntime();
    qstest::TempProgramDir dir(false);
    fs::create_directories(dir.file("Settings"));
    WriteFileBytes(dir.file("Settings/a.q31set"), std::string(100, 'a'));
    EXPECT_EQ(FileWriteAtomic("Settings\\a.q31set", "\x01\x00\x02", 3), 0);  // Windows separators
    EXPECT_EQ(ReadFileBytes(dir.file("Settings/a.q31set")), std::string("\x01\x00\x02", 3));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.file("Settings")), {}), 1);  // no temporary left
    EXPECT_EQ(FileWriteAtomic("Nowhere\\rec.bin", "xyz", 3), -1);
    EXPECT_FALSE(fs::exists(dir.file("Nowhere")));

    char buf[8];
    WriteFileBytes(dir.file("f.bin"), "0123456789");
    EXPECT_EQ(FileReadUpTo("missing.bin", buf, sizeof buf), -1);
    EXPECT_EQ(FileReadUpTo("f.bin", buf, sizeof buf), 8);
    EXPECT_EQ(std::string(buf, 8), "01234567");
    EXPECT_EQ(FileReadUpTo("Settings/a.q31set", buf, sizeof buf), 3);
    long size = 0;
    EXPECT_EQ(FileExists("f.bin", &size) * 100 + size, 110);
    EXPECT_EQ(FileExists("missing.bin", &size), 0);

    EXPECT_EQ(CopyFile("f.bin", "f.bin"), 0);  // onto itself: kept whole
    EXPECT_EQ(CopyFile("f.bin", "Settings\\copy.bin"), 0);
    EXPECT_EQ(ReadFileBytes(dir.file("Settings/copy.bin")) + ReadFileBytes(dir.file("f.bin")),
              "01234567890123456789");
    EXPECT_NE(CopyFile("none.bin", "x.bin"), 0);
    EXPECT_FALSE(fs::exists(dir.file("x.bin")));

    char path[260];
    GetProjectDir(path);
    EXPECT_EQ(std::string(path), dir.path());
    EXPECT_EQ(MakeDir("Chronos"), 0);
    EXPECT_EQ(MakeDir("Chronos"), -9);
    EXPECT_EQ(SetDir("Chronos"), 0);
    GetDir(path);
    EXPECT_EQ(fs::canonical(path), fs::canonical(dir.file("Chronos")));
    EXPECT_NE(SetDir("NoSuchFolder"), 0);
}

TEST(PlatformFiles, SplitPathAndNativePath) {
    const struct {
        const char *path, *drive, *folder, *file;
    } cases[] = {{"C:\\Clock\\Data\\logo.png", "C:", "\\Clock\\Data\\", "logo.png"},
                 {"/tmp/run/Chrono.q31tps", "", "/tmp/run/", "Chrono.q31tps"},
                 {"name.txt", "", "", "name.txt"}};
    for (const auto& c : cases) {
        char drive[260], folder[260], file[260];
        SplitPath(c.path, drive, folder, file);
        EXPECT_EQ(std::string(drive) + "|" + folder + "|" + file,
                  std::string(c.drive) + "|" + c.folder + "|" + c.file);
    }
    char out[8];
    ToNativePath("Data\\logo.png", out, sizeof out);
    EXPECT_STREQ(out, "Data/lo");
}

TEST(PlatformTime, TimerCanBeDrivenAndComesBack) {
    const double before = Timer();
    SetTimeSource([] { return 1234.5; }, [](int* h, int* m, int* s) { *h = 9, *m = 59, *s = 58; });
    EXPECT_EQ(Timer(), 1234.5);
    int h = 0, m = 0, s = 0;
    GetSystemTime(&h, &m, &s);
    EXPECT_EQ(h * 10000 + m * 100 + s, 95958);
    SetTimeSource(nullptr, nullptr);
    EXPECT_GE(Timer(), before);
}

namespace {
std::string g_heard;
}  // namespace

TEST(PlatformDialogs, HooksAnswerInsteadOfTheOperatorAndTonesNeverHang) {
    qstest::EnsureRuntime();
    qstest::TempProgramDir dir(false);
    SetMessageHook(
        [](const char* title, const char* message) { g_heard = std::string(title) + "|" + message; });
    EXPECT_EQ(MessagePopup("Ouverture fichier PDF", "Impossible de lire"), 0);
    SetMessageHook(nullptr);
    EXPECT_EQ(g_heard, "Ouverture fichier PDF|Impossible de lire");
    SetFileSelectHook([](const char* folder, const char*, const char*, int button, char out[260]) -> int {
        snprintf(out, 260, "%s\\chosen.q31tps", folder);
        return button == VAL_SAVE_BUTTON ? VAL_NEW_FILE_SELECTED : VAL_EXISTING_FILE_SELECTED;
    });
    char path[260];
    EXPECT_EQ(FileSelectPopup("Chronos", "*.q31tps", "*.q31tps;", "Save", VAL_SAVE_BUTTON, 0, 1, 1, 1, path),
              VAL_NEW_FILE_SELECTED);
    SetFileSelectHook(nullptr);
    EXPECT_STREQ(path, "Chronos\\chosen.q31tps");
    SetSoundHook([](const char* tone) { g_heard = tone; });
    EXPECT_NE(sndPlaySoundA("Bip444Hz.wav", SND_NOWAIT), 0);
    SetSoundHook(nullptr);
    EXPECT_EQ(g_heard, "Bip444Hz.wav");
    // Without the hook, a tone that is missing or no wave is harmless, and a real one ends
    // with or without an audio device.
    EXPECT_EQ(sndPlaySoundA("NoSuchTone.wav", SND_NOWAIT), 0);
    WriteFileBytes(dir.file("NotAWave.wav"), "RIFF....garbage");
    EXPECT_EQ(sndPlaySoundA("NotAWave.wav", SND_NOWAIT), 0);
    std::string wave = std::string(
                           "RIFF\x64\x01\0\0WAVEfmt "
                           "\x10\0\0\0\x01\0\x01\0\x40\x1F\0\0\x40\x1F\0\0\x01\0\x08\0data\x40\x01\0\0",
                           44) +
                       std::string(320, '\x80');
    WriteFileBytes(dir.file("Bip.wav"), wave);
    const int played = sndPlaySoundA("Bip.wav", SND_NOWAIT);
    EXPECT_TRUE(played == 0 || played == 1);
    EXPECT_NE(OpenDocument("Doc\\NoSuchGuide.pdf"), 0);
}

// The journal's folder stays under its size however much is written: a day's file past a
// quarter of it is set aside and the oldest files go first, the newest lines kept; files that
// are not the journal's are left alone.
TEST(PlatformFiles, JournalFolderStaysUnderItsSizeOldestFilesFirst) {
    qstest::EnsureRuntime();
    qstest::TempProgramDir dir(false);
    fs::create_directories(dir.file("Logs"));
    for (const char* name : {"Logs/link-20200101.log", "Logs/link-20200102.log", "Logs/notes.txt"}) {
        WriteFileBytes(dir.file(name), std::string(1500, 'o') + "\n");
        fs::last_write_time(dir.file(name), fs::file_time_type::clock::now() - std::chrono::hours(48));
    }
    constexpr long kCap = 4000;
    ASSERT_EQ(JournalStart("Logs", "link", kCap, "# header"), 0);
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
        EXPECT_EQ(name.rfind("link-2", 0), 0u) << name;
        EXPECT_EQ(name.find("link-20200"), std::string::npos) << name;
        total += long(e.file_size());
        all += ReadFileBytes(e.path().string());
    }
    EXPECT_LE(total, kCap);
    EXPECT_TRUE(fs::exists(dir.file("Logs/notes.txt")));
    EXPECT_NE(all.find(" line 299......"), std::string::npos);  // the newest lines are kept
    EXPECT_EQ(all.find(" line 0......"), std::string::npos);    // the oldest went
}
