// The stand-in clock's spontaneous messages: a countdown run by program 0 at real
// speed (or compressed), as the clock streams it once messages are on.
#pragma once

#include <string>
#include <vector>

#include "StandinClock.h"

namespace standin {

class Stream {
public:
    // clockSeconds: the clock's own seconds (already scaled). Returns the messages
    // due since the last call, at most one tick's worth per whole second passed.
    std::vector<std::string> Tick(Clock& clock, double clockSeconds, double secondsOfDay);
    void Restart() { last_ = -1; }
    // An input impulse every `seconds` of the clock's time, inputs 1 and 2 in turn
    // (a start and a finish); 0 for none.
    void SetImpulses(int seconds) { impulseEvery_ = seconds; }

private:
    long last_ = -1;  // last whole second streamed
    int impulseEvery_ = 0;
};

}  // namespace standin
