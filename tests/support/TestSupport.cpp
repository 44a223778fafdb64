#include "tests/support/TestSupport.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QCursor>
#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/Runtime.h"
#include "platform/cvi.h"
#include "tests/support/Standin.h"

namespace fs = std::filesystem;

namespace qstest {

// Starts a program with these arguments, its output to `out` when given: its process id, or -1.
static pid_t Spawn(std::vector<std::string> args, int out = -1) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (out >= 0) posix_spawn_file_actions_adddup2(&actions, out, 1);
    std::vector<char*> argv(args.size() + 1);  // ends with a null
    std::transform(args.begin(), args.end(), argv.begin(), [](std::string& a) { return a.data(); });
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

TempProgramDir::TempProgramDir(bool withProgramFiles) : previous_(fs::current_path().string()) {
    std::string name = (fs::temp_directory_path() / "qs310-test-XXXXXX").string();  // $TMPDIR, else /tmp
    path_ = mkdtemp(name.data());
    const char* built = getenv("QS_BUILT_PROGRAM_DIR");
    if (!built) built = getenv("QS_PROGRAM_DIR");
    // A file missing from the built program folder is the build's fault: the test fails, not runs without.
    const std::string from = std::string(built ? built : "(not set)") + "/";
    for (const char* item : {"Texts", "Doc", "Web", "FQ31.uir", "FQ31_SD.uir", "FQ12.uir", "FSabGen.uir",
                             "Bip444Hz.wav", "Bip533Hz.wav", "Bip695Hz.wav", "Bip888Hz.wav"}) {
        std::error_code ec;
        if (withProgramFiles) fs::copy(from + item, path_ + "/" + item, fs::copy_options::recursive, ec);
        EXPECT_FALSE(ec) << "the built program folder (" << from << ") lacks " << item;
    }
    // Keep the built folder reachable for later copies, then point the layer here.
    if (built) setenv("QS_BUILT_PROGRAM_DIR", built, 0);
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
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

long FileSize(const std::string& path) {
    std::error_code ec;  // a missing file's size is uintmax_t(-1)
    return long(fs::file_size(path, ec));
}

void EnsureRuntime() {
    // A whole-program run ends by closing the layer: start it again (a running layer stays as is).
    static char arg0[] = "qs310-tests";
    static char* argv[] = {arg0, nullptr};
    InitCVIRTE(1, argv);
}

bool PumpUntil(const std::function<bool()>& done, double seconds, double wake) {
    int p, c;
    for (const double end = Timer() + seconds; !done() && Timer() < end;) {
        SetNextWake(wake);
        GetUserEvent(0, &p, &c);
    }
    return done();
}

bool RanInOwnProcess() {
    if (!QCoreApplication::instance()) return false;
    const ::testing::TestInfo* t = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string exe = fs::read_symlink("/proc/self/exe").string();
    const pid_t child = Spawn({exe, std::string("--gtest_filter=") + t->test_suite_name() + "." + t->name()});
    int status = 0;
    if (child > 0) waitpid(child, &status, 0);
    EXPECT_TRUE(child > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "failed in a process of its own, or " << exe << " did not start; status " << status;
    return true;
}

void PointAt(int panel, int control, int x, int y) {
    QWidget* w = control ? qs::rt::ControlWidget(panel, control) : qs::rt::PanelWidget(panel);
    QCursor::setPos(panel > 0 && w ? w->mapToGlobal(QPoint(x, y)) : QPoint(-5000, -5000));
    ProcessSystemEvents();  // the window system reports the move (enter, leave, move) to the windows
}

StandinClock::StandinClock(const TempProgramDir& dir, const Strings& extraArgs)
    : log_(dir.file("wire.log")), control_(dir.file("control")) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return;
    Strings args = {QS_STANDIN_PATH, "--link", dir.file("Ports/COM5"), "--log", log_, "--control", control_};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    tcp_ = std::find(args.begin(), args.end(), "--tcp") != args.end();
    pid_ = Spawn(args, out[1]);
    close(out[1]);
    // The first line tells the pty is ready (and linked), the next one the TCP port.
    for (char c; std::count(first_.begin(), first_.end(), '\n') < 1 + tcp_ && read(out[0], &c, 1) == 1;)
        first_ += c;
    if (const size_t at = first_.find("\ntcp "); at != std::string::npos) tcpPort_ = atoi(&first_[at + 5]);
    out_ = out[0];
}

StandinClock::~StandinClock() {
    Stop(SIGTERM);
    if (out_ >= 0) close(out_);
}

void StandinClock::Stop(int signal) {
    if (pid_ <= 0) return;
    kill(pid_, signal);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

void StandinClock::Control(const std::string& command) {
    std::ofstream(control_) << command << "\n";
    Pause(0.2);
}

StandinClock::Strings StandinClock::Wire() const {
    Strings lines;
    std::ifstream in(log_);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}

void StandinClock::Pause(double seconds) {
    for (double end = Timer() + seconds; Timer() < end;) {
        SetNextWake(end - Timer());  // sleeps until the clock's bytes or another event come
        ProcessSystemEvents();
    }
}

int onscreen::Attr(int panel, int control, int attribute) {
    int v = -1;
    control == 0 ? GetPanelAttribute(panel, attribute, &v)
    : attribute  ? GetCtrlAttribute(panel, control, attribute, &v)
                 : GetCtrlVal(panel, control, &v);
    return v;
}

std::string onscreen::Text(int panel, int control, int attribute) {
    char t[512] = "";
    attribute ? GetCtrlAttribute(panel, control, attribute, t, sizeof t)
              : GetCtrlVal(panel, control, t, sizeof t);
    return t;
}

int ListCount(int panel, int control) {
    int count = -1;
    GetNumListItems(panel, control, &count);
    return count;
}

std::vector<std::string> TableRows(int panel, int control, int columns) {
    std::vector<std::string> rows;
    for (int r = 1; r <= TableRowCount(panel, control); ++r) {
        std::string row;
        for (int c = 1; c <= columns; ++c) {
            char cell[128] = {};
            GetTableCellVal(panel, control, MakePoint(c, r), cell, sizeof cell);
            row += (c > 1 ? "|" : "") + std::string(cell);
        }
        rows.push_back(row);
    }
    return rows;
}

int TableRowCount(int panel, int control) {
    int n = 0;
    GetNumTableRows(panel, control, &n);
    return n;
}

}  // namespace qstest
