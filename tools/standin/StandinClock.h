// The stand-in clock's model: every parameter it answers for, its start programs,
// GSM and Ethernet items, runs and the times of each run.
#pragma once

#include <array>
#include <map>
#include <string>
#include <vector>

namespace standin {

struct Program {
    // Parameters 102..113 by number (index no - 102).
    std::array<int, 12> values{};
};

struct Clock {
    int serial = 1234;
    std::map<int, int> plain;                    // 1, 2, 7, 9, 12, 16..21, 101
    std::array<std::array<int, 3>, 4> inputs{};  // parameters 4, 5, 6 of inputs 1..4
    std::array<int, 4> fourth{{1, 1, 1, 1}};     // parameter 23
    std::array<int, 3> ext{{1, 2, 0}};           // parameter 28
    std::array<int, 2> pair{{3, 3}};             // parameter 29
    std::array<int, 3> p8{{1, 2, 10}};           // parameter 8
    std::string synchro = "0 0 08:30 23/09/10";  // parameter 10 reply text
    std::map<char, std::string> gsm;             // parameter 30
    std::array<std::string, 2> eth{{"192.168.1.1", "0.0.0.0"}};
    int gsmStatus = 0x01, gsmValue = 17;  // parameter 34
    std::array<int, 4> ethStatus{{0x01, 0x04, 0x80, 0}};
    std::array<Program, 51> programs{};
    int currentRun = 0, nextRun = 1;
    int runDay = 4297;                                 // days since 1 January 2000
    std::map<int, std::vector<std::string>> runTimes;  // time messages of each run
    int timeNumber = 0;                                // number of the last time
    bool messages = false;                             // "EE 1"
    int pendingSpeedCode = -1;                         // set by "WP 016": switch after the AK
    double nowOfDay = 0;                               // time of day, seconds, set before each answer

    Clock();
    // The replies (payloads, in order) to one command; "AK" not included.
    // *refuse gets 'F' when the command is not one the clock knows.
    std::vector<std::string> Answer(const std::string& payload, char* refuse);
    // A time message on a channel at the given time of day (seconds), stored in the open run.
    std::string Time(int channel, double secondsOfDay, char type = 'T', char mark = '=');
};

int SpeedOfCode(int code);

}  // namespace standin
