// Panels: loading from the Designer resources, handles, callbacks by name, show/hide/discard.
#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QScreen>
#include <QUiLoader>
#include <QXmlStreamReader>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/CustomControl.h"
#include "platform/Encoding.h"
#include "platform/Runtime.h"

namespace qs::rt {
namespace {

// Creates the registered custom classes by name; every other class is Qt's own.
class PanelLoader : public QUiLoader {
public:
    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override {
        QWidget* w = nullptr;
        if (auto factory = qs::FindControlClass(className.toLatin1().constData())) {
            w = factory(parent);
            if (w) w->setObjectName(name);
        } else {
            w = QUiLoader::createWidget(className, parent, name);
        }
        if (w) MarkPlaced(w);
        return w;
    }
};

std::map<int, PanelRec> g_panels;
std::unordered_map<const QWidget*, int> g_rootToPanel;
std::unordered_map<const QWidget*, int> g_widgetToControl;
std::unordered_map<std::string, CtrlCallbackPtr> g_callbacks;
// Panel files by resource folder: panel number -> file path.
std::map<QString, std::map<int, QString>> g_panelFiles;
int g_nextHandle = 1;
// Panels in the order they became active (displayed, clicked, activated); the active
// panel is the latest one still shown, so closing a dialog gives the activity back.
std::vector<int> g_activeOrder;

PanelLoader& Loader() {
    static PanelLoader loader;
    return loader;
}

void ScanResource(const QString& folder) {
    static const QRegularExpression kName(QStringLiteral("^(\\d+)-.*\\.ui$"));
    auto& files = g_panelFiles[folder];
    files.clear();
    for (const QString& name : QDir(folder).entryList(QDir::Files, QDir::Name)) {
        auto m = kName.match(name);
        if (m.hasMatch()) files.emplace(m.captured(1).toInt(), folder + QLatin1Char('/') + name);
    }
}

// Dialogs are loaded each time they open: the folder is listed once and remembered.
QString PanelFile(const char* resource, int panelId) {
    QString res = PathFromCp1252(resource);
    QString folder = QDir::isAbsolutePath(res) ? res : ProgramDir() + QLatin1Char('/') + res;
    auto it = g_panelFiles.find(folder);
    if (it != g_panelFiles.end()) {
        auto f = it->second.find(panelId);
        if (f != it->second.end() && QFile::exists(f->second)) return f->second;
    }
    ScanResource(folder);
    auto& files = g_panelFiles[folder];
    auto f = files.find(panelId);
    return f == files.end() ? QString() : f->second;
}

// The loader sizes the root widget but drops its position: read it from the file.
QPoint FilePosition(const QByteArray& xml) {
    QXmlStreamReader r(xml);
    int depth = 0;
    bool inGeometry = false;
    QPoint pos;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            if (r.name() == QLatin1String("widget") && ++depth > 1) break;  // past the root's own properties
            if (depth == 1 && r.name() == QLatin1String("property"))
                inGeometry = r.attributes().value(QLatin1String("name")) == QLatin1String("geometry");
            else if (inGeometry && r.name() == QLatin1String("x"))
                pos.setX(r.readElementText().toInt());
            else if (inGeometry && r.name() == QLatin1String("y"))
                pos.setY(r.readElementText().toInt());
        } else if (r.isEndElement() && r.name() == QLatin1String("property")) {
            if (inGeometry) break;
        }
    }
    return pos;
}

std::string CallbackName(const QWidget* w) {
    QVariant v = w->property("callback");
    return v.isValid() ? v.toString().toStdString() : std::string();
}

void RegisterControls(PanelRec& rec) {
    for (QWidget* w : rec.root->findChildren<QWidget*>()) {
        QVariant id = w->property("ctrl");
        if (!id.isValid()) continue;
        int ctrl = id.toInt();
        ControlRec& c = rec.controls[ctrl];
        c.widget = w;
        c.callbackName = CallbackName(w);
        c.callback = c.callbackName.empty() ? nullptr : FindCallback(c.callbackName.c_str());
        g_widgetToControl[w] = ctrl;
        ConnectControlSignals(rec.handle, ctrl, w);
    }
    // Child panels have no title bar: a button marked closeBox stands for their close box.
    for (QAbstractButton* b : rec.root->findChildren<QAbstractButton*>()) {
        if (!b->property("closeBox").toBool()) continue;
        QObject::connect(b, &QAbstractButton::clicked, b, [b] {
            if (int panel = PanelOfWidget(b)) CallPanel(panel, EVENT_CLOSE, 0, 0);
        });
    }
}

