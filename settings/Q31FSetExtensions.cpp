// Ethernet and GSM extension pages: the two Ethernet addresses and status words,
// the GSM entry sets, state, indicators, switch and received texts.
#include <algorithm>
#include <array>

#include "link/SbComGsmEth.h"
#include "panels/FQ31.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "settings/Q31FSet.h"
#include "settings/Q31FSetLogique.h"
#include "settings/Q31FSetPages.h"

using namespace fq31;

namespace {

using Octets = std::array<int, 4>;
constexpr std::array<Octets, 2> kAdresses = {{
    {PAGE6_A0_1, PAGE6_A0_2, PAGE6_A0_3, PAGE6_A0_4},
    {PAGE6_A1_1, PAGE6_A1_2, PAGE6_A1_3, PAGE6_A1_4},
}};
constexpr std::array<int, 3> kBitsEthernet = {0x01, 0x04, 0x80};
constexpr std::array<std::array<int, 3>, 4> kVoyantsEthernet = {{
    {PAGE6_ST0_0, PAGE6_ST0_2, PAGE6_ST0_7},
    {PAGE6_ST1_0, PAGE6_ST1_2, PAGE6_ST1_7},
    {PAGE6_ST2_0, PAGE6_ST2_2, PAGE6_ST2_7},
    {PAGE6_ST3_0, PAGE6_ST3_2, PAGE6_ST3_7},
}};

constexpr std::array<int, 3> kPremier = {PAGE7_G1_T0, PAGE7_G1_T1, PAGE7_G1_T2};
constexpr std::array<int, 3> kSecond = {PAGE7_G2_T0, PAGE7_G2_T1, PAGE7_G2_T2};
constexpr std::array<int, 6> kVoyantsGsm = {PAGE7_B0, PAGE7_B1, PAGE7_B2, PAGE7_B3, PAGE7_B4, PAGE7_B5};

// Each field is captioned with the key of its item in the shown set.
void LegendesGsm(int panel, int set) {
    static constexpr const char* kCles[2][7] = {{"1", "2", "3", "4", "7", "8", "5"},
                                                {"a", "b", "c", "d", "f", "g", "e"}};
    for (size_t i = 0; i < 3; ++i) {
        SetCtrlAttribute(panel, kPremier[i], ATTR_LABEL_TEXT, kCles[set][i]);
        SetCtrlAttribute(panel, kSecond[i], ATTR_LABEL_TEXT, kCles[set][3 + i]);
    }
    SetCtrlAttribute(panel, PAGE7_G2_NUM, ATTR_LABEL_TEXT, kCles[set][6]);
}

char* Adresse(int k) {
    return k == 0 ? SbComG.ethernet.address0 : SbComG.ethernet.address1;
}

// The selector decides which set the page shows and edits; the byte only follows it.
int LireJeu(int panel) {
    const int set = Q31FSetValeur(panel, PAGE7_SET, Q31G.gsmSetShown) != 0 ? 1 : 0;
    Q31G.gsmSetShown = uint8_t(set);
    return set;
}

}  // namespace

// ---- page 6: Ethernet -----------------------------------------------------

void Q31FSetParamEthernet(int panel) {
    for (int k = 0; k < 2; ++k) {
        int bytes[4];
        Q31FSetEthernetDecouper(Adresse(k), bytes);
        for (int b = 0; b < 4; ++b) SetCtrlVal(panel, kAdresses[k][b], bytes[b]);
    }
    for (int w = 0; w < 4; ++w)
        for (int i = 0; i < 3; ++i)
            SetCtrlVal(panel, kVoyantsEthernet[w][i], (SbCrG.ethernetStatus[w] & kBitsEthernet[i]) ? 1 : 0);
}

void Q31FSetGetEthernet(int panel) {
    for (int k = 0; k < 2; ++k) {
        int shown[4], bytes[4];
        Q31FSetEthernetDecouper(Adresse(k), shown);
        for (int b = 0; b < 4; ++b) {
            shown[b] = std::clamp(shown[b], 0, 255);  // as the field holds it
            bytes[b] = Q31FSetValeur(panel, kAdresses[k][b], shown[b]);
        }
        // An address the fields cannot show exactly goes back as the clock holds it, unless
        // the operator changed one of them.
        if (!Q31FSetEthernetFitsFields(Adresse(k)) && std::equal(bytes, bytes + 4, shown)) continue;
        Q31FSetEthernetFormer(bytes, Adresse(k), sizeof SbComG.ethernet.address0);
    }
}

int FQ31CmdEthernet(int panel, int control, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    int value = 0;
    if (GetCtrlVal(panel, control, &value) >= 0) SbComCommandeEthernet(value);
    return 0;
}

// ---- page 7: GSM ----------------------------------------------------------

void Q31FSetParamGsm(int panel) {
    const int set = LireJeu(panel);
    LegendesGsm(panel, set);
    const SbComGsm& g = SbComG.gsm;
    for (int i = 0; i < 3; ++i) {
        SetCtrlVal(panel, kPremier[i], g.first[set].text[i]);
        SetCtrlVal(panel, kSecond[i], g.second[set].text[i]);
    }
    SetCtrlVal(panel, PAGE7_G2_NUM, g.second[set].number);
    SetCtrlVal(panel, PAGE7_COMMON, g.common);
    const int status = SbCrG.gsmStatus;
    SetCtrlVal(panel, PAGE7_STATE, Q31FSetEtatGsm(status));
    SetCtrlVal(panel, PAGE7_VALUE, SbCrG.gsmValue);
    for (int b = 0; b < 6; ++b) SetCtrlVal(panel, kVoyantsGsm[b], (status >> b) & 1);
    SetCtrlVal(panel, PAGE7_B6, (status & 0x40) ? 2 : 1);
    SetCtrlVal(panel, PAGE7_B7, (status & 0x80) ? 1 : 0);
}

void Q31FSetGetGsm(int panel) {
    const int set = LireJeu(panel);
    SbComGsm& g = SbComG.gsm;
    for (int i = 0; i < 3; ++i) {
        Q31FSetTexte(panel, kPremier[i], g.first[set].text[i], sizeof g.first[set].text[i]);
        Q31FSetTexte(panel, kSecond[i], g.second[set].text[i], sizeof g.second[set].text[i]);
    }
    g.second[set].number = Q31FSetValeur(panel, PAGE7_G2_NUM, g.second[set].number);
    Q31FSetTexte(panel, PAGE7_COMMON, g.common, sizeof g.common);
}

// Off (0) or on (1, 2): only a change between off and on reaches the module.
int FQ31CmdGsm(int panel, int control, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    int value = 0;
    if (GetCtrlVal(panel, control, &value) >= 0) SbComBasculerGsm(value);
    return 0;
}

int FQ31ChoixGsm(int, int, int event, void*, int, int) {
    if (event == EVENT_COMMIT) Q31FSetParam(7);
    return 0;
}
