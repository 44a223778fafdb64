// Second-display records and images from other computers: laid out within bounds of
// memory and time, images read only from plain files of "Data", never waiting on one,
// and taking an image into "Data" never replaces another file.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <vector>

#include "display/FsdImages.h"
#include "display/FsdParamFile.h"
#include "panels/FQ31_SD.h"
#include "tests/display/FsdTestSupport.h"

using namespace fq31_sd;
using fsdtest::DisplayTest;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> messagesG;

std::string Fixture(const std::string& name) {
    return std::string(QS_DISPLAY_FIXTURES) + "/" + name;
}

// A hang ends the test process (each test runs in a process of its own) instead of
// stalling the suite.
struct Watchdog {
    explicit Watchdog(unsigned seconds) { alarm(seconds); }
    ~Watchdog() { alarm(0); }
};

class DisplayHostile : public DisplayTest {
protected:
    void SetUp() override {
        DisplayTest::SetUp();
        WriteImage("Data/logo.bmp", 64, 32);
        messagesG.clear();
        SetMessageHook([](const char*, const char* text) { messagesG.push_back(text); });
    }
};

}  // namespace

TEST_F(DisplayHostile, RecordsFromOtherComputersLayOutWithinBounds) {
    for (const char* name : {"huge_logos.q31fsd", "extreme.q31fsd"}) {
        SCOPED_TRACE(name);
        Watchdog guard(60);
        Q31FsdParamCharger(Fixture(name).c_str(), &Q31G.secondDisplay);
        Q31FsdOuvrir();
        // Shown, then full screen on a large screen, then in edit mode and back.
        SetPanelSize(FsdPanneauxG.display, 2160, 3840);
        FsdSuivreTaille();
        for (bool edit : {true, false}) {
            ProcessSystemEvents();
            Q31FsdInit(true, edit);
        }
        ProcessSystemEvents();
        for (int logo : {DISPLAY_LOGO1, DISPLAY_LOGO2, DISPLAY_LOGO3, DISPLAY_LOGO4}) {
            EXPECT_LE(Attr(FsdPanneauxG.display, logo, ATTR_WIDTH), 3840);  // within the screen
            EXPECT_LE(Attr(FsdPanneauxG.display, logo, ATTR_HEIGHT), 2160);
        }
        for (const auto& l : Q31G.secondDisplay.logos) EXPECT_TRUE(l.height >= 0 && l.height <= 720);
        EXPECT_GT(Attr(FsdPanneauxG.display, DISPLAY_LOGO1, ATTR_IMAGE_WIDTH), 0);  // the logos are shown
        struct rusage u {};
        getrusage(RUSAGE_SELF, &u);
        EXPECT_LT(u.ru_maxrss / 1024, qstest::MemoryBound(300));
        Q31FsdFermer();
    }
}

TEST_F(DisplayHostile, ImagePathsOutsideDataAreRefusedOnceAndNeverWaitedOn) {
    qstest::WriteFileBytes(dir->file("outside.bmp"), fsdtest::Bmp(64, 32));
    ASSERT_EQ(mkfifo(dir->file("Data/fifo").c_str(), 0600), 0);
    fs::create_symlink("logo.bmp", dir->file("Data/inside.bmp"));
    fs::create_symlink("../outside.bmp", dir->file("Data/link.bmp"));
    fs::create_symlink("/dev/zero", dir->file("Data/zero"));
    for (const char* name : {"Data/my logo.bmp", "Data/a:b.bmp", "Data/a\x01.bmp", "Data/sub/logo.bmp"}) {
        fs::create_directories(dir->file("Data/sub"));
        qstest::WriteFileBytes(dir->file(name), fsdtest::Bmp(64, 32));
    }
    const struct {
        std::string path;
        bool shown, told;
    } cases[] = {
        {"Data\\logo.bmp", true, false},         {"Data/inside.bmp", true, false},
        {dir->file("outside.bmp"), false, true}, {"..\\outside.bmp", false, true},
        {"Data\\..\\outside.bmp", false, true},  {"Data\\fifo", false, true},
        {"Data\\link.bmp", false, true},         {"Data\\zero", false, true},
        {"Data\\missing.bmp", false, false},     {"Data\\my logo.bmp", true, false},
        {"Data\\sub\\logo.bmp", false, true},    {"Data\\a:b.bmp", false, true},
        {"Data\\a\x01.bmp", false, true},
    };
    Q31FsdOuvrir();
    for (const auto& k : cases) {
        SCOPED_TRACE(k.path);
        Watchdog guard(20);
        messagesG.clear();
        FsdLogo& logo = Q31G.secondDisplay.logos[0];
        logo.visible = 1;
        std::strcpy(logo.path, k.path.c_str());
        std::strcpy(Q31G.secondDisplay.background, k.path.c_str());
        Q31G.secondDisplay.showBackground = 1;
        FsdOublierImages();
        Q31FsdInit(true, false);
        Q31FsdInit(true, false);  // laid out again: told once
        EXPECT_EQ(Attr(FsdPanneauxG.display, DISPLAY_LOGO1, ATTR_IMAGE_WIDTH) > 0, k.shown);
        EXPECT_EQ(Attr(FsdPanneauxG.display, DISPLAY_BACKGROUND, ATTR_IMAGE_WIDTH) > 0, k.shown);
        EXPECT_EQ(messagesG.size(), k.told ? 1u : 0u);
    }
    // A whole record of such paths loads and lays out without waiting.
    Watchdog guard(20);
    Q31FsdParamCharger(Fixture("outside_paths.q31fsd").c_str(), &Q31G.secondDisplay);
    Q31FsdInit(true, false);
    EXPECT_EQ(Attr(FsdPanneauxG.display, DISPLAY_LOGO3, ATTR_IMAGE_WIDTH), 0);
}

TEST_F(DisplayHostile, TakingAnImageIntoDataNeverReplacesAnotherFile) {
    const std::string former = fsdtest::Bmp(64, 32), chosen = fsdtest::Bmp(20, 10);
    fs::create_directories(dir->file("in"));
    qstest::WriteFileBytes(dir->file("in/logo.bmp"), chosen);
    char field[256] = "";
    // A different file of the same name: both kept, the new one under the next free name.
    EXPECT_TRUE(FsdLoadImage(dir->file("in/logo.bmp").c_str(), field));
    EXPECT_STREQ(field, "Data\\logo-2.bmp");
    EXPECT_EQ(qstest::ReadFileBytes(dir->file("Data/logo.bmp")), former);
    EXPECT_EQ(qstest::ReadFileBytes(dir->file("Data/logo-2.bmp")), chosen);
    // The same file again: taken as it is, no third copy.
    EXPECT_TRUE(FsdLoadImage(dir->file("in/logo.bmp").c_str(), field));
    EXPECT_STREQ(field, "Data\\logo-2.bmp");
    EXPECT_FALSE(fs::exists(dir->file("Data/logo-3.bmp")));
    // A FIFO chosen in the file dialog is refused without waiting for a writer; so is a
    // file that is not there.
    ASSERT_EQ(mkfifo(dir->file("in/pipe.bmp").c_str(), 0600), 0);
    Watchdog guard(20);
    for (const char* bad : {"in/pipe.bmp", "missing.png"}) {
        EXPECT_FALSE(FsdLoadImage(dir->file(bad).c_str(), field));
        EXPECT_STREQ(field, "Data\\logo-2.bmp");
    }
    EXPECT_EQ(messagesG.size(), 2u);
}
