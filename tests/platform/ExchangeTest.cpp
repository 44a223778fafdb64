// What the layer exchanges with the outside: files, the journal, the clock's line, the live view.
#include <gtest/gtest.h>
#include <net/if.h>
#include <poll.h>
#include <pty.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QWebSocket>
#include <chrono>
#include <clocale>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Encoding.h"
#include "platform/Journal.h"
#include "platform/Runtime.h"
#include "platform/WebServer.h"
#include "platform/cvi.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;
using namespace qstest;

namespace {

int g_port = 7;  // the serial port under test, or the network clock's
std::vector<std::string> g_lines;

std::string Read(int size) {
    char buf[257];
    const int n = ComRdTerm(g_port, buf, size, 10);
    return n < 0 ? "error" : std::string(buf, size_t(n));
}

// The clock's end: a pseudo-terminal linked as "Ports/COM7" (where port numbers look first), or a socket.
struct FarEnd {
    int fd = -1;
    FarEnd(const std::string& folder, bool network) {
        if (network) {
            QTcpServer server;  // accepted below, not by the event loop
            server.listen(QHostAddress::LocalHost);
            server.pauseAccepting();
            g_port = OpenComNetwork("127.0.0.1", server.serverPort(), 2);
            fd = accept(int(server.socketDescriptor()), nullptr, nullptr);
            return;
        }
        char slave[128];
        int s = -1;
        openpty(&fd, &s, slave, nullptr, nullptr);
        close(s);  // the port under test opens it by its name
        fs::create_directories(folder + "/Ports");
        fs::remove(folder + "/Ports/COM7");
        fs::create_symlink(slave, folder + "/Ports/COM7");
        g_port = OpenComConfig(7, "", 57600, 0, 8, 1, 512, 512) == 0 ? 7 : -1;
    }
    ~FarEnd() { Hangup(); }
    void Hangup() { close(std::exchange(fd, -1)); }  // once closed, closing again does nothing
    void Send(std::string_view b) const { EXPECT_EQ(write(fd, b.data(), b.size()), ssize_t(b.size())); }
};

// Sends its request, reads until the server closes or the answer is whole (head and body announced).
struct Client : QTcpSocket {
    explicit Client(const std::string& request = "", int readBuffer = 0) {
        setReadBufferSize(readBuffer);  // a client that never reads takes no more than this
        if (readBuffer) setSocketOption(ReceiveBufferSizeSocketOption, readBuffer);
        connectToHost(QStringLiteral("127.0.0.1"), quint16(WebServerPort()));
        waitForConnected(2000);
        write(request.data(), qint64(request.size()));
    }
    std::string Read(bool untilClosed = true, double seconds = 5) {
        const auto done = [&] {
            got += readAll().toStdString();
            const size_t head = got.find("\r\n\r\n"), length = got.find("Content-Length: ");
            const size_t whole = head + 4 + (length < head ? atol(&got[length + 16]) : 0);
            return state() == UnconnectedState || (!untilClosed && head != got.npos && got.size() >= whole);
        };
        PumpUntil(done, seconds);
        return got;
    }
    std::string got;
};

// A browser's request to become a viewer, after its path.
const std::string kUpgrade =
    " HTTP/1.1\r\nHost: h\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
    "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n";

// A viewer of the live view, its messages kept in order.
struct Viewer : QWebSocket {
    Viewer() {
        connect(this, &QWebSocket::textMessageReceived, [this](const QString& m) { got.push_back(m); });
        open(QUrl(QStringLiteral("ws://127.0.0.1:%1/k3y/ws").arg(WebServerPort())));
    }
    std::vector<QString> got;
};

}  // namespace

