// End to end: the link against the stand-in clock over a pseudo-terminal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "lib/StrBuf.h"
#include "link/SbComCommandes.h"
#include "link/SbComConfig.h"
#include "link/SbComDecoder.h"
#include "link/SbComErreur.h"
#include "link/SbComGsmEth.h"
#include "link/SbComJournal.h"
#include "link/SbComLink.h"
#include "link/SbComProg.h"
#include "platform/cvi.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "tests/link/LinkFake.h"
#include "tests/support/Standin.h"
#include "tests/support/TestSupport.h"
#include "ui/Texts.h"

extern char** environ;

namespace {

using Strings = std::vector<std::string>;

using qstest::StandinClock;

class LinkStandin : public ::testing::Test {
protected:
    void SetUp() override {
        qstest::EnsureRuntime();
        dir_ = std::make_unique<qstest::TempProgramDir>();
        for (int i = 0; i < int(std::size(GMesComG)); ++i)
            snprintf(GMesComG[i], sizeof GMesComG[i], "E%d", i);
        snprintf(GMesComG[11], sizeof GMesComG[11], "No answer on COM%%d");
        SbComValDefaut(&SbComG);
        SbComG.port = 5;
        SbComG.speed = 9600;
        SbComVitesseCouranteG = 1;  // the stand-in starts at code 1 (9600 bit/s)
        clock_ = std::make_unique<StandinClock>(*dir_);
        ASSERT_TRUE(clock_->Running()) << "the stand-in clock of the build did not start";
    }
    void TearDown() override {
        SbComQuitter();
        SbComDeplanter();
        clock_.reset();
        dir_.reset();
        SbComVitesseCouranteG = 0;
    }
    // Opens the link to the stand-in on COM5.
    void Ouvrir() {
        ASSERT_EQ(SbComOuvrir(1), 0) << Texte();
        ASSERT_EQ(SbComG.linkState, 1);
    }
    static std::string Texte() {
        char title[200], text[200];
        SbComTexteErreur(title, text);
        return text;
    }
    std::unique_ptr<qstest::TempProgramDir> dir_;
    std::unique_ptr<StandinClock> clock_;
};

}  // namespace

TEST_F(LinkStandin, OpenIdentityAndStartUpReads) {
    Ouvrir();
    EXPECT_EQ(SbComG.serialNumber, 1234);
    EXPECT_STREQ(SbComG.family, "QS310");
    EXPECT_STREQ(SbComG.version, "V110");
    SbComG.extensions = {9, 9, 9};
    SbComG.p8Number = 0;
    Q31ComInitLireParam();
    EXPECT_EQ(SbComErreur(), 0) << Texte();
    EXPECT_EQ(clock_->Wire(), (Strings{"SN", "RP 003", "RP 002", "RP 010", "RP 101", "RP 105 00", "RP 001",
                                       "RP 008", "RP 028 1", "RP 028 2", "RP 028 3"}));
    EXPECT_EQ(SbComG.extensions[0], 1);
    EXPECT_EQ(SbComG.extensions[1], 2);
    EXPECT_EQ(SbComG.extensions[2], 0);
    EXPECT_EQ(SbComG.p8Number, 10);
    EXPECT_EQ(SbComG.run.dayNumber, 4297);
    EXPECT_EQ(SbComG.run.month, 10);
}

TEST_F(LinkStandin, WritesAreReadBack) {
    Ouvrir();
    SbComG.synchro.timeZone = 7;
    SbComEcrireParam(9);
    SbComG.synchro.timeZone = 0;
    SbComLireParam(9);
    EXPECT_EQ(SbComG.synchro.timeZone, 7);

    SbComG.progs[3].p107 = -20;
    SbComG.progs[3].p113 = -5;
    SbComG.progs[3].p102 = 90;
    Q31ComEcrireProg(3);
    SbComG.progs[3] = SbComProg{};
    Q31ComLireProg(3);
    EXPECT_EQ(SbComG.progs[3].p107, -20);
    EXPECT_EQ(SbComG.progs[3].p113, -5);
    EXPECT_EQ(SbComG.progs[3].p102, 90);

    snprintf(SbComG.gsm.common, sizeof SbComG.gsm.common, "%s", "+41791112233");
    SbComG.gsm.second[0].number = 4242;
    SbComEcrireParamsGSM();
    SbComG.gsm = SbComGsm{};
    SbComLireParamsGSM();
    EXPECT_STREQ(SbComG.gsm.common, "+41791112233");
    EXPECT_EQ(SbComG.gsm.second[0].number, 4242);
    EXPECT_EQ(SbComErreur(), 0) << Texte();
}

