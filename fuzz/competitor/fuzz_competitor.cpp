// libFuzzer target: arbitrary bytes read as a competitor spreadsheet of each kind
// (.xlsx, .ods, .xls, .csv, chosen by the first byte) and imported with settings
// taken from the next bytes; no input may crash, hang or leak past the readers.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "competitor/Q12Classeur.h"
#include "competitor/Q12Import.h"
#include "competitor/Q12Listes.h"
#include "competitor/Q12Texte.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static constexpr const char* kExtensions[] = {".xlsx", ".ods", ".xls", ".csv"};
    if (size < 4) return 0;
    const char* ext = kExtensions[data[0] % 4];
    Q12Cnf cnf;
    Q12CnfDefaut(&cnf);
    cnf.Feuille = 1 + data[1] % 3;
    cnf.PremiereLigne = 1 + data[2] % 4;
    cnf.ColTexte2 = (data[3] & 1) ? 0 : 'C';
    std::string_view bytes(reinterpret_cast<const char*>(data) + 4, size - 4);

    Q12Utf8VersCp1252(bytes, 63);
    Q12AllouerListes();
    Q12Echec echec;
    if (auto book = Q12OuvrirClasseurOctets(bytes, ext, &echec)) {
        Q12Lecture lecture;
        if (Q12LireListe(*book, cnf, &lecture)) Q12AppliquerLecture(lecture, "fuzz");
        if (lecture.nombre < 0 || lecture.nombre > kQ12Max || Q12NbListeG > kQ12Max) __builtin_trap();
    }
    Q12LibererListes();
    return 0;
}
