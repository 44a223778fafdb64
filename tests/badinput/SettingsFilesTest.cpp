// Damaged ".q31set" and ".q31gsm" settings files through the load buttons of the
// parameter page and the GSM page: the bytes present replace the start of the block,
// the rest keeps what it held, GSM texts stay terminated, and the pages show the result.
#include <algorithm>
#include <cstddef>
#include <cstring>

#include "link/SbComConfig.h"
#include "platform/cvi.h"
#include "records/SbComRecord.h"
#include "settings/Q31FSet.h"
#include "settings/Q31FSetPages.h"
#include "tests/badinput/BadInput.h"

using namespace badinput;

namespace {

using Bouton = int (*)(int, int, int, void*, int, int);

class BadSettingsFiles : public ProgrammeTest {
protected:
    // Loads bytes through the page's load button, the block holding `former` before.
    template <typename Block>
    void Charger(Bouton bouton, int page, const char* nom, const std::string& bytes, Block* block,
                 const Block& former) {
        *block = former;
        Repondre(Ecrire(std::string("Settings/") + nom, bytes));
        bouton(Q31FSetPanel(page), 0, EVENT_COMMIT, nullptr, 0, 0);
    }
    // Byte i of the block: the file's where the file reaches, else the former one.
    template <typename Block>
    void AttendreDebutRemplace(const Block& block, const Block& former, const std::string& bytes,
                               const std::vector<size_t>& finsDeTexte = {}) {
        const auto* b = reinterpret_cast<const unsigned char*>(&block);
        const auto* f = reinterpret_cast<const unsigned char*>(&former);
        int differents = 0;
        for (size_t i = 0; i < sizeof(Block); ++i) {
            if (std::find(finsDeTexte.begin(), finsDeTexte.end(), i) != finsDeTexte.end()) continue;
            const unsigned char expected = i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : f[i];
            if (b[i] != expected && ++differents <= 3) ADD_FAILURE() << "byte " << i;
        }
        EXPECT_EQ(differents, 0);
    }
};

// Offsets of the last byte of every GSM text: a file cannot make a text run past its field.
std::vector<size_t> FinsDeTexteGsm() {
    std::vector<size_t> out;
    for (size_t g = 0; g < 2; ++g)
        for (size_t t = 0; t < 3; ++t) {
            out.push_back(offsetof(SbComGsm, first) + g * sizeof(SbComGsm::First) + (t + 1) * 32 - 1);
            out.push_back(offsetof(SbComGsm, second) + g * sizeof(SbComGsm::Second) + (t + 1) * 32 - 1);
        }
    out.push_back(offsetof(SbComGsm, common) + 31);
    return out;
}

bool TextesTermines(const SbComGsm& g) {
    for (const auto& s : g.first)
        for (const auto& t : s.text)
            if (!Termine(t)) return false;
    for (const auto& s : g.second)
        for (const auto& t : s.text)
            if (!Termine(t)) return false;
    return Termine(g.common);
}

}  // namespace

TEST_F(BadSettingsFiles, DamagedParameterFilesReplaceOnlyTheBytesTheyHold) {
    SbComParams bon;
    SbComValDefParam(&bon);
    bon.precision = 3;
    bon.speedCode = 2;
    bon.inputs[2].timeBase = 100;
    SbComParams former;
    SbComValDefParam(&former);
    former.field10 = 1;
    former.inputs[3].choice3 = 2;
    for (const Variante& v : Variantes(Octets(bon), 21)) {
        SCOPED_TRACE(v.nom);
        Charger(FQ31SetParamCharger, 4, "damaged.q31set", v.octets, &SbComG.params, former);
        AttendreDebutRemplace(SbComG.params, former, v.octets);
    }
}

TEST_F(BadSettingsFiles, DamagedGsmFilesReplaceOnlyTheBytesTheyHoldAndKeepTextsTerminated) {
    SbComGsm bon;
    SbComValDefGsm(&bon);
    std::strcpy(bon.first[0].text[1], "Start open");
    std::strcpy(bon.second[1].text[2], "Finish");
    bon.second[0].number = 4242;
    SbComGsm former;
    SbComValDefGsm(&former);
    std::strcpy(former.common, "Previous");
    for (const Variante& v : Variantes(Octets(bon), 31)) {
        SCOPED_TRACE(v.nom);
        Charger(FQ31SetGsmCharger, 7, "damaged.q31gsm", v.octets, &SbComG.gsm, former);
        AttendreDebutRemplace(SbComG.gsm, former, v.octets, FinsDeTexteGsm());
        EXPECT_TRUE(TextesTermines(SbComG.gsm));
    }
    // A file whose texts fill their fields without a zero: every text ends in its field.
    Charger(FQ31SetGsmCharger, 7, "full.q31gsm", std::string(sizeof(SbComGsm), 'G'), &SbComG.gsm, former);
    EXPECT_TRUE(TextesTermines(SbComG.gsm));
    EXPECT_EQ(std::strlen(SbComG.gsm.common), 31u);
}
