// Text tables: every user-visible wording, loaded from "Texts/*.gentxt" of the
// current language (Windows-1252), addressed by entry number everywhere.
#pragma once

#include <cstdint>

extern char GLabelBpG[9][64];   // shared button captions
extern char GMessageG[5][128];  // general messages and titles
extern char GMesComG[16][128];  // link and wait-box messages
inline constexpr int kQ31TxtLabelCount = 71;
extern char Q31TxtLabelG[kQ31TxtLabelCount][64];  // main-window labels
extern char Q31TxtLabSetG[61][64];                // settings-page labels
inline constexpr int kQ31TxtMesCount = 35;
extern char Q31TxtMesG[kQ31TxtMesCount][256];  // clock-module messages and questions
extern char Q12TxtG[17][64];                   // competitor-unit labels

// Entries appended to a table, named where they are used.
inline constexpr int kQ31MesCheckRefused = 17;  // Q31TxtMesG: a text the clock would refuse, by its item

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
