// The link's bytes on the wire: literal frames and payloads, the single command in flight and
// its acknowledgement, and received lines cut and checked as the serial callback receives them.
#include <cstdlib>
#include <tuple>
#include <utility>

#include "LinkFixture.h"
#include "link/SbComCommandes.h"
#include "link/SbComFrame.h"
#include "link/SbComGsmEth.h"
#include "link/SbComLink.h"
#include "link/SbComProg.h"

using namespace linktest;
using memport::C;
using memport::Line;

namespace {
std::string Time(int c) {  // a time on channel 2 from competitor c (1 to 9), framed as the clock sends it
    return Line("TN 000" + std::to_string(c) + " 0001  2 10:00:00.00000 00000");
}

TEST(LinkFrame, FramesOfKnownPayloads) {
    const std::pair<std::string, std::string> rows[] = {
        {"\x80\x80", "#\x80\x80\tFFFFFF00\r\n"},  // high bytes count as negative: each 0x80 adds -128
        {std::string(247, 'z'), "#" + std::string(247, 'z') + "\t75B6\r\n"},  // the longest: 255 bytes
    };
    for (const auto& [payload, frame] : rows) {
        char out[kSbComTrameMax];
        EXPECT_EQ(std::string(out, size_t(SbComFormerTrame(payload.c_str(), out, sizeof out))), frame);
    }
}

}  // namespace

TEST_F(LinkTest, PayloadsOfEveryCommand) {
    // Inputs 5 and 9, program 51 and parameter 114 do not exist. (More
    // commands the pages and races send, with their literal frames: the settings table, the races.)
    const std::pair<void (*)(), Strings> rows[] = {
        {[] {
             for (int no = 0; no <= 13; ++no) SbComCommande(no);
             for (int no = 0; no <= 120; ++no)
                 if (no != 16) SbComEcrireParam(no);  // every parameter but the speed
             SbComEcrireInputParam(4, 9);
             SbComEcrireInputParam(4, 5);
             Q31ComEcrireProgParam(102, 51);
             Q31ComEcrireProgParam(114, 4);
             SbComG.progs[4].p107 = 7;
             for (int no : {113, 106, 104, 107}) Q31ComEcrireProgParam(no, 4);
             SbComEcrireInputParam(6, 2);
         },
         {"WC 001",         "WC 002",       "WC 003 01",
          "WC 004 07",      "WC 005 58203", "WC 007 02 08:05 03/09/24",
          "WP 001 3",       "WP 007 2",     "WP 009 19",
          "WP 012 1",       "WP 017 0",     "WP 018 1",
          "WP 019 1",       "WP 020 0",     "WP 021 04",
          "WP 023 1 0 1 1", "WP 029 03 12", "WP 113 04 fb",
          "WP 106 04 00",   "WP 104 04 60", "WP 107 04 007",
          "WP 006 02 0"}},
        {[] {
             SbComEcrireGsm('2', "abc");
             SbComEcrireParamsGSM();
         },
         {"WP 030 2 abc", "WP 030 C", "WP 030 6 ", "WP 030 1 +41 79", "WP 030 2 ", "WP 030 3 ", "WP 030 4 ",
          "WP 030 5 13001", "WP 030 7 ", "WP 030 8 ", "WP 030 a ", "WP 030 b ", "WP 030 c ", "WP 030 d ",
          "WP 030 e 13001", "WP 030 f ", "WP 030 g "}},
        {SbComLireParamsGSM,
         {"RP 030 1", "RP 030 2", "RP 030 3", "RP 030 4", "RP 030 5", "RP 030 6", "RP 030 7", "RP 030 8",
          "RP 030 a", "RP 030 b", "RP 030 c", "RP 030 d", "RP 030 e", "RP 030 f", "RP 030 g"}},
        // The GSM switch follows the module (on, then off); the speed written with the code in use
        // keeps the port as it is (checked below).
        {[] {
             SbComLireID();
             SbComActiveMsg(1);
             SbComCommandeEthernet(2);
             Q31ComInitLireParam();
             SbCrG.gsmStatus = 0x01;
             SbComBasculerGsm(0);
             SbComBasculerGsm(2);
             SbCrG.gsmStatus = 0x00;
             SbComBasculerGsm(0);
             SbComBasculerGsm(3);
             SbComVitesseCouranteG = SbComG.params.speedCode = 3;
             SbComEcrireParam(16);
         },
         {"ID", "EE 1", "WC 011 2", "RP 003", "RP 002", "RP 010", "RP 101", "RP 105 00", "RP 001", "RP 008",
          "RP 028 1", "RP 028 2", "RP 028 3", "WC 010 0", "WC 010 3", "WP 016 3"}},
    };
    for (const auto& [run, payloads] : rows) {
        SCOPED_TRACE(payloads[0]);
        SetUp();
        // Values the commands write, set over the link's defaults.
        SbComG.params = {.precision = 3,
                         .field1 = 2,
                         .field2 = 12,
                         .field3 = 3,
                         .field6 = 1,
                         .field7 = 1,
                         .field9 = 4,
                         .field10 = 1};
        for (int i : {0, 2, 3}) SbComG.params.inputs[i].choice3 = 1;
        SbComG.synchro = {
            .mode = 2, .hour = 8, .minute = 5, .day = 3, .month = 9, .year = 24, .timeZone = 19};
        SbComG.mode = 1;
        SbComG.currentProgram = 7;
        SbComG.progs[4].p113 = -5;
        snprintf(SbComG.gsm.first[0].text[0], 32, "%s", "+41 79");
        run();
        EXPECT_EQ(Payloads(), payloads);
        EXPECT_EQ(std::tuple(Error(), SbComAckPendingG), std::tuple("", 0));
    }
    EXPECT_EQ(std::tuple(SbComG.speed, SbComG.linkState), std::tuple(9600, 1));
    SbComVitesseCouranteG = 0;
}

