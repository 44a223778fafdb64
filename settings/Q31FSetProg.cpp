// Start-program page: choosing a program to run (5 and 7 cannot be chosen),
// editing program fields, storing a program under a number from 10 to 50.
#include <algorithm>
#include <array>

#include "link/SbComProg.h"
#include "panels/FQ31.h"
#include "platform/cvi.h"
#include "records/SbComRecord.h"
#include "settings/Q31FSet.h"
#include "settings/Q31FSetLogique.h"
#include "settings/Q31FSetPages.h"
#include "ui/Dialogs.h"
#include "ui/MainPanel.h"
#include "ui/Texts.h"

using namespace fq31;

namespace {

int g_progPrecedent = 0;  // value the program-number control showed last

struct Champ {
    int control;
    int parameter;
};
constexpr std::array<Champ, 10> kChamps = {{
    {PAGE3_F102, 102},
    {PAGE3_F104, 104},
    {PAGE3_F105, 105},
    {PAGE3_F103, 103},
    {PAGE3_F112, 112},
    {PAGE3_F110, 110},
    {PAGE3_F111, 111},
    {PAGE3_F107, 107},
    {PAGE3_F108, 108},
    {PAGE3_F109, 109},
}};

SbComProg* Programme(int n) {
    if (n < 0 || n > 50) return nullptr;
    return &SbComG.progs[size_t(n)];
}

void AfficherNom(int panel, int control, int n) {
    const SbComProg* prog = Programme(n);
    SetCtrlVal(panel, control, prog ? prog->name : "");
}

}  // namespace

void Q31FSetProgAfficher(int page, int n) {
    const int panel = Q31FSetPanel(page);
    SbComProg* prog = Programme(n);
    if (!prog) return;
    for (const Champ& c : kChamps) SetCtrlVal(panel, c.control, *SbComChampProg(prog, c.parameter));
    SetCtrlVal(panel, PAGE3_FLAG, prog->p113 & 1);
}

void Q31FSetProgLire(int page, int n) {
    const int panel = Q31FSetPanel(page);
    SbComProg* prog = Programme(n);
    if (!prog) return;
    for (const Champ& c : kChamps) {
        int32_t* field = SbComChampProg(prog, c.parameter);
        *field = Q31FSetValeur(panel, c.control, *field);
    }
    prog->p113 = Q31FSetFlagsProg(prog->p113, Q31FSetValeur(panel, PAGE3_FLAG, prog->p113 & 1));
}

void Q31FSetParamProg(int panel) {
    // Programs 1 to 50 can be chosen; a clock running none (0) keeps 0 until the
    // operator picks one, so the start key still finds no program selected.
    SetCtrlAttribute(panel, PAGE3_PROG_NUM, ATTR_MIN_VALUE, SbComG.currentProgram == 0 ? 0 : 1);
    SetCtrlAttribute(panel, PAGE3_PROG_NUM, ATTR_MAX_VALUE, 50);
    SetCtrlVal(panel, PAGE3_PROG_NUM, SbComG.currentProgram);
    g_progPrecedent = Q31FSetValeur(panel, PAGE3_PROG_NUM, SbComG.currentProgram);
    AfficherNom(panel, PAGE3_PROG_NAME, g_progPrecedent);
    SetCtrlAttribute(panel, PAGE3_SAVE_NUM, ATTR_MIN_VALUE, 10);
    SetCtrlAttribute(panel, PAGE3_SAVE_NUM, ATTR_MAX_VALUE, 50);
    SetCtrlVal(panel, PAGE3_SAVE_NUM, SbComG.editedProgram);
    AfficherNom(panel, PAGE3_SAVE_NAME, Q31FSetValeur(panel, PAGE3_SAVE_NUM, SbComG.editedProgram));
    Q31FSetProgAfficher(3, 0);
}

// Confirm: the chosen number becomes the current program and the fields go into
// program 0, the one the clock runs.
void Q31FSetGetProg(int panel) {
    SbComG.currentProgram = std::clamp(Q31FSetValeur(panel, PAGE3_PROG_NUM, SbComG.currentProgram), 0, 50);
    Q31FSetProgLire(3, 0);
}

int FQ31SetProgNumCharger(int panel, int control, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    const int value = Q31FSetProgCorriger(Q31FSetValeur(panel, control, g_progPrecedent), g_progPrecedent);
    SetCtrlVal(panel, control, value);
    g_progPrecedent = value;
    AfficherNom(panel, PAGE3_PROG_NAME, value);
    return 0;
}

int FQ31SetProgNumSauver(int panel, int control, int event, void*, int, int) {
    if (event == EVENT_COMMIT) AfficherNom(panel, PAGE3_SAVE_NAME, Q31FSetValeur(panel, control, 0));
    return 0;
}

int FQ31SetProgCharger(int panel, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    SbWait(Q31FIhmG, Q31TxtMesG[0]);
    Q31FSetChargerProg(Q31FSetValeur(panel, PAGE3_PROG_NUM, SbComG.currentProgram));
    SbFermerWait(true, 0);
    Q31FSetProgAfficher(3, SbComG.currentProgram);
    Q31FSetMirrorReset(false, true);
    SetActivePanel(panel);
    return 0;
}

// The name stays in the program table; the clock never receives it.
int FQ31SetProgSauver(int panel, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    const int n = std::clamp(Q31FSetValeur(panel, PAGE3_SAVE_NUM, SbComG.editedProgram), 10, 50);
    SbComG.editedProgram = n;
    SbComProg& prog = SbComG.progs[size_t(n)];
    Q31FSetTexte(panel, PAGE3_SAVE_NAME, prog.name, sizeof prog.name);
    Q31FSetProgLire(3, n);
    SbWait(Q31FIhmG, Q31TxtMesG[1]);
    Q31ComEcrireProg(n);
    SbFermerWait(true, 0);
    return 0;
}