TEST(PlatformFiles, WritesAreAtomicReadsBoundedPathsStayInTheirFolderJournalBounded) {
    EnsureRuntime();
    TempProgramDir dir(false);  // the current folder
    for (const char* sub : {"Settings", "Data/sub", "Data2", "Logs"}) fs::create_directories(sub);
    WriteFileBytes("Settings/a.q31set", std::string(100, 'a'));
    EXPECT_EQ(FileWriteAtomic("Settings\\a.q31set", "\x01\x00\x02", 3), 0);  // Windows separators
    EXPECT_EQ(ReadFileBytes("Settings/a.q31set"), std::string("\x01\x00\x02", 3));
    EXPECT_EQ(std::distance(fs::directory_iterator("Settings"), {}), 1);  // no temporary left
    // The file gets what an ordinary new file gets under the process's mask, which is kept.
    const mode_t mask = umask(022);
    EXPECT_EQ(FileWriteAtomic("Settings/b.q31set", "b", 1), 0);
    EXPECT_EQ(fs::status("Settings/b.q31set").permissions(), fs::perms(0644));
    EXPECT_EQ(umask(mask), mode_t(022));
    const std::string longest = "Settings/" + std::string(253, 'n') + "\xE9";  // 255 bytes, the most
    EXPECT_EQ(FileWriteAtomic(longest.c_str(), "x", 1), 0);
    EXPECT_TRUE(FileWriteAtomic("Nowhere\\rec.bin", "xyz", 3) == -1 && !fs::exists("Nowhere"));
    char buf[8], drive[260], folder[260], file[260];
    long size = 0;
    WriteFileBytes("f.bin", "0123456789");
    EXPECT_EQ(FileReadUpTo("missing.bin", buf, sizeof buf), -1);
    EXPECT_EQ(FileReadUpTo("f.bin", buf, sizeof buf), 8);
    EXPECT_EQ((std::tuple{FileExists("f.bin", &size), size, std::string(buf, 8)}),
              std::tuple(1, 10L, "01234567"));
    EXPECT_EQ(CopyFile("f.bin", "f.bin"), 0);  // onto itself: kept whole
    EXPECT_EQ(CopyFile("f.bin", "Settings\\copy.bin"), 0);
    EXPECT_EQ(ReadFileBytes("Settings/copy.bin") + ReadFileBytes("f.bin"), "01234567890123456789");
    EXPECT_TRUE(CopyFile("none.bin", "x.bin") != 0 && !fs::exists("x.bin"));
    SplitPath("C:\\Clock\\Data\\logo.png", drive, folder, file);  // a path stored on Windows
    EXPECT_EQ(std::string(drive) + "|" + folder + "|" + file, "C:|\\Clock\\Data\\|logo.png");
    // Pictures and pages are read only as plain files inside their folder, whatever a path says.
    for (const char* name : {"Data/logo.png", "Data2/x.png"}) WriteFileBytes(name, "x");
    fs::create_symlink(fs::absolute("f.bin"), "Data/out.png");  // out of its folder
    const std::tuple<const char*, int, int> paths[] = {
        {"Data/logo.png", 1, 1}, {"Data\\logo.png", 1, 1}, {"Data/../f.bin", 1, 0},   {"Data2/x.png", 1, 0},
        {"Data/out.png", 1, 0},  {"Data/sub", 0, 0},       {"Data/missing.png", 0, 0}};
    for (auto [path, plain, inside] : paths)
        EXPECT_EQ(std::tuple(FileIsPlain(path), FileInsideFolder("Data", path)), std::tuple(plain, inside))
            << path;
    // The journal's folder stays under its size, the oldest files going first; others are left alone.
    for (const char* name : {"Logs/link-20200101.log", "Logs/link-20200102.log", "Logs/notes.txt"}) {
        WriteFileBytes(name, std::string(1500, 'o') + "\n");
        fs::last_write_time(name, fs::file_time_type::clock::now() - std::chrono::hours(48));
    }
    ASSERT_EQ(JournalStart("Logs", "link", 4000, "# header"), 0);
    for (int i = 1000; i < 1300; ++i)
        JournalAdd(("line " + std::to_string(i) + std::string(24, '.')).c_str(), 33);
    EXPECT_EQ(JournalSync(10), 0);
    JournalStop();
    std::string all;
    for (const auto& e : fs::directory_iterator("Logs"))
        if (e.path().filename() != "notes.txt") all += ReadFileBytes(e.path().string());
    EXPECT_LE(all.size(), 4000u);
    EXPECT_EQ(all.find("oooo"), all.npos);
    EXPECT_TRUE(fs::exists("Logs/notes.txt"));
    EXPECT_NE(all.find(" line 1299......"), all.npos);
    EXPECT_EQ(all.find(" line 1000......"), all.npos);
    // A program folder whose path has a letter outside Windows-1252 is made current all the same:
    // the program's files are not written wherever it was started from.
    const fs::path program = fs::absolute("Łódź");
    fs::create_directory(program);
    setenv("QS_PROGRAM_DIR", program.c_str(), 1);
    GetProjectDir(folder);
    EXPECT_EQ(SetDir(folder), 0);
    EXPECT_EQ(fs::current_path(), program);
}

