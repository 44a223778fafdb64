// Live view server over Qt HTTP Server and Qt WebSockets: the page's files by a
// fixed list of names, viewers fed by broadcast, and the bounds that keep a
// crowded or hostile network from costing the program more than it allows.
#include "platform/WebServer.h"

#include <QAbstractHttpServer>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QNetworkInterface>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QWebSocket>
#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "lib/StrBuf.h"
#include "platform/Encoding.h"
#include "platform/Runtime.h"

namespace {

// A request head of a browser is well under 2 KiB; a socket stops reading past this,
// so an oversize request never completes and is closed at its deadline.
constexpr qint64 kReadBuffer = 16 * 1024;
constexpr qint64 kPageFileMax = 1 << 20;
// Viewers send nothing (the view is read-only): a frame of theirs beyond this closes them.
constexpr quint64 kViewerFrameMax = 1024;
constexpr auto kCloseTooMany = QWebSocketProtocol::CloseCode(4001);
constexpr auto kCloseForbidden = QWebSocketProtocol::CloseCode(4003);

// The page's files: the only names ever served, read once when the server starts.
struct PageFile {
    const char* name;  // "" is the folder's own address
    const char* file;
    const char* type;
};
constexpr PageFile kPageFiles[] = {
    {"", "index.html", "text/html; charset=utf-8"},
    {"index.html", "index.html", "text/html; charset=utf-8"},
    {"view.css", "view.css", "text/css; charset=utf-8"},
    {"view.js", "view.js", "text/javascript; charset=utf-8"},
};

// A viewer, and the connection under it (which Qt WebSockets does not let go of itself).
struct Viewer {
    std::unique_ptr<QWebSocket> socket;
    QPointer<QTcpSocket> tcp;
};

class HttpServer;

struct State {
    WebServerConfig config;
    std::map<QByteArray, std::pair<QByteArray, QByteArray>> pages;  // name -> body, type
    std::unique_ptr<HttpServer> http;
    QPointer<QTcpServer> listener;
    std::vector<QPointer<QTcpSocket>> pending;  // connections that are not viewers (yet)
    std::vector<Viewer> viewers;
    std::vector<Viewer> gone;  // let go, deleted at the next safe point (not inside their own signals)
    int connections = 0;
    std::unique_ptr<QTimer> keepAlive;
    qint64 lastSent = 0;  // ms since epoch of the last message
    WebWelcomeHook welcome = nullptr;
};
State g;

qint64 NowMs() {
    return QDateTime::currentMSecsSinceEpoch();
}

QByteArray Prefix() {
    return g.config.key[0] ? QByteArray("/") + g.config.key + "/" : QByteArray("/");
}

void ClearGone();

void Bury(Viewer viewer) {
    viewer.socket->disconnect();
    g.gone.push_back(std::move(viewer));
    QTimer::singleShot(0, [] { ClearGone(); });  // from the event loop, outside the viewer's own signals
}

void ClearGone() {
    for (Viewer& v : g.gone) {
        v.socket.reset();
        delete v.tcp.data();
    }
    g.gone.clear();
}

void Drop(size_t index) {
    Viewer v = std::move(g.viewers[index]);
    g.viewers.erase(g.viewers.begin() + qsizetype(index));
    v.socket->abort();
    Bury(std::move(v));
}

void DropSocket(QWebSocket* ws) {
    for (size_t i = 0; i < g.viewers.size(); ++i)
        if (g.viewers[i].socket.get() == ws) return Drop(i);
}

// True when sent; a viewer with too much left unread is dropped instead.
bool Send(size_t index, const QString& text) {
    QWebSocket* ws = g.viewers[index].socket.get();
    if (ws->state() != QAbstractSocket::ConnectedState || ws->bytesToWrite() > g.config.maxBacklog) {
        Drop(index);
        return false;
    }
    ws->sendTextMessage(text);
    ws->flush();  // to the system now, without waiting; what it cannot take stays queued
    return true;
}

void Broadcast(const QString& text) {
    ClearGone();
    g.lastSent = NowMs();
    for (size_t i = 0; i < g.viewers.size();)
        if (Send(i, text)) ++i;
}

// Counts a connection for as long as its socket lives (a child of it: the HTTP layer
// disconnects every signal of a socket it hands over to Qt WebSockets).
class Counted : public QObject {
public:
    explicit Counted(QObject* socket) : QObject(socket) { ++g.connections; }
    ~Counted() override { --g.connections; }
};

// Accepts the connections the bounds allow, each with its deadline, before the
// HTTP layer sees a byte of them.
class Listener : public QTcpServer {
public:
    using QTcpServer::QTcpServer;

protected:
    void incomingConnection(qintptr descriptor) override {
        auto* socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        if (g.connections >= g.config.maxConnections) {
            socket->abort();
            socket->deleteLater();
            return;
        }
        new Counted(socket);
        socket->setReadBufferSize(kReadBuffer);
        g.pending.emplace_back(socket);
        QPointer<QTcpSocket> guard(socket);
        QTimer::singleShot(int(g.config.requestSeconds * 1000), socket, [guard] {
            auto it = std::find(g.pending.begin(), g.pending.end(), guard);
            if (it == g.pending.end()) return;  // became a viewer
            g.pending.erase(it);
            if (guard) guard->abort();
        });
        addPendingConnection(socket);
    }
};

bool IsUpgrade(const QHttpServerRequest& request) {
    return request.value("upgrade").compare("websocket", Qt::CaseInsensitive) == 0;
}

class HttpServer : public QAbstractHttpServer {
public:
    HttpServer() {
        QObject::connect(this, &QAbstractHttpServer::newWebSocketConnection, this, [this] { TakeViewers(); });
    }

protected:
    // A request to become a viewer comes here too: returning true lets it through,
    // false refuses it (what was written is its answer, then the connection closes).
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override {
        QHttpServerResponder responder = makeResponder(request, socket);
        const bool upgrade = IsUpgrade(request);
        const QByteArray path = request.url().path(QUrl::FullyEncoded).toLatin1();
        const QByteArray prefix = Prefix();
        if (!path.startsWith(prefix)) {
            if (g.config.key[0] && path + "/" == prefix && !upgrade) {
                responder.write({{"Location", prefix}}, QHttpServerResponder::StatusCode::MovedPermanently);
            } else if (g.config.key[0]) {
                responder.write(QByteArray("403 Forbidden\n"), "text/plain",
                                QHttpServerResponder::StatusCode::Forbidden);
            } else {
                responder.write(QHttpServerResponder::StatusCode::NotFound);
            }
            return !upgrade;
        }
        const QByteArray name = path.mid(prefix.size());
        if (upgrade) {
            if (name == "ws") return true;
            responder.write(QHttpServerResponder::StatusCode::NotFound);
            return false;
        }
        auto page = g.pages.find(name);
        if (page == g.pages.end()) {
            responder.write(QHttpServerResponder::StatusCode::NotFound);
        } else if (request.method() != QHttpServerRequest::Method::Get) {
            responder.write({{"Allow", "GET"}}, QHttpServerResponder::StatusCode::MethodNotAllowed);
        } else {
            responder.write(page->second.first,
                            {{"Content-Type", page->second.second},
                             {"Cache-Control", "no-store"},
                             {"X-Content-Type-Options", "nosniff"},
                             {"Referrer-Policy", "no-referrer"},
                             {"Content-Security-Policy",
                              "default-src 'none'; script-src 'self'; style-src 'self'; "
                              "img-src 'self'; connect-src 'self' ws: wss:; "
                              "base-uri 'none'; form-action 'none'; frame-ancestors 'none'"}});
        }
        return true;
    }

