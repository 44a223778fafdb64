// Serial ports by number over QSerialPort: own input queue, line-feed callback, line reads, port loss.
#include <unistd.h>
#ifndef _WIN32
#include <sys/ioctl.h>
#endif

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <array>
#include <memory>

#include "lib/StrBuf.h"
#include "platform/Encoding.h"
#include "platform/NetworkPort.h"
#include "platform/Runtime.h"

namespace {

constexpr int kMaxPort = 64;
constexpr qsizetype kInputLimit = qsizetype(1) << 20;  // far above any burst the clock sends

enum {
    kErrUnknown = -1,
    kErrPortNumber = -2,
    kErrNotOpen = -3,
    kErrBaud = -4,
    kErrParity = -5,
    kErrDataBits = -6,
    kErrStopBits = -7,
    kErrCannotOpen = -8,
    kErrPortMissing = kRS232PortMissing,  // no such device (USB adapter not plugged in)
    kErrPortDenied = kRS232PortDenied,    // the device is there, the operator may not open it
    kErrPortBusy = kRS232PortBusy,        // another program holds the port
    kErrWrite = -10,
    kErrTimeout = RS232_TIMEOUT,
};

// Status bits of GetComStat.
enum { kStatusInputLost = 0x0001, kStatusPortError = 0x0002 };

struct Port {
    std::unique_ptr<QSerialPort> device;  // kept for the whole run once made; only closed
    bool open = false;
    bool vanished = false;  // the device went away while open
    QByteArray input;
    double timeout = 10.0;
    ComCallbackPtr callback = nullptr;
    void* callbackData = nullptr;
    int eventMask = 0;
    int eventChar = -1;
    int status = 0;
    int busy = 0;  // inside a read, a write, or the callback
    bool notifyPending = false;
};

std::array<Port, kMaxPort + 1> g_ports;
int g_lastError = 0;

bool ValidPort(int port) {
    return port >= 1 && port <= kMaxPort;
}

void Notify(int port);

// Takes what the device has received into the port's own queue.
void Pull(int port) {
    Port& p = g_ports[port];
    if (!p.device || !p.open) return;
    QByteArray chunk = p.device->readAll();
    if (chunk.isEmpty()) return;
    if (p.input.size() + chunk.size() > kInputLimit) {
        p.status |= kStatusInputLost;
        return;
    }
    p.input.append(chunk);
    if (p.callback && (p.eventMask & LWRS_RXFLAG) && p.eventChar >= 0 && chunk.contains(char(p.eventChar)))
        p.notifyPending = true;
}

// The callback runs from event processing only, never inside one of our own reads
// or writes: those re-check when they end.
void NotifyLater(int port) {
    Port& p = g_ports[port];
    if (!p.notifyPending || !p.device) return;
    QMetaObject::invokeMethod(
        p.device.get(), [port] { Notify(port); }, Qt::QueuedConnection);
}

void Notify(int port) {
    Port& p = g_ports[port];
    if (p.busy > 0) return;
    while (p.notifyPending && p.open && p.callback) {
        p.notifyPending = false;
        ComCallbackPtr cb = p.callback;
        ++p.busy;
        cb(port, LWRS_RXFLAG, p.callbackData);
        --p.busy;
    }
    p.notifyPending = false;
}

void CloseDevice(int port) {
    Port& p = g_ports[port];
    if (!p.device || !p.device->isOpen()) return;
    if (p.busy == 0) {
        p.device->close();
        return;
    }
    // Closed from inside its own notification: let that notification unwind first.
    QMetaObject::invokeMethod(
        p.device.get(),
        [port] {
            Port& q = g_ports[port];
            if (!q.open && q.device->isOpen()) q.device->close();
        },
        Qt::QueuedConnection);
}

// A pulled USB adapter or a far end that hung up: one port error, the port closed
// (QSerialPort would otherwise report it on every pass at full CPU).
void OnError(int port, QSerialPort::SerialPortError error) {
    Port& p = g_ports[port];
    switch (error) {
        case QSerialPort::NoError:
        case QSerialPort::TimeoutError:
            return;
        case QSerialPort::ResourceError:
        case QSerialPort::ReadError:
        case QSerialPort::WriteError:
        case QSerialPort::PermissionError:
            if (!p.open || p.vanished) return;
            p.vanished = true;
            p.open = false;
            p.status |= kStatusPortError;
            p.input.clear();
            p.notifyPending = false;
            g_lastError = kErrUnknown;
            QMetaObject::invokeMethod(
                p.device.get(),
                [port] {
                    Port& q = g_ports[port];
                    if (!q.open && q.device->isOpen()) q.device->close();
                },
                Qt::QueuedConnection);
            return;
        default:
            p.status |= kStatusPortError;
            return;
    }
}

QSerialPort& Device(int port) {
    Port& p = g_ports[port];
    if (!p.device) {
        p.device = std::make_unique<QSerialPort>();
        QObject::connect(p.device.get(), &QSerialPort::readyRead, p.device.get(), [port] {
            Pull(port);
            Notify(port);
        });
        QObject::connect(p.device.get(), &QSerialPort::errorOccurred, p.device.get(),
                         [port](QSerialPort::SerialPortError e) { OnError(port, e); });
    }
    return *p.device;
}

QString DeviceOf(int port) {
    QString link = qs::rt::ProgramDir() + QStringLiteral("/Ports/COM%1").arg(port);
    QFileInfo info(link);
    if (info.exists()) {
        // Opened by its real name: the serial library locks by device name.
        QString target = info.canonicalFilePath();
        return target.isEmpty() ? link : target;
    }
#ifdef _WIN32
    // Windows names its serial ports by the same numbers.
    return QStringLiteral("COM%1").arg(port);
#else
    // QS310_DEVICE_DIR stands in for /dev: a machine's own ports are then left out (a test of
    // a machine without ports, or a folder of links to ports under other names).
    const QString dev = qEnvironmentVariableIsSet("QS310_DEVICE_DIR")
                            ? qEnvironmentVariable("QS310_DEVICE_DIR")
                            : QStringLiteral("/dev");
    if (port <= 32) return dev + QStringLiteral("/ttyS%1").arg(port - 1);
    if (port <= 48) return dev + QStringLiteral("/ttyUSB%1").arg(port - 33);
    return dev + QStringLiteral("/ttyACM%1").arg(port - 49);
#endif
}

// Why a port did not open, in the operator's terms: the three have different remedies.
int OpenFailure(QSerialPort::SerialPortError error, const QString& device) {
    if (error == QSerialPort::DeviceNotFoundError) return kErrPortMissing;
    if (error != QSerialPort::PermissionError) return kErrCannotOpen;
#ifdef _WIN32
    return kErrPortBusy;  // Windows reports a port another program holds as access denied
#else
    // The serial library reports a device it may not open and one that another program
    // holds (locked or exclusive) alike; the file's own access rights tell them apart.
    if (!QFileInfo::exists(device)) return kErrPortMissing;
    return access(QFile::encodeName(device).constData(), R_OK | W_OK) != 0 ? kErrPortDenied : kErrPortBusy;
#endif
}

int Fail(int code) {
    g_lastError = code;
    return code;
}

// A network port's result: its errors are remembered as the serial ones are.
int Net(int result) {
    return result < 0 ? Fail(result) : result;
}

class BusyScope {
public:
    explicit BusyScope(int port) : port_(port) { ++g_ports[port].busy; }
    ~BusyScope() {
        --g_ports[port_].busy;
        if (g_ports[port_].busy == 0) NotifyLater(port_);
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    int port_;
};

}  // namespace

namespace qs::rt {

void SetComError(int code) {
    g_lastError = code;
}

void CloseAllPorts() {
    NetShutdown();
    for (int port = 1; port <= kMaxPort; ++port) {
        Port& p = g_ports[port];
        p.open = false;
        p.callback = nullptr;
        if (p.device) p.device->close();
        p.device.reset();
    }
}

}  // namespace qs::rt

void ComPortDevice(int port, char* out, size_t size) {
    qs::rt::CopyCp1252(ValidPort(port) ? DeviceOf(port) : QString(), out, size);
}

void ComPortDescription(int port, char* out, size_t size) {
    QString text;
    if (ValidPort(port) && QCoreApplication::instance()) {
        const QString device = DeviceOf(port);
        for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
            if (info.systemLocation() != device && info.portName() != device) continue;
            text = info.description();
            if (!info.manufacturer().isEmpty() && !text.contains(info.manufacturer()))
                text = text.isEmpty() ? info.manufacturer() : info.manufacturer() + QLatin1Char(' ') + text;
            break;
        }
    }
    qs::rt::CopyCp1252(text.simplified(), out, size);
}

