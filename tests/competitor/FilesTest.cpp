// Competitor files and lists: "Courant.q12ct" and "QS-120_V1-0.q12cnf" as laid out,
// counts held to the lists, the sent list's limit, the keypad's digit count.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "competitor/Q12Fichiers.h"
#include "competitor/Q12Listes.h"
#include "competitor/Q12Panneau.h"
#include "tests/support/TestSupport.h"

namespace {

class CompetitorFiles : public ::testing::Test {
protected:
    void SetUp() override {
        Q12AllouerListes();
        Q12EffacerListes();
        Q12CnfDefaut(&Q12CnfG);
    }
    void TearDown() override { Q12LibererListes(); }

    static Q12ConcurrentRec Rec(int n, const char* t1 = "", uint8_t sent = 0) {
        Q12ConcurrentRec r{};
        r.Numero = n;
        r.Envoye = sent;
        std::strcpy(r.Texte1, t1);
        return r;
    }
    static int32_t IntAt(const std::string& bytes, size_t offset) {
        int32_t v = 0;
        std::memcpy(&v, bytes.data() + offset, 4);
        return v;
    }
    static std::string WithInt(std::string bytes, size_t offset, int32_t v) {
        std::memcpy(bytes.data() + offset, &v, 4);
        return bytes;
    }

