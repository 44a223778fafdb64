// libFuzzer target: arbitrary bytes loaded as a ".q31fsd" second-display file, then
// every window, light and logo placed on displays of several sizes.
#include "display/FsdGeometre.h"
#include "display/FsdParamFile.h"
#include "fuzz/files/FuzzFile.h"
#include "records/FsdParam.h"

namespace {

FsdRect Placer(const FsdEchelle& e, int top, int left, int height, int width) {
    const FsdRect screen = FsdVersEcran(e, FsdRect{top, left, height, width});
    FsdVersLayout(e, screen);
    return screen;
}

// A window's contents are placed from the size its panel really took: the scaled
// rectangle, never below zero (as a widget's size).
int Taille(int v) {
    return v < 0 ? 0 : v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzzfile::Ecrire("in.q31fsd", data, size);
    FsdParam record;
    Q31FsdParamDefaut(&record, true);
    Q31FsdParamCharger(path.c_str(), &record);
    fuzzfile::Termine(record.text1);
    fuzzfile::Termine(record.text2);
    fuzzfile::Termine(record.background);
    for (const auto& logo : record.logos) fuzzfile::Termine(logo.path);
    // Positions and sizes stay within the layout, whatever the file held.
    auto borne = [](int32_t v, int32_t max) {
        if (v < 0 || v > max) __builtin_trap();
    };
    for (const auto& l : record.lights)
        borne(l.top, 720), borne(l.left, 960), borne(l.height, 720), borne(l.width, 960);
    for (const auto& l : record.logos)
        borne(l.top, 720), borne(l.left, 960), borne(l.height, 720), borne(l.width, 960);
    for (const auto& w : record.windows)
        borne(w.top, 720), borne(w.left, 960), borne(w.height, 720), borne(w.width, 960);

    static constexpr int kTailles[][2] = {{720, 960}, {1080, 1920}, {1, 1}, {0, 0}, {4320, 7680}};
    for (const auto& t : kTailles) {
        const FsdEchelle e = FsdEchelleDe(t[0], t[1]);
        for (int w = 0; w < 2; ++w) {
            const FsdWindow& win = record.windows[size_t(w)];
            FsdLargeurFenetre(w, win.height);
            FsdBordure(win);
            FsdCopieFond(win);
            FsdMarquePremierePlace(win);
            const FsdRect panel = Placer(e, win.top, win.left, win.height, win.width);
            FsdPlacerDecompte(Taille(panel.height), Taille(panel.width));
            FsdPlacerCadran(Taille(panel.height), Taille(panel.width));
        }
        for (const auto& l : record.lights) Placer(e, l.top, l.left, l.height, l.width);
        for (const auto& l : record.logos) Placer(e, l.top, l.left, l.height, l.width);
    }
    return 0;
}
