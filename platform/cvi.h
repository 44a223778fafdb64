// Run-time layer: the panel, event, timer, file, serial and sound operations the
// program is written against. Implemented over Qt; nothing outside platform/ and
// the custom control classes includes a Qt header. Texts crossing this interface
// are Windows-1252 bytes, as in the records and files.
#pragma once

#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------------------
// Events and callbacks
// ---------------------------------------------------------------------------
enum {
    EVENT_NONE = 0,
    EVENT_COMMIT = 1,
    EVENT_VAL_CHANGED = 2,
    EVENT_LEFT_CLICK = 3,  // mouse pressed (on a control, or on a panel's background)
    EVENT_LEFT_DOUBLE_CLICK = 4,
    EVENT_KEYPRESS = 5,  // eventData1: the key's character (or Qt key code above 0xFFFF)
    EVENT_GOT_FOCUS = 6,
    EVENT_LOST_FOCUS = 7,
    EVENT_CLOSE = 12,               // the panel's close box
    EVENT_ACTIVE_CELL_CHANGE = 20,  // tables: eventData1 row, eventData2 column (1-based)
    EVENT_LEFT_CLICK_UP = 21,       // mouse released
    EVENT_PANEL_SIZE = 22,          // a window the program lays out itself changed its size
};

// Control and panel callbacks. A panel callback receives control 0.
using CtrlCallbackPtr = int (*)(int panel, int control, int event, void* callbackData, int eventData1,
                                int eventData2);
using PanelCallbackPtr = CtrlCallbackPtr;

// Callbacks are named in the panel resources (property "callback") and resolved
// by name when a panel is loaded. Modules register theirs before loading panels.
void RegisterCallback(const char* name, CtrlCallbackPtr fn);
CtrlCallbackPtr FindCallback(const char* name);
int InstallCtrlCallback(int panel, int control, CtrlCallbackPtr fn, void* callbackData);
int InstallPanelCallback(int panel, PanelCallbackPtr fn, void* callbackData);

// Takes one committed event of a control that has no callback. Returns EVENT_COMMIT
// with *panel and *control set, or 0 when none is pending. When nothing is pending it
// sleeps until something happens (the operator, the serial line, a timer of the layer,
// the window system) or until the earliest deadline a module asked for with
// SetNextWake, and runs what came (callbacks included): a loop turns when there is
// something to do, so an idle program costs what an idle window costs.
// wait != 0 goes on until a commit arrives (used by nothing time-critical).
int GetUserEvent(int wait, int* panel, int* control);
// Runs pending events (serial callbacks included). Sleeps only when its own loop asked
// for a deadline since events were last processed (the acknowledgement wait: until the
// answer or the deadline); called anywhere else it never waits.
int ProcessSystemEvents();
// A module that must act at a time asks for it on each pass: the next wait of the loop
// ends at most `seconds` from now (the earliest asked wins; 0 or less: at once). A pass
// with nothing due asks for nothing.
void SetNextWake(double seconds);
int ProcessDrawEvents();                     // draws pending changes
int QueueUserEvent(int panel, int control);  // tests: queue a commit as if the user made it

// ---------------------------------------------------------------------------
// Start
// ---------------------------------------------------------------------------
int InitCVIRTE(int argc, char** argv);  // 0 on failure
void CloseCVIRTE();
int GetProjectDir(char dir[260]);  // the program's folder; 0 on success
// Holds the program folder for this run, until the layer closes, so that a second start in the
// same folder (a double click too many) does not write the same files: 0 held, 1 another running
// program holds it, -1 it cannot be held (a read-only folder): the run goes on as before.
int HoldProgramFolder();
int SetDir(const char* dir);   // 0 on success
int MakeDir(const char* dir);  // 0 on success; an existing folder is no failure (returns -9)
int GetDir(char dir[260]);
// The program folder may be overridden (tests run a copy of it in a temporary folder):
// environment QS_PROGRAM_DIR wins over the executable's folder.

// ---------------------------------------------------------------------------
// Panels and controls
// ---------------------------------------------------------------------------
// Resources are folders named after the resource ("FQ31.uir") in the program folder,
// holding one Qt Designer file per panel ("01-main.ui" for panel 1).
int LoadPanel(int parent, const char* resource, int panelId);  // handle > 0, or < 0 on error
int DisplayPanel(int panel);
int HidePanel(int panel);
int DiscardPanel(int panel);  // safe to call from the panel's own callback
int GetActivePanel();
int SetActivePanel(int panel);
int GetPanelHandleFromTag(int resourcePanelId);  // first loaded panel of that number, 0 if none

