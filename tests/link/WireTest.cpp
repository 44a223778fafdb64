// The link's bytes on the wire: literal frames and payloads of every command, the single
// command in flight and its acknowledgement, and received lines cut and checked as the
// serial callback receives them.
#include <string>
#include <tuple>
#include <utility>

#include "LinkFixture.h"
#include "link/SbComCommandes.h"
#include "link/SbComFrame.h"
#include "link/SbComGsmEth.h"
#include "link/SbComLink.h"
#include "link/SbComProg.h"
#include "platform/cvi.h"
#include "tests/support/Pty.h"
#include "tests/support/TestSupport.h"

using namespace linktest;
using memport::C;
using memport::Line;

namespace {
// A time on channel 2 from competitor c, framed as the clock sends it.
std::string Time(int c) {
    char payload[64];
    snprintf(payload, sizeof payload, "TN %04d 0001  2 10:00:00.00000 00000", c);
    return Line(payload);
}
}  // namespace

TEST(LinkFrame, FramesOfKnownPayloads) {
    const std::pair<std::string, std::string> rows[] = {
        {"SN", "#SN\t00A1\r\n"},
        {"RP 001", "#RP 001\t0153\r\n"},
        {"EE 1", "#EE 1\t00DB\r\n"},
        {"AK", "#AK\t008C\r\n"},
        {"", "#\t0000\r\n"},
        {"A\xE9", "#A\xE9\t002A\r\n"},  // high bytes count as negative: 0xE9 adds -23
        {"\x80\x80", "#\x80\x80\tFFFFFF00\r\n"},
        {std::string(247, 'z'), "#" + std::string(247, 'z') + "\t75B6\r\n"},  // the longest: 255 bytes
    };
    for (const auto& [payload, frame] : rows) {
        char out[kSbComTrameMax];
        EXPECT_EQ(std::string(out, size_t(SbComFormerTrame(payload.c_str(), out, sizeof out))), frame);
    }
}

// The same frames over the serial port (state 1) and over the network (state 2).
TEST_F(LinkTest, FramesOnTheWireAreLiteral) {
    for (uint8_t state : {1, 2}) {
        C().frames.clear();
        SbComG.linkState = state;
        SbComLireSN();
        SbComLireParam(1);
        SbComActiveMsg(1);
        EXPECT_EQ(C().frames, (Strings{"#SN\t00A1\r\n", "#RP 001\t0153\r\n", "#EE 1\t00DB\r\n"})) << state;
        EXPECT_EQ(SbComErreur(), 0);
    }
}

