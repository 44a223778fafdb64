// Reading and writing "QS-120_V1-0.q12cnf" and "Courant.q12ct" (raw little-endian images).
#include "competitor/Q12Fichiers.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "competitor/Q12Listes.h"
#include "platform/cvi.h"
#include "ui/FileNotices.h"

namespace {

bool ColonneValide(char c) {
    return c >= 'A' && c <= 'Z';
}

// The settings dialog can only show letters A-Z (and "none" for texts): anything else
// read from the file falls back to the default of that field.
void CnfBorner(Q12Cnf* cnf) {
    Q12Cnf def;
    Q12CnfDefaut(&def);
    if (cnf->Feuille < 1) cnf->Feuille = 1;
    if (cnf->PremiereLigne < 1) cnf->PremiereLigne = 1;
    if (!ColonneValide(cnf->ColNumero)) cnf->ColNumero = def.ColNumero;
    for (char* c : {&cnf->ColTexte1, &cnf->ColTexte2, &cnf->ColTexte3})
        if (*c != 0 && !ColonneValide(*c)) *c = 0;
    cnf->Chemin[sizeof cnf->Chemin - 1] = 0;
}

void TerminerTextes(Q12ConcurrentRec* rec) {
    rec->Texte1[sizeof rec->Texte1 - 1] = 0;
    rec->Texte2[sizeof rec->Texte2 - 1] = 0;
    rec->Texte3[sizeof rec->Texte3 - 1] = 0;
}

// One list out of the file image at offset: its count and its 1 000 slots. The count
// is held to 0 .. 1 000 and to the slots the file really holds.
int LireListe(const std::vector<char>& image, long lus, size_t offset, Q12Bloc* bloc) {
    int32_t count = 0;
    std::memcpy(&count, image.data() + offset, sizeof count);
    std::memcpy(bloc->data(), image.data() + offset + 4, sizeof(Q12Bloc));
    for (auto& rec : *bloc) TerminerTextes(&rec);
    long slotsLus = std::max<long>(0, (lus - long(offset) - 4) / long(sizeof(Q12ConcurrentRec)));
    return std::clamp<int32_t>(count, 0, int32_t(std::min<long>(kQ12Max, slotsLus)));
}

}  // namespace

void Q12CnfCharger() {
    Q12Cnf cnf;
    Q12CnfDefaut(&cnf);
    long lus = FileReadUpTo(kQ12FichierCnf, &cnf, sizeof cnf);
    if (lus < 0) {
        Q12CnfG = cnf;
        Q12CnfSauver();
        return;
    }
    CnfBorner(&cnf);
    Q12CnfG = cnf;
}

bool Q12CnfSauver() {
    if (FileWriteAtomic(kQ12FichierCnf, &Q12CnfG, sizeof Q12CnfG) == 0) return true;
    SbNoteWriteFailure(kQ12FichierCnf);
    return false;
}

void Q12CourantCharger(const char* path) {
    std::vector<char> image(kQ12TailleCourant, 0);
    long lus = FileReadUpTo(path, image.data(), image.size());
    if (lus < 0 || !Q12ListesAllouees()) {
        Q12EffacerListes();
        return;
    }
    Q12NbListeG = LireListe(image, lus, 0, Q12ListeG);
    Q12NbHistoG = LireListe(image, lus, 4 + sizeof(Q12Bloc), Q12HistoG);
}

bool Q12CourantSauver(const char* path) {
    if (!Q12ListesAllouees()) return false;
    std::vector<char> image(kQ12TailleCourant, 0);
    int32_t n = Q12NbListeG;
    std::memcpy(image.data(), &n, 4);
    std::memcpy(image.data() + 4, Q12ListeG->data(), sizeof(Q12Bloc));
    n = Q12NbHistoG;
    std::memcpy(image.data() + 4 + sizeof(Q12Bloc), &n, 4);
    std::memcpy(image.data() + 8 + sizeof(Q12Bloc), Q12HistoG->data(), sizeof(Q12Bloc));
    if (FileWriteAtomic(path, image.data(), image.size()) == 0) return true;
    SbNoteWriteFailure(path);
    return false;
}
