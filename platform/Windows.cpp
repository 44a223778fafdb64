// Panel windows that behave like a desktop program's: dialogs stay above the window they
// belong to, open over it and fit the screen; Enter and Escape act on the default and cancel
// buttons; the main windows come back where they were; assistive tools see real roles.
#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QStyle>
#include <QTimer>
#include <QWindow>
#include <cmath>
#include <map>

#include "platform/Runtime.h"

namespace qs::rt {
namespace {

const char* const kShown = "qsShown";        // the window has been shown once
const char* const kHasPlace = "qsHasPlace";  // the resource or the program placed the window itself

// Room the window manager's frame takes around a window (title bar, borders).
constexpr int kFrameWidth = 16;
constexpr int kFrameHeight = 48;

// --- keys ----------------------------------------------------------------------

bool UsableButton(const QAbstractButton* b, int panel) {
    return b && !b->isHidden() && b->isEnabled() && PanelOfWidget(b) == panel;
}

// The first visible, enabled button of the panel carrying the given resource property.
QAbstractButton* MarkedButton(QWidget* root, int panel, const char* property) {
    for (QAbstractButton* b : root->findChildren<QAbstractButton*>())
        if (b->property(property).toBool() && UsableButton(b, panel)) return b;
    return nullptr;
}

// Enter: the focused push button, else the panel's default button. Escape: its cancel
// button, else the close box when the resource says Escape closes the panel. Both go
// through the button's own click, so the program sees exactly what a mouse click gives.
bool PanelKey(QWidget* root, QKeyEvent* k) {
    const int panel = PanelOfWidget(root);
    PanelRec* p = FindPanel(panel);
    if (!p || p->root != root || p->dimmed) return false;
    if (k->modifiers() & ~Qt::KeypadModifier) return false;
    if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
        auto* focused = qobject_cast<QPushButton*>(QApplication::focusWidget());
        QAbstractButton* b = focused && !focused->isCheckable() && UsableButton(focused, panel)
                                 ? focused
                                 : MarkedButton(root, panel, "default");
        if (!b) return false;
        b->click();
        return true;
    }
    if (k->key() == Qt::Key_Escape) {
        if (QAbstractButton* b = MarkedButton(root, panel, "cancelButton")) {
            b->click();
            return true;
        }
        if (!root->property("escapeCloses").toBool()) return false;
        CallPanel(panel, EVENT_CLOSE, 0, 0);
        return true;
    }
    return false;
}

// A window dimmed while one of its dialogs is up hands the keyboard on to that dialog when
// the operator clicks it, as a window does under a modal dialog.
void ForwardActivation(QWidget* win) {
    PanelRec* p = FindPanel(PanelOfWidget(win));
    if (!p || p->root != win || !p->dimmed) return;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        QWindow* handle = top->windowHandle();
        if (top == win || !top->isVisible() || !handle || handle->transientParent() != win->windowHandle())
            continue;
        QPointer<QWidget> dialog = top;
        QTimer::singleShot(0, dialog, [dialog] {
            if (dialog && dialog->isVisible()) dialog->activateWindow();
        });
        return;
    }
}

// A window whose content the program lays out itself (the second display) hears of its new
// size once the resizing is done, from the event loop.
void TellNewSize(QWidget* win) {
    if (win->property("qsSizePending").toBool()) return;
    win->setProperty("qsSizePending", true);
    QPointer<QWidget> guarded = win;
    QTimer::singleShot(0, win, [guarded] {
        if (!guarded) return;
        guarded->setProperty("qsSizePending", false);
        const int panel = PanelOfWidget(guarded);
        if (panel && PanelWidget(panel) == guarded) CallPanel(panel, EVENT_PANEL_SIZE, 0, 0);
    });
}

