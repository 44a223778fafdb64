// The text files shipped in the program folder: complete, in every language.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>

#include "tests/support/TestSupport.h"
#include "ui/Texts.h"

namespace {

// Counts the printf conversions of a text ("%%" is none).
int Conversions(const char* text, int* integers) {
    int n = 0;
    *integers = 0;
    for (const char* p = text; *p; ++p) {
        if (*p != '%') continue;
        if (p[1] == '%') {
            ++p;
            continue;
        }
        ++n;
        if (p[1] == 'd') ++*integers;
    }
    return n;
}

template <size_t N, size_t S>
void ExpectAllFilled(const char (&table)[N][S], const char* name, int language) {
    for (size_t i = 0; i < N; ++i)
        EXPECT_GT(std::strlen(table[i]), 0u) << name << " " << i << " language " << language;
}

TEST(ShippedTexts, EveryLanguageLoadsWholeWithEveryEntryWorded) {
    qstest::TempProgramDir dir;
    for (int language = 0; language < 4; ++language) {
        SCOPED_TRACE(GenCodeLangue(language));
        ASSERT_EQ(GenChargerTextes(language), 0);
        ASSERT_EQ(GenChargerTextesCom(language), 0);
        ASSERT_EQ(Q31ChargerLabels(language), 0);
        ASSERT_EQ(Q31ChargerMessages(language), 0);
        ASSERT_EQ(Q12ChargerTxt(language), 0);
        ExpectAllFilled(GLabelBpG, "GLabelBpG", language);
        ExpectAllFilled(GMessageG, "GMessageG", language);
        ExpectAllFilled(GMesComG, "GMesComG", language);
        ExpectAllFilled(Q31TxtLabelG, "Q31TxtLabelG", language);
        ExpectAllFilled(Q31TxtLabSetG, "Q31TxtLabSetG", language);
        ExpectAllFilled(Q31TxtMesG, "Q31TxtMesG", language);
        ExpectAllFilled(Q12TxtG, "Q12TxtG", language);
        for (int i = 0; i < int(std::size(GMesComG)); ++i) {
            int integers = 0;
            int all = Conversions(GMesComG[i], &integers);
            if (i == 10 || i == 11) {
                EXPECT_EQ(all, 1) << i;
                EXPECT_EQ(integers, 1) << i;
            } else if (i > kMesComNetTitle && i <= kMesComNetLost) {
                EXPECT_EQ(all, 1) << i;  // the address
                EXPECT_NE(std::strstr(GMesComG[i], "%s"), nullptr) << i;
            } else {
                EXPECT_EQ(all, 0) << i;
            }
        }
    }
}

TEST(ShippedTexts, FilesHoldExactlyTheirEntriesWithinTheirSizes) {
    qstest::TempProgramDir dir;
    struct Shape {
        const char* prefix;
        int entries;
        size_t maxBytes;
        bool section;
    };
    // A message's bytes and the line end before its sign share the entry's buffer with
    // the end mark: one byte less than a label of the same buffer.
    const Shape shapes[] = {{"Gen_LabelsBp_", 9, 63, false},
                            {"Gen_Messages_", 5, 126, true},
                            {"Gen_MesCom_", kGMesComCount, 126, true},
                            {"Q31_Labels_", kQ31TxtLabelCount, 63, false},
                            {"Q31_LabSet_", 61, 63, false},
                            {"Q31_Messages_", kQ31TxtMesCount, 254, true},
                            {"Q12_Labels_", kQ12TxtEntrees, 63, false}};
    for (const char* code : {"EN", "FR", "DT", "IT"}) {
        for (const Shape& s : shapes) {
            std::string name = std::string(s.prefix) + code + ".gentxt";
            std::string bytes = qstest::ReadFileBytes(dir.file("Texts/" + name));
            ASSERT_FALSE(bytes.empty()) << name;
            EXPECT_EQ(bytes.find('\r'), std::string::npos) << name;
            const std::string end = s.section ? "\n\xA7\n" : "\n";
            int entries = 0;
            for (size_t pos = 0; pos < bytes.size(); ++entries) {
                size_t stop = bytes.find(end, pos);
                ASSERT_NE(stop, std::string::npos) << name << " entry " << entries << " is not closed";
                EXPECT_LE(stop - pos, s.maxBytes) << name << " entry " << entries;
                pos = stop + end.size();
            }
            EXPECT_EQ(entries, s.entries) << name;
        }
    }
}

}  // namespace
