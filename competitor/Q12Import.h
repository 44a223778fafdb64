// Import of a competitor list from a spreadsheet file into the waiting list.
#pragma once

#include <memory>
#include <vector>

#include "competitor/Q12Classeur.h"
#include "records/Q12Rec.h"

// Why the reading of a list ended.
enum class Q12Arret {
    Fin,      // an empty or non-positive number: the list's own end
    Limite,   // 1 000 competitors read and the sheet goes on
    Echec,    // a cell read failed
    Formule,  // a number that is a formula whose result the file does not give
};

// A list read from a workbook, kept apart from the current lists until it replaces them.
struct Q12Lecture {
    std::unique_ptr<Q12Bloc> liste = std::make_unique<Q12Bloc>();
    int nombre = 0;
    Q12Arret arret = Q12Arret::Fin;
    int ligne = 0;                     // spreadsheet row where the reading stopped
    std::vector<int> formules;         // rows of the band read whose read cells hold formulas
    Q12Echec echec = Q12Echec::Aucun;  // why the sheet could not be read at all
};

// Reads the competitors of an opened workbook with the given settings into a new list,
// from the first row down until an empty or non-positive number, at most 1 000 rows;
// texts cut to their fields. The current lists are not touched. False when the sheet
// could not be read at all (lecture->echec says why).
bool Q12LireListe(Q12Classeur& classeur, const Q12Cnf& cnf, Q12Lecture* lecture,
                  Q12ProgresFn progres = nullptr, void* contexte = nullptr);
// True when the operator is to be asked before the list read replaces the current ones:
// it holds no competitor, or the reading stopped before the list's end.
bool Q12LectureDouteuse(const Q12Lecture& lecture);
// Replaces the lists by the list read: the waiting list becomes it, the sent list is
// emptied. The path becomes the last imported path when every read succeeded.
void Q12AppliquerLecture(const Q12Lecture& lecture, const char* path);

// The import of the import button: opens the workbook, runs the settings dialog, reads
// the list, asks when the list read is empty or cut short, and replaces the lists. True
// when the lists were replaced; a file that cannot be read leaves them as they were and
// says so.
bool Q12ImporterExcel(const char* path);

// The settings dialog the import runs (the panel's dialog by default; tests answer it).
using Q12DialogueFn = bool (*)(Q12Cnf* cnf);
void Q12SetDialogue(Q12DialogueFn dialogue);
bool Q12DialogueImport(Q12Cnf* cnf);
// Tests: called with the dialog's panel on every turn of its loop, to answer it.
using Q12TourDialogueFn = void (*)(int panel);
void Q12SetTourDialogue(Q12TourDialogueFn tour);
