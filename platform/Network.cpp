// The clock over TCP (its Ethernet module, or a serial device server in raw TCP
// mode) behind the serial port's operations: own input queue, line-feed callback,
// line reads, connection loss. The program only connects out; it listens on nothing.
#ifdef __linux__
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

#include <QAbstractSocket>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QNetworkProxy>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/Encoding.h"
#include "platform/NetworkPort.h"

namespace {

// The one connection answers to the first number after the 64 serial ports.
constexpr int kNetworkPort = 65;
// A clock that vanishes without closing (its power cut, the network gone, the computer woken
// from sleep) sends nothing more, and the program sends nothing while the clock is quiet: the
// system then asks after it once it has been silent 5 s, every 2 s, and gives the connection up
// 15 s after the last answer (by default it would wait two hours), which tells the operator.
[[maybe_unused]] constexpr int kSilentSeconds = 5, kProbeSeconds = 2, kProbes = 5;
[[maybe_unused]] constexpr unsigned kGiveUpMs = 15000;
constexpr qsizetype kInputLimit = qsizetype(1) << 20;  // as the serial port's queue

enum { kErrNotOpen = -3, kErrWrite = -10 };
enum { kStatusInputLost = 0x0001, kStatusPortError = 0x0002 };

struct Connection {
    std::unique_ptr<QTcpSocket> socket;  // made once, reused by every connection
    bool open = false;                   // connected, and not lost since
    bool connecting = false;
    QByteArray input;  // bytes received, still delivered after the connection went away
    double timeout = 10.0;
    ComCallbackPtr callback = nullptr;
    void* callbackData = nullptr;
    int eventMask = 0;
    int eventChar = -1;
    int status = 0;
    int busy = 0;  // inside a read, a write, or the callback
    bool notifyPending = false;
    bool lossUnreported = false;  // lost: reported once what came before has been read
};

Connection g_net;

// What is still to read: while open, or what came before the far end went away.
bool Readable() {
    return g_net.open || !g_net.input.isEmpty();
}

void Pull() {
    if (!g_net.socket) return;
    QByteArray chunk = g_net.socket->readAll();
    if (chunk.isEmpty()) return;
    if (g_net.input.size() + chunk.size() > kInputLimit) {
        g_net.status |= kStatusInputLost;
        return;
    }
    g_net.input.append(chunk);
    if (g_net.callback && (g_net.eventMask & LWRS_RXFLAG) && g_net.eventChar >= 0 &&
        chunk.contains(char(g_net.eventChar)))
        g_net.notifyPending = true;
}

void Notify() {
    if (g_net.busy > 0) return;
    while (g_net.notifyPending && g_net.callback && Readable()) {
        g_net.notifyPending = false;
        ComCallbackPtr cb = g_net.callback;
        ++g_net.busy;
        cb(kNetworkPort, LWRS_RXFLAG, g_net.callbackData);
        --g_net.busy;
    }
    g_net.notifyPending = false;
    if (g_net.lossUnreported) {
        g_net.lossUnreported = false;
        g_net.status |= kStatusPortError;
    }
}

// The callback runs from event processing only, never inside one of our own reads or
// writes: those re-check when they end.
void NotifyLater() {
    if (!(g_net.notifyPending || g_net.lossUnreported) || !g_net.socket) return;
    QMetaObject::invokeMethod(
        g_net.socket.get(), [] { Notify(); }, Qt::QueuedConnection);
}

// The far end closed, reset or vanished: one port error, raised once what arrived
// before has been read, so the times the clock sent just before are kept and the
// reading of them does not take the error for its own.
void Lost() {
    if (!g_net.open) return;
    Pull();
    g_net.open = false;
    g_net.lossUnreported = true;
    if (g_net.busy == 0)
        Notify();
    else
        NotifyLater();
    QMetaObject::invokeMethod(
        g_net.socket.get(),
        [] {
            if (!g_net.open && !g_net.connecting) g_net.socket->abort();
        },
        Qt::QueuedConnection);
}

QTcpSocket& Socket() {
    if (!g_net.socket) {
        g_net.socket = std::make_unique<QTcpSocket>();
        QTcpSocket* s = g_net.socket.get();
        QObject::connect(s, &QTcpSocket::readyRead, s, [] {
            if (!g_net.open) return;
            Pull();
            Notify();
        });
        QObject::connect(s, &QTcpSocket::disconnected, s, [] { Lost(); });
        QObject::connect(s, &QTcpSocket::errorOccurred, s, [](QAbstractSocket::SocketError e) {
            if (e != QAbstractSocket::SocketTimeoutError) Lost();
        });
    }
    return *g_net.socket;
}

int OpeningError(const QTcpSocket& s, bool timedOut) {
    if (timedOut) return s.state() == QAbstractSocket::HostLookupState ? NET_UNKNOWN_HOST : NET_NO_ANSWER;
    switch (s.error()) {
        case QAbstractSocket::ConnectionRefusedError:
            return NET_REFUSED;
        case QAbstractSocket::HostNotFoundError:
            return NET_UNKNOWN_HOST;
        case QAbstractSocket::SocketTimeoutError:
            return NET_NO_ANSWER;
        default:
            return NET_UNREACHABLE;
    }
}

class BusyScope {
public:
    BusyScope() { ++g_net.busy; }
    ~BusyScope() {
        if (--g_net.busy == 0) NotifyLater();
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
};

}  // namespace

int OpenComNetwork(const char* host, int tcpPort, double timeoutSeconds) {
    if (!QCoreApplication::instance() || !host) return NET_UNREACHABLE;
    qs::rt::NetClose();
    QTcpSocket& s = Socket();
    s.abort();
    s.setProxy(QNetworkProxy::NoProxy);  // the clock is on the local network
    g_net.connecting = true;
    // The wait lets the window repaint (the wait box stays alive) but takes no input,
    // so the operator cannot start another action meanwhile.
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    bool ended = false, timedOut = false;
    auto end = [&] {
        ended = true;
        loop.quit();
    };
    QObject::connect(&s, &QTcpSocket::connected, &loop, end);
    QObject::connect(&s, &QTcpSocket::errorOccurred, &loop, end);
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        end();
    });
    deadline.start(int(std::max(0.0, timeoutSeconds) * 1000.0));
    s.connectToHost(qs::rt::FromCp1252(host).trimmed(), quint16(std::clamp(tcpPort, 0, 65535)));
    if (!ended && s.state() != QAbstractSocket::ConnectedState) loop.exec(QEventLoop::ExcludeUserInputEvents);
    QObject::disconnect(&s, nullptr, &loop, nullptr);
    g_net.connecting = false;
    if (s.state() != QAbstractSocket::ConnectedState) {
        const int code = OpeningError(s, timedOut);
        s.abort();
        return code;
    }
    s.setSocketOption(QAbstractSocket::LowDelayOption, 1);  // a frame leaves at once
    s.setSocketOption(QAbstractSocket::KeepAliveOption, 1);