// Printed to the PDF file named; with none named, through the print dialog, and nothing when the
// operator cancels it.
TEST(PlatformFiles, PrintingToAFileOrThroughTheDialog) {
    EnsureRuntime();
    TempProgramDir dir(false);
    WriteFileBytes("times.txt", "  1 : 123 : 10:02:03.456\n");
    const std::string longest = std::string(251, 'p') + ".pdf";  // the longest name there is
    for (const std::string& pdf : {std::string("times.pdf"), longest}) {
        EXPECT_EQ(PrintTextFile("times.txt", "Times", pdf.c_str()), 1);
        EXPECT_EQ(ReadFileBytes(pdf).substr(0, 5), "%PDF-");
    }
    int cancelled = 0;
    QTimer cancel;  // the operator's Cancel, once the dialog is up
    cancel.callOnTimeout([&cancelled] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            d->reject();
            ++cancelled;
        }
    });
    cancel.start(20);
    for (const char* none : {"", static_cast<const char*>(nullptr)})
        EXPECT_EQ(PrintTextFile("times.txt", "Times", none), 0);
    EXPECT_EQ(cancelled, 2);
    EXPECT_EQ(std::distance(fs::directory_iterator("."), {}), 3);  // nothing else written
    // The next dialog opens in the folder picked last, while that folder is there.
    const QString picked = QString::fromStdString(dir.file("stick"));
    fs::create_directory(dir.file("stick"));
    qs::rt::NoteChosenFolder(picked);
    EXPECT_EQ(qs::rt::StartFolder(), picked);
    fs::remove(dir.file("stick"));
    EXPECT_NE(qs::rt::StartFolder(), picked);
}

// A name the program cannot keep as it keeps every path (Windows-1252, under 260 bytes) is not
// returned with '?' for its letters or cut short, which names another file: the operator is told,
// with the name as it is, and the dialog comes back in the same folder.
TEST(PlatformFiles, ANameThatCannotBeKeptIsToldAndAskedForAgain) {
    EnsureRuntime();
    TempProgramDir dir(false);
    SetUnusablePathText("Not kept:");
    // The name typed into the save dialog opened in `folder`: what it returns, the path, and what
    // the operator met in turn (the folder of each dialog, the text of each message).
    const auto save = [](const char* folder, const QString& name) {
        std::vector<std::string> met;
        QTimer answer;
        answer.callOnTimeout([&] {
            QWidget* w = QApplication::activeModalWidget();
            if (auto* box = qobject_cast<QMessageBox*>(w)) {
                met.push_back(box->text().toStdString());
                box->accept();
            } else if (auto* d = qobject_cast<QFileDialog*>(w); d && d->isVisible()) {
                met.push_back(d->directory().absolutePath().toStdString());
                if (met.size() > 1) return d->reject();
                d->findChild<QLineEdit*>("fileNameEdit")->setText(name);  // typed
                static_cast<QDialog*>(d)->accept();                       // as its Save button does
            }
        });
        answer.start(20);
        char path[260] = "?";
        const int got = FileSelectPopup(folder, "", "*.txt", "Save", VAL_SAVE_BUTTON, 0, 1, 1, 0, path);
        return std::tuple(got, qs::rt::FromCp1252(path).toStdString(), met);
    };
    const QString folder = QDir::currentPath();  // the program's current folder is another
    const std::string at = folder.toStdString();
    fs::create_directory("run");
    fs::current_path("run");
    const qsizetype fits = 259 - folder.size() - 1 - 4;  // a name whose path is 259 bytes long
    const std::pair<QString, bool> rows[] = {
        {QStringLiteral("Zürich 2€.txt"), true},
        {QStringLiteral("Łódź.txt"), false},
        {QStringLiteral("Zu\u0308rich.txt"), false},  // as macOS writes it
        {QString(fits, QLatin1Char('y')) + ".txt", true},
        {QString(fits + 1, QLatin1Char('x')) + ".txt", false}};
    for (const auto& [name, kept] : rows) {
        const std::string full = (folder + QLatin1Char('/') + name).toStdString();
        if (kept)
            EXPECT_EQ(save(at.c_str(), name), std::tuple(VAL_NEW_FILE_SELECTED, full, std::vector{at}));
        else
            EXPECT_EQ(save(at.c_str(), name), std::tuple(VAL_NO_FILE_SELECTED, std::string(),
                                                         std::vector{at, "Not kept:\n" + full, at}));
    }
    // In a program folder whose own path cannot be kept, a file within it is given as the program
    // names its own files, relative to it (the current folder).
    const fs::path program = fs::path(dir.path()) / "Łódź";
    fs::create_directories(program / "Chronos");
    setenv("QS_PROGRAM_DIR", program.c_str(), 1);
    fs::current_path(program);
    EXPECT_EQ(save("Chronos", "x.txt"), std::tuple(VAL_NEW_FILE_SELECTED, std::string("Chronos/x.txt"),
                                                   std::vector{(program / "Chronos").string()}));
}