int OpenComConfig(int port, const char* deviceName, long baudRate, int parity, int dataBits, int stopBits,
                  int inputQueueSize, int outputQueueSize) {
    (void)inputQueueSize;
    (void)outputQueueSize;
    if (!ValidPort(port)) return Fail(kErrPortNumber);
    if (baudRate <= 0) return Fail(kErrBaud);
    if (parity < 0 || parity > 4) return Fail(kErrParity);
    if (dataBits < 5 || dataBits > 8) return Fail(kErrDataBits);
    if (stopBits < 1 || stopBits > 2) return Fail(kErrStopBits);
    if (!QCoreApplication::instance()) return Fail(kErrUnknown);
    Port& p = g_ports[port];
    if (p.open || p.vanished) CloseCom(port);
    QSerialPort& d = Device(port);
    if (d.isOpen()) d.close();
    QString name = deviceName && *deviceName ? qs::rt::FromCp1252(deviceName) : DeviceOf(port);
    d.setPortName(name);
    static const QSerialPort::Parity kParity[] = {QSerialPort::NoParity, QSerialPort::OddParity,
                                                  QSerialPort::EvenParity, QSerialPort::MarkParity,
                                                  QSerialPort::SpaceParity};
    d.setBaudRate(qint32(baudRate));
    d.setParity(kParity[parity]);
    d.setDataBits(QSerialPort::DataBits(dataBits));
    d.setStopBits(stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    d.setFlowControl(QSerialPort::NoFlowControl);
    if (!d.open(QIODevice::ReadWrite)) {
        const int code = OpenFailure(d.error(), name);
        d.clearError();
        return Fail(code);
    }
    p.open = true;
    p.vanished = false;
    p.input.clear();
    p.status = 0;
    p.timeout = 10.0;
    p.callback = nullptr;
    p.notifyPending = false;
    g_lastError = 0;
    return 0;
}

int OpenCom(int port, const char* deviceName) {
    return OpenComConfig(port, deviceName, 9600, 0, 8, 1, 512, 512);
}

int CloseCom(int port) {
    if (qs::rt::IsNetworkPort(port)) return Net(qs::rt::NetClose());
    if (!ValidPort(port)) return Fail(kErrPortNumber);
    Port& p = g_ports[port];
    bool wasOpen = p.open || p.vanished;
    p.open = false;
    p.vanished = false;
    p.callback = nullptr;
    p.input.clear();
    p.notifyPending = false;
    p.status = 0;
    CloseDevice(port);
    return wasOpen ? 0 : Fail(kErrNotOpen);
}

int SetComTime(int port, double seconds) {
    if (qs::rt::IsNetworkPort(port)) return Net(qs::rt::NetSetTime(seconds));
    if (!ValidPort(port)) return Fail(kErrPortNumber);
    if (!g_ports[port].open) return Fail(kErrNotOpen);
    g_ports[port].timeout = seconds < 0 ? 0 : seconds;
    return 0;
}

int ReturnRS232Err() {
    return g_lastError;
}

const char* GetRS232ErrorString(int code) {
    switch (code) {
        case 0:
            return "No error";
        case kErrUnknown:
            return "Unknown system error";
        case kErrPortNumber:
            return "Invalid port number";
        case kErrNotOpen:
            return "Port is not open";
        case kErrBaud:
            return "Invalid baud rate";
        case kErrParity:
            return "Invalid parity";
        case kErrDataBits:
            return "Invalid number of data bits";
        case kErrStopBits:
            return "Invalid number of stop bits";
        case kErrCannotOpen:
            return "Cannot open port";
        case kErrPortMissing:
            return "No such port";
        case kErrPortDenied:
            return "No permission to open the port";
        case kErrPortBusy:
            return "Port in use by another program";
        case kErrWrite:
            return "Error writing to the port";
        case kErrTimeout:
            return "Timeout error";
        default:
            return "Unknown RS-232 error";
    }
}

int FlushInQ(int port) {
    if (qs::rt::IsNetworkPort(port)) return Net(qs::rt::NetFlushIn());
    if (!ValidPort(port)) return Fail(kErrPortNumber);
    Port& p = g_ports[port];
    if (!p.open) return Fail(kErrNotOpen);
    p.device->clear(QSerialPort::Input);
    p.device->readAll();
    p.input.clear();
    p.notifyPending = false;
    return 0;
}

int FlushOutQ(int port) {
    if (qs::rt::IsNetworkPort(port)) return 0;  // a socket sends at once: nothing waits to go
    if (!ValidPort(port)) return Fail(kErrPortNumber);
    Port& p = g_ports[port];
    if (!p.open) return Fail(kErrNotOpen);
    p.device->clear(QSerialPort::Output);
    return 0;
}

// The error bits since the last call (reading clears them): a lost port reports once.
int GetComStat(int port) {
    if (qs::rt::IsNetworkPort(port)) return qs::rt::NetStatus();
    if (!ValidPort(port)) return Fail(kErrPortNumber);
    int status = g_ports[port].status;
    g_ports[port].status = 0;
    return status;
}

namespace {

// Whether the system has received bytes the device has not fetched yet. Asked first, as a
// stream of times asks after every line: the fetch itself polls the device and, with nothing
// there, reports a time-out with a translated message.
bool SystemHoldsInput(QSerialPort& device) {
#ifdef _WIN32
    Q_UNUSED(device);
    return true;
#else
    int n = 0;
    if (ioctl(int(device.handle()), FIONREAD, &n) != 0) return true;  // let the fetch find out
    return n > 0;
#endif
}

}  // namespace

int GetInQLen(int port) {
    if (qs::rt::IsNetworkPort(port)) return qs::rt::NetInQLen();
    if (!ValidPort(port)) return Fail(kErrPortNumber);
    Port& p = g_ports[port];
    if (!p.open) return 0;
    // What the system already holds counts too: a caller about to empty the queue reads the
    // whole lines first, and the system's buffer goes with the queue. The notification this
    // fetch may raise waits for the event processing, as for our own reads.
    if (SystemHoldsInput(*p.device)) {
        BusyScope busy(port);
        p.device->waitForReadyRead(0);
    }
    Pull(port);
    NotifyLater(port);
    return int(p.input.size());
}

int ComWrt(int port, const char* buffer, int count) {
    if (qs::rt::IsNetworkPort(port)) return Net(qs::rt::NetWrite(buffer, count));
    if (!ValidPort(port)) return Fail(kErrPortNumber);
    Port& p = g_ports[port];
    if (!p.open) return Fail(kErrNotOpen);
    if (count <= 0) return 0;
    BusyScope busy(port);
    qint64 n = p.device->write(buffer, count);
    if (n < 0) return Fail(kErrWrite);
    QDeadlineTimer deadline(qint64(std::min(p.timeout, 5.0) * 1000));
    while (p.open && p.device->bytesToWrite() > 0 && !deadline.hasExpired())
        p.device->waitForBytesWritten(int(std::max<qint64>(1, deadline.remainingTime())));
    if (!p.open) return Fail(kErrNotOpen);
    return int(n);
}

int ComRdTerm(int port, char* buffer, int maxCount, int termChar) {
    if (qs::rt::IsNetworkPort(port)) return Net(qs::rt::NetReadTerm(buffer, maxCount, termChar));
    if (!ValidPort(port)) return Fail(kErrPortNumber);
    Port& p = g_ports[port];
    if (!p.open) return Fail(kErrNotOpen);
    if (maxCount <= 0) return 0;
    BusyScope busy(port);
    QDeadlineTimer deadline(qint64(p.timeout * 1000));
    Pull(port);
    g_lastError = 0;
    for (;;) {
        // Only a terminator among the first maxCount bytes ends the line here: one
        // right after a full buffer belongs to the next read, which then returns
        // zero bytes, so the caller always knows whether its line has ended.
        qsizetype end = termChar >= 0 ? p.input.indexOf(char(termChar)) : -1;
        if (end >= 0 && end < maxCount) {
            memcpy(buffer, p.input.constData(), size_t(end));
            p.input.remove(0, end + 1);
            return int(end);
        }
        if (p.input.size() >= maxCount) break;
        if (!p.open || deadline.hasExpired()) {
            g_lastError = p.open ? kErrTimeout : kErrNotOpen;
            break;
        }
        p.device->waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())));
        Pull(port);
    }
    if (!p.open && p.input.isEmpty()) return Fail(kErrNotOpen);
    int n = int(std::min<qsizetype>(maxCount, p.input.size()));
    memcpy(buffer, p.input.constData(), size_t(n));
    p.input.remove(0, n);
    return n;
}

int InstallComCallback(int port, int eventMask, int notifyCount, int eventCharacter, ComCallbackPtr cb,
                       void* callbackData) {
    (void)notifyCount;
    if (qs::rt::IsNetworkPort(port))
        return Net(qs::rt::NetInstallCallback(eventMask, eventCharacter, cb, callbackData));
    if (!ValidPort(port)) return Fail(kErrPortNumber);
    Port& p = g_ports[port];
    if (!p.open) return Fail(kErrNotOpen);
    p.callback = cb;
    p.callbackData = callbackData;
    p.eventMask = eventMask;
    p.eventChar = eventCharacter;
    return 0;
}
