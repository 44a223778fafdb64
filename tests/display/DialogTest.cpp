// Second-display section of the parameters dialog: proportions, defaults, images, files.
#include <cstring>
#include <string>

#include "display/FsdImages.h"
#include "display/FsdPanneaux.h"
#include "display/Q31Fsd.h"
#include "display/Q31FsdParamDlg.h"
#include "panels/FQ31.h"
#include "panels/FQ31_SD.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "tests/display/FsdTestSupport.h"

using namespace fq31;
using fsdtest::DisplayTest;

namespace {

std::string answer;
int AnswerFile(const char*, const char*, const char*, int, char path[260]) {
    if (answer.empty()) return VAL_NO_FILE_SELECTED;
    strncpy(path, answer.c_str(), 259);
    path[259] = 0;
    return VAL_EXISTING_FILE_SELECTED;
}
int popups = 0;
void CountPopup(const char*, const char*) {
    ++popups;
}

FsdParam& Rec() {
    return Q31G.secondDisplay;
}

void Commit(int dlg, int ctrl) {
    QueueUserEvent(dlg, ctrl);
    ProcessSystemEvents();
}

}  // namespace

TEST_F(DisplayTest, WindowHeightGivesItsProportionalWidth) {
    OpenDialog();
    const struct { int height, width; } cases[] = {{161, 241}, {100, 150}, {300, 450}};
    for (auto c : cases) {
        SetCtrlVal(dlg, PARAMS_WIN1_HEIGHT, c.height);
        Commit(dlg, PARAMS_WIN1_HEIGHT);
        EXPECT_EQ(Rec().windows[FSD_WIN_COUNTDOWN].height, c.height);
        EXPECT_EQ(Rec().windows[FSD_WIN_COUNTDOWN].width, c.width);
        EXPECT_EQ(Val(dlg, PARAMS_WIN1_WIDTH), c.width);
        EXPECT_EQ(PanelAttr(FsdPanneauxG.countdown, ATTR_WIDTH), c.width);
    }
    // The dial window is square; a light is round.
    SetCtrlVal(dlg, PARAMS_WIN2_HEIGHT, 250);
    Commit(dlg, PARAMS_WIN2_HEIGHT);
    EXPECT_EQ(Val(dlg, PARAMS_WIN2_WIDTH), 250);
    EXPECT_EQ(Rec().windows[FSD_WIN_COUNTDOWN].width, 450);  // the other window untouched
    SetCtrlVal(dlg, PARAMS_LIGHT3_HEIGHT, 90);
    Commit(dlg, PARAMS_LIGHT3_HEIGHT);
    EXPECT_EQ(Rec().lights[2].width, 90);
    EXPECT_EQ(Val(dlg, PARAMS_LIGHT3_WIDTH), 90);
    EXPECT_EQ(Attr(FsdPanneauxG.display, fq31_sd::DISPLAY_LIGHT3, ATTR_WIDTH), 90);
}

TEST_F(DisplayTest, LogoSizeIsFreeAndLightModesRoundTrip) {
    OpenDialog();
    SetCtrlVal(dlg, PARAMS_LOGO2_HEIGHT, 30);
    Commit(dlg, PARAMS_LOGO2_HEIGHT);
    SetCtrlVal(dlg, PARAMS_LOGO2_WIDTH, 170);
    Commit(dlg, PARAMS_LOGO2_WIDTH);
    EXPECT_EQ(Rec().logos[1].height, 30);
    EXPECT_EQ(Rec().logos[1].width, 170);
    SetCtrlVal(dlg, PARAMS_LIGHT2_MODE, 7);
    SetCtrlVal(dlg, PARAMS_TEXT1, "Finale");
    Q31FsdParamGet(dlg);
    EXPECT_EQ(Rec().lights[1].mode, 7);
    EXPECT_STREQ(Rec().text1, "Finale");
}

TEST_F(DisplayTest, PartialDefaultsThroughTheDialogKeepImagesAndLogoSizes) {
    FsdParam& r = Rec();
    strcpy(r.background, "Data\\snow.jpg");
    for (int k = 0; k < 4; ++k) {
        r.logos[k] = {1, 200 + k, 300 + k, 60 + k, 90 + k, {}};
        snprintf(r.logos[k].path, sizeof r.logos[k].path, "Data\\logo%d.png", k);
    }
    strcpy(r.text1, "Changed");
    r.lights[0].mode = 4;
    OpenDialog();
    // The default button: edit mode off, partial defaults, controls filled, read back.
    Q31FsdParamDefaut(&r, false);
    Q31FsdParamSet(dlg, false);
    Q31FsdInit(true, false);
    Q31FsdParamGet(dlg);
    EXPECT_STREQ(r.background, "Data\\snow.jpg");
    EXPECT_STREQ(r.text1, "QS-310");
    EXPECT_EQ(r.lights[0].mode, 0);
    // Where the partial defaults put the logos is checked with the defaults themselves.
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(r.logos[k].visible, 0);
        EXPECT_EQ(r.logos[k].height, 60 + k);
        EXPECT_EQ(r.logos[k].width, 90 + k);
        EXPECT_EQ(std::string(r.logos[k].path), "Data\\logo" + std::to_string(k) + ".png");
    }
}