// Qt's own dialogs and buttons speak the program's language, not English whatever it is.
TEST(PlatformFiles, QtsOwnButtonsInTheProgramsLanguage) {
    EnsureRuntime();
    for (auto [code, cancel] :
         {std::pair{"FR", "Annuler"}, {"DT", "Abbrechen"}, {"IT", "Annulla"}, {"EN", "Cancel"}}) {
        SetDialogLanguage(code);
        QMessageBox box(QMessageBox::Question, "", "", QMessageBox::Cancel);
        EXPECT_EQ(box.button(QMessageBox::Cancel)->text().toStdString(), cancel) << code;
    }
}

TEST(PlatformSerial, LinesReadsWritesAndTheLineLostOnBothTransports) {
    EnsureRuntime();
    TempProgramDir dir(false);
    char dev[260];
    for (auto [port, name] :
         {std::pair{1, "/dev/ttyS0"}, {32, "/dev/ttyS31"}, {33, "/dev/ttyUSB0"}, {64, "/dev/ttyACM15"}}) {
        ComPortDevice(port, dev, sizeof dev);
        EXPECT_STREQ(dev, name);
    }
    for (auto [port, bits, stop] : {std::tuple{0, 8, 1}, {65, 8, 1}, {7, 9, 1}, {7, 8, 3}})
        EXPECT_LT(OpenComConfig(port, "", 9600, 0, bits, stop, 512, 512), 0);
    EXPECT_EQ(OpenComNetwork("127.0.0.1", 1, 5), NET_REFUSED);  // nothing listens: told so at once
    // Each transport twice: a port opened again after its line was lost works as the first time.
    for (bool network : {false, true, false, true}) {
        SCOPED_TRACE(network ? "network" : "serial");
        FarEnd far(dir.path(), network);
        ASSERT_GT(g_port, 0) << GetRS232ErrorString(ReturnRS232Err());
        termios set{};  // the line set as asked: 57600 baud, eight bits, no parity, one stop bit
        if (!network) {
            ASSERT_EQ(tcgetattr(far.fd, &set), 0);
            EXPECT_EQ(std::tuple(cfgetospeed(&set), set.c_cflag & (CSIZE | PARENB | CSTOPB)),
                      std::tuple(speed_t(B57600), tcflag_t(CS8)));
        }
        g_lines.clear();  // as the link does: the callback reads one line per line feed
        const auto line = [](int, int, void*) { g_lines.push_back(Read(256)); };
        ASSERT_EQ(InstallComCallback(g_port, LWRS_RXFLAG, 0, 10, line, nullptr), 0);
        far.Send("AK\t00\nTI");  // a line, and the start of the next, which waits for its end
        ASSERT_TRUE(PumpUntil([] { return g_lines.size() == 1 && GetInQLen(g_port) == 2; }));
        far.Send("ME\n");
        EXPECT_TRUE(PumpUntil([] { return g_lines == std::vector<std::string>{"AK\t00", "TIME"}; }));
        // A line longer than the buffer comes in pieces; a full buffer's line feed ends the next read.
        InstallComCallback(g_port, 0, 0, 10, nullptr, nullptr);
        far.Send("0123456789\nABCD\nEF\n");
        ASSERT_TRUE(PumpUntil([] { return GetInQLen(g_port) == 19; }));
        for (auto [size, piece] : {std::pair{4, "0123"}, {256, "456789"}, {4, "ABCD"}, {4, ""}, {4, "EF"}})
            EXPECT_EQ(Read(size), piece);
        // Nothing arrives: zero bytes after the time-out, which the read reports.
        SetComTime(g_port, 0.05);
        EXPECT_TRUE(Read(256).empty() && ReturnRS232Err() == RS232_TIMEOUT);
        ASSERT_EQ(ComWrt(g_port, "XY\r\n", 4), 4);
        std::string got;  // at the far end: the four bytes, unless none come for two seconds
        char buf[64];
        pollfd readable{far.fd, POLLIN, 0};
        for (ssize_t n = 1; n > 0 && got.size() < 4 && poll(&readable, 1, 2000) > 0;) {
            n = read(far.fd, buf, sizeof buf);
            got.append(buf, size_t(std::max<ssize_t>(n, 0)));
        }
        EXPECT_EQ(got, "XY\r\n");
        far.Send("junk");  // on a serial port counted once the system holds it, with no event processed
        const auto held = [] { return GetInQLen(g_port) == 4; };
        for (int i = 0; !network && i < 2000 && !held(); ++i) usleep(1000);
        ASSERT_TRUE(network ? PumpUntil(held) : held());
        EXPECT_EQ((std::tuple{FlushInQ(g_port), GetInQLen(g_port), GetComStat(g_port)}), std::tuple(0, 0, 0));
        // The line lost: one error, after a last line over the network (a pseudo-terminal drops it).
        g_lines.clear();
        ASSERT_EQ(InstallComCallback(g_port, LWRS_RXFLAG, 0, 10, line, nullptr), 0);
        far.Send(network ? "LAST\n" : "");
        far.Hangup();
        int errors = 0, p, c;
        for (int i = 0; i < 20; ++i) {
            SetNextWake(0.01);
            GetUserEvent(0, &p, &c);
            errors += GetComStat(g_port) != 0;
        }
        EXPECT_EQ(errors, 1);
        EXPECT_EQ(g_lines, std::vector<std::string>(network, "LAST"));
        EXPECT_LT(ComWrt(g_port, "AK\n", 3), 0);
        EXPECT_EQ(Read(16), "error");
        CloseCom(g_port);
        EXPECT_LT(ComWrt(g_port, "x", 1), 0);
    }
    // Closed by the program, a connection ends at once: a device server taking one client is free.
    FarEnd far(dir.path(), true);
    CloseCom(g_port);
    char byte;
    pollfd readable{far.fd, POLLIN, 0};
    EXPECT_TRUE(poll(&readable, 1, 2000) > 0 && read(far.fd, &byte, 1) <= 0);
}

