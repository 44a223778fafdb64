// Times store and times table: the times the clock reports, their ".q31tps" file,
// the table on the main window, marking, text export, print and the five buttons.
#pragma once

#include <cstddef>
#include <vector>

#include "records/SbChronoRec.h"

// Capacity: slot 0 is never used, records occupy slots 1 to count.
inline constexpr int SB_CHRONO_SLOTS = 10000;
inline constexpr int SB_CHRONO_MAX = SB_CHRONO_SLOTS - 1;

// ---------------------------------------------------------------------------
// Store
// ---------------------------------------------------------------------------
// Remembers the table (panel and control handles, 0 for none), sets its four text
// columns, allocates the block, empties the store and shows the empty table.
// The store file folder\file (normally "Chronos\\Chrono.q31tps") is kept current
// from then on (see SbChronoMaintenir). A file that a previous run left there is
// first kept as "<name>_YYYYMMDD-HHMMSS.q31tps" beside it (loadable with the load
// button) when it holds at least one time, then the empty store is written. When
// that copy cannot be made, the previous file is left untouched and the store is
// kept in "<name>_YYYYMMDD-HHMMSS-new.q31tps" instead; the operator is told.
void SbChronoOuvrir(const char* folder, const char* file, int panel, int control);
// Saves the store to folder\file (to the store file when that is the name it was
// opened with), then frees the block and detaches the table.
void SbChronoFermer(const char* folder, const char* file);
// Count to 0 and every slot cleared. The table on screen is left as it is:
// callers follow with SbChronoAfficher.
void SbChronoEffacer();
// Entry of every new time: the clock's, handed over by the decoder (the link's time
// receiver, registered by the store), and the simulated clock's.
void SbChronoQ31Traiter(const SbChronoRec* record);
// Writes the ".q31tps" file atomically; a file that cannot be written is noted for
// the operator (ui/FileNotices.h).
void SbChronoSauver(const char* path);
// Replaces the store with a ".q31tps" file. 0 when the file cannot be opened or is
// shorter than its count field (store unchanged), else 1. A count below 0 gives an
// empty store; a count above the capacity or beyond the records the file holds is
// cut to what the file and the store hold. The caller redisplays the table.
int SbChronoCharger(const char* path);
// Keeps the store file current. A timer of the run-time layer does it on its own,
// so the file follows the store whatever loop runs (the main loop, the error box,
// a dialog, a command's acknowledgement wait): the file is written at most
// SB_CHRONO_DELAI_SAUVEGARDE seconds after the first unsaved change, so a burst of
// times (a run download) costs one write per half second and reception never waits
// on the disk. A write that fails is told to the operator once, the times stay in
// memory and the write is tried again at the same pace until it succeeds, which is
// told too. Calling this writes at once when the delay has passed.
void SbChronoMaintenir();
inline constexpr double SB_CHRONO_DELAI_SAUVEGARDE = 0.5;
// Writes the store file now if it holds less than the store. True when the file
// is current (before quitting: false asks the operator, FileLastWriteError() says why).
bool SbChronoSaveNow();
const char* SbChronoStorePath();  // the store file ("Chronos\\Chrono.q31tps" or its new name)

// Read access for the table, the export and tests.
int SbChronoNombre();                        // records held, 0 to 9,999
const SbChronoRec* SbChronoLire(int index);  // record 1..count, nullptr outside
// Tests of the senders (decoder, simulated clock): every record handed to
// SbChronoQ31Traiter, kept or dropped, the latest 9,999 at most.
const std::vector<SbChronoRec>& SbChronoRecus();
void SbChronoViderRecus();

// ---------------------------------------------------------------------------
// Table
// ---------------------------------------------------------------------------
void SbChronoAfficher();  // rebuilds the whole table from the store
int SbChronoSelection();  // selected row, 0 for none

// Registers the table's, marking buttons' and five buttons' callbacks by name
// (called once at start-up, before the main window is loaded).
void SbChronoEnregistrerCallbacks();

int FSbChrTable(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int FSbChronoValider(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int FSbChronoInvalider(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int FSbChronoDanger(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int FQ31ChronosMaj(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int FQ31ChronosSauver(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int FQ31ChronosCharger(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int FQ31ChronosPrint(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int FQ31ChronosEffacer(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);

// ---------------------------------------------------------------------------
// Text export
// ---------------------------------------------------------------------------
// Writes the header as it stands, then the 36-character table of every record
// (all five fraction digits), text line ends. A file that cannot be written is
// noted for the operator.
void SbChronoSauverAscii(const char* path, const char* header, const char* timeTitle);
// Builds the header block (serial number, mode, run, precision, run date and time)
// into text; 1024 bytes always suffice.
void Q31ChronosEntete(char* text, size_t size);
// Run number chosen last on page 5 of the settings (not saved), which the header names
// as the run the times belong to; the page writes it.
extern int Q31DerMancheChargeeG;
