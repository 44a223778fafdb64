// Hostile files through the buttons and loaders that read them, damaged four ways: nothing crashes,
// what cannot be read is reported, what was held is kept, and every text stays within its field.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <random>
#include <tuple>

#include "app/Q31Erreur.h"
#include "app/Q31Ihm.h"
#include "app/Q31Modules.h"
#include "chrono/SbChrono.h"
#include "competitor/Q12.h"
#include "competitor/Q12Import.h"
#include "competitor/Q12Listes.h"
#include "competitor/Q12Panneau.h"
#include "display/Q31Fsd.h"
#include "panels/FQ12.h"
#include "panels/FQ31.h"
#include "panels/FSabGen.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "settings/Q31FSet.h"
#include "settings/Q31FSetPages.h"
#include "tests/runner/FreshState.h"
#include "tests/runner/Operator.h"
#include "tests/support/TestSupport.h"
#include "ui/Dialogs.h"
#include "ui/Texts.h"

namespace {

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
template <typename T>
std::string Bytes(const T& record) {
    return std::string(reinterpret_cast<const char*>(&record), sizeof record);
}
template <size_t N>
bool Terminated(const char (&text)[N]) {  // the text ends within its field
    return std::memchr(text, 0, N) != nullptr;
}
template <size_t N, size_t S>
bool AllTerminated(const char (&table)[N][S]) {
    return std::all_of(std::begin(table), std::end(table), [](const char(&t)[S]) { return Terminated(t); });
}
std::string shownG;  // what the error box said

// The main window's panels loaded as the program loads them, over fresh records and texts.
class BadFiles : public ::testing::Test {
protected:
    void SetUp() override {
        qstest::FreshRecords();
        for (const char* d : {"Chronos", "Settings", "Data"}) MakeDir(d);
        e2e::InstallHooks();
        Q31EnregistrerCallbacks();
        Q31FIhmG = LoadPanel(0, "FQ31.uir", fq31::MAIN);
        ASSERT_GT(Q31FIhmG, 0);
        SbChronoOuvrir("Chronos", "Chrono.q31tps", Q31FIhmG, fq31::MAIN_TIMES_TABLE);
        Q31FsdCharger();
        Q12Charger("Courant.q12ct", 3);
        Q31FSetCharger();
    }
    void TearDown() override {
        Q31FSetFermer();
        Q31FsdQuitter();
        Q12Quitter("Courant.q12ct");
        SbChronoFermer("Chronos", "Chrono.q31tps");
        DiscardPanel(Q31FIhmG);
        e2e::RemoveHooks();
        SbSetTourModal(nullptr);
        Q12SetDialogue(nullptr);
        ProcessSystemEvents();
    }
    std::string Write(const std::string& relative, const std::string& bytes) const {  // its full path
        qstest::WriteFileBytes(dir_.file(relative), bytes);
        return dir_.file(relative);
    }
    // The competitor lists bounded, terminated, and shown on the panel as held.
    static void ExpectSoundLists() {
        ASSERT_TRUE(Q12ListesAllouees() && Q12NbListeG >= 0 && Q12NbListeG <= kQ12Max && Q12NbHistoG >= 0 &&
                    Q12NbHistoG <= kQ12Max);
        int waiting = 0;
        for (int i = 0; i < Q12NbListeG; ++i) waiting += (*Q12ListeG)[size_t(i)].Envoye == 0;
        for (const Q12Bloc* b : {Q12ListeG, Q12HistoG})
            for (const auto& r : *b)
                EXPECT_TRUE(Terminated(r.Texte1) && Terminated(r.Texte2) && Terminated(r.Texte3));
        EXPECT_EQ(std::pair(e2e::TableRowCount(Q12PanneauG, fq12::COMPET_WAITING),
                            e2e::TableRowCount(Q12PanneauG, fq12::COMPET_SENT)),
                  std::pair(waiting, Q12NbHistoG));
    }
    qstest::TempProgramDir dir_;
};

// The competitor unit's file and the spreadsheets of the import button load bounded; quitting
// writes a whole file; a spreadsheet that cannot be read is reported and leaves the lists of the
// good import before it.
TEST_F(BadFiles, CompetitorFilesLoadBoundedAndTheUnitStaysUsable) {
    for (int n : {11, 12, 13}) (*Q12ListeG)[size_t(Q12NbListeG++)].Numero = n;
    (*Q12HistoG)[size_t(Q12NbHistoG++)] = (*Q12ListeG)[1];
    std::strcpy((*Q12HistoG)[0].Texte1, "Name 12");
    Q12Quitter("Courant.q12ct");
    const std::string good = qstest::ReadFileBytes(dir_.file("Courant.q12ct"));
    Q12Charger("Courant.q12ct", 3);
    for (const Damage& d : Damaged(good, 61)) {
        SCOPED_TRACE(d.name);
        Q12Quitter("Courant.q12ct");
        Write("Courant.q12ct", d.bytes);
        Q12Charger("Courant.q12ct", 3);
        ExpectSoundLists();
        if (d.name == "over-long")  // what the file held is read, what follows it not
            EXPECT_EQ(std::tuple(Q12NbListeG, Q12NbHistoG, std::string((*Q12HistoG)[0].Texte1)),
                      std::tuple(3, 1, "Name 12"));
        // A whole file that loads back to the same lists.
        const auto held = std::pair(Q12NbListeG, Q12NbHistoG);
        Q12Quitter("Courant.q12ct");
        EXPECT_EQ(qstest::FileSize(dir_.file("Courant.q12ct")), long(good.size()));
        Q12Charger("Courant.q12ct", 3);
        EXPECT_EQ(std::pair(Q12NbListeG, Q12NbHistoG), held);
    }
    Q12SetDialogue([](Q12Cnf*) { return true; });
    SbSetTourModal([](int panel) { QueueUserEvent(panel, fsabgen::POPUP_ANNULER); });  // keep the lists
    const auto import = [](const std::string& path) {  // false when reported unreadable
        e2e::PickFiles({path});
        const size_t before = e2e::MessagesSeen().size();
        QueueUserEvent(Q12PanneauG, fq12::COMPET_IMPORT);
        ProcessSystemEvents();
        return e2e::MessagesSeen().size() == before;
    };
    for (const std::string ext : {".xlsx", ".ods", ".xls", ".csv"}) {
        const std::string good = qstest::ReadFileBytes(QS_COMPETITOR_FIXTURES "/competitors" + ext);
        for (const Damage& d : Damaged(good, unsigned(ext.size() + ext[1]))) {
            SCOPED_TRACE(ext + " " + d.name);
            ASSERT_TRUE(import(Write("good" + ext, good)) && Q12NbListeG > 0);
            const int before = Q12NbListeG, first = (*Q12ListeG)[0].Numero;
            const bool read = import(Write("damaged" + ext, d.bytes));
            ExpectSoundLists();
            // Zero bytes are no spreadsheet, random bytes no workbook (without a zero they are text):
            // refused and reported, the lists of the good import kept.
            if (!read || d.name == "zero-filled" || (d.name == "random" && ext != ".csv"))
                EXPECT_EQ(std::tuple(read, Q12NbListeG, (*Q12ListeG)[0].Numero),
                          std::tuple(false, before, first));
        }
    }
}

// Settings (".q31set", ".q31gsm") and second-display (".q31fsd") files through their load buttons:
// the bytes a file holds replace the start of its block, the rest keeps what it held, every text
// stays terminated. (How the display lays hostile records out: the display's own tests.)
TEST_F(BadFiles, FixedLayoutFilesReplaceOnlyTheBytesTheyHoldAndKeepTextsTerminated) {
    const int dialog = LoadPanel(0, "FQ31.uir", fq31::PARAMS);
    // Each file holds its block as loaded; what is held before a load differs in both halves.
    SbComParams params = SbComG.params;
    SbComGsm gsm = SbComG.gsm;
    FsdParam display = Q31G.secondDisplay;
    params.precision = 3;
    params.inputs[3].choice3 = 2;
    std::strcpy(gsm.first[0].text[1], "Start open");
    std::strcpy(gsm.second[1].text[2], "Previous");
    std::strcpy(display.text1, "Giant slalom");
    std::strcpy(display.logos[3].path, "Former");
    const auto textsTerminated = [] {
        const SbComGsm& g = SbComG.gsm;
        const FsdParam& p = Q31G.secondDisplay;
        bool all =
            Terminated(g.common) && Terminated(p.text1) && Terminated(p.text2) && Terminated(p.background);
        for (int i = 0; i < 2; ++i) all &= AllTerminated(g.first[i].text) && AllTerminated(g.second[i].text);
        for (const FsdLogo& l : p.logos) all &= Terminated(l.path);
        return all;
    };
    // The file, the block it fills, the good and the former bytes, its load button.
    using Kind = std::tuple<const char*, void*, std::string, std::string, std::function<void()>>;
    for (const auto& [file, block, good, before, load] :
         {Kind{"damaged.q31set", &SbComG.params, Bytes(SbComG.params), Bytes(params),
               [] { FQ31SetParamCharger(Q31FSetPanel(4), 0, EVENT_COMMIT, nullptr, 0, 0); }},
          Kind{"damaged.q31gsm", &SbComG.gsm, Bytes(SbComG.gsm), Bytes(gsm),
               [] { FQ31SetGsmCharger(Q31FSetPanel(7), 0, EVENT_COMMIT, nullptr, 0, 0); }},
          Kind{"damaged.q31fsd", &Q31G.secondDisplay, Bytes(Q31G.secondDisplay), Bytes(display),
               [&] { QueueUserEvent(dialog, fq31::PARAMS_LOAD), ProcessSystemEvents(); }}}) {
        const size_t size = good.size();
        for (const Damage& d : Damaged(good, 21)) {
            SCOPED_TRACE(std::string(file) + " " + d.name);
            std::memcpy(block, before.data(), size);
            e2e::PickFiles({Write(std::string("Settings/") + file, d.bytes)});
            load();
            const std::string got(static_cast<const char*>(block), size);
            if (d.name != "random")  // the file's bytes, then what was held
                EXPECT_TRUE(got == (d.bytes + before.substr(std::min(size, d.bytes.size()))).substr(0, size));
            EXPECT_TRUE(textsTerminated());
        }
    }
    DiscardPanel(dialog);
}

// Text tables through the loader of start-up and of a change of language: every entry stays a
// terminated text, and a file holding too few entries is the interface failure shown.
TEST_F(BadFiles, LabelAndMessageFilesKeepEveryEntryTerminated) {
    SbSetTourModal([](int panel) {
        shownG = e2e::Text(panel, fsabgen::ERREUR_TEXTE);
        QueueUserEvent(panel, fsabgen::ERREUR_BOUTON1);
    });
    const auto load = [] {  // the failure shown to the operator ("" when none)
        shownG.clear();
        Q31ChargerTextes();
        EXPECT_TRUE(AllTerminated(GLabelBpG) && AllTerminated(GMessageG) && AllTerminated(GMesComG) &&
                    AllTerminated(Q31TxtLabelG) && AllTerminated(Q31TxtLabSetG) &&
                    AllTerminated(Q31TxtMesG) && AllTerminated(Q12TxtG));
        if (!Q31Erreur()) return std::string();
        EXPECT_STREQ(Q31ErreurTitre(), "Start Clock QS-310 INTERFACE FAILURE");
        Q31GererErreur(0);
        return shownG;
    };
    const std::string incomplete = "Reading text files incomplete !";
    for (const char* name : {"Texts/Q31_Labels_EN.gentxt", "Texts/Q31_Messages_EN.gentxt"}) {
        const std::string path = dir_.file(name), good = qstest::ReadFileBytes(path);
        ASSERT_EQ(load(), "");
        const std::string label = Q31TxtLabelG[0], message = Q31TxtMesG[0];
        std::vector<Damage> damaged = Damaged(good, 91);
        damaged[0].bytes = good.substr(0, 200);  // within the first lines: below every table's count
        damaged.push_back({"one endless line", std::string(64 * 70, 'L')});  // each entry cut to its field
        for (const Damage& d : damaged) {
            SCOPED_TRACE(std::string(name) + " " + d.name);
            qstest::WriteFileBytes(path, d.bytes);
            const std::string seen = load();
            if (d.name == "truncated" || d.name == "zero-filled") EXPECT_EQ(seen, incomplete);
            if (d.name == "random") EXPECT_TRUE(seen.empty() || seen == incomplete) << seen;
            if (d.name == "over-long")  // entries past the table's count are not read
                EXPECT_EQ(std::tuple(seen, Q31TxtLabelG[0], Q31TxtMesG[0]), std::tuple("", label, message));
        }
        qstest::WriteFileBytes(path, good);
    }
}

}  // namespace
