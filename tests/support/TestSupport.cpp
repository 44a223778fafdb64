#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QCursor>
#include <QWidget>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "platform/Runtime.h"
#include "platform/cvi.h"

extern char** environ;

namespace fs = std::filesystem;

namespace qstest {

TempProgramDir::TempProgramDir(bool withProgramFiles) {
    previous_ = fs::current_path().string();
    std::error_code ec;
    const fs::path base = fs::temp_directory_path(ec);  // $TMPDIR, else /tmp
    std::string name = ((ec ? "/tmp" : base) / "qs310-test-XXXXXX").string();
    path_ = mkdtemp(name.data());
    const char* built = getenv("QS_BUILT_PROGRAM_DIR");
    if (!built) built = getenv("QS_PROGRAM_DIR");
    // A file the build puts in the program folder and that is missing there is the
    // build's fault: the test fails rather than run without it.
    if (withProgramFiles) {
        for (const char* item : {"Texts", "Doc", "Web", "FQ31.uir", "FQ31_SD.uir", "FQ12.uir", "FSabGen.uir",
                                 "Bip444Hz.wav", "Bip533Hz.wav", "Bip695Hz.wav", "Bip888Hz.wav"}) {
            fs::path src = fs::path(built ? built : "") / item;
            if (built && fs::exists(src))
                fs::copy(src, fs::path(path_) / item, fs::copy_options::recursive);
            else
                ADD_FAILURE() << "the built program folder (" << (built ? built : "not set") << ") lacks "
                              << item;
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
    return std::string(std::istreambuf_iterator<char>(in), {});
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

bool RanInOwnProcess() {
    if (!QCoreApplication::instance()) return false;
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string exe = fs::read_symlink("/proc/self/exe").string();
    std::string filter = std::string("--gtest_filter=") + test->test_suite_name() + "." + test->name();
    char* argv[] = {exe.data(), filter.data(), nullptr};
    pid_t child = -1;
    if (posix_spawn(&child, exe.c_str(), nullptr, nullptr, argv, environ) != 0) {
        ADD_FAILURE() << "cannot start " << exe << " to run the test in a process of its own";
        return true;
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "the test failed in a process of its own (status " << status << ")";
    return true;
}

void PointAt(int panel, int control, int x, int y) {
    QPoint global(-5000, -5000);
    QWidget* w = control ? qs::rt::ControlWidget(panel, control) : qs::rt::PanelWidget(panel);
    if (panel > 0 && w) global = w->mapToGlobal(QPoint(x, y));
    QCursor::setPos(global);  // the platform reports the move (enter, leave, move) to the windows
    ProcessSystemEvents();
}

Bounded RunBounded(const std::function<std::string()>& work, double limitSeconds) {
    Bounded b;
    int fds[2];
    if (pipe(fds) != 0) return b;
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        const std::string out = work();
        if (write(fds[1], out.data(), out.size()) < 0) _exit(2);
        _exit(0);
    }
    close(fds[1]);
    int status = 0;
    struct rusage usage {};
    while (wait4(child, &status, WNOHANG, &usage) == 0) {
        b.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (b.seconds > limitSeconds) {
            kill(child, SIGKILL);
            wait4(child, &status, 0, &usage);
            close(fds[0]);
            return b;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    b.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    char buf[4096];
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) b.result.append(buf, size_t(n));
    close(fds[0]);
    b.finished = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    b.peakMegabytes = usage.ru_maxrss / 1024;
    return b;
}

}  // namespace qstest
