// Times store: what is kept, its ".q31tps" file, bad files, the store file kept current
// while times arrive, and the previous run's file kept at opening.
#include <ctime>
#include <filesystem>
#include <set>

#include "tests/chrono/ChronoFixture.h"
#include "tests/support/SmallDisk.h"
#include "ui/FileNotices.h"

namespace fs = std::filesystem;
using namespace chronotest;

static std::string Today() {
    const std::time_t now = std::time(nullptr);
    char day[16];
    std::strftime(day, sizeof day, "%Y%m%d", std::localtime(&now));
    return day;
}

static std::set<std::string> Conserves(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().filename().string().rfind("Chrono_", 0) == 0) names.insert(e.path().filename().string());
    return names;
}

// The file of two records, byte for byte (an empty store's: opening's); counts that disagree with
// the file are cut to what the file and the store (9,999 times) hold (a count alone: no time); a
// file without a count is refused and the store stays as it was.
TEST_F(ChronoTest, TimesFileImageAndBadCounts) {
    Ouvrir();
    const SbChronoRec a = Temps(10, 0, 1, 25000, '1', 12), b = Temps(10, 0, 2, 5, '2', 0, 7);
    Ajouter({a, b});
    SbChronoSauver("Chronos\\deux.q31tps");
    const std::string bytes = qstest::ReadFileBytes(Fichier("Chronos/deux.q31tps"));
    EXPECT_EQ(bytes, Image(2, {a, b}));
    // Second record: competitor 0, number 7, ... kind, mark, qualifier, channel at 28..31.
    EXPECT_EQ(bytes.substr(36, 8), std::string("\0\0\0\0\x07\0\0\0", 8));
    EXPECT_EQ(bytes.substr(36 + 28, 4), "TNM2");
    EXPECT_TRUE(SbChronoLire(0) == nullptr && SbChronoLire(3) == nullptr);
    std::vector<SbChronoRec> many(10001, a);
    many[1] = b;
    // The file's bytes, the times loaded (-1: refused); the last row fills the store.
    const std::pair<std::string, int> rows[] = {{Image(-1, {a, b}), 0}, {Image(5, {a, b}) + "xxxxxxxxxx", 2},
                                                {Image(1, {a, b}), 1},  {std::string("\x01\0", 2), -1},
                                                {Image(0, {}), 0},      {Image(20000, many), 9999}};
    for (const auto& [file, loaded] : rows) {
        SCOPED_TRACE(loaded);
        SbChronoEffacer();
        Ajouter({b});
        qstest::WriteFileBytes(Fichier("Chronos/bad.q31tps"), file);
        ASSERT_EQ(SbChronoCharger("Chronos\\bad.q31tps"), loaded < 0 ? 0 : 1);
        EXPECT_EQ(Stored().substr(0, 68),
                  loaded < 0 ? Image(1, {b}) : Image(loaded, {a, b}).substr(0, 4 + 32 * std::min(loaded, 2)));
    }
    Ajouter({b});  // full: the next time is dropped
    EXPECT_EQ(SbChronoNombre(), 9999);
}

// A channel-1 time with no program running comes alone (with one running: the table's rows).
// Times are kept only while connected (serial or network) or simulating; every one handed over is seen.
TEST_F(ChronoTest, WhatIsKeptOfEachTime) {
    Ouvrir();
    SbChronoViderRecus();
    const SbChronoRec t = Temps(10, 0, 1, 25000);
    for (auto [link, simulating, kept] : {std::tuple{1, 0, 1}, {0, 0, 1}, {0, 1, 2}, {2, 0, 3}}) {
        SbComG.linkState = link;
        SbComG.simulation = simulating;
        Ajouter({t});
        EXPECT_EQ(SbChronoNombre(), kept) << link << simulating;
    }
    EXPECT_EQ(SbChronoRecus().size(), 4u);
}

