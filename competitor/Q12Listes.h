// The competitor lists: the imported (waiting) list, the sent list and the import settings.
#pragma once

#include "records/Q12Rec.h"

// Blocks allocated by Q12AllouerListes and freed by Q12LibererListes; null in between.
extern Q12Bloc* Q12ListeG;  // imported competitors, in spreadsheet order
extern int Q12NbListeG;     // 0 .. 1 000
extern Q12Bloc* Q12HistoG;  // competitors sent, in order of sending
extern int Q12NbHistoG;     // 0 .. 1 000
extern Q12Cnf Q12CnfG;

void Q12AllouerListes();
void Q12LibererListes();
bool Q12ListesAllouees();
// Forgets the last imported path and empties both lists.
void Q12EffacerListes();
void Q12CnfDefaut(Q12Cnf* cnf);
// Sets the sent flag of the first record holding number that is not sent yet (a bib given
// twice is sent twice); false when none is left.
bool Q12MarquerEnvoye(int number);
// Appends a sent record (its sent flag set) and returns its index in the sent list.
// When the list is full the oldest entry gives way, so the list never grows past
// its 1 000 slots and the newest sending is always recorded.
int Q12HistoAjouter(const Q12ConcurrentRec& rec);
