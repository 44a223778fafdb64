// Times table on the main window: rows in alternating bands, one selected row
// in yellow, and marking of the selected time.
#include "chrono/SbChrono.h"
#include "chrono/SbChronoFormat.h"
#include "chrono/SbChronoTab.h"
#include "platform/cvi.h"
#include "records/SbComRecord.h"

namespace {

constexpr int kBlanc = 0xFFFFFF;
constexpr int kGris = 0xE8E8E8;
constexpr int kJaune = 0xFFFF00;
constexpr int kHauteurLigne = 14;
constexpr int kColonnes = 4;

// Band of the last inserted group: white at start, never reset, so the bands
// keep alternating across rebuilds.
int bandeG = kBlanc;
int selectionG = 0;              // selected row, 0 = none
int couleurSelectionG = kBlanc;  // background of the selected row before its highlight

void Peindre(int row, int colour) {
    SetTableCellRangeAttribute(SbChronoTabG.panel, SbChronoTabG.control, MakeRect(row, 1, 1, kColonnes),
                               ATTR_TEXT_BGCOLOR, colour);
}

bool TientUnTemps(int row) {
    return row >= 1 && row <= SbChronoNombre();
}

void Selectionner(int row) {
    if (!SbChronoTableAttachee()) return;
    if (TientUnTemps(selectionG)) Peindre(selectionG, couleurSelectionG);
    if (!TientUnTemps(row)) {
        selectionG = 0;
        return;
    }
    int colour = kBlanc;
    if (GetTableCellAttribute(SbChronoTabG.panel, SbChronoTabG.control, MakePoint(1, row), ATTR_TEXT_BGCOLOR,
                              &colour) >= 0)
        couleurSelectionG = colour;
    Peindre(row, kJaune);
    selectionG = row;
}

// Marks the selected time ('N' normal, 'X' invalid, '!' doubtful); reference and
// difference rows are fixed.
void Marquer(char mark) {
    const SbChronoRec* rec = SbChronoLire(selectionG);
    if (!rec || rec->Marque == 'T') return;
    SbChronoRec& slot = (*SbChronoTabG.slots)[size_t(selectionG)];
    if (slot.Marque == mark) return;
    slot.Marque = mark;
    SbChronoModifie();
    if (SbChronoTableAttachee()) SbChronoRemplirLigne(selectionG, slot);
}

}  // namespace

void SbChronoPreparerTable() {
    for (int col = 1; col <= kColonnes; ++col)
        SetTableColumnAttribute(SbChronoTabG.panel, SbChronoTabG.control, col, ATTR_CELL_TYPE,
                                VAL_CELL_STRING);
}

void SbChronoInsererLigne(int row, bool newBand) {
    const int p = SbChronoTabG.panel, c = SbChronoTabG.control;
    InsertTableRows(p, c, row, 1);
    if (newBand) bandeG = bandeG == kBlanc ? kGris : kBlanc;
    Peindre(row, bandeG);
    SetTableRowAttribute(p, c, row, ATTR_ROW_HEIGHT, kHauteurLigne);
    SetCtrlAttribute(p, c, ATTR_FIRST_VISIBLE_ROW, row);
}

void SbChronoRemplirLigne(int row, const SbChronoRec& rec) {
    const int p = SbChronoTabG.panel, c = SbChronoTabG.control;
    char genre[3], numero[16], canal[3], temps[64];
    SbChronoTexteGenre(rec, genre);
    SbChronoTexteNumero(rec, numero);
    SbChronoTexteCanal(rec, canal);
    SbChronoTexteTemps(rec, SbComG.params.precision, temps);
    SetTableCellVal(p, c, MakePoint(1, row), genre);
    SetTableCellVal(p, c, MakePoint(2, row), numero);
    SetTableCellVal(p, c, MakePoint(3, row), canal);
    SetTableCellVal(p, c, MakePoint(4, row), temps);
}

void SbChronoAfficher() {
    if (!SbChronoTableAttachee()) return;
    const int p = SbChronoTabG.panel, c = SbChronoTabG.control;
    const int n = SbChronoNombre();
    // Same rows, bands and scroll position as inserting row after row, in one
    // insertion: a full table rebuilds without 10,000 separate row shifts.
    DeleteTableRows(p, c, 1, -1);
    InsertTableRows(p, c, 1, n + 2);
    for (int row = 1; row <= n + 2; ++row) {
        const SbChronoRec* rec = SbChronoLire(row);
        // Reference and difference rows keep the band of the time above them.
        if (rec && rec->Marque != 'T') bandeG = bandeG == kBlanc ? kGris : kBlanc;
        Peindre(row, bandeG);
        SetTableRowAttribute(p, c, row, ATTR_ROW_HEIGHT, kHauteurLigne);
        if (rec) SbChronoRemplirLigne(row, *rec);
    }
    SetCtrlAttribute(p, c, ATTR_FIRST_VISIBLE_ROW, n + 2);
}

int SbChronoSelection() {
    return selectionG;
}

int FSbChrTable(int panel, int control, int event, void*, int eventData1, int) {
    if (event == EVENT_ACTIVE_CELL_CHANGE) Selectionner(eventData1);
    return 0;
}

int FSbChronoValider(int, int, int event, void*, int, int) {
    if (event == EVENT_COMMIT) Marquer('N');
    return 0;
}

int FSbChronoInvalider(int, int, int event, void*, int, int) {
    if (event == EVENT_COMMIT) Marquer('X');
    return 0;
}

int FSbChronoDanger(int, int, int event, void*, int, int) {
    if (event == EVENT_COMMIT) Marquer('!');
    return 0;
}
