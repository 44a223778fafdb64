// Scratch folders for the benchmarks, removed with everything in them when the benchmark
// ends (also when it returns early), and a scratch copy of the built program folder for
// the whole-program benchmarks: the panels, texts and documents copied in, English already
// chosen, the layer pointed at it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "records/Q31Config.h"

namespace bench {

// A new folder in the temporary folder ($TMPDIR, else /tmp), named prefix-XXXXXX.
class ScratchFolder {
public:
    explicit ScratchFolder(const char* prefix = "qs310-bench") {
        namespace fs = std::filesystem;
        std::error_code ec;
        fs::path base = fs::temp_directory_path(ec);
        if (ec) base = "/tmp";
        std::string name = (base / (std::string(prefix) + "-XXXXXX")).string();
        if (mkdtemp(name.data())) path_ = name;
    }
    ~ScratchFolder() {
        namespace fs = std::filesystem;
        if (path_.empty()) return;
        std::error_code ec;
        // A benchmark that worked inside the folder leaves it before it goes.
        const std::string cwd = fs::current_path(ec).string();
        if (!ec && cwd.rfind(path_, 0) == 0) fs::current_path(fs::path(path_).parent_path(), ec);
        fs::remove_all(path_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// The built folder is "QS310" below the current folder unless QS_PROGRAM_DIR names it.
class ScratchProgramFolder : public ScratchFolder {
public:
    explicit ScratchProgramFolder(bool soundOn = true) {
        namespace fs = std::filesystem;
        const std::string& dir = path();
        const char* built = getenv("QS_PROGRAM_DIR");
        const std::string src = built ? built : "QS310";
        for (const char* item : {"Texts", "Doc", "Web", "FQ31.uir", "FQ31_SD.uir", "FQ12.uir", "FSabGen.uir"})
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
    }
};

}  // namespace bench
