// Events: Qt signals and input turned into panel and control callbacks, the commit queue and loops.
#include <QAbstractButton>
#include <QAbstractSlider>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPointer>
#include <QSpinBox>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <climits>
#include <deque>
#include <memory>
#include <utility>
#include <vector>

#include "platform/Encoding.h"
#include "platform/Runtime.h"

namespace qs::rt {
namespace {

std::deque<std::pair<int, int>> g_queue;         // commits of controls without a callback
std::vector<std::unique_ptr<QWidget>> g_doomed;  // discarded panels waiting for deletion
int g_callDepth = 0;                             // callbacks currently running
void (*g_idleHook)() = nullptr;                  // tests: runs on every pass without an event

// The loops sleep until something happens: an event of the operator, the serial line,
// a timer or the window system, or the earliest deadline a module asked for with
// SetNextWake. Deadlines are kept on the layer's own monotonic clock (tests may drive
// Timer()), and a deadline stays until a loop's wait reaches it, so a nested wait
// (an acknowledgement, a dialog) that returns early loses none.
using Steady = std::chrono::steady_clock;
constexpr Steady::time_point kNever = Steady::time_point::max();
Steady::time_point g_due = kNever;    // earliest deadline asked and not yet reached
Steady::time_point g_asked = kNever;  // deadline asked since events were last processed
// An idle hook (tests, the demo script) polls: its loop turns at least this often.
constexpr auto kIdleHookPoll = std::chrono::milliseconds(10);
std::unique_ptr<QTimer> g_wake;  // ends a wait at its deadline
Steady::time_point g_wakeAt;     // the deadline it is set for, while it runs

QTimer& WakeTimer() {
    if (!g_wake) {
        g_wake = std::make_unique<QTimer>();
        g_wake->setSingleShot(true);
        g_wake->setTimerType(Qt::PreciseTimer);
    }
    return *g_wake;
}

// Runs the pending events; with `due` in the future and nothing pending, first sleeps
// until an event comes or `due` is reached, whichever is first. The wake timer stays set
// while the passes wait for the same deadline: a stream of events wakes the loop a few
// hundred times a second, and setting the timer again at each pass was 1 % of the work.
void ProcessUntil(Steady::time_point due) {
    g_asked = kNever;
    const Steady::time_point now = Steady::now();
    if (due <= now) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return;
    }
    QTimer& wake = WakeTimer();
    if (due == kNever) {
        wake.stop();  // the deadline it was set for is no longer asked
    } else if (!wake.isActive() || g_wakeAt != due) {
        const auto ms = std::chrono::ceil<std::chrono::milliseconds>(due - now).count();
        wake.start(int(std::min<long long>(ms, INT_MAX)));
        g_wakeAt = due;
    }
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// Calls due at a deadline (ScheduleCall): one single-shot timer per function, so
// they fire from whatever loop processes events when they are due.
struct DueCall {
    DueCallPtr fn;
    std::unique_ptr<QTimer> timer;
};
std::vector<DueCall> g_dueCalls;

// The pointer as the window system last reported it to one of the program's windows.
// Hover captions read it on every pass; asking the window system instead
// (QCursor::pos) is a synchronous round trip on X11, on every pass of every loop.
constexpr QPoint kPointerAway(-1000000, -1000000);  // over none of our windows
QPoint g_pointer = kPointerAway;
QPointer<QWindow> g_pointerWindow;  // the window that last reported it

class DepthGuard {
public:
    DepthGuard() { ++g_callDepth; }
    ~DepthGuard() { --g_callDepth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;
};

int Invoke(CtrlCallbackPtr& fn, const std::string& name, int panel, int control, int event, void* data,
           int d1, int d2) {
    if (!fn && !name.empty()) fn = FindCallback(name.c_str());
    if (!fn) return 0;
    CtrlCallbackPtr call = fn;  // the record may go away during the call
    DepthGuard guard;
    return call(panel, control, event, data, d1, d2);
}

bool IsIndicator(QWidget* w) {
    return w->property("qsIndicator").toBool();
}

bool HasCallback(int panel, int control) {
    ControlRec* c = FindControl(panel, control);
    if (!c) return false;
    if (!c->callback && !c->callbackName.empty()) c->callback = FindCallback(c->callbackName.c_str());
    return c->callback != nullptr;
}

int CharacterOf(const QKeyEvent* k) {
    QString text = k->text();
    if (!text.isEmpty() && text.at(0).unicode() >= 0x20 && text.at(0).unicode() != 0x7F) {
        QByteArray b = ToCp1252(text.left(1));
        if (b != "?" || text.at(0) == QLatin1Char('?')) return static_cast<unsigned char>(b.at(0));
    }
    switch (k->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return 13;
        case Qt::Key_Escape:
            return 27;
        case Qt::Key_Backspace:
            return 8;
        case Qt::Key_Tab:
            return 9;
        default:
            return k->key();
    }
}

// Mouse presses go to the control's callback and then to its panel's callback,
// data1/data2 = y/x of the pointer in the panel.
bool RouteMouse(QWidget* w, QMouseEvent* m, int event) {
    if (m->button() != Qt::LeftButton) return false;
    int panel = PanelOfWidget(w);
    if (!panel || FindPanel(panel)->dimmed) return false;  // a dimmed panel hears nothing
    QWidget* root = PanelWidget(panel);
    const QPoint pos = ToDesignPoint(root, root->mapFromGlobal(m->globalPosition().toPoint())).toPoint();
    int control = ControlOfWidget(w, panel);
    if (control && !ControlWidget(panel, control)->isEnabled()) control = 0;  // nor a dimmed control
    if (event == EVENT_LEFT_CLICK) NoteActivePanel(panel);
    int swallow = 0;
    if (control) swallow |= CallControl(panel, control, event, pos.y(), pos.x());
    swallow |= CallPanel(panel, event, pos.y(), pos.x());
    return swallow != 0;
}

// The digit of a key of the digit row, by its place on the keyboard ('1' for the key that gives
// '&' on a French keyboard, '1' or '!' on others); -1 for any other key. The X key codes 10 to 19
// (evdev, under X11 and Wayland alike) are 1 to 9 then 0 on every PC keyboard.
int DigitRowDigit(const QKeyEvent* k) {
#ifdef _WIN32
    (void)k;
    return -1;
#else
    const quint32 code = k->nativeScanCode();
    return code >= 10 && code <= 19 ? int(code - 9) % 10 : -1;
#endif
}

bool RouteKey(QWidget* w, QKeyEvent* k) {
    int panel = PanelOfWidget(w);
    if (!panel || FindPanel(panel)->dimmed) return false;
    int control = ControlOfWidget(w, panel);
    int ch = CharacterOf(k);
    // data2: the digit of a key of the digit row, for fields that take only digits; 0 otherwise.
    const int digit = DigitRowDigit(k);
    const int digitKey = digit >= 0 ? '0' + digit : 0;
    int swallow = 0;
    if (control) swallow |= CallControl(panel, control, EVENT_KEYPRESS, ch, digitKey);
    swallow |= CallPanel(panel, EVENT_KEYPRESS, ch, digitKey);
    return swallow != 0;
}

}  // namespace

int CallControl(int panel, int control, int event, int d1, int d2) {
    ControlRec* c = FindControl(panel, control);
    if (!c) return 0;
    return Invoke(c->callback, c->callbackName, panel, control, event, c->callbackData, d1, d2);
}

int CallPanel(int panel, int event, int d1, int d2) {
    PanelRec* p = FindPanel(panel);
    if (!p) return 0;
    return Invoke(p->callback, p->callbackName, panel, 0, event, p->callbackData, d1, d2);
}

void Commit(int panel, int control, int d1, int d2) {
    QWidget* w = ControlWidget(panel, control);
    if (!w || IsIndicator(w)) return;
    if (HasCallback(panel, control))
        CallControl(panel, control, EVENT_COMMIT, d1, d2);
    else
        g_queue.emplace_back(panel, control);
}

void CommitFromWidget(QWidget* widget) {
    FollowWidgetPlace(widget);  // a control the operator dragged reports its new place
    int panel = PanelOfWidget(widget);
    int control = panel ? ControlOfWidget(widget, panel) : 0;
    if (control) Commit(panel, control);
}

void ConnectControlSignals(int panel, int control, QWidget* w) {
    auto commit = [panel, control] { Commit(panel, control); };
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        QObject::connect(b, &QAbstractButton::clicked, b, commit);
    } else if (auto* c = qobject_cast<QComboBox*>(w)) {
        QObject::connect(c, &QComboBox::activated, c, commit);
    } else if (auto* s = qobject_cast<QSpinBox*>(w)) {
        s->setKeyboardTracking(false);  // one commit when the operator is done typing
        QObject::connect(s, &QSpinBox::valueChanged, s, commit);
    } else if (auto* d = qobject_cast<QDoubleSpinBox*>(w)) {
        d->setKeyboardTracking(false);
        QObject::connect(d, &QDoubleSpinBox::valueChanged, d, commit);
    } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
        QObject::connect(e, &QLineEdit::editingFinished, e, [panel, control, e] {
            if (!e->isReadOnly()) Commit(panel, control);
        });
    } else if (auto* sl = qobject_cast<QAbstractSlider*>(w)) {
        QObject::connect(sl, &QAbstractSlider::valueChanged, sl, commit);
    } else if (ConnectTable(panel, control, w)) {
        // the operator's cell edits and moves of the current cell (Tables.cpp)
    } else if (auto* l = qobject_cast<QListWidget*>(w)) {
        QObject::connect(l, &QListWidget::itemActivated, l, commit);
    }
}