// A text entry is a format only when it holds one integer conversion (the network's: one "%s",
// filled textually); otherwise the port or address is appended.
TEST(LinkPort, PortAndAddressGoIntoTheTextOnlyWhenItIsSafe) {
    const std::tuple<bool, const char*, const char*> rows[] = {
        {true, "100%% sure: COM%02d", "100% sure: COM05"},
        {true, "Port %s", "Port %s 5"},
        {true, "COM%d %d", "COM%d %d 5"},
        {true, "%*d", "%*d 5"},
        {false, "Refused by %s.", "Refused by 10.0.0.9:7000."},
        {false, "%s%n", "%s%n 10.0.0.9:7000"}};
    for (auto [port, entry, expected] : rows) {
        char out[128];
        port ? SbComTexteAvecPort(entry, 5, out, sizeof out)
             : SbComTexteAvecAdresse(entry, "10.0.0.9:7000", out, sizeof out);
        EXPECT_STREQ(out, expected) << entry;
    }
}

// One command in flight: a refusal ends the wait at once, a command while another is pending
// is dropped, a time-out silences the link until cleared, a closed link sends nothing and watches
// no port, and a failed write or port status is a port error.
TEST_F(LinkTest, OneCommandInFlight) {
    C().replies.push_back(Line("AK F"));
    SbComLireParam(1);
    EXPECT_EQ(std::tuple(Error(), C().waitPasses),
              std::tuple("E4|E6", 1));  // the refusal ended the wait at once
    SbComLireParam(2);                  // with an error other than a time-out: written, not waited for
    EXPECT_EQ(std::tuple(SbComAckPendingG, C().waitPasses), std::tuple(0, 1));
    ClearError();
    SbComEmission("RP 003");  // not waited for
    SbComLireParam(4);        // dropped; waits for the remainder of the first
    EXPECT_EQ(Payloads(), (Strings{"RP 001", "RP 002", "RP 003"}));
    EXPECT_EQ(std::tuple(Error(), SbComAckPendingG),
              std::tuple("", 0));  // the first one's "AK" ended the wait
    C().autoAck = false;
    SbComLireParam(1);
    EXPECT_EQ(std::tuple(Error(), SbComAckPendingG), std::tuple("E4|E5", 1));
    EXPECT_GE(C().now - SbComSendTimeG, kSbComAttenteAck);
    const int passes = C().waitPasses;
    Q31ComInitLireParam();  // every further command returns at once: nothing written, no waiting
    EXPECT_EQ(std::tuple(C().frames.size(), C().waitPasses - passes), std::tuple(4u, 0));
    SbComDeplanter();
    C().autoAck = true;
    SbComLireParam(2);
    EXPECT_EQ(std::tuple(Error(), C().frames.size()), std::tuple("", 5u));
    SbComG.linkState = 0;
    C().portStatus = 4;
    Q31ComInitLireParam();
    SbComEcrireParamsGSM();
    Q31ComEcrireProg(1);
    SbComCommande(1);
    SbComAttendreAck();
    SbComSurveiller();
    EXPECT_EQ(std::tuple(Error(), C().frames.size(), SbComAckPendingG, C().waitPasses - passes),
              std::tuple("", 5u, 0, 1));
    SbComG.linkState = 1;
    SbComLireParam(1);
    EXPECT_EQ(std::tuple(Error(), C().frames.size()), std::tuple("E9|E12", 5u));
    ClearError();
    C().portStatus = 0;
    C().writeResult = -3;
    SbComLireParam(1);
    EXPECT_EQ(std::tuple(Error(), SbComAckPendingG),
              std::tuple(std::string("E9|") + GetRS232ErrorString(-3), 0));
}

