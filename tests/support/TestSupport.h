// Test helpers: run in a private copy of the built program folder.
#pragma once

#include <functional>
#include <string>

namespace qstest {

// Copies the built program folder (executable, panels, texts, tones, documents)
// into a fresh temporary folder, makes it the current folder and the program
// folder of the run-time layer. Removed again on destruction.
class TempProgramDir {
public:
    explicit TempProgramDir(bool withProgramFiles = true);
    ~TempProgramDir();
    TempProgramDir(const TempProgramDir&) = delete;
    TempProgramDir& operator=(const TempProgramDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& relative) const { return path_ + "/" + relative; }

private:
    std::string path_;
    std::string previous_;
};

// Reads a whole file as bytes (empty if missing).
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
long FileSize(const std::string& path);  // -1 when missing

// Starts the run-time layer (offscreen) unless it is running.
void EnsureRuntime();

// For a test that runs or forks the whole program, which needs a process where no Qt
// application was started yet. When an earlier test of the same run started one, the
// current test runs again alone in a fresh copy of this executable, its outcome becomes
// this test's, and the call returns true: the caller then returns at once.
bool RanInOwnProcess();

// Moves the pointer to (x, y) of a control (control 0: of the panel) as the window system
// reports a move, and lets the layer hear it; panel 0 moves it away from every window.
void PointAt(int panel, int control, int x, int y);

// Work done in a child process of its own, so that its peak memory is its own: what it
// returned, whether it ended within the wall-clock limit (it is killed otherwise), and
// its peak resident memory. The limits are guards against hangs and runaway memory
// from hostile files, far above what the work needs.
struct Bounded {
    bool finished = false;
    std::string result;
    double seconds = 0;
    long peakMegabytes = 0;
};
Bounded RunBounded(const std::function<std::string()>& work, double limitSeconds);

// A memory bound in megabytes for this build: AddressSanitizer's shadow memory and
// quarantine take a few hundred megabytes of their own and double what the work takes, so
// the bound still tells a runaway (gigabytes) from the work's own need.
constexpr long MemoryBound(long megabytes) {
#if defined(__SANITIZE_ADDRESS__)
    return 2 * megabytes + 400;
#else
    return megabytes;
#endif
}

}  // namespace qstest