// Sees what reaches a panel's root: keys no control took, the window's new size, its activation.
class PanelWatcher : public QObject {
public:
    bool eventFilter(QObject* o, QEvent* e) override {
        auto* w = static_cast<QWidget*>(o);
        if (e->type() == QEvent::KeyPress && PanelKey(w, static_cast<QKeyEvent*>(e))) {
            e->accept();
            return true;
        }
        if (e->type() == QEvent::Resize && IsScaledWindow(w)) FollowWindowSize(w);
        if (e->type() == QEvent::Resize && w->isWindow() && !IsScaledWindow(w)) TellNewSize(w);
        if (e->type() == QEvent::WindowActivate && w->isWindow()) ForwardActivation(w);
        return false;
    }
};

PanelWatcher& Watcher() {
    static PanelWatcher watcher;
    return watcher;
}

// --- where windows go ------------------------------------------------------------

// The window a new one belongs to: the latest active panel's window that is shown,
// other than the new one and than a window of its own (the public display).
QWidget* TransientParentFor(int handle) {
    QWidget* self = PanelWidget(handle);
    for (int panel : ActiveOrder()) {
        PanelRec* p = FindPanel(panel);
        if (!p || panel == handle || p->root->isHidden()) continue;
        QWidget* win = p->root->window();
        PanelRec* top = FindPanel(PanelOfWidget(win));
        if (win == self || !win->isVisible() || (top && top->ownWindow)) continue;
        return win;
    }
    return nullptr;
}

QScreen* ScreenFor(const QWidget* w, const QWidget* parent) {
    if (parent && parent->screen()) return parent->screen();
    if (QScreen* s = QGuiApplication::screenAt(w->geometry().center())) return s;
    return QGuiApplication::primaryScreen();
}

QRect Room(QScreen* s) {
    const QRect a = s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
    return a.adjusted(0, 0, -kFrameWidth, -kFrameHeight);
}

// A dialog opens at the scale of the window it belongs to, never larger than the screen.
double InitialScale(const QWidget* w, const QWidget* parent) {
    double s = parent && IsScaledWindow(parent) ? WindowScale(parent) : 1.0;
    const QSize d = DesignSize(w);
    const QRect room = Room(ScreenFor(w, parent));
    if (d.width() > 0 && d.height() > 0)
        s = std::min({s, double(room.width()) / d.width(), double(room.height()) / d.height()});
    return std::max(s, 0.3);
}

void CentreOver(QWidget* w, const QWidget* parent) {
    const QRect over = parent ? parent->frameGeometry() : Room(ScreenFor(w, nullptr));
    w->move(over.center() - QPoint(w->width() / 2, w->height() / 2));
}

// Shrinks a window that does not fit its screen and brings it wholly onto it.
void FitOnScreen(QWidget* w, const QWidget* parent) {
    if (w->isFullScreen() || w->isMaximized()) return;
    const QRect room = Room(ScreenFor(w, parent));
    if (w->width() > room.width() || w->height() > room.height()) {
        const double k = std::min(double(room.width()) / w->width(), double(room.height()) / w->height());
        if (IsScaledWindow(w))
            StartScaling(w, WindowScale(w) * k);
        else
            w->resize(int(w->width() * k), int(w->height() * k));
    }
    QPoint pos = w->pos();
    pos.setX(std::clamp(pos.x(), room.left(), std::max(room.left(), room.right() + 1 - w->width())));
    pos.setY(std::clamp(pos.y(), room.top(), std::max(room.top(), room.bottom() + 1 - w->height())));
    w->move(pos);
}

void SetTransient(QWidget* w, QWidget* parent) {
    if (!parent || parent == w) return;
    w->winId();  // the native window carries the link
    if (QWindow* handle = w->windowHandle()) handle->setTransientParent(parent->windowHandle());
}

// --- places kept across restarts -------------------------------------------------

// "Places.ini" in the program folder: where the windows that keep their place were, one line
// each, "<resource> <panel> <x> <y> <width> <height> <state>" (state 0 normal, 1 maximised,
// 2 full screen), and "folder <path>": where the operator last picked a file in a dialog that
// names no folder of its own (a competitor list). The configuration records are not touched.
struct Place {
    QRect rect;
    int state = 0;
};

