// Start of the run-time layer: the application object, the program folder and folder helpers.
#include "platform/Runtime.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QLockFile>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QTableView>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include "platform/CustomControl.h"
#include "platform/Encoding.h"
#include "platform/WebServer.h"
#include "platform/cvi.h"

namespace {

// Routes the user's mouse presses, keys and close boxes to the panel callbacks once
// per user action, before the widget sees it (a callback may swallow it).
class QsApplication : public QApplication {
public:
    QsApplication(int& argc, char** argv) : QApplication(argc, argv) {}
    bool notify(QObject* receiver, QEvent* event) override {
        qs::rt::NotePointer(receiver, event);
        if (qs::rt::PressDigitShortcut(receiver, event)) return true;
        if (qs::rt::RouteUserInput(receiver, event)) return true;
        // A table given the focus makes its first cell current by itself: no pick of the
        // operator's, so its callback gets no active-cell change for it.
        std::optional<qs::rt::SignalBlock> quiet;
        if (event->type() == QEvent::FocusIn && qobject_cast<QTableView*>(receiver)) quiet.emplace(receiver);
        return QApplication::notify(receiver, event);
    }
};

// Without a display the platform plugin ends the process with an abort (status 134): the
// operator gets a plain reason instead, and the status 1 of a program that could not start.
QtMessageHandler g_previousHandler = nullptr;

void StartupMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type != QtFatalMsg) {
        if (g_previousHandler) g_previousHandler(type, context, message);
        return;
    }
    const char* display = getenv("DISPLAY");
    const char* wayland = getenv("WAYLAND_DISPLAY");
    fprintf(stderr,
            "QS-310 Manager cannot open its windows: no graphical display could be reached "
            "(DISPLAY=%s, WAYLAND_DISPLAY=%s).\n"
            "Start it from a desktop session, or set DISPLAY to a running X server.\n",
            display && *display ? display : "(not set)", wayland && *wayland ? wayland : "(not set)");
    fflush(stderr);
    std::_Exit(1);
}

int g_argc = 1;
char g_arg0[] = "QS310Manager";
char* g_argv[] = {g_arg0, nullptr};
std::unique_ptr<QsApplication> g_app;

std::unique_ptr<QLockFile> g_folderHeld;  // the program folder, while this run works in it

void ShutdownLayer() {
    g_folderHeld.reset();
    WebServerStop();  // its sockets are Qt objects: gone before the application object
    qs::rt::CloseAllPorts();
    qs::rt::DiscardAllPanels();
    qs::rt::ProcessDeferredDeletes();
    qs::rt::StopSounds();
    qs::rt::StopEvents();
}

QString ExecutableDir() {
    if (QCoreApplication::instance()) return QCoreApplication::applicationDirPath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
}

}  // namespace

namespace qs::rt {

QString ProgramDir() {
    const char* env = getenv("QS_PROGRAM_DIR");
    if (env && *env) return QString::fromLocal8Bit(env);
    return ExecutableDir();
}

// A panel's style sheet gives its number fields a padding, and the room the style then leaves
// for an arrow (five pixels wide) is less than Qt's arrow needs: it drew none, and the fields
// showed two blank buttons. The arrows are drawn here, in the field's text colour, dimmed
// where that step cannot be taken (at the limit, or the field disabled).
class PanelStyle final : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        if (element != PE_IndicatorSpinUp && element != PE_IndicatorSpinDown)
            return QProxyStyle::drawPrimitive(element, option, painter, widget);
        const QRectF r = option->rect;
        const double half = std::max(2.0, std::min(r.width() + 3.0, r.height() * 1.4) / 2.0);
        const double rise = half * 0.75;
        const QPointF c = r.center() + QPointF(0.5, 0.5);
        const double tip = element == PE_IndicatorSpinUp ? -rise : rise;
        const QPointF points[3] = {c + QPointF(-half, -tip / 2), c + QPointF(half, -tip / 2),
                                   c + QPointF(0, tip / 2)};
        QColor colour = option->palette.text().color();
        if (!(option->state & State_Enabled)) colour.setAlphaF(colour.alphaF() * 0.35f);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(colour);
        painter->drawPolygon(points, 3);
        painter->restore();
    }
};

}  // namespace qs::rt