// The previous run's file is kept beside the store under a name with the day (the race checks the
// contents), a second one at once under another free name; an empty store file is nothing to keep. On a
// small disk with 132 KB free, last run's 8,000 times (256 KB) cannot be copied: their file is left as it
// was, the store goes to a new file and the operator is told where; closing writes the new one only.
TEST_F(ChronoTest, OpeningKeepsThePreviousRunsFile) {
    const std::string day = Today();
    qstest::WriteFileBytes(Fichier("Chronos/Chrono.q31tps"), Image(1, {Temps(6, 0, 0, 1)}));
    Ouvrir();
    EXPECT_EQ(qstest::ReadFileBytes(Fichier("Chronos/Chrono.q31tps")), std::string(4, '\0'));
    Ajouter({Temps(6, 0, 1, 2)});
    SbChronoFermer("Chronos", "Chrono.q31tps");  // reopened at once: another free name
    Ouvrir();
    SbChronoFermer("Chronos", "Chrono.q31tps");                    // empty
    qstest::WriteFileBytes(Fichier("Chronos/Chrono.q31tps"), "");  // left empty by a crash: nothing to keep
    Ouvrir();
    SbChronoFermer("Chronos", "Chrono.q31tps");
    EXPECT_EQ(Conserves(Fichier("Chronos")).size(), 2u);
    for (const std::string& kept : Conserves(Fichier("Chronos")))  // either side of midnight
        EXPECT_TRUE(kept.substr(7, 9) == day + "-" || kept.substr(7, 9) == Today() + "-") << kept;

    qstest::SmallDisk disk(Fichier("Small"), 400);
    ASSERT_TRUE(disk.Mounted()) << "needs a full disk of its own: " << disk.WhyNot();
    const std::string last = Image(8000, std::vector(8000, Temps(6, 0, 0, 1)));
    qstest::WriteFileBytes(Fichier("Small/Chrono.q31tps"), last);
    disk.Fill(132 * 1024);
    SbForgetFileNotices();
    SbChronoOuvrir("Small", "Chrono.q31tps", 0, 0);
    const auto files = Conserves(Fichier("Small"));
    ASSERT_EQ(files.size(), 1u);
    const std::string name = "Small\\" + *files.begin();
    EXPECT_EQ(name.substr(name.size() - 11), "-new.q31tps") << name;
    ASSERT_EQ(SbFileNotes().size(), 1u);
    const SbFileNote& note = SbFileNotes()[0];
    EXPECT_EQ(std::tuple(std::string(SbChronoStorePath()), note.path, note.kind, note.reason),
              std::tuple(name, name, SbFileNotice::PreviousRunKept, FILE_WRITE_DISK_FULL));
    Ajouter(std::vector(5, Temps(12, 0, 0, 0, '2')));
    SbChronoFermer("Small", "Chrono.q31tps");
    EXPECT_EQ(qstest::ReadFileBytes(Fichier("Small/Chrono.q31tps")), last);
    EXPECT_EQ(qstest::FileSize(Fichier("Small/" + *files.begin())), 4 + 5 * 32);
    EXPECT_EQ(SbFileNotes().size(), 1u);  // the new file was written: nothing more to tell
}

// The store file follows the times within half a second, and the times loaded (a store file that cannot
// be written is the disk fault race's); closing writes the store, and a closed store takes nothing.
TEST_F(ChronoTest, StoreFileFollowsTheTimes) {
    Ouvrir();
    const SbChronoRec t = Temps(12, 0, 0, 0, '2');
    Ajouter({t});
    auto after = [&](double seconds) {
        Maintenant += seconds;
        SbChronoMaintenir();
        return qstest::FileSize(Fichier("Chronos/Chrono.q31tps"));
    };
    EXPECT_EQ(after(0.2), 4) << "written before the delay";
    EXPECT_EQ(after(0.4), 36);
    SbChronoSauver("Chronos\\Un.q31tps");
    SbChronoEffacer();
    EXPECT_EQ(after(1.0), 4);
    ASSERT_EQ(SbChronoCharger("Chronos\\Un.q31tps"), 1);
    EXPECT_EQ(after(1.0), 36) << "the times loaded are kept in the store file";
    SbChronoFermer("Chronos", "Fin.q31tps");
    EXPECT_EQ(qstest::ReadFileBytes(Fichier("Chronos/Fin.q31tps")), Image(1, {t}));
    Ajouter({t});
    EXPECT_EQ(SbChronoNombre(), 0);
    EXPECT_EQ(SbChronoCharger("Chronos\\Fin.q31tps"), 0);
}
