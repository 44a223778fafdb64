// The live view server as browsers, bad clients and a crowd meet it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QTcpSocket>
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
    for (; !done() && std::chrono::steady_clock::now() < end; usleep(500)) ProcessSystemEvents();
    return done();
}

// A plain client: sends its request, then reads until the server closes the connection, or the
// answer is whole (its head and as many body bytes as it announces).
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
    std::string got;
};

// A browser's request to become a viewer, after its path.
const std::string kUpgrade =
    " HTTP/1.1\r\nHost: h\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
    "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n";

class WebServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        qstest::EnsureRuntime();
        config_.port = 0;
        strcpy(config_.address, "127.0.0.1");
        strcpy(config_.key, "k3y");
        WebServerSetWelcome([] { return std::string("{\"t\":\"all\",\"id\":\"N\xB0 42\"}"); });
    }
    void TearDown() override { WebServerStop(); }
    std::unique_ptr<QWebSocket> Viewer(std::vector<QString>* got) {
        auto ws = std::make_unique<QWebSocket>();
        QObject::connect(ws.get(), &QWebSocket::textMessageReceived,
                         [got](const QString& m) { got->push_back(m); });
        ws->open(QUrl(QStringLiteral("ws://127.0.0.1:%1/k3y/ws").arg(WebServerPort())));
        return ws;
    }

    qstest::TempProgramDir dir_;
    WebServerConfig config_;
};

TEST_F(WebServerTest, ServesThePageFilesByNameWithTheKeyAndRefusesEverythingElse) {
    config_.requestSeconds = 0.3;
    ASSERT_EQ(WebServerStart(config_), WEB_OK);
    const std::string big(100 * 1024, 'x'), head = " HTTP/1.1\r\nHost: h\r\n\r\n";
    const struct {
        std::string request;
        const char* answer;  // start of the answer; "" none (the connection is closed unanswered)
        const char* body = "";
    } cases[] = {
        {"GET /k3y/view.js" + head, "HTTP/1.1 200", "text/javascript"},
        {"GET /k3x/" + head, "HTTP/1.1 403"},
        {"GET /k3y/../../../etc/passwd" + head, "HTTP/1.1 40"},
        {"GET /k3y/%2e%2e/%2e%2e/etc/passwd" + head, "HTTP/1.1 404"},
        {"GET /k3y/README.md" + head, "HTTP/1.1 404"},  // a file of the program folder
        {"POST /k3y/ HTTP/1.1\r\nHost: h\r\nContent-Length: 3\r\n\r\nabc", "HTTP/1.1 405"},
        {"HELLO THERE\r\n\r\n", ""},
        {"GET /k3y/ HTTP/1.1\r\nHost: h\r\nX-Big: " + big + "\r\n\r\n", ""},
        {"POST /k3y/ HTTP/1.1\r\nHost: h\r\nContent-Length: 99999999\r\n\r\n" + big, ""},
        {"", ""},  // silent: let go at the request deadline
    };
    for (const auto& c : cases) {
        Client client(WebServerPort(), c.request);
        const std::string got = client.Read(!*c.answer);
        EXPECT_TRUE(got.rfind(c.answer, 0) == 0 && got.find(c.body) != std::string::npos &&
                    got.find("root:") == std::string::npos &&
                    (*c.answer || client.state() == Client::UnconnectedState))
            << c.request.substr(0, 40) << " -> " << got.substr(0, 200);
    }
}

// Bounded viewers, the close frame the page understands, Windows-1252 as UTF-8 on
// the wire, and a viewer that never reads dropped while the others get every message.
TEST_F(WebServerTest, ViewersAreBoundedAndOneThatNeverReadsIsDropped) {
    config_.maxViewers = 3;
    config_.maxBacklog = 64 * 1024;
    ASSERT_EQ(WebServerStart(config_), WEB_OK);
    std::vector<QString> got[2];
    auto a = Viewer(&got[0]), b = Viewer(&got[1]);
    Client stuck(WebServerPort(), "GET /k3y/ws" + kUpgrade, 4096);
    ASSERT_TRUE(PumpUntil([] { return WebServerViewers() == 3; }));
    // The next one gets a close frame (4001: too many, the page tries again later), one without
    // the key a 403; neither gets anything of the state.
    Client extra(WebServerPort(), "GET /k3y/ws" + kUpgrade),
        wrongKey(WebServerPort(), "GET /nokey/ws" + kUpgrade);
    const std::string turnedAway = extra.Read();
    EXPECT_EQ(turnedAway.substr(turnedAway.find("\r\n\r\n") + 4, 4), std::string("\x88\x12\x0F\xA1", 4));
    EXPECT_TRUE(turnedAway.find("all") == std::string::npos && wrongKey.Read().find("HTTP/1.1 403") == 0);
    int sent = 0;
    WebServerBroadcast("{\"id\":\"\xE9t\xE9\"}", 12);
    for (; WebServerViewers() == 3 && sent < 20000; ProcessSystemEvents()) {
        const std::string m =
            "{\"n\":" + std::to_string(sent++) + ",\"f\":\"" + std::string(4000, 'x') + "\"}";
        WebServerBroadcast(m.data(), m.size());
    }
    EXPECT_EQ(WebServerViewers(), 2);
    ASSERT_TRUE(PumpUntil([&] { return int(got[0].size() + got[1].size()) == 2 * (sent + 2); }));
    EXPECT_EQ(got[0], got[1]);
    EXPECT_EQ(got[0][0] + got[0][1],
              QStringLiteral("{\"t\":\"all\",\"id\":\"N\u00B0 42\"}{\"id\":\"\u00E9t\u00E9\"}"));
    for (int i = 0; i < sent; ++i)
        ASSERT_TRUE(got[0][i + 2].startsWith(QStringLiteral("{\"n\":%1,").arg(i))) << i;
}

// Connections of any kind are bounded: idle ones fill the places and the next is closed at once,
// long before its request deadline.
TEST_F(WebServerTest, IdleConnectionsAreBounded) {
    config_.maxConnections = 4;
    config_.requestSeconds = 30;
    ASSERT_EQ(WebServerStart(config_), WEB_OK);
    std::vector<std::unique_ptr<Client>> idle;
    for (int i = 0; i < 4; ++i) idle.push_back(std::make_unique<Client>(WebServerPort(), ""));
    Client refused(WebServerPort(), "");
    EXPECT_TRUE(refused.Read(true, 2).empty() && refused.state() == QAbstractSocket::UnconnectedState);
    for (auto& c : idle)
        EXPECT_TRUE(c->Read(true, 0.01).empty() && c->state() == QAbstractSocket::ConnectedState);
}

}  // namespace
