// Link faults in the middle of a race, the whole program against the stand-in
// clock: a command left unacknowledged, refusals, damaged frames and garbage
// between times, a slow answer, a flooded line. Each time the operator sees what
// the fault deserves, once, no time is lost from the table or from "Chronos", and
// the link goes on working.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "chrono/SbChrono.h"
#include "link/SbComErreur.h"
#include "panels/FQ31.h"
#include "records/SbChronoRec.h"
#include "tests/faults/Race.h"
#include "tests/support/Standin.h"
#include "tests/support/TestSupport.h"
#include "ui/Texts.h"

using namespace race;
using Ints = std::vector<int>;

namespace {

class RaceFaults : public ::testing::Test {
protected:
    void SetUp() override {
        Seen() = Watch{};
        WriteConfig();
        clock_ = std::make_unique<qstest::StandinClock>(dir_);
        ASSERT_TRUE(clock_->Running());
    }

    // Start-up, connection to the stand-in on COM5, three times of the race.
    std::vector<Step> Start() {
        return {MainWindowUp(),
                SwitchConnection(1),
                ConnectInDialog(5),
                Connected(),
                Tell(dir_, {Send(101, 1), Send(102, 2), Send(103, 3)}),
                StoreHolds(3)};
    }
    // The end of the race: the file caught up, what the operator sees noted, quit.
    std::vector<Step> Finish() {
        return {FileCurrent(),
                [this] {
                    errorAtEnd_ = SbComErreur();
                    return true;
                },
                Snapshot(&store_, &rows_), Quit()};
    }
    // Runs start, the fault's steps and the finish; true when every step was done.
    bool Race(std::vector<Step> fault, double budget = 40.0) {
        std::vector<Step> steps = Start();
        steps.insert(steps.end(), fault.begin(), fault.end());
        for (Step& s : Finish()) steps.push_back(s);
        const size_t total = steps.size();
        return RunProgram(std::move(steps), budget) == total && !Seen().deadlineHit;
    }
    // The table showed the store, and the file left at shutdown holds the same.
    void ExpectKept(const Ints& competitors) {
        EXPECT_EQ(Competitors(store_), competitors);
        EXPECT_EQ(rows_, int(store_.size()));
        bool whole = false;
        std::vector<SbChronoRec> file = ReadTimesFile(dir_.file("Chronos/Chrono.q31tps"), &whole);
        ASSERT_TRUE(whole);
        ASSERT_EQ(file.size(), store_.size());
        for (size_t i = 0; i < file.size(); ++i)
            EXPECT_EQ(memcmp(&file[i], &store_[i], sizeof(SbChronoRec)), 0) << "record " << i + 1;
    }
    // Times the operator's impulse button asked for: "WC 008 02" on the wire.
    int ImpulsesOnWire() {
        int n = 0;
        for (const std::string& l : clock_->Wire()) n += l == "WC 008 02";
        return n;
    }

    qstest::TempProgramDir dir_;
    std::unique_ptr<qstest::StandinClock> clock_;
    std::vector<SbChronoRec> store_;
    int rows_ = -1;
    int errorAtEnd_ = -1;
};

}  // namespace

// The clock swallows the acknowledgement of an impulse asked from the main window
// (its time still comes): one time-out box after the 5 s wait, then the next
// impulse is acknowledged and a later time is stored after everything else.
TEST_F(RaceFaults, UnacknowledgedCommandShowsOneBoxAndTheLinkGoesOn) {
    ASSERT_TRUE(Race({Tell(dir_, {"noack on"}), Pause(0.2), Press(fq31::MAIN_INPUT_2), BoxesSeen(1),
                      StoreHolds(4), Tell(dir_, {"noack off"}), Pause(0.2), Press(fq31::MAIN_INPUT_2),
                      StoreHolds(5), Pause(0.3), Tell(dir_, {Send(104, 4)}), StoreHolds(6)}));
    ASSERT_EQ(Seen().boxes.size(), 1u);
    EXPECT_EQ(Seen().boxes[0].title, GMesComG[4]);
    EXPECT_EQ(Seen().boxes[0].text, GMesComG[5]);
    EXPECT_EQ(Seen().boxes[0].secondVisible, 1);  // the link is open: it may be closed from the box
    EXPECT_EQ(errorAtEnd_, 0);                    // the second impulse was acknowledged
    EXPECT_EQ(ImpulsesOnWire(), 2);
    ExpectKept({101, 102, 103, 0, 0, 104});  // the clock's own times carry no competitor
}

