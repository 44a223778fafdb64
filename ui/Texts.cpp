// Text tables of the current language and their loaders.
#include "ui/Texts.h"

#include <cstring>
#include <vector>

#include "lib/StrBuf.h"
#include "platform/cvi.h"
#include "ui/TextParse.h"

char GLabelBpG[9][64];
char GMessageG[5][128];
char GMesComG[kGMesComCount][128];
char Q31TxtLabelG[kQ31TxtLabelCount][64];
char Q31TxtLabSetG[61][64];
char Q31TxtMesG[kQ31TxtMesCount][256];
char Q12TxtG[kQ12TxtEntrees][64];

namespace {

enum Forme : bool { kLignes = false, kParagraphes = true };

// Loads one file into a table: 0 read whole, 1 not opened, 2 fewer than minimum entries.
template <size_t N, size_t S>
uint8_t ChargerFichier(const char* prefixe, int language, char (&table)[N][S], int minimum, Forme forme) {
    std::memset(table, 0, sizeof table);
    char path[64];
    StrFormat(path, sizeof path, "Texts\\%s%s.gentxt", prefixe, GenCodeLangue(language));
    std::vector<unsigned char> octets(GenTailleUtile(int(N), int(S)));
    long lus = FileReadUpTo(path, octets.data(), octets.size());
    if (lus < 0) return 1;
    int entrees = GenLireEntrees(octets.data(), size_t(lus), &table[0][0], int(N), int(S), forme);
    return entrees < minimum ? 2 : 0;
}

// The second file's failure, when there is one, is the one reported.
uint8_t Combiner(uint8_t premier, uint8_t second) {
    return second != 0 ? second : premier;
}

}  // namespace

const char* GenCodeLangue(int language) {
    switch (language) {
        case 1:
            return "FR";
        case 2:
            return "DT";
        case 3:
            return "IT";
        default:
            return "EN";
    }
}

uint8_t GenChargerTextes(int language) {
    uint8_t st = ChargerFichier("Gen_LabelsBp_", language, GLabelBpG, 9, kLignes);
    return Combiner(st, ChargerFichier("Gen_Messages_", language, GMessageG, 5, kParagraphes));
}

uint8_t GenChargerTextesCom(int language) {
    // Older files held only the first messages; five entries are enough to run.
    return ChargerFichier("Gen_MesCom_", language, GMesComG, 5, kParagraphes);
}

uint8_t Q31ChargerLabels(int language) {
    uint8_t st = ChargerFichier("Q31_Labels_", language, Q31TxtLabelG, 61, kLignes);
    return Combiner(st, ChargerFichier("Q31_LabSet_", language, Q31TxtLabSetG, 61, kLignes));
}

uint8_t Q31ChargerMessages(int language) {
    return ChargerFichier("Q31_Messages_", language, Q31TxtMesG, 17, kParagraphes);
}

uint8_t Q12ChargerTxt(int language) {
    return ChargerFichier("Q12_Labels_", language, Q12TxtG, 17, kLignes);
}
