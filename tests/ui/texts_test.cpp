// Text tables (the shipped files of the four languages, damaged or odd files) and the date, rounding
// and time-text helpers.
#include "ui/Texts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "tests/support/TestSupport.h"
#include "ui/GenDate.h"

namespace {

const std::string kSign = "\xA7";
std::string Lines(int n, const std::string& stem = "label", const std::string& end = "\n") {
    std::string s;
    for (int i = 0; i < n; ++i) s += stem + std::to_string(i) + end;
    return s;
}
const auto Messages = [](int n) { return Lines(n, "message ", "\n" + kSign + "\n"); };
std::string reported;  // what the loader reported, as the application's error state would record it

// Every language (255, not chosen yet, reads English) loads whole through the start-up
// loader, each entry worded and loaded as its file holds it, within the bytes the loader
// keeps. A damaged table is reported and loading stops there.
TEST(Texts, ShippedFilesOfEveryLanguage) {
    qstest::TempProgramDir dir;
    struct Shape {
        const char *prefix, *table;
        int entries, entrySize, maxBytes;  // a message shares its buffer with the line end before its sign
        bool section;
    } const shapes[] = {{"Gen_LabelsBp_", GLabelBpG[0], 9, 64, 63, false},
                        {"Gen_Messages_", GMessageG[0], 5, 128, 126, true},
                        {"Gen_MesCom_", GMesComG[0], kGMesComCount, 128, 126, true},
                        {"Q31_Labels_", Q31TxtLabelG[0], kQ31TxtLabelCount, 64, 63, false},
                        {"Q31_LabSet_", Q31TxtLabSetG[0], 61, 64, 63, false},
                        {"Q31_Messages_", Q31TxtMesG[0], kQ31TxtMesCount, 256, 254, true},
                        {"Q12_Labels_", Q12TxtG[0], kQ12TxtEntrees, 64, 63, false}};
    Q31SetTextsFailure(
        [](const char* title, const char* text) { reported += title + (": " + std::string(text)) + "\n"; });
    for (auto [language, code] : {std::pair{0, "EN"}, {255, "EN"}, {1, "FR"}, {2, "DT"}, {3, "IT"}}) {
        SCOPED_TRACE(language);
        reported.clear();
        Q31G.language = uint8_t(language);
        Q31ChargerTextes();
        EXPECT_EQ(reported, "");
        for (const Shape& s : shapes) {
            const std::string name = s.prefix + std::string(code) + ".gentxt";
            const std::string bytes = qstest::ReadFileBytes(dir.file("Texts/" + name));
            EXPECT_EQ(bytes.find('\r'), std::string::npos) << name;
            const std::string end = s.section ? "\n" + kSign + "\n" : "\n";
            int n = 0;
            for (size_t pos = 0, stop; pos < bytes.size(); pos = stop + end.size(), ++n) {
                stop = bytes.find(end, pos);
                ASSERT_TRUE(stop != std::string::npos && n < s.entries) << name << " entry " << n;
                EXPECT_TRUE(stop > pos && stop - pos <= size_t(s.maxBytes)) << name << " entry " << n;
                EXPECT_EQ(s.table + n * s.entrySize, bytes.substr(pos, stop - pos)) << name << " entry " << n;
            }
            EXPECT_EQ(n, s.entries) << name;
        }
    }
    const std::string italian = Q12TxtG[0];
    qstest::WriteFileBytes(dir.file("Texts/Q31_Messages_FR.gentxt"), "seul message\n\xA7\n");
    Q31G.language = 1;
    Q31ChargerTextes();
    EXPECT_EQ(reported, "Start Clock QS-310 INTERFACE FAILURE: Reading text files incomplete !\n");
    // The tables before it are French, the one after it was not reloaded.
    EXPECT_EQ(std::tuple(std::string(Q31TxtMesG[0]), std::string(Q31TxtLabelG[0]), std::string(Q12TxtG[0])),
              std::tuple("seul message", "Connexion", italian));
    std::filesystem::remove(dir.file("Texts/Q31_Labels_FR.gentxt"));
    reported.clear();
    Q31ChargerTextes();
    EXPECT_EQ(reported, "Start Clock QS-310 INTERFACE FAILURE: Opening text files is impossible !\n");
}

// Damaged or odd files in a program folder of their own: the loader's status (0 whole,
// 1 missing, 2 short) and the entries it leaves.
TEST(Texts, DamagedFiles) {
    qstest::TempProgramDir dir(false);
    const std::string longLine = Lines(7, "abcdefghi", "");  // 70 bytes
    struct Cas {
        const char* what;
        std::vector<std::pair<std::string, std::string>> files;
        uint8_t (*load)(int);
        int status;
        std::vector<std::pair<const char*, std::string>> entries;
    };
    // clang-format off
    const Cas cases[] = {
        {"labels: the empty entry after the last line feed counts", {{"Q31_LabSet_EN", Lines(61)},
         {"Q31_Labels_EN", Lines(60)}}, Q31ChargerLabels, 0, {{Q31TxtLabelG[59], "label59"}, {Q31TxtLabelG[60], ""}}},
        {"a last line without its line feed", {{"Q12_Labels_EN", Lines(16) + "last"}}, Q12ChargerTxt, 0,
         {{Q12TxtG[16], "last"}}},
        {"overlong label: cut at 63, the rest is the next entry", {{"Q12_Labels_EN", "first\n" + longLine + "\n" +
         Lines(14)}}, Q12ChargerTxt, 0, {{Q12TxtG[0], "first"}, {Q12TxtG[1], longLine.substr(0, 63)},
         {Q12TxtG[2], longLine.substr(64)}, {Q12TxtG[16], "label13"}}},
        {"messages keep inner line feeds, a lone CR is a byte", {{"Gen_MesCom_EN", "one\r\ntwo\r\n" + kSign +
         "\r\nm\r1\r\n" + kSign + "\r\n" + Messages(3)}}, GenChargerTextesCom, 0, {{GMesComG[0], "one\ntwo"},
         {GMesComG[1], "m\r1"}}},
        {"four communication messages and the empty one after them are enough", {{"Gen_MesCom_EN", Messages(4)}},
         GenChargerTextesCom, 0, {{GMesComG[3], "message 3"}, {GMesComG[4], ""}}},
        {"three are short", {{"Gen_MesCom_EN", Messages(3)}}, GenChargerTextesCom, 2, {}},
        {"second file short: its status wins", {{"Gen_LabelsBp_EN", Lines(9)}, {"Gen_Messages_EN", Messages(2)}},
         GenChargerTextes, 2, {}},
        {"first file missing: its status stays, its table empty", {{"Gen_Messages_EN", Messages(5)}},
         GenChargerTextes, 1, {{GLabelBpG[0], ""}, {GMessageG[4], "message 4"}}},
        {"a sign opening an entry writes nothing outside it", {{"Gen_LabelsBp_EN", Lines(9)}, {"Gen_Messages_EN",
         kSign + "\nafter\n" + kSign + "\n" + Messages(3)}}, GenChargerTextes, 0, {{GMessageG[0], ""},
         {GMessageG[1], "after"}, {GLabelBpG[8], "label8"}}},
        {"messages", {{"Q31_Messages_EN", "first line\nsecond line\n" + kSign + "\n" + Messages(16)}},
         Q31ChargerMessages, 0, {{Q31TxtMesG[0], "first line\nsecond line"}, {Q31TxtMesG[16], "message 15"}}},
    };
    // clang-format on
    for (const Cas& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(dir.file("Texts"));
        std::filesystem::create_directory(dir.file("Texts"));
        for (auto& [name, bytes] : c.files)
            qstest::WriteFileBytes(dir.file("Texts/" + name + ".gentxt"), bytes);
        for (auto& [entry, text] : c.entries) std::strcpy(const_cast<char*>(entry), "stale");
        EXPECT_EQ(c.load(0), c.status);
        for (auto& [entry, text] : c.entries) EXPECT_EQ(entry, text);
    }
}

// Day counts from 1 January 2000 and dates are inverse up to the end of 2063 (beyond, the
// outputs are left as they were); halves round toward zero; times show as "h:mm:ss.d".
TEST(GenDate, DayCountsDatesRoundingAndTimeTexts) {
    const int last = GenGregorienNbJours(31, 12, 63);
    int d = 0, m = 0, y = 0;
    for (int count = 0; count <= last + 1; ++count) {
        GenGregorienDate(count, &d, &m, &y);
        ASSERT_EQ(GenGregorienNbJours(d, m, y), count > last ? last : count);
    }
    for (auto [count, day, month, year] : {std::array{0, 1, 1, 0}, {59, 29, 2, 0}, {366, 1, 1, 1}}) {
        GenGregorienDate(count, &d, &m, &y);
        EXPECT_EQ(std::tuple(d, m, y), std::tuple(day, month, year)) << count;
    }
    // February in leap years by four and by four hundred, a year and a century that are not; a bad month.
    for (auto [month, year, days] :
         {std::tuple{2, 2024, 29}, {2, 2000, 29}, {2, 1900, 28}, {2, 2023, 28}, {13, 2011, 31}})
        EXPECT_EQ(GenGregorienDerJourMois(month, year), days) << month << "/" << year;
    for (auto [value, rounded] : {std::pair{2.5, 2}, {2.51, 3}, {-2.5, -2}, {-0.7, -1}, {0.5, 0}, {-3.2, -3}})
        EXPECT_EQ(GenArrondir(value), rounded) << value;
    char text[32];
    for (auto [seconds, decimals, shown] : {std::tuple{3725.5, 1, " 1: 2: 5.5"},
                                            {3725.5, 2, " 1: 2: 5.50"},
                                            {45296.25, 3, "12:34:56.250"},
                                            {36065.0, 0, "10: 1: 5"},
                                            {3600.0, 0, " 1: 0: 0"}}) {
        GenSecondesHMS(seconds, text, decimals);
        EXPECT_STREQ(text, shown);
    }
}

}  // namespace
