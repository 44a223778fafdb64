// Timing-mode page (PTB / SPLIT) and general-parameter page: precision, clock
// parameters, serial speed and the settings of inputs 1 and 2.
#include <array>

#include "lib/StrBuf.h"
#include "panels/FQ31.h"
#include "platform/cvi.h"
#include "records/SbComRecord.h"
#include "settings/Q31FSet.h"
#include "settings/Q31FSetLogique.h"
#include "settings/Q31FSetPages.h"
#include "ui/Texts.h"

using namespace fq31;

namespace {

struct EntreeCtrl {
    int timeBase, choice2, choice3;
};
constexpr std::array<EntreeCtrl, 2> kEntrees = {{
    {PAGE4_TB1, PAGE4_C2_1, PAGE4_C3_1},
    {PAGE4_TB2, PAGE4_C2_2, PAGE4_C3_2},
}};

void CaptionMode(int panel, int mode) {
    SetCtrlAttribute(panel, PAGE2_MODE, ATTR_LABEL_TEXT, Q31TxtLabSetG[mode != 0 ? 17 : 18]);
}

// Items of one input's lists: the input number goes into each item's text.
void ListesEntree(int panel, int k, const EntreeCtrl& c) {
    const char* a = Q31TxtLabSetG[41];
    const char* b = Q31TxtLabSetG[44];
    char item[128];
    ClearListCtrl(panel, c.timeBase);
    StrFormat(item, sizeof item, "%s %d : %s", a, k, Q31TxtLabSetG[43]);
    InsertListItem(panel, c.timeBase, -1, item, 0);
    struct Base {
        const char* text;
        int value;
    };
    for (const Base& base : {Base{"0.01 s", 1}, Base{"0.1 s", 10}, Base{"1 s", 100}, Base{"10 s", 1000}}) {
        StrFormat(item, sizeof item, "%s %d : %s", a, k, base.text);
        InsertListItem(panel, c.timeBase, -1, item, base.value);
    }
    ClearListCtrl(panel, c.choice2);
    for (int i = 0; i < 2; ++i) {
        StrFormat(item, sizeof item, "%s %d : %s", a, k, Q31TxtLabSetG[46 + i]);
        InsertListItem(panel, c.choice2, -1, item, i);
    }
    ClearListCtrl(panel, c.choice3);
    const int entries[3] = {42, 41, 43};
    for (int i = 0; i < 3; ++i) {
        StrFormat(item, sizeof item, "%s %d : %s", b, k, Q31TxtLabSetG[entries[i]]);
        InsertListItem(panel, c.choice3, -1, item, i);
    }
}

}  // namespace

// ---- page 2: timing mode --------------------------------------------------

void Q31FSetParamMode(int panel) {
    SetCtrlVal(panel, PAGE2_MODE, SbComG.mode != 0 ? 1 : 0);
    CaptionMode(panel, SbComG.mode);
}

// A mode the switch cannot show (neither 0 nor 1) goes back as it came unless the
// operator moves the switch.
void Q31FSetGetMode(int panel) {
    const int shown = SbComG.mode != 0 ? 1 : 0;
    const int value = Q31FSetValeur(panel, PAGE2_MODE, shown) != 0 ? 1 : 0;
    if (value != shown) SbComG.mode = value;
}

// The caption follows the switch at once; the record changes only on confirm.
int FQ31SetChrono(int panel, int control, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    CaptionMode(panel, Q31FSetValeur(panel, control, 0));
    return 0;
}

// ---- page 4: general parameters -------------------------------------------

void Q31FSetListesGeneral(int panel) {
    ClearListCtrl(panel, PAGE4_P21);
    for (int i = 0; i < 5; ++i) InsertListItem(panel, PAGE4_P21, -1, Q31TxtLabSetG[53 + i], i);
    for (int k = 0; k < 2; ++k) ListesEntree(panel, k + 1, kEntrees[k]);
}

void Q31FSetParamGeneral(int panel) {
    const SbComParams& p = SbComG.params;
    SetCtrlVal(panel, PAGE4_PRECISION, p.precision);
    SetCtrlVal(panel, PAGE4_P7, p.field1);
    SetCtrlVal(panel, PAGE4_P29_1, p.field3);
    SetCtrlVal(panel, PAGE4_P29_2, p.field2);
    SetCtrlVal(panel, PAGE4_SPEED, p.speedCode);
    SetCtrlVal(panel, PAGE4_P17, p.field5);
    SetCtrlVal(panel, PAGE4_P19, p.field7);
    SetCtrlVal(panel, PAGE4_P21, p.field9);
    SetCtrlVal(panel, PAGE4_P12, p.field10);
    for (int k = 0; k < 2; ++k) {
        const SbComInput& in = p.inputs[k];
        SetCtrlVal(panel, kEntrees[k].timeBase, Q31FSetBaseAffichee(in));
        SetCtrlVal(panel, kEntrees[k].choice2, in.choice2);
        SetCtrlVal(panel, kEntrees[k].choice3, in.choice3);
    }
}

void Q31FSetGetGeneral(int panel) {
    SbComParams& p = SbComG.params;
    p.precision = Q31FSetValeur(panel, PAGE4_PRECISION, p.precision);
    p.field1 = Q31FSetValeur(panel, PAGE4_P7, p.field1);
    p.field3 = Q31FSetValeur(panel, PAGE4_P29_1, p.field3);
    p.field2 = Q31FSetValeur(panel, PAGE4_P29_2, p.field2);
    p.speedCode = Q31FSetValeur(panel, PAGE4_SPEED, p.speedCode);
    p.field5 = Q31FSetValeur(panel, PAGE4_P17, p.field5);
    p.field7 = Q31FSetValeur(panel, PAGE4_P19, p.field7);
    p.field9 = Q31FSetValeur(panel, PAGE4_P21, p.field9);
    p.field10 = Q31FSetValeur(panel, PAGE4_P12, p.field10);
    for (int k = 0; k < 2; ++k) {
        SbComInput& in = p.inputs[k];
        Q31FSetBaseEntree(&in, Q31FSetValeur(panel, kEntrees[k].timeBase, Q31FSetBaseAffichee(in)));
        in.choice2 = Q31FSetValeur(panel, kEntrees[k].choice2, in.choice2);
        in.choice3 = Q31FSetValeur(panel, kEntrees[k].choice3, in.choice3);
    }
}
