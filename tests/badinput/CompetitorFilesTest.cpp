// Damaged competitor-unit files: "Courant.q12ct" and "QS-120_V1-0.q12cnf" through the
// unit's loader, and damaged spreadsheets of every kind through its import button.
#include <xlsxwriter.h>

#include <cstring>

#include "competitor/Q12.h"
#include "competitor/Q12Import.h"
#include "competitor/Q12Listes.h"
#include "competitor/Q12Panneau.h"
#include "panels/FQ12.h"
#include "panels/FSabGen.h"
#include "platform/cvi.h"
#include "tests/badinput/BadInput.h"
#include "ui/Dialogs.h"

using namespace badinput;
using namespace fq12;

namespace {

Q12ConcurrentRec Concurrent(int numero, const char* nom, bool envoye) {
    Q12ConcurrentRec r{};
    r.Numero = numero;
    r.Envoye = envoye ? 1 : 0;
    std::strcpy(r.Texte1, nom);
    std::strcpy(r.Texte2, "Club");
    return r;
}

// "Courant.q12ct": count, 1 000 slots, count, 1 000 slots.
std::string Courant(const std::vector<Q12ConcurrentRec>& liste, const std::vector<Q12ConcurrentRec>& histo) {
    std::string bytes;
    for (const auto* l : {&liste, &histo}) {
        const int32_t n = int32_t(l->size());
        bytes += Octets(n);
        Q12Bloc bloc{};
        std::copy(l->begin(), l->end(), bloc.begin());
        bytes += Octets(bloc);
    }
    return bytes;
}

bool Colonne(char c, bool aucune) {
    return (c >= 'A' && c <= 'Z') || (aucune && c == 0);
}

int Lignes(int control) {
    int rows = -1;
    GetNumTableRows(Q12PanneauG, control, &rows);
    return rows;
}

bool Confirmer(Q12Cnf*) {
    return true;
}

// A list read short or empty is asked about: the operator keeps the lists.
void Refuser(int panel) {
    QueueUserEvent(panel, fsabgen::POPUP_ANNULER);
}

class BadCompetitorFiles : public ProgrammeTest {
protected:
    // The unit quits (writing its lists) and loads again from the files as they now are.
    void Recharger(const std::string& courant, const std::string* cnf = nullptr) {
        Q12Quitter("Courant.q12ct");
        Ecrire("Courant.q12ct", courant);
        if (cnf) Ecrire("QS-120_V1-0.q12cnf", *cnf);
        Q12Charger("Courant.q12ct", 3);
        ASSERT_GT(Q12PanneauG, 0);
    }
    void AttendreListesSaines() {
        ASSERT_TRUE(Q12ListesAllouees());
        EXPECT_GE(Q12NbListeG, 0);
        EXPECT_LE(Q12NbListeG, kQ12Max);
        EXPECT_GE(Q12NbHistoG, 0);
        EXPECT_LE(Q12NbHistoG, kQ12Max);
        int attente = 0;
        for (int i = 0; i < Q12NbListeG; ++i) attente += (*Q12ListeG)[size_t(i)].Envoye == 0;
        for (const Q12Bloc* b : {Q12ListeG, Q12HistoG})
            for (const auto& r : *b) EXPECT_TRUE(Termine(r.Texte1) && Termine(r.Texte2) && Termine(r.Texte3));
        // The panel shows the lists as held.
        EXPECT_EQ(Lignes(COMPET_WAITING), attente);
        EXPECT_EQ(Lignes(COMPET_SENT), Q12NbHistoG);
    }
    bool Importer(const std::string& path) {
        Repondre(path);
        const int avant = MessagesVus();
        QueueUserEvent(Q12PanneauG, COMPET_IMPORT);
        ProcessSystemEvents();
        return MessagesVus() == avant;  // a file that cannot be read is reported
    }
};

}  // namespace

TEST_F(BadCompetitorFiles, DamagedListsFileLoadsBoundedListsAndTheUnitStaysUsable) {
    const std::string bon =
        Courant({Concurrent(11, "Ann", false), Concurrent(12, "Bob", true), Concurrent(13, "Cid", false)},
                {Concurrent(12, "Bob", true)});
    for (const Variante& v : Variantes(bon, 61)) {
        SCOPED_TRACE(v.nom);
        Recharger(v.octets);
        AttendreListesSaines();
        const std::string nom = v.nom;
        if (nom == "truncated") {  // the first list whole, the second cut before its slots
            EXPECT_EQ(Q12NbListeG, 3);
            EXPECT_EQ(Q12NbHistoG, 0);
        }
        if (nom == "zero-filled") {
            EXPECT_EQ(Q12NbListeG + Q12NbHistoG, 0);
        }
        if (nom == "over-long") {
            EXPECT_EQ(Q12NbListeG, 3);
            EXPECT_EQ(Q12NbHistoG, 1);
            EXPECT_STREQ((*Q12HistoG)[0].Texte1, "Bob");
        }
        // Quitting writes a whole, sound file that loads back to the same lists.
        const int liste = Q12NbListeG, histo = Q12NbHistoG;
        Q12Quitter("Courant.q12ct");
        EXPECT_EQ(qstest::FileSize(Fichier("Courant.q12ct")), long(bon.size()));
        Q12Charger("Courant.q12ct", 3);
        EXPECT_EQ(Q12NbListeG, liste);
        EXPECT_EQ(Q12NbHistoG, histo);
    }
}

