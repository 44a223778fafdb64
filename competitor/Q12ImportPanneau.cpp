// The import and clear buttons of the competitor panel, the import settings dialog
// and the import itself (open, settings, read) with its message on unreadable files.
#include <array>
#include <string>
#include <vector>

#include "competitor/Q12Classeur.h"
#include "competitor/Q12Import.h"
#include "competitor/Q12Listes.h"
#include "competitor/Q12Panneau.h"
#include "lib/StrBuf.h"
#include "panels/FQ12.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "ui/Dialogs.h"
#include "ui/FileNotices.h"
#include "ui/Survol.h"
#include "ui/Texts.h"

using namespace fq12;

namespace {

// Entries of Q12TxtG told to the operator about a list read (see docs/texts.md).
constexpr int kTxtAucun = 17;      // no competitor was read
constexpr int kTxtLus = 18;        // competitors read: N
constexpr int kTxtArret = 19;      // reading stopped at row: R
constexpr int kTxtLimite = 20;     // the list is full; more rows follow from row: R
constexpr int kTxtFormules = 21;   // rows holding formulas: ...
constexpr int kTxtXls = 22;        // .xls formula results cannot be read: save as .xlsx or .ods
constexpr int kTxtRemplacer = 23;  // replace the current lists with this list?
constexpr int kTxtLecture = 24;    // wait box: reading, rows read
constexpr int kTxtFeuille = 25;    // the workbook has no sheet of this number: N

// An import that takes longer than this shows the wait box, with its progress.
constexpr double kAttenteDelai = 0.3;
constexpr double kAttentePas = 0.1;

Q12DialogueFn dialogueG = nullptr;
Q12TourDialogueFn tourG = nullptr;

constexpr std::array<int, 7> kSurvolDialogue = {IMPORT_CANCEL,    IMPORT_CONFIRM,   IMPORT_COL_NUMBER,
                                                IMPORT_COL_TEXT1, IMPORT_COL_TEXT2, IMPORT_COL_TEXT3,
                                                IMPORT_SHOW_APP};

// What the operator is told when a chosen file gives no list, by language index.
const char* TexteEchec(Q12Echec echec) {
    static constexpr const char* kIllisible[] = {
        "This file cannot be read as a spreadsheet (.xlsx, .xls, .ods or .csv):\n%s",
        "Ce fichier ne peut pas \xEAtre lu comme un tableur (.xlsx, .xls, .ods ou .csv) :\n%s",
        "Diese Datei ist keine lesbare Tabelle (.xlsx, .xls, .ods oder .csv):\n%s",
        "Questo file non pu\xF2 essere letto come foglio di calcolo (.xlsx, .xls, .ods o .csv):\n%s"};
    static constexpr const char* kIntrouvable[] = {
        "This file cannot be opened:\n%s", "Impossible d'ouvrir ce fichier :\n%s",
        "Diese Datei kann nicht ge\366ffnet werden:\n%s", "Impossibile aprire questo file:\n%s"};
    static constexpr const char* kTropGrand[] = {
        "This file is too large for a competitor list:\n%s",
        "Ce fichier est trop grand pour une liste de concurrents :\n%s",
        "Diese Datei ist zu gro\xDF f\xFCr eine Teilnehmerliste:\n%s",
        "Questo file \xE8 troppo grande per un elenco di concorrenti:\n%s"};
    int langue = Q31G.language <= 3 ? Q31G.language : 0;
    if (echec == Q12Echec::Introuvable) return kIntrouvable[langue];
    if (echec == Q12Echec::TropGrand) return kTropGrand[langue];
    return kIllisible[langue];
}

void SignalerEchec(const char* path, Q12Echec echec, int feuille) {
    char texte[512];
    if (echec == Q12Echec::Feuille)
        StrFormat(texte, sizeof texte, "%s %d\n%s", Q12TxtG[kTxtFeuille], feuille, path);
    else
        StrFormat(texte, sizeof texte, TexteEchec(echec), path);
    MessagePopup(Q12TxtG[10], texte);
}

// The wait box of a long import: opened once the reading has taken a while, showing the
// rows read, with a cancel button.
struct Attente {
    double debut = Timer();
    double dernier = 0;
    bool ouverte = false;
};

bool Progres(void* contexte, int lues, int voulues) {
    auto* a = static_cast<Attente*>(contexte);
    const double t = Timer();
    if (t - a->debut < kAttenteDelai || t - a->dernier < kAttentePas) return true;
    a->dernier = t;
    char texte[200];
    StrFormat(texte, sizeof texte, "%s %d / %d", Q12TxtG[kTxtLecture], lues, voulues);
    if (!a->ouverte)
        SbWaitAnnulable(Q12PanneauG, texte, GLabelBpG[3]);
    else
        SbWait(Q12PanneauG, texte);
    a->ouverte = true;
    return !SbWaitAnnule();
}

void Ligne(std::string* texte, const char* entree, long long valeur) {
    char ligne[96];
    StrFormat(ligne, sizeof ligne, "%s %lld\n", entree, valeur);
    *texte += ligne;
}

// What the operator is told about a list that is empty or cut short, before the question.
std::string Constat(const Q12Lecture& l) {
    std::string texte;
    if (l.nombre == 0)
        texte += std::string(Q12TxtG[kTxtAucun]) + "\n";
    else
        Ligne(&texte, Q12TxtG[kTxtLus], l.nombre);
    if (l.arret == Q12Arret::Echec || l.arret == Q12Arret::Formule)
        Ligne(&texte, Q12TxtG[kTxtArret], l.ligne);
    if (l.arret == Q12Arret::Limite) Ligne(&texte, Q12TxtG[kTxtLimite], l.ligne);
    if (!l.formules.empty()) {
        texte += Q12TxtG[kTxtFormules];
        for (size_t i = 0; i < l.formules.size() && i < 8; ++i) texte += " " + std::to_string(l.formules[i]);
        if (l.formules.size() > 8) texte += " ... (" + std::to_string(l.formules.size()) + ")";
        texte += std::string("\n") + Q12TxtG[kTxtXls] + "\n";
    }
    return texte + Q12TxtG[kTxtRemplacer];
}

void RemplirColonnes(int panel, int control, bool aucune) {
    ClearListCtrl(panel, control);
    if (aucune) InsertListItem(panel, control, -1, "--", 0);
    for (char c = 'A'; c <= 'Z'; ++c) {
        const char lettre[2] = {c, 0};
        InsertListItem(panel, control, -1, lettre, c);
    }
}

void Legende(int panel, int control, const char* texte) {
    char legende[80];
    StrFormat(legende, sizeof legende, "%s :", texte);
    SetCtrlAttribute(panel, control, ATTR_LABEL_TEXT, legende);
}

void Traduire(int panel) {
    SetPanelAttribute(panel, ATTR_TITLE, Q12TxtG[10]);
    SetCtrlVal(panel, IMPORT_HEADING, Q12TxtG[10]);
    Legende(panel, IMPORT_SHEET, Q12TxtG[11]);
    Legende(panel, IMPORT_FIRST_ROW, Q12TxtG[12]);
    char explication[80];
    StrFormat(explication, sizeof explication, " %s ", Q12TxtG[13]);
    SetCtrlVal(panel, IMPORT_EXPLAIN, explication);
    Legende(panel, IMPORT_COL_NUMBER, Q12TxtG[4]);
    Legende(panel, IMPORT_COL_TEXT1, Q12TxtG[5]);
    Legende(panel, IMPORT_COL_TEXT2, Q12TxtG[6]);
    Legende(panel, IMPORT_COL_TEXT3, Q12TxtG[8]);
    SetCtrlAttribute(panel, IMPORT_CANCEL, ATTR_LABEL_TEXT, Q12TxtG[14]);
    SetCtrlAttribute(panel, IMPORT_CONFIRM, ATTR_LABEL_TEXT, Q12TxtG[15]);
    SetCtrlAttribute(panel, IMPORT_SHOW_APP, ATTR_LABEL_TEXT, Q12TxtG[16]);
}

void Afficher(int panel, const Q12Cnf& cnf) {
    SetCtrlVal(panel, IMPORT_SHEET, cnf.Feuille);
    SetCtrlVal(panel, IMPORT_FIRST_ROW, cnf.PremiereLigne);
    SetCtrlVal(panel, IMPORT_COL_NUMBER, int(cnf.ColNumero));
    SetCtrlVal(panel, IMPORT_COL_TEXT1, int(cnf.ColTexte1));
    SetCtrlVal(panel, IMPORT_COL_TEXT2, int(cnf.ColTexte2));
    SetCtrlVal(panel, IMPORT_COL_TEXT3, int(cnf.ColTexte3));
    SetCtrlVal(panel, IMPORT_SHOW_APP, cnf.Afficher ? 1 : 0);
}

char Colonne(int panel, int control) {
    int v = 0;
    GetCtrlVal(panel, control, &v);
    return v >= 'A' && v <= 'Z' ? char(v) : 0;
}

void Prendre(int panel, Q12Cnf* cnf) {
    GetCtrlVal(panel, IMPORT_SHEET, &cnf->Feuille);
    GetCtrlVal(panel, IMPORT_FIRST_ROW, &cnf->PremiereLigne);
    if (cnf->Feuille < 1) cnf->Feuille = 1;
    if (cnf->PremiereLigne < 1) cnf->PremiereLigne = 1;
    if (char c = Colonne(panel, IMPORT_COL_NUMBER)) cnf->ColNumero = c;
    cnf->ColTexte1 = Colonne(panel, IMPORT_COL_TEXT1);
    cnf->ColTexte2 = Colonne(panel, IMPORT_COL_TEXT2);
    cnf->ColTexte3 = Colonne(panel, IMPORT_COL_TEXT3);
}

// The close box answers like the cancel button.
int FermetureDialogue(int panel, int, int event, void*, int, int) {
    if (event != EVENT_CLOSE) return 0;
    QueueUserEvent(panel, IMPORT_CANCEL);
    return 1;
}

}  // namespace