TEST_F(DisplayTest, LoadedLogoTakesTheImagesOwnSize) {
    OpenDialog();
    qstest::WriteFileBytes(dir->file("banner.bmp"), fsdtest::Bmp(200, 80));
    answer = dir->file("banner.bmp");
    SetFileSelectHook(AnswerFile);
    Commit(dlg, PARAMS_LOGO3_LOAD);
    EXPECT_STREQ(Rec().logos[2].path, "Data\\banner.bmp");
    EXPECT_EQ(Rec().logos[2].height, 80);
    EXPECT_EQ(Rec().logos[2].width, 200);
    EXPECT_EQ(Val(dlg, PARAMS_LOGO3_HEIGHT), 80);
    EXPECT_EQ(Val(dlg, PARAMS_LOGO3_WIDTH), 200);
    EXPECT_EQ(qstest::ReadFileBytes(dir->file("Data/banner.bmp")), fsdtest::Bmp(200, 80));
    // The other logos keep their place and size.
    EXPECT_EQ(Rec().logos[0].height, 48);
    EXPECT_EQ(Rec().logos[3].left, 906);
    // Cancelled: nothing changes.
    answer.clear();
    Commit(dlg, PARAMS_LOGO1_LOAD);
    EXPECT_STREQ(Rec().logos[0].path, "");
}

TEST_F(DisplayTest, ImageDialogsOfferOnlyFormatsThisBuildReads) {
    char types[64] = "";
    Q31FsdTypesImages(types, sizeof types);
    for (const char* ext : {"jpg", "bmp", "png", "pcx"})
        EXPECT_EQ(std::strstr(types, ("*." + std::string(ext) + ";").c_str()) != nullptr,
                  ImageFormatReadable(ext) == 1)
            << ext << " in " << types;
    EXPECT_EQ(ImageFormatReadable("PNG"), 1);
    EXPECT_EQ(ImageFormatReadable("pcx"), 0);  // this build has no reader for it
}

TEST_F(DisplayTest, ImageInsideDataIsCopiedOntoItself) {
    MakeDir("Data");
    const std::string bytes = fsdtest::Bmp(32, 16);
    qstest::WriteFileBytes(dir->file("Data/piste.bmp"), bytes);
    char field[256] = "";
    EXPECT_TRUE(FsdLoadImage("Data\\piste.bmp", field));
    EXPECT_STREQ(field, "Data\\piste.bmp");
    EXPECT_EQ(qstest::ReadFileBytes(dir->file("Data/piste.bmp")), bytes);
    EXPECT_TRUE(FsdLoadImage(dir->file("Data/piste.bmp").c_str(), field));
    EXPECT_STREQ(field, "Data\\piste.bmp");
    EXPECT_EQ(qstest::ReadFileBytes(dir->file("Data/piste.bmp")), bytes);
}

TEST_F(DisplayTest, FailedImageCopyKeepsTheFormerPathAndTellsTheOperator) {
    popups = 0;
    SetMessageHook(CountPopup);
    char field[256] = "Data\\old.png";
    EXPECT_FALSE(FsdLoadImage(dir->file("missing.png").c_str(), field));
    EXPECT_STREQ(field, "Data\\old.png");
    EXPECT_EQ(popups, 1);
    // Through the background button as well.
    OpenDialog();
    strcpy(Rec().background, "Data\\old.jpg");
    answer = dir->file("nowhere/absent.jpg");
    SetFileSelectHook(AnswerFile);
    Commit(dlg, PARAMS_LOAD_BACKGROUND);
    EXPECT_STREQ(Rec().background, "Data\\old.jpg");
    EXPECT_EQ(popups, 2);
}

TEST_F(DisplayTest, SavedFileIsTheWholeRecordAndLoadsBack) {
    OpenDialog();
    SetCtrlVal(dlg, PARAMS_TEXT1, "Slalom");
    Commit(dlg, PARAMS_TEXT1);
    answer = dir->file("Settings/race.q31fsd");
    MakeDir("Settings");
    SetFileSelectHook(AnswerFile);
    Commit(dlg, PARAMS_SAVE);
    const std::string bytes = qstest::ReadFileBytes(answer);
    ASSERT_EQ(bytes.size(), 2040u);
    EXPECT_EQ(bytes.substr(0, 7), std::string("Slalom\0", 7));
    EXPECT_EQ(bytes.compare(0, 256, std::string(reinterpret_cast<const char*>(&Rec()), 256)), 0);
    EXPECT_EQ(PanelAttr(dlg, ATTR_DIMMED), 0);

    Rec().windows[FSD_WIN_DIAL].top = 12;
    strcpy(Rec().text1, "Other");
    SetCtrlVal(dlg, PARAMS_EDIT, 1);
    Commit(dlg, PARAMS_LOAD);
    EXPECT_STREQ(Rec().text1, "Slalom");
    EXPECT_EQ(Rec().windows[FSD_WIN_DIAL].top, 110);
    EXPECT_EQ(Val(dlg, PARAMS_EDIT), 0);
    char text[64] = "";
    GetCtrlVal(dlg, PARAMS_TEXT1, text, sizeof text);
    EXPECT_STREQ(text, "Slalom");
}

TEST_F(DisplayTest, EditModeDimsPositionsAndOkAndShowsTheHelp) {
    OpenDialog();
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
