// Screens of the desktop: the public display opens on a second screen when there is one.
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>

#include "platform/cvi.h"

namespace {

void (*g_screenRemoved)() = nullptr;

QScreen* Screen(int index) {
    if (!QGuiApplication::instance()) return nullptr;
    QScreen* primary = QGuiApplication::primaryScreen();
    if (index == 0) return primary;
    int n = 0;
    for (QScreen* s : QGuiApplication::screens()) {  // the others, in the system's order
        if (s == primary) continue;
        if (++n == index) return s;
    }
    return nullptr;
}

}  // namespace

int GetScreenCount() {
    return QGuiApplication::instance() ? int(QGuiApplication::screens().size()) : 0;
}

int GetScreenRect(int screen, int* top, int* left, int* height, int* width) {
    QScreen* s = Screen(screen);
    if (!s) return -1;
    const QRect r = s->geometry();
    if (top) *top = r.y();
    if (left) *left = r.x();
    if (height) *height = r.height();
    if (width) *width = r.width();
    return 0;
}

void SetScreenRemovedHook(void (*hook)()) {
    static QPointer<QGuiApplication> heard;  // the application whose signal reaches the hook
    g_screenRemoved = hook;
    if (!hook || !qGuiApp || heard == qGuiApp) return;
    heard = qGuiApp;
    QObject::connect(qGuiApp, &QGuiApplication::screenRemoved, qGuiApp, [] {
        // Once Qt has moved the windows of the screen that went, and let it go.
        QTimer::singleShot(0, qGuiApp, [] {
            if (g_screenRemoved) g_screenRemoved();
        });
    });
}
