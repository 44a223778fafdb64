// Reading a competitor list out of an opened workbook (no window involved).
#include <cstring>
#include <string>

#include "competitor/Q12Classeur.h"
#include "competitor/Q12Import.h"
#include "competitor/Q12Listes.h"
#include "competitor/Q12Texte.h"
#include "lib/StrBuf.h"

namespace {

constexpr long long kDerniereLigne = 1 << 20;  // the spreadsheets' last row

// Reads one text column into a field, converted and cut so that it stays terminated.
bool LireChamp(Q12Classeur& classeur, char colonne, int ligne, char* champ, size_t taille) {
    if (colonne == 0) return true;
    std::string texte;
    bool ok = Q12LireTexte(classeur, colonne, ligne, &texte);
    StrCopy(champ, taille, Q12Utf8VersCp1252(texte, taille - 1).c_str());
    return ok;
}

uint32_t Bit(char colonne) {
    return colonne >= 'A' && colonne <= 'Z' ? 1u << (colonne - 'A') : 0;
}

}  // namespace

bool Q12LireListe(Q12Classeur& classeur, const Q12Cnf& cnf, Q12Lecture* lecture, Q12ProgresFn progres,
                  void* contexte) {
    Q12Lecture& l = *lecture;
    l.liste->fill(Q12ConcurrentRec{});
    l.nombre = 0;
    l.formules.clear();
    // One row past the list's limit tells whether the sheet goes on.
    const long long premiere = cnf.PremiereLigne < 1 ? 1 : cnf.PremiereLigne;
    Q12Plan plan;
    plan.feuille = cnf.Feuille;
    plan.premiereLigne = int(premiere);
    plan.lignes = int(std::min<long long>(kQ12Max + 1, kDerniereLigne - premiere + 1));
    plan.colonnes = Bit(cnf.ColNumero) | Bit(cnf.ColTexte1) | Bit(cnf.ColTexte2) | Bit(cnf.ColTexte3);
    plan.progres = progres;
    plan.contexte = contexte;
    l.echec = Q12Echec::Aucun;
    if (premiere > kDerniereLigne || !classeur.Charger(plan, &l.echec)) return false;

    l.arret = Q12Arret::Fin;
    for (int i = 0;; ++i) {
        const int ligne = int(premiere + i);
        l.ligne = ligne;
        if (ligne > kDerniereLigne) break;
        int numero = 0;
        if (Q12EstFormule(classeur, cnf.ColNumero, ligne)) {
            l.arret = Q12Arret::Formule;
            break;
        }
        if (!Q12LireEntier(classeur, cnf.ColNumero, ligne, &numero)) {
            l.arret = Q12Arret::Echec;
            break;
        }
        if (numero < 1) break;
        if (i == kQ12Max) {
            l.arret = Q12Arret::Limite;
            break;
        }
        Q12ConcurrentRec& rec = (*l.liste)[size_t(i)];
        rec.Numero = numero;
        const bool ok = LireChamp(classeur, cnf.ColTexte1, ligne, rec.Texte1, sizeof rec.Texte1) &&
                        LireChamp(classeur, cnf.ColTexte2, ligne, rec.Texte2, sizeof rec.Texte2) &&
                        LireChamp(classeur, cnf.ColTexte3, ligne, rec.Texte3, sizeof rec.Texte3);
        l.nombre = i + 1;
        if (!ok) {
            l.arret = Q12Arret::Echec;
            break;
        }
    }
    // Formulas whose results the file does not give, in the columns read: the operator is
    // told which rows hold them.
    for (long long r = premiere; r < premiere + plan.lignes; ++r)
        for (char c : {cnf.ColNumero, cnf.ColTexte1, cnf.ColTexte2, cnf.ColTexte3})
            if (c && Q12EstFormule(classeur, c, int(r))) {
                l.formules.push_back(int(r));
                break;
            }
    return true;
}

bool Q12LectureDouteuse(const Q12Lecture& l) {
    return l.nombre == 0 || l.arret != Q12Arret::Fin || !l.formules.empty();
}

void Q12AppliquerLecture(const Q12Lecture& l, const char* path) {
    // Copies first: the path may be the last imported one, which emptying the lists clears.
    const std::string chemin = path ? path : "";
    Q12EffacerListes();
    if (!Q12ListeG) return;
    *Q12ListeG = *l.liste;
    Q12NbListeG = l.nombre;
    if (l.arret == Q12Arret::Fin || l.arret == Q12Arret::Limite) StrCopy(Q12CnfG.Chemin, chemin.c_str());
}
