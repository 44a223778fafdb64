// qs310-standin: behaves like a QS-310 start clock at the far end of a serial line,
// with switches to inject the faults a real line shows.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <filesystem>
#include <string>

#include "StandinClock.h"
#include "StandinStream.h"
#include "StandinWire.h"

namespace fs = std::filesystem;
using namespace standin;

namespace {

const char* kHelp =
    "qs310-standin: a QS-310 start clock at the far end of a serial line or of the network.\n"
    "\n"
    "Usage: qs310-standin [options]\n"
    "  --device PATH       use a serial device instead of a new pseudo-terminal\n"
    "  --baud N            speed of --device (default 9600)\n"
    "  --link PATH         make PATH (e.g. DIR/Ports/COM5) a symbolic link to the pty\n"
    "  --tcp [ADDR:]PORT   also listen on TCP, as the clock's Ethernet module or a serial\n"
    "                      device server in raw mode (ADDR default 127.0.0.1, 0.0.0.0 for\n"
    "                      every interface; PORT 0 takes a free one). Alone, without\n"
    "                      --link or --device, no pty is opened. One connection at a\n"
    "                      time; the clock answers on the line its last command came by.\n"
    "  --log FILE          wire log: every payload received, one per line ('?' marks a bad frame)\n"
    "  --control PATH      create a FIFO at PATH and read control commands from it\n"
    "  --stdin             read control commands from standard input too\n"
    "  --serial N          serial number in the identity reply (default 1234)\n"
    "  --time-scale X      run the countdown X times faster than real time (default 1)\n"
    "  --messages          stream spontaneous messages from the start (as after 'EE 1')\n"
    "  --impulses S        while streaming, an input impulse every S seconds of the clock's\n"
    "                      time, on inputs 1 and 2 in turn (a time message each)\n"
    "  --sent FILE         every payload sent to the program, one per line, as it leaves\n"
    "Faults (also control commands, see below):\n"
    "  --no-ack            never acknowledge\n"
    "  --ack F|R           refuse every command with 'AK F' or 'AK R'\n"
    "  --bad-check N       the next N frames sent carry a wrong check value\n"
    "  --delay MS          answer every command MS milliseconds late\n"
    "  --hangup-after N    hang up when the Nth command arrives\n"
    "  --noack-after N     acknowledge the first N commands only (answers still go)\n"
    "  --flood RATE COUNT  send COUNT valid frames at RATE frames per second, then report\n"
    "  --tcp-unanswered    never answer a TCP connection attempt (a firewall dropping it)\n"
    "Control commands (one per line):\n"
    "  noack on|off, ack F|R|OK (next command only), badcheck N, garbage, longline,\n"
    "  delay MS, flood RATE COUNT, send PAYLOAD, impulse N, messages on|off, quit,\n"
    "  hangup (the pty closes and the stand-in ends; a TCP connection is dropped and the\n"
    "  next one taken),\n"
    "  set COMMAND (changes the clock's own values as COMMAND would, e.g. 'set WP 001 7',\n"
    "  and answers nothing)\n"
    "The first line printed is \"pty <slave path>\" (or \"device <path>\"), then with --tcp\n"
    "\"tcp <port>\"; \"flood-sent N\" is printed when a flood ends.\n";

// Set by SIGTERM, SIGINT or SIGHUP: the main loop ends and removes the port link and the
// control FIFO, as after "quit".
volatile sig_atomic_t stopRequested = 0;
void RequestStop(int) {
    stopRequested = 1;
}

void CatchStopSignals() {
    struct sigaction sa {};
    sa.sa_handler = RequestStop;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &sa, nullptr);
}

double Now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

double SecondsOfDay() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    tm local{};
    localtime_r(&ts.tv_sec, &local);
    return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + ts.tv_nsec / 1e9;
}

struct Outgoing {
    double due;
    std::string bytes;
    std::string payload;  // for the sent log; empty for raw bytes
};

struct Standin {
    Port port;
    TcpLine tcp;
    bool onTcp = false;  // the line the last command came by, where answers go
    WireLog log;
    WireLog sent;
    Clock clock;
    Stream stream;
    Receiver receiver, tcpReceiver;
    std::deque<Outgoing> queue;

