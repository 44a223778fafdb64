// A scratch copy of the built program folder for the whole-program benchmarks: the panels,
// texts and documents copied in, English already chosen, the layer pointed at it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/Q31Config.h"

namespace bench {

// The built folder is "QS310" below the current folder unless QS_PROGRAM_DIR names it.
inline std::string ScratchProgramFolder(bool soundOn = true) {
    namespace fs = std::filesystem;
    char tmpl[] = "/tmp/qs310-bench-XXXXXX";
    const std::string dir = mkdtemp(tmpl);
    const char* built = getenv("QS_PROGRAM_DIR");
    const std::string src = built ? built : "QS310";
    for (const char* item : {"Texts", "Doc", "FQ31.uir", "FQ31_SD.uir", "FQ12.uir", "FSabGen.uir"})
        if (fs::exists(fs::path(src) / item))
            fs::copy(fs::path(src) / item, fs::path(dir) / item, fs::copy_options::recursive);
    Q31Config c{};  // as on every start after the first
    Q31Defaut(&c);
    c.language = 0;
    if (!soundOn) c.soundOn = 0;
    if (FILE* f = fopen((dir + "/QS-310_V1-1.q31cnf").c_str(), "wb")) {
        fwrite(&c, sizeof c, 1, f);
        fclose(f);
    }
    setenv("QS_PROGRAM_DIR", dir.c_str(), 1);
    setenv("QT_QPA_PLATFORM", getenv("QT_QPA_PLATFORM") ? getenv("QT_QPA_PLATFORM") : "offscreen", 0);
    return dir;
}

}  // namespace bench
