// The live view server as browsers, bad clients and a crowd meet it: the page's files
// by name only, the access key, refused requests, bounded viewers and connections, and
// a viewer that never reads dropped while the others get every message.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QWebSocket>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/WebServer.h"
#include "platform/cvi.h"
#include "tests/support/TestSupport.h"

namespace {

void Pump(double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        ProcessSystemEvents();
        usleep(1000);
    }
}

template <class F>
bool PumpUntil(F done, double seconds = 10) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done() && std::chrono::steady_clock::now() < end) {
        ProcessSystemEvents();
        usleep(1000);
    }
    return done();
}

// A raw TCP client on loopback: sends what it is told, reads when asked, never blocks
// the event loop the server runs in.
class Raw {
public:
    explicit Raw(int port, int receiveBuffer = 0) {
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        if (receiveBuffer) setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(uint16_t(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
        Pump(0.02);
    }
    ~Raw() { close(fd_); }
    void Send(const std::string& bytes) {
        if (send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) < 0) sendFailed_ = true;
        Pump(0.01);
    }
    // What came until the server closed the connection, or `seconds` passed.
    std::string Read(double seconds) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        char buf[4096];
        while (!closed_ && std::chrono::steady_clock::now() < end) {
            ProcessSystemEvents();
            const ssize_t n = recv(fd_, buf, sizeof buf, MSG_DONTWAIT);
            if (n > 0) got_.append(buf, size_t(n));
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) closed_ = true;
            if (n <= 0) usleep(1000);
        }
        return got_;
    }
    bool Closed() const { return closed_; }
    bool Connected() const { return connected_; }

private:
    int fd_ = -1;
    bool connected_ = false, closed_ = false, sendFailed_ = false;
    std::string got_;
};

// A browser's request to become a viewer.
std::string Upgrade(const char* path) {
    return std::string("GET ") + path +
           " HTTP/1.1\r\nHost: h\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
           "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n";
}

// The status code of the first frame after the handshake when it is a close frame, else 0.
int CloseCode(const std::string& answer) {
    const size_t head = answer.find("\r\n\r\n");
    if (head == std::string::npos || answer.size() < head + 8) return 0;
    const auto* f = reinterpret_cast<const unsigned char*>(answer.data() + head + 4);
    return f[0] == 0x88 ? f[2] << 8 | f[3] : 0;
}

std::string Whole() {
    return "{\"t\":\"all\",\"id\":\"N\xB0"
           "00042\"}";
}

class WebServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        qstest::EnsureRuntime();
        config_.port = 0;
        strcpy(config_.address, "127.0.0.1");
        strcpy(config_.key, "k3y");
        config_.requestSeconds = 1;
        WebServerSetWelcome(Whole);
    }
    void TearDown() override { WebServerStop(); }
    void Start() {
        ASSERT_EQ(WebServerStart(config_), WEB_OK);
        port_ = WebServerPort();
        ASSERT_GT(port_, 0);
    }
    std::unique_ptr<QWebSocket> Viewer(const char* path, std::vector<QString>* got, int* closeCode) {
        auto ws = std::make_unique<QWebSocket>();
        QObject::connect(ws.get(), &QWebSocket::textMessageReceived,
                         [got](const QString& m) { got->push_back(m); });
        QWebSocket* raw = ws.get();
        QObject::connect(ws.get(), &QWebSocket::disconnected,
                         [raw, closeCode] { *closeCode = raw->closeCode(); });
        ws->open(QUrl(QStringLiteral("ws://127.0.0.1:%1%2").arg(port_).arg(QLatin1String(path))));
        return ws;
    }

    qstest::TempProgramDir dir_;
    WebServerConfig config_;
    int port_ = 0;
};

