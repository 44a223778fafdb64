// The live view server as browsers, bad clients and a crowd meet it: the page's files by name
// only, the access key, refused requests, bounded viewers and connections, and a viewer that
// never reads dropped while the others get every message.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QTcpSocket>
#include <QWebSocket>
#include <algorithm>
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
    for (; !done() && std::chrono::steady_clock::now() < end; usleep(500)) ProcessSystemEvents();
    return done();
}

// A plain client on loopback: sends its request, then reads until the server closes the
// connection, or the answer is whole (its head and as many body bytes as it announces).
struct Client : QTcpSocket {
    Client(int port, const std::string& request, int readBuffer = 0) {
        setReadBufferSize(readBuffer);  // a client that never reads takes no more than this
        if (readBuffer) setSocketOption(ReceiveBufferSizeSocketOption, readBuffer);
        connectToHost(QStringLiteral("127.0.0.1"), quint16(port));
        waitForConnected(2000);
        write(request.data(), qint64(request.size()));
    }
    std::string Read(bool untilClosed = true, double seconds = 5) {
        PumpUntil(
            [&] {
                got += readAll().toStdString();
                const size_t head = got.find("\r\n\r\n"), length = got.find("Content-Length: ");
                const bool whole = head != std::string::npos &&
                                   got.size() >= head + 4 + (length < head ? atol(&got[length + 16]) : 0);
                return state() == UnconnectedState || (!untilClosed && whole);
            },
            seconds);
        return got;
    }
    bool Closed() const { return state() == UnconnectedState; }
    std::string got;
};

// A browser's request to become a viewer.
std::string Upgrade(const char* path) {
    return std::string("GET ") + path +
           " HTTP/1.1\r\nHost: h\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
           "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n";
}

class WebServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        qstest::EnsureRuntime();
        config_.port = 0;
        strcpy(config_.address, "127.0.0.1");
        strcpy(config_.key, "k3y");
        config_.requestSeconds = 0.3;
        WebServerSetWelcome([] { return std::string("{\"t\":\"all\",\"id\":\"N\xB0 42\"}"); });
    }
    void TearDown() override { WebServerStop(); }
    void Start() {
        ASSERT_EQ(WebServerStart(config_), WEB_OK);
        port_ = WebServerPort();
    }
    // A viewer whose messages are collected; closeCode is set when the server closes it.
    std::unique_ptr<QWebSocket> Viewer(std::vector<QString>* got, int* closeCode) {
        auto ws = std::make_unique<QWebSocket>();
        QObject::connect(ws.get(), &QWebSocket::textMessageReceived,
                         [got](const QString& m) { got->push_back(m); });
        QObject::connect(ws.get(), &QWebSocket::disconnected,
                         [w = ws.get(), closeCode] { *closeCode = w->closeCode(); });
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
    const struct {
        std::string request;
        const char* answer;  // start of the answer; "" none (the connection is closed unanswered)
        const char* body = "";
    } cases[] = {
        {"GET /k3y/" + head, "HTTP/1.1 200", "<svg id=\"clock\""},
        {"GET /k3y/index.html" + head, "HTTP/1.1 200", "view.js"},
        {"GET /k3y/view.js" + head, "HTTP/1.1 200", "text/javascript"},
        {"GET /k3y/view.css" + head, "HTTP/1.1 200", "text/css"},
        {"GET /k3y" + head, "HTTP/1.1 301", "/k3y/"},
        {"GET /" + head, "HTTP/1.1 403"},
        {"GET /k3x/" + head, "HTTP/1.1 403"},
        {"GET /nokey/view.js" + head, "HTTP/1.1 403"},
        {"GET /k3y/../../../etc/passwd" + head, "HTTP/1.1 40"},
        {"GET /k3y/%2e%2e/%2e%2e/etc/passwd" + head, "HTTP/1.1 404"},
        {"GET /k3y/README.md" + head, "HTTP/1.1 404"},  // a file of the program folder
        {"GET /k3y/Web/view.js" + head, "HTTP/1.1 404"},
        {"GET /k3y//etc/passwd" + head, "HTTP/1.1 404"},
        {Upgrade("/k3y/view.js"), "HTTP/1.1 404"},
        {"POST /k3y/ HTTP/1.1\r\nHost: h\r\nContent-Length: 3\r\n\r\nabc", "HTTP/1.1 405"},
        {"HELLO THERE\r\n\r\n", ""},
        {"GET /k3y/ HTTP/1.1\r\nHost: h\r\nX-Big: " + big + "\r\n\r\n", ""},
        {"POST /k3y/ HTTP/1.1\r\nHost: h\r\nContent-Length: 99999999\r\n\r\n" + big, ""},
        {"", ""},  // silent: let go at the request deadline
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.request.substr(0, 40));
        Client client(port_, c.request);
        const std::string got = client.Read(!*c.answer);
        EXPECT_EQ(got.substr(0, strlen(c.answer)), c.answer) << got.substr(0, 200);
        EXPECT_TRUE(*c.answer || client.Closed());
        EXPECT_NE(got.find(c.body), std::string::npos) << got.substr(0, 400);
        EXPECT_EQ(got.find("root:"), std::string::npos);
    }
}

