// libFuzzer target: arbitrary bytes loaded as a ".q31tps" times file, then every record
// turned into the table's and the export's texts (differences are computed only for
// times from the clock, whose fields are two digits, never for loaded records).
#include <algorithm>

#include "chrono/SbChrono.h"
#include "chrono/SbChronoFormat.h"
#include "fuzz/files/FuzzFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool opened = [] {
        SbChronoOuvrir(fuzzfile::Dossier().c_str(), "Store.q31tps", 0, 0);
        return true;
    }();
    (void)opened;
    const std::string path = fuzzfile::Ecrire("in.q31tps", data, size);
    const int before = SbChronoNombre();
    const int loaded = SbChronoCharger(path.c_str());
    // A file too short for its count field leaves the store as it was.
    if (size < 4 && (loaded != 0 || SbChronoNombre() != before)) __builtin_trap();
    const int n = SbChronoNombre();
    // Never more records than the file holds or the store has room for.
    if (n < 0 || n > SB_CHRONO_MAX || (size >= 4 && size_t(n) > (size - 4) / sizeof(SbChronoRec)))
        __builtin_trap();
    for (int i = 1; i <= n; ++i) {
        const SbChronoRec* r = SbChronoLire(i);
        if (!r) __builtin_trap();
        char genre[3], numero[16], canal[3], temps[64], ligne[128];
        SbChronoTexteGenre(*r, genre);
        SbChronoTexteNumero(*r, numero);
        SbChronoTexteCanal(*r, canal);
        for (int precision = 0; precision <= 5; ++precision) SbChronoTexteTemps(*r, precision, temps);
        SbChronoLigneAscii(*r, ligne, sizeof ligne);
    }
    return 0;
}
