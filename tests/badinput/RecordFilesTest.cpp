// Damaged fixed-layout files through the buttons that load them: ".q31set" and ".q31gsm"
// settings, ".q31fsd" second-display records. The bytes a file holds replace the start of
// the block and the rest keeps what it held, every text stays terminated, and the
// display lays the record out. (Damaged times files: the store's own tests, with every
// bad count; damaged images: the display's hostile-file tests.)
#include <algorithm>
#include <cstring>

#include "display/FsdPanneaux.h"
#include "display/Q31Fsd.h"
#include "display/Q31FsdParamDlg.h"
#include "link/SbComConfig.h"
#include "panels/FQ31.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "settings/Q31FSet.h"
#include "settings/Q31FSetPages.h"
#include "tests/badinput/BadInput.h"

using namespace badinput;
using namespace fq31;

namespace {

using BadFiles = ProgramTest;

// Offsets of the last byte of every GSM text: a file cannot make a text run past its field.
std::vector<size_t> GsmTextEnds() {
    std::vector<size_t> out = {offsetof(SbComGsm, common) + 31};
    for (size_t g = 0; g < 2; ++g)
        for (size_t t = 1; t <= 3; ++t)
            out.insert(out.end(), {offsetof(SbComGsm, first) + g * sizeof(SbComGsm::First) + t * 32 - 1,
                                   offsetof(SbComGsm, second) + g * sizeof(SbComGsm::Second) + t * 32 - 1});
    return out;
}

TEST_F(BadFiles, SettingsFilesReplaceOnlyTheBytesTheyHoldAndKeepTextsTerminated) {
    SbComParams params, paramsBefore;
    SbComValDefParam(&params);
    SbComValDefParam(&paramsBefore);
    params.precision = 3;
    params.inputs[2].timeBase = 100;
    paramsBefore.inputs[3].choice3 = 2;
    SbComGsm gsm, gsmBefore;
    SbComValDefGsm(&gsm);
    SbComValDefGsm(&gsmBefore);
    std::strcpy(gsm.first[0].text[1], "Start open");
    gsm.second[0].number = 4242;
    std::strcpy(gsmBefore.common, "Previous");
    const struct {
        const char* file;
        int (*button)(int, int, int, void*, int, int);
        int page;
        void* block;
        std::string good, before;
        std::vector<size_t> textEnds;
    } kinds[] = {
        {"damaged.q31set", FQ31SetParamCharger, 4, &SbComG.params, Bytes(params), Bytes(paramsBefore)},
        {"damaged.q31gsm", FQ31SetGsmCharger, 7, &SbComG.gsm, Bytes(gsm), Bytes(gsmBefore), GsmTextEnds()}};
    for (const auto& k : kinds) {
        const size_t size = k.good.size();
        std::vector<Damage> damaged = Damaged(k.good, 21);
        damaged.push_back({"letters only", std::string(size, 'G')});  // texts filling their fields
        for (const Damage& d : damaged) {
            SCOPED_TRACE(std::string(k.file) + " " + d.name);
            std::memcpy(k.block, k.before.data(), size);
            Pick(Write(std::string("Settings/") + k.file, d.bytes));
            k.button(Q31FSetPanel(k.page), 0, EVENT_COMMIT, nullptr, 0, 0);
            const std::string got(static_cast<const char*>(k.block), size);
            EXPECT_EQ(
                Differing(got, (d.bytes + k.before.substr(std::min(size, d.bytes.size()))).substr(0, size),
                          k.textEnds),
                0);
            for (size_t end : k.textEnds) EXPECT_EQ(got[end], 0) << "text ending at " << end;
        }
    }
}

TEST_F(BadFiles, DisplayFilesReplaceOnlyTheBytesTheyHoldWithinTheLayout) {
    Q31FsdOuvrir();
    const int dialog = LoadPanel(0, "FQ31.uir", PARAMS);
    ASSERT_GT(dialog, 0);
    Q31FsdParamTraduire(dialog);
    Q31FsdParamSet(dialog, false);
    FsdParam good, before;
    Q31FsdParamDefaut(&good, true);
    Q31FsdParamDefaut(&before, true);
    std::strcpy(good.text1, "Giant slalom");
    good.windows[1].top = 90;
    std::strcpy(before.text2, "Former");
    before.lights[3].mode = 5;
    std::vector<size_t> textEnds = {offsetof(FsdParam, text1) + 255, offsetof(FsdParam, text2) + 255,
                                    offsetof(FsdParam, background) + 255};
    for (size_t k = 0; k < 4; ++k)
        textEnds.push_back(offsetof(FsdParam, logos) + k * sizeof(FsdLogo) + offsetof(FsdLogo, path) + 255);
    for (const Damage& d : Damaged(Bytes(good), 41)) {
        SCOPED_TRACE(d.name);
        Q31G.secondDisplay = before;
        Pick(Write("Settings/damaged.q31fsd", d.bytes));
        QueueUserEvent(dialog, PARAMS_LOAD);
        ProcessSystemEvents();
        // The file's bytes over the former record, positions and sizes kept within the
        // 960 x 720 layout (top, left, height, width in turn).
        FsdParam expected = before;
        std::memcpy(&expected, d.bytes.data(), std::min(d.bytes.size(), sizeof expected));
        std::vector<int32_t*> bounds;
        for (auto& l : expected.lights) bounds.insert(bounds.end(), {&l.top, &l.left, &l.height, &l.width});
        for (auto& l : expected.logos) bounds.insert(bounds.end(), {&l.top, &l.left, &l.height, &l.width});
        for (auto& w : expected.windows) bounds.insert(bounds.end(), {&w.top, &w.left, &w.height, &w.width});
        for (size_t i = 0; i < bounds.size(); ++i)
            *bounds[i] = std::clamp<int32_t>(*bounds[i], 0, i % 2 ? 960 : 720);
        const std::string got = Bytes(Q31G.secondDisplay);
        EXPECT_EQ(Differing(got, Bytes(expected), textEnds), 0);
        for (size_t end : textEnds) EXPECT_EQ(got[end], 0) << "text ending at " << end;
        // The display takes the record in normal use, and the dialog reads it back whole.
        Q31FsdInit(true, false);
        Q31FsdGetTaille();
        Q31FsdParamGet(dialog);
        EXPECT_TRUE(Q31FsdAffiche());
    }
    DiscardPanel(dialog);
    Q31FsdFermer();
}

}  // namespace
