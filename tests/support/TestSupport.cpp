#include "tests/support/TestSupport.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/cvi.h"

namespace fs = std::filesystem;

namespace qstest {

TempProgramDir::TempProgramDir(bool withProgramFiles) {
    previous_ = fs::current_path().string();
    std::error_code ec;
    fs::path base = fs::temp_directory_path(ec);  // $TMPDIR, else /tmp
    if (ec) base = "/tmp";
    std::string name = (base / "qs310-test-XXXXXX").string();
    path_ = mkdtemp(name.data());
    const char* built = getenv("QS_BUILT_PROGRAM_DIR");
    if (!built) built = getenv("QS_PROGRAM_DIR");
    if (withProgramFiles && built && fs::exists(built)) {
        for (const char* item : {"Texts", "Doc", "Web", "FQ31.uir", "FQ31_SD.uir", "FQ12.uir", "FSabGen.uir",
                                 "Bip444Hz.wav", "Bip533Hz.wav", "Bip695Hz.wav", "Bip888Hz.wav"}) {
            fs::path src = fs::path(built) / item;
            if (fs::exists(src)) fs::copy(src, fs::path(path_) / item, fs::copy_options::recursive);
        }
    }
    // Keep the built folder reachable for later copies, then point the layer here.
    if (built && !getenv("QS_BUILT_PROGRAM_DIR")) setenv("QS_BUILT_PROGRAM_DIR", built, 1);
    setenv("QS_PROGRAM_DIR", path_.c_str(), 1);
    fs::current_path(path_);
}

TempProgramDir::~TempProgramDir() {
    std::error_code ec;
    fs::current_path(previous_, ec);
    if (const char* built = getenv("QS_BUILT_PROGRAM_DIR")) setenv("QS_PROGRAM_DIR", built, 1);
    fs::remove_all(path_, ec);
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

long FileSize(const std::string& path) {
    std::error_code ec;
    auto n = fs::file_size(path, ec);
    return ec ? -1 : long(n);
}

void EnsureRuntime() {
    // A whole-program run ends by closing the layer: start it again when needed
    // (starting an already running layer does nothing).
    static char arg0[] = "qs310-tests";
    static char* argv[] = {arg0, nullptr};
    InitCVIRTE(1, argv);
}

}  // namespace qstest