    qstest::TempProgramDir dir{false};
};

TEST_F(CompetitorFiles, CurrentListsFileIsLaidOutAsTheRecords) {
    (*Q12ListeG)[0] = Rec(5, "Alpha");
    (*Q12ListeG)[1] = Rec(6, "Beta", 1);
    Q12NbListeG = 2;
    (*Q12HistoG)[0] = Rec(6, "Beta", 1);
    Q12NbHistoG = 1;
    ASSERT_TRUE(Q12CourantSauver("Courant.q12ct"));
    std::string bytes = qstest::ReadFileBytes(dir.file("Courant.q12ct"));
    ASSERT_EQ(bytes.size(), 360008u);
    EXPECT_EQ(IntAt(bytes, 0), 2);
    EXPECT_EQ(IntAt(bytes, 4), 5);
    EXPECT_EQ(std::string(bytes.data() + 4 + 10), "Alpha");
    EXPECT_EQ(IntAt(bytes, 4 + 180), 6);
    EXPECT_EQ(bytes[4 + 180 + 8], 1);  // sent flag
    EXPECT_EQ(IntAt(bytes, 180004), 1);
    EXPECT_EQ(IntAt(bytes, 180008), 6);
    EXPECT_EQ(std::string(bytes.data() + 180008 + 10), "Beta");
}

TEST_F(CompetitorFiles, CountsFromTheFileAreHeldToTheLists) {
    (*Q12ListeG)[0] = Rec(1);
    Q12NbListeG = 1;
    ASSERT_TRUE(Q12CourantSauver("Courant.q12ct"));
    std::string good = qstest::ReadFileBytes(dir.file("Courant.q12ct"));

    qstest::WriteFileBytes(dir.file("Courant.q12ct"), WithInt(WithInt(good, 0, 5000), 180004, -3));
    Q12CourantCharger("Courant.q12ct");
    EXPECT_EQ(Q12NbListeG, 1000);
    EXPECT_EQ(Q12NbHistoG, 0);

    // A file cut short holds fewer slots than its count says.
    qstest::WriteFileBytes(dir.file("Courant.q12ct"), WithInt(good, 0, 900).substr(0, 4 + 180 * 10 + 7));
    Q12CourantCharger("Courant.q12ct");
    EXPECT_EQ(Q12NbListeG, 10);
    EXPECT_EQ(Q12NbHistoG, 0);

    // Texts without their terminating zero stay within their fields.
    std::string unterminated = good;
    std::memset(unterminated.data() + 4 + 10, 'x', 170);
    qstest::WriteFileBytes(dir.file("Courant.q12ct"), unterminated);
    Q12CourantCharger("Courant.q12ct");
    EXPECT_EQ(std::strlen((*Q12ListeG)[0].Texte1), 63u);
    EXPECT_EQ(std::strlen((*Q12ListeG)[0].Texte3), 41u);
}

TEST_F(CompetitorFiles, MissingCurrentFileEmptiesTheLists) {
    Q12NbListeG = 4;
    Q12NbHistoG = 2;
    std::strcpy(Q12CnfG.Chemin, "old.xlsx");
    Q12CourantCharger("Courant.q12ct");
    EXPECT_EQ(Q12NbListeG, 0);
    EXPECT_EQ(Q12NbHistoG, 0);
    EXPECT_STREQ(Q12CnfG.Chemin, "");
}

TEST_F(CompetitorFiles, SettingsFileCreatedWithDefaultsAndReadBack) {
    std::memset(&Q12CnfG, 0x55, sizeof Q12CnfG);
    Q12CnfCharger();
    std::string bytes = qstest::ReadFileBytes(dir.file("QS-120_V1-0.q12cnf"));
    ASSERT_EQ(bytes.size(), 284u);
    EXPECT_EQ(IntAt(bytes, 0), 1);
    EXPECT_EQ(IntAt(bytes, 4), 2);
    EXPECT_EQ(IntAt(bytes, 8), 0);
    EXPECT_EQ(bytes.substr(16, 6), "ABCDEF");
    EXPECT_EQ(bytes[24], 0);

    Q12CnfG.Feuille = 3;
    Q12CnfG.PremiereLigne = 7;
    Q12CnfG.ColTexte2 = 0;
    Q12CnfG.Afficher = 1;
    std::strcpy(Q12CnfG.Chemin, "C:\\Races\\list.xlsx");
    ASSERT_TRUE(Q12CnfSauver());
    Q12CnfDefaut(&Q12CnfG);
    Q12CnfCharger();
    EXPECT_EQ(Q12CnfG.Feuille, 3);
    EXPECT_EQ(Q12CnfG.PremiereLigne, 7);
    EXPECT_EQ(Q12CnfG.ColTexte2, 0);
    EXPECT_EQ(Q12CnfG.Afficher, 1);
    EXPECT_STREQ(Q12CnfG.Chemin, "C:\\Races\\list.xlsx");
}

TEST_F(CompetitorFiles, SettingsOutsideWhatTheDialogShowsAreRepaired) {
    Q12Cnf bad{};
    Q12CnfDefaut(&bad);
    bad.Feuille = -2;
    bad.PremiereLigne = 0;
    bad.ColNumero = '%';
    bad.ColTexte1 = 'z';
    std::memset(bad.Chemin, 'p', sizeof bad.Chemin);
    qstest::WriteFileBytes(dir.file("QS-120_V1-0.q12cnf"),
                           std::string(reinterpret_cast<char*>(&bad), sizeof bad));
    Q12CnfCharger();
    EXPECT_EQ(Q12CnfG.Feuille, 1);
    EXPECT_EQ(Q12CnfG.PremiereLigne, 1);
    EXPECT_EQ(Q12CnfG.ColNumero, 'A');
    EXPECT_EQ(Q12CnfG.ColTexte1, 0);
    EXPECT_EQ(std::strlen(Q12CnfG.Chemin), 259u);
}

TEST_F(CompetitorFiles, SentListKeepsItsNewestThousand) {
    for (int n = 1; n <= 1001; ++n) {
        int index = Q12HistoAjouter(Rec(n));
        ASSERT_LT(index, 1000);
    }
    EXPECT_EQ(Q12NbHistoG, 1000);
    EXPECT_EQ((*Q12HistoG)[0].Numero, 2);  // the oldest gave way
    EXPECT_EQ((*Q12HistoG)[999].Numero, 1001);
    EXPECT_EQ((*Q12HistoG)[999].Envoye, 1);
}

TEST_F(CompetitorFiles, MarkingSentTouchesTheFirstUnsentRecordOfThatNumber) {
    (*Q12ListeG)[0] = Rec(4);
    (*Q12ListeG)[1] = Rec(7);
    (*Q12ListeG)[2] = Rec(7);
    Q12NbListeG = 3;
    EXPECT_TRUE(Q12MarquerEnvoye(7));
    EXPECT_EQ((*Q12ListeG)[1].Envoye, 1);
    EXPECT_EQ((*Q12ListeG)[2].Envoye, 0);
    EXPECT_TRUE(Q12MarquerEnvoye(7));  // the number's second record
    EXPECT_EQ((*Q12ListeG)[2].Envoye, 1);
    EXPECT_FALSE(Q12MarquerEnvoye(7));
    EXPECT_FALSE(Q12MarquerEnvoye(99));
}

TEST(CompetitorKeypad, DigitsBuildANumberOfTheChosenLength) {
    Q12ClavierEtat k;
    k.chiffres = 3;
    std::vector<int> shown;
    for (int d : {1, 2, 3, 4}) shown.push_back(Q12ClavierAjouter(&k, d));
    EXPECT_EQ(shown, (std::vector<int>{1, 12, 123, 4}));
    EXPECT_EQ(Q12ClavierAjouter(&k, 10), -1);
    EXPECT_EQ(Q12ClavierAjouter(&k, -1), -1);
    EXPECT_EQ(Q12ClavierAjouter(&k, 5), 45);

    Q12ClavierEtat one;
    one.chiffres = 1;
    EXPECT_EQ(Q12ClavierAjouter(&one, 7), 7);
    EXPECT_EQ(Q12ClavierAjouter(&one, 8), 8);
}

}  // namespace
