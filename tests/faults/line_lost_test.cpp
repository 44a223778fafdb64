// The serial line pulled in the middle of a race: the lost port is reported once,
// the program keeps turning and keeps every time, and a clock plugged back on the
// same port is reached again through the connection dialog.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/Q31Ihm.h"
#include "chrono/SbChrono.h"
#include "link/SbComErreur.h"
#include "panels/FQ31.h"
#include "platform/cvi.h"
#include "records/SbComRecord.h"
#include "tests/faults/Race.h"
#include "tests/support/Standin.h"
#include "tests/support/TestSupport.h"
#include "ui/Texts.h"

using namespace race;

TEST(LineLost, PortErrorOnceTimesKeptAndReconnectionStoresNewTimesAfter) {
    qstest::TempProgramDir dir;
    Seen() = Watch{};
    WriteConfig();
    auto clock = std::make_unique<qstest::StandinClock>(dir);
    ASSERT_TRUE(clock->Running());
    int linkAfterBox = -1, switchAfterBox = -1;
    std::vector<SbChronoRec> store;
    int rows = -1;

    std::vector<Step> steps = {MainWindowUp(), SwitchConnection(1), ConnectInDialog(5), Connected(),
                               Tell(dir, {Send(101, 1), Send(102, 2), Send(103, 3)}), StoreHolds(3),
                               FileCurrent(), Tell(dir, {"hangup"}), BoxesSeen(1),
                               [&] {
                                   linkAfterBox = SbComG.linkState;
                                   GetCtrlVal(Q31FIhmG, fq31::MAIN_CONNECT_SWITCH, &switchAfterBox);
                                   return true;
                               },
                               // A second of race with the line dead: no further box.
                               Pause(1.0),
                               // The operator switches the dead connection off (confirming), plugs the
                               // clock back in and connects again.
                               SwitchConnection(0),
                               [&] {
                                   if (SbComG.linkState != 0 || Seen().popups < 1) return false;
                                   clock.reset();
                                   clock = std::make_unique<qstest::StandinClock>(dir);
                                   return true;
                               },
                               SwitchConnection(1), ConnectInDialog(5), Connected(),
                               Tell(dir, {Send(104, 4), Send(105, 5)}), StoreHolds(5), FileCurrent(),
                               Snapshot(&store, &rows), Quit()};
    const size_t total = steps.size();
    ASSERT_EQ(RunProgram(std::move(steps)), total);
    ASSERT_FALSE(Seen().deadlineHit);
    ASSERT_TRUE(clock->Running());

    ASSERT_EQ(Seen().boxes.size(), 1u) << "the lost port is reported once";
    EXPECT_EQ(Seen().boxes[0].title, GMesComG[9]);
    EXPECT_EQ(Seen().boxes[0].text, GMesComG[12]);
    EXPECT_EQ(Seen().boxes[0].secondVisible, 1);
    EXPECT_EQ(linkAfterBox, 1);  // the operator only read the box: the link stays as it was
    EXPECT_EQ(switchAfterBox, 1);
    EXPECT_EQ(Seen().popups, 1);  // the switch-off confirmation

    EXPECT_EQ(Competitors(store), (std::vector<int>{101, 102, 103, 104, 105}));
    EXPECT_EQ(rows, 5);
    bool whole = false;
    EXPECT_EQ(Competitors(ReadTimesFile(dir.file("Chronos/Chrono.q31tps"), &whole)),
              (std::vector<int>{101, 102, 103, 104, 105}));
    EXPECT_TRUE(whole);
    // The new clock answered the connection as the first one did.
    std::vector<std::string> wire = clock->Wire();
    ASSERT_FALSE(wire.empty());
    EXPECT_EQ(wire.front(), "SN");
    EXPECT_EQ(wire.back(), "EE 1");
}

// The operator chooses to close the link from the box instead: the main window
// shows the link off (switch off, link lamp dimmed) at once and a reconnection works the same way.
TEST(LineLost, ClosingTheLinkFromTheBoxThenReconnecting) {
    qstest::TempProgramDir dir;
    Seen() = Watch{};
    Seen().answer = 2;
    WriteConfig();
    auto clock = std::make_unique<qstest::StandinClock>(dir);
    ASSERT_TRUE(clock->Running());
    int switchAfterBox = -1, lampDimmedAfterBox = -1;
    std::vector<SbChronoRec> store;
    int rows = -1;

    std::vector<Step> steps = {MainWindowUp(),
                               SwitchConnection(1),
                               ConnectInDialog(5),
                               Connected(),
                               Tell(dir, {Send(101, 1), Send(102, 2)}),
                               StoreHolds(2),
                               Tell(dir, {"hangup"}),
                               BoxesSeen(1),
                               [&] {
                                   if (SbComG.linkState != 0) return false;
                                   GetCtrlVal(Q31FIhmG, fq31::MAIN_CONNECT_SWITCH, &switchAfterBox);
                                   GetCtrlAttribute(Q31FIhmG, fq31::MAIN_LINK_LAMP, ATTR_DIMMED,
                                                    &lampDimmedAfterBox);
                                   clock.reset();
                                   clock = std::make_unique<qstest::StandinClock>(dir);
                                   return true;
                               },
                               SwitchConnection(1),
                               ConnectInDialog(5),
                               Connected(),
                               Tell(dir, {Send(103, 3)}),
                               StoreHolds(3),
                               FileCurrent(),
                               Snapshot(&store, &rows),
                               Quit()};
    const size_t total = steps.size();
    ASSERT_EQ(RunProgram(std::move(steps)), total);
    ASSERT_FALSE(Seen().deadlineHit);
    ASSERT_EQ(Seen().boxes.size(), 1u);
    EXPECT_EQ(Seen().boxes[0].text, GMesComG[12]);
    EXPECT_EQ(switchAfterBox, 0);
    EXPECT_EQ(lampDimmedAfterBox, 1);
    EXPECT_EQ(Seen().popups, 0);  // closing from the box asks nothing more
    EXPECT_EQ(Competitors(store), (std::vector<int>{101, 102, 103}));
    EXPECT_EQ(rows, 3);
}