enum {
    // panels and controls
    ATTR_DIMMED = 1,
    ATTR_VISIBLE = 2,
    ATTR_TITLE = 3,  // string
    ATTR_TOP = 4,
    ATTR_LEFT = 5,
    ATTR_WIDTH = 6,
    ATTR_HEIGHT = 7,
    ATTR_BACKCOLOR = 8,  // 0xRRGGBB
    ATTR_FRAME_COLOR = 9,
    ATTR_LABEL_TEXT = 10,  // string
    ATTR_LABEL_VISIBLE = 11,
    ATTR_TEXT_COLOR = 12,
    ATTR_TEXT_BGCOLOR = 13,
    ATTR_CMD_BUTTON_COLOR = 14,
    ATTR_LABEL_COLOR = 15,
    ATTR_MIN_VALUE = 16,
    ATTR_MAX_VALUE = 17,
    ATTR_CTRL_MODE = 18,  // VAL_HOT / VAL_INDICATOR
    ATTR_ON_COLOR = 19,   // lamps
    ATTR_OFF_COLOR = 20,
    ATTR_CAN_MAXIMIZE = 21,
    ATTR_CAN_MINIMIZE = 22,
    ATTR_SIZABLE = 23,
    ATTR_TITLEBAR_VISIBLE = 24,
    ATTR_MOVABLE = 25,
    ATTR_FRAME_STYLE = 26,
    ATTR_WINDOW_ZOOM = 27,  // VAL_NO_ZOOM / VAL_MAXIMIZE / VAL_FULLSCREEN
    ATTR_ACTIVE = 28,       // read: is this the active panel
    ATTR_PANEL_PARENT = 29,
    ATTR_CALLBACK_DATA = 30,
    ATTR_FIT_MODE = 31,   // pictures: VAL_SIZE_TO_IMAGE / VAL_SIZE_TO_PICTURE
    ATTR_HOUR_HAND = 32,  // dial: position 0..59
    ATTR_MINUTE_HAND = 33,
    ATTR_MOUSE_EDIT = 34,   // movable picture/lamp: move and resize with the mouse
    ATTR_IMAGE_WIDTH = 35,  // pictures, read only
    ATTR_IMAGE_HEIGHT = 36,
    ATTR_TEXT_POINT_SIZE = 37,  // font size of a control's text, in points
    // tables
    ATTR_FIRST_VISIBLE_ROW = 40,
    ATTR_ROW_HEIGHT = 41,
    ATTR_CELL_TYPE = 42,  // VAL_CELL_STRING / VAL_CELL_NUMERIC
    ATTR_CELL_DIMMED = 43,
    ATTR_CELL_MODE = 44,  // VAL_HOT / VAL_INDICATOR
    ATTR_USE_LABEL_TEXT = 45,
    ATTR_TABLE_MODE = 46,
    ATTR_NUM_VISIBLE_ROWS = 47,
};

enum {
    VAL_HOT = 0,
    VAL_INDICATOR = 1,
    VAL_NORMAL = 2,
    VAL_NO_ZOOM = 0,
    VAL_MAXIMIZE = 1,
    VAL_FULLSCREEN = 2,
    VAL_SIZE_TO_IMAGE = 0,
    VAL_SIZE_TO_PICTURE = 1,
    VAL_CELL_STRING = 0,
    VAL_CELL_NUMERIC = 1,
};

int SetPanelAttribute(int panel, int attribute, int value);
int SetPanelAttribute(int panel, int attribute, const char* value);
int GetPanelAttribute(int panel, int attribute, int* value);
int SetPanelPos(int panel, int top, int left);
int SetPanelSize(int panel, int height, int width);

int SetCtrlAttribute(int panel, int control, int attribute, int value);
int SetCtrlAttribute(int panel, int control, int attribute, const char* value);
int GetCtrlAttribute(int panel, int control, int attribute, int* value);
int GetCtrlAttribute(int panel, int control, int attribute, char* value, size_t size);

