// Serial ports over a pseudo-terminal: port mapping, line-feed callback, line reads, writes, loss of the
// port.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/cvi.h"
#include "tests/support/Pty.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

constexpr int kPort = 7;

using qstest::Pty;

std::vector<std::string> g_lines;
int g_calls = 0;

// As the link does: the callback reads one line per line feed.
void ReadLine(int port, int, void*) {
    ++g_calls;
    char buf[257];
    int n = ComRdTerm(port, buf, 256, 10);
    if (n >= 0) g_lines.emplace_back(buf, size_t(n));
}

// Turns the event loop until cond holds (bounded, so a fault fails instead of hanging).
template <class Cond>
bool PumpUntil(Cond cond) {
    for (int i = 0; i < 300 && !cond(); ++i) {
        int p, c;
        SetNextWake(0.01);  // the port's data wakes the pass; a fault ends the bound
        GetUserEvent(0, &p, &c);
        ProcessSystemEvents();
    }
    return cond();
}

void LinkPort(const qstest::TempProgramDir& dir, const Pty& pty) {
    pty.LinkAsPort(dir.path(), kPort);
}

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

}  // namespace

TEST(PlatformSerial, PortNumbersNameDevices) {
    qstest::TempProgramDir dir(false);
    char dev[260];
    ComPortDevice(1, dev, sizeof dev);
    EXPECT_STREQ(dev, "/dev/ttyS0");
    ComPortDevice(32, dev, sizeof dev);
    EXPECT_STREQ(dev, "/dev/ttyS31");
    ComPortDevice(33, dev, sizeof dev);
    EXPECT_STREQ(dev, "/dev/ttyUSB0");
    ComPortDevice(48, dev, sizeof dev);
    EXPECT_STREQ(dev, "/dev/ttyUSB15");
    ComPortDevice(49, dev, sizeof dev);
    EXPECT_STREQ(dev, "/dev/ttyACM0");
    ComPortDevice(64, dev, sizeof dev);
    EXPECT_STREQ(dev, "/dev/ttyACM15");
    // A link in the program folder wins.
    Pty pty;
    ASSERT_GE(pty.master, 0);
    LinkPort(dir, pty);
    ComPortDevice(kPort, dev, sizeof dev);
    EXPECT_EQ(fs::canonical(dev), fs::canonical(pty.slave));
    EXPECT_LT(OpenComConfig(0, "", 9600, 0, 8, 1, 512, 512), 0);
    EXPECT_LT(OpenComConfig(65, "", 9600, 0, 8, 1, 512, 512), 0);
    EXPECT_LT(OpenComConfig(kPort, "", 9600, 0, 9, 1, 512, 512), 0);
    EXPECT_LT(ComWrt(kPort, "x", 1), 0);  // not open
    EXPECT_STRNE(GetRS232ErrorString(ReturnRS232Err()), "");
}

