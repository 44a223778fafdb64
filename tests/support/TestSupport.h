// Test helpers: a private copy of the built program folder, its files, processes of their own.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace qstest {

// The built program folder (executable, panels, texts, tones, documents) copied into a fresh
// temporary folder, made the current folder and the run-time layer's program folder; removed after.
class TempProgramDir {
public:
    explicit TempProgramDir(bool withProgramFiles = true);
    ~TempProgramDir();
    TempProgramDir(const TempProgramDir&) = delete;
    TempProgramDir& operator=(const TempProgramDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& relative) const { return path_ + "/" + relative; }

private:
    std::string path_, previous_;
};

std::string ReadFileBytes(const std::string& path);  // empty if missing
void WriteFileBytes(const std::string& path, const std::string& bytes);
long FileSize(const std::string& path);  // -1 when missing
void EnsureRuntime();                    // starts the run-time layer (offscreen) unless it runs
// Turns the layer's loop until `done` holds, each turn sleeping up to `wake` unless an event comes,
// for at most `seconds`; whether `done` holds.
bool PumpUntil(const std::function<bool()>& done, double seconds = 5, double wake = 0.005);

// A whole-program test needs a process where no Qt application was started: where one was, the test
// runs again alone in a fresh copy of this executable, its outcome this test's; true: return at once.
bool RanInOwnProcess();

// Moves the pointer to (x, y) of a control (control 0: of the panel) as the window system reports
// a move; panel 0 moves it away from every window.
void PointAt(int panel, int control, int x, int y);

// A memory bound in megabytes for this build: AddressSanitizer's shadow memory and quarantine add
// a few hundred megabytes and double the work's own, still far below a runaway's gigabytes.
constexpr long MemoryBound(long megabytes) {
#if defined(__SANITIZE_ADDRESS__)
    megabytes = 2 * megabytes + 400;
#endif
    return megabytes;
}

// What a panel shows, read as a test asserts it.
namespace onscreen {
// A control's value (attribute 0) or attribute, or a panel's attribute (control 0); -1 when the
// panel or control is gone.
int Attr(int panel, int control, int attribute = 0);
// A control's text value (attribute 0) or text attribute; "" when the panel or control is gone.
std::string Text(int panel, int control, int attribute = 0);
}  // namespace onscreen

int ListCount(int panel, int control);  // the items of a list control; -1 when it is gone
// A table as the operator reads it: one "c1|c2|c3|c4" per row.
std::vector<std::string> TableRows(int panel, int control, int columns = 4);
int TableRowCount(int panel, int control);

}  // namespace qstest
