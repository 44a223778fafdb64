// Competitor panel internals shared by its modules: the panel, its tables and the keypad.
#pragma once

#include "records/Q12Rec.h"

extern int Q12PanneauG;  // the competitor panel's handle, 0 when not loaded

// Rebuilds the waiting, current and sent tables and the file name from the lists.
void RemplirTables();
// Appends rec as a row of table (banded, 18 pixels) and returns the new row number.
int Q12AjouterLigne(int table, const Q12ConcurrentRec& rec);
void Q12EcrireLigne(int table, int row, const Q12ConcurrentRec& rec);
void Q12LireLigne(int table, int row, Q12ConcurrentRec* rec);
// Row of table whose number column holds number, 0 when none.
int Q12ChercherNumero(int table, int number);
// Confirm enabled and current row yellow when active; text cells editable for a
// competitor found in neither list.
void Q12EtatCourant(bool active, bool newCompetitor);
void Q12Selectionner(int row);

// Keypad: digits typed build a number of at most `chiffres` digits, then start again.
struct Q12ClavierEtat {
    int accumule = 0;
    int compte = 0;
    int chiffres = 3;
};
extern Q12ClavierEtat Q12ClavierG;
// Adds a digit; returns the number to show, or -1 when d is not a digit.
int Q12ClavierAjouter(Q12ClavierEtat* clavier, int d);
void Q12ClavierChiffre(int d);
void Q12ClavierRaz();
// A key typed anywhere on the panel: digits go to the keypad, as does a key of the digit row
// whatever it gives (digitKey, its digit '0' to '9' or 0: the key press's data2). Returns 1 when
// taken.
int Q12Touche(int character, int digitKey);

// Callbacks named in the panel resource.
int FQ12Gere(int panel, int control, int event, void* data, int d1, int d2);
int FQ12Quitter(int panel, int control, int event, void* data, int d1, int d2);
int FQ12ClavierNum(int panel, int control, int event, void* data, int d1, int d2);
int FQ12ClavierDel(int panel, int control, int event, void* data, int d1, int d2);
int FQ12ClavierEnter(int panel, int control, int event, void* data, int d1, int d2);
int FQ12TableIn(int panel, int control, int event, void* data, int d1, int d2);
int FQ12Valider(int panel, int control, int event, void* data, int d1, int d2);
int FQ12Charger(int panel, int control, int event, void* data, int d1, int d2);
int FQ12EffacerTables(int panel, int control, int event, void* data, int d1, int d2);
