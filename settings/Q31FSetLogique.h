// Rules of the settings pages that need no window: program-number skips, input
// time bases, Ethernet address texts, GSM state, synchronisation mode, the page
// reads and writes sent to the clock, and the run, program and memory actions.
#pragma once

#include <cstddef>

#include "records/SbComRecord.h"

// True while the simulated clock stands in for the clock (link closed, simulation on).
bool Q31FSetSimule();

// Programs 5 and 7 cannot be chosen: stepping onto one jumps past it in the
// direction of travel (5 after 4 gives 6, 5 after 9 gives 4, 7 after 8 gives 6).
int Q31FSetProgCorriger(int value, int previous);

// Input time base as the page shows it: 0 (off) while the input is disabled.
int Q31FSetBaseAffichee(const SbComInput& input);
// Stores a time base and derives the enabled field from it (enabled when above 0); an
// input that was off and stays off keeps its time base.
void Q31FSetBaseEntree(SbComInput* input, int timeBase);

// Splits a dotted address ("192.168.001.001" or "192.168.1.1") into four bytes;
// bytes that cannot be read are 0. Returns the count of bytes read.
int Q31FSetEthernetDecouper(const char* text, int bytes[4]);
// Rebuilds the address as "%03d.%03d.%03d.%03d" (each byte kept to 0..255).
void Q31FSetEthernetFormer(const int bytes[4], char* out, size_t size);
// True when the four fields show the address exactly: four numbers of one to three digits,
// each 0..255, between dots and nothing else.
bool Q31FSetEthernetFitsFields(const char* text);

// GSM state from the status word: 0 off (bit 0 clear), 1 on, 2 on with bit 6 set.
int Q31FSetEtatGsm(int status);

// Synchronisation mode from the two choices: 2 preset time, 5 computer time, else 0.
int Q31FSetModeSynchro(int presetOn, int computerOn);

// Flags of a stored program: bit 0 from the switch, bits 1 to 7 (and above) kept.
int Q31FSetFlagsProg(int flags, int bit0On);

// What page 5 allows, from the run state and the target.
struct Q31FSetEtatChargement {
    bool loadDimmed;    // nothing to load yet, or a run is open and the times would come here
    bool numberDimmed;  // no finished run yet
    int maxRun;         // highest run that can be loaded (at least 1)
    bool clearDimmed;   // a run is open
};
Q31FSetEtatChargement Q31FSetChargement(const SbComRun& run, int target);

// The item among the page's writes whose frame the clock could never accept (its check
// value would be 0x8000 or more, which enough accented letters bring about): a GSM key,
// or '0' / '1' for an Ethernet address; 0 when everything the page sends can go.
char Q31FSetItemRefuse(int page);

// The page's reads and writes, as the page table lists them (no wait box).
// Pages without reads or writes send nothing.
void Q31FSetEnvoyerLectures(int page);
void Q31FSetEnvoyerEcritures(int page);

// Run actions of page 0: close (command 1) or open (command 2) the run, with the
// simulated clock's effects; opening also empties the times table.
void Q31FSetFermerManche();
void Q31FSetOuvrirManche();
// Loads a run (command 12 with the run and the target); target 1 first empties
// the times table and shows the run on the main window.
void Q31FSetChargerManche(int run, int target);
// Clears the clock's memory (command 5 then the start-up reads), or the simulated
// counters; the times table is emptied first.
void Q31FSetRazMemoire();
// Selects program n on the clock (command 4) and reads it into its record.
void Q31FSetChargerProg(int n);
