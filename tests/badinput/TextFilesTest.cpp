// Damaged text files (a label file and a message file) through the loader that start-up
// and the change of language call: every table entry stays a terminated text, and a file
// that holds too few entries is recorded as the interface failure the operator sees.
#include <cstring>
#include <string>

#include "app/Q31Erreur.h"
#include "panels/FSabGen.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "tests/badinput/BadInput.h"
#include "ui/Dialogs.h"
#include "ui/Texts.h"

using namespace badinput;

namespace {

std::string texteVuG;  // what the error box said

void FermerBoite(int panel) {
    char text[256] = "";
    GetCtrlVal(panel, fsabgen::ERREUR_TEXTE, text, sizeof text);
    texteVuG = text;
    QueueUserEvent(panel, fsabgen::ERREUR_BOUTON1);
}

template <size_t N, size_t S>
bool TableTerminee(const char (&table)[N][S]) {
    for (const auto& entry : table)
        if (!Termine(entry)) return false;
    return true;
}

bool TablesTerminees() {
    return TableTerminee(GLabelBpG) && TableTerminee(GMessageG) && TableTerminee(GMesComG) &&
           TableTerminee(Q31TxtLabelG) && TableTerminee(Q31TxtLabSetG) && TableTerminee(Q31TxtMesG) &&
           TableTerminee(Q12TxtG);
}

class BadTextFiles : public ::testing::Test {
protected:
    void SetUp() override {
        qstest::EnsureRuntime();
        SbSetTourModal(FermerBoite);
        Q31Defaut(&Q31G);
        Q31G.language = 0;
    }
    void TearDown() override { SbSetTourModal(nullptr); }
    // Loads all texts; returns the failure shown to the operator ("" when none).
    std::string Charger() {
        texteVuG.clear();
        Q31ChargerTextes();
        if (!Q31Erreur()) return "";
        EXPECT_STREQ(Q31ErreurTitre(), "Start Clock QS-310 INTERFACE FAILURE");
        Q31GererErreur(0);
        EXPECT_FALSE(Q31Erreur());
        return texteVuG;
    }
    qstest::TempProgramDir dir_;
};

}  // namespace

TEST_F(BadTextFiles, DamagedLabelAndMessageFilesKeepEveryEntryTerminated) {
    const std::string incomplet = "Reading text files incomplete !";
    for (const char* nom : {"Texts/Q31_Labels_EN.gentxt", "Texts/Q31_Messages_EN.gentxt"}) {
        const std::string chemin = dir_.file(nom);
        const std::string bon = qstest::ReadFileBytes(chemin);
        ASSERT_GT(bon.size(), 100u) << nom;
        ASSERT_EQ(Charger(), "");
        const std::string labelAvant = Q31TxtLabelG[0], messageAvant = Q31TxtMesG[0];
        for (const Variante& v : Variantes(bon, 91)) {
            SCOPED_TRACE(std::string(nom) + " " + v.nom);
            const std::string variante = v.nom;
            // Cut within the first ten lines, below every table's required count however
            // many entries are appended to it later (half the file no longer is).
            size_t cut = 0;
            for (int line = 0; line < 10 && cut != std::string::npos; ++line) cut = bon.find('\n', cut + 1);
            qstest::WriteFileBytes(chemin, variante == "truncated" ? bon.substr(0, cut) : v.octets);
            const std::string vu = Charger();
            EXPECT_TRUE(TablesTerminees());
            if (variante == "truncated" || variante == "zero-filled") {
                EXPECT_EQ(vu, incomplet);
            }
            if (variante == "random") {
                EXPECT_TRUE(vu.empty() || vu == incomplet) << vu;
            }
            if (variante == "over-long") {
                // Entries past the table's count are not read; the first ones are the file's.
                EXPECT_EQ(vu, "");
                EXPECT_EQ(Q31TxtLabelG[0], labelAvant);
                EXPECT_EQ(Q31TxtMesG[0], messageAvant);
            }
        }
        qstest::WriteFileBytes(chemin, bon);
    }
    // A file of one endless line: every entry is cut to its field and terminated.
    qstest::WriteFileBytes(dir_.file("Texts/Q31_Labels_EN.gentxt"), std::string(64 * 70, 'L'));
    Charger();
    EXPECT_TRUE(TablesTerminees());
}
