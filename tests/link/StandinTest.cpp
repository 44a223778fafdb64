// The link against the stand-in clock over a pseudo-terminal and the network, ports that do
// not open, and the wire journal.
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "LinkFixture.h"
#include "lib/StrBuf.h"
#include "link/SbComCommandes.h"
#include "link/SbComJournal.h"
#include "link/SbComLink.h"
#include "platform/Journal.h"
#include "tests/support/Standin.h"
#include "ui/FileNotices.h"

using namespace linktest;
namespace fs = std::filesystem;

namespace {

// The acknowledgement wait's 5 s pass in 0.1 s.
const SbComPortOps kFast = {nullptr, nullptr,
                            [] {
                                SetNextWake(0.01);
                                ProcessSystemEvents();
                            },
                            [] { return Timer() * 50; }};

class LinkStandin : public ::testing::Test {
protected:
    static void SetUpTestSuite() { qstest::EnsureRuntime(); }
    void SetUp() override {
        Texts();
        SbComValDefaut(&SbComG);
        SbComG.port = 5;
        SbComVitesseCouranteG = 1;  // the stand-in starts at code 1 (9600 bit/s)
    }
    void TearDown() override {
        SbComInstallerPort(nullptr);
        SbComQuitter();
        SbComDeplanter();
        SbComVitesseCouranteG = 0;
    }
    qstest::TempProgramDir dir_{false};
};

}  // namespace

// One session with the stand-in over the network, as the wire journal keeps it line by line (each
// after its time to the millisecond, in the day's file): the connection, each frame with its check
// value, a rejected line, a refusal, a time-out noted once however many commands it silences, the
// connection lost, the link closed. Then openings it does not answer, the last noted with its address.
TEST_F(LinkStandin, SessionWithTheStandin) {
    qstest::StandinClock clock(dir_, {"--tcp", "0"});
    ASSERT_TRUE(clock.Running()) << "the stand-in clock of the build did not start";
    const std::string address = "127.0.0.1:" + std::to_string(clock.TcpPort());
    StrCopy(SbComG.netAddress, "127.0.0.1");
    SbComG.netPort = clock.TcpPort();
    SbComJournalDemarrer();
    ASSERT_EQ(SbComOuvrir(2), 0) << Error();
    SbComLireParam(1);
    clock.Control("garbage");
    SbComDeplanter();
    clock.Control("ack F");
    SbComLireParam(1);
    SbComDeplanter();
    clock.Control("noack on");
    SbComInstallerPort(&kFast);
    SbComG.synchro.timeZone = 7;
    SbComEcrireParam(9);  // a write: the clock answers it with its acknowledgement only
    SbComLireParam(3);    // dropped while the acknowledgement is pending
    SbComInstallerPort(nullptr);
    SbComDeplanter();
    clock.Control("hangup");
    SbComSurveiller();
    EXPECT_EQ(Error(),
              "E" + std::to_string(kMesComNetTitle) + "|E" + std::to_string(kMesComNetLost) + " " + address);
    SbComQuitter();
    SbComJournalArreter();
    std::ifstream in(fs::directory_iterator(dir_.file("Logs"))->path());  // the day's file, alone
    std::string line, last;
    std::getline(in, line);
    EXPECT_EQ(line.rfind("# QS-310 Manager wire journal: > sent, < received, x rejected", 0), 0u) << line;
    const std::regex stamped(R"((\d\d):(\d\d):(\d\d)\.(\d{3}) (.*))");
    Strings events;
    while (std::getline(in, line)) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, stamped)) << line;
        EXPECT_GE(line.substr(0, 12), std::exchange(last, line.substr(0, 12))) << "in the order handed over";
        events.push_back(m[5]);
    }
    EXPECT_EQ(events, (Strings{"* connected to " + address, "> #SN\\t00A1", "< SN 1234 QS310 V110\\t03EB",
                               "< AK\\t008C", "> #RP 001\\t0153", "< &P 001 2\\t0179", "< AK\\t008C",
                               "x \\x01\\x7F garbage \\xFF\\xFE", "> #RP 001\\t0153", "< &P 001 2\\t0179",
                               "< AK F\\t00F2", "! refused: AK F", "> #WP 009 07\\t01E7",
                               "! no acknowledgement within 5 s", "! connection lost", "* closed"}));
    SbComInstallerPort(&kFast);  // the clock still answers nothing
    SbComDeplanter();
    EXPECT_EQ(std::tuple(SbComOuvrir(1), SbComG.linkState), std::tuple(1, 0));
    EXPECT_EQ(Error(), "E3|No answer on COM5");
    SbComDeplanter();
    SbComJournalDemarrer();
    EXPECT_EQ(SbComOuvrir(2), 1);
    SbComJournalArreter();
    EXPECT_EQ(Error(), "E" + std::to_string(kMesComNetTitle) + "|E" + std::to_string(kMesComNetSilent) + " " +
                           address);
    const std::string journal = qstest::ReadFileBytes(fs::directory_iterator(dir_.file("Logs"))->path());
    EXPECT_TRUE(journal.ends_with(" * " + address + ": connected, but no answer to SN\n")) << journal;
}

