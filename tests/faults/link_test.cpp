// Link faults in the middle of a race, the whole program against the stand-in clock:
// a command left unacknowledged, refusals, damaged frames, a slow answer, a flooded
// line, the line pulled (serial or network), connections that fail. Each time the
// operator is told what the fault deserves, once; no time is lost from the table or
// from "Chronos"; the link goes on working or can be connected again.
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
    // The store as expected, every row shown, and the file left at shutdown the same.
    void ExpectKept(const Ints& competitors) {
        EXPECT_EQ(end_.store, competitors);
        EXPECT_EQ(end_.rowsShown, int(competitors.size()));
        bool whole = false;
        EXPECT_EQ(Competitors(TimesIn(dir_.file(kTimesFile), &whole)), competitors);
        EXPECT_TRUE(whole);
    }
    // The boxes seen: their titles and texts (GMesComG numbers), the close-link button shown.
    void ExpectBoxes(const std::vector<std::pair<int, std::string>>& boxes, int second) {
        ASSERT_EQ(Watching().boxes.size(), boxes.size()) << "each fault is told once";
        for (size_t i = 0; i < boxes.size(); ++i) {
            EXPECT_EQ(Watching().boxes[i].title, GMesComG[boxes[i].first]);
            EXPECT_EQ(Watching().boxes[i].text, boxes[i].second);
            EXPECT_EQ(Watching().boxes[i].secondVisible, second);
        }
    }
    std::string Named(int text, const std::string& address) {  // a network text with its address
        std::string s = GMesComG[text];
        return s.replace(s.find("%s"), 2, address);
    }
    qstest::TempProgramDir dir_;
    std::unique_ptr<qstest::StandinClock> clock_;
    Ending end_;
};

// A fault switched on with a time after it: once that time is stored the clock has
// taken the fault, and the operator's impulse meets it.
Step Switch(const std::string& fault, int competitor) {
    return Tell(fault + "\n" + Send(competitor, 4));
}
const Step kImpulse = Press(MainPanel, MAIN_INPUT_2);

// The acknowledgement swallowed (the time still comes): one time-out box after the wait,
// then the next impulse is acknowledged.
Steps Unacknowledged() {
    return {Switch("noack on", 104),  StoreHolds(4), kImpulse, BoxesSeen(1), StoreHolds(5),
            Switch("noack off", 105), StoreHolds(6), kImpulse, StoreHolds(7)};
}
// 'AK F' and 'AK R' end the wait at once with their own box; nothing is left pending.
Steps Refusals() {
    return {Switch("ack F", 104), StoreHolds(4),        kImpulse,      BoxesSeen(1),
            StoreHolds(5),        Switch("ack R", 105), StoreHolds(6), kImpulse,
            BoxesSeen(2),         StoreHolds(7),        kImpulse,      StoreHolds(8)};
}
// Damaged frames, garbage and an over-long line between times: every good time in order,
// no damaged one, one check-error box however many lines were bad.
Steps DamagedFrames() {
    return {Tell(Send(201, 11) + "\nbadcheck 1\n" + Send(901, 12) + "\ngarbage\n" + Send(202, 13) +
                 "\nbadcheck 1\n" + Send(902, 14) + "\nlongline\n" + Send(203, 15) + "\ngarbage\n" +
                 Send(204, 16) + "\nbadcheck 1\n" + Send(903, 17) + "\n" + Send(205, 18)),
            StoreHolds(8), BoxesSeen(1), kImpulse, StoreHolds(9)};
}
// An answer 1.5 s late, well inside the wait, is no fault.
Steps SlowAnswer() {
    return {Switch("delay 1500", 104), StoreHolds(4), kImpulse, StoreHolds(5),
            Switch("delay 0", 105),    StoreHolds(6)};
}
// Times sent while the clock floods the line with light messages: none dropped.
Steps Flood() {
    Steps s = {Tell("flood 4000 2000")};
    for (int i = 1; i <= 10; ++i) Then(s, {Tell(Send(500 + i, 20 + i)), StoreHolds(3 + i)});
    return s;
}

struct LinkFault {
    const char* name;
    Steps (*steps)();
    int holdBoxUntil;  // the operator is away (the box stays open) until the store holds this many
    Ints boxTexts;     // GMesComG texts of the boxes (the link title, or check errors')
    int impulses;      // "WC 008 02" on the wire
    Ints kept;         // the clock's own times for an impulse carry no competitor
};
const LinkFault kLinkFaults[] = {
    {"Unacknowledged", Unacknowledged, 0, {5}, 2, {101, 102, 103, 104, 0, 105, 0}},
    {"Refusals", Refusals, 0, {6, 7}, 3, {101, 102, 103, 104, 0, 105, 0, 0}},
    {"DamagedFrames", DamagedFrames, 8, {13}, 1, {101, 102, 103, 201, 202, 203, 204, 205, 0}},
    {"SlowAnswer", SlowAnswer, 0, {}, 1, {101, 102, 103, 104, 0, 105}},
    {"Flood", Flood, 0, {}, 0, {101, 102, 103, 501, 502, 503, 504, 505, 506, 507, 508, 509, 510}},
};

class LinkFaults : public LinkRace, public ::testing::WithParamInterface<LinkFault> {};