    // Only refused viewers come here: their answer is written already.
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override {
        if (!IsUpgrade(request))
            makeResponder(request, socket).write(QHttpServerResponder::StatusCode::NotFound);
    }

private:
    void TakeViewers() {
        ClearGone();
        while (hasPendingWebSocketConnections()) {
            Viewer v{nextPendingWebSocketConnection(), nullptr};
            if (!v.socket) break;
            QWebSocket* raw = v.socket.get();
            v.tcp = NoLongerPending(*raw);
            if (raw->requestUrl().path(QUrl::FullyEncoded).toLatin1() != Prefix() + "ws") {
                raw->close(kCloseForbidden, QStringLiteral("access key"));
                Bury(std::move(v));
                continue;
            }
            if (int(g.viewers.size()) >= g.config.maxViewers) {
                raw->close(kCloseTooMany, QStringLiteral("too many viewers"));
                Bury(std::move(v));
                continue;
            }
            raw->setMaxAllowedIncomingFrameSize(kViewerFrameMax);
            raw->setMaxAllowedIncomingMessageSize(kViewerFrameMax);
            // Read-only: a viewer that sends anything, or goes, is let go.
            QObject::connect(raw, &QWebSocket::textMessageReceived, raw, [raw] { DropSocket(raw); });
            QObject::connect(raw, &QWebSocket::binaryMessageReceived, raw, [raw] { DropSocket(raw); });
            QObject::connect(raw, &QWebSocket::disconnected, raw, [raw] { DropSocket(raw); });
            g.viewers.push_back(std::move(v));
            if (g.welcome) {
                const std::string whole = g.welcome();
                Send(g.viewers.size() - 1, qs::rt::FromCp1252(whole.data(), whole.size()));
            }
        }
    }

