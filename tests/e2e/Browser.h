// The live view in a real browser: headless chromium (Debian's), driven over its DevTools
// protocol from the program's own loop, read while the program runs a race.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebSocket>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/Q31Aff.h"
#include "records/SbCr.h"
#include "tests/runner/Operator.h"

namespace e2e {

inline constexpr const char* kChromium = "/usr/bin/chromium";

inline QString Q(const char* s) {
    return QString::fromLatin1(s);
}

// One headless chromium with an empty profile, its page's DevTools link opened once it is up.
class Browser {
public:
    explicit Browser(const std::string& url) {
        std::string dir = (std::filesystem::temp_directory_path() / "qs310-chromium-XXXXXX").string();
        profile_ = mkdtemp(dir.data()) ? dir : std::string();
        const std::string profile = "--user-data-dir=" + profile_;
        if ((pid_ = fork()) == 0) {
            dup2(open("/dev/null", O_RDWR), 2);
            execl(kChromium, kChromium, "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                  "--hide-scrollbars", "--disable-background-networking", "--disable-component-update",
                  "--disable-sync", "--remote-debugging-port=0", "--remote-allow-origins=*", profile.c_str(),
                  url.c_str(), nullptr);
            _exit(127);
        }
    }
    ~Browser() {
        devtools_.reset();
        if (pid_ > 0) kill(pid_, SIGTERM), waitpid(pid_, nullptr, 0);
        std::error_code ec;
        std::filesystem::remove_all(profile_, ec);
    }
    // True once the page's DevTools link is open. Its address comes from a GET on chromium's
    // DevTools port (another process: a short blocking read is fine), named after the Host given.
    bool Ready() {
        int port = 0;
        if (devtools_) return devtools_->state() == QAbstractSocket::ConnectedState;
        if (!(std::ifstream(profile_ + "/DevToolsActivePort") >> port)) return false;
        QTcpSocket http;
        http.connectToHost(Q("127.0.0.1"), quint16(port));
        http.write("GET /json/list HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) +
                   "\r\nConnection: close\r\n\r\n");
        QByteArray got;
        while (http.waitForReadyRead(2000)) got += http.readAll();
        for (const QJsonValue& t : QJsonDocument::fromJson(got.mid(got.indexOf("\r\n\r\n") + 4)).array())
            if (t[Q("type")].toString() == Q("page")) {
                devtools_ = std::make_unique<QWebSocket>();
                QObject::connect(devtools_.get(), &QWebSocket::textMessageReceived, [this](const QString& m) {
                    const QJsonObject o = QJsonDocument::fromJson(m.toUtf8()).object();
                    if (o[Q("id")].toInt() != asked_) return;
                    const QJsonValue r = o[Q("result")];
                    answer_ =
                        (r[Q("data")].isString() ? r[Q("data")] : r[Q("result")][Q("value")]).toString();
                    asked_ = 0;
                });
                devtools_->open(QUrl(t[Q("webSocketDebuggerUrl")].toString()));
                break;
            }
        return false;
    }
    // Asks for a JavaScript expression's string value (or a screenshot); the answer comes with
    // later event processing, and a question waits while one is open.
    bool Ask(const char* method, QJsonObject params) {
        if (!Ready() || asked_) return false;
        answer_.clear();
        asked_ = next_;
        Call(method, params);
        return true;
    }
    bool Answered() const { return !asked_ && !answer_.isEmpty(); }
    std::string Answer() const { return answer_.toStdString(); }
    // The page laid out as a device of that size shows it, and taken as a picture.
    void Screenshot(int width, int height, const std::string& path) {
        answer_.clear();
        Call("Emulation.setDeviceMetricsOverride", {{Q("width"), width},
                                                    {Q("height"), height},
                                                    {Q("deviceScaleFactor"), 1},
                                                    {Q("mobile"), width < 800}});
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        for (bool asked = false; !Answered() && std::chrono::steady_clock::now() < end; ProcessSystemEvents())
            asked = asked || Ask("Page.captureScreenshot", {});
        const QByteArray png = QByteArray::fromBase64(answer_.toLatin1());
        std::ofstream(path, std::ios::binary).write(png.constData(), png.size());
    }

private:
    void Call(const char* method, const QJsonObject& params) {
        const QJsonObject call{{Q("id"), next_++}, {Q("method"), Q(method)}, {Q("params"), params}};
        devtools_->sendTextMessage(QString::fromUtf8(QJsonDocument(call).toJson(QJsonDocument::Compact)));
    }
    pid_t pid_ = -1;
    int next_ = 1, asked_ = 0;
    std::string profile_;
    QString answer_;
    std::unique_ptr<QWebSocket> devtools_;
};

// The page as its DOM holds it: "lost", or the ring's colours and the two digits' segments; then
// the times table's last row.
inline const char* const kReadPage = R"JS([document.body.classList.contains('lost') ? 'lost' :
  Array.from(document.querySelectorAll('circle.dot'), e => e.getAttribute('fill')).join(',') + ' ' +
  [0, 1].map(d => Array.from(document.querySelectorAll('rect.seg[data-d="' + d + '"]'))
      .reduce((p, e) => p | (e.classList.contains('on') ? 1 << Number(e.dataset.s) : 0), 0)).join(' '),
  Array.from(document.querySelectorAll('#rows tr'), r => Array.from(r.cells, c => c.textContent).join('|'))
      .pop() || ''].join('\n'))JS";

// The program's clock at this moment, in the page's terms.
inline std::string ProgramClock() {
    std::string s;
    char dot[9];
    for (size_t i = 0; i < 60; ++i) {
        snprintf(dot, sizeof dot, "#%06x", Q31CouleurLumiere(SbQ31CrG.lights[i]) & 0xFFFFFF);
        s += (i ? "," : "") + std::string(dot);
    }
    return s + " " + std::to_string(SbQ31CrG.digitB & 0x7F) + " " + std::to_string(SbQ31CrG.digitC & 0x7F);
}

inline std::unique_ptr<Browser> browser;
inline std::string late;  // what the page did not show in time

// Reads the page until `shown` holds for what it shows (the clock, then the table's last row), or
// `seconds` of real time have gone: then `what` is noted as late.
inline Step PageShows(std::function<bool(const std::string&, const std::string&)> shown, double seconds,
                      std::string what) {
    auto end = std::make_shared<std::chrono::steady_clock::time_point>();
    return [=] {
        const auto now = std::chrono::steady_clock::now();
        const bool first = *end == std::chrono::steady_clock::time_point{};  // an answer left is stale
        if (first) *end = now + std::chrono::milliseconds(long(seconds * 1000));
        const std::string a = !first && browser->Answered() ? browser->Answer() : "";
        const bool done = !a.empty() && shown(a.substr(0, a.find('\n')), a.substr(a.find('\n') + 1));
        if (!done)
            browser->Ask("Runtime.evaluate", {{Q("expression"), Q(kReadPage)}, {Q("returnByValue"), true}});
        if (!done && now < *end) return false;
        if (!done) late += " " + what + " (shown: " + a + ")";
        *end = {};
        return true;
    };
}

}  // namespace e2e
