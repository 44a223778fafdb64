// Serial ports over a pseudo-terminal as the clock's line meets them: one callback per line, reads
// in pieces and with time-outs, writes, and the adapter pulled.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/cvi.h"
#include "tests/support/Pty.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr int kPort = 7;
std::vector<std::string> g_lines;

std::string Read(int size) {
    char buf[257];
    const int n = ComRdTerm(kPort, buf, size, 10);
    return n < 0 ? "error" : std::string(buf, size_t(n));
}
// As the link does: the callback reads one line per line feed.
void ReadLine(int, int, void*) {
    g_lines.push_back(Read(256));
}

// Turns the event loop until cond holds (the port's data ends each wait at once); the bound turns
// a fault into a failure, not a hang.
template <class Cond>
bool PumpUntil(Cond cond) {
    for (int i = 0, p, c; i < 300 && !cond(); ++i) SetNextWake(0.01), GetUserEvent(0, &p, &c);
    return cond();
}

}  // namespace

TEST(PlatformSerial, LinesThroughAPseudoTerminal) {
    qstest::EnsureRuntime();
    qstest::TempProgramDir dir(false);
    char dev[260];
    for (auto [port, name] : {std::pair{32, "/dev/ttyS31"}, {33, "/dev/ttyUSB0"}, {64, "/dev/ttyACM15"}}) {
        ComPortDevice(port, dev, sizeof dev);
        EXPECT_STREQ(dev, name);
    }
    for (auto [port, bits, stop] : {std::tuple{0, 8, 1}, {65, 8, 1}, {kPort, 9, 1}, {kPort, 8, 3}})
        EXPECT_LT(OpenComConfig(port, "", 9600, 0, bits, stop, 512, 512), 0);
    qstest::Pty pty;
    pty.LinkAsPort(dir.path(), kPort);  // a link in the program folder wins
    ASSERT_EQ(OpenComConfig(kPort, "", 57600, 0, 8, 1, 512, 512), 0) << GetRS232ErrorString(ReturnRS232Err());
    ASSERT_EQ(InstallComCallback(kPort, LWRS_RXFLAG, 0, 10, ReadLine, nullptr), 0);
    g_lines.clear();
    pty.Send("AK\t00\nTI");
    ASSERT_TRUE(PumpUntil([] { return g_lines.size() == 1 && GetInQLen(kPort) == 2; }));  // the rest waits
    pty.Send("ME\n");
    EXPECT_TRUE(PumpUntil([] { return g_lines == std::vector<std::string>{"AK\t00", "TIME"}; }));
    // Outside the callback, a line longer than the buffer comes in pieces, nothing lost; a line
    // that just fills it has its line feed end the next read.
    InstallComCallback(kPort, 0, 0, 10, nullptr, nullptr);
    pty.Send("0123456789\nABCD\nEF\n");
    ASSERT_TRUE(PumpUntil([] { return GetInQLen(kPort) == 19; }));
    for (auto [size, piece] : {std::pair{4, "0123"}, {256, "456789"}, {4, "ABCD"}, {4, ""}, {4, "EF"}})
        EXPECT_EQ(Read(size), piece);
    // Nothing arrives: zero bytes after the time-out, which the read reports.
    SetComTime(kPort, 0.05);
    EXPECT_EQ(Read(256), "");
    EXPECT_EQ(ReturnRS232Err(), RS232_TIMEOUT);
    // A loop with nothing due sleeps until the clock speaks: its line ends the wait (the far
    // deadline only turns a wait that never ends into a failure instead of a hang).
    ASSERT_EQ(InstallComCallback(kPort, LWRS_RXFLAG, 0, 10, ReadLine, nullptr), 0);
    g_lines.clear();
    std::thread speaker(
        [&] { std::this_thread::sleep_for(std::chrono::milliseconds(30)), pty.Send("WAKE\n"); });
    int p, c;
    for (const double guard = Timer() + 60; g_lines.empty() && Timer() < guard;)
        SetNextWake(guard - Timer()), GetUserEvent(0, &p, &c);
    speaker.join();
    EXPECT_EQ(g_lines, (std::vector<std::string>{"WAKE"}));
    ASSERT_EQ(ComWrt(kPort, "XY\r\n", 4), 4);
    EXPECT_EQ(pty.Receive(4), "XY\r\n");
    pty.Send("junk");
    ASSERT_TRUE(PumpUntil([] { return GetInQLen(kPort) == 4; }));
    EXPECT_EQ(FlushInQ(kPort) + GetInQLen(kPort) + GetComStat(kPort) + CloseCom(kPort), 0);
    EXPECT_LT(ComWrt(kPort, "x", 1), 0);
}

TEST(PlatformSerial, VanishedPortIsOneErrorAndComesBack) {
    qstest::EnsureRuntime();
    qstest::TempProgramDir dir(false);
    auto pty = std::make_unique<qstest::Pty>();
    pty->LinkAsPort(dir.path(), kPort);
    ASSERT_EQ(OpenComConfig(kPort, "", 9600, 0, 8, 1, 512, 512), 0);
    InstallComCallback(kPort, LWRS_RXFLAG, 0, 10, ReadLine, nullptr);
    pty->Hangup();  // the adapter is pulled
    int errors = 0;
    for (int i = 0, p, c; i < 20; ++i) {
        SetNextWake(0.01);
        GetUserEvent(0, &p, &c);
        errors += GetComStat(kPort) != 0;
    }
    EXPECT_EQ(errors, 1);
    EXPECT_LT(ComWrt(kPort, "AK\n", 3), 0);
    EXPECT_EQ(Read(16), "error");
    EXPECT_EQ(GetInQLen(kPort) + CloseCom(kPort), 0);
    // The operator reconnects once the adapter is back.
    pty = std::make_unique<qstest::Pty>();
    pty->LinkAsPort(dir.path(), kPort);
    ASSERT_EQ(OpenComConfig(kPort, "", 9600, 0, 8, 1, 512, 512), 0);
    g_lines.clear();
    InstallComCallback(kPort, LWRS_RXFLAG, 0, 10, ReadLine, nullptr);
    pty->Send("OK\n");
    EXPECT_TRUE(PumpUntil([] { return g_lines == std::vector<std::string>{"OK"}; }));
    EXPECT_EQ(GetComStat(kPort) + CloseCom(kPort), 0);
}
