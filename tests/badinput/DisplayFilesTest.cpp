// Damaged ".q31fsd" second-display files and damaged images, through the load buttons
// of the parameters dialog, with the second display shown and laid out from the result.
#include <algorithm>
#include <cstring>

#include "display/FsdPanneaux.h"
#include "display/Q31Fsd.h"
#include "display/Q31FsdParamDlg.h"
#include "panels/FQ31.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "tests/badinput/BadInput.h"

using namespace badinput;
using namespace fq31;

namespace {

FsdParam& Rec() {
    return Q31G.secondDisplay;
}

// A 24-bit BMP of the given size.
std::string Bmp(int width, int height) {
    const int row = (width * 3 + 3) & ~3;
    const int size = 54 + row * height;
    std::string b(size_t(size), '\0');
    auto put32 = [&](int at, int v) {
        for (int i = 0; i < 4; ++i) b[size_t(at + i)] = char((v >> (8 * i)) & 0xFF);
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, size);
    put32(10, 54);
    put32(14, 40);
    put32(18, width);
    put32(22, height);
    b[26] = 1;
    b[28] = 24;
    put32(34, row * height);
    for (int i = 54; i < size; ++i) b[size_t(i)] = char(0x30 + i % 101);
    return b;
}

class BadDisplayFiles : public ProgrammeTest {
protected:
    void SetUp() override {
        ProgrammeTest::SetUp();
        Q31FsdOuvrir();
        ASSERT_TRUE(Q31FsdAffiche());
        dlg_ = LoadPanel(0, "FQ31.uir", PARAMS);
        ASSERT_GT(dlg_, 0);
        Q31FsdParamTraduire(dlg_);
        Q31FsdParamSet(dlg_, false);
    }
    void TearDown() override {
        if (dlg_ > 0) DiscardPanel(dlg_);
        Q31FsdFermer();
        ProgrammeTest::TearDown();
    }
    void Appuyer(int control) {
        QueueUserEvent(dlg_, control);
        ProcessSystemEvents();
    }
    int dlg_ = 0;
};

// Every position and size of a record.
std::vector<int32_t*> Bornes(FsdParam* r) {
    std::vector<int32_t*> out;
    for (auto& l : r->lights) out.insert(out.end(), {&l.top, &l.left, &l.height, &l.width});
    for (auto& l : r->logos) out.insert(out.end(), {&l.top, &l.left, &l.height, &l.width});
    for (auto& w : r->windows) out.insert(out.end(), {&w.top, &w.left, &w.height, &w.width});
    return out;
}

std::vector<size_t> FinsDeTexte() {
    std::vector<size_t> out = {offsetof(FsdParam, text1) + 255, offsetof(FsdParam, text2) + 255,
                               offsetof(FsdParam, background) + 255};
    for (size_t k = 0; k < 4; ++k)
        out.push_back(offsetof(FsdParam, logos) + k * sizeof(FsdLogo) + offsetof(FsdLogo, path) + 255);
    return out;
}

}  // namespace

TEST_F(BadDisplayFiles, DamagedDisplayFilesReplaceOnlyTheBytesTheyHoldAndLayOut) {
    FsdParam bon;
    Q31FsdParamDefaut(&bon, true);
    std::strcpy(bon.text1, "Giant slalom");
    bon.windows[1].top = 90;
    bon.logos[2].visible = 1;
    FsdParam former;
    Q31FsdParamDefaut(&former, true);
    std::strcpy(former.text2, "Former");
    former.lights[3].mode = 5;
    const std::vector<size_t> fins = FinsDeTexte();
    for (const Variante& v : Variantes(Octets(bon), 41)) {
        SCOPED_TRACE(v.nom);
        Rec() = former;
        Repondre(Ecrire("Settings/damaged.q31fsd", v.octets));
        Appuyer(PARAMS_LOAD);
        // The file's bytes over the former record, positions and sizes kept within the
        // 960 x 720 layout (top, left, height, width in turn).
        FsdParam attendu = former;
        std::memcpy(&attendu, v.octets.data(), std::min(v.octets.size(), sizeof attendu));
        const std::vector<int32_t*> bornes = Bornes(&attendu);
        for (size_t i = 0; i < bornes.size(); ++i)
            *bornes[i] = std::clamp<int32_t>(*bornes[i], 0, i % 2 ? 960 : 720);
        const auto* r = reinterpret_cast<const unsigned char*>(&Rec());
        const auto* a = reinterpret_cast<const unsigned char*>(&attendu);
        int differents = 0;
        for (size_t i = 0; i < sizeof(FsdParam); ++i) {
            if (std::find(fins.begin(), fins.end(), i) != fins.end()) continue;
            if (r[i] != a[i]) ++differents;
        }
        EXPECT_EQ(differents, 0);
        EXPECT_TRUE(Termine(Rec().text1) && Termine(Rec().text2) && Termine(Rec().background));
        for (const auto& logo : Rec().logos) EXPECT_TRUE(Termine(logo.path));
        // The display takes the record in normal use, and the dialog reads it back whole.
        Q31FsdInit(true, false);
        Q31FsdGetTaille();
        Q31FsdParamGet(dlg_);
        EXPECT_TRUE(Q31FsdAffiche());
    }
}

TEST_F(BadDisplayFiles, DamagedImagesLeaveTheLogoItsSizeAndTheDisplayUsable) {
    const std::string bon = Bmp(20, 10);
    for (const Variante& v : Variantes(bon, 51)) {
        SCOPED_TRACE(v.nom);
        Rec().logos[0].visible = 1;
        Rec().logos[0].height = 48;
        Rec().logos[0].width = 48;
        Rec().showBackground = 1;
        Q31FsdInit(true, false);  // the display as the record says, as after every change
        // Each variant is a different file of the same name: the former ones stay in Data.
        Repondre(Ecrire("logo.bmp", v.octets));
        Appuyer(PARAMS_LOGO1_LOAD);
        const std::string logo = Rec().logos[0].path;
        ASSERT_EQ(logo.rfind("Data\\logo", 0), 0u) << logo;
        EXPECT_EQ(qstest::ReadFileBytes(Fichier("Data/" + logo.substr(5))), v.octets);
        // An image that reads takes its own size; one that does not keeps the former size.
        const bool lisible = Rec().logos[0].height == 10 && Rec().logos[0].width == 20;
        const bool inchange = Rec().logos[0].height == 48 && Rec().logos[0].width == 48;
        EXPECT_TRUE(lisible || inchange) << Rec().logos[0].height << " x " << Rec().logos[0].width;
        if (std::string(v.nom) == "zero-filled" || std::string(v.nom) == "random") {
            EXPECT_TRUE(inchange) << Rec().logos[0].height << " x " << Rec().logos[0].width;
        }

        Repondre(Ecrire("back.bmp", v.octets));
        Appuyer(PARAMS_LOAD_BACKGROUND);
        const std::string fond = Rec().background;
        ASSERT_EQ(fond.rfind("Data\\back", 0), 0u) << fond;
        EXPECT_EQ(qstest::ReadFileBytes(Fichier("Data/" + fond.substr(5))), v.octets);
        Q31FsdInit(true, false);
        EXPECT_TRUE(Q31FsdAffiche());
    }
}
