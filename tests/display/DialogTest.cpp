// Second-display section of the parameters dialog: proportions, defaults, images, files.
#include "display/FsdImages.h"
#include "panels/FQ31_SD.h"
#include "tests/display/FsdTestSupport.h"

using namespace fq31;
using fsdtest::DisplayTest;
using fsdtest::Rec;

namespace {

std::string answer;  // what the file dialog answers ("": cancelled)
int popups = 0;

void Commit(int dlg, int ctrl) {
    QueueUserEvent(dlg, ctrl);
    ProcessSystemEvents();
}

class DisplayDialog : public DisplayTest {
protected:
    void SetUp() override {
        DisplayTest::SetUp();
        answer.clear();
        popups = 0;
        SetFileSelectHook([](const char*, const char*, const char*, int, char path[260]) -> int {
            std::snprintf(path, 260, "%s", answer.c_str());
            return answer.empty() ? VAL_NO_FILE_SELECTED : VAL_EXISTING_FILE_SELECTED;
        });
        SetMessageHook([](const char*, const char*) { ++popups; });
        OpenDialog();
    }
};

}  // namespace

TEST_F(DisplayDialog, SizesTypedKeepTheirWindowsProportions) {
    const struct {
        int control, value, width, recorded, *record;
    } cases[] = {
        {PARAMS_WIN1_HEIGHT, 161, PARAMS_WIN1_WIDTH, 241, &Rec().windows[FSD_WIN_COUNTDOWN].width},
        {PARAMS_WIN1_HEIGHT, 300, PARAMS_WIN1_WIDTH, 450, &Rec().windows[FSD_WIN_COUNTDOWN].width},
        {PARAMS_WIN2_HEIGHT, 250, PARAMS_WIN2_WIDTH, 250, &Rec().windows[FSD_WIN_DIAL].width},  // square
        {PARAMS_LIGHT3_HEIGHT, 90, PARAMS_LIGHT3_WIDTH, 90, &Rec().lights[2].width},            // round
        {PARAMS_LOGO2_HEIGHT, 30, PARAMS_LOGO2_WIDTH, 48, &Rec().logos[1].width},               // free: kept
        {PARAMS_LOGO2_WIDTH, 170, PARAMS_LOGO2_WIDTH, 170, &Rec().logos[1].width},
    };
    for (const auto& c : cases) {
        SetCtrlVal(dlg, c.control, c.value);
        Commit(dlg, c.control);
        EXPECT_EQ(*c.record, c.recorded) << c.control;
        EXPECT_EQ(Attr(dlg, c.width, 0), c.recorded) << c.control;
    }
    EXPECT_EQ(Rec().windows[FSD_WIN_COUNTDOWN].width, 450);  // the other window untouched
    EXPECT_EQ(Attr(FsdPanneauxG.countdown, 0, ATTR_WIDTH), 450);
    EXPECT_EQ(Attr(FsdPanneauxG.display, fq31_sd::DISPLAY_LIGHT3, ATTR_WIDTH), 90);
    SetCtrlVal(dlg, PARAMS_LIGHT2_MODE, 7);
    SetCtrlVal(dlg, PARAMS_TEXT1, "Finale");
    Q31FsdParamGet(dlg);
    EXPECT_EQ(Rec().lights[1].mode, 7);
    EXPECT_STREQ(Rec().text1, "Finale");
}

TEST_F(DisplayDialog, PartialDefaultsKeepImagesAndLogoSizes) {
    FsdParam& r = Rec();
    std::strcpy(r.background, "Data\\snow.jpg");
    for (int k = 0; k < 4; ++k) {
        r.logos[k] = {1, 200 + k, 300 + k, 60 + k, 90 + k, {}};
        std::snprintf(r.logos[k].path, sizeof r.logos[k].path, "Data\\logo%d.png", k);
    }
    std::strcpy(r.text1, "Changed");
    r.lights[0].mode = 4;
    Q31FsdParamDefaut(&r, false);  // the default button: edit mode off, partial defaults
    Q31FsdParamSet(dlg, false);
    Q31FsdInit(true, false);
    Q31FsdParamGet(dlg);
    EXPECT_STREQ(r.background, "Data\\snow.jpg");
    EXPECT_STREQ(r.text1, "QS-310");
    EXPECT_EQ(r.lights[0].mode, 0);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(std::tuple(r.logos[k].visible, r.logos[k].height, r.logos[k].width),
                  std::tuple(0, 60 + k, 90 + k));
        EXPECT_EQ(std::string(r.logos[k].path), "Data\\logo" + std::to_string(k) + ".png");
    }
}

