// Damaged input files: shared set-up.
#include "tests/badinput/BadInput.h"

#include <cstring>
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

namespace {

std::string reponseG;
int messagesG = 0;

int RepondreDialogue(const char*, const char*, const char*, int, char pathOut[260]) {
    if (reponseG.empty()) return VAL_NO_FILE_SELECTED;
    StrCopy(pathOut, 260, reponseG.c_str());
    return VAL_EXISTING_FILE_SELECTED;
}

void CompterMessage(const char*, const char*) {
    ++messagesG;
}

}  // namespace

std::string Aleatoire(size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (char& c : s) c = char(gen() & 0xFF);
    return s;
}

std::vector<Variante> Variantes(const std::string& bon, unsigned seed) {
    return {{"truncated", bon.substr(0, bon.size() / 2 + 3)},
            {"zero-filled", std::string(bon.size(), '\0')},
            {"over-long", bon + Aleatoire(5000, seed)},
            {"random", Aleatoire(bon.size(), seed + 1)}};
}

void Repondre(const std::string& path) {
    reponseG = path;
}

int MessagesVus() {
    return messagesG;
}

void ProgrammeTest::SetUp() {
    qstest::EnsureRuntime();
    dir_ = std::make_unique<qstest::TempProgramDir>();
    for (const char* d : {"Chronos", "Settings", "Data"}) MakeDir(d);
    reponseG.clear();
    messagesG = 0;
    SetFileSelectHook(RepondreDialogue);
    SetMessageHook(CompterMessage);
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

void ProgrammeTest::TearDown() {
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

std::string ProgrammeTest::Ecrire(const std::string& relative, const std::string& bytes) const {
    const std::string path = Fichier(relative);
    qstest::WriteFileBytes(path, bytes);
    return path;
}

}  // namespace badinput