TEST_F(WebServerTest, SixtyFourViewersGetTheStateTheNextOnesAreTurnedAway) {
    config_.maxConnections = 70;
    config_.requestSeconds = 30;
    Start();
    std::vector<std::vector<QString>> got(64);
    std::vector<int> codes(64, 0);
    std::vector<std::unique_ptr<QWebSocket>> viewers;
    for (int i = 0; i < 64; ++i) viewers.push_back(Viewer(&got[size_t(i)], &codes[size_t(i)]));
    ASSERT_TRUE(PumpUntil([] { return WebServerViewers() == 64; }));
    // The next one gets a close frame the page understands (too many: it tries again later),
    // one without the key a 403; neither gets anything of the state.
    Client extra(port_, Upgrade("/k3y/ws")), wrongKey(port_, Upgrade("/nokey/ws"));
    const std::string turnedAway = extra.Read();
    const size_t frame = turnedAway.find("\r\n\r\n") + 4;
    ASSERT_LE(frame + 4, turnedAway.size());
    EXPECT_EQ(turnedAway.substr(frame, 4), std::string("\x88\x12\x0F\xA1", 4)) << turnedAway;  // close, 4001
    EXPECT_EQ(turnedAway.find("all"), std::string::npos);
    EXPECT_EQ(wrongKey.Read().substr(0, 12), "HTTP/1.1 403");
    EXPECT_EQ(WebServerViewers(), 64);
    // Windows-1252 in the program, UTF-8 on the wire.
    WebServerBroadcast("{\"id\":\"\xE9t\xE9\"}", 12);
    ASSERT_TRUE(PumpUntil(
        [&] { return std::all_of(got.begin(), got.end(), [](auto& g) { return g.size() == 2; }); }));
    for (auto& g : got)
        EXPECT_EQ(g, (std::vector<QString>{QStringLiteral("{\"t\":\"all\",\"id\":\"N\u00B0 42\"}"),
                                           QStringLiteral("{\"id\":\"\u00E9t\u00E9\"}")}));
    // Connections of any kind are bounded too: 64 viewers and 6 idle ones fill the 70 places,
    // and the next is closed at once, long before its request deadline.
    std::vector<std::unique_ptr<Client>> idle;
    for (int i = 0; i < 6; ++i) idle.push_back(std::make_unique<Client>(port_, ""));
    Client refused(port_, "");
    EXPECT_TRUE(refused.Read(true, 2) == "" && refused.Closed());
    for (auto& r : idle) EXPECT_FALSE(r->Read(true, 0.01).size() || r->Closed());
    // A viewer that leaves makes room for another.
    viewers[0]->close();
    ASSERT_TRUE(PumpUntil([] { return WebServerViewers() == 63; }));
    idle.clear();
    std::vector<QString> late;
    auto again = Viewer(&late, &codes[0]);
    EXPECT_TRUE(PumpUntil([&] { return late.size() == 1 && WebServerViewers() == 64; }));
}

TEST_F(WebServerTest, AViewerThatNeverReadsIsDroppedTheOthersGetEveryMessage) {
    config_.maxBacklog = 64 * 1024;
    Start();
    std::vector<QString> got;
    int code = 0;
    auto reader = Viewer(&got, &code);
    ASSERT_TRUE(PumpUntil([&] { return got.size() == 1; }));
    Client stuck(port_, Upgrade("/k3y/ws"), 4096);
    ASSERT_TRUE(PumpUntil([] { return WebServerViewers() == 2; }));
    // Messages go out as fast as the program makes them; the one that never reads fills its
    // buffers and is dropped, and broadcasting never waits for it.
    const std::string filler(4000, 'x');
    int sent = 0;
    for (; WebServerViewers() == 2 && sent < 20000; ProcessSystemEvents()) {
        const std::string m = "{\"n\":" + std::to_string(sent++) + ",\"f\":\"" + filler + "\"}";
        WebServerBroadcast(m.data(), m.size());
    }
    EXPECT_EQ(WebServerViewers(), 1);
    ASSERT_TRUE(PumpUntil([&] { return int(got.size()) == sent + 1; }));
    for (int i = 0; i < sent; ++i)
        ASSERT_TRUE(got[size_t(i + 1)].startsWith(QStringLiteral("{\"n\":%1,").arg(i))) << i;
    EXPECT_EQ(code, 0);  // still connected
}

}  // namespace
