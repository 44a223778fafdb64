// Link faults in a race against the stand-in clock: the operator is told once, no time is lost
// from the table or from "Chronos", and the link goes on or can be connected again.
#include <algorithm>
#include <csignal>
#include <memory>

#include "tests/faults/FaultRace.h"
#include "tests/support/Standin.h"
#include "ui/Texts.h"

using namespace faults;

namespace {

class LinkRace : public ::testing::Test {
protected:
    void Start(const Strings& args = {}) {
        clock_ = std::make_unique<qstest::StandinClock>(dir_, args);
        ASSERT_TRUE(clock_->Running());
    }
    // Each box: its title (a GMesComG number) and text, the close-link button shown or not.
    void ExpectBoxes(const std::vector<std::pair<int, std::string>>& boxes, int second) {
        std::vector<std::tuple<std::string, std::string, int>> seen, told;
        for (const SeenBox& b : Watching().boxes) seen.emplace_back(b.title, b.text, b.secondVisible);
        for (const auto& [title, text] : boxes) told.emplace_back(GMesComG[title], text, second);
        EXPECT_EQ(seen, told) << "each fault told once";
    }
    std::string Named(int text, const std::string& address) {  // a network text with its address
        std::string s = GMesComG[text];
        return s.replace(s.find("%s"), 2, address + ":" + std::to_string(clock_->TcpPort()));
    }
    qstest::TempProgramDir dir_;
    std::unique_ptr<qstest::StandinClock> clock_;
    Ending end_;
};

struct LinkFault {
    const char* name;
    // Each impulse: the fault the clock takes first (a time sent after it is stored), then the
    // operator's impulse meets it; the boxes told by the time its own time is stored.
    std::vector<std::pair<std::string, size_t>> impulses;
    Ints boxTexts;             // GMesComG texts of the boxes
    Ints kept;                 // the clock's own time for an impulse carries no competitor
    std::string between = "";  // what the clock sends after the first three times
    int holdBoxUntil = 0;      // the operator is away (the box stays open) until the store holds this many
    int Between() const { return int(kept.size() - 3 - 2 * impulses.size()); }  // good times in `between`
};
const std::string kDamaged = "\n" + Send(201, 11) + "\nbadcheck 1\n" + Send(901, 12) + "\ngarbage\n" +
                             Send(202, 13) + "\nbadcheck 1\n" + Send(902, 14) + "\nlongline\n" +
                             Send(203, 15) + "\ngarbage\n" + Send(204, 16) + "\nbadcheck 1\n" +
                             Send(903, 17) + "\n" + Send(205, 18);
const std::string kFlood = "\nflood 4000 2000\n" + Send(501, 21, 10);
// 'AK F' and 'AK R' end the wait at once with their own box; an answer 1.5 s late is no fault.
const LinkFault kLinkFaults[] = {
    {"Unacknowledged", {{"noack on", 1}, {"noack off", 1}}, {5}, {101, 102, 103, 104, 0, 106, 0}},
    {"Refused", {{"ack F", 1}, {"ack R", 2}, {"ack OK", 2}}, {6, 7}, {101, 102, 103, 104, 0, 106, 0, 108, 0}},
    {"DamagedFrames", {{"ack OK", 1}}, {13}, {101, 102, 103, 201, 202, 203, 204, 205, 109, 0}, kDamaged, 8},
    {"SlowAnswer", {{"delay 1500", 0}}, {}, {101, 102, 103, 104, 0}},
    {"Flood", {}, {}, {101, 102, 103, 501, 502, 503, 504, 505, 506, 507, 508, 509, 510}, kFlood},
};

class LinkFaults : public LinkRace, public ::testing::WithParamInterface<LinkFault> {};

TEST_P(LinkFaults, ToldOnceTimesKeptAndTheLinkGoesOn) {
    const LinkFault& f = GetParam();
    Start();
    int stored = 3 + f.Between();
    Steps steps = ConnectToCom5();
    // The next time may come as the damaged frames' box closes: closing it keeps whole lines.
    Then(steps, {Ready(), Tell(Send(101, 1, 3) + f.between), StoreHolds(stored)});
    for (const auto& [fault, boxes] : f.impulses)
        Then(steps, {Tell(fault + "\n" + Send(101 + stored, 4)), StoreHolds(++stored),
                     Press(MainPanel, MAIN_INPUT_2), BoxesSeen(boxes), StoreHolds(++stored)});
    Then(steps, Finish(&end_));
    BoxWatch watch;
    watch.holdBox = [n = f.holdBoxUntil] { return SbChronoNombre() < n; };
    ASSERT_EQ(Race(steps, watch), steps.size());
    std::vector<std::pair<int, std::string>> boxes;
    for (int text : f.boxTexts) boxes.push_back({text == 13 ? 9 : 4, GMesComG[text]});
    ExpectBoxes(boxes, 1);
    EXPECT_EQ(end_.error, 0);
    EXPECT_EQ(std::ranges::count(clock_->Wire(), "WC 008 02"), int(f.impulses.size()));
    ExpectKept(end_, dir_.file(kTimesFile), f.kept);
}

INSTANTIATE_TEST_SUITE_P(Race, LinkFaults, ::testing::ValuesIn(kLinkFaults),
                         [](const auto& info) { return std::string(info.param.name); });

// The line pulled in the middle of a race: told once; the operator reads the box (the link
// stays as it was, then is switched off with a confirmation) or closes the link from it; every
// time received before is kept, and the clock plugged back is reached again.
struct LineLost {
    const char* name;
    bool network;
    int answer;     // the error box's button
    Ints afterBox;  // the link's state, the connect switch, the link lamp dimmed (or hidden)
};
class LineLosts : public LinkRace, public ::testing::WithParamInterface<LineLost> {};

TEST_P(LineLosts, ToldOnceTimesKeptAndConnectedAgain) {
    const LineLost& l = GetParam();
    Start(l.network ? Strings{"--tcp", "0"} : Strings{});
    auto connect = [&] { return l.network ? ConnectOverNetwork(clock_->TcpPort()) : ConnectToCom5(); };
    Ints afterBox;
    Steps steps = connect();
    // Over the network the last time leaves the clock right before the line goes (a
    // pseudo-terminal hung up drops what it still holds).
    Then(steps, {Ready(), Tell(Send(101, 1, 2)), StoreHolds(2)});
    Then(steps, l.network ? Steps{Tell(Send(103, 3) + "\nhangup")}
                          : Steps{Tell(Send(103, 3)), StoreHolds(3), Tell("hangup")});
    Then(steps,
         {BoxesSeen(1), Until([&] { return l.answer == 1 || SbComG.linkState == 0; }), Do([&] {
              const int main = MainPanel();
              afterBox = {SbComG.linkState, Value(main, MAIN_CONNECT_SWITCH), !Usable(main, MAIN_LINK_LAMP)};
          })});
    if (l.answer == 1)
        Then(steps, {SetAndPress(MainPanel, MAIN_CONNECT_SWITCH, 0),
                     Until([] { return SbComG.linkState == 0 && Watching().popups == 1; })});
    if (!l.network) steps.push_back(Do([&] { Start(); }));  // a network clock kept listening
    Then(steps, connect());
    Then(steps, {Ready(), Tell(Send(104, 4, 2)), StoreHolds(5)});
    Then(steps, Finish(&end_));
    BoxWatch watch;
    watch.answer = l.answer;
    ASSERT_EQ(Race(steps, watch), steps.size());
    ExpectBoxes({l.network ? std::pair{kMesComNetTitle, Named(kMesComNetLost, "127.0.0.1")}
                           : std::pair{9, std::string(GMesComG[12])}},
                1);
    EXPECT_EQ(afterBox, l.afterBox);
    EXPECT_EQ(Watching().popups, l.answer == 2 ? 0 : 1);  // closing from the box asks nothing more
    ExpectKept(end_, dir_.file(kTimesFile), {101, 102, 103, 104, 105});
    // The clock plugged back answered the connection whole.
    EXPECT_EQ(clock_->Wire().empty() ? "" : clock_->Wire().back(), "EE 1");
}

INSTANTIATE_TEST_SUITE_P(Race, LineLosts,
                         ::testing::Values(LineLost{"Serial", false, 1, {1, 1, 0}},
                                           LineLost{"SerialClosedFromBox", false, 2, {0, 0, 1}},
                                           LineLost{"Network", true, 1, {2, 1, 0}}),
                         [](const auto& info) { return std::string(info.param.name); });

// A connection over the network that fails: told once with its own text naming the address
// and port, the link left closed.
struct NetFault {
    const char* name;
    Strings standin;
    const char* address;  // "" for the stand-in's port once it has ended: nothing listens there
    int text;
};
class NetFaults : public LinkRace, public ::testing::WithParamInterface<NetFault> {};

TEST_P(NetFaults, ToldOnceWithTheAddressAndTheLinkLeftClosed) {
    const NetFault& f = GetParam();
    Start(f.standin);
    const std::string address = *f.address ? f.address : "127.0.0.1";
    if (!*f.address) clock_->Stop(SIGTERM);
    int linkAfterBox = -1;
    Steps steps = ConnectTo(address, clock_->TcpPort());
    Then(steps, {BoxesSeen(1), Do([&] { linkAfterBox = SbComG.linkState; }), Finish(&end_)[1]});
    ASSERT_EQ(Race(steps), steps.size());
    ExpectBoxes({{kMesComNetTitle, Named(f.text, address)}}, 0);
    EXPECT_EQ(linkAfterBox, 0);
    EXPECT_TRUE(end_.store.empty());
}

const NetFault kNetFaults[] = {
    {"Refused", {"--tcp", "0"}, "", kMesComNetRefused},
    {"NoAnswer", {"--tcp", "0", "--tcp-unanswered"}, "127.0.0.1", kMesComNetNoAnswer},
    {"UnknownName", {"--tcp", "0"}, "clock.invalid", kMesComNetUnknownHost},
};
INSTANTIATE_TEST_SUITE_P(OverTcp, NetFaults, ::testing::ValuesIn(kNetFaults),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
