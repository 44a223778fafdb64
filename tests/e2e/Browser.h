// The live view in a real browser: headless chromium (Debian's), driven over its DevTools
// protocol from the race's steps while the program serves the page.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QWebSocket>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>

#include "records/ClockTables.h"
#include "records/SbCr.h"
#include "tests/runner/Operator.h"

namespace e2e {

inline constexpr const char* kChromium = "/usr/bin/chromium";

inline QString Q(const char* s) {
    return QString::fromLatin1(s);
}

// Processes the program's events (its live view serves the page meanwhile) until `done`, for at
// most `ms`; the tick wakes the wait when nothing comes.
inline bool Await(const std::function<bool()>& done, int ms) {
    const QDeadlineTimer end(ms);
    QTimer tick;
    tick.start(20);
    while (!done() && !end.hasExpired()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return done();
}

// One headless chromium with an empty profile, its page reached over DevTools.
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
    // The answer to a call on the page (a JavaScript value, or a picture's data); empty when the
    // page is not reached within 30 s or does not answer within 5 s.
    std::string Call(const char* method, const QJsonObject& params) {
        if (!Await([this] { return Open(); }, 30000)) return "";
        const QJsonObject call{{Q("id"), ++asked_}, {Q("method"), Q(method)}, {Q("params"), params}};
        answer_.reset();
        devtools_->sendTextMessage(QString::fromUtf8(QJsonDocument(call).toJson(QJsonDocument::Compact)));
        Await([this] { return answer_.has_value(); }, 5000);
        return answer_.value_or(QString()).toStdString();
    }
    // The page laid out as a device of that size shows it, taken as a picture.
    void Screenshot(int width, int height, const std::string& path) {
        Call("Emulation.setDeviceMetricsOverride", {{Q("width"), width},
                                                    {Q("height"), height},
                                                    {Q("deviceScaleFactor"), 1},
                                                    {Q("mobile"), width < 800}});
        const QByteArray png =
            QByteArray::fromBase64(QByteArray::fromStdString(Call("Page.captureScreenshot", {})));
        std::ofstream(path, std::ios::binary).write(png.constData(), png.size());
    }

private:
    // True once the page's DevTools link is open. Its address comes from a GET on chromium's
    // DevTools port (another process: a short blocking read is fine), named after the Host given.
    bool Open() {
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
                    const QJsonValue r = o[Q("result")], data = r[Q("data")];
                    if (o[Q("id")].toInt() == asked_)
                        answer_ = (data.isString() ? data : r[Q("result")][Q("value")]).toString();
                });
                devtools_->open(QUrl(t[Q("webSocketDebuggerUrl")].toString()));
                break;
            }
        return false;
    }
    pid_t pid_ = -1;
    int asked_ = 0;
    std::string profile_;
    std::optional<QString> answer_;
    std::unique_ptr<QWebSocket> devtools_;
};

// The page as its DOM holds it: "lost", or the ring's colours and the two digits' segments.
inline const char* const kReadClock = R"JS(document.body.classList.contains('lost') ? 'lost' :
  Array.from(document.querySelectorAll('circle.dot'), e => e.getAttribute('fill')).join(',') + ' ' +
  [0, 1].map(d => Array.from(document.querySelectorAll('rect.seg[data-d="' + d + '"]'))
      .reduce((p, e) => p | (e.classList.contains('on') ? 1 << Number(e.dataset.s) : 0), 0)).join(' '))JS";
// The times table's last row as the page shows it.
inline const char* const kReadLastRow = R"JS(Array.from(document.querySelectorAll('#rows tr'),
  r => Array.from(r.cells, c => c.textContent).join('|')).pop() || '')JS";

// The program's clock at this moment, in the page's terms.
inline std::string ProgramClock() {
    std::string s;
    for (size_t i = 0; i < 60; ++i)
        s += QString::asprintf(",#%06x", Q31CouleurLumiere(SbQ31CrG.lights[i]) & 0xFFFFFF).toStdString();
    return s.substr(1) + " " + std::to_string(SbQ31CrG.digitB & 0x7F) + " " +
           std::to_string(SbQ31CrG.digitC & 0x7F);
}

inline std::unique_ptr<Browser> browser;
inline std::string late;  // what the page did not show in time

// Reads the page with `read` until it shows what the program `expected` at this moment, for at
// most `ms` of real time; past it, `what` is noted as late.
inline Step PageShows(const char* read, std::function<std::string()> expected, int ms, std::string what) {
    return Do([=] {
        const QJsonObject evaluate{{Q("expression"), Q(read)}, {Q("returnByValue"), true}};
        std::string shown;
        if (!Await([&] { return (shown = browser->Call("Runtime.evaluate", evaluate)) == expected(); }, ms))
            late += " " + what + " (shown: " + shown + ", not " + expected() + ")";
    });
}

}  // namespace e2e