    bool noAck = false;
    char ackAlways = 0;
    char ackNext = 0;
    int badCheck = 0;
    double delay = 0;
    long hangupAfter = -1;
    long noAckAfter = -1;
    long commands = 0;
    double timeScale = 1.0;
    double start = Now();
    double floodRate = 0;
    long floodLeft = 0, floodSent = 0;
    double floodStart = 0;
    bool running = true;

    void Send(const std::string& payload, double due) {
        int offset = 0;
        if (badCheck > 0) {
            --badCheck;
            offset = 1;
        }
        queue.push_back({due, ClockFrame(payload, offset), payload});
    }

    void SendRaw(const std::string& bytes) { queue.push_back({Now(), bytes, {}}); }

    // Bytes to the program, on the line it last spoke on; with no program connected over
    // the network they are lost, as a device server drops what comes with no client.
    bool Out(const std::string& bytes) {
        if (onTcp) {
            tcp.Write(bytes);
            return true;
        }
        return port.Write(bytes);
    }

    // What was already due leaves before the line goes, as a clock's last bytes do.
    void HangUp() {
        SendDue();
        printf("hangup\n");
        fflush(stdout);
        if (onTcp) {
            tcp.Drop();
            return;
        }
        port.HangUp();
        running = false;
    }

    void OnCommand(const std::string& payload, bool ok) {
        log.Add(ok ? payload : "?" + payload);
        if (!ok) return;  // a damaged frame: the clock stays silent, the program times out
        ++commands;
        if (hangupAfter >= 0 && commands >= hangupAfter) {
            HangUp();
            return;
        }
        double due = Now() + delay;
        clock.nowOfDay = SecondsOfDay();
        char refuse = 0;
        bool wasOn = clock.messages;
        for (const std::string& reply : clock.Answer(payload, &refuse)) Send(reply, due);
        if (clock.messages && !wasOn) stream.Restart();
        char status = ackNext ? ackNext : ackAlways ? ackAlways : refuse;
        ackNext = 0;
        if (noAck || (noAckAfter >= 0 && commands > noAckAfter)) return;
        Send(status == 'F' || status == 'R' ? std::string("AK ") + status : "AK", due);
    }

    void StartFlood(double rate, long count) {
        floodRate = rate > 0 ? rate : 1000;
        floodLeft = count;
        floodSent = 0;
        floodStart = Now();
    }

    void Flood() {
        if (floodLeft <= 0) return;
        long due = long((Now() - floodStart) * floodRate) + 1;
        while (floodSent < due && floodLeft > 0) {
            char p[16];
            snprintf(p, sizeof p, "&C %02X%02X", 0x80 + int(floodSent % 60), int(floodSent % 12));
            if (!Out(ClockFrame(p))) break;
            sent.Add(p);
            ++floodSent;
            --floodLeft;
        }
        if (floodLeft == 0) {
            printf("flood-sent %ld\n", floodSent);
            fflush(stdout);
        }
    }

    void Control(const std::string& line) {
        char word[32] = {}, arg[512] = {};
        sscanf(line.c_str(), "%31s %511[^\n]", word, arg);
        std::string w = word;
        if (w == "noack")
            noAck = strcmp(arg, "off") != 0;
        else if (w == "ack")
            ackNext = arg[0] == 'F' || arg[0] == 'R' ? arg[0] : 0;
        else if (w == "badcheck")
            badCheck = atoi(arg);
        else if (w == "garbage")
            SendRaw("\x01\x7f garbage \xff\xfe\r\n");
        else if (w == "longline")
            SendRaw(std::string(300, 'L') + "\t0000\r\n");
        else if (w == "delay")
            delay = atof(arg) / 1000.0;
        else if (w == "flood") {
            double rate = 0;
            long count = 0;
            sscanf(arg, "%lf %ld", &rate, &count);
            StartFlood(rate, count);
        } else if (w == "send")
            Send(arg, Now());
        else if (w == "set") {
            char refuse = 0;  // as if set on the clock's own keys: nothing is sent
            clock.Answer(arg, &refuse);
        } else if (w == "impulse") {
            clock.nowOfDay = SecondsOfDay();
            Send(clock.Time(atoi(arg), clock.nowOfDay), Now());
        } else if (w == "messages") {
            clock.messages = strcmp(arg, "off") != 0;
            stream.Restart();
        } else if (w == "hangup")
            HangUp();
        else if (w == "quit")
            running = false;
        else
            fprintf(stderr, "qs310-standin: unknown control command '%s'\n", line.c_str());
    }