TEST(PlatformSerial, LinesThroughAPseudoTerminal) {
    qstest::EnsureRuntime();
    qstest::TempProgramDir dir(false);
    Pty pty;
    ASSERT_GE(pty.master, 0);
    LinkPort(dir, pty);
    ASSERT_EQ(OpenComConfig(kPort, "", 57600, 0, 8, 1, 512, 512), 0) << GetRS232ErrorString(ReturnRS232Err());
    EXPECT_EQ(ReturnRS232Err(), 0);
    SetComTime(kPort, 1.0);
    ASSERT_EQ(InstallComCallback(kPort, LWRS_RXFLAG, 0, 10, ReadLine, nullptr), 0);
    g_lines.clear();
    g_calls = 0;

    pty.Send("AK\t00\nTI");
    ASSERT_TRUE(PumpUntil([] { return g_calls >= 1; }));
    ASSERT_EQ(g_lines.size(), 1u);
    EXPECT_EQ(g_lines[0], "AK\t00");
    EXPECT_TRUE(PumpUntil([] { return GetInQLen(kPort) == 2; }));  // the line's start waits
    pty.Send("ME\n");
    ASSERT_TRUE(PumpUntil([] { return g_lines.size() >= 2; }));
    EXPECT_EQ(g_lines[1], "TIME");
    EXPECT_EQ(GetInQLen(kPort), 0);

    // Outside the callback: a read waits for the rest of its line.
    InstallComCallback(kPort, 0, 0, 10, nullptr, nullptr);
    pty.Send("AB");
    std::thread late([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        pty.Send("CD\n");
    });
    char buf[257];
    int n = ComRdTerm(kPort, buf, 256, 10);
    late.join();
    ASSERT_EQ(n, 4);
    EXPECT_EQ(std::string(buf, 4), "ABCD");
    // A line longer than the buffer comes in pieces, nothing lost.
    pty.Send("0123456789\n");
    ASSERT_TRUE(PumpUntil([] { return GetInQLen(kPort) == 11; }));
    EXPECT_EQ(ComRdTerm(kPort, buf, 4, 10), 4);
    EXPECT_EQ(std::string(buf, 4), "0123");
    EXPECT_EQ(ComRdTerm(kPort, buf, 256, 10), 6);
    EXPECT_EQ(std::string(buf, 6), "456789");
    // A line that just fills the buffer: its line feed ends the next read, not this one.
    pty.Send("ABCD\nEF\n");
    ASSERT_TRUE(PumpUntil([] { return GetInQLen(kPort) == 8; }));
    EXPECT_EQ(ComRdTerm(kPort, buf, 4, 10), 4);
    EXPECT_EQ(ComRdTerm(kPort, buf, 4, 10), 0);
    EXPECT_EQ(ReturnRS232Err(), 0);
    EXPECT_EQ(ComRdTerm(kPort, buf, 4, 10), 2);
    EXPECT_EQ(std::string(buf, 2), "EF");
    // Nothing arrives: zero bytes after the time-out, which the read reports.
    SetComTime(kPort, 0.05);
    EXPECT_EQ(ComRdTerm(kPort, buf, 256, 10), 0);
    EXPECT_EQ(ReturnRS232Err(), RS232_TIMEOUT);
    // A loop with nothing due sleeps until the clock speaks: its line ends the wait. The
    // far deadline only turns a wait that never ends into a failure instead of a hang.
    ASSERT_EQ(InstallComCallback(kPort, LWRS_RXFLAG, 0, 10, ReadLine, nullptr), 0);
    g_lines.clear();
    std::thread speaker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        pty.Send("WAKE\n");
    });
    const double guard = Timer() + 60;
    for (int p, c; g_lines.empty() && Timer() < guard;) {
        SetNextWake(guard - Timer());
        GetUserEvent(0, &p, &c);
    }
    const bool wokenByTheLine = Timer() < guard;
    speaker.join();
    EXPECT_TRUE(wokenByTheLine);
    ASSERT_EQ(g_lines.size(), 1u);
    EXPECT_EQ(g_lines[0], "WAKE");

    EXPECT_EQ(ComWrt(kPort, "XY\r\n", 4), 4);
    EXPECT_EQ(pty.Receive(4), "XY\r\n");

    pty.Send("junk");
    ASSERT_TRUE(PumpUntil([] { return GetInQLen(kPort) == 4; }));
    EXPECT_EQ(FlushInQ(kPort), 0);
    EXPECT_EQ(GetInQLen(kPort), 0);
    EXPECT_EQ(FlushOutQ(kPort), 0);
    EXPECT_EQ(GetComStat(kPort), 0);
    EXPECT_EQ(CloseCom(kPort), 0);
    EXPECT_LT(ComWrt(kPort, "x", 1), 0);
}

TEST(PlatformSerial, VanishedPortIsOneErrorAndNoSpin) {
    qstest::EnsureRuntime();
    qstest::TempProgramDir dir(false);
    auto pty = std::make_unique<Pty>();
    ASSERT_GE(pty->master, 0);
    LinkPort(dir, *pty);
    ASSERT_EQ(OpenComConfig(kPort, "", 9600, 0, 8, 1, 512, 512), 0);
    InstallComCallback(kPort, LWRS_RXFLAG, 0, 10, ReadLine, nullptr);
    pty->Hangup();  // the adapter is pulled

    int errors = 0;
    double cpu0 = CpuSeconds();
    auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < 50; ++i) {
        int p, c;
        SetNextWake(0.01);  // a loop with a deadline: a port spinning on its error would show in the CPU
        GetUserEvent(0, &p, &c);
        if (GetComStat(kPort) != 0) ++errors;
    }
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    double cpu = CpuSeconds() - cpu0;
    printf("[ figures ] 50 passes after the port vanished: %.3f s wall, %.3f s CPU (%.0f%%)\n", wall, cpu,
           wall > 0 ? 100.0 * cpu / wall : 0.0);
    EXPECT_EQ(errors, 1);
    EXPECT_LT(ComWrt(kPort, "AK\n", 3), 0);
    char buf[16];
    EXPECT_LT(ComRdTerm(kPort, buf, 16, 10), 0);
    EXPECT_EQ(GetInQLen(kPort), 0);
    EXPECT_EQ(CloseCom(kPort), 0);

    // The operator reconnects once the adapter is back.
    pty = std::make_unique<Pty>();
    LinkPort(dir, *pty);
    ASSERT_EQ(OpenComConfig(kPort, "", 9600, 0, 8, 1, 512, 512), 0);
    g_lines.clear();
    InstallComCallback(kPort, LWRS_RXFLAG, 0, 10, ReadLine, nullptr);
    pty->Send("OK\n");
    EXPECT_TRUE(PumpUntil([] { return !g_lines.empty(); }));
    EXPECT_EQ(GetComStat(kPort), 0);
    CloseCom(kPort);
}
