// Date, rounding and time-text helpers.
#include <gtest/gtest.h>

#include <string>

#include "ui/GenDate.h"

namespace {

struct Date {
    int day, month, year;
};

Date FromCount(int count) {
    Date d{-1, -1, -1};
    GenGregorienDate(count, &d.day, &d.month, &d.year);
    return d;
}

TEST(GenDate, DayCountsFromTheFirstOfJanuary2000) {
    struct {
        int count;
        Date date;
    } cases[] = {{0, {1, 1, 0}}, {59, {29, 2, 0}}, {366, {1, 1, 1}}, {4297, {7, 10, 11}}};
    for (auto& c : cases) {
        Date d = FromCount(c.count);
        EXPECT_EQ(d.day, c.date.day) << c.count;
        EXPECT_EQ(d.month, c.date.month) << c.count;
        EXPECT_EQ(d.year, c.date.year) << c.count;
    }
}

TEST(GenDate, CountAndDateAreInverseOverTheWholeRange) {
    const int last = GenGregorienNbJours(31, 12, 63);
    for (int count = 0; count <= last; ++count) {
        Date d = FromCount(count);
        ASSERT_GE(d.day, 1) << count;
        ASSERT_EQ(GenGregorienNbJours(d.day, d.month, d.year), count);
    }
    Date d = FromCount(last);
    EXPECT_EQ(d.day, 31);
    EXPECT_EQ(d.month, 12);
    EXPECT_EQ(d.year, 63);
    Date beyond{5, 6, 7};
    GenGregorienDate(last + 1, &beyond.day, &beyond.month, &beyond.year);
    EXPECT_EQ(beyond.day, 5);  // beyond 2063 the outputs are left as they were
    EXPECT_EQ(beyond.month, 6);
    EXPECT_EQ(beyond.year, 7);
}

TEST(GenDate, DaysOfAMonth) {
    EXPECT_EQ(GenGregorienDerJourMois(2, 1900), 28);
    EXPECT_EQ(GenGregorienDerJourMois(2, 2000), 29);
    EXPECT_EQ(GenGregorienDerJourMois(2, 2011), 28);
    EXPECT_EQ(GenGregorienDerJourMois(2, 2012), 29);
    EXPECT_EQ(GenGregorienDerJourMois(9, 2011), 30);
    EXPECT_EQ(GenGregorienDerJourMois(13, 2011), 31);
}

TEST(GenDate, RoundingSendsHalvesTowardZero) {
    EXPECT_EQ(GenArrondir(2.5), 2);
    EXPECT_EQ(GenArrondir(2.51), 3);
    EXPECT_EQ(GenArrondir(-2.5), -2);
    EXPECT_EQ(GenArrondir(-0.7), -1);
    EXPECT_EQ(GenArrondir(0.5), 0);
    EXPECT_EQ(GenArrondir(-3.2), -3);
}

TEST(GenDate, SecondsAsHoursMinutesSeconds) {
    char text[32];
    GenSecondesHMS(3725.5, text, 1);
    EXPECT_EQ(std::string(text), " 1: 2: 5.5");
    GenSecondesHMS(3725.5, text, 2);
    EXPECT_EQ(std::string(text), " 1: 2: 5.50");
    GenSecondesHMS(45296.25, text, 3);
    EXPECT_EQ(std::string(text), "12:34:56.250");
    GenSecondesHMS(59.0, text, 0);
    EXPECT_EQ(std::string(text), " 0: 0:59");
}

TEST(GenDate, RandomValuesStayInTheirRange) {
    for (int i = 0; i < 2000; ++i) {
        int v = GenEntierAleatoire(3, 9);
        ASSERT_GE(v, 3);
        ASSERT_LE(v, 9);
    }
    int trues = 0;
    for (int i = 0; i < 2000; ++i) trues += GenBooleenAleatoire();
    EXPECT_GT(trues, 0);
    EXPECT_LT(trues, 2000);
}

}  // namespace
