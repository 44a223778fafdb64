// Texts of one times record and the difference against the reference time.
#include "chrono/SbChronoFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "lib/StrBuf.h"
#include "ui/GenDate.h"

namespace {

// A zero byte (a record read from a damaged file) would end the text early.
char Visible(char c) {
    return c == 0 ? ' ' : c;
}

// One number as printf's "%<width>d" (pad ' ') or "%0<width>d" (pad '0') writes it, at `p`;
// returns the end. A full table's rebuild writes 20,000 of them, and parsing the format
// for each was half the rebuild's work.
char* PutInt(char* p, int32_t value, int width, char pad) {
    char digits[10];
    int n = 0;
    uint32_t u = value < 0 ? 0u - uint32_t(value) : uint32_t(value);
    do {
        digits[n++] = char('0' + u % 10);
        u /= 10;
    } while (u != 0);
    const int length = n + (value < 0 ? 1 : 0);
    if (pad == ' ')
        for (int i = length; i < width; ++i) *p++ = ' ';
    if (value < 0) *p++ = '-';
    if (pad == '0')
        for (int i = length; i < width; ++i) *p++ = '0';
    while (n > 0) *p++ = digits[--n];
    return p;
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
    if (rec.Concurrent > 0 || rec.Numero > 0)
        *PutInt(out, rec.Concurrent > 0 ? rec.Concurrent : rec.Numero, 5, ' ') = 0;
    else
        StrCopy(out, 16, " ");
}

void SbChronoTexteCanal(const SbChronoRec& rec, char out[3]) {
    out[0] = Visible(rec.Qualif);
    out[1] = Visible(rec.Canal);
    out[2] = 0;
}

void SbChronoTexteTemps(const SbChronoRec& rec, int precision, char out[64]) {
    // " hh : mm : ss" and the fraction's first `precision` characters of ".%05d"; at most
    // 3 x 11 + 6 + 6 characters for any record.
    precision = std::clamp(precision, 0, 5);
    char* p = out;
    *p++ = ' ';
    p = PutInt(p, rec.Heures, 2, '0');
    p = std::copy_n(" : ", 3, p);
    p = PutInt(p, rec.Minutes, 2, '0');
    p = std::copy_n(" : ", 3, p);
    p = PutInt(p, rec.Secondes, 2, '0');
    if (precision > 0) {
        char fraction[16];
        fraction[0] = '.';
        char* end = PutInt(fraction + 1, rec.Fraction, 5, '0');
        p = std::copy(fraction, std::min(end, fraction + 1 + precision), p);
    }
    *p = 0;
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