TEST_F(LinkStandin, RunsAndTimesFromInputImpulses) {
    Ouvrir();
    SbComCommande(2);  // open the next run
    EXPECT_EQ(SbComG.run.current, 1);
    EXPECT_EQ(SbComG.run.next, 2);
    linkfake::ForgetTimesHandedOver();
    SbCrG.channel = {0, 0, 0, 0};
    SbComCommandeInput(2);
    ASSERT_EQ(linkfake::TimesHandedOver().size(), 1u);
    EXPECT_EQ(linkfake::TimesHandedOver()[0].Canal, '2');
    EXPECT_EQ(SbCrG.channel[1], 1);
    SbComChargerManche(1);  // the run's times again
    EXPECT_EQ(linkfake::TimesHandedOver().size(), 2u);
    SbComCommande(1);
    EXPECT_EQ(SbComG.run.current, 0);
    EXPECT_EQ(SbComErreur(), 0) << Texte();
}

TEST_F(LinkStandin, SpeedChangeReopensThePort) {
    Ouvrir();
    SbComG.params.speedCode = 4;
    SbComEcrireParam(16);
    EXPECT_EQ(SbComG.linkState, 1);
    EXPECT_EQ(SbComG.speed, 57600);
    EXPECT_EQ(SbComVitesseCouranteG, 4);
    EXPECT_EQ(SbComErreur(), 0) << Texte();
    SbComLireParam(16);
    EXPECT_EQ(SbComG.params.speedCode, 4);
    EXPECT_EQ(clock_->Wire(), (Strings{"SN", "WP 016 4", "SN", "RP 016"}));
}

TEST_F(LinkStandin, RefusalsAndLineFaults) {
    Ouvrir();
    clock_->Control("ack R");
    SbComLireParam(1);
    EXPECT_EQ(Texte(), "E7");
    SbComDeplanter();

    // Garbage and an over-long line are check errors; the link still reads what follows.
    clock_->Control("garbage");
    clock_->Control("longline");
    EXPECT_EQ(SbComErreur(), 1);
    EXPECT_EQ(Texte(), "E13");
    SbComDeplanter();
    SbComG.params.precision = 0;
    SbComLireParam(1);
    EXPECT_EQ(SbComErreur(), 0) << Texte();
    EXPECT_EQ(SbComG.params.precision, 2);
}

TEST_F(LinkStandin, NoAcknowledgementTimesOut) {
    Ouvrir();
    clock_->Control("noack on");
    SbComLireParam(1);
    EXPECT_EQ(Texte(), "E5");
    EXPECT_EQ(SbComAckPendingG, 1);
    SbComLireParam(2);  // mute until cleared
    Strings wire = clock_->Wire();
    EXPECT_EQ(wire.back(), "RP 001");
}

TEST_F(LinkStandin, HangUpGivesOnePortError) {
    Ouvrir();
    clock_->Control("hangup");
    StandinClock::Pause(0.3);
    SbComSurveiller();
    EXPECT_EQ(SbComErreur(), 1);
    char title[200], text[200];
    SbComTexteErreur(title, text);
    EXPECT_STREQ(title, "E9");
    // Later commands neither hang nor crash; the link stays usable for a reconnection.
    SbComDeplanter();
    SbComLireParam(1);
    SbComQuitter();
    EXPECT_EQ(SbComG.linkState, 0);
}

TEST_F(LinkStandin, FloodIsDecodedWithNothingLost) {
    Ouvrir();
    const long before = SbComLignesDecodeesG;
    clock_->Control("flood 5000 2000");
    // Wait until the count stops moving (the stand-in sends at its own pace).
    long last = -1;
    for (int i = 0; i < 100 && SbComLignesDecodeesG != last; ++i) {
        last = SbComLignesDecodeesG;
        StandinClock::Pause(0.3);
    }
    EXPECT_EQ(SbComLignesDecodeesG - before, 2000);
    EXPECT_EQ(SbComErreur(), 0) << Texte();
    // Frame i sets light i % 60 to i % 12: the last of each is what stays.
    for (int light = 0; light < 60; ++light) {
        int lastFrame = light + 60 * ((1999 - light) / 60);
        EXPECT_EQ(SbQ31CrG.lights[size_t(light)], lastFrame % 12) << "light " << light;
    }
}

// The stand-in's own frames, byte for byte, without the program's frame code.
TEST_F(LinkStandin, StandinSpeaksLiteralFrames) {
    int fd = open(dir_->file("Ports/COM5").c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    const std::string ask = "#SN\t00A1\r\n#WP 113 01 fb\t02C5\r\n#RP 113 01\t01D8\r\n";
    ASSERT_EQ(write(fd, ask.data(), ask.size()), ssize_t(ask.size()));
    const std::string expect =
        "SN 1234 QS310 V110\t03EB\r\nAK\t008C\r\nAK\t008C\r\n&P 113 01 fb\t0294\r\nAK\t008C\r\n";
    std::string got;
    double end = Timer() + 3.0;
    while (got.size() < expect.size() && Timer() < end) {
        pollfd ready{fd, POLLIN, 0};  // waits for the stand-in's bytes
        if (poll(&ready, 1, int(1000 * (end - Timer())) + 1) <= 0) continue;
        char buf[256];
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n > 0) got.append(buf, size_t(n));
    }
    close(fd);
    EXPECT_EQ(got, expect);
}

