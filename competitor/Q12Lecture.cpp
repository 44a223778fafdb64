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

}  // namespace

bool Q12LireListe(Q12Classeur& classeur, const Q12Cnf& settings, const char* path) {
    // Copies first: the path may be the last imported one, which emptying the lists clears.
    const Q12Cnf cnf = settings;
    const std::string chemin = path ? path : "";
    Q12EffacerListes();
    if (!Q12ListeG) return false;
    bool ok = classeur.ChoisirFeuille(cnf.Feuille);
    for (int i = 0; ok && i < kQ12Max; ++i) {
        long long ligne = (long long)cnf.PremiereLigne + i;
        if (ligne > kDerniereLigne) break;
        Q12ConcurrentRec& rec = (*Q12ListeG)[size_t(i)];
        int numero = 0;
        ok = Q12LireEntier(classeur, cnf.ColNumero, int(ligne), &numero);
        if (!ok || numero < 1) break;
        rec.Numero = numero;
        ok = LireChamp(classeur, cnf.ColTexte1, int(ligne), rec.Texte1, sizeof rec.Texte1) &&
             LireChamp(classeur, cnf.ColTexte2, int(ligne), rec.Texte2, sizeof rec.Texte2) &&
             LireChamp(classeur, cnf.ColTexte3, int(ligne), rec.Texte3, sizeof rec.Texte3);
        Q12NbListeG = i + 1;
    }
    if (ok) StrCopy(Q12CnfG.Chemin, chemin.c_str());
    return ok;
}