#ifdef __linux__
    const int fd = int(s.socketDescriptor());
    for (auto [option, value] :
         {std::pair{TCP_KEEPIDLE, kSilentSeconds}, {TCP_KEEPINTVL, kProbeSeconds}, {TCP_KEEPCNT, kProbes}})
        setsockopt(fd, IPPROTO_TCP, option, &value, sizeof value);
    setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &kGiveUpMs, sizeof kGiveUpMs);
#endif
    g_net.open = true;
    g_net.input.clear();
    g_net.status = 0;
    g_net.timeout = 10.0;
    g_net.callback = nullptr;
    g_net.notifyPending = false;
    g_net.lossUnreported = false;
    qs::rt::SetComError(0);
    return kNetworkPort;
}

namespace qs::rt {

bool IsNetworkPort(int port) {
    return port == kNetworkPort;
}

int NetClose() {
    const bool wasOpen = g_net.open;
    g_net.open = false;
    g_net.callback = nullptr;
    g_net.input.clear();
    g_net.notifyPending = false;
    g_net.lossUnreported = false;
    g_net.status = 0;
    if (g_net.socket) {
        if (g_net.busy == 0)
            g_net.socket->abort();
        else  // closed from inside its own notification: let that unwind first
            QMetaObject::invokeMethod(
                g_net.socket.get(),
                [] {
                    if (!g_net.open && !g_net.connecting) g_net.socket->abort();
                },
                Qt::QueuedConnection);
    }
    if (!wasOpen) {
        SetComError(kErrNotOpen);
        return kErrNotOpen;
    }
    return 0;
}

void NetShutdown() {
    NetClose();
    g_net.socket.reset();
}

int NetSetTime(double seconds) {
    if (!g_net.open) return kErrNotOpen;
    g_net.timeout = seconds < 0 ? 0 : seconds;
    return 0;
}

int NetFlushIn() {
    if (!g_net.open) return kErrNotOpen;
    g_net.socket->readAll();
    g_net.input.clear();
    g_net.notifyPending = false;
    return 0;
}

// The error bits since the last call (reading clears them): a lost connection reports once.
int NetStatus() {
    const int status = g_net.status;
    g_net.status = 0;
    return status;
}

int NetInQLen() {
    if (g_net.open) {
        Pull();
        NotifyLater();
    }
    return int(g_net.input.size());
}

int NetWrite(const char* buffer, int count) {
    if (!g_net.open) return kErrNotOpen;
    if (count <= 0) return 0;
    BusyScope busy;
    QTcpSocket& s = *g_net.socket;
    const qint64 n = s.write(buffer, count);
    if (n < 0) return kErrWrite;
    QDeadlineTimer deadline(qint64(std::min(g_net.timeout, 5.0) * 1000));
    while (g_net.open && s.bytesToWrite() > 0 && !deadline.hasExpired())
        s.waitForBytesWritten(int(std::max<qint64>(1, deadline.remainingTime())));
    if (!g_net.open) return kErrNotOpen;
    return int(n);
}

int NetReadTerm(char* buffer, int maxCount, int termChar) {
    if (!Readable()) return kErrNotOpen;
    if (maxCount <= 0) return 0;
    BusyScope busy;
    QDeadlineTimer deadline(qint64(g_net.timeout * 1000));
    if (g_net.open) Pull();
    SetComError(0);
    for (;;) {
        // As on the serial port: only a terminator among the first maxCount bytes ends
        // the line here.
        const qsizetype end = termChar >= 0 ? g_net.input.indexOf(char(termChar)) : -1;
        if (end >= 0 && end < maxCount) {
            memcpy(buffer, g_net.input.constData(), size_t(end));
            g_net.input.remove(0, end + 1);
            return int(end);
        }
        if (g_net.input.size() >= maxCount) break;
        if (!g_net.open || deadline.hasExpired()) {
            SetComError(g_net.open ? int(RS232_TIMEOUT) : int(kErrNotOpen));
            break;
        }
        QTcpSocket& s = *g_net.socket;
        // A connection that went away without a signal yet would end every wait at once.
        if (!s.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime()))) &&
            s.state() != QAbstractSocket::ConnectedState)
            Lost();
        if (g_net.open) Pull();
    }
    if (g_net.input.isEmpty()) {
        if (!g_net.open) return kErrNotOpen;
        return 0;
    }
    const int n = int(std::min<qsizetype>(maxCount, g_net.input.size()));
    memcpy(buffer, g_net.input.constData(), size_t(n));
    g_net.input.remove(0, n);
    return n;
}

int NetInstallCallback(int eventMask, int eventCharacter, ComCallbackPtr cb, void* callbackData) {
    if (!g_net.open) return kErrNotOpen;
    g_net.callback = cb;
    g_net.callbackData = callbackData;
    g_net.eventMask = eventMask;
    g_net.eventChar = eventCharacter;
    return 0;
}

}  // namespace qs::rt
