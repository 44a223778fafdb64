// The program starts, shows its main window and quits cleanly whatever its two configuration
// files hold: cut short, zero-filled, too long or random bytes; both are whole records after.
#include <gtest/gtest.h>

#include <random>

#include "app/Q31Ihm.h"
#include "panels/FQ31.h"
#include "panels/FSabGen.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "tests/runner/Operator.h"
#include "tests/support/TestSupport.h"

TEST(BadConfiguration, ShortZeroOverlongAndRandomFiles) {
    auto random = [](size_t n, unsigned seed) {
        std::mt19937 gen(seed);
        std::string s(n, '\0');
        for (char& c : s) c = char(gen() & 0xFF);
        return s;
    };
    std::vector<std::pair<std::string, std::string>> files = {
        {std::string(7, '\x01'), std::string(10, '\0')},
        {std::string(sizeof(SbCom), '\0'), std::string(sizeof(Q31Config), '\0')},
        {random(sizeof(SbCom) + 5000, 1), random(sizeof(Q31Config) + 5000, 2)}};
    for (unsigned seed = 10; seed < 16; ++seed)
        files.push_back({random(sizeof(SbCom), seed), random(sizeof(Q31Config), seed + 100)});
    qstest::TempProgramDir dir;
    for (const auto& [link, application] : files) {
        SCOPED_TRACE(&link - &files[0].first);
        qstest::WriteFileBytes(kSbComConfigFile, link);
        qstest::WriteFileBytes(kQ31ConfigFile, application);
        e2e::ForgetEverything();
        // Whatever opens first is answered: the language, a connection the file asked for at
        // start, an error; the program quits once its main window is up.
        EXPECT_EQ(e2e::RunProgram({[] {
                      if (int p = FindLoadedPanel("FSabGen.uir", fsabgen::LANGUE))
                          QueueUserEvent(p, fsabgen::LANGUE_EN);
                      if (int p = FindLoadedPanel("FQ31.uir", fq31::CONNECT))
                          QueueUserEvent(p, fq31::CONNECT_CANCEL);
                      if (int p = FindLoadedPanel("FSabGen.uir", fsabgen::ERREUR))
                          QueueUserEvent(p, fsabgen::ERREUR_BOUTON1);
                      return Q31FIhmG > 0 && !FindLoadedPanel("FQ31.uir", fq31::CONNECT) && (Q31QuitG = 1);
                  }}),
                  1u);
        EXPECT_EQ(qstest::FileSize(kSbComConfigFile), long(sizeof(SbCom)));
        EXPECT_EQ(qstest::FileSize(kQ31ConfigFile), long(sizeof(Q31Config)));
    }
}
