// The stand-in clock's side of the line: its own frame code (written apart from
// the program's so that a mistake cannot be shared), the port and the wire log.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace standin {

// Sum of the payload's bytes taken as signed, kept to 16 bits.
int Checksum(const std::string& payload);

// A frame as the clock sends it: payload, TAB, 4 upper-case hex digits, CR, LF.
std::string ClockFrame(const std::string& payload, int checkOffset = 0);

// Incoming bytes cut into the program's frames ("#payload\tXXXX\r\n").
class Receiver {
public:
    // Feeds bytes; calls onFrame(payload, checkOk) for each complete line.
    template <class F>
    void Feed(const char* data, size_t n, F onFrame) {
        for (size_t i = 0; i < n; ++i) {
            char c = data[i];
            if (c != '\n') {
                if (line_.size() < 4096) line_ += c;
                continue;
            }
            std::string payload;
            bool ok = Parse(line_, &payload);
            line_.clear();
            onFrame(payload, ok);
        }
    }

private:
    static bool Parse(const std::string& line, std::string* payload);
    std::string line_;
};

// The serial end: a pseudo-terminal (master side) or a real device.
class Port {
public:
    ~Port();
    bool OpenPty(std::string* slavePath);
    bool OpenDevice(const std::string& path, int baud);
    void SetSpeed(int baud);  // real devices only
    int Fd() const { return fd_; }
    bool Write(const std::string& bytes);
    void HangUp();  // closes the line: the program sees the far end go away
    bool IsPty() const { return pty_; }

private:
    int fd_ = -1;
    int slaveKeep_ = -1;  // keeps the pty alive while the program reopens it
    bool pty_ = false;
};

// The network end, as the clock's Ethernet module or a serial device server in raw
// TCP mode offers it: one connection at a time (a second one is closed at once);
// when the connection goes, the next one is taken.
class TcpLine {
public:
    ~TcpLine();
    // Listens on address:port (port 0: any free one, told in *boundPort). With
    // unanswered, connection attempts are never answered, as behind a firewall that
    // drops them: the queue of the listening socket is kept full and never taken.
    bool Listen(const std::string& address, int port, bool unanswered, int* boundPort);
    int ListenFd() const { return unanswered_ ? -1 : listen_; }
    int ClientFd() const { return client_; }
    bool Connected() const { return client_ >= 0; }
    void Accept();
    bool Write(const std::string& bytes);  // false when the connection went
    void Drop();                           // closes the connection, keeps listening

private:
    int listen_ = -1;
    int client_ = -1;
    int filler_ = -1;
    bool unanswered_ = false;
};

// One received payload per line, flushed at once so tests can read it.
class WireLog {
public:
    bool Open(const std::string& path);
    void Add(const std::string& line);
    ~WireLog();

private:
    FILE* f_ = nullptr;
};

}  // namespace standin
