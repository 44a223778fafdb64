// Text tables: loading the files of a language, cutting entries, counting them.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "tests/support/TestSupport.h"
#include "ui/TextParse.h"
#include "ui/Texts.h"

namespace {

const std::string kSection = "\xA7";

// A program folder with an empty "Texts" to which each test adds its files.
class TextFiles : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directory(dir_.file("Texts")); }
    void Write(const std::string& name, const std::string& bytes) {
        qstest::WriteFileBytes(dir_.file("Texts/" + name), bytes);
    }
    static std::string Lines(int n, const std::string& stem = "label") {
        std::string s;
        for (int i = 0; i < n; ++i) s += stem + std::to_string(i) + "\n";
        return s;
    }
    static std::string Messages(int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s += "message " + std::to_string(i) + "\n" + kSection + "\n";
        return s;
    }
    qstest::TempProgramDir dir_{false};
};

TEST_F(TextFiles, LabelFileNeedsAllItsEntriesTheEmptyLastOneCounting) {
    Write("Q31_LabSet_EN.gentxt", Lines(61));
    Write("Q31_Labels_EN.gentxt", Lines(60));
    EXPECT_EQ(Q31ChargerLabels(0), 0);  // 60 lines + the empty entry after the last LF
    EXPECT_STREQ(Q31TxtLabelG[59], "label59");
    EXPECT_STREQ(Q31TxtLabelG[60], "");

    Write("Q31_Labels_EN.gentxt", Lines(59));
    EXPECT_EQ(Q31ChargerLabels(0), 2);
    EXPECT_STREQ(Q31TxtLabelG[58], "label58");  // what was read is kept
    EXPECT_STREQ(Q31TxtLabSetG[60], "label60");

    // A last line without its line feed is an entry of its own.
    Write("Q12_Labels_EN.gentxt", Lines(16) + "last");
    EXPECT_EQ(Q12ChargerTxt(0), 0);
    EXPECT_STREQ(Q12TxtG[16], "last");
}

TEST_F(TextFiles, SecondFileStatusWinsOverTheFirst) {
    Write("Gen_Messages_EN.gentxt", Messages(2));
    EXPECT_EQ(GenChargerTextes(0), 2);  // labels missing, messages short: the second status
    Write("Gen_LabelsBp_EN.gentxt", Lines(9));
    EXPECT_EQ(GenChargerTextes(0), 2);
    Write("Gen_Messages_EN.gentxt", Messages(5));
    EXPECT_EQ(GenChargerTextes(0), 0);
    std::filesystem::remove(dir_.file("Texts/Gen_LabelsBp_EN.gentxt"));
    EXPECT_EQ(GenChargerTextes(0), 1);  // second file fine: the first file's failure stays
    EXPECT_STREQ(GLabelBpG[0], "");     // and its table is left empty
}

TEST_F(TextFiles, OverlongLabelIsCutAndShiftsTheFollowingLabels) {
    std::string longLine(70, 'x');
    for (int i = 0; i < 70; ++i) longLine[i] = char('A' + i % 26);
    Write("Q12_Labels_EN.gentxt", "first\n" + longLine + "\n" + Lines(14));
    EXPECT_EQ(Q12ChargerTxt(0), 0);
    EXPECT_STREQ(Q12TxtG[0], "first");
    EXPECT_EQ(std::strlen(Q12TxtG[1]), 63u);  // 64 bytes taken, the last one gives way to the end mark
    EXPECT_EQ(std::string(Q12TxtG[1]), longLine.substr(0, 63));
    EXPECT_EQ(std::string(Q12TxtG[2]), longLine.substr(64));  // the rest of the line
    EXPECT_STREQ(Q12TxtG[3], "label0");                       // shifted by one
    EXPECT_STREQ(Q12TxtG[16], "label13");
}

TEST_F(TextFiles, MessagesKeepInnerLineFeedsAndLoseTheOneBeforeTheSign) {
    Write("Q31_Messages_EN.gentxt", "first line\nsecond line\n" + kSection + "\n" + Messages(16));
    EXPECT_EQ(Q31ChargerMessages(0), 0);
    EXPECT_STREQ(Q31TxtMesG[0], "first line\nsecond line");
    EXPECT_STREQ(Q31TxtMesG[1], "message 0");
    EXPECT_STREQ(Q31TxtMesG[16], "message 15");
}

TEST_F(TextFiles, CommunicationMessagesNeedOnlyTheFirstFive) {
    Write("Gen_MesCom_EN.gentxt", Messages(4));
    EXPECT_EQ(GenChargerTextesCom(0), 0);  // 4 messages + the empty entry after the last sign
    EXPECT_STREQ(GMesComG[3], "message 3");
    for (int i = 4; i < 16; ++i) EXPECT_STREQ(GMesComG[i], "") << i;
    Write("Gen_MesCom_EN.gentxt", Messages(3));
    EXPECT_EQ(GenChargerTextesCom(0), 2);
}