// A panel with no position of its own (0,0 in its file) opens centred on its parent
// panel, or on the screen for a window (a window that belongs to another is centred over
// it when it first shows). Child panels are placed in the parent's resource coordinates.
void PlacePanel(QWidget* root, QWidget* parentRoot, QPoint filePos) {
    if (filePos != QPoint(0, 0)) {
        root->move(filePos);
        if (!parentRoot) root->setProperty("qsHasPlace", true);
        return;
    }
    QSize area;
    if (parentRoot) {
        area = parentRoot->isWindow() ? DesignSize(parentRoot) : DesignRect(parentRoot).size();
    } else if (QScreen* s = QGuiApplication::primaryScreen()) {
        QRect r = s->availableGeometry();
        root->move(r.topLeft() + QPoint((r.width() - root->width()) / 2, (r.height() - root->height()) / 2));
        return;
    }
    root->move(std::max(0, (area.width() - root->width()) / 2),
               std::max(0, (area.height() - root->height()) / 2));
}

void ForgetPanel(int handle);

void ForgetChildren(int handle) {
    std::vector<int> children;
    for (auto& [h, rec] : g_panels)
        if (rec.parent == handle) children.push_back(h);
    for (int h : children) ForgetPanel(h);
}

unsigned g_panelsForgotten = 0;

void ForgetPanel(int handle) {
    auto it = g_panels.find(handle);
    if (it == g_panels.end()) return;
    ++g_panelsForgotten;
    ForgetChildren(handle);
    for (auto& [id, c] : it->second.controls) g_widgetToControl.erase(c.widget.data());
    g_rootToPanel.erase(it->second.root.data());
    ForgetQueuedEvents(handle);
    g_panels.erase(it);
}

}  // namespace

unsigned PanelsForgotten() {
    return g_panelsForgotten;
}

PanelRec* FindPanel(int handle) {
    auto it = g_panels.find(handle);
    return it == g_panels.end() || !it->second.root ? nullptr : &it->second;
}

QWidget* PanelWidget(int handle) {
    PanelRec* p = FindPanel(handle);
    return p ? p->root.data() : nullptr;
}

ControlRec* FindControl(int panel, int control) {
    PanelRec* p = FindPanel(panel);
    if (!p) return nullptr;
    auto it = p->controls.find(control);
    return it == p->controls.end() || !it->second.widget ? nullptr : &it->second;
}

QWidget* ControlWidget(int panel, int control) {
    ControlRec* c = FindControl(panel, control);
    return c ? c->widget.data() : nullptr;
}

int PanelOfWidget(const QWidget* w) {
    for (; w; w = w->parentWidget()) {
        auto it = g_rootToPanel.find(w);
        if (it != g_rootToPanel.end()) return it->second;
    }
    return 0;
}

int ControlOfWidget(const QWidget* w, int panel) {
    const QWidget* root = PanelWidget(panel);
    for (; w && w != root; w = w->parentWidget()) {
        auto it = g_widgetToControl.find(w);
        if (it != g_widgetToControl.end()) return it->second;
    }
    return 0;
}

int ActivePanel() {
    while (!g_activeOrder.empty()) {
        PanelRec* p = FindPanel(g_activeOrder.back());
        if (p && !p->root->isHidden()) return p->handle;
        g_activeOrder.pop_back();
    }
    return 0;
}

void NoteActivePanel(int panel) {
    std::erase(g_activeOrder, panel);
    g_activeOrder.push_back(panel);
}

std::vector<int> ActiveOrder() {
    return std::vector<int>(g_activeOrder.rbegin(), g_activeOrder.rend());
}

void DiscardAllPanels() {
    std::vector<int> tops;
    for (auto& [h, rec] : g_panels)
        if (rec.parent == 0) tops.push_back(h);
    for (int h : tops) DiscardPanel(h);
}

}  // namespace qs::rt

using namespace qs::rt;

void RegisterCallback(const char* name, CtrlCallbackPtr fn) {
    if (name) g_callbacks[name] = fn;
}

