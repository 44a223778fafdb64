// Texts of one times record and the difference against the reference time.
#include "chrono/SbChronoFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "lib/StrBuf.h"
#include "ui/GenDate.h"

namespace {

// A zero byte (a record read from a damaged file) would end the text early.
char Visible(char c) {
    return c == 0 ? ' ' : c;
}

double Seconds(const SbChronoRec& r) {
    return r.Heures * 3600.0 + r.Minutes * 60.0 + r.Secondes + r.Fraction / 100000.0;
}

}  // namespace

void SbChronoTexteGenre(const SbChronoRec& rec, char out[3]) {
    out[0] = rec.Type == 'T' ? ' ' : Visible(rec.Type);
    out[1] = rec.Marque == 'N' ? ' ' : Visible(rec.Marque);
    out[2] = 0;
}

void SbChronoTexteNumero(const SbChronoRec& rec, char out[16]) {
    if (rec.Concurrent > 0)
        StrFormat(out, 16, "%5d", rec.Concurrent);
    else if (rec.Numero > 0)
        StrFormat(out, 16, "%5d", rec.Numero);
    else
        StrCopy(out, 16, " ");
}

void SbChronoTexteCanal(const SbChronoRec& rec, char out[3]) {
    out[0] = Visible(rec.Qualif);
    out[1] = Visible(rec.Canal);
    out[2] = 0;
}

void SbChronoTexteTemps(const SbChronoRec& rec, int precision, char out[64]) {
    precision = std::clamp(precision, 0, 5);
    char fraction[16] = "";
    if (precision > 0) {
        char all[16];
        StrFormat(all, sizeof all, ".%05d", rec.Fraction);
        StrCopy(fraction, size_t(precision) + 2, all);  // the point and `precision` digits
    }
    StrFormat(out, 64, " %02d : %02d : %02d%s", rec.Heures, rec.Minutes, rec.Secondes, fraction);
}

void SbChronoLigneAscii(const SbChronoRec& rec, char* out, size_t size) {
    char genre[3], numero[16], canal[3];
    SbChronoTexteGenre(rec, genre);
    SbChronoTexteNumero(rec, numero);
    SbChronoTexteCanal(rec, canal);
    StrFormat(out, size, "| %c%c |%5s | %c%c |  %02d:%02d:%02d.%05d |", genre[0], genre[1], numero, canal[0],
              canal[1], rec.Heures, rec.Minutes, rec.Secondes, rec.Fraction);
}

void SbChronoEcart(const SbChronoRec& reference, const SbChronoRec& time, SbChronoRec* out) {
    double diff = Seconds(time) - Seconds(reference);
    *out = SbChronoRec{};
    out->Type = 'D';
    out->Marque = 'T';
    out->Qualif = ' ';
    if (diff > 0) {
        out->Canal = '+';
    } else if (diff < 0) {
        out->Canal = '-';
        diff = -diff;
    } else {
        out->Canal = ' ';
    }
    double whole = 0;
    double rest = std::modf(diff / 3600.0, &whole);
    out->Heures = GenArrondir(whole);
    rest = std::modf(rest * 60.0, &whole);
    out->Minutes = GenArrondir(whole);
    char text[64];
    StrFormat(text, sizeof text, "%.5f", rest * 60.0);
    int secondes = 0, fraction = 0;
    if (sscanf(text, "%d.%d", &secondes, &fraction) == 2) {
        out->Secondes = secondes;
        out->Fraction = fraction;
    }
    // The seconds of a whole number of minutes can come out of the division as
    // 59.999999..., which prints as "60.00000": carry it into the minutes.
    if (out->Secondes >= 60) {
        out->Secondes -= 60;
        out->Minutes += 1;
    }
    if (out->Minutes >= 60) {
        out->Minutes -= 60;
        out->Heures += 1;
    }
}