// Received lines are checked (check digits in either case, at most 63 bytes of payload). A
// stream of lines cut into pieces of any size, as reads ended by the port's time-out cut a line,
// gives the same times; a line too long, too short or damaged (an acknowledgement too: it is not
// seen) is refused alone and the times on either side of it are kept, whatever its length against
// the payload buffer and the reads (1,024).
TEST_F(LinkTest, ReceivedLinesAreCheckedHoweverTheyArrive) {
    const std::string p63(63, 'x');
    const std::pair<std::string, const char*> rows[] = {{"AK\t008c\r", "AK"},
                                                        {"AK\t8C\r", "AK"},
                                                        {"AK 008C\r", nullptr},
                                                        {Line(p63).substr(0, 69), p63.c_str()},
                                                        {Line(p63 + "x").substr(0, 70), nullptr}};
    for (const auto& [line, payload] : rows) {
        SCOPED_TRACE(line);
        ClearError();
        char message[kSbComMessageMax];
        EXPECT_EQ(SbComVerifierLigne(line.data(), int(line.size()), message), payload ? 1 : 0);
        EXPECT_EQ(payload ? message : Error(), payload ? payload : "E9|E13");
    }
    const std::string stream = Time(1) + Time(2) + "garbage\x01\xff\r\n" + Time(3) + "\r\n" + Line("&E 1E") +
                               "AK\t008D\r\n" + Time(4) + "\n";
    for (size_t piece : {size_t(1), size_t(2), size_t(7), size_t(64), size_t(0)}) {
        ClearError();
        timesG.clear();
        SbComAckPendingG = 1;
        memport::P().piece = piece;
        memport::Deliver(stream.data(), stream.size());
        EXPECT_EQ(Competitors(), (std::vector<int>{1, 2, 3, 4})) << "piece " << piece;
        EXPECT_EQ(std::tuple(Error(), SbComAckPendingG), std::tuple("E9|E13", 1)) << "piece " << piece;
    }
    // Garbage of every length; a negative length is garbage that ends in a time, still one line.
    SbComAckPendingG = 0;
    memport::P().piece = 0;
    for (int length : {0, 64, 1023, 1024, 1025, 4095, -1024}) {
        SCOPED_TRACE(length);
        std::string line(size_t(std::abs(length)), 'x');
        if (length < 0) line += Time(2).substr(0, 42);
        ClearError();
        timesG.clear();
        const std::string bytes = Time(1) + line + "\n" + Time(3);
        memport::Deliver(bytes.data(), bytes.size());
        EXPECT_EQ(Competitors(), (std::vector<int>{1, 3}));
    }
    // Clearing the link's error drops a line half received, which would spoil the next, but
    // keeps a time received whole while the error was shown.
    timesG.clear();
    memport::Deliver("TN 0009 00", 10);
    ClearError();
    SbComPoserErreur("E9", "E13");
    memport::P().input = Time(6) + "TN 0009 00";  // not read yet: the error box was open
    SbComDeplanter();
    const std::string next = Time(5);
    memport::Deliver(next.data(), next.size());
    EXPECT_EQ(Competitors(), (std::vector<int>{6, 5}));
    EXPECT_EQ(Error(), "");
}