// Connected on COM5 with three times received, the fault's steps, then the end.
TEST_P(LinkFaults, ToldOnceTimesKeptAndTheLinkGoesOn) {
    const LinkFault& f = GetParam();
    Start();
    BoxWatch watch;
    if (f.holdBoxUntil) watch.holdBox = [n = f.holdBoxUntil] { return SbChronoNombre() < n; };
    Steps steps = ConnectToCom5();
    Then(steps, {Ready(), Tell(Send(101, 1) + "\n" + Send(102, 2) + "\n" + Send(103, 3)), StoreHolds(3)});
    Then(steps, f.steps());
    Then(steps, Finish(&end_));
    ASSERT_EQ(Race(steps, watch), steps.size());
    std::vector<std::pair<int, std::string>> boxes;
    for (int text : f.boxTexts) boxes.push_back({text == 13 ? 9 : 4, GMesComG[text]});
    ExpectBoxes(boxes, 1);
    EXPECT_EQ(end_.error, 0);
    EXPECT_EQ(std::ranges::count(clock_->Wire(), "WC 008 02"), f.impulses);
    ExpectKept(f.kept);
}

INSTANTIATE_TEST_SUITE_P(Race, LinkFaults, ::testing::ValuesIn(kLinkFaults),
                         [](const auto& info) { return std::string(info.param.name); });

// The line pulled in the middle of a race: told once; the operator reads the box (the
// link stays as it was, then is switched off with a confirmation) or closes the link
// from it; every time received before is kept, and the clock plugged back is reached again.
struct LineLost {
    const char* name;
    bool network;
    int answer;  // the error box's button
};
class LineLosts : public LinkRace, public ::testing::WithParamInterface<LineLost> {};

TEST_P(LineLosts, ToldOnceTimesKeptAndConnectedAgain) {
    const LineLost& l = GetParam();
    Start(l.network ? Strings{"--tcp", "0"} : Strings{});
    auto connect = [&] {
        Steps s = l.network ? ConnectTo("127.0.0.1", clock_->TcpPort()) : ConnectToCom5();
        Then(s, {Ready()});
        return s;
    };
    int linkAfterBox = -1, switchAfterBox = -1, lampDimmed = -1;
    Steps steps = connect();
    // Over the network the last time leaves the clock right before the line goes (a
    // pseudo-terminal hung up drops what it still holds).
    Then(steps, {Tell(Send(101, 1) + "\n" + Send(102, 2)), StoreHolds(2)});
    Then(steps, l.network ? Steps{Tell(Send(103, 3) + "\nhangup")}
                          : Steps{Tell(Send(103, 3)), StoreHolds(3), Tell("hangup")});
    Then(steps, {BoxesSeen(1), Until([&] { return l.answer == 1 || SbComG.linkState == 0; }), Do([&] {
                     linkAfterBox = SbComG.linkState;
                     switchAfterBox = Value(MainPanel(), MAIN_CONNECT_SWITCH);
                     GetCtrlAttribute(MainPanel(), MAIN_LINK_LAMP, ATTR_DIMMED, &lampDimmed);
                 })});
    if (l.answer == 1)
        Then(steps, {SetAndPress(MainPanel, MAIN_CONNECT_SWITCH, 0),
                     Until([] { return SbComG.linkState == 0 && Watching().popups == 1; })});
    if (!l.network) steps.push_back(Do([&] { Start(); }));  // a network clock kept listening
    Then(steps, connect());
    Then(steps, {Tell(Send(104, 4) + "\n" + Send(105, 5)), StoreHolds(5)});
    Then(steps, Finish(&end_));
    BoxWatch watch;
    watch.answer = l.answer;
    ASSERT_EQ(Race(steps, watch), steps.size());

    const std::string address = "127.0.0.1:" + std::to_string(clock_->TcpPort());
    ExpectBoxes({l.network ? std::pair{kMesComNetTitle, Named(kMesComNetLost, address)}
                           : std::pair{9, std::string(GMesComG[12])}},
                1);
    EXPECT_EQ(linkAfterBox, l.answer == 2 ? 0 : l.network ? 2 : 1);
    EXPECT_EQ(switchAfterBox, l.answer == 2 ? 0 : 1);
    EXPECT_EQ(lampDimmed, l.answer == 2 ? 1 : 0);
    EXPECT_EQ(Watching().popups, l.answer == 2 ? 0 : 1);  // closing from the box asks nothing more
    ExpectKept({101, 102, 103, 104, 105});
    ASSERT_FALSE(clock_->Wire().empty());
    EXPECT_EQ(clock_->Wire().back(), "EE 1");  // the clock plugged back answered the connection whole
}

INSTANTIATE_TEST_SUITE_P(Race, LineLosts,
                         ::testing::Values(LineLost{"Serial", false, 1},
                                           LineLost{"SerialClosedFromBox", false, 2},
                                           LineLost{"Network", true, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

// A connection over the network that fails: told once with its own text naming the
// address and port, the link left closed.
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
    const int port = clock_->TcpPort();
    if (!*f.address) clock_->Stop(SIGTERM);
    int linkAfterBox = -1;
    Steps steps = ConnectTo(address, port);
    Then(steps, {BoxesSeen(1), Do([&] { linkAfterBox = SbComG.linkState; }), Finish(&end_)[1]});
    ASSERT_EQ(Race(steps), steps.size());
    ExpectBoxes({{kMesComNetTitle, Named(f.text, address + ":" + std::to_string(port))}}, 0);
    EXPECT_EQ(linkAfterBox, 0);
    EXPECT_TRUE(end_.store.empty());
}

const NetFault kNetFaults[] = {
    {"Refused", {"--tcp", "0"}, "", kMesComNetRefused},
    {"NoAnswer", {"--tcp", "0", "--tcp-unanswered"}, "127.0.0.1", kMesComNetNoAnswer},
    {"UnknownName", {"--tcp", "0"}, "clock.invalid", kMesComNetUnknownHost},
    {"SilentClock", {"--tcp", "0", "--no-ack"}, "127.0.0.1", kMesComNetSilent},
};
INSTANTIATE_TEST_SUITE_P(OverTcp, NetFaults, ::testing::ValuesIn(kNetFaults),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