struct Remembered {
    QString file;  // read from; another program folder (tests) reads its own
    std::map<QString, Place> windows;
    QString folder;
};

QString PlacesFile() {
    return ProgramDir() + QStringLiteral("/Places.ini");
}

QString PlaceKey(const PanelRec& rec) {
    return QFileInfo(rec.resource).fileName() + QLatin1Char(' ') + QString::number(rec.resourcePanel);
}

Remembered& Places() {
    static Remembered places;
    if (places.file == PlacesFile()) return places;
    places = [] {
        Remembered read;
        read.file = PlacesFile();
        QFile f(read.file);
        if (!f.open(QIODevice::ReadOnly)) return read;
        while (!f.atEnd()) {
            const QString line = QString::fromUtf8(f.readLine(4096)).trimmed();
            if (line.startsWith(QLatin1String("folder "))) {
                read.folder = line.mid(7);
                continue;
            }
            const QStringList v = line.simplified().split(QLatin1Char(' '));
            if (v.size() != 7) continue;
            const QRect r(v[2].toInt(), v[3].toInt(), v[4].toInt(), v[5].toInt());
            if (r.width() < 100 || r.height() < 100 || r.width() > 20000 || r.height() > 20000) continue;
            read.windows[v[0] + QLatin1Char(' ') + v[1]] = Place{r, std::clamp(v[6].toInt(), 0, 2)};
        }
        return read;
    }();
    return places;
}

void SavePlaces() {
    QByteArray text;
    for (const auto& [key, p] : Places().windows)
        text += QStringLiteral("%1 %2 %3 %4 %5 %6\n")
                    .arg(key)
                    .arg(p.rect.x())
                    .arg(p.rect.y())
                    .arg(p.rect.width())
                    .arg(p.rect.height())
                    .arg(p.state)
                    .toUtf8();
    if (!Places().folder.isEmpty()) text += "folder " + Places().folder.toUtf8() + '\n';
    WriteFileAtomic(PlacesFile(), text);  // a window left where it opens is no loss worth a message
}

// A saved place on a screen that is still there: the window goes back to it.
bool RestorePlace(PanelRec& rec) {
    auto it = Places().windows.find(PlaceKey(rec));
    if (it == Places().windows.end()) return false;
    const Place& p = it->second;
    QWidget* w = rec.root;
    const QPoint titleBar = p.rect.topLeft() + QPoint(p.rect.width() / 2, 8);
    QScreen* s = QGuiApplication::screenAt(titleBar);
    if (IsScaledWindow(w)) {
        const QSize d = DesignSize(w);
        StartScaling(w, std::min(double(p.rect.width()) / d.width(), double(p.rect.height()) / d.height()));
        w->resize(p.rect.size());
    } else {
        w->resize(p.rect.size());
    }
    if (s) w->move(p.rect.topLeft());
    w->setProperty("qsRestoreState", p.state);
    return s != nullptr;
}

// --- assistive tools ---------------------------------------------------------------

// Panel roots are windows, dialogs and alerts (resource property "accessibleRole"), not
// the "filler" a plain widget would be.
QAccessibleInterface* PanelAccessible(const QString&, QObject* o) {
    if (!o || !o->isWidgetType()) return nullptr;
    auto* w = static_cast<QWidget*>(o);
    const int panel = PanelOfWidget(w);
    if (!panel || PanelWidget(panel) != w) return nullptr;
    const QString role = w->property("accessibleRole").toString();
    QAccessible::Role r = w->isWindow() ? QAccessible::Window : QAccessible::Pane;
    if (role == QLatin1String("dialog"))
        r = QAccessible::Dialog;
    else if (role == QLatin1String("alert"))
        r = QAccessible::AlertMessage;
    return new QAccessibleWidget(w, r);
}

}  // namespace