// Values. Numeric controls, switches, rings (the selected item's value), lamps (0/1),
// 7-segment digits (segment pattern, bit 0 = segment a ... bit 6 = g), dial (unused),
// text controls and text boxes (strings).
int SetCtrlVal(int panel, int control, int value);
int SetCtrlVal(int panel, int control, double value);
int SetCtrlVal(int panel, int control, const char* value);
int GetCtrlVal(int panel, int control, int* value);
int GetCtrlVal(int panel, int control, double* value);
int GetCtrlVal(int panel, int control, char* value, size_t size);
// Indexed values of composite custom controls: the dial's 60 lights (index 0..59,
// value 0xRRGGBB).
int SetCtrlIndexVal(int panel, int control, int index, int value);
int GetCtrlIndexVal(int panel, int control, int index, int* value);

// Rings and lists
int InsertListItem(int panel, int control, int index, const char* label, int value);  // index -1: append
int ClearListCtrl(int panel, int control);
int GetNumListItems(int panel, int control, int* count);
int GetCtrlIndex(int panel, int control, int* index);
int SetCtrlIndex(int panel, int control, int index);

// Text boxes
int ResetTextBox(int panel, int control, const char* text);
int InsertTextBoxLine(int panel, int control, int index, const char* text);  // index 0: top, -1: end

// Tables: rows and columns are 1-based, as points (column, row).
struct Point {
    int x;
    int y;
};
struct Rect {
    int top;
    int left;
    int height;
    int width;
};
inline Point MakePoint(int x, int y) {
    return Point{x, y};
}
inline Rect MakeRect(int top, int left, int height, int width) {
    return Rect{top, left, height, width};
}
int InsertTableRows(int panel, int control, int index, int count);  // index -1: append
int DeleteTableRows(int panel, int control, int index, int count);  // count -1: to the end
int GetNumTableRows(int panel, int control, int* rows);
int SetTableCellVal(int panel, int control, Point cell, const char* value);
int SetTableCellVal(int panel, int control, Point cell, int value);
int GetTableCellVal(int panel, int control, Point cell, char* value, size_t size);
int GetTableCellVal(int panel, int control, Point cell, int* value);
int SetTableCellAttribute(int panel, int control, Point cell, int attribute, int value);
int GetTableCellAttribute(int panel, int control, Point cell, int attribute, int* value);
int SetTableCellRangeAttribute(int panel, int control, Rect cells, int attribute, int value);
int SetTableRowAttribute(int panel, int control, int row, int attribute, int value);
int SetTableColumnAttribute(int panel, int control, int column, int attribute, int value);
int SetTableColumnAttribute(int panel, int control, int column, int attribute, const char* value);
int SetTableSelection(int panel, int control, Rect cells);
int GetActiveTableCell(int panel, int control, Point* cell);
int SetActiveTableCell(int panel, int control, Point cell);
int SetActiveCtrl(int panel, int control);

// Pictures
int DisplayImageFile(int panel, int control, const char* path);  // Windows-style relative paths accepted
int ImageFormatReadable(const char* extension);                  // 1 when DisplayImageFile reads such files
int DeleteImage(int panel, int control);

// ---------------------------------------------------------------------------
// Mouse, cursor, screen, dialogs, documents
// ---------------------------------------------------------------------------
enum { VAL_DEFAULT_CURSOR = 0, VAL_HOUR_GLASS_CURSOR = 1, VAL_POINTING_FINGER_CURSOR = 2 };
int SetMouseCursor(int cursor);
int GetMouseCursor(int* cursor);
int SetWaitCursor(int on);
// Mouse position relative to the control's top-left corner.
int GetRelativeMouseState(int panel, int control, int* x, int* y, int* left, int* right, int* keys);
int GetScreenSize(int* height, int* width);
// Screens of the desktop: how many, and where screen i lies (0 is the primary screen),
// in desktop pixels. 0 on success.
int GetScreenCount();
int GetScreenRect(int screen, int* top, int* left, int* height, int* width);
// Called from the event processing after a screen went away (its windows moved to another by
// then); nullptr for none.
void SetScreenRemovedHook(void (*hook)());
// Called from the event processing when the system asks the program to end (SIGTERM at a
// shutdown or a logout, SIGHUP, SIGINT), with the signal's number. While one is set, those
// signals no longer end the program by themselves: the hook does. nullptr: they do again.
using EndRequestHook = void (*)(int signal);
void SetEndRequestHook(EndRequestHook hook);
// Non-zero: the desktop is asked not to blank the screen nor suspend the computer for want of
// input (for the reason given, which the desktop may show); zero: it may again. Only a change
// is passed on, and nothing is waited for.
void KeepAwake(int awake, const char* reason);
int KeptAwake();  // whether the desktop is asked to stay awake now

