// Text export of the times, byte for byte, with the header of no run and of an open run.
#include "chrono/SbChronoLinkUse.h"
#include "lib/StrBuf.h"
#include "tests/chrono/ChronoFixture.h"
#include "ui/Texts.h"

using namespace chronotest;

namespace {

#ifdef _WIN32
const std::string kFin = "\r\n";
#else
const std::string kFin = "\n";
#endif

std::string Lignes(std::initializer_list<const char*> lines) {
    std::string out;
    for (const char* l : lines) out += std::string(l) + kFin;
    return out;
}

class ChronoExportTest : public ChronoTest {
protected:
    void SetUp() override {
        ChronoTest::SetUp();
        const char* labels[] = {"Serial", "Mode", "Run", "Precision", "Date", "Time", "Time of day"};
        for (int i = 0; i < 7; ++i) StrCopy(Q31TxtLabelG[20 + i], labels[i]);
        SbComG.serialNumber = 123;
        Ouvrir();
        SbChronoRec a = Temps(10, 0, 1, 25000, '1', 12);
        SbChronoRec d = Temps(0, 0, 1, 25000, '+');
        d.Type = 'D';
        d.Marque = 'T';
        d.Qualif = ' ';
        SbChronoRec c = Temps(9, 5, 7, 5, '2', 0, 7);
        c.Marque = 'X';
        qstest::WriteFileBytes(Fichier("Chronos/run.q31tps"), Image(3, {a, d, c}));
        SbChronoCharger("Chronos\\run.q31tps");
    }

    std::string Exporter() {
        char header[1024];
        Q31ChronosEntete(header, sizeof header);
        SbChronoSauverAscii("Chronos\\Essai.txt", header, Q31TxtLabelG[26]);
        return qstest::ReadFileBytes(Fichier("Chronos/Essai.txt"));
    }

    const std::string table_ = Lignes({
        "|----------------------------------|",
        "|    |  N\xB0  |  C |     Time of day |",
        "|----------------------------------|",
        "|    |   12 | M1 |  10:00:01.25000 |",
        "| DT |      |  + |  00:00:01.25000 |",
        "|  X |    7 | M2 |  09:05:07.00005 |",
        "|----------------------------------|",
    });
};

}  // namespace

TEST_F(ChronoExportTest, NoRunOpenShowsTheLastLoadedRunAndEmptyFields) {
    Q31DerMancheChargeeG = 4;
    const std::string header = Lignes({
        "          Serial 00123 ",
        "            Mode",
        "             Run 4 ",
        "       Precision ",
        "            Date ",
        "            Time ",
        "",
    });
    EXPECT_EQ(Exporter(), header + table_);
}

TEST_F(ChronoExportTest, OpenRunShowsModePrecisionDateAndTime) {
    SbComG.run.current = 3;
    SbComG.run.dayNumber = 4297;  // 7 October 2011
    SbComG.run.hour = 9;
    SbComG.run.minute = 5;
    SbComG.run.second = 7;
    SbComG.mode = 1;
    SbComG.params.precision = 3;
    const std::string header = Lignes({
        "          Serial 00123 ",
        "            Mode SPLIT ",
        "             Run 3 ",
        "       Precision 1/1.000 ",
        "            Date 07/10/11 ",
        "            Time 09:05:07 ",
        "",
    });
    EXPECT_EQ(Exporter(), header + table_);

    // Values no clock sends leave their text empty rather than reading past the tables.
    SbComG.mode = 7;
    SbComG.params.precision = -1;
    const std::string text = Exporter();
    EXPECT_NE(text.find("            Mode  " + kFin), std::string::npos);
    EXPECT_NE(text.find("       Precision  " + kFin), std::string::npos);
}

TEST_F(ChronoExportTest, EmptyStoreExportsTheFrameOnly) {
    SbChronoEffacer();
    SbChronoSauverAscii("Chronos\\vide.txt", "", "T");
    EXPECT_EQ(qstest::ReadFileBytes(Fichier("Chronos/vide.txt")),
              Lignes({"|----------------------------------|", "|    |  N\xB0  |  C |               T |",
                      "|----------------------------------|", "|----------------------------------|"}));
    // A folder that does not exist: nothing written, nothing else happens.
    SbChronoSauverAscii("Absent\\x.txt", "", "T");
    EXPECT_EQ(qstest::FileSize(Fichier("Absent/x.txt")), -1);
}
