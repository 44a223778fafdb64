// Commands: literal payloads on the wire, the single command in flight, the
// acknowledgement rules and the closed link.
#include <string>
#include <utility>
#include <vector>

#include "LinkFake.h"
#include "link/SbComCommandes.h"
#include "link/SbComDecoder.h"
#include "link/SbComErreur.h"
#include "link/SbComGsmEth.h"
#include "link/SbComLink.h"
#include "link/SbComProg.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"

using linkfake::LinkTest;
using linkfake::Payloads;
using linkfake::S;
using Strings = std::vector<std::string>;

// The same frames over the serial port (state 1) and over the network (state 2).
TEST_F(LinkTest, FramesOnTheWireAreLiteral) {
    for (uint8_t state : {1, 2}) {
        SCOPED_TRACE(state);
        S().frames.clear();
        SbComG.linkState = state;
        SbComLireSN();
        SbComLireParam(1);
        SbComActiveMsg(1);
        ASSERT_EQ(S().frames.size(), 3u);
        EXPECT_EQ(S().frames[0], std::string("#SN\t00A1\r\n"));
        EXPECT_EQ(S().frames[1], std::string("#RP 001\t0153\r\n"));
        EXPECT_EQ(S().frames[2], std::string("#EE 1\t00DB\r\n"));
        EXPECT_EQ(SbComErreur(), 0);
    }
}

TEST_F(LinkTest, ReadPayloads) {
    SbComLireParam(3);
    SbComLireInputParam(4, 2);
    SbComLireExtension(2);
    SbComLireID();
    SbComActiveMsg(0);
    SbComChargerManche(7);
    SbComLireInput(3);
    EXPECT_EQ(Payloads(), (Strings{"RP 003", "RP 004 02", "RP 028 2", "ID", "EE 0", "DL 07", "RP 004 03",
                                   "RP 005 03", "RP 006 03"}));
}

TEST_F(LinkTest, WritePayloadsOfEveryParameter) {
    SbComParams& p = SbComG.params;
    p.precision = 3;
    p.field1 = 2;
    SbComG.synchro.timeZone = 19;
    p.field10 = 1;
    p.field5 = 0;
    p.field6 = 1;
    p.field7 = 1;
    p.field8 = 0;
    p.field9 = 4;
    p.inputs[0].choice3 = 1;
    p.inputs[1].choice3 = 0;
    p.inputs[2].choice3 = 1;
    p.inputs[3].choice3 = 1;
    p.field3 = 3;
    p.field2 = 12;
    for (int no = 0; no <= 120; ++no)
        if (no != 16) SbComEcrireParam(no);
    EXPECT_EQ(Payloads(), (Strings{"WP 001 3", "WP 007 2", "WP 009 19", "WP 012 1", "WP 017 0", "WP 018 1",
                                   "WP 019 1", "WP 020 0", "WP 021 04", "WP 023 1 0 1 1", "WP 029 03 12"}));
}

TEST_F(LinkTest, InputWritesCompetitorNumberKeysAndActions) {
    SbComInput& in = SbComG.params.inputs[1];
    in.timeBase = 100;
    in.choice2 = 1;
    in.enabled = 1;
    SbComEcrireInput(2);
    SbComEcrireInputParam(4, 9);  // no such input: nothing
    SbComEcrireNumConcurrent(1, 42);
    Q31ComCommandeKey(0x04);
    Q31ComCommandeKey(0x20);
    SbComCommandeInput(3);
    SbComCommandeChargerManche(3, 1);
    SbComCommandeChargerManche(12, 0x1ab);
    EXPECT_EQ(Payloads(),
              (Strings{"WP 004 02 0100", "WP 005 02 1", "WP 006 02 1", "WP 026 01   42", "WC 009 00400",
                       "WC 009 02000", "WC 008 03", "WC 012 03 0001", "WC 012 12 01ab"}));
}

TEST_F(LinkTest, ActionTable) {
    SbComG.mode = 1;
    SbComG.currentProgram = 7;
    SbComSynchro& s = SbComG.synchro;
    s.mode = 2;
    s.hour = 8;
    s.minute = 5;
    s.day = 3;
    s.month = 9;
    s.year = 24;
    for (int no = 0; no <= 13; ++no) SbComCommande(no);
    EXPECT_EQ(Payloads(), (Strings{"WC 001", "WC 002", "WC 003 01", "WC 004 07", "WC 005 58203",
                                   "WC 007 02 08:05 03/09/24"}));
}

TEST_F(LinkTest, RepliesArriveDuringTheWait) {
    S().replies.push_back(linkfake::Ligne("&P 001 5") + linkfake::Ligne("AK"));
    SbComLireParam(1);
    EXPECT_EQ(SbComG.params.precision, 5);
    EXPECT_EQ(SbComErreur(), 0);
    EXPECT_EQ(SbComAckPendingG, 0);
}

