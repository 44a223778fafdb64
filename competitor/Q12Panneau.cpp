// The competitor panel: loading and release, captions, showing and hiding, hover,
// the three tables and the registration of the unit's callbacks.
#include "competitor/Q12Panneau.h"

#include <algorithm>
#include <array>

#include "competitor/Q12.h"
#include "competitor/Q12Envoi.h"
#include "competitor/Q12Fichiers.h"
#include "competitor/Q12Listes.h"
#include "panels/FQ12.h"
#include "platform/cvi.h"
#include "ui/Survol.h"
#include "ui/Texts.h"

using namespace fq12;

int Q12PanneauG = 0;

namespace {

// The hover list: the first three show their caption only under the mouse.
constexpr std::array<int, 18> kSurvol = {
    COMPET_CLEAR, COMPET_IMPORT, COMPET_QUIT,  COMPET_CONFIRM, COMPET_PLUS,  COMPET_MINUS,
    COMPET_KEY_1, COMPET_KEY_2,  COMPET_KEY_3, COMPET_KEY_4,   COMPET_KEY_5, COMPET_KEY_6,
    COMPET_KEY_7, COMPET_KEY_8,  COMPET_KEY_9, COMPET_KEY_DEL, COMPET_KEY_0, COMPET_KEY_ENTER};
constexpr int kLegendes = 3;
constexpr std::array<int, 3> kTables = {COMPET_WAITING, COMPET_CURRENT, COMPET_SENT};
constexpr std::array<int, 4> kLargeurs = {72, 200, 170, 170};
constexpr int kHauteurLigne = 18;
constexpr int kGris = 0xE8E8E8;
constexpr int kBlanc = 0xFFFFFF;

// The main window's switch that shows this panel, remembered by Q12Ouvrir.
int switchPanel = 0;
int switchControl = 0;

Q12EnvoiFn envoiG = nullptr;

// The confirm button in green so the operator finds it at a glance.
constexpr int kVert = 0x2E7D32;

void ConfigurerPanneau() {
    SetCtrlAttribute(Q12PanneauG, COMPET_CONFIRM, ATTR_CMD_BUTTON_COLOR, kVert);
    for (int t : kTables) {
        for (int c = 1; c <= 4; ++c)
            SetTableColumnAttribute(Q12PanneauG, t, c, ATTR_WIDTH, kLargeurs[size_t(c - 1)]);
        SetTableColumnAttribute(Q12PanneauG, t, 1, ATTR_CELL_TYPE, VAL_CELL_NUMERIC);
    }
    int rows = 0;
    GetNumTableRows(Q12PanneauG, COMPET_CURRENT, &rows);
    if (rows < 1) InsertTableRows(Q12PanneauG, COMPET_CURRENT, -1, 1 - rows);
    SetTableRowAttribute(Q12PanneauG, COMPET_CURRENT, 1, ATTR_ROW_HEIGHT, 24);
    SetTableCellAttribute(Q12PanneauG, COMPET_CURRENT, MakePoint(1, 1), ATTR_CELL_MODE, VAL_INDICATOR);
}

}  // namespace

void Q12SetEnvoi(Q12EnvoiFn envoi) {
    envoiG = envoi;
}

void Q12Envoyer(int number) {
    if (envoiG)
        envoiG(number);
    else
        Q12EnvoyerNumConcurrent(number);
}

void Q12Charger(const char* path, int digits) {
    Q12CnfCharger();
    Q12AllouerListes();
    Q12CourantCharger(path);
    Q12ClavierG = Q12ClavierEtat{};
    Q12ClavierG.chiffres = std::clamp(digits, 1, 4);
    Q12PanneauG = LoadPanel(0, "FQ12.uir", COMPET);
    if (Q12PanneauG < 0) {
        Q12PanneauG = 0;
        return;
    }
    SetPanelPos(Q12PanneauG, 40, 20);
    ConfigurerPanneau();
    Q12FenTraduire();
    static constexpr int kMax[] = {9, 99, 999, 9999};
    SetCtrlAttribute(Q12PanneauG, COMPET_NUMBER, ATTR_MAX_VALUE, kMax[Q12ClavierG.chiffres - 1]);
    RemplirTables();
}

void Q12Quitter(const char* path) {
    if (Q12PanneauG > 0) DiscardPanel(Q12PanneauG);
    Q12PanneauG = 0;
    switchPanel = switchControl = 0;
    if (Q12ListesAllouees()) Q12CourantSauver(path);
    Q12LibererListes();
}

void Q12FenTraduire() {
    if (Q12PanneauG <= 0) return;
    SetPanelAttribute(Q12PanneauG, ATTR_TITLE, Q12TxtG[0]);
    SetCtrlAttribute(Q12PanneauG, COMPET_IMPORT, ATTR_LABEL_TEXT, Q12TxtG[1]);
    SetCtrlAttribute(Q12PanneauG, COMPET_CLEAR, ATTR_LABEL_TEXT, Q12TxtG[2]);
    SetCtrlAttribute(Q12PanneauG, COMPET_QUIT, ATTR_LABEL_TEXT, Q12TxtG[3]);
    static constexpr int kTitres[] = {4, 5, 6, 8};
    for (int t : kTables)
        for (int c = 1; c <= 4; ++c)
            SetTableColumnAttribute(Q12PanneauG, t, c, ATTR_LABEL_TEXT, Q12TxtG[kTitres[c - 1]]);
}