// 'AK F' and 'AK R' end the wait at once with a refusal box each (texts 6 and 7);
// the acknowledgement is not left pending, so the next impulse goes through.
TEST_F(RaceFaults, RefusalsShowTheirOwnBoxAndTheNextCommandGoesThrough) {
    ASSERT_TRUE(Race({Tell(dir_, {"ack F"}), Pause(0.2), Press(fq31::MAIN_INPUT_2), BoxesSeen(1),
                      [] { return SbComAckPendingG == 0; }, Tell(dir_, {"ack R"}), Pause(0.2),
                      Press(fq31::MAIN_INPUT_2), BoxesSeen(2), StoreHolds(5), Press(fq31::MAIN_INPUT_2),
                      StoreHolds(6), Pause(0.3), Tell(dir_, {Send(104, 4)}), StoreHolds(7)},
                     20.0));
    ASSERT_EQ(Seen().boxes.size(), 2u);
    EXPECT_EQ(Seen().boxes[0].title, GMesComG[4]);
    EXPECT_EQ(Seen().boxes[0].text, GMesComG[6]);
    EXPECT_EQ(Seen().boxes[1].title, GMesComG[4]);
    EXPECT_EQ(Seen().boxes[1].text, GMesComG[7]);
    EXPECT_EQ(errorAtEnd_, 0);
    EXPECT_EQ(ImpulsesOnWire(), 3);
    // The clock measured a time for each impulse, refused or not: each is kept.
    ExpectKept({101, 102, 103, 0, 0, 0, 104});
}

// A burst of times with damaged frames, garbage and an over-long line between
// them: every good time is stored in order, no damaged one, and the operator
// sees a single check-error box however many lines were bad.
TEST_F(RaceFaults, DamagedFramesAndGarbageBetweenTimesAreDroppedWithOneBox) {
    Seen().holdBox = [] { return SbChronoNombre() < 8; };  // the operator is away for the burst
    ASSERT_TRUE(Race({Tell(dir_, {Send(201, 11), "badcheck 1", Send(901, 12), "garbage", Send(202, 13),
                                  "badcheck 1", Send(902, 14), "longline", Send(203, 15), "garbage",
                                  Send(204, 16), "badcheck 1", Send(903, 17), Send(205, 18)}),
                      StoreHolds(8), BoxesSeen(1), Pause(1.0), Press(fq31::MAIN_INPUT_2), StoreHolds(9),
                      Pause(0.3), Tell(dir_, {Send(104, 4)}), StoreHolds(10)}));
    ASSERT_EQ(Seen().boxes.size(), 1u);
    EXPECT_EQ(Seen().boxes[0].title, GMesComG[9]);
    EXPECT_EQ(Seen().boxes[0].text, GMesComG[13]);
    EXPECT_EQ(errorAtEnd_, 0);
    ExpectKept({101, 102, 103, 201, 202, 203, 204, 205, 0, 104});
}

// A clock slow to answer (well inside the 5 s wait) is no fault: no box, and the
// time it measured for the impulse is stored in its place.
TEST_F(RaceFaults, SlowAnswerWithinTheWaitIsNoFault) {
    ASSERT_TRUE(Race({Tell(dir_, {"delay 1500"}), Pause(0.2), Press(fq31::MAIN_INPUT_2), StoreHolds(4),
                      Tell(dir_, {"delay 0", Send(104, 4)}), StoreHolds(5)},
                     20.0));
    EXPECT_TRUE(Seen().boxes.empty());
    EXPECT_EQ(errorAtEnd_, 0);
    EXPECT_EQ(ImpulsesOnWire(), 1);
    ExpectKept({101, 102, 103, 0, 104});
}

// Times sent while the clock floods the line with light messages (4,000 a second)
// are all stored, in order, with no box: a busy line drops nothing.
TEST_F(RaceFaults, TimesAmidAFloodAreAllKept) {
    std::vector<Step> fault = {Tell(dir_, {"flood 4000 2000"})};
    Ints expected = {101, 102, 103};
    for (int i = 1; i <= 10; ++i) {
        fault.push_back(Pause(0.04));
        fault.push_back(Tell(dir_, {Send(500 + i, 20 + i)}));
        expected.push_back(500 + i);
    }
    fault.push_back(StoreHolds(13));
    fault.push_back(Pause(0.5));  // the rest of the flood
    ASSERT_TRUE(Race(fault, 30.0));
    EXPECT_TRUE(Seen().boxes.empty());
    EXPECT_EQ(errorAtEnd_, 0);
    ExpectKept(expected);
}
