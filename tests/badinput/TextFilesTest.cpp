// Damaged text tables (a label file and a message file) through the loader start-up
// and the change of language call: every entry stays a terminated text, and a file
// holding too few entries is the interface failure the operator is shown.
#include "app/Q31Erreur.h"
#include "panels/FSabGen.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "tests/badinput/BadInput.h"
#include "ui/Dialogs.h"
#include "ui/Texts.h"

using namespace badinput;

namespace {

std::string shown;  // what the error box said

template <size_t N, size_t S>
bool AllTerminated(const char (&table)[N][S]) {
    return std::all_of(std::begin(table), std::end(table), [](const char(&t)[S]) { return Terminated(t); });
}

// Loads all texts; returns the failure shown to the operator ("" when none).
std::string LoadTexts() {
    shown.clear();
    Q31ChargerTextes();
    EXPECT_TRUE(AllTerminated(GLabelBpG) && AllTerminated(GMessageG) && AllTerminated(GMesComG) &&
                AllTerminated(Q31TxtLabelG) && AllTerminated(Q31TxtLabSetG) && AllTerminated(Q31TxtMesG) &&
                AllTerminated(Q12TxtG));
    if (!Q31Erreur()) return "";
    EXPECT_STREQ(Q31ErreurTitre(), "Start Clock QS-310 INTERFACE FAILURE");
    Q31GererErreur(0);
    EXPECT_FALSE(Q31Erreur());
    return shown;
}

TEST(BadTextFiles, DamagedLabelAndMessageFilesKeepEveryEntryTerminated) {
    qstest::EnsureRuntime();
    qstest::TempProgramDir dir;
    SbSetTourModal([](int panel) {
        char text[256] = "";
        GetCtrlVal(panel, fsabgen::ERREUR_TEXTE, text, sizeof text);
        shown = text;
        QueueUserEvent(panel, fsabgen::ERREUR_BOUTON1);
    });
    Q31Defaut(&Q31G);
    Q31G.language = 0;
    const std::string incomplete = "Reading text files incomplete !";
    for (const char* name : {"Texts/Q31_Labels_EN.gentxt", "Texts/Q31_Messages_EN.gentxt"}) {
        const std::string path = dir.file(name), good = qstest::ReadFileBytes(path);
        ASSERT_GT(good.size(), 100u) << name;
        ASSERT_EQ(LoadTexts(), "");
        const std::string label = Q31TxtLabelG[0], message = Q31TxtMesG[0];
        // Cut within the first ten lines: below every table's required count, however many
        // entries are appended to it later.
        size_t cut = 0;
        for (int line = 0; line < 10; ++line) cut = good.find('\n', cut + 1);
        std::vector<Damage> damaged = Damaged(good, 91);
        damaged[0].bytes = good.substr(0, cut);
        damaged.push_back({"one endless line", std::string(64 * 70, 'L')});  // each entry cut to its field
        for (const Damage& d : damaged) {
            SCOPED_TRACE(std::string(name) + " " + d.name);
            qstest::WriteFileBytes(path, d.bytes);
            const std::string seen = LoadTexts();
            if (d.name == "truncated" || d.name == "zero-filled") EXPECT_EQ(seen, incomplete);
            if (d.name == "random") EXPECT_TRUE(seen.empty() || seen == incomplete) << seen;
            if (d.name == "over-long") {  // entries past the table's count are not read
                EXPECT_EQ(seen, "");
                EXPECT_EQ(Q31TxtLabelG[0], label);
                EXPECT_EQ(Q31TxtMesG[0], message);
            }
        }
        qstest::WriteFileBytes(path, good);
    }
    SbSetTourModal(nullptr);
}

}  // namespace