void Q12SetDialogue(Q12DialogueFn dialogue) {
    dialogueG = dialogue;
}

void Q12SetTourDialogue(Q12TourDialogueFn tour) {
    tourG = tour;
}

bool Q12DialogueImport(Q12Cnf* cnf) {
    int panel = LoadPanel(0, "FQ12.uir", IMPORT);
    if (panel < 0) return false;
    InstallPanelCallback(panel, FermetureDialogue, nullptr);
    RemplirColonnes(panel, IMPORT_COL_NUMBER, false);
    RemplirColonnes(panel, IMPORT_COL_TEXT1, true);
    RemplirColonnes(panel, IMPORT_COL_TEXT2, true);
    RemplirColonnes(panel, IMPORT_COL_TEXT3, true);
    Traduire(panel);
    Afficher(panel, *cnf);
    DisplayPanel(panel);
    int bouton = 0;
    while (bouton != IMPORT_CANCEL && bouton != IMPORT_CONFIRM) {
        GenSurvolBp(panel, int(kSurvolDialogue.size()), 0, kSurvolDialogue.data());
        SbTacheFond();
        if (tourG) tourG(panel);
        int p = 0, control = 0;
        if (GetUserEvent(0, &p, &control) == EVENT_COMMIT && p == panel) bouton = control;
    }
    int afficher = 0;
    GetCtrlVal(panel, IMPORT_SHOW_APP, &afficher);
    cnf->Afficher = afficher ? 1 : 0;
    bool confirme = bouton == IMPORT_CONFIRM;
    if (confirme) {
        Prendre(panel, cnf);
        if (FileWriteAtomic(kQ12FichierCnf, cnf, sizeof *cnf) != 0) SbNoteWriteFailure(kQ12FichierCnf);
    }
    DiscardPanel(panel);
    return confirme;
}

