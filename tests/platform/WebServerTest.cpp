// The live view server as browsers, bad clients and a crowd meet it: the page's files by name
// only, the access key, refused requests, bounded viewers and connections, and a viewer that
// never reads dropped while the others get every message.
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

template <class F>
bool PumpUntil(F done, double seconds = 10) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done() && std::chrono::steady_clock::now() < end) {
        ProcessSystemEvents();
        usleep(500);
    }
    return done();
}

// A whole HTTP answer: its head and as many body bytes as it announces.
bool Complete(const std::string& s) {
    const size_t head = s.find("\r\n\r\n"), length = s.find("Content-Length: ");
    return head != std::string::npos && s.size() >= head + 4 + (length < head ? atol(&s[length + 16]) : 0);
}

// A raw TCP client on loopback that never blocks the event loop the server runs in.
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
        ProcessSystemEvents();
    }
    ~Raw() { close(fd_); }
    void Send(const std::string& bytes) { send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL); }
    // What came until the server closed the connection, the answer was whole, or the bound.
    std::string Read(bool untilClosed = true, double seconds = 5) {
        char buf[4096];
        PumpUntil(
            [&] {
                const ssize_t n = recv(fd_, buf, sizeof buf, MSG_DONTWAIT);
                if (n > 0) got_.append(buf, size_t(n));
                if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) closed_ = true;
                return closed_ || (!untilClosed && Complete(got_));
            },
            seconds);
        return got_;
    }
    bool closed_ = false, connected_ = false;

private:
    int fd_ = -1;
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

class WebServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        qstest::EnsureRuntime();
        config_.port = 0;
        strcpy(config_.address, "127.0.0.1");
        strcpy(config_.key, "k3y");
        config_.requestSeconds = 0.3;
        WebServerSetWelcome([] {
            return std::string(
                "{\"t\":\"all\",\"id\":\"N\xB0"
                "00042\"}");
        });
    }
    void TearDown() override { WebServerStop(); }
    void Start() {
        ASSERT_EQ(WebServerStart(config_), WEB_OK);
        port_ = WebServerPort();
        ASSERT_GT(port_, 0);
    }
    std::unique_ptr<QWebSocket> Viewer(std::vector<QString>* got, int* closeCode) {
        auto ws = std::make_unique<QWebSocket>();
        QObject::connect(ws.get(), &QWebSocket::textMessageReceived,
                         [got](const QString& m) { got->push_back(m); });
        QWebSocket* raw = ws.get();
        QObject::connect(ws.get(), &QWebSocket::disconnected,
                         [raw, closeCode] { *closeCode = raw->closeCode(); });
        ws->open(QUrl(QStringLiteral("ws://127.0.0.1:%1/k3y/ws").arg(port_)));
        return ws;
    }

    qstest::TempProgramDir dir_;
    WebServerConfig config_;
    int port_ = 0;
};

TEST_F(WebServerTest, ServesThePageFilesByNameWithTheKeyAndRefusesEverythingElse) {
    Start();
    const std::string big(100 * 1024, 'x'), head = " HTTP/1.1\r\nHost: h\r\n\r\n";
    struct Case {
        std::string request;
        const char* answer;  // start of the answer; "" none (the connection is closed unanswered)
        const char* body;    // found in the answer (nullptr: nothing to look for)
    };
    const Case cases[] = {
        {"GET /k3y/" + head, "HTTP/1.1 200", "<svg id=\"clock\""},
        {"GET /k3y/index.html" + head, "HTTP/1.1 200", "view.js"},
        {"GET /k3y/view.js" + head, "HTTP/1.1 200", "text/javascript"},
        {"GET /k3y/view.css" + head, "HTTP/1.1 200", "text/css"},
        {"GET /k3y" + head, "HTTP/1.1 301", "/k3y/"},
        {"GET /" + head, "HTTP/1.1 403", nullptr},
        {"GET /k3x/" + head, "HTTP/1.1 403", nullptr},
        {"GET /nokey/view.js" + head, "HTTP/1.1 403", nullptr},
        {"GET /k3y/../../../etc/passwd" + head, "HTTP/1.1 40", nullptr},
        {"GET /k3y/%2e%2e/%2e%2e/etc/passwd" + head, "HTTP/1.1 404", nullptr},
        {"GET /k3y/README.md" + head, "HTTP/1.1 404", nullptr},  // a file of the program folder
        {"GET /k3y/Web/view.js" + head, "HTTP/1.1 404", nullptr},
        {"GET /k3y//etc/passwd" + head, "HTTP/1.1 404", nullptr},
        {Upgrade("/k3y/view.js"), "HTTP/1.1 404", nullptr},
        {"POST /k3y/ HTTP/1.1\r\nHost: h\r\nContent-Length: 3\r\n\r\nabc", "HTTP/1.1 405", nullptr},
        {"HELLO THERE\r\n\r\n", "", nullptr},
        {"GET /k3y/ HTTP/1.1\r\nHost: h\r\nX-Big: " + big + "\r\n\r\n", "", nullptr},
        {"POST /k3y/ HTTP/1.1\r\nHost: h\r\nContent-Length: 99999999\r\n\r\n" + big, "", nullptr},
        {"", "", nullptr},  // silent: let go at the request deadline
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.request.substr(0, 40));
        Raw client(port_);
        ASSERT_TRUE(client.connected_);
        client.Send(c.request);
        const std::string got = client.Read(!*c.answer);
        EXPECT_EQ(got.substr(0, strlen(c.answer)), c.answer) << got.substr(0, 200);
        EXPECT_TRUE(*c.answer || client.closed_);
        EXPECT_TRUE(!c.body || got.find(c.body) != std::string::npos) << got.substr(0, 400);
        EXPECT_EQ(got.find("root:"), std::string::npos);
    }
}

