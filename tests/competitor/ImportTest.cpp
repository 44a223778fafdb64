// Competitor import: real .xlsx, .xls and .csv files read into the waiting list.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <xlsxwriter.h>

#include <cstring>
#include <fstream>
#include <random>
#include <string>

#include "competitor/Q12Classeur.h"
#include "competitor/Q12Import.h"
#include "competitor/Q12Listes.h"
#include "competitor/Q12Texte.h"
#include "tests/competitor/Q12Fixtures.h"
#include "tests/support/TestSupport.h"

using q12test::MakeXlsx;
using q12test::PutNumber;
using q12test::PutText;

namespace {

class CompetitorImport : public ::testing::Test {
protected:
    void SetUp() override {
        Q12AllouerListes();
        Q12EffacerListes();
        Q12CnfDefaut(&cnf);
    }
    void TearDown() override { Q12LibererListes(); }

    // Opens path, reads it with cnf and puts the list read in place; false if it could
    // not be opened or its sheet read.
    bool Read(const std::string& path) {
        Q12Echec echec;
        auto c = Q12OuvrirClasseur(path.c_str(), &echec);
        if (!c || !Q12LireListe(*c, cnf, &lecture)) return false;
        Q12AppliquerLecture(lecture, path.c_str());
        return true;
    }
    const Q12ConcurrentRec& At(int i) { return (*Q12ListeG)[size_t(i)]; }
    void WriteText(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }

