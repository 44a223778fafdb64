// The pieces the whole-race flows share: the start program typed on the programs page, the
// entry list, the connection, the keypad, and the one reader of each file a race leaves.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "records/SbChronoRec.h"
#include "tests/runner/Operator.h"

namespace e2e {

// The programs page's fields for a start every `interval` seconds with a countdown of
// `countdown`, aligned on the minute, beeps at -10 and from -5, amber then green.
std::vector<std::pair<int, int>> RaceProgram(int interval, int countdown);
// Checks program 0 of a link record file against RaceProgram.
void ExpectRaceProgram(const std::string& linkFile, int interval, int countdown);
// A spreadsheet of three competitors (number, name, club, nation; a title row), in UTF-8 as
// spreadsheet programs save it, one name with accents.
void WriteEntries(const std::string& path);

// The connection dialog: the ports searched, COM5 picked (where the stand-in clock answers)
// or the stand-in's address and TCP port typed in; done when the link is open and the wait
// box gone.
Steps ConnectToCom5();
Steps ConnectOverNetwork(int tcpPort);
// A command to the stand-in clock through its control channel in the current folder; the
// steps that follow wait for its effect instead of pausing.
Step Tell(std::string command);
void Then(Steps& steps, Steps more);  // appends more steps
// Types a number on the competitor keypad and presses enter; done when confirm is offered.
Step TypeNumber(const std::string& digits);

// The records of a ".q31tps" file; none when it is missing or torn (count and size
// disagree), `whole` saying which.
std::vector<SbChronoRec> TimesIn(const std::string& path, bool* whole = nullptr);
// Record `index` (1-based) of a ".q31tps" image.
void ExpectTime(const std::string& file, int index, const SbChronoRec& expected);
// "Courant.q12ct": the list (number, sent flag) and the sent list (numbers).
void ExpectCompetitorLists(const std::string& file, const std::vector<std::pair<int, int>>& list,
                           const std::vector<int>& sent);
// The store as its file holds it: the count, then every record.
std::string StoreImage();
// A time message cut by the clock's own columns; false when the payload is not one.
bool ParseTimeMessage(const std::string& payload, SbChronoRec* out);
long HeapKb();  // bytes in use on the heap (arenas and mapped blocks), in kB
Strings Lines(const std::string& path);

}  // namespace e2e