// A network clock that vanishes without closing (its power cut, the network gone) is told as a
// lost line within seconds of silence. Run in a network of its own whose loopback then goes down:
// nothing answers any more, and nothing says the connection closed.
TEST(PlatformSerial, ANetworkClockThatFallsSilentIsToldWithinSeconds) {
    if (!getenv("QS_OWN_NETWORK")) {
        setenv("QS_OWN_NETWORK", "1", 1);
        EnsureRuntime();
        RanInOwnProcess();
        unsetenv("QS_OWN_NETWORK");
        return;
    }
    const bool own = unshare(CLONE_NEWNET) == 0 || unshare(CLONE_NEWUSER | CLONE_NEWNET) == 0;
    ASSERT_TRUE(own) << "no network of its own: " << strerror(errno);
    const auto loopback = [](bool up) {
        const int s = socket(AF_INET, SOCK_DGRAM, 0);
        ifreq lo{};
        strcpy(lo.ifr_name, "lo");
        ioctl(s, SIOCGIFFLAGS, &lo);
        lo.ifr_flags = short(up ? lo.ifr_flags | IFF_UP : lo.ifr_flags & ~IFF_UP);
        EXPECT_EQ(ioctl(s, SIOCSIFFLAGS, &lo), 0) << strerror(errno);
        close(s);
    };
    loopback(true);
    EnsureRuntime();
    TempProgramDir dir(false);
    FarEnd far(dir.path(), true);
    ASSERT_GT(g_port, 0);
    far.Send("AK\n");
    ASSERT_TRUE(PumpUntil([] { return GetInQLen(g_port) == 3; }));
    loopback(false);
    QElapsedTimer silent;
    silent.start();
    int lost = 0;  // the port's error bits, which reading clears
    const auto told = [&lost] {
        lost |= GetComStat(g_port);
        return lost != 0;
    };
    EXPECT_TRUE(PumpUntil(told, 30));
    EXPECT_GT(silent.elapsed(), 5000);  // the line kept while it answers
    CloseCom(g_port);
}