// Qt matches Alt+1 by the character a key gives, so on a keyboard whose digit row gives other
// characters first (the French one: & é " ' ( - è _ ç à, digits with Shift) Alt with that key
// pressed no caption's underlined digit: the key's place tells its digit.
bool PressDigitShortcut(QObject* receiver, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers others = Qt::ControlModifier | Qt::MetaModifier;
    if (!(key->modifiers() & Qt::AltModifier) || (key->modifiers() & others)) return false;
    if (key->key() >= Qt::Key_0 && key->key() <= Qt::Key_9) return false;  // Qt's own shortcut had it
    const int digit = DigitRowDigit(key);
    auto* widget = qobject_cast<QWidget*>(receiver);
    if (digit < 0 || !widget) return false;
    const QKeySequence wanted(Qt::ALT | Qt::Key(Qt::Key_0 + digit));
    for (QAbstractButton* b : widget->window()->findChildren<QAbstractButton*>()) {
        if (!b->isVisible() || !b->isEnabled() || QKeySequence::mnemonic(b->text()) != wanted) continue;
        if (b->focusPolicy() & Qt::TabFocus) b->setFocus(Qt::ShortcutFocusReason);
        b->animateClick();  // as the shortcut does
        return true;
    }
    return false;
}

// The wheel turned over a ring or a number field the operator has not clicked into (scrolling,
// or the pointer passing on its way) changes nothing: Qt would step it, a setting changed
// unseen, or a ring that only shows the clock's state showing another. Once the operator has
// given the field the focus the wheel steps it, as the arrow keys do. An application filter
// sees the wheel at each widget it goes through: a number field's text passes it on to the field.
class StrayWheel final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Wheel) return false;
        auto* field = qobject_cast<QWidget*>(watched);
        if (!qobject_cast<QComboBox*>(watched) && !qobject_cast<QAbstractSpinBox*>(watched)) return false;
        const QWidget* focus = field->window()->focusWidget();  // its window's, active or not
        return focus != field && !field->isAncestorOf(focus);
    }
};