TEST_F(WebServerTest, ServesThePageFilesByNameWithTheKeyAndRefusesEverythingElse) {
    Start();
    const std::string big(100 * 1024, 'x');
    struct Case {
        const char* name;
        std::string request;
        const char* answer;  // start of the answer; "" none (the connection is closed unanswered)
        const char* body;    // found in the answer (nullptr: nothing to look for)
    };
    const Case cases[] = {
        {"page", "GET /k3y/ HTTP/1.1\r\nHost: h\r\n\r\n", "HTTP/1.1 200", "<svg id=\"clock\""},
        {"page by name", "GET /k3y/index.html HTTP/1.1\r\nHost: h\r\n\r\n", "HTTP/1.1 200", "view.js"},
        {"script", "GET /k3y/view.js HTTP/1.1\r\nHost: h\r\n\r\n", "HTTP/1.1 200", "text/javascript"},
        {"key without its slash", "GET /k3y HTTP/1.1\r\nHost: h\r\n\r\n", "HTTP/1.1 301", "/k3y/"},
        {"no key", "GET / HTTP/1.1\r\nHost: h\r\n\r\n", "HTTP/1.1 403", nullptr},
        {"wrong key", "GET /k3x/ HTTP/1.1\r\nHost: h\r\n\r\n", "HTTP/1.1 403", nullptr},
        {"wrong key, right file", "GET /nokey/view.js HTTP/1.1\r\nHost: h\r\n\r\n", "HTTP/1.1 403", nullptr},
        {"up the tree", "GET /k3y/../../../etc/passwd HTTP/1.1\r\nHost: h\r\n\r\n", "HTTP/1.1 40", nullptr},
        {"up the tree, encoded", "GET /k3y/%2e%2e/%2e%2e/etc/passwd HTTP/1.1\r\nHost: h\r\n\r\n",
         "HTTP/1.1 404", nullptr},
        {"a file of the program folder", "GET /k3y/README.md HTTP/1.1\r\nHost: h\r\n\r\n", "HTTP/1.1 404",
         nullptr},
        {"the page folder by its name", "GET /k3y/Web/view.js HTTP/1.1\r\nHost: h\r\n\r\n", "HTTP/1.1 404",
         nullptr},
        {"absolute path", "GET /k3y//etc/passwd HTTP/1.1\r\nHost: h\r\n\r\n", "HTTP/1.1 404", nullptr},
        {"not a GET", "POST /k3y/ HTTP/1.1\r\nHost: h\r\nContent-Length: 3\r\n\r\nabc", "HTTP/1.1 405",
         nullptr},
        {"malformed", "HELLO THERE\r\n\r\n", "", nullptr},
        {"oversize head", "GET /k3y/ HTTP/1.1\r\nHost: h\r\nX-Big: " + big + "\r\n\r\n", "", nullptr},
        {"oversize body", "POST /k3y/ HTTP/1.1\r\nHost: h\r\nContent-Length: 99999999\r\n\r\n" + big, "",
         nullptr},
        {"silent", "", "", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Raw client(port_);
        ASSERT_TRUE(client.Connected());
        if (!c.request.empty()) client.Send(c.request);
        // Answered requests are read until their body is there; the others until the
        // server lets go of them (at the latest at the one-second request deadline).
        const std::string got = client.Read(*c.answer ? 1.5 : 5);
        EXPECT_EQ(got.substr(0, strlen(c.answer)), c.answer) << got.substr(0, 200);
        if (!*c.answer) {
            EXPECT_TRUE(client.Closed());
        }
        if (c.body) {
            EXPECT_NE(got.find(c.body), std::string::npos) << got.substr(0, 400);
        }
        EXPECT_EQ(got.find("root:"), std::string::npos);
    }
    // Every refused connection is let go: the server still serves.
    Raw after(port_);
    after.Send("GET /k3y/view.css HTTP/1.1\r\nHost: h\r\n\r\n");
    EXPECT_EQ(after.Read(1.5).substr(0, 12), "HTTP/1.1 200");
}

TEST_F(WebServerTest, SixtyFourViewersGetTheStateTheNextOnesAreTurnedAway) {
    config_.maxViewers = 64;
    config_.maxConnections = 70;
    config_.requestSeconds = 30;
    Start();
    std::vector<std::vector<QString>> got(64);
    std::vector<int> codes(64, 0);
    std::vector<std::unique_ptr<QWebSocket>> viewers;
    for (int i = 0; i < 64; ++i) viewers.push_back(Viewer("/k3y/ws", &got[size_t(i)], &codes[size_t(i)]));
    ASSERT_TRUE(PumpUntil([] { return WebServerViewers() == 64; }));
    // The next one gets a close frame the page understands, one without the key a 403;
    // neither gets anything of the state.
    Raw extra(port_), wrongKey(port_);
    extra.Send(Upgrade("/k3y/ws"));
    wrongKey.Send(Upgrade("/nokey/ws"));
    EXPECT_EQ(CloseCode(extra.Read(2)), 4001);  // too many viewers: the page says so, tries again
    EXPECT_EQ(wrongKey.Read(2).substr(0, 12), "HTTP/1.1 403");
    EXPECT_EQ(extra.Read(0).find("all"), std::string::npos);
    EXPECT_TRUE(extra.Closed() && wrongKey.Closed());
    EXPECT_EQ(WebServerViewers(), 64);

    // Windows-1252 in the program, UTF-8 on the wire.
    WebServerBroadcast("{\"id\":\"\xE9t\xE9\"}", 12);
    ASSERT_TRUE(PumpUntil([&] {
        for (int i = 0; i < 64; ++i)
            if (got[size_t(i)].size() < 2) return false;
        return true;
    }));
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(got[size_t(i)][0], QStringLiteral("{\"t\":\"all\",\"id\":\"N\u00B000042\"}")) << i;
        EXPECT_EQ(got[size_t(i)][1], QStringLiteral("{\"id\":\"\u00E9t\u00E9\"}")) << i;
    }

    // Connections of any kind are bounded too: 64 viewers and 6 idle ones fill the 70
    // places, and the next is closed at once, long before its request deadline.
    std::vector<std::unique_ptr<Raw>> idle;
    for (int i = 0; i < 6; ++i) idle.push_back(std::make_unique<Raw>(port_));
    Raw refused(port_);
    refused.Read(2);
    EXPECT_TRUE(refused.Closed());
    for (auto& r : idle) {
        r->Read(0.01);
        EXPECT_FALSE(r->Closed());
    }

    // A viewer that leaves makes room for another.
    viewers[0]->close();
    ASSERT_TRUE(PumpUntil([] { return WebServerViewers() == 63; }));
    idle.clear();
    std::vector<QString> late;
    int lateCode = 0;
    auto again = Viewer("/k3y/ws", &late, &lateCode);
    ASSERT_TRUE(PumpUntil([&] { return !late.empty(); }));
    EXPECT_EQ(WebServerViewers(), 64);
}

