// The program killed (SIGKILL) while times come: every time received a second before is in
// "Chronos", whole, and in the wire journal, whatever holds the main loop at that moment.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "tests/faults/FaultRace.h"
#include "tests/support/Standin.h"

using namespace faults;

namespace {

// What holds the main loop (and its background task) while the times come.
enum Hold { Nothing, ErrorBox, AcknowledgementWait, Connecting, Simulation };
const char* const kHoldNames[] = {"Nothing", "ErrorBox", "AcknowledgementWait", "Connecting", "Simulation"};
const char* const kHeldOnWire[] = {"", "", "WC 008 02", "RP 003", ""};  // the impulse, the identity request
const Ints kEarly = {301, 302, 303, 304, 305, 306, 307, 308};

// The child: connected, then held until it is killed: garbage's error box left open, an impulse
// the clock never acknowledges, or the connection's wait box up (only the identity answered).
[[noreturn]] void RunChild(Hold hold) {
    Steps steps = ConnectToCom5();
    if (hold == Connecting) steps.resize(5);               // Connect pressed
    if (hold == Simulation) steps = SimulatedImpulses(5);  // the fifth stored: the second starts now
    if (hold == ErrorBox) Then(steps, {Tell("garbage"), Until([] { return Watching().boxOpen; })});
    if (hold == AcknowledgementWait)
        Then(steps, {Tell("noack on\n" + Send(300, 9)), StoreHolds(1), Press(MainPanel, MAIN_INPUT_2)});
    Then(steps, {Do([] { std::ofstream("held"); }), Until([] { return false; })});
    BoxWatch watch;
    watch.holdBox = [] { return true; };
    Race(steps, watch, 100000);
    _exit(0);
}

// True once `done` holds, looked at for at most `seconds`.
bool Within(double seconds, const std::function<bool()>& done) {
    for (const double start = Timer(); Timer() - start < seconds; usleep(20000))
        if (done()) return true;
    return done();
}

class Kill : public ::testing::TestWithParam<Hold> {};

TEST_P(Kill, TimesReceivedASecondBeforeAreInChronosAndTheJournal) {
    if (qstest::RanInOwnProcess()) return;
    qstest::TempProgramDir dir;
    const Hold hold = GetParam();
    qstest::StandinClock clock(dir, hold == Connecting ? Strings{"--noack-after", "1"} : Strings{});
    ASSERT_TRUE(clock.Running());
    const pid_t child = fork();
    if (child == 0) RunChild(hold);
    const std::string held = kHeldOnWire[hold];  // once the child says it is held, the clock has seen it
    EXPECT_TRUE(Within(30, [&] {
        return std::filesystem::exists("held") && (held.empty() || std::ranges::count(clock.Wire(), held));
    })) << "the program was not held as wanted";
    if (hold == Simulation) {  // the five impulses' times in the file a second after the last
        EXPECT_TRUE(Within(1.5, [] { return TimesIn(kTimesFile).size() == 5; }));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        int n = 0;
        for (const SbChronoRec& t : TimesIn(kTimesFile))
            EXPECT_EQ(std::tuple(t.Type, t.Canal, t.Numero), std::tuple('T', '2', ++n));
        return;
    }
    // The clock falls silent after them: nothing but the layer's timer brings them to the file.
    Tell("messages off\n" + Send(301, 1, 8))();
    EXPECT_TRUE(Within(1.0, [] {
        Ints in = Competitors(TimesIn(kTimesFile));
        std::ranges::sort(in);
        return std::ranges::includes(in, kEarly);
    })) << "not in the file a second after they came";
    Tell(Send(401, 11, 10))();
    usleep(100000);  // while they come
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status));
    bool whole = false;
    Ints kept = Competitors(TimesIn(kTimesFile, &whole));
    EXPECT_TRUE(whole) << "the times file must never be torn";
    // The time before the impulse and the one the clock measured for it come first.
    if (hold == AcknowledgementWait && kept.size() >= 2 && kept[0] == 300 && kept[1] == 0)
        kept.erase(kept.begin(), kept.begin() + 2);
    // The eight early times first, then only later ones in order, none skipped.
    ASSERT_GE(kept.size(), 8u);
    EXPECT_EQ(Ints(kept.begin(), kept.begin() + 8), kEarly);
    for (size_t i = 8; i < kept.size(); ++i) EXPECT_EQ(kept[i], 401 + int(i - 8));
    std::string journal;
    for (const std::string& name : FilesIn("Logs")) journal += qstest::ReadFileBytes("Logs/" + name);
    for (int i = 1; i <= 8; ++i)
        EXPECT_NE(journal.find("< " + TimeLine(300 + i, i) + "\\t"), std::string::npos) << "time " << i;
}

INSTANTIATE_TEST_SUITE_P(Race, Kill,
                         ::testing::Values(Nothing, ErrorBox, AcknowledgementWait, Connecting, Simulation),
                         [](const auto& info) { return std::string(kHoldNames[info.param]); });

}  // namespace