// On a system whose language writes a decimal comma (German here; French and Italian alike),
// numbers are still written and read with a point, as every record, file and line has them.
TEST(PlatformLocale, NumbersKeepTheirPointOnASystemWritingADecimalComma) {
    const char* before = getenv("LC_ALL");
    const std::string kept = before ? before : "";
    setenv("LC_ALL", "de_DE.UTF-8", 1);  // as the application reads it when it starts
    const bool elsewhere = RanInOwnProcess();
    before ? setenv("LC_ALL", kept.c_str(), 1) : unsetenv("LC_ALL");
    if (elsewhere) return;
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    ASSERT_NE(newlocale(LC_ALL_MASK, "de_DE.UTF-8", locale_t(0)), locale_t(0))
        << "the de_DE.UTF-8 locale is not generated (scripts/setup-deps.sh does it)";
    EnsureRuntime();
    char text[32];
    snprintf(text, sizeof text, "%.5f", 15.5);
    int seconds = 0, fraction = 0;
    EXPECT_EQ(
        std::tuple(std::string(text), sscanf(text, "%d.%d", &seconds, &fraction), strtod("0.25", nullptr)),
        std::tuple("15.50000", 2, 0.25));
}

// The desktop's idle services as the session bus carries calls to them: what they were asked.
class IdleService : public QDBusVirtualObject {
public:
    explicit IdleService(std::vector<std::string>& asked) : asked_(asked) {}
    bool handleMessage(const QDBusMessage& call, const QDBusConnection& bus) override {
        asked_.push_back(call.member().toStdString() + " " +
                         call.arguments().last().toString().toStdString());
        if (call.member() == "Inhibit") bus.send(call.createReply(uint(7)));
        return true;
    }
    QString introspect(const QString&) const override { return {}; }

private:
    std::vector<std::string>& asked_;
};

// While the program works with the clock the desktop is asked, on the session bus, neither to
// blank the screen nor to suspend; afterwards it is let go, also when it answers only then.
TEST(PlatformDesktop, KeptAwakeWhileAskedAndLetGoAfter) {
    if (RanInOwnProcess()) return;  // the session bus is read once, at its first use
    FILE* started = popen("dbus-daemon --session --fork --print-address=1 --print-pid=1", "r");
    ASSERT_TRUE(started);
    char address[512] = "", pid[32] = "";
    const bool read = fgets(address, sizeof address, started) && fgets(pid, sizeof pid, started);
    pclose(started);
    ASSERT_TRUE(read) << "dbus-daemon did not start";
    struct Ended {
        pid_t pid;
        ~Ended() { kill(pid, SIGTERM); }
    } const bus{pid_t(atoi(pid))};
    address[strcspn(address, "\n")] = 0;
    setenv("DBUS_SESSION_BUS_ADDRESS", address, 1);
    EnsureRuntime();
    std::vector<std::string> asked;
    IdleService screen(asked), power(asked);
    QDBusConnection desktop = QDBusConnection::connectToBus(QString::fromLatin1(address), "desktop");
    ASSERT_TRUE(desktop.registerService("org.freedesktop.ScreenSaver") &&
                desktop.registerService("org.freedesktop.PowerManagement"));
    desktop.registerVirtualObject("/org/freedesktop/ScreenSaver", &screen);
    desktop.registerVirtualObject("/org/freedesktop/PowerManagement/Inhibit", &power);
    const auto after = [&](size_t calls) {
        PumpUntil([&] { return asked.size() >= calls; }, 5);
        PumpUntil([] { return false; }, 0.2);  // and nothing more
        std::sort(asked.begin(), asked.end());
        return std::exchange(asked, {});
    };
    using Calls = std::vector<std::string>;
    KeepAwake(1, "Timing");
    KeepAwake(1, "Timing");
    EXPECT_EQ(after(2), (Calls{"Inhibit Timing", "Inhibit Timing"}));
    KeepAwake(0, "");
    EXPECT_EQ(after(2), (Calls{"UnInhibit 7", "UnInhibit 7"}));
    KeepAwake(1, "Timing");  // let go before the answer
    KeepAwake(0, "");
    EXPECT_EQ(after(4), (Calls{"Inhibit Timing", "Inhibit Timing", "UnInhibit 7", "UnInhibit 7"}));
}