void WatchPanel(PanelRec& rec) {
    QWidget* root = rec.root;
    root->installEventFilter(&Watcher());
    root->setAccessibleName(root->windowTitle());
    rec.ownWindow = root->property("ownWindow").toBool();
    if (root->property("qsHasPlace").toBool()) root->setProperty(kHasPlace, true);
    if (!root->isWindow()) {
        ScaleChildPanel(root);
        return;
    }
    const QString role = root->property("accessibleRole").toString();
    if (role == QLatin1String("dialog") || role == QLatin1String("alert"))
        root->setWindowFlags((root->windowFlags() & ~Qt::WindowType_Mask) | Qt::Dialog);
}

void NotePanelMoved(PanelRec& rec) {
    rec.root->setProperty(kHasPlace, true);
}

void PrepareWindow(PanelRec& rec) {
    QWidget* w = rec.root;
    QWidget* parent = rec.ownWindow ? nullptr : TransientParentFor(rec.handle);
    if (!w->property(kShown).toBool()) {
        w->setProperty(kShown, true);
        if (!rec.ownWindow) StartScaling(w, InitialScale(w, parent));
        const bool restored = w->property("keepsPlace").toBool() && RestorePlace(rec);
        if (!restored && !w->property(kHasPlace).toBool()) CentreOver(w, parent);
    }
    FitOnScreen(w, parent);
    SetTransient(w, parent);
}

void AfterShow(PanelRec& rec) {
    QWidget* w = rec.root;
    const QVariant state = w->property("qsRestoreState");
    if (!state.isValid()) return;
    w->setProperty("qsRestoreState", QVariant());
    if (state.toInt() == 1) w->showMaximized();
    if (state.toInt() == 2) w->showFullScreen();
}

void FocusDefaultButton(PanelRec& rec) {
    if (QAbstractButton* b = MarkedButton(rec.root, rec.handle, "default")) b->setFocus(Qt::OtherFocusReason);
}

void RememberPlace(PanelRec& rec) {
    QWidget* w = rec.root;
    if (!w->isWindow() || !w->property("keepsPlace").toBool() || !w->property(kShown).toBool()) return;
    const int state = w->isFullScreen() ? 2 : w->isMaximized() ? 1 : 0;
    QRect r = state ? w->normalGeometry() : w->geometry();
    if (!state) r.moveTopLeft(w->pos());
    if (r.width() < 100 || r.height() < 100) return;
    Places().windows[PlaceKey(rec)] = Place{r, state};
    SavePlaces();
}

void StartDesktop() {
    // The clock's ring of lights, drawn at build time beside the program; the installed
    // icon theme's copy when the program folder has none.
    const QString icon = ProgramDir() + QStringLiteral("/qs310-manager.png");
    QApplication::setWindowIcon(QFile::exists(icon) ? QIcon(icon)
                                                    : QIcon::fromTheme(QStringLiteral("qs310-manager")));
    static bool factory = false;
    if (!factory) QAccessible::installFactory(PanelAccessible);
    factory = true;
}

QString StartFolder() {
    const QString last = Places().folder;
    if (!last.isEmpty() && QFileInfo(last).isDir()) return last;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

void NoteChosenFolder(const QString& folder) {
    if (folder.isEmpty() || folder == Places().folder) return;
    Places().folder = folder;
    SavePlaces();
}

QWidget* DialogParent() {
    if (QWidget* w = PanelWidget(ActivePanel()); w && w->window()->isVisible()) return w->window();
    return QApplication::activeWindow();
}

void ShowOverParent(QWidget* dialog, QWidget* parent) {
    // Unparented, so no panel's style sheet reaches it; transient, so it stays above.
    dialog->setPalette(QApplication::style()->standardPalette());
    if (!parent) return;
    dialog->adjustSize();
    SetTransient(dialog, parent);
    CentreOver(dialog, parent);
}

}  // namespace qs::rt
