// Competitor files and lists: "Courant.q12ct" and "QS-120_V1-0.q12cnf" as laid out, counts
// held to the lists, the sent list's limit, the keypad's digit count.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "competitor/Q12Fichiers.h"
#include "competitor/Q12Listes.h"
#include "competitor/Q12Panneau.h"
#include "tests/support/TestSupport.h"

namespace {

Q12ConcurrentRec Rec(int n, const char* t1 = "", uint8_t sent = 0) {
    Q12ConcurrentRec r{};
    r.Numero = n;
    r.Envoye = sent;
    std::strcpy(r.Texte1, t1);
    return r;
}
int32_t IntAt(const std::string& bytes, size_t offset) {
    int32_t v = 0;
    std::memcpy(&v, bytes.data() + offset, 4);
    return v;
}
std::string WithInt(std::string bytes, size_t offset, int32_t v) {
    std::memcpy(bytes.data() + offset, &v, 4);
    return bytes;
}

class CompetitorFiles : public ::testing::Test {
protected:
    void SetUp() override {
        Q12AllouerListes();
        Q12EffacerListes();
        Q12CnfDefaut(&Q12CnfG);
    }
    void TearDown() override { Q12LibererListes(); }
    qstest::TempProgramDir dir{false};
};

TEST_F(CompetitorFiles, CurrentListsFileIsLaidOutAsTheRecordsAndItsCountsAreHeldToTheLists) {
    (*Q12ListeG)[0] = Rec(5, "Alpha");
    (*Q12ListeG)[1] = Rec(6, "Beta", 1);
    Q12NbListeG = 2;
    (*Q12HistoG)[0] = Rec(6, "Beta", 1);
    Q12NbHistoG = 1;
    ASSERT_TRUE(Q12CourantSauver("Courant.q12ct"));
    const std::string good = qstest::ReadFileBytes(dir.file("Courant.q12ct"));
    ASSERT_EQ(good.size(), 360008u);
    for (auto [offset, value] : {std::pair{0, 2}, {4, 5}, {184, 6}, {180004, 1}, {180008, 6}})
        EXPECT_EQ(IntAt(good, size_t(offset)), value) << offset;
    EXPECT_EQ(std::string(good.data() + 4 + 10), "Alpha");
    EXPECT_EQ(good[4 + 180 + 8], 1);  // sent flag
    EXPECT_EQ(std::string(good.data() + 180008 + 10), "Beta");

    struct Case {
        const char* name;
        std::string bytes;
        int list, sent;
    } const cases[] = {
        {"counts beyond the lists", WithInt(WithInt(good, 0, 5000), 180004, -3), 1000, 0},
        {"a file cut short holds fewer slots than its count says",
         WithInt(good, 0, 900).substr(0, 4 + 180 * 10 + 7), 10, 0},
        {"texts without their terminating zero", std::string(good).replace(14, 170, 170, 'x'), 2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        qstest::WriteFileBytes(dir.file("Courant.q12ct"), c.bytes);
        Q12CourantCharger("Courant.q12ct");
        EXPECT_EQ(Q12NbListeG, c.list);
        EXPECT_EQ(Q12NbHistoG, c.sent);
    }
    // The texts stay within their fields.
    EXPECT_EQ(std::strlen((*Q12ListeG)[0].Texte1), 63u);
    EXPECT_EQ(std::strlen((*Q12ListeG)[0].Texte2), 63u);
    EXPECT_EQ(std::strlen((*Q12ListeG)[0].Texte3), 41u);

    std::strcpy(Q12CnfG.Chemin, "old.xlsx");  // a missing file empties the lists
    std::remove(dir.file("Courant.q12ct").c_str());
    Q12CourantCharger("Courant.q12ct");
    EXPECT_EQ(Q12NbListeG + Q12NbHistoG, 0);
    EXPECT_STREQ(Q12CnfG.Chemin, "");
}

TEST_F(CompetitorFiles, SettingsFileCreatedWithDefaultsReadBackAndRepaired) {
    std::memset(&Q12CnfG, 0x55, sizeof Q12CnfG);
    Q12CnfCharger();
    const std::string bytes = qstest::ReadFileBytes(dir.file("QS-120_V1-0.q12cnf"));
    ASSERT_EQ(bytes.size(), 284u);
    EXPECT_EQ(std::tuple(IntAt(bytes, 0), IntAt(bytes, 4), IntAt(bytes, 8)), std::tuple(1, 2, 0));
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
    EXPECT_EQ(std::tuple(Q12CnfG.Feuille, Q12CnfG.PremiereLigne, Q12CnfG.ColTexte2, Q12CnfG.Afficher),
              std::tuple(3, 7, 0, 1));
    EXPECT_STREQ(Q12CnfG.Chemin, "C:\\Races\\list.xlsx");

    // Settings outside what the dialog shows are repaired.
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
    EXPECT_EQ(std::tuple(Q12CnfG.Feuille, Q12CnfG.PremiereLigne), std::tuple(1, 1));
    EXPECT_EQ(std::tuple(Q12CnfG.ColNumero, Q12CnfG.ColTexte1), std::tuple('A', '\0'));
    EXPECT_EQ(std::strlen(Q12CnfG.Chemin), 259u);
}

TEST_F(CompetitorFiles, SentListKeepsItsNewestThousandAndMarksTheFirstUnsentRecord) {
    for (int n = 1; n <= 1001; ++n) ASSERT_LT(Q12HistoAjouter(Rec(n)), 1000);
    EXPECT_EQ(Q12NbHistoG, 1000);
    EXPECT_EQ((*Q12HistoG)[0].Numero, 2);  // the oldest gave way
    EXPECT_EQ((*Q12HistoG)[999].Numero, 1001);
    EXPECT_EQ((*Q12HistoG)[999].Envoye, 1);

    (*Q12ListeG)[0] = Rec(4);
    (*Q12ListeG)[1] = Rec(7);
    (*Q12ListeG)[2] = Rec(7);
    Q12NbListeG = 3;
    EXPECT_TRUE(Q12MarquerEnvoye(7));
    EXPECT_EQ((*Q12ListeG)[1].Envoye + 2 * (*Q12ListeG)[2].Envoye, 1);
    EXPECT_TRUE(Q12MarquerEnvoye(7));  // the number's second record
    EXPECT_EQ((*Q12ListeG)[2].Envoye, 1);
    EXPECT_FALSE(Q12MarquerEnvoye(7));
    EXPECT_FALSE(Q12MarquerEnvoye(99));

    Q12ClavierEtat k;  // digits build a number of the chosen length
    k.chiffres = 3;
    std::vector<int> shown;
    for (int d : {1, 2, 3, 4, 10, -1, 5}) shown.push_back(Q12ClavierAjouter(&k, d));
    EXPECT_EQ(shown, (std::vector<int>{1, 12, 123, 4, -1, -1, 45}));
    k = Q12ClavierEtat{};
    k.chiffres = 1;
    EXPECT_EQ(Q12ClavierAjouter(&k, 7), 7);
    EXPECT_EQ(Q12ClavierAjouter(&k, 8), 8);
}

}  // namespace