// A journal that cannot write ("Logs" a file) is told once, with file and reason; it writes again.
TEST_F(LinkStandin, JournalThatCannotWriteIsToldOnceAndGoesOnWhenItCan) {
    qstest::WriteFileBytes(dir_.file("Logs"), "not a folder");
    SbForgetFileNotices();
    SbComJournalDemarrer();
    for (const char* text : {"first", "second"}) {
        SbComJournalLien(text);
        EXPECT_EQ(JournalSync(10), 0);
        SbComJournalSurveiller();
    }
    ASSERT_EQ(SbFileNotes().size(), 1u);
    const SbFileNote& note = SbFileNotes()[0];
    EXPECT_EQ(std::tuple(note.kind, note.path.substr(0, 10), note.reason),
              std::tuple(SbFileNotice::FileNotWritten, "Logs\\link-", FILE_WRITE_OTHER));
    SbForgetFileNotices();
    fs::remove(dir_.file("Logs"));
    Delay(1.1);  // the journal tries again a second after a failure
    SbComJournalLien("third");
    EXPECT_EQ(JournalSync(10), 0);
    SbComJournalArreter();
    EXPECT_TRUE(SbFileNotes().empty());
    const std::string all = qstest::ReadFileBytes(fs::directory_iterator(dir_.file("Logs"))->path());
    EXPECT_NE(all.find(" * third\n"), std::string::npos) << all;
}

// Each reason a port does not open has its own text naming the device; a reason the layer
// cannot tell keeps the port-number message; a mode that does not exist stays closed.
TEST_F(LinkStandin, PortThatDoesNotOpenSaysWhyAndNamesTheDevice) {
    auto expected = [](int lead, int port, const std::string& device) {
        return "E3|E" + std::to_string(lead) + " COM" + std::to_string(port) + " (" + device + ").\nE" +
               std::to_string(lead + 1);
    };
    fs::create_directory(dir_.file("Ports"));
    int master = -1, slave = -1;
    char pty[128];
    ASSERT_EQ(openpty(&master, &slave, pty, nullptr, nullptr), 0);
    for (auto [port, device] : {std::pair<int, const char*>{60, pty}, {61, pty}, {62, "/dev/null"}})
        fs::create_symlink(device, dir_.file("Ports/COM" + std::to_string(port)));
    ASSERT_EQ(OpenCom(61, ""), 0);  // another user of the same device holds it
    SbComG.simulation = 1;
    for (const auto& [port, text] : {std::pair{64, expected(kMesComPortMissing, 64, "/dev/ttyACM15")},
                                     {60, expected(kMesComPortBusy, 60, pty)},
                                     {62, std::string("E3|COM62 cannot be opened")}}) {
        SbComDeplanter();
        SbComG.port = port;
        EXPECT_EQ(std::tuple(SbComOuvrir(1), SbComG.linkState, SbComG.simulation), std::tuple(1, 0, 0))
            << port;
        EXPECT_EQ(Error(), text) << port;
    }
    // A frame still in the port's queue (the line held) when the error is cleared does not go
    // once the line is free; closing the link closes its port.
    SbComG.port = 61;
    SbComG.linkState = 1;
    SetComTime(61, 0.05);
    tcflow(slave, TCOOFF);
    SbComEmission("RP 001");
    SbComDeplanter();
    tcflow(slave, TCOON);
    ProcessSystemEvents();
    pollfd ready{master, POLLIN, 0};
    EXPECT_EQ(poll(&ready, 1, 50), 0);
    SbComQuitter();
    EXPECT_EQ(SbComG.linkState, 0);  // commands no longer go to a port it closed
    EXPECT_LT(CloseCom(61), 0);
    EXPECT_EQ(std::tuple(SbComOuvrir(7), SbComG.linkState, SbComErreur()), std::tuple(1, 0, 0));
    for (int fd : {master, slave}) close(fd);
}

// A new speed written to the clock over the serial line reopens the port at that speed, and
// the clock answers there.
TEST_F(LinkStandin, SpeedChangeReopensThePort) {
    qstest::StandinClock clock(dir_, {});
    ASSERT_TRUE(clock.Running()) << "the stand-in clock of the build did not start";
    ASSERT_EQ(SbComOuvrir(1), 0) << Error();
    SbComG.params.speedCode = 4;
    SbComEcrireParam(16);
    SbComLireParam(16);
    EXPECT_EQ(
        std::tuple(SbComG.linkState, SbComG.speed, SbComVitesseCouranteG, SbComG.params.speedCode, Error()),
        std::tuple(1, 57600, 4, 4, ""));
    EXPECT_EQ(clock.Wire(), (Strings{"SN", "WP 016 4", "SN", "RP 016"}));
}
