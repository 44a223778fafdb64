// The competitor panel's keypad, number look-up, current row and confirmation.
#include <cstring>

#include "competitor/Q12Envoi.h"
#include "competitor/Q12Listes.h"
#include "competitor/Q12Panneau.h"
#include "panels/FQ12.h"
#include "platform/cvi.h"

using namespace fq12;

Q12ClavierEtat Q12ClavierG;

namespace {

constexpr int kJaune = 0xFFFF00;
constexpr int kBlanc = 0xFFFFFF;
constexpr int kGris = 0xE8E8E8;

// The sent table lost its first row: its bands start again from the top.
void RebanderEnvoyes() {
    int rows = 0;
    GetNumTableRows(Q12PanneauG, COMPET_SENT, &rows);
    for (int row = 1; row <= rows; ++row)
        SetTableRowAttribute(Q12PanneauG, COMPET_SENT, row, ATTR_TEXT_BGCOLOR, row % 2 == 0 ? kGris : kBlanc);
}

}  // namespace

int Q12ClavierAjouter(Q12ClavierEtat* k, int d) {
    if (d < 0 || d > 9) return -1;
    k->accumule = k->accumule * 10 + d;
    int affiche = k->accumule;
    if (++k->compte >= k->chiffres) {
        k->accumule = 0;
        k->compte = 0;
    }
    return affiche;
}

void Q12ClavierChiffre(int d) {
    int affiche = Q12ClavierAjouter(&Q12ClavierG, d);
    if (affiche >= 0 && Q12PanneauG > 0) SetCtrlVal(Q12PanneauG, COMPET_NUMBER, affiche);
}

void Q12ClavierRaz() {
    Q12ClavierG.accumule = 0;
    Q12ClavierG.compte = 0;
}

int Q12Touche(int character, int digitKey) {
    // The key of the digit row gives its digit, Shift or not: a French keyboard's gives '&', 'é'...
    if (digitKey >= '0' && digitKey <= '9') character = digitKey;
    if (character < '0' || character > '9') return 0;
    Q12ClavierChiffre(character - '0');
    return 1;
}

void Q12EtatCourant(bool active, bool newCompetitor) {
    if (Q12PanneauG <= 0) return;
    SetCtrlAttribute(Q12PanneauG, COMPET_CONFIRM, ATTR_DIMMED, active ? 0 : 1);
    SetTableRowAttribute(Q12PanneauG, COMPET_CURRENT, 1, ATTR_TEXT_BGCOLOR, active ? kJaune : kBlanc);
    // The texts of a competitor in neither list may be typed before confirming.
    SetTableCellRangeAttribute(Q12PanneauG, COMPET_CURRENT, MakeRect(1, 2, 1, 3), ATTR_CELL_MODE,
                               newCompetitor ? VAL_HOT : VAL_INDICATOR);
}

void Q12Selectionner(int row) {
    Q12ConcurrentRec rec;
    Q12LireLigne(COMPET_WAITING, row, &rec);
    SetTableSelection(Q12PanneauG, COMPET_WAITING, MakeRect(row, 1, 1, 4));
    SetActiveTableCell(Q12PanneauG, COMPET_WAITING, MakePoint(1, row));
    SetActiveCtrl(Q12PanneauG, COMPET_WAITING);
    Q12EtatCourant(true, false);
    Q12EcrireLigne(COMPET_CURRENT, 1, rec);
    SetCtrlVal(Q12PanneauG, COMPET_NUMBER, rec.Numero);
    Q12ClavierRaz();
}

int FQ12ClavierNum(int panel, int control, int event, void*, int d1, int d2) {
    if (event == EVENT_KEYPRESS) return Q12Touche(d1, d2);
    if (event != EVENT_COMMIT) return 0;
    Q12ClavierChiffre(control == COMPET_KEY_0 ? 0 : control - COMPET_KEY_1 + 1);
    return 0;
}

int FQ12ClavierDel(int panel, int control, int event, void*, int d1, int d2) {
    if (event == EVENT_KEYPRESS) return Q12Touche(d1, d2);
    if (event != EVENT_COMMIT) return 0;
    Q12ClavierRaz();
    SetCtrlVal(Q12PanneauG, COMPET_NUMBER, 0);
    return 0;
}

int FQ12ClavierEnter(int panel, int control, int event, void*, int d1, int d2) {
    if (event == EVENT_KEYPRESS) return Q12Touche(d1, d2);
    if (event != EVENT_COMMIT) return 0;
    int n = 0;
    GetCtrlVal(Q12PanneauG, COMPET_NUMBER, &n);
    if (control == COMPET_PLUS || control == COMPET_MINUS) {
        // The field keeps within its own range (0 to the largest number of the digits).
        SetCtrlVal(Q12PanneauG, COMPET_NUMBER, control == COMPET_PLUS ? n + 1 : n - 1);
        GetCtrlVal(Q12PanneauG, COMPET_NUMBER, &n);
    }
    if (int row = Q12ChercherNumero(COMPET_WAITING, n)) {
        Q12Selectionner(row);
    } else if (Q12ChercherNumero(COMPET_SENT, n) == 0) {
        Q12ConcurrentRec rec{};
        rec.Numero = n;
        Q12EcrireLigne(COMPET_CURRENT, 1, rec);
        Q12EtatCourant(true, true);
    }
    return 0;
}

int FQ12TableIn(int panel, int control, int event, void*, int d1, int d2) {
    if (event == EVENT_KEYPRESS) return Q12Touche(d1, d2);  // taken: no jump to a row by its first letter
    if (event == EVENT_ACTIVE_CELL_CHANGE && d1 >= 1) Q12Selectionner(d1);
    return 0;
}

int FQ12Valider(int panel, int control, int event, void*, int d1, int d2) {
    if (event == EVENT_KEYPRESS) return Q12Touche(d1, d2);
    if (event != EVENT_COMMIT || Q12PanneauG <= 0 || !Q12ListesAllouees()) return 0;
    int dimmed = 0;
    GetCtrlAttribute(Q12PanneauG, COMPET_CONFIRM, ATTR_DIMMED, &dimmed);
    if (dimmed) return 0;
    Q12ConcurrentRec rec;
    Q12LireLigne(COMPET_CURRENT, 1, &rec);
    int n = rec.Numero;
    if (int row = Q12ChercherNumero(COMPET_WAITING, n)) {
        DeleteTableRows(Q12PanneauG, COMPET_WAITING, row, 1);
        Q12MarquerEnvoye(n);
    }
    Q12Envoyer(n);
    bool plein = Q12NbHistoG >= kQ12Max;
    int index = Q12HistoAjouter(rec);
    if (plein) {
        DeleteTableRows(Q12PanneauG, COMPET_SENT, 1, 1);
        RebanderEnvoyes();
    }
    int row = Q12AjouterLigne(COMPET_SENT, (*Q12HistoG)[size_t(index)]);
    SetCtrlAttribute(Q12PanneauG, COMPET_SENT, ATTR_FIRST_VISIBLE_ROW, row);
    Q12EtatCourant(false, false);
    return 0;
}