CtrlCallbackPtr FindCallback(const char* name) {
    if (!name) return nullptr;
    auto it = g_callbacks.find(name);
    return it == g_callbacks.end() ? nullptr : it->second;
}

int InstallCtrlCallback(int panel, int control, CtrlCallbackPtr fn, void* callbackData) {
    if (!FindPanel(panel)) return kErrPanel;
    ControlRec* c = FindControl(panel, control);
    if (!c) return kErrControl;
    c->callback = fn;
    c->callbackData = callbackData;
    c->callbackName.clear();
    return 0;
}

int InstallPanelCallback(int panel, PanelCallbackPtr fn, void* callbackData) {
    PanelRec* p = FindPanel(panel);
    if (!p) return kErrPanel;
    p->callback = fn;
    p->callbackData = callbackData;
    p->callbackName.clear();
    return 0;
}

int LoadPanel(int parent, const char* resource, int panelId) {
    if (!QCoreApplication::instance()) return kErrResource;
    QWidget* parentRoot = nullptr;
    if (parent > 0 && !(parentRoot = PanelWidget(parent))) return kErrPanel;
    QString path = PanelFile(resource, panelId);
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) return kErrResource;
    QByteArray xml = file.readAll();
    QBuffer buffer(&xml);
    buffer.open(QIODevice::ReadOnly);
    QWidget* root = Loader().load(&buffer, nullptr);
    if (!root) return kErrResource;
    ModelBackedTables(root);
    QPoint filePos = FilePosition(xml);
    root->hide();
    if (parentRoot) {
        // A child panel lives inside its parent panel, above the parent's controls.
        root->setParent(parentRoot, Qt::Widget);
        root->setAutoFillBackground(true);
    }
    PlacePanel(root, parentRoot, filePos);
    RecordDesign(root);

    int handle = g_nextHandle++;
    PanelRec& rec = g_panels[handle];
    rec.handle = handle;
    rec.resourcePanel = panelId;
    rec.resource = PathFromCp1252(resource);
    rec.parent = parentRoot ? parent : 0;
    rec.root = root;
    rec.callbackName = CallbackName(root);
    rec.callback = rec.callbackName.empty() ? nullptr : FindCallback(rec.callbackName.c_str());
    g_rootToPanel[root] = handle;
    RegisterControls(rec);
    WatchPanel(rec);
    return handle;
}

int DisplayPanel(int panel) {
    PanelRec* p = FindPanel(panel);
    if (!p) return kErrPanel;
    QWidget* w = p->root;
    const bool appearing = w->isHidden();
    if (appearing && w->isWindow()) PrepareWindow(*p);
    w->show();
    if (w->isWindow()) {
        if (appearing) AfterShow(*p);
        w->activateWindow();
    } else {
        w->raise();  // above the parent's controls and earlier child panels
    }
    NoteActivePanel(panel);
    if (appearing) FocusDefaultButton(*p);
    return 0;
}

int HidePanel(int panel) {
    PanelRec* p = FindPanel(panel);
    if (!p) return kErrPanel;
    if (!p->root->isHidden()) RememberPlace(*p);
    p->root->hide();
    return 0;
}

int DiscardPanel(int panel) {
    PanelRec* p = FindPanel(panel);
    if (!p) return kErrPanel;
    if (!p->root->isHidden()) RememberPlace(*p);
    QPointer<QWidget> root = p->root;
    ForgetPanel(panel);  // the handle is dead at once; the widgets go when no callback runs
    root->hide();
    ScheduleDelete(root);
    return 0;
}

int GetActivePanel() {
    return ActivePanel();
}

int SetActivePanel(int panel) {
    QWidget* w = PanelWidget(panel);
    if (!w) return kErrPanel;
    NoteActivePanel(panel);
    if (w->isWindow() && w->isVisible()) w->activateWindow();
    return 0;
}

int GetPanelHandleFromTag(int resourcePanelId) {
    for (auto& [h, rec] : g_panels)
        if (rec.resourcePanel == resourcePanelId && rec.root) return h;
    return 0;
}

int FindLoadedPanel(const char* resource, int panelId) {
    QString res = PathFromCp1252(resource);
    for (auto it = g_panels.rbegin(); it != g_panels.rend(); ++it)
        if (it->second.resourcePanel == panelId && it->second.root && it->second.resource == res)
            return it->first;
    return 0;
}
