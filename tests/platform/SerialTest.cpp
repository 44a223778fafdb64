// The clock's line as the program meets it, over a serial port (a pseudo-terminal) and over the
// network: one callback per line, reads in pieces and with time-outs, writes, the line lost.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/cvi.h"
#include "tests/support/Pty.h"
#include "tests/support/TestSupport.h"

namespace {

int g_port = 7;  // the serial port under test, or the network clock's
std::vector<std::string> g_lines;

std::string Read(int size) {
    char buf[257];
    const int n = ComRdTerm(g_port, buf, size, 10);
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

// The clock's end, a plain descriptor either way: the master side of a pseudo-terminal linked as
// serial port 7, or, for the network, the accepted end of the connection the program opened.
struct FarEnd : qstest::Pty {
    FarEnd(const std::string& folder, bool network) {
        if (!network) {
            LinkAsPort(folder, 7);
            g_port = OpenComConfig(7, "", 57600, 0, 8, 1, 512, 512) == 0 ? 7 : -1;
            return;
        }
        sockaddr_in at{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
        socklen_t size = sizeof at;
        const int listener = socket(AF_INET, SOCK_STREAM, 0);
        bind(listener, reinterpret_cast<sockaddr*>(&at), size);
        listen(listener, 1);
        getsockname(listener, reinterpret_cast<sockaddr*>(&at), &size);
        g_port = OpenComNetwork("127.0.0.1", ntohs(at.sin_port), 2);
        Hangup();
        master = accept(listener, nullptr, nullptr);
        close(listener);
    }
};

}  // namespace

TEST(PlatformSerial, PortNamesAndSettingsRefused) {
    char dev[260];
    for (auto [port, name] : {std::pair{32, "/dev/ttyS31"}, {33, "/dev/ttyUSB0"}, {64, "/dev/ttyACM15"}}) {
        ComPortDevice(port, dev, sizeof dev);
        EXPECT_STREQ(dev, name);
    }
    for (auto [port, bits, stop] : {std::tuple{0, 8, 1}, {65, 8, 1}, {7, 9, 1}, {7, 8, 3}})
        EXPECT_LT(OpenComConfig(port, "", 9600, 0, bits, stop, 512, 512), 0);
}

TEST(PlatformSerial, LinesReadsWritesAndTheLineLostOnBothTransports) {
    qstest::EnsureRuntime();
    qstest::TempProgramDir dir(false);
    for (bool network : {false, true}) {
        SCOPED_TRACE(network ? "network" : "serial");
        auto far = std::make_unique<FarEnd>(dir.path(), network);
        ASSERT_GT(g_port, 0) << GetRS232ErrorString(ReturnRS232Err());
        ASSERT_EQ(InstallComCallback(g_port, LWRS_RXFLAG, 0, 10, ReadLine, nullptr), 0);
        g_lines.clear();
        far->Send("AK\t00\nTI");
        ASSERT_TRUE(
            PumpUntil([] { return g_lines.size() == 1 && GetInQLen(g_port) == 2; }));  // the rest waits
        far->Send("ME\n");
        EXPECT_TRUE(PumpUntil([] { return g_lines == std::vector<std::string>{"AK\t00", "TIME"}; }));
        // Outside the callback, a line longer than the buffer comes in pieces, nothing lost; a
        // line that just fills it has its line feed end the next read.
        InstallComCallback(g_port, 0, 0, 10, nullptr, nullptr);
        far->Send("0123456789\nABCD\nEF\n");
        ASSERT_TRUE(PumpUntil([] { return GetInQLen(g_port) == 19; }));
        for (auto [size, piece] : {std::pair{4, "0123"}, {256, "456789"}, {4, "ABCD"}, {4, ""}, {4, "EF"}})
            EXPECT_EQ(Read(size), piece);
        // Nothing arrives: zero bytes after the time-out, which the read reports.
        SetComTime(g_port, 0.05);
        EXPECT_EQ(Read(256), "");
        EXPECT_EQ(ReturnRS232Err(), RS232_TIMEOUT);
        // A loop with nothing due sleeps until the clock speaks: its line ends the wait (the far
        // deadline only turns a wait that never ends into a failure instead of a hang).
        ASSERT_EQ(InstallComCallback(g_port, LWRS_RXFLAG, 0, 10, ReadLine, nullptr), 0);
        g_lines.clear();
        std::thread speaker(
            [&] { std::this_thread::sleep_for(std::chrono::milliseconds(30)), far->Send("WAKE\n"); });
        int p, c;
        for (const double guard = Timer() + 60; g_lines.empty() && Timer() < guard;)
            SetNextWake(guard - Timer()), GetUserEvent(0, &p, &c);
        speaker.join();
        EXPECT_EQ(g_lines, (std::vector<std::string>{"WAKE"}));
        ASSERT_EQ(ComWrt(g_port, "XY\r\n", 4), 4);
        EXPECT_EQ(far->Receive(4), "XY\r\n");
        far->Send("junk");
        ASSERT_TRUE(PumpUntil([] { return GetInQLen(g_port) == 4; }));
        EXPECT_EQ(FlushInQ(g_port) + GetInQLen(g_port) + GetComStat(g_port), 0);
        // The line is lost (the adapter pulled, the clock's module gone): one error; over the
        // network a line sent just before still comes first (a pseudo-terminal drops it).
        g_lines.clear();
        far->Send(network ? "LAST\n" : "");
        far->Hangup();
        int errors = 0;
        for (int i = 0; i < 20; ++i)
            SetNextWake(0.01), GetUserEvent(0, &p, &c), errors += GetComStat(g_port) != 0;
        EXPECT_EQ(errors, 1);
        EXPECT_EQ(g_lines, std::vector<std::string>(network, "LAST"));
        EXPECT_LT(ComWrt(g_port, "AK\n", 3), 0);
        EXPECT_EQ(Read(16), "error");
        CloseCom(g_port);
        far = std::make_unique<FarEnd>(dir.path(), network);
        g_lines.clear();
        InstallComCallback(g_port, LWRS_RXFLAG, 0, 10, ReadLine, nullptr);
        far->Send("OK\n");
        EXPECT_TRUE(PumpUntil([] { return g_lines == std::vector<std::string>{"OK"}; }));
        EXPECT_EQ(GetComStat(g_port) + CloseCom(g_port), 0);
        EXPECT_LT(ComWrt(g_port, "x", 1), 0);
    }
}