void IgnoreStrayWheels() {
    static StrayWheel filter;
    QCoreApplication::instance()->installEventFilter(&filter);
}

bool RouteUserInput(QObject* receiver, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::Close:
        case QEvent::FocusIn:
        case QEvent::FocusOut:
        case QEvent::WindowActivate:
            break;
        default:
            return false;
    }
    if (!receiver->isWidgetType()) return false;
    auto* w = static_cast<QWidget*>(receiver);
    switch (event->type()) {
        case QEvent::MouseButtonPress:
            return RouteMouse(w, static_cast<QMouseEvent*>(event), EVENT_LEFT_CLICK);
        case QEvent::MouseButtonDblClick:
            return RouteMouse(w, static_cast<QMouseEvent*>(event), EVENT_LEFT_DOUBLE_CLICK);
        case QEvent::MouseButtonRelease:
            return RouteMouse(w, static_cast<QMouseEvent*>(event), EVENT_LEFT_CLICK_UP);
        case QEvent::KeyPress:
            return RouteKey(w, static_cast<QKeyEvent*>(event));
        case QEvent::WindowActivate: {
            // The operator brought a panel's window forward: it becomes active unless
            // one of its child panels already is.
            int panel = PanelOfWidget(w);
            if (panel && PanelWidget(panel) == w) {
                QWidget* active = PanelWidget(ActivePanel());
                if (!active || active->window() != w) NoteActivePanel(panel);
            }
            return false;
        }
        case QEvent::FocusIn:
        case QEvent::FocusOut: {
            int panel = PanelOfWidget(w);
            int control = panel ? ControlOfWidget(w, panel) : 0;
            if (control && ControlWidget(panel, control) == w)
                CallControl(panel, control,
                            event->type() == QEvent::FocusIn ? EVENT_GOT_FOCUS : EVENT_LOST_FOCUS, 0, 0);
            return false;
        }
        case QEvent::Close: {
            // The close box asks the panel's callback; the program decides whether to hide.
            int panel = PanelOfWidget(w);
            if (!panel || PanelWidget(panel) != w) return false;
            event->ignore();
            CallPanel(panel, EVENT_CLOSE, 0, 0);
            return true;
        }
        default:
            return false;
    }
}

