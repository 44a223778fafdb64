// libFuzzer target: arbitrary bytes loaded as the competitor unit's settings file
// "QS-120_V1-0.q12cnf" or its lists "Courant.q12ct" (first byte chooses); counts stay
// within the lists and what the file holds, texts and settings within what the panel shows.
#include "competitor/Q12Fichiers.h"
#include "competitor/Q12Listes.h"
#include "fuzz/files/FuzzFile.h"

namespace {

bool Colonne(char c, bool optional) {
    return (c >= 'A' && c <= 'Z') || (optional && c == 0);
}

void VerifierListe(const Q12Bloc* bloc, int count, size_t present) {
    if (count < 0 || count > kQ12Max || size_t(count) > present) __builtin_trap();
    for (const auto& rec : *bloc) {
        fuzzfile::Termine(rec.Texte1);
        fuzzfile::Termine(rec.Texte2);
        fuzzfile::Termine(rec.Texte3);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    static const bool entered = (fuzzfile::EntrerDossier(), true);
    (void)entered;
    if (data[0] & 1) {
        fuzzfile::Ecrire(kQ12FichierCnf, data + 1, size - 1);
        Q12CnfCharger();
        const Q12Cnf& c = Q12CnfG;
        if (c.Feuille < 1 || c.PremiereLigne < 1 || !Colonne(c.ColNumero, false) ||
            !Colonne(c.ColTexte1, true) || !Colonne(c.ColTexte2, true) || !Colonne(c.ColTexte3, true))
            __builtin_trap();
        fuzzfile::Termine(c.Chemin);
        return 0;
    }
    const std::string path = fuzzfile::Ecrire(kQ12FichierCourant, data + 1, size - 1);
    Q12AllouerListes();
    Q12CourantCharger(path.c_str());
    const size_t n = size - 1;
    const size_t slots1 = n > 4 ? (n - 4) / sizeof(Q12ConcurrentRec) : 0;
    const size_t start2 = 8 + sizeof(Q12Bloc);
    const size_t slots2 = n > start2 ? (n - start2) / sizeof(Q12ConcurrentRec) : 0;
    VerifierListe(Q12ListeG, Q12NbListeG, slots1);
    VerifierListe(Q12HistoG, Q12NbHistoG, slots2);
    Q12LibererListes();
    return 0;
}