TEST_F(LinkTest, PayloadsOfEveryCommand) {
    struct Row {
        const char* name;
        void (*run)();
        Strings payloads;
    };
    const Row rows[] = {
        {"reads",
         [] {
             SbComLireParam(3);
             SbComLireInputParam(4, 2);
             SbComLireExtension(2);
             SbComLireID();
             SbComActiveMsg(0);
             SbComChargerManche(7);
             SbComLireInput(3);
         },
         {"RP 003", "RP 004 02", "RP 028 2", "ID", "EE 0", "DL 07", "RP 004 03", "RP 005 03", "RP 006 03"}},
        {"parameters",
         [] {
             SbComParams& p = SbComG.params;
             p = {};
             p.precision = 3, p.field1 = 2, p.field10 = 1, p.field6 = 1, p.field7 = 1, p.field9 = 4;
             p.field3 = 3, p.field2 = 12, SbComG.synchro.timeZone = 19;
             p.inputs[0].choice3 = p.inputs[2].choice3 = p.inputs[3].choice3 = 1;
             for (int no = 0; no <= 120; ++no)
                 if (no != 16) SbComEcrireParam(no);
         },
         {"WP 001 3", "WP 007 2", "WP 009 19", "WP 012 1", "WP 017 0", "WP 018 1", "WP 019 1", "WP 020 0",
          "WP 021 04", "WP 023 1 0 1 1", "WP 029 03 12"}},
        {"inputs, numbers, keys",
         [] {
             SbComInput& in = SbComG.params.inputs[1];
             in.timeBase = 100, in.choice2 = 1, in.enabled = 1;
             SbComEcrireInput(2);
             SbComEcrireInputParam(4, 9);  // no such input: nothing
             SbComEcrireNumConcurrent(1, 42);
             Q31ComCommandeKey(0x04);
             Q31ComCommandeKey(0x20);
             SbComCommandeInput(3);
             SbComCommandeChargerManche(3, 1);
             SbComCommandeChargerManche(12, 0x1ab);
         },
         {"WP 004 02 0100", "WP 005 02 1", "WP 006 02 1", "WP 026 01   42", "WC 009 00400", "WC 009 02000",
          "WC 008 03", "WC 012 03 0001", "WC 012 12 01ab"}},
        {"actions",
         [] {
             SbComG.mode = 1, SbComG.currentProgram = 7;
             SbComSynchro& s = SbComG.synchro;
             s.mode = 2, s.hour = 8, s.minute = 5, s.day = 3, s.month = 9, s.year = 24;
             for (int no = 0; no <= 13; ++no) SbComCommande(no);
         },
         {"WC 001", "WC 002", "WC 003 01", "WC 004 07", "WC 005 58203", "WC 007 02 08:05 03/09/24"}},
        {"program parameters",
         [] {
             SbComG.progs[1].p107 = -10, SbComG.progs[1].p113 = 1;
             SbComG.progs[4].p102 = 120, SbComG.progs[4].p113 = -5, SbComG.progs[4].p112 = -5;
             for (auto [no, prog] : {std::pair{107, 1},
                                     {113, 1},
                                     {102, 4},
                                     {113, 4},
                                     {112, 4},
                                     {106, 4},
                                     {102, 51},
                                     {114, 4}})  // 51: no such program, 114: no such parameter
                 Q31ComEcrireProgParam(no, prog);
         },
         {"WP 107 01 246", "WP 113 01 01", "WP 102 04 0120", "WP 113 04 fb", "WP 112 04 251",
          "WP 106 04 00"}},
        {"whole program",
         [] { Q31ComLireProg(0); },
         {"RP 102 00", "RP 103 00", "RP 104 00", "RP 105 00", "RP 107 00", "RP 108 00", "RP 109 00",
          "RP 110 00", "RP 111 00", "RP 112 00", "RP 113 00"}},
        {"defaults of Alpine Ski",
         [] { Q31ComEcrireProg(1); },
         {"WP 102 01 0060", "WP 103 01 0030", "WP 104 01 60", "WP 105 01 00", "WP 107 01 246",
          "WP 108 01 251", "WP 109 01 000", "WP 110 01 251", "WP 111 01 246", "WP 112 01 005",
          "WP 113 01 00"}},
        {"network and GSM",
         [] {
             SbComEcrireEthernetAd(0, "192.168.1.1");
             SbComLireEthernetAd(1);
             SbComCommandeEthernet(2);
             SbComLireGsm('e');
             SbComCommandeGSM(1);
         },
         {"WP 031 0 192.168.1.1", "RP 031 1", "WC 011 2", "RP 030 e", "WC 010 1"}},
        {"GSM items",
         [] {
             snprintf(SbComG.gsm.first[0].text[0], 32, "%s", "+41 79");
             SbComEcrireParamsGSM();
             SbComLireParamsGSM();
         },
         {"WP 030 C",       "WP 030 6 ",      "WP 030 1 +41 79", "WP 030 2 ", "WP 030 3 ", "WP 030 4 ",
          "WP 030 5 13001", "WP 030 7 ",      "WP 030 8 ",       "WP 030 a ", "WP 030 b ", "WP 030 c ",
          "WP 030 d ",      "WP 030 e 13001", "WP 030 f ",       "WP 030 g ", "RP 030 1",  "RP 030 2",
          "RP 030 3",       "RP 030 4",       "RP 030 5",        "RP 030 6",  "RP 030 7",  "RP 030 8",
          "RP 030 a",       "RP 030 b",       "RP 030 c",        "RP 030 d",  "RP 030 e",  "RP 030 f",
          "RP 030 g"}},
        {"GSM switch follows the module",
         [] {
             SbCrG.gsmStatus = 0x01;  // on
             SbComBasculerGsm(0);
             SbComBasculerGsm(2);
             SbCrG.gsmStatus = 0x00;
             SbComBasculerGsm(0);
             SbComBasculerGsm(3);
         },
         {"WC 010 0", "WC 010 3"}},
        {"speed written with the code in use keeps the port",
         [] {
             SbComVitesseCouranteG = SbComG.params.speedCode = 3;
             SbComG.speed = 38400;
             SbComEcrireParam(16);
             EXPECT_EQ(SbComG.speed, 38400);
             EXPECT_EQ(SbComG.linkState, 1);
             SbComVitesseCouranteG = 0;
         },
         {"WP 016 3"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SetUp();
        row.run();
        EXPECT_EQ(Payloads(), row.payloads);
        EXPECT_EQ(SbComErreur(), 0);
        EXPECT_EQ(SbComAckPendingG, 0);
    }
}

// A text entry is a format only when it holds one integer conversion (the network's: one "%s",
// filled textually); otherwise the port or address is appended.
TEST(LinkPort, PortAndAddressGoIntoTheTextOnlyWhenItIsSafe) {
    const std::tuple<bool, const char*, const char*> rows[] = {
        {true, "Port COM%d cannot be opened", "Port COM5 cannot be opened"},
        {true, "100%% sure: COM%02d", "100% sure: COM05"},
        {true, "Port %s", "Port %s 5"},
        {true, "COM%d %d", "COM%d %d 5"},
        {true, "%*d", "%*d 5"},
        {true, "%n", "%n 5"},
        {false, "Refused by %s.", "Refused by 10.0.0.9:7000."},
        {false, "%s %s", "%s %s 10.0.0.9:7000"},
        {false, "%d %s", "%d %s 10.0.0.9:7000"},
        {false, "100%% %s", "100%% %s 10.0.0.9:7000"},
        {false, "%s%n", "%s%n 10.0.0.9:7000"},
        {false, "None", "None 10.0.0.9:7000"}};
    for (auto [port, entry, expected] : rows) {
        char out[128];
        if (port)
            SbComTexteAvecPort(entry, 5, out, sizeof out);
        else
            SbComTexteAvecAdresse(entry, "10.0.0.9:7000", out, sizeof out);
        EXPECT_STREQ(out, expected) << entry;
    }
}

TEST_F(LinkTest, ClosedLinkSendsNothingAndSetsNoError) {
    SbComG.linkState = 0;
    Q31ComInitLireParam();
    SbComEcrireParamsGSM();
    Q31ComEcrireProg(1);
    SbComCommande(1);
    SbComEcrireParam(16);
    SbComAttendreAck();
    EXPECT_TRUE(C().frames.empty());
    EXPECT_EQ(SbComErreur() + SbComAckPendingG + C().waitPasses, 0);
}

TEST_F(LinkTest, TimeOutLeavesTheLinkMuteUntilCleared) {
    C().autoAck = false;
    SbComLireParam(1);
    EXPECT_EQ(SbComErreur(), 1);
    EXPECT_EQ(Title() + Text(), "E4E5");
    EXPECT_EQ(SbComAckPendingG, 1);
    EXPECT_GE(C().now - SbComSendTimeG, kSbComAttenteAck);
    // Every further command returns at once: nothing written, no waiting.
    const int passes = C().waitPasses;
    Q31ComInitLireParam();
    EXPECT_EQ(C().frames.size(), 1u);
    EXPECT_EQ(C().waitPasses, passes);
    SbComDeplanter();
    C().autoAck = true;
    SbComLireParam(2);
    EXPECT_EQ(C().frames.size(), 2u);
    EXPECT_EQ(SbComErreur(), 0);
}

TEST_F(LinkTest, CommandWhileAnotherIsPendingIsDropped) {
    SbComEmission("RP 001");  // not waited for
    SbComLireParam(2);        // dropped; waits for the remainder of the first
    EXPECT_EQ(Payloads(), (Strings{"RP 001"}));
    EXPECT_EQ(SbComAckPendingG, 0);  // the first one's "AK" ended the wait
    EXPECT_EQ(SbComErreur(), 0);
}

TEST_F(LinkTest, RefusalEndsTheWaitAtOnce) {
    C().replies.push_back(Line("AK F"));
    SbComLireParam(1);
    EXPECT_EQ(SbComAckPendingG, 0);
    EXPECT_EQ(Text(), "E6");
    EXPECT_EQ(C().waitPasses, 1);
    // With an error pending (not a time-out) commands are still written, not waited for.
    SbComLireParam(2);
    EXPECT_EQ(C().frames.size(), 2u);
    EXPECT_EQ(SbComAckPendingG, 0);
    EXPECT_EQ(C().waitPasses, 1);
}

TEST_F(LinkTest, WriteAndPortStatusFailures) {
    C().portStatus = 4;
    SbComLireParam(1);
    EXPECT_TRUE(C().frames.empty());
    EXPECT_EQ(Title() + Text(), "E9E12");
    ClearError();
    C().portStatus = 0;
    C().writeResult = -3;
    SbComLireParam(1);
    EXPECT_EQ(SbComErreur(), 1);
    EXPECT_EQ(Title(), "E9");
    EXPECT_NE(Text(), "E12");
    EXPECT_EQ(SbComAckPendingG, 0);
}

TEST_F(LinkTest, ReceivedLinesAreChecked) {
    const std::string p63(63, 'x');
    const std::pair<std::string, const char*> rows[] = {
        {"AK\t008C\r", "AK"},
        {"AK\t008c\r", "AK"},  // digits in either case
        {"AK\t8C\r", "AK"},
        {"AK\t008D\r", nullptr},
        {"AK 008C\r", nullptr},
        {Line(p63).substr(0, 69), p63.c_str()},  // the longest payload
        {Line(p63 + "x").substr(0, 70), nullptr}};
    for (const auto& [line, payload] : rows) {
        SCOPED_TRACE(line);
        ClearError();
        char message[kSbComMessageMax];
        EXPECT_EQ(SbComVerifierLigne(line.data(), int(line.size()), message), payload ? 1 : 0);
        EXPECT_EQ(SbComErreur(), payload ? 0 : 1);
        EXPECT_EQ(payload ? message : Title() + Text(), payload ? payload : "E9E13");
    }
    // An acknowledgement failing its check is not seen.
    SbComAckPendingG = 1;
    memport::Deliver("AK\t008D\r\n", 9);
    EXPECT_EQ(SbComAckPendingG, 1);
}

TEST_F(LinkTest, ReceptionCutsAnyChunkingIntoTheSameLines) {
    const std::string stream =
        Time(1) + Time(2) + "garbage\x01\xff\r\n" + Time(3) + "\r\n" + Line("&E 1E") + Time(4) + "\n";
    // Pieces of any size, as reads ended by the port's time-out cut a line.
    for (size_t piece : {size_t(1), size_t(2), size_t(3), size_t(7), size_t(64), size_t(0)}) {
        ClearError();
        Times().clear();
        memport::P().piece = piece;
        memport::Deliver(stream.data(), stream.size());
        EXPECT_EQ(Competitors(), (std::vector<int>{1, 2, 3, 4})) << "piece " << piece;
        EXPECT_EQ(Text(), "E13") << "piece " << piece;  // the garbage and the lone CR
    }
    // Clearing the link's error drops a line half received, which would spoil the next.
    ClearError();
    Times().clear();
    memport::Deliver("TN 0009 00", 10);
    ClearError();
    const std::string next = Time(5);
    memport::Deliver(next.data(), next.size());
    EXPECT_EQ(Competitors(), std::vector<int>{5});
    EXPECT_EQ(SbComErreur(), 0);
}

// Lines of every length through the serial callback over a real terminal: a line too
// long, too short or damaged is refused alone, and the valid lines on either side of it
// are decoded, whatever its length against the reader's buffer (256), the payload
// buffer (63) and the port's read pieces (1,024).
TEST(LinkReception, LinesOfEveryLengthLoseNothingAroundThem) {
    qstest::EnsureRuntime();
    qstest::TempProgramDir dir(false);
    qstest::Pty pty;
    ASSERT_GE(pty.master, 0);
    constexpr int kPort = 7;
    pty.LinkAsPort(dir.path(), kPort);
    SbComValDefaut(&SbComG);
    SbComG.port = kPort;
    ASSERT_EQ(OpenComConfig(kPort, "", 57600, 0, 8, 1, 512, 512), 0);
    SetComTime(kPort, 1.0);
    InstallComCallback(kPort, LWRS_RXFLAG, 0, 10, RsDetectFlag, nullptr);
    SbComG.linkState = 1;
    struct Row {
        int payload;  // characters before the TAB; 0: a line without one, -1: a time after the bytes
        int length;   // bytes before the LF
        bool kept;
    };
    // A time's payload has 36 characters, its frame 41 bytes before the CR.
    const Row rows[] = {{0, 0, false},     {0, 1, false},     {0, 63, false},    {0, 64, false},
                        {63, 68, true},    {64, 69, false},   {36, 255, true},   {36, 256, true},
                        {36, 257, false},  {36, 1023, false}, {36, 1024, false}, {36, 1025, false},
                        {36, 2048, false}, {0, 4095, false},  {36, 4096, false}, {-1, 1024, false}};
    for (const Row& r : rows) {
        SCOPED_TRACE("payload " + std::to_string(r.payload) + ", line " + std::to_string(r.length));
        std::string line(size_t(r.length), 'x');
        if (r.payload > 0) {
            line = Line(Time(2).substr(0, 36) + std::string(size_t(r.payload - 36), ' '));
            line.resize(line.size() - 2);  // CR and LF
            line.resize(size_t(r.length), ' ');
        } else if (r.payload < 0) {  // one full read of garbage, then a time: still one line
            line += Time(2).substr(0, 42);
        }
        Times().clear();
        pty.Send(Time(1) + line + "\n" + Time(3), [] { ProcessSystemEvents(); });
        for (int i = 0; i < 500 && Times().size() < (r.kept ? 3u : 2u); ++i) {
            int p, c;
            SetNextWake(0.01);  // the line wakes the pass; a lost line ends the bound
            GetUserEvent(0, &p, &c);
        }
        EXPECT_EQ(Competitors(), r.kept ? (std::vector<int>{1, 2, 3}) : (std::vector<int>{1, 3}));
    }
    SbComG.linkState = 0;
    CloseCom(kPort);
    SbComDeplanter();
}