TEST_F(TextFiles, UnknownLanguageReadsEnglishFiles) {
    Write("Q12_Labels_EN.gentxt", Lines(17, "en"));
    Write("Q12_Labels_FR.gentxt", Lines(17, "fr"));
    Write("Q12_Labels_DT.gentxt", Lines(17, "de"));
    EXPECT_EQ(Q12ChargerTxt(7), 0);
    EXPECT_STREQ(Q12TxtG[0], "en0");
    EXPECT_EQ(Q12ChargerTxt(255), 0);
    EXPECT_STREQ(Q12TxtG[0], "en0");
    EXPECT_EQ(Q12ChargerTxt(2), 0);
    EXPECT_STREQ(Q12TxtG[0], "de0");
    EXPECT_STREQ(GenCodeLangue(1), "FR");
    EXPECT_STREQ(GenCodeLangue(3), "IT");
    EXPECT_STREQ(GenCodeLangue(-1), "EN");
}

TEST_F(TextFiles, MissingFolderGivesStatusOneAndEmptyTables) {
    std::strcpy(Q12TxtG[0], "stale");
    std::filesystem::remove_all(dir_.file("Texts"));
    EXPECT_EQ(GenChargerTextes(0), 1);
    EXPECT_EQ(GenChargerTextesCom(0), 1);
    EXPECT_EQ(Q31ChargerLabels(0), 1);
    EXPECT_EQ(Q31ChargerMessages(0), 1);
    EXPECT_EQ(Q12ChargerTxt(0), 1);
    EXPECT_STREQ(Q12TxtG[0], "");
}

TEST_F(TextFiles, CarriageReturnBeforeLineFeedIsPartOfTheLineEnd) {
    std::string labels;
    for (int i = 0; i < 17; ++i) labels += "crlf" + std::to_string(i) + "\r\n";
    Write("Q12_Labels_EN.gentxt", labels);
    EXPECT_EQ(Q12ChargerTxt(0), 0);
    EXPECT_STREQ(Q12TxtG[0], "crlf0");
    EXPECT_STREQ(Q12TxtG[16], "crlf16");

    std::string messages = "one\r\ntwo\r\n" + kSection + "\r\n";
    for (int i = 1; i < 5; ++i) messages += "m\r" + std::to_string(i) + "\r\n" + kSection + "\r\n";
    Write("Gen_MesCom_EN.gentxt", messages);
    EXPECT_EQ(GenChargerTextesCom(0), 0);
    EXPECT_STREQ(GMesComG[0], "one\ntwo");
    EXPECT_STREQ(GMesComG[1], "m\r1");  // a lone CR is an ordinary byte
}

TEST_F(TextFiles, SignAtTheStartOfAnEntryWritesNothingOutsideIt) {
    std::strcpy(GMessageG[0], "stale");
    Write("Gen_LabelsBp_EN.gentxt", Lines(9));
    Write("Gen_Messages_EN.gentxt", kSection + "\nafter\n" + kSection + "\n" + Messages(3));
    EXPECT_EQ(GenChargerTextes(0), 0);
    EXPECT_STREQ(GMessageG[0], "");
    EXPECT_STREQ(GMessageG[1], "after");
    EXPECT_STREQ(GLabelBpG[8], "label8");  // the table before is untouched
}

TEST(TextParse, EveryEntryStaysTerminatedWhateverTheInput) {
    // Entries guarded on both sides: a write past an entry would show in the guards.
    struct {
        char before[8];
        char table[3][16];
        char after[8];
    } block;
    for (bool section : {false, true}) {
        for (size_t len : {0u, 1u, 15u, 16u, 17u, 47u, 48u, 49u, 200u}) {
            std::memset(&block, 0x55, sizeof block);
            std::memset(block.table, 0, sizeof block.table);
            std::string data(len, section ? 'm' : 'l');
            for (size_t i = 3; i < len; i += 7) data[i] = "\n\xA7\r"[i % 3];
            GenLireEntrees(reinterpret_cast<const unsigned char*>(data.data()), data.size(),
                           &block.table[0][0], 3, 16, section);
            for (auto& e : block.table) EXPECT_LT(strnlen(e, 16), 16u) << len;
            for (char c : block.before) EXPECT_EQ(c, 0x55);
            for (char c : block.after) EXPECT_EQ(c, 0x55);
        }
    }
}

TEST(TextParse, FileEndingRightAfterTheSignHasNoExtraEntry) {
    std::string data = "a\n\xA7\nb\n\xA7";
    char table[5][16] = {};
    EXPECT_EQ(GenLireEntrees(reinterpret_cast<const unsigned char*>(data.data()), data.size(), &table[0][0],
                             5, 16, true),
              2);
    data += "\n";
    EXPECT_EQ(GenLireEntrees(reinterpret_cast<const unsigned char*>(data.data()), data.size(), &table[0][0],
                             5, 16, true),
              3);
    EXPECT_STREQ(table[1], "b");
}

}  // namespace
