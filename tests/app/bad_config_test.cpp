// The program starts, shows its main window and quits cleanly whatever its two
// configuration files hold: cut short, zero-filled, too long or random bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "app/Q31Ihm.h"
#include "app/Q31Main.h"
#include "panels/FQ31.h"
#include "panels/FSabGen.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "tests/runner/Scripted.h"
#include "tests/support/TestSupport.h"

using namespace fq31;

namespace {

bool shown = false;

// Whatever opens first: answer the language choice, cancel a connection dialog that
// the file asked for at start, then quit once the main window is up.
bool Operate() {
    if (int p = FindLoadedPanel("FSabGen.uir", fsabgen::LANGUE)) QueueUserEvent(p, fsabgen::LANGUE_EN);
    if (int p = FindLoadedPanel("FQ31.uir", CONNECT)) QueueUserEvent(p, CONNECT_CANCEL);
    if (int p = FindLoadedPanel("FSabGen.uir", fsabgen::ERREUR)) QueueUserEvent(p, fsabgen::ERREUR_BOUTON1);
    if (Q31FIhmG > 0 && !FindLoadedPanel("FQ31.uir", CONNECT)) {
        shown = true;
        Q31QuitG = 1;
        return true;
    }
    return false;
}

void StartWith(const std::string& sbcnf, const std::string& q31cnf) {
    qstest::WriteFileBytes("QS-310_V1-1.sbcnf", sbcnf);
    qstest::WriteFileBytes("QS-310_V1-1.q31cnf", q31cnf);
    memset(&SbComG, 0, sizeof SbComG);
    memset(&Q31G, 0, sizeof Q31G);
    shown = false;
    qstest::Scripted script({Operate});
    static char arg0[] = "QS310Manager";
    static char* argv[] = {arg0, nullptr};
    EXPECT_EQ(Q31Main(1, argv), 0);
    EXPECT_TRUE(shown);
    EXPECT_LT(script.Passes(), 20000);
    // Both files are whole records again after the run.
    EXPECT_EQ(qstest::FileSize("QS-310_V1-1.sbcnf"), long(sizeof(SbCom)));
    EXPECT_EQ(qstest::FileSize("QS-310_V1-1.q31cnf"), long(sizeof(Q31Config)));
}

std::string Random(size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (char& c : s) c = char(gen() & 0xFF);
    return s;
}

}  // namespace

TEST(BadConfiguration, ShortZeroAndOverlongFiles) {
    qstest::TempProgramDir dir;
    StartWith(std::string(7, '\x01'), std::string(10, '\0'));
    StartWith(std::string(sizeof(SbCom), '\0'), std::string(sizeof(Q31Config), '\0'));
    StartWith(Random(sizeof(SbCom) + 5000, 1), Random(sizeof(Q31Config) + 5000, 2));
}

TEST(BadConfiguration, RandomFiles) {
    qstest::TempProgramDir dir;
    for (unsigned seed = 10; seed < 16; ++seed) {
        SCOPED_TRACE(seed);
        StartWith(Random(sizeof(SbCom), seed), Random(sizeof(Q31Config), seed + 100));
    }
}
