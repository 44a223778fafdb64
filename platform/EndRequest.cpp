// The system asking the program to end: SIGTERM at a shutdown or a logout, SIGHUP when its
// session goes, SIGINT from its terminal. The handler only writes the signal's number to a
// pipe; the hook runs from the event processing, where the program's own code may run.
#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>

#include "platform/cvi.h"

namespace {

int g_pipe[2] = {-1, -1};
EndRequestHook g_hook = nullptr;

extern "C" void Asked(int signal) {
    const int saved = errno;
    const unsigned char n = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = write(g_pipe[1], &n, 1);
    errno = saved;
}

void Heard() {
    unsigned char n = 0;
    while (read(g_pipe[0], &n, 1) == 1)
        if (g_hook) g_hook(n);
}

}  // namespace

void SetEndRequestHook(EndRequestHook hook) {
    static QPointer<QSocketNotifier> notifier;  // of the running application
    g_hook = hook;
    if (!hook) {  // the signals end the program again by themselves
        for (int signal : {SIGTERM, SIGHUP, SIGINT}) std::signal(signal, SIG_DFL);
        return;
    }
    if (!QCoreApplication::instance()) return;
    if (g_pipe[0] < 0 && pipe2(g_pipe, O_NONBLOCK | O_CLOEXEC) != 0) return;
    if (!notifier) {
        notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] { Heard(); });
    }
    struct sigaction action {};
    action.sa_handler = Asked;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGHUP, SIGINT}) sigaction(signal, &action, nullptr);
}
