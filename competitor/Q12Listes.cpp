// The competitor lists: allocation, emptying, sent flags, the sent list's limit.
#include "competitor/Q12Listes.h"

#include <cstring>
#include <memory>

#include "lib/StrBuf.h"

Q12Bloc* Q12ListeG = nullptr;
int Q12NbListeG = 0;
Q12Bloc* Q12HistoG = nullptr;
int Q12NbHistoG = 0;
Q12Cnf Q12CnfG{};

namespace {
// Owners of the two blocks; the globals above point into them while the unit is loaded.
std::unique_ptr<Q12Bloc> listeBloc;
std::unique_ptr<Q12Bloc> histoBloc;
}  // namespace

void Q12AllouerListes() {
    if (!listeBloc) listeBloc = std::make_unique<Q12Bloc>();
    if (!histoBloc) histoBloc = std::make_unique<Q12Bloc>();
    Q12ListeG = listeBloc.get();
    Q12HistoG = histoBloc.get();
}

void Q12LibererListes() {
    Q12ListeG = nullptr;
    Q12HistoG = nullptr;
    listeBloc.reset();
    histoBloc.reset();
    Q12NbListeG = 0;
    Q12NbHistoG = 0;
}

bool Q12ListesAllouees() {
    return Q12ListeG && Q12HistoG;
}

void Q12EffacerListes() {
    Q12CnfG.Chemin[0] = 0;
    Q12NbListeG = 0;
    Q12NbHistoG = 0;
    if (Q12ListeG) std::memset(Q12ListeG->data(), 0, sizeof(Q12Bloc));
    if (Q12HistoG) std::memset(Q12HistoG->data(), 0, sizeof(Q12Bloc));
}

void Q12CnfDefaut(Q12Cnf* cnf) {
    *cnf = Q12Cnf{};
    cnf->Feuille = 1;
    cnf->PremiereLigne = 2;
    cnf->Afficher = 0;
    cnf->ColNumero = 'A';
    cnf->ColTexte1 = 'B';
    cnf->ColTexte2 = 'C';
    cnf->Libre19 = 'D';
    cnf->ColTexte3 = 'E';
    cnf->Libre21 = 'F';
}

bool Q12MarquerEnvoye(int number) {
    if (!Q12ListeG) return false;
    for (int i = 0; i < Q12NbListeG; ++i) {
        Q12ConcurrentRec& rec = (*Q12ListeG)[i];
        if (rec.Numero == number && rec.Envoye == 0) {
            rec.Envoye = 1;
            return true;
        }
    }
    return false;
}

int Q12HistoAjouter(const Q12ConcurrentRec& rec) {
    if (!Q12HistoG) return -1;
    if (Q12NbHistoG >= kQ12Max) {
        std::memmove(Q12HistoG->data(), Q12HistoG->data() + 1, sizeof(Q12ConcurrentRec) * (kQ12Max - 1));
        Q12NbHistoG = kQ12Max - 1;
    }
    Q12ConcurrentRec& slot = (*Q12HistoG)[Q12NbHistoG];
    slot = rec;
    slot.Envoye = 1;
    // Texts always end inside their fields, whatever the caller held.
    slot.Texte1[sizeof slot.Texte1 - 1] = 0;
    slot.Texte2[sizeof slot.Texte2 - 1] = 0;
    slot.Texte3[sizeof slot.Texte3 - 1] = 0;
    return Q12NbHistoG++;
}