bool Q12ImporterExcel(const char* path) {
    // Copies first: the path may be the last imported one, which the lists' emptying clears.
    const std::string chemin = path ? path : "";
    Q12Echec echec = Q12Echec::Aucun;
    // The file is checked before the settings are asked, and read again after them: no
    // workbook is held while the dialog is up.
    if (!Q12OuvrirClasseur(chemin.c_str(), &echec)) {
        SetWaitCursor(0);
        SignalerEchec(chemin.c_str(), echec, 0);
        return false;
    }
    SetWaitCursor(0);
    bool confirme = dialogueG ? dialogueG(&Q12CnfG) : Q12DialogueImport(&Q12CnfG);
    if (!confirme) return false;
    SetWaitCursor(1);
    Q12Lecture lecture;
    Attente attente;
    auto classeur = Q12OuvrirClasseur(chemin.c_str(), &echec);
    const bool ouvert = classeur != nullptr;
    const bool lu = ouvert && Q12LireListe(*classeur, Q12CnfG, &lecture, Progres, &attente);
    classeur.reset();  // the workbook is released before anything is asked
    if (attente.ouverte) SbFermerWait(true, 0);
    SetWaitCursor(0);
    if (!lu) {
        // Cancelled by the operator: nothing changes and nothing more is said.
        if (lecture.echec != Q12Echec::Annule)
            SignalerEchec(chemin.c_str(), ouvert ? lecture.echec : echec, Q12CnfG.Feuille);
        return false;
    }
    if (Q12LectureDouteuse(lecture) &&
        !SbPopupValid(Q12PanneauG, Q12TxtG[10], Constat(lecture).c_str(), GLabelBpG[0], GLabelBpG[1]))
        return false;
    Q12AppliquerLecture(lecture, chemin.c_str());
    return true;
}

int FQ12Charger(int panel, int control, int event, void*, int d1, int d2) {
    if (event == EVENT_KEYPRESS) return Q12Touche(d1, d2);
    if (event != EVENT_COMMIT || Q12PanneauG <= 0) return 0;
    SetPanelAttribute(Q12PanneauG, ATTR_DIMMED, 1);
    char path[260] = "";
    int choix = FileSelectPopup("", "", "*.xlsx;*.xls;*.ods;*.csv;*.txt;", Q12TxtG[10], VAL_LOAD_BUTTON, 0, 0,
                                1, 1, path);
    if (choix > 0) {
        SetWaitCursor(1);
        if (Q12ImporterExcel(path)) {
            RemplirTables();
            Q12EtatCourant(false, false);
        }
        SetWaitCursor(0);
    }
    SetPanelAttribute(Q12PanneauG, ATTR_DIMMED, 0);
    return 0;
}

int FQ12EffacerTables(int panel, int control, int event, void*, int d1, int d2) {
    if (event == EVENT_KEYPRESS) return Q12Touche(d1, d2);
    if (event != EVENT_COMMIT) return 0;
    Q12EffacerListes();
    RemplirTables();
    Q12EtatCourant(false, false);
    return 0;
}
