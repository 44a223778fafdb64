// The link against the stand-in clock over a pseudo-terminal or the network, ports that do
// not open, and the wire journal.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
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
using qstest::StandinClock;
namespace fs = std::filesystem;

namespace {

// Processes events until the condition holds, at most the given seconds.
bool Until(const std::function<bool()>& done, double seconds) {
    const double end = Timer() + seconds;
    while (!done() && Timer() < end) {
        SetNextWake(0.02);
        ProcessSystemEvents();
    }
    return done();
}

// The acknowledgement wait's 5 s pass in 0.1 s.
const SbComPortOps kFast = {nullptr, nullptr,
                            [] {
                                SetNextWake(0.01);
                                ProcessSystemEvents();
                            },
                            [] { return Timer() * 50; }};

class LinkStandin : public ::testing::Test {
protected:
    void SetUp() override {
        qstest::EnsureRuntime();
        dir_ = std::make_unique<qstest::TempProgramDir>();
        Texts();
        SbComValDefaut(&SbComG);
        SbComG.port = 5;
        SbComG.speed = 9600;
        SbComVitesseCouranteG = 1;  // the stand-in starts at code 1 (9600 bit/s)
    }
    void Start(const Strings& args = {}) {
        clock_ = std::make_unique<StandinClock>(*dir_, args);
        ASSERT_TRUE(clock_->Running()) << "the stand-in clock of the build did not start";
    }
    void TearDown() override {
        SbComInstallerPort(nullptr);
        SbComQuitter();
        SbComDeplanter();
        clock_.reset();
        dir_.reset();
        SbComVitesseCouranteG = 0;
    }
    std::unique_ptr<qstest::TempProgramDir> dir_;
    std::unique_ptr<StandinClock> clock_;
};

Strings Tail(const Strings& all, size_t n) {
    return Strings(all.end() - long(std::min(n, all.size())), all.end());
}

}  // namespace

// One session with the stand-in: its literal frames, an opening it does not answer, then
// the start-up reads, a speed change, the countdown mirrored and the line hung up (the
// whole-program fault tests run refusals, damaged lines, floods and time-outs).
TEST_F(LinkStandin, SessionWithTheStandin) {
    Start();
    // The stand-in's own frames, byte for byte, without the program's frame code.
    int fd = open(dir_->file("Ports/COM5").c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    const std::string ask = "#SN\t00A1\r\n#WP 113 01 fb\t02C5\r\n#RP 113 01\t01D8\r\n";
    ASSERT_EQ(write(fd, ask.data(), ask.size()), ssize_t(ask.size()));
    const std::string expect =
        "SN 1234 QS310 V110\t03EB\r\nAK\t008C\r\nAK\t008C\r\n&P 113 01 fb\t0294\r\nAK\t008C\r\n";
    std::string got;
    for (double end = Timer() + 3.0; got.size() < expect.size() && Timer() < end;) {
        pollfd ready{fd, POLLIN, 0};
        if (poll(&ready, 1, 100) <= 0) continue;
        char buf[256];
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n > 0) got.append(buf, size_t(n));
    }
    close(fd);
    EXPECT_EQ(got, expect);

    SbComInstallerPort(&kFast);
    clock_->Control("noack on");
    EXPECT_EQ(SbComOuvrir(1), 1);
    EXPECT_EQ(SbComG.linkState, 0);
    EXPECT_EQ(Text(), "No answer on COM5");
    clock_->Control("noack off");
    SbComDeplanter();

    ASSERT_EQ(SbComOuvrir(1), 0) << Text();
    Q31ComInitLireParam();
    EXPECT_EQ(Tail(clock_->Wire(), 11), (Strings{"SN", "RP 003", "RP 002", "RP 010", "RP 101", "RP 105 00",
                                                 "RP 001", "RP 008", "RP 028 1", "RP 028 2", "RP 028 3"}));
    EXPECT_EQ(SbComG.run.dayNumber, 4297);

    // The clock switches its speed at once: the port is reopened at the new one.
    SbComG.params.speedCode = 4;
    SbComEcrireParam(16);
    EXPECT_EQ(SbComG.linkState, 1);
    EXPECT_EQ(SbComG.speed, 57600);
    EXPECT_EQ(SbComVitesseCouranteG, 4);
    SbComLireParam(16);
    EXPECT_EQ(SbComG.params.speedCode, 4);
    EXPECT_EQ(Tail(clock_->Wire(), 3), (Strings{"WP 016 4", "SN", "RP 016"}));
    EXPECT_EQ(SbComErreur(), 0) << Text();

    SbComActiveMsg(1);  // spontaneous messages mirror the countdown
    EXPECT_TRUE(Until([] { return SbQ31CrG.status1 == 1; }, 3));
    SbComActiveMsg(0);

    // The line hung up: one port error; later commands neither hang nor crash.
    SbComDeplanter();
    clock_->Control("hangup");
    SbComSurveiller();
    EXPECT_EQ(SbComErreur(), 1);
    EXPECT_EQ(Title(), "E9");
    SbComDeplanter();
    SbComLireParam(1);
    SbComQuitter();
    EXPECT_EQ(SbComG.linkState, 0);
}