TEST_F(LinkTest, ProgramPayloads) {
    SbComProg& p1 = SbComG.progs[1];
    p1.p107 = -10;
    p1.p113 = 1;
    Q31ComEcrireProgParam(107, 1);
    Q31ComEcrireProgParam(113, 1);
    SbComG.progs[4].p102 = 120;
    Q31ComEcrireProgParam(102, 4);
    SbComG.progs[4].p113 = -5;
    Q31ComEcrireProgParam(113, 4);
    SbComG.progs[4].p112 = -5;
    Q31ComEcrireProgParam(112, 4);
    Q31ComEcrireProgParam(106, 4);
    Q31ComEcrireProgParam(102, 51);  // no such program: nothing
    Q31ComEcrireProgParam(114, 4);
    EXPECT_EQ(Payloads(), (Strings{"WP 107 01 246", "WP 113 01 01", "WP 102 04 0120", "WP 113 04 fb",
                                   "WP 112 04 251", "WP 106 04 00"}));
}

TEST_F(LinkTest, WholeProgramReadAndWrite) {
    Q31ComLireProg(0);
    EXPECT_EQ(Payloads(),
              (Strings{"RP 102 00", "RP 103 00", "RP 104 00", "RP 105 00", "RP 107 00", "RP 108 00",
                       "RP 109 00", "RP 110 00", "RP 111 00", "RP 112 00", "RP 113 00"}));
    S().frames.clear();
    Q31ComEcrireProg(1);  // defaults of "Alpine Ski"
    EXPECT_EQ(Payloads(), (Strings{"WP 102 01 0060", "WP 103 01 0030", "WP 104 01 60", "WP 105 01 00",
                                   "WP 107 01 246", "WP 108 01 251", "WP 109 01 000", "WP 110 01 251",
                                   "WP 111 01 246", "WP 112 01 005", "WP 113 01 00"}));
}

TEST_F(LinkTest, GsmAndEthernetPayloads) {
    SbComEcrireEthernetAd(0, "192.168.1.1");
    SbComLireEthernetAd(1);
    SbComCommandeEthernet(2);
    SbComLireGsm('e');
    SbComCommandeGSM(1);
    EXPECT_EQ(Payloads(), (Strings{"WP 031 0 192.168.1.1", "RP 031 1", "WC 011 2", "RP 030 e", "WC 010 1"}));

    S().frames.clear();
    SbComG.gsm.common[0] = 0;
    snprintf(SbComG.gsm.first[0].text[0], 32, "%s", "+41 79");
    SbComEcrireParamsGSM();
    EXPECT_EQ(Payloads(),
              (Strings{"WP 030 C", "WP 030 6 ", "WP 030 1 +41 79", "WP 030 2 ", "WP 030 3 ", "WP 030 4 ",
                       "WP 030 5 13001", "WP 030 7 ", "WP 030 8 ", "WP 030 a ", "WP 030 b ", "WP 030 c ",
                       "WP 030 d ", "WP 030 e 13001", "WP 030 f ", "WP 030 g "}));

    S().frames.clear();
    SbComLireParamsGSM();
    Strings keys;
    for (const std::string& p : Payloads()) keys.push_back(p.substr(7));
    EXPECT_EQ(keys, (Strings{"1", "2", "3", "4", "5", "6", "7", "8", "a", "b", "c", "d", "e", "f", "g"}));
}

TEST_F(LinkTest, GsmSwitchFollowsTheModuleState) {
    SbCrG.gsmStatus = 0x01;  // on
    SbComBasculerGsm(0);
    SbComBasculerGsm(2);
    SbCrG.gsmStatus = 0x00;  // off
    SbComBasculerGsm(0);
    SbComBasculerGsm(3);
    EXPECT_EQ(Payloads(), (Strings{"WC 010 0", "WC 010 3"}));
}

TEST_F(LinkTest, ClosedLinkSendsNothingAndSetsNoError) {
    SbComG.linkState = 0;
    Q31ComInitLireParam();
    SbComEcrireParamsGSM();
    Q31ComEcrireProg(1);
    SbComCommande(1);
    SbComEcrireParam(16);
    SbComAttendreAck();
    EXPECT_TRUE(S().frames.empty());
    EXPECT_EQ(SbComErreur(), 0);
    EXPECT_EQ(SbComAckPendingG, 0);
    EXPECT_EQ(S().waitPasses, 0);
}

