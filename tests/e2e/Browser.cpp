// Headless chromium for the live view's tests: started with a new empty profile and no
// background traffic, its page read through the DevTools protocol.
#include "tests/e2e/Browser.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QWebSocket>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/cvi.h"

namespace e2e {
namespace {

constexpr const char* kChromium = "/usr/bin/chromium";

// GET on chromium's own DevTools address (another process: a short blocking read is fine).
std::string Get(int port, const char* path) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{AF_INET, htons(uint16_t(port)), {htonl(INADDR_LOOPBACK)}, {}};
    timeval tv{2, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    std::string got;
    // chromium names its page addresses after the Host given here.
    const std::string req = std::string("GET ") + path +
                            " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                            "\r\nConnection: close\r\n\r\n";
    if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        send(fd, req.data(), req.size(), MSG_NOSIGNAL) == ssize_t(req.size())) {
        char buf[4096];
        for (ssize_t n; (n = recv(fd, buf, sizeof buf, 0)) > 0;) got.append(buf, size_t(n));
    }
    close(fd);
    const size_t body = got.find("\r\n\r\n");
    return body == std::string::npos ? std::string() : got.substr(body + 4);
}

QString Q(const char* s) {
    return QString::fromLatin1(s);
}

}  // namespace

bool BrowserInstalled() {
    return access(kChromium, X_OK) == 0;
}

HeadlessBrowser::HeadlessBrowser(const std::string& url, int width, int height)
    : width_(width), height_(height) {
    std::string dir = (std::filesystem::temp_directory_path() / "qs310-chromium-XXXXXX").string();
    profile_ = mkdtemp(dir.data()) ? dir : std::string();
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
                                     "--user-data-dir=" + profile_,
                                     "--window-size=" + std::to_string(width) + "," + std::to_string(height),
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
    if (pid_ > 0) kill(pid_, SIGTERM), waitpid(pid_, nullptr, 0);
    std::error_code ec;
    if (!profile_.empty()) std::filesystem::remove_all(profile_, ec);
}

void HeadlessBrowser::Call(const char* method, const QJsonObject& params, bool awaited) {
    const int id = nextId_++;
    if (awaited) openId_ = id, answered_ = false;
    const QJsonObject call{{Q("id"), id}, {Q("method"), Q(method)}, {Q("params"), params}};
    devtools_->sendTextMessage(QString::fromUtf8(QJsonDocument(call).toJson(QJsonDocument::Compact)));
}

bool HeadlessBrowser::Ready() {
    if (devtools_) {
        if (devtools_->state() != QAbstractSocket::ConnectedState) return false;
        // The page laid out at exactly the device's size (a headless window has a minimum
        // width), as a phone or a TV shows it.
        if (!sized_)
            Call("Emulation.setDeviceMetricsOverride",
                 {{Q("width"), width_},
                  {Q("height"), height_},
                  {Q("deviceScaleFactor"), 1},
                  {Q("mobile"), width_ < 800}},
                 false);
        return sized_ = true;
    }
    int port = 0;
    if (!(std::ifstream(profile_ + "/DevToolsActivePort") >> port)) return false;
    for (const QJsonValue& t :
         QJsonDocument::fromJson(QByteArray::fromStdString(Get(port, "/json/list"))).array()) {
        if (t[Q("type")].toString() != Q("page")) continue;
        devtools_ = std::make_unique<QWebSocket>();
        QObject::connect(devtools_.get(), &QWebSocket::textMessageReceived, [this](const QString& text) {
            const QJsonObject m = QJsonDocument::fromJson(text.toUtf8()).object();
            if (m[Q("id")].toInt() != openId_) return;
            const QJsonValue result = m[Q("result")];
            answer_ = result[Q("result")][Q("value")].toString().toStdString();
            if (answer_.empty()) answer_ = result[Q("data")].toString().toStdString();  // a screenshot
            answered_ = true;
            openId_ = 0;
        });
        devtools_->open(QUrl(t[Q("webSocketDebuggerUrl")].toString()));
        return false;
    }
    return false;
}

bool HeadlessBrowser::Ask(const std::string& expression) {
    if (!Ready() || openId_) return false;
    Call("Runtime.evaluate",
         {{Q("expression"), QString::fromStdString(expression)}, {Q("returnByValue"), true}}, true);
    return true;
}

bool HeadlessBrowser::Screenshot(const std::string& path) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while ((!Ready() || openId_) && std::chrono::steady_clock::now() < end) ProcessSystemEvents();
    if (openId_ || !Ready()) return false;
    Call("Page.captureScreenshot", {}, true);
    while (!answered_ && std::chrono::steady_clock::now() < end) ProcessSystemEvents();
    const QByteArray png = QByteArray::fromBase64(QByteArray::fromStdString(answer_));
    std::ofstream(path, std::ios::binary).write(png.constData(), png.size());
    return answered_ && !png.isEmpty();
}

}  // namespace e2e
