// Headless chromium for the live view's tests: started with a new empty profile and
// no background traffic, its page read through the DevTools protocol.
#include "tests/e2e/Browser.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QWebSocket>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/cvi.h"

namespace e2e {
namespace {

constexpr const char* kChromium = "/usr/bin/chromium";

// The DevTools port chromium wrote into its profile, 0 while not there yet.
int DevToolsPort(const std::string& profile) {
    std::ifstream f(profile + "/DevToolsActivePort");
    int port = 0;
    return f >> port ? port : 0;
}

// GET on chromium's own DevTools address (another process: a short blocking read is fine).
std::string Get(int port, const char* path) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string got;
    timeval tv{2, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
        // chromium names its page addresses after the Host given here.
        const std::string req = std::string("GET ") + path +
                                " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                                "\r\nConnection: close\r\n\r\n";
        if (send(fd, req.data(), req.size(), MSG_NOSIGNAL) == ssize_t(req.size())) {
            char buf[4096];
            for (ssize_t n; (n = recv(fd, buf, sizeof buf, 0)) > 0;) got.append(buf, size_t(n));
        }
    }
    close(fd);
    const size_t body = got.find("\r\n\r\n");
    return body == std::string::npos ? std::string() : got.substr(body + 4);
}

}  // namespace

bool BrowserInstalled() {
    return access(kChromium, X_OK) == 0;
}

HeadlessBrowser::HeadlessBrowser(const std::string& url, int width, int height)
    : width_(width), height_(height) {
    std::string dir = (std::filesystem::temp_directory_path() / "qs310-chromium-XXXXXX").string();
    profile_ = mkdtemp(dir.data()) ? dir : std::string();
    const std::string size = "--window-size=" + std::to_string(width) + "," + std::to_string(height);
    const std::string data = "--user-data-dir=" + profile_;
    std::vector<std::string> args = {kChromium,
                                     "--headless",
                                     "--no-sandbox",
                                     "--disable-gpu",
                                     "--disable-quic",
                                     "--no-first-run",
                                     "--disable-background-networking",
                                     "--disable-component-update",
                                     "--disable-sync",
                                     "--hide-scrollbars",
                                     "--remote-debugging-port=0",
                                     "--remote-allow-origins=*",
                                     data,
                                     size,
                                     url};
    pid_ = fork();
    if (pid_ == 0) {
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 1);
        dup2(null, 2);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(kChromium, argv.data());
        _exit(127);
    }
}

HeadlessBrowser::~HeadlessBrowser() {
    devtools_.reset();
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    std::error_code ec;
    if (!profile_.empty()) std::filesystem::remove_all(profile_, ec);
}

bool HeadlessBrowser::Ready() {
    if (devtools_) {
        if (devtools_->state() != QAbstractSocket::ConnectedState) return false;
        if (!sized_) {
            // The page laid out at exactly the device's size (a headless window has a
            // minimum width), as a phone or a TV shows it.
            QJsonObject size{{QStringLiteral("width"), width_},
                             {QStringLiteral("height"), height_},
                             {QStringLiteral("deviceScaleFactor"), 1},
                             {QStringLiteral("mobile"), width_ < 800}};
            QJsonObject call{{QStringLiteral("id"), nextId_++},
                             {QStringLiteral("method"), QStringLiteral("Emulation.setDeviceMetricsOverride")},
                             {QStringLiteral("params"), size}};
            devtools_->sendTextMessage(QString::fromUtf8(QJsonDocument(call).toJson(QJsonDocument::Compact)));
            sized_ = true;
        }
        return true;
    }
    const int port = DevToolsPort(profile_);
    if (port == 0) return false;
    const std::string list = Get(port, "/json/list");
    const QJsonArray targets = QJsonDocument::fromJson(QByteArray::fromStdString(list)).array();
    for (const QJsonValue& t : targets) {
        if (t[QStringLiteral("type")].toString() != QStringLiteral("page")) continue;
        devtools_ = std::make_unique<QWebSocket>();
        QObject::connect(devtools_.get(), &QWebSocket::textMessageReceived, [this](const QString& text) {
            const QJsonObject m = QJsonDocument::fromJson(text.toUtf8()).object();
            if (m[QStringLiteral("id")].toInt() != openId_) return;
            answer_ = m[QStringLiteral("result")][QStringLiteral("result")][QStringLiteral("value")]
                          .toString()
                          .toStdString();
            if (answer_.empty())  // a screenshot
                answer_ = m[QStringLiteral("result")][QStringLiteral("data")].toString().toStdString();
            answered_ = true;
            openId_ = 0;
        });
        devtools_->open(QUrl(t[QStringLiteral("webSocketDebuggerUrl")].toString()));
        return false;
    }
    return false;
}

bool HeadlessBrowser::Ask(const std::string& expression) {
    if (!Ready() || openId_) return false;
    openId_ = nextId_++;
    answered_ = false;
    QJsonObject params{{QStringLiteral("expression"), QString::fromStdString(expression)},
                       {QStringLiteral("returnByValue"), true}};
    QJsonObject call{{QStringLiteral("id"), openId_},
                     {QStringLiteral("method"), QStringLiteral("Runtime.evaluate")},
                     {QStringLiteral("params"), params}};
    devtools_->sendTextMessage(QString::fromUtf8(QJsonDocument(call).toJson(QJsonDocument::Compact)));
    return true;
}

bool HeadlessBrowser::Screenshot(const std::string& path) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while ((!Ready() || openId_) && std::chrono::steady_clock::now() < end) ProcessSystemEvents();
    if (!Ready() || openId_) return false;
    openId_ = nextId_++;
    answered_ = false;
    QJsonObject call{{QStringLiteral("id"), openId_},
                     {QStringLiteral("method"), QStringLiteral("Page.captureScreenshot")}};
    devtools_->sendTextMessage(QString::fromUtf8(QJsonDocument(call).toJson(QJsonDocument::Compact)));
    while (!answered_ && std::chrono::steady_clock::now() < end) ProcessSystemEvents();
    if (!answered_) return false;
    const QByteArray png = QByteArray::fromBase64(QByteArray::fromStdString(answer_));
    std::ofstream(path, std::ios::binary).write(png.constData(), png.size());
    return !png.isEmpty();
}

}  // namespace e2e
