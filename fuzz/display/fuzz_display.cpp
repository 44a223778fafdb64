// libFuzzer target: arbitrary bytes as a second-display record and an image file, laid
// out on the display's panels (offscreen) in normal use, full screen and edit mode. No
// input may crash, hang on a file, or leave a position or size outside the layout.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/Q31Ihm.h"
#include "app/Q31Modules.h"
#include "display/FsdImages.h"
#include "display/FsdPanneaux.h"
#include "display/FsdParamFile.h"
#include "display/Q31Fsd.h"
#include "display/Q31FsdParamDlg.h"
#include "fuzz/files/FuzzFile.h"
#include "panels/FQ31.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "ui/Texts.h"

namespace {

void Ecrire(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// A 2 x 2 BMP for the paths that name a real picture.
std::string Bmp() {
    std::string b(54 + 16, '\0');
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + size_t(i)] = char(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, uint32_t(b.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, 2);
    put32(22, 2);
    b[26] = 1;
    b[28] = 24;
    return b;
}

// The program folder: the built panels and texts, and a Data folder with a picture, a
// FIFO and links in and out of it. Set up once.
void Preparer() {
    namespace fs = std::filesystem;
    fuzzfile::EntrerDossier();
    const fs::path built = QS_FUZZ_PROGRAM_DIR;
    for (const char* item : {"Texts", "FQ31.uir", "FQ31_SD.uir", "FQ12.uir", "FSabGen.uir"})
        fs::copy(built / item, item, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    fs::create_directories("Data");
    Ecrire("Data/logo.bmp", Bmp());
    Ecrire("outside.bmp", Bmp());
    mkfifo("Data/fifo", 0600);
    std::error_code ec;
    fs::create_symlink("logo.bmp", "Data/inside.bmp", ec);
    fs::create_symlink("../outside.bmp", "Data/link.bmp", ec);
    fs::create_symlink("/dev/zero", "Data/zero", ec);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("QS_PROGRAM_DIR", fs::current_path().c_str(), 1);
    static char arg0[] = "fuzz_display";
    static char* argv[] = {arg0, nullptr};
    InitCVIRTE(1, argv);
    SetMessageHook([](const char*, const char*) {});
    Q31Defaut(&Q31G);
    Q31G.language = 0;
    Q31ChargerTextes();
    Q31EnregistrerCallbacks();
    Q31FsdEnregistrerCallbacks();
    Q31FIhmG = LoadPanel(0, "FQ31.uir", fq31::MAIN);
    Q31FsdCharger();
    if (FsdPanneauxG.display <= 0) std::abort();
    Q31FsdOuvrir();
    // The panels and the run-time layer go at the run's end, before the libraries' own
    // globals do, as the program closes them.
    std::atexit([] {
        Q31FsdQuitter();
        DiscardPanel(Q31FIhmG);
        ProcessSystemEvents();
        CloseCVIRTE();
    });
}

void Borne(int32_t v, int32_t max) {
    if (v < 0 || v > max) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool pret = (Preparer(), true);
    (void)pret;
    const std::string octets(reinterpret_cast<const char*>(data), size);
    const size_t record = std::min<size_t>(size, sizeof(FsdParam));
    Ecrire("in.q31fsd", octets.substr(0, record));
    Ecrire("Data/input.img", octets.substr(record));
    FsdParam& r = Q31G.secondDisplay;
    Q31FsdParamDefaut(&r, true);
    Q31FsdParamCharger("in.q31fsd", &r);
    fuzzfile::Termine(r.text1);
    fuzzfile::Termine(r.background);
    for (const auto& l : r.lights)
        Borne(l.top, 720), Borne(l.left, 960), Borne(l.height, 720), Borne(l.width, 960);
    for (const auto& l : r.logos)
        Borne(l.top, 720), Borne(l.left, 960), Borne(l.height, 720), Borne(l.width, 960);
    FsdOublierImages();
    Q31FsdInit(true, false);
    SetPanelSize(FsdPanneauxG.display, 1080, 1920);
    FsdSuivreTaille();
    Q31FsdInit(true, true);
    Q31FsdGetTaille();
    Q31FsdInit(true, false);
    ProcessSystemEvents();
    return 0;
}