// A short session over the network as the wire journal keeps it, line by line: the
// connection, each frame sent and received with its check value, a rejected line, a
// refusal, a time-out noted once however many commands it silences, the connection
// lost, the link closed; each after its time to the millisecond, in the day's file.
TEST_F(LinkStandin, WireJournalOfAShortSessionOverTheNetwork) {
    Start({"--tcp", "0"});
    StrCopy(SbComG.netAddress, "127.0.0.1");
    SbComG.netPort = clock_->TcpPort();
    SbComJournalDemarrer();
    ASSERT_EQ(SbComOuvrir(2), 0) << Text();
    SbComLireParam(1);
    clock_->Control("garbage");
    SbComDeplanter();
    clock_->Control("ack F");
    SbComLireParam(1);
    SbComDeplanter();
    clock_->Control("noack on");
    SbComInstallerPort(&kFast);
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
    std::string line, last;
    std::getline(in, line);
    EXPECT_EQ(line.rfind("# QS-310 Manager wire journal: > sent, < received, x rejected", 0), 0u) << line;
    const Strings expected = {"* connected to 127.0.0.1:" + std::to_string(clock_->TcpPort()),
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
    while (std::getline(in, line)) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, stamped)) << line;
        EXPECT_GE(line.substr(0, 12), last) << "in the order handed over";
        last = line.substr(0, 12);
        events.push_back(m[5]);
    }
    EXPECT_EQ(events, expected);
}

// A journal that cannot write (here "Logs" is a file, not a folder) is told to the
// operator once, with the file and the reason, and writes again once it can.
TEST_F(LinkStandin, JournalThatCannotWriteIsToldOnceAndGoesOnWhenItCan) {
    qstest::WriteFileBytes(dir_->file("Logs"), "not a folder");
    SbForgetFileNotices();
    SbComJournalDemarrer();
    for (const char* text : {"first", "second", "", "third"}) {
        if (!*text) {
            ASSERT_EQ(SbFileNotes().size(), 1u);
            EXPECT_EQ(SbFileNotes()[0].kind, SbFileNotice::FileNotWritten);
            EXPECT_EQ(SbFileNotes()[0].path.rfind("Logs\\link-", 0), 0u) << SbFileNotes()[0].path;
            EXPECT_EQ(SbFileNotes()[0].reason, FILE_WRITE_OTHER);
            SbForgetFileNotices();
            fs::remove(dir_->file("Logs"));
            Delay(1.1);  // the journal tries again a second after a failure
            continue;
        }
        SbComJournalLien(text);
        EXPECT_EQ(JournalSync(10), 0);
        SbComJournalSurveiller();
    }
    SbComJournalArreter();
    EXPECT_TRUE(SbFileNotes().empty());
    std::string all;
    for (const auto& e : fs::directory_iterator(dir_->file("Logs")))
        all += qstest::ReadFileBytes(e.path().string());
    EXPECT_NE(all.find(" * third\n"), std::string::npos) << all;
}

// Each reason a port does not open has its own text naming the device; a reason the layer
// cannot tell keeps the port-number message; a mode that does not exist stays closed.
TEST_F(LinkStandin, PortThatDoesNotOpenSaysWhyAndNamesTheDevice) {
    auto expected = [](int lead, int port, const std::string& device) {
        return "E" + std::to_string(lead) + " COM" + std::to_string(port) + " (" + device + ").\nE" +
               std::to_string(lead + 1);
    };
    fs::create_directory(dir_->file("Ports"));
    int master = -1, slave = -1;
    char pty[128];
    ASSERT_EQ(openpty(&master, &slave, pty, nullptr, nullptr), 0);
    fs::create_symlink(pty, dir_->file("Ports/COM60"));
    fs::create_symlink(pty, dir_->file("Ports/COM61"));
    fs::create_symlink("/dev/null", dir_->file("Ports/COM62"));
    ASSERT_EQ(OpenCom(61, ""), 0);  // another user of the same device holds it
    SbComG.simulation = 1;
    for (const auto& [port, text] : {std::pair{64, expected(kMesComPortMissing, 64, "/dev/ttyACM15")},
                                     {60, expected(kMesComPortBusy, 60, pty)},
                                     {62, "COM62 cannot be opened"}}) {
        SbComDeplanter();
        SbComG.port = port;
        EXPECT_EQ(SbComOuvrir(1), 1);
        EXPECT_EQ(SbComG.linkState + SbComG.simulation, 0);
        EXPECT_EQ(SbComErreur(), 1);
        EXPECT_EQ(Title(), "E3");
        EXPECT_EQ(Text(), text) << port;
    }
    CloseCom(61);
    SbComDeplanter();
    EXPECT_EQ(SbComOuvrir(7), 1);
    EXPECT_EQ(SbComG.linkState + SbComErreur(), 0);

    close(master);
    close(slave);
}

// The link's settings file: a missing one is created with the defaults the clock starts
// with; one without terminators has its texts cut inside their fields; one that cannot be
// written is told to the operator.
TEST_F(LinkStandin, SettingsFiles) {
    SbCom r;
    memset(&r, 0x55, sizeof r);
    SbComCharger("Com.cfg", &r);
    EXPECT_EQ(qstest::FileSize(dir_->file("Com.cfg")), long(sizeof r));
    EXPECT_EQ(r.netPort * 100 + r.params.precision * 10 + r.params.speedCode, 700023);
    EXPECT_STREQ(r.netAddress, "192.168.0.0");
    qstest::WriteFileBytes(dir_->file("Com.cfg"), std::string(sizeof r, 'x'));
    SbComCharger("Com.cfg", &r);
    EXPECT_EQ(strlen(r.netAddress) + strlen(r.family) + strlen(r.version), sizeof r.netAddress + 14 - 1);
    SbForgetFileNotices();
    SbComSauver("Absent\\Com.cfg", &SbComG);
    SbComSauverParam("Absent\\Param.cfg", &SbComG.params);
    ASSERT_EQ(SbFileNotes().size(), 2u);
    EXPECT_EQ(SbFileNotes()[1].path, "Absent\\Param.cfg");
}