void NotePointer(QObject* receiver, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseMove:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Enter:
            // A window's and its widgets' mouse events carry the same global position.
            g_pointer = static_cast<QSinglePointEvent*>(event)->globalPosition().toPoint();
            if (receiver->isWindowType()) g_pointerWindow = static_cast<QWindow*>(receiver);
            return;
        case QEvent::Leave:
            // Widgets hear Leave when the pointer goes to a neighbour: only the window
            // it was last over leaving means it left the program.
            if (receiver->isWindowType() && receiver == g_pointerWindow) {
                g_pointer = kPointerAway;
                g_pointerWindow = nullptr;
            }
            return;
        default:
            return;
    }
}

QPoint PointerPosition() {
    return g_pointer;
}

void ScheduleDelete(QWidget* widget) {
    if (!widget) return;
    widget->setParent(nullptr);     // independent of a parent panel discarded later
    g_doomed.emplace_back(widget);  // deleted by the next GetUserEvent or ProcessSystemEvents
}

void ProcessDeferredDeletes() {
    // A panel discarded from its own callback is still on the call stack: only
    // delete once no callback runs.
    if (g_callDepth > 0) return;
    if (!g_doomed.empty()) {
        auto doomed = std::move(g_doomed);
        g_doomed.clear();
        doomed.clear();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void StopEvents() {
    g_wake.reset();
    g_due = g_asked = kNever;
    g_queue.clear();
    g_dueCalls.clear();
}

void ForgetQueuedEvents(int panel) {
    std::erase_if(g_queue, [panel](const auto& e) { return e.first == panel; });
}

}  // namespace qs::rt

using namespace qs::rt;

int GetUserEvent(int wait, int* panel, int* control) {
    auto take = [&] {
        if (g_queue.empty()) return false;
        auto [p, c] = g_queue.front();
        g_queue.pop_front();
        if (panel) *panel = p;
        if (control) *control = c;
        return true;
    };
    if (take()) return EVENT_COMMIT;
    if (!QCoreApplication::instance()) return 0;
    do {
        Steady::time_point due = g_due;
        if (g_idleHook) due = std::min(due, Steady::now() + kIdleHookPoll);
        ProcessUntil(due);
        if (g_due <= Steady::now()) g_due = kNever;  // reached: the loop's modules ask again
        ProcessDeferredDeletes();
        if (take()) return EVENT_COMMIT;
        if (g_idleHook) g_idleHook();
    } while (wait);
    return 0;
}

void SetIdleHook(void (*hook)()) {
    g_idleHook = hook;
}

int ProcessSystemEvents() {
    if (!QCoreApplication::instance()) return 0;
    // Sleeps only for a deadline its own loop asked for (the acknowledgement wait);
    // called anywhere else it runs what is pending and returns.
    ProcessUntil(g_asked == kNever ? Steady::time_point::min() : g_asked);
    ProcessDeferredDeletes();
    return 0;
}

void SetNextWake(double seconds) {
    if (!(seconds > 0)) seconds = 0;  // past, now or not a number: no sleep
    seconds = std::min(seconds, 86400.0);
    const Steady::time_point due =
        Steady::now() + std::chrono::ceil<Steady::duration>(std::chrono::duration<double>(seconds));
    g_due = std::min(g_due, due);
    g_asked = std::min(g_asked, due);
}

int ProcessDrawEvents() {
    if (!QCoreApplication::instance()) return 0;
    TellTableChanges();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateLater);
    return 0;
}

int ScheduleCall(double seconds, DueCallPtr fn) {
    if (!fn || !QCoreApplication::instance()) return -1;
    auto it =
        std::find_if(g_dueCalls.begin(), g_dueCalls.end(), [fn](const DueCall& c) { return c.fn == fn; });
    if (it == g_dueCalls.end()) {
        auto timer = std::make_unique<QTimer>();
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer.get(), &QTimer::timeout, timer.get(), [fn] { fn(); });
        g_dueCalls.push_back(DueCall{fn, std::move(timer)});
        it = g_dueCalls.end() - 1;
    }
    QTimer& timer = *it->timer;
    const int ms = seconds > 0 ? int(seconds * 1000.0 + 0.5) : 0;
    if (timer.isActive() && timer.remainingTime() <= ms) return 0;
    timer.start(ms);
    return 0;
}

void CancelCall(DueCallPtr fn) {
    for (DueCall& c : g_dueCalls)
        if (c.fn == fn) c.timer->stop();
}

// Delivered with the next event processing, exactly like the operator's own commit.
int QueueUserEvent(int panel, int control) {
    if (!ControlWidget(panel, control)) return kErrControl;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [panel, control] { Commit(panel, control); }, Qt::QueuedConnection);
    return 0;
}