TEST_F(LinkTest, TimeOutLeavesTheLinkMuteUntilCleared) {
    S().autoAck = false;
    SbComLireParam(1);
    EXPECT_EQ(SbComErreur(), 1);
    EXPECT_EQ(Titre(), "E4");
    EXPECT_EQ(Texte(), "E5");
    EXPECT_EQ(SbComAckPendingG, 1);
    EXPECT_GE(S().now - SbComSendTimeG, kSbComAttenteAck);

    // Every further command returns at once: nothing written, no waiting.
    int passes = S().waitPasses;
    Q31ComInitLireParam();
    EXPECT_EQ(S().frames.size(), 1u);
    EXPECT_EQ(S().waitPasses, passes);
    EXPECT_EQ(Texte(), "E5");

    SbComDeplanter();
    S().autoAck = true;
    SbComLireParam(2);
    EXPECT_EQ(S().frames.size(), 2u);
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
    S().replies.push_back(linkfake::Ligne("AK F"));
    SbComLireParam(1);
    EXPECT_EQ(SbComAckPendingG, 0);
    EXPECT_EQ(Texte(), "E6");
    EXPECT_EQ(S().waitPasses, 1);
    // With an error pending (not a time-out) commands are still written, not waited for.
    SbComLireParam(2);
    EXPECT_EQ(S().frames.size(), 2u);
    EXPECT_EQ(SbComAckPendingG, 0);
    EXPECT_EQ(S().waitPasses, 1);
}

TEST_F(LinkTest, WriteAndPortStatusFailures) {
    S().portStatus = 4;
    SbComLireParam(1);
    EXPECT_TRUE(S().frames.empty());
    EXPECT_EQ(Titre(), "E9");
    EXPECT_EQ(Texte(), "E12");
    EXPECT_EQ(SbComAckPendingG, 0);

    SbComG.linkState = 0;
    SbComDeplanter();
    SbComG.linkState = 1;
    S().portStatus = 0;
    S().writeResult = -3;
    SbComLireParam(1);
    EXPECT_EQ(SbComErreur(), 1);
    EXPECT_EQ(Titre(), "E9");
    EXPECT_NE(Texte(), "E12");
    EXPECT_EQ(SbComAckPendingG, 0);
}

TEST_F(LinkTest, SpeedWriteWithTheSameCodeKeepsThePort) {
    SbComVitesseCouranteG = 3;
    SbComG.params.speedCode = 3;
    SbComG.speed = 38400;
    SbComEcrireParam(16);
    EXPECT_EQ(Payloads(), (Strings{"WP 016 3"}));
    EXPECT_EQ(SbComG.speed, 38400);
    EXPECT_EQ(SbComG.linkState, 1);
    EXPECT_EQ(SbComAckPendingG, 0);
    SbComVitesseCouranteG = 0;
}

TEST(LinkPort, SpeedCodes) {
    const std::pair<int, int> codes[] = {{0, 2400}, {1, 9600}, {2, 9600}, {3, 38400}, {4, 57600}, {9, 9600}};
    for (auto [code, speed] : codes) EXPECT_EQ(SbComVitesseDeCode(code), speed) << code;
}

TEST(LinkPort, PortNumberGoesIntoTheMessageOnlyWhenItIsSafe) {
    char out[128];
    SbComTexteAvecPort("Port COM%d cannot be opened", 5, out, sizeof out);
    EXPECT_STREQ(out, "Port COM5 cannot be opened");
    SbComTexteAvecPort("100%% sure: COM%02d", 7, out, sizeof out);
    EXPECT_STREQ(out, "100% sure: COM07");
    SbComTexteAvecPort("Port %s", 5, out, sizeof out);
    EXPECT_STREQ(out, "Port %s 5");
    SbComTexteAvecPort("COM%d %d", 5, out, sizeof out);
    EXPECT_STREQ(out, "COM%d %d 5");
    SbComTexteAvecPort("No port", 5, out, sizeof out);
    EXPECT_STREQ(out, "No port 5");
    SbComTexteAvecPort("%*d", 5, out, sizeof out);
    EXPECT_STREQ(out, "%*d 5");
    SbComTexteAvecPort("%n", 5, out, sizeof out);
    EXPECT_STREQ(out, "%n 5");
    // The network's texts take the address in place of their one "%s", textually.
    const std::pair<const char*, const char*> address[] = {
        {"The connection to %s was refused.", "The connection to 10.0.0.9:7000 was refused."},
        {"%s", "10.0.0.9:7000"},
        {"%s %s", "%s %s 10.0.0.9:7000"},
        {"%d %s", "%d %s 10.0.0.9:7000"},
        {"100%% %s", "100%% %s 10.0.0.9:7000"},
        {"%s%n", "%s%n 10.0.0.9:7000"},
        {"No conversion", "No conversion 10.0.0.9:7000"},
    };
    for (auto [entry, expected] : address) {
        SbComTexteAvecAdresse(entry, "10.0.0.9:7000", out, sizeof out);
        EXPECT_STREQ(out, expected) << entry;
    }
}
