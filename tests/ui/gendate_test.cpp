// Date, rounding and time-text helpers.
#include "ui/GenDate.h"

#include <gtest/gtest.h>

namespace {

// Day counts from 1 January 2000 and dates are inverse up to the end of 2063 (beyond, the
// outputs are left as they were); halves round toward zero; times show as "h:mm:ss.d".
TEST(GenDate, DayCountsDatesRoundingAndTimeTexts) {
    const int last = GenGregorienNbJours(31, 12, 63);
    int d = 0, m = 0, y = 0;
    for (int count = 0; count <= last + 1; ++count) {
        GenGregorienDate(count, &d, &m, &y);
        ASSERT_EQ(GenGregorienNbJours(d, m, y), count > last ? last : count);
    }
    EXPECT_EQ(d * 10000 + m * 100 + y, 311263);
    for (auto [count, date] : {std::pair{0, 10100}, {59, 290200}, {366, 10101}, {4297, 71011}}) {
        GenGregorienDate(count, &d, &m, &y);
        EXPECT_EQ(d * 10000 + m * 100 + y, date) << count;
    }
    // The days of a month outside the round trip's years: a century that is not a leap year, a bad month.
    for (auto [month, year, days] : {std::tuple{2, 1900, 28}, {13, 2011, 31}})
        EXPECT_EQ(GenGregorienDerJourMois(month, year), days) << month << "/" << year;
    for (auto [value, rounded] : {std::pair{2.5, 2}, {2.51, 3}, {-2.5, -2}, {-0.7, -1}, {0.5, 0}, {-3.2, -3}})
        EXPECT_EQ(GenArrondir(value), rounded) << value;
    char text[32];
    for (auto [seconds, decimals, shown] : {std::tuple{3725.5, 1, " 1: 2: 5.5"},
                                            {3725.5, 2, " 1: 2: 5.50"},
                                            {45296.25, 3, "12:34:56.250"},
                                            {36065.0, 0, "10: 1: 5"}}) {
        GenSecondesHMS(seconds, text, decimals);
        EXPECT_STREQ(text, shown);
    }
}

}  // namespace
