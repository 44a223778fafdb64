// Calendar days counted from 1 January 2000, rounding, seconds as text, random values.
#include "ui/GenDate.h"

#include <cmath>
#include <cstdlib>

#include "lib/StrBuf.h"

namespace {
constexpr int kPremiereAnnee = 2000;
constexpr int kDerniereAnnee = 2063;  // the clock's day numbers cover 64 years
}  // namespace

uint8_t GenGregorienDerJourMois(int month, int year) {
    switch (month) {
        case 2:
            return ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0) ? 29 : 28;
        case 4:
        case 6:
        case 9:
        case 11:
            return 30;
        default:
            return 31;
    }
}

void GenGregorienDate(int dayCount, int* day, int* month, int* year) {
    long n = long(dayCount) + 1;
    for (int a = kPremiereAnnee; a <= kDerniereAnnee; ++a) {
        for (int m = 1; m <= 12; ++m) {
            int d = GenGregorienDerJourMois(m, a);
            if (d < n) {
                n -= d;
                continue;
            }
            if (day) *day = int(n);
            if (month) *month = m;
            if (year) *year = a - kPremiereAnnee;
            return;
        }
    }
}

uint16_t GenGregorienNbJours(int day, int month, int year) {
    uint16_t jours = 0;
    for (int a = kPremiereAnnee; a < kPremiereAnnee + year; ++a)
        for (int m = 1; m <= 12; ++m) jours = uint16_t(jours + GenGregorienDerJourMois(m, a));
    for (int m = 1; m < month; ++m)
        jours = uint16_t(jours + GenGregorienDerJourMois(m, kPremiereAnnee + year));
    return uint16_t(jours + day - 1);
}

int GenArrondir(double value) {
    double a = std::fabs(value);
    int n = int(a);
    if (a - n > 0.5) ++n;
    return value < 0 ? -n : n;
}

void GenSecondesHMS(double seconds, char* text, int decimals) {
    int heures = int(seconds / 3600);
    int minutes = int((seconds - 3600.0 * heures) / 60);
    double reste = seconds - 3600.0 * heures - 60.0 * minutes;
    const char* format = decimals == 0   ? "%2d:%2d:%2.0f"
                         : decimals == 1 ? "%2d:%2d:%4.1f"
                         : decimals == 2 ? "%2d:%2d:%5.2f"
                                         : "%2d:%2d:%6.3f";
    // The callers' buffers hold at least 32 bytes.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    StrFormat(text, 32, format, heures, minutes, reste);
#pragma GCC diagnostic pop
}

int GenEntierAleatoire(int low, int high) {
    if (high <= low) return low;
    int q = 32767 / (high - low);
    if (q == 0) q = 1;  // a range wider than the generator: keep the division defined
    int r = std::rand() % 32768;
    return int(low + double(r) / q);
}

bool GenBooleenAleatoire() {
    return std::rand() % 32768 > 16382;
}
