// Files, folders, time and the dialog hooks of the run-time layer.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/Journal.h"
#include "platform/cvi.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

int TempFiles(const std::string& folder) {
    int n = 0;
    for (auto& e : fs::directory_iterator(folder))
        if (e.path().filename().string().find(".tmp") != std::string::npos) ++n;
    return n;
}

}  // namespace

TEST(PlatformFiles, AtomicWriteReplacesAndLeavesNoTemporary) {
    qstest::EnsureRuntime();
    qstest::TempProgramDir dir(false);
    std::string path = dir.file("rec.bin");
    qstest::WriteFileBytes(path, std::string(100, 'a'));
    EXPECT_EQ(FileWriteAtomic("rec.bin", "xyz", 3), 0);
    EXPECT_EQ(qstest::ReadFileBytes(path), "xyz");
    EXPECT_EQ(TempFiles(dir.path()), 0);
    // A folder that does not exist fails and creates nothing.
    EXPECT_EQ(FileWriteAtomic("Nowhere\\rec.bin", "xyz", 3), -1);
    EXPECT_FALSE(fs::exists(dir.file("Nowhere")));
    // Windows separators of stored paths are understood.
    fs::create_directories(dir.file("Settings"));
    EXPECT_EQ(FileWriteAtomic("Settings\\a.q31set", "\x01\x00\x02", 3), 0);
    EXPECT_EQ(qstest::FileSize(dir.file("Settings/a.q31set")), 3);
    EXPECT_EQ(TempFiles(dir.file("Settings")), 0);
}

TEST(PlatformFiles, ReadUpToAndExists) {
    qstest::TempProgramDir dir(false);
    char buf[8];
    EXPECT_EQ(FileReadUpTo("missing.bin", buf, sizeof buf), -1);
    qstest::WriteFileBytes(dir.file("f.bin"), "0123456789");
    EXPECT_EQ(FileReadUpTo("f.bin", buf, sizeof buf), 8);
    EXPECT_EQ(memcmp(buf, "01234567", 8), 0);
    qstest::WriteFileBytes(dir.file("short.bin"), "ab");
    EXPECT_EQ(FileReadUpTo("short.bin", buf, sizeof buf), 2);
    long size = 0;
    EXPECT_EQ(FileExists("f.bin", &size), 1);
    EXPECT_EQ(size, 10);
    EXPECT_EQ(FileExists("missing.bin", &size), 0);
}

TEST(PlatformFiles, CopyOntoItselfAndElsewhere) {
    qstest::TempProgramDir dir(false);
    fs::create_directories(dir.file("Data"));
    qstest::WriteFileBytes(dir.file("Data/logo.png"), "PNGDATA");
    EXPECT_EQ(CopyFile("Data\\logo.png", "Data\\logo.png"), 0);
    EXPECT_EQ(qstest::ReadFileBytes(dir.file("Data/logo.png")), "PNGDATA");
    EXPECT_EQ(CopyFile("Data/logo.png", "copy.png"), 0);
    EXPECT_EQ(qstest::ReadFileBytes(dir.file("copy.png")), "PNGDATA");
    EXPECT_NE(CopyFile("Data/none.png", "x.png"), 0);
    EXPECT_FALSE(fs::exists(dir.file("x.png")));
}

TEST(PlatformFiles, SplitPathAndNativePath) {
    char drive[260], folder[260], file[260];
    SplitPath("C:\\Clock\\Data\\logo.png", drive, folder, file);
    EXPECT_STREQ(drive, "C:");
    EXPECT_STREQ(folder, "\\Clock\\Data\\");
    EXPECT_STREQ(file, "logo.png");
    SplitPath("/tmp/run/Chrono.q31tps", drive, folder, file);
    EXPECT_STREQ(drive, "");
    EXPECT_STREQ(folder, "/tmp/run/");
    EXPECT_STREQ(file, "Chrono.q31tps");
    SplitPath("name.txt", nullptr, folder, file);
    EXPECT_STREQ(folder, "");
    EXPECT_STREQ(file, "name.txt");
    char out[8];
    ToNativePath("Data\\logo.png", out, sizeof out);
    EXPECT_STREQ(out, "Data/lo");
}

