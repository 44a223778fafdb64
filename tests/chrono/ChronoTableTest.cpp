// Times table on a real table control: rows, bands, selection highlight and marking.
#include <fstream>

#include "tests/chrono/ChronoFixture.h"

using namespace chronotest;

namespace {

constexpr int kTable = 2;
constexpr int kBlanc = 0xFFFFFF, kGris = 0xE8E8E8, kJaune = 0xFFFF00;

const char* const kPanneau = R"(<?xml version="1.0" encoding="UTF-8"?>
<ui version="4.0">
 <class>TESTPANEL</class>
 <widget class="QWidget" name="TESTPANEL">
  <property name="geometry"><rect><x>0</x><y>0</y><width>420</width><height>300</height></rect></property>
  <widget class="QTableWidget" name="TABLE">
   <property name="ctrl" stdset="0"><number>2</number></property>
   <property name="callback" stdset="0"><string>FSbChrTable</string></property>
   <property name="geometry"><rect><x>0</x><y>0</y><width>400</width><height>280</height></rect></property>
   <property name="columnCount"><number>4</number></property>
   <column><property name="text"><string>T</string></property></column>
   <column><property name="text"><string>N</string></property></column>
   <column><property name="text"><string>C</string></property></column>
   <column><property name="text"><string>Time</string></property></column>
  </widget>
 </widget>
</ui>
)";

class ChronoTableTest : public ChronoTest {
protected:
    void SetUp() override {
        ChronoTest::SetUp();
        RegisterCallback("FSbChrTable", FSbChrTable);
        MakeDir("Test.uir");
        std::ofstream(Fichier("Test.uir/01-t.ui")) << kPanneau;
        panel_ = LoadPanel(0, "Test.uir", 1);
        ASSERT_GT(panel_, 0);
        SbComG.simulation = 1;
        SbChronoOuvrir("Chronos", "Chrono.q31tps", panel_, kTable);
    }
    void TearDown() override {
        SbChronoFermer("Chronos", "Chrono.q31tps");
        if (panel_ > 0) DiscardPanel(panel_);
        ChronoTest::TearDown();
    }

    int Lignes() {
        int rows = -1;
        GetNumTableRows(panel_, kTable, &rows);
        return rows;
    }
    std::string Cellule(int col, int row) {
        char text[128] = "";
        GetTableCellVal(panel_, kTable, MakePoint(col, row), text, sizeof text);
        return text;
    }
    // The row's background when its four cells agree, else -1.
    int Fond(int row) {
        int first = -1;
        for (int col = 1; col <= 4; ++col) {
            int colour = -2;
            GetTableCellAttribute(panel_, kTable, MakePoint(col, row), ATTR_TEXT_BGCOLOR, &colour);
            if (col == 1) first = colour;
            if (colour != first) return -1;
        }
        return first;
    }
    void Choisir(int row) { FSbChrTable(panel_, kTable, EVENT_ACTIVE_CELL_CHANGE, nullptr, row, 1); }
    void Marquer(int (*button)(int, int, int, void*, int, int)) {
        button(panel_, 9, EVENT_COMMIT, nullptr, 0, 0);
    }
    // A channel-1 time while the start program runs (three rows), then a channel-2 time.
    void DeuxGroupes() {
        SbChronoQ31ItG = Temps(10, 0, 0, 0);
        SbChronoQ31ItG.Type = 'I';
        SbChronoQ31ItG.Marque = 'T';
        SbQ31CrG.status1 = 1;
        const SbChronoRec a = Temps(10, 0, 1, 25999, '1', 12), b = Temps(10, 0, 2, 0, '2', 0, 7);
        SbChronoQ31Traiter(&a);
        SbChronoQ31Traiter(&b);
    }
    void VerifierGroupes() {
        ASSERT_EQ(Lignes(), 6);
        EXPECT_EQ(Cellule(1, 1), "  ");
        EXPECT_EQ(Cellule(2, 1), "   12");
        EXPECT_EQ(Cellule(3, 1), "M1");
        EXPECT_EQ(Cellule(4, 1), " 10 : 00 : 01.25");
        EXPECT_EQ(Cellule(1, 2), "IT");
        EXPECT_EQ(Cellule(1, 3), "DT");
        EXPECT_EQ(Cellule(3, 3), " +");
        EXPECT_EQ(Cellule(4, 3), " 00 : 00 : 01.25");
        EXPECT_EQ(Cellule(2, 4), "    7");
        EXPECT_EQ(Cellule(4, 5), "");
        // One band per time with its reference and difference; the empty rows follow the last band.
        const int first = Fond(1), second = Fond(4);
        EXPECT_TRUE(first == kBlanc || first == kGris) << std::hex << first;
        EXPECT_TRUE(second == kBlanc || second == kGris) << std::hex << second;
        EXPECT_NE(first, second);
        EXPECT_EQ(Fond(2), first);
        EXPECT_EQ(Fond(3), first);
        EXPECT_EQ(Fond(5), second);
        EXPECT_EQ(Fond(6), second);
    }

