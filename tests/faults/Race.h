// A race driven headless against the stand-in clock: the operator's script, a
// watcher that notes and answers the error box and confirmation popups, the
// times the clock sends, and what the store and its file hold.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "records/SbChronoRec.h"
#include "tests/support/TestSupport.h"

namespace race {

using Step = std::function<bool()>;

// One error box as the operator saw it.
struct Box {
    std::string title, text, detail;
    int secondVisible = -1;
};

// What the watcher saw over a run, and how it answers.
struct Watch {
    std::vector<Box> boxes;
    int answer = 1;                 // error box button pressed: 1 first, 2 close the link
    std::function<bool()> holdBox;  // while true, an open error box is left open
    int popups = 0;                 // popups answered (confirmation popups with their confirm button)
    int cancels = 0;                // ... except this many next questions, answered with their cancel button
    std::vector<std::string> popupTexts;
    bool deadlineHit = false;  // the script ran out of time: the program was made to quit
    bool boxOpen = false;
};
Watch& Seen();

// Runs the whole program (start-up to shutdown) in the test's program folder with
// English texts and sound off, the steps run in order on every idle pass of its
// loops. Past the deadline the watcher quits the program and answers any box, so
// a stuck flow fails instead of hanging. Returns the number of steps done.
size_t RunProgram(std::vector<Step> steps, double deadlineSeconds = 40.0);
void WriteConfig();  // the configuration files RunProgram starts from

// Steps.
Step MainWindowUp();
Step SwitchConnection(int on);   // the main window's connection switch
Step ConnectInDialog(int port);  // presses Connect in the connection dialog
// Types the address and TCP port in the connection dialog and presses the second Connect.
Step ConnectOverNetwork(const std::string& address, int tcpPort);
Step Connected();            // link open, dialog and wait box gone, no error
Step Press(int control);     // a button of the main window
Step Pause(double seconds);  // lets the loops turn meanwhile
Step Tell(const qstest::TempProgramDir& dir, const std::vector<std::string>& commands);
Step StoreHolds(int count);    // the store holds at least count records
Step FileCurrent();            // "Chronos/Chrono.q31tps" holds what the store holds
Step BoxesSeen(size_t count);  // that many error boxes shown, none open
// The store's records, and how many rows from the top of the times table show
// them (number and time as formatted for the table).
Step Snapshot(std::vector<SbChronoRec>* store, int* tableRows);
Step Quit();

// The stand-in's control channel, written at once (one write, so the commands
// are read together and in order).
void TellNow(const qstest::TempProgramDir& dir, const std::vector<std::string>& commands);

// A time message as the clock sends it, on channel 2 (one row in the store).
std::string TimeLine(int competitor, int number);
std::string Send(int competitor, int number);  // "send " + TimeLine

// Records of a ".q31tps" file; empty when missing or torn (count and size disagree).
std::vector<SbChronoRec> ReadTimesFile(const std::string& path, bool* whole = nullptr);

// The competitor numbers of the records, in order: what tests compare.
std::vector<int> Competitors(const std::vector<SbChronoRec>& records);

}  // namespace race