    q12test::Scratch dir;
    Q12Cnf cnf{};
    Q12Lecture lecture;
};

TEST_F(CompetitorImport, XlsxReadsNumbersUntilTheFirstEmptyCell) {
    std::string path = dir.file("list.xlsx");
    MakeXlsx(path, 1, [](int, lxw_worksheet* ws) {
        PutText(ws, "A1", "Bib");
        for (int r = 2; r <= 11; ++r) {
            std::string row = std::to_string(r);
            PutNumber(ws, ("A" + row).c_str(), 100 + r);
            PutText(ws, ("B" + row).c_str(), "Name" + row);
            PutText(ws, ("C" + row).c_str(), "First" + row);
            PutText(ws, ("D" + row).c_str(), "Cat" + row);
            PutText(ws, ("E" + row).c_str(), "Club" + row);
        }
        PutNumber(ws, "A13", 500);  // after the empty A12: not read
    });
    ASSERT_TRUE(Read(path));
    EXPECT_EQ(lecture.arret, Q12Arret::Fin);
    EXPECT_EQ(lecture.ligne, 12);
    ASSERT_EQ(Q12NbListeG, 10);
    EXPECT_EQ(At(0).Numero, 102);
    EXPECT_STREQ(At(0).Texte1, "Name2");
    EXPECT_STREQ(At(0).Texte2, "First2");
    EXPECT_STREQ(At(0).Texte3, "Club2");  // third text is column E by default
    EXPECT_EQ(At(9).Numero, 111);
    EXPECT_EQ(At(9).Envoye, 0);
    EXPECT_EQ(At(10).Numero, 0);
    EXPECT_STREQ(Q12CnfG.Chemin, path.c_str());
}

TEST_F(CompetitorImport, FirstRowAndColumnLettersChooseTheCells) {
    std::string path = dir.file("shifted.xlsx");
    MakeXlsx(path, 1, [](int, lxw_worksheet* ws) {
        PutNumber(ws, "C4", 99);  // above the first row
        PutNumber(ws, "C5", 7);
        PutNumber(ws, "C6", 8);
        PutNumber(ws, "A5", 1);  // the default number column
        PutText(ws, "F5", "club-f");
        PutText(ws, "B5", "name-b");
        PutText(ws, "D5", "not read");
    });
    cnf.PremiereLigne = 5;
    cnf.ColNumero = 'C';
    cnf.ColTexte1 = 'B';
    cnf.ColTexte2 = 0;  // "--": not read
    cnf.ColTexte3 = 'F';
    ASSERT_TRUE(Read(path));
    ASSERT_EQ(Q12NbListeG, 2);
    EXPECT_EQ(At(0).Numero, 7);
    EXPECT_EQ(At(1).Numero, 8);
    EXPECT_STREQ(At(0).Texte1, "name-b");
    EXPECT_STREQ(At(0).Texte2, "");
    EXPECT_STREQ(At(0).Texte3, "club-f");
}

TEST_F(CompetitorImport, NumberColumnStopsAtTextZeroOrNegative) {
    struct Case {
        const char* name;
        bool text;
        const char* value;
        int expected;
    };
    for (Case k : {Case{"word", true, "abc", 1}, Case{"digits", true, " 12 ", 3}, Case{"zero", false, "0", 1},
                   Case{"negative", false, "-4", 1}, Case{"fraction", false, "2.6", 3},
                   Case{"mixed", true, "12a", 1}}) {
        SCOPED_TRACE(k.name);
        std::string path = dir.file(std::string(k.name) + ".xlsx");
        MakeXlsx(path, 1, [&](int, lxw_worksheet* ws) {
            PutNumber(ws, "A2", 5);
            if (k.text)
                PutText(ws, "A3", k.value);
            else
                PutNumber(ws, "A3", std::stod(k.value));
            PutNumber(ws, "A4", 6);
        });
        ASSERT_TRUE(Read(path));
        EXPECT_EQ(Q12NbListeG, k.expected);
        if (k.expected == 3) {
            EXPECT_GT(At(1).Numero, 0);
        }
    }
}

TEST_F(CompetitorImport, AtMostOneThousandCompetitors) {
    std::string path = dir.file("big.xlsx");
    MakeXlsx(path, 1, [](int, lxw_worksheet* ws) {
        for (int r = 1; r <= 1200; ++r) worksheet_write_number(ws, lxw_row_t(r), 0, r, nullptr);
    });
    ASSERT_TRUE(Read(path));
    EXPECT_EQ(Q12NbListeG, 1000);
    EXPECT_EQ(At(999).Numero, 1000);
    EXPECT_EQ(lecture.arret, Q12Arret::Limite);  // the operator hears that rows were left
    EXPECT_EQ(lecture.ligne, 1002);
}

TEST_F(CompetitorImport, TextColumnsShowNumbersConvertToWindows1252AndAreCutToTheirFields) {
    std::string path = dir.file("texts.xlsx");
    MakeXlsx(path, 1, [](int, lxw_worksheet* ws) {
        PutNumber(ws, "A2", 1);
        PutText(ws, "B2", "M\xC3\xBCller \xE2\x82\xAC");  // "Müller €"
        PutText(ws, "C2", "\xE6\x97\xA5\xE6\x9C\xAC");    // two CJK characters
        PutNumber(ws, "E2", 42);
        PutNumber(ws, "A3", 2);
        PutNumber(ws, "B3", 3.5);
        PutNumber(ws, "C3", -7);
        PutNumber(ws, "A4", 3);
        PutText(ws, "B4", std::string(100, 'b'));
        PutText(ws, "C4", std::string(100, 'c'));
        PutText(ws, "E4", std::string(100, 'e'));
    });
    ASSERT_TRUE(Read(path));
    ASSERT_EQ(Q12NbListeG, 3);
    EXPECT_STREQ(At(0).Texte1, "M\xFCller \x80");
    EXPECT_STREQ(At(0).Texte2, "??");
    EXPECT_STREQ(At(0).Texte3, "42");
    EXPECT_STREQ(At(1).Texte1, "3.5");
    EXPECT_STREQ(At(1).Texte2, "-7");
    EXPECT_EQ(std::string(At(2).Texte1), std::string(63, 'b'));
    EXPECT_EQ(std::string(At(2).Texte2), std::string(63, 'c'));
    EXPECT_EQ(std::string(At(2).Texte3), std::string(41, 'e'));
}

TEST_F(CompetitorImport, WorksheetIndexPicksTheSheet) {
    std::string path = dir.file("sheets.xlsx");
    MakeXlsx(path, 2, [](int sheet, lxw_worksheet* ws) {
        PutNumber(ws, "A2", sheet == 0 ? 11 : 22);
        PutNumber(ws, "A3", sheet == 0 ? 12 : 23);
    });
    cnf.Feuille = 2;
    ASSERT_TRUE(Read(path));
    ASSERT_EQ(Q12NbListeG, 2);
    EXPECT_EQ(At(0).Numero, 22);

    // A sheet the workbook lacks reads nothing and leaves the lists as they were.
    cnf.Feuille = 3;
    EXPECT_FALSE(Read(path));
    EXPECT_EQ(lecture.echec, Q12Echec::Feuille);
    EXPECT_EQ(Q12NbListeG, 2);
    EXPECT_STREQ(Q12CnfG.Chemin, path.c_str());
}

TEST_F(CompetitorImport, XlsFixtureReadsLikeTheSpreadsheet) {
    std::string path = q12test::FixtureXls();
    ASSERT_TRUE(Read(path));
    ASSERT_EQ(Q12NbListeG, 10);
    EXPECT_EQ(At(0).Numero, 101);
    EXPECT_EQ(At(9).Numero, 110);
    EXPECT_STREQ(At(1).Texte1, "M\xFCller");
    EXPECT_STREQ(At(1).Texte2, "Zo\xEB");
    EXPECT_STREQ(At(3).Texte3, "42");
    EXPECT_STREQ(At(4).Texte3, "3.5");
    EXPECT_EQ(std::string(At(5).Texte1), std::string(63, 'N'));

    // FreeXL opens on the last sheet: the index must still choose.
    cnf.Feuille = 1;
    cnf.PremiereLigne = 2;
    ASSERT_TRUE(Read(path));
    EXPECT_EQ(At(0).Numero, 101);
    cnf.Feuille = 2;
    ASSERT_TRUE(Read(path));
    ASSERT_EQ(Q12NbListeG, 2);
    EXPECT_EQ(At(0).Numero, 7);
}

TEST_F(CompetitorImport, OdsFixtureAndFormulaResultsRead) {
    // fixtures/make_competitors_ods.py made it.
    std::string ods = std::string(QS_COMPETITOR_FIXTURES) + "/competitors.ods";
    ASSERT_TRUE(Read(ods));
    ASSERT_EQ(Q12NbListeG, 5);
    EXPECT_EQ(At(0).Numero, 201);
    EXPECT_STREQ(At(1).Texte1, "M\xFCller");
    EXPECT_STREQ(At(2).Texte3, "42");
    EXPECT_EQ(At(3).Numero, 204);  // a formula: its cached result
    cnf.Feuille = 2;
    ASSERT_TRUE(Read(ods));
    ASSERT_EQ(Q12NbListeG, 1);
    EXPECT_EQ(At(0).Numero, 9);

    std::string xlsx = dir.file("formula.xlsx");
    MakeXlsx(xlsx, 1, [](int, lxw_worksheet* ws) {
        PutNumber(ws, "A2", 1);
        worksheet_write_formula_num(ws, 2, 0, "=A2+1", nullptr, 2);
        worksheet_write_formula_str(ws, 2, 1, "=\"Ab\"&\"c\"", nullptr, "Abc");
    });
    cnf.Feuille = 1;
    ASSERT_TRUE(Read(xlsx));
    ASSERT_EQ(Q12NbListeG, 2);
    EXPECT_EQ(At(1).Numero, 2);
    EXPECT_STREQ(At(1).Texte1, "Abc");
}

TEST_F(CompetitorImport, CsvWithCommasSemicolonsQuotesAndCrlf) {
    std::string commas = dir.file("list.csv");
    WriteText(commas,
              "Bib,Name,First,Cat,Club\r\n1,\"Doe, Jr\",John,M,\"Club "
              "\"\"A\"\"\"\r\n2,Roe,Ann,F,B\r\n\r\n3,X,Y,Z,W\r\n");
    ASSERT_TRUE(Read(commas));
    ASSERT_EQ(Q12NbListeG, 2);
    EXPECT_STREQ(At(0).Texte1, "Doe, Jr");
    EXPECT_STREQ(At(0).Texte3, "Club \"A\"");
    EXPECT_STREQ(At(1).Texte3, "B");  // no '\r' left on the last column

    // A list saved by a French spreadsheet: ';' and Windows-1252 bytes.
    std::string semis = dir.file("liste.csv");
    WriteText(semis,
              "Dossard;Nom;Pr\xE9nom;Cat;Club\n10;B\xE9rard;L\xE9o;M;Les \xC9"
              "cureuils\n11;Z;Z;Z;Z");
    ASSERT_TRUE(Read(semis));
    ASSERT_EQ(Q12NbListeG, 2);
    EXPECT_EQ(At(0).Numero, 10);
    EXPECT_STREQ(At(0).Texte1, "B\xE9rard");
    EXPECT_STREQ(At(0).Texte3,
                 "Les \xC9"
                 "cureuils");
    EXPECT_EQ(At(1).Numero, 11);
}

TEST_F(CompetitorImport, CorruptOrForeignFilesDoNotOpen) {
    std::mt19937 rng(42);
    std::string noise(4096, '\0');
    for (char& c : noise) c = char(rng());
    std::string good = dir.file("good.xlsx");
    MakeXlsx(good, 1, [](int, lxw_worksheet* ws) { PutNumber(ws, "A2", 1); });
    std::ifstream in(good, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 200u);

    struct Case {
        const char* name;
        std::string bytes;
    };
    for (const Case& k : {Case{"noise.xlsx", noise},
                          Case{"truncated.xlsx", bytes.substr(0, bytes.size() / 2)}, Case{"empty.xlsx", ""},
                          Case{"noise.xls", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + noise},
                          Case{"binary.csv", std::string("1,2\0,3", 6)}, Case{"list.pdf", "1,2,3"}}) {
        SCOPED_TRACE(k.name);
        std::string path = dir.file(k.name);
        WriteText(path, k.bytes);
        Q12Echec echec = Q12Echec::Aucun;
        EXPECT_EQ(Q12OuvrirClasseur(path.c_str(), &echec), nullptr);
        EXPECT_NE(echec, Q12Echec::Aucun);
    }
    Q12Echec echec;
    EXPECT_EQ(Q12OuvrirClasseur(dir.file("missing.xlsx").c_str(), &echec), nullptr);
    EXPECT_EQ(echec, Q12Echec::Introuvable);
    // A FIFO is refused without waiting for a writer.
    ASSERT_EQ(mkfifo(dir.file("pipe.csv").c_str(), 0600), 0);
    EXPECT_EQ(Q12OuvrirClasseur(dir.file("pipe.csv").c_str(), &echec), nullptr);
    EXPECT_EQ(echec, Q12Echec::Introuvable);
}

// What a reading gave, in one line: refused and why, or the count, why it stopped and
// where, the rows holding formulas, and the first competitor.
std::string Outcome(const std::string& path, const Q12Cnf& cnf) {
    static constexpr const char* kStops[] = {"end", "limit", "failed", "formula"};
    Q12Echec echec;
    auto book = Q12OuvrirClasseur(path.c_str(), &echec);
    if (!book) return "refused " + std::to_string(int(echec));
    Q12Lecture l;
    if (!Q12LireListe(*book, cnf, &l)) return "refused " + std::to_string(int(l.echec));
    const Q12ConcurrentRec& first = (*l.liste)[0];
    return std::to_string(l.nombre) + " " + kStops[int(l.arret)] + " at " + std::to_string(l.ligne) + ", " +
           std::to_string(l.formules.size()) + " formula rows, first " + std::to_string(first.Numero) + " '" +
           first.Texte1 + "'";
}

// Files that lost lists, froze the program or took gigabytes, each read in a process of
// its own: within its bounds, with what the operator is to be told.
TEST_F(CompetitorImport, DamagingFilesReadWithinBoundsAndSayWhatTheyGave) {
    using q12test::Fixture;
    const std::string bigXlsx = dir.file("big.xlsx"), wideXlsx = dir.file("wide.xlsx"),
                      inlineXlsx = dir.file("inline.xlsx"), titleOnly = dir.file("title.xlsx"),
                      bigOds = dir.file("big.ods"), spaces = dir.file("spaces.ods"),
                      bigCsv = dir.file("big.csv");
    MakeXlsx(bigXlsx, 1, [](int, lxw_worksheet* ws) {
        for (int r = 1; r <= 100000; ++r) {
            worksheet_write_number(ws, lxw_row_t(r), 0, r, nullptr);
            worksheet_write_string(ws, lxw_row_t(r), 1, ("Name " + std::to_string(r)).c_str(), nullptr);
        }
    });
    // Cells far beyond column Z in every row the list needs.
    q12test::MakeXlsxInline(wideXlsx, [](lxw_worksheet* ws) {
        for (int r = 1; r <= 1010; ++r) {
            worksheet_write_number(ws, lxw_row_t(r), 0, r, nullptr);
            for (lxw_col_t c = 26; c < 1026; ++c) worksheet_write_number(ws, lxw_row_t(r), c, c, nullptr);
        }
    });
    q12test::MakeXlsxInline(inlineXlsx, [](lxw_worksheet* ws) {
        PutText(ws, "A1", "Bib");
        PutText(ws, "A2", "12");
        PutText(ws, "B2", "Ann  Lee");
        PutNumber(ws, "A3", 13);
        PutText(ws, "B3", "Bob");
    });
    MakeXlsx(titleOnly, 1, [](int, lxw_worksheet* ws) { PutText(ws, "A1", "Bib"); });
    std::string rows;
    for (int r = 1; r <= 100000; ++r)
        rows += "<table:table-row><table:table-cell office:value-type=\"float\" office:value=\"" +
                std::to_string(r) + "\"/><table:table-cell office:value-type=\"string\"><text:p>Name " +
                std::to_string(r) + "</text:p></table:table-cell></table:table-row>";
    q12test::MakeOds(bigOds, rows);
    q12test::MakeOds(spaces,
                     "<table:table-row table:number-rows-repeated=\"3\"><table:table-cell "
                     "office:value-type=\"float\" office:value=\"5\"/><table:table-cell "
                     "office:value-type=\"string\"><text:p>a<text:s/>b<text:s text:c=\"3\"/>c  "
                     "d</text:p></table:table-cell></table:table-row><table:table-row><table:table-cell "
                     "office:value-type=\"float\" office:value=\"9\"/></table:table-row>");
    {
        std::ofstream csv(bigCsv, std::ios::binary);
        for (int r = 1; r <= 1100000; ++r) csv << r << ",Name " << r << "\n";
    }
    struct Case {
        std::string path;
        int firstRow;
        std::string expected;
    };
    const Case cases[] = {
        {bigXlsx, 2, "1000 limit at 1002, 0 formula rows, first 1 'Name 1'"},
        {wideXlsx, 2, "1000 limit at 1002, 0 formula rows, first 1 ''"},
        {inlineXlsx, 2, "2 end at 4, 0 formula rows, first 12 'Ann  Lee'"},
        {titleOnly, 2, "0 end at 2, 0 formula rows, first 0 ''"},
        {bigOds, 1, "1000 limit at 1001, 0 formula rows, first 1 'Name 1'"},
        {spaces, 1, "4 end at 5, 0 formula rows, first 5 'a b   c d'"},
        {Fixture("repeats.ods"), 2, "1000 limit at 1002, 0 formula rows, first 7 'Ann  Lee'"},
        {Fixture("declared_sheets.xls"), 2, "refused " + std::to_string(int(Q12Echec::TropGrand))},
        {Fixture("formulas.xls"), 2, "1 formula at 3, 3 formula rows, first 1 'Ann'"},
        {bigCsv, 1, "1000 limit at 1001, 0 formula rows, first 1 'Name 1'"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.path);
        cnf.PremiereLigne = k.firstRow;
        const qstest::Bounded run = qstest::RunBounded([&] { return Outcome(k.path, cnf); }, 20);
        ASSERT_TRUE(run.finished) << run.seconds << " s";
        EXPECT_EQ(run.result, k.expected);
        EXPECT_LT(run.peakMegabytes, qstest::MemoryBound(300));
    }
}

TEST(CompetitorText, Utf8ToWindows1252) {
    EXPECT_EQ(Q12Utf8VersCp1252("caf\xC3\xA9 \xE2\x82\xAC \xC5\x92", 63), "caf\xE9 \x80 \x8C");
    // Malformed sequences: a lone lead byte, a stray continuation, an overlong form,
    // a surrogate, a truncated sequence at the end.
    EXPECT_EQ(Q12Utf8VersCp1252("a\xC3z", 63), "a?z");
    EXPECT_EQ(Q12Utf8VersCp1252("a\x80z", 63), "a?z");
    EXPECT_EQ(Q12Utf8VersCp1252("\xC0\xAF", 63), "?");
    EXPECT_EQ(Q12Utf8VersCp1252("\xED\xA0\x80", 63), "?");
    EXPECT_EQ(Q12Utf8VersCp1252("ab\xE2\x82", 63), "ab??");
    EXPECT_EQ(Q12Utf8VersCp1252("\xF0\x9F\x98\x80!", 63), "?!");  // outside the code page
    EXPECT_EQ(Q12Utf8VersCp1252("line\r\nnext\tx", 63), "line  next x");
    EXPECT_EQ(Q12Utf8VersCp1252("\xC3\xA9\xC3\xA9\xC3\xA9", 2), "\xE9\xE9");  // cut by bytes written
    // Every Windows-1252 byte survives the trip through UTF-8.
    std::string all;
    for (int c = 0x20; c <= 0xFF; ++c) all += char(c);
    std::string utf8 = Q12Cp1252VersUtf8(all);
    EXPECT_TRUE(Q12EstUtf8(utf8));
    EXPECT_EQ(Q12Utf8VersCp1252(utf8, 1000), all);
}

// A workbook whose reads fail at a chosen cell.
class FailingBook : public Q12Classeur {
public:
    int failRow = -1, failCol = -1;
    bool Charger(const Q12Plan& plan, Q12Echec* echec) override {
        *echec = plan.feuille == 1 ? Q12Echec::Aucun : Q12Echec::Feuille;
        return plan.feuille == 1;
    }
    bool Lire(int ligne, int colonne, Q12Cellule* c) override {
        *c = Q12Cellule{};
        if (ligne == failRow && colonne == failCol) return false;
        if (ligne < 1 || ligne > 5) return true;
        c->type = colonne == 0 ? Q12Cellule::Nombre : Q12Cellule::Texte;
        c->nombre = ligne;
        c->texte = "t" + std::to_string(ligne);
        return true;
    }
};

TEST_F(CompetitorImport, AFailingReadIsAPartialListToAskAboutWithoutPath) {
    (*Q12ListeG)[0].Numero = 77;
    Q12NbListeG = 1;
    std::strcpy(Q12CnfG.Chemin, "before.xlsx");
    FailingBook book;
    book.failRow = 3;  // row 4's second text column
    book.failCol = 2;
    ASSERT_TRUE(Q12LireListe(book, cnf, &lecture));
    EXPECT_EQ(Q12NbListeG, 1);  // the current list is untouched by the reading
    EXPECT_EQ(lecture.arret, Q12Arret::Echec);
    EXPECT_EQ(lecture.ligne, 4);
    EXPECT_TRUE(Q12LectureDouteuse(lecture));
    Q12AppliquerLecture(lecture, "book.xlsx");
    ASSERT_EQ(Q12NbListeG, 3);  // rows 2, 3 and the row of the failing text read
    EXPECT_EQ(At(2).Numero, 3);
    EXPECT_STREQ(At(2).Texte1, "t3");
    EXPECT_STREQ(At(2).Texte2, "");
    EXPECT_STREQ(Q12CnfG.Chemin, "");

    book.failCol = 0;  // the number itself
    ASSERT_TRUE(Q12LireListe(book, cnf, &lecture));
    EXPECT_EQ(lecture.nombre, 2);
    EXPECT_EQ(lecture.arret, Q12Arret::Echec);
}

TEST_F(CompetitorImport, ReimportReplacesBothListsAndKeepsItsPath) {
    (*Q12HistoG)[0].Numero = 9;
    Q12NbHistoG = 1;
    FailingBook book;
    std::strcpy(Q12CnfG.Chemin, "same.xlsx");
    // The path handed in is the last imported path itself, which emptying clears.
    ASSERT_TRUE(Q12LireListe(book, cnf, &lecture));
    EXPECT_FALSE(Q12LectureDouteuse(lecture));
    Q12AppliquerLecture(lecture, Q12CnfG.Chemin);
    EXPECT_EQ(Q12NbListeG, 5);
    EXPECT_EQ(Q12NbHistoG, 0);
    EXPECT_STREQ(Q12CnfG.Chemin, "same.xlsx");
}

}  // namespace