TEST(PlatformFiles, FoldersAndProgramFolder) {
    qstest::EnsureRuntime();
    qstest::TempProgramDir dir(false);
    char buf[260];
    GetProjectDir(buf);
    EXPECT_EQ(std::string(buf), dir.path());
    EXPECT_EQ(MakeDir("Chronos"), 0);
    EXPECT_EQ(MakeDir("Chronos"), -9);
    EXPECT_TRUE(fs::is_directory(dir.file("Chronos")));
    EXPECT_EQ(SetDir("Chronos"), 0);
    GetDir(buf);
    EXPECT_EQ(fs::canonical(buf), fs::canonical(dir.file("Chronos")));
    EXPECT_NE(SetDir("NoSuchFolder"), 0);
}

namespace {
double FixedTimer() {
    return 1234.5;
}
void FixedLocal(int* h, int* m, int* s) {
    *h = 9, *m = 59, *s = 58;
}
}  // namespace

TEST(PlatformTime, TimerIsMonotonicAndCanBeDriven) {
    double a = Timer();
    Delay(0.01);
    double b = Timer();
    EXPECT_GT(b, a);
    SetTimeSource(FixedTimer, FixedLocal);
    EXPECT_EQ(Timer(), 1234.5);
    int h = 0, m = 0, s = 0;
    GetSystemTime(&h, &m, &s);
    EXPECT_EQ(h * 3600 + m * 60 + s, 9 * 3600 + 59 * 60 + 58);
    SetTimeSource(nullptr, nullptr);
    EXPECT_GE(Timer(), b);
    int month = 0, day = 0, year = 0;
    GetSystemDate(&month, &day, &year);
    EXPECT_GE(year, 2024);
    EXPECT_TRUE(month >= 1 && month <= 12 && day >= 1 && day <= 31);
}

namespace {
std::string g_lastTitle, g_lastMessage;
void CatchMessage(const char* title, const char* message) {
    g_lastTitle = title;
    g_lastMessage = message;
}
int AnswerFile(const char* dir, const char*, const char*, int button, char out[260]) {
    snprintf(out, 260, "%s\\chosen.q31tps", dir);
    return button == VAL_SAVE_BUTTON ? VAL_NEW_FILE_SELECTED : VAL_EXISTING_FILE_SELECTED;
}
int g_sounds = 0;
void CountSound(const char*) {
    ++g_sounds;
}
}  // namespace

TEST(PlatformDialogs, HooksAnswerInsteadOfTheOperator) {
    qstest::EnsureRuntime();
    SetMessageHook(CatchMessage);
    EXPECT_EQ(MessagePopup("Ouverture fichier PDF", "Impossible de lire"), 0);
    SetMessageHook(nullptr);
    EXPECT_EQ(g_lastTitle, "Ouverture fichier PDF");
    EXPECT_EQ(g_lastMessage, "Impossible de lire");

    SetFileSelectHook(AnswerFile);
    char path[260];
    EXPECT_EQ(FileSelectPopup("Chronos", "*.q31tps", "*.q31tps;", "Save", VAL_SAVE_BUTTON, 0, 1, 1, 1, path),
              VAL_NEW_FILE_SELECTED);
    SetFileSelectHook(nullptr);
    EXPECT_STREQ(path, "Chronos\\chosen.q31tps");

    SetSoundHook(CountSound);
    g_sounds = 0;
    EXPECT_NE(sndPlaySoundA("Bip444Hz.wav", SND_NOWAIT), 0);
    SetSoundHook(nullptr);
    EXPECT_EQ(g_sounds, 1);
    // Without the hook a missing tone is harmless.
    EXPECT_EQ(sndPlaySoundA("NoSuchTone.wav", SND_NOWAIT), 0);

    EXPECT_NE(OpenDocument("Doc\\NoSuchGuide.pdf"), 0);
}