// Idle connections fill the places and the next is closed at once; pages by name with the key only;
// bounded viewers, and one that never reads is dropped while the others get every message.
TEST(PlatformWebServer, ConnectionsAndViewersAreBoundedPagesServedByNameWithTheKey) {
    EnsureRuntime();
    WebServerSetWelcome([] { return std::string("{\"t\":\"all\",\"id\":\"N\xB0 42\"}"); });
    WebServerConfig config{.port = 0, .address = "127.0.0.1", .key = "k3y", .maxViewers = 3};
    config.maxConnections = 4;  // the idle ones are checked well within the default request deadline
    config.maxBacklog = 64 * 1024;
    ASSERT_EQ(WebServerStart(config), WEB_OK);
    Client idle[4], refused;
    EXPECT_TRUE(refused.Read(true, 2).empty() && refused.state() == Client::UnconnectedState);
    for (Client& c : idle) EXPECT_TRUE(c.Read(true, 0.01).empty() && c.state() == Client::ConnectedState);
    config.maxConnections = 96;
    config.requestSeconds = 0.3;
    ASSERT_EQ(WebServerStart(config), WEB_OK);
    const std::string big(100 * 1024, 'x'), head = " HTTP/1.1\r\nHost: h\r\n\r\n";
    const struct {
        std::string request;
        const char* answer;  // start of the answer; "" none (the connection is closed unanswered)
        const char* body = "";
    } cases[] = {
        {"GET /k3y/" + head, "HTTP/1.1 200", "text/html"},
        {"GET /k3y" + head, "HTTP/1.1 301", "Location: /k3y/"},
        {"GET /k3y/view.js" + kUpgrade, "HTTP/1.1 404"},  // a viewer only at its own address
        {"GET /k3x/" + head, "HTTP/1.1 403"},
        {"GET /k3y/%2e%2e/%2e%2e/etc/passwd" + head, "HTTP/1.1 404"},
        {"POST /k3y/ HTTP/1.1\r\nHost: h\r\nContent-Length: 3\r\n\r\nabc", "HTTP/1.1 405"},
        {"HELLO THERE\r\n\r\n", ""},
        {"GET /k3y/ HTTP/1.1\r\nHost: h\r\nX-Big: " + big + "\r\n\r\n", ""},
        {"", ""},  // silent: let go at the request deadline
    };
    for (const auto& c : cases) {
        Client client(c.request);
        const std::string got = client.Read(!*c.answer);
        EXPECT_TRUE(got.rfind(c.answer, 0) == 0 && got.find(c.body) != got.npos &&
                    (*c.answer || client.state() == Client::UnconnectedState))
            << c.request.substr(0, 40) << " -> " << got.substr(0, 200);
    }
    Viewer a, b;
    Client stuck("GET /k3y/ws" + kUpgrade, 4096);
    ASSERT_TRUE(PumpUntil([] { return WebServerViewers() == 3; }));
    // The next gets a close frame (4001: the page tries again later), one without the key a 403.
    Client extra("GET /k3y/ws" + kUpgrade), wrongKey("GET /nokey/ws" + kUpgrade);
    const std::string turnedAway = extra.Read();
    EXPECT_EQ(turnedAway.substr(turnedAway.find("\r\n\r\n") + 4, 4), std::string("\x88\x12\x0F\xA1", 4));
    EXPECT_TRUE(turnedAway.find("all") == turnedAway.npos && wrongKey.Read().find("HTTP/1.1 403") == 0);
    int sent = 0;
    WebServerBroadcast("{\"id\":\"\xE9t\xE9\"}", 12);
    for (; WebServerViewers() == 3 && sent < 20000; ProcessSystemEvents()) {
        const std::string m = "{\"n\":" + std::to_string(sent++) + ",\"f\":\"" + big.substr(0, 4000) + "\"}";
        WebServerBroadcast(m.data(), m.size());
    }
    EXPECT_EQ(WebServerViewers(), 2);
    ASSERT_TRUE(PumpUntil([&] { return int(a.got.size() + b.got.size()) == 2 * (sent + 2); }));
    EXPECT_EQ(a.got, b.got);
    EXPECT_EQ(a.got[0] + a.got[1],
              QStringLiteral("{\"t\":\"all\",\"id\":\"N\u00B0 42\"}{\"id\":\"\u00E9t\u00E9\"}"));
    for (int i = 0; i < sent; ++i)
        ASSERT_TRUE(a.got[i + 2].startsWith(QStringLiteral("{\"n\":%1,").arg(i))) << i;
    WebServerStop();
}
