// A race against the stand-in clock with a fault in the middle: the clock's times, the
// whole program run with the watcher, and what the store, the table and "Chronos" hold.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>

#include "chrono/SbChrono.h"
#include "chrono/SbChronoFormat.h"
#include "link/SbComErreur.h"
#include "panels/FQ31.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "tests/runner/Race.h"
#include "tests/support/TestSupport.h"
#include "ui/Dialogs.h"

namespace faults {

using namespace e2e;
using namespace fq31;
using Ints = std::vector<int>;
inline const std::string kTimesFile = "Chronos/Chrono.q31tps";

// A time message as the clock sends it, on channel 2 (one row in the store).
inline std::string TimeLine(int competitor, int number) {
    char line[64];
    snprintf(line, sizeof line, "TN %04d %04d  2 10:%02d:%02d.%05d 00000", competitor, number, number % 60,
             competitor % 60, (number * 3917) % 100000);
    return line;
}
// The stand-in told to send `count` such times, one a line, from these on.
inline std::string Send(int competitor, int number, int count = 1) {
    std::string s = "send " + TimeLine(competitor, number);
    for (int i = 1; i < count; ++i) s += "\nsend " + TimeLine(competitor + i, number + i);
    return s;
}
inline Ints Competitors(const std::vector<SbChronoRec>& records) {
    Ints out;
    for (const SbChronoRec& r : records) out.push_back(r.Concurrent);
    return out;
}
inline Step StoreHolds(int n) {
    return Until([n] { return SbChronoNombre() >= n; });
}
inline Step BoxesSeen(size_t n) {
    return Until([n] { return Watching().boxes.size() >= n && !Watching().boxOpen; });
}
// The link up and idle: start-up reads done, no error pending.
inline Step Ready() {
    return Until(
        [] { return SbComG.linkState && SbQ31CrG.connected == 1 && !SbWaitOuvert() && !SbComErreur(); });
}
inline Steps ConnectTo(const std::string& address, int port) {  // over the network
    auto dialog = Loaded("FQ31.uir", CONNECT);
    return {SetAndPress(MainPanel, MAIN_CONNECT_SWITCH, 1), Fill(dialog, {{CONNECT_NET_PORT, port}}),
            Do([=] { SetCtrlVal(dialog(), CONNECT_NET_ADDRESS, address.c_str()); }),
            Press(dialog, CONNECT_CONNECT2)};
}

// Connected to the simulated clock, then `count` impulses on input 2, each stored before the next.
inline Steps SimulatedImpulses(int count) {
    Steps s = {SetAndPress(MainPanel, MAIN_CONNECT_SWITCH, 1),
               Answer("FQ31.uir", CONNECT, CONNECT_SIMULATION),
               Until([] { return SbComG.simulation == 1 && !FindLoadedPanel("FQ31.uir", CONNECT); })};
    for (int i = 1; i <= count; ++i) Then(s, {Press(MainPanel, MAIN_INPUT_2), StoreHolds(i)});
    return s;
}
// The whole program from a clean memory, the watcher answering as `watch` says.
inline size_t Race(Steps steps, BoxWatch watch = {}, long maxPasses = 6000) {
    ForgetEverything();
    SbComDeplanter();
    return RunProgram(WithBoxWatch(std::move(steps), std::move(watch)), maxPasses);
}

// The end of a race: once the file holds the store's image, the store and how many of its records
// the table shows in order (number and time) are noted, then quit.
struct Ending {
    Ints store;
    int rowsShown = 0, error = -1;
};
inline Steps Finish(Ending* end) {
    return {Until([] { return !SbComAckPendingG && qstest::ReadFileBytes(kTimesFile) == StoreImage(); }),
            Do([end] {
                end->error = SbComErreur();
                const Strings rows = TableRows(MainPanel(), MAIN_TIMES_TABLE);
                for (int i = 1; i <= SbChronoNombre(); ++i) {
                    char number[16], time[64];
                    SbChronoTexteNumero(*SbChronoLire(i), number);
                    SbChronoTexteTemps(*SbChronoLire(i), SbComG.params.precision, time);
                    end->store.push_back(SbChronoLire(i)->Concurrent);
                    const std::string row = size_t(i) <= rows.size() ? rows[size_t(i - 1)] + "|" : "";
                    end->rowsShown += end->rowsShown == i - 1 &&
                                      row.find("|" + std::string(number) + "|") != row.npos &&
                                      row.find("|" + std::string(time) + "|") != row.npos;
                }
                Q31QuitG = 1;
            })};
}
// The store as expected, every row shown, and the file left at shutdown whole and the same.
inline void ExpectKept(const Ending& end, const std::string& file, const Ints& competitors) {
    EXPECT_EQ(end.store, competitors);
    EXPECT_EQ(end.rowsShown, int(competitors.size()));
    EXPECT_EQ(Competitors(TimesIn(file)), competitors) << "the file torn, or other times in it";
}

}  // namespace faults
