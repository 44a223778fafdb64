// Second display: time to lay the display out from its record (Q31FsdInit(1, 0)) with a
// background image and four logos, with the images already shown and with every image
// read again (as after a new file was taken in).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/Q31Modules.h"
#include "bench/BenchProgram.h"
#include "display/FsdImages.h"
#include "display/Q31Fsd.h"
#include "display/Q31FsdParamDlg.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "ui/Texts.h"

namespace {

void WriteBmp(const std::string& path, int width, int height) {
    const int row = (width * 3 + 3) & ~3;
    std::string b(54 + row * height, '\0');
    auto put32 = [&](int at, int v) {
        for (int i = 0; i < 4; ++i) b[at + i] = char((v >> (8 * i)) & 0xFF);
    };
    b[0] = 'B', b[1] = 'M';
    put32(2, int(b.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, width);
    put32(22, height);
    b[26] = 1, b[28] = 24;
    for (size_t i = 54; i < b.size(); ++i) b[i] = char((i * 7) & 0xFF);
    FILE* f = fopen(path.c_str(), "wb");
    fwrite(b.data(), 1, b.size(), f);
    fclose(f);
}

void Prepare() {
    static bool done = false;
    if (done) return;
    done = true;
    static const bench::ScratchProgramFolder folder;  // removed when the benchmark ends
    const std::string& dir = folder.path();
    std::filesystem::create_directories(std::filesystem::path(dir) / "Data");
    static char arg0[] = "bench";
    static char* args[] = {arg0, nullptr};
    InitCVIRTE(1, args);
    SetDir(dir.c_str());
    WriteBmp(dir + "/Data/background.bmp", 1888, 1288);
    for (int k = 0; k < 4; ++k) WriteBmp(dir + "/Data/logo" + std::to_string(k) + ".bmp", 200, 80);
    Q31Defaut(&Q31G);
    Q31G.language = 0;
    Q31ChargerTextes();
    Q31EnregistrerCallbacks();
    FsdParam& r = Q31G.secondDisplay;
    strcpy(r.background, "Data\\background.bmp");
    r.showBackground = 1;
    r.showDigital = 1;
    for (int k = 0; k < 4; ++k) {
        snprintf(r.logos[k].path, sizeof r.logos[k].path, "Data\\logo%d.bmp", k);
        r.logos[k].visible = 1;
        r.logos[k].height = 80;
        r.logos[k].width = 200;
    }
    Q31FsdCharger();
    Q31FsdOuvrir();
    ProcessSystemEvents();
}

void BM_FsdInitImagesShown(benchmark::State& state) {
    Prepare();
    for (auto _ : state) {
        Q31FsdInit(true, false);
        ProcessDrawEvents();
    }
}
BENCHMARK(BM_FsdInitImagesShown)->Unit(benchmark::kMillisecond);

void BM_FsdInitImagesReadAgain(benchmark::State& state) {
    Prepare();
    for (auto _ : state) {
        FsdOublierImages();
        Q31FsdInit(true, false);
        ProcessDrawEvents();
    }
}
BENCHMARK(BM_FsdInitImagesReadAgain)->Unit(benchmark::kMillisecond);

}  // namespace

// The layer is closed before the statics go: the window system's plugin must still be there.
int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    CloseCVIRTE();
    return 0;
}
