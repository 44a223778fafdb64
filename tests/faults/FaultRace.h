// A race against the stand-in clock with a fault in the middle: the times the clock
// sends, the connection, and what the store, the table and "Chronos" hold at the end.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "chrono/SbChrono.h"
#include "chrono/SbChronoFormat.h"
#include "link/SbComErreur.h"
#include "panels/FQ31.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "tests/runner/Operator.h"
#include "tests/runner/Race.h"
#include "ui/Dialogs.h"

namespace faults {

using namespace e2e;
using Ints = std::vector<int>;
inline const std::string kTimesFile = "Chronos/Chrono.q31tps";

// A time message as the clock sends it, on channel 2 (one row in the store).
inline std::string TimeLine(int competitor, int number) {
    char line[64];
    snprintf(line, sizeof line, "TN %04d %04d  2 10:%02d:%02d.%05d 00000", competitor, number, number % 60,
             competitor % 60, (number * 3917) % 100000);
    return line;
}
inline std::string Send(int competitor, int number) {
    return "send " + TimeLine(competitor, number);
}

inline Ints Competitors(const std::vector<SbChronoRec>& records) {
    Ints out;
    for (const SbChronoRec& r : records) out.push_back(r.Concurrent);
    return out;
}

inline Step StoreHolds(int count) {
    return Until([count] { return SbChronoNombre() >= count; });
}
inline Step BoxesSeen(size_t count) {
    return Until([count] { return Seen().boxes.size() >= count && !Seen().boxOpen; });
}
// The link up and idle: start-up reads done, no error pending.
inline Step Ready() {
    return Until(
        [] { return SbComG.linkState != 0 && SbQ31CrG.connected == 1 && !SbWaitOuvert() && !SbComErreur(); });
}
// The connection dialog over the network, the address typed and the second Connect pressed.
inline Steps ConnectTo(const std::string& address, int port) {
    auto dialog = Loaded("FQ31.uir", fq31::CONNECT);
    return {SetAndPress(MainPanel, fq31::MAIN_CONNECT_SWITCH, 1),
            [dialog, address, port] {
                if (!Usable(dialog(), fq31::CONNECT_NET_ADDRESS)) return false;
                SetCtrlVal(dialog(), fq31::CONNECT_NET_ADDRESS, address.c_str());
                SetCtrlVal(dialog(), fq31::CONNECT_NET_PORT, port);
                return true;
            },
            Press(dialog, fq31::CONNECT_CONNECT2)};
}

// Connected to the simulated clock through the connection dialog.
inline Steps Simulate() {
    return {SetAndPress(MainPanel, fq31::MAIN_CONNECT_SWITCH, 1),
            Press(Loaded("FQ31.uir", fq31::CONNECT), fq31::CONNECT_SIMULATION),
            Until([] { return SbComG.simulation == 1 && !FindLoadedPanel("FQ31.uir", fq31::CONNECT); })};
}

// The whole program from a clean memory, the watcher on; the steps done.
inline size_t Race(Steps steps, long maxPasses = 6000, Watch watch = {}) {
    ForgetEverything();
    SbComDeplanter();
    return RunProgram(Watched(std::move(steps), std::move(watch)), maxPasses);
}

// The end of a race: the file caught up with the store, the store and what the table
// shows of it noted, then quit.
struct Ending {
    Ints store;
    int rowsShown = -1;  // rows from the top showing their record's number and time
    int error = -1;
};
inline Steps Finish(Ending* end) {
    return {Until([] {
                bool whole = false;
                const std::vector<SbChronoRec> file = TimesIn(kTimesFile, &whole);
                if (!whole || int(file.size()) != SbChronoNombre() || SbComAckPendingG) return false;
                for (int i = 1; i <= SbChronoNombre(); ++i)
                    if (memcmp(&file[size_t(i - 1)], SbChronoLire(i), sizeof(SbChronoRec))) return false;
                return true;
            }),
            Do([end] {
                end->error = SbComErreur();
                end->rowsShown = 0;
                const Strings rows = TableRows(MainPanel(), fq31::MAIN_TIMES_TABLE);
                for (int i = 1; i <= SbChronoNombre(); ++i) {
                    end->store.push_back(SbChronoLire(i)->Concurrent);
                    char number[16], time[64];
                    SbChronoTexteNumero(*SbChronoLire(i), number);
                    SbChronoTexteTemps(*SbChronoLire(i), SbComG.params.precision, time);
                    const std::string row = size_t(i) <= rows.size() ? rows[size_t(i - 1)] + "|" : "";
                    if (end->rowsShown == i - 1 &&
                        row.find(std::string("|") + number + "|") != std::string::npos &&
                        row.find(std::string("|") + time + "|") != std::string::npos)
                        ++end->rowsShown;
                }
                Q31QuitG = 1;
            })};
}

}  // namespace faults
