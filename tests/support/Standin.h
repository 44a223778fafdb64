// The stand-in clock for tests (its code in TestSupport.cpp): started with its pseudo-terminal linked
// as "Ports/COM5" of a test's program folder, with its wire log and control channel; with "--tcp"
// among the arguments it listens on a free port of the loopback too.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace qstest {

class StandinClock {
public:
    using Strings = std::vector<std::string>;
    explicit StandinClock(const TempProgramDir& dir, const Strings& extraArgs = {});
    ~StandinClock();
    StandinClock(const StandinClock&) = delete;
    StandinClock& operator=(const StandinClock&) = delete;
    bool Running() const { return pid_ > 0 && first_.rfind("pty ", 0) == 0 && (!tcp_ || tcpPort_ > 0); }
    int TcpPort() const { return tcpPort_; }
    void Control(const std::string& command);  // a fault or action, then a short pause
    void Stop(int signal);                     // sends the signal and waits for the end
    Strings Wire() const;                      // every payload received, in order
    static void Pause(double seconds);         // processes events meanwhile

private:
    pid_t pid_ = -1;
    int out_ = -1;  // kept open: the stand-in reports on it until it ends
    std::string first_, log_, control_;
    bool tcp_ = false;
    int tcpPort_ = 0;
};

}  // namespace qstest
