// The pieces the whole-race flows share: the connection, and the readers of the times a race leaves.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "records/SbChronoRec.h"
#include "tests/chrono/ChronoFixture.h"
#include "tests/runner/Operator.h"

namespace e2e {

using chronotest::Stored;  // the store as its file holds it: the count, then every record

// The connection dialog: the ports searched, COM5 picked (where the stand-in clock answers)
// or an address (the stand-in's) and TCP port typed in; done when the link is open and the wait
// box gone.
Steps ConnectToCom5();
Steps ConnectOverNetwork(int tcpPort, std::string address = "127.0.0.1");
// A command to the stand-in clock through its control channel in the current folder; the
// steps that follow wait for its effect instead of pausing.
Step Tell(std::string command);
void Then(Steps& steps, Steps more);  // appends more steps

// The records of a ".q31tps" file; none when it is missing or torn (count and size disagree).
std::vector<SbChronoRec> TimesIn(const std::string& path);
// The times in the stand-in's log of the payloads it sent, cut by the clock's own columns; not
// its references.
std::vector<SbChronoRec> TimesSent(const std::string& path);

}  // namespace e2e