TEST_F(WebServerTest, SixtyFourViewersGetTheStateTheNextOnesAreTurnedAway) {
    config_.maxViewers = 64;
    config_.maxConnections = 70;
    config_.requestSeconds = 30;
    Start();
    std::vector<std::vector<QString>> got(64);
    std::vector<int> codes(64, 0);
    std::vector<std::unique_ptr<QWebSocket>> viewers;
    for (int i = 0; i < 64; ++i) viewers.push_back(Viewer(&got[size_t(i)], &codes[size_t(i)]));
    ASSERT_TRUE(PumpUntil([] { return WebServerViewers() == 64; }));
    // The next one gets a close frame the page understands, one without the key a 403;
    // neither gets anything of the state.
    Raw extra(port_), wrongKey(port_);
    extra.Send(Upgrade("/k3y/ws"));
    wrongKey.Send(Upgrade("/nokey/ws"));
    const std::string turnedAway = extra.Read();
    EXPECT_EQ(CloseCode(turnedAway), 4001);  // too many viewers: the page says so, tries again
    EXPECT_EQ(turnedAway.find("all"), std::string::npos);
    EXPECT_EQ(wrongKey.Read().substr(0, 12), "HTTP/1.1 403");
    EXPECT_TRUE(extra.closed_ && wrongKey.closed_);
    EXPECT_EQ(WebServerViewers(), 64);

    // Windows-1252 in the program, UTF-8 on the wire.
    WebServerBroadcast("{\"id\":\"\xE9t\xE9\"}", 12);
    ASSERT_TRUE(PumpUntil([&] {
        for (auto& g : got)
            if (g.size() < 2) return false;
        return true;
    }));
    for (auto& g : got) {
        EXPECT_EQ(g[0], QStringLiteral("{\"t\":\"all\",\"id\":\"N\u00B000042\"}"));
        EXPECT_EQ(g[1], QStringLiteral("{\"id\":\"\u00E9t\u00E9\"}"));
    }

    // Connections of any kind are bounded too: 64 viewers and 6 idle ones fill the 70
    // places, and the next is closed at once, long before its request deadline.
    std::vector<std::unique_ptr<Raw>> idle;
    for (int i = 0; i < 6; ++i) idle.push_back(std::make_unique<Raw>(port_));
    Raw refused(port_);
    refused.Read(true, 2);
    EXPECT_TRUE(refused.closed_);
    for (auto& r : idle) EXPECT_FALSE(r->Read(true, 0.01).size() || r->closed_);

    // A viewer that leaves makes room for another.
    viewers[0]->close();
    ASSERT_TRUE(PumpUntil([] { return WebServerViewers() == 63; }));
    idle.clear();
    std::vector<QString> late;
    int lateCode = 0;
    auto again = Viewer(&late, &lateCode);
    ASSERT_TRUE(PumpUntil([&] { return !late.empty(); }));
    EXPECT_EQ(WebServerViewers(), 64);
}

TEST_F(WebServerTest, AViewerThatNeverReadsIsDroppedTheOthersGetEveryMessage) {
    config_.maxBacklog = 64 * 1024;
    Start();
    std::vector<QString> got;
    int code = 0;
    auto reader = Viewer(&got, &code);
    ASSERT_TRUE(PumpUntil([&] { return got.size() == 1; }));
    Raw stuck(port_, 4096);
    stuck.Send(Upgrade("/k3y/ws"));
    ASSERT_TRUE(PumpUntil([] { return WebServerViewers() == 2; }));

    // Messages go out as fast as the program makes them; the one that never reads fills its
    // buffers and is dropped, and broadcasting never waits for it.
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