    void SendDue() {
        const double now = Now();
        while (!queue.empty() && queue.front().due <= now) {
            if (!Out(queue.front().bytes)) break;
            if (!queue.front().payload.empty()) sent.Add(queue.front().payload);
            queue.pop_front();
            // A speed change takes effect once the acknowledgement has left.
            if (clock.pendingSpeedCode >= 0 && queue.empty()) {
                port.SetSpeed(SpeedOfCode(clock.pendingSpeedCode));
                clock.pendingSpeedCode = -1;
            }
        }
    }

    void Pump() {
        SendDue();
        const double now = Now();
        if (clock.messages) {
            for (const std::string& m : stream.Tick(clock, (now - start) * timeScale, SecondsOfDay()))
                Send(m, now);
        }
        Flood();
    }
};

// Reads control lines from a descriptor (FIFO or stdin).
struct ControlInput {
    int fd = -1;
    std::string pending;
    template <class F>
    void Read(F onLine) {
        char buf[1024];
        ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0) return;
        pending.append(buf, size_t(n));
        size_t at;
        while ((at = pending.find('\n')) != std::string::npos) {
            std::string line = pending.substr(0, at);
            pending.erase(0, at + 1);
            if (!line.empty()) onLine(line);
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    Standin s;
    std::string device, linkPath, logPath, controlPath, sentPath, tcpAddress = "127.0.0.1";
    int baud = 9600, tcpPort = -1;
    bool useStdin = false, tcpUnanswered = false;
    double floodRate = 0;
    long floodCount = 0;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&](const char* name) -> const char* {
            if (i + 1 >= argc) {
                fprintf(stderr, "qs310-standin: %s needs a value\n", name);
                exit(2);
            }
            return argv[++i];
        };
        if (a == "--help" || a == "-h") {
            fputs(kHelp, stdout);
            return 0;
        } else if (a == "--device")
            device = next("--device");
        else if (a == "--baud")
            baud = atoi(next("--baud"));
        else if (a == "--link")
            linkPath = next("--link");
        else if (a == "--log")
            logPath = next("--log");
        else if (a == "--control")
            controlPath = next("--control");
        else if (a == "--stdin")
            useStdin = true;
        else if (a == "--tcp") {
            std::string v = next("--tcp");
            const size_t colon = v.rfind(':');
            if (colon != std::string::npos) {
                tcpAddress = v.substr(0, colon);
                v = v.substr(colon + 1);
            }
            tcpPort = atoi(v.c_str());
        } else if (a == "--tcp-unanswered")
            tcpUnanswered = true;
        else if (a == "--serial")
            s.clock.serial = atoi(next("--serial"));
        else if (a == "--time-scale")
            s.timeScale = atof(next("--time-scale"));
        else if (a == "--messages")
            s.clock.messages = true;
        else if (a == "--impulses")
            s.stream.SetImpulses(atoi(next("--impulses")));
        else if (a == "--sent")
            sentPath = next("--sent");
        else if (a == "--no-ack")
            s.noAck = true;
        else if (a == "--ack")
            s.ackAlways = next("--ack")[0];
        else if (a == "--bad-check")
            s.badCheck = atoi(next("--bad-check"));
        else if (a == "--delay")
            s.delay = atof(next("--delay")) / 1000.0;
        else if (a == "--hangup-after")
            s.hangupAfter = atol(next("--hangup-after"));
        else if (a == "--noack-after")
            s.noAckAfter = atol(next("--noack-after"));
        else if (a == "--flood") {
            floodRate = atof(next("--flood"));
            floodCount = atol(next("--flood"));
        } else {
            fprintf(stderr, "qs310-standin: unknown option %s (see --help)\n", a.c_str());
            return 2;
        }
    }

    CatchStopSignals();
    if (!logPath.empty() && !s.log.Open(logPath)) {
        fprintf(stderr, "qs310-standin: cannot write %s\n", logPath.c_str());
        return 1;
    }
    if (!sentPath.empty() && !s.sent.Open(sentPath)) {
        fprintf(stderr, "qs310-standin: cannot write %s\n", sentPath.c_str());
        return 1;
    }
    // The control FIFO exists before the ready line is printed.
    ControlInput control, input;
    if (!controlPath.empty()) {
        unlink(controlPath.c_str());
        if (mkfifo(controlPath.c_str(), 0600) != 0) {
            fprintf(stderr, "qs310-standin: cannot make the FIFO %s\n", controlPath.c_str());
            return 1;
        }
        control.fd = open(controlPath.c_str(), O_RDWR | O_NONBLOCK);  // never sees end of file
    }
    std::string slave;
    const bool serial = tcpPort < 0 || !device.empty() || !linkPath.empty();
    if (!serial) {
        // The network alone.
    } else if (!device.empty()) {
        if (!s.port.OpenDevice(device, baud)) {
            fprintf(stderr, "qs310-standin: cannot open %s\n", device.c_str());
            return 1;
        }
        printf("device %s\n", device.c_str());
    } else {
        if (!s.port.OpenPty(&slave)) {
            fprintf(stderr, "qs310-standin: cannot open a pseudo-terminal\n");
            return 1;
        }
        printf("pty %s\n", slave.c_str());
        if (!linkPath.empty()) {
            std::error_code ec;
            fs::create_directories(fs::path(linkPath).parent_path(), ec);
            fs::remove(linkPath, ec);
            fs::create_symlink(slave, linkPath, ec);
            if (ec) fprintf(stderr, "qs310-standin: cannot link %s\n", linkPath.c_str());
        }
    }
    if (tcpPort >= 0) {
        int bound = 0;
        if (!s.tcp.Listen(tcpAddress, tcpPort, tcpUnanswered, &bound)) {
            fprintf(stderr, "qs310-standin: cannot listen on %s:%d\n", tcpAddress.c_str(), tcpPort);
            return 1;
        }
        s.onTcp = !serial;
        printf("tcp %d\n", bound);
    }
    fflush(stdout);

    if (useStdin) input.fd = 0;
    if (floodCount > 0) s.StartFlood(floodRate, floodCount);

    while (s.running && !stopRequested) {
        pollfd fds[5] = {{s.port.Fd(), POLLIN, 0},
                         {control.fd, POLLIN, 0},
                         {input.fd, POLLIN, 0},
                         {s.tcp.ListenFd(), POLLIN, 0},
                         {s.tcp.ClientFd(), POLLIN, 0}};
        int timeout = s.floodLeft > 0 ? 0 : 5;
        poll(fds, 5, timeout);
        if (fds[0].revents & POLLIN) {
            char buf[4096];
            ssize_t n = read(s.port.Fd(), buf, sizeof buf);
            if (n > 0) {
                s.onTcp = false;
                s.receiver.Feed(buf, size_t(n), [&](const std::string& p, bool ok) { s.OnCommand(p, ok); });
            }
        }
        if (fds[3].revents & POLLIN) {
            const bool had = s.tcp.Connected();
            s.tcp.Accept();
            if (!had && s.tcp.Connected()) {
                s.onTcp = true;
                s.tcpReceiver = Receiver{};
            }
        }
        if (fds[4].revents & (POLLIN | POLLHUP | POLLERR)) {
            char buf[4096];
            ssize_t n = read(s.tcp.ClientFd(), buf, sizeof buf);
            if (n > 0) {
                s.onTcp = true;
                s.tcpReceiver.Feed(buf, size_t(n),
                                   [&](const std::string& p, bool ok) { s.OnCommand(p, ok); });
            } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
                s.tcp.Drop();  // the program went: the next connection is taken
            }
        }
        if (!s.running) break;
        if (fds[1].revents & POLLIN) control.Read([&](const std::string& l) { s.Control(l); });
        if (fds[2].revents & POLLIN) input.Read([&](const std::string& l) { s.Control(l); });
        if (fds[2].revents & POLLHUP) input.fd = -1;
        if (!s.running) break;
        s.Pump();
    }
    if (!controlPath.empty()) unlink(controlPath.c_str());
    if (!linkPath.empty()) {
        std::error_code ec;
        fs::remove(linkPath, ec);
    }
    return 0;
}