int InitCVIRTE(int argc, char** argv) {
    static bool registered = false;
    if (!registered) {
        qs::RegisterBuiltinControls();
        registered = true;
    }
    if (QCoreApplication::instance()) return 1;
    if (argc > 0 && argv && argv[0]) g_argv[0] = argv[0];
    g_previousHandler = qInstallMessageHandler(StartupMessage);
    // Every panel places its controls for the font, style and colours it was drawn with: DejaVu
    // Sans at 9 points and Qt's Fusion style, what a plain X session gives. The desktop's own font
    // (GNOME's Cantarell at 11 points, a size chosen in a Qt settings tool) would cut the texts
    // the places leave room for, and its colours would fall on the panels' own; the window
    // scales the panels with its size instead.
#ifndef _WIN32
    QGuiApplication::setDesktopSettingsAware(false);
#endif
    g_app = std::make_unique<QsApplication>(g_argc, g_argv);
#ifndef _WIN32
    QApplication::setStyle(
        new qs::rt::PanelStyle(QStyleFactory::create(QStringLiteral("Fusion"))));  // Qt owns it
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
#endif
    qInstallMessageHandler(g_previousHandler);
    // Qt takes the system's locale for the C library as well: on a German, French or Italian
    // system, printf would write "1,5" and sscanf stop at the point of "1.5". Every number the
    // program writes or reads (records, files, the clock's lines, the live view) has a point.
    setlocale(LC_NUMERIC, "C");
    g_app->setQuitOnLastWindowClosed(false);
    qs::rt::IgnoreStrayWheels();
    // Ties the windows to the installed desktop entry, whose icon the desktop then shows.
    QGuiApplication::setDesktopFileName(QStringLiteral("qs310-manager"));
    qs::rt::StartDesktop();
    qAddPostRoutine(ShutdownLayer);
    Timer();  // the monotonic clock counts from here
    return 1;
}

void CloseCVIRTE() {
    ShutdownLayer();
    g_app.reset();
}

int GetProjectDir(char dir[260]) {
    qs::rt::CopyCp1252(QDir::toNativeSeparators(qs::rt::ProgramDir()), dir, 260);
    return 0;
}

int HoldProgramFolder() {
    const QString lock = qs::rt::ProgramDir() + QStringLiteral("/.QS310Manager.lock");
    if (g_folderHeld && g_folderHeld->fileName() == lock) return 0;
    auto held = std::make_unique<QLockFile>(lock);
    held->setStaleLockTime(0);  // stale only when the program that made it no longer runs
    if (held->tryLock(0)) {
        g_folderHeld = std::move(held);
        return 0;
    }
    return held->error() == QLockFile::LockFailedError ? 1 : -1;
}

int SetDir(const char* dir) {
    // The program folder as GetProjectDir gives it, also where its path has letters outside
    // Windows-1252 (given as another letter or '?') or is too long: the folder itself, not the
    // current one kept.
    char project[260];
    GetProjectDir(project);
    if (dir && strcmp(dir, project) == 0) return QDir::setCurrent(qs::rt::ProgramDir()) ? 0 : -1;
    return QDir::setCurrent(qs::rt::PathFromCp1252(dir)) ? 0 : -1;
}

int MakeDir(const char* dir) {
    QByteArray native = QFile::encodeName(qs::rt::PathFromCp1252(dir));
    if (mkdir(native.constData(), 0777) == 0) return 0;
    return errno == EEXIST ? -9 : -1;
}

int GetDir(char dir[260]) {
    qs::rt::CopyCp1252(QDir::toNativeSeparators(QDir::currentPath()), dir, 260);
    return 0;
}