enum { VAL_OK_BUTTON = 0, VAL_SAVE_BUTTON = 1, VAL_SELECT_BUTTON = 2, VAL_LOAD_BUTTON = 3 };
enum { VAL_NO_FILE_SELECTED = 0, VAL_EXISTING_FILE_SELECTED = 1, VAL_NEW_FILE_SELECTED = 2 };
// fileTypes: patterns separated by ';' ("*.jpg;*.bmp;*.png;").
int FileSelectPopup(const char* defaultDir, const char* defaultFile, const char* fileTypes, const char* title,
                    int buttonLabel, int restrictDir, int restrictExt, int allowCancel, int allowMakeDir,
                    char pathOut[260]);
// What the file dialog tells the operator, above the name, when a name chosen cannot be kept
// (a character outside Windows-1252, or 260 bytes and more); the dialog then comes back. Read
// when shown: a text of the current language's table.
void SetUnusablePathText(const char* text);
// Qt's own dialogs and buttons (the file dialog, OK, Cancel) in the program's language, by the
// code its text files use ("FR", "DT", "IT"; English for any other). Without the system's Qt
// translations (qt6-translations-l10n) they stay in English.
void SetDialogLanguage(const char* code);
int MessagePopup(const char* title, const char* message);
// Opens a file in the system's viewer for its type. 0 on success; -1 the file is missing,
// -2 no program to show such files is installed.
int OpenDocument(const char* path);
// Prints a text file through the system's print dialog: 1 printed, 0 the operator cancelled,
// < 0 it could not be printed. With pdfPath there is no dialog: the text becomes that PDF file.
int PrintTextFile(const char* path, const char* title, const char* pdfPath);
int GetPrinterCount();  // printers the system knows; 0 leaves only a PDF file

// Test hooks: answer the file dialog, catch message popups and opened documents.
using FileSelectHook = int (*)(const char* defaultDir, const char* defaultFile, const char* title,
                               int buttonLabel, char pathOut[260]);
void SetFileSelectHook(FileSelectHook hook);
using MessageHook = void (*)(const char* title, const char* message);
void SetMessageHook(MessageHook hook);
using DocumentHook = int (*)(const char* path);
void SetDocumentHook(DocumentHook hook);

// ---------------------------------------------------------------------------
// Time
// ---------------------------------------------------------------------------
double Timer();                // monotonic seconds since start
double SecondsToNextSecond();  // until the second of local time changes (what a clock face waits for)
void Delay(double seconds);    // processes no events
int GetSystemTime(int* hours, int* minutes, int* seconds);  // local time
int GetSystemDate(int* month, int* day, int* year);
// Tests drive time: a source of Timer() and of local time (nullptr restores the real ones).
using TimerSource = double (*)();
using LocalTimeSource = void (*)(int* hours, int* minutes, int* seconds);
void SetTimeSource(TimerSource timer, LocalTimeSource localTime);
// A call due in some seconds of real time, made from the layer's event processing:
// the main loop, every modal dialog's loop and the acknowledgement wait alike, so
// work that must not wait for the main loop (keeping the times file current) goes
// on whatever window is open. Asking again for a call already due keeps the earlier
// time. -1 when no application runs (nothing is then scheduled).
using DueCallPtr = void (*)();
int ScheduleCall(double seconds, DueCallPtr fn);
void CancelCall(DueCallPtr fn);

// ---------------------------------------------------------------------------
// Files. Paths may use '\\' as separator (as stored in records); they are converted.
// ---------------------------------------------------------------------------
// Reads at most size bytes into buf. Returns bytes read, or -1 if the file cannot be opened.
long FileReadUpTo(const char* path, void* buf, size_t size);
// Writes the whole block atomically (temporary file in the same folder, flush, rename).
// Returns 0 on success, -1 on failure (the former file is then untouched).
int FileWriteAtomic(const char* path, const void* data, size_t size);
int FileExists(const char* path, long* size);          // 1 if it exists
int CopyFile(const char* source, const char* target);  // 0 on success
// Why the last FileWriteAtomic or CopyFile failed, as the operator is told it.
enum { FILE_WRITE_OK = 0, FILE_WRITE_DISK_FULL, FILE_WRITE_READ_ONLY, FILE_WRITE_DENIED, FILE_WRITE_OTHER };
int FileLastWriteError();
int FileWriteReason(int error);  // the FILE_WRITE_* reason of an errno value
// True when path names a plain file (not a folder, device or FIFO), links followed. The
// file itself is not opened, so a FIFO never makes it wait.
bool FileIsPlain(const char* path);
// The same, and the file's real place, links followed, lies inside folder.
bool FileInsideFolder(const char* folder, const char* path);
int SplitPath(const char* path, char* drive, char* dir, char* file);  // any may be null; file holds name+ext
void ToNativePath(const char* path, char* out, size_t size);          // '\\' -> platform separator

