// Times store: what is kept, its ".q31tps" file, bad files, the store file kept
// current while times arrive, and the previous run's file kept at opening.
#include <filesystem>
#include <set>

#include "tests/chrono/ChronoFixture.h"
#include "tests/support/SmallDisk.h"
#include "ui/FileNotices.h"

namespace fs = std::filesystem;
using namespace chronotest;

namespace {

std::set<std::string> FichiersConserves(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) {
        const std::string name = e.path().filename().string();
        if (name.rfind("Chrono_", 0) == 0 && e.path().extension() == ".q31tps") names.insert(name);
    }
    return names;
}

}  // namespace

TEST_F(ChronoTest, FileOfEmptyStoreAndOfThreeRecordsReadsBackIdentical) {
    Ouvrir();
    SbChronoSauver("Chronos\\vide.q31tps");
    EXPECT_EQ(qstest::ReadFileBytes(Fichier("Chronos/vide.q31tps")), std::string(4, '\0'));

    const SbChronoRec a = Temps(10, 0, 1, 25000, '1', 12), b = Temps(10, 0, 2, 5, '2', 0, 7),
                      c = Temps(23, 59, 59, 99999, '1', 9999, 42);
    for (const auto& r : {a, b, c}) SbChronoQ31Traiter(&r);
    SbChronoSauver("Chronos\\trois.q31tps");
    const std::string bytes = qstest::ReadFileBytes(Fichier("Chronos/trois.q31tps"));
    ASSERT_EQ(bytes.size(), 100u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\x03\0\0\0", 4));
    // Second record: competitor 0, number 7, ... kind, mark, qualifier, channel at 28..31.
    EXPECT_EQ(bytes.substr(36, 8), std::string("\0\0\0\0\x07\0\0\0", 8));
    EXPECT_EQ(bytes.substr(36 + 28, 4), "TNM2");

    SbChronoEffacer();
    EXPECT_EQ(SbChronoNombre(), 0);
    ASSERT_EQ(SbChronoCharger("Chronos\\trois.q31tps"), 1);
    ASSERT_EQ(SbChronoNombre(), 3);
    EXPECT_TRUE(Pareils(*SbChronoLire(1), a));
    EXPECT_TRUE(Pareils(*SbChronoLire(2), b));
    EXPECT_TRUE(Pareils(*SbChronoLire(3), c));
    EXPECT_EQ(SbChronoLire(4), nullptr);
    EXPECT_EQ(SbChronoLire(0), nullptr);
}

TEST_F(ChronoTest, ChannelOneTimeWhileProgramRunsAddsReferenceAndDifference) {
    Ouvrir();
    SbChronoQ31ItG = Temps(10, 0, 0, 0);
    SbChronoQ31ItG.Type = 'I';
    SbChronoQ31ItG.Marque = 'T';
    SbQ31CrG.status1 = 1;

    const SbChronoRec late = Temps(10, 0, 1, 25000);
    SbChronoQ31Traiter(&late);
    ASSERT_EQ(SbChronoNombre(), 3);
    EXPECT_TRUE(Pareils(*SbChronoLire(1), late));
    EXPECT_TRUE(Pareils(*SbChronoLire(2), SbChronoQ31ItG));
    const SbChronoRec& d = *SbChronoLire(3);
    EXPECT_EQ(std::string({d.Type, d.Marque, d.Qualif, d.Canal}), "DT +");
    EXPECT_EQ(d.Heures * 10000000 + d.Minutes * 100000 + d.Secondes, 1);
    EXPECT_EQ(d.Fraction, 25000);
    EXPECT_EQ(d.Concurrent + d.Numero + d.Complement, 0);

    const SbChronoRec early = Temps(9, 59, 59, 90000);
    SbChronoQ31Traiter(&early);
    ASSERT_EQ(SbChronoNombre(), 6);
    EXPECT_EQ(SbChronoLire(6)->Canal, '-');
    EXPECT_EQ(SbChronoLire(6)->Secondes, 0);
    EXPECT_EQ(SbChronoLire(6)->Fraction, 10000);

    // Another channel, or channel 1 with no start program running: the time alone.
    const SbChronoRec other = Temps(10, 0, 3, 0, '2');
    SbChronoQ31Traiter(&other);
    EXPECT_EQ(SbChronoNombre(), 7);
    SbQ31CrG.status1 = 0;
    SbChronoQ31Traiter(&late);
    EXPECT_EQ(SbChronoNombre(), 8);
    EXPECT_TRUE(Pareils(*SbChronoLire(8), late));
}

TEST_F(ChronoTest, TimesAreKeptOnlyWhileConnectedOrSimulating) {
    Ouvrir();
    SbChronoViderRecus();
    const SbChronoRec t = Temps(8, 0, 0, 0, '2');
    SbComG.linkState = 0;
    SbComG.simulation = 0;
    SbChronoQ31Traiter(&t);
    EXPECT_EQ(SbChronoNombre(), 0);
    SbComG.simulation = 1;
    SbChronoQ31Traiter(&t);
    EXPECT_EQ(SbChronoNombre(), 1);
    SbComG.simulation = 0;
    SbComG.linkState = 2;
    SbChronoQ31Traiter(&t);
    EXPECT_EQ(SbChronoNombre(), 2);
    // Every record handed over is seen by the senders' tests, kept or not.
    ASSERT_EQ(SbChronoRecus().size(), 3u);
    EXPECT_TRUE(Pareils(SbChronoRecus()[0], t));
}

TEST_F(ChronoTest, FullStoreKeepsTheLastSlotAndDropsTheNextTime) {
    Ouvrir();
    std::vector<SbChronoRec> records(9998, Temps(7, 0, 0, 0, '2'));
    qstest::WriteFileBytes(Fichier("Chronos/plein.q31tps"), Image(9998, records));
    ASSERT_EQ(SbChronoCharger("Chronos\\plein.q31tps"), 1);
    ASSERT_EQ(SbChronoNombre(), 9998);
    const SbChronoRec kept = Temps(9, 1, 2, 3, '2', 77), dropped = Temps(9, 1, 3, 0, '2', 78);
    SbChronoQ31Traiter(&kept);
    SbChronoQ31Traiter(&dropped);
    ASSERT_EQ(SbChronoNombre(), 9999);
    EXPECT_TRUE(Pareils(*SbChronoLire(9999), kept));
    SbChronoSauver("Chronos\\plein.q31tps");
    EXPECT_EQ(qstest::FileSize(Fichier("Chronos/plein.q31tps")), 4 + 32 * 9999);
}

TEST_F(ChronoTest, BadCountsAreCutToWhatTheFileAndStoreHold) {
    Ouvrir();
    const SbChronoRec a = Temps(1, 2, 3, 4), b = Temps(5, 6, 7, 8);
    const SbChronoRec before = Temps(11, 11, 11, 11, '2');
    SbChronoQ31Traiter(&before);

    struct Cas {
        const char* name;
        std::string bytes;
        int expected;
    };
    std::string shortTail = Image(5, {a, b}) + std::string(10, 'x');
    std::vector<SbChronoRec> many(10001, a);
    many[1] = b;
    for (const Cas& c : {Cas{"negatif", Image(-1, {a, b}), 0}, Cas{"grand", Image(20000, {a, b}), 2},
                         Cas{"court", shortTail, 2}, Cas{"trop", Image(20000, many), 9999},
                         Cas{"moins", Image(1, {a, b}), 1}}) {
        SCOPED_TRACE(c.name);
        std::string path = std::string("Chronos\\") + c.name + ".q31tps";
        qstest::WriteFileBytes(Fichier(std::string("Chronos/") + c.name + ".q31tps"), c.bytes);
        ASSERT_EQ(SbChronoCharger(path.c_str()), 1);
        ASSERT_EQ(SbChronoNombre(), c.expected);
        if (c.expected > 0) EXPECT_TRUE(Pareils(*SbChronoLire(1), a));
        if (c.expected >= 2) EXPECT_TRUE(Pareils(*SbChronoLire(2), b));
        EXPECT_EQ(SbChronoLire(c.expected + 1), nullptr);
    }

    // No count at all, or no file: refused, the store stays as it was.
    SbChronoEffacer();
    SbChronoQ31Traiter(&before);
    qstest::WriteFileBytes(Fichier("Chronos/tronque.q31tps"), std::string("\x01\0", 2));
    EXPECT_EQ(SbChronoCharger("Chronos\\tronque.q31tps"), 0);
    EXPECT_EQ(SbChronoCharger("Chronos\\absent.q31tps"), 0);
    ASSERT_EQ(SbChronoNombre(), 1);
    EXPECT_TRUE(Pareils(*SbChronoLire(1), before));
}

TEST_F(ChronoTest, OpeningKeepsThePreviousRunsFileLoadable) {
    const std::vector<SbChronoRec> last = {Temps(6, 0, 0, 1), Temps(6, 0, 1, 2), Temps(6, 0, 2, 3)};
    const std::string previous = Image(3, last);
    qstest::WriteFileBytes(Fichier("Chronos/Chrono.q31tps"), previous);
    Ouvrir();
    EXPECT_EQ(SbChronoNombre(), 0);
    // The store file starts over empty, the old one lies beside it under a dated name.
    EXPECT_EQ(qstest::ReadFileBytes(Fichier("Chronos/Chrono.q31tps")), std::string(4, '\0'));
    auto kept = FichiersConserves(Fichier("Chronos"));
    ASSERT_EQ(kept.size(), 1u);
    const std::string name = *kept.begin();
    EXPECT_EQ(name.size(), std::string("Chrono_20261206-075900.q31tps").size()) << name;
    EXPECT_EQ(qstest::ReadFileBytes(Fichier("Chronos/" + name)), previous);
    ASSERT_EQ(SbChronoCharger(("Chronos\\" + name).c_str()), 1);
    EXPECT_EQ(SbChronoNombre(), 3);

    // Closing writes the store; reopening at once keeps it under another free name.
    SbChronoFermer("Chronos", "Chrono.q31tps");
    Ouvrir();
    EXPECT_EQ(FichiersConserves(Fichier("Chronos")).size(), 2u);

    // An empty store file is nothing to keep.
    SbChronoFermer("Chronos", "Chrono.q31tps");
    Ouvrir();
    EXPECT_EQ(FichiersConserves(Fichier("Chronos")).size(), 2u);
}

// Last run's 8,000 times (256 KB) on a small disk with 132 KB free: their copy
// cannot be made, so their file is left as it was, the store goes to a new file and
// the operator is told where; closing writes the new file, never the old one.
TEST_F(ChronoTest, PreviousRunsFileIsNeverReplacedWhenItsCopyCannotBeMade) {
    qstest::SmallDisk disk(Fichier("Chronos"), 400);
    if (!disk.Mounted()) GTEST_SKIP() << "needs a full disk of its own: " << disk.WhyNot();
    std::vector<SbChronoRec> last(8000, Temps(6, 0, 0, 1));
    for (size_t i = 0; i < last.size(); ++i) last[i].Numero = int(i + 1);
    const std::string previous = Image(8000, last);
    qstest::WriteFileBytes(Fichier("Chronos/Chrono.q31tps"), previous);
    disk.Fill(132 * 1024);
    SbForgetFileNotices();

    Ouvrir();
    const auto files = FichiersConserves(Fichier("Chronos"));
    ASSERT_EQ(files.size(), 1u);
    const std::string name = *files.begin();
    EXPECT_EQ(name.substr(name.size() - 11), "-new.q31tps") << name;
    EXPECT_EQ(std::string(SbChronoStorePath()), "Chronos\\" + name);
    ASSERT_EQ(SbFileNotes().size(), 1u);
    EXPECT_EQ(SbFileNotes()[0].kind, SbFileNotice::PreviousRunKept);
    EXPECT_EQ(SbFileNotes()[0].path, SbChronoStorePath());
    EXPECT_EQ(SbFileNotes()[0].reason, FILE_WRITE_DISK_FULL);

    const SbChronoRec t = Temps(12, 0, 0, 0, '2');
    for (int i = 0; i < 5; ++i) SbChronoQ31Traiter(&t);
    Maintenant() += 1.0;
    SbChronoMaintenir();
    EXPECT_EQ(qstest::FileSize(Fichier("Chronos/" + name)), 4 + 5 * 32);
    SbChronoFermer("Chronos", "Chrono.q31tps");
    EXPECT_EQ(qstest::ReadFileBytes(Fichier("Chronos/Chrono.q31tps")), previous);
    EXPECT_EQ(qstest::FileSize(Fichier("Chronos/" + name)), 4 + 5 * 32);
    EXPECT_EQ(SbFileNotes().size(), 1u);  // the new file was written: nothing more to tell
}

TEST_F(ChronoTest, StoreFileFollowsTimesWithinADelayAndBurstsAreCoalesced) {
    Ouvrir();
    const std::string storeFile = Fichier("Chronos/Chrono.q31tps");
    const SbChronoRec t = Temps(12, 0, 0, 0, '2');
    SbChronoQ31Traiter(&t);
    Maintenant() += 0.2;
    SbChronoMaintenir();
    EXPECT_EQ(qstest::FileSize(storeFile), 4) << "written before the delay";
    Maintenant() += 0.4;
    SbChronoMaintenir();
    EXPECT_EQ(qstest::FileSize(storeFile), 36);

    // 300 times in 3 s (a run download), the background task turning between them.
    int writes = 0;
    long size = qstest::FileSize(storeFile);
    for (int i = 0; i < 300; ++i) {
        SbChronoQ31Traiter(&t);
        Maintenant() += 0.01;
        SbChronoMaintenir();
        const long now = qstest::FileSize(storeFile);
        if (now != size) ++writes;
        size = now;
    }
    EXPECT_GE(writes, 4);
    EXPECT_LE(writes, 7);
    Maintenant() += 1.0;
    SbChronoMaintenir();
    EXPECT_EQ(qstest::FileSize(storeFile), 4 + 32 * 301);

    // Marking and clearing are changes too.
    SbChronoEffacer();
    Maintenant() += 1.0;
    SbChronoMaintenir();
    EXPECT_EQ(qstest::FileSize(storeFile), 4);
}

TEST_F(ChronoTest, ClosingSavesTheStoreAndAClosedStoreTakesNothing) {
    Ouvrir();
    const SbChronoRec t = Temps(12, 0, 0, 0, '2');
    SbChronoQ31Traiter(&t);
    SbChronoFermer("Chronos", "Fin.q31tps");
    EXPECT_EQ(qstest::ReadFileBytes(Fichier("Chronos/Fin.q31tps")), Image(1, {t}));
    SbChronoQ31Traiter(&t);
    EXPECT_EQ(SbChronoNombre(), 0);
    EXPECT_EQ(SbChronoCharger("Chronos\\Fin.q31tps"), 0);
    SbChronoMaintenir();
}