void Q12Ouvrir(int panel, int control) {
    switchPanel = panel;
    switchControl = control;
    if (panel > 0) SetCtrlVal(panel, control, 1);
    if (Q12PanneauG <= 0) return;
    GenEffaceLabel(Q12PanneauG, kLegendes, kSurvol.data());
    Q12ClavierRaz();
    SetCtrlVal(Q12PanneauG, COMPET_NUMBER, 0);
    Q12EtatCourant(false, false);
    DisplayPanel(Q12PanneauG);
    SetActiveCtrl(Q12PanneauG, COMPET_WAITING);
}

void Q12Fermer() {
    if (Q12PanneauG > 0) HidePanel(Q12PanneauG);
    if (switchPanel > 0) SetCtrlVal(switchPanel, switchControl, 0);
}

void Q12Survol() {
    if (Q12PanneauG > 0) GenSurvolBp(Q12PanneauG, int(kSurvol.size()), kLegendes, kSurvol.data());
}

void Q12EcrireLigne(int table, int row, const Q12ConcurrentRec& rec) {
    SetTableCellVal(Q12PanneauG, table, MakePoint(1, row), rec.Numero);
    SetTableCellVal(Q12PanneauG, table, MakePoint(2, row), rec.Texte1);
    SetTableCellVal(Q12PanneauG, table, MakePoint(3, row), rec.Texte2);
    SetTableCellVal(Q12PanneauG, table, MakePoint(4, row), rec.Texte3);
}

void Q12LireLigne(int table, int row, Q12ConcurrentRec* rec) {
    *rec = Q12ConcurrentRec{};
    GetTableCellVal(Q12PanneauG, table, MakePoint(1, row), &rec->Numero);
    GetTableCellVal(Q12PanneauG, table, MakePoint(2, row), rec->Texte1, sizeof rec->Texte1);
    GetTableCellVal(Q12PanneauG, table, MakePoint(3, row), rec->Texte2, sizeof rec->Texte2);
    GetTableCellVal(Q12PanneauG, table, MakePoint(4, row), rec->Texte3, sizeof rec->Texte3);
}

int Q12AjouterLigne(int table, const Q12ConcurrentRec& rec) {
    int rows = 0;
    GetNumTableRows(Q12PanneauG, table, &rows);
    int row = rows + 1;
    InsertTableRows(Q12PanneauG, table, -1, 1);
    SetTableRowAttribute(Q12PanneauG, table, row, ATTR_TEXT_BGCOLOR, row % 2 == 0 ? kGris : kBlanc);
    SetTableRowAttribute(Q12PanneauG, table, row, ATTR_ROW_HEIGHT, kHauteurLigne);
    Q12EcrireLigne(table, row, rec);
    return row;
}

int Q12ChercherNumero(int table, int number) {
    int rows = 0;
    GetNumTableRows(Q12PanneauG, table, &rows);
    for (int row = 1; row <= rows; ++row) {
        int n = 0;
        GetTableCellVal(Q12PanneauG, table, MakePoint(1, row), &n);
        if (n == number) return row;
    }
    return 0;
}

void RemplirTables() {
    if (Q12PanneauG <= 0 || !Q12ListesAllouees()) return;
    DeleteTableRows(Q12PanneauG, COMPET_WAITING, 1, -1);
    DeleteTableRows(Q12PanneauG, COMPET_SENT, 1, -1);
    for (int i = 0; i < Q12NbListeG; ++i)
        if ((*Q12ListeG)[size_t(i)].Envoye == 0) Q12AjouterLigne(COMPET_WAITING, (*Q12ListeG)[size_t(i)]);
    for (int i = 0; i < Q12NbHistoG; ++i) Q12AjouterLigne(COMPET_SENT, (*Q12HistoG)[size_t(i)]);
    Q12EcrireLigne(COMPET_CURRENT, 1, Q12ConcurrentRec{});
    SetCtrlVal(Q12PanneauG, COMPET_FILE, Q12CnfG.Chemin);
}

int FQ12Gere(int panel, int control, int event, void*, int, int) {
    if (event == EVENT_CLOSE) Q12Fermer();
    return 0;
}

int FQ12Quitter(int panel, int control, int event, void*, int, int) {
    if (event == EVENT_COMMIT) Q12Fermer();
    return 0;
}

void Q12EnregistrerCallbacks() {
    RegisterCallback("FQ12Gere", FQ12Gere);
    RegisterCallback("FQ12Quitter", FQ12Quitter);
    RegisterCallback("FQ12ClavierNum", FQ12ClavierNum);
    RegisterCallback("FQ12ClavierDel", FQ12ClavierDel);
    RegisterCallback("FQ12ClavierEnter", FQ12ClavierEnter);
    RegisterCallback("FQ12TableIn", FQ12TableIn);
    RegisterCallback("FQ12Valider", FQ12Valider);
    RegisterCallback("FQ12Charger", FQ12Charger);
    RegisterCallback("FQ12EffacerTables", FQ12EffacerTables);
}
