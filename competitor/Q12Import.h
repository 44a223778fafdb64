// Import of a competitor list from a spreadsheet file into the waiting list.
#pragma once

#include "competitor/Q12Rec.h"

class Q12Classeur;

// Reads the competitors of an opened workbook with the given settings: empties the
// lists, then reads from the first row down until an empty or non-positive number,
// at most 1 000 rows; texts cut to their fields. When every read succeeded the path
// becomes the last imported path. Returns false when a read failed (the list then
// keeps what was read, the record of a failing text read included).
bool Q12LireListe(Q12Classeur& classeur, const Q12Cnf& cnf, const char* path);

// The import of the import button: opens the workbook, runs the settings dialog,
// reads the list. True when the dialog was confirmed and the workbook read; a file
// that cannot be read as a spreadsheet leaves the lists as they were and says so.
bool Q12ImporterExcel(const char* path);

// The settings dialog the import runs (the panel's dialog by default; tests answer it).
using Q12DialogueFn = bool (*)(Q12Cnf* cnf);
void Q12SetDialogue(Q12DialogueFn dialogue);
bool Q12DialogueImport(Q12Cnf* cnf);
// Tests: called with the dialog's panel on every turn of its loop, to answer it.
using Q12TourDialogueFn = void (*)(int panel);
void Q12SetTourDialogue(Q12TourDialogueFn tour);
