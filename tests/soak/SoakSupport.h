// Soak helpers: the process's memory figures, and the stand-in clock's sent log
// replayed into the rows and the countdown state the program must end up showing.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "records/SbChronoRec.h"

namespace soak {

struct Memory {
    long rssKb = 0;   // VmRSS: resident now
    long hwmKb = 0;   // VmHWM: highest resident so far
    long heapKb = 0;  // malloc: bytes in use in the arenas plus mmapped blocks
    double cpu = 0;   // processor seconds used so far (user and system)
};
Memory MeasureMemory();

// A time message cut by the clock's own columns; false when it is not one.
bool ParseTime(const std::string& payload, SbChronoRec* out);

// What the clock sent, as the program must hold it.
struct Expected {
    std::vector<SbChronoRec> rows;  // the store's rows in order of arrival (never cleared)
    std::vector<size_t> firstRow;   // by time: its first row; one more entry: rows.size()
    int times = 0;                  // time messages sent
    int references = 0;             // "TI" reference times sent
    SbChronoRec reference{};        // the last reference time
    // The countdown's last state: "&D 80", "&D 81", "&E", "&N" and every "&C" replayed.
    int minus = -1, digitB = -1, digitC = -1;
    int colour = -1;
    int status = -1;
    int hourHand = -1, minuteHand = -1;
    std::array<int, 60> lights{};
};

// Replays the sent payloads in order. `reference` is the reference time the program
// held when the stream began (used by channel-1 times before the first "TI").
Expected Replay(const std::vector<std::string>& sent, const SbChronoRec& reference);

// Empty when the stored row is the expected one, else what differs. A difference
// row may be one hundred-thousandth off (the program goes through a double).
std::string CompareRow(const SbChronoRec& actual, const SbChronoRec& expected);

std::string Describe(const SbChronoRec& r);

}  // namespace soak