TEST_F(WebServerTest, AViewerThatNeverReadsIsDroppedTheOthersGetEveryMessage) {
    config_.maxBacklog = 64 * 1024;
    Start();
    std::vector<QString> got;
    int code = 0;
    auto reader = Viewer("/k3y/ws", &got, &code);
    ASSERT_TRUE(PumpUntil([&] { return got.size() == 1; }));
    Raw stuck(port_, 4096);
    stuck.Send(Upgrade("/k3y/ws"));
    ASSERT_TRUE(PumpUntil([] { return WebServerViewers() == 2; }));

    // Messages go out as fast as the program makes them; the one that never reads
    // fills its buffers and is dropped, and broadcasting never waits for it.
    const std::string filler(4000, 'x');
    int sent = 0;
    while (WebServerViewers() == 2 && sent < 20000) {
        const std::string m = "{\"n\":" + std::to_string(sent++) + ",\"f\":\"" + filler + "\"}";
        WebServerBroadcast(m.data(), m.size());
        ProcessSystemEvents();
    }
    EXPECT_EQ(WebServerViewers(), 1);
    ASSERT_TRUE(PumpUntil([&] { return int(got.size()) == sent + 1; }));
    for (int i = 0; i < sent; ++i)
        ASSERT_TRUE(got[size_t(i + 1)].startsWith(QStringLiteral("{\"n\":%1,").arg(i))) << i;
    EXPECT_EQ(code, 0);  // still connected
}

}  // namespace
