// Text tables: every user-visible wording, loaded from "Texts/*.gentxt" of the
// current language (Windows-1252), addressed by entry number everywhere.
#pragma once

#include <cstdint>

extern char GLabelBpG[9][64];   // shared button captions
extern char GMessageG[5][128];  // general messages and titles
inline constexpr int kGMesComCount = 23;
extern char GMesComG[kGMesComCount][128];  // link and wait-box messages
inline constexpr int kQ31TxtLabelCount = 64;
extern char Q31TxtLabelG[kQ31TxtLabelCount][64];  // main-window labels
extern char Q31TxtLabSetG[61][64];                // settings-page labels
inline constexpr int kQ31TxtMesCount = 23;
extern char Q31TxtMesG[kQ31TxtMesCount][256];  // clock-module messages and questions
extern char Q12TxtG[17][64];                   // competitor-unit labels

// Entries appended to a table, named where they are used.
inline constexpr int kQ31MesCheckRefused = 17;  // Q31TxtMesG: a text the clock would refuse, by its item
// GMesComG: why a serial port did not open (a lead before "COMn (device)", then what to do),
// and a port search that found nothing.
inline constexpr int kMesComPortDenied = 16;
inline constexpr int kMesComPortDeniedFix = 17;
inline constexpr int kMesComPortMissing = 18;
inline constexpr int kMesComPortMissingFix = 19;
inline constexpr int kMesComPortBusy = 20;
inline constexpr int kMesComPortBusyFix = 21;
inline constexpr int kMesComNoPortFound = 22;
// Q31TxtMesG: printing the times and showing the quick-start guide (each followed by a path).
inline constexpr int kQ31MesNoPrinter = 18;
inline constexpr int kQ31MesPrintFailed = 19;
inline constexpr int kQ31MesPdfTitle = 20;  // file dialog title, no path
inline constexpr int kQ31MesDocNoViewer = 21;
inline constexpr int kQ31MesDocMissing = 22;
// Q31TxtLabelG: captions of the parameters dialog's second-display switches.
inline constexpr int kQ31LabBackgroundImage = 61;
inline constexpr int kQ31LabDialDigits = 62;
inline constexpr int kQ31LabEditMode = 63;

// Loaders: 0 read whole, 1 a file could not be opened, 2 a file held too few entries.
uint8_t GenChargerTextes(int language);
uint8_t GenChargerTextesCom(int language);
uint8_t Q31ChargerLabels(int language);
uint8_t Q31ChargerMessages(int language);
uint8_t Q12ChargerTxt(int language);
// Loads all tables for Q31G.language; records an application error on failure.
void Q31ChargerTextes();

// The file code of a language index ("EN", "FR", "DT", "IT"; English for any other).
const char* GenCodeLangue(int language);
