// Date, rounding and time-text helpers.
#include "ui/GenDate.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>

namespace {

// Day counts from 1 January 2000 and dates are inverse up to the end of 2063; beyond,
// the outputs are left as they were.
TEST(GenDate, DayCountsAndDates) {
    const int last = GenGregorienNbJours(31, 12, 63);
    int d = 0, m = 0, y = 0;
    for (int count = 0; count <= last; ++count) {
        GenGregorienDate(count, &d, &m, &y);
        ASSERT_EQ(GenGregorienNbJours(d, m, y), count);
    }
    EXPECT_EQ(d * 10000 + m * 100 + y, 311263);
    GenGregorienDate(last + 1, &d, &m, &y);
    EXPECT_EQ(d * 10000 + m * 100 + y, 311263);
    for (auto [count, date] : {std::pair{0, 10100}, {59, 290200}, {366, 10101}, {4297, 71011}}) {
        GenGregorienDate(count, &d, &m, &y);
        EXPECT_EQ(d * 10000 + m * 100 + y, date) << count;
    }
    for (auto [month, year, days] : {std::tuple{2, 1900, 28},
                                     {2, 2000, 29},
                                     {2, 2011, 28},
                                     {2, 2012, 29},
                                     {9, 2011, 30},
                                     {13, 2011, 31}})
        EXPECT_EQ(GenGregorienDerJourMois(month, year), days) << month << "/" << year;
}

TEST(GenDate, RoundingAndTimeTexts) {
    for (auto [value, rounded] : {std::pair{2.5, 2}, {2.51, 3}, {-2.5, -2}, {-0.7, -1}, {0.5, 0}, {-3.2, -3}})
        EXPECT_EQ(GenArrondir(value), rounded) << value;  // halves go toward zero
    char text[32];
    for (auto [seconds, decimals, shown] : {std::tuple{3725.5, 1, " 1: 2: 5.5"},
                                            {3725.5, 2, " 1: 2: 5.50"},
                                            {45296.25, 3, "12:34:56.250"},
                                            {59.0, 0, " 0: 0:59"},
                                            {36065.0, 0, "10: 1: 5"}}) {
        GenSecondesHMS(seconds, text, decimals);
        EXPECT_STREQ(text, shown);
    }
    int trues = 0;
    for (int i = 0; i < 2000; ++i) {
        const int v = GenEntierAleatoire(3, 9);
        ASSERT_TRUE(v >= 3 && v <= 9) << v;
        trues += GenBooleenAleatoire();
    }
    EXPECT_TRUE(trues > 0 && trues < 2000) << trues;
}

}  // namespace
