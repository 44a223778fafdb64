// The clock over the network when the network fails, the whole program against the
// stand-in clock listening on TCP: each way a connection fails is told once with its
// own text naming the address and port, and the program stays usable; a connection
// dropped in the middle of a race is one error, every time received (up to the last
// one before the drop) is kept, and connecting again through the dialog resumes.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "records/SbComRecord.h"
#include "tests/faults/Race.h"
#include "tests/support/Standin.h"
#include "tests/support/TestSupport.h"
#include "ui/Texts.h"

using namespace race;

namespace {

// A loopback port nothing listens on: taken from the system, then let go.
int ClosedPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof a;
    bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length);
    close(fd);
    return ntohs(a.sin_port);
}

enum class Where { StandinPort, ClosedPort, UnknownName };

struct NetworkFault {
    const char* name;
    std::vector<std::string> standin;  // the stand-in's fault switches
    Where where;
    int text;      // GMesComG entry of the one box
    bool midRace;  // connected first, then the fault in the middle of the race
};
void PrintTo(const NetworkFault& f, std::ostream* os) {
    *os << f.name;
}

const NetworkFault kFaults[] = {
    {"Refused", {}, Where::ClosedPort, kMesComNetRefused, false},
    {"NoAnswer", {"--tcp-unanswered"}, Where::StandinPort, kMesComNetNoAnswer, false},
    {"UnknownName", {}, Where::UnknownName, kMesComNetUnknownHost, false},
    {"SilentClock", {"--no-ack"}, Where::StandinPort, kMesComNetSilent, false},
    {"DroppedMidRaceThenReconnected", {}, Where::StandinPort, kMesComNetLost, true},
};

class NetworkFaults : public ::testing::TestWithParam<NetworkFault> {};

}  // namespace

TEST_P(NetworkFaults, ToldOnceWithTheAddressTimesKeptAndTheProgramUsable) {
    const NetworkFault& f = GetParam();
    qstest::TempProgramDir dir;
    Seen() = Watch{};
    WriteConfig();
    std::vector<std::string> args = {"--tcp", "0"};
    args.insert(args.end(), f.standin.begin(), f.standin.end());
    qstest::StandinClock clock(dir, args);
    ASSERT_TRUE(clock.Running());
    const std::string address = f.where == Where::UnknownName ? "clock.invalid" : "127.0.0.1";
    const int port = f.where == Where::ClosedPort    ? ClosedPort()
                     : f.where == Where::UnknownName ? 7000
                                                     : clock.TcpPort();
    int linkAfterBox = -1;
    std::vector<SbChronoRec> store;
    int rows = -1;
    auto noteLink = [&] {
        linkAfterBox = SbComG.linkState;
        return true;
    };

    std::vector<Step> steps = {MainWindowUp(), SwitchConnection(1), ConnectOverNetwork(address, port)};
    if (f.midRace) {
        // The last time leaves the clock right before the network goes.
        steps.insert(steps.end(),
                     {Connected(), Tell(dir, {Send(101, 1), Send(102, 2)}), StoreHolds(2),
                      Tell(dir, {Send(103, 3), "hangup"}), BoxesSeen(1), noteLink, Pause(1.0),
                      // Switched off (confirmed) and connected again: the clock kept listening.
                      SwitchConnection(0), [] { return SbComG.linkState == 0 && Seen().popups == 1; },
                      SwitchConnection(1), ConnectOverNetwork(address, port), Connected(),
                      Tell(dir, {Send(104, 4), Send(105, 5)}), StoreHolds(5), FileCurrent()});
    } else {
        steps.insert(steps.end(), {BoxesSeen(1), noteLink});
    }
    steps.insert(steps.end(), {Snapshot(&store, &rows), Quit()});
    const size_t total = steps.size();
    ASSERT_EQ(RunProgram(std::move(steps)), total);
    ASSERT_FALSE(Seen().deadlineHit);

    ASSERT_EQ(Seen().boxes.size(), 1u) << "told once";
    std::string text = GMesComG[f.text];
    text.replace(text.find("%s"), 2, address + ":" + std::to_string(port));
    EXPECT_EQ(Seen().boxes[0].title, GMesComG[kMesComNetTitle]);
    EXPECT_EQ(Seen().boxes[0].text, text);
    // While connected the box offers to close the link; after a failed connection it is closed.
    EXPECT_EQ(Seen().boxes[0].secondVisible, f.midRace ? 1 : 0);
    EXPECT_EQ(linkAfterBox, f.midRace ? 2 : 0);
    if (f.midRace) {
        EXPECT_EQ(Competitors(store), (std::vector<int>{101, 102, 103, 104, 105}));
        EXPECT_EQ(rows, 5);
        bool whole = false;
        EXPECT_EQ(Competitors(ReadTimesFile(dir.file("Chronos/Chrono.q31tps"), &whole)),
                  (std::vector<int>{101, 102, 103, 104, 105}));
        EXPECT_TRUE(whole);
    }
}

INSTANTIATE_TEST_SUITE_P(OverTcp, NetworkFaults, ::testing::ValuesIn(kFaults),
                         [](const auto& info) { return std::string(info.param.name); });
