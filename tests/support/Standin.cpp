#include "tests/support/Standin.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "platform/cvi.h"

extern char** environ;

namespace qstest {

StandinClock::StandinClock(const TempProgramDir& dir, const Strings& extraArgs)
    : log_(dir.file("wire.log")), control_(dir.file("control")) {
    int out[2];
    if (pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    Strings args = {QS_STANDIN_PATH, "--link", dir.file("Ports/COM5"), "--log", log_, "--control", control_};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
        tcp_ = tcp_ || a == "--tcp";
    }
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, QS_STANDIN_PATH, &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    // The first line tells the pty is ready (and linked), the next one the TCP port.
    auto line = [&out] {
        std::string l;
        char c;
        while (read(out[0], &c, 1) == 1 && c != '\n') l += c;
        return l;
    };
    first_ = line();
    if (const std::string l = tcp_ ? line() : ""; l.rfind("tcp ", 0) == 0) tcpPort_ = atoi(l.c_str() + 4);
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

}  // namespace qstest
