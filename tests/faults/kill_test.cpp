// The program killed while receiving times: a child runs the whole program against the stand-in
// clock and is killed with SIGKILL while times keep coming. Every time received a second before
// is in "Chronos" (whole, never torn) and in the wire journal, also while the error box, a
// command's wait or the connection's wait box holds the main loop. In the simulation, the times
// of five impulses are in "Chronos" a second after the last.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <tuple>

#include "tests/faults/FaultRace.h"
#include "tests/support/Standin.h"

using namespace faults;

namespace {

// What holds the main loop (and its background task) while the times come.
enum Hold { Nothing, ErrorBox, AcknowledgementWait, Connecting, Simulation };
const char* const kHoldNames[] = {"Nothing", "ErrorBox", "AcknowledgementWait", "Connecting", "Simulation"};
const Ints kEarly = {301, 302, 303, 304, 305, 306, 307, 308};

// The child: connected, then held until it is killed. With the error box, garbage raises the
// check error and its box stays open (the operator is away); with the wait, the clock
// acknowledges no impulse; while connecting, it answers the identity request and then
// acknowledges nothing, so the connection's wait box stays up.
[[noreturn]] void RunChild(Hold hold, int reportFd) {
    BoxWatch watch;
    watch.holdBox = [] { return true; };
    Steps steps = ConnectToCom5();
    if (hold == Connecting) steps.resize(5);               // Connect pressed
    if (hold == Simulation) steps = SimulatedImpulses(5);  // the fifth stored: the second starts now
    if (hold == ErrorBox) Then(steps, {Tell("garbage"), Until([] { return Watching().boxOpen; })});
    if (hold == AcknowledgementWait)
        Then(steps, {Tell("noack on\n" + Send(300, 9)), StoreHolds(1), Press(MainPanel, MAIN_INPUT_2)});
    Then(steps, {Do([=] { (void)!write(reportFd, "c", 1); }), Until([] { return false; })});
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
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t child = fork();
    if (child == 0) RunChild(hold, fds[1]);
    close(fds[1]);
    char c = 0;
    auto onWire = [&](const char* line) {
        return Within(6, [&] { return std::ranges::count(clock.Wire(), line); });
    };
    const bool held = hold == Connecting
                          ? onWire("RP 003")
                          : read(fds[0], &c, 1) == 1 && (hold != AcknowledgementWait || onWire("WC 008 02"));
    close(fds[0]);
    EXPECT_TRUE(held) << "the program was not held as wanted";
    if (hold == Simulation) {
        EXPECT_TRUE(Within(1.5, [] { return TimesIn(kTimesFile).size() == 5; }));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        const std::vector<SbChronoRec> times = TimesIn(kTimesFile);
        for (int i = 0; i < int(times.size()); ++i)
            EXPECT_EQ(std::tuple(times[i].Type, times[i].Canal, times[i].Numero),
                      std::tuple('T', '2', i + 1));
        return;
    }
    // The clock falls silent after them: nothing but the layer's timer brings them to the file.
    std::string early = "messages off";
    for (int i = 1; i <= 8; ++i) early += "\n" + Send(300 + i, i);
    Tell(early)();
    EXPECT_TRUE(Within(1.0, [] {
        Ints in = Competitors(TimesIn(kTimesFile));
        std::ranges::sort(in);
        return std::ranges::includes(in, kEarly);
    })) << "not in the file a second after they came";
    std::string late;
    for (int i = 1; i <= 10; ++i) late += Send(400 + i, 10 + i) + "\n";
    Tell(late)();
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
    for (const auto& e : std::filesystem::directory_iterator("Logs"))
        journal += qstest::ReadFileBytes(e.path().string());
    for (int i = 1; i <= 8; ++i)
        EXPECT_NE(journal.find("< " + TimeLine(300 + i, i) + "\\t"), std::string::npos) << "time " << i;
}

INSTANTIATE_TEST_SUITE_P(Race, Kill,
                         ::testing::Values(Nothing, ErrorBox, AcknowledgementWait, Connecting, Simulation),
                         [](const auto& info) { return std::string(kHoldNames[info.param]); });

}  // namespace
