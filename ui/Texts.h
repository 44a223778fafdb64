// Text tables: every user-visible wording, loaded from "Texts/*.gentxt" of the
// current language (Windows-1252), addressed by entry number everywhere.
#pragma once

#include <cstdint>

// Entries of the tables that grew; the files hold at least the required counts of each.
inline constexpr int kQ12TxtEntrees = 26;
inline constexpr int kGMesComCount = 30;
inline constexpr int kQ31TxtLabelCount = 76;
inline constexpr int kQ31TxtMesCount = 44;

extern char GLabelBpG[9][64];                     // shared button captions
extern char GMessageG[5][128];                    // general messages and titles
extern char GMesComG[kGMesComCount][128];         // link and wait-box messages
extern char Q31TxtLabelG[kQ31TxtLabelCount][64];  // main-window labels
extern char Q31TxtLabSetG[61][64];                // settings-page labels
extern char Q31TxtMesG[kQ31TxtMesCount][256];     // clock-module messages and questions
extern char Q12TxtG[kQ12TxtEntrees][64];          // competitor-unit labels

// Entries appended to a table, named where they are used.
inline constexpr int kQ31MesCheckRefused = 17;  // Q31TxtMesG: a text the clock would refuse, by its item
// GMesComG: the link over the network. Each text holds "%s" once, where the address
// and port go ("192.168.0.10:7000").
inline constexpr int kMesComNetTitle = 16;        // title of every network error
inline constexpr int kMesComNetRefused = 17;      // the address answered, but nothing takes the port
inline constexpr int kMesComNetUnreachable = 18;  // no route to the address
inline constexpr int kMesComNetUnknownHost = 19;  // the name is not known
inline constexpr int kMesComNetNoAnswer = 20;     // nothing answered the connection within the time-out
inline constexpr int kMesComNetSilent = 21;       // connected, but no clock answered "SN"
inline constexpr int kMesComNetLost = 22;         // the connection went away while open
// GMesComG: why a serial port did not open (a lead before "COMn (device)", then what to do),
// and a port search that found nothing.
inline constexpr int kMesComPortDenied = 23;
inline constexpr int kMesComPortDeniedFix = 24;
inline constexpr int kMesComPortMissing = 25;
inline constexpr int kMesComPortMissingFix = 26;
inline constexpr int kMesComPortBusy = 27;
inline constexpr int kMesComPortBusyFix = 28;
inline constexpr int kMesComNoPortFound = 29;
// Q31TxtLabelG: the connection dialog's address hint, the parameters dialog's journal switch.
inline constexpr int kQ31LabelNetHint = 61;
inline constexpr int kQ31LabelJournal = 62;
// Q31TxtLabelG: captions of the parameters dialog's second-display switches.
inline constexpr int kQ31LabBackgroundImage = 73;
inline constexpr int kQ31LabDialDigits = 74;
inline constexpr int kQ31LabEditMode = 75;
// Q31TxtMesG: printing the times and showing the quick-start guide (each followed by a path).
inline constexpr int kQ31MesNoPrinter = 36;
inline constexpr int kQ31MesPrintFailed = 37;
inline constexpr int kQ31MesPdfTitle = 38;  // file dialog title, no path
inline constexpr int kQ31MesDocNoViewer = 39;
inline constexpr int kQ31MesDocMissing = 40;
// Q31TxtMesG: a file name chosen that the program cannot keep, followed by the name.
inline constexpr int kQ31MesPathUnusable = 41;
// Q31TxtMesG: another run of the program works in this program folder (shown alone, no window).
inline constexpr int kQ31MesAlreadyRunning = 42;
// Q31TxtMesG: why the desktop is kept awake, as the desktop may show it (while a clock is there).
inline constexpr int kQ31MesKeepAwake = 43;

// Loaders: 0 read whole, 1 a file could not be opened, 2 a file held too few entries.
uint8_t GenChargerTextes(int language);
uint8_t GenChargerTextesCom(int language);
uint8_t Q31ChargerLabels(int language);
uint8_t Q31ChargerMessages(int language);
uint8_t Q12ChargerTxt(int language);
// Loads all tables for Q31G.language; records an application error on failure.
void Q31ChargerTextes();
// Where Q31ChargerTextes reports a table that cannot be opened or read whole (title and
// text of the error): the application's error state registers itself; nullptr for none.
using Q31TextsFailureFn = void (*)(const char* title, const char* text);
void Q31SetTextsFailure(Q31TextsFailureFn report);

// The file code of a language index ("EN", "FR", "DT", "IT"; English for any other).
const char* GenCodeLangue(int language);
