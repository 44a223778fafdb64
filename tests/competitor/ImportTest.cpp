// Competitor lists read from real .xlsx, .xls, .ods and .csv files, each described in one line
// (Describe); the lists and settings files as laid out, and read back whatever they hold.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <sstream>
#include <tuple>

#include "competitor/Q12Classeur.h"
#include "competitor/Q12Fichiers.h"
#include "competitor/Q12Import.h"
#include "competitor/Q12Listes.h"
#include "competitor/Q12Texte.h"
#include "tests/support/TestSupport.h"
using Make = std::function<void(const std::string& path)>;  // none: a committed fixture, or made before

namespace {

// Cells as "A2=102|B2= 7|A3==A2+1;103|B3=Ab^cd": a number, a formula and its result after ';', else a
// UTF-8 text; '^' splits a text into two runs, as a text formatted within its cell is stored.
void Put(lxw_worksheet* ws, const std::string& cells) {
    std::stringstream in(cells);
    for (std::string cell; std::getline(in, cell, '|');) {
        const std::string name = cell.substr(0, cell.find('='));
        std::string v = cell.substr(name.size() + 1), formula;
        if (v[0] == '=') {
            formula = v.substr(0, v.rfind(';'));
            v = v.substr(v.rfind(';') + 1);
        }
        const auto [row, col] = std::pair(lxw_name_to_row(name.c_str()), lxw_name_to_col(name.c_str()));
        char* end = nullptr;
        const double n = std::strtod(v.c_str(), &end);
        const bool number = !v.empty() && v[0] != ' ' && *end == 0;
        if (!formula.empty())
            number ? worksheet_write_formula_num(ws, row, col, formula.c_str(), nullptr, n)
                   : worksheet_write_formula_str(ws, row, col, formula.c_str(), nullptr, v.c_str());
        else if (number)
            worksheet_write_number(ws, row, col, n, nullptr);
        else if (const size_t cut = v.find('^'); cut != std::string::npos) {
            std::string first = v.substr(0, cut), second = v.substr(cut + 1);
            lxw_rich_string_tuple a{nullptr, first.data()}, b{nullptr, second.data()};
            lxw_rich_string_tuple* runs[] = {&a, &b, nullptr};
            worksheet_write_rich_string(ws, row, col, runs, nullptr);
        } else
            worksheet_write_string(ws, row, col, v.c_str(), nullptr);
    }
}

// An .xlsx of the sheets given as cells (Put), apart by '#'. Inline: written row by row as streaming
// tools write it, strings in the cells (t="inlineStr") and no shared string table.
Make Xlsx(const std::string& sheets, bool inlineStrings = false) {
    return [=](const std::string& path) {
        lxw_workbook_options options{};
        options.constant_memory = inlineStrings ? LXW_TRUE : LXW_FALSE;
        lxw_workbook* wb = workbook_new_opt(path.c_str(), &options);
        ASSERT_NE(wb, nullptr) << path;
        std::stringstream in(sheets);
        for (std::string one; std::getline(in, one, '#');) Put(workbook_add_worksheet(wb, nullptr), one);
        EXPECT_EQ(workbook_close(wb), LXW_NO_ERROR) << path;
    };
}

std::string Describe(const std::string& path, const Q12Cnf& cnf) {
    static constexpr const char* kStops[] = {"end", "limit", "failed", "formula"};
    Q12Echec echec;
    auto book = Q12OuvrirClasseur(path.c_str(), &echec);
    if (!book) return "refused " + std::to_string(int(echec));
    Q12Lecture l;
    if (!Q12LireListe(*book, cnf, &l)) return "refused " + std::to_string(int(l.echec));
    std::string s = std::to_string(l.nombre) + " " + kStops[int(l.arret)] + " at " + std::to_string(l.ligne);
    if (!l.formules.empty()) s += ", " + std::to_string(l.formules.size()) + " formula rows";
    for (int i = 0; i < l.nombre; ++i) {
        const Q12ConcurrentRec& r = (*l.liste)[size_t(i)];
        if (l.nombre <= 10 || i == 0 || i == l.nombre - 1)
            s += " | " + std::to_string(r.Numero) + " " + r.Texte1 + "/" + r.Texte2 + "/" + r.Texte3;
    }
    return s;
}

struct Case {
    const char* name;
    Make make;
    std::string expected;
    int sheet = 1, first = 2;
    const char* columns = "ABCE";  // number, texts 1 to 3; '\0' for none
};

class CompetitorImport : public ::testing::Test {
protected:
    void SetUp() override {
        Q12AllouerListes();  // fresh and empty: the lists are freed after each test
        Q12CnfDefaut(&Q12CnfG);
    }
    void TearDown() override { Q12LibererListes(); }
    static std::string Refused(Q12Echec why) { return "refused " + std::to_string(int(why)); }
    static Make Text(std::string bytes) {
        return [bytes](const std::string& path) { qstest::WriteFileBytes(path, bytes); };
    }
    qstest::TempProgramDir dir{false};
};

// The bytes with every occurrence of `from` after the first `skip` ones replaced.
std::string Patched(std::string bytes, const std::string& from, const std::string& to, int skip = 0) {
    for (size_t at = bytes.find(from); at != std::string::npos; at = bytes.find(from, at + 1))
        if (skip-- <= 0) bytes.replace(at, from.size(), to);
    return bytes;
}

// The text in UTF-16, little-endian unless said.
std::string Utf16(std::u16string_view text, bool bigEndian = false) {
    std::string bytes;
    for (char16_t u : text) {
        const char pair[] = {char(u & 0xFF), char(u >> 8)};
        bytes += bigEndian ? std::string{pair[1], pair[0]} : std::string{pair[0], pair[1]};
    }
    return bytes;
}

// A workbook file whose directory lists an empty summary stream ahead of the workbook, as some
// writers order it.
std::string SummaryFirst(std::string b) {
    uint32_t sector;
    std::memcpy(&sector, b.data() + 0x30, 4);
    const size_t entry = (sector + 1) * 512 + 128;  // the first after the root
    b.replace(entry + 128, 128, b, entry, 128);
    const std::u16string name = u"\u0005SummaryInformation";
    std::string summary(128, '\0');
    std::memcpy(summary.data(), name.data(), name.size() * 2);
    summary[0x40] = char(name.size() * 2 + 2);
    summary[0x42] = 2;  // a stream, black in the directory's tree
    summary[0x43] = 1;
    // No left sibling, the workbook on its right, no child, no sectors.
    for (auto [at, v] : {std::pair{0x44, 0xFFFFFFFFu}, {0x48, 2u}, {0x4C, 0xFFFFFFFFu}, {0x74, 0xFFFFFFFEu}})
        std::memcpy(summary.data() + at, &v, 4);
    return b.replace(entry, 128, summary);
}

TEST_F(CompetitorImport, ListsReadOrRefused) {
    const std::string x(100, 'x'), x63(63, 'x'), x41(41, 'x');
    std::string wide;  // strings in the cells as streaming tools write them, in runs; cells beyond column Z
    for (int r = 1; r <= 1010; ++r) {
        const std::string row = std::to_string(r + 1), n = std::to_string(r);
        wide += "|A" + row + "=" + n + "|B" + row + "=Ann ^ " + n;
        for (const char* c : {"AA", "AG", "EA", "XFD"}) wide += "|" + std::string(c) + row + "=9";
    }
    std::string big;
    for (int r = 1; r <= 1100000; ++r) big += std::to_string(r) + ",Name " + std::to_string(r) + "\n";
    const std::string good = qstest::ReadFileBytes(QS_COMPETITOR_FIXTURES "/competitors.xlsx"),
                      ods = qstest::ReadFileBytes(QS_COMPETITOR_FIXTURES "/competitors.ods"),
                      xls = qstest::ReadFileBytes(QS_COMPETITOR_FIXTURES "/competitors.xls");
    ASSERT_EQ(mkfifo(dir.file("pipe.csv").c_str(), 0600), 0);  // refused without waiting for a writer
    const std::string format = Refused(Q12Echec::Format), unreadable = Refused(Q12Echec::Illisible);
    const Case cases[] = {
        {"shifted.xlsx", Xlsx("C4=99|C5=7|C6=8|A5=1|Z5=club-z|B5=name-b|D5=no"),
         "2 end at 7 | 7 name-b//club-z | 8 //", 1, 5, "CB\0Z"},
        // "Müller €", two CJK characters, numbers as texts, texts cut to their fields.
        {"texts.xlsx",
         Xlsx("A2=1|B2=M\xC3\xBCller ^"
              "\xE2\x82\xAC|C2=\xE6\x97\xA5\xE6\x9C\xAC|E2=42|A3=2|B3=3.5|C3=-7|A4=3|B4=" +
              x + "|C4=" + x + "|E4=" + x),
         "3 end at 5 | 1 M\xFCller \x80/\?\?/42 | 2 3.5/-7/ | 3 " + x63 + "/" + x63 + "/" + x41},
        {"sheets.xlsx", Xlsx("A2=11|A3=12#A2=22|A3=23"), "2 end at 4 | 22 // | 23 //", 2},
        {"sheets.xlsx", nullptr, Refused(Q12Echec::Feuille), 3},
        {"formula.xlsx", Xlsx("A2=1|A3==A2+1;2|B3==\"Ab\"&\"c\";Abc"), "2 end at 4 | 1 // | 2 Abc//"},
        {"wide.xlsx", Xlsx(wide.substr(1), true), "1000 limit at 1002 | 1 Ann  1// | 1000 Ann  1000//"},
        // The number column ends the list at a text that is no number; digits as a text are read.
        {"numbers.xlsx", Xlsx("A2=5|A3= 12 |A4=6#A2=5|A3=2.6|A4=6#A2=5|A3=12a|A4=6"),
         "3 end at 5 | 5 // | 12 // | 6 //"},
        {"numbers.xlsx", nullptr, "3 end at 5 | 5 // | 3 // | 6 //", 2},
        {"numbers.xlsx", nullptr, "1 end at 3 | 5 //", 3},
        {"competitors.xls", nullptr,
         "10 end at 12 | 101 Name0/First0/Club0 | 102 M\xFCller/Zo\xEB/Club1 | 103 Name2/First2/Club2 | 104 "
         "Name3/First3/42 | 105 Name4/First4/3.5 | 106 " +
             std::string(63, 'N') +
             "/First5/Club5 | 107 Name6/"
             "First6/Club6 | 108 Name7/First7/Club7 | 109 Name8/First8/Club8 | 110 Name9/First9/Club9"},
        {"summary.xls", Text(SummaryFirst(xls)), "2 end at 4 | 7 // | 8 //", 2},
        {"declared_sheets.xls", nullptr, Refused(Q12Echec::TropGrand)},
        {"competitors_2000.xls", nullptr,  // longer than a list: its first thousand, not refused
         "1000 limit at 1002 | 1 Name of competitor 1/First name 1/Club 1 | "
         "1000 Name of competitor 1000/First name 1000/Club 0"},
        {"competitors.xlsx", nullptr, "4 end at 6 | 301 Runner// | 302 // | 303 // | 304 //"},  // list.xml
        {"formulas.xls", nullptr, "1 formula at 3, 3 formula rows | 1 Ann//"},
        {"competitors.ods", nullptr,
         "5 end at 7 | 201 Name0/First0/Club0 | 202 M\xFCller/First1/Club1 | 203 Name2/First2/42 | 204 "
         "Name3/First3/Club3 | 205 Name4/First4/Club4"},
        {"competitors.ods", nullptr, "4 end at 6 | 9 a b   c d// | 5 // | 5 // | 10 //", 2},
        {"repeats.ods", nullptr, "1000 limit at 1002 | 7 Ann  Lee// | 7 Ann  Lee//"},
        {"list.csv",
         Text("Bib,Name,First,Cat,Club\r\n1,\"Doe, Jr\",John,M,\"Club \"\"A\"\"\"\r\n2,Roe,Ann,F,B\r\n"
              "\r\n3,X,Y,Z,W\r\n"),
         "2 end at 4 | 1 Doe, Jr/John/Club \"A\" | 2 Roe/Ann/B"},
        // A list saved by a French spreadsheet: ';' and Windows-1252 bytes.
        {"liste.csv",
         Text("Dossard;Nom;Pr\xE9nom;Cat;Club\n10;B\xE9rard;L\xE9o;M;Les \xC9toiles\n11;Z;Z;Z;Z"),
         "2 end at 4 | 10 B\xE9rard/L\xE9o/Les \xC9toiles | 11 Z/Z/Z"},
        {"big.csv", Text(big), "1000 limit at 1001 | 1 Name 1// | 1000 Name 1000//", 1, 1},
        // Saved as "Unicode text": UTF-16 with its mark, tabs; a letter beyond 16 bits, a half pair.
        {"unicode.txt",
         Text(Utf16(u"\uFEFFNr\tName\tClub\r\n7\tM\u00FCller \u0141\t\U0001F3C1\r\n8\t\xD800x\t\u20AC")),
         "2 end at 4 | 7 M\xFCller L/?/ | 8 ?x/\x80/"},
        {"unicode.csv", Text(Utf16(u"\uFEFF5,Ann", true)), "1 end at 2 | 5 Ann//", 1, 1},
        // Corrupt, foreign and hostile files.
        {"truncated.xlsx", Text(good.substr(0, good.size() / 2)), unreadable},
        {"empty.xlsx", Text(""), format},
        {"signature.xlsx", Text("PK\x03\x04"), unreadable},
        {"directory.xlsx", Text(Patched(good, "PK\x01\x02", "PK\x01\x07")), unreadable},
        {"member.xlsx", Text(Patched(good, "PK\x03\x04", "PK\x03\x07", 1)), unreadable},
        {"foreign.ods", Text(Patched(ods, "content.xml", "content.xmz")), format},
        {"garbage.xls", Text(std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + good), unreadable},
        {"binary.csv", Text(std::string("1,2\0,3", 6)), format},
        {"pipe.csv", [](const std::string&) {}, Refused(Q12Echec::Introuvable)},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        const bool made = k.make || qstest::FileSize(dir.file(k.name)) >= 0;
        const std::string path = made ? dir.file(k.name) : std::string(QS_COMPETITOR_FIXTURES "/") + k.name;
        if (k.make) k.make(path);
        Q12Cnf cnf = Q12CnfG;
        std::tie(cnf.Feuille, cnf.PremiereLigne, cnf.ColNumero, cnf.ColTexte1, cnf.ColTexte2, cnf.ColTexte3) =
            std::tuple(k.sheet, k.first, k.columns[0], k.columns[1], k.columns[2], k.columns[3]);
        // Each in a process of its own, ended by an alarm after a minute: within its time and memory,
        // whatever the file. Its description comes back through a pipe, read until the child ends.
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const pid_t child = fork();
        if (child == 0) {
            alarm(60);
            const std::string out = Describe(path, cnf);
            _exit(write(fds[1], out.data(), out.size()) == ssize_t(out.size()) ? 0 : 2);
        }
        close(fds[1]);
        EXPECT_EQ(qstest::ReadFileBytes("/proc/self/fd/" + std::to_string(fds[0])), k.expected);
        close(fds[0]);
        int status = 0;
        struct rusage usage {};
        wait4(child, &status, 0, &usage);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "not within a minute";
        EXPECT_LT(usage.ru_maxrss / 1024, qstest::MemoryBound(300));
    }
}

TEST(CompetitorText, Utf8ToWindows1252) {
    // Malformed: lone lead, stray continuation, overlong, surrogates; beyond the code page; cut short.
    const char* text =
        "caf\xC3\xA9 \xE2\x82\xAC \xC5\x92|a\xC3z|a\x80z|\xC0\xAF|\xE0\x80\xAF|\xED\xA0\x80|"
        "\xED\xBF\xBF|\xF0\x9F\x98\x80!|\xF4\x90\x80\x80|line\r\nnext\tx|ab\xE2\x82";
    EXPECT_EQ(Q12Utf8VersCp1252(text, 1000), "caf\xE9 \x80 \x8C|a?z|a?z|?|?|?|?|?!|?|line  next x|ab??");
    EXPECT_EQ(Q12Utf8VersCp1252("\xC3\xA9\xC3\xA9\xC3\xA9", 2), "\xE9\xE9");  // cut by bytes written
    // Letters the code page lacks, as the nearest it has; accents written apart joined to their letter.
    const std::pair<const char*, const char*> names[] = {{"Łukasz Wójcik", "Lukasz W\xF3jcik"},
                                                         {"Dvořák Čapek", "Dvor\xE1k Capek"},
                                                         {"Erdős Ű", "Erd\xF6s \xDC"},
                                                         {"Ștefan Țiriac", "Stefan Tiriac"},
                                                         {"Zu\u0308rich ze\u0301", "Z\xFCrich z\xE9"},
                                                         {"c\u030C S\u030C \u0301x", "c \x8A x"}};
    for (auto [utf8, kept] : names) EXPECT_EQ(Q12Utf8VersCp1252(utf8, 1000), kept) << utf8;
    EXPECT_EQ(Q12Utf8VersCp1252("ae\u0301b", 2), "a\xE9");  // the accent on the last letter kept
    std::string all;  // every Windows-1252 byte survives the trip through UTF-8
    for (int c = 0x20; c <= 0xFF; ++c) all += char(c);
    EXPECT_TRUE(Q12EstUtf8(Q12Cp1252VersUtf8(all)));
    EXPECT_EQ(Q12Utf8VersCp1252(Q12Cp1252VersUtf8(all), 1000), all);
}

Q12ConcurrentRec Rec(int n, const char* t1 = "", uint8_t sent = 0) {
    Q12ConcurrentRec r{n, {}, sent, 0, {}, {}, {}};  // every field given: the number, the sent flag, zeros
    std::strcpy(r.Texte1, t1);
    return r;
}
std::string WithInt(std::string bytes, size_t offset, int32_t v) {
    std::memcpy(bytes.data() + offset, &v, 4);
    return bytes;
}

// The sent list keeps its newest thousand; the current lists' file is laid out as the records, and
// the counts it holds are cut to the lists; settings outside the import dialog's choices are repaired.
TEST_F(CompetitorImport, ListsAndSettingsFilesAreLaidOutAndReadWithinBounds) {
    for (int n = 1; n <= 1001; ++n) ASSERT_LT(Q12HistoAjouter(Rec(n)), 1000);
    const Q12ConcurrentRec &oldest = (*Q12HistoG)[0], &newest = (*Q12HistoG)[999];
    EXPECT_EQ(std::tuple(Q12NbHistoG, oldest.Numero, newest.Numero, newest.Envoye),
              std::tuple(1000, 2, 1001, 1));
    (*Q12ListeG)[0] = Rec(5, "Alpha");
    (*Q12ListeG)[1] = (*Q12HistoG)[0] = Rec(6, "Beta", 1);
    Q12NbListeG = 2;
    Q12NbHistoG = 1;
    ASSERT_TRUE(Q12CourantSauver("Courant.q12ct"));
    const std::string good = qstest::ReadFileBytes(dir.file("Courant.q12ct"));
    ASSERT_EQ(good.size(), 360008u);
    for (auto [offset, value] : {std::pair{0, 2}, {4, 5}, {184, 6}, {180004, 1}, {180008, 6}})
        EXPECT_EQ(good.substr(size_t(offset), 4), std::string({char(value), 0, 0, 0})) << offset;
    // The first texts and the sent flag (byte 8 of a record) at their offsets.
    EXPECT_EQ(good.substr(14, 6) + good[192] + good.substr(180018, 5), std::string("Alpha\0\1Beta\0", 12));

    for (auto [name, bytes, list, sent] :
         {std::tuple{"counts beyond the lists", WithInt(WithInt(good, 0, 5000), 180004, -3), 1000, 0},
          {"cut short: fewer slots than its count", WithInt(good, 0, 900).substr(0, 4 + 180 * 10 + 7), 10, 0},
          {"texts without their terminating zero", std::string(good).replace(14, 170, 170, 'x'), 2, 1}}) {
        SCOPED_TRACE(name);
        qstest::WriteFileBytes(dir.file("Courant.q12ct"), bytes);
        Q12CourantCharger("Courant.q12ct");
        EXPECT_EQ(std::pair(Q12NbListeG, Q12NbHistoG), std::pair(list, sent));
    }
    const Q12ConcurrentRec& r = (*Q12ListeG)[0];
    EXPECT_EQ(std::tuple(std::strlen(r.Texte1), std::strlen(r.Texte2), std::strlen(r.Texte3)),
              std::tuple(63u, 63u, 41u));  // the last file's texts, cut within their fields

    Q12Cnf set = Q12CnfG;
    std::tie(set.Feuille, set.PremiereLigne, set.ColNumero, set.ColTexte1) = std::tuple(-2, 0, '%', 'z');
    std::memset(set.Chemin, 'p', sizeof set.Chemin);
    qstest::WriteFileBytes(dir.file(kQ12FichierCnf), std::string(reinterpret_cast<char*>(&set), sizeof set));
    Q12CnfCharger();
    EXPECT_EQ(std::tuple(Q12CnfG.Feuille, Q12CnfG.PremiereLigne, Q12CnfG.ColNumero, Q12CnfG.ColTexte1),
              std::tuple(1, 1, 'A', '\0'));
    EXPECT_EQ(std::strlen(Q12CnfG.Chemin), 259u);
}

}  // namespace