TEST_F(LinkStandin, SpontaneousMessagesMirrorTheCountdown) {
    Ouvrir();
    SbQ31CrG = SbQ31Cr{};
    SbQ31CrG.lightColour = -1;
    SbComActiveMsg(1);
    StandinClock::Pause(1.5);
    EXPECT_EQ(SbQ31CrG.status1, 1);       // program running
    EXPECT_NE(SbQ31CrG.lightColour, -1);  // big light set
    int lit = 0;
    for (int v : SbQ31CrG.lights) lit += v != 0;
    EXPECT_GE(lit, 1);
    SbComActiveMsg(0);
    EXPECT_EQ(SbComErreur(), 0) << Texte();
    Strings wire = clock_->Wire();
    EXPECT_EQ(wire.back(), "EE 0");
}

// Stopped from the terminal or by its supervisor, it leaves no port link or FIFO behind.
TEST_F(LinkStandin, SignalsRemoveThePortLinkAndTheFifo) {
    const std::string link = dir_->file("Ports/COM5"), fifo = dir_->file("control");
    struct stat st {};
    for (int signal : {SIGTERM, SIGINT}) {
        if (signal != SIGTERM) clock_ = std::make_unique<StandinClock>(*dir_);
        ASSERT_TRUE(clock_->Running());
        ASSERT_EQ(lstat(link.c_str(), &st), 0);
        ASSERT_EQ(lstat(fifo.c_str(), &st), 0);
        clock_->Stop(signal);
        EXPECT_NE(lstat(link.c_str(), &st), 0) << strsignal(signal);
        EXPECT_NE(lstat(fifo.c_str(), &st), 0) << strsignal(signal);
    }
}

TEST_F(LinkStandin, SilentClockFailsTheOpening) {
    clock_->Control("noack on");
    EXPECT_EQ(SbComOuvrir(1), 1);
    EXPECT_EQ(SbComG.linkState, 0);
    EXPECT_EQ(Texte(), "No answer on COM5");
}

// A short session over the network as the wire journal keeps it, line by line: the
// connection, each frame sent and received with its check value, a rejected line, a
// refusal, a time-out noted once however many commands it silences, the connection
// lost, the link closed; each after its time to the millisecond, in the day's file.
TEST_F(LinkStandin, WireJournalOfAShortSessionOverTheNetwork) {
    clock_.reset();  // its FIFO goes with it
    clock_ = std::make_unique<StandinClock>(*dir_, Strings{"--tcp", "0"});
    ASSERT_TRUE(clock_->Running());
    StrCopy(SbComG.netAddress, "127.0.0.1");
    SbComG.netPort = clock_->TcpPort();
    SbComJournalDemarrer();
    ASSERT_EQ(SbComOuvrir(2), 0) << Texte();
    SbComLireParam(1);
    clock_->Control("garbage");
    SbComDeplanter();
    clock_->Control("ack F");
    SbComLireParam(1);
    SbComDeplanter();
    clock_->Control("noack on");
    const SbComPortOps fast = {nullptr, nullptr, nullptr, [] { return Timer() * 50; }};  // 5 s in 0.1 s
    SbComInstallerPort(&fast);
    SbComG.synchro.timeZone = 7;
    SbComEcrireParam(9);  // a write: the clock answers it with its acknowledgement only
    SbComLireParam(3);    // dropped while the acknowledgement is pending
    SbComInstallerPort(nullptr);
    SbComDeplanter();
    clock_->Control("hangup");
    SbComSurveiller();
    SbComQuitter();
    SbComJournalArreter();

    int month = 0, day = 0, year = 0;
    GetSystemDate(&month, &day, &year);
    char name[32];
    snprintf(name, sizeof name, "Logs/link-%04d%02d%02d.log", year, month, day);
    std::ifstream in(dir_->file(name));
    std::string header;
    std::getline(in, header);
    EXPECT_EQ(header.rfind("# QS-310 Manager wire journal: > sent, < received, x rejected", 0), 0u) << header;
    const std::string port = std::to_string(clock_->TcpPort());
    const Strings expected = {"* connected to 127.0.0.1:" + port,
                              "> #SN\\t00A1",
                              "< SN 1234 QS310 V110\\t03EB",
                              "< AK\\t008C",
                              "> #RP 001\\t0153",
                              "< &P 001 2\\t0179",
                              "< AK\\t008C",
                              "x \\x01\\x7F garbage \\xFF\\xFE",
                              "> #RP 001\\t0153",
                              "< &P 001 2\\t0179",
                              "< AK F\\t00F2",
                              "! refused: AK F",
                              "> #WP 009 07\\t01E7",
                              "! no acknowledgement within 5 s",
                              "! connection lost",
                              "* closed"};
    const std::regex stamped(R"((\d\d):(\d\d):(\d\d)\.(\d{3}) (.*))");
    Strings events;
    std::string line, last;
    while (std::getline(in, line)) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, stamped)) << line;
        EXPECT_GE(line.substr(0, 12), last) << "in the order handed over";
        last = line.substr(0, 12);
        events.push_back(m[5]);
    }
    EXPECT_EQ(events, expected);
}
