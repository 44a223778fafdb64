// Text tables: the shipped files of the four languages, and damaged or odd files.
#include "ui/Texts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "tests/support/TestSupport.h"
#include "ui/TextParse.h"

namespace {

const std::string kSign = "\xA7";
std::string Lines(int n, const std::string& stem = "label", const std::string& end = "\n") {
    std::string s;
    for (int i = 0; i < n; ++i) s += stem + std::to_string(i) + end;
    return s;
}
std::string Messages(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += "message " + std::to_string(i) + "\n" + kSign + "\n";
    return s;
}
template <size_t N, size_t S>
int Empty(const char (&table)[N][S]) {
    int n = 0;
    for (auto& e : table) n += e[0] == 0;
    return n;
}
// printf conversions of a text ("%%" is none), "%d" counted as 'd', any other as 's'.
std::string Conversions(const char* text) {
    std::string r;
    for (const char* p = std::strchr(text, '%'); p; p = std::strchr(p + 2, '%'))
        if (p[1] != '%') r += p[1] == 'd' ? 'd' : 's';
    return r;
}

// What the loader reported, as the application's error state would record it.
std::string reported;
void Report(const char* title, const char* text) {
    reported += std::string(title) + ": " + text + "\n";
}

// Every language (255, not chosen yet, reads English) loads whole, each entry worded, each file holds exactly
// its entries within their byte limits, and the messages carry the values their callers pass.
TEST(Texts, ShippedFilesOfEveryLanguage) {
    qstest::TempProgramDir dir;
    struct Shape {
        const char* prefix;
        int entries;
        size_t maxBytes;  // a message shares its buffer with the line end before its sign
        bool section;
    } const shapes[] = {{"Gen_LabelsBp_", 9, 63, false},
                        {"Gen_Messages_", 5, 126, true},
                        {"Gen_MesCom_", kGMesComCount, 126, true},
                        {"Q31_Labels_", kQ31TxtLabelCount, 63, false},
                        {"Q31_LabSet_", 61, 63, false},
                        {"Q31_Messages_", kQ31TxtMesCount, 254, true},
                        {"Q12_Labels_", kQ12TxtEntrees, 63, false}};
    Q31SetTextsFailure(Report);
    for (int language : {0, 1, 2, 3, 255}) {
        const std::string code = GenCodeLangue(language);
        SCOPED_TRACE(code);
        reported.clear();
        Q31G.language = uint8_t(language);
        Q31ChargerTextes();
        EXPECT_EQ(reported, "");
        EXPECT_EQ(Empty(GLabelBpG) + Empty(GMessageG) + Empty(GMesComG) + Empty(Q31TxtLabelG) +
                      Empty(Q31TxtLabSetG) + Empty(Q31TxtMesG) + Empty(Q12TxtG),
                  0);
        for (int i = 0; i < int(std::size(GMesComG)); ++i)
            EXPECT_EQ(Conversions(GMesComG[i]), i == 10 || i == 11                           ? "d"
                                                : i > kMesComNetTitle && i <= kMesComNetLost ? "s"
                                                                                             : "")
                << i;
        for (const Shape& s : shapes) {
            const std::string name = s.prefix + code + ".gentxt";
            const std::string bytes = qstest::ReadFileBytes(dir.file("Texts/" + name));
            EXPECT_EQ(bytes.find('\r'), std::string::npos) << name;
            const std::string end = s.section ? "\n" + kSign + "\n" : "\n";
            int entries = 0;
            for (size_t pos = 0, stop; pos < bytes.size(); pos = stop + end.size(), ++entries) {
                stop = bytes.find(end, pos);
                ASSERT_NE(stop, std::string::npos) << name << " entry " << entries << " is not closed";
                EXPECT_LE(stop - pos, s.maxBytes) << name << " entry " << entries;
            }
            EXPECT_EQ(entries, s.entries) << name;
        }
    }
}

TEST(Texts, LoadingAllRecordsTheFirstFailureAndStopsThere) {
    qstest::TempProgramDir dir;
    Q31SetTextsFailure(Report);
    Q31G.language = 255;  // not chosen yet: English
    Q31ChargerTextes();
    EXPECT_STREQ(GLabelBpG[2], "OK");
    reported.clear();
    const std::string english = Q12TxtG[0];
    qstest::WriteFileBytes(dir.file("Texts/Q31_Messages_FR.gentxt"), "seul message\n\xA7\n");
    Q31G.language = 1;
    Q31ChargerTextes();
    EXPECT_EQ(reported, "Start Clock QS-310 INTERFACE FAILURE: Reading text files incomplete !\n");
    EXPECT_STREQ(Q31TxtMesG[0], "seul message");
    EXPECT_STREQ(Q31TxtLabelG[0], "Connexion");   // the tables before it are French
    EXPECT_EQ(std::string(Q12TxtG[0]), english);  // the one after it was not reloaded
}

// Damaged or odd files in a program folder of their own: the loader's status (0 whole,
// 1 missing, 2 short) and the entries it leaves.
TEST(Texts, DamagedFiles) {
    qstest::TempProgramDir dir(false);
    const std::string longLine = Lines(7, "abcdefghi", "");  // 70 bytes
    struct Cas {
        const char* what;
        std::vector<std::pair<const char*, std::string>> files;  // none: no Texts folder
        uint8_t (*load)(int);
        int language, status;
        std::vector<std::pair<const char*, std::string>> entries;
    };
    // clang-format off
    const Cas cases[] = {
        {"labels: the empty entry after the last line feed counts", {{"Q31_LabSet_EN", Lines(61)},
         {"Q31_Labels_EN", Lines(60)}}, Q31ChargerLabels, 0, 0, {{Q31TxtLabelG[59], "label59"}, {Q31TxtLabelG[60], ""}}},
        {"labels one short: what was read is kept", {{"Q31_LabSet_EN", Lines(61)}, {"Q31_Labels_EN", Lines(59)}},
         Q31ChargerLabels, 0, 2, {{Q31TxtLabelG[58], "label58"}, {Q31TxtLabSetG[60], "label60"}}},
        {"a last line without its line feed", {{"Q12_Labels_EN", Lines(16) + "last"}}, Q12ChargerTxt, 0, 0,
         {{Q12TxtG[16], "last"}}},
        {"overlong label: cut at 63, the rest is the next entry", {{"Q12_Labels_EN", "first\n" + longLine + "\n" +
         Lines(14)}}, Q12ChargerTxt, 0, 0, {{Q12TxtG[0], "first"}, {Q12TxtG[1], longLine.substr(0, 63)},
         {Q12TxtG[2], longLine.substr(64)}, {Q12TxtG[16], "label13"}}},
        {"CR LF line ends", {{"Q12_Labels_EN", Lines(17, "crlf", "\r\n")}}, Q12ChargerTxt, 0, 0,
         {{Q12TxtG[0], "crlf0"}, {Q12TxtG[16], "crlf16"}}},
        {"messages keep inner line feeds, a lone CR is a byte", {{"Gen_MesCom_EN", "one\r\ntwo\r\n" + kSign +
         "\r\nm\r1\r\n" + kSign + "\r\n" + Messages(3)}}, GenChargerTextesCom, 0, 0, {{GMesComG[0], "one\ntwo"},
         {GMesComG[1], "m\r1"}}},
        {"four communication messages and the empty one after them are enough", {{"Gen_MesCom_EN", Messages(4)}},
         GenChargerTextesCom, 0, 0, {{GMesComG[3], "message 3"}, {GMesComG[4], ""}}},
        {"three are short", {{"Gen_MesCom_EN", Messages(3)}}, GenChargerTextesCom, 0, 2, {}},
        {"second file short: its status wins", {{"Gen_LabelsBp_EN", Lines(9)}, {"Gen_Messages_EN", Messages(2)}},
         GenChargerTextes, 0, 2, {}},
        {"first file missing: its status stays, its table empty", {{"Gen_Messages_EN", Messages(5)}},
         GenChargerTextes, 0, 1, {{GLabelBpG[0], ""}, {GMessageG[4], "message 4"}}},
        {"a sign opening an entry writes nothing outside it", {{"Gen_LabelsBp_EN", Lines(9)}, {"Gen_Messages_EN",
         kSign + "\nafter\n" + kSign + "\n" + Messages(3)}}, GenChargerTextes, 0, 0, {{GMessageG[0], ""},
         {GMessageG[1], "after"}, {GLabelBpG[8], "label8"}}},
        {"messages", {{"Q31_Messages_EN", "first line\nsecond line\n" + kSign + "\n" + Messages(16)}},
         Q31ChargerMessages, 0, 0, {{Q31TxtMesG[0], "first line\nsecond line"}, {Q31TxtMesG[16], "message 15"}}},
        {"unknown language reads English", {{"Q12_Labels_EN", Lines(17, "en")}, {"Q12_Labels_FR", Lines(17, "fr")}},
         Q12ChargerTxt, 7, 0, {{Q12TxtG[0], "en0"}}},
        {"German", {{"Q12_Labels_EN", Lines(17, "en")}, {"Q12_Labels_DT", Lines(17, "de")}}, Q12ChargerTxt, 2, 0,
         {{Q12TxtG[0], "de0"}}},
        {"no folder", {}, Q12ChargerTxt, 0, 1, {{Q12TxtG[0], ""}}}, {"no folder", {}, GenChargerTextes, 0, 1, {}},
        {"no folder", {}, GenChargerTextesCom, 0, 1, {}}, {"no folder", {}, Q31ChargerLabels, 0, 1, {}},
        {"no folder", {}, Q31ChargerMessages, 0, 1, {}},
    };
    // clang-format on
    for (const Cas& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(dir.file("Texts"));
        if (!c.files.empty()) std::filesystem::create_directory(dir.file("Texts"));
        for (auto& [name, bytes] : c.files)
            qstest::WriteFileBytes(dir.file("Texts/" + std::string(name) + ".gentxt"), bytes);
        for (auto& [entry, text] : c.entries) std::strcpy(const_cast<char*>(entry), "stale");
        EXPECT_EQ(c.load(c.language), c.status);
        for (auto& [entry, text] : c.entries) EXPECT_EQ(entry, text);
    }
    EXPECT_STREQ(GenCodeLangue(1), "FR");
    EXPECT_STREQ(GenCodeLangue(3), "IT");
    EXPECT_STREQ(GenCodeLangue(-1), "EN");
}

// Whatever the bytes, every entry stays terminated and nothing is written outside the table.
TEST(Texts, ParserStaysInsideItsTable) {
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
            EXPECT_EQ(std::string(block.before, 8) + std::string(block.after, 8), std::string(16, 0x55))
                << len;
        }
    }
    // A file ending right after the sign has no extra entry; with its line feed it has one.
    const std::string data = "a\n\xA7\nb\n\xA7\n";
    char table[5][16] = {};
    for (size_t len : {data.size() - 1, data.size()})
        EXPECT_EQ(GenLireEntrees(reinterpret_cast<const unsigned char*>(data.data()), len, &table[0][0], 5,
                                 16, true),
                  len == data.size() ? 3 : 2);
    EXPECT_STREQ(table[1], "b");
}

}  // namespace