TEST_F(BadCompetitorFiles, DamagedSettingsFileGivesSettingsTheImportDialogCanShow) {
    Q12Cnf bon;
    Q12CnfDefaut(&bon);
    bon.Feuille = 2;
    bon.PremiereLigne = 5;
    bon.ColNumero = 'C';
    bon.ColTexte2 = 0;
    std::strcpy(bon.Chemin, "Lists\\start.xlsx");
    const std::string courant = Courant({}, {});
    for (const Variante& v : Variantes(Octets(bon), 71)) {
        SCOPED_TRACE(v.nom);
        Recharger(courant, &v.octets);
        const Q12Cnf& c = Q12CnfG;
        EXPECT_GE(c.Feuille, 1);
        EXPECT_GE(c.PremiereLigne, 1);
        EXPECT_TRUE(Colonne(c.ColNumero, false));
        EXPECT_TRUE(Colonne(c.ColTexte1, true) && Colonne(c.ColTexte2, true) && Colonne(c.ColTexte3, true));
        EXPECT_TRUE(Termine(c.Chemin));
        const std::string nom = v.nom;
        if (nom == "truncated" || nom == "over-long") {
            EXPECT_EQ(c.Feuille, 2);
            EXPECT_EQ(c.PremiereLigne, 5);
            EXPECT_EQ(c.ColNumero, 'C');
            EXPECT_EQ(c.ColTexte2, 0);
        }
        if (nom == "over-long") {
            EXPECT_STREQ(c.Chemin, "Lists\\start.xlsx");
        }
    }
}

TEST_F(BadCompetitorFiles, DamagedSpreadsheetsOfEveryKindLeaveTheListsAsTheyWere) {
    Q12SetDialogue(Confirmer);
    SbSetTourModal(Refuser);
    const std::string xlsx = Fichier("good.xlsx");
    lxw_workbook* wb = workbook_new(xlsx.c_str());
    lxw_worksheet* ws = workbook_add_worksheet(wb, nullptr);
    for (int r = 1; r <= 4; ++r) {
        worksheet_write_number(ws, lxw_row_t(r), 0, 300 + r, nullptr);
        worksheet_write_string(ws, lxw_row_t(r), 1, "Runner", nullptr);
    }
    ASSERT_EQ(workbook_close(wb), LXW_NO_ERROR);
    struct Sorte {
        const char* ext;
        std::string bon;
    };
    const std::string fixtures = QS_BADINPUT_FIXTURES;
    const Sorte sortes[] = {{".xlsx", qstest::ReadFileBytes(xlsx)},
                            {".ods", qstest::ReadFileBytes(fixtures + "/competitors.ods")},
                            {".xls", qstest::ReadFileBytes(fixtures + "/competitors.xls")},
                            {".csv", "Bib,Name\n401,Ann\n402,Bob\n403,Cid\n404,Dan\n"}};
    unsigned seed = 80;
    for (const Sorte& s : sortes) {
        ASSERT_GT(s.bon.size(), 20u) << s.ext;
        const std::string bonChemin = Ecrire(std::string("good") + s.ext, s.bon);
        for (const Variante& v : Variantes(s.bon, ++seed)) {
            SCOPED_TRACE(std::string(s.ext) + " " + v.nom);
            ASSERT_TRUE(Importer(bonChemin));
            ASSERT_GT(Q12NbListeG, 0);
            const int avant = Q12NbListeG;
            const Q12ConcurrentRec premier = (*Q12ListeG)[0];
            const bool lu = Importer(Ecrire(std::string("damaged") + s.ext, v.octets));
            AttendreListesSaines();
            const std::string nom = v.nom;
            // Zero bytes are no spreadsheet of any kind, and random bytes no workbook; random
            // bytes without a zero are text a spreadsheet program opens too, and read as such.
            const bool illisible = nom == "zero-filled" || (nom == "random" && std::string(s.ext) != ".csv");
            if (!lu || illisible) {
                // Refused and reported: the lists are those of the good import.
                EXPECT_FALSE(lu);
                EXPECT_EQ(Q12NbListeG, avant);
                EXPECT_EQ((*Q12ListeG)[0].Numero, premier.Numero);
            } else if (nom != "random") {
                // A file that still reads gives the good file's competitors, or fewer.
                EXPECT_LE(Q12NbListeG, avant);
                if (Q12NbListeG > 0) {
                    EXPECT_EQ((*Q12ListeG)[0].Numero, premier.Numero);
                }
            }
        }
    }
    Q12SetDialogue(nullptr);
    SbSetTourModal(nullptr);
}
