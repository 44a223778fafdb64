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
#include <optional>

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

// The button Enter presses from a field that belongs to another button than the default one
// (resource property "enterPresses": the network fields of the connection dialog and their
// own Connect), else none.
QAbstractButton* FieldButton(QWidget* root, int panel) {
    QWidget* field = root->focusWidget();
    for (; field && field != root; field = field->parentWidget()) {
        const QString name = field->property("enterPresses").toString();
        if (name.isEmpty()) continue;
        auto* b = root->findChild<QAbstractButton*>(name);
        return UsableButton(b, panel) ? b : nullptr;
    }
    return nullptr;
}

// Enter: the focused push button, else the button of the focused field, else the panel's
// default button. Escape: its cancel button, else the close box when the resource says
// Escape closes the panel. Both go through the button's own click, so the program sees
// exactly what a mouse click gives.
bool PanelKey(QWidget* root, QKeyEvent* k) {
    const int panel = PanelOfWidget(root);
    PanelRec* p = FindPanel(panel);
    if (!p || p->root != root || p->dimmed) return false;
    if (k->modifiers() & ~Qt::KeypadModifier) return false;
    if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
        // The panel's own focus, not the application's: a key can reach a window the window
        // manager has not made active yet (typed just as it opens).
        auto* focused = qobject_cast<QPushButton*>(root->focusWidget());
        QAbstractButton* b =
            focused && !focused->isCheckable() && UsableButton(focused, panel) ? focused : nullptr;
        if (!b) b = FieldButton(root, panel);
        if (!b) b = MarkedButton(root, panel, "default");
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

// In the program folder's settings file of this computer (QS310Manager.ini), never in the
// configuration records: "Window/<name>_x", _y, _width, _height and _state (0 normal,
// 1 maximised, 2 full screen) for each window whose resource names it ("keepsPlace": main,
// display), and "Window/last_folder": where the operator last picked a file in a dialog that
// names no folder of its own (a competitor list). A window left where it opens is no loss
// worth a message, so a settings file that cannot be written is not told here.
struct Place {
    QRect rect;
    int state = 0;
};

QString PlaceName(const PanelRec& rec) {
    return rec.root->property("keepsPlace").toString();
}

QByteArray PlaceKey(const QString& name, const char* field) {
    return QByteArrayLiteral("Window/") + name.toLatin1() + '_' + field;
}

std::optional<Place> SavedPlace(const QString& name) {
    int v[5];
    const char* const fields[5] = {"x", "y", "width", "height", "state"};
    for (int i = 0; i < 5; ++i) {
        bool ok = false;
        v[i] = LocalSetting(PlaceKey(name, fields[i]).constData()).toInt(&ok);
        if (!ok) return std::nullopt;
    }
    const QRect r(v[0], v[1], v[2], v[3]);
    if (r.width() < 100 || r.height() < 100 || r.width() > 20000 || r.height() > 20000) return std::nullopt;
    return Place{r, std::clamp(v[4], 0, 2)};
}

void SavePlace(const QString& name, const Place& p) {
    const std::pair<const char*, int> fields[] = {{"x", p.rect.x()},
                                                  {"y", p.rect.y()},
                                                  {"width", p.rect.width()},
                                                  {"height", p.rect.height()},
                                                  {"state", p.state}};
    for (const auto& [field, value] : fields)
        KeepLocalSetting(PlaceKey(name, field).constData(), QString::number(value));
}

constexpr const char* kLastFolder = "Window/last_folder";

// A saved place on a screen that is still there: the window goes back to it.
bool RestorePlace(PanelRec& rec) {
    const std::optional<Place> saved = SavedPlace(PlaceName(rec));
    if (!saved) return false;
    const Place& p = *saved;
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
        const bool restored = !PlaceName(rec).isEmpty() && RestorePlace(rec);
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
    if (!w->isWindow() || PlaceName(rec).isEmpty() || !w->property(kShown).toBool()) return;
    const int state = w->isFullScreen() ? 2 : w->isMaximized() ? 1 : 0;
    QRect r = state ? w->normalGeometry() : w->geometry();
    if (!state) r.moveTopLeft(w->pos());
    if (r.width() < 100 || r.height() < 100) return;
    SavePlace(PlaceName(rec), Place{r, state});
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
    const QString last = LocalSetting(kLastFolder).toString();
    if (!last.isEmpty() && QFileInfo(last).isDir()) return last;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

void NoteChosenFolder(const QString& folder) {
    if (!folder.isEmpty()) KeepLocalSetting(kLastFolder, folder);
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
