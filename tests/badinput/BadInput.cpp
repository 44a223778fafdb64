// Hostile input files: the damaged forms and the program folder they are loaded in.
#include "tests/badinput/BadInput.h"

#include <algorithm>
#include <random>

#include "app/Q31Ihm.h"
#include "app/Q31Modules.h"
#include "chrono/SbChrono.h"
#include "competitor/Q12.h"
#include "display/Q31Fsd.h"
#include "lib/StrBuf.h"
#include "link/SbComConfig.h"
#include "panels/FQ31.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "settings/Q31FSet.h"
#include "ui/Texts.h"

namespace badinput {

std::string ProgramTest::picked;
int ProgramTest::messages = 0;

namespace {

std::string Random(size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (char& c : s) c = char(gen() & 0xFF);
    return s;
}

}  // namespace

std::vector<Damage> Damaged(const std::string& good, unsigned seed) {
    return {{"truncated", good.substr(0, good.size() / 2 + 3)},
            {"zero-filled", std::string(good.size(), '\0')},
            {"over-long", good + Random(5000, seed)},
            {"random", Random(good.size(), seed + 1)}};
}

int Differing(const std::string& got, const std::string& expected, const std::vector<size_t>& skip) {
    int n = 0;
    for (size_t i = 0; i < got.size(); ++i)
        if (got[i] != expected[i] && std::find(skip.begin(), skip.end(), i) == skip.end()) ++n;
    return n;
}

void ProgramTest::SetUp() {
    qstest::EnsureRuntime();
    dir_ = std::make_unique<qstest::TempProgramDir>();
    for (const char* d : {"Chronos", "Settings", "Data"}) MakeDir(d);
    picked.clear();
    messages = 0;
    SetFileSelectHook([](const char*, const char*, const char*, int, char pathOut[260]) -> int {
        StrCopy(pathOut, 260, picked.c_str());
        return picked.empty() ? VAL_NO_FILE_SELECTED : VAL_EXISTING_FILE_SELECTED;
    });
    SetMessageHook([](const char*, const char*) { ++messages; });
    SbComValDefaut(&SbComG);
    Q31Defaut(&Q31G);
    Q31G.language = 0;
    Q31ChargerTextes();
    Q31EnregistrerCallbacks();
    Q31FIhmG = LoadPanel(0, "FQ31.uir", fq31::MAIN);
    ASSERT_GT(Q31FIhmG, 0);
    SbChronoOuvrir("Chronos", "Chrono.q31tps", Q31FIhmG, fq31::MAIN_TIMES_TABLE);
    Q31FsdCharger();
    Q12Charger("Courant.q12ct", 3);
    Q31FSetCharger();
}

void ProgramTest::TearDown() {
    Q31FSetFermer();
    Q31FsdQuitter();
    Q12Quitter("Courant.q12ct");
    SbChronoFermer("Chronos", "Chrono.q31tps");
    DiscardPanel(Q31FIhmG);
    Q31FIhmG = 0;
    SetFileSelectHook(nullptr);
    SetMessageHook(nullptr);
    ProcessSystemEvents();
    dir_.reset();
}

std::string ProgramTest::Write(const std::string& relative, const std::string& bytes) const {
    const std::string path = dir_->file(relative);
    qstest::WriteFileBytes(path, bytes);
    return path;
}

}  // namespace badinput
