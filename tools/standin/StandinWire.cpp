// The stand-in clock's frame code, port and wire log.
#include "StandinWire.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace standin {

int Checksum(const std::string& payload) {
    int sum = 0;
    for (unsigned char c : payload) sum += c >= 128 ? int(c) - 256 : int(c);
    return sum & 0xFFFF;
}

std::string ClockFrame(const std::string& payload, int checkOffset) {
    static const char* hex = "0123456789ABCDEF";
    int v = (Checksum(payload) + checkOffset) & 0xFFFF;
    std::string out = payload;
    out += '\t';
    for (int shift = 12; shift >= 0; shift -= 4) out += hex[(v >> shift) & 0xF];
    out += "\r\n";
    return out;
}

bool Receiver::Parse(const std::string& line, std::string* payload) {
    std::string l = line;
    if (!l.empty() && l.back() == '\r') l.pop_back();
    size_t tab = l.find('\t');
    if (l.empty() || l[0] != '#' || tab == std::string::npos || l.size() - tab - 1 != 4) {
        *payload = l;
        return false;
    }
    *payload = l.substr(1, tab - 1);
    char* end = nullptr;
    std::string digits = l.substr(tab + 1);
    long v = strtol(digits.c_str(), &end, 16);
    return end && *end == 0 && v == Checksum(*payload);
}

static speed_t BaudConstant(int baud) {
    switch (baud) {
        case 2400:
            return B2400;
        case 4800:
            return B4800;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        default:
            return B9600;
    }
}

static void MakeRaw(int fd, int baud) {
    termios t{};
    if (tcgetattr(fd, &t) != 0) return;
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    cfsetispeed(&t, BaudConstant(baud));
    cfsetospeed(&t, BaudConstant(baud));
    tcsetattr(fd, TCSANOW, &t);
}

Port::~Port() {
    if (fd_ >= 0) close(fd_);
    if (slaveKeep_ >= 0) close(slaveKeep_);
}

bool Port::OpenPty(std::string* slavePath) {
    fd_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (fd_ < 0 || grantpt(fd_) != 0 || unlockpt(fd_) != 0) return false;
    const char* name = ptsname(fd_);
    if (!name) return false;
    *slavePath = name;
    // Raw from the start, so nothing is echoed back before the program opens it.
    slaveKeep_ = open(name, O_RDWR | O_NOCTTY);
    if (slaveKeep_ >= 0) MakeRaw(slaveKeep_, 9600);
    pty_ = true;
    return true;
}

bool Port::OpenDevice(const std::string& path, int baud) {
    fd_ = open(path.c_str(), O_RDWR | O_NOCTTY);
    if (fd_ < 0) return false;
    MakeRaw(fd_, baud);
    return true;
}

void Port::SetSpeed(int baud) {
    if (!pty_ && fd_ >= 0) MakeRaw(fd_, baud);
}

bool Port::Write(const std::string& bytes) {
    size_t done = 0;
    while (fd_ >= 0 && done < bytes.size()) {
        ssize_t n = write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) {
                usleep(1000);
                continue;
            }
            return false;
        }
        done += size_t(n);
    }
    return fd_ >= 0;
}

void Port::HangUp() {
    if (slaveKeep_ >= 0) close(slaveKeep_);
    slaveKeep_ = -1;
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

TcpLine::~TcpLine() {
    Drop();
    if (filler_ >= 0) close(filler_);
    if (listen_ >= 0) close(listen_);
}

bool TcpLine::Listen(const std::string& address, int port, bool unanswered, int* boundPort) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    if (inet_pton(AF_INET, address.c_str(), &a.sin_addr) != 1) return false;
    listen_ = socket(AF_INET, SOCK_STREAM, 0);
    if (listen_ < 0) return false;
    int on = 1;
    setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (bind(listen_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return false;
    unanswered_ = unanswered;
    if (listen(listen_, unanswered ? 0 : 4) != 0) return false;
    socklen_t length = sizeof a;
    getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &length);
    *boundPort = ntohs(a.sin_port);
    if (unanswered) {
        // One connection of its own fills the queue; the next attempts wait unanswered.
        if (a.sin_addr.s_addr == htonl(INADDR_ANY)) a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        filler_ = socket(AF_INET, SOCK_STREAM, 0);
        if (filler_ < 0 || connect(filler_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return false;
    }
    return true;
}

void TcpLine::Accept() {
    const int fd = accept(listen_, nullptr, nullptr);
    if (fd < 0) return;
    if (client_ >= 0) {
        close(fd);  // busy: one program at a time
        return;
    }
    int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);  // a frame leaves at once
    client_ = fd;
}

bool TcpLine::Write(const std::string& bytes) {
    size_t done = 0;
    while (client_ >= 0 && done < bytes.size()) {
        ssize_t n = send(client_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) {
                usleep(1000);
                continue;
            }
            Drop();
            return false;
        }
        done += size_t(n);
    }
    return client_ >= 0;
}

void TcpLine::Drop() {
    if (client_ >= 0) close(client_);
    client_ = -1;
}

bool WireLog::Open(const std::string& path) {
    f_ = fopen(path.c_str(), "w");
    return f_ != nullptr;
}

void WireLog::Add(const std::string& line) {
    if (!f_) return;
    fprintf(f_, "%s\n", line.c_str());
    fflush(f_);
}

WireLog::~WireLog() {
    if (f_) fclose(f_);
}

}  // namespace standin
