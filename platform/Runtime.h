// Internal interface between the parts of the run-time layer (panels, events, attributes, serial).
#pragma once

#include <QColor>
#include <QPointer>
#include <QString>
#include <QTableView>
#include <QWidget>
#include <map>
#include <string>
#include <vector>

#include "platform/cvi.h"

class QLabel;
class QTableWidget;

namespace qs::rt {

// Error codes returned by the panel and control operations.
enum {
    kErrPanel = -4,       // no such panel handle
    kErrControl = -13,    // no such control on the panel
    kErrType = -45,       // operation not valid for that kind of control
    kErrValue = -14,      // value out of range (no such item, cell, ...)
    kErrResource = -7,    // panel resource not found or not loadable
    kErrAttribute = -46,  // attribute not valid for that control
};

struct ControlRec {
    QPointer<QWidget> widget;
    CtrlCallbackPtr callback = nullptr;
    void* callbackData = nullptr;
    std::string callbackName;  // resolved again when called, in case it registers late
    bool dimmed = false;       // dimmed by the program; read on every hover pass, so kept here
};

struct PanelRec {
    int handle = 0;
    int resourcePanel = 0;  // panel number in its resource
    QString resource;       // resource folder name as given ("FQ31.uir")
    int parent = 0;         // parent panel handle, 0 for a top-level window
    QPointer<QWidget> root;
    CtrlCallbackPtr callback = nullptr;
    void* callbackData = nullptr;
    std::string callbackName;
    bool dimmed = false;
    bool ownWindow = false;  // a window of its own (the second display): neither scaled nor transient
    std::map<int, ControlRec> controls;
};

// Program folder (QS_PROGRAM_DIR, else the executable's folder).
QString ProgramDir();
// This computer's own settings (platform/LocalSettings.h) as Qt values, for the layer's own
// keys whose texts need not be Windows-1252 (folder names). Set gives a FILE_WRITE_* reason.
QVariant LocalSetting(const char* key);
int SetLocalSetting(const char* key, const QVariant& value);
// Writes the value when it differs from the one kept; a failure goes to the failure hook.
void KeepLocalSetting(const char* key, const QVariant& value);

// Panel registry (Panels.cpp).
PanelRec* FindPanel(int handle);
// Counts the panels forgotten so far: what was found in a panel before is stale once it moves.
unsigned PanelsForgotten();
QWidget* PanelWidget(int handle);
ControlRec* FindControl(int panel, int control);
QWidget* ControlWidget(int panel, int control);
int PanelOfWidget(const QWidget* widget);               // innermost panel holding it, 0 if none
int ControlOfWidget(const QWidget* widget, int panel);  // control number, 0 if none
int ActivePanel();
void NoteActivePanel(int panel);
std::vector<int> ActiveOrder();  // panels by their latest activity, latest first

// Event dispatch (Events.cpp). The Call functions return the callback's result
// (non-zero swallows the user's action), or 0 when there is no callback.
int CallControl(int panel, int control, int event, int data1, int data2);
int CallPanel(int panel, int event, int data1, int data2);
void Commit(int panel, int control, int data1 = 0, int data2 = 0);
void CommitFromWidget(QWidget* widget);  // custom controls: the user changed me
void ConnectControlSignals(int panel, int control, QWidget* widget);
bool RouteUserInput(QObject* receiver, QEvent* event);  // true: swallow the event
// Alt with a key of the digit row presses the button whose caption has that digit underlined,
// whatever the key's first character on the keyboard's layout (true: pressed, event taken).
bool PressDigitShortcut(QObject* receiver, QEvent* event);
// From now on the wheel over a ring or number field without the focus is dropped.
void IgnoreStrayWheels();
void NotePointer(QObject* receiver, QEvent* event);  // every event: keeps the pointer position
QPoint PointerPosition();                            // global, as last reported by the window system
void ScheduleDelete(QWidget* widget);                // DiscardPanel: delete when safe
void ProcessDeferredDeletes();
void ForgetQueuedEvents(int panel);

// Values written by code must not look like user commits.
class SignalBlock {
public:
    explicit SignalBlock(QObject* o) : o_(o), was_(o ? o->blockSignals(true) : false) {}
    ~SignalBlock() {
        if (o_) o_->blockSignals(was_);
    }
    SignalBlock(const SignalBlock&) = delete;
    SignalBlock& operator=(const SignalBlock&) = delete;

private:
    QObject* o_;
    bool was_;
};

// Tables (Tables.cpp). The resources' tables become views over the layer's own model as
// the panel loads; ConnectTable wires a table's operator events (false: not a table).
void ModelBackedTables(QWidget* root);
bool ConnectTable(int panel, int control, QWidget* widget);
void TellTableChanges();          // the views hear of changed cells now, not with the next events
int TableRows(QTableView* view);  // the rows the program has put in, shown or not yet
void ScrollTableTo(QTableView* view, int row);  // ATTR_FIRST_VISIBLE_ROW (0-based row)
int FirstVisibleTableRow(QTableView* view);     // ATTR_FIRST_VISIBLE_ROW read (1-based, 0: empty)

// Pictures (Pictures.cpp): a QLabel showing an image file. Setting the fit mode decodes the
// file again at the size it is now shown; the image size is the file's own (0 x 0: none).
int PictureFitMode(const QLabel* label);
void SetPictureFitMode(QLabel* label, int mode);
QSize PictureImageSize(const QLabel* label);

// Colours as the program passes them (0xRRGGBB).
inline QColor ColorOf(int rgb) {
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}
inline int RgbOf(const QColor& c) {
    return (c.red() << 16) | (c.green() << 8) | c.blue();
}

// Scaling (Scaling.cpp): a panel window grows and shrinks as a whole, while the program
// keeps reading and setting places in the resource's own coordinates ("design").
void MarkPlaced(QWidget* widget);  // the loader made it: its place comes from the resource
void RecordDesign(QWidget* root);  // after loading: places, fonts, sheets, table columns
bool IsScaledWindow(const QWidget* root);
double WindowScale(const QWidget* widget);  // of the window holding it; 1 when not scaled
QPoint WindowOffset(const QWidget* root);
QSize DesignSize(const QWidget* root);
QRect DesignRect(const QWidget* widget);  // place in its parent
void SetDesignRect(QWidget* widget, const QRect& rect);
void FollowWidgetPlace(QWidget* widget);  // the operator moved or resized it (movable pictures)
QPoint DesignPosInPanel(const QWidget* widget, const QWidget* panelRoot);
QPointF ToDesignPoint(const QWidget* widget, QPoint local);  // a point in the widget, in design units
void SetDesignSize(QWidget* root, QSize size);
void SetDesignFontSize(QWidget* widget, int points);
void SetDesignColumnWidth(QTableView* table, int column, int width);
void SetDesignRowHeight(QTableView* table, int row, int height);  // row -1: the default only
int DesignRowHeight(const QTableView* table);
unsigned RowHeightChanges();  // grows with every change of a table's design row height
void StartScaling(QWidget* window, double scale);
void LayOutWindow(QWidget* window, double scale);
void FollowWindowSize(QWidget* window);  // the window was resized: lay it out again
void ScaleChildPanel(QWidget* panelRoot);
void ApplyStyle(QWidget* widget);  // resource sheet at the window's scale + program colours

// Desktop behaviour of panel windows (Windows.cpp).
void WatchPanel(PanelRec& rec);          // after loading: keys, resizing
void PrepareWindow(PanelRec& rec);       // before a window shows: scale, place, transience
void AfterShow(PanelRec& rec);           // a window just shown: its saved state (maximised, ...)
void FocusDefaultButton(PanelRec& rec);  // after it shows
void RememberPlace(PanelRec& rec);       // hiding or discarding a window that keeps its place
void NotePanelMoved(PanelRec& rec);      // the program placed a window itself
void StartDesktop();                     // window icon, accessibility, saved places
QWidget* DialogParent();                 // the window a system dialog belongs to (nullptr: none)
// Where a file dialog that names no folder opens: where the operator last picked a file in
// such a dialog (kept across restarts), else the documents folder.
QString StartFolder();
void NoteChosenFolder(const QString& folder);
void ShowOverParent(QWidget* dialog, QWidget* parent);  // transient for it, centred over it

// Serial and sound clean-up at shutdown.
void CloseAllPorts();
void DiscardAllPanels();
void StopEvents();
void StopSounds();

}  // namespace qs::rt
