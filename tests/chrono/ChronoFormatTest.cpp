// Texts of a times record (table columns) and the difference row; the export line is
// checked byte for byte with the export.
#include "chrono/SbChronoFormat.h"
#include "tests/chrono/ChronoFixture.h"

using namespace chronotest;

namespace {

std::string Genre(const SbChronoRec& r) {
    char out[3];
    SbChronoTexteGenre(r, out);
    return out;
}
std::string Numero(const SbChronoRec& r) {
    char out[16];
    SbChronoTexteNumero(r, out);
    return out;
}
std::string Canal(const SbChronoRec& r) {
    char out[3];
    SbChronoTexteCanal(r, out);
    return out;
}
std::string Heure(const SbChronoRec& r, int precision) {
    char out[64];
    SbChronoTexteTemps(r, precision, out);
    return out;
}
SbChronoRec Ecart(const SbChronoRec& reference, const SbChronoRec& time) {
    SbChronoRec out;
    std::memset(&out, 0x55, sizeof out);
    SbChronoEcart(reference, time, &out);
    return out;
}
std::string Hms(const SbChronoRec& r) {
    char out[64];
    snprintf(out, sizeof out, "%c%02d:%02d:%02d.%05d", r.Canal, r.Heures, r.Minutes, r.Secondes, r.Fraction);
    return out;
}

}  // namespace

TEST(ChronoTexte, KindMarkNumberAndChannelColumns) {
    SbChronoRec r = Temps(1, 2, 3, 4, '1', 12, 99);
    EXPECT_EQ(Genre(r), "  ");
    EXPECT_EQ(Numero(r), "   12");
    EXPECT_EQ(Canal(r), "M1");
    r.Marque = 'X';
    EXPECT_EQ(Genre(r), " X");
    r.Type = 'D';
    r.Marque = 'T';
    EXPECT_EQ(Genre(r), "DT");
    r.Type = 'I';
    r.Marque = '!';
    EXPECT_EQ(Genre(r), "I!");

    r.Concurrent = 0;
    r.Numero = 7;
    EXPECT_EQ(Numero(r), "    7");
    r.Numero = 0;
    EXPECT_EQ(Numero(r), " ");
    r.Numero = -3;
    r.Concurrent = -1;
    EXPECT_EQ(Numero(r), " ");
    r.Concurrent = 12345;
    EXPECT_EQ(Numero(r), "12345");

    // A record from a damaged file: a zero byte shows as a space, not as the end of the text.
    r.Qualif = 0;
    r.Canal = '+';
    EXPECT_EQ(Canal(r), " +");
}

TEST(ChronoTexte, TimeColumnCutsTheFractionToThePrecision) {
    const SbChronoRec r = Temps(12, 34, 56, 78912);
    EXPECT_EQ(Heure(r, 0), " 12 : 34 : 56");
    EXPECT_EQ(Heure(r, 1), " 12 : 34 : 56.7");
    EXPECT_EQ(Heure(r, 2), " 12 : 34 : 56.78");
    EXPECT_EQ(Heure(r, 5), " 12 : 34 : 56.78912");
    const SbChronoRec nines = Temps(0, 0, 9, 99999);
    EXPECT_EQ(Heure(nines, 0), " 00 : 00 : 09");
    EXPECT_EQ(Heure(nines, 4), " 00 : 00 : 09.9999");
    const SbChronoRec small = Temps(1, 2, 3, 5);
    EXPECT_EQ(Heure(small, 1), " 01 : 02 : 03.0");
    EXPECT_EQ(Heure(small, 5), " 01 : 02 : 03.00005");
    // A precision the clock never sends stays within the five digits.
    EXPECT_EQ(Heure(small, 9), " 01 : 02 : 03.00005");
    EXPECT_EQ(Heure(small, -1), " 01 : 02 : 03");
}

TEST(ChronoEcart, SignAndAbsoluteDifferenceAgainstTheReference) {
    const SbChronoRec ref = Temps(10, 0, 0, 0);
    EXPECT_EQ(Hms(Ecart(ref, Temps(10, 0, 1, 25000))), "+00:00:01.25000");
    EXPECT_EQ(Hms(Ecart(ref, Temps(9, 59, 59, 90000))), "-00:00:00.10000");
    EXPECT_EQ(Hms(Ecart(ref, Temps(10, 0, 0, 0))), " 00:00:00.00000");
    EXPECT_EQ(Hms(Ecart(ref, Temps(10, 0, 0, 1))), "+00:00:00.00001");
    EXPECT_EQ(Hms(Ecart(ref, Temps(12, 30, 15, 50000))), "+02:30:15.50000");

    // No wrap at midnight: the two times are compared as they stand.
    EXPECT_EQ(Hms(Ecart(Temps(23, 59, 59, 0), Temps(0, 0, 1, 0))), "-23:59:58.00000");

    // The kind, mark and empty columns of the difference row are checked with the store.
}

TEST(ChronoEcart, WholeMinutesNeverShowSixtySeconds) {
    // 3,660 s divides into 59.99999... seconds, printed as 60: carried into the minutes.
    const SbChronoRec ref = Temps(8, 0, 0, 0);
    EXPECT_EQ(Hms(Ecart(ref, Temps(9, 1, 0, 0))), "+01:01:00.00000");
    EXPECT_EQ(Hms(Ecart(Temps(9, 1, 0, 0), ref)), "-01:01:00.00000");
    for (int minutes = 1; minutes < 24 * 60; minutes += 7) {
        const SbChronoRec d = Ecart(Temps(0, 0, 0, 0), Temps(minutes / 60, minutes % 60, 0, 0));
        ASSERT_EQ(Hms(d), Hms(Temps(minutes / 60, minutes % 60, 0, 0, '+'))) << minutes;
    }
}