TEST(PlatformDialogs, CursorsTrackTheWaitState) {
    qstest::EnsureRuntime();
    int c = -1;
    SetMouseCursor(VAL_POINTING_FINGER_CURSOR);
    GetMouseCursor(&c);
    EXPECT_EQ(c, VAL_POINTING_FINGER_CURSOR);
    SetWaitCursor(1);
    GetMouseCursor(&c);
    EXPECT_EQ(c, VAL_HOUR_GLASS_CURSOR);
    SetWaitCursor(0);
    GetMouseCursor(&c);
    EXPECT_EQ(c, VAL_POINTING_FINGER_CURSOR);
    SetMouseCursor(VAL_DEFAULT_CURSOR);
    GetMouseCursor(&c);
    EXPECT_EQ(c, VAL_DEFAULT_CURSOR);
    int h = 0, w = 0;
    EXPECT_EQ(GetScreenSize(&h, &w), 0);
    EXPECT_GT(h, 0);
    EXPECT_GT(w, 0);
}

namespace {
// A 50 ms, 8 kHz, 8-bit mono tone.
std::string TinyWav() {
    auto le = [](uint32_t v, int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s += char((v >> (8 * i)) & 0xFF);
        return s;
    };
    std::string data(400, '\x80');
    for (size_t i = 0; i < data.size(); i += 8) data[i] = '\xF0';
    return "RIFF" + le(uint32_t(36 + data.size()), 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) +
           le(8000, 4) + le(8000, 4) + le(1, 2) + le(8, 2) + "data" + le(uint32_t(data.size()), 4) + data;
}
}  // namespace

// With or without an audio device, a tone ends: the call never waits for ever.
TEST(PlatformSound, ToneReturnsWithOrWithoutADevice) {
    qstest::EnsureRuntime();
    qstest::TempProgramDir dir(false);
    qstest::WriteFileBytes(dir.file("Bip.wav"), TinyWav());
    int played = sndPlaySoundA("Bip.wav", SND_NOWAIT);
    EXPECT_TRUE(played == 0 || played == 1);
    EXPECT_EQ(sndPlaySoundA("NotAWave.wav", SND_NOWAIT), 0);
    qstest::WriteFileBytes(dir.file("NotAWave.wav"), "RIFF....garbage");
    EXPECT_EQ(sndPlaySoundA("NotAWave.wav", SND_NOWAIT), 0);
}

// The journal's folder stays under its size however much is written: a day's file past a
// quarter of it is set aside and the oldest files go first, the newest lines kept; files
// that are not the journal's are left alone.
TEST(PlatformFiles, JournalFolderStaysUnderItsSizeOldestFilesFirst) {
    qstest::EnsureRuntime();
    qstest::TempProgramDir dir(false);
    fs::create_directories(dir.file("Logs"));
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(48);
    for (const char* name : {"Logs/link-20200101.log", "Logs/link-20200102.log", "Logs/notes.txt"}) {
        qstest::WriteFileBytes(dir.file(name), std::string(1500, 'o') + "\n");
        fs::last_write_time(dir.file(name), old);
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
        EXPECT_EQ(name.rfind("link-", 0), 0u) << name;
        EXPECT_NE(name, "link-20200101.log");
        EXPECT_NE(name, "link-20200102.log");
        total += long(e.file_size());
        all += qstest::ReadFileBytes(e.path().string());
    }
    EXPECT_LE(total, kCap);
    EXPECT_TRUE(fs::exists(dir.file("Logs/notes.txt")));
    EXPECT_NE(all.find(" line 299......"), std::string::npos);  // the newest lines are kept
    EXPECT_EQ(all.find(" line 0......"), std::string::npos);    // the oldest went
}
