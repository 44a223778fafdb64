// Damaged competitor-unit files: "Courant.q12ct" through the unit's loader and damaged
// spreadsheets of every kind through its import button. The lists stay bounded,
// terminated and shown as held; a file that cannot be read is reported and leaves the
// lists as they were. (A damaged unit settings file: the unit's own file tests.)
#include <xlsxwriter.h>

#include <cstring>
#include <map>

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

// "Courant.q12ct": count, 1 000 slots, count, 1 000 slots.
std::string ListsFile(const std::vector<int>& list, const std::vector<int>& sent) {
    std::string bytes;
    for (const auto* l : {&list, &sent}) {
        Q12Bloc block{};
        for (size_t i = 0; i < l->size(); ++i) {
            block[i] = {.Numero = (*l)[i], .Envoye = uint8_t(l == &sent || (*l)[i] == 12)};
            std::strcpy(block[i].Texte1, ("Name " + std::to_string((*l)[i])).c_str());
        }
        bytes += Bytes(int32_t(l->size())) + Bytes(block);
    }
    return bytes;
}

class BadCompetitorFiles : public ProgramTest {
protected:
    // The unit quits (writing its lists) and loads again from the files as they now are.
    void Reload(const std::string& lists) {
        Q12Quitter("Courant.q12ct");
        Write("Courant.q12ct", lists);
        Q12Charger("Courant.q12ct", 3);
        ASSERT_GT(Q12PanneauG, 0);
    }
    // Bounded, terminated, and the panel shows the lists as held.
    void ExpectSoundLists() {
        ASSERT_TRUE(Q12ListesAllouees());
        ASSERT_TRUE(Q12NbListeG >= 0 && Q12NbListeG <= kQ12Max && Q12NbHistoG >= 0 && Q12NbHistoG <= kQ12Max);
        int waiting = 0, rows = -1;
        for (int i = 0; i < Q12NbListeG; ++i) waiting += (*Q12ListeG)[size_t(i)].Envoye == 0;
        for (const Q12Bloc* b : {Q12ListeG, Q12HistoG})
            for (const auto& r : *b)
                EXPECT_TRUE(Terminated(r.Texte1) && Terminated(r.Texte2) && Terminated(r.Texte3));
        GetNumTableRows(Q12PanneauG, COMPET_WAITING, &rows);
        EXPECT_EQ(rows, waiting);
        GetNumTableRows(Q12PanneauG, COMPET_SENT, &rows);
        EXPECT_EQ(rows, Q12NbHistoG);
    }
    bool Import(const std::string& path) {  // false when the file is reported unreadable
        Pick(path);
        const int before = Messages();
        QueueUserEvent(Q12PanneauG, COMPET_IMPORT);
        ProcessSystemEvents();
        return Messages() == before;
    }
};

TEST_F(BadCompetitorFiles, DamagedListsFileLoadsBoundedListsAndTheUnitStaysUsable) {
    const std::string good = ListsFile({11, 12, 13}, {12});
    // Lists expected: cut, the first list whole and the second cut before its slots.
    const std::map<std::string, std::pair<int, int>> expected = {
        {"truncated", {3, 0}}, {"zero-filled", {0, 0}}, {"over-long", {3, 1}}};
    for (const Damage& d : Damaged(good, 61)) {
        SCOPED_TRACE(d.name);
        Reload(d.bytes);
        ExpectSoundLists();
        if (expected.count(d.name)) EXPECT_EQ(std::pair(Q12NbListeG, Q12NbHistoG), expected.at(d.name));
        if (d.name == "over-long") EXPECT_STREQ((*Q12HistoG)[0].Texte1, "Name 12");
        // Quitting writes a whole file that loads back to the same lists.
        const auto held = std::pair(Q12NbListeG, Q12NbHistoG);
        Q12Quitter("Courant.q12ct");
        EXPECT_EQ(qstest::FileSize(dir_->file("Courant.q12ct")), long(good.size()));
        Q12Charger("Courant.q12ct", 3);
        EXPECT_EQ(std::pair(Q12NbListeG, Q12NbHistoG), held);
    }
}

TEST_F(BadCompetitorFiles, DamagedSpreadsheetsOfEveryKindLeaveTheListsAsTheyWere) {
    Q12SetDialogue([](Q12Cnf*) { return true; });
    SbSetTourModal([](int panel) { QueueUserEvent(panel, fsabgen::POPUP_ANNULER); });  // keep the lists
    const std::string xlsx = dir_->file("good.xlsx"), fixtures = QS_BADINPUT_FIXTURES;
    lxw_workbook* wb = workbook_new(xlsx.c_str());
    lxw_worksheet* ws = workbook_add_worksheet(wb, nullptr);
    for (int r = 1; r <= 4; ++r) {
        worksheet_write_number(ws, lxw_row_t(r), 0, 300 + r, nullptr);
        worksheet_write_string(ws, lxw_row_t(r), 1, "Runner", nullptr);
    }
    ASSERT_EQ(workbook_close(wb), LXW_NO_ERROR);
    const std::pair<std::string, std::string> kinds[] = {
        {".xlsx", qstest::ReadFileBytes(xlsx)},
        {".ods", qstest::ReadFileBytes(fixtures + "/competitors.ods")},
        {".xls", qstest::ReadFileBytes(fixtures + "/competitors.xls")},
        {".csv", "Bib,Name\n401,Ann\n402,Bob\n403,Cid\n404,Dan\n"}};
    unsigned seed = 80;
    for (const auto& [ext, good] : kinds) {
        ASSERT_GT(good.size(), 20u) << ext;
        const std::string goodPath = Write("good" + ext, good);
        for (const Damage& d : Damaged(good, ++seed)) {
            SCOPED_TRACE(ext + " " + d.name);
            ASSERT_TRUE(Import(goodPath));
            ASSERT_GT(Q12NbListeG, 0);
            const int before = Q12NbListeG, first = (*Q12ListeG)[0].Numero;
            const bool read = Import(Write("damaged" + ext, d.bytes));
            ExpectSoundLists();
            // Zero bytes are no spreadsheet of any kind, and random bytes no workbook; random
            // bytes without a zero are text a spreadsheet program opens too, and read as such.
            if (!read || d.name == "zero-filled" || (d.name == "random" && ext != ".csv")) {
                EXPECT_FALSE(read);  // refused and reported: the lists of the good import
                EXPECT_EQ(Q12NbListeG, before);
                EXPECT_EQ((*Q12ListeG)[0].Numero, first);
            } else if (d.name != "random") {  // what still reads is the good file's, or fewer
                EXPECT_LE(Q12NbListeG, before);
                if (Q12NbListeG > 0) EXPECT_EQ((*Q12ListeG)[0].Numero, first);
            }
        }
    }
    Q12SetDialogue(nullptr);
    SbSetTourModal(nullptr);
}

}  // namespace
