// Hostile files through the buttons and loaders that read them, damaged four ways: nothing crashes,
// what cannot be read is reported, what was held is kept, and every text stays within its field.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <tuple>

#include "app/Q31Erreur.h"
#include "app/Q31Modules.h"
#include "competitor/Q12Import.h"
#include "competitor/Q12Listes.h"
#include "competitor/Q12Panneau.h"
#include "display/Q31Fsd.h"
#include "panels/FQ12.h"
#include "panels/FQ31.h"
#include "panels/FSabGen.h"
#include "settings/Q31FSet.h"
#include "settings/Q31FSetPages.h"
#include "tests/runner/FreshState.h"
#include "tests/runner/Operator.h"
#include "ui/Dialogs.h"

namespace {

using namespace e2e;

struct Damage {
    std::string name, bytes;
};
// A good file cut inside a record, as many zero bytes, followed by 5 000 random bytes, random.
std::vector<Damage> Damaged(const std::string& good, unsigned seed) {
    std::mt19937 gen(seed);
    std::string noise(good.size() + 5000, '\0');
    for (char& c : noise) c = char(gen());
    return {{"truncated", good.substr(0, good.size() / 2 + 3)},
            {"zero-filled", std::string(good.size(), '\0')},
            {"over-long", good + noise.substr(good.size())},
            {"random", noise.substr(0, good.size())}};
}
template <size_t... N>
bool Terminated(const char (&... texts)[N]) {  // each text ends within its field
    return (... && (std::memchr(texts, 0, N) != nullptr));
}
template <size_t... N, size_t... S>
bool AllTerminated(const char (&... tables)[N][S]) {  // every entry of each table
    return (... &&
            std::all_of(std::begin(tables), std::end(tables), [](const auto& t) { return Terminated(t); }));
}

// The competitor unit, the settings pages and the second display loaded over fresh records and texts.
class BadFiles : public ::testing::Test {
protected:
    void SetUp() override {
        qstest::FreshRecords();
        InstallHooks();
        Q31EnregistrerCallbacks();
        Q31FsdCharger();
        Q12Charger("Courant.q12ct", 3);
        Q31FSetCharger();
    }
    void TearDown() override {
        Q31FsdQuitter();
        Q12Quitter("Courant.q12ct");
        RemoveHooks();
        SbSetTourModal(nullptr);
        Q12SetDialogue(nullptr);
        ProcessSystemEvents();
    }
    // The competitor lists bounded, terminated, and shown on the panel as held.
    static void ExpectSoundLists() {
        ASSERT_TRUE(Q12ListesAllouees() && unsigned(Q12NbListeG) <= kQ12Max &&
                    unsigned(Q12NbHistoG) <= kQ12Max);
        int waiting = 0;
        for (int i = 0; i < Q12NbListeG; ++i) waiting += (*Q12ListeG)[size_t(i)].Envoye == 0;
        for (const Q12Bloc* b : {Q12ListeG, Q12HistoG})
            for (const auto& r : *b) EXPECT_TRUE(Terminated(r.Texte1, r.Texte2, r.Texte3));
        EXPECT_EQ(TableRowCount(Q12PanneauG, fq12::COMPET_WAITING), waiting);
        EXPECT_EQ(TableRowCount(Q12PanneauG, fq12::COMPET_SENT), Q12NbHistoG);
    }
    // The file written, then picked in the file dialog its button opens; false: told unreadable.
    static bool LoadThrough(int panel, int button, const std::string& name, const std::string& bytes) {
        qstest::WriteFileBytes(name, bytes);
        PickFiles({name});
        const size_t before = MessagesSeen().size();
        QueueUserEvent(panel, button);
        ProcessSystemEvents();
        return MessagesSeen().size() == before;
    }
    qstest::TempProgramDir dir_;
};

// The competitor unit's file and imported spreadsheets load bounded; quitting writes a whole file; a
// spreadsheet that cannot be read is reported and leaves the lists of the good import before it.
TEST_F(BadFiles, CompetitorFilesLoadBoundedAndTheUnitStaysUsable) {
    for (int n : {11, 12, 13}) (*Q12ListeG)[size_t(Q12NbListeG++)].Numero = n;
    (*Q12HistoG)[size_t(Q12NbHistoG++)] = (*Q12ListeG)[1];
    std::strcpy((*Q12HistoG)[0].Texte1, "Name 12");
    Q12Quitter("Courant.q12ct");
    const std::string good = qstest::ReadFileBytes(dir_.file("Courant.q12ct"));
    for (const Damage& d : Damaged(good, 61)) {
        SCOPED_TRACE(d.name);
        Q12Quitter("Courant.q12ct");
        qstest::WriteFileBytes("Courant.q12ct", d.bytes);
        Q12Charger("Courant.q12ct", 3);
        ExpectSoundLists();
        if (d.name == "over-long")  // what the file held is read, what follows it not
            EXPECT_EQ(std::tuple(Q12NbListeG, Q12NbHistoG, std::string((*Q12HistoG)[0].Texte1)),
                      std::tuple(3, 1, "Name 12"));
        const auto held = std::pair(Q12NbListeG, Q12NbHistoG);  // saved whole, it loads back the same
        Q12Quitter("Courant.q12ct");
        EXPECT_EQ(qstest::FileSize(dir_.file("Courant.q12ct")), long(good.size()));
        Q12Charger("Courant.q12ct", 3);
        EXPECT_EQ(std::pair(Q12NbListeG, Q12NbHistoG), held);
    }
    Q12SetDialogue([](Q12Cnf*) { return true; });
    SbSetTourModal([](int panel) { QueueUserEvent(panel, fsabgen::POPUP_ANNULER); });  // keep the lists
    for (const std::string ext : {".xlsx", ".ods", ".xls", ".csv"}) {
        const std::string good = qstest::ReadFileBytes(QS_COMPETITOR_FIXTURES "/competitors" + ext);
        for (const Damage& d : Damaged(good, unsigned(ext.size() + ext[1]))) {
            SCOPED_TRACE(ext + " " + d.name);
            ASSERT_TRUE(LoadThrough(Q12PanneauG, fq12::COMPET_IMPORT, "good" + ext, good) && Q12NbListeG > 0);
            const auto kept = std::tuple(false, Q12NbListeG, (*Q12ListeG)[0].Numero);
            const bool read = LoadThrough(Q12PanneauG, fq12::COMPET_IMPORT, "damaged" + ext, d.bytes);
            ExpectSoundLists();
            // Zero bytes are no spreadsheet, random bytes no workbook (without a zero they are text).
            if (!read || d.name == "zero-filled" || (d.name == "random" && ext != ".csv"))
                EXPECT_EQ(std::tuple(read, Q12NbListeG, (*Q12ListeG)[0].Numero), kept);
        }
    }
}

// Settings and second-display files through their load buttons: the bytes a file holds replace the
// start of its block, the rest keeps what it held, every text stays terminated.
TEST_F(BadFiles, FixedLayoutFilesReplaceOnlyTheBytesTheyHoldAndKeepTextsTerminated) {
    const int dialog = LoadPanel(0, "FQ31.uir", fq31::PARAMS);
    SbComParams params = SbComG.params;
    SbComGsm gsm = SbComG.gsm;
    FsdParam display = Q31G.secondDisplay;
    const auto bytes = [](const auto& r) { return std::string(reinterpret_cast<const char*>(&r), sizeof r); };
    params.precision = 3;
    params.inputs[3].choice3 = 2;
    std::strcpy(gsm.first[0].text[1], "Start open");
    std::strcpy(gsm.second[1].text[2], "Previous");
    std::strcpy(display.text1, "Giant slalom");
    std::strcpy(display.logos[3].path, "Former");
    const SbComGsm& g = SbComG.gsm;
    const FsdParam& p = Q31G.secondDisplay;
    // The file (its block as loaded), the block, what it held (different in both halves), its load button.
    using Kind = std::tuple<const char*, void*, std::string, int, int>;
    for (const auto& [file, block, before, panel, button] :
         {Kind{"bad.q31set", &SbComG.params, bytes(params), Q31FSetPanel(4), fq31::PAGE4_FILE_LOAD},
          Kind{"bad.q31gsm", &SbComG.gsm, bytes(gsm), Q31FSetPanel(7), fq31::PAGE7_FILE_LOAD},
          Kind{"bad.q31fsd", &Q31G.secondDisplay, bytes(display), dialog, fq31::PARAMS_LOAD}}) {
        const size_t size = before.size();
        for (const Damage& d : Damaged(std::string(static_cast<const char*>(block), size), 21)) {
            SCOPED_TRACE(std::string(file) + " " + d.name);
            std::memcpy(block, before.data(), size);
            LoadThrough(panel, button, file, d.bytes);
            const auto want = (d.bytes + before.substr(std::min(size, d.bytes.size()))).substr(0, size);
            EXPECT_TRUE(d.name == "random" || std::memcmp(block, want.data(), size) == 0);
            EXPECT_TRUE(Terminated(g.common, p.text1, p.text2, p.background));
            for (int i = 0; i < 2; ++i) EXPECT_TRUE(AllTerminated(g.first[i].text, g.second[i].text));
            for (const FsdLogo& l : p.logos) EXPECT_TRUE(Terminated(l.path));
        }
    }
    DiscardPanel(dialog);
}

// Text tables through the loader of start-up and of a change of language: every entry stays a
// terminated text, and a file holding too few entries is the interface failure shown.
TEST_F(BadFiles, LabelAndMessageFilesKeepEveryEntryTerminated) {
    SbSetTourModal([](int panel) { QueueUserEvent(panel, fsabgen::ERREUR_BOUTON1); });
    const std::string incomplete = "Start Clock QS-310 INTERFACE FAILURE|Reading text files incomplete !";
    const std::string label = Q31TxtLabelG[0], message = Q31TxtMesG[0];
    for (const char* name : {"Texts/Q31_Labels_EN.gentxt", "Texts/Q31_Messages_EN.gentxt"}) {
        const std::string path = dir_.file(name), good = qstest::ReadFileBytes(path);
        std::vector<Damage> damaged = Damaged(good, 91);
        damaged[0].bytes = good.substr(0, 200);  // within the first lines: below every table's count
        damaged.push_back({"one endless line", std::string(64 * 70, 'L')});  // each entry cut to its field
        for (const Damage& d : damaged) {
            SCOPED_TRACE(std::string(name) + " " + d.name);
            qstest::WriteFileBytes(path, d.bytes);
            Q31ChargerTextes();
            EXPECT_TRUE(AllTerminated(GLabelBpG, GMessageG, GMesComG, Q31TxtLabelG, Q31TxtLabSetG, Q31TxtMesG,
                                      Q12TxtG));
            const std::string told =
                Q31Erreur() ? std::string(Q31ErreurTitre()) + "|" + Q31ErreurTexte() : "";
            Q31GererErreur(0);
            if (d.name == "truncated" || d.name == "zero-filled") EXPECT_EQ(told, incomplete);
            if (d.name == "over-long")  // entries past the table's count are not read
                EXPECT_EQ(std::tuple(told, Q31TxtLabelG[0], Q31TxtMesG[0]), std::tuple("", label, message));
        }
        qstest::WriteFileBytes(path, good);
    }
}

}  // namespace
