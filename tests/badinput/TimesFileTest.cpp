// Damaged ".q31tps" times files through the load button of the times table.
#include <algorithm>
#include <cstring>

#include "app/Q31Ihm.h"
#include "chrono/SbChrono.h"
#include "panels/FQ31.h"
#include "platform/cvi.h"
#include "tests/badinput/BadInput.h"

using namespace badinput;

namespace {

SbChronoRec Temps(int seconde, char canal) {
    SbChronoRec r{};
    r.Numero = seconde;
    r.Heures = 10;
    r.Minutes = 4;
    r.Secondes = seconde;
    r.Fraction = 12345;
    r.Type = 'T';
    r.Marque = 'N';
    r.Qualif = 'M';
    r.Canal = canal;
    return r;
}

std::string Image(const std::vector<SbChronoRec>& records) {
    const int32_t count = int32_t(records.size());
    std::string bytes = Octets(count);
    for (const auto& r : records) bytes += Octets(r);
    return bytes;
}

class BadTimesFile : public ProgrammeTest {
protected:
    int Charger(const std::string& path) {
        Repondre(path);
        FQ31ChronosCharger(Q31FIhmG, fq31::MAIN_TIMES_LOAD, EVENT_COMMIT, nullptr, 0, 0);
        return SbChronoNombre();
    }
    // The records held are those of the file, in its order.
    void AttendreRecordsDe(const std::string& bytes) {
        for (int i = 1; i <= SbChronoNombre(); ++i) {
            ASSERT_GE(bytes.size(), 4 + size_t(i) * sizeof(SbChronoRec));
            EXPECT_EQ(std::memcmp(SbChronoLire(i), bytes.data() + 4 + (i - 1) * sizeof(SbChronoRec),
                                  sizeof(SbChronoRec)),
                      0)
                << "record " << i;
        }
        int rows = 0;
        GetNumTableRows(Q31FIhmG, fq31::MAIN_TIMES_TABLE, &rows);
        EXPECT_GE(rows, SbChronoNombre());
    }
};

}  // namespace

TEST_F(BadTimesFile, DamagedFilesLoadOnlyTheWholeRecordsTheyHold) {
    const std::vector<SbChronoRec> bons = {Temps(1, '1'), Temps(2, '2'), Temps(3, '1')};
    const std::string bon = Image(bons);
    const std::string chemin = Ecrire("Chronos/Good.q31tps", bon);
    for (const Variante& v : Variantes(bon, 7)) {
        SCOPED_TRACE(v.nom);
        ASSERT_EQ(Charger(chemin), 3);
        const int n = Charger(Ecrire("Chronos/Damaged.q31tps", v.octets));
        AttendreRecordsDe(v.octets);
        const std::string nom = v.nom;
        if (nom == "truncated") {
            EXPECT_EQ(n, 1);  // count 3, one whole record present
        }
        if (nom == "zero-filled") {
            EXPECT_EQ(n, 0);
        }
        if (nom == "over-long") {
            EXPECT_EQ(n, 3);
        }
        if (nom == "random") {
            int32_t count = 0;
            std::memcpy(&count, v.octets.data(), 4);
            EXPECT_EQ(n, std::clamp(count, 0, 3));
        }
    }
    // A file too short for its count, and a missing file, leave the store as it was.
    for (const std::string& bytes : {std::string(), std::string("\x05\x00", 2)}) {
        ASSERT_EQ(Charger(chemin), 3);
        EXPECT_EQ(Charger(Ecrire("Chronos/Short.q31tps", bytes)), 3);
    }
    EXPECT_EQ(Charger(Fichier("Chronos/Missing.q31tps")), 3);
    EXPECT_EQ(std::memcmp(SbChronoLire(2), &bons[1], sizeof(SbChronoRec)), 0);
}
