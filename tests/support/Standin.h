// The stand-in clock for tests: its pseudo-terminal linked as "Ports/COM5" of a test's program folder,
// with its wire log and control channel; given "--tcp" it listens on a free loopback port too.
#pragma once

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
    int pid_ = -1;  // the stand-in's process id
    int out_ = -1;  // kept open: the stand-in reports on it until it ends
    std::string first_, log_, control_;
    bool tcp_ = false;
    int tcpPort_ = 0;
};

}  // namespace qstest
