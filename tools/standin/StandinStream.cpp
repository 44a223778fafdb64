// The countdown of program 0 as the clock streams it: hands, second lights, the
// two digits, the big light, status flags, beeps and the reference time at zero.
#include "StandinStream.h"

#include <cstdio>

namespace standin {

namespace {

std::string Hex(const char* type, std::initializer_list<int> bytes) {
    std::string s = type;
    s += ' ';
    char b[4];
    for (int v : bytes) {
        snprintf(b, sizeof b, "%02X", v & 0xFF);
        s += b;
    }
    return s;
}

}  // namespace

std::vector<std::string> Stream::Tick(Clock& clock, double clockSeconds, double secondsOfDay) {
    std::vector<std::string> out;
    long second = long(clockSeconds);
    if (second == last_) return out;
    last_ = second;

    const Program& p = clock.programs[0];
    int interval = p.values[0] > 0 ? p.values[0] : 60;         // parameter 102
    int countdown = p.values[1] > 0 ? p.values[1] : interval;  // parameter 103
    int t = int(second % interval);
    int remaining = interval - t;
    int sod = int(secondsOfDay);
    int hour = (sod / 3600) % 12, minute = (sod / 60) % 60;

    out.push_back(Hex("&N", {(hour * 5 + minute / 12) * 3, minute}));
    if (t == 0) out.push_back(Hex("&C", {0xF0, 0}));
    out.push_back(Hex("&C", {0x80 + (sod % 60), 2}));
    bool counting = remaining <= countdown;
    if (counting)
        out.push_back(Hex("&D", {0x80, 0, (remaining / 10) % 10, remaining % 10}));
    else
        out.push_back(Hex("&D", {0x80, 0, 11, 11}));
    out.push_back(Hex("&D", {0x81, remaining <= 5 ? 1 : 2}));
    int status = 0x02 | (counting ? 0x04 : 0);
    if (t == 0) status |= 0x10;
    out.push_back(Hex("&E", {status}));
    if (remaining <= 3) out.push_back(Hex("&S", {}) + "1" + Hex("", {0x04 | 1, 2}).substr(1));
    if (t == 0) {
        out.push_back(Hex("&S", {}) + "1" + Hex("", {0x0C | 1, 8}).substr(1));
        // The reference time of this start.
        std::string ref = clock.Time(1, secondsOfDay, 'T', 'I');
        clock.runTimes[clock.currentRun].pop_back();
        out.push_back(ref);
    }
    if (impulseEvery_ > 0 && second % impulseEvery_ == 0)
        out.push_back(clock.Time(int(second / impulseEvery_ % 2) + 1, secondsOfDay));
    return out;
}

}  // namespace standin