    int panel_ = 0;
};

}  // namespace

TEST_F(ChronoTableTest, EmptyStoreShowsTwoEmptyRowsThatCannotBeSelected) {
    EXPECT_EQ(Lignes(), 2);
    Choisir(1);
    EXPECT_EQ(SbChronoSelection(), 0);
    Marquer(FSbChronoInvalider);
    EXPECT_EQ(Cellule(1, 1), "");
}

TEST_F(ChronoTableTest, NewTimesAndRebuildShowTheSameRowsAndBands) {
    DeuxGroupes();
    VerifierGroupes();
    SbChronoAfficher();
    VerifierGroupes();
    // Precision 0 on the rebuilt table: no fraction.
    SbComG.params.precision = 0;
    SbChronoAfficher();
    EXPECT_EQ(Cellule(4, 1), " 10 : 00 : 01");
    // Clearing leaves the two empty rows.
    SbChronoEffacer();
    SbChronoAfficher();
    EXPECT_EQ(Lignes(), 2);
}

TEST_F(ChronoTableTest, SelectionIsYellowAndGivesBackTheRowsColour) {
    DeuxGroupes();
    const int first = Fond(1), second = Fond(4);
    Choisir(2);
    EXPECT_EQ(SbChronoSelection(), 2);
    EXPECT_EQ(Fond(2), kJaune);
    Choisir(4);
    EXPECT_EQ(SbChronoSelection(), 4);
    EXPECT_EQ(Fond(2), first);
    EXPECT_EQ(Fond(4), kJaune);
    Choisir(5);  // an empty row
    EXPECT_EQ(SbChronoSelection(), 0);
    EXPECT_EQ(Fond(4), second);
}

TEST_F(ChronoTableTest, MarkingChangesOrdinaryTimesOnly) {
    DeuxGroupes();
    Choisir(4);
    Marquer(FSbChronoInvalider);
    EXPECT_EQ(SbChronoLire(4)->Marque, 'X');
    EXPECT_EQ(Cellule(1, 4), " X");
    EXPECT_EQ(Fond(4), kJaune) << "the highlight stays";
    Marquer(FSbChronoDanger);
    EXPECT_EQ(Cellule(1, 4), " !");
    Marquer(FSbChronoValider);
    EXPECT_EQ(SbChronoLire(4)->Marque, 'N');
    EXPECT_EQ(Cellule(1, 4), "  ");

    // Reference and difference rows are fixed.
    Choisir(3);
    Marquer(FSbChronoInvalider);
    EXPECT_EQ(SbChronoLire(3)->Marque, 'T');
    EXPECT_EQ(Cellule(1, 3), "DT");
    // Only commits act.
    Choisir(1);
    FSbChronoInvalider(panel_, 9, EVENT_LEFT_CLICK, nullptr, 0, 0);
    EXPECT_EQ(SbChronoLire(1)->Marque, 'N');
}