    // The connection became a viewer: its request deadline no longer holds.
    static QPointer<QTcpSocket> NoLongerPending(const QWebSocket& ws) {
        QPointer<QTcpSocket> found;
        std::erase_if(g.pending, [&ws, &found](const QPointer<QTcpSocket>& s) {
            if (s && (s->peerPort() != ws.peerPort() || s->peerAddress() != ws.peerAddress())) return false;
            if (s) found = s;
            return true;
        });
        return found;
    }
};

bool LoadPages() {
    g.pages.clear();
    QString folder = g.config.pageFolder[0] ? qs::rt::PathFromCp1252(g.config.pageFolder)
                                            : qs::rt::ProgramDir() + QStringLiteral("/Web");
    for (const PageFile& p : kPageFiles) {
        QFile f(folder + QLatin1Char('/') + QLatin1String(p.file));
        if (!f.open(QIODevice::ReadOnly) || f.size() > kPageFileMax) return false;
        g.pages[QByteArray(p.name)] = {f.readAll(), QByteArray(p.type)};
    }
    return true;
}

int Reason(QAbstractSocket::SocketError error) {
    switch (error) {
        case QAbstractSocket::AddressInUseError:
            return WEB_ERR_IN_USE;
        case QAbstractSocket::SocketAccessError:
            return WEB_ERR_ACCESS;
        case QAbstractSocket::SocketAddressNotAvailableError:
            return WEB_ERR_ADDRESS;
        default:
            return WEB_ERR_OTHER;
    }
}

}  // namespace

int WebServerStart(const WebServerConfig& config) {
    WebServerStop();
    if (!QCoreApplication::instance()) return WEB_ERR_OTHER;
    g.config = config;
    if (!LoadPages()) return WEB_ERR_PAGE;
    QHostAddress address = QHostAddress::Any;
    if (config.address[0] && !address.setAddress(QString::fromLatin1(config.address))) return WEB_ERR_ADDRESS;
    auto listener = std::make_unique<Listener>();
    if (!listener->listen(address, quint16(config.port))) return Reason(listener->serverError());
    g.http = std::make_unique<HttpServer>();
    g.listener = listener.get();
    g.http->bind(listener.release());  // the HTTP server owns it from here
    g.keepAlive = std::make_unique<QTimer>();
    QObject::connect(g.keepAlive.get(), &QTimer::timeout, [] {
        ClearGone();
        if (NowMs() - g.lastSent >= qint64(g.config.keepAliveSeconds * 1000) - 50)
            Broadcast(QString::fromLatin1(g.config.keepAlive));
    });
    g.keepAlive->start(std::max(100, int(config.keepAliveSeconds * 1000)));
    return WEB_OK;
}

void WebServerStop() {
    g.keepAlive.reset();
    while (!g.viewers.empty()) Drop(g.viewers.size() - 1);
    ClearGone();
    g.pending.clear();
    g.http.reset();  // closes the listener and every connection it still holds
    g.pages.clear();
}

int WebServerPort() {
    return g.listener ? int(g.listener->serverPort()) : 0;
}

int WebServerViewers() {
    return int(g.viewers.size());
}

void WebServerBroadcast(const char* text, size_t length) {
    if (g.viewers.empty()) return;
    Broadcast(qs::rt::FromCp1252(text, length));
}

void WebServerSetWelcome(WebWelcomeHook hook) {
    g.welcome = hook;
}

int WebServerAddresses(char (*out)[64], int max) {
    int n = 0;
    for (const QNetworkInterface& itf : QNetworkInterface::allInterfaces()) {
        const auto flags = itf.flags();
        if (!(flags & QNetworkInterface::IsUp) || (flags & QNetworkInterface::IsLoopBack)) continue;
        for (const QNetworkAddressEntry& e : itf.addressEntries()) {
            if (n >= max) return n;
            if (e.ip().protocol() != QAbstractSocket::IPv4Protocol) continue;
            StrCopy(out[n++], 64, e.ip().toString().toLatin1().constData());
        }
    }
    return n;
}
