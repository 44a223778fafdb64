// Keeping the desktop awake while the program works with the clock: a laptop left alone at the
// start for a quarter of an hour would blank its screen and then suspend (times arriving on the
// line are no input to the desktop), and the link with it. Asked of the desktop's idle services
// over the session bus, without waiting for them: a desktop with neither just does not answer.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <array>

#include "platform/Encoding.h"
#include "platform/cvi.h"

namespace {

// The screen saver's (blanking and locking) and the power manager's (suspending on idle).
struct Service {
    const char *name, *path, *interface;
    uint cookie = 0;
    bool held = false;
};
std::array<Service, 2> g_services = {
    {{"org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver"},
     {"org.freedesktop.PowerManagement", "/org/freedesktop/PowerManagement/Inhibit",
      "org.freedesktop.PowerManagement.Inhibit"}}};
bool g_awake = false;

void Release(QDBusConnection& bus, const Service& s, uint cookie) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(s.name, s.path, s.interface, QStringLiteral("UnInhibit"));
    call << cookie;
    bus.send(call);
}

}  // namespace

void KeepAwake(int awake, const char* reason) {
    if (bool(awake) == g_awake) return;
    g_awake = awake;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    for (Service& s : g_services) {
        if (!awake) {
            if (s.held) Release(bus, s, s.cookie);
            s.held = false;
            continue;
        }
        QDBusMessage call =
            QDBusMessage::createMethodCall(s.name, s.path, s.interface, QStringLiteral("Inhibit"));
        call << QCoreApplication::applicationName() << qs::rt::FromCp1252(reason);
        auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), QCoreApplication::instance());
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [&s, watcher] {
            watcher->deleteLater();
            const QDBusPendingReply<uint> reply = *watcher;
            if (!reply.isValid()) return;
            QDBusConnection bus = QDBusConnection::sessionBus();
            if (!g_awake || s.held) return Release(bus, s, reply.value());  // no longer wanted, or twice
            s.cookie = reply.value();
            s.held = true;
        });
    }
}

int KeptAwake() {
    return g_awake;
}