TEST_F(DisplayDialog, ImagesAreTakenIntoDataOrTheFormerPathIsKept) {
    WriteImage("banner.bmp", 200, 80);
    answer = dir->file("banner.bmp");
    Commit(dlg, PARAMS_LOGO3_LOAD);  // a loaded logo takes the image's own size
    EXPECT_STREQ(Rec().logos[2].path, "Data\\banner.bmp");
    EXPECT_EQ(std::tuple(Rec().logos[2].height, Rec().logos[2].width), std::tuple(80, 200));
    EXPECT_EQ(Attr(dlg, PARAMS_LOGO3_WIDTH, 0), 200);
    EXPECT_EQ(qstest::ReadFileBytes(dir->file("Data/banner.bmp")), fsdtest::Bmp(200, 80));
    EXPECT_EQ(Rec().logos[0].height, 48);  // the others keep their place and size
    EXPECT_EQ(Rec().logos[3].left, 906);
    answer.clear();
    Commit(dlg, PARAMS_LOGO1_LOAD);
    EXPECT_STREQ(Rec().logos[0].path, "");
    EXPECT_EQ(popups, 0);

    // An image already in "Data" is taken as it is, by either name.
    char field[256] = "";
    for (const std::string& path : {std::string("Data\\banner.bmp"), dir->file("Data/banner.bmp")}) {
        EXPECT_TRUE(FsdLoadImage(path.c_str(), field));
        EXPECT_STREQ(field, "Data\\banner.bmp");
        EXPECT_EQ(qstest::ReadFileBytes(dir->file("Data/banner.bmp")), fsdtest::Bmp(200, 80));
    }
    // A failed copy keeps the former path and tells the operator, through the button too.
    std::strcpy(Rec().background, "Data\\old.jpg");
    answer = dir->file("nowhere/absent.jpg");
    Commit(dlg, PARAMS_LOAD_BACKGROUND);
    EXPECT_STREQ(Rec().background, "Data\\old.jpg");
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(Attr(dlg, 0, ATTR_DIMMED), 0);

    char types[64] = "";  // the dialogs offer only the formats this build reads
    Q31FsdTypesImages(types, sizeof types);
    for (const char* ext : {"jpg", "bmp", "png", "pcx"})
        EXPECT_EQ(std::strstr(types, ("*." + std::string(ext) + ";").c_str()) != nullptr,
                  ImageFormatReadable(ext) == 1)
            << ext << " in " << types;
    EXPECT_EQ(ImageFormatReadable("pcx"), 0);
}

TEST_F(DisplayDialog, SavedFileIsTheWholeRecordAndLoadsBack) {
    SetCtrlVal(dlg, PARAMS_TEXT1, "Slalom");
    Commit(dlg, PARAMS_TEXT1);
    MakeDir("Settings");
    answer = dir->file("Settings/race.q31fsd");
    Commit(dlg, PARAMS_SAVE);
    const std::string bytes = qstest::ReadFileBytes(answer);
    ASSERT_EQ(bytes.size(), 2040u);
    EXPECT_EQ(bytes.substr(0, 7), std::string("Slalom\0", 7));
    EXPECT_EQ(bytes.compare(0, 256, std::string(reinterpret_cast<const char*>(&Rec()), 256)), 0);

    Rec().windows[FSD_WIN_DIAL].top = 12;
    std::strcpy(Rec().text1, "Other");
    SetCtrlVal(dlg, PARAMS_EDIT, 1);
    Commit(dlg, PARAMS_LOAD);
    EXPECT_STREQ(Rec().text1, "Slalom");
    EXPECT_EQ(Rec().windows[FSD_WIN_DIAL].top, 110);
    EXPECT_EQ(Attr(dlg, PARAMS_EDIT, 0), 0);
    char text[64] = "";
    GetCtrlVal(dlg, PARAMS_TEXT1, text, sizeof text);
    EXPECT_STREQ(text, "Slalom");
}

TEST_F(DisplayDialog, EditModeDimsPositionsAndOkAndShowsTheHelp) {
    Q31FsdParamSet(dlg, true);
    for (int ctrl : {PARAMS_WIN1_TOP, PARAMS_WIN2_HEIGHT, PARAMS_LIGHT4_LEFT, PARAMS_LOGO2_WIDTH,
                     PARAMS_LOGO1_LOAD, PARAMS_OK})
        EXPECT_EQ(Attr(dlg, ctrl, ATTR_DIMMED), 1) << ctrl;
    EXPECT_EQ(Attr(dlg, PARAMS_TEXT1, ATTR_DIMMED), 0);
    EXPECT_EQ(Attr(dlg, PARAMS_LIGHT1_MODE, ATTR_DIMMED), 0);
    EXPECT_EQ(Attr(dlg, PARAMS_HELP_1, ATTR_VISIBLE), 1);
    Q31FsdParamSet(dlg, false);
    EXPECT_EQ(Attr(dlg, PARAMS_LOGO1_LOAD, ATTR_DIMMED), 0);
    EXPECT_EQ(Attr(dlg, PARAMS_OK, ATTR_DIMMED), 0);
    EXPECT_EQ(Attr(dlg, PARAMS_HELP_2, ATTR_VISIBLE), 0);
}