// ---------------------------------------------------------------------------
// Serial ports (RS-232). Port n names a device: "COMn" on Windows; elsewhere the
// link "Ports/COMn" in the program folder when it exists, else /dev/ttyS(n-1) for
// 1..32, /dev/ttyUSB(n-33) for 33..48, /dev/ttyACM(n-49) for 49..64.
// ---------------------------------------------------------------------------
enum { LWRS_RXFLAG = 2 };
using ComCallbackPtr = void (*)(int port, int eventMask, void* callbackData);
int OpenComConfig(int port, const char* deviceName, long baudRate, int parity, int dataBits, int stopBits,
                  int inputQueueSize, int outputQueueSize);  // 0 ok, < 0 error
int OpenCom(int port, const char* deviceName);               // default settings
int CloseCom(int port);
int SetComTime(int port, double seconds);
int ReturnRS232Err();
const char* GetRS232ErrorString(int code);
int FlushInQ(int port);
int FlushOutQ(int port);
int GetComStat(int port);  // 0: no error bit
int GetInQLen(int port);
int ComWrt(int port, const char* buffer, int count);  // bytes written, or < 0
// Reads up to the terminator (consumed, not stored) or maxCount bytes, whichever comes
// first: a terminator right after maxCount bytes stays queued. Returns the bytes
// stored, or < 0. ReturnRS232Err then tells how the read ended: 0 at the terminator
// or a full buffer, RS232_TIMEOUT when the port time-out ended it first.
int ComRdTerm(int port, char* buffer, int maxCount, int termChar);
enum { RS232_TIMEOUT = -99 };
int InstallComCallback(int port, int eventMask, int notifyCount, int eventCharacter, ComCallbackPtr cb,
                       void* callbackData);
void ComPortDevice(int port, char* out, size_t size);  // the device a port number names
// What the system knows of that device ("FT232R USB UART"), empty when nothing (ptys).
void ComPortDescription(int port, char* out, size_t size);
// Why OpenComConfig failed (ReturnRS232Err right after it), beyond the generic -8.
enum { kRS232PortMissing = -11, kRS232PortDenied = -12, kRS232PortBusy = -13 };
// The clock over TCP: its Ethernet module, or a serial device server in raw TCP mode.
// Connects to host (a name or a dotted address, Windows-1252) and tcpPort, waiting at
// most timeoutSeconds while the windows repaint but take no input, and returns the port
// number (above the serial ones) that the serial operations above then work on, or one
// of the NET_ codes. One connection at a time; nothing is ever listened on. Bytes that
// arrived before the far end went away are still read, then GetComStat reports 0x0002 once.
enum { NET_REFUSED = -20, NET_UNREACHABLE = -21, NET_UNKNOWN_HOST = -22, NET_NO_ANSWER = -23 };
int OpenComNetwork(const char* host, int tcpPort, double timeoutSeconds);

// ---------------------------------------------------------------------------
// Sound
// ---------------------------------------------------------------------------
enum { SND_NOWAIT = 0x2000, SND_ASYNC = 0x0001 };
// Plays a WAV file; returns when it has ended (unless SND_ASYNC). Harmless without an audio device.
int sndPlaySoundA(const char* file, unsigned flags);
// Tests: count played sounds instead of playing them.
using SoundHook = void (*)(const char* file);
void SetSoundHook(SoundHook hook);

// ---------------------------------------------------------------------------
// Test hooks for driving whole flows headless
// ---------------------------------------------------------------------------
// Newest loaded panel of a resource's panel number (0 if none is loaded).
int FindLoadedPanel(const char* resource, int panelId);
// Called on every GetUserEvent pass that has no event to return (nullptr: none). An idle
// hook polls: while one is installed, GetUserEvent sleeps at most 10 ms.
using IdleHook = void (*)();
void SetIdleHook(IdleHook hook);
